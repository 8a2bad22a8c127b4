#include <VolumeRoster.h>

#include "StoragePrivate.h"

BVolumeRoster::BVolumeRoster()
    : fCursor(0),
      fListed(false)
{
}

BVolumeRoster::~BVolumeRoster() = default;

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
