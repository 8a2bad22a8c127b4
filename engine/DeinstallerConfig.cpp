// The deinstaller's name and configuration.
#include "DeinstallerConfig.h"

#include "ConfigFields.h"

#include <LibAppResource.h>
#include <Message.h>
#include <TypeConstants.h>

#include <vector>

namespace {

const char* const kProductFields[] = {"app_name", "version", "release_date", "company", "support_email"};
const char* const kEditFields[] = {"edit_bootscript", "edit_setup_env", "edit_profile"};

const char* String(const BMessage& message, const char* name)
{
    const char* value = nullptr;
    if (message.FindString(name, &value) != B_OK || value == nullptr)
        return "";
    return value;
}

bool Bool(const BMessage& message, const char* name)
{
    bool value = false;
    return message.FindBool(name, &value) == B_OK && value;
}

} // namespace


std::string DeinstallerFileName(const char* appName, const char* version)
{
    std::string name = appName != nullptr ? appName : "";
    name += ' ';
    name += version != nullptr ? version : "";
    name += " Deinstaller";
    for (char& c : name) {
        if (c == '/')
            c = '-';
    }
    return name;
}


bool IsReservedInstallName(const std::string& leaf, const char* appName, const char* version)
{
    return leaf == "Install Record" || leaf == "Log" || leaf == "Saved Files"
        || leaf == DeinstallerFileName(appName, version);
}


std::string UnreservedInstallName(const std::string& leaf, const char* appName, const char* version)
{
    std::string name = leaf + " (item)";
    for (int number = 2; IsReservedInstallName(name, appName, version); number++)
        name = leaf + " (item " + std::to_string(number) + ")";
    return name;
}


void MakeDeinstallerConfiguration(const BMessage& configuration, BMessage& deinstaller,
    const std::string& recordKey)
{
    deinstaller.MakeEmpty();
    deinstaller.what = 0;
    for (const char* field : kProductFields)
        deinstaller.AddString(field, String(configuration, field));
    const BMessage* image = configuration.FindMessagePointer("about_image");
    if (image != nullptr)
        deinstaller.AddMessage("about_image", image);
    for (const char* field : kEditFields) {
        const bool on = Bool(configuration, field);
        deinstaller.AddBool(field, on);
        if (on) {
            const std::string tag = std::string(field) + "_tag";
            deinstaller.AddString(tag.c_str(), String(configuration, tag.c_str()));
        }
    }
    if (!recordKey.empty())
        deinstaller.AddString("record_key", recordKey.c_str());
}


status_t WriteDeinstallerConfiguration(const char* path, const BMessage& deinstaller)
{
    if (path == nullptr)
        return B_BAD_VALUE;
    std::vector<char> flat;
    status_t status = deinstaller.Flatten(&flat);
    if (status != B_OK)
        return status;
    LibAppResource resources(path, B_READ_WRITE);
    status = resources.InitCheck();
    if (status != B_OK)
        return status;
    status = resources.AddResource(kConfigResourceType, kConfigResourceId, flat.data(), flat.size(),
        kConfigResourceName);
    if (status != B_OK)
        return status;
    // Written now rather than when the job ends, so that a stopped job
    // still leaves a deinstaller that knows its product.
    return resources.Sync();
}


status_t ReadDeinstallerConfiguration(const char* path, BMessage& message)
{
    message.MakeEmpty();
    if (path == nullptr)
        return B_BAD_VALUE;
    BResources resources(path);
    status_t status = resources.InitCheck();
    if (status != B_OK)
        return status;
    size_t size = 0;
    const void* data = resources.LoadResource(kConfigResourceType, kConfigResourceId, &size);
    if (data == nullptr)
        return B_ENTRY_NOT_FOUND;
    status = message.Unflatten(static_cast<const char*>(data), ssize_t(size));
    return status == B_OK ? B_OK : B_BAD_DATA;
}
