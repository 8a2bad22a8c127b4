// Text and file-system helpers for paths, shared by the kit's classes.
#include "StoragePrivate.h"

#include <cerrno>
#include <climits>
#include <deque>
#include <fcntl.h>
#include <unistd.h>

namespace BPrivate {

std::string make_absolute(const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    std::string cwd;
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return "/" + path;
        buffer.resize(buffer.size() * 2);
    }
    cwd = buffer.data();
    if (path.empty())
        return cwd;
    return join_path(cwd, path);
}

static std::vector<std::string> SplitComponents(const std::string& path)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string normalize_lexically(const std::string& absolutePath)
{
    std::vector<std::string> result;
    for (const std::string& part : SplitComponents(absolutePath)) {
        if (part == ".")
            continue;
        if (part == "..") {
            if (!result.empty())
                result.pop_back();
            continue;
        }
        result.push_back(part);
    }
    std::string path;
    for (const std::string& part : result)
        path += "/" + part;
    return path.empty() ? "/" : path;
}

// The folder part of an existing path resolved by the kernel in one walk:
// the folder is opened without following anything past it and its path
// read back. Empty when the kernel cannot answer plainly (a missing or
// removed folder, a path that is not absolute, a last component "." or
// ".."); the caller then walks the path itself.
static std::string KernelResolvedFolder(const std::string& absolutePath, std::string* leaf)
{
    if (absolutePath.empty() || absolutePath[0] != '/' || absolutePath.back() == '/')
        return std::string();
    size_t slash = absolutePath.rfind('/');
    *leaf = absolutePath.substr(slash + 1);
    if (leaf->empty() || *leaf == "." || *leaf == "..")
        return std::string();
    const std::string folder = slash == 0 ? std::string("/") : absolutePath.substr(0, slash);
    int fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return std::string();
    char buffer[PATH_MAX];
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    ssize_t length = ::readlink(proc.c_str(), buffer, sizeof(buffer));
    ::close(fd);
    if (length <= 0 || size_t(length) >= sizeof(buffer) || buffer[0] != '/')
        return std::string();
    std::string resolved(buffer, size_t(length));
    // A folder removed meanwhile reads back with a note after its name.
    static const std::string kDeleted = " (deleted)";
    if (resolved.size() > kDeleted.size()
        && resolved.compare(resolved.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0)
        return std::string();
    return resolved;
}

std::string resolve_path(const std::string& absolutePath, bool followLast)
{
    if (!followLast) {
        std::string leaf;
        std::string folder = KernelResolvedFolder(absolutePath, &leaf);
        if (!folder.empty())
            return join_path(folder, leaf);
    }

    std::deque<std::string> queue;
    for (std::string& part : SplitComponents(absolutePath))
        queue.push_back(std::move(part));

    std::string current = "/";
    int links = 0;
    while (!queue.empty()) {
        std::string part = std::move(queue.front());
        queue.pop_front();
        if (part == ".")
            continue;
        if (part == "..") {
            size_t slash = current.rfind('/');
            current = slash == 0 || slash == std::string::npos ? "/" : current.substr(0, slash);
            continue;
        }
        std::string candidate = join_path(current, part);
        if (queue.empty() && !followLast)
            return candidate;

        struct stat st;
        if (::lstat(candidate.c_str(), &st) != 0) {
            // Nothing below a missing component can be a link: the rest
            // is taken by its text.
            std::string rest = candidate;
            for (const std::string& tail : queue)
                rest += "/" + tail;
            return normalize_lexically(rest);
        }
        if (!S_ISLNK(st.st_mode)) {
            current = candidate;
            continue;
        }
        if (++links > 40)
            return std::string();
        std::vector<char> target(st.st_size > 0 ? size_t(st.st_size) + 1 : 4096);
        ssize_t length;
        for (;;) {
            length = ::readlink(candidate.c_str(), target.data(), target.size());
            if (length < 0)
                return std::string();
            if (size_t(length) < target.size())
                break;
            target.resize(target.size() * 2);
        }
        std::string text(target.data(), size_t(length));
        if (!text.empty() && text[0] == '/')
            current = "/";
        std::vector<std::string> parts = SplitComponents(text);
        for (auto it = parts.rbegin(); it != parts.rend(); ++it)
            queue.push_front(*it);
    }
    return current;
}

void split_path(const std::string& path, std::string* folder, std::string* leaf)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        *folder = ".";
        *leaf = path;
        return;
    }
    *leaf = path.substr(slash + 1);
    *folder = slash == 0 ? "/" : path.substr(0, slash);
}

std::string join_path(const std::string& folder, const std::string& leaf)
{
    if (leaf.empty())
        return folder;
    if (folder.empty())
        return leaf;
    if (folder.back() == '/')
        return folder + leaf;
    return folder + "/" + leaf;
}

status_t make_directories(const std::string& path, mode_t mode)
{
    struct stat st;
    if (::stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode) ? status_t(B_OK) : status_t(B_FILE_EXISTS);
    std::string folder, leaf;
    split_path(normalize_lexically(make_absolute(path)), &folder, &leaf);
    if (leaf.empty())
        return B_ENTRY_NOT_FOUND;
    if (folder != "/" && folder != path) {
        status_t status = make_directories(folder, mode);
        if (status != B_OK)
            return status;
    }
    if (::mkdir(path.c_str(), mode) != 0 && errno != EEXIST)
        return status_from_errno(errno);
    if (::stat(path.c_str(), &st) != 0)
        return status_from_errno(errno);
    return S_ISDIR(st.st_mode) ? status_t(B_OK) : status_t(B_FILE_EXISTS);
}

} // namespace BPrivate
