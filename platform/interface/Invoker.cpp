#include <Invoker.h>

#include <Handler.h>
#include <Looper.h>

BInvoker::BInvoker()
    :
    fReplyTo(nullptr),
    fTimeout(B_INFINITE_TIMEOUT),
    fNotifyKind(B_CONTROL_INVOKED),
    fNotifying(false)
{
}

BInvoker::BInvoker(BMessage* message, const BHandler* handler, const BLooper* looper)
    :
    BInvoker()
{
    fMessage.reset(message);
    SetTarget(handler, looper);
}

BInvoker::BInvoker(BMessage* message, BMessenger target)
    :
    BInvoker()
{
    fMessage.reset(message);
    fMessenger = target;
}

BInvoker::~BInvoker()
{
}

status_t BInvoker::SetMessage(BMessage* message)
{
    if (message != fMessage.get())
        fMessage.reset(message);
    return B_OK;
}

BMessage* BInvoker::Message() const
{
    return fMessage.get();
}

uint32 BInvoker::Command() const
{
    return fMessage != nullptr ? fMessage->what : 0;
}

status_t BInvoker::SetTarget(const BHandler* handler, const BLooper* looper)
{
    if (handler == nullptr && looper == nullptr) {
        fMessenger = BMessenger();
        return B_OK;
    }
    status_t status = B_OK;
    BMessenger messenger(handler, looper, &status);
    if (status != B_OK)
        return status;
    fMessenger = messenger;
    return B_OK;
}

status_t BInvoker::SetTarget(BMessenger messenger)
{
    fMessenger = messenger;
    return B_OK;
}

bool BInvoker::IsTargetLocal() const
{
    return fMessenger.IsTargetLocal();
}

BHandler* BInvoker::Target(BLooper** looper) const
{
    return fMessenger.Target(looper);
}

BMessenger BInvoker::Messenger() const
{
    return fMessenger;
}

status_t BInvoker::SetHandlerForReply(BHandler* handler)
{
    fReplyTo = handler;
    return B_OK;
}

BHandler* BInvoker::HandlerForReply() const
{
    return fReplyTo;
}

status_t BInvoker::Invoke(BMessage* message)
{
    if (message == nullptr)
        message = fMessage.get();
    if (message == nullptr)
        return B_BAD_VALUE;
    return fMessenger.SendMessage(message, fReplyTo, fTimeout);
}

status_t BInvoker::InvokeNotify(BMessage* message, uint32 kind)
{
    BeginInvokeNotify(kind);
    const status_t status = Invoke(message);
    EndInvokeNotify();
    return status;
}

status_t BInvoker::SetTimeout(bigtime_t timeout)
{
    fTimeout = timeout;
    return B_OK;
}

bigtime_t BInvoker::Timeout() const
{
    return fTimeout;
}

uint32 BInvoker::InvokeKind(bool* notify)
{
    if (notify != nullptr)
        *notify = fNotifying;
    return fNotifyKind;
}

void BInvoker::BeginInvokeNotify(uint32 kind)
{
    fNotifyKind = kind;
    fNotifying = true;
}

void BInvoker::EndInvokeNotify()
{
    fNotifying = false;
    fNotifyKind = B_CONTROL_INVOKED;
}
