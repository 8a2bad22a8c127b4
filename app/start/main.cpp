// The first stage of an installer build with a bundled runtime: the part
// of the build that runs when a user starts it. It is linked without Qt (the
// C library, zlib and a static C++ library only), finds the runtime among
// the build's own resources, unpacks it once into the user's cache and
// executes the installer program from there, with the bundled libraries
// and Qt plugins in its paths and the build's own file named, so that the
// installer reads the configuration and items from the build.
#include "RuntimeCache.h"
#include "RuntimeUnpacker.h"
#include "RuntimeArchive.h"

#include <ResourceFormat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <gnu/libc-version.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace ondelle::resources;

namespace {

int Fail(const std::string& text)
{
    std::fprintf(stderr, "ondelle: %s\n", text.c_str());
    return 2;
}

std::string OwnPath()
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (length <= 0)
        return std::string();
    return std::string(buffer, size_t(length));
}

// Sets name to value, remembering the value it had for the installer to
// put back for the programs it starts.
void SetForInstaller(const char* name, const std::string& value)
{
    const char* old = std::getenv(name);
    const std::string saved = std::string("ONDELLE_SAVED_") + name;
    if (old != nullptr)
        ::setenv(saved.c_str(), old, 1);
    else
        ::unsetenv(saved.c_str());
    ::setenv(name, value.c_str(), 1);
}

// The numbers of a version text "2.35" ({2, 35}); empty when it is none.
std::vector<int> VersionNumbers(const std::string& text)
{
    std::vector<int> numbers;
    size_t position = 0;
    while (position < text.size()) {
        size_t end = position;
        while (end < text.size() && end - position < 6 && text[end] >= '0' && text[end] <= '9')
            end++;
        if (end == position)
            return {};
        numbers.push_back(std::atoi(text.substr(position, end - position).c_str()));
        if (end == text.size())
            break;
        if (text[end] != '.')
            return {};
        position = end + 1;
    }
    return numbers;
}

// An empty text when this machine's C library is at least the build's
// floor; otherwise what the user needs to know. Checked before the
// installer is started, whose loader would only name a missing symbol
// version.
std::string CheckCLibrary(int fd, const ResourceEntry& floorEntry)
{
    std::string floor(size_t(std::min<uint64>(floorEntry.size, 16)), '\0');
    if (::pread(fd, floor.data(), floor.size(), off_t(floorEntry.offset)) != ssize_t(floor.size())
        || VersionNumbers(floor).size() != 2)
        return "the build's C library floor is damaged";
    const std::string machine = gnu_get_libc_version();
    if (VersionNumbers(machine) < VersionNumbers(floor))
        return "this installer needs the GNU C library (glibc) " + floor + " or later, and this system has "
            + machine + ". Install on a newer system release.";
    return std::string();
}

} // namespace

int main(int argc, char** argv)
{
    (void)argc;
    const std::string self = OwnPath();
    if (self.empty())
        return Fail("cannot find its own program file");
    const int fd = ::open(self.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status;
    if (fd < 0 || ::fstat(fd, &status) != 0)
        return Fail(self + ": cannot be read");
    const FdSource source(fd, uint64(status.st_size));
    ContainerInfo container;
    std::vector<ResourceEntry> entries;
    if (DetectContainer(source, container) != B_OK || ReadContainerResources(source, container, entries) != B_OK)
        return Fail(self + ": the build's resources are damaged or cut short");
    const ResourceEntry* runtime = nullptr;
    for (const ResourceEntry& entry : entries) {
        if (entry.type == kRuntimeResourceType && entry.id == kRuntimeResourceId)
            runtime = &entry;
    }
    const ResourceEntry* floor = nullptr;
    for (const ResourceEntry& entry : entries) {
        if (entry.type == kRuntimeResourceType && entry.id == kGlibcFloorResourceId)
            floor = &entry;
    }
    if (runtime == nullptr || !IsRuntimeName(runtime->name) || floor == nullptr)
        return Fail(self + ": the build carries no runtime");
    std::string error = CheckCLibrary(fd, *floor);
    if (!error.empty())
        return Fail(error);

    std::string root;
    error = RuntimeCacheRoot(root);
    if (!error.empty())
        return Fail(error);
    std::string folder;
    bool unpacked = false;
    error = PrepareRuntimeFolder(root, runtime->name,
        [&](const std::string& target) {
            return UnpackRuntime(fd, runtime->offset, runtime->size, runtime->name, target);
        },
        folder, unpacked);
    ::close(fd);
    if (!error.empty())
        return Fail("the installer's runtime cannot be prepared: " + error);

    const char* libraries = std::getenv("LD_LIBRARY_PATH");
    SetForInstaller("LD_LIBRARY_PATH",
        folder + "/lib" + (libraries != nullptr && libraries[0] != '\0' ? std::string(":") + libraries : ""));
    SetForInstaller("QT_PLUGIN_PATH", folder + "/plugins");
    SetForInstaller("QT_QPA_PLATFORM_PLUGIN_PATH", folder + "/plugins/platforms");
    // The installer reads its resources from the build; the process id
    // tells it (and not the programs it starts) that the name is its own.
    ::setenv("ONDELLE_BUILD_FILE", (std::to_string(::getpid()) + ":" + self).c_str(), 1);
    const std::string program = folder + "/ondelle";
    ::execv(program.c_str(), argv);
    return Fail(program + ": cannot be started (" + std::strerror(errno) + ")");
}
