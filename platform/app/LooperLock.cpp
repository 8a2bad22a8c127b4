#include "LooperLock.h"

#include <ThreadWaitMark.h>

#include <chrono>

namespace BPrivate {

status_t LooperLock::Acquire(bigtime_t timeout)
{
    std::unique_lock lock(fMutex);
    return _Acquire(lock, timeout);
}

status_t LooperLock::AcquireOrCallWhenFree(bigtime_t timeout, std::function<void()> whenFree)
{
    std::unique_lock lock(fMutex);
    const status_t status = _Acquire(lock, timeout);
    if (status == B_TIMED_OUT)
        fWhenFree.push_back(std::move(whenFree));
    return status;
}

std::vector<std::function<void()>> LooperLock::_TakeWhenFree()
{
    std::vector<std::function<void()>> calls;
    calls.swap(fWhenFree);
    return calls;
}

status_t LooperLock::_Acquire(std::unique_lock<std::mutex>& lock, bigtime_t timeout)
{
    thread_id self = find_thread(nullptr);
    if (fDead)
        return B_BAD_VALUE;
    if (fOwner == self) {
        fCount++;
        return B_OK;
    }
    if (fOwner >= 0) {
        if (timeout <= 0)
            return B_TIMED_OUT;
        ThreadWaitMark mark(B_THREAD_WAITING);
        fWaiting++;
        auto ready = [&] { return fDead || fOwner < 0; };
        if (timeout >= B_INFINITE_TIMEOUT / 2) {
            fChanged.wait(lock, ready);
        } else if (!fChanged.wait_for(lock, std::chrono::microseconds(timeout), ready)) {
            fWaiting--;
            return B_TIMED_OUT;
        }
        fWaiting--;
        if (fDead)
            return B_BAD_VALUE;
    }
    fOwner = self;
    fCount = 1;
    return B_OK;
}

bool LooperLock::Release()
{
    thread_id self = find_thread(nullptr);
    std::vector<std::function<void()>> calls;
    {
        std::unique_lock lock(fMutex);
        if (fOwner != self || fCount <= 0)
            return false;
        if (--fCount == 0) {
            fOwner = -1;
            fChanged.notify_all();
            calls = _TakeWhenFree();
        }
    }
    for (const auto& call : calls)
        call();
    return true;
}

int32 LooperLock::ReleaseAll()
{
    thread_id self = find_thread(nullptr);
    int32 count = 0;
    std::vector<std::function<void()>> calls;
    {
        std::unique_lock lock(fMutex);
        if (fOwner != self)
            return 0;
        count = fCount;
        fCount = 0;
        fOwner = -1;
        fChanged.notify_all();
        calls = _TakeWhenFree();
    }
    for (const auto& call : calls)
        call();
    return count;
}

bool LooperLock::IsHeldByCaller() const
{
    thread_id self = find_thread(nullptr);
    std::unique_lock lock(fMutex);
    return fOwner == self;
}

thread_id LooperLock::Owner() const
{
    std::unique_lock lock(fMutex);
    return fOwner;
}

int32 LooperLock::Count() const
{
    std::unique_lock lock(fMutex);
    return fCount;
}

int32 LooperLock::Waiting() const
{
    std::unique_lock lock(fMutex);
    return fWaiting;
}

void LooperLock::MarkDead()
{
    std::unique_lock lock(fMutex);
    fDead = true;
    // Nothing waits for a lock that is never free again.
    fWhenFree.clear();
    fChanged.notify_all();
}

bool LooperLock::IsDead() const
{
    std::unique_lock lock(fMutex);
    return fDead;
}

void LooperLock::WaitForEnd()
{
    ThreadWaitMark mark(B_THREAD_WAITING);
    std::unique_lock lock(fMutex);
    fChanged.wait(lock, [&] { return fDead; });
}

} // namespace BPrivate
