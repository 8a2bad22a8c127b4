// The install job: InstallConfig::Action and the work on each install item.
#include "InstallConfig.h"

#include <Alert.h>
#include <ConfigFields.h>
#include <DataMac.h>
#include <DeinstallerConfig.h>
#include <DesktopIntegration.h>
#include <Directory.h>
#include <Entry.h>
#include <InstallJournal.h>
#include <InstallRecord.h>
#include <InstallItem.h>
#include <ItemExtraction.h>
#include <ItemUnpackPool.h>
#include <LibAlert.h>
#include <LibAppResource.h>
#include <LibEntryUtils.h>
#include <LibFileUtils.h>
#include <LockFile.h>
#include <MenuEntryOptions.h>
#include <Path.h>
#include <ProtectedFolders.h>
#include <StopPoint.h>
#include <SymLink.h>
#include <Volume.h>
#include <VolumeSpace.h>

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>
#include <unistd.h>

namespace {

// The system's words for a failed call's status: the text of the Linux
// error it stands for.
std::string StatusReason(status_t status)
{
    for (int error = 1; error < 256; error++) {
        if (status_from_errno(error) == status)
            return std::strerror(error);
    }
    return "error " + std::to_string(status);
}

const char* Text(const LibString& text)
{
    const char* value = text;
    return value != nullptr ? value : "";
}

// The text of a string field of message, or fallback when it has none.
const char* StringField(const BMessage& message, const char* name, const char* fallback)
{
    const char* text = nullptr;
    if (message.FindString(name, 0, &text) != B_OK || text == nullptr)
        return fallback;
    return text;
}

// The item's name: the leaf of its path, a trailing "/" ignored.
std::string LeafOf(const char* path)
{
    return std::string(InstallItem::LeafOf(path));
}

// True when an entry of that path exists, a dangling link included.
bool EntryExists(const std::string& path)
{
    return BEntry(path.c_str(), false).Exists();
}

// True when the item at path is a symbolic link with a relative target that
// would point at nothing from folder: moved there it would be a dangling
// link that neither works nor can be told apart from the user's own.
bool LinkWouldDangleIn(const std::string& path, const std::string& folder)
{
    BEntry entry(path.c_str(), false);
    if (!entry.Exists() || !entry.IsSymLink())
        return false;
    BSymLink link(path.c_str());
    char target[B_PATH_NAME_LENGTH];
    const ssize_t length = link.ReadLink(target, sizeof(target));
    if (length <= 0 || target[0] == '/')
        return false;
    return !BEntry((folder + "/" + target).c_str(), true).Exists();
}

bool IsPlainLeaf(const std::string& leaf)
{
    return !leaf.empty() && leaf != "." && leaf != ".." && leaf.find('/') == std::string::npos;
}

// Archives unpacked (or being unpacked) ahead of the item being placed: a
// few keep both cores busy while holding little disk space.
constexpr int32 kUnpackLookAhead = 3;
// The most workers a job starts, whatever it is told.
constexpr int32 kUnpackWorkersLimit = 16;

} // namespace


// Working state of one run of the job.
struct InstallConfig::JobRun {
    BVolume volume;
    LibAppResource* resources = nullptr;
    std::string savedFiles;
    BMessage customFolders;
    BMessage instructions;
    int32 selected = 0;
    int32 done = 0;
    // Unpacked bytes of the selected items, and of those handled so far.
    int64 bytesTotal = 0;
    int64 bytesDone = 0;
    bool itemAskAgain = true;
    bool itemLastAnswer = true;
    bool linkAskAgain = true;
    bool linkLastAnswer = true;
    // Why the current item could not be installed completely; empty when
    // all went well.
    std::string itemProblems;
    // What the run placed for the deinstaller, in the installation folder.
    InstallRecord record;
    // The workers that unpack archives ahead, and each item's place in
    // their queue (-1: unpacked at its turn); none with 0 workers.
    std::shared_ptr<ItemUnpackPool> pool;
    std::vector<int32> queued;
};


int32
InstallConfig::Action()
{
    fFailedItems.Clear();
    fLogOpened = false;
    fInstallFolder = "";
    fDeinstallTag = "";
    fPastLastStep = false;
    fEarlier.reset();
    fUpdatedFrom.clear();
    fItemsStarted = 0;
    fItemsSelected = 0;
    {
        std::lock_guard<std::mutex> guard(fCurrentItemLock);
        fCurrentItem.clear();
    }
    // However the run ends, the installation folder's lock goes with it (a
    // stop gives it up from the stopping thread).
    struct JobLockRelease {
        InstallConfig& config;
        ~JobLockRelease()
        {
            std::lock_guard<std::mutex> guard(config.fJobLockMutex);
            config.fJobLock.Unlock();
        }
    } jobLockRelease{*this};

    UpdateStatus("Checking System Resources...");
    int32 check = CheckSystemResources();
    if (check == REQUIREMENTS_NO_SPACE)
        return INSTALL_RESULT_NO_SPACE;
    if (check == REQUIREMENTS_ABORT)
        return INSTALL_RESULT_DONE;

    // Working folders of runs that were killed outright (their process is
    // gone) are still in the temporary folder: remove them.
    for (const char* prefix : {kItemWorkFolderPrefix, kUnpackFolderPrefix})
        LibRemoveStaleWorkFolders(nullptr, prefix);

    JobRun run;

    LibString tag;
    tag.Formatted("%s;%s;%s;%s;%s;", AppName(), Version(), ReleaseDate(), Company(),
        SupportEmail());
    fDeinstallTag = Text(tag);
    fDesktopLogIndent = "\t\t\t";
    fDesktop = std::make_shared<DesktopIntegration>(AppName(), Text(tag),
        [this](const std::string& line) {
            Log("%s%s\n", fDesktopLogIndent.c_str(), line.c_str());
        });
    fDesktop->SetChangeHook([this](const std::string& path, bool folder) {
        _JournalDesktopChange(path, folder);
    });

    BDirectory destination(&fDestination);
    LibString destinationPath;
    if (destination.InitCheck() != B_OK || !LibGetFullPath(fDestination, destinationPath)) {
        LibError("Failure to find selected installation folder. Unable to install files.");
        return INSTALL_RESULT_NO_FOLDER;
    }
    // The volume that holds the files: the destination folder's own, which
    // differs from its entry's when the folder is a mount point.
    if (!GetVolumeHolding(Text(destinationPath), run.volume))
        run.volume.SetTo(fDestination.device);
    char volumeName[B_FILE_NAME_LENGTH] = "";
    if (run.volume.InitCheck() == B_OK)
        run.volume.GetName(volumeName);

    const std::string created = OptCreatedFolder();
    // One job at a time per installation folder: a second one would move the
    // first one's folder to the Trash and mix their items.
    if (IsPlainLeaf(created)) {
        const std::string lockPath = InstallLockPath(Text(destinationPath), created.c_str());
        status_t locked = B_ERROR;
        {
            std::lock_guard<std::mutex> guard(fJobLockMutex);
            locked = fJobLock.TryLock(lockPath.c_str());
        }
        if (locked == B_BUSY) {
            LibError("Another installation into '%s/%s' is running. Wait until it has finished, then install "
                "again.", Text(destinationPath), created.c_str());
            return INSTALL_RESULT_NO_FOLDER;
        }
        if (locked != B_OK) {
            // Name what is in the way: a link or other entry planted at the
            // lock's place is no reason to blame the installation folder.
            const bool occupied = EntryExists(lockPath);
            LibError(occupied
                    ? "The entry '%s' blocks the installation: it is not a lock file the installer can use "
                      "(a link or another kind of entry). Remove it, then install again."
                    : "Unable to create the lock file '%s' beside the installation folder (%s). Unable to "
                      "install files.",
                lockPath.c_str(), StatusReason(locked).c_str());
            return INSTALL_RESULT_NO_FOLDER;
        }
    }
    // A job that died before it completed left its journal: its changes
    // are taken back before this run looks at anything.
    std::shared_ptr<InstallJournal> journal;
    if (IsPlainLeaf(created)) {
        _RecoverInterrupted(Text(destinationPath), created);
        journal = std::make_shared<InstallJournal>();
        const std::string journalPath = InstallJournal::PathFor(Text(destinationPath), created.c_str());
        const status_t begun = journal->Begin(journalPath);
        if (begun != B_OK) {
            LibError("Unable to write the installation's journal '%s' (%s). Unable to install files.",
                journalPath.c_str(), StatusReason(begun).c_str());
            return INSTALL_RESULT_NO_FOLDER;
        }
        std::lock_guard<std::mutex> guard(fJournalLock);
        fJournal = journal;
    }
    // A run that returns before it completed takes its changes back (a
    // stopped one is taken back by the stop).
    struct JournalRollback {
        InstallConfig& config;
        ~JournalRollback() { config._EndJournal(false); }
    } journalRollback{*this};
    if (DoesDestinationExist()) {
        BPath earlier(Text(destinationPath), created.c_str());
        // An earlier installation folder goes to the Trash, but never a
        // standard folder or the home folder that happens to bear its name.
        ProtectedFolders guarded;
        guarded.AddStandardFolders(run.volume);
        const std::string refusal = guarded.Refusal(earlier.Path());
        if (!refusal.empty()) {
            LibError("The folder '%s' cannot be moved to the Trash: %s. Unable to install files.",
                earlier.Path(), refusal.c_str());
            return INSTALL_RESULT_NO_FOLDER;
        }
        // It goes to the Trash once the job has completed; until then it
        // waits beside it, to come back if the job does not complete.
        std::string aside;
        const status_t setAside = journal->SetAsideForTrash(earlier.Path(), aside);
        if (setAside != B_OK) {
            LibError("The folder '%s' cannot be moved out of the way (%s). Unable to install files.",
                earlier.Path(), StatusReason(setAside).c_str());
            return INSTALL_RESULT_NO_FOLDER;
        }
        // An earlier installation of this product: what it placed and nobody
        // changed since is replaced without a question.
        _LoadEarlierInstallation(aside);
    }
    // The name must be one folder inside the destination, never a path.
    BDirectory installFolder;
    if (IsPlainLeaf(created))
        journal->WillCreate(std::string(Text(destinationPath)) + "/" + created);
    const status_t made = IsPlainLeaf(created) ? destination.CreateDirectory(created.c_str(), &installFolder)
                                               : B_BAD_VALUE;
    if (made != B_OK) {
        const std::string reason = IsPlainLeaf(created) ? StatusReason(made) : "it is not a single folder name";
        LibError("Unable to create installation folder '%s' (%s). Unable to install files.", created.c_str(),
            reason.c_str());
        return INSTALL_RESULT_NO_FOLDER;
    }

    std::string installPath = std::string(Text(destinationPath)) + "/" + created;
    fInstallFolder = installPath.c_str();
    // The administrator installing into /opt or /usr/local installs for
    // every user: the menu entries, icons and document types go to the
    // system's folders.
    if (DesktopIntegration::IsSystemWideInstall(installPath, ::geteuid())) {
        fDesktop->SetSystemWide(true);
        Log("System-wide installation: menu entries, icons and document types go to %s\n",
            DesktopIntegration::SystemDataFolder().c_str());
    }
    if (OptSaveReplaced()) {
        run.savedFiles = installPath + "/Saved Files";
        Libmkdir(run.savedFiles.c_str());
    }

    // The deinstaller removes only what this record lists, unchanged, and
    // believes only lines checked with this run's key, which it keeps in
    // its own configuration.
    fRecordKey = make_mac_key();
    if (run.record.Create(InstallRecord::PathIn(installPath.c_str()).c_str(), fRecordKey) != B_OK) {
        fprintf(stderr, "InstallConfig: no install record could be made in %s\n",
            installPath.c_str());
        fFailedItems.Add("Install Record (it could not be written: the deinstaller will remove "
                         "nothing of this installation)");
    }
    // The hook points into this run; it is taken away again when the run
    // ends, however it ends.
    InstallRecord* record = &run.record;
    fDesktop->SetPlacedHook([this, record](const std::string& path) {
        if (record->AddTree(path.c_str()) != B_OK)
            _RecordFailed(path);
    });
    struct HookRemover {
        std::shared_ptr<DesktopIntegration> desktop;
        ~HookRemover() { desktop->SetPlacedHook(nullptr); }
    } hookRemover{fDesktop};

    const std::string logPath = installPath + "/Log";
    OpenLog(logPath.c_str());
    _WriteLogHeader(run.volume, volumeName, run.savedFiles.c_str());

    // The job only reads the installer's resources.
    const char* resourcePath = ResourcePath();
    std::unique_ptr<LibAppResource> resources(resourcePath[0] != '\0'
            ? new LibAppResource(resourcePath, B_READ_ONLY)
            : new LibAppResource(B_READ_ONLY));
    run.resources = resources.get();
    const bool haveInstructions = FindMessage(kFieldInstallInstructions, 0, &run.instructions) == B_OK;
    // The deinstaller is written before any worker starts unpacking, so
    // that they cannot fill the volume under it; a deinstaller that could
    // not be written is a failure of the install.
    UpdateStatus("Creating deinstaller...");
    const status_t deinstallerStatus = CreateDeinstaller(*resources, installPath.c_str(), DeinstallTag());
    if (deinstallerStatus != B_OK) {
        Log("\t\tUnable to write the deinstaller\n");
        LibString line;
        line.Formatted("%s (%s)", DeinstallerFileName(AppName(), Version()).c_str(),
            deinstallerStatus == B_DEVICE_FULL || VolumeLooksFull(installPath.c_str(), 0)
                ? VolumeFullReason(installPath.c_str()).c_str()
                : "it could not be written");
        fFailedItems.Add(Text(line));
    }
    const std::string deinstallerPath = installPath + "/" + DeinstallerFileName(AppName(), Version());
    if (EntryExists(deinstallerPath))
        fDesktop->SetDeinstaller(deinstallerPath);
    // However the run ends, the workers are stopped and waited for before
    // the resources close.
    _StartUnpacking(run);
    struct UnpackingStopper {
        InstallConfig& config;
        JobRun& run;
        ~UnpackingStopper()
        {
            {
                std::lock_guard<std::mutex> guard(config.fUnpackPoolLock);
                config.fUnpackPool.reset();
            }
            run.pool.reset();
        }
    } unpackingStopper{*this, run};

    FindMessage(kFieldCustomFolder, 0, &run.customFolders);
    if (OptCreateStartup())
        CreateStartupFolder(run.customFolders, run.volume, run.savedFiles.c_str());

    BMessage item;
    for (int32 index = 0; run.instructions.FindMessage(kFieldInstallFile, index, &item) == B_OK;
            index++) {
        bool selected = false;
        if (item.FindBool(kFieldInstallToSystem, 0, &selected) == B_OK && selected) {
            run.selected++;
            run.bytesTotal += _ItemBytes(item);
        }
    }
    fItemsSelected = run.selected;

    for (int32 index = 0; run.instructions.FindMessage(kFieldInstallFile, index, &item) == B_OK;
            index++) {
        // The build changed under the job: nothing more is taken from it.
        if (fManifestMismatch)
            break;
        _InstallItem(run, index);
        // A selected item counts as done once handled, placed or failed.
        bool selected = false;
        if (item.FindBool(kFieldInstallToSystem, 0, &selected) == B_OK && selected) {
            run.bytesDone += _ItemBytes(item);
            UpdateProgress(run.bytesDone, run.bytesTotal);
        }
    }
    if (haveInstructions)
        ReplaceMessage(kFieldInstallInstructions, &run.instructions);
    // A build that changed under the job is trusted with nothing: what it
    // placed so far is taken back when the job returns (journalRollback).
    if (fManifestMismatch) {
        Log("\tInstallation stopped: the installer was changed while it installed (%s). Everything it had "
            "changed was taken back.\n", fManifestMismatchText.c_str());
        const std::string text = "The installer was changed after it was made: " + fManifestMismatchText
            + ".\nNothing was installed: everything the installation had changed was taken back.";
        BAlert alert("", text.c_str(), "OK", nullptr, nullptr, B_WIDTH_AS_USUAL, B_STOP_ALERT);
        alert.SetKind("not_verified");
        alert.Go();
        return INSTALL_RESULT_DONE;
    }

    fDesktopLogIndent = "\t";
    EditBootScripts();
    fDesktop->Finish();
    // The new record covers what the earlier installation placed, too.
    _CarryOverEarlier(run.record, installPath);
    // The desktop's caches are refreshed once the job has completed
    // (_EndJournal): a job taken back must leave them as they were.
    // A desktop file that could not be written leaves the product without
    // its login start, session environment or document types: it fails
    // like an item.
    for (const std::string& failure : fDesktop->Failures())
        fFailedItems.Add(failure.c_str());
    fDesktop.reset();
    // Everything is in place; what follows are questions and the log's
    // last line. A stop from here on waits for the job instead.
    // A stop that came first wins; after this one, stops wait.
    bool stopped = false;
    {
        std::lock_guard<std::mutex> guard(fStopLock);
        stopped = stop_requested();
        if (!stopped)
            fPastLastStep = true;
    }
    if (stopped)
        stop_point();
    // The job has completed: what it set aside goes (an earlier
    // installation folder to the Trash) and the journal with it.
    _EndJournal(true);
    AutoLaunch();

    LibString finished;
    _Timestamp(finished);
    if (!fUpdatedFrom.empty())
        Log("\tUpdated from version %s.\n", fUpdatedFrom.c_str());
    Log("\tInstallation Complete: %s\n", Text(finished));
    CloseLog();
    LibSetMimeType(logPath.c_str(), "text/plain");
    UpdateStatus("Installation Complete");

    Complete(installPath.c_str());
    return INSTALL_RESULT_DONE;
}


int64
InstallConfig::_ItemBytes(const BMessage& item)
{
    // A damaged configuration may state a negative size: it counts nothing.
    const int64 size = InstallItem(&item).FileSize();
    return size > 0 ? size : 0;
}


void
InstallConfig::_InstallItem(JobRun& run, int32 index)
{
    BMessage item;
    if (run.instructions.FindMessage(kFieldInstallFile, index, &item) != B_OK)
        return;
    bool selected = false;
    if (item.FindBool(kFieldInstallToSystem, 0, &selected) != B_OK || !selected)
        return;

    std::string leaf = LeafOf(StringField(item, kFieldFileName, ""));
    const std::string installFolder = InstallFolderPath();
    run.itemProblems.clear();
    if (IsReservedInstallName(leaf, AppName(), Version())) {
        // The installer's own files keep their names (the build tool
        // refuses such items; an older build may still carry one).
        const std::string renamed = UnreservedInstallName(leaf, AppName(), Version());
        Log("\t\t'%s' is a name the installer uses itself: the item is installed as '%s'\n",
            leaf.c_str(), renamed.c_str());
        leaf = renamed;
    }
    std::string itemPath = installFolder + "/" + leaf;

    Log("\t\tInstalling : %s\n", leaf.c_str());
    run.done++;
    {
        std::lock_guard<std::mutex> guard(fCurrentItemLock);
        fCurrentItem = leaf;
    }
    fItemsStarted = run.done;
    UpdateStatus("Installing %d of %d (%s)", int(run.done), int(run.selected), leaf.c_str());

    // A deinstallable item is tagged, and its entries described for the
    // record, while it is unpacked: nothing walks or reads it again.
    const bool deinstallable = _IsDeinstallable(item);
    std::vector<ZipPlacedEntry> placedEntries;
    std::string reason;
    item_extraction_result extracted = ITEM_NOT_UNPACKED;
    if (!IsPlainLeaf(leaf))
        reason = "it has no usable name";
    else
        extracted = _ExtractItem(run, index, itemPath.c_str(), reason,
            deinstallable ? &placedEntries : nullptr);
    if (extracted != ITEM_EXTRACTED) {
        // Nothing to place: the entries at its destination stay untouched.
        Log("\t\t\tUnable to extract %s: %s\n", leaf.c_str(), reason.c_str());
        _ItemFailed(leaf.c_str(), reason.c_str());
        return;
    }

    BMessage meta;
    item.FindMessage(kFieldInstallMeta, 0, &meta);
    bool isFolder = _SetItemDates(item, itemPath.c_str());

    const char* destinationName = StringField(meta, kFieldDestination, kValueUserSelected);
    if (strcmp(destinationName, kValueUserSelected) != 0) {
        LibString folderText;
        GetNewPath(destinationName, run.customFolders, run.volume, run.savedFiles.c_str(),
            folderText);
        const std::string folder = Text(folderText);
        const std::string placed = folder.empty() ? std::string() : folder + "/" + leaf;
        const std::string refusal = !FolderRefusal().empty() ? FolderRefusal()
            : _RefuseToClear(run, placed);
        if (!refusal.empty()) {
            // The item stays in the installation folder, nothing of the
            // user's is touched, and the item counts as not installed.
            Log("\t\t\tThe item stays in %s: %s\n", installFolder.c_str(), refusal.c_str());
            run.itemProblems = refusal;
        } else if (folder.empty()) {
            Log("\t\t\tNo folder is known as '%s'. The item stays in %s\n", destinationName,
                installFolder.c_str());
        } else if (LinkWouldDangleIn(itemPath, folder)) {
            // Checked before the collision rule: nothing in the folder is
            // replaced for an item that will not go there.
            Log("\t\t\tUnable to place item in %s\n", folder.c_str());
            run.itemProblems = "it is a link that would point at nothing in " + folder;
        } else if (ReplaceControl(folder.c_str(), BPath(itemPath.c_str()),
                       StringField(meta, kFieldDestinationExists, ""), run.itemAskAgain,
                       run.itemLastAnswer, BPath(run.savedFiles.c_str()))) {
            if (!OptSaveReplaced() && isFolder && LibExists(placed.c_str())) {
                if (!_RemoveForJournal(placed))
                    LibUnlink(placed.c_str());
                Log("\t\t\tRemoved existing folder %s\n", placed.c_str());
            }
            // An entry the move would overwrite ("Prompt" answered with
            // "Replace") must be able to come back until the job completes.
            if (EntryExists(placed))
                _RemoveForJournal(placed);
            if (!LibExists(folder.c_str())) {
                _JournalFolders(folder);
                Libmkdir(folder.c_str());
            }
            const bool wasThere = EntryExists(placed);
            if (!wasThere)
                _JournalCreate(placed);
            const bool moved = LibMove(itemPath.c_str(), placed.c_str());
            if (EntryExists(placed) && !EntryExists(itemPath) && (moved || !wasThere)) {
                Log("\t\t\tPlaced in %s\n", folder.c_str());
                itemPath = placed;
            } else {
                // A part that reached the folder while the item stayed here
                // is removed: the log and the item's place must agree.
                if (!wasThere && EntryExists(placed) && EntryExists(itemPath))
                    LibUnlink(placed.c_str());
                Log("\t\t\tUnable to place item in %s\n", folder.c_str());
                run.itemProblems = VolumeLooksFull(folder.c_str(), 0)
                    ? VolumeFullReason(folder.c_str())
                    : "it could not be moved to " + folder;
            }
        } else if (fCollisionFailed) {
            run.itemProblems = "the entry in its way in " + folder + " could not be cleared";
        } else {
            Log("\t\t\tUser desired not to place item in %s\n", folder.c_str());
        }
    }

    item.RemoveName(kFieldFileName);
    item.AddString(kFieldFileName, itemPath.c_str());
    run.instructions.ReplaceMessage(kFieldInstallFile, index, &item);

    if (deinstallable) {
        const status_t recorded = run.record.AddPlaced(itemPath.c_str(), placedEntries);
        if (recorded != B_OK) {
            Log("\t\t\tUnable to write its entries to the install record\n");
            _AddProblem(run, recorded == B_DEVICE_FULL
                    ? "its entries could not be written to the install record (the volume is "
                      "full): the deinstaller will not remove it"
                    : "its entries could not be written to the install record: the deinstaller "
                      "will not remove it");
        }
    } else {
        Log("\t\t\tThis file will not be removed by the de-installer\n");
    }

    _PlaceLink(run, meta, itemPath.c_str(), deinstallable);

    if (!run.itemProblems.empty())
        _ItemFailed(leaf.c_str(), run.itemProblems.c_str());
}


int32
InstallConfig::UnpackWorkers() const
{
    int32 workers = fUnpackWorkers;
    if (workers < 0) {
        const char* text = ::getenv("ONDELLE_UNPACK_WORKERS");
        char* end = nullptr;
        errno = 0;
        const long number = text != nullptr && *text != '\0' ? std::strtol(text, &end, 10) : -1;
        workers = end != nullptr && *end == '\0' && errno == 0 && number >= 0
            ? int32(std::min<long>(number, kUnpackWorkersLimit))
            : ItemUnpackPool::DefaultWorkers();
    }
    return std::min(workers, kUnpackWorkersLimit);
}


void
InstallConfig::_StartUnpacking(JobRun& run)
{
    const int32 workers = UnpackWorkers();
    if (workers == 0)
        return;
    // Every selected item whose archive lies in the build; the others are
    // unpacked at their turn, as are those of builds changed since opened.
    std::vector<ItemArchive> archives;
    BMessage item;
    for (int32 index = 0; run.instructions.FindMessage(kFieldInstallFile, index, &item) == B_OK;
            index++) {
        run.queued.push_back(-1);
        bool selected = false;
        if (item.FindBool(kFieldInstallToSystem, 0, &selected) != B_OK || !selected
            || !IsPlainLeaf(LeafOf(StringField(item, kFieldFileName, ""))))
            continue;
        ItemArchive archive;
        std::string reason;
        if (LocateItemArchive(*run.resources, kFirstItemResourceId + index, archive, reason)
                != ITEM_EXTRACTED
            || !archive.ReadInPlace())
            continue;
        if (_IsDeinstallable(item)) {
            archive.tag = DeinstallTag();
            archive.describe = true;
        }
        archive.manifest = fManifest;
        run.queued.back() = int32(archives.size());
        archives.push_back(std::move(archive));
    }
    if (archives.empty())
        return;
    run.pool = std::make_shared<ItemUnpackPool>(std::move(archives), InstallFolderPath(),
        fWorkFolders, workers, kUnpackLookAhead);
    std::lock_guard<std::mutex> guard(fUnpackPoolLock);
    fUnpackPool = run.pool;
}


item_extraction_result
InstallConfig::_ExtractItem(JobRun& run, int32 index, const char* itemPath, std::string& reason,
    std::vector<ZipPlacedEntry>* placed)
{
    if (run.pool != nullptr && index < int32(run.queued.size()) && run.queued[size_t(index)] >= 0) {
        UnpackedItem unpacked = run.pool->Take(run.queued[size_t(index)]);
        const item_extraction_result result = unpacked.MoveTo(itemPath);
        reason = unpacked.Reason();
        if (unpacked.FoundManifestMismatch())
            _ManifestMismatchFound(reason);
        if (placed != nullptr)
            *placed = unpacked.Placed();
        return result;
    }
    ItemExtractionExtras extras;
    if (placed != nullptr) {
        extras.tag = DeinstallTag();
        extras.placed = placed;
    }
    bool mismatch = false;
    extras.manifest = fManifest;
    extras.manifestMismatch = &mismatch;
    const item_extraction_result result = ExtractItemArchive(*run.resources, kFirstItemResourceId + index,
        itemPath, reason, fWorkFolders.get(), &extras);
    if (mismatch)
        _ManifestMismatchFound(reason);
    return result;
}


void
InstallConfig::_ManifestMismatchFound(const std::string& reason)
{
    Log("\t\tThe installer does not match its manifest: %s; no further item is installed\n", reason.c_str());
    fManifestMismatch = true;
    fManifestMismatchText = reason;
}


bool
InstallConfig::_IsDeinstallable(const BMessage& item)
{
    BMessage meta;
    item.FindMessage(kFieldInstallMeta, 0, &meta);
    return strcmp(StringField(meta, kFieldDeinstallable, ""), kValueTrue) == 0;
}


bool
InstallConfig::_SetItemDates(const BMessage& item, const char* path)
{
    BEntry entry(path, false);
    if (entry.InitCheck() != B_OK || !entry.Exists()) {
        fprintf(stderr, "unable to set date/time for %s\n", path);
        return false;
    }
    int64 seconds = 0;
    if (item.FindInt64(kFieldFileCreation, 0, &seconds) == B_OK)
        entry.SetCreationTime(time_t(seconds));
    if (item.FindInt64(kFieldFileModified, 0, &seconds) == B_OK)
        entry.SetModificationTime(time_t(seconds));
    if (item.FindInt64(kFieldFileAccessed, 0, &seconds) == B_OK)
        entry.SetAccessTime(time_t(seconds));
    return entry.IsDirectory();
}


void
InstallConfig::_PlaceLink(JobRun& run, const BMessage& meta, const char* itemPath,
    bool deinstallable)
{
    const char* linkName = StringField(meta, kFieldLink, kValueNone);
    if (strcmp(linkName, kValueNone) == 0)
        return;

    std::string folder;
    bool place = true;
    if (strcmp(linkName, kValueUserSelected) == 0) {
        folder = InstallFolderPath();
    } else {
        LibString folderText;
        GetNewPath(linkName, run.customFolders, run.volume, run.savedFiles.c_str(), folderText);
        folder = Text(folderText);
        if (folder.empty() && !FolderRefusal().empty()) {
            Log("\t\t\tNo link was placed: %s\n", FolderRefusal().c_str());
            _AddProblem(run, FolderRefusal());
            return;
        }
        if (folder.empty()) {
            Log("\t\t\tNo folder is known as '%s'. No link was placed\n", linkName);
            return;
        }
    }
    const bool menu = fDesktop != nullptr && DesktopIntegration::IsMenuFolder(folder);
    if (menu) {
        _PlaceMenuEntry(run, meta, folder, itemPath);
        return;
    }
    if (folder + "/" + LeafOf(itemPath) == itemPath) {
        // A link in the item's own place would replace the item itself.
        Log("\t\t\tNo link was placed in %s: the item itself is there\n", folder.c_str());
        return;
    }
    const std::string refusal = _RefuseToClear(run, folder + "/" + LeafOf(itemPath));
    if (!refusal.empty()) {
        Log("\t\t\tNo link was placed in %s: %s\n", folder.c_str(), refusal.c_str());
        _AddProblem(run, refusal);
        return;
    }
    if (strcmp(linkName, kValueUserSelected) != 0) {
        place = ReplaceControl(folder.c_str(), BPath(itemPath), StringField(meta, kFieldLinkExists, ""),
            run.linkAskAgain, run.linkLastAnswer, BPath(run.savedFiles.c_str()));
    }

    if (!place) {
        if (fCollisionFailed) {
            _AddProblem(run, "the entry in the way of its link in " + folder
                + " could not be cleared");
        } else {
            Log("\t\t\tUser desired not to place a link in %s\n", folder.c_str());
        }
        return;
    }

    const std::string link = folder + "/" + LeafOf(itemPath);
    if (!LibExists(folder.c_str())) {
        _JournalFolders(folder);
        Libmkdir(folder.c_str());
    }
    if (EntryExists(link))
        _RemoveForJournal(link);
    _JournalCreate(link);
    if (!LibSymLink(itemPath, link.c_str())) {
        Log("\t\t\tUnable to place a link in %s\n", folder.c_str());
        _AddProblem(run, "no link could be placed in " + folder);
        return;
    }
    Libmimeset(link.c_str());
    Log("\t\t\tPlaced a link in %s\n", folder.c_str());
    if (deinstallable) {
        AddDeinstallTag(link.c_str(), DeinstallTag());
        if (run.record.AddTree(link.c_str()) != B_OK)
            _AddProblem(run, "its link could not be written to the install record");
    } else {
        Log("\t\t\tThis link will not be removed by the de-installer\n");
    }
}


std::string
InstallConfig::_RefuseToClear(JobRun& run, const std::string& path)
{
    if (path.empty() || !EntryExists(path))
        return std::string();
    ProtectedFolders guarded;
    guarded.AddStandardFolders(run.volume);
    guarded.AddInstallFolder(InstallFolderPath());
    const std::string refusal = guarded.Refusal(path.c_str());
    if (refusal.empty())
        return refusal;
    return "the entry " + path + " in its way may not be replaced: " + refusal;
}


void
InstallConfig::_PlaceMenuEntry(JobRun& run, const BMessage& meta, const std::string& askedFolder,
    const char* itemPath)
{
    const std::string folder = fDesktop->MenuFolderFor(askedFolder);
    // The menu reads desktop entries only: the link becomes one, named after
    // the item, and collisions are settled on that name.
    const std::string entryLeaf = fDesktop->MenuEntryLeaf(itemPath);
    const std::string item = itemPath;
    const BPath incoming((item.substr(0, item.rfind('/') + 1) + entryLeaf).c_str());
    // The entry is written only once the way is clear: the question shows
    // the item it starts.
    if (!ReplaceControl(folder.c_str(), incoming, StringField(meta, kFieldLinkExists, ""),
            run.linkAskAgain, run.linkLastAnswer, BPath(run.savedFiles.c_str()), itemPath)) {
        if (fCollisionFailed) {
            _AddProblem(run, "the entry in the way of its menu entry in " + folder
                + " could not be cleared");
        } else {
            Log("\t\t\tUser desired not to place a menu entry in %s\n", folder.c_str());
        }
        return;
    }
    if (!LibExists(folder.c_str())) {
        _JournalFolders(folder);
        Libmkdir(folder.c_str());
    }
    menu_entry_options options;
    BMessage described;
    if (meta.FindMessage(kFieldDesktopEntry, &described) == B_OK)
        options = menu_entry_options::From(described);
    // A working folder is named relative to the installation folder.
    if (!options.workingFolder.empty() && options.workingFolder[0] != '/') {
        std::string folderPath = std::filesystem::path(std::string(InstallFolderPath()) + "/"
            + options.workingFolder).lexically_normal().string();
        while (folderPath.size() > 1 && folderPath.back() == '/')
            folderPath.pop_back();
        options.workingFolder = folderPath;
    }
    std::string entryPath;
    if (fDesktop->PlaceMenuEntry(folder, itemPath, StringField(meta, "desktop_categories", ""),
            options, entryPath) != B_OK) {
        Log("\t\t\tUnable to place a menu entry in %s\n", folder.c_str());
        _AddProblem(run, "no menu entry could be placed in " + folder);
    }
}


void
InstallConfig::_AddProblem(JobRun& run, const std::string& problem)
{
    if (!run.itemProblems.empty())
        run.itemProblems += "; ";
    run.itemProblems += problem;
}


void
InstallConfig::_RecordFailed(const std::string& path)
{
    Log("\t\t\tUnable to write %s to the install record\n", path.c_str());
    LibString line;
    line.Formatted("%s (it could not be written to the install record: the deinstaller will not "
                   "remove it)", path.c_str());
    fFailedItems.Add(Text(line));
}


void
InstallConfig::_ItemFailed(const char* leaf, const char* reason)
{
    LibString line;
    line.Formatted("%s (%s)", leaf, reason);
    fFailedItems.Add(Text(line));
}


void
InstallConfig::Kill()
{
    // A job that has done its work is left to end by itself.
    {
        std::lock_guard<std::mutex> guard(fStopLock);
        if (JobFinished())
            return;
        // The job's thread first, so that it takes no further item; then
        // the workers that unpack ahead. Once both are stopped nothing else
        // uses the working folders.
        LibThread::Kill();
    }
    std::shared_ptr<ItemUnpackPool> pool;
    {
        std::lock_guard<std::mutex> guard(fUnpackPoolLock);
        pool = fUnpackPool;
    }
    if (pool != nullptr)
        pool->Kill();
    fWorkFolders->RemoveAll();
    // Nothing changes any more: what the job did is taken back (or kept,
    // when the user chose so) before another install may start.
    _EndJournal(fKeepOnStop);
    // The stopped thread never reaches the end of its run, where the lock
    // would go: another install may start now.
    std::lock_guard<std::mutex> guard(fJobLockMutex);
    fJobLock.Unlock();
}


bool
InstallConfig::JobFinished() const
{
    return fPastLastStep || ActionDone();
}


bool
InstallConfig::StopJob(const char* reason, std::string& what, bool keep)
{
    SetKeepOnStop(keep);
    return StopJob(reason, what);
}


bool
InstallConfig::StopJob(const char* reason, std::string& what)
{
    if (Status() == 0) {
        what = "Nothing was stopped: no installation was running.";
        return false;
    }
    Kill();
    if (JobFinished()) {
        what = "Nothing was stopped: the installation had already completed.";
        return false;
    }
    const int32 started = fItemsStarted;
    const int32 selected = fItemsSelected;
    std::string item;
    {
        std::lock_guard<std::mutex> guard(fCurrentItemLock);
        item = fCurrentItem;
    }
    char text[B_PATH_NAME_LENGTH + 160];
    if (started <= 0) {
        std::snprintf(text, sizeof(text), "It was stopped before its first item.");
    } else {
        std::snprintf(text, sizeof(text), "It was stopped at item %d of %d (%s); the items after it were "
            "not installed.", int(started), int(selected), item.c_str());
    }
    what = text;
    what += fKeepOnStop ? " What was installed so far was kept."
                        : " Everything it had changed was taken back.";
    Log("\tInstallation stopped (%s): %s\n", reason != nullptr ? reason : "stopped", what.c_str());
    return true;
}
