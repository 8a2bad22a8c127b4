// BNodeInfo: the file type, preferred application and icons of a node, as
// the platform keeps them in attributes:
//   "BEOS:TYPE"            'MIMS' the MIME type with its NUL (also mirrored
//                          to the freedesktop attribute "user.mime_type")
//   "BEOS:PREF_APP"        'MIMS' signature of the preferred application
//   "BEOS:PPATH"           'MIMS' path hint of the preferred application
//   "BEOS:L:STD_ICON"      'ICON' 32x32 icon, 1024 bytes of B_CMAP8 indices
//   "BEOS:M:STD_ICON"      'MICN' 16x16 icon, 256 bytes of B_CMAP8 indices
// Icons are handed over as raw palette indices (size * size bytes, top row
// first, index 255 transparent); the interface kit turns them into bitmaps.
// Sizes are 32 (B_LARGE_ICON) and 16 (B_MINI_ICON).
#pragma once

#include <EntryRef.h>
#include <StorageDefs.h>

class BNode;

class BNodeInfo {
public:
    BNodeInfo();
    BNodeInfo(BNode* node);
    virtual ~BNodeInfo();

    status_t SetTo(BNode* node);
    status_t InitCheck() const;

    // The node's MIME type (buffer of B_MIME_TYPE_LENGTH bytes). Without a
    // stored type a folder reports "application/x-vnd.Be-directory" and a
    // symbolic link "application/x-vnd.Be-symlink"; any other node without
    // a type gives B_ENTRY_NOT_FOUND.
    virtual status_t GetType(char* type) const;
    // NULL removes the type.
    virtual status_t SetType(const char* type);

    virtual status_t GetPreferredApp(char* signature, uint32 verb = 0) const;
    virtual status_t SetPreferredApp(const char* signature, uint32 verb = 0);
    status_t GetAppHint(entry_ref* ref) const;
    status_t SetAppHint(const entry_ref* ref);

    // The node's own icon of size 16 or 32 into data (size * size bytes).
    // B_BAD_VALUE for another size, B_ENTRY_NOT_FOUND without an icon,
    // B_BAD_DATA when the stored icon has the wrong length.
    virtual status_t GetIcon(uint8* data, int32 size = 32) const;
    // Stores the icon (size * size bytes); NULL removes it.
    virtual status_t SetIcon(const uint8* data, int32 size = 32);

    // The icon the desktop shows: the node's own icon, or else a generic
    // icon for its kind (folder, link, application, document).
    status_t GetTrackerIcon(uint8* data, int32 size = 32) const;
    static status_t GetTrackerIcon(const entry_ref* ref, uint8* data, int32 size = 32);

private:
    BNode* fNode;
    status_t fStatus;
};

// The generic desktop icon of a kind of entry, size * size palette indices.
enum generic_icon_kind {
    B_GENERIC_DOCUMENT_ICON,
    B_GENERIC_FOLDER_ICON,
    B_GENERIC_APPLICATION_ICON,
    B_GENERIC_SYMLINK_ICON,
};
status_t get_generic_icon(generic_icon_kind kind, uint8* data, int32 size);
