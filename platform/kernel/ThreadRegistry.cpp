#include "ThreadRegistry.h"

#include <csignal>
#include <string>
#include <unistd.h>

namespace ondelle::kernel {

namespace {

thread_local ThreadRecordRef tCurrent;

// Records of threads that ended or were killed stay until someone waits for
// them; beyond this many, the oldest finished ones are dropped.
const size_t kMaxRecords = 4096;

} // namespace

ThreadRegistry& ThreadRegistry::Default()
{
    static ThreadRegistry* registry = new ThreadRegistry();
    return *registry;
}

ThreadRecordRef ThreadRegistry::Find(thread_id id) const
{
    auto found = fRecords.find(id);
    return found == fRecords.end() ? nullptr : found->second;
}

void ThreadRegistry::Insert(const ThreadRecordRef& record)
{
    // A stale record under the same id belongs to a thread that has ended:
    // Linux hands out a thread id again only after its thread is gone.
    fRecords[record->id] = record;
    fEnded.erase(record->id);
    if (fEnded.size() > kMaxRecords) {
        for (auto it = fEnded.begin(); it != fEnded.end();) {
            if (::access(("/proc/self/task/" + std::to_string(*it)).c_str(), F_OK) != 0)
                it = fEnded.erase(it);
            else
                ++it;
        }
    }
    if (fRecords.size() <= kMaxRecords)
        return;
    for (auto it = fRecords.begin(); it != fRecords.end() && fRecords.size() > kMaxRecords / 2;) {
        if (it->second->exited || it->second->killed)
            it = fRecords.erase(it);
        else
            ++it;
    }
}

void ThreadRegistry::Erase(const ThreadRecordRef& record)
{
    auto found = fRecords.find(record->id);
    if (found != fRecords.end() && found->second == record)
        fRecords.erase(found);
}

std::vector<ThreadRecordRef> ThreadRegistry::All() const
{
    std::vector<ThreadRecordRef> all;
    all.reserve(fRecords.size());
    for (const auto& entry : fRecords)
        all.push_back(entry.second);
    return all;
}

bool ThreadRegistry::IsDead(thread_id id) const
{
    if (fParked.count(id) != 0 || fEnded.count(id) != 0)
        return true;
    ThreadRecordRef record = Find(id);
    return record != nullptr && record->killed;
}

void ThreadRegistry::NoteEnded(thread_id id)
{
    fEnded.insert(id);
}

ThreadRecordRef ThreadRegistry::Current()
{
    return tCurrent;
}

void ThreadRegistry::SetCurrent(const ThreadRecordRef& record)
{
    tCurrent = record;
}

void ThreadRegistry::SignalChildren(const ThreadRecord& record, int signal)
{
    for (pid_t child : record.children) {
        if (child <= 0)
            continue;
        ::kill(-child, signal);
        ::kill(child, signal);
    }
}

void ThreadRegistry::HonourMarks(ThreadRecord& record, std::unique_lock<std::mutex>& lock)
{
    while (true) {
        if (record.killed)
            Park(record, lock);
        if (!record.suspended)
            return;
        record.atStopPoint = true;
        fChanged.notify_all();
        fChanged.wait(lock);
        record.atStopPoint = false;
    }
}

void ThreadRegistry::Park(ThreadRecord& record, std::unique_lock<std::mutex>& lock)
{
    record.atStopPoint = true;
    fParked.insert(record.id);
    fChanged.notify_all();
    // Nothing ever ends this wait: the thread stays blocked until the
    // program exits, and none of its caller's code runs again.
    while (true)
        fChanged.wait(lock);
}

} // namespace ondelle::kernel
