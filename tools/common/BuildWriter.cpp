#include "BuildWriter.h"

#include "BuildIdentity.h"
#include "BuildOutput.h"
#include "ConfigurationWriter.h"
#include "GlibcFloor.h"
#include "PackedProgram.h"
#include "PayloadCheck.h"
#include "ResourceZipSink.h"

#include <BuildManifest.h>
#include <ConfigFields.h>
#include <File.h>
#include <LibAppResource.h>
#include <LibFileUtils.h>
#include <Message.h>
#include <ResourceFormat.h>
#include <ResourceStreamWriter.h>
#include <RuntimeArchive.h>
#include <Sandbox.h>
#include <StorageDefs.h>
#include <TypeConstants.h>
#include <ZipWriter.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace ondelle::resources;

namespace {

// The name under which the installer looks for its help file.
constexpr const char* kInstallerHelpName = "x-vnd.Quorvane.Vondl.help";

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

// A descriptor closed when the scope ends.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fFd(fd) {}
    ~FileDescriptor()
    {
        if (fFd >= 0)
            ::close(fFd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return fFd; }
    // Closes now; false when closing reported an error (data not written).
    bool Close()
    {
        const int fd = fFd;
        fFd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fFd;
};

// The container of the program a build starts from and its resources.
status_t ReadProgram(int fd, uint64 size, ContainerInfo& container, std::vector<ResourceEntry>& entries)
{
    const FdSource source(fd, size);
    status_t status = DetectContainer(source, container);
    if (status != B_OK)
        return status;
    if (container.kind == ContainerKind::kEmpty)
        return B_OK;
    return ReadContainerResources(source, container, entries);
}

std::string WriteErrorText(status_t status)
{
    if (status == B_DEVICE_FULL)
        return "the volume is full";
    char text[32];
    std::snprintf(text, sizeof(text), "error 0x%x", unsigned(status));
    return text;
}

} // namespace

std::string MakeInstallerBuild(const ProductDescription& description, const std::string& installerProgram,
    const std::string& deinstallerProgram, const std::string& output,
    const std::function<void(const BuildProgress&)>& progress, const RuntimeBundleOptions* bundle,
    const BuildSigning* signing)
{
    const int32 steps = int32(description.items.size()) + 4 + (deinstallerProgram.empty() ? 0 : 1)
        + (description.helpFile.empty() ? 0 : 1) + (bundle != nullptr ? 1 : 0);
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

    // The programs are packed without debug information, and only when they
    // start on the oldest C library builds promise.
    const int floorMinor = bundle != nullptr ? bundle->glibcFloorMinor : kGlibcFloorMinor;
    PackedProgram packedInstaller;
    error = packedInstaller.Prepare(installerProgram, "installer program", floorMinor);
    if (!error.empty())
        return error;
    PackedProgram packedDeinstaller;
    if (!deinstallerProgram.empty()) {
        error = packedDeinstaller.Prepare(deinstallerProgram, "deinstaller program", floorMinor);
        if (!error.empty())
            return error;
        struct stat packedStat;
        if (::stat(packedDeinstaller.Path().c_str(), &packedStat) != 0)
            return deinstallerProgram + ": the deinstaller program cannot be read";
        deinstallerSize = packedStat.st_size;
    }

    // A bundled build starts with the first stage; the installer goes into
    // the runtime.
    RuntimeBundle runtime;
    PackedProgram packedFirstStage;
    if (bundle != nullptr) {
        error = packedFirstStage.Prepare(bundle->firstStage, "first stage program", floorMinor);
        if (!error.empty())
            return error;
        RuntimeBundleOptions options = *bundle;
        options.compressionLevel = description.compressionLevel;
        error = runtime.Make(packedInstaller.Path(), options);
        if (!error.empty())
            return error;
    }

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
    // The installer program's image and its own resources, except those an
    // earlier build added and the identity records this build replaces.
    const FileDescriptor program(::open(packedInstaller.Path().c_str(), O_RDONLY | O_CLOEXEC));
    ContainerInfo container;
    std::vector<ResourceEntry> kept;
    if (program.Get() < 0 || ::fstat(program.Get(), &installerStat) != 0
        || ReadProgram(program.Get(), uint64(installerStat.st_size), container, kept) != B_OK)
        return installerProgram + ": the installer program's resources cannot be read";
    std::vector<BuildResource> current;
    std::vector<ResourceEntry> others;
    for (ResourceEntry& entry : kept) {
        if ((entry.type == kConfigResourceType && entry.id == kConfigResourceId)
            || (entry.type == B_RAW_TYPE && entry.id >= kDeinstallerResourceId)
            || (entry.type == kManifestResourceType && entry.id == kManifestResourceId)
            || (entry.type == kSignatureResourceType && entry.id == kSignatureResourceId))
            continue;
        if (!IsIdentityResource(entry.type, entry.id, entry.name)) {
            others.push_back(std::move(entry));
            continue;
        }
        BuildResource resource;
        resource.type = entry.type;
        resource.id = entry.id;
        resource.name = entry.name;
        resource.data.resize(size_t(entry.size));
        if (FdSource(program.Get(), uint64(installerStat.st_size)).ReadAt(entry.offset, resource.data.data(),
                resource.data.size())
            != B_OK)
            return installerProgram + ": the installer program's resources cannot be read";
        current.push_back(std::move(resource));
    }
    // The build names itself as the installer and carries its version, so
    // that the installer finds its version record without rewriting itself.
    std::vector<BuildResource> identity;
    error = MakeBuildIdentity(current, identity);
    if (!error.empty())
        return error;

    // Read as well: the manifest is made from what was written.
    FileDescriptor out(::open(partial.Path().c_str(), O_RDWR | O_TRUNC | O_CLOEXEC));
    if (out.Get() < 0)
        return partial.Path().string() + ": cannot be written (" + std::strerror(errno) + ")";
    const size_t count = others.size() + description.items.size() + (deinstallerProgram.empty() ? 0 : 1)
        + (description.helpFile.empty() ? 0 : 1) + 1 + identity.size() + (bundle != nullptr ? 2 : 0)
        + ManifestResourceCount(signing);
    ResourceStreamWriter writer(out.Get());
    auto writeFailed = [&] {
        return partial.Path().string() + ": cannot be written (" + WriteErrorText(writer.Status()) + ")";
    };
    if (bundle != nullptr) {
        const FileDescriptor firstStage(::open(packedFirstStage.Path().c_str(), O_RDONLY | O_CLOEXEC));
        struct stat firstStageStat;
        ContainerInfo firstStageContainer;
        if (firstStage.Get() < 0 || ::fstat(firstStage.Get(), &firstStageStat) != 0
            || DetectContainer(FdSource(firstStage.Get(), uint64(firstStageStat.st_size)), firstStageContainer)
                != B_OK
            || firstStageContainer.kind != ContainerKind::kElf)
            return bundle->firstStage + ": the first stage program cannot be read";
        writer.Begin(firstStageContainer, firstStage.Get(), uint64(firstStageStat.st_size), count);
    } else {
        writer.Begin(container, program.Get(), uint64(installerStat.st_size), count);
    }
    for (const ResourceEntry& entry : others) {
        writer.BeginResource(entry.type, entry.id, entry.name);
        writer.CopyFrom(program.Get(), entry.offset, entry.size);
    }
    if (writer.Status() != B_OK)
        return writeFailed();

    // Every archive is written straight into its resource.
    ZipPackOptions options;
    options.level = description.compressionLevel;
    options.typeUntyped = true;
    auto pack = [&](const std::string& path, int32 id, const std::string& name, const ZipPackOptions& packing,
                    const std::string& topName) {
        writer.BeginResource(B_RAW_TYPE, id, name);
        ResourceZipSink sink(writer);
        return ZipWriter::WriteTree(sink, path.c_str(), packing, topName) == B_OK;
    };
    for (size_t i = 0; i < description.items.size(); i++) {
        const std::string& path = description.items[i].path;
        const std::string leaf = fs::path(path).filename().string();
        report("Packing item " + std::to_string(i + 1) + " of " + std::to_string(description.items.size())
            + ": " + leaf);
        if (!pack(path, kFirstItemResourceId + int32(i), leaf, options, std::string())) {
            if (writer.Status() != B_OK)
                return writeFailed();
            // Say which entry failed when it can be found again.
            const std::vector<std::string> problems = PayloadProblems(path, 1);
            return problems.empty() ? path + ": could not be packed" : problems.front();
        }
    }

    if (!deinstallerProgram.empty()) {
        report("Packing the deinstaller");
        // The archive's entry carries the resource's name, which the
        // deinstaller is unpacked under.
        if (!pack(packedDeinstaller.Path(), kDeinstallerResourceId, kDeinstallerResourceName, options,
                kDeinstallerResourceName))
            return writer.Status() != B_OK ? writeFailed() : deinstallerProgram + ": could not be packed";
    }

    if (!description.helpFile.empty()) {
        report("Packing the help file");
        ZipPackOptions helpOptions = options;
        helpOptions.level = 9;
        // The installer unpacks only the entry named like its own help file
        // (its signature's last part and ".help"), so a vendor's file of
        // any name is packed under that name.
        if (!pack(description.helpFile, kHelpResourceId, kHelpResourceName, helpOptions, kInstallerHelpName))
            return writer.Status() != B_OK ? writeFailed() : description.helpFile + ": could not be packed";
    }

    if (bundle != nullptr) {
        report("Packing the runtime");
        const FileDescriptor archive(::open(runtime.ArchivePath().c_str(), O_RDONLY | O_CLOEXEC));
        struct stat archiveStat;
        if (archive.Get() < 0 || ::fstat(archive.Get(), &archiveStat) != 0)
            return runtime.ArchivePath() + ": the runtime cannot be read";
        writer.BeginResource(kRuntimeResourceType, kRuntimeResourceId, runtime.Name());
        writer.CopyFrom(archive.Get(), 0, uint64(archiveStat.st_size));
        const std::string floor = std::to_string(kGlibcFloorMajor) + "." + std::to_string(floorMinor);
        writer.AddResource(kRuntimeResourceType, kGlibcFloorResourceId, kGlibcFloorResourceName, floor.data(),
            floor.size());
        if (writer.Status() != B_OK)
            return writeFailed();
    }

    report("Writing the configuration");
    writer.AddResource(kConfigResourceType, kConfigResourceId, kConfigResourceName, flat.data(), flat.size());
    for (const BuildResource& resource : identity)
        writer.AddResource(resource.type, resource.id, resource.name, resource.data.data(), resource.data.size());
    if (writer.Status() != B_OK)
        return writeFailed();

    report(signing != nullptr ? "Writing and signing the manifest" : "Writing the manifest");
    std::vector<int32> archiveIds;
    for (size_t i = 0; i < description.items.size(); i++)
        archiveIds.push_back(kFirstItemResourceId + int32(i));
    if (!deinstallerProgram.empty())
        archiveIds.push_back(kDeinstallerResourceId);
    if (!description.helpFile.empty())
        archiveIds.push_back(kHelpResourceId);
    error = AddManifest(writer, out.Get(), partial.Path().string(), archiveIds, signing);
    if (!error.empty())
        return error;
    if (writer.Finish() != B_OK)
        return writer.Status() == B_BAD_VALUE ? partial.Path().string() + ": the resources do not fit the format"
                                              : writeFailed();
    if (!out.Close())
        return partial.Path().string() + ": cannot be written (" + std::strerror(errno) + ")";

    ::chmod(partial.Path().c_str(), (installerStat.st_mode & 07777) | S_IXUSR | S_IXGRP | S_IXOTH);
    if (std::rename(partial.Path().c_str(), target.c_str()) != 0)
        return target.string() + ": cannot be replaced";
    partial.Keep();
    return std::string();
}
