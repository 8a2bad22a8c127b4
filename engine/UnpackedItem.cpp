#include "UnpackedItem.h"

#include "BuildVerifier.h"

#include "ControlCharacters.h"

#include "DeinstallTag.h"

#include <Entry.h>
#include <File.h>
#include <LibFileUtils.h>
#include <LibWorkFolders.h>
#include <Resources.h>
#include <TypeConstants.h>
#include <VolumeSpace.h>

#include <sys/stat.h>

#include <cstdio>

#include <utility>

UnpackedItem::~UnpackedItem()
{
    _RemoveWorkFolder();
}


UnpackedItem::UnpackedItem(UnpackedItem&& other) noexcept
{
    *this = std::move(other);
}


UnpackedItem&
UnpackedItem::operator=(UnpackedItem&& other) noexcept
{
    if (this != &other) {
        _RemoveWorkFolder();
        fWorkPath = std::move(other.fWorkPath);
        fItemPath = std::move(other.fItemPath);
        fWorkFolders = other.fWorkFolders;
        fResult = other.fResult;
        fReason = std::move(other.fReason);
        fTyped = other.fTyped;
        fVolumeFull = other.fVolumeFull;
        fManifestMismatch = other.fManifestMismatch;
        fPlaced = std::move(other.fPlaced);
        fProblems = std::move(other.fProblems);
        other.fPlaced.clear();
        other.fProblems.clear();
        other.fVolumeFull = false;
        other.fManifestMismatch = false;
        other.fWorkPath.clear();
        other.fItemPath.clear();
        other.fWorkFolders = nullptr;
        other.fResult = ITEM_NOT_UNPACKED;
        other.fReason = "it was not unpacked";
    }
    return *this;
}


item_extraction_result
UnpackedItem::Unpack(const ItemArchive& archive, const std::string& folder,
    LibWorkFolders* workFolders, BResources* resources, const std::atomic<bool>* cancel)
{
    _RemoveWorkFolder();
    fItemPath.clear();
    fPlaced.clear();
    fProblems.clear();
    fTyped = false;
    fVolumeFull = false;
    fManifestMismatch = false;
    fWorkFolders = workFolders;
    if (!MakeItemWorkFolder(folder, fWorkPath)) {
        fWorkPath.clear();
        Fail(ITEM_NOT_UNPACKED, "no working folder could be made for its archive");
        return fResult;
    }
    if (fWorkFolders != nullptr)
        fWorkFolders->Add(fWorkPath);
    const std::string contents = fWorkPath + "/contents";
    ::mkdir(contents.c_str(), 0700);

    // The tag and the descriptions are made while the entries are written.
    ZipExtractOptions options;
    options.cancel = cancel;
    std::vector<std::string> problems;
    options.problem = [&problems](const std::string& problem) { problems.push_back(problem); };
    std::vector<ZipPlacedEntry> placed;
    if (!archive.tag.empty()) {
        ZipAttribute tag;
        tag.name = DEINSTALL_TAG_ATTRIBUTE;
        tag.type = B_STRING_TYPE;
        tag.data = archive.tag;
        options.mark.push_back(tag);
    }
    if (archive.describe || archive.manifest != nullptr) {
        options.digests = true;
        options.placed = &placed;
    }

    bool unpacked = false;
    status_t unpackStatus = B_OK;
    if (archive.ReadInPlace()) {
        unpacked = LibUnzipRange(archive.file.c_str(), archive.offset, archive.length,
            contents.c_str(), &unpackStatus, &options);
        fTyped = true;
    } else {
        const std::string written = fWorkPath + "/archive.zip";
        BFile file(written.c_str(), B_READ_WRITE | B_CREATE_FILE | B_ERASE_FILE);
        const status_t status = resources == nullptr ? status_t(B_BAD_VALUE)
            : file.InitCheck() != B_OK ? file.InitCheck()
            : resources->CopyResourceTo(B_RAW_TYPE, archive.id, &file);
        if (status != B_OK) {
            Fail(ITEM_NOT_UNPACKED, status == B_DEVICE_FULL ? VolumeFullReason(fWorkPath.c_str())
                                                            : "its archive could not be written out");
            fVolumeFull = status == B_DEVICE_FULL;
            _RemoveWorkFolder();
            return fResult;
        }
        unpacked = LibUnzipTo(written.c_str(), contents.c_str(), &unpackStatus, &options);
    }
    fProblems = std::move(problems);
    const std::string item = contents + "/" + archive.entryName;
    if (!unpacked) {
        Fail(ITEM_NOT_UNPACKED, unpackStatus == B_DEVICE_FULL ? VolumeFullReason(contents.c_str())
                : unpackStatus == B_CANCELED                 ? std::string("the installation was stopped")
                                                             : std::string("its archive is damaged"));
        fVolumeFull = unpackStatus == B_DEVICE_FULL;
        _RemoveWorkFolder();
    } else if (!BEntry(item.c_str(), false).Exists()) {
        // A link counts as itself, whether it points anywhere here or not.
        Fail(ITEM_NOT_UNPACKED, "its archive does not hold it");
    } else {
        fItemPath = item;
        fResult = ITEM_EXTRACTED;
        fReason.clear();
        _KeepItemEntries(archive.entryName, placed);
        // Checked before the item can reach its target: a file that
        // differs from the manifest places nothing.
        const std::string mismatch = archive.manifest != nullptr
            ? CheckPlacedFiles(*archive.manifest, archive.id, archive.entryName, fPlaced)
            : std::string();
        if (!mismatch.empty()) {
            Fail(ITEM_NOT_UNPACKED, mismatch);
            fManifestMismatch = true;
            _RemoveWorkFolder();
        }
    }
    return fResult;
}


void
UnpackedItem::Fail(item_extraction_result result, const std::string& reason)
{
    fResult = result;
    fReason = reason;
    fItemPath.clear();
    fPlaced.clear();
}


void
UnpackedItem::_KeepItemEntries(const std::string& entryName, std::vector<ZipPlacedEntry>& placed)
{
    // Only the item's own entry and what lies below it reach the target.
    fPlaced.clear();
    for (ZipPlacedEntry& entry : placed) {
        if (entry.name == entryName) {
            entry.name.clear();
        } else if (entry.name.size() > entryName.size()
            && entry.name.compare(0, entryName.size(), entryName) == 0 && entry.name[entryName.size()] == '/') {
            entry.name.erase(0, entryName.size() + 1);
        } else {
            continue;
        }
        fPlaced.push_back(std::move(entry));
    }
}


item_extraction_result
UnpackedItem::MoveTo(const char* target)
{
    // The item's turn: what its unpacking found is told now, in order.
    for (const std::string& problem : fProblems)
        fprintf(stderr, "LibUnzip: %s\n", TerminalText(problem).c_str());
    fProblems.clear();
    if (fResult == ITEM_EXTRACTED && !fItemPath.empty()) {
        if (target == nullptr || !LibMove(fItemPath.c_str(), target)
            || !BEntry(target, false).Exists()) {
            Fail(ITEM_NOT_MOVED, target != nullptr && VolumeLooksFull(target, 0)
                    ? VolumeFullReason(target)
                    : "it could not be moved out of its archive's folder");
        } else if (!fTyped) {
            Libmimeset(target);
        }
    }
    fItemPath.clear();
    _RemoveWorkFolder();
    return fResult;
}


void
UnpackedItem::_RemoveWorkFolder()
{
    if (fWorkPath.empty())
        return;
    LibUnlink(fWorkPath.c_str());
    if (fWorkFolders != nullptr)
        fWorkFolders->Remove(fWorkPath);
    fWorkPath.clear();
}
