#include <Volume.h>

#include <Directory.h>
#include <Sandbox.h>
#include <fs_info.h>

#include "StoragePrivate.h"

#include <cstdio>

using namespace BPrivate;

BVolume::BVolume()
    : fDevice(dev_t(-1)),
      fStatus(B_NO_INIT)
{
}

BVolume::BVolume(dev_t device)
    : BVolume()
{
    SetTo(device);
}

BVolume::BVolume(const BVolume& volume)
    : fDevice(volume.fDevice),
      fStatus(volume.fStatus)
{
}

BVolume::~BVolume() = default;

status_t BVolume::InitCheck() const
{
    return fStatus;
}

status_t BVolume::SetTo(dev_t device)
{
    MountInfo mount;
    if (find_mount(device, &mount) != B_OK) {
        Unset();
        return fStatus = B_BAD_VALUE;
    }
    fDevice = device;
    return fStatus = B_OK;
}

void BVolume::Unset()
{
    fDevice = dev_t(-1);
    fStatus = B_NO_INIT;
}

dev_t BVolume::Device() const
{
    return fDevice;
}

status_t BVolume::GetRootDirectory(BDirectory* directory) const
{
    if (directory == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (const char* root = sandbox_root()) {
        if (fDevice == boot_device())
            return directory->SetTo(root);
    }
    MountInfo mount;
    if (find_mount(fDevice, &mount) != B_OK)
        return B_BAD_VALUE;
    return directory->SetTo(mount.mountPoint.c_str());
}

static bool Stat(dev_t device, fs_info* info)
{
    return fs_stat_dev(device, info) == B_OK;
}

off_t BVolume::Capacity() const
{
    fs_info info;
    if (fStatus != B_OK || !Stat(fDevice, &info))
        return B_NO_INIT;
    return info.total_blocks * info.block_size;
}

off_t BVolume::FreeBytes() const
{
    fs_info info;
    if (fStatus != B_OK || !Stat(fDevice, &info))
        return B_NO_INIT;
    return info.free_blocks * info.block_size;
}

off_t BVolume::BlockSize() const
{
    fs_info info;
    if (fStatus != B_OK || !Stat(fDevice, &info))
        return B_NO_INIT;
    return info.block_size;
}

status_t BVolume::GetName(char* name) const
{
    if (name == nullptr)
        return B_BAD_VALUE;
    name[0] = '\0';
    if (fStatus != B_OK)
        return B_NO_INIT;
    fs_info info;
    if (!Stat(fDevice, &info))
        return B_BAD_VALUE;
    std::snprintf(name, B_FILE_NAME_LENGTH, "%s", info.volume_name);
    return B_OK;
}

status_t BVolume::SetName(const char*)
{
    return fStatus != B_OK ? B_NO_INIT : B_NOT_ALLOWED;
}

#define FLAG_TEST(flag)                                                                      \
    fs_info info;                                                                            \
    return fStatus == B_OK && Stat(fDevice, &info) && (info.flags & (flag)) != 0

bool BVolume::IsRemovable() const
{
    FLAG_TEST(B_FS_IS_REMOVABLE);
}

bool BVolume::IsReadOnly() const
{
    FLAG_TEST(B_FS_IS_READONLY);
}

bool BVolume::IsPersistent() const
{
    FLAG_TEST(B_FS_IS_PERSISTENT);
}

bool BVolume::IsShared() const
{
    FLAG_TEST(B_FS_IS_SHARED);
}

bool BVolume::KnowsMime() const
{
    FLAG_TEST(B_FS_HAS_MIME);
}

bool BVolume::KnowsAttr() const
{
    FLAG_TEST(B_FS_HAS_ATTR);
}

bool BVolume::KnowsQuery() const
{
    FLAG_TEST(B_FS_HAS_QUERY);
}

#undef FLAG_TEST

bool BVolume::operator==(const BVolume& volume) const
{
    if (fStatus != B_OK || volume.fStatus != B_OK)
        return fStatus != B_OK && volume.fStatus != B_OK;
    return fDevice == volume.fDevice;
}

bool BVolume::operator!=(const BVolume& volume) const
{
    return !(*this == volume);
}

BVolume& BVolume::operator=(const BVolume& volume)
{
    fDevice = volume.fDevice;
    fStatus = volume.fStatus;
    return *this;
}
