#include "RuntimeBundle.h"

#include "PackedProgram.h"
#include "RuntimeExcludes.h"

#include <LibAppResource.h>
#include <LibFileUtils.h>
#include <Path.h>
#include <RuntimeArchive.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

// Runs args[0] (a full path) and collects what it writes to standard
// output; its exit status, or -1 when it could not run.
int RunCapture(const std::vector<std::string>& args, std::string& output)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t child = -1;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        return -1;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(pipeFds[0], buffer, sizeof(buffer));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        output.append(buffer, size_t(got));
    }
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Ldd()
{
    for (const char* candidate : {"/usr/bin/ldd", "/bin/ldd"}) {
        if (::access(candidate, X_OK) == 0)
            return candidate;
    }
    return std::string();
}

// The plugins the installer loads, by folder below Qt's plugin folder;
// an empty list takes every plugin of the folder.
struct PluginGroup {
    const char* folder;
    std::vector<const char*> names;
    bool required;
};

const std::vector<PluginGroup>& PluginGroups()
{
    static const std::vector<PluginGroup> groups = {
        {"platforms", {"libqxcb.so", "libqoffscreen.so"}, true},
        {"platforms", {"libqwayland-generic.so", "libqwayland-egl.so"}, false},
        {"xcbglintegrations", {}, false},
        {"wayland-shell-integration", {}, false},
        {"wayland-decoration-client", {}, false},
        {"wayland-graphics-integration-client", {}, false},
        {"imageformats", {"libqjpeg.so"}, false},
    };
    return groups;
}

} // namespace

std::string LoaderDependencies(const std::string& program, std::vector<std::pair<std::string, std::string>>& found)
{
    const std::string ldd = Ldd();
    if (ldd.empty())
        return "ldd, which lists the libraries a program needs, is not installed";
    std::string output;
    if (RunCapture({ldd, program}, output) != 0)
        return program + ": ldd cannot list the libraries it needs";
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t arrow = line.find(" => ");
        if (arrow == std::string::npos)
            continue; // the vDSO and the loader itself
        const size_t start = line.find_first_not_of(" \t");
        const std::string name = line.substr(start, arrow - start);
        std::string path = line.substr(arrow + 4);
        path = path.substr(0, path.find(" ("));
        if (path == "not found")
            return program + ": needs " + name + ", which is not installed here";
        found.emplace_back(name, path);
    }
    return std::string();
}

RuntimeBundle::~RuntimeBundle()
{
    if (!fFolder.empty()) {
        std::error_code error;
        fs::remove_all(fFolder, error);
    }
}

std::string RuntimeBundle::Make(const std::string& installer, const RuntimeBundleOptions& options)
{
    BPath folder;
    if (LibCreateWorkFolder(folder, kPackFolderPrefix) != B_OK)
        return "no working folder can be made in the temporary folder for the runtime";
    fFolder = folder.Path();

    // What goes in: path inside the runtime -> file here.
    std::map<std::string, std::string> files;
    std::vector<std::string> programs = {installer};
    files["ondelle"] = installer;
    std::error_code fsError;
    for (const PluginGroup& group : PluginGroups()) {
        const fs::path groupFolder = fs::path(options.qtPluginFolder) / group.folder;
        std::vector<std::string> names;
        if (group.names.empty()) {
            for (const auto& entry : fs::directory_iterator(groupFolder, fsError)) {
                if (entry.path().extension() == ".so")
                    names.push_back(entry.path().filename().string());
            }
        } else {
            names.assign(group.names.begin(), group.names.end());
        }
        for (const std::string& name : names) {
            const fs::path plugin = groupFolder / name;
            if (!fs::is_regular_file(plugin, fsError)) {
                if (group.required)
                    return plugin.string() + ": the Qt plugin the installer needs is not installed";
                continue;
            }
            files[std::string("plugins/") + group.folder + "/" + name] = plugin.string();
            programs.push_back(plugin.string());
        }
    }
    for (const std::string& program : programs) {
        std::vector<std::pair<std::string, std::string>> needed;
        std::string error = LoaderDependencies(program, needed);
        if (!error.empty())
            return error;
        for (const auto& [name, path] : needed) {
            if (!IsSystemLibrary(name))
                files["lib/" + name] = path;
        }
    }

    const std::string confPath = fFolder + "/qt.conf";
    {
        const int fd = ::open(confPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        // Qt reads qt.conf beside the program: its plugins are those of the
        // runtime, never those of a Qt the machine may have.
        const std::string text = "[Paths]\nPrefix = .\nPlugins = plugins\n";
        const bool written = fd >= 0 && ::write(fd, text.data(), text.size()) == ssize_t(text.size());
        if (fd >= 0)
            ::close(fd);
        if (!written)
            return confPath + ": cannot be written";
    }
    files["qt.conf"] = confPath;

    fArchive = fFolder + "/runtime";
    const int out = ::open(fArchive.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0)
        return fArchive + ": cannot be written";
    RuntimeArchiveWriter writer(out, std::min(options.compressionLevel, 6));
    std::string error;
    for (const auto& [path, source] : files) {
        // Every library is held to the same floor as the programs, and
        // packed without debug information.
        PackedProgram packed;
        error = packed.Prepare(source, "runtime library", options.glibcFloorMinor);
        if (error.empty()) {
            struct stat status;
            const uint32_t mode = ::stat(packed.Path().c_str(), &status) == 0 ? uint32_t(status.st_mode) : 0644;
            error = writer.Add(path, packed.Path(), (mode & 0111) != 0 ? 0755 : 0644);
            fUnpackedSize += uint64(status.st_size);
        }
        if (!error.empty())
            break;
        fFiles.push_back(path);
    }
    if (error.empty())
        error = writer.Finish(fName);
    if (::close(out) != 0 && error.empty())
        error = fArchive + ": cannot be written";
    return error;
}
