// Thread services on POSIX threads; see docs/threads.md for how stopping works.
#include <OS.h>

#include "ProcFiles.h"
#include "ThreadRegistry.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <pthread.h>
#include <unistd.h>

using namespace ondelle::kernel;

namespace {

// How long kill_thread() waits for the target to reach a stop point.
const auto kKillGrace = std::chrono::seconds(2);

int32 ClampPriority(int32 priority)
{
    if (priority < B_LOWEST_ACTIVE_PRIORITY)
        return B_LOWEST_ACTIVE_PRIORITY;
    if (priority > B_REAL_TIME_PRIORITY)
        return B_REAL_TIME_PRIORITY;
    return priority;
}

std::string ThreadName(const char* name)
{
    std::string text = name != nullptr ? name : "unnamed thread";
    if (text.size() > B_OS_NAME_LENGTH - 1)
        text.resize(B_OS_NAME_LENGTH - 1);
    return text;
}

// Linux keeps 15 bytes of a thread's name; debuggers and ps show them.
void SetSystemName(pthread_t thread, const std::string& name)
{
    std::string shortName = name.substr(0, 15);
    pthread_setname_np(thread, shortName.c_str());
}

void* ThreadEntry(void* argument)
{
    ThreadRecordRef* handed = static_cast<ThreadRecordRef*>(argument);
    ThreadRecordRef record = *handed;
    delete handed;

    ThreadRegistry& registry = ThreadRegistry::Default();
    ThreadRegistry::SetCurrent(record);
    SetSystemName(pthread_self(), record->name);
    {
        std::unique_lock lock(registry.Mutex());
        record->id = CurrentThreadId();
        registry.Insert(record);
        registry.Changed().notify_all();
        // Spawned threads wait for resume_thread() or wait_for_thread().
        registry.Changed().wait(lock, [&] { return record->started || record->killed; });
        if (record->killed) {
            record->exited = true;
            registry.NoteEnded(record->id);
            registry.Changed().notify_all();
            ThreadRegistry::SetCurrent(nullptr);
            return nullptr;
        }
    }

    status_t result = record->function(record->data);

    std::unique_lock lock(registry.Mutex());
    record->exitValue = result;
    record->exited = true;
    record->children.clear();
    registry.NoteEnded(record->id);
    registry.Changed().notify_all();
    lock.unlock();
    ThreadRegistry::SetCurrent(nullptr);
    return nullptr;
}

// The record of a live thread spawned here (lock held), else null.
ThreadRecordRef LiveRecord(thread_id id)
{
    ThreadRecordRef record = ThreadRegistry::Default().Find(id);
    if (record == nullptr || record->exited || record->killed)
        return nullptr;
    return record;
}

// Result for an id that is not a live thread spawned here.
status_t NotOurs(thread_id id)
{
    {
        ThreadRegistry& registry = ThreadRegistry::Default();
        std::unique_lock lock(registry.Mutex());
        if (registry.IsDead(id))
            return B_BAD_THREAD_ID;
    }
    if (id > 0 && TeamOfThread(id) == ::getpid())
        return B_NOT_ALLOWED;
    return B_BAD_THREAD_ID;
}

// suspend_thread()/resume_thread() on a thread of another process act on
// the whole process.
status_t SignalOtherTeam(thread_id id, int signal)
{
    pid_t team = TeamOfThread(id);
    if (team <= 0)
        return B_BAD_THREAD_ID;
    if (team == ::getpid())
        return B_NOT_ALLOWED;
    TaskStat stat;
    if (!ReadTaskStat(team, id, stat))
        return B_BAD_THREAD_ID;
    bool stopped = stat.state == 'T' || stat.state == 't';
    if (signal == SIGCONT && !stopped)
        return B_BAD_THREAD_STATE;
    if (::kill(team, signal) != 0)
        return status_from_errno(errno);
    return B_OK;
}

} // namespace

thread_id spawn_thread(thread_func function, const char* name, int32 priority, void* data)
{
    if (function == nullptr)
        return B_BAD_VALUE;

    auto record = std::make_shared<ThreadRecord>();
    record->name = ThreadName(name);
    record->priority = ClampPriority(priority);
    record->function = function;
    record->data = data;

    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_t thread;
    auto* handed = new ThreadRecordRef(record);
    int error = pthread_create(&thread, &attributes, ThreadEntry, handed);
    pthread_attr_destroy(&attributes);
    if (error != 0) {
        delete handed;
        return error == EAGAIN ? B_NO_MORE_THREADS : status_from_errno(error);
    }

    ThreadRegistry& registry = ThreadRegistry::Default();
    std::unique_lock lock(registry.Mutex());
    registry.Changed().wait(lock, [&] { return record->id >= 0; });
    return record->id;
}

status_t resume_thread(thread_id id)
{
    ThreadRegistry& registry = ThreadRegistry::Default();
    std::unique_lock lock(registry.Mutex());
    ThreadRecordRef record = LiveRecord(id);
    if (record == nullptr) {
        bool dead = registry.IsDead(id);
        lock.unlock();
        return dead ? B_BAD_THREAD_ID : SignalOtherTeam(id, SIGCONT);
    }
    if (!record->started) {
        record->started = true;
    } else if (record->suspended) {
        record->suspended = false;
        ThreadRegistry::SignalChildren(*record, SIGCONT);
    } else {
        return B_BAD_THREAD_STATE;
    }
    registry.Changed().notify_all();
    return B_OK;
}

status_t suspend_thread(thread_id id)
{
    ThreadRegistry& registry = ThreadRegistry::Default();
    std::unique_lock lock(registry.Mutex());
    ThreadRecordRef record = LiveRecord(id);
    if (record == nullptr) {
        bool dead = registry.IsDead(id);
        lock.unlock();
        return dead ? B_BAD_THREAD_ID : SignalOtherTeam(id, SIGSTOP);
    }
    if (!record->started)
        return B_OK;
    record->suspended = true;
    ThreadRegistry::SignalChildren(*record, SIGSTOP);
    registry.Changed().notify_all();
    if (record == ThreadRegistry::Current())
        registry.HonourMarks(*record, lock);
    return B_OK;
}

status_t kill_thread(thread_id id)
{
    ThreadRegistry& registry = ThreadRegistry::Default();
    std::unique_lock lock(registry.Mutex());
    ThreadRecordRef record = LiveRecord(id);
    if (record == nullptr) {
        lock.unlock();
        return NotOurs(id);
    }
    record->killed = true;
    // A stopped child must die too; SIGKILL ends stopped processes.
    ThreadRegistry::SignalChildren(*record, SIGKILL);
    registry.Changed().notify_all();
    if (record == ThreadRegistry::Current())
        registry.HonourMarks(*record, lock);

    registry.Changed().wait_for(lock, kKillGrace, [&] {
        return record->atStopPoint || record->exited || !record->started || record->waitState != 0;
    });
    return B_OK;
}

status_t wait_for_thread(thread_id id, status_t* returnValue)
{
    ThreadRegistry& registry = ThreadRegistry::Default();
    std::unique_lock lock(registry.Mutex());
    ThreadRecordRef record = registry.Find(id);
    if (record == nullptr) {
        lock.unlock();
        return NotOurs(id);
    }
    ThreadRecordRef self = ThreadRegistry::Current();
    if (record == self)
        return B_DONT_DO_THAT;
    if (!record->killed && !record->started) {
        record->started = true;
        registry.Changed().notify_all();
    }

    int32 previousWait = 0;
    if (self != nullptr) {
        previousWait = self->waitState;
        self->waitState = B_THREAD_WAITING;
        registry.Changed().notify_all();
    }
    while (!record->exited && !record->killed) {
        registry.Changed().wait(lock);
        if (self != nullptr && self->killed)
            registry.HonourMarks(*self, lock);
    }
    if (self != nullptr)
        self->waitState = previousWait;

    registry.Erase(record);
    if (record->killed)
        return B_INTERRUPTED;
    if (returnValue != nullptr)
        *returnValue = record->exitValue;
    return B_OK;
}

status_t rename_thread(thread_id id, const char* newName)
{
    if (newName == nullptr)
        return B_BAD_VALUE;
    ThreadRegistry& registry = ThreadRegistry::Default();
    std::unique_lock lock(registry.Mutex());
    ThreadRecordRef record = LiveRecord(id);
    if (record == nullptr) {
        lock.unlock();
        if (id == CurrentThreadId()) {
            SetSystemName(pthread_self(), ThreadName(newName));
            return B_OK;
        }
        return NotOurs(id);
    }
    record->name = ThreadName(newName);
    if (record == ThreadRegistry::Current())
        SetSystemName(pthread_self(), record->name);
    return B_OK;
}

status_t set_thread_priority(thread_id id, int32 newPriority)
{
    ThreadRegistry& registry = ThreadRegistry::Default();
    std::unique_lock lock(registry.Mutex());
    ThreadRecordRef record = LiveRecord(id);
    if (record == nullptr) {
        lock.unlock();
        return NotOurs(id);
    }
    int32 old = record->priority;
    record->priority = ClampPriority(newPriority);
    return old;
}

thread_id find_thread(const char* name)
{
    if (name == nullptr)
        return CurrentThreadId();
    std::string wanted = name;
    {
        ThreadRegistry& registry = ThreadRegistry::Default();
        std::unique_lock lock(registry.Mutex());
        for (const ThreadRecordRef& record : registry.All()) {
            if (!record->exited && !record->killed && record->name == wanted)
                return record->id;
        }
    }
    // Threads not spawned here are known by their Linux name only.
    pid_t team = ::getpid();
    for (pid_t thread : ListTasks(team)) {
        TaskStat stat;
        if (ReadTaskStat(team, thread, stat) && stat.comm == wanted) {
            ThreadRegistry& registry = ThreadRegistry::Default();
            std::unique_lock lock(registry.Mutex());
            // A spawned thread that ended or was killed is gone, even while
            // Linux still lists it.
            if (registry.Find(thread) == nullptr && !registry.IsDead(thread))
                return thread;
        }
    }
    return B_NAME_NOT_FOUND;
}

int32 wait_for_spawned_threads(bigtime_t timeout)
{
    ThreadRegistry& registry = ThreadRegistry::Default();
    std::unique_lock lock(registry.Mutex());
    ThreadRecordRef self = ThreadRegistry::Current();
    auto remaining = [&] {
        int32 count = 0;
        for (const ThreadRecordRef& record : registry.All()) {
            if (record != self && !record->exited)
                count++;
        }
        return count;
    };
    // Killed threads park for good and threads never resumed never run:
    // only the others are waited for.
    auto working = [&] {
        for (const ThreadRecordRef& record : registry.All()) {
            if (record != self && record->started && !record->exited && !record->killed)
                return true;
        }
        return false;
    };
    registry.Changed().wait_for(lock, std::chrono::microseconds(timeout), [&] { return !working(); });
    return remaining();
}
