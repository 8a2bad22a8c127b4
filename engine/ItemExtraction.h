// Unpacking one install item from the installer's resources: the raw
// resource holds a zip archive whose top entry carries the resource's name.
//
// The archive is written and unpacked in a private folder on the same file
// system as the target (the temporary folder when it lies there, else a
// hidden folder beside the target), so the unpacked item reaches the target
// by a rename and is never copied a second time. A damaged archive places
// nothing: a partly unpacked item never reaches the target.
#pragma once

#include <SupportDefs.h>

#include <string>

class BResources;
class LibWorkFolders;

// Name prefix of the working folders in the temporary folder (followed by
// the process id, so that a later run can remove those of a dead run).
constexpr const char* kItemWorkFolderPrefix = "ondelle-item-";

enum item_extraction_result {
    ITEM_EXTRACTED = 0,
    // No raw resource of that id.
    ITEM_NO_ARCHIVE,
    // The resource could not be written out or unpacked, or holds no entry
    // of its name; reason tells which.
    ITEM_NOT_UNPACKED,
    // Unpacked, but the item could not be moved to the target.
    ITEM_NOT_MOVED
};

// Unpacks raw resource id to target (which should not exist yet). reason
// receives a short explanation for any result but ITEM_EXTRACTED; a volume
// that runs out of room is named as full, not taken for a damaged archive.
// The working folder is registered with workFolders, when given, while it
// exists, so that a stop can remove it.
item_extraction_result ExtractItemArchive(BResources& resources, int32 id, const char* target,
    std::string& reason, LibWorkFolders* workFolders = nullptr);
