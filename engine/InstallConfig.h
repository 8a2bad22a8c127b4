// The configuration of an installer build. InstallConfig is the
// configuration message itself (it derives from BMessage: every field lives
// in the object) with typed readers for its fields and the look-ups of
// install items by leaf name.
//
// Readers give the value at index 0 of a field, or the field's default when
// it is missing or stored with another type: no text ("") for strings, false
// for flags, 0 for numbers, null for nested messages. Text values are
// compared exactly ("True", "None", "User Selected", "Prompt", "Rename").
// Pointers returned by the readers point into the message and stay valid
// until the field they come from is changed or the message is emptied,
// assigned or unflattened.
//
// Look-ups by leaf name go through an index built on first use (see
// InstallItemIndex). The message calls that can change the install items
// are redeclared here so that, when they are made on an InstallConfig, they
// invalidate the index. Code that changes the items through a plain BMessage
// reference or a nested message pointer calls InstallItemsChanged().
//
// InstallConfig is also the install job: a LibThread whose Action() carries
// the configuration out (docs/install-job.md). The job reads and writes the
// configuration without a lock; the owner changes it only while no job runs.
//
// Not safe for concurrent use: one thread at a time reads or changes it.
#pragma once

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include <EntryRef.h>
#include <FindDirectory.h>
#include <InstallItem.h>
#include <InstallItemIndex.h>
#include <InstallJournal.h>
#include <InstallRecord.h>
#include <ItemExtraction.h>
#include <LibString.h>
#include <LibStringList.h>
#include <LibThread.h>
#include <LibWorkFolders.h>
#include <LockFile.h>
#include <Message.h>
#include <Path.h>

class BVolume;
class CustomFolder;
class CustomFolders;
class DesktopIntegration;
class GroupContextList;
class ItemUnpackPool;
class LibAppResource;

// Results of the install job (Action), carried by the thread end message.
enum {
    // The job ran to its end, or a failed requirement ended the installer.
    INSTALL_RESULT_DONE = 0,
    // The destination folder cannot be opened or the installation folder
    // cannot be created.
    INSTALL_RESULT_NO_FOLDER = 1,
    // Not enough disk space on the destination volume.
    INSTALL_RESULT_NO_SPACE = 3
};

// Results of CheckSystemResources().
enum {
    REQUIREMENTS_MET = 1,
    REQUIREMENTS_NO_SPACE = 2,
    REQUIREMENTS_ABORT = 3
};

// The status message the job sends to its window: "message" holds the text.
// After each selected item the job also sends its progress: int64 "done"
// and "total", the unpacked bytes of the items handled so far and of all
// selected items.
enum {
    INSTALL_STATUS_UPDATE = 'isud',
    INSTALL_PROGRESS_UPDATE = 'ispg'
};

// Replaces or appends the tagged section in the script named script of the
// standard folder; with a null body only removes an earlier section.
// Defined with the boot-script editor.
void EditScriptFile(const directory_which& folder, const char* script, const char* tag,
    const char* body);

class InstallConfig : public BMessage, public LibThread {
public:
                        InstallConfig();
    virtual             ~InstallConfig();

                        InstallConfig(const InstallConfig&) = delete;
    InstallConfig&      operator=(const InstallConfig&) = delete;

    // Loads a configuration: replaces every field with those of message.
    InstallConfig&      operator=(const BMessage& message);
    InstallConfig&      operator=(BMessage&& message);

    // --- Product description ----------------------------------------------
    const char*         AppName() const;
    const char*         Version() const;
    const char*         ReleaseDate() const;
    const char*         Company() const;
    const char*         SupportEmail() const;
    // Archived bitmap of the about image, or null.
    const BMessage*     AboutImage() const;
    const char*         License() const;
    // False when "license" is missing or empty: the license step is skipped.
    bool                HasLicense() const;
    // Archived start-up sound, or null.
    const BMessage*     AudioData() const;
    bool                HasDeinstallerSize() const;
    int32               DeinstallerSize() const;

    // --- Install groups -------------------------------------------------------
    // The "groups" message, or null when the build offers no groups.
    const BMessage*     Groups() const;
    // Fills list from "groups"; an absent field leaves it empty.
    void                ReadGroups(GroupContextList& list) const;

    // --- Install items ----------------------------------------------------------
    const BMessage*     InstallInstructions() const;
    int32               CountInstallItems() const;
    // Item index (install order, counting from 0), or null past the end.
    const BMessage*     InstallItemAt(int32 index) const;
    InstallItem         ItemAt(int32 index) const;
    // Index of the first item whose "file_name" has this leaf name (exact
    // comparison); items without "file_name" are skipped. -1 when none has.
    int32               IndexOfInstallItem(const char* leaf) const;
    InstallItem         FindInstallItem(const char* leaf) const;
    // First "file_size" value of the first item with this leaf name; 0 when
    // there is no such item or it has no size.
    int32               GetFileSize(const char* leaf) const;
    // Sets "install_to_system" of the first item with this leaf name,
    // replacing the mark when present, adding it otherwise.
    // B_NAME_NOT_FOUND when no item has that name, B_BAD_VALUE for null.
    status_t            MarkInstallFile(const char* leaf, const bool& selected);
    // The same for the item at index; B_BAD_INDEX past the end.
    status_t            MarkInstallItem(int32 index, const bool& selected);
    // True when the group list of the first item with this leaf name holds
    // group. The list is read from the item's "install_meta" and, when that
    // has none, from the item itself, where builds store it. Without
    // "install_meta", or without any group list, a note goes to standard
    // error and the result is false.
    bool                MatchType(const char* group, const char* leaf) const;
    // Dumps every install item with the message dump, to standard error.
    void                PrintInstallItems() const;
    // Tells the index that install items changed behind its back.
    void                InstallItemsChanged();

    // --- Custom folders ---------------------------------------------------
    // The top-level "custom_folder" message holding the folders, or null.
    const BMessage*     CustomFolderList() const;
    int32               CountCustomFolders() const;
    const BMessage*     CustomFolderAt(int32 index) const;
    // Reads the first folder named name (exact comparison) into folder.
    bool                FindCustomFolder(const char* name, CustomFolder& folder) const;
    // Appends every folder of the configuration; returns how many.
    int32               GetCustomFolders(CustomFolders& folders) const;

    // --- Options ----------------------------------------------------------------
    bool                OptLog() const;
    bool                OptCreateStartup() const;
    bool                OptSaveReplaced() const;
    bool                HasOptDefaultFolder() const;
    // "Current" or a standard directory's display name.
    const char*         OptDefaultFolder() const;
    bool                DefaultFolderIsCurrent() const;
    const char*         OptCreatedFolder() const;

    // --- Requirements -------------------------------------------------------
    bool                ReqDiskSpaceNeeded() const;
    bool                ReqDiskSpaceRequired() const;
    // "value" of "req_disk_space_amount" as stored (bytes), 0 when missing.
    double              ReqDiskSpaceValue() const;
    // The same as whole bytes, fraction dropped; negative or not-a-number
    // values give 0 and values beyond the 64-bit range the largest count.
    int64               ReqDiskSpaceBytes() const;
    bool                ReqBootVolOnly() const;
    bool                ReqRemovableVolOk() const;
    bool                ReqSharedVolOk() const;
    bool                ReqRamNeeded() const;
    bool                ReqRamRequired() const;
    // Megabytes.
    int32               ReqRamAmount() const;
    bool                ReqSharedLibrariesRequired() const;
    int32               CountReqSharedLibraries() const;
    // Library file name at index, or null past the end.
    const char*         ReqSharedLibraryAt(int32 index) const;
    bool                ReqAppsRequired() const;
    int32               CountReqApps() const;
    // "Display name (signature)" at index, or null past the end.
    const char*         ReqAppAt(int32 index) const;
    // The application signature of a "req_app_name" text: the text between
    // its first "(" and the next ")" (to the end when there is no ")");
    // empty when there is no "(".
    static std::string  ReqAppSignature(const char* text);

    // --- Boot-script edits ------------------------------------------------------
    bool                EditBootscript() const;
    const char*         EditBootscriptTag() const;
    const char*         EditBootscriptContents() const;
    bool                EditSetupEnv() const;
    const char*         EditSetupEnvTag() const;
    const char*         EditSetupEnvContents() const;
    bool                EditProfile() const;
    const char*         EditProfileTag() const;
    const char*         EditProfileContents() const;

    // --- Completion ---------------------------------------------------------------
    const char*         CompleteComments() const;
    bool                CompleteRestart() const;
    bool                CompleteDisplayFolder() const;

    // --- Message calls that may change the install items ----------------------
    // Same behaviour as BMessage's; each also invalidates the item index.
    status_t            Unflatten(const char* buffer, ssize_t size);
    status_t            Unflatten(const char* flatBuffer);
    status_t            MakeEmpty();
    status_t            AddMessage(const char* name, const BMessage* message);
    status_t            AddMessage(const char* name, BMessage&& message);
    status_t            ReplaceMessage(const char* name, const BMessage* message);
    status_t            ReplaceMessage(const char* name, int32 index, const BMessage* message);
    status_t            RemoveData(const char* name, int32 index = 0);
    status_t            RemoveName(const char* name);
    status_t            Rename(const char* oldName, const char* newName);
    status_t            Append(const BMessage& other);
    BMessage*           EditMessagePointer(const char* name, int32 index = 0);
    status_t            AddData(const char* name, type_code type, const void* data,
                            ssize_t numBytes, bool isFixedSize = true, int32 count = 1);
    status_t            ReplaceData(const char* name, type_code type, const void* data,
                            ssize_t numBytes);
    status_t            ReplaceData(const char* name, type_code type, int32 index,
                            const void* data, ssize_t numBytes);
    status_t            SetData(const char* name, type_code type, const void* data,
                            ssize_t numBytes, bool fixedSize = true, int32 count = 1);

    // --- The install job ------------------------------------------------------
    // The whole job, run in the thread "install" (Go()); returns an
    // INSTALL_RESULT_* value.
    virtual int32       Action();
    // Stops the job at its next stop point, then removes the working folder
    // and archive of the item being unpacked, rolls back everything the job
    // changed (its journal, docs/journal.md) unless SetKeepOnStop(true) was
    // called, and gives up the installation folder's lock. A job that has
    // done its work (JobFinished()) is not stopped.
    virtual void        Kill();
    // With keep, a stop keeps what the job installed so far instead of
    // rolling it back.
    void                SetKeepOnStop(bool keep) { fKeepOnStop = keep; }
    bool                KeepOnStop() const { return fKeepOnStop; }
    // True when a job for the installation folder in the destination was
    // stopped dead (killed, power cut) and left its journal: the folder
    // there is that job's leftover, which the next run takes back first.
    bool                HasInterruptedInstall();
    // What the last run's recovery of a dead job said; empty when it found
    // none.
    const std::string&  RecoveryReport() const { return fRecoveryReport; }
    // The version of the earlier installation of this product that the last
    // run updated (recognised by its trusted record); empty when there was
    // none.
    const std::string&  UpdatedFromVersion() const { return fUpdatedFrom; }
    // True once the job has placed every item and written the boot scripts:
    // what is left are the questions at completion, and stopping it would
    // leave nothing undone. Also true once Action() has returned.
    bool                JobFinished() const;
    // Stops a job that has not finished and notes in the log why (reason,
    // e.g. "stopped by the user"). what says in a sentence what the stop
    // did: the item it came at, or that nothing was stopped because the job
    // had finished its work or was not running. Never waits for the job;
    // false when nothing was stopped.
    bool                StopJob(const char* reason, std::string& what);
    // The same, keeping what was installed so far when keep is set.
    bool                StopJob(const char* reason, std::string& what, bool keep);
    // The thread's state line, then every install item's dump, on standard
    // error.
    virtual void        PrintToStream();

    // The folder the user chose; the installation folder is made inside it.
    void                SetDestination(const entry_ref& folder);
    const entry_ref&    Destination() const { return fDestination; }
    // Set when the user answered "Restart Now" at completion.
    bool                RestartRequested() const { return fRestartRequested; }
    void                SetRestartRequested(bool restart) { fRestartRequested = restart; }

    // The file whose resources hold the item archives and the deinstaller.
    // Unset (null or "") means the running program's own file. Tests and the
    // unattended installer point it at an installer build.
    void                SetResourcePath(const char* path);
    const char*         ResourcePath() const;
    // How many worker threads unpack item archives ahead of their turn
    // while the job places the items in order. 0: each archive is unpacked
    // at its item's turn in the job's thread. Negative (the default): the
    // environment variable ONDELLE_UNPACK_WORKERS when it holds a number,
    // else ItemUnpackPool::DefaultWorkers(). Set it before Go().
    void                SetUnpackWorkers(int32 workers) { fUnpackWorkers = workers; }
    // The number a job started now would use (never negative).
    int32               UnpackWorkers() const;
    // The build's manifest, verified before the job: every file is then
    // checked against it as it is unpacked, and the first one that differs
    // ends the job before its item is placed (no item after it is
    // installed). Null for a build without a manifest. Set it before Go().
    void                SetManifest(std::shared_ptr<const BuildManifest> manifest)
                            { fManifest = std::move(manifest); }
    // After the job: whether it ended at a file that differed from the
    // manifest, and which (the part and the file).
    bool                ManifestMismatch() const { return fManifestMismatch; }
    const std::string&  ManifestMismatchText() const { return fManifestMismatchText; }

    // Requirement check: REQUIREMENTS_MET, _NO_SPACE or _ABORT.
    int32               CheckSystemResources();
    // Resolves a destination or link name to a folder: a custom folder of
    // customFolders on volume (made, or replaced once per run), else a
    // standard folder name on the boot volume. path is emptied when the
    // name is neither, and when the folder would have to replace a standard
    // folder, the home folder or a folder holding the installation folder:
    // FolderRefusal() then tells why.
    void                GetNewPath(const char* name, BMessage& customFolders, BVolume& volume,
                            const char* savedFilesPath, LibString& path);
    const std::string&  FolderRefusal() const { return fFolderRefusal; }
    // The folder a destination or link name resolves to, as GetNewPath
    // would find it, without making or replacing anything. False when the
    // name is neither a custom folder nor a standard folder name.
    bool                FolderPathOf(const char* name, const BMessage& customFolders,
                            BVolume& volume, std::string& path) const;
    // Settles a collision with the entry named like item inside folder by
    // rule ("Prompt", "Rename", anything else replaces). True: place the new
    // entry. askAgain and lastAnswer carry the "Prompt" answers of a run.
    // The question shows the facts of the entry at incomingFacts when one is
    // given (an entry made only once the way is clear, such as a menu
    // entry, shows the item it starts), else those of item.
    bool                ReplaceControl(const char* folder, const BPath& item, const char* rule,
                            bool& askAgain, bool& lastAnswer, const BPath& savedFiles,
                            const char* incomingFacts = nullptr);
    // True when the destination folder already holds an entry named by
    // "opt_created_folder". False when that name is not one plain folder
    // name (empty, missing, ".", ".." or holding "/"): no such folder is
    // ever made or moved to the Trash.
    bool                DoesDestinationExist();
    // True when "opt_created_folder" is one plain folder name.
    bool                HasUsableCreatedFolder() const;
    // The lock file that a job holds while it works on the installation
    // folder named created inside destinationFolder: a second job for the
    // same folder is refused while the first runs.
    static std::string  InstallLockPath(const char* destinationFolder, const char* created);

    // --- Log and status -------------------------------------------------------
    // Opens (truncating) path as the install log when "opt_log" is true.
    void                OpenLog(const char* path);
    // printf-style line(s) to the open log; nothing without one.
    void                Log(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void                CloseLog();
    // Sends 'isud' with the text (cut to 99 characters) to the thread's
    // messenger; nothing without one.
    void                UpdateStatus(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Sends 'ispg' with the bytes done and total; nothing without a messenger.
    void                UpdateProgress(int64 done, int64 total);
    // The open log, or null.
    FILE*               LogFile() const { return fLog; }

    // --- Working state of a run, for the steps below ----------------------------
    // Full path of the installation folder of the current (or last) run.
    const char*         InstallFolderPath() const;
    // The deinstall tag of the current run ("app_name;version;...;").
    const char*         DeinstallTag() const;
    // Items of the current run that could not be installed completely, as
    // "leaf name (reason)", in install order; empty when all went well.
    const LibStringList& FailedItems() const { return fFailedItems; }
    // The text that replaces "Installation successfully completed." when
    // FailedItems() is not empty; empty otherwise.
    void                FailureSummary(LibString& text) const;

    // --- Steps defined with the deinstaller, script and completion code ---------
    // Tags path (and everything inside a folder) with "InstallBy" = tag.
    void                AddDeinstallTag(const char* path, const char* tag);
    // Writes the deinstaller (resource 2001 of resources) with its own
    // configuration into installFolder. Action sends "Creating deinstaller..."
    // before the call. B_OK also when the build carries no deinstaller;
    // otherwise why the program or its configuration could not be written.
    status_t            CreateDeinstaller(LibAppResource& resources, const char* installFolder,
                            const char* tag);
    // The start-up step: resolves "StartUp" (GetNewPath), logs
    // "\tCreating StartUp folder in %s.\n" and writes the start-up section.
    void                CreateStartupFolder(BMessage& customFolders, BVolume& volume,
                            const char* savedFilesPath);
    // Writes the start-up section text for folder into text (room for 1536
    // characters plus the folder path plus the terminating zero).
    void                BuildStartupString(const char* folder, char* text);
    // The configured edits of UserBootscript, UserSetupEnvironment and
    // .profile, in this order, each with its "Added script tab" log line.
    void                EditBootScripts();
    // Offers to run the selected items marked "auto_launch".
    void                AutoLaunch();
    // The completion alert (FailureSummary() when items failed), the restart
    // question and the opening of installFolder, as configured.
    void                Complete(const char* installFolder);

private:
    const char*         _String(const char* name) const;
    bool                _Bool(const char* name) const;
    const char*         _NestedString(const char* message, const char* name,
                            int32 index) const;
    int32               _CountNestedStrings(const char* message, const char* name) const;
    BMessage*           _EditItem(int32 index);
    void                _Changed(const char* name);

    // The job's per-run parts (InstallJob.cpp).
    struct JobRun;
    void                _InstallItem(JobRun& run, int32 index);
    // Starts unpacking the archives of the selected items ahead of their
    // turn (none with 0 workers); they are taken in _InstallItem.
    void                _StartUnpacking(JobRun& run);
    // Unpacks the item at index (or takes it from the workers) and moves it
    // to itemPath. With placed (a deinstallable item) the item is tagged as
    // it is unpacked and placed receives its entries for the record.
    item_extraction_result _ExtractItem(JobRun& run, int32 index, const char* itemPath,
                            std::string& reason, std::vector<ZipPlacedEntry>* placed);
    // Notes that a file differed from the manifest; the item loop ends.
    void                _ManifestMismatchFound(const std::string& reason);
    // True when the item's rules make it deinstallable.
    static bool         _IsDeinstallable(const BMessage& item);
    // The item's stated unpacked size in bytes; 0 when it states none.
    static int64        _ItemBytes(const BMessage& item);
    // Gives the item its recorded dates; true when it is a folder.
    bool                _SetItemDates(const BMessage& item, const char* path);
    void                _PlaceLink(JobRun& run, const BMessage& meta, const char* itemPath,
                            bool deinstallable);
    // A link asked for in an application menu folder: a desktop entry.
    void                _PlaceMenuEntry(JobRun& run, const BMessage& meta,
                            const std::string& folder, const char* itemPath);
    static void         _AddProblem(JobRun& run, const std::string& problem);
    // Why the entry at path, which a rule would remove or move to make
    // room, must stay; empty when it may go or does not exist.
    std::string         _RefuseToClear(JobRun& run, const std::string& path);
    void                _ItemFailed(const char* leaf, const char* reason);
    // A placed entry whose line could not be written to the record.
    void                _RecordFailed(const std::string& path);
    void                _WriteLogHeader(const BVolume& volume, const char* volumeName,
                            const char* savedFilesPath);
    static void         _Timestamp(LibString& text);
    bool                _SaveExisting(const char* existing, const char* savedFiles);
    bool                _CustomFolderPath(const BMessage& folder, BVolume& volume,
                            std::string& path) const;
    void                _CollisionFailed(const char* logFormat, const char* existing);
    // Takes back (or completes) a dead job's journal in the destination
    // folder before anything else; says what it did.
    void                _RecoverInterrupted(const std::string& destination, const std::string& created);
    // Before a script of folder is edited: its folder, the script and its
    // backup copy go into the journal.
    void                _JournalScript(const directory_which& folder, const char* script);
    // Rolls the journal back, or completes it with keep, from any thread;
    // nothing when no journal is open.
    void                _EndJournal(bool keep);
    // Reads the record of the earlier installation of this product, now in
    // earlierFolder (set aside), when its own deinstaller's key proves it.
    void                _LoadEarlierInstallation(const std::string& earlierFolder);
    // True when the entry at path (everything in it, for a folder) was
    // placed by the earlier installation and nobody changed it since.
    bool                _IsEarlierOwn(const std::string& path) const;
    // Adds to record what the earlier installation placed outside its
    // installation folder and that still stands unchanged, tagged anew, so
    // that the deinstaller removes the product's whole.
    void                _CarryOverEarlier(InstallRecord& record, const std::string& installFolder);
    std::shared_ptr<InstallJournal> _Journal();
    // The journal's intents, each nothing without a journal: an entry about
    // to be made where none stands, folders about to be made, an entry about
    // to be moved (saved or renamed), a desktop file or folder about to be
    // written.
    void                _JournalCreate(const std::string& path);
    void                _JournalFolders(const std::string& folder);
    void                _JournalMove(const std::string& from, const std::string& to);
    void                _JournalDesktopChange(const std::string& path, bool folder);
    // With a journal, moves the entry at path aside instead of removing it
    // (it goes when the job completes); false without one or on failure.
    bool                _RemoveForJournal(const std::string& path);

    mutable InstallItemIndex fItemIndex;

    FILE*               fLog;
    entry_ref           fDestination;
    // Why the last GetNewPath refused its folder; empty when it did not.
    std::string         fFolderRefusal;
    bool                fRestartRequested;
    // A log was opened in the current run.
    bool                fLogOpened;
    // The last ReplaceControl() could not clear the way (it returned false
    // without the user declining).
    bool                fCollisionFailed;
    LibString           fResourcePath;
    LibString           fInstallFolder;
    LibString           fDeinstallTag;
    // The current run's secret for the install record's line checksums,
    // handed to the deinstaller in its configuration.
    std::string         fRecordKey;
    LibStringList       fFailedItems;
    // Working folders of the items being unpacked, removed on a stop. The
    // unpacking workers share it.
    std::shared_ptr<LibWorkFolders> fWorkFolders;
    int32               fUnpackWorkers;
    std::shared_ptr<const BuildManifest> fManifest;
    bool                fManifestMismatch = false;
    std::string         fManifestMismatchText;
    // The current run's unpacking workers, for Kill(); null outside the
    // item loop. Guarded by fUnpackPoolLock (Kill() comes from another
    // thread).
    std::shared_ptr<ItemUnpackPool> fUnpackPool;
    std::mutex          fUnpackPoolLock;
    // The desktop's side of the current run (menu entries, login entry,
    // session environment, document types); null outside a run.
    std::shared_ptr<DesktopIntegration> fDesktop;
    // Indentation of the log lines it writes.
    std::string         fDesktopLogIndent;
    // Guards fLog: a stop notes itself in the log from another thread.
    std::mutex          fLogLock;
    // The lock on the installation folder's name, held while the job runs;
    // a stop gives it up (the stopped thread never reaches its own end).
    BLockFile           fJobLock;
    std::mutex          fJobLockMutex;
    // Makes the job's last step and a stop exclude each other.
    std::mutex          fStopLock;
    // Where the running job is, for a stop to say what it stopped.
    std::atomic<bool>   fPastLastStep{false};
    std::atomic<int32>  fItemsStarted{0};
    std::atomic<int32>  fItemsSelected{0};
    std::string         fCurrentItem;
    std::mutex          fCurrentItemLock;
    // The journal of the current run: every change outside the new
    // installation folder, so that a stop, a failure or a dead job is taken
    // back. Guarded by fJournalLock (a stop ends it from another thread).
    std::shared_ptr<InstallJournal> fJournal;
    std::mutex          fJournalLock;
    std::atomic<bool>   fKeepOnStop{false};
    std::string         fRecoveryReport;
    // The earlier installation's trusted record during a run that updates
    // it, and its version.
    std::unique_ptr<InstallRecord> fEarlier;
    std::string         fUpdatedFrom;
};
