#include <LibStdFolderList.h>

namespace {

void AddRange(std::vector<LibStdFolderEntry>& list, int32 first, int32 last)
{
    for (int32 code = first; code <= last; ++code)
        list.push_back({false, directory_which(code)});
}

void AddSeparator(std::vector<LibStdFolderEntry>& list)
{
    list.push_back({true, B_DESKTOP_DIRECTORY});
}

} // namespace

std::vector<LibStdFolderEntry> LibStdFolderList(bool includeSystem)
{
    std::vector<LibStdFolderEntry> list;
    list.push_back({false, B_DESKTOP_DIRECTORY});
    list.push_back({false, B_TRASH_DIRECTORY});
    AddRange(list, B_APPS_DIRECTORY, B_UTILITIES_DIRECTORY);
    AddSeparator(list);
    if (includeSystem) {
        AddRange(list, B_BEOS_DIRECTORY, B_BEOS_SOUNDS_DIRECTORY);
        AddSeparator(list);
    }
    AddRange(list, B_COMMON_DIRECTORY, B_COMMON_SOUNDS_DIRECTORY);
    AddSeparator(list);
    AddRange(list, B_USER_DIRECTORY, B_USER_SOUNDS_DIRECTORY);
    return list;
}
