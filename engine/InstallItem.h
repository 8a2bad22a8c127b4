// Read-only view of one install item of a configuration (one "install_file"
// message) and of its placement rules ("install_meta"). It copies nothing:
// it keeps a pointer to the item message, which must outlive the view and
// must not be changed while the view is used.
//
// Every reader gives the field's value at index 0, or the default of the
// configuration when the field is missing or has another type: no text for
// strings, 0 for numbers, false for flags, null for messages.
#pragma once

#include <string>
#include <string_view>

#include <SupportDefs.h>

class BMessage;

class InstallItem {
public:
    // item may be null; the view then reads every field as missing.
    explicit            InstallItem(const BMessage* item);

    bool                IsValid() const { return fItem != nullptr; }
    const BMessage*     Message() const { return fItem; }

    // --- The item ------------------------------------------------------
    // Path of the item where the build was made. Only its leaf name counts
    // at install time (after an install it names where the item was put).
    bool                HasFileName() const;
    const char*         FileName() const;
    std::string         LeafName() const;
    // Kind code kept for the item list; not interpreted by the installer.
    int8                FileType() const;
    // Value 0 of "file_size": the item's bytes, data and attributes.
    int32               FileSize() const;
    // Value 1 of "file_size": the list item's size when it was written.
    int32               ListedSize() const;
    int32               CountFileSizes() const;
    // Time stamps in seconds since 1970; false when the item has none.
    bool                GetCreationTime(int64& seconds) const;
    bool                GetModificationTime(int64& seconds) const;
    bool                GetAccessTime(int64& seconds) const;
    // Archived 16 x 16 icon, or null.
    const BMessage*     Icon() const;
    // Group names, each followed by ";" ("Minimum;Typical;").
    const char*         Groups() const;
    // True when one ";"-separated field of Groups() equals group exactly.
    bool                IsInGroup(const char* group) const;
    // True only when "install_to_system" is present and true.
    bool                IsSelected() const;
    bool                HasSelectionMark() const;

    // --- Placement rules ("install_meta") --------------------------------
    const BMessage*     Meta() const;
    // "User Selected", a custom folder's name or a standard directory's
    // display name.
    const char*         Destination() const;
    bool                StaysInInstallFolder() const;
    // "Prompt", "Rename"; anything else acts as "Replace".
    const char*         DestinationExists() const;
    // "None", "User Selected", or a destination name as for Destination().
    const char*         Link() const;
    bool                HasNoLink() const;
    const char*         LinkExists() const;
    const char*         Deinstallable() const;
    bool                IsDeinstallable() const;
    bool                IsAutoLaunch() const;
    const char*         AutoLaunchReason() const;

    // Leaf name of a path: the part after the last "/", trailing slashes
    // ignored ("/boot/apps/Tool/" gives "Tool", "/" gives "").
    static std::string_view LeafOf(const char* path);
    // True when one field of a ";"-separated group list equals group
    // exactly. "Minimum;Typical;" holds "Minimum" and "Typical" only.
    static bool         ListsGroup(const char* groups, const char* group);

private:
    const char*         _MetaString(const char* name) const;

    const BMessage*     fItem;
};
