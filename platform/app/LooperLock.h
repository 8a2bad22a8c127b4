// The recursive, thread-owned lock of a looper. It lives in a shared object
// so that a thread waiting for it while the looper is deleted wakes up and
// fails instead of touching freed memory, and so that a thread can wait for
// the looper's end.
#pragma once

#include <OS.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

namespace BPrivate {

class LooperLock {
public:
    // B_OK, B_TIMED_OUT, or B_BAD_VALUE once the looper is gone.
    status_t Acquire(bigtime_t timeout);
    // Like Acquire(); when the wait times out, whenFree is kept and called
    // once, in the thread that next lets the lock go free (it should only
    // post work elsewhere). Asking and keeping are one step under the lock's
    // own mutex, so no release can fall between them.
    status_t AcquireOrCallWhenFree(bigtime_t timeout, std::function<void()> whenFree);
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
    status_t _Acquire(std::unique_lock<std::mutex>& lock, bigtime_t timeout);
    // Takes the calls waiting for the lock to be free (with fMutex held).
    std::vector<std::function<void()>> _TakeWhenFree();

    mutable std::mutex fMutex;
    std::vector<std::function<void()>> fWhenFree;
    std::condition_variable fChanged;
    thread_id fOwner = -1;
    int32 fCount = 0;
    int32 fWaiting = 0;
    bool fDead = false;
};

} // namespace BPrivate
