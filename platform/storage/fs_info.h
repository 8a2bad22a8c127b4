// File-system facts of a mounted volume.
//
// On Linux the device number is st_dev of the files on that volume. The flag
// B_FS_HAS_ATTR (and with it B_FS_HAS_MIME) is set for a volume that keeps
// extended attributes in the "user." namespace: such a volume plays the role
// of the platform's own file system, see fs_is_native().
#pragma once

#include <StorageDefs.h>

#include <sys/types.h>

enum {
    B_FS_IS_READONLY = 0x00000001,
    B_FS_IS_REMOVABLE = 0x00000002,
    B_FS_IS_PERSISTENT = 0x00000004,
    B_FS_IS_SHARED = 0x00000008,
    B_FS_HAS_MIME = 0x00010000,
    B_FS_HAS_ATTR = 0x00020000,
    B_FS_HAS_QUERY = 0x00040000,
    B_FS_HAS_SELF_HEALING_LINKS = 0x00080000,
    B_FS_HAS_ALIASES = 0x00100000,
    B_FS_SUPPORTS_NODE_MONITORING = 0x00200000,
};

struct fs_info {
    dev_t dev;                               // device (st_dev)
    ino_t root;                              // inode of the mount point
    uint32 flags;                            // B_FS_* flags above
    off_t block_size;                        // fundamental block size
    off_t io_size;                           // preferred transfer size
    off_t total_blocks;
    off_t free_blocks;                       // blocks available to this user
    off_t total_nodes;
    off_t free_nodes;
    char device_name[128];                   // e.g. "/dev/sda1", or the mount source
    char volume_name[B_FILE_NAME_LENGTH];    // label, or the mount point's leaf
    char fsh_name[B_OS_NAME_LENGTH];         // Linux file-system type, e.g. "ext4"
};

// Device of the volume that holds path (the entry itself, not a link's
// target); a negative status code when path cannot be examined.
dev_t dev_for_path(const char* path);

// Walks the mounted volumes that the volume roster lists: *cookie starts at
// 0; returns a negative status code (B_BAD_VALUE) after the last one.
dev_t next_dev(int32* cookie);

// Fills info for the volume with device dev. Returns B_OK, or a negative
// status code (B_BAD_VALUE for a device that is not mounted).
int fs_stat_dev(dev_t dev, fs_info* info);

// The rule that stands for the platform's own file system on Linux: a local,
// persistent file system that keeps user extended attributes (probed, see
// docs/attributes.md). Code that accepted only the platform's file system
// accepts exactly these volumes.
bool fs_is_native(const fs_info* info);
