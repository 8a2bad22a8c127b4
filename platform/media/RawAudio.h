// Raw platform audio to PCM: every sample format code of
// media_raw_audio_format, in either byte order, becomes interleaved float
// samples in -1.0 ... +1.0, the form the sound output plays.
#pragma once

#include <MediaDefs.h>

#include <string>
#include <vector>

// Checks a format before decoding: a known sample format, a byte order of
// B_MEDIA_BIG_ENDIAN or B_MEDIA_LITTLE_ENDIAN (0 is taken as the host's),
// 1 to 32 channels and a frame rate from 1 to 768000. B_OK or B_BAD_VALUE
// with the reason in error (when given).
status_t check_raw_audio_format(const media_raw_audio_format& format, std::string* error = nullptr);

// Decodes size bytes of samples. A trailing partial frame is dropped; out-
// of-range values (floats beyond +-1, NaN, the most negative integers) are
// clamped. B_BAD_VALUE, with samples left empty, for a format that
// check_raw_audio_format() rejects or a null buffer with a nonzero size.
status_t decode_raw_audio(const void* data, size_t size, const media_raw_audio_format& format,
    std::vector<float>* samples, std::string* error = nullptr);

// One float sample as a 16-bit PCM sample (rounded, clamped).
int16 pcm16_from_float(float sample);
