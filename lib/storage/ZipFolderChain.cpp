#include "ZipFolderChain.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Descriptors held at most: deeper archives still unpack, one level at a
// time, without running the process out of descriptors.
const size_t kMaxHeld = 64;

const int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

} // namespace

ZipFolderChain::ZipFolderChain(int root) : fRoot(root)
{
}

ZipFolderChain::~ZipFolderChain()
{
    CloseFrom(0);
}

void ZipFolderChain::CloseFrom(size_t depth)
{
    if (fDeep >= 0)
        ::close(fDeep);
    fDeep = -1;
    while (fFds.size() > depth) {
        ::close(fFds.back());
        fFds.pop_back();
        fNames.pop_back();
    }
}

int ZipFolderChain::OpenOne(int parent, const std::string& name, bool& madeIt, Failure& failure)
{
    madeIt = false;
    int fd = ::openat(parent, name.c_str(), kFolderFlags);
    if (fd < 0 && errno == ENOENT) {
        if (::mkdirat(parent, name.c_str(), 0777) == 0) {
            madeIt = true;
        } else if (errno != EEXIST) {
            failure.error = errno;
            failure.making = true;
            return -1;
        }
        fd = ::openat(parent, name.c_str(), kFolderFlags);
    }
    if (fd < 0) {
        failure.error = errno;
        struct stat st = {};
        failure.throughLink = ::fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
    }
    return fd;
}

int ZipFolderChain::Open(const std::vector<std::string>& parts, size_t count, std::vector<size_t>& made,
    Failure& failure)
{
    made.clear();
    failure = Failure();
    // Keep what the previous entry's path shares with this one.
    size_t common = 0;
    while (common < fNames.size() && common < count && fNames[common] == parts[common])
        common++;
    CloseFrom(common);
    for (size_t depth = common; depth < count; depth++) {
        const int parent = depth == 0 ? fRoot : depth <= fFds.size() ? fFds[depth - 1] : fDeep;
        bool madeIt = false;
        const int fd = OpenOne(parent, parts[depth], madeIt, failure);
        if (madeIt)
            made.push_back(depth);
        if (depth < kMaxHeld) {
            if (fd < 0)
                return -1;
            fFds.push_back(fd);
            fNames.push_back(parts[depth]);
        } else {
            if (fDeep >= 0)
                ::close(fDeep);
            fDeep = fd;
            if (fd < 0)
                return -1;
        }
    }
    if (count == 0)
        return fRoot;
    return count <= kMaxHeld ? fFds[count - 1] : fDeep;
}

int ZipFolderChain::At(size_t depth) const
{
    return depth < fFds.size() ? fFds[depth] : -1;
}
