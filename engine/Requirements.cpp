// The requirement check that runs before the install job creates anything:
// free space for the selection, the build's disk space and memory, the
// shared libraries and the applications the product depends on.
#include "InstallConfig.h"

#include <Alert.h>
#include <LibAlert.h>
#include <LibConversions.h>
#include <LibFileUtils.h>
#include <LibString.h>
#include <LibSysInfo.h>
#include <LibraryLookup.h>
#include <Path.h>
#include <Roster.h>
#include <Volume.h>
#include <VolumeSpace.h>
#include <LibEntryUtils.h>

#include <cstring>
#include <map>
#include <string>

namespace {

const char* const kDiskSpaceText
    = "Installation %s %s of disk space, and the destination volume '%s' only has %s free.";
const char* const kRamText
    = "Installation %s %d MB of physical RAM, and only %d MB is available. %s";
const char* const kLibraryText
    = "The shared library '%s' could not be found. The installation %s that this library be "
      "present for the installed software to work properly.";
const char* const kApplicationText
    = "The application '%s' could not be found. The installation %s that this application be "
      "present for the installed software to work properly.";

const char* Text(const LibString& text)
{
    const char* value = text;
    return value != nullptr ? value : "";
}

const char* Requires(bool required)
{
    return required ? "requires" : "suggests";
}

// The library and application question: "Abort", and "Continue" when the
// requirement is only a suggestion. True when the user goes on.
bool AskToContinue(const LibString& text, bool required)
{
    BAlert alert("", Text(text), "Abort", required ? nullptr : "Continue", nullptr,
        B_WIDTH_AS_USUAL, B_INFO_ALERT);
    alert.SetKind("requirement");
    return alert.Go() != 0;
}

// A library is present when the LIBRARY_PATH rule finds it (its folders
// from the second on), or when the system's dynamic loader would.
bool LibraryPresent(const char* name)
{
    BPath found;
    if (LibFindEnvFile("LIBRARY_PATH", name, found))
        return true;
    return find_shared_library(name, nullptr);
}

} // namespace


int32
InstallConfig::CheckSystemResources()
{
    // The destination folder's own volume: when the folder is a mount point
    // its entry lies on the parent's volume, but the files go to the one
    // mounted there.
    LibString destinationPath;
    BVolume volume;
    if (!LibGetFullPath(fDestination, destinationPath)
        || !GetVolumeHolding(Text(destinationPath), volume))
        volume.SetTo(fDestination.device);
    char volumeName[B_FILE_NAME_LENGTH] = "";
    if (volume.InitCheck() == B_OK)
        volume.GetName(volumeName);
    int64 freeBytes = volume.InitCheck() == B_OK ? int64(volume.FreeBytes()) : 0;
    if (freeBytes < 0)
        freeBytes = 0;
    LibString freeText;
    LibBytesToString(uint64(freeBytes), freeText, 1);

    // Free space for the selected items, as the configuration states their
    // sizes, on every volume that will hold some of them: the destination's
    // for items that stay in the installation folder, the volume of each
    // custom or standard folder for the others. Summed in 64 bits: a 32-bit
    // sum would wrap for large products.
    std::map<dev_t, int64> neededBytes;
    if (volume.InitCheck() == B_OK)
        neededBytes[volume.Device()] = 0;
    BMessage customFolders;
    FindMessage("custom_folder", 0, &customFolders);
    int32 count = CountInstallItems();
    for (int32 index = 0; index < count; index++) {
        const BMessage* item = InstallItemAt(index);
        bool selected = false;
        if (item == nullptr || item->FindBool("install_to_system", 0, &selected) != B_OK
            || !selected)
            continue;
        const char* fileName = nullptr;
        if (item->FindString("file_name", 0, &fileName) != B_OK || fileName == nullptr)
            continue;
        const char* slash = strrchr(fileName, '/');
        const int64 size = GetFileSize(slash != nullptr ? slash + 1 : fileName);

        BVolume holder = volume;
        BMessage meta;
        const char* destination = nullptr;
        std::string folder;
        if (item->FindMessage("install_meta", 0, &meta) == B_OK
            && meta.FindString("destination", 0, &destination) == B_OK
            && strcmp(destination, "User Selected") != 0
            && FolderPathOf(destination, customFolders, volume, folder)) {
            BVolume found;
            if (GetVolumeHolding(folder.c_str(), found))
                holder = found;
        }
        neededBytes[holder.Device()] += size;
    }
    for (const auto& [device, needed] : neededBytes) {
        BVolume holder(device);
        int64 available = holder.InitCheck() == B_OK ? int64(holder.FreeBytes()) : 0;
        if (available < 0)
            available = 0;
        if (needed <= available)
            continue;
        LibString neededText;
        LibString availableText;
        LibBytesToString(uint64(needed), neededText, 1);
        LibBytesToString(uint64(available), availableText, 1);
        char holderName[B_FILE_NAME_LENGTH] = "";
        if (holder.InitCheck() == B_OK)
            holder.GetName(holderName);
        LibError(kDiskSpaceText, "requires", Text(neededText), holderName, Text(availableText));
        return REQUIREMENTS_NO_SPACE;
    }

    if (ReqDiskSpaceNeeded()) {
        int64 amount = ReqDiskSpaceBytes();
        if (amount > freeBytes) {
            LibString needed;
            LibBytesToString(uint64(amount), needed, 1);
            LibError(kDiskSpaceText, Requires(ReqDiskSpaceRequired()), Text(needed), volumeName,
                Text(freeText));
            return ReqDiskSpaceRequired() ? REQUIREMENTS_NO_SPACE : REQUIREMENTS_MET;
        }
    }

    if (ReqRamNeeded()) {
        LibSysInfo info;
        if (ReqRamAmount() > info.MemoryMB()) {
            bool required = ReqRamRequired();
            LibError(kRamText, Requires(required), int(ReqRamAmount()), int(info.MemoryMB()),
                required ? "Installation can not continue."
                         : "You may run the application at your own risk.");
            return required ? REQUIREMENTS_ABORT : REQUIREMENTS_MET;
        }
    }

    bool librariesRequired = ReqSharedLibrariesRequired();
    for (int32 index = 0;; index++) {
        const char* name = ReqSharedLibraryAt(index);
        if (name == nullptr)
            break;
        if (LibraryPresent(name))
            continue;
        LibString text;
        text.Formatted(kLibraryText, name, Requires(librariesRequired));
        if (!AskToContinue(text, librariesRequired))
            return REQUIREMENTS_ABORT;
    }

    bool appsRequired = ReqAppsRequired();
    BRoster roster;
    for (int32 index = 0;; index++) {
        const char* name = ReqAppAt(index);
        if (name == nullptr)
            break;
        std::string signature = ReqAppSignature(name);
        entry_ref ref;
        if (!signature.empty() && roster.FindApp(signature.c_str(), &ref) == B_OK)
            continue;
        LibString text;
        text.Formatted(kApplicationText, name, Requires(appsRequired));
        if (!AskToContinue(text, appsRequired))
            return REQUIREMENTS_ABORT;
    }
    return REQUIREMENTS_MET;
}
