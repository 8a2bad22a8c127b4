// Idle processor time of the open installer window: the demo build is
// started with a test-driver script (ONDELLE_TEST_DRIVER) that takes it to
// one page and stops there; once the driver reports "driver: done" the
// program is left alone for ONDELLE_BENCH_IDLE_SECONDS (10 by default) and
// the processor time it used meanwhile (user and system, all its threads,
// from /proc/PID/stat) is reported as "cpu_percent" of one core. A window
// at rest should cost nearly nothing: the goal is at most 1 %.
//
// Pages: the license, the choices, the install held at the question about
// a file that is already there (the replace alert, twice: as it comes and
// after a click in it), and the completion alert. Each run has a fresh
// private root for its home and data folders. The Qt platform is
// "offscreen" unless ONDELLE_BENCH_QPA names another (e.g. "xcb" under
// xvfb-run). ONDELLE_BENCH_INSTALLER and ONDELLE_BENCH_BUILD_TOOL name
// another installer program and build tool than this build's, to compare
// with another build of the project.
#include "BenchSandbox.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

const char* const kToLicense = "timeout 60\n"
                               "wait InstallerWin\n"
                               "text InstallerWin instruction \"Agree\"\n";
const char* const kToChoices = "press InstallerWin Agree\n"
                               "state choosing\n";
const char* const kToQuestion = "select InstallerWin install_type Minimum\n"
                                "toggle InstallerWin custom_list skylark.conf\n"
                                "press InstallerWin Install\n"
                                "state installing\n"
                                "wait ReplaceAlert\n"
                                "text InstallerWin instruction \"skylark.conf\"\n";
const char* const kInQuestion = "press ReplaceAlert \"Apply to all future collisions\"\n";
const char* const kToCompletion = "press ReplaceAlert \"Don't Replace\"\n"
                                  "gone ReplaceAlert\n"
                                  "press alert Later\n"
                                  "text alert alert_text \"Installation successfully completed.\"\n";

std::string Program(const char* variable, const char* builtIn)
{
    const char* value = std::getenv(variable);
    return value != nullptr && value[0] != '\0' ? value : builtIn;
}

double IdleSeconds()
{
    const char* value = std::getenv("ONDELLE_BENCH_IDLE_SECONDS");
    const double seconds = value != nullptr ? std::atof(value) : 0;
    return seconds > 0 ? seconds : 10;
}

// Processor time of a process so far, in seconds; negative when unknown.
double ProcessCpuSeconds(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // The name in parentheses may hold blanks: fields are counted after it.
    const size_t close = text.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long user = 0, system = 0;
    // Fields 3 to 13 come before utime (14) and stime (15).
    for (int i = 3; i <= 13 && fields >> field; i++) {
    }
    if (!(fields >> user >> system))
        return -1;
    return double(user + system) / double(::sysconf(_SC_CLK_TCK));
}

// A started program with its standard output in a pipe.
class Child {
public:
    Child(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
        const fs::path& folder)
    {
        int ends[2];
        if (::pipe(ends) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, ends[0]);
        posix_spawn_file_actions_addclose(&actions, ends[1]);
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (const std::string& value : environment)
            envp.push_back(const_cast<char*>(value.c_str()));
        envp.push_back(nullptr);
        if (posix_spawn(&fPid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            fPid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(ends[1]);
        fOutput = ends[0];
    }

    // Ends the program (it is ours, in its private root) and reaps it.
    ~Child()
    {
        if (fPid > 0) {
            ::kill(fPid, SIGKILL);
            int status = 0;
            ::waitpid(fPid, &status, 0);
        }
        if (fOutput >= 0)
            ::close(fOutput);
    }

    pid_t Pid() const { return fPid; }

    // Waits for the program's end; true when it exited with status 0.
    bool Wait()
    {
        int status = 0;
        const bool reaped = fPid > 0 && ::waitpid(fPid, &status, 0) == fPid;
        fPid = -1;
        return reaped && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    // Reads the output until a line starts with one of the words; the
    // line, or empty at the end of the output or when time is up.
    std::string WaitForLine(const std::vector<std::string>& starts, std::chrono::seconds limit)
    {
        const Clock::time_point end = Clock::now() + limit;
        for (;;) {
            size_t newline;
            while ((newline = fBuffer.find('\n')) != std::string::npos) {
                const std::string line = fBuffer.substr(0, newline);
                fBuffer.erase(0, newline + 1);
                for (const std::string& start : starts) {
                    if (line.compare(0, start.size(), start) == 0)
                        return line;
                }
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
            if (fOutput < 0 || left.count() <= 0)
                return "";
            pollfd wait = {fOutput, POLLIN, 0};
            if (::poll(&wait, 1, int(left.count())) <= 0)
                continue;
            char chunk[4096];
            const ssize_t got = ::read(fOutput, chunk, sizeof chunk);
            if (got <= 0)
                return "";
            fBuffer.append(chunk, size_t(got));
        }
    }

private:
    pid_t fPid = -1;
    int fOutput = -1;
    std::string fBuffer;
};

std::vector<std::string> ChildEnvironment(const BenchSandbox& sandbox, const fs::path& script)
{
    std::map<std::string, std::string> values;
    for (char** entry = environ; *entry != nullptr; entry++) {
        const char* equals = std::strchr(*entry, '=');
        if (equals != nullptr)
            values[std::string(*entry, size_t(equals - *entry))] = equals + 1;
    }
    const char* platform = std::getenv("ONDELLE_BENCH_QPA");
    values["QT_QPA_PLATFORM"] = platform != nullptr && platform[0] != '\0' ? platform : "offscreen";
    values.erase("ONDELLE_REPORT_SHOWN");
    values.erase("ONDELLE_SCREENSHOT_DIR");
    values["ONDELLE_TEST_DRIVER"] = script.string();
    for (const auto& [name, value] : sandbox.Variables())
        values[name] = value;
    std::vector<std::string> environment;
    for (const auto& [name, value] : values)
        environment.push_back(name + "=" + value);
    return environment;
}

// The demo build, made once per process in a root of its own.
class DemoBuild {
public:
    DemoBuild() : fRoot("ondelle-bench-idle-build-")
    {
        const fs::path root = fRoot.Path();
        if (root.empty()) {
            fError = "no temporary folder";
            return;
        }
        fs::create_directories(root / "lib");
        // The demo's library is compiled when the demo is built for real;
        // any file does for a window at rest.
        std::ofstream(root / "lib/libskylark.so") << "library";
        fBuild = root / "SkylarkSetup";
        const std::vector<std::string> make = {Program("ONDELLE_BENCH_BUILD_TOOL", ONDELLE_BUILD_TOOL), "make",
            ONDELLE_SOURCE_DIR "/examples/skylark/product.json", "-o", fBuild.string(), "--installer",
            Program("ONDELLE_BENCH_INSTALLER", ONDELLE_INSTALLER), "--define", "BUILD=" + (root / "lib").string()};
        Child tool(make, ChildEnvironment(fRoot, root / "none.drive"), root);
        // Its output is read to the end, so that it never blocks on a pipe.
        tool.WaitForLine({"\x01"}, std::chrono::seconds(120));
        if (!tool.Wait() || !fs::exists(fBuild))
            fError = "the demo build could not be made";
    }
    const std::string& Error() const { return fError; }
    const fs::path& Path() const { return fBuild; }

private:
    BenchSandbox fRoot;
    fs::path fBuild;
    std::string fError;
};

DemoBuild& Build()
{
    static DemoBuild build;
    return build;
}

// Drives a fresh run of the demo to the page the script leads to, then
// measures its processor time while it stays there.
void MeasureIdlePage(benchmark::State& state, const std::string& script)
{
    DemoBuild& build = Build();
    if (!build.Error().empty()) {
        state.SkipWithError(build.Error().c_str());
        return;
    }
    const double idle = IdleSeconds();
    double percent = 0;
    for (auto _ : state) {
        BenchSandbox root("ondelle-bench-idle-");
        const fs::path scriptFile = root.Path() / "page.drive";
        std::ofstream(scriptFile) << script;
        const auto variables = root.Variables();
        // A settings file of the user's own where the demo puts its own,
        // for the question about a file that is already there.
        for (const auto& [name, value] : variables) {
            if (name == "XDG_CONFIG_HOME") {
                fs::create_directories(value);
                std::ofstream(fs::path(value) / "skylark.conf") << "mine\n";
            }
        }
        Child program({build.Path().string()}, ChildEnvironment(root, scriptFile), root.Path());
        const std::string end = program.WaitForLine({"driver: done", "driver: failed"}, std::chrono::seconds(180));
        if (end != "driver: done") {
            state.SkipWithError(end.empty() ? "the driver did not finish" : end.c_str());
            return;
        }
        const double before = ProcessCpuSeconds(program.Pid());
        const Clock::time_point start = Clock::now();
        std::this_thread::sleep_for(std::chrono::duration<double>(idle));
        const double after = ProcessCpuSeconds(program.Pid());
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        if (before < 0 || after < 0) {
            state.SkipWithError("the program ended while idle");
            return;
        }
        state.SetIterationTime(wall);
        percent += (after - before) / wall * 100;
    }
    state.counters["cpu_percent"] = percent / double(state.iterations());
}

void BM_IdleLicense(benchmark::State& state)
{
    MeasureIdlePage(state, kToLicense);
}
BENCHMARK(BM_IdleLicense)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

void BM_IdleChoices(benchmark::State& state)
{
    MeasureIdlePage(state, std::string(kToLicense) + kToChoices);
}
BENCHMARK(BM_IdleChoices)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

void BM_IdleInstallingAtQuestion(benchmark::State& state)
{
    MeasureIdlePage(state, std::string(kToLicense) + kToChoices + kToQuestion);
}
BENCHMARK(BM_IdleInstallingAtQuestion)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

void BM_IdleReplaceAlert(benchmark::State& state)
{
    MeasureIdlePage(state, std::string(kToLicense) + kToChoices + kToQuestion + kInQuestion);
}
BENCHMARK(BM_IdleReplaceAlert)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

void BM_IdleCompletionAlert(benchmark::State& state)
{
    MeasureIdlePage(state, std::string(kToLicense) + kToChoices + kToQuestion + kInQuestion + kToCompletion);
}
BENCHMARK(BM_IdleCompletionAlert)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
