// BLooper: a message loop with a queue, a set of handlers and a recursive
// lock owned by one thread at a time.
//
// As on the platform, a new looper is locked by the thread that created it,
// and Run() (which that thread calls) releases that lock and starts the
// loop. By default the loop runs in a thread of its own; a BMessagePump
// (MessagePump.h) can hand it to another event loop instead. Messages are
// dispatched one at a time, in the order they were posted, with the looper
// locked. Quit() ends the loop and deletes the looper: at once when called
// in the looper's own thread (after the message being dispatched), else by
// asking the loop to end and waiting for it.
#pragma once

#include <Handler.h>
#include <OS.h>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class BMessage;
class BMessageQueue;
class BMessagePump;
class BMessenger;

namespace BPrivate {
class LooperLock;
}

#define B_LOOPER_PORT_DEFAULT_CAPACITY 200

class BLooper : public BHandler {
public:
    explicit BLooper(const char* name = nullptr, int32 priority = B_NORMAL_PRIORITY,
        int32 portCapacity = B_LOOPER_PORT_DEFAULT_CAPACITY);
    virtual ~BLooper();

    // Posting copies the message; the caller keeps its own. Without a
    // handler argument the looper itself is the target; with a NULL handler
    // argument its preferred handler. A handler of another looper gives
    // B_MISMATCHED_VALUES. The queue has no limit, so posting never blocks.
    status_t PostMessage(uint32 command);
    status_t PostMessage(BMessage* message);
    status_t PostMessage(uint32 command, BHandler* handler, BHandler* replyTo = nullptr);
    status_t PostMessage(BMessage* message, BHandler* handler, BHandler* replyTo = nullptr);

    // Delivers a message to a handler: B_QUIT_REQUESTED for the looper asks
    // QuitRequested() and quits when it agrees; everything else goes to the
    // handler's MessageReceived().
    virtual void DispatchMessage(BMessage* message, BHandler* handler);
    void MessageReceived(BMessage* message) override;

    // The message being dispatched (valid during DispatchMessage). After
    // DetachCurrentMessage() the caller owns it.
    BMessage* CurrentMessage() const;
    BMessage* DetachCurrentMessage();
    BMessageQueue* MessageQueue() const;
    bool IsMessageWaiting() const;

    // Handlers; the looper is its own first handler. Call with the looper
    // locked.
    void AddHandler(BHandler* handler);
    bool RemoveHandler(BHandler* handler);
    int32 CountHandlers() const;
    BHandler* HandlerAt(int32 index) const;
    int32 IndexOf(BHandler* handler) const;

    BHandler* PreferredHandler() const;
    void SetPreferredHandler(BHandler* handler);

    virtual thread_id Run();
    virtual void Quit();
    virtual bool QuitRequested();

    bool Lock();
    void Unlock();
    bool IsLocked() const; // by the calling thread
    status_t LockWithTimeout(bigtime_t timeout);

    thread_id Thread() const;
    team_id Team() const;
    static BLooper* LooperForThread(thread_id thread);

    thread_id LockingThread() const;
    int32 CountLocks() const;
    int32 CountLockRequests() const;

    // --- Extensions ---------------------------------------------------------

    // The strategy that runs the loop; set it before Run(). The pump is not
    // owned. Default: BThreadMessagePump::Default().
    void SetMessagePump(BMessagePump* pump);
    BMessagePump* MessagePump() const;

    // For pumps that drive the looper from another event loop: dispatches
    // the messages waiting now, in the thread Start() named. Returns false
    // when the looper quit meanwhile; a BLooper is then deleted and the
    // pointer must not be used again.
    bool DispatchPendingMessages();

    // Loopers marked so (windows) are asked to quit, or made to, when the
    // application quits.
    void SetQuitWithApplication(bool quit);
    bool QuitsWithApplication() const;

    // The loop itself, for pumps: dispatches until the looper quits.
    void _RunLoop();
    int32 _InitialPriority() const { return fInitialPriority; }

    // LockWithTimeout(); when it times out, whenFree is called once, in
    // the thread that next lets the lock go free. For work that must not
    // wait on the looper (painting) but must happen once it is free.
    status_t _LockWithTimeoutOrCallWhenFree(bigtime_t timeout, std::function<void()> whenFree);

    // Locks looper if it still exists under that token (checked through the
    // looper table, so a new looper at the same address does not count).
    static status_t _LockLooperIfAlive(BLooper* looper, int32 token, bigtime_t timeout);

protected:
    // Called in the looper's thread once its loop has ended; a BLooper
    // deletes itself here, the application returns from Run() instead.
    virtual void _LoopEnded();

    // Puts an already copied message with its delivery data into the queue
    // and wakes the loop; the queue takes it over.
    void _Enqueue(BMessage* message);

    bool fRunCalled;
    bool fTerminating;

private:
    friend class BMessenger;
    friend class BApplication;

    status_t _Post(const BMessage& message, BHandler* handler, bool preferred, BHandler* replyTo);
    void _PostQuit();
    bool _DispatchOne(BMessage* message);
    BHandler* _ResolveTarget(const BMessage* message);

    std::shared_ptr<BPrivate::LooperLock> fLock;
    BMessageQueue* fQueue;
    BMessagePump* fPump;
    BMessage* fLastMessage;
    BHandler* fPreferred;
    std::vector<BHandler*> fHandlers;
    std::atomic<thread_id> fThread;
    int32 fInitialPriority;
    bool fDispatching;
    bool fQuitWithApp;
};
