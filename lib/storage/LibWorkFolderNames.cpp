// Working folders named after their process, and the removal of those that
// dead runs left behind.
#include "LibFileUtils.h"

#include <Directory.h>
#include <Entry.h>
#include <FindDirectory.h>
#include <OS.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The process id in a name "<prefix><pid>-...", or -1 when the name is not
// of that form.
long OwnerOf(const std::string& name, const std::string& prefix)
{
    if (name.compare(0, prefix.size(), prefix) != 0)
        return -1;
    size_t at = prefix.size();
    size_t end = at;
    while (end < name.size() && name[end] >= '0' && name[end] <= '9' && end - at < 10)
        end++;
    if (end == at || end >= name.size() || name[end] != '-')
        return -1;
    return std::strtol(name.substr(at, end - at).c_str(), nullptr, 10);
}

bool ProcessIsGone(long pid)
{
    team_info info;
    return pid > 0 && pid != long(::getpid()) && get_team_info(team_id(pid), &info) != B_OK;
}

} // namespace

status_t LibCreateWorkFolder(BPath& path, const char* prefix)
{
    const std::string named = std::string(prefix != nullptr ? prefix : "") + std::to_string(::getpid()) + "-";
    return LibCreateUniqueFolder(path, named.c_str());
}

int32 LibRemoveStaleWorkFolders(const char* folder, const char* prefix)
{
    BPath where;
    if (folder == nullptr || *folder == '\0')
        find_directory(B_COMMON_TEMP_DIRECTORY, &where);
    else
        where.SetTo(folder);
    BDirectory directory(where.Path());
    if (where.Path() == nullptr || prefix == nullptr || *prefix == '\0' || directory.InitCheck() != B_OK)
        return 0;

    std::vector<std::string> stale;
    BEntry entry;
    while (directory.GetNextEntry(&entry, false) == B_OK) {
        char name[B_FILE_NAME_LENGTH];
        if (entry.GetName(name) != B_OK || !ProcessIsGone(OwnerOf(name, prefix)))
            continue;
        // Only folders of this user, never a link or another user's entry.
        const std::string path = std::string(where.Path()) + "/" + name;
        struct stat st;
        if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid())
            stale.push_back(path);
    }
    for (const std::string& path : stale)
        LibUnlink(path.c_str());
    return int32(stale.size());
}
