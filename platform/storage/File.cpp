#include <File.h>

#include <Directory.h>
#include <Entry.h>

#include "StoragePrivate.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

using namespace BPrivate;

namespace {

constexpr uint32 kAllowedModes = O_ACCMODE | O_CREAT | O_EXCL | O_TRUNC | O_APPEND;

bool Writes(uint32 openMode)
{
    return (openMode & O_ACCMODE) != O_RDONLY || (openMode & (O_CREAT | O_TRUNC)) != 0;
}

} // namespace

BFile::BFile()
    : fMode(0)
{
}

BFile::BFile(const BFile& file)
    : BNode(),
      fMode(0)
{
    *this = file;
}

BFile::BFile(const entry_ref* ref, uint32 openMode)
    : fMode(0)
{
    SetTo(ref, openMode);
}

BFile::BFile(const BEntry* entry, uint32 openMode)
    : fMode(0)
{
    SetTo(entry, openMode);
}

BFile::BFile(const char* path, uint32 openMode)
    : fMode(0)
{
    SetTo(path, openMode);
}

BFile::BFile(const BDirectory* dir, const char* path, uint32 openMode)
    : fMode(0)
{
    SetTo(dir, path, openMode);
}

BFile::~BFile() = default;

status_t BFile::SetTo(const entry_ref* ref, uint32 openMode)
{
    if (ref == nullptr) {
        Unset();
        return fStatus = B_BAD_VALUE;
    }
    BEntry entry(ref);
    return SetTo(&entry, openMode);
}

status_t BFile::SetTo(const BEntry* entry, uint32 openMode)
{
    if (entry == nullptr || entry->InitCheck() != B_OK) {
        Unset();
        return fStatus = B_BAD_VALUE;
    }
    return OpenFile(entry->PathName(), openMode);
}

status_t BFile::SetTo(const char* path, uint32 openMode)
{
    if (path == nullptr || path[0] == '\0') {
        Unset();
        return fStatus = B_BAD_VALUE;
    }
    return OpenFile(make_absolute(path), openMode);
}

status_t BFile::SetTo(const BDirectory* dir, const char* path, uint32 openMode)
{
    if (path == nullptr) {
        Unset();
        return fStatus = B_BAD_VALUE;
    }
    if (path[0] == '/')
        return SetTo(path, openMode);
    if (dir == nullptr || dir->InitCheck() != B_OK) {
        Unset();
        return fStatus = B_BAD_VALUE;
    }
    return OpenFile(join_path(dir->PathName(), path), openMode);
}

status_t BFile::OpenFile(const std::string& absolutePath, uint32 openMode)
{
    Unset();
    fMode = 0;
    if ((openMode & ~kAllowedModes) != 0 || (openMode & O_ACCMODE) == O_ACCMODE)
        return fStatus = B_BAD_VALUE;
    if (Writes(openMode)) {
        // Opening follows a link at the end: the place written is its target.
        status_t status = check_write(absolutePath, true);
        if (status != B_OK)
            return fStatus = status;
    }
    int fd = ::open(absolutePath.c_str(), int(openMode) | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0)
        return fStatus = status_from_errno(errno);
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        int error = errno;
        ::close(fd);
        return fStatus = status_from_errno(error);
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        return fStatus = B_IS_A_DIRECTORY;
    }
    std::string resolved = resolve_path(absolutePath, true);
    Adopt(fd, true, resolved.empty() ? absolutePath : resolved, false);
    fMode = openMode;
    return B_OK;
}

bool BFile::IsReadable() const
{
    return fStatus == B_OK && (fMode & O_ACCMODE) != O_WRONLY;
}

bool BFile::IsWritable() const
{
    return fStatus == B_OK && (fMode & O_ACCMODE) != O_RDONLY;
}

ssize_t BFile::Read(void* buffer, size_t size)
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (buffer == nullptr && size > 0)
        return B_BAD_VALUE;
    ssize_t result;
    do {
        result = ::read(fFd, buffer, size);
    } while (result < 0 && errno == EINTR);
    return result < 0 ? ssize_t(status_from_errno(errno)) : result;
}

ssize_t BFile::ReadAt(off_t location, void* buffer, size_t size)
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (location < 0 || (buffer == nullptr && size > 0))
        return B_BAD_VALUE;
    ssize_t result;
    do {
        result = ::pread(fFd, buffer, size, location);
    } while (result < 0 && errno == EINTR);
    return result < 0 ? ssize_t(status_from_errno(errno)) : result;
}

ssize_t BFile::Write(const void* buffer, size_t size)
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (buffer == nullptr && size > 0)
        return B_BAD_VALUE;
    stop_point();
    size_t done = 0;
    while (done < size) {
        ssize_t result = ::write(fFd, static_cast<const char*>(buffer) + done, size - done);
        if (result < 0) {
            if (errno == EINTR)
                continue;
            return done > 0 ? ssize_t(done) : ssize_t(status_from_errno(errno));
        }
        done += size_t(result);
    }
    return ssize_t(done);
}

ssize_t BFile::WriteAt(off_t location, const void* buffer, size_t size)
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (location < 0 || (buffer == nullptr && size > 0))
        return B_BAD_VALUE;
    stop_point();
    size_t done = 0;
    while (done < size) {
        ssize_t result = ::pwrite(fFd, static_cast<const char*>(buffer) + done, size - done,
            location + off_t(done));
        if (result < 0) {
            if (errno == EINTR)
                continue;
            return done > 0 ? ssize_t(done) : ssize_t(status_from_errno(errno));
        }
        done += size_t(result);
    }
    return ssize_t(done);
}

off_t BFile::Seek(off_t offset, uint32 seekMode)
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (seekMode != SEEK_SET && seekMode != SEEK_CUR && seekMode != SEEK_END)
        return B_BAD_VALUE;
    off_t result = ::lseek(fFd, offset, int(seekMode));
    return result < 0 ? off_t(status_from_errno(errno)) : result;
}

off_t BFile::Position() const
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    off_t result = ::lseek(fFd, 0, SEEK_CUR);
    return result < 0 ? off_t(status_from_errno(errno)) : result;
}

status_t BFile::SetSize(off_t size)
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (size < 0)
        return B_BAD_VALUE;
    if (!IsWritable())
        return B_PERMISSION_DENIED;
    stop_point();
    return ::ftruncate(fFd, size) == 0 ? B_OK : status_from_errno(errno);
}

status_t BFile::GetSize(off_t* size) const
{
    return BStatable::GetSize(size);
}

BFile& BFile::operator=(const BFile& file)
{
    if (this != &file) {
        BNode::operator=(file);
        fMode = file.fMode;
    }
    return *this;
}
