#include "QtMessagePump.h"

#include "GuiThread.h"

#include <Looper.h>

#include <QCoreApplication>

using BPrivate::GuiThread;

namespace {

// How long the GUI thread tries to take a looper's lock before it lets the
// looper wait and goes back to painting, and how soon it tries again.
const bigtime_t kLockAttempt = 2000;
const int kRetryMilliseconds = 5;

} // namespace

BQtMessagePump* BQtMessagePump::Default()
{
    static BQtMessagePump* pump = [] {
        auto* created = new BQtMessagePump();
        created->fGuiThread = find_thread(nullptr);
        return created;
    }();
    return pump;
}

thread_id BQtMessagePump::Start(BLooper* looper)
{
    std::lock_guard lock(fMutex);
    Entry& entry = fLoopers[looper];
    entry.token = looper->Token();
    return fGuiThread;
}

void BQtMessagePump::Run(BLooper* looper)
{
    {
        std::lock_guard lock(fMutex);
        Entry& entry = fLoopers[looper];
        entry.token = looper->Token();
        entry.application = true;
        fApplicationStopped = false;
    }
    MessagesWaiting(looper);
    // Something else may leave Qt's loop (a test, a dialog's misuse of
    // quit()); only the application's end ends Run().
    while (true) {
        {
            std::lock_guard lock(fMutex);
            if (fApplicationStopped)
                break;
        }
        QCoreApplication::exec();
    }
}

void BQtMessagePump::MessagesWaiting(BLooper* looper)
{
    _Schedule(looper, 0);
}

void BQtMessagePump::_Schedule(BLooper* looper, int delay)
{
    int32 token;
    {
        std::lock_guard lock(fMutex);
        auto found = fLoopers.find(looper);
        if (found == fLoopers.end() || found->second.scheduled)
            return;
        found->second.scheduled = true;
        token = found->second.token;
    }
    auto work = [this, looper, token] { _Dispatch(looper, token); };
    if (delay > 0)
        GuiThread::PostDelayed(delay, work);
    else
        GuiThread::Post(work);
}

void BQtMessagePump::_Dispatch(BLooper* looper, int32 token)
{
    // Loopers of this pump are deleted on this thread only (Stopped() comes
    // first), so a looper still listed here is alive.
    bool application;
    {
        std::lock_guard lock(fMutex);
        auto found = fLoopers.find(looper);
        if (found == fLoopers.end() || found->second.token != token)
            return;
        found->second.scheduled = false;
        if (found->second.dispatching) {
            // A handler of this looper runs a nested event loop (a modal
            // alert): its next messages wait until that handler returns.
            found->second.scheduled = true;
            GuiThread::PostDelayed(kRetryMilliseconds * 4, [this, looper, token] {
                {
                    std::lock_guard relock(fMutex);
                    auto again = fLoopers.find(looper);
                    if (again == fLoopers.end() || again->second.token != token)
                        return;
                    again->second.scheduled = false;
                }
                _Schedule(looper, 0);
            });
            return;
        }
        application = found->second.application;
    }
    if (looper->LockWithTimeout(kLockAttempt) != B_OK) {
        _Schedule(looper, kRetryMilliseconds);
        return;
    }
    {
        std::lock_guard lock(fMutex);
        fLoopers[looper].dispatching = true;
    }
    const bool alive = looper->DispatchPendingMessages();
    if (!alive) {
        // A window is gone with its lock; the application object stays.
        if (application)
            looper->Unlock();
        return;
    }
    {
        std::lock_guard lock(fMutex);
        auto found = fLoopers.find(looper);
        if (found != fLoopers.end())
            found->second.dispatching = false;
    }
    const bool more = looper->IsMessageWaiting();
    looper->Unlock();
    if (more)
        _Schedule(looper, 0);
}

void BQtMessagePump::Stopped(BLooper* looper)
{
    bool application = false;
    {
        std::lock_guard lock(fMutex);
        auto found = fLoopers.find(looper);
        if (found != fLoopers.end()) {
            application = found->second.application;
            fLoopers.erase(found);
        }
        if (application)
            fApplicationStopped = true;
    }
    if (application)
        QCoreApplication::exit(0);
}
