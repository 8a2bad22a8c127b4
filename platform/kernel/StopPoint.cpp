#include <StopPoint.h>

#include "ThreadRegistry.h"

#include <algorithm>
#include <csignal>

using namespace ondelle::kernel;

void stop_point(void)
{
    ThreadRecordRef record = ThreadRegistry::Current();
    if (record == nullptr)
        return;
    ThreadRegistry& registry = ThreadRegistry::Default();
    std::unique_lock lock(registry.Mutex());
    registry.HonourMarks(*record, lock);
}

bool stop_requested(void)
{
    ThreadRecordRef record = ThreadRegistry::Current();
    if (record == nullptr)
        return false;
    std::unique_lock lock(ThreadRegistry::Default().Mutex());
    return record->killed;
}

void register_child_process(pid_t child)
{
    ThreadRecordRef record = ThreadRegistry::Current();
    if (record == nullptr || child <= 0)
        return;
    std::unique_lock lock(ThreadRegistry::Default().Mutex());
    record->children.push_back(child);
    // The kill may have come between the fork and this call.
    if (record->killed) {
        ::kill(-child, SIGKILL);
        ::kill(child, SIGKILL);
    } else if (record->suspended) {
        ::kill(-child, SIGSTOP);
        ::kill(child, SIGSTOP);
    }
}

void unregister_child_process(pid_t child)
{
    ThreadRegistry& registry = ThreadRegistry::Default();
    std::unique_lock lock(registry.Mutex());
    for (const ThreadRecordRef& record : registry.All()) {
        auto& children = record->children;
        children.erase(std::remove(children.begin(), children.end(), child), children.end());
    }
}
