#include "InstallListItem.h"

#include <Entry.h>
#include <Font.h>
#include <LibStringIterator.h>
#include <Message.h>

namespace {

const char* const kGroupsField = "groups";
const char* const kSizeField = "file_size";

} // namespace

InstallListItem::InstallListItem(const bool& showFullPath)
    : FileListItem(false, showFullPath)
{
    SetTruncateMode(B_TRUNCATE_BEGINNING);
}

InstallListItem::InstallListItem(const char* path, const bool& indented, const bool& showFullPath)
    : FileListItem(path, indented, showFullPath)
{
    SetTruncateMode(B_TRUNCATE_BEGINNING);
}

InstallListItem::InstallListItem(InstallListItem& other, const bool& indented)
    : FileListItem(other, indented),
      fGroups(other.fGroups)
{
    SetTruncateMode(B_TRUNCATE_BEGINNING);
}

void InstallListItem::Read(BMessage& item)
{
    FileListItem::Read(item);

    fGroups.Clear();
    const char* groups = nullptr;
    if (item.FindString(kGroupsField, &groups) == B_OK && groups != nullptr) {
        LibStringIterator fields(groups);
        LibString name;
        while (fields.GetNextField(';', name))
            fGroups.Add(name);
    }

    int32 size = 0;
    if (item.FindInt32(kSizeField, 0, &size) == B_OK)
        fSize = size;
}

void InstallListItem::Write(BMessage& item)
{
    int32 sizesBefore = 0;
    type_code type = 0;
    if (item.GetInfo(kSizeField, &type, &sizesBefore) != B_OK)
        sizesBefore = 0;
    FileListItem::Write(item);
    // An entry that is not on this disk measures 0: its recorded size
    // stands in for it.
    const char* path = Path().Path();
    if (path == nullptr || !BEntry(path).Exists())
        item.ReplaceInt32(kSizeField, sizesBefore, fSize);

    LibString groups;
    for (LibString* name = fGroups.First(); name != nullptr; name = fGroups.Next()) {
        groups += *name;
        groups += ";";
    }
    item.AddString(kGroupsField, groups);
    item.AddInt32(kSizeField, fSize);
}

bool InstallListItem::InList(const char* name)
{
    return name != nullptr && fGroups.InList(name);
}
