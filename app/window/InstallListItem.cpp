#include "InstallListItem.h"

#include <Font.h>
#include <Message.h>

#include <algorithm>

InstallListItem::InstallListItem(const bool& showFullPath)
    : FileListItem(false, showFullPath)
{
    SetTruncateMode(B_TRUNCATE_BEGINNING);
}

void InstallListItem::Read(BMessage& item)
{
    FileListItem::Read(item);

    fGroups.clear();
    const char* groups = nullptr;
    if (item.FindString("groups", &groups) == B_OK && groups != nullptr) {
        std::string field;
        for (const char* c = groups; *c != '\0'; c++) {
            if (*c == ';') {
                fGroups.push_back(field);
                field.clear();
            } else {
                field += *c;
            }
        }
        if (!field.empty())
            fGroups.push_back(field);
    }

    int32 size = 0;
    if (item.FindInt32("file_size", 0, &size) == B_OK)
        fSize = size;
}

bool InstallListItem::InList(const char* name) const
{
    return name != nullptr && std::find(fGroups.begin(), fGroups.end(), name) != fGroups.end();
}
