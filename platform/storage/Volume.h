// BVolume: a mounted volume, known by its device number (st_dev).
#pragma once

#include <StorageDefs.h>

#include <sys/types.h>

class BDirectory;

class BVolume {
public:
    BVolume();
    BVolume(dev_t device);
    BVolume(const BVolume& volume);
    virtual ~BVolume();

    status_t InitCheck() const;
    // B_BAD_VALUE when no mounted volume has that device.
    status_t SetTo(dev_t device);
    void Unset();

    dev_t Device() const;

    // The volume's root folder: its mount point, or, for the boot volume
    // while the sandbox is active, the sandbox root.
    status_t GetRootDirectory(BDirectory* directory) const;

    off_t Capacity() const;
    off_t FreeBytes() const;
    off_t BlockSize() const;

    // The volume's label, or the leaf of its mount point ("/" for the root
    // file system without a label). name has B_FILE_NAME_LENGTH bytes.
    status_t GetName(char* name) const;
    // Volume labels are not changed from here: B_NOT_ALLOWED.
    status_t SetName(const char* name);

    bool IsRemovable() const;
    bool IsReadOnly() const;
    bool IsPersistent() const;
    bool IsShared() const;
    bool KnowsMime() const;
    bool KnowsAttr() const;
    bool KnowsQuery() const;

    bool operator==(const BVolume& volume) const;
    bool operator!=(const BVolume& volume) const;
    BVolume& operator=(const BVolume& volume);

private:
    dev_t fDevice;
    status_t fStatus;
};
