#include "InstallListItem.h"

#include <Message.h>

#include <algorithm>

InstallListItem::InstallListItem(const bool& showFullPath)
    : BStringItem(""),
      fShowFullPath(showFullPath)
{
}

void InstallListItem::Read(const BMessage& item)
{
    const char* name = nullptr;
    if (item.FindString("file_name", &name) == B_OK && name != nullptr) {
        std::string text = name;
        const size_t slash = text.rfind('/');
        if (!fShowFullPath && slash != std::string::npos && slash + 1 < text.size())
            text = text.substr(slash + 1);
        SetText(text.c_str());
    }

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
