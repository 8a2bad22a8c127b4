#include "ItemUnpackPool.h"

#include <LibWorkFolders.h>
#include <StopPoint.h>
#include <ThreadWaitMark.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <utility>

namespace {

struct Worker {
    thread_id id = -1;
    // The thread no longer touches the pool's state.
    bool exited = false;
    // A stop or the destructor waits for the thread; only one of them may,
    // since a waited-for id can be given to a new thread.
    bool claimed = false;
};

} // namespace


// What the workers share with the pool. Each worker holds it too, so that
// nothing it touches on its way out can go before it.
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
    // No unpack starts any more.
    bool stopping = false;
    // The job unpacks an item again: no new unpack starts meanwhile.
    bool retrying = false;
    // The unpacks under way end at their next block.
    std::atomic<bool> cancel{false};

    // With the lock held: the workers no one waits for yet, claimed for
    // the caller to wait for.
    std::vector<thread_id> ClaimWorkers()
    {
        std::vector<thread_id> claimed;
        for (Worker& worker : workers) {
            if (!worker.claimed) {
                worker.claimed = true;
                claimed.push_back(worker.id);
            }
        }
        return claimed;
    }

    int32 Count() const { return int32(archives.size()); }
    // With the lock held: a worker may start the next archive.
    bool CanStart() const
    {
        return !retrying && nextToStart < Count() && nextToStart < nextToTake + lookAhead;
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
    std::vector<thread_id> workers;
    {
        std::unique_lock lock(state.lock);
        // Whatever is still being unpacked will not be taken.
        state.stopping = true;
        state.cancel = true;
        state.changed.notify_all();
        workers = state.ClaimWorkers();
    }
    for (thread_id thread : workers) {
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
        item.Unpack(state.archives[size_t(position)], state.folder, state.workFolders.get(), nullptr,
            &state.cancel);

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
    // Its last unpack, when it was stopped, is removed already.
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
        item.Unpack(state.archives[size_t(position)], state.folder, state.workFolders.get(), nullptr,
            &state.cancel);
        // Cut short by a stop: a killed job parks here, before it reports
        // anything about the item.
        if (state.cancel)
            stop_point();
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
    if (item.Result() != ITEM_NOT_UNPACKED || !item.FoundVolumeFull()) {
        state.changed.notify_all();
        return item;
    }
    // Unpacked ahead, it found the volume full: the room may have been
    // held by the items unpacked beside it, or by one that failed meanwhile
    // and has given its room back. It is unpacked again at its turn, as it
    // would have been without workers, while the workers start nothing new;
    // only this try's outcome is told.
    state.retrying = true;
    lock.unlock();
    item = UnpackedItem();
    item.Unpack(state.archives[size_t(position)], state.folder, state.workFolders.get(), nullptr, &state.cancel);
    lock.lock();
    state.retrying = false;
    state.changed.notify_all();
    lock.unlock();
    if (state.cancel)
        stop_point();
    return item;
}


void
ItemUnpackPool::Kill()
{
    State& state = *fState;
    std::vector<UnpackedItem> waiting;
    std::vector<thread_id> workers;
    {
        std::unique_lock lock(state.lock);
        state.stopping = true;
        state.cancel = true;
        state.changed.notify_all();
        // Each worker ends its unpack at the next block, removes what it
        // unpacked and ends.
        ThreadWaitMark mark(B_THREAD_WAITING);
        state.changed.wait(lock, [&] {
            return std::all_of(state.workers.begin(), state.workers.end(),
                [](const Worker& worker) { return worker.exited; });
        });
        workers = state.ClaimWorkers();
        for (size_t position = 0; position < state.results.size(); position++) {
            if (state.done[position] != 0) {
                waiting.push_back(std::move(state.results[position]));
                state.done[position] = 0;
            }
        }
    }
    // Their threads are gone once Kill() returns.
    for (thread_id thread : workers) {
        status_t ignored = B_OK;
        wait_for_thread(thread, &ignored);
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
