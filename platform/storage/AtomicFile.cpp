// Whole-file writes through a private temporary file and a rename.
#include "AtomicFile.h"

#include "Sandbox.h"

#include <Errors.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

status_t WriteAll(int fd, const std::string& data)
{
    size_t done = 0;
    while (done < data.size()) {
        ssize_t written = ::write(fd, data.data() + done, data.size() - done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return status_from_errno(errno);
        }
        done += size_t(written);
    }
    return B_OK;
}

// Gives the finished temporary file the target's name without replacing an
// entry that is there: renameat2 where the file system knows it, else a
// hard link (which fails on an existing name as well).
status_t RenameExclusive(const char* from, const char* to)
{
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return B_OK;
    if (errno != EINVAL && errno != ENOSYS)
        return status_from_errno(errno);
    if (::link(from, to) != 0)
        return status_from_errno(errno);
    ::unlink(from);
    return B_OK;
}

} // namespace


status_t
write_file_atomically(const char* path, const std::string& data, mode_t mode,
    atomic_write_mode how)
{
    if (path == nullptr || *path == '\0')
        return B_BAD_VALUE;
    if (!sandbox_allows_write(path))
        return B_NOT_ALLOWED;

    const std::string target = path;
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".")
        : slash == 0 ? std::string("/") : target.substr(0, slash);
    const std::string leaf = slash == std::string::npos ? target : target.substr(slash + 1);
    if (leaf.empty())
        return B_BAD_VALUE;

    std::string pattern = folder + "/." + leaf + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    // mkostemp creates the file with O_EXCL: nothing that exists is opened.
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return status_from_errno(errno);

    status_t status = WriteAll(fd, data);
    if (status == B_OK && ::fchmod(fd, mode) != 0)
        status = status_from_errno(errno);
    if (status == B_OK && ::fsync(fd) != 0)
        status = status_from_errno(errno);
    if (::close(fd) != 0 && status == B_OK)
        status = status_from_errno(errno);

    if (status == B_OK) {
        if (how == ATOMIC_WRITE_EXCLUSIVE)
            status = RenameExclusive(name.data(), path);
        else if (::rename(name.data(), path) != 0)
            status = status_from_errno(errno);
    }
    if (status != B_OK)
        ::unlink(name.data());
    return status;
}
