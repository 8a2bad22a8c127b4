#include <fs_info.h>

#include "StoragePrivate.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace BPrivate;

namespace {

std::string RealPath(const std::string& path)
{
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) != nullptr ? std::string(buffer) : std::string();
}

// udev writes blanks and other bytes of labels as \xNN.
std::string DecodeLabel(const std::string& text)
{
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned value;
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x'
            && std::sscanf(text.substr(i + 2, 2).c_str(), "%2x", &value) == 1) {
            result += char(value);
            i += 3;
        } else {
            result += text[i];
        }
    }
    return result;
}

std::string VolumeLabel(const MountInfo& mount)
{
    if (mount.source.empty() || mount.source[0] != '/')
        return std::string();
    std::string device = RealPath(mount.source);
    if (device.empty())
        return std::string();
    DIR* dir = ::opendir("/dev/disk/by-label");
    if (dir == nullptr)
        return std::string();
    std::string label;
    while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        if (RealPath(join_path("/dev/disk/by-label", name)) == device) {
            label = DecodeLabel(name);
            break;
        }
    }
    ::closedir(dir);
    return label;
}

bool ReadFlag(const std::string& path)
{
    std::ifstream in(path);
    int value = 0;
    return (in >> value) && value != 0;
}

bool IsRemovable(dev_t device)
{
    char link[64];
    std::snprintf(link, sizeof(link), "/sys/dev/block/%u:%u", major(device), minor(device));
    std::string folder = RealPath(link);
    if (folder.empty())
        return false;
    std::string flag = join_path(folder, "removable");
    if (::access(flag.c_str(), R_OK) == 0)
        return ReadFlag(flag);
    // A partition: the flag belongs to its disk.
    return ReadFlag(join_path(folder, "../removable"));
}

// A folder on the volume through which it can be examined (its mount point
// may be covered by another mount).
std::string ReachableFolder(dev_t device, const MountInfo& mount)
{
    std::vector<std::string> candidates{mount.mountPoint};
    if (device == boot_device())
        candidates.push_back(home_folder());
    for (const std::string& folder : candidates) {
        struct stat st;
        if (::stat(folder.c_str(), &st) == 0 && st.st_dev == device)
            return folder;
    }
    return std::string();
}

std::vector<dev_t> ListedDevices()
{
    std::vector<dev_t> devices;
    auto add = [&](dev_t device) {
        if (device != dev_t(-1) && std::find(devices.begin(), devices.end(), device) == devices.end())
            devices.push_back(device);
    };
    add(boot_device());
    struct stat st;
    if (::stat("/", &st) == 0)
        add(st.st_dev);
    for (const MountInfo& mount : read_mounts()) {
        if (is_pseudo_file_system(mount))
            continue;
        if (::stat(mount.mountPoint.c_str(), &st) != 0)
            continue;
        add(st.st_dev);
    }
    return devices;
}

} // namespace

namespace BPrivate {

std::vector<dev_t> roster_devices()
{
    return ListedDevices();
}

} // namespace BPrivate

dev_t dev_for_path(const char* path)
{
    if (path == nullptr || path[0] == '\0')
        return B_BAD_VALUE;
    struct stat st;
    if (::lstat(path, &st) != 0)
        return status_from_errno(errno);
    return st.st_dev;
}

dev_t next_dev(int32* cookie)
{
    if (cookie == nullptr || *cookie < 0)
        return B_BAD_VALUE;
    std::vector<dev_t> devices = ListedDevices();
    if (size_t(*cookie) >= devices.size())
        return B_BAD_VALUE;
    return devices[size_t((*cookie)++)];
}

int fs_stat_dev(dev_t dev, fs_info* info)
{
    if (info == nullptr)
        return B_BAD_VALUE;
    MountInfo mount;
    if (find_mount(dev, &mount) != B_OK)
        return B_BAD_VALUE;
    std::string folder = ReachableFolder(dev, mount);
    if (folder.empty())
        return B_BAD_VALUE;
    struct statvfs vfs;
    if (::statvfs(folder.c_str(), &vfs) != 0)
        return status_from_errno(errno);

    std::memset(info, 0, sizeof(*info));
    info->dev = dev;
    struct stat st;
    if (::stat(mount.mountPoint.c_str(), &st) == 0 && st.st_dev == dev)
        info->root = st.st_ino;
    info->block_size = off_t(vfs.f_frsize != 0 ? vfs.f_frsize : vfs.f_bsize);
    info->io_size = off_t(vfs.f_bsize);
    info->total_blocks = off_t(vfs.f_blocks);
    info->free_blocks = off_t(vfs.f_bavail);
    info->total_nodes = off_t(vfs.f_files);
    info->free_nodes = off_t(vfs.f_favail);

    uint32 flags = 0;
    if ((vfs.f_flag & ST_RDONLY) != 0)
        flags |= B_FS_IS_READONLY;
    if (IsRemovable(dev))
        flags |= B_FS_IS_REMOVABLE;
    if (!is_pseudo_file_system(mount) || is_network_file_system(mount))
        flags |= B_FS_IS_PERSISTENT;
    if (is_network_file_system(mount))
        flags |= B_FS_IS_SHARED;
    if (device_knows_attributes(dev, mount))
        flags |= B_FS_HAS_ATTR | B_FS_HAS_MIME;
    info->flags = flags;

    std::snprintf(info->device_name, sizeof(info->device_name), "%s", mount.source.c_str());
    std::string name = VolumeLabel(mount);
    if (name.empty()) {
        std::string folderPart, leaf;
        split_path(mount.mountPoint, &folderPart, &leaf);
        name = leaf.empty() ? mount.mountPoint : leaf;
    }
    std::snprintf(info->volume_name, sizeof(info->volume_name), "%s", name.c_str());
    std::snprintf(info->fsh_name, sizeof(info->fsh_name), "%s", mount.fsType.c_str());
    return B_OK;
}

bool fs_is_native(const fs_info* info)
{
    if (info == nullptr)
        return false;
    const uint32 needed = B_FS_HAS_ATTR | B_FS_IS_PERSISTENT;
    return (info->flags & needed) == needed && (info->flags & B_FS_IS_SHARED) == 0;
}
