#include "BuildWriter.h"

#include "BuildOutput.h"
#include "ConfigurationWriter.h"
#include "PayloadCheck.h"

#include <AppFileInfo.h>
#include <ConfigFields.h>
#include <File.h>
#include <LibAppResource.h>
#include <LibFileUtils.h>
#include <Message.h>
#include <Sandbox.h>
#include <StorageDefs.h>
#include <TypeConstants.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A file or folder removed when the object goes out of scope, unless kept.
class ScratchPath {
public:
    explicit ScratchPath(fs::path path)
        : fPath(std::move(path))
    {
    }
    ~ScratchPath()
    {
        if (!fKeep && !fPath.empty()) {
            std::error_code error;
            fs::remove_all(fPath, error);
        }
    }
    ScratchPath(const ScratchPath&) = delete;
    ScratchPath& operator=(const ScratchPath&) = delete;
    const fs::path& Path() const { return fPath; }
    void Keep() { fKeep = true; }

private:
    fs::path fPath;
    bool fKeep = false;
};

// Removes resources that an earlier build left in the starting program, so
// that a build can also start from a build.
void RemoveBuildResources(LibAppResource& resources)
{
    std::vector<std::pair<type_code, int32>> doomed;
    for (int32 i = 0;; i++) {
        type_code type;
        int32 id;
        const char* name = nullptr;
        size_t length = 0;
        if (!resources.GetResourceInfo(i, &type, &id, &name, &length))
            break;
        if ((type == B_STRING_TYPE && id == kConfigResourceId) || (type == B_RAW_TYPE && id >= kDeinstallerResourceId))
            doomed.emplace_back(type, id);
    }
    for (const auto& [type, id] : doomed)
        resources.RemoveResource(type, id);
}

} // namespace

std::string MakeInstallerBuild(const ProductDescription& description, const std::string& installerProgram,
    const std::string& deinstallerProgram, const std::string& output,
    const std::function<void(const BuildProgress&)>& progress)
{
    const int32 steps = int32(description.items.size()) + 3 + (deinstallerProgram.empty() ? 0 : 1)
        + (description.helpFile.empty() ? 0 : 1);
    int32 step = 0;
    auto report = [&](const std::string& text) {
        if (progress)
            progress(BuildProgress{++step, steps, text});
    };

    // Inside a sandbox nothing may be written outside it: say so before
    // anything is made, rather than failing at the first write.
    if (sandbox_active() && !sandbox_allows_write(fs::absolute(output).c_str()))
        return output + ": lies outside the sandbox " + sandbox_root()
            + " (ONDELLE_SANDBOX); the build can only be written below it";
    // Working folders of builds that were killed outright.
    LibRemoveStaleWorkFolders(nullptr, kPackFolderPrefix);

    std::string error;
    struct stat installerStat;
    if (::stat(installerProgram.c_str(), &installerStat) != 0 || !S_ISREG(installerStat.st_mode))
        return installerProgram + ": the installer program does not exist";
    int64 deinstallerSize = -1;
    if (!deinstallerProgram.empty()) {
        struct stat deinstallerStat;
        if (::stat(deinstallerProgram.c_str(), &deinstallerStat) != 0 || !S_ISREG(deinstallerStat.st_mode))
            return deinstallerProgram + ": the deinstaller program does not exist";
        deinstallerSize = deinstallerStat.st_size;
    }

    error = CheckBuildOutput(description, installerProgram, deinstallerProgram, output);
    if (!error.empty())
        return error;

    report("Reading the configuration");
    BMessage configuration;
    error = WriteConfiguration(description, deinstallerSize, configuration);
    if (!error.empty())
        return error;
    const ssize_t flatSize = configuration.FlattenedSize();
    std::string flat(size_t(flatSize > 0 ? flatSize : 0), '\0');
    if (flatSize <= 0 || configuration.Flatten(flat.data(), flatSize) != B_OK)
        return "the configuration could not be flattened";

    // The new build is made beside the output so that the final rename
    // stays on one file system.
    std::error_code fsError;
    const fs::path target = fs::absolute(output, fsError);
    if (fsError)
        return output + ": cannot be written (" + fsError.message() + ")";
    fs::create_directories(target.parent_path(), fsError);
    // Made exclusively under a fresh name: never an entry someone placed
    // there, and never the partial file of a build running at the same time.
    BPath partialPath(target.parent_path().c_str());
    {
        BFile placeholder;
        if (LibCreateUniqueFile(partialPath, ("." + target.filename().string() + ".partial-").c_str(), placeholder)
            != B_OK)
            return target.string() + ": no file can be made beside it";
    }
    ScratchPath partial(partialPath.Path());
    report("Copying the installer program");
    fs::copy_file(installerProgram, partial.Path(), fs::copy_options::overwrite_existing, fsError);
    if (fsError)
        return partial.Path().string() + ": cannot be written (" + fsError.message() + ")";

    {
        LibAppResource resources(partial.Path().c_str(), B_READ_WRITE);
        if (resources.InitCheck() != B_OK)
            return partial.Path().string() + ": the resources of the copy cannot be opened";
        RemoveBuildResources(resources);

        for (size_t i = 0; i < description.items.size(); i++) {
            const std::string& path = description.items[i].path;
            const std::string leaf = fs::path(path).filename().string();
            report("Packing item " + std::to_string(i + 1) + " of " + std::to_string(description.items.size())
                + ": " + leaf);
            if (!resources.AddEntry(path.c_str(), kFirstItemResourceId + int32(i), leaf.c_str(),
                    description.compressionLevel)) {
                // Say which entry failed when it can be found again.
                const std::vector<std::string> problems = PayloadProblems(path, 1);
                return problems.empty() ? path + ": could not be packed" : problems.front();
            }
        }

        if (!deinstallerProgram.empty()) {
            report("Packing the deinstaller");
            // The archive's entry carries the resource's name, so the
            // program is packed under the deinstaller's own name.
            BPath scratchFolder;
            if (LibCreateUniqueFolder(scratchFolder, "ondelle-build") != B_OK)
                return "a scratch folder for the deinstaller could not be made";
            ScratchPath scratch(scratchFolder.Path());
            const fs::path named = scratch.Path() / kDeinstallerResourceName;
            fs::copy_file(deinstallerProgram, named, fsError);
            if (fsError)
                return deinstallerProgram + ": cannot be copied (" + fsError.message() + ")";
            if (!resources.AddEntry(named.c_str(), kDeinstallerResourceId, kDeinstallerResourceName, description.compressionLevel))
                return deinstallerProgram + ": could not be packed";
        }

        if (!description.helpFile.empty()) {
            report("Packing the help file");
            if (!resources.AddEntry(description.helpFile.c_str(), kHelpResourceId, kHelpResourceName, 9))
                return description.helpFile + ": could not be packed";
        }

        report("Writing the configuration");
        resources.RemoveResource(kConfigResourceType, kConfigResourceId);
        if (resources.AddResource(kConfigResourceType, kConfigResourceId, flat.data(), flat.size(), kConfigResourceName)
                != B_OK
            || resources.Sync() != B_OK)
            return partial.Path().string() + ": the configuration could not be written";
    }

    // The build names itself as the installer and carries its version, so
    // that the installer finds its version record without rewriting itself.
    {
        BFile file(partial.Path().c_str(), B_READ_WRITE);
        BAppFileInfo info(&file);
        info.SetInfoLocation(B_USE_RESOURCES);
        version_info version = {};
        unsigned major = 0, middle = 0, minor = 0;
        std::sscanf(ONDELLE_VERSION, "%u.%u.%u", &major, &middle, &minor);
        version.major = major;
        version.middle = middle;
        version.minor = minor;
        version.variety = 5;
        std::snprintf(version.short_info, sizeof(version.short_info), "Ondelle");
        std::snprintf(version.long_info, sizeof(version.long_info), "Ondelle installer %s", ONDELLE_VERSION);
        if (info.InitCheck() != B_OK || info.SetSignature("application/x-vnd.Quorvane.Vondl") != B_OK
            || info.SetVersionInfo(&version, B_APP_VERSION_KIND) != B_OK || info.Sync() != B_OK)
            return partial.Path().string() + ": the installer's version record could not be written";
    }

    ::chmod(partial.Path().c_str(), (installerStat.st_mode & 07777) | S_IXUSR | S_IXGRP | S_IXOTH);
    if (std::rename(partial.Path().c_str(), target.c_str()) != 0)
        return target.string() + ": cannot be replaced";
    partial.Keep();
    return std::string();
}
