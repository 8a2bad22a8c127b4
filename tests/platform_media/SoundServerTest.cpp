// The player against the sound server library: a missing library or server
// gives silence and one line without hanging; with a (stand-in) server the
// samples arrive as 16-bit little-endian at the sound's rate with the volume
// applied, play to the end, and a stop cuts them short at once.
#include <PulseSimple.h>
#include <Sound.h>
#include <SoundPlayer.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;

namespace {

// Sets an environment variable for one test and restores it after.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : fName(name)
    {
        if (const char* old = std::getenv(name)) {
            fOld = old;
            fHadOld = true;
        }
        if (value != nullptr)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (fHadOld)
            ::setenv(fName.c_str(), fOld.c_str(), 1);
        else
            ::unsetenv(fName.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string fName;
    std::string fOld;
    bool fHadOld = false;
};

media_raw_audio_format Format(float rate, uint32 channels, uint32 code, uint32 byteOrder)
{
    media_raw_audio_format format;
    format.frame_rate = rate;
    format.channel_count = channels;
    format.format = code;
    format.byte_order = byteOrder;
    format.buffer_size = 512;
    return format;
}

// Waits up to limit for the player to finish; true when it did.
bool WaitUntilQuiet(BSoundPlayer& player, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (player.IsPlaying() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return !player.IsPlaying();
}

std::vector<int16> Pcm(const std::string& bytes)
{
    std::vector<int16> out(bytes.size() / 2);
    for (size_t i = 0; i < out.size(); i++)
        out[i] = int16(uint16(uint8(bytes[2 * i])) | uint16(uint8(bytes[2 * i + 1]) << 8));
    return out;
}

} // namespace

TEST(SoundServerTest, AMissingOrForeignLibraryOpensNoStream)
{
    PulseSimple missing("libondelle-no-such-sound-library.so.0", 8000, 1, "test");
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_NE(missing.Error().find("libondelle-no-such-sound-library.so.0"), std::string::npos) << missing.Error();
    const int16 samples[4] = {};
    EXPECT_FALSE(missing.Write(samples, sizeof samples));
    EXPECT_EQ(missing.Latency(), 0u);
    EXPECT_FALSE(missing.Drain());
    missing.Flush();

    // A library that loads but is not the sound server's API.
    PulseSimple foreign("libz.so.1", 8000, 1, "test");
    EXPECT_FALSE(foreign.IsOpen());
    EXPECT_NE(foreign.Error().find("not the sound server"), std::string::npos) << foreign.Error();
}

TEST(SoundServerTest, WithoutTheLibraryTheSoundIsSilentWithOneLine)
{
    ScopedEnv library("ONDELLE_PULSE_LIBRARY", "libondelle-no-such-sound-library.so.0");
    EXPECT_FALSE(BSoundPlayer::HasAudioOutput());
    std::vector<uint8> samples(16000, 0);
    BSound sound(samples.data(), samples.size(), Format(8000, 1, media_raw_audio_format::B_AUDIO_SHORT, 2));
    BSoundPlayer player(&sound.Format(), "test player");
    testing::internal::CaptureStderr();
    const auto start = std::chrono::steady_clock::now();
    const play_id id = player.StartPlaying(&sound);
    EXPECT_GT(id, 0) << "the library is looked for on the sound's own thread";
    EXPECT_TRUE(WaitUntilQuiet(player, std::chrono::seconds(5))) << "a missing library must not hang the player";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900))
        << "a one-second sound ends at once when nothing can play it";
    player.Stop(true, true);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("test player: no audio output device, the sound is not played"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

TEST(SoundServerTest, ARefusingServerGivesTheServersReason)
{
    ScopedEnv library("ONDELLE_PULSE_LIBRARY", FAKE_SOUND_SERVER);
    ScopedEnv refuse("FAKE_SOUND_SERVER_REFUSE", "1");
    EXPECT_FALSE(BSoundPlayer::HasAudioOutput());
    std::vector<uint8> samples(800, 0);
    BSound sound(samples.data(), samples.size(), Format(8000, 1, media_raw_audio_format::B_AUDIO_SHORT, 2));
    BSoundPlayer player(&sound.Format(), "startup");
    testing::internal::CaptureStderr();
    ASSERT_GT(player.StartPlaying(&sound), 0);
    EXPECT_TRUE(WaitUntilQuiet(player, std::chrono::seconds(5)));
    player.Stop(true, true);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("startup: no audio output device"), std::string::npos) << said;
    EXPECT_NE(said.find("Connection refused"), std::string::npos) << said;
}

TEST(SoundServerTest, SamplesReachTheServerAs16BitWithTheVolumeApplied)
{
    TempDir dir;
    const std::string log = (dir / "server.log").string();
    ScopedEnv library("ONDELLE_PULSE_LIBRARY", FAKE_SOUND_SERVER);
    ScopedEnv logName("FAKE_SOUND_SERVER_LOG", log.c_str());
    EXPECT_TRUE(BSoundPlayer::HasAudioOutput());
    std::remove(log.c_str());

    // Big-endian floats, two channels at 11025 Hz: 300 frames (27 ms).
    std::vector<uint8> bytes;
    std::vector<float> values;
    for (int i = 0; i < 600; i++)
        values.push_back(i % 3 == 0 ? 1.0f : (i % 3 == 1 ? -0.5f : 0.25f));
    for (float v : values) {
        uint32 bits;
        std::memcpy(&bits, &v, 4);
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.push_back(uint8(bits >> shift));
    }
    BSound sound(bytes.data(), bytes.size(), Format(11025, 2, media_raw_audio_format::B_AUDIO_FLOAT, 1));
    BSoundPlayer player(&sound.Format(), "test player");
    player.SetVolume(0.5f);
    testing::internal::CaptureStderr();
    ASSERT_GT(player.StartPlaying(&sound, 0, 0.8f), 0);
    EXPECT_TRUE(WaitUntilQuiet(player, std::chrono::seconds(5)));
    player.Stop(true, true);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    EXPECT_EQ(ReadFileBytes(log), "new 11025 2\ndrain\nfree\n") << "played to the end, then drained";
    const std::vector<int16> heard = Pcm(ReadFileBytes(log + ".pcm"));
    ASSERT_EQ(heard.size(), values.size());
    for (size_t i = 0; i < heard.size(); i++) {
        const int expected = int(std::lround(values[i] * 0.4f * 32767));
        ASSERT_NEAR(heard[i], expected, 1) << "sample " << i;
    }
}

TEST(SoundServerTest, StoppingCutsALongSoundShortAtOnce)
{
    TempDir dir;
    const std::string log = (dir / "server.log").string();
    ScopedEnv library("ONDELLE_PULSE_LIBRARY", FAKE_SOUND_SERVER);
    ScopedEnv logName("FAKE_SOUND_SERVER_LOG", log.c_str());
    // Ten seconds at 8000 Hz mono.
    std::vector<uint8> samples(160000, 0);
    BSound sound(samples.data(), samples.size(), Format(8000, 1, media_raw_audio_format::B_AUDIO_SHORT, 2));
    BSoundPlayer player(&sound.Format(), "test player");
    const play_id id = player.StartPlaying(&sound);
    ASSERT_GT(id, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(player.IsPlaying(id));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(player.StopPlaying(id), B_OK);
    // About 20 ms; a loaded build machine gets a wide margin.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_FALSE(player.IsPlaying(id));
    EXPECT_EQ(ReadFileBytes(log), "new 8000 1\nflush\nfree\n") << "what was queued is dropped, not drained";
    EXPECT_LT(ReadFileBytes(log + ".pcm").size(), samples.size() / 2);
}
