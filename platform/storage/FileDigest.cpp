#include "FileDigest.h"

#include "DataDigest.h"

#include <Errors.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

status_t file_digest(const char* path, std::string* digest)
{
    if (path == nullptr || digest == nullptr)
        return B_BAD_VALUE;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return B_ENTRY_NOT_FOUND;
        return errno == EACCES || errno == EPERM ? B_PERMISSION_DENIED : B_IO_ERROR;
    }
    // Read in large blocks, so large files are never loaded whole.
    std::vector<char> buffer(256 * 1024);
    DataDigest sum;
    status_t status = B_OK;
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            status = B_IO_ERROR;
            break;
        }
        if (got == 0)
            break;
        sum.Add(buffer.data(), size_t(got));
    }
    ::close(fd);
    if (status != B_OK)
        return status;
    const std::string text = sum.Finish();
    if (text.empty())
        return B_IO_ERROR;
    *digest = text;
    return B_OK;
}
