#include <VolumeRoster.h>

#include <NodeMonitor.h>

#include "StoragePrivate.h"

BVolumeRoster::BVolumeRoster()
    : fCursor(0),
      fListed(false),
      fWatching(false)
{
}

BVolumeRoster::~BVolumeRoster()
{
    StopWatching();
}

status_t BVolumeRoster::StartWatching(BMessenger target)
{
    StopWatching();
    status_t status = watch_node(nullptr, B_WATCH_MOUNT, target);
    if (status == B_OK) {
        fTarget = target;
        fWatching = true;
    }
    return status;
}

void BVolumeRoster::StopWatching()
{
    if (fWatching)
        stop_watching(fTarget);
    fWatching = false;
    fTarget = BMessenger();
}

BMessenger BVolumeRoster::Messenger() const
{
    return fTarget;
}

status_t BVolumeRoster::GetNextVolume(BVolume* volume)
{
    if (volume == nullptr)
        return B_BAD_VALUE;
    if (!fListed) {
        fDevices = BPrivate::roster_devices();
        fCursor = 0;
        fListed = true;
    }
    // A volume unmounted since the listing is passed over.
    while (fCursor < fDevices.size()) {
        if (volume->SetTo(fDevices[fCursor++]) == B_OK)
            return B_OK;
    }
    return B_BAD_VALUE;
}

void BVolumeRoster::Rewind()
{
    fDevices.clear();
    fCursor = 0;
    fListed = false;
}

status_t BVolumeRoster::GetBootVolume(BVolume* volume)
{
    if (volume == nullptr)
        return B_BAD_VALUE;
    return volume->SetTo(BPrivate::boot_device());
}
