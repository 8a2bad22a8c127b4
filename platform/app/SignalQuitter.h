// SignalQuitter: while it lives, the termination signals (SIGTERM, SIGHUP,
// SIGINT) no longer end the program on the spot. Each becomes a quit request
// to a looper (B_QUIT_REQUESTED with the string "cause" "signal" and the
// int32 "signal"), so that the program can stop its work, note what it did
// and end in order. A second signal of the same kind while the first is
// being handled is passed on the same way; the looper decides.
//
// One instance at a time: the signal handler reaches it through a pipe.
// Its thread ends in the destructor, which also restores the handlers that
// were in place before.
#pragma once

#include <Messenger.h>

#include <csignal>
#include <thread>

class SignalQuitter {
public:
    explicit SignalQuitter(const BMessenger& target);
    ~SignalQuitter();
    SignalQuitter(const SignalQuitter&) = delete;
    SignalQuitter& operator=(const SignalQuitter&) = delete;

    bool IsActive() const { return fActive; }

private:
    void _Watch();

    static constexpr int kSignalCount = 3;
    BMessenger fTarget;
    int fPipe[2] = {-1, -1};
    bool fActive = false;
    struct sigaction fPrevious[kSignalCount] = {};
    std::thread fThread;
};
