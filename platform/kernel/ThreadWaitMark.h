// Marks the calling thread as blocked in a wait of a given kind while the
// object lives, so that get_thread_info() reports B_THREAD_RECEIVING (a
// message loop waiting for messages), B_THREAD_ASLEEP or B_THREAD_WAITING (a
// lock, a reply, a modal answer), and so that kill_thread() knows the thread
// is not in the middle of an operation and returns without its grace wait.
// Marks nest; for threads not spawned by spawn_thread() they do nothing.
#pragma once

#include <OS.h>

class ThreadWaitMark {
public:
    explicit ThreadWaitMark(thread_state state);
    ~ThreadWaitMark();
    ThreadWaitMark(const ThreadWaitMark&) = delete;
    ThreadWaitMark& operator=(const ThreadWaitMark&) = delete;

private:
    int32 fPrevious;
    bool fMarked;
};
