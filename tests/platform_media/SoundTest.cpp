// Sounds from memory and from WAVE files, and the player: silence with a
// line on standard error when no audio device exists, real playing when
// one does.
#include <Entry.h>
#include <Sound.h>
#include <SoundPlayer.h>
#include <WaveFile.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

void Put16(std::string& out, uint16 v)
{
    out += char(v & 0xff);
    out += char(v >> 8);
}

void Put32(std::string& out, uint32 v)
{
    Put16(out, uint16(v & 0xffff));
    Put16(out, uint16(v >> 16));
}

// A WAVE file with a "fmt " chunk of the given tag and sample size, an odd
// sized chunk before the samples (to test the padding rule), and the data.
std::string Wave(uint16 tag, uint16 channels, uint32 rate, uint16 bits, const std::string& data)
{
    std::string body = "WAVE";
    body += "fmt ";
    Put32(body, 16);
    Put16(body, tag);
    Put16(body, channels);
    Put32(body, rate);
    Put32(body, rate * channels * bits / 8);
    Put16(body, uint16(channels * bits / 8));
    Put16(body, bits);
    body += "LIST";
    Put32(body, 3);
    body += std::string("abc\0", 4);
    body += "data";
    Put32(body, uint32(data.size()));
    body += data;
    std::string file = "RIFF";
    Put32(file, uint32(body.size()));
    return file + body;
}

media_raw_audio_format Mono16()
{
    media_raw_audio_format format;
    format.frame_rate = 8000;
    format.channel_count = 1;
    format.format = media_raw_audio_format::B_AUDIO_SHORT;
    format.byte_order = B_MEDIA_LITTLE_ENDIAN;
    format.buffer_size = 512;
    return format;
}

} // namespace

TEST(SoundTest, WaveFilesOfEverySampleKindRead)
{
    TempDir dir;
    struct Case {
        uint16 tag;
        uint16 bits;
        uint32 code;
    };
    const Case cases[] = {{1, 8, media_raw_audio_format::B_AUDIO_UCHAR}, {1, 16, media_raw_audio_format::B_AUDIO_SHORT},
        {1, 32, media_raw_audio_format::B_AUDIO_INT}, {3, 32, media_raw_audio_format::B_AUDIO_FLOAT}};
    for (const Case& c : cases) {
        const std::string samples(size_t(c.bits / 8 * 2 * 10), '\x05');
        WriteFileBytes(dir / "sound.wav", Wave(c.tag, 2, 44100, c.bits, samples));
        std::vector<uint8> data;
        media_raw_audio_format format;
        ASSERT_EQ(read_wave_file((dir / "sound.wav").c_str(), &data, &format), B_OK) << c.bits;
        EXPECT_EQ(format.format, c.code);
        EXPECT_EQ(format.channel_count, 2u);
        EXPECT_EQ(format.frame_rate, 44100.0f);
        EXPECT_EQ(format.byte_order, uint32(B_MEDIA_LITTLE_ENDIAN));
        EXPECT_EQ(std::string(data.begin(), data.end()), samples);
    }
}

TEST(SoundTest, DamagedWaveFilesAreRefusedWithoutChangingTheOutput)
{
    TempDir dir;
    const std::string good = Wave(1, 1, 8000, 16, std::string(100, '\0'));
    const std::pair<const char*, std::string> bad[] = {
        {"not riff", "just some text, not a sound at all"},
        {"cut short", good.substr(0, good.size() - 10)},
        {"24-bit", Wave(1, 1, 8000, 24, std::string(30, '\0'))},
        {"compressed", Wave(2, 1, 8000, 4, std::string(30, '\0'))},
        {"no channels", Wave(1, 0, 8000, 16, std::string(30, '\0'))},
        {"empty", ""},
    };
    for (const auto& [what, bytes] : bad) {
        WriteFileBytes(dir / "bad.wav", bytes);
        std::vector<uint8> data{1, 2, 3};
        media_raw_audio_format format = Mono16();
        EXPECT_EQ(read_wave_file((dir / "bad.wav").c_str(), &data, &format), B_BAD_DATA) << what;
        EXPECT_EQ(data.size(), 3u) << what;
        EXPECT_EQ(format.frame_rate, 8000.0f) << what;
    }
    std::vector<uint8> data;
    media_raw_audio_format format;
    EXPECT_EQ(read_wave_file((dir / "missing.wav").c_str(), &data, &format), B_ENTRY_NOT_FOUND);
}

TEST(SoundTest, SoundsKeepTheirOwnCopyAndCheckTheirFormat)
{
    std::vector<uint8> samples(64, 7);
    BSound sound(samples.data(), samples.size(), Mono16());
    ASSERT_EQ(sound.InitCheck(), B_OK);
    samples.assign(64, 0);
    EXPECT_EQ(static_cast<const uint8*>(sound.Data())[10], 7);
    EXPECT_EQ(sound.Size(), 64u);

    media_raw_audio_format unknown = Mono16();
    unknown.format = 0x77;
    EXPECT_EQ(BSound(samples.data(), samples.size(), unknown).InitCheck(), B_BAD_VALUE);
    EXPECT_EQ(BSound(nullptr, 10, Mono16()).InitCheck(), B_BAD_VALUE);

    TempDir dir;
    WriteFileBytes(dir / "sound.wav", Wave(1, 1, 8000, 16, std::string(32, '\x01')));
    entry_ref ref;
    ASSERT_EQ(get_ref_for_path((dir / "sound.wav").c_str(), &ref), B_OK);
    BSound fromFile(&ref, true);
    ASSERT_EQ(fromFile.InitCheck(), B_OK);
    EXPECT_EQ(fromFile.Size(), 32u);
    ASSERT_EQ(get_ref_for_path((dir / "missing.wav").c_str(), &ref), B_OK);
    EXPECT_NE(BSound(&ref).InitCheck(), B_OK);
}

TEST(SoundPlayerTest, WithoutAnAudioDeviceNothingPlaysAndOneLineIsWritten)
{
    if (BSoundPlayer::HasAudioOutput())
        GTEST_SKIP() << "an audio output exists here; the no-device behaviour is not observable";
    std::vector<uint8> samples(800, 0);
    BSound sound(samples.data(), samples.size(), Mono16());
    BSoundPlayer player(&sound.Format(), "test player");
    testing::internal::CaptureStderr();
    const play_id id = player.StartPlaying(&sound);
    // The server is looked for on the sound's thread, which ends at once.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (player.IsPlaying() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_FALSE(player.IsPlaying(id));
    player.Stop(true, true);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("test player: no audio output device"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
}

TEST(SoundPlayerTest, UnplayableSoundsAreRefusedWithALine)
{
    BSoundPlayer player(nullptr, "test player");
    testing::internal::CaptureStderr();
    EXPECT_EQ(player.StartPlaying(nullptr), B_BAD_VALUE);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("test player"), std::string::npos);
    EXPECT_EQ(player.StopPlaying(12345), B_BAD_VALUE);
}

TEST(SoundPlayerTest, PlaysOnceOnAnotherThreadWhenADeviceExists)
{
    if (!BSoundPlayer::HasAudioOutput())
        GTEST_SKIP() << "no audio output device on this machine: playing is not tested (decoding is)";
    // A tenth of a second of a quiet tone.
    std::vector<uint8> samples(1600);
    for (size_t i = 0; i < samples.size() / 2; i++) {
        const int16 v = int16((i % 20 < 10) ? 300 : -300);
        std::memcpy(&samples[i * 2], &v, 2);
    }
    BSound sound(samples.data(), samples.size(), Mono16());
    BSoundPlayer player(&sound.Format(), "test player");
    const auto start = std::chrono::steady_clock::now();
    const play_id id = player.StartPlaying(&sound);
    ASSERT_GT(id, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << "StartPlaying must not wait";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (player.IsPlaying(id) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(player.IsPlaying(id)) << "the sound ends by itself";
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100))
        << "the sound plays for its whole length before its thread ends";

    // Stop() ends a sound that is still playing.
    std::vector<uint8> longer(160000, 0);
    BSound quiet(longer.data(), longer.size(), Mono16());
    const play_id second = player.StartPlaying(&quiet);
    ASSERT_GT(second, 0);
    player.Stop(true, true);
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(player.StartPlaying(&quiet), B_NOT_ALLOWED) << "a stopped player plays after Start() only";
}
