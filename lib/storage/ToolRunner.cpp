#include "ToolRunner.h"

#include <FindDirectory.h>
#include <Path.h>
#include <Process.h>
#include <Sandbox.h>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

std::string FindPlatformTool(const char* name)
{
    BPath folder;
    if (find_directory(B_BEOS_BIN_DIRECTORY, &folder) == B_OK && folder.Path() != nullptr) {
        const std::string tool = std::string(folder.Path()) + "/" + name;
        // Found means present, as the tool test has always been.
        if (::access(tool.c_str(), F_OK) == 0)
            return tool;
    }
    // Inside the sandbox the binaries folder lies below its root and
    // usually holds nothing; the system's standard tool is used then.
    if (sandbox_active()) {
        const std::string tool = std::string("/bin/") + name;
        if (::access(tool.c_str(), X_OK) == 0)
            return tool;
    }
    return std::string();
}

int RunTool(const std::vector<std::string>& args, const std::string& workingDirectory)
{
    process_options options;
    options.workingDirectory = workingDirectory;
    process_result result;
    const status_t status = run_process(args, options, &result);
    if (!result.errorOutput.empty())
        fwrite(result.errorOutput.data(), 1, result.errorOutput.size(), stderr);
    if (status != B_OK)
        return -1;
    return result.signal == 0 ? result.exitCode : -1;
}

bool MayChange(const char* caller, const char* path)
{
    if (path == nullptr || *path == '\0')
        return false;
    if (sandbox_allows_write(path))
        return true;
    fprintf(stderr, "%s: %s lies outside the sandbox\n", caller, path);
    return false;
}

std::string ParentPathOf(const std::string& path)
{
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    const size_t slash = trimmed.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : trimmed.substr(0, slash);
}

std::string LeafOf(const std::string& path)
{
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    const size_t slash = trimmed.rfind('/');
    return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

bool EntryExists(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}
