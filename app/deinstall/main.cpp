// ondelle-deinstall: removes what an installation placed. The installer
// writes this program into the installation folder as
// "<product> <version> Deinstaller" and stores in its resources the
// product's texts and the tags of the sections it added to the user's
// scripts. docs/deinstaller.md describes what it looks at and removes.
#include <AppPath.h>
#include <DeinstallApp.h>
#include <ControlCharacters.h>
#include <Deinstaller.h>
#include <DeinstallerConfig.h>
#include <Errors.h>
#include <InstallConfig.h>
#include <InstallJournal.h>
#include <LockFile.h>
#include <LibToolMain.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

// Exit statuses.
enum {
    EXIT_DONE = 0,
    EXIT_SOME_FAILED = 1,
    EXIT_USAGE = 2,
    EXIT_CANCELLED = 3
};

void PrintHelp(FILE* out)
{
    fputs("Usage: ondelle-deinstall [--dry-run] [--yes]\n"
        "\n"
        "Removes what the installation of this product placed: every entry in the\n"
        "standard folders and the installation folder that the installer tagged for\n"
        "this product (attribute \"InstallBy\"), the links to them, and the sections\n"
        "the installer added to UserBootscript, UserSetupEnvironment or .profile.\n"
        "Entries changed since the installation, copies that carry the tag and\n"
        "links the user made are kept and listed (the installation's \"Install\n"
        "Record\" tells them apart). Folders that hold files the product did not\n"
        "install are kept. The\n"
        "installation folder, its log and this program stay in place.\n"
        "\n"
        "With a display it shows a window that lists what will be removed and what\n"
        "is kept, and removes on \"Remove\"; on the terminal it asks instead.\n"
        "\n"
        "  --dry-run   show what would be removed and change nothing\n"
        "  --yes       remove without asking\n"
        "  --terminal  ask on the terminal even when there is a display\n"
        "  --help      show this text\n"
        "\n"
        "Exit status: 0 done (or nothing to do), 1 something could not be removed,\n"
        "2 wrong use or no configuration, 3 cancelled.\n", out);
}

const char* StatusText(status_t status)
{
    switch (status) {
        case B_OK:
            return "removed";
        case B_ENTRY_NOT_FOUND:
            return "already gone";
        case B_NOT_ALLOWED:
            return "a link or another entry now stands on its way; it was left alone";
        case B_BAD_VALUE:
            return "another entry was put in its place since it was listed; it was left alone";
        case B_PERMISSION_DENIED:
            return "permission denied";
        case B_READ_ONLY_DEVICE:
            return "the volume is read-only";
        case B_BUSY:
            return "in use";
        default:
            return "could not be removed";
    }
}

bool Confirmed()
{
    fputs("Remove them? [y/N] ", stdout);
    fflush(stdout);
    char answer[64];
    if (fgets(answer, sizeof(answer), stdin) == nullptr)
        return false;
    return answer[0] == 'y' || answer[0] == 'Y';
}

// Text for the terminal: control characters written as \xNN, so that a
// name cannot move the cursor, retitle the window or hide a line.
std::string Shown(const std::string& text)
{
    return TerminalText(text);
}

std::string ParentFolder(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Completes the rollback (or the last steps) of a dead install into
// installFolder. -1 when there was none, or when the install's work stays
// and the deinstall goes on; otherwise the exit status.
int RecoverInterruptedInstall(const std::string& installFolder)
{
    const std::string destination = ParentFolder(installFolder);
    const std::string created = installFolder.substr(installFolder.rfind('/') + 1);
    const std::string journal = InstallJournal::PathFor(destination.c_str(), created.c_str());
    if (!InstallJournal::Exists(journal))
        return -1;
    // A running install holds the lock: its journal is no leftover.
    BLockFile lock;
    if (lock.TryLock(InstallConfig::InstallLockPath(destination.c_str(), created.c_str()).c_str()) != B_OK) {
        printf("An installation into %s is running. Wait until it has finished, then deinstall.\n",
            Shown(installFolder).c_str());
        return EXIT_USAGE;
    }
    InstallJournal::Outcome outcome;
    const status_t status = InstallJournal::Recover(journal, outcome);
    for (const std::string& problem : outcome.problems)
        printf("  %s\n", Shown(problem).c_str());
    if (status != B_OK) {
        printf("The journal %s of an interrupted installation could not be read; nothing was removed.\n",
            Shown(journal).c_str());
        return EXIT_SOME_FAILED;
    }
    if (outcome.committed) {
        printf("The installation into %s had completed; its last steps were finished now.\n",
            Shown(installFolder).c_str());
        return -1;
    }
    printf("The installation into %s was interrupted before it completed. Everything it had changed\n"
           "(%d changes) was taken back, this deinstaller with it: nothing is left to remove.\n",
        Shown(installFolder).c_str(), int(outcome.changes));
    return EXIT_DONE;
}

} // namespace


static int RunDeinstaller(int argc, char** argv)
{
    bool dryRun = false;
    bool yes = false;
    bool terminal = false;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0) {
            PrintHelp(stdout);
            return EXIT_DONE;
        }
        if (strcmp(argv[i], "--dry-run") == 0)
            dryRun = true;
        else if (strcmp(argv[i], "--yes") == 0 || strcmp(argv[i], "-y") == 0)
            yes = true;
        else if (strcmp(argv[i], "--terminal") == 0)
            terminal = true;
        else {
            fprintf(stderr, "ondelle-deinstall: unknown option \"%s\"\n\n", argv[i]);
            PrintHelp(stderr);
            return EXIT_USAGE;
        }
    }

    std::string program;
    if (get_app_path(&program) != B_OK) {
        fputs("ondelle-deinstall: cannot find this program's own file\n", stderr);
        return EXIT_USAGE;
    }
    BMessage configuration;
    status_t status = ReadDeinstallerConfiguration(program.c_str(), configuration);
    if (status != B_OK) {
        fprintf(stderr,
            "ondelle-deinstall: %s carries no %s configuration.\n"
            "Run the deinstaller that the installer placed in the installation folder.\n",
            Shown(program).c_str(), status == B_BAD_DATA ? "readable" : "deinstall");
        return EXIT_USAGE;
    }
    Deinstaller deinstaller(configuration);
    if (deinstaller.InitCheck() != B_OK) {
        fputs("ondelle-deinstall: the configuration names no product; nothing is removed.\n",
            stderr);
        return EXIT_USAGE;
    }

    const std::string product = deinstaller.ProductName();
    const std::string installFolder = ParentFolder(program);
    // An install into this folder that died before it completed left its
    // journal beside the folder: its rollback comes before anything else.
    if (const int recovered = RecoverInterruptedInstall(installFolder); recovered >= 0)
        return recovered;
    printf("Deinstalling %s.\nLooking for what its installation placed...\n", Shown(product).c_str());
    fflush(stdout);
    deinstaller.AddStandardFolders(installFolder.c_str());
    deinstaller.LoadRecord(installFolder.c_str());
    switch (deinstaller.RecordState()) {
        case DEINSTALL_RECORD_NONE:
            printf("The installation kept no record of what it placed (it was made by an earlier\n"
                "installer): entries are known by their tag alone, so copies and changes made\n"
                "since cannot be told apart. Look through the list before you remove anything.\n");
            break;
        case DEINSTALL_RECORD_IN_DOUBT:
            printf("The installation's record of what it placed is missing or damaged, or is not\n"
                "a plain file of yours: nothing is removed by its tag alone. The entries that\n"
                "look like the product's are listed and kept; remove them yourself if you wish.\n");
            break;
        default:
            break;
    }
    if (deinstaller.RejectedRecordLines() > 0) {
        printf("%d lines of the install record were added or changed after the installation;\n"
            "they are ignored.\n", int(deinstaller.RejectedRecordLines()));
    }
    const bool showProgress = isatty(fileno(stderr)) != 0;
    deinstaller.Scan([showProgress](const std::string& folder) {
        if (showProgress)
            fprintf(stderr, "  looking through %s\n", Shown(folder).c_str());
    });
    deinstaller.FindScriptSections();
    // Started from the desktop (its menu entry's "Uninstall" action) there
    // is no terminal to answer on: the window shows the same lists and
    // asks with its buttons.
    if (!dryRun && !yes && !terminal && DeinstallerHasDisplay())
        return RunDeinstallWindow(deinstaller, installFolder);

    int sections = 0;
    for (const deinstall_section& section : deinstaller.Sections())
        sections += section.count > 0 ? 1 : 0;
    size_t toRemove = 0;
    size_t toKeep = 0;
    for (const deinstall_entry& entry : deinstaller.Entries())
        (entry.keep.empty() ? toRemove : toKeep)++;
    if (toRemove == 0 && sections == 0) {
        if (toKeep > 0) {
            printf("These %zu entries look like %s's but were changed or copied since; they are\n"
                "kept:\n", toKeep, Shown(product).c_str());
            for (const deinstall_entry& entry : deinstaller.Entries())
                printf("  %s (%s; kept: %s)\n", Shown(entry.path).c_str(), deinstall_entry_kind_name(entry.kind),
                    Shown(entry.keep).c_str());
        }
        printf("Nothing of %s is left to remove.\n", Shown(product).c_str());
        return EXIT_DONE;
    }

    if (toRemove > 0) {
        printf("These %zu entries were placed by the installation and will be removed:\n",
            toRemove);
        for (const deinstall_entry& entry : deinstaller.Entries()) {
            if (entry.keep.empty())
                printf("  %s (%s)\n", Shown(entry.path).c_str(), deinstall_entry_kind_name(entry.kind));
        }
    }
    if (toKeep > 0) {
        printf("These %zu entries were changed or copied since the installation and will be "
            "kept:\n", toKeep);
        for (const deinstall_entry& entry : deinstaller.Entries()) {
            if (!entry.keep.empty())
                printf("  %s (%s; kept: %s)\n", Shown(entry.path).c_str(), deinstall_entry_kind_name(entry.kind),
                    Shown(entry.keep).c_str());
        }
    }
    if (sections > 0) {
        printf("These script sections will be removed:\n");
        for (const deinstall_section& section : deinstaller.Sections()) {
            if (section.count > 0)
                printf("  #BEGIN_%s ... #END_%s in %s\n", Shown(section.tag).c_str(), Shown(section.tag).c_str(),
                    Shown(section.script).c_str());
        }
    }

    if (dryRun) {
        printf("Dry run: nothing was changed.\n");
        return EXIT_DONE;
    }
    if (!yes && !Confirmed()) {
        printf("Nothing was removed.\n");
        return EXIT_CANCELLED;
    }

    int removed = 0;
    int kept = 0;
    const int32 failures = deinstaller.Remove([&](const deinstall_report& report) {
        if (!report.tag.empty()) {
            if (report.status == B_OK)
                printf("Removed the section %s from %s (the previous script is kept as %s)\n",
                    Shown(report.tag).c_str(), Shown(report.path).c_str(), Shown(report.backup).c_str());
            else
                printf("Could not remove the section %s from %s\n", Shown(report.tag).c_str(),
                    Shown(report.path).c_str());
        } else if (report.status == B_OK) {
            removed++;
            printf("Removed %s\n", Shown(report.path).c_str());
        } else if (report.status == B_DIRECTORY_NOT_EMPTY) {
            kept++;
            printf("Kept %s: it holds entries that %s did not place\n", Shown(report.path).c_str(),
                Shown(product).c_str());
        } else {
            printf("Could not remove %s: %s\n", Shown(report.path).c_str(), StatusText(report.status));
        }
    });
    printf("%s: %d removed, %d kept, %d could not be removed.\n", Shown(product).c_str(), removed,
        kept + int(toKeep), int(failures));
    printf("The installation folder %s, its log and this deinstaller stay; remove them when you\n"
        "no longer need them.\n", Shown(installFolder).c_str());
    return failures == 0 ? EXIT_DONE : EXIT_SOME_FAILED;
}

int main(int argc, char** argv)
{
    return LibRunToolMain("ondelle-deinstall", EXIT_SOME_FAILED, [&] { return RunDeinstaller(argc, argv); });
}
