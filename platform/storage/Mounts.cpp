// The mount table (/proc/self/mountinfo), the attribute probe of volumes,
// and the home folder and boot device.
#include "StoragePrivate.h"

#include <Sandbox.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace BPrivate {

namespace {

// Mount points in mountinfo escape blanks, tabs, newlines and backslashes
// as octal sequences.
std::string Unescape(const std::string& text)
{
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '3' && text[i + 2] >= '0' && text[i + 2] <= '7'
            && text[i + 3] >= '0' && text[i + 3] <= '7') {
            result += char((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 + (text[i + 3] - '0'));
            i += 3;
        } else {
            result += text[i];
        }
    }
    return result;
}

const char* const kPseudoTypes[] = {"proc", "sysfs", "devtmpfs", "devpts", "tmpfs", "ramfs",
    "cgroup", "cgroup2", "securityfs", "debugfs", "tracefs", "pstore", "bpf", "configfs",
    "fusectl", "mqueue", "hugetlbfs", "autofs", "binfmt_misc", "efivarfs", "overlay", "squashfs",
    "nsfs", "rpc_pipefs", "selinuxfs", "fuse.portal", "fuse.gvfsd-fuse", "nfs", "nfs4", "cifs",
    "smb3", "smbfs", "9p", "afs", "ceph", "fuse.sshfs", "virtiofs"};

const char* const kNetworkTypes[] = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "9p", "afs", "ceph",
    "fuse.sshfs", "virtiofs"};

// File systems known to keep user extended attributes, for volumes where
// no probe can be made (read-only, or no writable folder on them).
const char* const kAttributeTypes[] = {"ext2", "ext3", "ext4", "xfs", "btrfs", "f2fs", "jfs",
    "reiserfs", "zfs", "bcachefs", "nilfs2", "tmpfs"};

template <size_t N>
bool InList(const std::string& value, const char* const (&list)[N])
{
    return std::find_if(std::begin(list), std::end(list),
               [&](const char* item) { return value == item; })
        != std::end(list);
}

std::mutex sProbeLock;
std::map<dev_t, bool> sProbed;

// Tries a user attribute in folder: 1 it works, 0 the file system refuses
// attributes, -1 this folder could not tell (no permission, read-only ...).
int ProbeFolder(const std::string& folder, dev_t device)
{
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0 || st.st_dev != device || !S_ISDIR(st.st_mode))
        return -1;
    if (::access(folder.c_str(), W_OK) != 0)
        return -1;
    static const char kName[] = "user.beos.probe";
    static const char kValue[] = "1";
    if (::setxattr(folder.c_str(), kName, kValue, 1, 0) != 0)
        return errno == ENOTSUP ? 0 : -1;
    char buffer[4];
    ssize_t read = ::getxattr(folder.c_str(), kName, buffer, sizeof(buffer));
    ::removexattr(folder.c_str(), kName);
    return read == 1 && buffer[0] == kValue[0] ? 1 : 0;
}

} // namespace

std::vector<MountInfo> read_mounts()
{
    std::vector<MountInfo> mounts;
    std::ifstream in("/proc/self/mountinfo");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id, parent, majorMinor, root, mountPoint, options;
        if (!(fields >> id >> parent >> majorMinor >> root >> mountPoint >> options))
            continue;
        std::string field;
        while (fields >> field && field != "-") {
        }
        MountInfo info;
        if (!(fields >> info.fsType >> info.source))
            continue;
        fields >> info.superOptions;
        unsigned major = 0, minor = 0;
        if (std::sscanf(majorMinor.c_str(), "%u:%u", &major, &minor) != 2)
            continue;
        info.device = makedev(major, minor);
        info.root = Unescape(root);
        info.mountPoint = Unescape(mountPoint);
        info.source = Unescape(info.source);
        info.options = options;
        mounts.push_back(std::move(info));
    }
    return mounts;
}

status_t find_mount(dev_t device, MountInfo* info)
{
    std::vector<MountInfo> mounts = read_mounts();
    const MountInfo* best = nullptr;
    auto consider = [&](const MountInfo& mount) {
        if (best == nullptr || (mount.root == "/" && best->root != "/")
            || ((mount.root == "/") == (best->root == "/")
                && mount.mountPoint.size() < best->mountPoint.size()))
            best = &mount;
    };
    for (const MountInfo& mount : mounts) {
        if (mount.device == device)
            consider(mount);
    }
    if (best == nullptr) {
        // File systems such as btrfs report another st_dev than the one in
        // the mount table: ask the local mount points themselves.
        for (const MountInfo& mount : mounts) {
            if (InList(mount.fsType, kNetworkTypes))
                continue;
            struct stat st;
            if (::stat(mount.mountPoint.c_str(), &st) == 0 && st.st_dev == device)
                consider(mount);
        }
    }
    if (best == nullptr)
        return B_BAD_VALUE;
    *info = *best;
    info->device = device;
    return B_OK;
}

bool is_pseudo_file_system(const MountInfo& info)
{
    return InList(info.fsType, kPseudoTypes);
}

bool is_network_file_system(const MountInfo& info)
{
    return InList(info.fsType, kNetworkTypes);
}

bool device_knows_attributes(dev_t device, const MountInfo& info)
{
    {
        std::lock_guard<std::mutex> lock(sProbeLock);
        auto it = sProbed.find(device);
        if (it != sProbed.end())
            return it->second;
    }

    // Folders where a probe may be written: with the sandbox active only
    // folders inside it, otherwise also the volume's own top folder and the
    // usual writable places.
    std::vector<std::string> candidates;
    if (const char* root = sandbox_root()) {
        candidates.push_back(root);
        std::string rootText = root;
        if (info.mountPoint.compare(0, rootText.size() + 1, rootText + "/") == 0)
            candidates.push_back(info.mountPoint);
    } else {
        candidates.push_back(info.mountPoint);
        candidates.push_back(home_folder());
        if (const char* tmp = std::getenv("TMPDIR"))
            candidates.push_back(tmp);
        candidates.push_back("/tmp");
        candidates.push_back("/var/tmp");
    }
    int verdict = -1;
    for (const std::string& folder : candidates) {
        verdict = ProbeFolder(folder, device);
        if (verdict >= 0)
            break;
    }
    bool knows = verdict >= 0 ? verdict == 1 : InList(info.fsType, kAttributeTypes);

    std::lock_guard<std::mutex> lock(sProbeLock);
    sProbed[device] = knows;
    return knows;
}

std::string home_folder()
{
    if (const char* root = sandbox_root())
        return join_path(root, "home");
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return normalize_lexically(home);
    return "/";
}

dev_t boot_device()
{
    struct stat st;
    std::string home = home_folder();
    if (::stat(home.c_str(), &st) == 0)
        return st.st_dev;
    if (const char* root = sandbox_root()) {
        if (::stat(root, &st) == 0)
            return st.st_dev;
    }
    if (::stat("/", &st) == 0)
        return st.st_dev;
    return dev_t(-1);
}

} // namespace BPrivate
