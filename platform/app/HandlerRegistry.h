// The program's handlers and loopers by token. Messengers name their target
// by tokens, so that a message to a looper or handler that has gone away is
// refused instead of reaching freed memory. One lock guards the tables, the
// handlers' looper links and the posting of messages into queues, so that a
// looper cannot be deleted while a message is being put into its queue.
#pragma once

#include <SupportDefs.h>

#include <map>
#include <mutex>
#include <vector>

class BHandler;
class BLooper;

namespace BPrivate {

class HandlerRegistry {
public:
    static HandlerRegistry& Default();

    std::recursive_mutex& Mutex() { return fMutex; }

    // With the lock held:
    int32 AddHandler(BHandler* handler);
    void RemoveHandler(int32 token);
    BHandler* HandlerFor(int32 token) const;

    void AddLooper(BLooper* looper);
    void RemoveLooper(BLooper* looper);
    BLooper* LooperFor(int32 token) const; // by the looper's own handler token
    bool IsLooper(const BLooper* looper) const;
    std::vector<BLooper*> Loopers() const;

private:
    HandlerRegistry() = default;

    std::recursive_mutex fMutex;
    int32 fNextToken = 1;
    std::map<int32, BHandler*> fHandlers;
    std::vector<BLooper*> fLoopers;
};

} // namespace BPrivate
