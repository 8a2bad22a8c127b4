#include <SoundPlayer.h>

#include <Errors.h>
#include <RawAudio.h>
#include <Sound.h>
#include <SoundPlayback.h>

#include <QAudioDevice>
#include <QCoreApplication>
#include <QMediaDevices>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// The device format for a sound: floats when the device takes them, else
// 16-bit integers; invalid when it takes neither at the sound's rate and
// channel count.
QAudioFormat DeviceFormat(const QAudioDevice& device, const media_raw_audio_format& sound)
{
    QAudioFormat format;
    format.setSampleRate(int(sound.frame_rate));
    format.setChannelCount(int(sound.channel_count));
    format.setSampleFormat(QAudioFormat::Float);
    if (device.isFormatSupported(format))
        return format;
    format.setSampleFormat(QAudioFormat::Int16);
    if (device.isFormatSupported(format))
        return format;
    return {};
}

QByteArray Encode(const std::vector<float>& samples, const QAudioFormat& format)
{
    QByteArray bytes;
    if (format.sampleFormat() == QAudioFormat::Float) {
        bytes.resize(qsizetype(samples.size() * sizeof(float)));
        if (!samples.empty())
            std::memcpy(bytes.data(), samples.data(), samples.size() * sizeof(float));
        return bytes;
    }
    bytes.resize(qsizetype(samples.size() * sizeof(int16)));
    auto* out = reinterpret_cast<int16*>(bytes.data());
    for (size_t i = 0; i < samples.size(); i++)
        out[i] = pcm16_from_float(samples[i]);
    return bytes;
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
    // Qt's audio devices and event loops work only inside a Qt application
    // object; without one there is no output to use.
    return QCoreApplication::instance() != nullptr && !QMediaDevices::defaultAudioOutput().isNull();
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
    if (QCoreApplication::instance() == nullptr) {
        std::fprintf(stderr, "%s: no application object runs Qt, the sound is not played\n", fName.c_str());
        return B_ERROR;
    }
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        std::fprintf(stderr, "%s: no audio output device, the sound is not played\n", fName.c_str());
        return B_ERROR;
    }
    const QAudioFormat format = DeviceFormat(device, sound->Format());
    if (!format.isValid()) {
        std::fprintf(stderr, "%s: the audio device cannot play %u channels at %.0f Hz\n", fName.c_str(),
            unsigned(sound->Format().channel_count), double(sound->Format().frame_rate));
        return B_BAD_VALUE;
    }
    std::lock_guard<std::mutex> lock(fLock);
    ReapFinished();
    const float level = std::clamp(volume, 0.0f, 1.0f) * fVolume;
    const play_id id = fNextID++;
    fPlaying.push_back({id, std::make_unique<SoundPlayback>(device, format, Encode(samples, format), level)});
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
