#include "UnattendedInstaller.h"

#include "BuildTrust.h"
#include "ProgressLine.h"

#include <BuildManifest.h>
#include <ConfigFields.h>
#include <ControlCharacters.h>
#include <ConsoleAlertPresenter.h>
#include <Directory.h>
#include <Entry.h>
#include <FindDirectory.h>
#include <HelpManager.h>
#include <fs_info.h>
#include <InstallConfig.h>
#include <LibAppResource.h>
#include <LibConversions.h>
#include <LibEntryUtils.h>
#include <LibSystem.h>
#include <Looper.h>
#include <Messenger.h>
#include <Path.h>
#include <Resources.h>
#include <TypeConstants.h>
#include <Volume.h>
#include <VolumeRoster.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <csignal>
#include <vector>
#include <unistd.h>

namespace {

constexpr int32 kJobPriority = 10;

// Receives the job's status lines, its progress and its end message.
class StatusPrinter : public BLooper {
public:
    StatusPrinter(FILE* out, bool quiet)
        : BLooper("install status")
        , fQuiet(quiet)
        , fProgress(out, ::isatty(::fileno(out)) != 0)
        , fStart(std::chrono::steady_clock::now())
    {
    }

    void MessageReceived(BMessage* message) override
    {
        if (message->what == INSTALL_STATUS_UPDATE) {
            const char* text = nullptr;
            if (!fQuiet && message->FindString("message", &text) == B_OK)
                fProgress.PrintStatus(TerminalText(text).c_str());
            return;
        }
        if (message->what == INSTALL_PROGRESS_UPDATE) {
            int64 done = 0;
            int64 total = 0;
            if (!fQuiet && message->FindInt64("done", &done) == B_OK
                    && message->FindInt64("total", &total) == B_OK) {
                const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - fStart;
                fProgress.Update(done, total, elapsed.count());
            }
            return;
        }
        if (message->what == LIB_THREAD_COMPLETE) {
            fProgress.Finish();
            int32 status = 0;
            message->FindInt32("status", &status);
            std::lock_guard<std::mutex> guard(fLock);
            fStatus = status;
            fDone = true;
            fCondition.notify_all();
            return;
        }
        BLooper::MessageReceived(message);
    }

    // Waits for the end message; false when stop was raised first.
    bool Wait(const std::atomic<int>* stop, int32& status)
    {
        std::unique_lock<std::mutex> guard(fLock);
        while (!fDone) {
            if (stop != nullptr && stop->load())
                return false;
            fCondition.wait_for(guard, std::chrono::milliseconds(50));
        }
        status = fStatus;
        return true;
    }

private:
    bool fQuiet;
    ProgressLine fProgress;
    std::chrono::steady_clock::time_point fStart;
    std::mutex fLock;
    std::condition_variable fCondition;
    bool fDone = false;
    int32 fStatus = 0;
};


// The first button whose whole label is one of the names, else fallback.
// Labels are compared whole: "Restart Later" is not "Restart".
int32 ButtonNamed(const BAlertRequest& request, const std::vector<std::string>& names, int32 fallback)
{
    for (const std::string& name : names)
        for (size_t i = 0; i < request.buttons.size(); i++)
            if (request.buttons[i] == name)
                return int32(i);
    return fallback;
}

bool PathOf(const BEntry& entry, std::string& path)
{
    BPath result;
    if (entry.GetPath(&result) != B_OK || result.Path() == nullptr)
        return false;
    path = result.Path();
    return true;
}

} // namespace

UnattendedInstaller::UnattendedInstaller(const InstallerOptions& options, FILE* out, FILE* err)
    : fOptions(options)
    , fRawOut(out)
    , fOutStream(out)
    , fErrStream(err)
    , fOut(fOutStream.Stream())
    , fErr(fErrStream.Stream())
{
}

bool UnattendedInstaller::_Load(const std::string& buildPath, InstallConfig& config)
{
    LibAppResource resources(buildPath.c_str(), B_READ_ONLY);
    if (resources.InitCheck() != B_OK) {
        std::fprintf(fErr, "ondelle: %s cannot be read as an installer build: its resources are damaged or cut "
            "short\n", buildPath.c_str());
        return false;
    }
    size_t size = 0;
    const void* data = resources.LoadResource(kConfigResourceType, kConfigResourceId, &size);
    if (data == nullptr) {
        std::fprintf(fErr, "ondelle: %s carries no product to install (it has no configuration); make an "
            "installer build with ondelle-build\n", buildPath.c_str());
        return false;
    }
    BMessage message;
    if (message.Unflatten(static_cast<const char*>(data), ssize_t(size)) != B_OK) {
        std::fprintf(fErr, "ondelle: the configuration in %s is damaged and cannot be read\n", buildPath.c_str());
        return false;
    }
    config = message;
    config.SetResourcePath(buildPath.c_str());
    return true;
}

void UnattendedInstaller::_List(InstallConfig& config)
{
    std::fprintf(fOut, "%s %s (%s)\n", config.AppName(), config.Version(), config.Company());
    const BMessage* groups = config.Groups();
    const char* name = nullptr;
    for (int32 i = 0; groups != nullptr && groups->FindString("group_name", i, &name) == B_OK; i++) {
        const char* description = "";
        groups->FindString("group_description", i, &description);
        std::fprintf(fOut, "Install type \"%s\": %s\n", name, description);
    }
    for (int32 i = 0; i < config.CountInstallItems(); i++) {
        const InstallItem item = config.ItemAt(i);
        if (!item.HasFileName())
            continue;
        LibString size;
        LibBytesToString(uint64(item.FileSize()), size, 1);
        std::string types = item.Groups() != nullptr ? item.Groups() : "";
        while (!types.empty() && types.back() == ';')
            types.pop_back();
        for (size_t semicolon; (semicolon = types.find(';')) != std::string::npos;)
            types.replace(semicolon, 1, ", ");
        std::fprintf(fOut, "Item \"%s\": %s, in %s\n", item.LeafName().c_str(), static_cast<const char*>(size),
            types.empty() ? "no install type" : types.c_str());
    }
}

bool UnattendedInstaller::_ChooseDestination(InstallConfig& config)
{
    std::string folder = fOptions.folder;
    if (folder.empty() && !fOptions.volume.empty()) {
        BVolumeRoster roster;
        BVolume volume;
        bool found = false;
        while (!found && roster.GetNextVolume(&volume) == B_OK) {
            char name[B_FILE_NAME_LENGTH] = {};
            volume.GetName(name);
            BDirectory root;
            BEntry rootEntry;
            std::string mountPoint;
            if (volume.GetRootDirectory(&root) == B_OK && root.GetEntry(&rootEntry) == B_OK)
                PathOf(rootEntry, mountPoint);
            if (fOptions.volume != name && fOptions.volume != mountPoint)
                continue;
            found = true;
            // The user's home folder when it lies on that volume, otherwise
            // the folder "home" at its root, otherwise the root itself.
            BPath home;
            if (find_directory(B_USER_DIRECTORY, &home) == B_OK && home.Path() != nullptr
                && BVolume(dev_for_path(home.Path())).Device() == volume.Device())
                folder = home.Path();
            else if (BEntry((mountPoint + "/home").c_str()).IsDirectory())
                folder = mountPoint + "/home";
            else
                folder = mountPoint;
        }
        if (!found) {
            std::fprintf(fErr, "ondelle: there is no volume named \"%s\"\n", fOptions.volume.c_str());
            return false;
        }
    }
    if (folder.empty()) {
        if (config.DefaultFolderIsCurrent()) {
            BPath current;
            LibGetWorkingDirectory(current);
            folder = current.Path() != nullptr ? current.Path() : ".";
        } else {
            directory_which which = B_USER_DIRECTORY;
            if (config.HasOptDefaultFolder() && !LibGetStdDirName(config.OptDefaultFolder(), which))
                which = B_USER_DIRECTORY;
            BPath path;
            if (find_directory(which, &path, true) == B_OK && path.Path() != nullptr)
                folder = path.Path();
        }
    }
    BEntry entry(folder.c_str(), true);
    entry_ref ref;
    if (folder.empty() || !entry.Exists() || !entry.IsDirectory() || entry.GetRef(&ref) != B_OK) {
        std::fprintf(fErr, "ondelle: the folder \"%s\" does not exist\n", folder.c_str());
        return false;
    }
    config.SetDestination(ref);
    std::string shown;
    PathOf(entry, shown);
    if (!fOptions.quiet)
        std::fprintf(fOut, "Installing into %s/%s\n", shown.c_str(), config.OptCreatedFolder());
    if (config.DoesDestinationExist())
        std::fprintf(fOut, "Note: %s/%s exists already; it will be moved to the Trash.\n", shown.c_str(),
            config.OptCreatedFolder());
    return true;
}

bool UnattendedInstaller::_Select(InstallConfig& config)
{
    const int32 count = config.CountInstallItems();
    std::string group = fOptions.group;
    bool all = fOptions.allItems;
    if (group.empty() && fOptions.items.empty() && !all) {
        const BMessage* groups = config.Groups();
        const char* first = nullptr;
        if (groups != nullptr && groups->FindString("group_name", 0, &first) == B_OK)
            group = first;
        else
            all = true;
    }
    if (!group.empty()) {
        const BMessage* groups = config.Groups();
        bool known = false;
        const char* name = nullptr;
        std::string names;
        for (int32 i = 0; groups != nullptr && groups->FindString("group_name", i, &name) == B_OK; i++) {
            known |= group == name;
            names += std::string(names.empty() ? "" : ", ") + "\"" + name + "\"";
        }
        if (!known) {
            std::fprintf(fErr, "ondelle: \"%s\" is not an install type of this product (%s)\n", group.c_str(),
                names.empty() ? "it has none" : names.c_str());
            return false;
        }
    }
    for (const auto& leaf : fOptions.items) {
        if (config.IndexOfInstallItem(leaf.c_str()) < 0) {
            std::fprintf(fErr, "ondelle: this product has no item named \"%s\" (see --list)\n", leaf.c_str());
            return false;
        }
    }

    int32 selected = 0;
    uint64 total = config.HasDeinstallerSize() ? uint64(std::max<int32>(config.DeinstallerSize(), 0)) : 0;
    for (int32 i = 0; i < count; i++) {
        const InstallItem item = config.ItemAt(i);
        const std::string leaf = item.LeafName();
        bool chosen = all;
        if (!group.empty())
            chosen = item.IsInGroup(group.c_str());
        for (const auto& name : fOptions.items)
            chosen |= name == leaf;
        config.MarkInstallItem(i, chosen);
        if (chosen) {
            selected++;
            total += uint64(std::max<int32>(item.FileSize(), 0));
        }
    }
    if (selected == 0) {
        std::fprintf(fErr, "ondelle: nothing to install: the choice holds no item\n");
        return false;
    }
    if (!fOptions.quiet) {
        LibString size;
        LibBytesToString(total, size, 1);
        std::fprintf(fOut, "%d of %d items selected%s%s%s, %s\n", int(selected), int(count),
            group.empty() ? "" : " (install type \"", group.c_str(), group.empty() ? "" : "\")", static_cast<const char*>(size));
    }
    return true;
}

int UnattendedInstaller::_RunJob(InstallConfig& config, const std::atomic<int>* stop)
{
    const bool interactive = ::isatty(STDIN_FILENO) != 0;
    ConsoleAlertPresenter presenter(fOut, interactive ? stdin : nullptr);
    const InstallerOptions::Collisions collisions = fOptions.collisions;
    if (collisions != InstallerOptions::Collisions::Ask) {
        const bool replace = collisions == InstallerOptions::Collisions::Replace;
        presenter.SetRule("replace", [replace](const BAlertRequest& request) {
            return BAlertAnswer{replace ? ButtonNamed(request, {"Replace"}, 1) : ButtonNamed(request, {"Don't Replace"}, 0),
                true};
        });
    }
    // A collision question that nobody answers keeps the existing entry;
    // the question's own default would replace it.
    presenter.SetUnansweredRule("replace", [](const BAlertRequest& request) {
        return BAlertAnswer{ButtonNamed(request, {"Don't Replace"}, 0), false};
    });
    auto answerBy = [&presenter, interactive](const char* kind, InstallerOptions::Question question,
                        std::vector<std::string> yes, std::vector<std::string> no) {
        if (question == InstallerOptions::Question::Ask && interactive)
            return;
        const bool accept = question == InstallerOptions::Question::Yes;
        presenter.SetRule(kind, [accept, yes, no](const BAlertRequest& request) {
            const int32 last = int32(request.buttons.size()) - 1;
            return BAlertAnswer{accept ? ButtonNamed(request, yes, last) : ButtonNamed(request, no, 0), false};
        });
    };
    answerBy("launch", fOptions.launch, {"Run", "Launch", "Yes", "Start"}, {"Later", "Cancel", "No", "Skip"});
    answerBy("restart", fOptions.restart, {"Restart Now"}, {"Restart Later"});
    BAlertPresenterScope scope(&presenter);

    // The progress line redraws itself with carriage returns: it writes to
    // the terminal directly, its status texts escaped.
    std::fflush(fOut);
    StatusPrinter* printer = new StatusPrinter(fRawOut, fOptions.quiet);
    printer->Run();
    // The thread takes the messenger over.
    config.SetKeepOnStop(fOptions.keepOnStop);
    if (config.Go("install", new BMessenger(printer), kJobPriority, false) != B_OK) {
        std::fprintf(fErr, "ondelle: the install job could not be started\n");
        printer->PostMessage(B_QUIT_REQUESTED);
        return UNATTENDED_NO_FOLDER;
    }
    // The status printer ends before this returns: its thread writes to
    // the output, which may close right after.
    auto endPrinter = [printer] {
        if (printer->Lock())
            printer->Quit();
    };
    int32 status = 0;
    if (!printer->Wait(stop, status)) {
        std::string what;
        const int signal = stop != nullptr ? stop->load() : 0;
        const std::string reason = signal == SIGINT ? "interrupted (SIGINT)"
            : signal == SIGTERM ? "terminated (SIGTERM)" : signal == SIGHUP ? "hung up (SIGHUP)" : "stopped";
        if (config.StopJob(reason.c_str(), what)) {
            endPrinter();
            std::fprintf(fOut, "Installation was stopped before it could complete.\n%s (Cause: %s.)\n",
                what.c_str(), reason.c_str());
            std::fflush(fOut);
            return UNATTENDED_STOPPED;
        }
        // The job had done its work: it ends by itself, its last questions
        // answered as the options say.
        std::fprintf(fOut, "%s\n", what.c_str());
        printer->Wait(nullptr, status);
    }
    config.WaitForEnd();
    endPrinter();
    if (!config.UpdatedFromVersion().empty())
        std::fprintf(fOut, "Updated from version %s.\n", config.UpdatedFromVersion().c_str());

    if (status == INSTALL_RESULT_NO_FOLDER)
        return UNATTENDED_NO_FOLDER;
    if (status == INSTALL_RESULT_NO_SPACE)
        return UNATTENDED_NO_SPACE;
    if (config.InstallFolderPath() == nullptr || config.InstallFolderPath()[0] == '\0')
        return UNATTENDED_REQUIREMENT;
    if (config.ManifestMismatch()) {
        std::fprintf(fErr, "ondelle: the installer was changed while it installed: %s; the items after it were not "
            "installed\n", config.ManifestMismatchText().c_str());
        return UNATTENDED_NOT_VERIFIED;
    }
    if (config.RestartRequested())
        LibShutdown(true);
    if (!fOptions.quiet && config.OptLog())
        std::fprintf(fOut, "Log: %s/Log\n", config.InstallFolderPath());
    return config.FailedItems().Size() > 0 ? UNATTENDED_ITEMS_FAILED : UNATTENDED_OK;
}

int UnattendedInstaller::Run(const std::string& buildPath, const std::atomic<int>* stop)
{
    // The build is checked against its manifest before anything is read
    // from it or written anywhere.
    const BuildTrust trust = CheckBuildTrust(buildPath, fOptions.requireSignature);
    if (trust.status != 0) {
        std::fprintf(fErr, "ondelle: %s\n", trust.refusal.c_str());
        return trust.status;
    }
    InstallConfig config;
    if (!_Load(buildPath, config))
        return UNATTENDED_BAD_OPTIONS;
    config.SetManifest(trust.manifest);
    if (!fOptions.quiet || fOptions.list)
        std::fprintf(fOut, "%s\n", trust.summary.c_str());
    if (fOptions.list) {
        _List(config);
        return UNATTENDED_OK;
    }
    if (fOptions.showLicense) {
        std::fprintf(fOut, "%s\n", config.HasLicense() ? config.License() : "This product has no license.");
        return UNATTENDED_OK;
    }
    if (config.HasLicense() && !fOptions.acceptLicense) {
        std::fprintf(fOut, "%s\n", config.License());
        std::fprintf(fErr, "ondelle: read the license above; to install, accept it with --accept-license\n");
        return UNATTENDED_BAD_OPTIONS;
    }
    if (!_Select(config))
        return UNATTENDED_BAD_OPTIONS;
    if (!_ChooseDestination(config))
        return UNATTENDED_NO_FOLDER;
    return _RunJob(config, stop);
}

int AddHelpFile(const char* programPath, const char* helpPath)
{
    HelpManager help;
    help.SetProgramPath(programPath);
    if (!help.AddHelpFile(helpPath))
        return 1;
    // The build changed: its manifest and signature no longer describe it
    // (it would be refused as damaged). They go; the build is unverified.
    BResources resources;
    if (resources.SetTo(programPath) != B_OK)
        return 1;
    const bool hadManifest = resources.HasResource(kManifestResourceType, kManifestResourceId);
    const bool hadSignature = resources.HasResource(kSignatureResourceType, kSignatureResourceId);
    if (!hadManifest && !hadSignature)
        return 0;
    if (hadManifest)
        resources.RemoveResource(kManifestResourceType, kManifestResourceId);
    if (hadSignature)
        resources.RemoveResource(kSignatureResourceType, kSignatureResourceId);
    if (resources.Sync() != B_OK) {
        std::fprintf(stderr, "ondelle: the help file was stored, but the build's manifest could not be removed; "
            "the build will be refused as changed\n");
        return 1;
    }
    std::fprintf(stderr, "ondelle: the build changed, so its manifest%s was removed: it is no longer verified\n",
        hadSignature ? " and signature" : "");
    return 0;
}
