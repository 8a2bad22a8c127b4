// LibSound from the configuration's audio message and from sound files;
// nothing plays and no player exists for anything it cannot use.
#include <LibSound.h>
#include <Message.h>
#include <SoundPlayer.h>
#include <TypeConstants.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace fs = std::filesystem;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

BMessage AudioMessage(const std::string& samples, int32 format = media_raw_audio_format::B_AUDIO_SHORT,
    int32 order = B_MEDIA_LITTLE_ENDIAN, int32 channels = 1)
{
    BMessage audio;
    audio.AddData("data", B_ANY_TYPE, samples.data(), ssize_t(samples.size()), false);
    audio.AddFloat("frame_rate", 11025.0f);
    audio.AddInt32("channel_count", channels);
    audio.AddInt32("format", format);
    audio.AddInt32("byte_order", order);
    audio.AddInt32("buffer_size", 2048);
    return audio;
}

std::string WaveFile(const std::string& samples)
{
    auto le = [](uint32 v, int bytes) {
        std::string out;
        for (int i = 0; i < bytes; i++)
            out += char((v >> (8 * i)) & 0xff);
        return out;
    };
    std::string body = "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(8000, 4) + le(16000, 4) + le(2, 2)
        + le(16, 2) + "data" + le(uint32(samples.size()), 4) + samples;
    return "RIFF" + le(uint32(body.size()), 4) + body;
}

} // namespace

TEST(LibSoundTest, RebuildsTheSoundFromTheAudioMessage)
{
    const std::string samples(400, '\x10');
    LibSound sound(AudioMessage(samples, media_raw_audio_format::B_AUDIO_SHORT, B_MEDIA_BIG_ENDIAN, 2), "startup");
    ASSERT_TRUE(sound.IsProceeding());
    EXPECT_EQ(sound.Format().frame_rate, 11025.0f);
    EXPECT_EQ(sound.Format().channel_count, 2u);
    EXPECT_EQ(sound.Format().byte_order, uint32(B_MEDIA_BIG_ENDIAN));
    EXPECT_EQ(sound.Format().buffer_size, 2048u);

    // Archive gives back the same message fields.
    BMessage archived;
    ASSERT_EQ(sound.Archive(archived), B_OK);
    const void* data = nullptr;
    ssize_t size = 0;
    type_code type = 0;
    ASSERT_EQ(archived.FindData("data", B_ANY_TYPE, &data, &size), B_OK);
    ASSERT_EQ(archived.GetInfo("data", &type), B_OK);
    EXPECT_EQ(type, type_code(B_ANY_TYPE));
    EXPECT_EQ(std::string(static_cast<const char*>(data), size_t(size)), samples);
    EXPECT_EQ(archived.GetFloat("frame_rate", 0.0f), 11025.0f);
    EXPECT_EQ(archived.GetInt32("channel_count", 0), 2);
    EXPECT_EQ(archived.GetInt32("format", 0), int32(media_raw_audio_format::B_AUDIO_SHORT));
    EXPECT_EQ(archived.GetInt32("byte_order", 0), int32(B_MEDIA_BIG_ENDIAN));
    EXPECT_EQ(archived.GetInt32("buffer_size", 0), 2048);

    // Every sample format code loads.
    for (int32 code : {0x24, 0x04, 0x02, 0x11, 0x01})
        EXPECT_TRUE(LibSound(AudioMessage(std::string(64, '\0'), code), "startup").IsProceeding()) << code;
}

TEST(LibSoundTest, NoSoundNoPlayerAndPlayDoesNothing)
{
    struct Case {
        const char* what;
        BMessage audio;
    };
    BMessage noData = AudioMessage("abcd");
    noData.RemoveName("data");
    BMessage noRate = AudioMessage("abcd");
    noRate.RemoveName("frame_rate");
    const Case cases[] = {
        {"empty message", BMessage()},
        {"no samples", noData},
        {"no frame rate", noRate},
        {"empty samples", AudioMessage("")},
        {"unknown format", AudioMessage("abcd", 0x55)},
        {"unknown byte order", AudioMessage("abcd", 0x02, 7)},
        {"no channels", AudioMessage("abcd", 0x02, B_MEDIA_LITTLE_ENDIAN, 0)},
        {"negative channels", AudioMessage("abcd", 0x02, B_MEDIA_LITTLE_ENDIAN, -2)},
    };
    for (const Case& c : cases) {
        testing::internal::CaptureStderr();
        LibSound sound(c.audio, "startup");
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(sound.IsProceeding()) << c.what;
        EXPECT_NE(said.find("LibSound"), std::string::npos) << c.what << ": one line on standard error";
        sound.Play();
        EXPECT_FALSE(sound.IsPlaying()) << c.what;
        BMessage archived;
        EXPECT_EQ(sound.Archive(archived), B_NO_INIT) << c.what;
    }
}

TEST(LibSoundTest, SoundFilesLoadThroughLinks)
{
    TempDir dir;
    WriteFileBytes(dir / "chime.wav", WaveFile(std::string(200, '\x02')));
    fs::create_symlink("chime.wav", dir / "link.wav");
    LibSound sound((dir / "link.wav").c_str(), "startup");
    ASSERT_TRUE(sound.IsProceeding());
    EXPECT_EQ(sound.Format().frame_rate, 8000.0f);
    BMessage archived;
    ASSERT_EQ(sound.Archive(archived), B_OK);
    EXPECT_EQ(archived.GetInt32("format", 0), int32(media_raw_audio_format::B_AUDIO_SHORT));

    testing::internal::CaptureStderr();
    LibSound missing((dir / "missing.wav").c_str(), "startup");
    WriteFileBytes(dir / "text.wav", "hello");
    LibSound notSound((dir / "text.wav").c_str(), "startup");
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(missing.IsProceeding());
    EXPECT_FALSE(notSound.IsProceeding());
    notSound.Play();
}

TEST(LibSoundTest, PlayGoesOnWithoutADevice)
{
    if (BSoundPlayer::HasAudioOutput())
        GTEST_SKIP() << "an audio output exists here; the no-device behaviour is not observable";
    LibSound sound(AudioMessage(std::string(2000, '\0')), "startup");
    ASSERT_TRUE(sound.IsProceeding());
    testing::internal::CaptureStderr();
    sound.Play();
    // The server is looked for on the sound's own thread, which writes its
    // line before it counts as finished.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (sound.IsPlaying() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(sound.IsPlaying());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("no audio output device"), std::string::npos) << said;
}

TEST(LibSoundTest, PlayingAgainWhileTheSoundPlaysKeepsIt)
{
    if (!BSoundPlayer::HasAudioOutput())
        GTEST_SKIP() << "no audio output device on this machine: playing is not tested";
    // Two seconds of silence, long enough for both calls to fall inside.
    LibSound sound(AudioMessage(std::string(44100, '\0')), "startup");
    ASSERT_TRUE(sound.IsProceeding());
    sound.Play();
    ASSERT_TRUE(sound.IsPlaying());
    testing::internal::CaptureStderr();
    sound.Play();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(sound.IsPlaying());
}
