#include <RawAudio.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

uint32 ReadUnsigned(const uint8* p, int32 bytes, bool big)
{
    uint32 value = 0;
    for (int32 i = 0; i < bytes; i++) {
        const int32 shift = big ? (bytes - 1 - i) * 8 : i * 8;
        value |= uint32(p[i]) << shift;
    }
    return value;
}

float Clamp(double value)
{
    if (std::isnan(value))
        return 0.0f;
    return float(std::clamp(value, -1.0, 1.0));
}

float DecodeSample(const uint8* p, uint32 format, bool big)
{
    switch (format) {
    case media_raw_audio_format::B_AUDIO_FLOAT: {
        const uint32 bits = ReadUnsigned(p, 4, big);
        float value;
        std::memcpy(&value, &bits, sizeof(value));
        return Clamp(value);
    }
    case media_raw_audio_format::B_AUDIO_INT:
        return Clamp(double(int32(ReadUnsigned(p, 4, big))) / 2147483647.0);
    case media_raw_audio_format::B_AUDIO_SHORT:
        return Clamp(double(int16(ReadUnsigned(p, 2, big))) / 32767.0);
    case media_raw_audio_format::B_AUDIO_UCHAR:
        return Clamp((double(p[0]) - 128.0) / 127.0);
    case media_raw_audio_format::B_AUDIO_CHAR:
        return Clamp(double(int8(p[0])) / 127.0);
    default:
        return 0.0f;
    }
}

} // namespace

int32 raw_audio_sample_size(uint32 format)
{
    switch (format) {
    case media_raw_audio_format::B_AUDIO_FLOAT:
    case media_raw_audio_format::B_AUDIO_INT:
    case media_raw_audio_format::B_AUDIO_SHORT:
    case media_raw_audio_format::B_AUDIO_UCHAR:
    case media_raw_audio_format::B_AUDIO_CHAR:
        return int32(format & media_raw_audio_format::B_AUDIO_SIZE_MASK);
    default:
        return 0;
    }
}

status_t check_raw_audio_format(const media_raw_audio_format& format, std::string* error)
{
    std::string reason;
    if (raw_audio_sample_size(format.format) == 0) {
        char text[48];
        std::snprintf(text, sizeof(text), "unknown sample format 0x%x", unsigned(format.format));
        reason = text;
    } else if (format.byte_order != 0 && format.byte_order != B_MEDIA_BIG_ENDIAN
        && format.byte_order != B_MEDIA_LITTLE_ENDIAN)
        reason = "unknown byte order " + std::to_string(format.byte_order);
    else if (format.channel_count < 1 || format.channel_count > 32)
        reason = "unusable channel count " + std::to_string(format.channel_count);
    else if (!(format.frame_rate >= 1.0f && format.frame_rate <= 768000.0f))
        reason = "unusable frame rate " + std::to_string(format.frame_rate);
    if (reason.empty())
        return B_OK;
    if (error != nullptr)
        *error = reason;
    return B_BAD_VALUE;
}

status_t decode_raw_audio(const void* data, size_t size, const media_raw_audio_format& format,
    std::vector<float>* samples, std::string* error)
{
    if (samples == nullptr)
        return B_BAD_VALUE;
    samples->clear();
    if (check_raw_audio_format(format, error) != B_OK)
        return B_BAD_VALUE;
    if (data == nullptr && size != 0) {
        if (error != nullptr)
            *error = "no sample data";
        return B_BAD_VALUE;
    }
    const size_t sampleSize = size_t(raw_audio_sample_size(format.format));
    const size_t frameSize = sampleSize * format.channel_count;
    const size_t count = size / frameSize * format.channel_count;
    const bool big = format.byte_order == B_MEDIA_BIG_ENDIAN;
    const auto* bytes = static_cast<const uint8*>(data);
    samples->resize(count);
    for (size_t i = 0; i < count; i++)
        (*samples)[i] = DecodeSample(bytes + i * sampleSize, format.format, big);
    return B_OK;
}

int16 pcm16_from_float(float sample)
{
    return int16(std::lrint(double(Clamp(sample)) * 32767.0));
}
