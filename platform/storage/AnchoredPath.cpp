#include "AnchoredPath.h"

#include "DataDigest.h"

#include <Errors.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

// A descriptor closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fFd(fd) {}
    ~Descriptor() { Reset(-1); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fFd; }
    int Release()
    {
        const int fd = fFd;
        fFd = -1;
        return fd;
    }
    void Reset(int fd)
    {
        if (fFd >= 0)
            ::close(fFd);
        fFd = fd;
    }

private:
    int fFd;
};

status_t FromErrno(int error)
{
    switch (error) {
        case ENOENT:
            return B_ENTRY_NOT_FOUND;
        case EACCES:
        case EPERM:
            return B_PERMISSION_DENIED;
        case ENOTEMPTY:
        case EEXIST:
            return B_DIRECTORY_NOT_EMPTY;
        case EROFS:
            return B_READ_ONLY_DEVICE;
        case EBUSY:
            return B_BUSY;
        case ELOOP:
        case ENOTDIR:
            return B_NOT_ALLOWED;
        default:
            return B_ERROR;
    }
}

std::vector<std::string> Components(const std::string& relative)
{
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= relative.size()) {
        const size_t slash = relative.find('/', start);
        const size_t end = slash == std::string::npos ? relative.size() : slash;
        names.push_back(relative.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

} // namespace


AnchoredPath::AnchoredPath(const std::string& root, dev_t rootDevice, ino_t rootNode,
    const std::string& path)
    :
    fRoot(root),
    fRootDevice(rootDevice),
    fRootNode(rootNode)
{
    if (!IsPlainAbsolute(path) || !IsPlainAbsolute(root) || root == "/")
        return;
    if (path.size() <= root.size() + 1 || path.compare(0, root.size(), root) != 0
        || path[root.size()] != '/')
        return;
    fRelative = path.substr(root.size() + 1);
    fValid = true;
}


bool
AnchoredPath::IsPlainAbsolute(const std::string& text)
{
    if (text.empty() || text[0] != '/')
        return false;
    if (text == "/")
        return true;
    for (const std::string& name : Components(text.substr(1))) {
        if (name.empty() || name == "." || name == "..")
            return false;
    }
    return true;
}


int
AnchoredPath::_OpenParent(std::string* leaf) const
{
    if (!fValid) {
        errno = EINVAL;
        return -1;
    }
    Descriptor folder(::open(fRoot.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.Get() < 0)
        return -1;
    struct stat st;
    if (::fstat(folder.Get(), &st) != 0)
        return -1;
    if ((fRootDevice != 0 || fRootNode != 0) && (st.st_dev != fRootDevice || st.st_ino != fRootNode)) {
        // The folder looked through was replaced since.
        errno = ELOOP;
        return -1;
    }
    const std::vector<std::string> names = Components(fRelative);
    for (size_t i = 0; i + 1 < names.size(); i++) {
        const int next = ::openat(folder.Get(), names[i].c_str(),
            O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0)
            return -1;
        folder.Reset(next);
    }
    *leaf = names.back();
    return folder.Release();
}


status_t
AnchoredPath::Stat(struct stat* st) const
{
    std::string leaf;
    Descriptor parent(_OpenParent(&leaf));
    if (parent.Get() < 0)
        return FromErrno(errno);
    if (::fstatat(parent.Get(), leaf.c_str(), st, AT_SYMLINK_NOFOLLOW) != 0)
        return FromErrno(errno);
    return B_OK;
}


status_t
AnchoredPath::ReadLink(std::string* target) const
{
    std::string leaf;
    Descriptor parent(_OpenParent(&leaf));
    if (parent.Get() < 0)
        return FromErrno(errno);
    std::vector<char> buffer(4096);
    const ssize_t length = ::readlinkat(parent.Get(), leaf.c_str(), buffer.data(), buffer.size());
    if (length < 0)
        return FromErrno(errno);
    if (size_t(length) >= buffer.size())
        return B_NAME_TOO_LONG;
    target->assign(buffer.data(), size_t(length));
    return B_OK;
}


status_t
AnchoredPath::Digest(std::string* digest) const
{
    std::string leaf;
    Descriptor parent(_OpenParent(&leaf));
    if (parent.Get() < 0)
        return FromErrno(errno);
    // O_NONBLOCK: a FIFO put in the file's place must not hold the reader.
    Descriptor file(::openat(parent.Get(), leaf.c_str(),
        O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.Get() < 0)
        return FromErrno(errno);
    struct stat st;
    if (::fstat(file.Get(), &st) != 0)
        return FromErrno(errno);
    if (!S_ISREG(st.st_mode))
        return B_BAD_TYPE;
    std::vector<char> buffer(256 * 1024);
    DataDigest sum;
    for (;;) {
        const ssize_t got = ::read(file.Get(), buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return B_IO_ERROR;
        if (got == 0)
            break;
        sum.Add(buffer.data(), size_t(got));
    }
    const std::string text = sum.Finish();
    if (text.empty())
        return B_IO_ERROR;
    *digest = text;
    return B_OK;
}


status_t
AnchoredPath::Remove(const struct stat& expected) const
{
    std::string leaf;
    Descriptor parent(_OpenParent(&leaf));
    if (parent.Get() < 0)
        return FromErrno(errno);
    struct stat now;
    if (::fstatat(parent.Get(), leaf.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0)
        return FromErrno(errno);
    if (now.st_dev != expected.st_dev || now.st_ino != expected.st_ino
        || (now.st_mode & S_IFMT) != (expected.st_mode & S_IFMT))
        return B_BAD_VALUE;
    if (S_ISREG(now.st_mode)
        && (now.st_size != expected.st_size || now.st_mtim.tv_sec != expected.st_mtim.tv_sec
            || now.st_mtim.tv_nsec != expected.st_mtim.tv_nsec))
        return B_BAD_VALUE;
    // unlinkat never follows the entry itself: a link is removed as a link.
    if (::unlinkat(parent.Get(), leaf.c_str(), S_ISDIR(now.st_mode) ? AT_REMOVEDIR : 0) != 0)
        return FromErrno(errno);
    return B_OK;
}
