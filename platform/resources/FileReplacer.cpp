#include "FileReplacer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace ondelle::resources {

namespace {

status_t WriteAll(int fd, const void* data, size_t length)
{
    const uint8* bytes = static_cast<const uint8*>(data);
    while (length > 0) {
        ssize_t written = write(fd, bytes, length);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return status_from_errno(errno);
        }
        bytes += written;
        length -= size_t(written);
    }
    return B_OK;
}

std::string DirectoryOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

} // namespace

status_t CopyFileRange(int inFd, uint64 inOffset, int outFd, uint64 length)
{
    bool useKernelCopy = true;
    std::vector<uint8> buffer;
    while (length > 0) {
        size_t chunk = size_t(std::min<uint64>(length, 1 << 20));
        if (useKernelCopy) {
            loff_t in = loff_t(inOffset);
            ssize_t copied = copy_file_range(inFd, &in, outFd, nullptr, chunk, 0);
            if (copied > 0) {
                inOffset += uint64(copied);
                length -= uint64(copied);
                continue;
            }
            if (copied == 0)
                return B_BAD_DATA; // the source ended early
            if (errno == EINTR)
                continue;
            if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP
                && errno != EBADF)
                return status_from_errno(errno);
            useKernelCopy = false;
        }
        if (buffer.empty())
            buffer.resize(1 << 20);
        ssize_t got = pread(inFd, buffer.data(), chunk, off_t(inOffset));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return status_from_errno(errno);
        }
        if (got == 0)
            return B_BAD_DATA;
        status_t status = WriteAll(outFd, buffer.data(), size_t(got));
        if (status != B_OK)
            return status;
        inOffset += uint64(got);
        length -= uint64(got);
    }
    return B_OK;
}

status_t CopyExtendedAttributes(int fromFd, int toFd)
{
    ssize_t listSize = flistxattr(fromFd, nullptr, 0);
    if (listSize < 0)
        return (errno == ENOTSUP || errno == ENODATA) ? B_OK : status_from_errno(errno);
    std::vector<char> names(size_t(listSize) + 1);
    listSize = flistxattr(fromFd, names.data(), names.size());
    if (listSize < 0)
        return status_from_errno(errno);
    std::vector<char> value;
    for (ssize_t at = 0; at < listSize;) {
        const char* name = names.data() + at;
        at += ssize_t(strlen(name)) + 1;
        bool required = strncmp(name, "user.", 5) == 0;
        ssize_t size = fgetxattr(fromFd, name, nullptr, 0);
        if (size >= 0) {
            value.resize(size_t(size) + 1);
            size = fgetxattr(fromFd, name, value.data(), size_t(size));
        }
        if (size < 0 || fsetxattr(toFd, name, value.data(), size_t(size), 0) != 0) {
            if (required)
                return status_from_errno(errno);
        }
    }
    return B_OK;
}

FileReplacer::~FileReplacer()
{
    _Discard();
}

void FileReplacer::_Discard()
{
    if (fFd >= 0) {
        close(fFd);
        fFd = -1;
    }
    if (!fTempPath.empty()) {
        unlink(fTempPath.c_str());
        fTempPath.clear();
    }
}

status_t FileReplacer::Begin(const std::string& target)
{
    _Discard();
    fTarget = target;
    fPosition = 0;
    std::string leaf = target.substr(target.rfind('/') + 1);
    if (leaf.size() > 200)
        leaf.resize(200);
    std::string pattern = DirectoryOf(target) + "/." + leaf + ".XXXXXX";
    int fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        return status_from_errno(errno);
    fFd = fd;
    fTempPath = pattern;
    return B_OK;
}

status_t FileReplacer::Write(const void* data, size_t length)
{
    if (fFd < 0)
        return B_NO_INIT;
    status_t status = WriteAll(fFd, data, length);
    if (status == B_OK)
        fPosition += length;
    return status;
}

status_t FileReplacer::WriteZeros(uint64 length)
{
    static const uint8 kZeros[4096] = {};
    while (length > 0) {
        size_t chunk = size_t(std::min<uint64>(length, sizeof(kZeros)));
        status_t status = Write(kZeros, chunk);
        if (status != B_OK)
            return status;
        length -= chunk;
    }
    return B_OK;
}

status_t FileReplacer::CopyFrom(int fd, uint64 offset, uint64 length)
{
    if (fFd < 0)
        return B_NO_INIT;
    status_t status = CopyFileRange(fd, offset, fFd, length);
    if (status == B_OK)
        fPosition += length;
    return status;
}

status_t FileReplacer::Commit(int modelFd)
{
    if (fFd < 0)
        return B_NO_INIT;
    if (modelFd >= 0) {
        struct stat st;
        if (fstat(modelFd, &st) != 0)
            return status_from_errno(errno);
        // The owner first: changing it clears set-user-id bits.
        if (st.st_uid != geteuid() || st.st_gid != getegid()) {
            if (fchown(fFd, st.st_uid, st.st_gid) != 0 && fchown(fFd, uid_t(-1), st.st_gid) != 0) {
                // Not allowed for an ordinary user; the file stays ours.
            }
        }
        if (fchmod(fFd, st.st_mode & 07777) != 0)
            return status_from_errno(errno);
        status_t status = CopyExtendedAttributes(modelFd, fFd);
        if (status != B_OK)
            return status;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        if (fchmod(fFd, 0666 & ~mask) != 0)
            return status_from_errno(errno);
    }
    if (fsync(fFd) != 0)
        return status_from_errno(errno);
    if (close(fFd) != 0) {
        fFd = -1;
        return status_from_errno(errno);
    }
    fFd = -1;
    if (rename(fTempPath.c_str(), fTarget.c_str()) != 0)
        return status_from_errno(errno);
    fTempPath.clear();
    int directory = open(DirectoryOf(fTarget).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        fsync(directory);
        close(directory);
    }
    return B_OK;
}

} // namespace ondelle::resources
