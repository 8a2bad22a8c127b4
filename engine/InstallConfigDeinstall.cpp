// The job's deinstaller steps: tagging placed entries and writing the
// deinstaller with its own configuration.
#include "InstallConfig.h"

#include "ConfigFields.h"
#include "DeinstallTag.h"
#include "DeinstallerConfig.h"

#include <LibAppResource.h>
#include <StorageDefs.h>

#include <cstdio>


void
InstallConfig::AddDeinstallTag(const char* path, const char* tag)
{
    TagForDeinstall(path, tag);
}


void
InstallConfig::CreateDeinstaller(LibAppResource& resources, const char* installFolder,
    const char* /*tag*/)
{
    if (installFolder == nullptr)
        return;
    const std::string name = DeinstallerFileName(AppName(), Version());
    if (name.size() >= B_FILE_NAME_LENGTH) {
        fprintf(stderr, "CreateDeinstaller: the name \"%s\" is too long for a file\n", name.c_str());
        return;
    }
    const std::string path = std::string(installFolder) + "/" + name;

    // The program travels zipped; the entry named like the resource becomes
    // the deinstaller file. A build without a deinstaller leaves none.
    resources.ExtractEntry(kDeinstallerResourceId, path.c_str(), true);

    BMessage deinstaller;
    MakeDeinstallerConfiguration(*this, deinstaller);
    WriteDeinstallerConfiguration(path.c_str(), deinstaller);
}
