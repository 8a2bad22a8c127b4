// LibThread: the base of a worker thread. A subclass puts its work in
// Action(); Go() runs it in a thread of its own, and when Action() returns
// the thread tells a messenger with a 'LThC' message ("name": the thread's
// name, "status": Action's result).
//
// Kill() ends the thread at its next stop point (platform/kernel
// StopPoint.h): a killed thread neither goes on with its work nor sends the
// end message. Once Action() has returned, the thread is finished: it only
// reports its end, and Kill() leaves it alone (WaitForEnd() waits for it).
// The object must outlive its thread: the destructor waits for a finished
// thread and kills one that still works.
#pragma once

#include <OS.h>

#include <atomic>

class BMessenger;

// The thread end message.
enum {
    LIB_THREAD_COMPLETE = 'LThC'
};

class LibThread {
public:
    LibThread();

    // The work; the base does nothing and returns 0.
    virtual int32 Action();
    virtual ~LibThread();
    virtual void Suspend();
    virtual void Resume();
    // Ends the thread at its next stop point, unless its Action() has
    // already returned: a finished thread is never killed.
    virtual void Kill();
    // Takes over messenger (may be NULL) and spawns the thread with name
    // and priority; with wait set, runs it and returns once it has ended,
    // else starts it and returns at once. Result: the start's or the wait's
    // status, or the spawn's error. While an earlier thread of this object
    // still runs, nothing is started and B_BUSY is returned.
    virtual status_t Go(const char* name, BMessenger* messenger, const int32& priority,
        const bool& wait);
    // The state's text ("Running\n" ...) on standard error.
    virtual void PrintToStream();

    // The thread's entry point: object is the LibThread.
    static int32 StaticAction(void* object);
    // Action(), then the end message when a messenger is set.
    int32 StartAction();

    void SetPriority(int32 priority);
    // The thread's state (B_THREAD_RUNNING ...), 0 when there is no thread
    // (not started, ended or killed).
    int32 Status();
    // True once Action() of the current (or last) thread has returned: the
    // work is done, whether or not the end message has gone out yet.
    bool ActionDone() const { return fActionDone; }
    // Waits until the thread has ended; B_OK at once without a thread.
    status_t WaitForEnd();
    thread_id Thread() const { return fThread; }

    // The text PrintToStream() writes for a state number.
    static const char* StateText(int32 state);

protected:
    // The messenger given to Go(), or null; for subclasses that report
    // progress to the same target.
    BMessenger* Messenger() const { return fMessenger; }

private:
    // True while this object's thread is alive: the thread id is used only
    // then, so that a later thread with the same id is never touched.
    bool _ThreadAlive() const;

    thread_id fThread;
    BMessenger* fMessenger;
    std::atomic<bool> fRunning;
    std::atomic<bool> fActionDone;
};
