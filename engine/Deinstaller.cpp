// Finding and removing what an installation tagged.
#include "Deinstaller.h"

#include "DeinstallTag.h"
#include "DesktopIntegration.h"
#include "ScriptEdit.h"

#include <AnchoredPath.h>
#include <Directory.h>
#include <Entry.h>
#include <FindDirectory.h>
#include <LibEntryUtils.h>
#include <Path.h>
#include <Volume.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <sys/stat.h>

namespace {

// The user's scripts that an installation may have added sections to, with
// the configuration fields that name them.
struct script_target {
    const char* flag;
    const char* tagField;
    directory_which folder;
    const char* script;
    // Put before the configured tag in this script.
    const char* tagPrefix;
};

const script_target kScripts[] = {
    {"edit_bootscript", "edit_bootscript_tag", B_USER_BOOT_DIRECTORY, "UserBootscript", ""},
    {"edit_setup_env", "edit_setup_env_tag", B_USER_BOOT_DIRECTORY, "UserSetupEnvironment", ""},
    // The setup environment's copy for login shells.
    {"edit_setup_env", "edit_setup_env_tag", B_USER_DIRECTORY, ".profile",
        ENVIRONMENT_PROFILE_TAG_PREFIX},
    {"edit_profile", "edit_profile_tag", B_USER_DIRECTORY, ".profile", ""},
};

// The absolute path of an existing folder with every link resolved, or an
// empty text.
std::string ResolvedFolder(const char* path)
{
    if (path == nullptr || *path == '\0')
        return std::string();
    BEntry entry(path, true);
    if (entry.InitCheck() != B_OK || !entry.Exists() || !entry.IsDirectory()
            || entry.PathName() == nullptr)
        return std::string();
    return entry.PathName();
}

// True when path is folder or lies below it.
bool IsAtOrBelow(const std::string& path, const std::string& folder)
{
    if (folder == "/")
        return true;
    return path == folder
        || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0
            && path[folder.size()] == '/');
}

bool Device(const char* path, dev_t& device)
{
    BEntry entry(path, false);
    struct stat st;
    if (entry.InitCheck() != B_OK || entry.GetStat(&st) != B_OK)
        return false;
    device = st.st_dev;
    return true;
}

} // namespace


Deinstaller::Deinstaller(const BMessage& configuration)
    :
    fConfiguration(configuration),
    fTag(MakeDeinstallTag(configuration))
{
}


status_t
Deinstaller::InitCheck() const
{
    const char* name = nullptr;
    if (fConfiguration.FindString("app_name", &name) != B_OK || name == nullptr || *name == '\0')
        return B_BAD_VALUE;
    return B_OK;
}


std::string
Deinstaller::ProductName() const
{
    const char* name = "";
    const char* version = "";
    fConfiguration.FindString("app_name", &name);
    fConfiguration.FindString("version", &version);
    std::string product = name != nullptr ? name : "";
    if (version != nullptr && *version != '\0')
        product += std::string(" ") + version;
    return product;
}


void
Deinstaller::AddFolder(const char* path)
{
    const std::string folder = ResolvedFolder(path);
    struct stat st;
    if (folder.empty() || std::find(fRoots.begin(), fRoots.end(), folder) != fRoots.end()
        || !AnchoredPath::IsPlainAbsolute(folder) || folder == "/"
        || ::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return;
    fRoots.push_back(folder);
    fRootNodes.emplace_back(st.st_dev, st.st_ino);
}


std::string
Deinstaller::_RootOf(const std::string& path) const
{
    std::string best;
    for (const std::string& root : fRoots) {
        if (path != root && IsAtOrBelow(path, root) && root.size() > best.size())
            best = root;
    }
    return best;
}


bool
Deinstaller::_Anchored(const std::string& root, const std::string& path, struct stat& st) const
{
    const auto found = std::find(fRoots.begin(), fRoots.end(), root);
    if (found == fRoots.end())
        return false;
    const auto& node = fRootNodes[size_t(found - fRoots.begin())];
    const AnchoredPath anchored(root, node.first, node.second, path);
    return anchored.IsValid() && anchored.Stat(&st) == B_OK;
}


bool
Deinstaller::_Describe(const std::string& root, const std::string& path, const struct stat& st,
    install_record_entry& entry) const
{
    const auto found = std::find(fRoots.begin(), fRoots.end(), root);
    if (found == fRoots.end())
        return false;
    const auto& node = fRootNodes[size_t(found - fRoots.begin())];
    const AnchoredPath anchored(root, node.first, node.second, path);
    entry = install_record_entry();
    entry.modified = int64(st.st_mtime);
    if (S_ISLNK(st.st_mode)) {
        entry.kind = install_record_entry::LINK;
        if (anchored.ReadLink(&entry.detail) != B_OK)
            entry.detail.clear();
    } else if (S_ISDIR(st.st_mode)) {
        entry.kind = install_record_entry::FOLDER;
    } else {
        // A FIFO or device is never read: it has no checksum and so
        // counts as changed.
        entry.kind = install_record_entry::FILE;
        entry.size = int64(st.st_size);
        if (!S_ISREG(st.st_mode) || anchored.Digest(&entry.detail) != B_OK)
            entry.detail.clear();
    }
    return true;
}


void
Deinstaller::SkipFolder(const char* path)
{
    const std::string folder = ResolvedFolder(path);
    if (!folder.empty())
        fSkipped.push_back(folder);
}


void
Deinstaller::AddStandardFolders(const char* installFolder)
{
    BVolume installVolume;
    dev_t device;
    const bool otherVolume = installFolder != nullptr && Device(installFolder, device)
        && installVolume.SetTo(device) == B_OK;

    for (const lib_dir_name* row = lib_be_dir_names; row->name != nullptr; row++) {
        BPath path;
        if (row->code == B_TRASH_DIRECTORY) {
            // The Trash keeps earlier installations; they are not touched.
            if (find_directory(row->code, &path, false) == B_OK) {
                BPath parent;
                SkipFolder(path.Path());
                if (path.GetParent(&parent) == B_OK && strcmp(parent.Leaf(), "Trash") == 0)
                    SkipFolder(parent.Path());
            }
            continue;
        }
        if (find_directory(row->code, &path, false) == B_OK)
            AddFolder(path.Path());
        if (otherVolume && find_directory(row->code, &path, false, &installVolume) == B_OK)
            AddFolder(path.Path());
    }
    // The desktop's folders: menu entries, icons, the MIME packages (login
    // entries and environment files lie in the configuration folder).
    AddFolder(DesktopIntegration::UserDataFolder().c_str());
    for (const std::string& menu : DesktopIntegration::MenuFolders())
        AddFolder(menu.c_str());
    if (installFolder != nullptr) {
        AddFolder(installFolder);
        const std::string saved = std::string(installFolder) + "/Saved Files";
        SkipFolder(saved.c_str());
    }
}


bool
Deinstaller::_Skipped(const std::string& path) const
{
    for (const std::string& skipped : fSkipped) {
        if (IsAtOrBelow(path, skipped))
            return true;
    }
    return false;
}


bool
Deinstaller::_LinkBelongs(const std::string& path, bool parentTagged) const
{
    if (parentTagged || HasDeinstallTag(path.c_str(), fTag.c_str()))
        return true;
    BEntry target(path.c_str(), true);
    return target.InitCheck() == B_OK && target.Exists() && target.PathName() != nullptr
        && HasDeinstallTag(target.PathName(), fTag.c_str());
}


void
Deinstaller::Scan(const std::function<void(const std::string&)>& progress)
{
    fEntries.clear();
    if (InitCheck() != B_OK)
        return;

    // A folder inside another one is walked with it.
    std::vector<std::string> roots;
    for (const std::string& root : fRoots) {
        bool inside = false;
        for (const std::string& other : fRoots) {
            if (other != root && IsAtOrBelow(root, other))
                inside = true;
        }
        if (!inside && !_Skipped(root))
            roots.push_back(root);
    }

    std::set<std::string> seen;
    for (const std::string& root : roots) {
        if (progress)
            progress(root);
        dev_t rootDevice;
        if (!Device(root.c_str(), rootDevice))
            continue;
        // Folders still to be read, each with whether it carries the tag.
        std::vector<std::pair<std::string, bool>> pending;
        // A folder looked through is never removed itself, and lends its
        // links nothing.
        pending.emplace_back(root, false);
        while (!pending.empty()) {
            auto [folder, folderTagged] = pending.back();
            pending.pop_back();
            BDirectory directory(folder.c_str());
            if (directory.InitCheck() != B_OK)
                continue;
            std::vector<std::pair<std::string, bool>> subfolders;
            BEntry entry;
            while (directory.GetNextEntry(&entry, false) == B_OK) {
                if (entry.PathName() == nullptr)
                    continue;
                const std::string path = entry.PathName();
                struct stat st;
                if (entry.GetStat(&st) != B_OK || _Skipped(path))
                    continue;
                deinstall_entry found;
                found.path = path;
                found.root = root;
                bool belongs;
                if (S_ISLNK(st.st_mode)) {
                    found.kind = DEINSTALL_LINK;
                    belongs = _LinkBelongs(path, folderTagged);
                } else {
                    found.kind = S_ISDIR(st.st_mode) ? DEINSTALL_FOLDER : DEINSTALL_FILE;
                    belongs = HasDeinstallTag(path.c_str(), fTag.c_str());
                }
                // What was read through the path must be what stands there
                // without following any link on the way; a folder swapped
                // for a link during the walk yields nothing.
                struct stat anchored;
                if (!_Anchored(root, path, anchored) || anchored.st_dev != st.st_dev
                    || anchored.st_ino != st.st_ino)
                    continue;
                found.node = anchored;
                if (belongs && seen.insert(path).second)
                    fEntries.push_back(found);
                // Other mounted volumes are not entered.
                if (S_ISDIR(st.st_mode) && st.st_dev == rootDevice)
                    subfolders.emplace_back(path, belongs);
            }
            // Reversed, so that folders are read in the order listed.
            pending.insert(pending.end(), subfolders.rbegin(), subfolders.rend());
        }
    }
    if (fRecordState != DEINSTALL_RECORD_NONE)
        _CompareWithRecord();
}


bool
Deinstaller::LoadRecord(const char* installFolder)
{
    const char* key = nullptr;
    if (fConfiguration.FindString("record_key", &key) != B_OK || key == nullptr)
        key = "";
    const status_t status = installFolder != nullptr
        ? fRecord.Load(InstallRecord::PathIn(installFolder).c_str(), key)
        : B_ENTRY_NOT_FOUND;
    if (status == B_OK)
        fRecordState = fRecord.Trusted() ? DEINSTALL_RECORD_TRUSTED
            : *key == '\0'              ? DEINSTALL_RECORD_UNCHECKED
                                         : DEINSTALL_RECORD_IN_DOUBT;
    else if (status == B_ENTRY_NOT_FOUND && *key == '\0')
        fRecordState = DEINSTALL_RECORD_NONE;
    else
        fRecordState = DEINSTALL_RECORD_IN_DOUBT;
    // A record that is damaged or missing although one was kept (a full
    // volume at install time, a file put in its place) says nothing about
    // what was placed: the entries stay rather than being judged by their
    // tag alone.
    fHasRecord = fRecordState == DEINSTALL_RECORD_TRUSTED
        || fRecordState == DEINSTALL_RECORD_UNCHECKED;
    return fHasRecord;
}


void
Deinstaller::_CompareWithRecord()
{
    std::set<std::string> found;
    for (deinstall_entry& entry : fEntries) {
        found.insert(entry.path);
        install_record_entry now;
        if (fRecordState == DEINSTALL_RECORD_IN_DOUBT) {
            entry.keep = "the install record is missing or damaged, so it cannot be told from a "
                         "copy";
        } else if (!fRecord.Has(entry.path)) {
            entry.keep = entry.kind == DEINSTALL_LINK
                ? "a link the installation did not place"
                : "not placed by the installation (a copy made since?)";
        } else if (!_Describe(entry.root, entry.path, entry.node, now)
            || fRecord.Differs(entry.path, now)) {
            entry.keep = "changed since it was installed";
        }
    }
    // Only a record whose lines hold their checksum may name entries that
    // no longer carry the tag (a file edited and saved by rename, for one),
    // and only entries below the folders looked through, reached without
    // following a link.
    if (fRecordState != DEINSTALL_RECORD_TRUSTED)
        return;
    bool added = false;
    for (const auto& [path, recorded] : fRecord.Entries()) {
        if (found.count(path) != 0 || !AnchoredPath::IsPlainAbsolute(path) || _Skipped(path))
            continue;
        const std::string root = _RootOf(path);
        struct stat st;
        install_record_entry now;
        if (root.empty() || !_Anchored(root, path, st) || !_Describe(root, path, st, now))
            continue;
        deinstall_entry entry;
        entry.path = path;
        entry.root = root;
        entry.node = st;
        entry.kind = now.kind == install_record_entry::FOLDER ? DEINSTALL_FOLDER
            : now.kind == install_record_entry::LINK ? DEINSTALL_LINK : DEINSTALL_FILE;
        if (fRecord.Differs(path, now))
            entry.keep = "changed since it was installed";
        fEntries.push_back(entry);
        added = true;
    }
    if (added) {
        // A folder before its contents, as the walk found them.
        std::stable_sort(fEntries.begin(), fEntries.end(),
            [](const deinstall_entry& a, const deinstall_entry& b) { return a.path < b.path; });
    }
}


void
Deinstaller::FindScriptSections()
{
    fSections.clear();
    for (const script_target& target : kScripts) {
        bool on = false;
        const char* tag = nullptr;
        if (fConfiguration.FindBool(target.flag, &on) != B_OK || !on
                || fConfiguration.FindString(target.tagField, &tag) != B_OK || tag == nullptr
                || *tag == '\0')
            continue;
        std::string script;
        if (!ScriptPath(target.folder, target.script, script))
            continue;
        deinstall_section section;
        section.script = script;
        section.tag = std::string(target.tagPrefix) + tag;
        section.count = CountTaggedSections(script.c_str(), section.tag.c_str());
        fSections.push_back(section);
    }
}


int32
Deinstaller::Remove(const std::function<void(const deinstall_report&)>& report)
{
    int32 failures = 0;
    std::vector<std::string> removed;
    // Contents were found after their folders: going backwards removes them
    // first.
    for (auto it = fEntries.rbegin(); it != fEntries.rend(); ++it) {
        if (!it->keep.empty())
            continue;
        deinstall_report done;
        done.path = it->path;
        // Reached from the root's descriptor one name at a time, and
        // removed only while it is the entry that was listed: a folder on
        // the way swapped for a link, or another entry put in its place
        // after the list was shown, is left alone.
        const auto root = std::find(fRoots.begin(), fRoots.end(), it->root);
        if (root == fRoots.end()) {
            done.status = B_NOT_ALLOWED;
        } else {
            const auto& node = fRootNodes[size_t(root - fRoots.begin())];
            const AnchoredPath anchored(it->root, node.first, node.second, it->path);
            done.status = anchored.IsValid() ? anchored.Remove(it->node) : B_NOT_ALLOWED;
        }
        if (done.status == B_DIRECTORY_NOT_EMPTY && it->kind != DEINSTALL_FOLDER)
            done.status = B_ERROR;
        // An entry that is gone already is no failure.
        if (done.status != B_OK && done.status != B_DIRECTORY_NOT_EMPTY
                && done.status != B_ENTRY_NOT_FOUND)
            failures++;
        if (done.status == B_OK)
            removed.push_back(it->path);
        if (report)
            report(done);
    }
    // The desktop's caches must forget the removed entries and types.
    if (!removed.empty())
        DesktopIntegration::RefreshCachesFor(removed);
    for (const deinstall_section& section : fSections) {
        if (section.count == 0)
            continue;
        deinstall_report done;
        done.path = section.script;
        done.tag = section.tag;
        done.status
            = RemoveTaggedSections(section.script.c_str(), section.tag.c_str(), &done.backup) > 0
            ? B_OK : B_ERROR;
        if (done.status != B_OK)
            failures++;
        if (report)
            report(done);
    }
    return failures;
}


const char*
deinstall_entry_kind_name(deinstall_entry_kind kind)
{
    switch (kind) {
        case DEINSTALL_FOLDER:
            return "folder";
        case DEINSTALL_LINK:
            return "link";
        default:
            return "file";
    }
}
