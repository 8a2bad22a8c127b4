// Unpacking one install item from the installer's resources: the raw
// resource holds a zip archive whose top entry carries the resource's name.
//
// The archive is unpacked in a private folder on the same file system as
// the target (the temporary folder when it lies there, else a hidden folder
// beside the target), so the unpacked item reaches the target by a rename
// and is never copied a second time. A damaged archive places nothing: a
// partly unpacked item never reaches the target.
//
// The work comes in two steps, so that a job can unpack the archives of
// later items ahead of their turn (ItemUnpackPool) and still place each item
// in order: LocateItemArchive() finds the archive in the build, and an
// UnpackedItem unpacks it and later moves the item to its target.
#pragma once

#include <SupportDefs.h>

#include <ZipExtractor.h>

#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

class BResources;
struct BuildManifest;
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

// Where the archive of an item lies.
struct ItemArchive {
    // The raw resource that holds it.
    int32 id = 0;
    // The item's top entry in the archive: the resource's name.
    std::string entryName;
    // The build file and the archive's place in it, when its data lies there
    // unchanged and is read in place. Empty when the resource changed since
    // the build was opened: its data must then be written out first.
    std::string file;
    off_t offset = 0;
    uint64 length = 0;

    // When not empty, the deinstall tag, written on every file and folder
    // of the item as it is unpacked.
    std::string tag;
    // Describe every entry as it is unpacked (UnpackedItem::Placed), with
    // the checksum of each file's data, so that nothing reads the item again
    // for the install record.
    bool describe = false;
    // When set, every file unpacked is compared with the build's manifest
    // (its size and SHA-256, taken as it is written) before the item may be
    // moved to its target: a file that differs fails the item.
    std::shared_ptr<const BuildManifest> manifest;

    bool ReadInPlace() const { return !file.empty(); }
};

// What ExtractItemArchive also does: the same as ItemArchive's tag and
// describe, with the entries handed to placed (left empty when the item
// was not extracted).
struct ItemExtractionExtras {
    std::string tag;
    std::vector<ZipPlacedEntry>* placed = nullptr;
    std::shared_ptr<const BuildManifest> manifest;
    // Set to true when a file differed from the manifest.
    bool* manifestMismatch = nullptr;
};

// Finds raw resource id. ITEM_EXTRACTED when it is there with a usable
// name (archive then describes it), ITEM_NO_ARCHIVE when there is none,
// ITEM_NOT_UNPACKED when its name is no plain leaf name; reason explains
// any result but ITEM_EXTRACTED.
item_extraction_result LocateItemArchive(BResources& resources, int32 id, ItemArchive& archive,
    std::string& reason);

// The working folder of an item unpacked for folder: a fresh private folder
// on folder's file system, named with prefix kItemWorkFolderPrefix (hidden
// when it is made inside folder). False when none could be made.
bool MakeItemWorkFolder(const std::string& folder, std::string& workPath);

// Unpacks raw resource id to target (which should not exist yet). reason
// receives a short explanation for any result but ITEM_EXTRACTED; a volume
// that runs out of room is named as full, not taken for a damaged archive.
// The working folder is registered with workFolders, when given, while it
// exists, so that a stop can remove it.
item_extraction_result ExtractItemArchive(BResources& resources, int32 id, const char* target,
    std::string& reason, LibWorkFolders* workFolders = nullptr, const ItemExtractionExtras* extras = nullptr);
