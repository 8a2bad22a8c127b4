// Helpers shared by the storage kit's sources; not for use outside the kit.
#pragma once

#include <StopPoint.h>
#include <SupportDefs.h>

#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

namespace BPrivate {

// --- paths ------------------------------------------------------------------

// path made absolute against the current folder (text only).
std::string make_absolute(const std::string& path);
// "." and ".." and repeated or trailing slashes removed, by text alone.
std::string normalize_lexically(const std::string& absolutePath);
// absolutePath with every symbolic link resolved, component by component;
// the last component only with followLast. Components that do not exist are
// taken as they stand. Empty on a link loop or an unreadable link.
std::string resolve_path(const std::string& absolutePath, bool followLast);
// Splits an absolute, normalised path into folder and leaf ("/" has folder
// "/" and leaf "").
void split_path(const std::string& path, std::string* folder, std::string* leaf);
std::string join_path(const std::string& folder, const std::string& leaf);
// mkdir -p; B_OK when the folder exists afterwards.
status_t make_directories(const std::string& path, mode_t mode);

// --- sandbox ------------------------------------------------------------------

// Whether the sandbox lets path be changed (followLast: judge the target of
// a link at its end).
bool sandbox_allows(const char* path, bool followLast);
// stop_point(), then the sandbox check: B_OK or B_NOT_ALLOWED. Every
// operation that changes the file system starts with it.
status_t check_write(const std::string& path, bool followLast = false);

// --- refs -----------------------------------------------------------------------

// Remembers that the folder (device, inode) lives at path.
void remember_directory(dev_t device, ino_t inode, const std::string& path);
// Path of the folder (device, inode): from the table when the entry is still
// right, otherwise by a search below the volume's mount point.
status_t directory_path(dev_t device, ino_t inode, std::string* path);

// --- nodes and attributes ---------------------------------------------------------

// How an open node is reached. fd >= 0 with fdIsFull: a descriptor opened
// for reading or writing; fd >= 0 without: an O_PATH descriptor, reached
// through /proc/self/fd for the calls that need a path; fd < 0: the path
// itself, with links not followed.
struct NodeLocation {
    int fd = -1;
    bool fdIsFull = false;
    bool isLink = false;
    std::string path;
};

status_t location_stat(const NodeLocation& location, struct stat* st);
// Birth time (seconds) where the file system reports one.
status_t location_birth_time(const NodeLocation& location, time_t* birth);
// Sets access and/or modification time (UTIME_OMIT for the one to keep).
status_t location_set_times(const NodeLocation& location, const struct timespec times[2]);
status_t location_chmod(const NodeLocation& location, mode_t mode);
status_t location_chown(const NodeLocation& location, uid_t owner, gid_t group);

// Raw extended attribute calls by full name ("user.x"); status codes.
status_t xattr_get(const NodeLocation& location, const std::string& name, std::string* value);
status_t xattr_set(const NodeLocation& location, const std::string& name, const void* data, size_t size);
status_t xattr_remove(const NodeLocation& location, const std::string& name);
status_t xattr_list(const NodeLocation& location, std::vector<std::string>* names);

// Platform attributes with their type codes (see docs/attributes.md).
status_t attr_read(const NodeLocation& location, const char* name, std::string* value, type_code* type);
status_t attr_write(const NodeLocation& location, const char* name, type_code type, const std::string& value);
status_t attr_remove(const NodeLocation& location, const char* name);
// attr_write for a node that has no attribute of that name yet: nothing is
// removed, and a MIME file type takes a single record.
status_t attr_write_new(const NodeLocation& location, const char* name, type_code type, const std::string& value);
// Names of the platform attributes of the node.
status_t attr_list(const NodeLocation& location, std::vector<std::string>* names);

// The attribute that records a creation time set through the kit.
extern const char* const kCreationTimeAttr; // full name "user.beos.crtime"

// --- volumes ----------------------------------------------------------------------

struct MountInfo {
    dev_t device = 0;
    std::string mountPoint;
    std::string root;          // the mounted part of the file system
    std::string fsType;
    std::string source;
    std::string options;       // per-mount options
    std::string superOptions;  // file-system options
};

std::vector<MountInfo> read_mounts();
// The mount of device (the one that mounts the file system's top folder,
// with the shortest mount point); B_BAD_VALUE when it is not mounted.
status_t find_mount(dev_t device, MountInfo* info);
// Whether the volume keeps user extended attributes (probed, cached).
bool device_knows_attributes(dev_t device, const MountInfo& info);
// A pseudo, virtual or network file system that the roster skips.
bool is_pseudo_file_system(const MountInfo& info);
bool is_network_file_system(const MountInfo& info);
// Devices the volume roster lists, boot volume first.
std::vector<dev_t> roster_devices();

// The user's home folder (sandbox: <root>/home) and the boot device.
std::string home_folder();
dev_t boot_device();

} // namespace BPrivate
