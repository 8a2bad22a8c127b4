#include "AppPath.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

status_t get_app_path(std::string* path)
{
    if (path == nullptr)
        return B_BAD_VALUE;
    // A build that carries its own runtime runs the program from the
    // runtime's folder; its first stage names the build's file together
    // with the process id, which exec keeps, so that programs this one
    // starts do not take the name for theirs.
    const char* build = getenv("ONDELLE_BUILD_FILE");
    if (build != nullptr) {
        const std::string pid = std::to_string(getpid()) + ":";
        if (strncmp(build, pid.c_str(), pid.size()) == 0 && build[pid.size()] == '/') {
            *path = build + pid.size();
            return B_OK;
        }
    }
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (length < 0)
        return status_from_errno(errno);
    buffer[length] = '\0';
    // When the program's file was replaced after the start (as happens when
    // its resources are written), the kernel marks the old one as deleted;
    // the file now at that path is the program's file.
    static const char kDeleted[] = " (deleted)";
    size_t markLength = sizeof(kDeleted) - 1;
    if (size_t(length) > markLength && strcmp(buffer + length - markLength, kDeleted) == 0
        && access(buffer, F_OK) != 0) {
        buffer[length - markLength] = '\0';
        if (access(buffer, F_OK) != 0)
            return B_ENTRY_NOT_FOUND;
    }
    *path = buffer;
    return B_OK;
}

status_t get_app_path(char* buffer, size_t size)
{
    if (buffer == nullptr || size == 0)
        return B_BAD_VALUE;
    std::string path;
    status_t status = get_app_path(&path);
    if (status != B_OK)
        return status;
    if (path.size() >= size)
        return B_NAME_TOO_LONG;
    memcpy(buffer, path.c_str(), path.size() + 1);
    return B_OK;
}
