// The recursive, thread-owned lock of a looper. It lives in a shared object
// so that a thread waiting for it while the looper is deleted wakes up and
// fails instead of touching freed memory, and so that a thread can wait for
// the looper's end.
#pragma once

#include <OS.h>

#include <condition_variable>
#include <mutex>

namespace BPrivate {

class LooperLock {
public:
    // B_OK, B_TIMED_OUT, or B_BAD_VALUE once the looper is gone.
    status_t Acquire(bigtime_t timeout);
    // False when the calling thread does not hold the lock.
    bool Release();
    // Gives up every hold of the calling thread; returns how many it had.
    int32 ReleaseAll();

    bool IsHeldByCaller() const;
    thread_id Owner() const;
    int32 Count() const;
    int32 Waiting() const;

    // The looper is deleted: waiters fail and WaitForEnd() returns.
    void MarkDead();
    bool IsDead() const;
    void WaitForEnd();

private:
    mutable std::mutex fMutex;
    std::condition_variable fChanged;
    thread_id fOwner = -1;
    int32 fCount = 0;
    int32 fWaiting = 0;
    bool fDead = false;
};

} // namespace BPrivate
