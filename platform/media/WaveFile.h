// Reads a RIFF WAVE sound file into raw platform audio: PCM with 8-bit
// unsigned, 16-bit or 32-bit signed samples, or 32-bit IEEE floats, all
// little-endian as the format defines them.
#pragma once

#include <MediaDefs.h>

#include <vector>

// B_OK with the sample bytes and their format; B_ENTRY_NOT_FOUND for a
// missing file, B_BAD_DATA for a file that is not such a WAVE file (or is
// cut short). data and format are changed only on success.
status_t read_wave_file(const char* path, std::vector<uint8>* data, media_raw_audio_format* format);
