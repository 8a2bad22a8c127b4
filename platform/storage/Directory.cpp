#include <Directory.h>

#include <Entry.h>
#include <File.h>
#include <SymLink.h>

#include "StoragePrivate.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

using namespace BPrivate;

namespace {

bool MatchesFlavor(const struct stat& st, int32 nodeFlags)
{
    if (S_ISLNK(st.st_mode))
        return (nodeFlags & B_SYMLINK_NODE) != 0;
    if (S_ISDIR(st.st_mode))
        return (nodeFlags & B_DIRECTORY_NODE) != 0;
    return (nodeFlags & B_FILE_NODE) != 0;
}

bool IsBelow(const std::string& path, const std::string& folder)
{
    if (folder == "/")
        return path.size() > 1 && path[0] == '/';
    return path.size() > folder.size() + 1 && path.compare(0, folder.size(), folder) == 0
        && path[folder.size()] == '/';
}

} // namespace

BDirectory::BDirectory()
    : fDir(nullptr)
{
}

BDirectory::BDirectory(const BDirectory& dir)
    : BNode(),
      BEntryList(),
      fDir(nullptr)
{
    *this = dir;
}

BDirectory::BDirectory(const entry_ref* ref)
    : fDir(nullptr)
{
    SetTo(ref);
}

BDirectory::BDirectory(const node_ref* nref)
    : fDir(nullptr)
{
    SetTo(nref);
}

BDirectory::BDirectory(const BEntry* entry)
    : fDir(nullptr)
{
    SetTo(entry);
}

BDirectory::BDirectory(const char* path)
    : fDir(nullptr)
{
    SetTo(path);
}

BDirectory::BDirectory(const BDirectory* dir, const char* path)
    : fDir(nullptr)
{
    SetTo(dir, path);
}

BDirectory::~BDirectory()
{
    if (fDir != nullptr)
        ::closedir(fDir);
}

status_t BDirectory::OpenDirectory(const std::string& absolutePath)
{
    if (fDir != nullptr) {
        ::closedir(fDir);
        fDir = nullptr;
    }
    std::string resolved = resolve_path(absolutePath, true);
    if (resolved.empty()) {
        Unset();
        return fStatus = B_LINK_LIMIT;
    }
    status_t status = OpenNode(resolved);
    if (status != B_OK)
        return status;
    struct stat st;
    if (GetStat(&st) != B_OK || !S_ISDIR(st.st_mode)) {
        Unset();
        return fStatus = B_NOT_A_DIRECTORY;
    }
    remember_directory(st.st_dev, st.st_ino, resolved);
    return B_OK;
}

status_t BDirectory::SetTo(const entry_ref* ref)
{
    if (ref == nullptr) {
        Unset();
        return fStatus = B_BAD_VALUE;
    }
    BEntry entry(ref);
    return SetTo(&entry);
}

status_t BDirectory::SetTo(const node_ref* nref)
{
    if (nref == nullptr) {
        Unset();
        return fStatus = B_BAD_VALUE;
    }
    std::string path;
    status_t status = directory_path(dev_t(nref->device), ino_t(nref->node), &path);
    if (status != B_OK) {
        Unset();
        return fStatus = status;
    }
    return OpenDirectory(path);
}

status_t BDirectory::SetTo(const BEntry* entry)
{
    if (entry == nullptr || entry->InitCheck() != B_OK) {
        Unset();
        return fStatus = B_BAD_VALUE;
    }
    return OpenDirectory(entry->PathName());
}

status_t BDirectory::SetTo(const char* path)
{
    if (path == nullptr || path[0] == '\0') {
        Unset();
        return fStatus = B_BAD_VALUE;
    }
    return OpenDirectory(make_absolute(path));
}

status_t BDirectory::SetTo(const BDirectory* dir, const char* path)
{
    if (path == nullptr) {
        Unset();
        return fStatus = B_BAD_VALUE;
    }
    if (path[0] == '/')
        return SetTo(path);
    if (dir == nullptr || dir->InitCheck() != B_OK) {
        Unset();
        return fStatus = B_BAD_VALUE;
    }
    return OpenDirectory(join_path(dir->PathName(), path));
}

status_t BDirectory::GetEntry(BEntry* entry) const
{
    if (entry == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    return entry->SetTo(fPath.c_str());
}

bool BDirectory::IsRootDirectory() const
{
    if (fStatus != B_OK)
        return false;
    struct stat self, parent;
    if (GetStat(&self) != B_OK || ::stat(join_path(fPath, "..").c_str(), &parent) != 0)
        return false;
    return self.st_dev != parent.st_dev || self.st_ino == parent.st_ino;
}

std::string BDirectory::Resolve(const char* path) const
{
    if (path[0] == '/')
        return path;
    return join_path(fPath, path);
}

status_t BDirectory::FindEntry(const char* path, BEntry* entry, bool traverse) const
{
    if (path == nullptr || entry == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    status_t status = entry->SetTo(Resolve(path).c_str(), traverse);
    if (status == B_OK && !entry->Exists()) {
        entry->Unset();
        status = B_ENTRY_NOT_FOUND;
    }
    return status;
}

bool BDirectory::Contains(const char* path, int32 nodeFlags) const
{
    if (path == nullptr || fStatus != B_OK)
        return false;
    BEntry entry(Resolve(path).c_str());
    return Contains(&entry, nodeFlags);
}

bool BDirectory::Contains(const BEntry* entry, int32 nodeFlags) const
{
    if (entry == nullptr || entry->InitCheck() != B_OK || fStatus != B_OK)
        return false;
    if (!IsBelow(entry->PathName(), fPath))
        return false;
    struct stat st;
    return entry->GetStat(&st) == B_OK && MatchesFlavor(st, nodeFlags);
}

bool BDirectory::NextName(std::string* name)
{
    if (fDir == nullptr) {
        int fd = ::openat(fFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return false;
        fDir = ::fdopendir(fd);
        if (fDir == nullptr) {
            ::close(fd);
            return false;
        }
    }
    while (dirent* entry = ::readdir(fDir)) {
        std::string leaf = entry->d_name;
        if (leaf == "." || leaf == "..")
            continue;
        *name = std::move(leaf);
        return true;
    }
    return false;
}

status_t BDirectory::GetNextEntry(BEntry* entry, bool traverse)
{
    if (entry == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    std::string name;
    if (!NextName(&name)) {
        entry->Unset();
        return B_ENTRY_NOT_FOUND;
    }
    return entry->SetTo(join_path(fPath, name).c_str(), traverse);
}

status_t BDirectory::GetNextRef(entry_ref* ref)
{
    if (ref == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    std::string name;
    if (!NextName(&name))
        return B_ENTRY_NOT_FOUND;
    struct stat st;
    status_t status = GetStat(&st);
    if (status != B_OK)
        return status;
    remember_directory(st.st_dev, st.st_ino, fPath);
    entry_ref result(platform_dev_t(st.st_dev), platform_ino_t(st.st_ino), name.c_str());
    if (result.name == nullptr)
        return B_NO_MEMORY;
    *ref = std::move(result);
    return B_OK;
}

status_t BDirectory::Rewind()
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (fDir != nullptr)
        ::rewinddir(fDir);
    return B_OK;
}

int32 BDirectory::CountEntries()
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    Rewind();
    int32 count = 0;
    std::string name;
    while (NextName(&name))
        ++count;
    Rewind();
    return count;
}

status_t BDirectory::CreateDirectory(const char* path, BDirectory* dir)
{
    if (path == nullptr || path[0] == '\0')
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    std::string target = Resolve(path);
    status_t status = check_write(target);
    if (status != B_OK)
        return status;
    if (::mkdir(target.c_str(), 0777) != 0)
        return status_from_errno(errno);
    return dir != nullptr ? dir->SetTo(target.c_str()) : B_OK;
}

status_t BDirectory::CreateFile(const char* path, BFile* file, bool failIfExists)
{
    if (path == nullptr || path[0] == '\0')
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    uint32 mode = B_READ_WRITE | B_CREATE_FILE | B_ERASE_FILE | (failIfExists ? B_FAIL_IF_EXISTS : 0);
    BFile local;
    BFile* target = file != nullptr ? file : &local;
    return target->SetTo(Resolve(path).c_str(), mode);
}

status_t BDirectory::CreateSymLink(const char* path, const char* linkToPath, BSymLink* link)
{
    if (path == nullptr || path[0] == '\0' || linkToPath == nullptr || linkToPath[0] == '\0')
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    std::string target = Resolve(path);
    status_t status = check_write(target);
    if (status != B_OK)
        return status;
    if (::symlink(linkToPath, target.c_str()) != 0)
        return status_from_errno(errno);
    return link != nullptr ? link->SetTo(target.c_str()) : B_OK;
}

BDirectory& BDirectory::operator=(const BDirectory& dir)
{
    if (this != &dir) {
        if (fDir != nullptr) {
            ::closedir(fDir);
            fDir = nullptr;
        }
        BNode::operator=(dir);
    }
    return *this;
}

status_t create_directory(const char* path, mode_t mode)
{
    if (path == nullptr || path[0] == '\0')
        return B_BAD_VALUE;
    std::string absolute = normalize_lexically(make_absolute(path));
    status_t status = check_write(absolute);
    if (status != B_OK)
        return status;
    return make_directories(absolute, mode);
}
