#include "ProtectedFolders.h"

#include <Entry.h>
#include <FindDirectory.h>
#include <LibEntryUtils.h>
#include <Path.h>
#include <Volume.h>

namespace {

const char* const kStandardFolder = "a standard folder";
const char* const kHomeFolder = "the user's home folder";
const char* const kInstallFolder = "the installation folder";

// path with the links of its parent folders resolved; the last part is kept
// as it is, so that a link is judged as itself. Parts that do not exist yet
// are kept as written.
std::string Canonical(const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return path;
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    if (trimmed == "/")
        return trimmed;
    const size_t slash = trimmed.rfind('/');
    const std::string parent = slash == 0 ? std::string("/") : trimmed.substr(0, slash);
    const std::string leaf = trimmed.substr(slash + 1);
    std::string resolvedParent;
    BEntry entry(parent.c_str(), true);
    if (entry.InitCheck() == B_OK && entry.Exists() && entry.PathName() != nullptr)
        resolvedParent = entry.PathName();
    else
        resolvedParent = Canonical(parent);
    if (leaf == "." || leaf.empty())
        return resolvedParent;
    if (leaf == "..") {
        const size_t up = resolvedParent.rfind('/');
        return up == 0 || up == std::string::npos ? std::string("/") : resolvedParent.substr(0, up);
    }
    return resolvedParent == "/" ? "/" + leaf : resolvedParent + "/" + leaf;
}

// True when folder lies below path (not at it).
bool IsBelow(const std::string& folder, const std::string& path)
{
    if (path == "/")
        return folder != "/";
    return folder.size() > path.size() && folder.compare(0, path.size(), path) == 0
        && folder[path.size()] == '/';
}

} // namespace


ProtectedFolders::ProtectedFolders()
{
    for (const lib_dir_name* row = lib_be_dir_names; row->name != nullptr; row++) {
        BPath path;
        if (find_directory(row->code, &path, false) == B_OK)
            _Add(path.Path(), kStandardFolder);
    }
    BPath home;
    if (find_directory(B_USER_DIRECTORY, &home, false) == B_OK)
        _Add(home.Path(), kHomeFolder);
}


void
ProtectedFolders::AddStandardFolders(BVolume& volume)
{
    if (volume.InitCheck() != B_OK)
        return;
    for (const lib_dir_name* row = lib_be_dir_names; row->name != nullptr; row++) {
        BPath path;
        if (find_directory(row->code, &path, false, &volume) == B_OK)
            _Add(path.Path(), kStandardFolder);
    }
}


void
ProtectedFolders::AddInstallFolder(const char* path)
{
    _Add(path, kInstallFolder);
}


void
ProtectedFolders::_Add(const char* path, const char* what)
{
    if (path == nullptr || path[0] != '/')
        return;
    // Both the path as written and with its links resolved, so that a
    // standard folder reached through a link is known either way.
    fFolders.push_back({Canonical(path), what});
    BEntry entry(path, true);
    if (entry.InitCheck() == B_OK && entry.Exists() && entry.PathName() != nullptr
        && fFolders.back().path != entry.PathName())
        fFolders.push_back({entry.PathName(), what});
}


std::string
ProtectedFolders::Refusal(const char* path) const
{
    if (path == nullptr || path[0] != '/')
        return std::string();
    const std::string entry = Canonical(path);
    if (entry == "/")
        return "it is the root folder";
    // An exact match says more than a folder held inside.
    for (const Folder& folder : fFolders) {
        if (folder.path == entry)
            return std::string("it is ") + folder.what;
    }
    for (const Folder& folder : fFolders) {
        if (IsBelow(folder.path, entry))
            return std::string("it holds ") + folder.what;
    }
    return std::string();
}
