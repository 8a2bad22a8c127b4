// Recursive size of an entry, optionally with its attributes.
#include "LibFileUtils.h"

#include <Node.h>

#include <climits>
#include <dirent.h>
#include <string>
#include <sys/stat.h>

namespace {

int64 AttributeSize(const char* path)
{
    BNode node(path);
    if (node.InitCheck() != B_OK)
        return 0;
    int64 size = 0;
    char name[B_ATTR_NAME_LENGTH];
    node.RewindAttrs();
    while (node.GetNextAttrName(name) == B_OK) {
        attr_info info;
        if (node.GetAttrInfo(name, &info) == B_OK)
            size += info.size;
    }
    return size;
}

// The entry itself (a link is not followed), then the tree below a folder.
int64 EntrySize(const std::string& path, bool withAttributes)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return 0;
    int64 size = st.st_size;
    if (withAttributes)
        size += AttributeSize(path.c_str());
    if (!S_ISDIR(st.st_mode))
        return size;
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr)
        return size;
    const std::string prefix = path == "/" ? path : path + "/";
    while (const struct dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        size += EntrySize(prefix + name, withAttributes);
    }
    ::closedir(dir);
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
