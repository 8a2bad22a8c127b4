#include <Node.h>

#include <Directory.h>
#include <Entry.h>

#include "StoragePrivate.h"

#include <TypeConstants.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace BPrivate;

BNode::BNode()
    : fFd(-1),
      fFdIsFull(false),
      fIsLink(false),
      fStatus(B_NO_INIT),
      fAttrCursor(0),
      fAttrsListed(false),
      fLocked(false)
{
}

BNode::BNode(const entry_ref* ref)
    : BNode()
{
    SetTo(ref);
}

BNode::BNode(const BEntry* entry)
    : BNode()
{
    SetTo(entry);
}

BNode::BNode(const char* path)
    : BNode()
{
    SetTo(path);
}

BNode::BNode(const BDirectory* dir, const char* path)
    : BNode()
{
    SetTo(dir, path);
}

BNode::BNode(const BNode& node)
    : BNode()
{
    *this = node;
}

BNode::~BNode()
{
    Close();
}

status_t BNode::InitCheck() const
{
    return fStatus;
}

status_t BNode::GetStat(struct stat* st) const
{
    if (st == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    return ::fstat(fFd, st) == 0 ? B_OK : status_from_errno(errno);
}

status_t BNode::SetTo(const entry_ref* ref)
{
    if (ref == nullptr) {
        Unset();
        return fStatus = B_BAD_VALUE;
    }
    BEntry entry(ref);
    return SetTo(&entry);
}

status_t BNode::SetTo(const BEntry* entry)
{
    if (entry == nullptr || entry->InitCheck() != B_OK) {
        Unset();
        return fStatus = B_BAD_VALUE;
    }
    return OpenNode(entry->PathName());
}

status_t BNode::SetTo(const char* path)
{
    if (path == nullptr || path[0] == '\0') {
        Unset();
        return fStatus = B_BAD_VALUE;
    }
    std::string resolved = resolve_path(make_absolute(path), false);
    if (resolved.empty()) {
        Unset();
        return fStatus = B_LINK_LIMIT;
    }
    return OpenNode(resolved);
}

status_t BNode::SetTo(const BDirectory* dir, const char* path)
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
    return SetTo(join_path(dir->PathName(), path).c_str());
}

void BNode::Unset()
{
    Close();
    fStatus = B_NO_INIT;
}

void BNode::Close()
{
    if (fFd >= 0) {
        if (fLocked && fFdIsFull)
            ::flock(fFd, LOCK_UN);
        ::close(fFd);
    }
    fFd = -1;
    fFdIsFull = false;
    fIsLink = false;
    fLocked = false;
    fPath.clear();
    fAttrNames.clear();
    fAttrCursor = 0;
    fAttrsListed = false;
}

status_t BNode::OpenNode(const std::string& absolutePath)
{
    Close();
    int fd = ::open(absolutePath.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return fStatus = status_from_errno(errno);
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        int error = errno;
        ::close(fd);
        return fStatus = status_from_errno(error);
    }
    bool full = false;
    if (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) {
        // A readable descriptor of the same node serves every call directly.
        std::string proc = "/proc/self/fd/" + std::to_string(fd);
        int readable = ::open(proc.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (readable >= 0) {
            ::close(fd);
            fd = readable;
            full = true;
        }
    }
    Adopt(fd, full, absolutePath, S_ISLNK(st.st_mode));
    return fStatus = B_OK;
}

void BNode::Adopt(int fd, bool fdIsFull, const std::string& absolutePath, bool isLink)
{
    Close();
    fFd = fd;
    fFdIsFull = fdIsFull;
    fIsLink = isLink;
    fPath = absolutePath;
    fStatus = B_OK;
}

status_t BNode::Lock()
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (!fFdIsFull)
        return B_NOT_ALLOWED;
    if (::flock(fFd, LOCK_EX | LOCK_NB) != 0)
        return errno == EWOULDBLOCK ? B_BUSY : status_from_errno(errno);
    fLocked = true;
    return B_OK;
}

status_t BNode::Unlock()
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (!fLocked)
        return B_BAD_VALUE;
    ::flock(fFd, LOCK_UN);
    fLocked = false;
    return B_OK;
}

status_t BNode::Sync()
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (fFdIsFull)
        return ::fsync(fFd) == 0 ? B_OK : status_from_errno(errno);
    if (fIsLink)
        return B_OK;
    std::string proc = "/proc/self/fd/" + std::to_string(fFd);
    int fd = ::open(proc.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return status_from_errno(errno);
    int result = ::fsync(fd);
    int error = errno;
    ::close(fd);
    return result == 0 ? B_OK : status_from_errno(error);
}

ssize_t BNode::WriteAttr(const char* name, type_code type, off_t offset, const void* buffer, size_t length)
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (name == nullptr || offset < 0 || (buffer == nullptr && length > 0))
        return B_BAD_VALUE;
    if (length > size_t(SSIZE_MAX))
        return B_BAD_VALUE;
    status_t status = check_write(fPath);
    if (status != B_OK)
        return status;

    NodeLocation location;
    GetLocation(&location);
    std::string value;
    if (offset > 0) {
        // Keep what is already there around the written range.
        status = attr_read(location, name, &value, nullptr);
        if (status != B_OK && status != B_ENTRY_NOT_FOUND)
            return status;
        if (value.size() < size_t(offset) + length)
            value.resize(size_t(offset) + length, '\0');
        if (length > 0)
            std::memcpy(value.data() + offset, buffer, length);
    } else if (length > 0) {
        value.assign(static_cast<const char*>(buffer), length);
    }
    status = attr_write(location, name, type, value);
    fAttrsListed = false;
    return status == B_OK ? ssize_t(length) : ssize_t(status);
}

ssize_t BNode::ReadAttr(const char* name, type_code, off_t offset, void* buffer, size_t length) const
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (name == nullptr || offset < 0 || (buffer == nullptr && length > 0))
        return B_BAD_VALUE;
    NodeLocation location;
    GetLocation(&location);
    std::string value;
    status_t status = attr_read(location, name, &value, nullptr);
    if (status != B_OK)
        return status;
    if (size_t(offset) >= value.size())
        return 0;
    size_t count = std::min(length, value.size() - size_t(offset));
    if (count > size_t(SSIZE_MAX))
        count = size_t(SSIZE_MAX);
    std::memcpy(buffer, value.data() + offset, count);
    return ssize_t(count);
}

status_t BNode::RemoveAttr(const char* name)
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (name == nullptr)
        return B_BAD_VALUE;
    status_t status = check_write(fPath);
    if (status != B_OK)
        return status;
    NodeLocation location;
    GetLocation(&location);
    fAttrsListed = false;
    return attr_remove(location, name);
}

status_t BNode::RenameAttr(const char* oldName, const char* newName)
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (oldName == nullptr || newName == nullptr)
        return B_BAD_VALUE;
    status_t status = check_write(fPath);
    if (status != B_OK)
        return status;
    NodeLocation location;
    GetLocation(&location);
    std::string value;
    type_code type;
    status = attr_read(location, oldName, &value, &type);
    if (status != B_OK)
        return status;
    if (std::strcmp(oldName, newName) == 0)
        return B_OK;
    status = attr_write(location, newName, type, value);
    if (status == B_OK)
        status = attr_remove(location, oldName);
    fAttrsListed = false;
    return status;
}

status_t BNode::GetAttrInfo(const char* name, attr_info* info) const
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (name == nullptr || info == nullptr)
        return B_BAD_VALUE;
    NodeLocation location;
    GetLocation(&location);
    std::string value;
    type_code type;
    status_t status = attr_read(location, name, &value, &type);
    if (status != B_OK)
        return status;
    info->type = type;
    info->size = off_t(value.size());
    return B_OK;
}

status_t BNode::GetNextAttrName(char* buffer)
{
    if (buffer == nullptr)
        return B_BAD_VALUE;
    buffer[0] = '\0';
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (!fAttrsListed) {
        NodeLocation location;
        GetLocation(&location);
        status_t status = attr_list(location, &fAttrNames);
        if (status != B_OK)
            return status;
        fAttrsListed = true;
    }
    // Names removed since the listing are passed over.
    while (fAttrCursor < fAttrNames.size()) {
        const std::string& name = fAttrNames[fAttrCursor++];
        if (name.size() >= B_ATTR_NAME_LENGTH)
            continue;
        std::snprintf(buffer, B_ATTR_NAME_LENGTH, "%s", name.c_str());
        return B_OK;
    }
    return B_ENTRY_NOT_FOUND;
}

status_t BNode::RewindAttrs()
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    fAttrNames.clear();
    fAttrCursor = 0;
    fAttrsListed = false;
    return B_OK;
}

status_t BNode::WriteAttrString(const char* name, const std::string& data)
{
    ssize_t written = WriteAttr(name, B_STRING_TYPE, 0, data.data(), data.size());
    return written < 0 ? status_t(written) : B_OK;
}

status_t BNode::ReadAttrString(const char* name, std::string* data) const
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (name == nullptr || data == nullptr)
        return B_BAD_VALUE;
    NodeLocation location;
    GetLocation(&location);
    std::string value;
    status_t status = attr_read(location, name, &value, nullptr);
    if (status != B_OK)
        return status;
    // A stored terminator is not part of the text.
    size_t end = value.find('\0');
    if (end != std::string::npos)
        value.resize(end);
    *data = std::move(value);
    return B_OK;
}

int BNode::Dup()
{
    if (fStatus != B_OK)
        return -1;
    return ::fcntl(fFd, F_DUPFD_CLOEXEC, 0);
}

bool BNode::operator==(const BNode& node) const
{
    if (fStatus != B_OK || node.fStatus != B_OK)
        return fStatus != B_OK && node.fStatus != B_OK;
    node_ref a, b;
    return GetNodeRef(&a) == B_OK && node.GetNodeRef(&b) == B_OK && a == b;
}

bool BNode::operator!=(const BNode& node) const
{
    return !(*this == node);
}

BNode& BNode::operator=(const BNode& node)
{
    if (this == &node)
        return *this;
    Close();
    fStatus = node.fStatus;
    if (node.fStatus != B_OK)
        return *this;
    int fd = ::fcntl(node.fFd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) {
        fStatus = status_from_errno(errno);
        return *this;
    }
    Adopt(fd, node.fFdIsFull, node.fPath, node.fIsLink);
    return *this;
}

const char* BNode::PathName() const
{
    return fStatus == B_OK ? fPath.c_str() : nullptr;
}

status_t BNode::GetLocation(NodeLocation* location) const
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    location->fd = fFd;
    location->fdIsFull = fFdIsFull;
    location->isLink = fIsLink;
    location->path = fPath;
    return B_OK;
}

status_t copy_attributes(const char* from, const char* to)
{
    if (from == nullptr || to == nullptr)
        return B_BAD_VALUE;
    status_t status = check_write(make_absolute(to));
    if (status != B_OK)
        return status;
    NodeLocation source;
    source.path = make_absolute(from);
    NodeLocation target;
    target.path = make_absolute(to);

    std::vector<std::string> names;
    status = xattr_list(source, &names);
    if (status != B_OK)
        return status;
    for (const std::string& name : names) {
        if (name.compare(0, 5, "user.") != 0 || name == kCreationTimeAttr || name == "user.beos.probe")
            continue;
        std::string value;
        status = xattr_get(source, name, &value);
        if (status == B_ENTRY_NOT_FOUND)
            continue;
        if (status == B_OK)
            status = xattr_set(target, name, value.data(), value.size());
        if (status != B_OK)
            return status;
    }
    return B_OK;
}

status_t write_new_attribute(int fd, const char* name, type_code type, const void* data, size_t size)
{
    if (fd < 0 || name == nullptr || (data == nullptr && size > 0))
        return B_BAD_VALUE;
    stop_point();
    NodeLocation location;
    location.fd = fd;
    location.fdIsFull = true;
    return attr_write_new(location, name, type, std::string(static_cast<const char*>(data), size));
}
