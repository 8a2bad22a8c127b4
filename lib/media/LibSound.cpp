#include <LibSound.h>

#include <Entry.h>
#include <Message.h>
#include <Path.h>
#include <RawAudio.h>
#include <Sound.h>
#include <SoundPlayer.h>
#include <TypeConstants.h>

#include <cstdio>
#include <string>
#include <vector>

LibSound::LibSound(const char* path, const char* playerName)
    : fPlayerName(playerName != nullptr ? playerName : "")
{
    if (LoadSound(path))
        MakePlayer();
}

LibSound::LibSound(const BMessage& audio, const char* playerName)
    : fPlayerName(playerName != nullptr ? playerName : "")
{
    if (LoadSound(audio))
        MakePlayer();
}

LibSound::~LibSound()
{
    // The player stops its sounds and waits for their threads before the
    // sound goes.
    fPlayer.reset();
    fSound.reset();
}

void LibSound::MakePlayer()
{
    fPlayer = std::make_unique<BSoundPlayer>(&fFormat, fPlayerName);
    fPlayer->SetVolume(1.0f);
    fLoaded = true;
}

bool LibSound::LoadSound(const BMessage& audio)
{
    const void* data = nullptr;
    ssize_t size = 0;
    media_raw_audio_format format;
    float rate = 0;
    int32 channels = 0;
    int32 code = 0;
    int32 order = 0;
    int32 bufferSize = 0;
    if (audio.FindData("data", B_ANY_TYPE, &data, &size) != B_OK || size <= 0
        || audio.FindFloat("frame_rate", &rate) != B_OK || audio.FindInt32("channel_count", &channels) != B_OK
        || audio.FindInt32("format", &code) != B_OK || audio.FindInt32("byte_order", &order) != B_OK) {
        std::fprintf(stderr, "LibSound: the audio message lacks samples or a format field; no sound\n");
        return false;
    }
    audio.FindInt32("buffer_size", &bufferSize);
    format.frame_rate = rate;
    format.channel_count = uint32(channels);
    format.format = uint32(code);
    format.byte_order = uint32(order);
    format.buffer_size = bufferSize > 0 ? size_t(bufferSize) : 0;
    std::string error;
    if (check_raw_audio_format(format, &error) != B_OK) {
        std::fprintf(stderr, "LibSound: the sound cannot be played: %s\n", error.c_str());
        return false;
    }
    // The sound keeps a copy of the samples, so the message may go.
    auto sound = std::make_unique<BSound>(const_cast<void*>(data), size_t(size), format);
    if (sound->InitCheck() != B_OK)
        return false;
    fSound = std::move(sound);
    fFormat = fSound->Format();
    return true;
}

bool LibSound::LoadSound(const char* path)
{
    if (path == nullptr || *path == '\0')
        return false;
    BEntry entry(path, true);
    entry_ref ref;
    if (!entry.Exists() || entry.GetRef(&ref) != B_OK) {
        std::fprintf(stderr, "LibSound: no sound file \"%s\"\n", path);
        return false;
    }
    auto sound = std::make_unique<BSound>(&ref, true);
    if (sound->InitCheck() != B_OK) {
        std::fprintf(stderr, "LibSound: \"%s\" is not a sound file that can be played\n", path);
        return false;
    }
    fSound = std::move(sound);
    fFormat = fSound->Format();
    fRef = ref;
    BPath resolved(&ref);
    fPath = resolved.InitCheck() == B_OK ? resolved.Path() : path;
    return true;
}

status_t LibSound::Archive(BMessage& audio) const
{
    if (!fSound)
        return B_NO_INIT;
    status_t status = audio.AddData("data", B_ANY_TYPE, fSound->Data(), ssize_t(fSound->Size()), false);
    if (status == B_OK)
        status = audio.AddFloat("frame_rate", fFormat.frame_rate);
    if (status == B_OK)
        status = audio.AddInt32("channel_count", int32(fFormat.channel_count));
    if (status == B_OK)
        status = audio.AddInt32("format", int32(fFormat.format));
    if (status == B_OK)
        status = audio.AddInt32("byte_order", int32(fFormat.byte_order));
    if (status == B_OK)
        status = audio.AddInt32("buffer_size", int32(fFormat.buffer_size));
    return status;
}

void LibSound::Play()
{
    if (!fLoaded)
        return;
    const bool playing = IsPlaying();
    if (playing && !fAllowMultiple)
        return;
    if (!playing) {
        fPlayer->Stop(true, true);
        fPlayer->Start();
    }
    const play_id id = fPlayer->StartPlaying(fSound.get());
    if (id > 0)
        fPlayID = id;
}

bool LibSound::IsPlaying()
{
    if (!fLoaded)
        return false;
    return fPlayer->IsPlaying(fPlayID) || fPlayer->IsPlaying();
}

void LibSound::PrintToStream() const
{
    std::fprintf(stderr, "LibSound: %s, %.0f Hz, %u channels, format 0x%x, %zu bytes%s\n",
        fLoaded ? "loaded" : "not loaded", double(fFormat.frame_rate), unsigned(fFormat.channel_count),
        unsigned(fFormat.format), fSound ? fSound->Size() : size_t(0),
        fPath.Length() > 0 ? (std::string(", file ") + static_cast<const char*>(fPath)).c_str() : "");
}
