#include <LockFile.h>

#include <Errors.h>
#include <Sandbox.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Attempts against a holder that keeps removing and making the file anew.
constexpr int kAttempts = 100;

} // namespace

BLockFile::~BLockFile()
{
    Unlock();
}

status_t BLockFile::TryLock(const char* path)
{
    Unlock();
    if (path == nullptr || *path == '\0')
        return B_BAD_VALUE;
    if (!sandbox_allows_write(path))
        return B_NOT_ALLOWED;
    for (int attempt = 0; attempt < kAttempts; attempt++) {
        const int fd = ::open(path, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
        if (fd < 0)
            return errno == ELOOP ? B_NOT_ALLOWED : status_from_errno(errno);
        struct stat held;
        if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
            ::close(fd);
            return B_NOT_ALLOWED;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            return error == EWOULDBLOCK ? B_BUSY : status_from_errno(error);
        }
        // The holder before may have removed the file between our open and
        // our lock: then the lock is on a file nobody else will look at.
        struct stat named;
        if (::lstat(path, &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino) {
            fDescriptor = fd;
            fPath = path;
            return B_OK;
        }
        ::close(fd);
    }
    return B_BUSY;
}

void BLockFile::Unlock()
{
    if (fDescriptor < 0)
        return;
    // Only the file this object locked is removed.
    struct stat held;
    struct stat named;
    if (::fstat(fDescriptor, &held) == 0 && ::lstat(fPath.c_str(), &named) == 0 && named.st_dev == held.st_dev
        && named.st_ino == held.st_ino)
        ::unlink(fPath.c_str());
    ::close(fDescriptor);
    fDescriptor = -1;
    fPath.clear();
}
