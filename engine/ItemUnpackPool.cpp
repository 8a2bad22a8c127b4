#include "ItemUnpackPool.h"

#include <LibWorkFolders.h>
#include <StopPoint.h>
#include <ThreadWaitMark.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <utility>

namespace {

struct Worker {
    thread_id id = -1;
    // The thread no longer touches the pool's state.
    bool exited = false;
};

} // namespace


// What the workers share with the pool. Each worker holds it, so that a
// worker parked for good by a stop keeps it (and never touches it again),
// and one that ends after the pool was destroyed still finds it.
struct ItemUnpackPool::State {
    // Never changed once the workers run.
    std::vector<ItemArchive> archives;
    std::string folder;
    std::shared_ptr<LibWorkFolders> workFolders;
    int32 lookAhead = 1;

    std::mutex lock;
    std::condition_variable changed;
    // Unpacked archives not taken yet, by position (declared after
    // workFolders: they unregister from it as they go).
    std::vector<UnpackedItem> results;
    std::vector<char> done;
    // The next archive a worker may start, and the first not taken yet.
    int32 nextToStart = 0;
    int32 nextToTake = 0;
    std::vector<Worker> workers;
    bool stopping = false;
    // A stop is sending its kills; no worker ends until they are all sent,
    // so that no other thread can have taken the id of one meanwhile.
    bool killing = false;
    bool killsSent = false;

    int32 Count() const { return int32(archives.size()); }
    // With the lock held: a worker may start the next archive.
    bool CanStart() const
    {
        return nextToStart < Count() && nextToStart < nextToTake + lookAhead;
    }
};


struct ItemUnpackPool::WorkerStart {
    std::shared_ptr<State> state;
    size_t slot = 0;
};


ItemUnpackPool::ItemUnpackPool(std::vector<ItemArchive> archives, const std::string& folder,
    std::shared_ptr<LibWorkFolders> workFolders, int32 workers, int32 lookAhead)
    :
    fState(std::make_shared<State>())
{
    State& state = *fState;
    state.archives = std::move(archives);
    state.folder = folder;
    state.workFolders = std::move(workFolders);
    state.lookAhead = std::max<int32>(lookAhead, 1);
    state.results.resize(state.archives.size());
    state.done.assign(state.archives.size(), 0);

    workers = std::min(std::max<int32>(workers, 0), state.Count());
    for (int32 index = 0; index < workers; index++) {
        std::unique_lock lock(state.lock);
        state.workers.push_back(Worker());
        auto* start = new WorkerStart{fState, state.workers.size() - 1};
        const thread_id thread = spawn_thread(_WorkerMain, "unpack items", B_NORMAL_PRIORITY, start);
        if (thread < 0) {
            // Fewer workers: Take() unpacks what none of them starts.
            delete start;
            state.workers.pop_back();
            break;
        }
        state.workers.back().id = thread;
        lock.unlock();
        resume_thread(thread);
    }
}


ItemUnpackPool::~ItemUnpackPool()
{
    State& state = *fState;
    std::vector<thread_id> running;
    {
        std::unique_lock lock(state.lock);
        state.stopping = true;
        state.changed.notify_all();
        // Killed workers are not waited for: they park for good.
        if (!state.killing) {
            for (const Worker& worker : state.workers)
                running.push_back(worker.id);
        }
    }
    for (thread_id thread : running) {
        status_t ignored = B_OK;
        wait_for_thread(thread, &ignored);
    }
}


int32
ItemUnpackPool::_WorkerMain(void* data)
{
    std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(data));
    const std::shared_ptr<State> shared = start->state;
    const size_t slot = start->slot;
    start.reset();
    State& state = *shared;

    std::unique_lock lock(state.lock);
    while (true) {
        {
            ThreadWaitMark mark(B_THREAD_WAITING);
            state.changed.wait(lock, [&] { return state.stopping || state.CanStart(); });
        }
        if (state.stopping)
            break;
        const int32 position = state.nextToStart++;
        lock.unlock();

        UnpackedItem item;
        item.Unpack(state.archives[size_t(position)], state.folder, state.workFolders.get());

        lock.lock();
        if (state.stopping || position < state.nextToTake) {
            // Stopped, or skipped meanwhile: nobody takes it.
            lock.unlock();
            item = UnpackedItem();
            lock.lock();
            if (state.stopping)
                break;
            continue;
        }
        state.results[size_t(position)] = std::move(item);
        state.done[size_t(position)] = 1;
        state.changed.notify_all();
    }
    {
        ThreadWaitMark mark(B_THREAD_WAITING);
        state.changed.wait(lock, [&] { return !state.killing || state.killsSent; });
    }
    state.workers[slot].exited = true;
    state.changed.notify_all();
    return 0;
}


UnpackedItem
ItemUnpackPool::Take(int32 position)
{
    State& state = *fState;
    UnpackedItem item;
    std::unique_lock lock(state.lock);
    if (state.stopping) {
        // A killed job parks here.
        lock.unlock();
        stop_point();
        item.Fail(ITEM_NOT_UNPACKED, "the installation was stopped");
        return item;
    }
    if (position < state.nextToTake || position >= state.Count()) {
        item.Fail(ITEM_NOT_UNPACKED, "it was not unpacked");
        return item;
    }
    // Archives skipped over are not unpacked any more.
    state.nextToTake = position;
    if (state.nextToStart <= position) {
        // No worker has started it: unpack it here, and let the workers
        // go on with the next ones meanwhile.
        state.nextToStart = position + 1;
        state.nextToTake = position + 1;
        state.changed.notify_all();
        lock.unlock();
        item.Unpack(state.archives[size_t(position)], state.folder, state.workFolders.get());
        return item;
    }
    {
        ThreadWaitMark mark(B_THREAD_WAITING);
        state.changed.wait(lock, [&] { return state.done[size_t(position)] != 0 || state.stopping; });
    }
    if (state.done[size_t(position)] == 0) {
        // Stopped while waiting: a killed job parks here.
        lock.unlock();
        stop_point();
        item.Fail(ITEM_NOT_UNPACKED, "the installation was stopped");
        return item;
    }
    item = std::move(state.results[size_t(position)]);
    state.done[size_t(position)] = 0;
    state.nextToTake = position + 1;
    state.changed.notify_all();
    return item;
}


void
ItemUnpackPool::Kill()
{
    State& state = *fState;
    std::vector<thread_id> victims;
    {
        std::unique_lock lock(state.lock);
        if (state.killing)
            return;
        state.stopping = true;
        state.killing = true;
        for (const Worker& worker : state.workers) {
            if (!worker.exited)
                victims.push_back(worker.id);
        }
        state.changed.notify_all();
    }
    // Each returns once its worker has parked or waits in the pool.
    for (thread_id thread : victims)
        kill_thread(thread);

    std::vector<UnpackedItem> waiting;
    {
        std::unique_lock lock(state.lock);
        state.killsSent = true;
        for (size_t position = 0; position < state.results.size(); position++) {
            if (state.done[position] != 0) {
                waiting.push_back(std::move(state.results[position]));
                state.done[position] = 0;
            }
        }
        state.changed.notify_all();
    }
    // Their working folders go with them.
    waiting.clear();
}


int32
ItemUnpackPool::CountWorkers() const
{
    std::unique_lock lock(fState->lock);
    return int32(fState->workers.size());
}


int32
ItemUnpackPool::DefaultWorkers()
{
    system_info info;
    if (get_system_info(&info) != B_OK || info.cpu_count < 1)
        return 1;
    return std::min<int32>(info.cpu_count, kMaxWorkers);
}
