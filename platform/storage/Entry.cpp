#include <Entry.h>

#include <Directory.h>
#include <Path.h>

#include "StoragePrivate.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

using namespace BPrivate;

namespace {

// Renames without replacing an existing target where the file system can
// do that in one step.
int RenameNoReplace(const char* from, const char* to)
{
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    struct stat st;
    if (::lstat(to, &st) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from, to);
}

} // namespace

BEntry::BEntry()
    : fStatus(B_NO_INIT)
{
}

BEntry::BEntry(const BDirectory* dir, const char* path, bool traverse)
    : fStatus(B_NO_INIT)
{
    SetTo(dir, path, traverse);
}

BEntry::BEntry(const entry_ref* ref, bool traverse)
    : fStatus(B_NO_INIT)
{
    SetTo(ref, traverse);
}

BEntry::BEntry(const char* path, bool traverse)
    : fStatus(B_NO_INIT)
{
    SetTo(path, traverse);
}

BEntry::BEntry(const BEntry& entry)
    : BStatable(),
      fDirectory(entry.fDirectory),
      fName(entry.fName),
      fFullPath(entry.fFullPath),
      fStatus(entry.fStatus)
{
}

BEntry::~BEntry() = default;

status_t BEntry::InitCheck() const
{
    return fStatus;
}

bool BEntry::Exists() const
{
    struct stat st;
    return fStatus == B_OK && ::lstat(fFullPath.c_str(), &st) == 0;
}

const char* BEntry::Name() const
{
    return fStatus == B_OK ? fName.c_str() : nullptr;
}

status_t BEntry::GetStat(struct stat* st) const
{
    if (st == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    return ::lstat(fFullPath.c_str(), st) == 0 ? B_OK : status_from_errno(errno);
}

status_t BEntry::SetTo(const BDirectory* dir, const char* path, bool traverse)
{
    if (path == nullptr) {
        Unset();
        return fStatus = B_BAD_VALUE;
    }
    if (path[0] == '/')
        return SetTo(path, traverse);
    if (dir == nullptr || dir->InitCheck() != B_OK) {
        Unset();
        return fStatus = B_BAD_VALUE;
    }
    if (path[0] == '\0')
        return SetToAbsolute(dir->PathName(), traverse);
    return SetToAbsolute(join_path(dir->PathName(), path), traverse);
}

status_t BEntry::SetTo(const entry_ref* ref, bool traverse)
{
    if (ref == nullptr || ref->name == nullptr || ref->name[0] == '\0'
        || std::strchr(ref->name, '/') != nullptr) {
        Unset();
        return fStatus = B_BAD_VALUE;
    }
    std::string folder;
    status_t status = directory_path(dev_t(ref->device), ino_t(ref->directory), &folder);
    if (status != B_OK) {
        Unset();
        return fStatus = status;
    }
    if (std::strcmp(ref->name, ".") == 0)
        return SetToAbsolute(folder, traverse);
    return SetToAbsolute(join_path(folder, ref->name), traverse);
}

status_t BEntry::SetTo(const char* path, bool traverse)
{
    if (path == nullptr || path[0] == '\0') {
        Unset();
        return fStatus = B_BAD_VALUE;
    }
    return SetToAbsolute(make_absolute(path), traverse);
}

status_t BEntry::SetToAbsolute(const std::string& path, bool traverse)
{
    Unset();
    std::string resolved = resolve_path(path, false);
    if (resolved.empty())
        return fStatus = B_LINK_LIMIT;
    if (traverse) {
        struct stat st;
        if (::lstat(resolved.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
            resolved = resolve_path(path, true);
            if (resolved.empty())
                return fStatus = B_LINK_LIMIT;
            if (::lstat(resolved.c_str(), &st) != 0)
                return fStatus = B_ENTRY_NOT_FOUND;
        }
    }

    std::string folder, leaf;
    split_path(resolved, &folder, &leaf);
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0)
        return fStatus = status_from_errno(errno);
    if (!S_ISDIR(st.st_mode))
        return fStatus = B_NOT_A_DIRECTORY;
    if (leaf.size() >= B_FILE_NAME_LENGTH)
        return fStatus = B_NAME_TOO_LONG;
    remember_directory(st.st_dev, st.st_ino, folder);

    fDirectory = folder;
    fName = leaf.empty() ? "/" : leaf;
    fFullPath = resolved;
    return fStatus = B_OK;
}

void BEntry::Unset()
{
    fDirectory.clear();
    fName.clear();
    fFullPath.clear();
    fStatus = B_NO_INIT;
}

status_t BEntry::GetRef(entry_ref* ref) const
{
    if (ref == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    struct stat st;
    if (::stat(fDirectory.c_str(), &st) != 0)
        return status_from_errno(errno);
    remember_directory(st.st_dev, st.st_ino, fDirectory);
    const char* name = fFullPath == "/" ? "." : fName.c_str();
    entry_ref result(platform_dev_t(st.st_dev), platform_ino_t(st.st_ino), name);
    if (result.name == nullptr)
        return B_NO_MEMORY;
    *ref = std::move(result);
    return B_OK;
}

status_t BEntry::GetPath(BPath* path) const
{
    if (path == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    return path->SetTo(fFullPath.c_str());
}

status_t BEntry::GetParent(BEntry* entry) const
{
    if (entry == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (fFullPath == "/")
        return B_ENTRY_NOT_FOUND;
    return entry->SetTo(fDirectory.c_str());
}

status_t BEntry::GetParent(BDirectory* dir) const
{
    if (dir == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (fFullPath == "/")
        return B_ENTRY_NOT_FOUND;
    return dir->SetTo(fDirectory.c_str());
}

status_t BEntry::GetName(char* buffer) const
{
    if (buffer == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK) {
        buffer[0] = '\0';
        return B_NO_INIT;
    }
    std::snprintf(buffer, B_FILE_NAME_LENGTH, "%s", fName.c_str());
    return B_OK;
}

status_t BEntry::Rename(const char* path, bool clobber)
{
    if (path == nullptr || path[0] == '\0')
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    std::string target = path[0] == '/' ? std::string(path) : join_path(fDirectory, path);
    std::string resolvedTarget = resolve_path(target, false);
    if (resolvedTarget.empty())
        return B_LINK_LIMIT;
    if (resolvedTarget == fFullPath)
        return B_OK;

    status_t status = check_write(fFullPath);
    if (status == B_OK)
        status = check_write(resolvedTarget);
    if (status != B_OK)
        return status;

    int result = clobber ? ::rename(fFullPath.c_str(), resolvedTarget.c_str())
                         : RenameNoReplace(fFullPath.c_str(), resolvedTarget.c_str());
    if (result != 0)
        return status_from_errno(errno);
    return SetToAbsolute(resolvedTarget, false);
}

status_t BEntry::MoveTo(BDirectory* dir, const char* path, bool clobber)
{
    if (dir == nullptr || dir->InitCheck() != B_OK)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    std::string target;
    if (path != nullptr && path[0] == '/')
        target = path;
    else
        target = join_path(dir->PathName(), path != nullptr && path[0] != '\0' ? path : fName);
    return Rename(target.c_str(), clobber);
}

status_t BEntry::Remove()
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    status_t status = check_write(fFullPath);
    if (status != B_OK)
        return status;
    struct stat st;
    if (::lstat(fFullPath.c_str(), &st) != 0)
        return status_from_errno(errno);
    int result = S_ISDIR(st.st_mode) ? ::rmdir(fFullPath.c_str()) : ::unlink(fFullPath.c_str());
    if (result != 0)
        return status_from_errno(errno == EEXIST ? ENOTEMPTY : errno);
    return B_OK;
}

bool BEntry::operator==(const BEntry& item) const
{
    if (fStatus != B_OK || item.fStatus != B_OK)
        return fStatus != B_OK && item.fStatus != B_OK;
    return fFullPath == item.fFullPath;
}

bool BEntry::operator!=(const BEntry& item) const
{
    return !(*this == item);
}

BEntry& BEntry::operator=(const BEntry& item)
{
    if (this != &item) {
        fDirectory = item.fDirectory;
        fName = item.fName;
        fFullPath = item.fFullPath;
        fStatus = item.fStatus;
    }
    return *this;
}

const char* BEntry::PathName() const
{
    return fStatus == B_OK ? fFullPath.c_str() : nullptr;
}

status_t BEntry::GetLocation(NodeLocation* location) const
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    location->fd = -1;
    location->fdIsFull = false;
    struct stat st;
    location->isLink = ::lstat(fFullPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
    location->path = fFullPath;
    return B_OK;
}

status_t get_ref_for_path(const char* path, entry_ref* ref)
{
    BEntry entry(path);
    status_t status = entry.InitCheck();
    if (status != B_OK)
        return status;
    return entry.GetRef(ref);
}

status_t get_ref_path(const entry_ref& ref, std::string* path)
{
    if (path == nullptr)
        return B_BAD_VALUE;
    BEntry entry(&ref);
    status_t status = entry.InitCheck();
    if (status == B_OK)
        *path = entry.PathName();
    return status;
}
