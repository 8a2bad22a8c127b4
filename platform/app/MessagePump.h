// How a looper's messages get dispatched: the strategy a looper uses to run
// its loop (extension of the platform's looper).
//
// The default, BThreadMessagePump, gives every looper a thread of its own
// that waits on the looper's queue, as the platform does; BApplication::Run()
// runs the application's loop in the calling thread.
//
// Another event loop (a toolkit's main loop) can drive loopers instead:
// its pump answers Start() with the id of the thread that runs that event
// loop, and on MessagesWaiting() arranges for that thread to call
// BLooper::DispatchPendingMessages() soon. Run() runs the event loop itself
// for the application, and Stopped() tells the pump that a looper has quit:
// it is deleted right after (BApplication excepted), so the pump must forget
// it. Stopped() of the application is the moment to leave the event loop.
#pragma once

#include <OS.h>

class BLooper;

class BMessagePump {
public:
    virtual ~BMessagePump();

    // Called by BLooper::Run(): makes the looper's messages get dispatched
    // from now on. Returns the id of the thread that dispatches them, or an
    // error.
    virtual thread_id Start(BLooper* looper) = 0;

    // Called by BApplication::Run() in the calling thread: dispatches the
    // looper's messages until it has quit, then returns.
    virtual void Run(BLooper* looper) = 0;

    // Called from any thread each time a message was added to the looper's
    // queue. Must not block and must not lock the looper.
    virtual void MessagesWaiting(BLooper* looper) = 0;

    // Called in the dispatching thread when the looper has quit, before it
    // is deleted.
    virtual void Stopped(BLooper* looper) = 0;
};

// The platform's way: one thread per looper.
class BThreadMessagePump : public BMessagePump {
public:
    thread_id Start(BLooper* looper) override;
    void Run(BLooper* looper) override;
    void MessagesWaiting(BLooper* looper) override;
    void Stopped(BLooper* looper) override;

    // The pump every looper uses unless told otherwise.
    static BThreadMessagePump* Default();
};
