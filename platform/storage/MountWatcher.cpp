#include "MountWatcher.h"

#include <Message.h>
#include <NodeMonitor.h>

#include "StoragePrivate.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace BPrivate {

MountWatcher::~MountWatcher()
{
    {
        std::lock_guard<std::mutex> lock(fLock);
        fTargets.clear();
    }
    _Stop();
}

status_t MountWatcher::Add(const BMessenger& target)
{
    std::lock_guard<std::mutex> lock(fLock);
    if (!fThread.joinable()) {
        // The table is opened before it is read, so that a change between
        // the reading and the thread's first wait is flagged all the same.
        const int table = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
        if (table < 0)
            return B_UNSUPPORTED;
        const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (wake < 0) {
            ::close(table);
            return B_NO_MORE_FDS;
        }
        fKnown = _Snapshot();
        fWake = wake;
        try {
            fThread = std::thread(&MountWatcher::_Loop, this, table, wake);
        } catch (const std::system_error&) {
            ::close(table);
            ::close(wake);
            fWake = -1;
            return B_NO_MORE_THREADS;
        }
    }
    if (std::find(fTargets.begin(), fTargets.end(), target) == fTargets.end())
        fTargets.push_back(target);
    return B_OK;
}

status_t MountWatcher::Remove(const BMessenger& target)
{
    bool stop = false;
    {
        std::lock_guard<std::mutex> lock(fLock);
        auto it = std::find(fTargets.begin(), fTargets.end(), target);
        if (it == fTargets.end())
            return B_BAD_VALUE;
        fTargets.erase(it);
        stop = fTargets.empty();
    }
    if (stop)
        _Stop();
    return B_OK;
}

bool MountWatcher::IsRunning() const
{
    std::lock_guard<std::mutex> lock(fLock);
    return fThread.joinable();
}

std::map<dev_t, std::string> MountWatcher::_Snapshot()
{
    fReadings++;
    std::map<dev_t, std::string> devices;
    for (const MountInfo& mount : read_mounts())
        devices.emplace(mount.device, mount.mountPoint);
    return devices;
}

void MountWatcher::_Stop()
{
    std::thread thread;
    int wake = -1;
    {
        std::lock_guard<std::mutex> lock(fLock);
        // A target added since the last one was removed keeps the watch.
        if (!fTargets.empty())
            return;
        thread = std::move(fThread);
        wake = fWake;
        fWake = -1;
    }
    if (!thread.joinable())
        return;
    const uint64_t one = 1;
    if (::write(wake, &one, sizeof one) < 0) {
        // The counter is full only when a wake-up is pending anyway.
    }
    thread.join();
    ::close(wake);
}

void MountWatcher::_Loop(int table, int wake)
{
    ::pthread_setname_np(::pthread_self(), kThreadName);
    // No timeout: the thread wakes for a change of the table or a stop.
    // The kernel reports a change with POLLPRI and POLLERR; POLLIN, always
    // set for the table, is not asked for.
    pollfd waits[2] = {{table, POLLPRI, 0}, {wake, POLLIN, 0}};
    for (;;) {
        waits[0].revents = 0;
        waits[1].revents = 0;
        if (::poll(waits, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            std::fprintf(stderr, "mount watcher: cannot wait for the mount table: %s\n", std::strerror(errno));
            break;
        }
        if (waits[1].revents != 0)
            break;
        if ((waits[0].revents & (POLLHUP | POLLNVAL)) != 0) {
            std::fprintf(stderr, "mount watcher: the mount table cannot be watched any more\n");
            break;
        }
        if ((waits[0].revents & (POLLPRI | POLLERR)) != 0)
            _Compare();
    }
    ::close(table);
}

void MountWatcher::_Compare()
{
    std::map<dev_t, std::string> now = _Snapshot();
    std::vector<BMessage> messages;
    for (const auto& [device, mountPoint] : now) {
        if (fKnown.count(device) != 0)
            continue;
        BMessage message(B_NODE_MONITOR);
        message.AddInt32("opcode", B_DEVICE_MOUNTED);
        message.AddInt32("new device", int32(device));
        std::string parent, leaf;
        split_path(mountPoint, &parent, &leaf);
        struct stat st;
        if (::stat(parent.c_str(), &st) == 0) {
            message.AddInt32("device", int32(st.st_dev));
            message.AddInt64("directory", int64(st.st_ino));
        }
        messages.push_back(message);
    }
    for (const auto& entry : fKnown) {
        if (now.count(entry.first) != 0)
            continue;
        BMessage message(B_NODE_MONITOR);
        message.AddInt32("opcode", B_DEVICE_UNMOUNTED);
        message.AddInt32("device", int32(entry.first));
        messages.push_back(message);
    }
    fKnown = std::move(now);
    if (messages.empty())
        return;
    std::vector<BMessenger> targets;
    {
        std::lock_guard<std::mutex> lock(fLock);
        targets = fTargets;
    }
    for (BMessage& message : messages) {
        for (const BMessenger& target : targets)
            target.SendMessage(&message);
    }
}

} // namespace BPrivate
