#include "LibAppVersion.h"

#include <AppFileInfo.h>
#include <AppPath.h>
#include <File.h>
#include <Message.h>
#include <Node.h>
#include <NodeInfo.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char* const kElfExecutableType = "application/x-vnd.Be-elfexecutable";

// Opens the running program's file, for writing where the system allows it
// (a running program only for reading; its resources are still replaced).
bool OpenOwnFile(BFile& file, bool forWriting)
{
    std::string path;
    if (get_app_path(&path) != B_OK)
        return false;
    if (forWriting && file.SetTo(path.c_str(), B_READ_WRITE) == B_OK)
        return true;
    return file.SetTo(path.c_str(), B_READ_ONLY) == B_OK;
}

} // namespace

LibString LibGetAppVersion(const char* path)
{
    BFile file;
    if (path != nullptr) {
        if (file.SetTo(path, B_READ_ONLY) != B_OK)
            return LibString();
    } else if (!OpenOwnFile(file, false))
        return LibString();
    BAppFileInfo info(&file);
    version_info version;
    if (info.InitCheck() != B_OK || info.GetVersionInfo(&version, B_APP_VERSION_KIND) != B_OK)
        return LibString();

    static const char* const kVarieties[] = {" Dev", " Alpha", " Beta", " Gamma", " Gold", ""};
    char text[128];
    int length = snprintf(text, sizeof(text), "%u.%u.%u%s", unsigned(version.major), unsigned(version.middle),
        unsigned(version.minor), version.variety < B_COUNT_OF(kVarieties) ? kVarieties[version.variety] : "");
    if (version.internal != 0)
        snprintf(text + length, sizeof(text) - size_t(length), " %u", unsigned(version.internal));
    return LibString(text);
}

void LibSetAppVersion(const uint32& major, const uint32& middle, const uint32& minor, const char* shortInfo,
    const char* longInfo, const uint32& variety, const uint32& internal)
{
    BFile file;
    if (!OpenOwnFile(file, true))
        return;
    version_info version;
    memset(&version, 0, sizeof(version));
    version.major = major;
    version.middle = middle;
    version.minor = minor;
    version.variety = variety;
    version.internal = internal;
    if (shortInfo != nullptr)
        strncpy(version.short_info, shortInfo, sizeof(version.short_info) - 1);
    if (longInfo != nullptr)
        strncpy(version.long_info, longInfo, sizeof(version.long_info) - 1);
    BAppFileInfo info(&file);
    if (info.InitCheck() == B_OK)
        info.SetVersionInfo(&version, B_APP_VERSION_KIND);
}

int32 LibGetAppSupportedTypes(LibStringList& types)
{
    BFile file;
    if (!OpenOwnFile(file, false))
        return 0;
    BAppFileInfo info(&file);
    BMessage message;
    if (info.InitCheck() != B_OK || info.GetSupportedTypes(&message) != B_OK)
        return 0;
    types.Append(message, "types");
    return types.Size();
}

void LibSetAppSupportedTypes(LibStringList& types)
{
    BFile file;
    if (!OpenOwnFile(file, true))
        return;
    BMessage message;
    types.GetFrom(message, "types");
    BAppFileInfo info(&file);
    if (info.InitCheck() == B_OK)
        info.SetSupportedTypes(&message);
}

void LibGetAppSignature(const entry_ref& ref, char* signature)
{
    if (signature == nullptr)
        return;
    signature[0] = '\0';
    // The entry's own type: a link is a link, not the file it points to.
    BNode node(&ref);
    BNodeInfo nodeInfo(&node);
    char type[B_MIME_TYPE_LENGTH];
    if (node.InitCheck() != B_OK || nodeInfo.GetType(type) != B_OK || strcmp(type, kElfExecutableType) != 0)
        return;
    BFile file(&ref, B_READ_ONLY);
    if (file.InitCheck() != B_OK)
        return;
    BAppFileInfo info(&file);
    if (info.InitCheck() != B_OK || info.GetSignature(signature) != B_OK)
        signature[0] = '\0';
}
