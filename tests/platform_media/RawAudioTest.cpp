// Raw platform audio to PCM: every sample format code, both byte orders,
// and the inputs that must not be played.
#include <RawAudio.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

media_raw_audio_format Format(uint32 code, uint32 order, uint32 channels = 1)
{
    media_raw_audio_format format;
    format.frame_rate = 22050;
    format.channel_count = channels;
    format.format = code;
    format.byte_order = order;
    format.buffer_size = 1024;
    return format;
}

std::vector<float> Decode(const std::vector<uint8>& bytes, const media_raw_audio_format& format)
{
    std::vector<float> samples;
    EXPECT_EQ(decode_raw_audio(bytes.data(), bytes.size(), format, &samples), B_OK);
    return samples;
}

using Samples = std::vector<float>;
constexpr float kTolerance = 1e-6f;

void ExpectSamples(const Samples& actual, const Samples& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); i++)
        EXPECT_NEAR(actual[i], expected[i], kTolerance) << "sample " << i;
}

} // namespace

TEST(RawAudioTest, EveryFormatCodeInBothByteOrders)
{
    using F = media_raw_audio_format;
    // 16-bit: silence, full scale both ways, and a small value.
    ExpectSamples(Decode({0x00, 0x00, 0xff, 0x7f, 0x01, 0x80, 0x00, 0x40}, Format(F::B_AUDIO_SHORT, B_MEDIA_LITTLE_ENDIAN)),
        {0.0f, 1.0f, -1.0f, 16384.0f / 32767});
    ExpectSamples(Decode({0x00, 0x00, 0x7f, 0xff, 0x80, 0x01, 0x40, 0x00}, Format(F::B_AUDIO_SHORT, B_MEDIA_BIG_ENDIAN)),
        {0.0f, 1.0f, -1.0f, 16384.0f / 32767});

    // 32-bit integers: full scale is 0x7fffffff.
    ExpectSamples(Decode({0xff, 0xff, 0xff, 0x7f, 0x00, 0x00, 0x00, 0xc0}, Format(F::B_AUDIO_INT, B_MEDIA_LITTLE_ENDIAN)),
        {1.0f, -0x40000000 / 2147483647.0f});
    ExpectSamples(Decode({0x7f, 0xff, 0xff, 0xff, 0xc0, 0x00, 0x00, 0x00}, Format(F::B_AUDIO_INT, B_MEDIA_BIG_ENDIAN)),
        {1.0f, -0x40000000 / 2147483647.0f});

    // Floats pass through.
    auto floatBytes = [](float value, bool big) {
        std::vector<uint8> bytes(4);
        std::memcpy(bytes.data(), &value, 4);
        if (big)
            std::swap(bytes[0], bytes[3]), std::swap(bytes[1], bytes[2]);
        return bytes;
    };
    ExpectSamples(Decode(floatBytes(0.25f, false), Format(F::B_AUDIO_FLOAT, B_MEDIA_LITTLE_ENDIAN)), {0.25f});
    ExpectSamples(Decode(floatBytes(-0.5f, true), Format(F::B_AUDIO_FLOAT, B_MEDIA_BIG_ENDIAN)), {-0.5f});

    // 8-bit unsigned: 128 is silence; signed: 0 is silence. Byte order
    // does not matter for one byte.
    for (uint32 order : {uint32(B_MEDIA_LITTLE_ENDIAN), uint32(B_MEDIA_BIG_ENDIAN)}) {
        ExpectSamples(Decode({128, 255, 1}, Format(F::B_AUDIO_UCHAR, order)), {0.0f, 1.0f, -1.0f});
        ExpectSamples(Decode({0, 127, 0x81}, Format(F::B_AUDIO_CHAR, order)), {0.0f, 1.0f, -1.0f});
    }

    // Byte order 0 is taken as the host's (little-endian).
    ExpectSamples(Decode({0xff, 0x7f}, Format(F::B_AUDIO_SHORT, 0)), {1.0f});
}

TEST(RawAudioTest, ChannelsInterleaveAndPartialFramesAreDropped)
{
    using F = media_raw_audio_format;
    // Two channels of 16-bit samples: two whole frames and one stray byte.
    const Samples samples
        = Decode({0xff, 0x7f, 0x00, 0x00, 0x00, 0x00, 0x01, 0x80, 0x12}, Format(F::B_AUDIO_SHORT, B_MEDIA_LITTLE_ENDIAN, 2));
    ExpectSamples(samples, {1.0f, 0.0f, 0.0f, -1.0f});
    // Three bytes of stereo 16-bit: no whole frame.
    EXPECT_TRUE(Decode({1, 2, 3}, Format(F::B_AUDIO_SHORT, B_MEDIA_LITTLE_ENDIAN, 2)).empty());
    EXPECT_TRUE(Decode({}, Format(F::B_AUDIO_SHORT, B_MEDIA_LITTLE_ENDIAN)).empty());
}

TEST(RawAudioTest, OutOfRangeValuesAreClamped)
{
    using F = media_raw_audio_format;
    const float values[] = {4.0f, -9.0f, std::nanf(""), INFINITY};
    std::vector<uint8> bytes(sizeof(values));
    std::memcpy(bytes.data(), values, sizeof(values));
    ExpectSamples(Decode(bytes, Format(F::B_AUDIO_FLOAT, B_MEDIA_LITTLE_ENDIAN)), {1.0f, -1.0f, 0.0f, 1.0f});
    // The most negative integers lie just beyond full scale.
    ExpectSamples(Decode({0x00, 0x80}, Format(F::B_AUDIO_SHORT, B_MEDIA_LITTLE_ENDIAN)), {-1.0f});
    ExpectSamples(Decode({0x00, 0x00, 0x00, 0x80}, Format(F::B_AUDIO_INT, B_MEDIA_LITTLE_ENDIAN)), {-1.0f});
    ExpectSamples(Decode({0x80}, Format(F::B_AUDIO_CHAR, B_MEDIA_LITTLE_ENDIAN)), {-1.0f});
    ExpectSamples(Decode({0}, Format(F::B_AUDIO_UCHAR, B_MEDIA_LITTLE_ENDIAN)), {-1.0f});

    EXPECT_EQ(pcm16_from_float(1.0f), 32767);
    EXPECT_EQ(pcm16_from_float(-1.0f), -32767);
    EXPECT_EQ(pcm16_from_float(2.0f), 32767);
    EXPECT_EQ(pcm16_from_float(0.5f), 16384);
    EXPECT_EQ(pcm16_from_float(std::nanf("")), 0);
}

TEST(RawAudioTest, FormatsThatCannotBePlayedAreRefused)
{
    using F = media_raw_audio_format;
    struct Case {
        media_raw_audio_format format;
        const char* reason;
    };
    media_raw_audio_format noRate = Format(F::B_AUDIO_SHORT, B_MEDIA_LITTLE_ENDIAN);
    noRate.frame_rate = 0;
    media_raw_audio_format nanRate = noRate;
    nanRate.frame_rate = std::nanf("");
    const Case cases[] = {
        {Format(0x03, B_MEDIA_LITTLE_ENDIAN), "sample format"},
        {Format(0x14, B_MEDIA_LITTLE_ENDIAN), "sample format"},
        {Format(F::B_AUDIO_SHORT, 3), "byte order"},
        {Format(F::B_AUDIO_SHORT, B_MEDIA_LITTLE_ENDIAN, 0), "channel count"},
        {Format(F::B_AUDIO_SHORT, B_MEDIA_LITTLE_ENDIAN, 1000), "channel count"},
        {noRate, "frame rate"},
        {nanRate, "frame rate"},
    };
    const uint8 bytes[8] = {};
    for (const Case& c : cases) {
        std::vector<float> samples{0.5f};
        std::string error;
        EXPECT_EQ(decode_raw_audio(bytes, sizeof(bytes), c.format, &samples, &error), B_BAD_VALUE) << c.reason;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_TRUE(samples.empty());
    }
    std::vector<float> samples;
    EXPECT_EQ(decode_raw_audio(nullptr, 4, Format(F::B_AUDIO_SHORT, B_MEDIA_LITTLE_ENDIAN), &samples), B_BAD_VALUE);
    EXPECT_EQ(raw_audio_sample_size(F::B_AUDIO_FLOAT), 4);
    EXPECT_EQ(raw_audio_sample_size(F::B_AUDIO_UCHAR), 1);
    EXPECT_EQ(raw_audio_sample_size(0x33), 0);
}
