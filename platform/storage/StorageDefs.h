// Limits, open modes and node kinds of the storage kit.
#pragma once

#include <SupportDefs.h>

#include <fcntl.h>
#include <sys/stat.h>

// Longest leaf name, path and attribute name, each with its terminating NUL.
#define B_FILE_NAME_LENGTH 256
#define B_PATH_NAME_LENGTH 1024
#define B_ATTR_NAME_LENGTH 256
// Buffer size for a MIME type string (longest type 239 characters).
#define B_MIME_TYPE_LENGTH 240
#define B_MAX_SYMLINKS 16
#define B_OS_NAME_LENGTH 32

// Open modes of BFile. They are Linux's own flags, so they combine with |.
enum {
    B_READ_ONLY = O_RDONLY,
    B_WRITE_ONLY = O_WRONLY,
    B_READ_WRITE = O_RDWR,
    B_FAIL_IF_EXISTS = O_EXCL,
    B_CREATE_FILE = O_CREAT,
    B_ERASE_FILE = O_TRUNC,
    B_OPEN_AT_END = O_APPEND,
};

// Kinds of node, for BDirectory::Contains and similar filters.
enum node_flavor {
    B_FILE_NODE = 0x01,
    B_SYMLINK_NODE = 0x02,
    B_DIRECTORY_NODE = 0x04,
    B_ANY_NODE = 0x07,
};

// A node by device and inode number.
struct node_ref {
    node_ref() : device(-1), node(-1) {}
    node_ref(platform_dev_t dev, platform_ino_t ino) : device(dev), node(ino) {}

    bool operator==(const node_ref& other) const { return device == other.device && node == other.node; }
    bool operator!=(const node_ref& other) const { return !(*this == other); }
    bool operator<(const node_ref& other) const
    {
        return device < other.device || (device == other.device && node < other.node);
    }

    platform_dev_t device;
    platform_ino_t node;
};
