// BInvoker: an object that sends a message to a target when it is
// invoked; controls and list views are invokers.
#pragma once

#include <Message.h>
#include <Messenger.h>

#include <memory>

class BHandler;
class BLooper;

class BInvoker {
public:
    BInvoker();
    // The invoker takes over the message.
    BInvoker(BMessage* message, const BHandler* handler, const BLooper* looper = nullptr);
    BInvoker(BMessage* message, BMessenger target);
    virtual ~BInvoker();

    BInvoker(const BInvoker&) = delete;
    BInvoker& operator=(const BInvoker&) = delete;

    // Replaces the message (taken over; null for none).
    virtual status_t SetMessage(BMessage* message);
    BMessage* Message() const;
    uint32 Command() const;

    // The target is a handler (in its looper, or the looper's preferred
    // handler when handler is null) or a messenger.
    virtual status_t SetTarget(const BHandler* handler, const BLooper* looper = nullptr);
    virtual status_t SetTarget(BMessenger messenger);
    bool IsTargetLocal() const;
    BHandler* Target(BLooper** looper = nullptr) const;
    BMessenger Messenger() const;

    status_t SetHandlerForReply(BHandler* handler);
    BHandler* HandlerForReply() const;

    // Sends a copy of the message (or of the one given) to the target.
    // B_BAD_VALUE without a message, B_BAD_PORT_ID or B_BAD_HANDLER when
    // the target is gone.
    virtual status_t Invoke(BMessage* message = nullptr);
    // As Invoke(); kind tells why (B_CONTROL_INVOKED, B_CONTROL_MODIFIED).
    status_t InvokeNotify(BMessage* message, uint32 kind = B_CONTROL_INVOKED);

    status_t SetTimeout(bigtime_t timeout);
    bigtime_t Timeout() const;

protected:
    // The kind of the invocation in progress (during InvokeNotify()).
    uint32 InvokeKind(bool* notify = nullptr);
    void BeginInvokeNotify(uint32 kind = B_CONTROL_INVOKED);
    void EndInvokeNotify();

private:
    std::unique_ptr<BMessage> fMessage;
    BMessenger fMessenger;
    BHandler* fReplyTo;
    bigtime_t fTimeout;
    uint32 fNotifyKind;
    bool fNotifying;
};
