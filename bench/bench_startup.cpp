// Start-up: the time from exec of an installer build (the demo product made
// by the build tool) to its window painted on screen, against a plain Qt
// program that shows an empty window. Both programs are started with
// ONDELLE_REPORT_SHOWN set, write "shown" once their first window has been
// painted and end there; the time runs from the spawn to that line. The
// counters of BM_StartupRatio give the installer's time as a multiple of
// the plain program's, measured alternately in one run ("ratio" of the
// wall times, "cpu_ratio" of the processor times, which other work on a
// busy machine disturbs less).
//
// The same demo is also made as a bundled build (--bundle-runtime): its
// first start unpacks the runtime into the cache below the root (removed
// before every timed first start), later starts reuse it. BM_StartupBundled
// times later starts alone and against the plain program; the counters
// give the sizes of the builds and of the runtime, compressed in the build
// and unpacked in the cache.
//
// Everything the programs write (the installer's document type files, its
// version record) lands in a private temporary folder that serves as their
// home, data folders and sandbox. The Qt platform is "offscreen" unless
// ONDELLE_BENCH_QPA names another (e.g. "xcb" under xvfb-run).
#include "BenchSandbox.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gnu/libc-version.h>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// The environment of a started program: ours, with every folder it may
// write to moved below the root.
std::vector<std::string> ChildEnvironment(const BenchSandbox& sandbox)
{
    std::map<std::string, std::string> values;
    for (char** entry = environ; *entry != nullptr; entry++) {
        const char* equals = std::strchr(*entry, '=');
        if (equals != nullptr)
            values[std::string(*entry, size_t(equals - *entry))] = equals + 1;
    }
    const char* platform = std::getenv("ONDELLE_BENCH_QPA");
    values["QT_QPA_PLATFORM"] = platform != nullptr && platform[0] != '\0' ? platform : "offscreen";
    values["ONDELLE_REPORT_SHOWN"] = "1";
    for (const auto& [name, value] : sandbox.Variables())
        values[name] = value;
    std::vector<std::string> environment;
    for (const auto& [name, value] : values)
        environment.push_back(name + "=" + value);
    return environment;
}

// A started program: its id and the reading end of its standard output.
struct Child {
    pid_t pid = -1;
    FILE* output = nullptr;
};

Child Spawn(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
    const fs::path& folder)
{
    Child child;
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return child;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& value : environment)
        envp.push_back(const_cast<char*>(value.c_str()));
    envp.push_back(nullptr);
    if (posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        child.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    child.output = ::fdopen(pipeEnds[0], "r");
    return child;
}

// Waits for the child's end; true when it exited with status 0. cpuSeconds,
// when given, receives the processor time it used (user and system).
bool Reap(Child& child, double* cpuSeconds = nullptr)
{
    if (child.output != nullptr)
        std::fclose(child.output);
    int status = 0;
    struct rusage usage = {};
    if (child.pid <= 0 || ::wait4(child.pid, &status, 0, &usage) != child.pid)
        return false;
    if (cpuSeconds != nullptr)
        *cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
            + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// One start: seconds from the spawn to the "shown" line, and the processor
// time the program used until it ended there.
struct StartTimes {
    double wall = -1;
    double cpu = 0;
};

// Starts the program and waits for its window; wall stays negative when the
// program ended or failed without showing one.
StartTimes TimeToShown(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
    const fs::path& folder)
{
    StartTimes times;
    const Clock::time_point start = Clock::now();
    Child child = Spawn(arguments, environment, folder);
    if (child.pid <= 0) {
        Reap(child);
        return times;
    }
    bool shown = false;
    char line[256];
    while (child.output != nullptr && std::fgets(line, sizeof line, child.output) != nullptr) {
        if (std::strcmp(line, "shown\n") == 0) {
            shown = true;
            break;
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const bool exited = Reap(child, &times.cpu);
    if (shown && exited)
        times.wall = seconds;
    return times;
}

// The run's root with the demo build made in it, once per process.
class StartupSetup {
public:
    StartupSetup()
        : fRoot("ondelle-bench-startup-"), fEnvironment(ChildEnvironment(fRoot))
    {
        const fs::path root = fRoot.Path();
        if (root.empty()) {
            fError = "no temporary folder";
            return;
        }
        fs::create_directories(root / "lib");
        // The demo's library is compiled when the demo is built for real;
        // any file does for timing the start.
        std::ofstream(root / "lib/libskylark.so") << "library";
        fBuild = root / "SkylarkSetup";
        std::vector<std::string> make = {ONDELLE_BUILD_TOOL, "make",
            ONDELLE_SOURCE_DIR "/examples/skylark/product.json", "-o", fBuild.string(),
            "--installer", ONDELLE_INSTALLER, "--define", "BUILD=" + (root / "lib").string()};
        Child tool = Spawn(make, fEnvironment, root);
        char line[512];
        while (tool.output != nullptr && std::fgets(line, sizeof line, tool.output) != nullptr) {
        }
        if (!Reap(tool) || !fs::exists(fBuild)) {
            fError = "the demo build could not be made";
            return;
        }
        // The bundled build, held to this machine's own C library, whose
        // Qt it carries.
        fBundled = root / "SkylarkBundled";
        make[4] = fBundled.string();
        for (const char* extra : {"--bundle-runtime", "--glibc-floor"})
            make.push_back(extra);
        make.push_back(gnu_get_libc_version());
        Child bundled = Spawn(make, fEnvironment, root);
        while (bundled.output != nullptr && std::fgets(line, sizeof line, bundled.output) != nullptr) {
        }
        if (!Reap(bundled) || !fs::exists(fBundled))
            fError = "the bundled demo build could not be made";
        for (const std::string& value : fEnvironment) {
            if (value.rfind("XDG_CACHE_HOME=", 0) == 0)
                fCache = fs::path(value.substr(15)) / "ondelle";
        }
    }

    const std::string& Error() const { return fError; }
    StartTimes Installer() { return TimeToShown({fBuild.string()}, fEnvironment, fRoot.Path()); }
    StartTimes Bare() { return TimeToShown({ONDELLE_BARE_WINDOW}, fEnvironment, fRoot.Path()); }
    StartTimes Bundled() { return TimeToShown({fBundled.string()}, fEnvironment, fRoot.Path()); }
    // A start that unpacks the runtime first.
    StartTimes BundledFirst()
    {
        std::error_code error;
        fs::remove_all(fCache, error);
        return Bundled();
    }

    // Sizes in bytes: the plain and the bundled build, the unpacked runtime.
    void CountSizes(benchmark::State& state) const
    {
        std::error_code error;
        uint64_t unpacked = 0;
        for (const auto& entry : fs::recursive_directory_iterator(fCache, error)) {
            if (entry.is_regular_file(error))
                unpacked += entry.file_size(error);
        }
        state.counters["plain_build_mb"] = double(fs::file_size(fBuild, error)) / 1e6;
        state.counters["bundled_build_mb"] = double(fs::file_size(fBundled, error)) / 1e6;
        state.counters["runtime_unpacked_mb"] = double(unpacked) / 1e6;
    }

private:
    BenchSandbox fRoot;
    std::vector<std::string> fEnvironment;
    fs::path fBuild;
    fs::path fBundled;
    fs::path fCache;
    std::string fError;
};

StartupSetup& Setup()
{
    static StartupSetup setup;
    return setup;
}

// One start of either program per iteration.
void RunStarts(benchmark::State& state, StartTimes (StartupSetup::*start)())
{
    StartupSetup& setup = Setup();
    if (!setup.Error().empty()) {
        state.SkipWithError(setup.Error().c_str());
        return;
    }
    // The first start fills the file system's and the loader's caches.
    (setup.*start)();
    double cpu = 0;
    for (auto _ : state) {
        const StartTimes times = (setup.*start)();
        if (times.wall < 0) {
            state.SkipWithError("the program ended without showing its window");
            return;
        }
        cpu += times.cpu;
        state.SetIterationTime(times.wall);
    }
    state.counters["cpu_ms"] = cpu * 1000 / double(state.iterations());
}

void BM_StartupBareQt(benchmark::State& state)
{
    RunStarts(state, &StartupSetup::Bare);
}
BENCHMARK(BM_StartupBareQt)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

void BM_StartupInstaller(benchmark::State& state)
{
    RunStarts(state, &StartupSetup::Installer);
}
BENCHMARK(BM_StartupInstaller)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

void BM_StartupBundledFirst(benchmark::State& state)
{
    RunStarts(state, &StartupSetup::BundledFirst);
    Setup().CountSizes(state);
}
BENCHMARK(BM_StartupBundledFirst)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_StartupBundled(benchmark::State& state)
{
    RunStarts(state, &StartupSetup::Bundled);
}
BENCHMARK(BM_StartupBundled)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

// Both programs started alternately, so that a busy moment of the machine
// weighs on both alike; the ratio is the installer's total over the plain
// program's.
void RunRatio(benchmark::State& state, StartTimes (StartupSetup::*start)())
{
    StartupSetup& setup = Setup();
    if (!setup.Error().empty()) {
        state.SkipWithError(setup.Error().c_str());
        return;
    }
    setup.Bare();
    (setup.*start)();
    StartTimes bare{0, 0};
    StartTimes installer{0, 0};
    for (auto _ : state) {
        const StartTimes bareTimes = setup.Bare();
        const StartTimes installerTimes = (setup.*start)();
        if (bareTimes.wall < 0 || installerTimes.wall < 0) {
            state.SkipWithError("a program ended without showing its window");
            return;
        }
        bare.wall += bareTimes.wall;
        bare.cpu += bareTimes.cpu;
        installer.wall += installerTimes.wall;
        installer.cpu += installerTimes.cpu;
        state.SetIterationTime(bareTimes.wall + installerTimes.wall);
    }
    const double runs = double(state.iterations());
    state.counters["bare_ms"] = bare.wall * 1000 / runs;
    state.counters["installer_ms"] = installer.wall * 1000 / runs;
    state.counters["ratio"] = bare.wall > 0 ? installer.wall / bare.wall : 0;
    // Processor time is less disturbed by other work on the machine.
    state.counters["cpu_ratio"] = bare.cpu > 0 ? installer.cpu / bare.cpu : 0;
}

void BM_StartupRatio(benchmark::State& state)
{
    RunRatio(state, &StartupSetup::Installer);
}
BENCHMARK(BM_StartupRatio)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

// The bundled build's later starts against the plain Qt program.
void BM_StartupBundledRatio(benchmark::State& state)
{
    RunRatio(state, &StartupSetup::Bundled);
}
BENCHMARK(BM_StartupBundledRatio)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
