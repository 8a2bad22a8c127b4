// BAppFileInfo: an application file's signature, flags, version records,
// supported types, type and icons.
//
// The platform keeps each piece twice: as an attribute of the file and as a
// resource of the executable (same name and type; resource ids as below).
// Writing stores both places by default; reading takes the attribute first
// and falls back to the resource, which is then looked up by type and name
// and must have the expected id (icons: any id).
//
//   "BEOS:APP_SIG"     'MIMS' id 1   signature, with its NUL
//   "BEOS:APP_FLAGS"   'APPF' id 1   uint32 flags
//   "BEOS:APP_VERSION" 'APPV' id 1   two version records of 340 bytes
//   "BEOS:FILE_TYPES"  'MSGG' id 1   flattened message, string field "types"
//   "BEOS:TYPE"        'MIMS' id 2   the file's own MIME type
//   "BEOS:L:STD_ICON"  'ICON' id 101, "BEOS:M:STD_ICON" 'MICN' id 101
//   "BEOS:L:<type>" / "BEOS:M:<type>"  icons for a supported document type
//
// Resources of files written on big-endian machines keep their contents in
// that order; flags and version records are read in whichever order gives
// sensible values. New values are written little-endian.
//
// Changed resources reach the file when the object is destroyed, set to
// another file, or Sync() is called. The file is then replaced by a new one
// (see Resources.h); the BFile handed to SetTo() is opened again on the new
// file, with the same access where the system allows it.
#pragma once

#include <NodeInfo.h>
#include <StorageDefs.h>

#include <memory>

class BFile;
class BMessage;
class BResources;

enum version_kind {
    B_APP_VERSION_KIND = 0,
    B_SYSTEM_VERSION_KIND = 1,
};

enum {
    B_DEVELOPMENT_VERSION = 0,
    B_ALPHA_VERSION,
    B_BETA_VERSION,
    B_GAMMA_VERSION,
    B_GOLDEN_MASTER_VERSION,
    B_FINAL_VERSION,
};

struct version_info {
    uint32 major;
    uint32 middle;
    uint32 minor;
    uint32 variety;
    uint32 internal;
    char short_info[64];
    char long_info[256];
};

enum info_location {
    B_USE_ATTRIBUTES = 0x1,
    B_USE_RESOURCES = 0x2,
    B_USE_BOTH_LOCATIONS = 0x3,
};

// Application flags ("BEOS:APP_FLAGS").
#ifndef B_SINGLE_LAUNCH
#define B_SINGLE_LAUNCH (0x0)
#define B_MULTIPLE_LAUNCH (0x1)
#define B_EXCLUSIVE_LAUNCH (0x2)
#define B_LAUNCH_MASK (0x3)
#define B_BACKGROUND_APP (0x4)
#define B_ARGV_ONLY (0x8)
#define _B_APP_INFO_RESERVED1_ (0x10000000)
#endif

// Size of one version record in a file.
constexpr size_t B_VERSION_INFO_SIZE = 340;

class BAppFileInfo : public BNodeInfo {
public:
    BAppFileInfo();
    explicit BAppFileInfo(BFile* file);
    virtual ~BAppFileInfo();

    // Binds to an open file. A file that cannot hold resources (neither
    // executable nor resource file) is served from attributes only.
    status_t SetTo(BFile* file);
    status_t InitCheck() const;

    status_t GetType(char* type) const override;
    status_t SetType(const char* type) override;

    // signature: a buffer of B_MIME_TYPE_LENGTH bytes. NULL removes it.
    status_t GetSignature(char* signature) const;
    status_t SetSignature(const char* signature);

    status_t GetAppFlags(uint32* flags) const;
    status_t SetAppFlags(uint32 flags);
    status_t RemoveAppFlags();

    // Replaces types by the stored supported-types message (field "types").
    status_t GetSupportedTypes(BMessage* types) const;
    // NULL removes the list. Only the file's own data is written (there is
    // no separate type database to update).
    status_t SetSupportedTypes(const BMessage* types, bool updateMimeDB, bool syncAll);
    status_t SetSupportedTypes(const BMessage* types, bool syncAll);
    status_t SetSupportedTypes(const BMessage* types);
    bool IsSupportedType(const char* type) const;

    // Icons as palette indices, size * size bytes (size 32 or 16).
    status_t GetIcon(uint8* data, int32 size = 32) const override;
    status_t SetIcon(const uint8* data, int32 size = 32) override;
    status_t GetIconForType(const char* type, uint8* data, int32 size = 32) const;
    status_t SetIconForType(const char* type, const uint8* data, int32 size = 32);

    status_t GetVersionInfo(version_info* info, version_kind kind) const;
    status_t SetVersionInfo(const version_info* info, version_kind kind);

    void SetInfoLocation(info_location location);
    bool IsUsingAttributes() const;
    bool IsUsingResources() const;

    // Writes changed resources to the file now.
    status_t Sync();

private:
    status_t _ReadData(const char* name, int32 id, type_code type, std::string& data, size_t maxSize) const;
    status_t _ReadMimeString(const char* name, int32 id, char* text) const;
    status_t _WriteData(const char* name, int32 id, type_code type, const void* data, size_t length,
        bool findID = false);
    status_t _RemoveData(const char* name, type_code type);
    status_t _SyncResources();
    void _Unset();

    BFile* fFile = nullptr;
    std::unique_ptr<BResources> fResources;
    info_location fWhere = B_USE_BOTH_LOCATIONS;
    status_t fStatus = B_NO_INIT;
};
