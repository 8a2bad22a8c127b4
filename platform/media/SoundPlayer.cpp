#include <SoundPlayer.h>

#include <Errors.h>
#include <RawAudio.h>
#include <Sound.h>
#include <SoundPlayback.h>

#include <PulseSimple.h>

#include <algorithm>
#include <cstdio>

namespace {

// The samples as the server takes them: 16-bit integers, volume applied.
std::vector<int16> Encode(const std::vector<float>& samples, float volume)
{
    std::vector<int16> out(samples.size());
    for (size_t i = 0; i < samples.size(); i++)
        out[i] = pcm16_from_float(samples[i] * volume);
    return out;
}

} // namespace

BSoundPlayer::BSoundPlayer(const media_raw_audio_format* format, const char* name)
    : fName(name != nullptr && *name != '\0' ? name : "sound player")
{
    if (format != nullptr)
        fFormat = *format;
}

BSoundPlayer::~BSoundPlayer()
{
    Stop(true, true);
}

bool BSoundPlayer::HasAudioOutput()
{
    // A stream is opened and closed again: only a working connection shows
    // that sounds will be heard.
    return PulseSimple(PulseSimple::LibraryName(), 44100, 2, "probe").IsOpen();
}

status_t BSoundPlayer::Start()
{
    std::lock_guard<std::mutex> lock(fLock);
    fRunning = true;
    return B_OK;
}

void BSoundPlayer::Stop(bool block, bool flush)
{
    (void)flush;
    std::vector<Playing> stopping;
    {
        std::lock_guard<std::mutex> lock(fLock);
        fRunning = false;
        for (Playing& playing : fPlaying)
            playing.playback->Stop();
        if (block)
            stopping.swap(fPlaying);
    }
    // Joined outside the lock, so that IsPlaying() from another thread does
    // not wait for the audio threads.
    for (Playing& playing : stopping)
        playing.playback->Wait();
}

play_id BSoundPlayer::StartPlaying(BSound* sound, bigtime_t atTime, float volume)
{
    (void)atTime;
    if (sound == nullptr || sound->InitCheck() != B_OK) {
        std::fprintf(stderr, "%s: no playable sound given, nothing is played\n", fName.c_str());
        return B_BAD_VALUE;
    }
    {
        std::lock_guard<std::mutex> lock(fLock);
        if (!fRunning)
            return B_NOT_ALLOWED;
    }
    std::vector<float> samples;
    std::string error;
    if (decode_raw_audio(sound->Data(), sound->Size(), sound->Format(), &samples, &error) != B_OK) {
        std::fprintf(stderr, "%s: the sound cannot be played: %s\n", fName.c_str(), error.c_str());
        return B_BAD_VALUE;
    }
    std::lock_guard<std::mutex> lock(fLock);
    ReapFinished();
    const float level = std::clamp(volume, 0.0f, 1.0f) * fVolume;
    const play_id id = fNextID++;
    // The server is reached on the sound's own thread: connecting may take
    // a while, and a missing server is reported there.
    fPlaying.push_back({id, std::make_unique<SoundPlayback>(fName, PulseSimple::LibraryName(),
                                uint32(sound->Format().frame_rate), sound->Format().channel_count,
                                Encode(samples, level))});
    return id;
}

status_t BSoundPlayer::StopPlaying(play_id id)
{
    std::unique_ptr<SoundPlayback> stopped;
    {
        std::lock_guard<std::mutex> lock(fLock);
        auto found = std::find_if(fPlaying.begin(), fPlaying.end(), [id](const Playing& p) { return p.id == id; });
        if (found == fPlaying.end())
            return B_BAD_VALUE;
        stopped = std::move(found->playback);
        fPlaying.erase(found);
    }
    // The destructor stops the sound and waits for its thread.
    stopped.reset();
    return B_OK;
}

bool BSoundPlayer::IsPlaying(play_id id)
{
    std::lock_guard<std::mutex> lock(fLock);
    for (const Playing& playing : fPlaying) {
        if (playing.id == id)
            return playing.playback->IsPlaying();
    }
    return false;
}

bool BSoundPlayer::IsPlaying()
{
    std::lock_guard<std::mutex> lock(fLock);
    return std::any_of(
        fPlaying.begin(), fPlaying.end(), [](const Playing& p) { return p.playback->IsPlaying(); });
}

void BSoundPlayer::SetVolume(float volume)
{
    std::lock_guard<std::mutex> lock(fLock);
    fVolume = std::clamp(volume, 0.0f, 1.0f);
}

void BSoundPlayer::ReapFinished()
{
    // Finished threads have ended their work; joining them is immediate.
    fPlaying.erase(std::remove_if(fPlaying.begin(), fPlaying.end(),
                       [](const Playing& p) { return !p.playback->IsPlaying(); }),
        fPlaying.end());
}
