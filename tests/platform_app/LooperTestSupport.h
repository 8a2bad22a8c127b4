// Loopers and handlers that record what reaches them, for the loop tests.
#pragma once

#include <Handler.h>
#include <Looper.h>
#include <Message.h>
#include <OS.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

namespace looper_test {

// Collects (sender, sequence) pairs and what codes of received messages.
struct Log {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::pair<int32, int32>> entries;
    std::vector<uint32> whats;
    std::vector<thread_id> threads;

    void Add(BMessage* message)
    {
        std::lock_guard lock(mutex);
        entries.emplace_back(message->GetInt32("sender", -1), message->GetInt32("seq", -1));
        whats.push_back(message->what);
        threads.push_back(find_thread(nullptr));
        changed.notify_all();
    }

    bool WaitFor(size_t count, bigtime_t timeout = 10000000)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::microseconds(timeout),
            [&] { return entries.size() >= count; });
    }

    size_t Size()
    {
        std::lock_guard lock(mutex);
        return entries.size();
    }
};

class RecordingHandler : public BHandler {
public:
    RecordingHandler(const char* name, Log& log) : BHandler(name), fLog(log) {}
    void MessageReceived(BMessage* message) override { fLog.Add(message); }

private:
    Log& fLog;
};

class RecordingLooper : public BLooper {
public:
    RecordingLooper(Log& log, std::atomic<bool>* deleted = nullptr)
        : BLooper("recording looper"), fLog(log), fDeleted(deleted) {}
    ~RecordingLooper() override
    {
        if (fDeleted != nullptr)
            *fDeleted = true;
    }
    void MessageReceived(BMessage* message) override
    {
        if (onMessage)
            onMessage(message);
        fLog.Add(message);
    }
    bool QuitRequested() override { return allowQuit; }

    std::function<void(BMessage*)> onMessage;
    std::atomic<bool> allowQuit{true};

private:
    Log& fLog;
    std::atomic<bool>* fDeleted;
};

inline bool WaitUntil(const std::function<bool()>& condition, bigtime_t timeout = 5000000)
{
    bigtime_t end = system_time() + timeout;
    while (!condition()) {
        if (system_time() > end)
            return false;
        snooze(1000);
    }
    return true;
}

} // namespace looper_test
