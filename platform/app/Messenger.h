// BMessenger: the address of a handler in a looper (or of a looper's
// preferred handler), usable from any thread. Sending copies the message
// into the target's queue; the queue has no limit, so a send never blocks
// and the delivery time-out has nothing to wait for. Replies are not
// supported: messages travel one way.
//
// Messengers name their target by tokens, so a messenger whose looper or
// handler has gone away is refused (IsValid() false, SendMessage()
// B_BAD_PORT_ID or B_BAD_HANDLER) instead of reaching freed memory.
#pragma once

#include <OS.h>

class BHandler;
class BLooper;
class BMessage;

class BMessenger {
public:
    BMessenger();
    // The running application whose signature this is (compared without
    // regard to case). Only this program's own application can be reached:
    // any other gives B_BAD_TEAM_ID.
    BMessenger(const char* signature, team_id team = -1, status_t* result = nullptr);
    // A handler in its looper, or (handler NULL) the looper's preferred
    // handler. B_BAD_HANDLER when the handler has no looper,
    // B_MISMATCHED_VALUES when it belongs to another looper than the one
    // given, B_BAD_VALUE when neither is given.
    BMessenger(const BHandler* handler, const BLooper* looper = nullptr, status_t* result = nullptr);
    BMessenger(const BMessenger& other);
    ~BMessenger();

    BMessenger& operator=(const BMessenger& other);
    bool operator==(const BMessenger& other) const;
    bool operator!=(const BMessenger& other) const { return !(*this == other); }

    bool IsTargetLocal() const;
    BHandler* Target(BLooper** looper) const;
    bool LockTarget() const;
    status_t LockTargetWithTimeout(bigtime_t timeout) const;

    status_t SendMessage(uint32 command, BHandler* replyTo = nullptr) const;
    status_t SendMessage(BMessage* message, BHandler* replyTo = nullptr,
        bigtime_t timeout = B_INFINITE_TIMEOUT) const;
    status_t SendMessage(BMessage* message, BMessenger replyTo,
        bigtime_t timeout = B_INFINITE_TIMEOUT) const;

    bool IsValid() const;
    team_id Team() const;

    // The target's tokens (extension): the looper's own handler token, and
    // the handler's token or -1 for the preferred handler.
    int32 LooperToken() const { return fLooperToken; }
    int32 HandlerToken() const { return fHandlerToken; }

private:
    status_t _Send(const BMessage& message, int32 replyLooper, int32 replyHandler) const;

    team_id fTeam;
    int32 fLooperToken;
    int32 fHandlerToken;
};
