// Where the install job places things: destination and link folders, the
// collision rules, and the test for an earlier installation folder.
#include "InstallConfig.h"

#include <ConfigFields.h>
#include <CustomFolder.h>
#include <LibEntryUtils.h>
#include <LibFileUtils.h>
#include <Path.h>
#include <ProtectedFolders.h>
#include <ReplaceQuestion.h>
#include <ToolRunner.h>
#include <Volume.h>

#include <cstring>
#include <functional>
#include <string>
#include <unistd.h>

namespace {

// Fields of one custom folder message.
const char* const kFieldCustomFolderName = "custom_folder_name";
const char* const kFieldCustomRootDir = "custom_root_dir";
const char* const kFieldCustomSubDir = "custom_sub_dir";
const char* const kFieldCustomReplaceExisting = "custom_replace_existing";

const char* Text(const LibString& text)
{
    const char* value = text;
    return value != nullptr ? value : "";
}

// A sub-folder path that stays below its standard folder: relative, with no
// ".." among its parts.
bool IsSafeSubFolder(const char* subFolder)
{
    if (subFolder == nullptr)
        return true;
    if (subFolder[0] == '/')
        return false;
    std::string rest = subFolder;
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find('/', start);
        if (end == std::string::npos)
            end = rest.size();
        if (rest.compare(start, end - start, "..") == 0 && end - start == 2)
            return false;
        start = end + 1;
    }
    return true;
}

} // namespace


bool
InstallConfig::DoesDestinationExist()
{
    LibString folder;
    if (!LibGetFullPath(fDestination, folder))
        return false;
    if (!HasUsableCreatedFolder())
        return false;
    std::string path = std::string(Text(folder)) + "/" + OptCreatedFolder();
    return LibExists(path.c_str());
}


bool
InstallConfig::HasUsableCreatedFolder() const
{
    const std::string created = OptCreatedFolder();
    return !created.empty() && created != "." && created != ".." && created.find('/') == std::string::npos;
}


std::string
InstallConfig::InstallLockPath(const char* destinationFolder, const char* created)
{
    std::string name = created != nullptr ? created : "";
    // A long name would not leave room for the lock file's own name.
    if (name.size() > 200)
        name = "long-" + std::to_string(std::hash<std::string>()(name));
    return std::string(destinationFolder != nullptr ? destinationFolder : "") + "/." + name + ".ondelle-lock";
}


void
InstallConfig::GetNewPath(const char* name, BMessage& customFolders, BVolume& volume,
    const char* savedFilesPath, LibString& path)
{
    path = "";
    fFolderRefusal.clear();
    if (name == nullptr)
        return;

    BMessage folder;
    for (int32 index = 0; customFolders.FindMessage(kFieldCustomFolder, index, &folder) == B_OK;
            index++) {
        const char* folderName = nullptr;
        if (folder.FindString(kFieldCustomFolderName, 0, &folderName) != B_OK
            || folderName == nullptr || strcmp(folderName, name) != 0)
            continue;

        bool replace = false;
        folder.FindBool(kFieldCustomReplaceExisting, 0, &replace);
        std::string full;
        if (!_CustomFolderPath(folder, volume, full))
            return;

        if (replace && LibExists(full.c_str())) {
            // A custom folder may replace only a folder of the product's
            // own, never a standard folder, the home folder or a folder
            // that holds the installation.
            ProtectedFolders guarded;
            guarded.AddStandardFolders(volume);
            guarded.AddInstallFolder(InstallFolderPath());
            std::string refusal = guarded.Refusal(full.c_str());
            const char* subFolder = nullptr;
            folder.FindString(kFieldCustomSubDir, 0, &subFolder);
            if (refusal.empty() && !CustomFolder::NamesFolderBelowParent(subFolder))
                refusal = "the custom folder names no folder below its standard folder";
            if (!refusal.empty()) {
                Log("\t\t\tThe folder %s is not replaced: %s\n", full.c_str(), refusal.c_str());
                fFolderRefusal = "the folder " + full + " may not be replaced: " + refusal;
                return;
            }
            if (OptSaveReplaced())
                _SaveExisting(full.c_str(), savedFilesPath);
            else if (!_RemoveForJournal(full))
                LibUnlink(full.c_str());
        }
        if (!LibExists(full.c_str())) {
            _JournalFolders(full);
            Libmkdir(full.c_str());
        }
        if (replace) {
            // Only the first use in a run replaces the folder.
            folder.ReplaceBool(kFieldCustomReplaceExisting, 0, false);
            customFolders.ReplaceMessage(kFieldCustomFolder, index, &folder);
        }
        path = full.c_str();
        return;
    }

    directory_which which;
    BPath standard;
    if (LibGetStdDirName(name, which) && find_directory(which, &standard, false) == B_OK)
        path = standard.Path();
}


bool
InstallConfig::_CustomFolderPath(const BMessage& folder, BVolume& volume, std::string& path) const
{
    int32 root = 0;
    folder.FindInt32(kFieldCustomRootDir, 0, &root);
    const char* subFolder = nullptr;
    folder.FindString(kFieldCustomSubDir, 0, &subFolder);

    BPath base;
    if (!IsSafeSubFolder(subFolder)
        || find_directory(directory_which(root), &base, false, &volume) != B_OK)
        return false;
    path = base.Path();
    if (subFolder != nullptr && subFolder[0] != '\0')
        path += std::string("/") + subFolder;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return true;
}


bool
InstallConfig::FolderPathOf(const char* name, const BMessage& customFolders, BVolume& volume,
    std::string& path) const
{
    path.clear();
    if (name == nullptr)
        return false;
    BMessage folder;
    for (int32 index = 0; customFolders.FindMessage(kFieldCustomFolder, index, &folder) == B_OK;
            index++) {
        const char* folderName = nullptr;
        if (folder.FindString(kFieldCustomFolderName, 0, &folderName) == B_OK
            && folderName != nullptr && strcmp(folderName, name) == 0)
            return _CustomFolderPath(folder, volume, path);
    }
    directory_which which;
    BPath standard;
    if (!LibGetStdDirName(name, which) || find_directory(which, &standard, false) != B_OK)
        return false;
    path = standard.Path();
    return true;
}


bool
InstallConfig::_SaveExisting(const char* existing, const char* savedFiles)
{
    if (savedFiles == nullptr || savedFiles[0] == '\0' || !LibExists(savedFiles))
        return false;
    // A free name in "Saved Files", so that an entry saved earlier in the run
    // under the same name is kept too.
    char leaf[B_FILE_NAME_LENGTH];
    LibGetChildName(existing, leaf);
    std::string target;
    for (int32 n = 0;; n++) {
        if (n == 10000)
            return false;
        LibString candidate = LibCopySeriesName(leaf, n);
        target = std::string(savedFiles) + "/" + Text(candidate);
        if (!EntryExists(target))
            break;
    }
    _JournalMove(existing, target);
    return LibMove(existing, target.c_str()) && !EntryExists(existing);
}


bool
InstallConfig::ReplaceControl(const char* folder, const BPath& item, const char* rule,
    bool& askAgain, bool& lastAnswer, const BPath& savedFiles, const char* incomingFacts)
{
    fCollisionFailed = false;
    if (folder == nullptr || item.Leaf() == nullptr)
        return false;
    std::string existing = std::string(folder) + "/" + item.Leaf();
    // The entry itself counts, not what it leads to: a link that points
    // nowhere is in the way as much as a file.
    if (!EntryExists(existing))
        return true;
    if (_IsEarlierOwn(existing)) {
        // The earlier installation of this product placed it and nobody
        // changed it since: replaced whatever the rule, without a question
        // and without a copy.
        if (!_RemoveForJournal(existing))
            LibUnlink(existing.c_str());
        if (EntryExists(existing)) {
            _CollisionFailed("\t\t\tUnable to remove existing file %s\n", existing.c_str());
            return false;
        }
        Log("\t\t\tReplaced the earlier installation's own %s\n", existing.c_str());
        return true;
    }
    if (rule == nullptr)
        rule = "";

    if (strcmp(rule, "Prompt") == 0) {
        if (askAgain) {
            BAlertAnswer answer = AskReplaceQuestion(incomingFacts != nullptr ? incomingFacts : item.Path(),
                existing.c_str());
            lastAnswer = answer.button == 1;
            askAgain = !answer.checkBox;
        }
        bool result = lastAnswer;
        if (result && OptSaveReplaced()) {
            if (!_SaveExisting(existing.c_str(), savedFiles.Path())) {
                _CollisionFailed("\t\t\tUnable to save existing file %s\n", existing.c_str());
                return false;
            }
            Log("\t\t\tExisting file saved.\n");
        }
        return result;
    }

    if (strcmp(rule, "Rename") == 0) {
        // The first free name of the copy series, as LibDuplicate picks it,
        // noted in the journal before the rename.
        for (int32 n = 1; n < 100000; n++) {
            const std::string target = std::string(folder) + "/"
                + static_cast<const char*>(LibCopySeriesName(item.Leaf(), n));
            if (!EntryExists(target)) {
                _JournalMove(existing, target);
                break;
            }
        }
        LibDuplicate(existing.c_str());
        if (EntryExists(existing)) {
            _CollisionFailed("\t\t\tUnable to rename existing file %s\n", existing.c_str());
            return false;
        }
        Log("\t\t\tExisting file renamed\n");
        return true;
    }

    if (OptSaveReplaced()) {
        if (!_SaveExisting(existing.c_str(), savedFiles.Path())) {
            _CollisionFailed("\t\t\tUnable to save existing file %s\n", existing.c_str());
            return false;
        }
        Log("\t\t\tExisting file saved.\n");
    } else {
        if (!_RemoveForJournal(existing))
            LibUnlink(existing.c_str());
        if (EntryExists(existing)) {
            _CollisionFailed("\t\t\tUnable to remove existing file %s\n", existing.c_str());
            return false;
        }
        Log("\t\t\tExisting file removed.\n");
    }
    return true;
}


void
InstallConfig::_CollisionFailed(const char* logFormat, const char* existing)
{
    fCollisionFailed = true;
    Log(logFormat, existing);
}
