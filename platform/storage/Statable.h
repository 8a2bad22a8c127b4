// BStatable: the stat facts and time stamps that entries and nodes share.
//
// Creation time: Linux reports a birth time (statx) where the file system
// keeps one, but offers no way to set it. SetCreationTime() therefore
// records the time in the attribute "user.beos.crtime" (decimal seconds),
// and GetCreationTime() prefers that record, then the birth time, and, on a
// file system without birth times, the modification time.
#pragma once

#include <StorageDefs.h>

#include <ctime>
#include <sys/stat.h>
#include <sys/types.h>

class BVolume;

namespace BPrivate {
struct NodeLocation;
}

class BStatable {
public:
    virtual ~BStatable();

    // stat of the entry or node itself (a symbolic link is not followed).
    virtual status_t GetStat(struct stat* st) const = 0;

    bool IsFile() const;
    bool IsDirectory() const;
    bool IsSymLink() const;

    status_t GetNodeRef(node_ref* ref) const;

    status_t GetOwner(uid_t* owner) const;
    status_t SetOwner(uid_t owner);
    status_t GetGroup(gid_t* group) const;
    status_t SetGroup(gid_t group);
    // The permission bits (07777 of st_mode).
    status_t GetPermissions(mode_t* permissions) const;
    status_t SetPermissions(mode_t permissions);
    status_t GetSize(off_t* size) const;

    status_t GetModificationTime(time_t* mtime) const;
    status_t SetModificationTime(time_t mtime);
    status_t GetCreationTime(time_t* ctime) const;
    status_t SetCreationTime(time_t ctime);
    status_t GetAccessTime(time_t* atime) const;
    status_t SetAccessTime(time_t atime);

    status_t GetVolume(BVolume* volume) const;

protected:
    // Where the node lives, for the operations above.
    virtual status_t GetLocation(BPrivate::NodeLocation* location) const = 0;

private:
    status_t _WritableLocation(BPrivate::NodeLocation* location) const;
};
