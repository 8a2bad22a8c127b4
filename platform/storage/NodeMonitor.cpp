#include <NodeMonitor.h>

#include <Message.h>

#include "StoragePrivate.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace BPrivate;

namespace {

// One thread watches the mount table for every target; it runs while at
// least one target is registered.
class MountWatcher {
public:
    ~MountWatcher()
    {
        Stop();
        if (fWake >= 0)
            ::close(fWake);
    }

    status_t Add(const BMessenger& target)
    {
        std::lock_guard<std::mutex> lock(fLock);
        if (std::find(fTargets.begin(), fTargets.end(), target) == fTargets.end())
            fTargets.push_back(target);
        if (!fThread.joinable()) {
            fQuit = false;
            // Stop() wakes the thread through this counter instead of
            // letting it sleep out its wait; a wake-up left from an earlier
            // stop is taken away first.
            if (fWake < 0)
                fWake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
            uint64_t stale = 0;
            if (fWake >= 0 && ::read(fWake, &stale, sizeof stale) < 0)
                stale = 0;
            fKnown = Snapshot();
            fThread = std::thread(&MountWatcher::Loop, this);
        }
        return B_OK;
    }

    status_t Remove(const BMessenger& target)
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
            Stop();
        return B_OK;
    }

private:
    // Device -> mount point of the file systems mounted now.
    static std::map<dev_t, std::string> Snapshot()
    {
        std::map<dev_t, std::string> devices;
        for (const MountInfo& mount : read_mounts())
            devices.emplace(mount.device, mount.mountPoint);
        return devices;
    }

    void Stop()
    {
        std::thread thread;
        {
            std::lock_guard<std::mutex> lock(fLock);
            fQuit = true;
            thread = std::move(fThread);
        }
        if (fWake >= 0 && thread.joinable()) {
            const uint64_t one = 1;
            if (::write(fWake, &one, sizeof one) < 0) {
                // The counter is full only when a wake-up is pending anyway.
            }
        }
        if (thread.joinable() && thread.get_id() != std::this_thread::get_id())
            thread.join();
        else if (thread.joinable())
            thread.detach();
    }

    void Loop()
    {
        int fd = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
        while (!fQuit) {
            if (fd >= 0) {
                // The kernel flags the table with POLLPRI when it changes;
                // the wake counter becomes readable when the watch stops.
                pollfd pfds[2] = {{fd, POLLPRI, 0}, {fWake, POLLIN, 0}};
                ::poll(pfds, fWake >= 0 ? 2 : 1, 250);
                char buffer[4096];
                ::lseek(fd, 0, SEEK_SET);
                while (::read(fd, buffer, sizeof(buffer)) > 0) {
                }
            } else {
                ::usleep(500000);
            }
            if (fQuit)
                break;
            Compare();
        }
        if (fd >= 0)
            ::close(fd);
    }

    void Compare()
    {
        std::map<dev_t, std::string> now = Snapshot();
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

    std::mutex fLock;
    std::vector<BMessenger> fTargets;
    std::map<dev_t, std::string> fKnown;
    std::thread fThread;
    std::atomic<bool> fQuit{false};
    int fWake = -1; // eventfd that ends the thread's wait when the watch stops
};

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
