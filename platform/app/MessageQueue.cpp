#include <MessageQueue.h>

#include <Message.h>
#include <OS.h>
#include <ThreadWaitMark.h>

#include <algorithm>
#include <chrono>

BMessageQueue::BMessageQueue()
    :
    fLockCount(0),
    fInterrupted(false)
{
}

BMessageQueue::~BMessageQueue()
{
    for (BMessage* message : fMessages)
        delete message;
}

void BMessageQueue::AddMessage(BMessage* message)
{
    if (message == nullptr)
        return;
    std::lock_guard lock(fMutex);
    fMessages.push_back(message);
    fAdded.notify_one();
}

void BMessageQueue::RemoveMessage(BMessage* message)
{
    std::lock_guard lock(fMutex);
    auto found = std::find(fMessages.begin(), fMessages.end(), message);
    if (found != fMessages.end())
        fMessages.erase(found);
}

int32 BMessageQueue::CountMessages() const
{
    std::lock_guard lock(fMutex);
    return int32(fMessages.size());
}

bool BMessageQueue::IsEmpty() const
{
    std::lock_guard lock(fMutex);
    return fMessages.empty();
}

BMessage* BMessageQueue::FindMessage(int32 index) const
{
    std::lock_guard lock(fMutex);
    if (index < 0 || size_t(index) >= fMessages.size())
        return nullptr;
    return fMessages[size_t(index)];
}

BMessage* BMessageQueue::FindMessage(uint32 what, int32 index) const
{
    std::lock_guard lock(fMutex);
    if (index < 0)
        return nullptr;
    for (BMessage* message : fMessages) {
        if (message->what == what && index-- == 0)
            return message;
    }
    return nullptr;
}

bool BMessageQueue::Lock()
{
    fMutex.lock();
    fLockCount++;
    return true;
}

void BMessageQueue::Unlock()
{
    // Only a thread that holds the lock may release it; the count is
    // guarded by the lock itself.
    if (!fMutex.try_lock())
        return;
    if (fLockCount > 0) {
        fLockCount--;
        fMutex.unlock();
    }
    fMutex.unlock();
}

bool BMessageQueue::IsLocked() const
{
    if (!fMutex.try_lock())
        return true;
    bool locked = fLockCount > 0;
    fMutex.unlock();
    return locked;
}

BMessage* BMessageQueue::NextMessage()
{
    std::lock_guard lock(fMutex);
    if (fMessages.empty())
        return nullptr;
    BMessage* message = fMessages.front();
    fMessages.pop_front();
    return message;
}

bool BMessageQueue::IsNextMessage(const BMessage* message) const
{
    std::lock_guard lock(fMutex);
    return !fMessages.empty() && fMessages.front() == message;
}

BMessage* BMessageQueue::NextMessage(bigtime_t timeout)
{
    std::unique_lock lock(fMutex);
    if (fMessages.empty() && !fInterrupted && timeout > 0) {
        ThreadWaitMark mark(B_THREAD_RECEIVING);
        auto ready = [&] { return !fMessages.empty() || fInterrupted; };
        if (timeout >= B_INFINITE_TIMEOUT / 2)
            fAdded.wait(lock, ready);
        else
            fAdded.wait_for(lock, std::chrono::microseconds(timeout), ready);
    }
    fInterrupted = false;
    if (fMessages.empty())
        return nullptr;
    BMessage* message = fMessages.front();
    fMessages.pop_front();
    return message;
}

void BMessageQueue::Interrupt()
{
    std::lock_guard lock(fMutex);
    fInterrupted = true;
    fAdded.notify_all();
}
