// The thread behind mount notifications (see NodeMonitor.h): it watches the
// mount table and sends each target a B_NODE_MONITOR message for every file
// system mounted or unmounted. The kit keeps one for the program; tests make
// their own. Not for use outside the storage kit.
//
// The thread sleeps in poll() until the kernel flags /proc/self/mountinfo
// as changed (POLLPRI and POLLERR) or the watch stops (an eventfd): it reads
// the table only when it changed. It runs while at least one target is
// registered; removing the last target, or destroying the watcher, wakes
// it and joins it before returning.
#pragma once

#include <Messenger.h>
#include <SupportDefs.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace BPrivate {

class MountWatcher {
public:
    // The name the thread carries (in /proc/self/task/*/comm).
    static constexpr const char* kThreadName = "mount watcher";

    MountWatcher() = default;
    ~MountWatcher();
    MountWatcher(const MountWatcher&) = delete;
    MountWatcher& operator=(const MountWatcher&) = delete;

    // Adds target (once) and starts the thread when it is the first.
    // B_UNSUPPORTED when the mount table cannot be watched (no /proc).
    status_t Add(const BMessenger& target);
    // Removes target; the last one stops the thread, which has ended when
    // this returns. B_BAD_VALUE when target was not added.
    status_t Remove(const BMessenger& target);

    bool IsRunning() const;
    // How often the mount table was read since the watcher was made: once
    // at each start, then once for each change the kernel flagged.
    uint64 Readings() const { return fReadings.load(); }

private:
    // Device -> mount point of the file systems mounted now.
    std::map<dev_t, std::string> _Snapshot();
    void _Stop();
    void _Loop(int table, int wake);
    void _Compare();

    mutable std::mutex fLock;
    std::vector<BMessenger> fTargets;
    // Written before the thread starts and then by the thread alone.
    std::map<dev_t, std::string> fKnown;
    std::thread fThread;
    int fWake = -1; // eventfd that ends the thread's wait; open while it runs
    std::atomic<uint64> fReadings{0};
};

} // namespace BPrivate
