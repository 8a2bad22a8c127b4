#include <Sandbox.h>

#include "StoragePrivate.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <sys/stat.h>
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
    std::string resolved = resolve_path(make_absolute(path), followLast);
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
