#include "PayloadCheck.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Unreadable(int error)
{
    return std::string("cannot be read (") + std::strerror(error) + ")";
}

// Adds path's problems and returns the sub-entries of a readable folder.
std::vector<std::string> Inspect(const std::string& path, std::vector<std::string>& problems)
{
    std::vector<std::string> children;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        problems.push_back(path + ": " + Unreadable(errno));
        return children;
    }
    if (S_ISLNK(st.st_mode))
        return children;
    if (S_ISREG(st.st_mode)) {
        // Opening tells what a permission check cannot (ACLs, root squash).
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            problems.push_back(path + ": " + Unreadable(errno));
        else
            ::close(fd);
        return children;
    }
    if (!S_ISDIR(st.st_mode)) {
        problems.push_back(path + ": is " + NodeKindText(st.st_mode) + "; only files, folders and links can be packed");
        return children;
    }
    DIR* folder = ::opendir(path.c_str());
    if (folder == nullptr) {
        problems.push_back(path + ": " + Unreadable(errno));
        return children;
    }
    while (const struct dirent* entry = ::readdir(folder)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            children.push_back(path + "/" + entry->d_name);
    }
    ::closedir(folder);
    std::sort(children.begin(), children.end());
    return children;
}

} // namespace

std::string NodeKindText(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO (named pipe)";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    return S_ISREG(mode) ? "a file" : S_ISLNK(mode) ? "a link" : "of an unknown kind";
}

std::vector<std::string> PayloadProblems(const std::string& path, size_t limit)
{
    std::vector<std::string> problems;
    // Depth first without recursion: payloads may be deep.
    std::vector<std::string> pending{path};
    while (!pending.empty()) {
        const std::string next = std::move(pending.back());
        pending.pop_back();
        std::vector<std::string> children = Inspect(next, problems);
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
    if (problems.size() > limit) {
        const size_t more = problems.size() - limit;
        problems.resize(limit);
        problems.push_back("and " + std::to_string(more) + " more entries that cannot be packed");
    }
    return problems;
}
