// The platform's description of raw audio: frame rate, channels, sample
// format, byte order and buffer size, with the sample format codes.
#pragma once

#include <SupportDefs.h>

#include <cstddef>

enum {
    B_MEDIA_BIG_ENDIAN = 1,
    B_MEDIA_LITTLE_ENDIAN = 2,
    B_MEDIA_HOST_ENDIAN = B_MEDIA_LITTLE_ENDIAN
};

struct media_raw_audio_format {
    // Sample format codes; for raw formats (format & B_AUDIO_SIZE_MASK) is
    // the number of bytes of one sample.
    enum {
        B_AUDIO_FLOAT = 0x24, // 4-byte float, -1.0 ... +1.0
        B_AUDIO_INT = 0x04,   // 4-byte signed, full scale +-0x7fffffff
        B_AUDIO_SHORT = 0x02, // 2-byte signed, +-32767
        B_AUDIO_UCHAR = 0x11, // 1-byte unsigned, 128 is silence
        B_AUDIO_CHAR = 0x01,  // 1-byte signed, +-127
        B_AUDIO_SIZE_MASK = 0x0f
    };

    float frame_rate = 0;
    uint32 channel_count = 0;
    uint32 format = 0;
    uint32 byte_order = 0;
    size_t buffer_size = 0;
};

// Bytes of one sample of a format code; 0 for a code the platform does not
// define.
int32 raw_audio_sample_size(uint32 format);
