#include <NodeMonitor.h>

#include "MountWatcher.h"

using BPrivate::MountWatcher;

namespace {

// The program's one watcher: its thread runs only while a target is
// registered, so it has ended once every watch stopped.
MountWatcher& Watcher()
{
    static MountWatcher watcher;
    return watcher;
}

} // namespace

status_t watch_node(const node_ref*, uint32 flags, BMessenger target)
{
    if (!target.IsValid())
        return B_BAD_VALUE;
    if (flags == B_STOP_WATCHING)
        return stop_watching(target);
    if ((flags & B_WATCH_ALL) != 0)
        return B_UNSUPPORTED;
    if ((flags & ~uint32(B_WATCH_MOUNT)) != 0)
        return B_BAD_VALUE;
    return Watcher().Add(target);
}

status_t stop_watching(BMessenger target)
{
    return Watcher().Remove(target);
}
