// The installer program. An installer build is this program followed by
// resources that carry the configuration and every item to install.
#include "InstallerIdentity.h"
#include "BuildTrust.h"
#include "InstallerOptions.h"
#include "UnattendedInstaller.h"

#include <BuildManifest.h>
#include <Resources.h>

#include <InstallApp.h>

#include <AppPath.h>
#include <InterfaceKit.h>
#include <LibToolMain.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

// The signal that asked the unattended run to stop, 0 while none has.
std::atomic<int> sStop{0};

void StopRequested(int signal)
{
    sStop.store(signal);
}

// A display is there when one is named (X11 or Wayland) or when Qt is told
// which platform to draw on (offscreen included, for driven runs).
bool CarriesManifest(const std::string& program)
{
    BResources resources;
    return resources.SetTo(program.c_str()) == B_OK
        && (resources.HasResource(kManifestResourceType, kManifestResourceId)
            || resources.HasResource(kSignatureResourceType, kSignatureResourceId));
}

bool HasDisplay()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != '\0')
            return true;
    }
    return false;
}

// A build without a readable configuration ends as the unattended run
// does for it, after the user was told; so does a stopped install.
int RunWindow(const std::string& program, const InstallerOptions& options)
{
    bool loadFailed = false;
    bool stopped = false;
    // Checked before the window loads anything from the build.
    const BuildTrust trust = CheckBuildTrust(program, options.requireSignature);
    if (trust.status != 0)
        std::fprintf(stderr, "ondelle: %s\n", trust.refusal.c_str());
    {
        InstallApp app(program, trust);
        app.Run();
        loadFailed = app.LoadFailed();
        stopped = app.InstallStopped();
    }
    interface_shutdown();
    if (trust.status != 0)
        return trust.status;
    // A stopped install ends as a stopped unattended run does.
    if (loadFailed)
        return UNATTENDED_BAD_OPTIONS;
    return stopped ? UNATTENDED_STOPPED : UNATTENDED_OK;
}

// A build with a bundled runtime runs this program with the runtime's
// libraries and Qt plugins in the environment, which the loader has read
// by now and qt.conf beside the program repeats for Qt. The programs the
// installer starts (an item it launches, a script) get the environment the
// user started the build with.
void RestoreStartEnvironment()
{
    const char* build = std::getenv("ONDELLE_BUILD_FILE");
    const std::string pid = std::to_string(::getpid()) + ":";
    if (build == nullptr || std::strncmp(build, pid.c_str(), pid.size()) != 0)
        return;
    for (const char* name : {"LD_LIBRARY_PATH", "QT_PLUGIN_PATH", "QT_QPA_PLATFORM_PLUGIN_PATH"}) {
        const std::string saved = std::string("ONDELLE_SAVED_") + name;
        const char* value = std::getenv(saved.c_str());
        if (value != nullptr)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
        ::unsetenv(saved.c_str());
    }
}

} // namespace

static int RunInstaller(int argc, char** argv)
{
    std::string program;
    if (get_app_path(&program) != B_OK) {
        std::fprintf(stderr, "ondelle: cannot find its own program file\n");
        return 2;
    }
    RestoreStartEnvironment();

    // "-help FILE" stores a help file in the program and ends; "-help"
    // alone warns and goes on.
    if (argc > 1 && std::strcmp(argv[1], "-help") == 0) {
        if (argc == 3)
            return AddHelpFile(program.c_str(), argv[2]);
        std::fprintf(stderr, "Help file requred\n");
    }

    InstallerOptions options;
    const std::string error = ParseInstallerOptions(argc, argv, options);
    if (!error.empty()) {
        std::fprintf(stderr, "ondelle: %s\nTry \"ondelle --help\".\n", error.c_str());
        return UNATTENDED_BAD_OPTIONS;
    }
    if (options.help) {
        PrintInstallerUsage(stdout);
        return 0;
    }
    if (options.version) {
        std::printf("Ondelle %s\n", ONDELLE_VERSION);
        return 0;
    }
    // A build that carries a manifest is never rewritten by itself: a new
    // version record would no longer match the manifest.
    if (!CarriesManifest(program))
        UpdateOwnVersionRecord();
    if (!options.unattended && !options.list && !options.showLicense && HasDisplay())
        return RunWindow(program, options);

    // Ctrl-C, termination and a closed terminal stop the job like the
    // window's "Stop" does, and the run says what the stop did.
    struct sigaction action = {};
    action.sa_handler = StopRequested;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);

    UnattendedInstaller installer(options, stdout, stderr);
    return installer.Run(program, &sStop);
}

int main(int argc, char** argv)
{
    return LibRunToolMain("ondelle", 1, [&] { return RunInstaller(argc, argv); });
}
