#include "Roster.h"

#include <Entry.h>
#include <FindDirectory.h>
#include <Node.h>
#include <Path.h>
#include <Process.h>
#include <Sandbox.h>
#include <StopPoint.h>
#include <TypeConstants.h>

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Folders below an application folder that are searched for programs
// ("Applications/Product/bin/program" is the deepest that is found).
constexpr int kApplicationDepth = 3;
// Menu entries may sit in vendor subfolders of the applications folder.
constexpr int kDesktopDepth = 2;

const char* const kSignatureAttribute = "BEOS:APP_SIG";
const char* const kDesktopSignatureKey = "X-Ondelle-Signature";

bool SameSignature(const std::string& a, const char* b)
{
    return strcasecmp(a.c_str(), b) == 0;
}

std::string StandardFolder(directory_which which)
{
    BPath path;
    if (find_directory(which, &path, false) != B_OK || path.Path() == nullptr)
        return std::string();
    return path.Path();
}

bool IsProgram(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0111) != 0;
}

bool IsFolder(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The entries of a folder, without "." and "..", in the order read.
std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return names;
    while (struct dirent* entry = ::readdir(dir)) {
        if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
            names.push_back(entry->d_name);
    }
    ::closedir(dir);
    return names;
}

bool ProgramSignature(const std::string& path, std::string& signature)
{
    BNode node(path.c_str());
    if (node.InitCheck() != B_OK)
        return false;
    char buffer[B_MIME_TYPE_LENGTH + 1];
    ssize_t length = node.ReadAttr(kSignatureAttribute, B_MIME_STRING_TYPE, 0, buffer,
        B_MIME_TYPE_LENGTH);
    if (length <= 0)
        return false;
    buffer[length] = '\0';
    signature = buffer;  // the stored text ends at its NUL
    return true;
}

// Searches programs in folder (and its subfolders down to depth) for the
// signature attribute.
bool FindProgram(const std::string& folder, const char* signature, int depth, std::string& found)
{
    for (const std::string& name : FolderEntries(folder)) {
        std::string path = folder + "/" + name;
        std::string programSignature;
        if (IsProgram(path) && ProgramSignature(path, programSignature)
            && SameSignature(programSignature, signature)) {
            found = path;
            return true;
        }
    }
    if (depth <= 0)
        return false;
    for (const std::string& name : FolderEntries(folder)) {
        std::string path = folder + "/" + name;
        struct stat st;
        // Links to folders are not followed: they may loop.
        if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)
            && FindProgram(path, signature, depth - 1, found))
            return true;
    }
    return false;
}

struct DesktopEntry {
    std::string signature;
    std::string exec;
    std::string tryExec;
};

// Reads the keys of the "[Desktop Entry]" group that matter here.
DesktopEntry ReadDesktopEntry(const std::string& path)
{
    DesktopEntry entry;
    std::ifstream stream(path);
    std::string line;
    bool inGroup = false;
    size_t lines = 0;
    while (std::getline(stream, line) && ++lines < 10000) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '[') {
            inGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inGroup)
            continue;
        size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string key = line.substr(0, equals);
        while (!key.empty() && key.back() == ' ')
            key.pop_back();
        size_t start = line.find_first_not_of(' ', equals + 1);
        std::string value = start == std::string::npos ? std::string() : line.substr(start);
        if (key == kDesktopSignatureKey)
            entry.signature = value;
        else if (key == "Exec")
            entry.exec = value;
        else if (key == "TryExec")
            entry.tryExec = value;
    }
    return entry;
}

// The program of an Exec value: its first word, quotes removed.
std::string ExecProgram(const std::string& exec)
{
    std::string program;
    size_t at = 0;
    while (at < exec.size() && exec[at] == ' ')
        at++;
    if (at < exec.size() && exec[at] == '"') {
        for (at++; at < exec.size() && exec[at] != '"'; at++) {
            if (exec[at] == '\\' && at + 1 < exec.size())
                at++;
            program += exec[at];
        }
        return program;
    }
    size_t end = exec.find(' ', at);
    return exec.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

std::string DesktopProgram(const DesktopEntry& entry, const std::string& desktopFile)
{
    for (const std::string& name : {entry.tryExec, ExecProgram(entry.exec)}) {
        if (name.empty())
            continue;
        std::string program = name.find('/') != std::string::npos ? name : find_program(name);
        if (!program.empty() && IsProgram(program))
            return program;
    }
    return desktopFile;
}

bool IdMatches(const std::string& id, const char* signature)
{
    if (SameSignature(id, signature))
        return true;
    const char* prefix = "application/";
    return strncasecmp(signature, prefix, strlen(prefix)) == 0
        && SameSignature(id, signature + strlen(prefix));
}

// Searches the menu entries below folder; prefix is the desktop file id
// prefix of its subfolder ("vendor-").
bool FindDesktopEntry(const std::string& folder, const std::string& prefix, const char* signature,
    int depth, std::string& found)
{
    const std::string suffix = ".desktop";
    for (const std::string& name : FolderEntries(folder)) {
        std::string path = folder + "/" + name;
        if (name.size() > suffix.size()
            && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0
            && !IsFolder(path)) {
            DesktopEntry entry = ReadDesktopEntry(path);
            std::string id = prefix + name.substr(0, name.size() - suffix.size());
            if ((!entry.signature.empty() && SameSignature(entry.signature, signature))
                || IdMatches(id, signature)) {
                found = DesktopProgram(entry, path);
                return true;
            }
        } else if (depth > 0 && IsFolder(path)
            && FindDesktopEntry(path, prefix + name + "-", signature, depth - 1, found)) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> DesktopFolders()
{
    std::vector<std::string> folders;
    std::string user = StandardFolder(B_USER_DESKBAR_DIRECTORY);
    if (!user.empty())
        folders.push_back(user);
    // The system's menu entries are outside the sandbox: not consulted there.
    if (sandbox_active())
        return folders;
    const char* value = getenv("XDG_DATA_DIRS");
    std::string list = value != nullptr && *value != '\0' ? value : "/usr/local/share:/usr/share";
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(':', start);
        if (end == std::string::npos)
            end = list.size();
        std::string folder = list.substr(start, end - start);
        if (!folder.empty() && folder[0] == '/') {
            while (folder.size() > 1 && folder.back() == '/')
                folder.pop_back();
            folders.push_back(folder + "/applications");
        }
        start = end + 1;
    }
    return folders;
}

} // namespace


BRoster::BRoster()
{
}


BRoster::~BRoster()
{
}


status_t
BRoster::FindApp(const char* signature, entry_ref* app) const
{
    if (signature == nullptr || *signature == '\0' || app == nullptr)
        return B_BAD_VALUE;

    std::string found;
    bool match = false;
    for (directory_which which : {B_APPS_DIRECTORY, B_BEOS_APPS_DIRECTORY,
            B_BEOS_PREFERENCES_DIRECTORY}) {
        std::string folder = StandardFolder(which);
        if (!folder.empty() && FindProgram(folder, signature, kApplicationDepth, found)) {
            match = true;
            break;
        }
    }
    if (!match) {
        std::vector<std::string> binFolders = {StandardFolder(B_BEOS_BIN_DIRECTORY),
            StandardFolder(B_COMMON_BIN_DIRECTORY)};
        // ~/.local/bin, beside "User Libraries" (~/.local/lib).
        std::string userLib = StandardFolder(B_USER_LIB_DIRECTORY);
        size_t slash = userLib.rfind('/');
        if (slash != std::string::npos)
            binFolders.push_back(userLib.substr(0, slash) + "/bin");
        for (const std::string& folder : binFolders) {
            if (!folder.empty() && FindProgram(folder, signature, 0, found)) {
                match = true;
                break;
            }
        }
    }
    if (!match) {
        for (const std::string& folder : DesktopFolders()) {
            if (FindDesktopEntry(folder, std::string(), signature, kDesktopDepth, found)) {
                match = true;
                break;
            }
        }
    }
    if (!match)
        return B_LAUNCH_FAILED_APP_NOT_FOUND;
    return get_ref_for_path(found.c_str(), app);
}


status_t
BRoster::Launch(const entry_ref* ref, const BMessage* initialMessage, team_id* appTeam) const
{
    if (ref == nullptr)
        return B_BAD_VALUE;
    if (initialMessage != nullptr)
        return B_BAD_VALUE;
    BPath path;
    BEntry entry(ref, true);
    if (entry.InitCheck() != B_OK || !entry.Exists() || entry.GetPath(&path) != B_OK)
        return B_ENTRY_NOT_FOUND;
    if (!IsProgram(path.Path()))
        return B_LAUNCH_FAILED_EXECUTABLE;
    process_options options;
    options.wait = false;
    process_result result;
    status_t status = run_process({path.Path()}, options, &result);
    if (status == B_OK && appTeam != nullptr)
        *appTeam = result.pid;
    return status;
}
