#include <SoundPlayback.h>

#include <PulseSimple.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

// Samples go out in pieces of this length, and the stop request is looked
// at between pieces and while the server plays out its queue.
constexpr uint32 kChunkMs = 10;
constexpr auto kStopPoll = std::chrono::milliseconds(20);
// Latency below which the rest is left to a blocking drain.
constexpr uint64 kDrainBelowUs = 20000;
// Time allowed beyond the sound's own length for the server to play it out.
constexpr auto kPlayOutSlack = std::chrono::seconds(2);

void PlayOnThisThread(const std::string& name, const std::string& library, uint32 frameRate, uint32 channels,
    const std::vector<int16>& samples, const std::atomic<bool>& stop)
{
    PulseSimple stream(library, frameRate, channels, name.c_str());
    if (!stream.IsOpen()) {
        std::fprintf(stderr, "%s: no audio output device, the sound is not played (%s)\n", name.c_str(),
            stream.Error().c_str());
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    const size_t chunk = std::max<size_t>(1, size_t(frameRate) * kChunkMs / 1000) * channels;
    for (size_t offset = 0; offset < samples.size(); offset += chunk) {
        if (stop.load()) {
            stream.Flush();
            return;
        }
        const size_t count = std::min(chunk, samples.size() - offset);
        if (!stream.Write(samples.data() + offset, count * sizeof(int16))) {
            std::fprintf(stderr, "%s: %s\n", name.c_str(), stream.Error().c_str());
            return;
        }
    }
    // Every sample is queued; wait in short steps while the server plays
    // them, so that a stop request still cuts the sound short.
    const auto length = std::chrono::microseconds(uint64(samples.size() / channels) * 1000000 / frameRate);
    const auto deadline = start + length + kPlayOutSlack;
    while (!stop.load() && std::chrono::steady_clock::now() < deadline && stream.Latency() > kDrainBelowUs)
        std::this_thread::sleep_for(kStopPoll);
    if (stop.load())
        stream.Flush();
    else
        stream.Drain();
}

} // namespace

SoundPlayback::SoundPlayback(std::string name, std::string library, uint32 frameRate, uint32 channels,
    std::vector<int16> samples)
    : fStop(std::make_shared<std::atomic<bool>>(false))
    , fDone(std::make_shared<std::atomic<bool>>(false))
{
    fThread = std::thread([name = std::move(name), library = std::move(library), frameRate, channels,
                              samples = std::move(samples), stop = fStop, done = fDone] {
        PlayOnThisThread(name, library, frameRate, channels, samples, *stop);
        done->store(true);
    });
}

SoundPlayback::~SoundPlayback()
{
    Stop();
    Wait();
}

void SoundPlayback::Wait()
{
    if (fThread.joinable())
        fThread.join();
}
