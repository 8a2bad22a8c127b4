// The job's journal steps: every change outside the new installation
// folder is announced to the journal first, so that a stop, a failure or a
// dead job is taken back (docs/journal.md).
#include "InstallConfig.h"

#include "ControlCharacters.h"
#include "DesktopIntegration.h"
#include "InstallJournal.h"
#include "ScriptEdit.h"

#include <LibAlert.h>
#include <LibEntryUtils.h>
#include <LockFile.h>
#include <Path.h>

#include <cstdio>


std::shared_ptr<InstallJournal>
InstallConfig::_Journal()
{
    std::lock_guard<std::mutex> guard(fJournalLock);
    return fJournal;
}


void
InstallConfig::_JournalCreate(const std::string& path)
{
    if (auto journal = _Journal())
        journal->WillCreate(path);
}


void
InstallConfig::_JournalFolders(const std::string& folder)
{
    if (auto journal = _Journal())
        journal->WillMakeFolders(folder);
}


bool
InstallConfig::_RemoveForJournal(const std::string& path)
{
    auto journal = _Journal();
    if (journal == nullptr)
        return false;
    // Removed for good only when the job completes.
    return journal->SetAside(path) == B_OK;
}


void
InstallConfig::_JournalMove(const std::string& from, const std::string& to)
{
    if (auto journal = _Journal())
        journal->WillMove(from, to);
}


void
InstallConfig::_JournalDesktopChange(const std::string& path, bool folder)
{
    auto journal = _Journal();
    if (journal == nullptr)
        return;
    if (folder)
        journal->WillMakeFolders(path);
    else
        journal->WillChange(path);
}


void
InstallConfig::_JournalScript(const directory_which& folder, const char* script)
{
    auto journal = _Journal();
    std::string path;
    if (journal == nullptr || !ScriptPath(folder, script, path))
        return;
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0)
        journal->WillMakeFolders(path.substr(0, slash));
    // A script that is a link is edited where it points.
    const std::string target = ScriptEditTarget(path.c_str());
    const std::string backup = BackupScriptPath(target.c_str());
    journal->WillChange(target);
    // The editor's working copy beside it.
    journal->WillChange(target + ".tmp");
    if (!backup.empty())
        journal->WillChange(backup);
}


void
InstallConfig::_EndJournal(bool keep)
{
    std::shared_ptr<InstallJournal> journal;
    {
        std::lock_guard<std::mutex> guard(fJournalLock);
        journal.swap(fJournal);
    }
    if (journal == nullptr)
        return;
    const std::string path = journal->Path();
    // Work that stays is marked so before its last steps drop what was set
    // aside: a job killed during them is completed, never taken back
    // without the entries it had set aside.
    if (keep && journal->MarkCommitted() != B_OK)
        std::fprintf(stderr, "InstallConfig: the journal %s could not be marked complete\n",
            TerminalText(path).c_str());
    journal->Close();
    InstallJournal::Outcome outcome;
    InstallJournal::Recover(path, outcome, keep);
    // The desktop's caches are refreshed only for work that stays: a job
    // taken back never refreshed them.
    if (outcome.committed)
        DesktopIntegration::RefreshCachesFor(outcome.paths);
    for (const std::string& problem : outcome.problems)
        std::fprintf(stderr, "InstallConfig: %s\n", TerminalText(problem).c_str());
}


void
InstallConfig::_RecoverInterrupted(const std::string& destination, const std::string& created)
{
    fRecoveryReport.clear();
    const std::string path = InstallJournal::PathFor(destination.c_str(), created.c_str());
    if (!InstallJournal::Exists(path))
        return;
    InstallJournal::Outcome outcome;
    const status_t status = InstallJournal::Recover(path, outcome);
    const std::string folder = destination + "/" + created;
    if (status == B_OK && outcome.committed) {
        DesktopIntegration::RefreshCachesFor(outcome.paths);
        fRecoveryReport = "An earlier installation into '" + folder
            + "' ended before it could finish tidying up; that was done now.";
    } else if (status == B_OK) {
        fRecoveryReport = "An earlier installation into '" + folder
            + "' was interrupted before it completed. Everything it had changed was taken back ("
            + std::to_string(outcome.changes) + " changes) before this installation began.";
    } else {
        fRecoveryReport = "An earlier installation into '" + folder
            + "' was interrupted, and its journal " + path + " could not be read; it was left alone.";
    }
    for (const std::string& problem : outcome.problems)
        fRecoveryReport += "\n" + problem;
    std::fprintf(stderr, "%s\n", TerminalText(fRecoveryReport).c_str());
    LibInfo("%s", fRecoveryReport.c_str());
}


bool
InstallConfig::HasInterruptedInstall()
{
    LibString folder;
    if (!HasUsableCreatedFolder() || !LibGetFullPath(fDestination, folder))
        return false;
    const char* destination = folder;
    if (!InstallJournal::Exists(InstallJournal::PathFor(destination, OptCreatedFolder())))
        return false;
    // A running job holds the lock: its journal is no leftover.
    BLockFile probe;
    return probe.TryLock(InstallLockPath(destination, OptCreatedFolder()).c_str()) == B_OK;
}
