// An entry below a folder, reached one name at a time from the folder's
// descriptor without following a symbolic link anywhere on the way (openat
// with O_NOFOLLOW), so that a folder swapped for a link after it was looked
// at cannot lead elsewhere. The deinstaller reads and removes through it.
#pragma once

#include <SupportDefs.h>

#include <string>
#include <sys/stat.h>

class AnchoredPath {
public:
    // root: an absolute folder path without links in it (resolved), and its
    // identity when it was first looked at (0, 0: not checked). path: an
    // absolute path at or below root.
    AnchoredPath(const std::string& root, dev_t rootDevice, ino_t rootNode,
        const std::string& path);

    // True when path lies below root and names no "." or ".." and no empty
    // component.
    bool IsValid() const { return fValid; }

    // The entry itself (a link is not followed).
    status_t Stat(struct stat* st) const;
    // A link's target.
    status_t ReadLink(std::string* target) const;
    // The SHA-256 of a regular file's contents (B_BAD_TYPE for anything
    // else; a FIFO or device is never opened for reading).
    status_t Digest(std::string* digest) const;
    // Removes the entry when it is still the one described by expected:
    // the same device, node and kind, and for a file the same size and
    // modification time. B_BAD_VALUE when something else stands there now,
    // B_DIRECTORY_NOT_EMPTY for a folder that still holds entries.
    status_t Remove(const struct stat& expected) const;

    // True when text is an absolute path whose components are plain names
    // (no ".", "..", or empty component).
    static bool IsPlainAbsolute(const std::string& text);

private:
    // The descriptor of the folder holding the entry, and its name in it;
    // -1 (errno set) when the walk meets a link or anything not a folder.
    int _OpenParent(std::string* leaf) const;

    std::string fRoot;
    dev_t fRootDevice;
    ino_t fRootNode;
    std::string fRelative;
    bool fValid = false;
};
