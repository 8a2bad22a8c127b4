// BMessageQueue: the first-in first-out queue of a looper. It owns the
// messages in it. Every operation is safe from any thread; Lock()/Unlock()
// keep the queue still across several calls (e.g. FindMessage walks).
#pragma once

#include <SupportDefs.h>

#include <condition_variable>
#include <deque>
#include <mutex>

class BMessage;

class BMessageQueue {
public:
    BMessageQueue();
    virtual ~BMessageQueue();
    BMessageQueue(const BMessageQueue&) = delete;
    BMessageQueue& operator=(const BMessageQueue&) = delete;

    // Appends message; the queue takes it over.
    void AddMessage(BMessage* message);
    // Takes message out of the queue (it is not deleted).
    void RemoveMessage(BMessage* message);

    int32 CountMessages() const;
    bool IsEmpty() const;

    // The index-th message, or the index-th one with that command.
    BMessage* FindMessage(int32 index) const;
    BMessage* FindMessage(uint32 what, int32 index = 0) const;

    bool Lock();
    void Unlock();
    bool IsLocked() const;

    // Takes the first message out; NULL when the queue is empty.
    BMessage* NextMessage();
    bool IsNextMessage(const BMessage* message) const;

    // Waits up to timeout microseconds for a message and takes it out
    // (extension for the looper's loop); NULL after the timeout or after
    // Interrupt().
    BMessage* NextMessage(bigtime_t timeout);
    // Wakes a thread waiting in NextMessage(timeout) without a message.
    void Interrupt();

private:
    mutable std::recursive_mutex fMutex;
    std::condition_variable_any fAdded;
    std::deque<BMessage*> fMessages;
    int32 fLockCount;
    bool fInterrupted;
};
