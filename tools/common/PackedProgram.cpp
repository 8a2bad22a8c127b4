#include "PackedProgram.h"

#include "ElfImage.h"
#include "GlibcFloor.h"

#include <LibAppResource.h>
#include <LibFileUtils.h>
#include <Path.h>
#include <ResourceFormat.h>
#include <ResourceStreamWriter.h>
#include <ToolRunner.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace ondelle::resources;

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fFd(fd) {}
    ~Descriptor()
    {
        if (fFd >= 0)
            ::close(fFd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fFd; }

private:
    int fFd;
};

// The program's full path along PATH; empty when it is not found.
std::string FindInPath(const char* name)
{
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr && *path != '\0' ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        const std::string folder = folders.substr(start, end - start);
        if (!folder.empty()) {
            const std::string candidate = folder + "/" + name;
            if (::access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        start = end + 1;
    }
    return std::string();
}

} // namespace

PackedProgram::~PackedProgram()
{
    if (!fFolder.empty()) {
        std::error_code error;
        fs::remove_all(fFolder, error);
    }
}

std::string PackedProgram::Prepare(const std::string& program, const std::string& label, int floorMinor)
{
    const Descriptor fd(::open(program.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat status;
    if (fd.Get() < 0 || ::fstat(fd.Get(), &status) != 0 || !S_ISREG(status.st_mode))
        return program + ": the " + label + " cannot be read";
    const FdSource source(fd.Get(), uint64(status.st_size));
    if (!ElfImage::LooksLikeElf(source)) {
        fPath = program;
        return std::string();
    }
    ElfImage image;
    std::string error = image.Read(source);
    if (!error.empty())
        return program + ": the " + label + " is " + (error.rfind("not ", 0) == 0 ? "" : "damaged: ") + error;
    error = CheckGlibcFloor(image, floorMinor);
    if (!error.empty())
        return program + ": the " + label + " " + error;
    if (!image.CarriesDebugInformation()) {
        fPath = program;
        return std::string();
    }
    return _Strip(program, label, fd.Get(), unsigned(status.st_mode & 07777));
}

std::string PackedProgram::_Strip(const std::string& program, const std::string& label, int programFd,
    unsigned mode)
{
    const std::string objcopy = FindInPath("objcopy");
    if (objcopy.empty())
        return program + ": the " + label
            + " carries debug information, and objcopy (GNU binutils), which takes it out, is not installed";
    BPath folder;
    if (LibCreateWorkFolder(folder, kPackFolderPrefix) != B_OK)
        return "no working folder can be made in the temporary folder to strip the " + label;
    fFolder = folder.Path();
    const std::string image = fFolder + "/image";
    // objcopy writes the ELF image only; resources after it are put back
    // below.
    if (RunTool({objcopy, "--strip-debug", "--strip-unneeded", program, image}) != 0)
        return program + ": objcopy could not strip the " + label;

    const Descriptor imageFd(::open(image.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat imageStatus;
    if (imageFd.Get() < 0 || ::fstat(imageFd.Get(), &imageStatus) != 0)
        return image + ": the stripped " + label + " cannot be read";
    const FdSource imageSource(imageFd.Get(), uint64(imageStatus.st_size));
    ElfImage stripped;
    if (!stripped.Read(imageSource).empty() || stripped.CarriesDebugInformation())
        return program + ": objcopy left debug information in the " + label;

    struct stat programStatus;
    if (::fstat(programFd, &programStatus) != 0)
        return program + ": the " + label + " cannot be read";
    const FdSource programSource(programFd, uint64(programStatus.st_size));
    ContainerInfo container;
    std::vector<ResourceEntry> entries;
    if (DetectContainer(programSource, container) != B_OK
        || ReadContainerResources(programSource, container, entries) != B_OK)
        return program + ": the " + label + "'s resources cannot be read";
    if (entries.empty()) {
        ::chmod(image.c_str(), mode);
        fPath = image;
        return std::string();
    }

    ContainerInfo imageContainer;
    if (DetectContainer(imageSource, imageContainer) != B_OK)
        return image + ": the stripped " + label + " cannot be read";
    const std::string whole = fFolder + "/program";
    const Descriptor out(::open(whole.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (out.Get() < 0)
        return whole + ": cannot be written";
    ResourceStreamWriter writer(out.Get());
    writer.Begin(imageContainer, imageFd.Get(), uint64(imageStatus.st_size), entries.size());
    for (const ResourceEntry& entry : entries) {
        writer.BeginResource(entry.type, entry.id, entry.name);
        writer.CopyFrom(programFd, entry.offset, entry.size);
    }
    if (writer.Finish() != B_OK)
        return whole + ": the stripped " + label + " cannot be written"
            + (writer.Status() == B_DEVICE_FULL ? " (the volume is full)" : "");
    ::fchmod(out.Get(), mode);
    fPath = whole;
    return std::string();
}
