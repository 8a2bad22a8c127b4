#include <LibThread.h>

#include <Message.h>
#include <Messenger.h>
#include <StopPoint.h>

#include <cstdio>

LibThread::LibThread()
    :
    fThread(-1),
    fMessenger(nullptr),
    fRunning(false),
    fActionDone(false)
{
}

int32 LibThread::Action()
{
    return 0;
}

LibThread::~LibThread()
{
    // A thread still working is killed first: it may be about to use the
    // messenger. A finished one is only sending its end message: it is
    // waited for, so that it never outlives the object it reads.
    if (_ThreadAlive()) {
        if (fActionDone)
            WaitForEnd();
        else
            kill_thread(fThread);
    }
    delete fMessenger;
}

status_t LibThread::WaitForEnd()
{
    // Without the running flag the thread no longer uses this object, and
    // its id may already belong to another thread.
    if (!fRunning || fThread < 0 || find_thread(nullptr) == fThread)
        return B_OK;
    status_t exitValue = B_OK;
    const status_t result = wait_for_thread(fThread, &exitValue);
    // An id that has ended already is no longer known: that is the end.
    return result == B_BAD_THREAD_ID ? B_OK : result;
}

bool LibThread::_ThreadAlive() const
{
    thread_info info;
    return fRunning && fThread >= 0 && get_thread_info(fThread, &info) == B_OK;
}

void LibThread::Suspend()
{
    if (_ThreadAlive())
        suspend_thread(fThread);
}

void LibThread::Resume()
{
    if (_ThreadAlive())
        resume_thread(fThread);
}

void LibThread::Kill()
{
    if (_ThreadAlive() && !fActionDone)
        kill_thread(fThread);
}

status_t LibThread::Go(const char* name, BMessenger* messenger, const int32& priority,
    const bool& wait)
{
    if (_ThreadAlive()) {
        // The running thread still uses the messenger it was given.
        delete messenger;
        return B_BUSY;
    }
    delete fMessenger;
    fMessenger = messenger;

    fRunning = true;
    fActionDone = false;
    thread_id thread = spawn_thread(StaticAction, name, priority, this);
    if (thread < 0) {
        fRunning = false;
        fThread = -1;
        return thread;
    }
    fThread = thread;
    if (wait) {
        status_t exitValue;
        return wait_for_thread(thread, &exitValue);
    }
    return resume_thread(thread);
}

void LibThread::PrintToStream()
{
    std::fputs(StateText(Status()), stderr);
}

int32 LibThread::StaticAction(void* object)
{
    return static_cast<LibThread*>(object)->StartAction();
}

int32 LibThread::StartAction()
{
    int32 result = Action();
    // A thread killed during its work ends here without a word.
    stop_point();
    // From here on the work is done: whoever quits now waits for the end
    // message instead of stopping a job that has nothing left to do.
    fActionDone = true;
    if (fMessenger != nullptr) {
        thread_info info;
        BMessage message(LIB_THREAD_COMPLETE);
        if (get_thread_info(find_thread(nullptr), &info) == B_OK)
            message.AddString("name", info.name);
        else
            message.AddString("name", "");
        message.AddInt32("status", result);
        fMessenger->SendMessage(&message);
    }
    // The status message was the thread's last use of this object.
    fRunning = false;
    return result;
}

void LibThread::SetPriority(int32 priority)
{
    if (_ThreadAlive())
        set_thread_priority(fThread, priority);
}

int32 LibThread::Status()
{
    thread_info info;
    if (!fRunning || fThread < 0 || get_thread_info(fThread, &info) != B_OK)
        return 0;
    return info.state;
}

const char* LibThread::StateText(int32 state)
{
    switch (state) {
        case B_THREAD_RUNNING:
            return "Running\n";
        case B_THREAD_READY:
            return "Ready\n";
        case B_THREAD_RECEIVING:
            return "Receiving\n";
        case B_THREAD_ASLEEP:
            return "Asleep\n";
        case B_THREAD_SUSPENDED:
            return "Suspended\n";
        case B_THREAD_WAITING:
            return "Waiting\n";
        default:
            return "Unknown\n";
    }
}
