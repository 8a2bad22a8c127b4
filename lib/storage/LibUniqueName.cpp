// Unique temporary names and the search along a path variable.
#include "LibFileUtils.h"

#include "ToolRunner.h"

#include <File.h>
#include <FindDirectory.h>
#include <LibStringIterator.h>
#include <StopPoint.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Advanced before each name: 1, 2, ..., 10000, then 1 again.
std::atomic<int32> sCounter{0};

int32 NextCounter()
{
    int32 current = sCounter.load();
    int32 next;
    do {
        next = current >= 10000 ? 1 : current + 1;
    } while (!sCounter.compare_exchange_weak(current, next));
    return next;
}

const int kCreateAttempts = 1000;

} // namespace

void LibUniqueName(BPath& path, const char* prefix)
{
    if (path.InitCheck() != B_OK || path.Path() == nullptr || *path.Path() == '\0')
        find_directory(B_COMMON_TEMP_DIRECTORY, &path, true);
    char name[256];
    snprintf(name, sizeof(name), "%s%ld%ld%ld", prefix != nullptr ? prefix : "", long(NextCounter()),
        long(::getpid()), long(::time(nullptr)));
    path.Append(name);
}

status_t LibCreateUniqueFile(BPath& path, const char* prefix, BFile& file)
{
    stop_point();
    const BPath base = path;
    status_t status = B_ERROR;
    for (int attempt = 0; attempt < kCreateAttempts; attempt++) {
        BPath candidate = base;
        LibUniqueName(candidate, prefix);
        if (candidate.Path() == nullptr)
            return B_BAD_VALUE;
        if (!MayChange("LibCreateUniqueFile", candidate.Path()))
            return B_NOT_ALLOWED;
        // Exclusive creation fails on any existing entry, a planted link
        // included, instead of writing through it.
        status = file.SetTo(candidate.Path(), B_READ_WRITE | B_CREATE_FILE | B_FAIL_IF_EXISTS);
        if (status == B_OK) {
            file.SetPermissions(0600);
            path = candidate;
            return B_OK;
        }
        if (status != B_FILE_EXISTS)
            return status;
    }
    return status;
}

status_t LibCreateUniqueFolder(BPath& path, const char* prefix)
{
    stop_point();
    const BPath base = path;
    for (int attempt = 0; attempt < kCreateAttempts; attempt++) {
        BPath candidate = base;
        LibUniqueName(candidate, prefix);
        if (candidate.Path() == nullptr)
            return B_BAD_VALUE;
        if (!MayChange("LibCreateUniqueFolder", candidate.Path()))
            return B_NOT_ALLOWED;
        if (::mkdir(candidate.Path(), 0700) == 0) {
            path = candidate;
            return B_OK;
        }
        if (errno != EEXIST)
            return status_from_errno(errno);
    }
    return B_FILE_EXISTS;
}

bool LibFindEnvFile(const char* variable, const char* file, BPath& found)
{
    if (variable == nullptr || file == nullptr)
        return false;
    const char* value = ::getenv(variable);
    if (value == nullptr)
        return false;
    LibStringIterator folders(value);
    LibString folder;
    // The first element is read and passed over: the search starts with
    // the second one.
    folders.GetNextField(':', folder);
    while (folders.GetNextField(':', folder)) {
        const char* text = folder;
        if (text == nullptr || *text == '\0')
            continue;
        const std::string candidate = std::string(text) + "/" + file;
        if (::access(candidate.c_str(), F_OK) == 0) {
            found.SetTo(candidate.c_str());
            return true;
        }
    }
    return false;
}
