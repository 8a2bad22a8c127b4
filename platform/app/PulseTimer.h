// A timer thread that calls a function at a steady rate: the pulse of the
// application (and of windows). The function runs in the timer's thread and
// should only post a message.
#pragma once

#include <SupportDefs.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class BPulseTimer {
public:
    explicit BPulseTimer(std::function<void()> tick);
    ~BPulseTimer();
    BPulseTimer(const BPulseTimer&) = delete;
    BPulseTimer& operator=(const BPulseTimer&) = delete;

    // Microseconds between ticks; 0 (or less) stops the ticks. The first
    // tick comes one period after the call.
    void SetRate(bigtime_t rate);
    bigtime_t Rate() const;

private:
    void _Run();

    std::function<void()> fTick;
    mutable std::mutex fMutex;
    std::condition_variable fChanged;
    std::thread fThread;
    bigtime_t fRate;
    uint64 fGeneration;
    bool fQuit;
};
