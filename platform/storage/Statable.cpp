#include <Statable.h>

#include <Volume.h>

#include "StoragePrivate.h"

#include <cerrno>
#include <cstdlib>
#include <string>

using BPrivate::NodeLocation;

namespace {

// Reads one field of the node's stat record into *out.
template<typename T, typename Field>
status_t ReadStatField(const BStatable& node, T* out, Field field)
{
    if (out == nullptr)
        return B_BAD_VALUE;
    struct stat st;
    status_t status = node.GetStat(&st);
    if (status == B_OK)
        *out = T(field(st));
    return status;
}

} // namespace

// Where the node lives, once the sandbox allows changing it.
status_t BStatable::_WritableLocation(NodeLocation* location) const
{
    status_t status = GetLocation(location);
    if (status == B_OK)
        status = BPrivate::check_write(location->path);
    return status;
}

BStatable::~BStatable() = default;

bool BStatable::IsFile() const
{
    struct stat st;
    return GetStat(&st) == B_OK && S_ISREG(st.st_mode);
}

bool BStatable::IsDirectory() const
{
    struct stat st;
    return GetStat(&st) == B_OK && S_ISDIR(st.st_mode);
}

bool BStatable::IsSymLink() const
{
    struct stat st;
    return GetStat(&st) == B_OK && S_ISLNK(st.st_mode);
}

status_t BStatable::GetNodeRef(node_ref* ref) const
{
    if (ref == nullptr)
        return B_BAD_VALUE;
    struct stat st;
    status_t status = GetStat(&st);
    if (status == B_OK)
        *ref = node_ref(platform_dev_t(st.st_dev), platform_ino_t(st.st_ino));
    return status;
}

status_t BStatable::GetOwner(uid_t* owner) const
{
    return ReadStatField(*this, owner, [](const struct stat& st) { return st.st_uid; });
}

status_t BStatable::SetOwner(uid_t owner)
{
    NodeLocation location;
    status_t status = _WritableLocation(&location);
    if (status == B_OK)
        status = BPrivate::location_chown(location, owner, gid_t(-1));
    return status;
}

status_t BStatable::GetGroup(gid_t* group) const
{
    return ReadStatField(*this, group, [](const struct stat& st) { return st.st_gid; });
}

status_t BStatable::SetGroup(gid_t group)
{
    NodeLocation location;
    status_t status = _WritableLocation(&location);
    if (status == B_OK)
        status = BPrivate::location_chown(location, uid_t(-1), group);
    return status;
}

status_t BStatable::GetPermissions(mode_t* permissions) const
{
    return ReadStatField(*this, permissions, [](const struct stat& st) { return st.st_mode & 07777; });
}

status_t BStatable::SetPermissions(mode_t permissions)
{
    NodeLocation location;
    status_t status = _WritableLocation(&location);
    if (status == B_OK)
        status = BPrivate::location_chmod(location, permissions & 07777);
    return status;
}

status_t BStatable::GetSize(off_t* size) const
{
    return ReadStatField(*this, size, [](const struct stat& st) { return st.st_size; });
}

status_t BStatable::GetModificationTime(time_t* mtime) const
{
    return ReadStatField(*this, mtime, [](const struct stat& st) { return st.st_mtim.tv_sec; });
}

static status_t SetOneTime(BPrivate::NodeLocation& location, int which, time_t value)
{
    struct timespec times[2];
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_nsec = UTIME_OMIT;
    times[which].tv_sec = value;
    times[which].tv_nsec = 0;
    return BPrivate::location_set_times(location, times);
}

status_t BStatable::SetModificationTime(time_t mtime)
{
    NodeLocation location;
    status_t status = _WritableLocation(&location);
    if (status == B_OK)
        status = SetOneTime(location, 1, mtime);
    return status;
}

status_t BStatable::GetCreationTime(time_t* ctime) const
{
    if (ctime == nullptr)
        return B_BAD_VALUE;
    NodeLocation location;
    status_t status = GetLocation(&location);
    if (status != B_OK)
        return status;
    struct stat st;
    status = GetStat(&st);
    if (status != B_OK)
        return status;

    // A creation time recorded through the kit wins over the birth time.
    std::string recorded;
    if (BPrivate::xattr_get(location, BPrivate::kCreationTimeAttr, &recorded) == B_OK
        && !recorded.empty() && recorded.size() < 32) {
        char* end = nullptr;
        errno = 0;
        long long value = std::strtoll(recorded.c_str(), &end, 10);
        if (errno == 0 && end != nullptr && *end == '\0') {
            *ctime = time_t(value);
            return B_OK;
        }
    }
    time_t birth;
    if (BPrivate::location_birth_time(location, &birth) == B_OK && birth != 0) {
        *ctime = birth;
        return B_OK;
    }
    // No birth time on this file system: the oldest stamp it keeps.
    *ctime = st.st_mtim.tv_sec;
    return B_OK;
}

status_t BStatable::SetCreationTime(time_t ctime)
{
    NodeLocation location;
    status_t status = _WritableLocation(&location);
    if (status != B_OK)
        return status;
    std::string text = std::to_string((long long)ctime);
    return BPrivate::xattr_set(location, BPrivate::kCreationTimeAttr, text.data(), text.size());
}

status_t BStatable::GetAccessTime(time_t* atime) const
{
    return ReadStatField(*this, atime, [](const struct stat& st) { return st.st_atim.tv_sec; });
}

status_t BStatable::SetAccessTime(time_t atime)
{
    NodeLocation location;
    status_t status = _WritableLocation(&location);
    if (status == B_OK)
        status = SetOneTime(location, 0, atime);
    return status;
}

status_t BStatable::GetVolume(BVolume* volume) const
{
    if (volume == nullptr)
        return B_BAD_VALUE;
    struct stat st;
    status_t status = GetStat(&st);
    if (status != B_OK)
        return status;
    return volume->SetTo(st.st_dev);
}
