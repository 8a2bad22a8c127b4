#include "BuildSizes.h"

#include <ConfigFields.h>
#include <ResourceFormat.h>
#include <RuntimeArchive.h>
#include <TypeConstants.h>

#include <algorithm>
#include <fcntl.h>
#include <iomanip>
#include <sys/stat.h>
#include <unistd.h>

using namespace ondelle::resources;

bool MeasureBuild(const std::string& path, std::vector<BuildPart>& parts)
{
    parts.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat status;
    ContainerInfo container;
    std::vector<ResourceEntry> entries;
    bool ok = ::fstat(fd, &status) == 0;
    if (ok) {
        const FdSource source(fd, uint64(status.st_size));
        ok = DetectContainer(source, container) == B_OK && ReadContainerResources(source, container, entries) == B_OK;
    }
    ::close(fd);
    if (!ok)
        return false;

    const uint64 total = uint64(status.st_size);
    uint64 counted = 0;
    auto add = [&](const std::string& label, uint64 size) {
        parts.push_back({label, size});
        counted += size;
    };
    if (container.kind == ContainerKind::kElf || container.kind == ContainerKind::kPef)
        add("program", std::min(container.base, total));
    for (const ResourceEntry& entry : entries) {
        if (entry.type == kRuntimeResourceType && entry.id == kRuntimeResourceId) {
            // The image is then the first stage, not the installer.
            if (!parts.empty() && parts.front().label == "program")
                parts.front().label = "first stage";
            add("runtime (installer program, libraries, plugins)", entry.size);
        } else if (entry.type == kConfigResourceType && entry.id == kConfigResourceId)
            add("configuration", entry.size);
        else if (entry.type == B_RAW_TYPE && entry.id == kDeinstallerResourceId)
            add("deinstaller", entry.size);
        else if (entry.type == B_RAW_TYPE && entry.id == kHelpResourceId)
            add("help file", entry.size);
        else if (entry.type == B_RAW_TYPE && entry.id >= kFirstItemResourceId)
            add("item " + std::to_string(entry.id - kFirstItemResourceId) + " \"" + entry.name + "\"", entry.size);
    }
    add("other resources and tables", total >= counted ? total - counted : 0);
    parts.push_back({"total", total});
    return true;
}

void PrintBuildSizes(const std::vector<BuildPart>& parts, std::ostream& out)
{
    out << "Sizes:\n";
    for (const BuildPart& part : parts)
        out << "  " << std::left << std::setw(34) << part.label << std::right << std::setw(14) << part.size
            << " bytes\n";
}
