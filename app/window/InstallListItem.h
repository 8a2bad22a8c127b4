// InstallListItem: one entry of the installer window's item list, for one
// install item of the configuration: the item's icon and leaf name (through
// FileListItem), the groups that contain it and its size, which the window
// sums over the selection.
#pragma once

#include <FileListItem.h>
#include <LibStringList.h>
#include <SupportDefs.h>

class BMessage;

class InstallListItem : public FileListItem {
public:
    // An empty item: no path, no groups, size 0.
    explicit InstallListItem(const bool& showFullPath);
    // The item of the entry at path (icon and kind from the disk); no
    // groups, size 0.
    InstallListItem(const char* path, const bool& indented, const bool& showFullPath);
    // The path, kind, icon and group names of other; size 0.
    InstallListItem(InstallListItem& other, const bool& indented);

    InstallListItem& operator=(const InstallListItem&) = delete;

    // Reads the path, kind and icon as FileListItem does (the display text
    // is the leaf name unless full paths are shown), the groups from
    // "groups" (";"-separated, text after the last ";" counts as a last
    // name) and the size from "file_size" value 0.
    void Read(BMessage& item) override;
    // Writes what FileListItem writes (its "file_size" is the size the
    // entry takes on this disk), then "groups" as every name followed by
    // ";" and the item's own size as a second "file_size" value. When the
    // entry is not on this disk, the first "file_size" value is the item's
    // own size as well, so that Read gives back the size that was written.
    void Write(BMessage& item) override;

    void SetSize(const int32& size) { fSize = size; }
    int32 Size() const { return fSize; }
    const LibStringList& Groups() const { return fGroups; }
    // Whether name is one of the item's groups (case-sensitive).
    bool InList(const char* name);

private:
    LibStringList fGroups;
    int32 fSize = 0;
};
