#include "InstallItem.h"

#include <cstring>

#include <ConfigFields.h>
#include <Message.h>

namespace {

const char*
StringOf(const BMessage* message, const char* name)
{
    const char* text = nullptr;
    if (message == nullptr || message->FindString(name, 0, &text) != B_OK || text == nullptr)
        return "";
    return text;
}


bool
Equals(const char* text, const char* value)
{
    return strcmp(text, value) == 0;
}

}  // namespace


InstallItem::InstallItem(const BMessage* item)
    :
    fItem(item)
{
}


bool
InstallItem::HasFileName() const
{
    return fItem != nullptr && fItem->HasString(kFieldFileName);
}


const char*
InstallItem::FileName() const
{
    return StringOf(fItem, kFieldFileName);
}


std::string
InstallItem::LeafName() const
{
    return std::string(LeafOf(FileName()));
}


int8
InstallItem::FileType() const
{
    int8 type = 0;
    if (fItem == nullptr || fItem->FindInt8(kFieldFileType, 0, &type) != B_OK)
        return 0;
    return type;
}


int32
InstallItem::FileSize() const
{
    int32 size = 0;
    if (fItem == nullptr || fItem->FindInt32(kFieldFileSize, 0, &size) != B_OK)
        return 0;
    return size;
}


int32
InstallItem::ListedSize() const
{
    int32 size = 0;
    if (fItem == nullptr || fItem->FindInt32(kFieldFileSize, 1, &size) != B_OK)
        return 0;
    return size;
}


int32
InstallItem::CountFileSizes() const
{
    type_code type = 0;
    int32 count = 0;
    if (fItem == nullptr || fItem->GetInfo(kFieldFileSize, &type, &count) != B_OK
        || type != B_INT32_TYPE) {
        return 0;
    }
    return count;
}


bool
InstallItem::GetCreationTime(int64& seconds) const
{
    return fItem != nullptr && fItem->FindInt64(kFieldFileCreation, 0, &seconds) == B_OK;
}


bool
InstallItem::GetModificationTime(int64& seconds) const
{
    return fItem != nullptr && fItem->FindInt64(kFieldFileModified, 0, &seconds) == B_OK;
}


bool
InstallItem::GetAccessTime(int64& seconds) const
{
    return fItem != nullptr && fItem->FindInt64(kFieldFileAccessed, 0, &seconds) == B_OK;
}


const BMessage*
InstallItem::Icon() const
{
    return fItem != nullptr ? fItem->FindMessagePointer(kFieldFileIcon) : nullptr;
}


const char*
InstallItem::Groups() const
{
    return StringOf(fItem, kFieldItemGroups);
}


bool
InstallItem::IsInGroup(const char* group) const
{
    return ListsGroup(Groups(), group);
}


bool
InstallItem::ListsGroup(const char* groupList, const char* group)
{
    if (groupList == nullptr || group == nullptr)
        return false;
    std::string_view groups(groupList);
    std::string_view wanted(group);
    while (!groups.empty()) {
        size_t end = groups.find(';');
        std::string_view field = groups.substr(0, end);
        if (field == wanted)
            return true;
        if (end == std::string_view::npos)
            break;
        groups.remove_prefix(end + 1);
    }
    return false;
}


bool
InstallItem::IsSelected() const
{
    bool selected = false;
    return fItem != nullptr && fItem->FindBool(kFieldInstallToSystem, 0, &selected) == B_OK
        && selected;
}


bool
InstallItem::HasSelectionMark() const
{
    return fItem != nullptr && fItem->HasBool(kFieldInstallToSystem);
}


const BMessage*
InstallItem::Meta() const
{
    return fItem != nullptr ? fItem->FindMessagePointer(kFieldInstallMeta) : nullptr;
}


const char*
InstallItem::_MetaString(const char* name) const
{
    return StringOf(Meta(), name);
}


const char*
InstallItem::Destination() const
{
    return _MetaString(kFieldDestination);
}


bool
InstallItem::StaysInInstallFolder() const
{
    return Equals(Destination(), kValueUserSelected);
}


const char*
InstallItem::DestinationExists() const
{
    return _MetaString(kFieldDestinationExists);
}


const char*
InstallItem::Link() const
{
    return _MetaString(kFieldLink);
}


bool
InstallItem::HasNoLink() const
{
    return Equals(Link(), kValueNone);
}


const char*
InstallItem::LinkExists() const
{
    return _MetaString(kFieldLinkExists);
}


const char*
InstallItem::Deinstallable() const
{
    return _MetaString(kFieldDeinstallable);
}


bool
InstallItem::IsDeinstallable() const
{
    return Equals(Deinstallable(), kValueTrue);
}


bool
InstallItem::IsAutoLaunch() const
{
    return Equals(_MetaString(kFieldAutoLaunch), kValueTrue);
}


const char*
InstallItem::AutoLaunchReason() const
{
    return _MetaString(kFieldAutoLaunchReason);
}


std::string_view
InstallItem::LeafOf(const char* path)
{
    if (path == nullptr)
        return std::string_view();
    std::string_view text(path);
    while (!text.empty() && text.back() == '/')
        text.remove_suffix(1);
    size_t slash = text.rfind('/');
    if (slash != std::string_view::npos)
        text.remove_prefix(slash + 1);
    return text;
}
