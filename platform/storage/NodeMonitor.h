// Notification of volumes being mounted and unmounted.
//
// watch_node(NULL, B_WATCH_MOUNT, target) makes the kit send target a
// B_NODE_MONITOR message whenever a file system is mounted or unmounted:
//   mounted:   int32 "opcode" B_DEVICE_MOUNTED, int32 "new device",
//              int32 "device" (the device holding the mount point),
//              int64 "directory" (the inode of the mount point's folder)
//   unmounted: int32 "opcode" B_DEVICE_UNMOUNTED, int32 "device"
// Device numbers are Linux's st_dev values (they fit in 32 bits for block
// devices and the kernel's anonymous devices). The kit learns of changes by
// watching /proc/self/mountinfo.
//
// Watching single nodes (names, stat, attributes, folder contents) is not
// offered: those flags give B_UNSUPPORTED.
#pragma once

#include <Messenger.h>
#include <StorageDefs.h>

enum {
    B_STOP_WATCHING = 0x0000,
    B_WATCH_NAME = 0x0001,
    B_WATCH_STAT = 0x0002,
    B_WATCH_ATTR = 0x0004,
    B_WATCH_DIRECTORY = 0x0008,
    B_WATCH_ALL = 0x000f,
    B_WATCH_MOUNT = 0x0010,
};

enum {
    B_ENTRY_CREATED = 1,
    B_ENTRY_REMOVED = 2,
    B_ENTRY_MOVED = 3,
    B_STAT_CHANGED = 4,
    B_ATTR_CHANGED = 5,
    B_DEVICE_MOUNTED = 6,
    B_DEVICE_UNMOUNTED = 7,
};

// flags B_WATCH_MOUNT (node may be NULL) adds target; B_STOP_WATCHING
// removes it. B_BAD_VALUE for an invalid target.
status_t watch_node(const node_ref* node, uint32 flags, BMessenger target);
// Stops every notification to target; B_BAD_VALUE when none was asked for.
status_t stop_watching(BMessenger target);
