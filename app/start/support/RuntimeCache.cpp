#include "RuntimeCache.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kSealName = ".seal";

// Only this user may change an entry, and it belongs to them.
bool Private(const struct stat& status)
{
    return status.st_uid == ::getuid() && (status.st_mode & 022) == 0;
}

std::string OwnerText(const struct stat& status)
{
    if (status.st_uid != ::getuid())
        return "belongs to another user (uid " + std::to_string(status.st_uid) + ")";
    return "may be changed by other users";
}

// One line per entry below folder, sorted; false when the folder cannot be
// read or holds an entry of another user.
bool ListTree(const std::string& folder, const std::string& relative, std::vector<std::string>& lines,
    std::string& problem)
{
    const std::string path = relative.empty() ? folder : folder + "/" + relative;
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) {
        problem = path + ": cannot be read";
        return false;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." || (relative.empty() && name == kSealName))
            continue;
        names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const std::string child = relative.empty() ? name : relative + "/" + name;
        struct stat status;
        if (::lstat((folder + "/" + child).c_str(), &status) != 0) {
            problem = child + ": cannot be read";
            return false;
        }
        if (!Private(status)) {
            problem = child + ": " + OwnerText(status);
            return false;
        }
        const char type = S_ISDIR(status.st_mode) ? 'd' : S_ISREG(status.st_mode) ? 'f' : '?';
        std::ostringstream line;
        line << type << ' ' << std::oct << (status.st_mode & 07777) << std::dec << ' '
             << (type == 'f' ? uint64_t(status.st_size) : 0) << ' ' << status.st_ino << ' '
             << status.st_ctim.tv_sec << '.' << status.st_ctim.tv_nsec << ' ' << child;
        lines.push_back(line.str());
        if (type == 'd' && !ListTree(folder, child, lines, problem))
            return false;
    }
    return true;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

// Makes path and its missing parents, private to this user.
bool MakeFolders(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path target(path);
    std::filesystem::path current;
    for (const auto& part : target) {
        current /= part;
        if (::mkdir(current.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

// Renames a folder that is not as sealed aside and removes it.
std::string RemoveStale(const std::string& root, const std::string& folder)
{
    std::string aside = root + "/.stale-XXXXXX";
    std::vector<char> pattern(aside.begin(), aside.end());
    pattern.push_back('\0');
    if (::mkdtemp(pattern.data()) == nullptr)
        return root + ": no folder can be made there";
    aside = pattern.data();
    if (::rename(folder.c_str(), (aside + "/old").c_str()) != 0)
        return folder + ": is not as it was unpacked and cannot be moved aside (" + std::strerror(errno) + ")";
    std::error_code error;
    std::filesystem::remove_all(aside, error);
    return std::string();
}

// Removes what starts that were killed while unpacking, or while removing a
// changed folder, left behind: folders of this user named like the
// temporary ones, untouched for an hour (an unpack that runs takes seconds).
void RemoveLeftovers(const std::string& root)
{
    DIR* dir = ::opendir(root.c_str());
    if (dir == nullptr)
        return;
    std::vector<std::string> leftovers;
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.rfind(".runtime-", 0) != 0 && name.rfind(".stale-", 0) != 0)
            continue;
        struct stat status;
        const std::string path = root + "/" + name;
        if (::lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == ::getuid()
            && now - status.st_mtime > 3600)
            leftovers.push_back(path);
    }
    ::closedir(dir);
    for (const std::string& path : leftovers) {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }
}

} // namespace

std::string RuntimeCacheRoot(std::string& root)
{
    std::string base;
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache != nullptr && cache[0] == '/') {
        base = cache;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] != '/')
            return "neither XDG_CACHE_HOME nor HOME names a folder to unpack the runtime in";
        base = std::string(home) + "/.cache";
    }
    root = base + "/ondelle";
    if (!MakeFolders(root))
        return root + ": cannot be made (" + std::strerror(errno) + ")";
    struct stat status;
    if (::lstat(root.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
        return root + ": is not a folder";
    if (!Private(status))
        return root + ": " + OwnerText(status) + "; it is not used";
    return std::string();
}

std::string SealRuntimeFolder(const std::string& folder)
{
    std::vector<std::string> lines;
    std::string problem;
    if (!ListTree(folder, std::string(), lines, problem))
        return problem;
    const std::string text = Joined(lines);
    const std::string seal = folder + "/" + kSealName;
    const int fd = ::open(seal.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return seal + ": cannot be written (" + std::strerror(errno) + ")";
    const bool written = ::write(fd, text.data(), text.size()) == ssize_t(text.size());
    const int error = written ? 0 : errno;
    if (::close(fd) != 0 || !written)
        return seal + (error == ENOSPC ? ": the disk is full" : ": cannot be written");
    return std::string();
}

std::string CheckRuntimeSeal(const std::string& folder)
{
    struct stat status;
    if (::lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
        return folder + ": is not a folder";
    if (!Private(status) || (status.st_mode & 077) != 0)
        return folder + ": " + (status.st_uid != ::getuid() ? OwnerText(status) : "is open to other users");
    const std::string seal = folder + "/" + kSealName;
    const int fd = ::open(seal.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat sealStatus;
    if (fd < 0 || ::fstat(fd, &sealStatus) != 0 || !S_ISREG(sealStatus.st_mode) || !Private(sealStatus)
        || sealStatus.st_size > (16 << 20)) {
        if (fd >= 0)
            ::close(fd);
        return folder + ": has no seal of its own";
    }
    std::string sealed(size_t(sealStatus.st_size), '\0');
    const bool read = ::read(fd, sealed.data(), sealed.size()) == ssize_t(sealed.size());
    ::close(fd);
    if (!read)
        return seal + ": cannot be read";
    std::vector<std::string> lines;
    std::string problem;
    if (!ListTree(folder, std::string(), lines, problem))
        return problem;
    if (Joined(lines) != sealed)
        return folder + ": is not as it was unpacked";
    return std::string();
}

std::string PrepareRuntimeFolder(const std::string& root, const std::string& name, const RuntimeFill& fill,
    std::string& folder, bool& unpacked)
{
    unpacked = false;
    folder = root + "/" + name;
    struct stat status;
    if (::lstat(folder.c_str(), &status) == 0) {
        // Another user's folder is neither used nor touched.
        if (status.st_uid != ::getuid())
            return folder + ": " + OwnerText(status) + "; it is not used. Remove it, or set XDG_CACHE_HOME to a "
                "folder of your own";
        if (CheckRuntimeSeal(folder).empty())
            return std::string();
        const std::string error = RemoveStale(root, folder);
        if (!error.empty())
            return error;
    }

    RemoveLeftovers(root);
    std::string temporary = root + "/." + name + "-XXXXXX";
    std::vector<char> pattern(temporary.begin(), temporary.end());
    pattern.push_back('\0');
    if (::mkdtemp(pattern.data()) == nullptr)
        return root + ": no folder can be made there (" + std::strerror(errno) + ")";
    temporary = pattern.data();
    std::string error = fill(temporary);
    if (error.empty())
        error = SealRuntimeFolder(temporary);
    if (error.empty() && ::rename(temporary.c_str(), folder.c_str()) != 0) {
        // Another start unpacked the same runtime at the same time: its
        // folder is used when it is whole.
        error = CheckRuntimeSeal(folder);
    }
    if (!error.empty() || ::access(temporary.c_str(), F_OK) == 0) {
        std::error_code removeError;
        std::filesystem::remove_all(temporary, removeError);
    }
    if (!error.empty())
        return error;
    unpacked = true;
    return std::string();
}
