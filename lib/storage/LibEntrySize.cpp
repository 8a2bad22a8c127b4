// Recursive size of an entry, optionally with its attributes.
#include "LibFileUtils.h"

#include <Directory.h>
#include <Entry.h>
#include <Node.h>

#include <climits>

namespace {

int64 EntrySize(const char* path, bool withAttributes)
{
    BNode node(path);
    if (node.InitCheck() != B_OK)
        return 0;
    struct stat st;
    if (node.GetStat(&st) != B_OK)
        return 0;
    int64 size = st.st_size;
    if (withAttributes) {
        char name[B_ATTR_NAME_LENGTH];
        node.RewindAttrs();
        while (node.GetNextAttrName(name) == B_OK) {
            attr_info info;
            if (node.GetAttrInfo(name, &info) == B_OK)
                size += info.size;
        }
    }
    if (!S_ISDIR(st.st_mode))
        return size;
    node.Unset();

    BDirectory directory(path);
    if (directory.InitCheck() != B_OK)
        return size;
    BEntry entry;
    while (directory.GetNextEntry(&entry, false) == B_OK) {
        const char* child = entry.PathName();
        if (child != nullptr)
            size += EntrySize(child, withAttributes);
    }
    return size;
}

} // namespace

int32 LibEntrySize(const char* path, bool withAttributes)
{
    if (path == nullptr || *path == '\0')
        return 0;
    // Kept in 64 bits and capped, so that a tree over 2 GiB does not turn
    // into a negative size.
    const int64 size = EntrySize(path, withAttributes);
    return size > INT32_MAX ? INT32_MAX : int32(size);
}
