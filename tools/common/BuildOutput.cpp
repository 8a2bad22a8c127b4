#include "BuildOutput.h"

#include "PayloadCheck.h"

#include <cerrno>
#include <filesystem>
#include <cstring>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace {

bool SameNode(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::string ParentOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == 0 || slash == std::string::npos ? std::string("/") : path.substr(0, slash);
}

} // namespace

std::string CheckBuildOutput(const ProductDescription& description, const std::string& installerProgram,
    const std::string& deinstallerProgram, const std::string& output)
{
    if (output.empty())
        return "no output given";
    std::string trimmed = output;
    if (trimmed[0] != '/') {
        std::error_code error;
        const std::filesystem::path folder = std::filesystem::current_path(error);
        if (error)
            return output + ": the current folder cannot be found (" + error.message() + ")";
        trimmed = (folder / trimmed).string();
    }
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();

    struct stat target;
    const bool exists = ::stat(trimmed.c_str(), &target) == 0;
    if (exists && !S_ISREG(target.st_mode))
        return output + ": exists and is " + NodeKindText(target.st_mode)
            + "; the build can only replace a regular file";
    if (!exists && errno != ENOENT) {
        struct stat link;
        if (::lstat(trimmed.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
            return output + ": cannot be looked at (" + std::strerror(errno) + ")";
    }

    std::vector<std::pair<const char*, std::string>> inputs = {
        {"the description", description.sourcePath},
        {"the license", description.licenseFile},
        {"the about image", description.aboutImage},
        {"the start-up sound", description.startupSound},
        {"the help file", description.helpFile},
        {"the installer program", installerProgram},
        {"the deinstaller program", deinstallerProgram},
    };
    for (const ProductItem& item : description.items)
        inputs.emplace_back("the payload", item.path);

    for (const auto& [label, path] : inputs) {
        struct stat input;
        if (path.empty() || ::stat(path.c_str(), &input) != 0)
            continue;
        if (exists && SameNode(target, input))
            return output + ": is " + label + " (" + path
                + "); the build would replace it. Choose another output";
        if (!S_ISDIR(input.st_mode))
            continue;
        // A build made inside a payload folder would be packed into itself
        // while it is being made.
        for (std::string folder = ParentOf(trimmed);; folder = ParentOf(folder)) {
            struct stat node;
            if (::stat(folder.c_str(), &node) == 0 && SameNode(node, input))
                return output + ": lies inside " + label + " folder " + path
                    + ", which would be packed with the build. Choose another output";
            if (folder == "/")
                break;
        }
    }
    return std::string();
}
