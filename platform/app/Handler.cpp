#include <Handler.h>

#include <Looper.h>
#include <Message.h>
#include <OS.h>

#include "HandlerRegistry.h"

using BPrivate::HandlerRegistry;

BHandler::BHandler(const char* name)
    :
    fToken(0),
    fName(name != nullptr ? name : ""),
    fHasName(name != nullptr),
    fLooper(nullptr),
    fNextHandler(nullptr)
{
    std::lock_guard lock(HandlerRegistry::Default().Mutex());
    fToken = HandlerRegistry::Default().AddHandler(this);
}

BHandler::~BHandler()
{
    // A handler deleted while still in its looper leaves it first, so that
    // no message is dispatched to it any more.
    BLooper* looper = Looper();
    if (looper != nullptr && looper != static_cast<BHandler*>(this))
        looper->RemoveHandler(this);
    std::lock_guard lock(HandlerRegistry::Default().Mutex());
    HandlerRegistry::Default().RemoveHandler(fToken);
}

void BHandler::MessageReceived(BMessage* message)
{
    if (fNextHandler != nullptr)
        fNextHandler->MessageReceived(message);
}

BLooper* BHandler::Looper() const
{
    std::lock_guard lock(HandlerRegistry::Default().Mutex());
    return fLooper;
}

void BHandler::_SetLooper(BLooper* looper)
{
    std::lock_guard lock(HandlerRegistry::Default().Mutex());
    fLooper = looper;
}

void BHandler::SetName(const char* name)
{
    fHasName = name != nullptr;
    fName = name != nullptr ? name : "";
}

const char* BHandler::Name() const
{
    return fHasName ? fName.c_str() : nullptr;
}

void BHandler::SetNextHandler(BHandler* handler)
{
    fNextHandler = handler;
}

BHandler* BHandler::NextHandler() const
{
    return fNextHandler;
}

bool BHandler::LockLooper()
{
    return LockLooperWithTimeout(B_INFINITE_TIMEOUT) == B_OK;
}

status_t BHandler::LockLooperWithTimeout(bigtime_t timeout)
{
    BLooper* looper;
    int32 token;
    {
        std::lock_guard lock(HandlerRegistry::Default().Mutex());
        looper = fLooper;
        if (looper == nullptr)
            return B_BAD_VALUE;
        token = looper->Token();
    }
    // The looper may go away while this thread waits; the lock call checks
    // that through the registry and fails instead.
    status_t status = BLooper::_LockLooperIfAlive(looper, token, timeout);
    if (status != B_OK)
        return status;
    if (Looper() != looper) {
        looper->Unlock();
        return B_MISMATCHED_VALUES;
    }
    return B_OK;
}

void BHandler::UnlockLooper()
{
    BLooper* looper = Looper();
    if (looper != nullptr)
        looper->Unlock();
}
