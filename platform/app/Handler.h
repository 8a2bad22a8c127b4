// BHandler: an object that receives messages in a looper's thread.
#pragma once

#include <SupportDefs.h>

#include <string>

class BLooper;
class BMessage;

class BHandler {
public:
    explicit BHandler(const char* name = nullptr);
    virtual ~BHandler();

    // Handles a message; the default passes it to the next handler, if any.
    virtual void MessageReceived(BMessage* message);

    BLooper* Looper() const;

    void SetName(const char* name);
    const char* Name() const;

    virtual void SetNextHandler(BHandler* handler);
    BHandler* NextHandler() const;

    // Locks the handler's looper, making sure the handler still belongs to
    // it once the lock is held.
    bool LockLooper();
    status_t LockLooperWithTimeout(bigtime_t timeout);
    void UnlockLooper();

    // The handler's token, by which messengers name it (extension).
    int32 Token() const { return fToken; }

private:
    friend class BLooper;
    void _SetLooper(BLooper* looper);

    int32 fToken;
    std::string fName;
    bool fHasName;
    BLooper* fLooper;
    BHandler* fNextHandler;
};
