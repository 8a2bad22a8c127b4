// The deinstall tag and its attribute.
#include "DeinstallTag.h"

#include <Directory.h>
#include <Entry.h>
#include <LibNode.h>
#include <Message.h>
#include <StopPoint.h>

#include <TypeConstants.h>

#include <cstring>
#include <vector>

namespace {

const char* const kTagFields[] = {"app_name", "version", "release_date", "company", "support_email"};

} // namespace


std::string MakeDeinstallTag(const BMessage& configuration)
{
    std::string tag;
    for (const char* field : kTagFields) {
        const char* value = nullptr;
        if (configuration.FindString(field, &value) == B_OK && value != nullptr)
            tag += value;
        tag += ';';
    }
    return tag;
}


void TagForDeinstall(const char* path, const char* tag)
{
    if (path == nullptr || tag == nullptr)
        return;
    // A killed install thread tags nothing more.
    stop_point();

    std::vector<std::string> children;
    {
        LibNode node(path);
        if (node.InitCheck() != B_OK)
            return;
        // A write at offset 0 replaces the whole value and its type, so
        // nothing is removed (or looked up) first.
        node.WriteAttr(DEINSTALL_TAG_ATTRIBUTE, B_STRING_TYPE, 0, tag, strlen(tag));
        if (!node.IsDirectory())
            return;
        // The names are gathered first and the folder closed before the
        // entries are tagged, so a deep tree never holds a descriptor per
        // level.
        BDirectory directory(path);
        if (directory.InitCheck() != B_OK)
            return;
        // The folder's own path has its links resolved already, so each
        // entry's path is that path and its name: no entry is resolved
        // again here (the node is, when it is tagged).
        const std::string folder = directory.PathName() != nullptr ? directory.PathName() : path;
        directory.Rewind();
        entry_ref ref;
        while (directory.GetNextRef(&ref) == B_OK) {
            if (ref.name != nullptr)
                children.push_back(folder == "/" ? folder + ref.name : folder + "/" + ref.name);
        }
    }
    for (const std::string& child : children)
        TagForDeinstall(child.c_str(), tag);
}


bool HasDeinstallTag(const char* path, const char* tag)
{
    if (path == nullptr || tag == nullptr)
        return false;
    BNode node(path);
    std::string value;
    return node.InitCheck() == B_OK
        && node.ReadAttrString(DEINSTALL_TAG_ATTRIBUTE, &value) == B_OK && value == tag;
}
