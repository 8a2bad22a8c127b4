// One sound played once to the sound server on a thread of its own, so that
// neither the GUI thread nor the caller waits for the server. The server
// library is loaded and connected to on that thread; when either fails, the
// thread writes one line to standard error and ends: the sound is silent.
#pragma once

#include <SupportDefs.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class SoundPlayback {
public:
    // Starts playing at once: samples are interleaved 16-bit values with
    // the volume already applied. name prefixes the diagnostics; library
    // is the simple API's file (PulseSimple::LibraryName()).
    SoundPlayback(std::string name, std::string library, uint32 frameRate, uint32 channels,
        std::vector<int16> samples);
    // Stops the sound and waits for its thread.
    ~SoundPlayback();

    SoundPlayback(const SoundPlayback&) = delete;
    SoundPlayback& operator=(const SoundPlayback&) = delete;

    // True until the last sample was played, the sound was stopped or the
    // server could not be used.
    bool IsPlaying() const { return !fDone->load(); }
    // Asks the thread to stop; it does within about 20 ms.
    void Stop() { fStop->store(true); }
    // Waits until the thread has ended.
    void Wait();

private:
    std::shared_ptr<std::atomic<bool>> fStop;
    std::shared_ptr<std::atomic<bool>> fDone;
    std::thread fThread;
};
