// InstallListItem: one entry of the installer window's item list, for one
// install item of the configuration: the item's icon and leaf name (through
// FileListItem), the groups that contain it and its size, which the window
// sums over the selection.
#pragma once

#include <FileListItem.h>
#include <SupportDefs.h>

#include <string>
#include <vector>

class BMessage;

class InstallListItem : public FileListItem {
public:
    explicit InstallListItem(const bool& showFullPath);

    // Reads the path, kind and icon as FileListItem does (the display text
    // is the leaf name unless full paths are shown), the groups from
    // "groups" (";"-separated, text after the last ";" counts as a last
    // name) and the size from "file_size" value 0.
    void Read(BMessage& item) override;

    void SetSize(const int32& size) { fSize = size; }
    int32 Size() const { return fSize; }
    const std::vector<std::string>& GroupNames() const { return fGroups; }
    // Whether name is one of the item's groups (case-sensitive).
    bool InList(const char* name) const;

private:
    std::vector<std::string> fGroups;
    int32 fSize = 0;
};
