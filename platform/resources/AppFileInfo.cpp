#include "AppFileInfo.h"

#include "Resources.h"

#include <File.h>
#include <Message.h>
#include <MimeType.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char* const kTypeName = "BEOS:TYPE";
const char* const kSignatureName = "BEOS:APP_SIG";
const char* const kFlagsName = "BEOS:APP_FLAGS";
const char* const kVersionName = "BEOS:APP_VERSION";
const char* const kSupportedTypesName = "BEOS:FILE_TYPES";
const char* const kLargeIconName = "BEOS:L:STD_ICON";
const char* const kMiniIconName = "BEOS:M:STD_ICON";

constexpr int32 kTypeID = 2;
constexpr int32 kSignatureID = 1;
constexpr int32 kFlagsID = 1;
constexpr int32 kVersionID = 1;
constexpr int32 kSupportedTypesID = 1;
constexpr int32 kIconID = 101;

constexpr size_t kMaxSupportedTypesSize = 1 << 20;

uint32 Get32(const uint8* p, bool bigEndian)
{
    if (bigEndian)
        return (uint32(p[0]) << 24) | (uint32(p[1]) << 16) | (uint32(p[2]) << 8) | uint32(p[3]);
    return uint32(p[0]) | (uint32(p[1]) << 8) | (uint32(p[2]) << 16) | (uint32(p[3]) << 24);
}

void Put32(uint8* p, uint32 value)
{
    p[0] = uint8(value);
    p[1] = uint8(value >> 8);
    p[2] = uint8(value >> 16);
    p[3] = uint8(value >> 24);
}

bool PlausibleFlags(uint32 flags)
{
    return (flags & ~uint32(_B_APP_INFO_RESERVED1_ | B_LAUNCH_MASK | B_BACKGROUND_APP | B_ARGV_ONLY)) == 0;
}

// Version records from big-endian machines are not converted when files
// move; the order that gives a known variety and small numbers wins.
bool VersionIsBigEndian(const uint8* record)
{
    bool littleFits = Get32(record + 12, false) <= B_FINAL_VERSION;
    bool bigFits = Get32(record + 12, true) <= B_FINAL_VERSION;
    if (littleFits != bigFits)
        return bigFits;
    // Variety 0 reads the same both ways: the numbers decide.
    for (int i = 0; i < 5; i++) {
        if (Get32(record + 4 * i, false) >= 0x01000000 && Get32(record + 4 * i, true) < 0x01000000)
            return true;
    }
    return false;
}

void DecodeVersion(const uint8* record, version_info& info)
{
    bool be = VersionIsBigEndian(record);
    info.major = Get32(record, be);
    info.middle = Get32(record + 4, be);
    info.minor = Get32(record + 8, be);
    info.variety = Get32(record + 12, be);
    info.internal = Get32(record + 16, be);
    memcpy(info.short_info, record + 20, sizeof(info.short_info));
    info.short_info[sizeof(info.short_info) - 1] = '\0';
    memcpy(info.long_info, record + 84, sizeof(info.long_info));
    info.long_info[sizeof(info.long_info) - 1] = '\0';
}

void EncodeVersion(const version_info& info, uint8* record)
{
    memset(record, 0, B_VERSION_INFO_SIZE);
    Put32(record, info.major);
    Put32(record + 4, info.middle);
    Put32(record + 8, info.minor);
    Put32(record + 12, info.variety);
    Put32(record + 16, info.internal);
    memcpy(record + 20, info.short_info, strnlen(info.short_info, sizeof(info.short_info) - 1));
    memcpy(record + 84, info.long_info, strnlen(info.long_info, sizeof(info.long_info) - 1));
}

std::string Lower(const char* text)
{
    std::string out(text);
    for (char& c : out)
        c = char(tolower(uint8(c)));
    return out;
}

status_t IconNames(int32 size, type_code* type, const char** prefix)
{
    if (size == 32) {
        *type = B_LARGE_ICON_TYPE;
        *prefix = "BEOS:L:";
        return B_OK;
    }
    if (size == 16) {
        *type = B_MINI_ICON_TYPE;
        *prefix = "BEOS:M:";
        return B_OK;
    }
    return B_BAD_VALUE;
}

} // namespace

BAppFileInfo::BAppFileInfo() = default;

BAppFileInfo::BAppFileInfo(BFile* file)
{
    SetTo(file);
}

BAppFileInfo::~BAppFileInfo()
{
    _Unset();
}

void BAppFileInfo::_Unset()
{
    if (fResources != nullptr) {
        status_t status = _SyncResources();
        if (status != B_OK)
            fprintf(stderr, "BAppFileInfo: resources of %s not written (error 0x%x)\n",
                fResources->Path() != nullptr ? fResources->Path() : "?", unsigned(status));
    }
    fResources.reset();
    fFile = nullptr;
    fStatus = B_NO_INIT;
    BNodeInfo::SetTo(nullptr);
}

status_t BAppFileInfo::SetTo(BFile* file)
{
    _Unset();
    if (file == nullptr || file->InitCheck() != B_OK)
        return fStatus = B_BAD_VALUE;
    info_location where = B_USE_BOTH_LOCATIONS;
    fResources = std::make_unique<BResources>();
    if (fResources->SetTo(file, false) != B_OK) {
        // No resources here: attributes serve alone.
        fResources.reset();
        where = B_USE_ATTRIBUTES;
    }
    status_t status = BNodeInfo::SetTo(file);
    if (status != B_OK) {
        fResources.reset();
        return fStatus = status;
    }
    fFile = file;
    fWhere = where;
    return fStatus = B_OK;
}

status_t BAppFileInfo::InitCheck() const
{
    return fStatus;
}

void BAppFileInfo::SetInfoLocation(info_location location)
{
    // Without resources only attributes can be used.
    fWhere = fResources != nullptr ? location : info_location(location & B_USE_ATTRIBUTES);
}

bool BAppFileInfo::IsUsingAttributes() const
{
    return (fWhere & B_USE_ATTRIBUTES) != 0;
}

bool BAppFileInfo::IsUsingResources() const
{
    return (fWhere & B_USE_RESOURCES) != 0 && fResources != nullptr;
}

status_t BAppFileInfo::Sync()
{
    if (fStatus != B_OK)
        return fStatus;
    return _SyncResources();
}

status_t BAppFileInfo::_SyncResources()
{
    if (fResources == nullptr || !fResources->IsModified())
        return B_OK;
    status_t status = fResources->Sync();
    if (status != B_OK || fFile == nullptr)
        return status;
    // The file was replaced: open the caller's BFile on the new one, so that
    // attributes written through it reach the file that has the resources.
    uint32 mode = fFile->IsWritable() ? B_READ_WRITE : B_READ_ONLY;
    std::string path = fResources->Path();
    if (fFile->SetTo(path.c_str(), mode) != B_OK && fFile->SetTo(path.c_str(), B_READ_ONLY) != B_OK)
        return B_FILE_ERROR;
    return B_OK;
}

status_t BAppFileInfo::_ReadData(const char* name, int32 id, type_code type, std::string& data,
    size_t maxSize) const
{
    status_t status = B_ENTRY_NOT_FOUND;
    if (IsUsingAttributes() && fFile != nullptr) {
        attr_info info;
        status = fFile->GetAttrInfo(name, &info);
        if (status == B_OK && info.type != type)
            status = B_BAD_TYPE;
        if (status == B_OK && (info.size < 0 || uint64(info.size) > maxSize))
            status = B_BAD_DATA;
        if (status == B_OK) {
            data.resize(size_t(info.size));
            ssize_t read = fFile->ReadAttr(name, type, 0, data.data(), data.size());
            if (read == ssize_t(data.size()))
                return B_OK;
            status = read < 0 ? status_t(read) : B_IO_ERROR;
        }
    }
    if (IsUsingResources()) {
        int32 idFound;
        size_t size;
        if (!fResources->GetResourceInfo(type, name, &idFound, &size) || (id >= 0 && idFound != id))
            return status;
        if (size > maxSize)
            return B_BAD_DATA;
        const void* bytes = fResources->LoadResource(type, name, &size);
        if (bytes == nullptr)
            return B_IO_ERROR;
        data.assign(static_cast<const char*>(bytes), size);
        return B_OK;
    }
    return status;
}

status_t BAppFileInfo::_WriteData(const char* name, int32 id, type_code type, const void* data, size_t length,
    bool findID)
{
    if (fStatus != B_OK)
        return fStatus;
    if (IsUsingAttributes()) {
        ssize_t written = fFile->WriteAttr(name, type, 0, data, length);
        if (written < 0)
            return status_t(written);
        if (size_t(written) != length)
            return B_IO_ERROR;
    }
    if (IsUsingResources()) {
        int32 existing;
        bool hasNamed = fResources->GetResourceInfo(type, name, &existing, nullptr);
        if (findID) {
            if (hasNamed)
                id = existing;
            else
                for (id = 0; fResources->HasResource(type, id); id++) {
                }
        } else if (hasNamed && existing != id) {
            // One resource per name, under the id the platform expects.
            status_t status = fResources->RemoveResource(type, existing);
            if (status != B_OK)
                return status;
        }
        status_t status = fResources->AddResource(type, id, data, length, name);
        if (status != B_OK)
            return status;
    }
    return B_OK;
}

status_t BAppFileInfo::_RemoveData(const char* name, type_code type)
{
    if (fStatus != B_OK)
        return fStatus;
    if (IsUsingAttributes()) {
        status_t status = fFile->RemoveAttr(name);
        if (status != B_OK && status != B_ENTRY_NOT_FOUND)
            return status;
    }
    if (IsUsingResources()) {
        int32 id;
        while (fResources->GetResourceInfo(type, name, &id, nullptr)) {
            status_t status = fResources->RemoveResource(type, id);
            if (status != B_OK)
                return status;
        }
    }
    return B_OK;
}

// Reads a MIME string kept under name (attribute) or id (resource) into
// text, which holds B_MIME_TYPE_LENGTH bytes; a stored value that is no
// valid type is refused.
status_t BAppFileInfo::_ReadMimeString(const char* name, int32 id, char* text) const
{
    if (text == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return fStatus;
    std::string data;
    status_t status = _ReadData(name, id, B_MIME_STRING_TYPE, data, B_MIME_TYPE_LENGTH);
    if (status != B_OK)
        return status;
    std::string value(data.c_str());
    if (value.size() >= B_MIME_TYPE_LENGTH || !BMimeType::IsValid(value.c_str()))
        return B_BAD_VALUE;
    strcpy(text, value.c_str());
    return B_OK;
}

status_t BAppFileInfo::GetType(char* type) const
{
    return _ReadMimeString(kTypeName, kTypeID, type);
}

status_t BAppFileInfo::SetType(const char* type)
{
    if (fStatus != B_OK)
        return fStatus;
    if (type == nullptr)
        return _RemoveData(kTypeName, B_MIME_STRING_TYPE);
    if (strlen(type) >= B_MIME_TYPE_LENGTH || !BMimeType::IsValid(type))
        return B_BAD_VALUE;
    if (IsUsingAttributes()) {
        // Through the node's own writer, which also keeps the desktop's copy.
        status_t status = BNodeInfo::SetType(type);
        if (status != B_OK)
            return status;
    }
    if (IsUsingResources())
        return fResources->AddResource(B_MIME_STRING_TYPE, kTypeID, type, strlen(type) + 1, kTypeName);
    return B_OK;
}

status_t BAppFileInfo::GetSignature(char* signature) const
{
    return _ReadMimeString(kSignatureName, kSignatureID, signature);
}

status_t BAppFileInfo::SetSignature(const char* signature)
{
    if (fStatus != B_OK)
        return fStatus;
    if (signature == nullptr)
        return _RemoveData(kSignatureName, B_MIME_STRING_TYPE);
    if (strlen(signature) >= B_MIME_TYPE_LENGTH || !BMimeType::IsValid(signature))
        return B_BAD_VALUE;
    return _WriteData(kSignatureName, kSignatureID, B_MIME_STRING_TYPE, signature, strlen(signature) + 1);
}

status_t BAppFileInfo::GetAppFlags(uint32* flags) const
{
    if (flags == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return fStatus;
    std::string data;
    status_t status = _ReadData(kFlagsName, kFlagsID, 'APPF', data, 4);
    if (status != B_OK)
        return status;
    if (data.size() != 4)
        return B_BAD_DATA;
    const uint8* bytes = reinterpret_cast<const uint8*>(data.data());
    uint32 value = Get32(bytes, false);
    if (!PlausibleFlags(value) && PlausibleFlags(Get32(bytes, true)))
        value = Get32(bytes, true);
    *flags = value;
    return B_OK;
}

status_t BAppFileInfo::SetAppFlags(uint32 flags)
{
    uint8 bytes[4];
    Put32(bytes, flags);
    return _WriteData(kFlagsName, kFlagsID, 'APPF', bytes, sizeof(bytes));
}

status_t BAppFileInfo::RemoveAppFlags()
{
    return _RemoveData(kFlagsName, 'APPF');
}

status_t BAppFileInfo::GetSupportedTypes(BMessage* types) const
{
    if (types == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return fStatus;
    std::string data;
    status_t status = _ReadData(kSupportedTypesName, kSupportedTypesID, B_MESSAGE_TYPE, data,
        kMaxSupportedTypesSize);
    if (status != B_OK)
        return status;
    return types->Unflatten(data.data(), ssize_t(data.size()));
}

status_t BAppFileInfo::SetSupportedTypes(const BMessage* types, bool /*updateMimeDB*/, bool /*syncAll*/)
{
    if (fStatus != B_OK)
        return fStatus;
    if (types == nullptr)
        return _RemoveData(kSupportedTypesName, B_MESSAGE_TYPE);
    const char* type;
    for (int32 i = 0; types->FindString("types", i, &type) == B_OK; i++) {
        if (!BMimeType::IsValid(type))
            return B_BAD_VALUE;
    }
    std::string flat;
    status_t status = types->Flatten(&flat);
    if (status != B_OK)
        return status;
    return _WriteData(kSupportedTypesName, kSupportedTypesID, B_MESSAGE_TYPE, flat.data(), flat.size());
}

status_t BAppFileInfo::SetSupportedTypes(const BMessage* types, bool syncAll)
{
    return SetSupportedTypes(types, true, syncAll);
}

status_t BAppFileInfo::SetSupportedTypes(const BMessage* types)
{
    return SetSupportedTypes(types, true, false);
}

bool BAppFileInfo::IsSupportedType(const char* type) const
{
    if (type == nullptr || !BMimeType::IsValid(type))
        return false;
    BMessage types;
    if (GetSupportedTypes(&types) != B_OK)
        return false;
    std::string wanted = Lower(type);
    std::string wantedSuper = wanted.substr(0, wanted.find('/'));
    const char* supported;
    for (int32 i = 0; types.FindString("types", i, &supported) == B_OK; i++) {
        std::string entry = Lower(supported);
        // A plain supertype covers all its subtypes; octet streams cover all.
        if (entry == wanted || entry == wantedSuper || entry == "application/octet-stream")
            return true;
    }
    return false;
}

status_t BAppFileInfo::GetIcon(uint8* data, int32 size) const
{
    return GetIconForType(nullptr, data, size);
}

status_t BAppFileInfo::SetIcon(const uint8* data, int32 size)
{
    return SetIconForType(nullptr, data, size);
}

status_t BAppFileInfo::GetIconForType(const char* type, uint8* data, int32 size) const
{
    if (data == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return fStatus;
    type_code code;
    const char* prefix;
    status_t status = IconNames(size, &code, &prefix);
    if (status != B_OK)
        return status;
    std::string name;
    if (type == nullptr)
        name = size == 32 ? kLargeIconName : kMiniIconName;
    else if (!BMimeType::IsValid(type))
        return B_BAD_VALUE;
    else
        name = prefix + Lower(type);
    std::string bytes;
    status = _ReadData(name.c_str(), -1, code, bytes, size_t(size * size));
    if (status != B_OK)
        return status;
    if (bytes.size() != size_t(size * size))
        return B_BAD_DATA;
    memcpy(data, bytes.data(), bytes.size());
    return B_OK;
}

status_t BAppFileInfo::SetIconForType(const char* type, const uint8* data, int32 size)
{
    if (fStatus != B_OK)
        return fStatus;
    type_code code;
    const char* prefix;
    status_t status = IconNames(size, &code, &prefix);
    if (status != B_OK)
        return status;
    std::string name;
    if (type == nullptr)
        name = size == 32 ? kLargeIconName : kMiniIconName;
    else if (!BMimeType::IsValid(type))
        return B_BAD_VALUE;
    else
        name = prefix + Lower(type);
    if (data == nullptr)
        return _RemoveData(name.c_str(), code);
    return _WriteData(name.c_str(), type == nullptr ? kIconID : -1, code, data, size_t(size * size),
        type != nullptr);
}

status_t BAppFileInfo::GetVersionInfo(version_info* info, version_kind kind) const
{
    if (info == nullptr || (kind != B_APP_VERSION_KIND && kind != B_SYSTEM_VERSION_KIND))
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return fStatus;
    std::string data;
    status_t status = _ReadData(kVersionName, kVersionID, 'APPV', data, 2 * B_VERSION_INFO_SIZE);
    if (status != B_OK)
        return status;
    if (data.size() != B_VERSION_INFO_SIZE && data.size() != 2 * B_VERSION_INFO_SIZE)
        return B_BAD_DATA;
    size_t offset = size_t(kind) * B_VERSION_INFO_SIZE;
    if (offset >= data.size()) {
        // Only the application's record is there; the system's reads as zeros.
        memset(info, 0, sizeof(*info));
        return B_OK;
    }
    DecodeVersion(reinterpret_cast<const uint8*>(data.data()) + offset, *info);
    return B_OK;
}

status_t BAppFileInfo::SetVersionInfo(const version_info* info, version_kind kind)
{
    if (kind != B_APP_VERSION_KIND && kind != B_SYSTEM_VERSION_KIND)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return fStatus;
    if (info == nullptr)
        return _RemoveData(kVersionName, 'APPV');
    // Both records are always written; the other one keeps its values.
    version_info records[2];
    memset(records, 0, sizeof(records));
    for (int i = 0; i < 2; i++) {
        if (GetVersionInfo(&records[i], version_kind(i)) != B_OK)
            memset(&records[i], 0, sizeof(records[i]));
    }
    records[kind] = *info;
    uint8 bytes[2 * B_VERSION_INFO_SIZE];
    EncodeVersion(records[0], bytes);
    EncodeVersion(records[1], bytes + B_VERSION_INFO_SIZE);
    return _WriteData(kVersionName, kVersionID, 'APPV', bytes, sizeof(bytes));
}
