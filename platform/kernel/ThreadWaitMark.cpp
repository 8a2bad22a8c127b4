#include <ThreadWaitMark.h>

#include "ThreadRegistry.h"

using namespace ondelle::kernel;

ThreadWaitMark::ThreadWaitMark(thread_state state)
    :
    fPrevious(0),
    fMarked(false)
{
    ThreadRecordRef record = ThreadRegistry::Current();
    if (record == nullptr)
        return;
    ThreadRegistry& registry = ThreadRegistry::Default();
    std::unique_lock lock(registry.Mutex());
    fPrevious = record->waitState;
    record->waitState = state;
    fMarked = true;
    registry.Changed().notify_all();
}

ThreadWaitMark::~ThreadWaitMark()
{
    if (!fMarked)
        return;
    ThreadRecordRef record = ThreadRegistry::Current();
    if (record == nullptr)
        return;
    std::unique_lock lock(ThreadRegistry::Default().Mutex());
    record->waitState = fPrevious;
}
