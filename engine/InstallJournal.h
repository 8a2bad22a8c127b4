// The install job's journal: a file beside the installation's lock that
// says, before each change the job makes outside its own new folder, what
// the change is and how to take it back. The job runs all or nothing: a
// job that completes writes "commit" and drops what it set aside; a job
// that is stopped, fails or dies (SIGKILL, a power cut) is rolled back,
// by the stopping thread or by the next run that finds the journal
// (docs/journal.md).
//
// Every intent is on disk (fdatasync) before the change it announces, so
// the journal never lags behind the file system. Taking a change back is
// safe to repeat: a rollback cut short is completed by the next one.
#pragma once

#include <SupportDefs.h>

#include <string>
#include <vector>

class InstallJournal {
public:
    InstallJournal() = default;
    ~InstallJournal();
    InstallJournal(const InstallJournal&) = delete;
    InstallJournal& operator=(const InstallJournal&) = delete;

    // The journal of the installation folder created inside destination.
    static std::string PathFor(const char* destination, const char* created);

    // Starts a journal at path, made exclusively (mode 0600). B_FILE_EXISTS
    // when one is there already: it must be recovered first.
    status_t Begin(const std::string& path);
    bool IsOpen() const { return fFd >= 0; }
    const std::string& Path() const { return fPath; }

    // Before an entry is created at path where nothing stands: a rollback
    // removes it (a folder with everything in it).
    status_t WillCreate(const std::string& path);
    // Before folder is made with its missing parents: a rollback removes
    // each of them that is empty again.
    status_t WillMakeFolders(const std::string& folder);
    // Before from is moved to to (saved or renamed, kept when the job
    // completes): a rollback moves it back.
    status_t WillMove(const std::string& from, const std::string& to);
    // Moves the entry at path to a hidden name in its own folder instead of
    // removing it: a completed job removes it then, a rollback puts it
    // back. B_OK when it is out of the way.
    status_t SetAside(const std::string& path);
    // Moves an earlier installation folder out of the way; a completed job
    // moves it to the Trash under its own name, a rollback puts it back.
    // aside receives where it is now.
    status_t SetAsideForTrash(const std::string& path, std::string& aside);
    // Before the file at path is written, replaced or removed: a copy with
    // its mode, times and attributes is kept (a rollback puts it back), or,
    // when nothing stands there, its creation is noted. A folder in the way
    // is left alone (B_IS_A_DIRECTORY).
    status_t WillChange(const std::string& path);
    // Notes that the step announced last is done (not synced: it only helps
    // to tell how far a dead job got).
    void Done();

    // The job completed, or the user keeps what it did so far: "commit" is
    // synced, then what was set aside is dropped and the journal removed.
    status_t Commit(std::vector<std::string>* problems = nullptr);
    // Writes and syncs "commit" only: from here on a recovery keeps the
    // job's work and completes its last steps, never takes it back.
    status_t MarkCommitted();
    // Closes the file, leaving it for Recover().
    void Close();

    struct Outcome {
        // The journal ended with "commit": the job's work was kept.
        bool committed = false;
        // Changes taken back (or completed, when committed).
        int32 changes = 0;
        // What could not be put back as it was, one line each.
        std::vector<std::string> problems;
        // Every path touched, for refreshing the desktop's caches.
        std::vector<std::string> paths;
    };
    // Rolls back the job of the journal at path (or completes it when it
    // ended with "commit", or when keep is set), then removes the journal.
    // B_ENTRY_NOT_FOUND when there is none.
    static status_t Recover(const std::string& path, Outcome& outcome, bool keep = false);
    // True when a journal of a dead or stopped job lies at path.
    static bool Exists(const std::string& path);

private:
    status_t _Append(const std::vector<std::string>& fields, bool sync);
    std::string _HiddenName(const std::string& folder, const char* kind);

    int fFd = -1;
    std::string fPath;
    int32 fSerial = 0;
};
