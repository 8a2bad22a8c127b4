// Paths, references, standard locations and file types of entries.
#include "LibEntryUtils.h"

#include "ToolRunner.h"

#include <AppPath.h>
#include <Application.h>
#include <Entry.h>
#include <MimeType.h>
#include <Node.h>
#include <NodeInfo.h>
#include <StopPoint.h>

#include <cctype>
#include <cstring>
#include <string>

namespace {

// The running application's signature: the application object's, or else
// the one its executable carries ("BEOS:APP_SIG"); empty when it has none.
std::string OwnSignature()
{
    if (be_app != nullptr && be_app->Signature() != nullptr && *be_app->Signature() != '\0')
        return be_app->Signature();
    BEntry self("/proc/self/exe", true);
    BNode node(&self);
    std::string signature;
    char buffer[B_MIME_TYPE_LENGTH] = {};
    const ssize_t read = node.ReadAttr("BEOS:APP_SIG", 'MIMS', 0, buffer, sizeof(buffer) - 1);
    if (read > 0)
        signature.assign(buffer, strnlen(buffer, size_t(read)));
    return signature;
}

} // namespace

bool LibGetEntryRef(const char* path, entry_ref& ref)
{
    if (path == nullptr || *path == '\0')
        return false;
    return get_ref_for_path(path, &ref) == B_OK;
}

bool LibGetFullPath(const entry_ref& ref, LibString& path)
{
    std::string text;
    if (get_ref_path(ref, &text) != B_OK)
        return false;
    path = text.c_str();
    return true;
}

bool LibGetFullPath(const entry_ref& ref, BPath& path)
{
    std::string text;
    if (get_ref_path(ref, &text) != B_OK)
        return false;
    return path.SetTo(text.c_str()) == B_OK;
}

void LibGetPath(const entry_ref& directory, const char* leaf, BPath& path)
{
    std::string text;
    if (get_ref_path(directory, &text) != B_OK) {
        path.Unset();
        return;
    }
    path.SetTo(text.c_str(), leaf);
}

entry_ref LibGetParentRef(const entry_ref& ref)
{
    BEntry entry(&ref);
    BEntry parent;
    entry_ref result;
    if (entry.InitCheck() == B_OK && entry.GetParent(&parent) == B_OK)
        parent.GetRef(&result);
    return result;
}

void LibGetParentPath(const char* path, LibString& parent)
{
    if (path == nullptr)
        return;
    BPath full(path);
    BPath folder;
    if (full.InitCheck() == B_OK && full.GetParent(&folder) == B_OK)
        parent = folder.Path();
    else
        parent = ParentPathOf(path).c_str();
}

void LibGetChildName(const char* path, char* leaf)
{
    if (path == nullptr || leaf == nullptr)
        return;
    const std::string name = LeafOf(path);
    strncpy(leaf, name.c_str(), B_FILE_NAME_LENGTH - 1);
    leaf[B_FILE_NAME_LENGTH - 1] = '\0';
}

bool LibGetSettingsPath(LibString& path)
{
    BPath settings;
    if (find_directory(B_USER_SETTINGS_DIRECTORY, &settings) != B_OK)
        return false;
    path = settings.Path();
    return true;
}

bool LibGetSettingsPath(char* path, const int& /*size*/)
{
    BPath settings;
    if (path == nullptr || find_directory(B_USER_SETTINGS_DIRECTORY, &settings) != B_OK)
        return false;
    // The caller's buffer is assumed to hold a whole path.
    strncpy(path, settings.Path(), B_PATH_NAME_LENGTH - 1);
    path[B_PATH_NAME_LENGTH - 1] = '\0';
    return true;
}

void LibGetWorkingDirectory(BPath& path)
{
    // The program's file as the platform names it: a build's own file also
    // when it runs from its unpacked runtime.
    std::string program;
    if (get_app_path(&program) != B_OK) {
        path.Unset();
        return;
    }
    BEntry self(program.c_str(), true);
    BEntry folder;
    if (self.InitCheck() == B_OK && self.GetParent(&folder) == B_OK)
        folder.GetPath(&path);
    else
        path.Unset();
}

int32 LibGetFilePath(const BMessage* request, BPath& path)
{
    if (request == nullptr)
        return 0;
    entry_ref directory;
    const char* name = nullptr;
    if (request->FindRef("directory", &directory) != B_OK || request->FindString("name", &name) != B_OK
        || name == nullptr)
        return 0;
    std::string trimmed = name;
    while (!trimmed.empty() && isspace(static_cast<unsigned char>(trimmed.back())))
        trimmed.pop_back();
    size_t first = 0;
    while (first < trimmed.size() && isspace(static_cast<unsigned char>(trimmed[first])))
        first++;
    trimmed.erase(0, first);
    LibGetPath(directory, trimmed.c_str(), path);
    return int32(trimmed.size());
}

void LibGetMimeType(const entry_ref& ref, char* type, bool describe)
{
    if (type == nullptr)
        return;
    type[0] = '\0';
    BNode node(&ref);
    BNodeInfo info(&node);
    if (node.InitCheck() == B_OK && info.InitCheck() == B_OK && info.GetType(type) != B_OK)
        type[0] = '\0';
    if (!describe)
        return;
    if (strcmp(type, B_DIRECTORY_MIME_TYPE) == 0)
        strcpy(type, "Folder");
    else if (strcmp(type, B_ELF_APP_MIME_TYPE) == 0)
        strcpy(type, "Be Application");
    else if (node.InitCheck() == B_OK && node.IsSymLink())
        strcpy(type, "Symbolic Link");
    else
        strcpy(type, "Unknown");
}

void LibSetMimeType(const char* path, const char* type)
{
    if (path == nullptr)
        return;
    stop_point();
    if (!MayChange("LibSetMimeType", path))
        return;
    BNode node(path);
    BNodeInfo info(&node);
    if (info.InitCheck() == B_OK)
        info.SetType(type);
}

void LibSetFileType(const char* path, const char* type, const char* preferredApp)
{
    if (path == nullptr)
        return;
    stop_point();
    if (!MayChange("LibSetFileType", path))
        return;
    BNode node(path);
    BNodeInfo info(&node);
    if (info.InitCheck() != B_OK)
        return;
    info.SetType(type);
    const std::string signature = preferredApp != nullptr ? std::string(preferredApp) : OwnSignature();
    if (!signature.empty())
        info.SetPreferredApp(signature.c_str());
}
