// BVolumeRoster: the mounted volumes that hold user files.
//
// Listed are the boot volume (the one that holds the home folder, or the
// sandbox root) and the root file system first, then every other mount of a
// local, disk-based file system; pseudo file systems (proc, sysfs, tmpfs,
// cgroup, overlay and the like) and network mounts are skipped. A device
// mounted at several places is listed once.
#pragma once

#include <Messenger.h>
#include <Volume.h>

#include <vector>

class BVolumeRoster {
public:
    BVolumeRoster();
    virtual ~BVolumeRoster();

    // Next volume; B_BAD_VALUE after the last one. The list is taken at the
    // first call after construction or Rewind().
    status_t GetNextVolume(BVolume* volume);
    void Rewind();
    status_t GetBootVolume(BVolume* volume);

    // Sends target a B_NODE_MONITOR message for every mount and unmount
    // (see NodeMonitor.h) until StopWatching() or destruction.
    status_t StartWatching(BMessenger target);
    void StopWatching();
    BMessenger Messenger() const;

private:
    std::vector<dev_t> fDevices;
    size_t fCursor;
    bool fListed;
    BMessenger fTarget;
    bool fWatching;
};
