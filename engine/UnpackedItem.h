// An item archive unpacked into a private working folder on the file system
// of the folder the item is meant for, waiting to be moved there.
//
// The working folder is registered with the job's LibWorkFolders while it
// exists, so that a stop removes it, and it is removed when the object
// goes, whether or not the item was moved out. A failed unpack removes what
// it wrote at once (it would hold room on the volume until the item's turn)
// and keeps its result and reason until the item's turn, when MoveTo()
// reports them. The unpacking's problems (refused entries, write errors)
// are kept as well and written to standard error by MoveTo(): an unpack
// that is dropped, or done again, tells nothing of what did not stand.
#pragma once

#include "ItemExtraction.h"

#include <atomic>
#include <string>
#include <vector>

class BResources;
class LibWorkFolders;

class UnpackedItem {
public:
    UnpackedItem() = default;
    ~UnpackedItem();
    UnpackedItem(UnpackedItem&& other) noexcept;
    UnpackedItem& operator=(UnpackedItem&& other) noexcept;
    UnpackedItem(const UnpackedItem&) = delete;
    UnpackedItem& operator=(const UnpackedItem&) = delete;

    // Unpacks archive into a new working folder on the file system of
    // folder. An archive that is not read in place is written out of
    // resources first; resources is needed then, and such an unpack belongs
    // on the thread that uses resources. workFolders (may be null) must
    // outlive this object. When cancel (may be null) turns true, the unpack
    // ends early and fails. Gives ITEM_EXTRACTED or ITEM_NOT_UNPACKED.
    item_extraction_result Unpack(const ItemArchive& archive, const std::string& folder,
        LibWorkFolders* workFolders, BResources* resources = nullptr,
        const std::atomic<bool>* cancel = nullptr);
    // Marks the item as failed without unpacking anything.
    void Fail(item_extraction_result result, const std::string& reason);

    // Moves the unpacked item to target (which should not exist yet) and
    // removes the working folder. The unpack's own result when it failed;
    // ITEM_NOT_MOVED when the move fails.
    item_extraction_result MoveTo(const char* target);

    item_extraction_result Result() const { return fResult; }
    // The unpack failed because the volume had no room left.
    bool FoundVolumeFull() const { return fVolumeFull; }
    // The unpack failed because a file differed from the build's manifest.
    bool FoundManifestMismatch() const { return fManifestMismatch; }
    // The unpacking's problems not reported yet, one line each.
    const std::vector<std::string>& Problems() const { return fProblems; }
    // Why the unpack or the move failed; empty after success.
    const std::string& Reason() const { return fReason; }
    // The working folder while there is one, else empty.
    const std::string& WorkFolder() const { return fWorkPath; }
    // When the archive asked for descriptions: every file, folder and link
    // of the item, named below it ("" for the item itself, then
    // "sub/file"), as unpacking made it. Empty after a failed unpack.
    const std::vector<ZipPlacedEntry>& Placed() const { return fPlaced; }

private:
    void _RemoveWorkFolder();
    // Keeps the entries of placed that lie in the item entryName, named
    // below it.
    void _KeepItemEntries(const std::string& entryName, std::vector<ZipPlacedEntry>& placed);

    std::string fWorkPath;
    // The unpacked item inside the working folder.
    std::string fItemPath;
    LibWorkFolders* fWorkFolders = nullptr;
    item_extraction_result fResult = ITEM_NOT_UNPACKED;
    std::string fReason = "it was not unpacked";
    // The archive gave every entry a type as it was unpacked.
    bool fTyped = false;
    bool fVolumeFull = false;
    bool fManifestMismatch = false;
    std::vector<ZipPlacedEntry> fPlaced;
    std::vector<std::string> fProblems;
};
