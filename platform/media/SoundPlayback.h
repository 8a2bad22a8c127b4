// One sound played once through Qt Multimedia on a thread of its own, so
// that neither the GUI thread nor the caller waits for the audio device.
#pragma once

#include <SupportDefs.h>

#include <QAudioDevice>
#include <QAudioFormat>
#include <QByteArray>

#include <atomic>
#include <memory>

class QThread;

class SoundPlayback {
public:
    // Starts playing at once. The samples are already in the device's
    // format; volume is 0.0 ... 1.0.
    SoundPlayback(const QAudioDevice& device, const QAudioFormat& format, QByteArray samples, float volume);
    // Stops the sound and waits for its thread.
    ~SoundPlayback();

    SoundPlayback(const SoundPlayback&) = delete;
    SoundPlayback& operator=(const SoundPlayback&) = delete;

    // True until the last sample was played or the sound was stopped.
    bool IsPlaying() const { return !fDone->load(); }
    // Asks the thread to stop; returns at once.
    void Stop() { fStop->store(true); }
    // Waits until the thread has ended.
    void Wait();

private:
    // Shared with the thread, which may outlive nothing of this object but
    // reads these until it ends.
    std::shared_ptr<std::atomic<bool>> fStop;
    std::shared_ptr<std::atomic<bool>> fDone;
    std::unique_ptr<QThread> fThread;
};
