#include <PulseTimer.h>

#include <chrono>

BPulseTimer::BPulseTimer(std::function<void()> tick)
    :
    fTick(std::move(tick)),
    fRate(0),
    fGeneration(0),
    fQuit(false)
{
}

BPulseTimer::~BPulseTimer()
{
    {
        std::lock_guard lock(fMutex);
        fQuit = true;
        fChanged.notify_all();
    }
    if (fThread.joinable())
        fThread.join();
}

void BPulseTimer::SetRate(bigtime_t rate)
{
    std::lock_guard lock(fMutex);
    fRate = rate > 0 ? rate : 0;
    fGeneration++;
    fChanged.notify_all();
    if (fRate > 0 && !fThread.joinable())
        fThread = std::thread(&BPulseTimer::_Run, this);
}

bigtime_t BPulseTimer::Rate() const
{
    std::lock_guard lock(fMutex);
    return fRate;
}

void BPulseTimer::_Run()
{
    std::unique_lock lock(fMutex);
    while (!fQuit) {
        if (fRate <= 0) {
            fChanged.wait(lock);
            continue;
        }
        uint64 generation = fGeneration;
        auto next = std::chrono::steady_clock::now() + std::chrono::microseconds(fRate);
        // A rate change restarts the period.
        while (!fQuit && generation == fGeneration) {
            if (fChanged.wait_until(lock, next) != std::cv_status::timeout)
                continue;
            if (std::chrono::steady_clock::now() < next)
                continue;
            lock.unlock();
            fTick();
            lock.lock();
            next += std::chrono::microseconds(fRate);
            auto now = std::chrono::steady_clock::now();
            if (next < now)
                next = now + std::chrono::microseconds(fRate); // fell behind: no catch-up burst
        }
    }
}
