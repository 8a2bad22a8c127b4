#include "ItemExtraction.h"

#include "UnpackedItem.h"

#include <FindDirectory.h>
#include <LibFileUtils.h>
#include <Path.h>
#include <Resources.h>
#include <TypeConstants.h>

#include <sys/stat.h>

#include <cstring>

namespace {

bool DeviceOf(const char* path, dev_t& device)
{
    struct stat st;
    if (::stat(path, &st) != 0)
        return false;
    device = st.st_dev;
    return true;
}

bool IsPlainLeafName(const char* name)
{
    return name != nullptr && name[0] != '\0' && strchr(name, '/') == nullptr
        && strcmp(name, ".") != 0 && strcmp(name, "..") != 0;
}

// The folder that holds path.
std::string ParentFolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".")
        : slash == 0 ? std::string("/") : path.substr(0, slash);
}

} // namespace


item_extraction_result
LocateItemArchive(BResources& resources, int32 id, ItemArchive& archive, std::string& reason)
{
    reason.clear();
    archive = ItemArchive();
    archive.id = id;
    const char* name = nullptr;
    size_t size = 0;
    if (!resources.GetResourceInfo(B_RAW_TYPE, id, &name, &size)) {
        reason = "the installer holds no archive for it";
        return ITEM_NO_ARCHIVE;
    }
    archive.entryName = name != nullptr ? name : "";
    if (!IsPlainLeafName(archive.entryName.c_str())) {
        reason = "its archive has no usable name";
        return ITEM_NOT_UNPACKED;
    }
    // The archive is read in place from the build; only a resource changed
    // since it was opened (its data not in the file) is written out first.
    off_t offset = 0;
    size_t length = 0;
    if (resources.GetResourceFileRange(B_RAW_TYPE, id, &offset, &length) == B_OK
        && resources.Path() != nullptr) {
        archive.file = resources.Path();
        archive.offset = offset;
        archive.length = length;
    }
    return ITEM_EXTRACTED;
}


bool
MakeItemWorkFolder(const std::string& folder, std::string& workPath)
{
    dev_t targetDevice = 0;
    const bool known = DeviceOf(folder.c_str(), targetDevice);
    BPath temp;
    dev_t tempDevice = 0;
    BPath work;
    if (known && find_directory(B_COMMON_TEMP_DIRECTORY, &temp, true) == B_OK
        && DeviceOf(temp.Path(), tempDevice) && tempDevice == targetDevice) {
        work = temp;
        if (LibCreateWorkFolder(work, kItemWorkFolderPrefix) == B_OK) {
            workPath = work.Path();
            return true;
        }
    }
    work.SetTo(folder.c_str());
    if (LibCreateWorkFolder(work, (std::string(".") + kItemWorkFolderPrefix).c_str()) != B_OK)
        return false;
    workPath = work.Path();
    return true;
}


item_extraction_result
ExtractItemArchive(BResources& resources, int32 id, const char* target, std::string& reason,
    LibWorkFolders* workFolders, const ItemExtractionExtras* extras)
{
    if (extras != nullptr && extras->placed != nullptr)
        extras->placed->clear();
    reason.clear();
    if (target == nullptr) {
        reason = "the installer holds no archive for it";
        return ITEM_NO_ARCHIVE;
    }
    ItemArchive archive;
    const item_extraction_result located = LocateItemArchive(resources, id, archive, reason);
    if (located != ITEM_EXTRACTED)
        return located;

    if (extras != nullptr) {
        archive.tag = extras->tag;
        archive.describe = extras->placed != nullptr;
        archive.manifest = extras->manifest;
    }
    UnpackedItem item;
    item.Unpack(archive, ParentFolderOf(target), workFolders, &resources);
    const item_extraction_result result = item.MoveTo(target);
    reason = item.Reason();
    if (extras != nullptr && extras->manifestMismatch != nullptr)
        *extras->manifestMismatch = item.FoundManifestMismatch();
    if (result == ITEM_EXTRACTED && extras != nullptr && extras->placed != nullptr)
        *extras->placed = item.Placed();
    return result;
}
