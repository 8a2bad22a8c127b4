#include <Sandbox.h>

#include "StoragePrivate.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <fcntl.h>
#include <linux/openat2.h>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

std::mutex sRootLock;
// Every root seen, so that pointers handed out stay valid for the process.
std::deque<std::pair<std::string, std::string>> sRoots; // (env value, resolved)

bool IsBelow(const std::string& path, const std::string& root)
{
    if (root == "/")
        return !path.empty() && path[0] == '/';
    return path == root || (path.size() > root.size() && path.compare(0, root.size(), root) == 0
        && path[root.size()] == '/');
}

// The quick answer for the common case, a path written below the root by
// its text: the kernel resolves the part below the root in one call and
// refuses to leave the root on the way (RESOLVE_BENEATH), so "true" here
// means the full resolution lies below the root as well. Every other case
// (a missing folder, a link that leaves and comes back, a path named
// through some other link, an older kernel) answers "undecided" and is
// left to the full resolution.
bool QuicklyBelow(const std::string& path, const std::string& root, bool followLast)
{
#ifdef SYS_openat2
    if (root == "/" || path.size() <= root.size() + 1 || path.compare(0, root.size(), root) != 0
        || path[root.size()] != '/')
        return false;
    std::string relative = path.substr(root.size() + 1);
    if (!followLast) {
        // Only the folder is resolved: a link at the very end is judged
        // by its own place.
        size_t slash = relative.rfind('/');
        std::string leaf = slash == std::string::npos ? relative : relative.substr(slash + 1);
        if (leaf.empty() || leaf == "." || leaf == "..")
            return false;
        relative = slash == std::string::npos ? std::string(".") : relative.substr(0, slash);
    }
    int rootFd = ::open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (rootFd < 0)
        return false;
    struct open_how how = {};
    how.flags = O_PATH | O_CLOEXEC;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    int fd = int(::syscall(SYS_openat2, rootFd, relative.c_str(), &how, sizeof(how)));
    ::close(rootFd);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
#else
    (void)path;
    (void)root;
    (void)followLast;
    return false;
#endif
}

} // namespace

bool sandbox_active()
{
    const char* value = std::getenv("ONDELLE_SANDBOX");
    return value != nullptr && value[0] != '\0';
}

const char* sandbox_root()
{
    const char* value = std::getenv("ONDELLE_SANDBOX");
    if (value == nullptr || value[0] == '\0')
        return nullptr;

    std::lock_guard<std::mutex> lock(sRootLock);
    for (const auto& entry : sRoots) {
        if (entry.first == value)
            return entry.second.c_str();
    }
    std::string absolute = BPrivate::make_absolute(value);
    BPrivate::make_directories(absolute, 0700);
    std::string resolved = BPrivate::resolve_path(absolute, true);
    if (resolved.empty())
        resolved = BPrivate::normalize_lexically(absolute);
    sRoots.emplace_back(value, resolved);
    return sRoots.back().second.c_str();
}

namespace BPrivate {

bool sandbox_allows(const char* path, bool followLast)
{
    if (path == nullptr || path[0] == '\0')
        return false;
    const char* root = sandbox_root();
    if (root == nullptr)
        return true;
    const std::string absolute = make_absolute(path);
    if (QuicklyBelow(absolute, root, followLast))
        return true;
    std::string resolved = resolve_path(absolute, followLast);
    if (resolved.empty())
        return false;
    return IsBelow(resolved, root);
}

status_t check_write(const std::string& path, bool followLast)
{
    stop_point();
    if (!sandbox_allows(path.c_str(), followLast))
        return B_NOT_ALLOWED;
    return B_OK;
}

} // namespace BPrivate

bool sandbox_allows_write(const char* path)
{
    return BPrivate::sandbox_allows(path, false);
}

bool sandbox_allows_program(const char* path)
{
    if (path == nullptr || path[0] == '\0')
        return false;
    const char* root = sandbox_root();
    if (root == nullptr)
        return true;
    std::string absolute = BPrivate::make_absolute(path);
    std::string resolved = BPrivate::resolve_path(absolute, false);
    if (resolved.empty())
        return false;
    if (IsBelow(resolved, root))
        return true;
    size_t slash = resolved.rfind('/');
    const std::string folder = slash == 0 || slash == std::string::npos
        ? std::string("/") : resolved.substr(0, slash);
    for (const char* allowed : {"/bin", "/usr/bin"}) {
        std::string allowedResolved = BPrivate::resolve_path(allowed, true);
        if (folder == allowed || (!allowedResolved.empty() && folder == allowedResolved))
            return true;
    }
    return false;
}
