#include <Looper.h>

#include <Message.h>
#include <MessagePump.h>
#include <MessageQueue.h>
#include <StopPoint.h>

#include "HandlerRegistry.h"
#include "LooperLock.h"
#include "MessageDelivery.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

using BPrivate::HandlerRegistry;
using BPrivate::MessageDelivery;

namespace {

// Ends a loop whatever its looper's QuitRequested() says.
const uint32 kQuitLoop = '_QIT';

} // namespace

BLooper::BLooper(const char* name, int32 priority, int32)
    :
    BHandler(name),
    fRunCalled(false),
    fTerminating(false),
    fLock(std::make_shared<BPrivate::LooperLock>()),
    fQueue(new BMessageQueue()),
    fPump(BThreadMessagePump::Default()),
    fLastMessage(nullptr),
    fPreferred(nullptr),
    fThread(-1),
    fInitialPriority(priority),
    fDispatching(false),
    fQuitWithApp(false)
{
    // The creating thread holds the lock until it calls Run().
    fLock->Acquire(B_INFINITE_TIMEOUT);
    fHandlers.push_back(this);
    _SetLooper(this);
    std::lock_guard lock(HandlerRegistry::Default().Mutex());
    HandlerRegistry::Default().AddLooper(this);
}

BLooper::~BLooper()
{
    {
        std::lock_guard lock(HandlerRegistry::Default().Mutex());
        HandlerRegistry::Default().RemoveLooper(this);
    }
    if (fRunCalled && !fTerminating)
        std::fprintf(stderr, "BLooper \"%s\" deleted while its loop runs; use Quit()\n",
            Name() != nullptr ? Name() : "");

    for (BHandler* handler : fHandlers) {
        if (handler != this) {
            handler->_SetLooper(nullptr);
            handler->SetNextHandler(nullptr);
        }
    }
    fHandlers.clear();
    _SetLooper(nullptr);
    delete fLastMessage;
    delete fQueue;
    fLock->MarkDead();
}

// --- Posting ------------------------------------------------------------

status_t BLooper::PostMessage(uint32 command)
{
    BMessage message(command);
    return _Post(message, this, false, nullptr);
}

status_t BLooper::PostMessage(BMessage* message)
{
    if (message == nullptr)
        return B_BAD_VALUE;
    return _Post(*message, this, false, nullptr);
}

status_t BLooper::PostMessage(uint32 command, BHandler* handler, BHandler* replyTo)
{
    BMessage message(command);
    return _Post(message, handler, handler == nullptr, replyTo);
}

status_t BLooper::PostMessage(BMessage* message, BHandler* handler, BHandler* replyTo)
{
    if (message == nullptr)
        return B_BAD_VALUE;
    return _Post(*message, handler, handler == nullptr, replyTo);
}

status_t BLooper::_Post(const BMessage& message, BHandler* handler, bool preferred, BHandler* replyTo)
{
    std::lock_guard lock(HandlerRegistry::Default().Mutex());
    if (!HandlerRegistry::Default().IsLooper(this))
        return B_BAD_VALUE;
    if (handler != nullptr && handler->Looper() != this)
        return B_MISMATCHED_VALUES;

    auto delivery = std::make_shared<MessageDelivery>();
    delivery->preferred = preferred;
    if (handler != nullptr)
        delivery->handlerToken = handler->Token();
    if (replyTo != nullptr && replyTo->Looper() != nullptr) {
        delivery->replyLooperToken = replyTo->Looper()->Token();
        delivery->replyHandlerToken = replyTo->Token();
    }
    BMessage* copy = new BMessage(message);
    copy->fDelivery = std::move(delivery);
    _Enqueue(copy);
    return B_OK;
}

void BLooper::_Enqueue(BMessage* message)
{
    fQueue->AddMessage(message);
    fPump->MessagesWaiting(this);
}

void BLooper::_PostQuit()
{
    std::lock_guard lock(HandlerRegistry::Default().Mutex());
    BMessage* message = new BMessage(kQuitLoop);
    message->fDelivery = std::make_shared<MessageDelivery>();
    message->fDelivery->handlerToken = Token();
    _Enqueue(message);
}

// --- Dispatching ----------------------------------------------------------

void BLooper::DispatchMessage(BMessage* message, BHandler* handler)
{
    if (message->what == B_QUIT_REQUESTED && handler == this) {
        if (QuitRequested())
            Quit();
        return;
    }
    handler->MessageReceived(message);
}

void BLooper::MessageReceived(BMessage* message)
{
    BHandler::MessageReceived(message);
}

BHandler* BLooper::_ResolveTarget(const BMessage* message)
{
    const std::shared_ptr<MessageDelivery>& delivery = message->fDelivery;
    if (delivery == nullptr)
        return this;
    if (delivery->preferred)
        return fPreferred != nullptr ? fPreferred : this;
    std::lock_guard lock(HandlerRegistry::Default().Mutex());
    BHandler* handler = HandlerRegistry::Default().HandlerFor(delivery->handlerToken);
    // A handler that left the looper (or was deleted) since the message was
    // sent gets nothing.
    if (handler == nullptr || handler->fLooper != this)
        return nullptr;
    return handler;
}

bool BLooper::_DispatchOne(BMessage* message)
{
    if (!Lock()) {
        delete message;
        return false;
    }
    fLastMessage = message;
    fDispatching = true;
    if (message->what == kQuitLoop && message->fDelivery != nullptr
        && message->fDelivery->handlerToken == Token()) {
        fTerminating = true;
    } else if (BHandler* handler = _ResolveTarget(message)) {
        DispatchMessage(message, handler);
    }
    fDispatching = false;
    delete fLastMessage;
    fLastMessage = nullptr;
    bool goOn = !fTerminating;
    Unlock();
    return goOn;
}

void BLooper::_RunLoop()
{
    while (true) {
        // A killed looper thread ends here, between two messages.
        stop_point();
        BMessage* message = fQueue->NextMessage(B_INFINITE_TIMEOUT);
        if (message == nullptr)
            continue;
        if (!_DispatchOne(message))
            break;
    }
    fPump->Stopped(this);
    _LoopEnded();
}

bool BLooper::DispatchPendingMessages()
{
    int32 count = fQueue->CountMessages();
    while (count-- > 0) {
        BMessage* message = fQueue->NextMessage();
        if (message == nullptr)
            break;
        if (!_DispatchOne(message)) {
            fPump->Stopped(this);
            _LoopEnded();
            return false;
        }
    }
    return true;
}

void BLooper::_LoopEnded()
{
    // Wait for every other holder of the lock to let go, then go away.
    Lock();
    delete this;
}

BMessage* BLooper::CurrentMessage() const
{
    return fLastMessage;
}

BMessage* BLooper::DetachCurrentMessage()
{
    BMessage* message = fLastMessage;
    fLastMessage = nullptr;
    return message;
}

BMessageQueue* BLooper::MessageQueue() const
{
    return fQueue;
}

bool BLooper::IsMessageWaiting() const
{
    return !fQueue->IsEmpty();
}

// --- Handlers -------------------------------------------------------------

void BLooper::AddHandler(BHandler* handler)
{
    if (handler == nullptr)
        return;
    if (!IsLocked())
        std::fprintf(stderr, "BLooper::AddHandler(): the looper must be locked\n");
    BLooper* current = handler->Looper();
    if (current == this)
        return;
    if (current != nullptr) {
        std::fprintf(stderr, "BLooper::AddHandler(): handler \"%s\" already belongs to a looper\n",
            handler->Name() != nullptr ? handler->Name() : "");
        return;
    }
    fHandlers.push_back(handler);
    handler->_SetLooper(this);
    if (handler->NextHandler() == nullptr)
        handler->SetNextHandler(this);
}

bool BLooper::RemoveHandler(BHandler* handler)
{
    if (handler == nullptr || handler == this || handler->Looper() != this)
        return false;
    fHandlers.erase(std::remove(fHandlers.begin(), fHandlers.end(), handler), fHandlers.end());
    handler->_SetLooper(nullptr);
    if (handler->NextHandler() == this)
        handler->SetNextHandler(nullptr);
    if (fPreferred == handler)
        fPreferred = nullptr;
    return true;
}

int32 BLooper::CountHandlers() const
{
    return int32(fHandlers.size());
}

BHandler* BLooper::HandlerAt(int32 index) const
{
    if (index < 0 || size_t(index) >= fHandlers.size())
        return nullptr;
    return fHandlers[size_t(index)];
}

int32 BLooper::IndexOf(BHandler* handler) const
{
    auto found = std::find(fHandlers.begin(), fHandlers.end(), handler);
    return found == fHandlers.end() ? -1 : int32(found - fHandlers.begin());
}

BHandler* BLooper::PreferredHandler() const
{
    return fPreferred;
}

void BLooper::SetPreferredHandler(BHandler* handler)
{
    if (handler != nullptr && handler->Looper() != this)
        return;
    fPreferred = handler;
}

// --- Running and quitting ---------------------------------------------------

thread_id BLooper::Run()
{
    if (fRunCalled) {
        std::fprintf(stderr, "BLooper::Run() called twice\n");
        return fThread;
    }
    if (!IsLocked()) {
        std::fprintf(stderr, "BLooper::Run(): the looper must be locked by the calling thread\n");
        return B_NOT_ALLOWED;
    }
    thread_id thread = fPump->Start(this);
    if (thread < 0)
        return thread;
    fThread = thread;
    fRunCalled = true;
    Unlock();
    // Messages posted before Run() were announced to a pump that was not
    // running this looper yet.
    if (IsMessageWaiting())
        fPump->MessagesWaiting(this);
    return thread;
}

void BLooper::Quit()
{
    if (!IsLocked()) {
        std::fprintf(stderr, "BLooper::Quit(): the looper must be locked by the calling thread\n");
        if (!Lock())
            return;
    }
    if (!fRunCalled) {
        delete this;
        return;
    }
    if (find_thread(nullptr) == fThread) {
        fTerminating = true;
        // In the middle of a dispatch the loop ends after it. Otherwise this
        // is the thread of another event loop that drives the looper, and
        // the looper can end right here.
        if (!fDispatching) {
            fPump->Stopped(this);
            _LoopEnded();
        }
        return;
    }
    std::shared_ptr<BPrivate::LooperLock> lock = fLock;
    _PostQuit();
    lock->ReleaseAll();
    lock->WaitForEnd();
}

bool BLooper::QuitRequested()
{
    return true;
}

void BLooper::SetMessagePump(BMessagePump* pump)
{
    if (fRunCalled) {
        std::fprintf(stderr, "BLooper::SetMessagePump(): the looper runs already\n");
        return;
    }
    fPump = pump != nullptr ? pump : BThreadMessagePump::Default();
}

BMessagePump* BLooper::MessagePump() const
{
    return fPump;
}

void BLooper::SetQuitWithApplication(bool quit)
{
    fQuitWithApp = quit;
}

bool BLooper::QuitsWithApplication() const
{
    return fQuitWithApp;
}

// --- Locking ----------------------------------------------------------------

bool BLooper::Lock()
{
    return fLock->Acquire(B_INFINITE_TIMEOUT) == B_OK;
}

void BLooper::Unlock()
{
    if (!fLock->Release())
        std::fprintf(stderr, "BLooper::Unlock(): the looper is not locked by the calling thread\n");
}

bool BLooper::IsLocked() const
{
    return fLock->IsHeldByCaller();
}

status_t BLooper::LockWithTimeout(bigtime_t timeout)
{
    return fLock->Acquire(timeout);
}

status_t BLooper::_LockWithTimeoutOrCallWhenFree(bigtime_t timeout, std::function<void()> whenFree)
{
    return fLock->AcquireOrCallWhenFree(timeout, std::move(whenFree));
}

status_t BLooper::_LockLooperIfAlive(BLooper* looper, int32 token, bigtime_t timeout)
{
    std::shared_ptr<BPrivate::LooperLock> lock;
    {
        std::lock_guard guard(HandlerRegistry::Default().Mutex());
        if (looper == nullptr || HandlerRegistry::Default().LooperFor(token) != looper)
            return B_BAD_VALUE;
        lock = looper->fLock;
    }
    // Acquire fails once the looper is deleted, so looper is alive after it.
    return lock->Acquire(timeout);
}

thread_id BLooper::Thread() const
{
    return fThread;
}

team_id BLooper::Team() const
{
    return ::getpid();
}

BLooper* BLooper::LooperForThread(thread_id thread)
{
    std::lock_guard lock(HandlerRegistry::Default().Mutex());
    for (BLooper* looper : HandlerRegistry::Default().Loopers()) {
        if (looper->fThread == thread)
            return looper;
    }
    return nullptr;
}

thread_id BLooper::LockingThread() const
{
    return fLock->Owner();
}

int32 BLooper::CountLocks() const
{
    return fLock->Count();
}

int32 BLooper::CountLockRequests() const
{
    return fLock->Waiting() + (fLock->Owner() >= 0 ? 1 : 0);
}
