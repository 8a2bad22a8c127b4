#include "ItemExtraction.h"

#include <Entry.h>
#include <File.h>
#include <FindDirectory.h>
#include <LibFileUtils.h>
#include <LibWorkFolders.h>
#include <Path.h>
#include <Resources.h>
#include <TypeConstants.h>
#include <VolumeSpace.h>

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

// A private folder for the work, on the target's file system.
bool MakeWorkFolder(const std::string& targetFolder, BPath& work)
{
    dev_t targetDevice = 0;
    bool known = DeviceOf(targetFolder.c_str(), targetDevice);
    BPath temp;
    dev_t tempDevice = 0;
    if (known && find_directory(B_COMMON_TEMP_DIRECTORY, &temp, true) == B_OK
        && DeviceOf(temp.Path(), tempDevice) && tempDevice == targetDevice) {
        work = temp;
        if (LibCreateWorkFolder(work, kItemWorkFolderPrefix) == B_OK)
            return true;
    }
    work.SetTo(targetFolder.c_str());
    return LibCreateWorkFolder(work, (std::string(".") + kItemWorkFolderPrefix).c_str()) == B_OK;
}

bool IsPlainLeafName(const char* name)
{
    return name != nullptr && name[0] != '\0' && strchr(name, '/') == nullptr
        && strcmp(name, ".") != 0 && strcmp(name, "..") != 0;
}

} // namespace


item_extraction_result
ExtractItemArchive(BResources& resources, int32 id, const char* target, std::string& reason,
    LibWorkFolders* workFolders)
{
    reason.clear();
    const char* name = nullptr;
    size_t size = 0;
    if (target == nullptr || !resources.GetResourceInfo(B_RAW_TYPE, id, &name, &size)) {
        reason = "the installer holds no archive for it";
        return ITEM_NO_ARCHIVE;
    }
    std::string entryName = name != nullptr ? name : "";
    if (!IsPlainLeafName(entryName.c_str())) {
        reason = "its archive has no usable name";
        return ITEM_NOT_UNPACKED;
    }

    std::string targetFolder = target;
    size_t slash = targetFolder.rfind('/');
    targetFolder = slash == std::string::npos ? std::string(".")
        : slash == 0 ? std::string("/") : targetFolder.substr(0, slash);
    BPath work;
    if (!MakeWorkFolder(targetFolder, work)) {
        reason = "no working folder could be made for its archive";
        return ITEM_NOT_UNPACKED;
    }
    const std::string workPath = work.Path();
    if (workFolders != nullptr)
        workFolders->Add(workPath);
    const std::string contents = workPath + "/contents";
    ::mkdir(contents.c_str(), 0700);

    // The archive is read in place from the build; only a resource changed
    // since it was opened (its data not in the file) is written out first.
    item_extraction_result result = ITEM_EXTRACTED;
    bool unpacked = false;
    bool typed = false;
    status_t unpackStatus = B_OK;
    off_t offset = 0;
    size_t length = 0;
    if (resources.GetResourceFileRange(B_RAW_TYPE, id, &offset, &length) == B_OK
        && resources.Path() != nullptr) {
        unpacked = LibUnzipRange(resources.Path(), offset, length, contents.c_str(), &unpackStatus);
        typed = true;
    } else {
        const std::string archive = workPath + "/archive.zip";
        BFile file(archive.c_str(), B_READ_WRITE | B_CREATE_FILE | B_ERASE_FILE);
        const status_t status = file.InitCheck() != B_OK ? file.InitCheck()
            : resources.CopyResourceTo(B_RAW_TYPE, id, &file);
        if (status != B_OK) {
            reason = status == B_DEVICE_FULL ? VolumeFullReason(workPath.c_str())
                                             : "its archive could not be written out";
            result = ITEM_NOT_UNPACKED;
        } else {
            unpacked = LibUnzipTo(archive.c_str(), contents.c_str(), &unpackStatus);
        }
    }
    if (result == ITEM_EXTRACTED) {
        const std::string item = contents + "/" + entryName;
        if (!unpacked) {
            reason = unpackStatus == B_DEVICE_FULL ? VolumeFullReason(contents.c_str())
                                                   : "its archive is damaged";
            result = ITEM_NOT_UNPACKED;
        } else if (!BEntry(item.c_str(), false).Exists()) {
            // A link counts as itself, whether it points anywhere here or not.
            reason = "its archive does not hold it";
            result = ITEM_NOT_UNPACKED;
        } else if (!LibMove(item.c_str(), target) || !BEntry(target, false).Exists()) {
            reason = VolumeLooksFull(target, 0) ? VolumeFullReason(target)
                                                : "it could not be moved out of its archive's folder";
            result = ITEM_NOT_MOVED;
        } else if (!typed) {
            Libmimeset(target);
        }
    }
    LibUnlink(workPath.c_str());
    if (workFolders != nullptr)
        workFolders->Remove(workPath);
    return result;
}
