// In-process renames, removals and copies of whole entries.
#include <EntryTree.h>

#include <Errors.h>
#include <Node.h>
#include "StoragePrivate.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace BPrivate;

namespace {

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fFd(fd) {}
    ~Descriptor()
    {
        if (fFd >= 0)
            ::close(fFd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fFd; }

private:
    int fFd;
};

status_t LastError()
{
    return status_from_errno(errno);
}

// Names in the folder open at fd, without "." and ".."; each with whether
// the folder listing says it is a folder (DT_UNKNOWN counts as maybe).
struct FolderEntry {
    std::string name;
    unsigned char type;
};

status_t ListFolder(int fd, std::vector<FolderEntry>* entries)
{
    const int listFd = ::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0)
        return LastError();
    DIR* dir = ::fdopendir(listFd);
    if (dir == nullptr) {
        const status_t status = LastError();
        ::close(listFd);
        return status;
    }
    errno = 0;
    while (const struct dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            entries->push_back({entry->d_name, entry->d_type});
        errno = 0;
    }
    const status_t status = errno != 0 ? LastError() : B_OK;
    ::closedir(dir);
    return status;
}

// Removes everything inside the folder open at folder. Every sub-folder is
// opened relative to its parent with O_NOFOLLOW, so a link swapped in for
// a folder is refused rather than followed.
status_t EmptyFolder(int folder)
{
    std::vector<FolderEntry> entries;
    status_t first = ListFolder(folder, &entries);
    for (const FolderEntry& entry : entries) {
        stop_point();
        const char* name = entry.name.c_str();
        if (entry.type != DT_DIR && ::unlinkat(folder, name, 0) == 0)
            continue;
        if (entry.type != DT_DIR && errno != EISDIR) {
            if (errno != ENOENT && first == B_OK)
                first = LastError();
            continue;
        }
        Descriptor child(::openat(folder, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (child.Get() < 0) {
            // Replaced by something that is not a folder since the listing.
            if ((errno == ENOTDIR || errno == ELOOP) && ::unlinkat(folder, name, 0) == 0)
                continue;
            if (errno != ENOENT && first == B_OK)
                first = LastError();
            continue;
        }
        const status_t inner = EmptyFolder(child.Get());
        if (inner != B_OK && first == B_OK)
            first = inner;
        if (::unlinkat(folder, name, AT_REMOVEDIR) != 0 && errno != ENOENT && first == B_OK)
            first = LastError();
    }
    return first;
}

bool IsAttributeToCopy(const char* name)
{
    return std::strncmp(name, "user.", 5) == 0 && std::strcmp(name, "user.beos.probe") != 0;
}

// Names of the extended attributes of the open node.
status_t ListAttributes(int fd, std::vector<std::string>* names)
{
    std::vector<char> buffer(1024);
    for (int attempt = 0; attempt < 8; ++attempt) {
        const ssize_t size = ::flistxattr(fd, buffer.data(), buffer.size());
        if (size >= 0) {
            for (ssize_t at = 0; at < size;) {
                const char* name = buffer.data() + at;
                if (IsAttributeToCopy(name))
                    names->emplace_back(name);
                at += ssize_t(std::strlen(name)) + 1;
            }
            return B_OK;
        }
        if (errno == ENOTSUP)
            return B_OK;
        if (errno != ERANGE)
            return LastError();
        const ssize_t needed = ::flistxattr(fd, nullptr, 0);
        if (needed < 0)
            return LastError();
        buffer.resize(size_t(needed) + 64);
    }
    return B_BUSY;
}

class TreeCopier {
public:
    explicit TreeCopier(copy_tree_options* options) : fOptions(options) {}

    status_t Result() const { return fFirst; }

    void CopyEntry(const std::string& from, const std::string& to)
    {
        stop_point();
        struct stat st;
        if (::lstat(from.c_str(), &st) != 0)
            return Fail(LastError());
        if (S_ISDIR(st.st_mode))
            CopyFolder(from, to, st);
        else if (S_ISREG(st.st_mode))
            CopyFile(from, to, st);
        else if (S_ISLNK(st.st_mode))
            CopyLink(from, to, st);
        else
            CopySpecial(to, st);
    }

private:
    void Fail(status_t status)
    {
        if (fFirst == B_OK)
            fFirst = status;
    }

    // Copies the attributes of one open node to another. A destination
    // that keeps no attributes at all is noted, not counted as an error.
    void CopyAttributes(int from, int to)
    {
        std::vector<std::string> names;
        const status_t listed = ListAttributes(from, &names);
        if (listed != B_OK)
            return Fail(listed);
        std::vector<char> value;
        for (const std::string& name : names) {
            const ssize_t size = ::fgetxattr(from, name.c_str(), nullptr, 0);
            if (size < 0) {
                if (errno != ENODATA)
                    Fail(LastError());
                continue;
            }
            value.resize(size_t(size));
            const ssize_t got = ::fgetxattr(from, name.c_str(), value.data(), value.size());
            if (got < 0) {
                if (errno != ENODATA)
                    Fail(LastError());
                continue;
            }
            if (::fsetxattr(to, name.c_str(), value.data(), size_t(got), 0) == 0)
                continue;
            if (errno == ENOTSUP || errno == EOPNOTSUPP) {
                fOptions->attributesLost = true;
                return;
            }
            Fail(LastError());
        }
    }

    void KeepTimes(int fd, const struct stat& st)
    {
        if (!fOptions->keepModesAndTimes)
            return;
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        if (::futimens(fd, times) != 0)
            Fail(LastError());
    }

    void KeepMode(int fd, const struct stat& st)
    {
        if (fOptions->keepModesAndTimes && ::fchmod(fd, st.st_mode & 07777) != 0)
            Fail(LastError());
    }

    // The data, by copy_file_range where the kernel can, by reads and
    // writes otherwise (across file system types, on old kernels).
    status_t CopyData(int from, int to)
    {
        bool ranges = true;
        std::vector<char> buffer;
        for (;;) {
            if (ranges) {
                const ssize_t done = ::copy_file_range(from, nullptr, to, nullptr, size_t(1) << 30, 0);
                if (done > 0)
                    continue;
                if (done == 0)
                    return B_OK;
                if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP
                    && errno != EPERM)
                    return LastError();
                ranges = false;
                buffer.resize(size_t(1) << 18);
            }
            const ssize_t got = ::read(from, buffer.data(), buffer.size());
            if (got == 0)
                return B_OK;
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                return LastError();
            }
            for (ssize_t written = 0; written < got;) {
                const ssize_t now = ::write(to, buffer.data() + written, size_t(got - written));
                if (now < 0) {
                    if (errno == EINTR)
                        continue;
                    return LastError();
                }
                written += now;
            }
        }
    }

    // Opens the destination file for writing without following a link at
    // it; what cannot be opened (a link, a file without write permission)
    // is removed and created afresh, as a forced copy does.
    int OpenTarget(const std::string& to, mode_t mode)
    {
        const int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC;
        int fd = ::open(to.c_str(), flags, mode);
        if (fd >= 0 || errno == EISDIR || errno == ENOENT || errno == ENOSPC || errno == EDQUOT)
            return fd;
        if (::unlink(to.c_str()) != 0)
            return -1;
        return ::open(to.c_str(), flags | O_EXCL, mode);
    }

    void CopyFile(const std::string& from, const std::string& to, const struct stat& st)
    {
        Descriptor source(::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        if (source.Get() < 0)
            return Fail(LastError());
        Descriptor target(OpenTarget(to, st.st_mode & 0777));
        if (target.Get() < 0)
            return Fail(LastError());
        // The same file under another name (a hard link, the source itself)
        // is left alone rather than emptied.
        struct stat existing;
        if (::fstat(target.Get(), &existing) != 0)
            return Fail(LastError());
        if (existing.st_dev == st.st_dev && existing.st_ino == st.st_ino)
            return Fail(B_BAD_VALUE);
        if (existing.st_size != 0 && ::ftruncate(target.Get(), 0) != 0)
            return Fail(LastError());
        const status_t copied = CopyData(source.Get(), target.Get());
        if (copied != B_OK)
            return Fail(copied);
        CopyAttributes(source.Get(), target.Get());
        KeepMode(target.Get(), st);
        KeepTimes(target.Get(), st);
    }

    void CopyLink(const std::string& from, const std::string& to, const struct stat& st)
    {
        std::vector<char> target(size_t(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
        const ssize_t length = ::readlink(from.c_str(), target.data(), target.size());
        if (length < 0)
            return Fail(LastError());
        if (size_t(length) >= target.size())
            return Fail(B_NAME_TOO_LONG);
        target[size_t(length)] = '\0';
        if (::symlink(target.data(), to.c_str()) != 0) {
            struct stat existing;
            if (errno != EEXIST || ::lstat(to.c_str(), &existing) != 0)
                return Fail(LastError());
            if (S_ISDIR(existing.st_mode))
                return Fail(B_IS_A_DIRECTORY);
            if (::unlink(to.c_str()) != 0 || ::symlink(target.data(), to.c_str()) != 0)
                return Fail(LastError());
        }
        // Linux keeps no attributes on links; a kit that does keeps them here.
        copy_attributes(from.c_str(), to.c_str());
        if (fOptions->keepModesAndTimes) {
            const struct timespec times[2] = {st.st_atim, st.st_mtim};
            ::utimensat(AT_FDCWD, to.c_str(), times, AT_SYMLINK_NOFOLLOW);
        }
    }

    void CopySpecial(const std::string& to, const struct stat& st)
    {
        ::unlink(to.c_str());
        const int made = S_ISFIFO(st.st_mode) ? ::mkfifo(to.c_str(), st.st_mode & 0777)
                                              : ::mknod(to.c_str(), st.st_mode, st.st_rdev);
        if (made != 0)
            Fail(LastError());
    }

    void CopyFolder(const std::string& from, const std::string& to, const struct stat& st)
    {
        // Made writable for the owner while it is filled; its own mode is
        // set once its entries are in.
        const mode_t mode = fOptions->keepModesAndTimes ? ((st.st_mode & 0777) | S_IRWXU) : (st.st_mode & 0777);
        if (::mkdir(to.c_str(), mode) != 0 && errno != EEXIST)
            return Fail(LastError());
        Descriptor source(::open(from.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (source.Get() < 0)
            return Fail(LastError());
        Descriptor target(::open(to.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (target.Get() < 0)
            return Fail(errno == ENOTDIR || errno == ELOOP ? B_FILE_EXISTS : LastError());
        CopyAttributes(source.Get(), target.Get());
        std::vector<FolderEntry> entries;
        const status_t listed = ListFolder(source.Get(), &entries);
        if (listed != B_OK)
            Fail(listed);
        for (const FolderEntry& entry : entries)
            CopyEntry(join_path(from, entry.name), join_path(to, entry.name));
        KeepMode(target.Get(), st);
        KeepTimes(target.Get(), st);
    }

    copy_tree_options* fOptions;
    status_t fFirst = B_OK;
};

// Whether the folder at inner lies at or below the folder at outer, by
// their real paths.
bool LiesWithin(const std::string& inner, const std::string& outer)
{
    char innerReal[PATH_MAX];
    char outerReal[PATH_MAX];
    if (::realpath(inner.c_str(), innerReal) == nullptr || ::realpath(outer.c_str(), outerReal) == nullptr)
        return false;
    const std::string in = innerReal;
    const std::string out = outerReal;
    return in == out || (in.size() > out.size() && in.compare(0, out.size(), out) == 0
                            && (out == "/" || in[out.size()] == '/'));
}

} // namespace

status_t rename_entry(const char* from, const char* to)
{
    if (from == nullptr || to == nullptr || *from == '\0' || *to == '\0')
        return B_BAD_VALUE;
    status_t status = check_write(make_absolute(from));
    if (status == B_OK)
        status = check_write(make_absolute(to));
    if (status != B_OK)
        return status;
    return ::rename(from, to) == 0 ? B_OK : LastError();
}

status_t remove_tree(const char* path)
{
    if (path == nullptr || *path == '\0')
        return B_BAD_VALUE;
    const status_t allowed = check_write(make_absolute(path));
    if (allowed != B_OK)
        return allowed;
    if (::unlink(path) == 0 || errno == ENOENT)
        return B_OK;
    if (errno != EISDIR)
        return LastError();
    Descriptor folder(::open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.Get() < 0)
        return errno == ENOENT ? B_OK : LastError();
    const status_t emptied = EmptyFolder(folder.Get());
    if (::rmdir(path) == 0 || errno == ENOENT)
        return B_OK;
    return emptied != B_OK ? emptied : LastError();
}

status_t copy_tree(const char* from, const char* to, copy_tree_options* options)
{
    if (from == nullptr || to == nullptr || *from == '\0' || *to == '\0' || options == nullptr)
        return B_BAD_VALUE;
    const std::string target = make_absolute(to);
    const status_t allowed = check_write(target);
    if (allowed != B_OK)
        return allowed;
    struct stat st;
    if (::lstat(from, &st) != 0)
        return LastError();
    std::string folder;
    std::string leaf;
    split_path(normalize_lexically(target), &folder, &leaf);
    if (S_ISDIR(st.st_mode) && (LiesWithin(folder, from) || LiesWithin(target, from)))
        return B_BAD_VALUE;
    TreeCopier copier(options);
    copier.CopyEntry(make_absolute(from), target);
    return copier.Result();
}
