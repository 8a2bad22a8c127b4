// A message pump that dispatches loopers from Qt's event loop on the GUI
// thread: the application and every window. Each looper's messages are
// dispatched in posting order by a queued call, one looper at a time, so
// handlers never run at the same time as painting. The GUI thread never
// waits long for a looper's lock: when another thread holds it, the
// dispatch is retried a little later, so a worker that locks a window
// cannot freeze the display.
#pragma once

#include <MessagePump.h>

#include <map>
#include <mutex>

class BQtMessagePump : public BMessagePump {
public:
    thread_id Start(BLooper* looper) override;
    void Run(BLooper* looper) override;
    void MessagesWaiting(BLooper* looper) override;
    void Stopped(BLooper* looper) override;

    // The pump of the GUI thread; created on first use, which must be on
    // the GUI thread once Qt's application object exists.
    static BQtMessagePump* Default();

private:
    struct Entry {
        int32 token = -1;
        bool scheduled = false;
        bool dispatching = false;
        bool application = false;
    };

    void _Schedule(BLooper* looper, int delay);
    void _Dispatch(BLooper* looper, int32 token);

    std::mutex fMutex;
    std::map<BLooper*, Entry> fLoopers;
    thread_id fGuiThread = -1;
    bool fApplicationStopped = false;
};
