// Low-level access to a node: stat, time stamps, permissions and extended
// attributes, reached through a descriptor or a path (see NodeLocation).
//
// Attribute encoding (also in docs/attributes.md):
//   "user.<name>"            the value's bytes, unchanged
//   "user.beos.type.<name>"  the type code, 4 bytes big-endian (so 'CSTR'
//                            reads as the text CSTR); absent means raw data
//                            (B_RAW_TYPE), as for attributes other tools set
//   "user.mime_type"         mirror of "BEOS:TYPE" without its NUL (the
//                            freedesktop file type attribute)
//   "user.beos.crtime"       creation time set through the kit
// Names beginning with "beos." and the name "mime_type" are kept for these
// records and refused as attribute names.
#include "StoragePrivate.h"

#include <TypeConstants.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace BPrivate {

const char* const kCreationTimeAttr = "user.beos.crtime";

namespace {

const char kValuePrefix[] = "user.";
const char kTypePrefix[] = "user.beos.type.";
const char kMimeMirror[] = "user.mime_type";
const char kTypeAttrName[] = "BEOS:TYPE";
// XATTR_NAME_MAX: longest full attribute name.
constexpr size_t kMaxFullName = 255;

std::string ProcPath(int fd)
{
    return "/proc/self/fd/" + std::to_string(fd);
}

status_t AttrStatus(int error)
{
    switch (error) {
    case ENODATA: return B_ENTRY_NOT_FOUND;
    case ENOTSUP: return B_UNSUPPORTED;
    case E2BIG: return B_DEVICE_FULL;
    case ERANGE: return B_NAME_TOO_LONG;
    default: return status_from_errno(error);
    }
}

status_t CheckName(const char* name)
{
    if (name == nullptr || name[0] == '\0')
        return B_BAD_VALUE;
    if (std::strncmp(name, "beos.", 5) == 0 || std::strcmp(name, "mime_type") == 0)
        return B_BAD_VALUE;
    if (std::strlen(name) + sizeof(kTypePrefix) - 1 > kMaxFullName)
        return B_NAME_TOO_LONG;
    return B_OK;
}

} // namespace

status_t location_stat(const NodeLocation& location, struct stat* st)
{
    int result = location.fd >= 0 ? ::fstat(location.fd, st) : ::lstat(location.path.c_str(), st);
    return result == 0 ? B_OK : status_from_errno(errno);
}

status_t location_birth_time(const NodeLocation& location, time_t* birth)
{
    struct statx sx;
    int result;
    if (location.fd >= 0)
        result = ::statx(location.fd, "", AT_EMPTY_PATH, STATX_BTIME, &sx);
    else
        result = ::statx(AT_FDCWD, location.path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BTIME, &sx);
    if (result != 0)
        return status_from_errno(errno);
    if ((sx.stx_mask & STATX_BTIME) == 0)
        return B_UNSUPPORTED;
    *birth = time_t(sx.stx_btime.tv_sec);
    return B_OK;
}

status_t location_set_times(const NodeLocation& location, const struct timespec times[2])
{
    int result;
    if (location.fd >= 0 && location.fdIsFull)
        result = ::futimens(location.fd, times);
    else if (location.fd >= 0 && !location.isLink)
        result = ::utimensat(AT_FDCWD, ProcPath(location.fd).c_str(), times, 0);
    else
        result = ::utimensat(AT_FDCWD, location.path.c_str(), times, AT_SYMLINK_NOFOLLOW);
    return result == 0 ? B_OK : status_from_errno(errno);
}

status_t location_chmod(const NodeLocation& location, mode_t mode)
{
    int result;
    if (location.isLink)
        return B_NOT_ALLOWED; // Linux keeps no permissions of their own on links
    if (location.fd >= 0 && location.fdIsFull)
        result = ::fchmod(location.fd, mode);
    else if (location.fd >= 0)
        result = ::chmod(ProcPath(location.fd).c_str(), mode);
    else
        result = ::chmod(location.path.c_str(), mode);
    return result == 0 ? B_OK : status_from_errno(errno);
}

status_t location_chown(const NodeLocation& location, uid_t owner, gid_t group)
{
    int result;
    if (location.fd >= 0)
        result = ::fchownat(location.fd, "", owner, group, AT_EMPTY_PATH);
    else
        result = ::lchown(location.path.c_str(), owner, group);
    return result == 0 ? B_OK : status_from_errno(errno);
}

status_t xattr_get(const NodeLocation& location, const std::string& name, std::string* value)
{
    std::string proc;
    if (location.fd >= 0 && !location.fdIsFull && !location.isLink)
        proc = ProcPath(location.fd);
    auto call = [&](void* buffer, size_t size) -> ssize_t {
        if (location.fd >= 0 && location.fdIsFull)
            return ::fgetxattr(location.fd, name.c_str(), buffer, size);
        if (!proc.empty())
            return ::getxattr(proc.c_str(), name.c_str(), buffer, size);
        return ::lgetxattr(location.path.c_str(), name.c_str(), buffer, size);
    };
    for (int attempt = 0; attempt < 8; ++attempt) {
        ssize_t size = call(nullptr, 0);
        if (size < 0)
            return AttrStatus(errno);
        value->assign(size_t(size), '\0');
        if (size == 0)
            return B_OK;
        ssize_t read = call(value->data(), value->size());
        if (read >= 0) {
            value->resize(size_t(read));
            return B_OK;
        }
        if (errno != ERANGE)
            return AttrStatus(errno);
        // The value grew between the two calls: ask again.
    }
    return B_BUSY;
}

status_t xattr_set(const NodeLocation& location, const std::string& name, const void* data, size_t size)
{
    int result;
    if (location.fd >= 0 && location.fdIsFull)
        result = ::fsetxattr(location.fd, name.c_str(), data, size, 0);
    else if (location.fd >= 0 && !location.isLink)
        result = ::setxattr(ProcPath(location.fd).c_str(), name.c_str(), data, size, 0);
    else
        result = ::lsetxattr(location.path.c_str(), name.c_str(), data, size, 0);
    return result == 0 ? B_OK : AttrStatus(errno);
}

status_t xattr_remove(const NodeLocation& location, const std::string& name)
{
    int result;
    if (location.fd >= 0 && location.fdIsFull)
        result = ::fremovexattr(location.fd, name.c_str());
    else if (location.fd >= 0 && !location.isLink)
        result = ::removexattr(ProcPath(location.fd).c_str(), name.c_str());
    else
        result = ::lremovexattr(location.path.c_str(), name.c_str());
    return result == 0 ? B_OK : AttrStatus(errno);
}

status_t xattr_list(const NodeLocation& location, std::vector<std::string>* names)
{
    std::string proc;
    if (location.fd >= 0 && !location.fdIsFull && !location.isLink)
        proc = ProcPath(location.fd);
    auto call = [&](char* buffer, size_t size) -> ssize_t {
        if (location.fd >= 0 && location.fdIsFull)
            return ::flistxattr(location.fd, buffer, size);
        if (!proc.empty())
            return ::listxattr(proc.c_str(), buffer, size);
        return ::llistxattr(location.path.c_str(), buffer, size);
    };
    std::string buffer;
    for (int attempt = 0;; ++attempt) {
        if (attempt == 8)
            return B_BUSY;
        ssize_t size = call(nullptr, 0);
        if (size < 0)
            return AttrStatus(errno);
        buffer.assign(size_t(size), '\0');
        if (size == 0)
            break;
        ssize_t read = call(buffer.data(), buffer.size());
        if (read >= 0) {
            buffer.resize(size_t(read));
            break;
        }
        if (errno != ERANGE)
            return AttrStatus(errno);
    }
    names->clear();
    size_t start = 0;
    while (start < buffer.size()) {
        size_t end = buffer.find('\0', start);
        if (end == std::string::npos)
            end = buffer.size();
        if (end > start)
            names->push_back(buffer.substr(start, end - start));
        start = end + 1;
    }
    return B_OK;
}

status_t attr_read(const NodeLocation& location, const char* name, std::string* value, type_code* type)
{
    if (name == nullptr || name[0] == '\0')
        return B_BAD_VALUE;
    status_t status = CheckName(name);
    if (status != B_OK)
        return status == B_NAME_TOO_LONG ? B_ENTRY_NOT_FOUND : status;

    status = xattr_get(location, std::string(kValuePrefix) + name, value);
    if (status == B_ENTRY_NOT_FOUND && std::strcmp(name, kTypeAttrName) == 0) {
        // A type set by other programs through the freedesktop attribute.
        status = xattr_get(location, kMimeMirror, value);
        if (status == B_OK) {
            value->push_back('\0');
            if (type != nullptr)
                *type = B_MIME_STRING_TYPE;
        }
        return status;
    }
    if (status != B_OK)
        return status;
    if (type != nullptr) {
        std::string code;
        status_t typeStatus = xattr_get(location, std::string(kTypePrefix) + name, &code);
        if (typeStatus == B_OK && code.size() == 4) {
            *type = (uint32(uint8(code[0])) << 24) | (uint32(uint8(code[1])) << 16)
                | (uint32(uint8(code[2])) << 8) | uint32(uint8(code[3]));
        } else {
            *type = B_RAW_TYPE;
        }
    }
    return B_OK;
}

status_t attr_write(const NodeLocation& location, const char* name, type_code type, const std::string& value)
{
    status_t status = CheckName(name);
    if (status != B_OK)
        return status;
    status = xattr_set(location, std::string(kValuePrefix) + name, value.data(), value.size());
    if (status != B_OK)
        return status;

    const std::string typeName = std::string(kTypePrefix) + name;
    if (type == B_RAW_TYPE) {
        status = xattr_remove(location, typeName);
        if (status == B_ENTRY_NOT_FOUND)
            status = B_OK;
    } else {
        const char code[4] = {char(type >> 24), char(type >> 16), char(type >> 8), char(type)};
        status = xattr_set(location, typeName, code, 4);
    }
    if (status != B_OK)
        return status;

    if (std::strcmp(name, kTypeAttrName) == 0) {
        std::string mime = value.substr(0, value.find('\0'));
        if (mime.empty()) {
            status = xattr_remove(location, kMimeMirror);
            if (status == B_ENTRY_NOT_FOUND)
                status = B_OK;
        } else {
            status = xattr_set(location, kMimeMirror, mime.data(), mime.size());
        }
    }
    return status;
}

status_t attr_write_new(const NodeLocation& location, const char* name, type_code type, const std::string& value)
{
    status_t status = CheckName(name);
    if (status != B_OK)
        return status;
    const bool isFileType = std::strcmp(name, kTypeAttrName) == 0;
    // A MIME string with its one NUL at the end reads back the same from the
    // freedesktop record alone: the value and type records are left out.
    if (isFileType && type == B_MIME_STRING_TYPE && value.size() > 1 && value.find('\0') == value.size() - 1)
        return xattr_set(location, kMimeMirror, value.data(), value.size() - 1);
    status = xattr_set(location, std::string(kValuePrefix) + name, value.data(), value.size());
    if (status == B_OK && type != B_RAW_TYPE) {
        const char code[4] = {char(type >> 24), char(type >> 16), char(type >> 8), char(type)};
        status = xattr_set(location, std::string(kTypePrefix) + name, code, 4);
    }
    if (status == B_OK && isFileType) {
        const std::string mime = value.substr(0, value.find('\0'));
        if (!mime.empty())
            status = xattr_set(location, kMimeMirror, mime.data(), mime.size());
    }
    return status;
}

status_t attr_remove(const NodeLocation& location, const char* name)
{
    status_t status = CheckName(name);
    if (status != B_OK)
        return status == B_NAME_TOO_LONG ? B_ENTRY_NOT_FOUND : status;
    status = xattr_remove(location, std::string(kValuePrefix) + name);
    if (std::strcmp(name, kTypeAttrName) == 0) {
        status_t mirror = xattr_remove(location, kMimeMirror);
        if (status == B_ENTRY_NOT_FOUND && mirror == B_OK)
            status = B_OK;
    }
    if (status != B_OK)
        return status;
    status_t typeStatus = xattr_remove(location, std::string(kTypePrefix) + name);
    if (typeStatus != B_OK && typeStatus != B_ENTRY_NOT_FOUND)
        return typeStatus;
    return B_OK;
}

status_t attr_list(const NodeLocation& location, std::vector<std::string>* names)
{
    std::vector<std::string> all;
    status_t status = xattr_list(location, &all);
    if (status != B_OK)
        return status;
    names->clear();
    bool hasType = false;
    bool hasMirror = false;
    for (const std::string& full : all) {
        if (full.compare(0, 5, kValuePrefix) != 0)
            continue;
        if (full.compare(0, 10, "user.beos.") == 0)
            continue;
        if (full == kMimeMirror) {
            hasMirror = true;
            continue;
        }
        std::string name = full.substr(5);
        if (name == kTypeAttrName)
            hasType = true;
        names->push_back(name);
    }
    if (hasMirror && !hasType)
        names->push_back(kTypeAttrName);
    return B_OK;
}

} // namespace BPrivate
