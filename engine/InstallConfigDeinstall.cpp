// The job's deinstaller steps: tagging placed entries and writing the
// deinstaller with its own configuration.
#include "InstallConfig.h"

#include "ConfigFields.h"
#include "DeinstallTag.h"
#include "DeinstallerConfig.h"
#include "ItemExtraction.h"
#include "VolumeSpace.h"

#include <LibAppResource.h>
#include <StorageDefs.h>

#include <cstdio>


void
InstallConfig::AddDeinstallTag(const char* path, const char* tag)
{
    TagForDeinstall(path, tag);
}


status_t
InstallConfig::CreateDeinstaller(LibAppResource& resources, const char* installFolder,
    const char* /*tag*/)
{
    if (installFolder == nullptr)
        return B_BAD_VALUE;
    const std::string name = DeinstallerFileName(AppName(), Version());
    if (name.size() >= B_FILE_NAME_LENGTH) {
        fprintf(stderr, "CreateDeinstaller: the name \"%s\" is too long for a file\n", name.c_str());
        return B_NAME_TOO_LONG;
    }
    const std::string path = std::string(installFolder) + "/" + name;

    // The program travels zipped; the entry named like the resource becomes
    // the deinstaller file. A build without a deinstaller leaves none.
    // Unpacked in a private working folder, never at a guessable place in
    // the shared temporary folder.
    // One that cannot be placed (a damaged archive, an entry refused in it,
    // a full volume) fails like a damaged item: in the log, in the list of
    // failed items and so in the job's result.
    std::string reason;
    // Its files are checked against the build's manifest as they are written.
    ItemExtractionExtras extras;
    bool mismatch = false;
    extras.manifest = fManifest;
    extras.manifestMismatch = &mismatch;
    const item_extraction_result result
        = ExtractItemArchive(resources, kDeinstallerResourceId, path.c_str(), reason, fWorkFolders.get(), &extras);
    if (mismatch)
        _ManifestMismatchFound(reason);
    if (result == ITEM_NO_ARCHIVE)
        return B_OK;
    if (result != ITEM_EXTRACTED) {
        // A full volume is reported by the caller, like a configuration
        // that could not be stored; any other reason is told here.
        if (VolumeLooksFull(installFolder, 0))
            return B_DEVICE_FULL;
        Log("\t\tUnable to create the deinstaller %s: %s\n", name.c_str(), reason.c_str());
        _ItemFailed(name.c_str(), reason.c_str());
        return B_OK;
    }

    BMessage deinstaller;
    MakeDeinstallerConfiguration(*this, deinstaller, fRecordKey);
    const status_t status = WriteDeinstallerConfiguration(path.c_str(), deinstaller);
    if (status == B_OK)
        return B_OK;
    fprintf(stderr, "CreateDeinstaller: its configuration could not be stored in %s (error 0x%x)\n", path.c_str(),
        unsigned(status));
    // Without its configuration the deinstaller removes nothing, so this is
    // a failure of the install whatever the cause: the volume filled up
    // (the file is written anew beside the old one, so the room can be back
    // by the time anyone looks), a write that failed, or a program file the
    // configuration cannot be added to.
    return VolumeLooksFull(installFolder, 0) ? status_t(B_DEVICE_FULL) : status;
}
