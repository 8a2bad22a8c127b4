// The platform's standard folders in the order a folder menu lists them:
// the desktop, Trash and application folders, the system's own folders
// (optional), the common folders and the user's folders, with a separator
// between the groups.
#pragma once

#include <FindDirectory.h>

#include <vector>

struct LibStdFolderEntry {
    bool separator;
    directory_which code;   // meaningful only when separator is false
};

std::vector<LibStdFolderEntry> LibStdFolderList(bool includeSystem);
