// Reads a RIFF WAVE file into the audio message that an installer build
// carries as its start-up sound: "data" (the raw samples, type 'ANYT'),
// "frame_rate", "channel_count", "format", "byte_order", "buffer_size".
#pragma once

#include <string>

class BMessage;

// Returns an empty text on success, otherwise what is wrong with the file.
// 8-bit (unsigned), 16-bit and 32-bit integer and 32-bit float samples are
// stored as they are; 24-bit samples become 32-bit ones, left-aligned.
std::string ReadWaveAsAudioMessage(const std::string& path, BMessage& audio);
