#include "BuildIdentity.h"

#include "ScratchFile.h"

#include <AppFileInfo.h>
#include <File.h>
#include <LibFileUtils.h>
#include <Path.h>
#include <Resources.h>
#include <TypeConstants.h>

#include <cstdio>
#include <cstring>

namespace {

struct IdentityRecord {
    type_code type;
    int32 id;
    const char* name;
};

const IdentityRecord kRecords[] = {
    {B_MIME_STRING_TYPE, 1, "BEOS:APP_SIG"},
    {'APPV', 1, "BEOS:APP_VERSION"},
};

} // namespace

bool IsIdentityResource(type_code type, int32 id, const std::string& name)
{
    for (const IdentityRecord& record : kRecords) {
        if (type == record.type && (id == record.id || name == record.name))
            return true;
    }
    return false;
}

std::string MakeBuildIdentity(const std::vector<BuildResource>& current, std::vector<BuildResource>& identity)
{
    // The records are made by BAppFileInfo in a small resource file of
    // their own, then taken from there.
    BPath path;
    {
        BFile placeholder;
        if (LibCreateUniqueFile(path, "ondelle-identity-", placeholder) != B_OK)
            return "a scratch file for the installer's version record could not be made in the temporary folder";
    }
    const ScratchFile remover(path.Path());
    {
        BResources scratch(path.Path());
        if (scratch.InitCheck() != B_OK)
            return std::string(path.Path()) + ": the installer's version record could not be made";
        for (const BuildResource& resource : current) {
            if (IsIdentityResource(resource.type, resource.id, resource.name)
                && scratch.AddResource(resource.type, resource.id, resource.data.data(), resource.data.size(),
                       resource.name.c_str())
                    != B_OK)
                return std::string(path.Path()) + ": the installer's version record could not be made";
        }
        if (scratch.Sync() != B_OK)
            return std::string(path.Path()) + ": the installer's version record could not be made";
    }
    {
        BFile file(path.Path(), B_READ_WRITE);
        BAppFileInfo info(&file);
        info.SetInfoLocation(B_USE_RESOURCES);
        version_info version = {};
        unsigned major = 0, middle = 0, minor = 0;
        std::sscanf(ONDELLE_VERSION, "%u.%u.%u", &major, &middle, &minor);
        version.major = major;
        version.middle = middle;
        version.minor = minor;
        version.variety = 5;
        std::snprintf(version.short_info, sizeof(version.short_info), "Ondelle");
        std::snprintf(version.long_info, sizeof(version.long_info), "Ondelle installer %s", ONDELLE_VERSION);
        if (info.InitCheck() != B_OK || info.SetSignature("application/x-vnd.Quorvane.Vondl") != B_OK
            || info.SetVersionInfo(&version, B_APP_VERSION_KIND) != B_OK || info.Sync() != B_OK)
            return "the installer's version record could not be written";
    }
    BResources made(path.Path());
    identity.clear();
    for (int32 i = 0;; i++) {
        BuildResource resource;
        const char* name = nullptr;
        size_t length = 0;
        if (!made.GetResourceInfo(i, &resource.type, &resource.id, &name, &length))
            break;
        resource.name = name != nullptr ? name : "";
        size_t size = 0;
        const void* data = made.LoadResource(resource.type, resource.id, &size);
        if (data == nullptr && length > 0)
            return "the installer's version record could not be read back";
        resource.data.assign(static_cast<const char*>(data), size);
        identity.push_back(std::move(resource));
    }
    return std::string();
}
