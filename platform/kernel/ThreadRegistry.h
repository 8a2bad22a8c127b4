// Book-keeping of the threads spawned by spawn_thread(): their names,
// priorities, start, suspend and kill marks, child processes and exit values.
// One lock and one condition guard all records; every change is announced
// on the condition so that waiters re-check their own record.
#pragma once

#include <OS.h>

#include <condition_variable>
#include <map>
#include <set>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace ondelle::kernel {

struct ThreadRecord {
    thread_id id = -1;
    std::string name;
    int32 priority = B_NORMAL_PRIORITY;
    thread_func function = nullptr;
    void* data = nullptr;

    bool started = false;   // resumed (or waited for) after the spawn
    bool suspended = false; // suspend_thread() without a resume since
    bool killed = false;    // kill_thread(): parks at its next stop point
    bool exited = false;    // the function returned
    bool atStopPoint = false; // waiting or parked inside a stop point
    status_t exitValue = B_OK;
    int32 waitState = 0;    // thread_state of a marked wait, 0 outside one
    std::vector<pid_t> children;
};

using ThreadRecordRef = std::shared_ptr<ThreadRecord>;

class ThreadRegistry {
public:
    // The one registry. It is never destroyed, so that threads parked for
    // good may still hold its lock while the program ends.
    static ThreadRegistry& Default();

    std::mutex& Mutex() { return fMutex; }
    std::condition_variable& Changed() { return fChanged; }

    // With the lock held:
    ThreadRecordRef Find(thread_id id) const;
    void Insert(const ThreadRecordRef& record);
    void Erase(const ThreadRecordRef& record);
    std::vector<ThreadRecordRef> All() const;
    // True for a thread that was killed (whether or not it has parked yet)
    // or whose function returned: such a thread no longer exists for the
    // thread services, even while Linux still lists it.
    bool IsDead(thread_id id) const;
    // Called by a spawned thread whose function returned (lock held).
    void NoteEnded(thread_id id);

    // The calling thread's record, null for threads not spawned here.
    static ThreadRecordRef Current();
    static void SetCurrent(const ThreadRecordRef& record);

    // Sends a signal to every registered child of a record (lock held).
    static void SignalChildren(const ThreadRecord& record, int signal);

    // Called by the owning thread with the lock held: waits while the thread
    // is suspended and parks it for good once it is killed. Returns only
    // when the thread is neither.
    void HonourMarks(ThreadRecord& record, std::unique_lock<std::mutex>& lock);

private:
    ThreadRegistry() = default;
    [[noreturn]] void Park(ThreadRecord& record, std::unique_lock<std::mutex>& lock);

    std::mutex fMutex;
    std::condition_variable fChanged;
    std::map<thread_id, ThreadRecordRef> fRecords;
    std::set<thread_id> fParked; // parked for good; their ids never return
    std::set<thread_id> fEnded;  // returned; forgotten when the id is reused
};

} // namespace ondelle::kernel
