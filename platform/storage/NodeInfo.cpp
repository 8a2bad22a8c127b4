#include <NodeInfo.h>

#include <Entry.h>
#include <MimeType.h>
#include <Node.h>
#include <TypeConstants.h>

#include "StoragePrivate.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char kTypeAttr[] = "BEOS:TYPE";
const char kPreferredAppAttr[] = "BEOS:PREF_APP";
const char kAppHintAttr[] = "BEOS:PPATH";
const char kLargeIconAttr[] = "BEOS:L:STD_ICON";
const char kMiniIconAttr[] = "BEOS:M:STD_ICON";

// Reads a MIME-string attribute (stored with its NUL) into a buffer of
// B_MIME_TYPE_LENGTH bytes.
status_t ReadMimeString(const BNode* node, const char* name, char* buffer)
{
    std::string value;
    status_t status = node->ReadAttrString(name, &value);
    if (status != B_OK)
        return status;
    if (value.empty())
        return B_ENTRY_NOT_FOUND;
    if (value.size() >= B_MIME_TYPE_LENGTH)
        return B_BAD_DATA;
    std::snprintf(buffer, B_MIME_TYPE_LENGTH, "%s", value.c_str());
    return B_OK;
}

status_t WriteMimeString(BNode* node, const char* name, const char* value)
{
    if (value == nullptr) {
        status_t status = node->RemoveAttr(name);
        return status == B_ENTRY_NOT_FOUND ? B_OK : status;
    }
    size_t length = std::strlen(value);
    if (length >= B_MIME_TYPE_LENGTH)
        return B_BAD_VALUE;
    ssize_t written = node->WriteAttr(name, B_MIME_STRING_TYPE, 0, value, length + 1);
    return written < 0 ? status_t(written) : B_OK;
}

const char* IconAttr(int32 size)
{
    return size == 32 ? kLargeIconAttr : size == 16 ? kMiniIconAttr : nullptr;
}

} // namespace

BNodeInfo::BNodeInfo()
    : fNode(nullptr),
      fStatus(B_NO_INIT)
{
}

BNodeInfo::BNodeInfo(BNode* node)
    : BNodeInfo()
{
    SetTo(node);
}

BNodeInfo::~BNodeInfo() = default;

status_t BNodeInfo::SetTo(BNode* node)
{
    fNode = nullptr;
    if (node == nullptr || node->InitCheck() != B_OK)
        return fStatus = B_BAD_VALUE;
    fNode = node;
    return fStatus = B_OK;
}

status_t BNodeInfo::InitCheck() const
{
    return fStatus;
}

status_t BNodeInfo::GetType(char* type) const
{
    if (type == nullptr)
        return B_BAD_VALUE;
    type[0] = '\0';
    if (fStatus != B_OK)
        return B_NO_INIT;
    status_t status = ReadMimeString(fNode, kTypeAttr, type);
    if (status == B_OK)
        return B_OK;
    if (status != B_ENTRY_NOT_FOUND && status != B_UNSUPPORTED && status != B_NOT_ALLOWED)
        return status;
    // Folders and links have a type by their kind.
    if (fNode->IsDirectory()) {
        std::snprintf(type, B_MIME_TYPE_LENGTH, "%s", B_DIRECTORY_MIME_TYPE);
        return B_OK;
    }
    if (fNode->IsSymLink()) {
        std::snprintf(type, B_MIME_TYPE_LENGTH, "%s", B_SYMLINK_MIME_TYPE);
        return B_OK;
    }
    return status;
}

status_t BNodeInfo::SetType(const char* type)
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (type != nullptr && !BMimeType::IsValid(type))
        return B_BAD_VALUE;
    return WriteMimeString(fNode, kTypeAttr, type);
}

status_t BNodeInfo::GetPreferredApp(char* signature, uint32) const
{
    if (signature == nullptr)
        return B_BAD_VALUE;
    signature[0] = '\0';
    if (fStatus != B_OK)
        return B_NO_INIT;
    return ReadMimeString(fNode, kPreferredAppAttr, signature);
}

status_t BNodeInfo::SetPreferredApp(const char* signature, uint32)
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (signature != nullptr && !BMimeType::IsValid(signature))
        return B_BAD_VALUE;
    return WriteMimeString(fNode, kPreferredAppAttr, signature);
}

status_t BNodeInfo::GetAppHint(entry_ref* ref) const
{
    if (ref == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    std::string path;
    status_t status = fNode->ReadAttrString(kAppHintAttr, &path);
    if (status != B_OK)
        return status;
    return get_ref_for_path(path.c_str(), ref);
}

status_t BNodeInfo::SetAppHint(const entry_ref* ref)
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (ref == nullptr) {
        status_t status = fNode->RemoveAttr(kAppHintAttr);
        return status == B_ENTRY_NOT_FOUND ? B_OK : status;
    }
    std::string path;
    status_t status = get_ref_path(*ref, &path);
    if (status != B_OK)
        return status;
    ssize_t written = fNode->WriteAttr(kAppHintAttr, B_MIME_STRING_TYPE, 0, path.c_str(), path.size() + 1);
    return written < 0 ? status_t(written) : B_OK;
}

status_t BNodeInfo::GetIcon(uint8* data, int32 size) const
{
    const char* name = IconAttr(size);
    if (data == nullptr || name == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    attr_info info;
    status_t status = fNode->GetAttrInfo(name, &info);
    if (status != B_OK)
        return status;
    if (info.size != off_t(size) * size)
        return B_BAD_DATA;
    ssize_t read = fNode->ReadAttr(name, size == 32 ? B_LARGE_ICON_TYPE : B_MINI_ICON_TYPE, 0, data,
        size_t(size) * size);
    if (read < 0)
        return status_t(read);
    return read == ssize_t(size) * size ? B_OK : B_BAD_DATA;
}

status_t BNodeInfo::SetIcon(const uint8* data, int32 size)
{
    const char* name = IconAttr(size);
    if (name == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (data == nullptr) {
        status_t status = fNode->RemoveAttr(name);
        return status == B_ENTRY_NOT_FOUND ? B_OK : status;
    }
    ssize_t written = fNode->WriteAttr(name, size == 32 ? B_LARGE_ICON_TYPE : B_MINI_ICON_TYPE, 0, data,
        size_t(size) * size);
    return written < 0 ? status_t(written) : B_OK;
}

status_t BNodeInfo::GetTrackerIcon(uint8* data, int32 size) const
{
    if (data == nullptr || IconAttr(size) == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    // An icon that is transparent throughout would show as an empty
    // square; it counts as no icon.
    if (GetIcon(data, size) == B_OK
        && std::any_of(data, data + size_t(size) * size_t(size), [](uint8 index) { return index != 0xff; }))
        return B_OK;
    generic_icon_kind kind = B_GENERIC_DOCUMENT_ICON;
    char type[B_MIME_TYPE_LENGTH];
    if (fNode->IsSymLink())
        kind = B_GENERIC_SYMLINK_ICON;
    else if (fNode->IsDirectory())
        kind = B_GENERIC_FOLDER_ICON;
    else if (GetType(type) == B_OK && std::strcmp(type, B_APP_MIME_TYPE) == 0)
        kind = B_GENERIC_APPLICATION_ICON;
    else {
        mode_t permissions = 0;
        if (fNode->GetPermissions(&permissions) == B_OK && (permissions & 0111) != 0)
            kind = B_GENERIC_APPLICATION_ICON;
    }
    return get_generic_icon(kind, data, size);
}

status_t BNodeInfo::GetTrackerIcon(const entry_ref* ref, uint8* data, int32 size)
{
    if (ref == nullptr)
        return B_BAD_VALUE;
    BNode node(ref);
    status_t status = node.InitCheck();
    if (status != B_OK)
        return status;
    BNodeInfo info(&node);
    return info.GetTrackerIcon(data, size);
}
