#include <OS.h>

#include "ThreadRegistry.h"

#include <cerrno>
#include <chrono>
#include <ctime>

using namespace ondelle::kernel;

bigtime_t system_time(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return bigtime_t(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

uint32 real_time_clock(void)
{
    return uint32(::time(nullptr));
}

status_t snooze(bigtime_t amount)
{
    if (amount < 0)
        return B_BAD_VALUE;
    // Longer waits than about thirty years (B_INFINITE_TIMEOUT) are as good
    // as endless and would overflow the clocks.
    const bigtime_t kLongest = bigtime_t(1) << 50;
    if (amount > kLongest)
        amount = kLongest;
    ThreadRecordRef record = ThreadRegistry::Current();
    if (record == nullptr) {
        struct timespec rest = {time_t(amount / 1000000), long(amount % 1000000) * 1000};
        while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
        }
        return B_OK;
    }

    // Spawned threads sleep on the registry's condition, so that a kill
    // parks them at once instead of after the sleep.
    ThreadRegistry& registry = ThreadRegistry::Default();
    std::unique_lock lock(registry.Mutex());
    int32 previous = record->waitState;
    record->waitState = B_THREAD_ASLEEP;
    registry.Changed().notify_all();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(amount);
    registry.Changed().wait_until(lock, deadline, [&] { return record->killed; });
    record->waitState = previous;
    if (record->killed)
        registry.HonourMarks(*record, lock);
    return B_OK;
}
