// BLockFile: an exclusive lock held on a lock file for as long as the
// object holds it, so that two processes (or two jobs of one process) never
// work on the same thing at once. The lock is the operating system's file
// lock (flock): it ends with the holder, even when the holder is killed.
//
// The lock file is created when missing, never through a symbolic link and
// never on anything but a regular file. Unlock() removes it while still
// holding the lock; a waiter that opened the removed file notices and
// starts again on the new one, so two holders never both think they hold it.
#pragma once

#include <SupportDefs.h>

#include <string>

class BLockFile {
public:
    BLockFile() = default;
    ~BLockFile();
    BLockFile(const BLockFile&) = delete;
    BLockFile& operator=(const BLockFile&) = delete;

    // Takes the lock of path without waiting. B_OK when it is held now,
    // B_BUSY when someone else holds it, B_NOT_ALLOWED for a lock file that
    // is a link or not a regular file, or that lies outside an active
    // sandbox, or another error when the file cannot be made. An earlier lock of this object is released first.
    status_t TryLock(const char* path);
    // Releases the lock and removes the lock file; nothing when none is held.
    void Unlock();
    bool IsLocked() const { return fDescriptor >= 0; }

private:
    int fDescriptor = -1;
    std::string fPath;
};
