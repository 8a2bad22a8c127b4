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

#include <cstring>
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
    BVolume volume(fDestination.device);
    char volumeName[B_FILE_NAME_LENGTH] = "";
    if (volume.InitCheck() == B_OK)
        volume.GetName(volumeName);
    int64 freeBytes = volume.InitCheck() == B_OK ? int64(volume.FreeBytes()) : 0;
    if (freeBytes < 0)
        freeBytes = 0;
    LibString freeText;
    LibBytesToString(uint64(freeBytes), freeText, 1);

    // Free space for the selected items, as the configuration states their
    // sizes. Summed in 64 bits: a 32-bit sum would wrap for large products.
    int64 selectedBytes = 0;
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
        selectedBytes += GetFileSize(slash != nullptr ? slash + 1 : fileName);
    }
    if (selectedBytes > freeBytes) {
        LibString needed;
        LibBytesToString(uint64(selectedBytes < 0 ? 0 : selectedBytes), needed, 1);
        LibError(kDiskSpaceText, "requires", Text(needed), volumeName, Text(freeText));
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
