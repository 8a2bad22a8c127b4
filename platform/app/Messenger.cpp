#include <Messenger.h>

#include <Application.h>
#include <Handler.h>
#include <Looper.h>
#include <Message.h>

#include "HandlerRegistry.h"
#include "MessageDelivery.h"

#include <strings.h>
#include <unistd.h>

using BPrivate::B_NULL_TOKEN;
using BPrivate::HandlerRegistry;
using BPrivate::MessageDelivery;

BMessenger::BMessenger()
    :
    fTeam(-1),
    fLooperToken(B_NULL_TOKEN),
    fHandlerToken(B_NULL_TOKEN)
{
}

BMessenger::BMessenger(const char* signature, team_id team, status_t* result)
    :
    BMessenger()
{
    status_t status = B_BAD_TEAM_ID;
    if (signature == nullptr) {
        status = B_BAD_VALUE;
    } else if (team < 0 || team == ::getpid()) {
        std::lock_guard lock(HandlerRegistry::Default().Mutex());
        BApplication* app = be_app;
        if (app != nullptr && HandlerRegistry::Default().IsLooper(app)
            && strcasecmp(app->Signature(), signature) == 0) {
            fTeam = ::getpid();
            fLooperToken = app->Token();
            status = B_OK;
        }
    }
    if (result != nullptr)
        *result = status;
}

BMessenger::BMessenger(const BHandler* handler, const BLooper* looper, status_t* result)
    :
    BMessenger()
{
    status_t status = B_OK;
    std::lock_guard lock(HandlerRegistry::Default().Mutex());
    if (handler != nullptr) {
        BLooper* owner = handler->Looper();
        if (owner == nullptr)
            status = B_BAD_HANDLER;
        else if (looper != nullptr && looper != owner)
            status = B_MISMATCHED_VALUES;
        else {
            fLooperToken = owner->Token();
            fHandlerToken = handler->Token();
        }
    } else if (looper != nullptr) {
        if (HandlerRegistry::Default().IsLooper(looper))
            fLooperToken = looper->Token();
        else
            status = B_BAD_VALUE;
    } else {
        status = B_BAD_VALUE;
    }
    if (status == B_OK)
        fTeam = ::getpid();
    if (result != nullptr)
        *result = status;
}

BMessenger::BMessenger(const BMessenger& other) = default;
BMessenger::~BMessenger() = default;
BMessenger& BMessenger::operator=(const BMessenger& other) = default;

bool BMessenger::operator==(const BMessenger& other) const
{
    return fTeam == other.fTeam && fLooperToken == other.fLooperToken
        && fHandlerToken == other.fHandlerToken;
}

bool BMessenger::IsTargetLocal() const
{
    return fTeam == ::getpid() && fLooperToken != B_NULL_TOKEN;
}

BHandler* BMessenger::Target(BLooper** looper) const
{
    std::lock_guard lock(HandlerRegistry::Default().Mutex());
    BLooper* target = HandlerRegistry::Default().LooperFor(fLooperToken);
    if (looper != nullptr)
        *looper = target;
    if (target == nullptr || fHandlerToken == B_NULL_TOKEN)
        return nullptr;
    BHandler* handler = HandlerRegistry::Default().HandlerFor(fHandlerToken);
    return handler != nullptr && handler->Looper() == target ? handler : nullptr;
}

bool BMessenger::LockTarget() const
{
    return LockTargetWithTimeout(B_INFINITE_TIMEOUT) == B_OK;
}

status_t BMessenger::LockTargetWithTimeout(bigtime_t timeout) const
{
    BLooper* looper = nullptr;
    Target(&looper);
    if (looper == nullptr)
        return B_BAD_VALUE;
    return BLooper::_LockLooperIfAlive(looper, fLooperToken, timeout);
}

status_t BMessenger::SendMessage(uint32 command, BHandler* replyTo) const
{
    BMessage message(command);
    return SendMessage(&message, replyTo);
}

status_t BMessenger::SendMessage(BMessage* message, BHandler* replyTo, bigtime_t) const
{
    if (message == nullptr)
        return B_BAD_VALUE;
    int32 replyLooper = B_NULL_TOKEN;
    int32 replyHandler = B_NULL_TOKEN;
    if (replyTo != nullptr) {
        std::lock_guard lock(HandlerRegistry::Default().Mutex());
        if (BLooper* looper = replyTo->Looper()) {
            replyLooper = looper->Token();
            replyHandler = replyTo->Token();
        }
    }
    return _Send(*message, replyLooper, replyHandler);
}

status_t BMessenger::SendMessage(BMessage* message, BMessenger replyTo, bigtime_t) const
{
    if (message == nullptr)
        return B_BAD_VALUE;
    return _Send(*message, replyTo.fLooperToken, replyTo.fHandlerToken);
}

status_t BMessenger::_Send(const BMessage& message, int32 replyLooper, int32 replyHandler) const
{
    if (fLooperToken == B_NULL_TOKEN || fTeam != ::getpid())
        return B_BAD_PORT_ID;
    // The registry's lock keeps the looper alive until the message is in
    // its queue.
    std::lock_guard lock(HandlerRegistry::Default().Mutex());
    BLooper* looper = HandlerRegistry::Default().LooperFor(fLooperToken);
    if (looper == nullptr)
        return B_BAD_PORT_ID;
    if (fHandlerToken != B_NULL_TOKEN) {
        BHandler* handler = HandlerRegistry::Default().HandlerFor(fHandlerToken);
        if (handler == nullptr || handler->Looper() != looper)
            return B_BAD_HANDLER;
    }
    auto delivery = std::make_shared<MessageDelivery>();
    delivery->handlerToken = fHandlerToken;
    delivery->preferred = fHandlerToken == B_NULL_TOKEN;
    delivery->replyLooperToken = replyLooper;
    delivery->replyHandlerToken = replyHandler;
    BMessage* copy = new BMessage(message);
    copy->fDelivery = std::move(delivery);
    looper->_Enqueue(copy);
    return B_OK;
}

bool BMessenger::IsValid() const
{
    if (fLooperToken == B_NULL_TOKEN || fTeam != ::getpid())
        return false;
    std::lock_guard lock(HandlerRegistry::Default().Mutex());
    return HandlerRegistry::Default().LooperFor(fLooperToken) != nullptr;
}

team_id BMessenger::Team() const
{
    return fTeam;
}
