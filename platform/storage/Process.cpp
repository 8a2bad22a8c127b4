#include <Process.h>

#include <Sandbox.h>

#include "StoragePrivate.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using namespace BPrivate;

namespace {

// Captured output beyond this is read and dropped.
constexpr size_t kMaxCaptured = 4 * 1024 * 1024;

bool IsExecutableFile(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// A descriptor that becomes readable when the child ends, so the wait for
// it blocks in poll beside the output pipes instead of sleeping in steps.
// -1 when the kernel has no pidfd_open (before Linux 5.3).
class ProcessHandle {
public:
    explicit ProcessHandle(pid_t pid)
    {
#ifdef SYS_pidfd_open
        fFd = int(::syscall(SYS_pidfd_open, pid, 0));
#else
        (void)pid;
#endif
    }
    ~ProcessHandle()
    {
        if (fFd >= 0)
            ::close(fFd);
    }
    ProcessHandle(const ProcessHandle&) = delete;
    ProcessHandle& operator=(const ProcessHandle&) = delete;
    int Fd() const { return fFd; }

private:
    int fFd = -1;
};

class Pipe {
public:
    Pipe() { fFds[0] = fFds[1] = -1; }
    ~Pipe() { Close(); }
    bool Open()
    {
        if (::pipe2(fFds, O_CLOEXEC) != 0)
            return false;
        ::fcntl(fFds[0], F_SETFL, ::fcntl(fFds[0], F_GETFL) | O_NONBLOCK);
        return true;
    }
    int Read() const { return fFds[0]; }
    int Write() const { return fFds[1]; }
    void CloseRead() { CloseOne(0); }
    void CloseWrite() { CloseOne(1); }
    void Close()
    {
        CloseOne(0);
        CloseOne(1);
    }

private:
    void CloseOne(int which)
    {
        if (fFds[which] >= 0)
            ::close(fFds[which]);
        fFds[which] = -1;
    }
    int fFds[2];
};

class SpawnSetup {
public:
    SpawnSetup()
    {
        fActionsOk = ::posix_spawn_file_actions_init(&fActions) == 0;
        fAttrOk = ::posix_spawnattr_init(&fAttr) == 0;
    }
    ~SpawnSetup()
    {
        if (fActionsOk)
            ::posix_spawn_file_actions_destroy(&fActions);
        if (fAttrOk)
            ::posix_spawnattr_destroy(&fAttr);
    }
    bool Ok() const { return fActionsOk && fAttrOk; }

    posix_spawn_file_actions_t fActions;
    posix_spawnattr_t fAttr;

private:
    bool fActionsOk;
    bool fAttrOk;
};

// Reads what is available; false at end of file or on error.
bool Drain(int fd, std::string* into)
{
    char buffer[8192];
    for (;;) {
        ssize_t count = ::read(fd, buffer, sizeof(buffer));
        if (count > 0) {
            if (into->size() < kMaxCaptured)
                into->append(buffer, std::min(size_t(count), kMaxCaptured - into->size()));
            continue;
        }
        if (count == 0)
            return false;
        if (errno == EINTR)
            continue;
        return errno == EAGAIN;
    }
}

void FillExit(int status, process_result* result)
{
    if (WIFEXITED(status)) {
        result->exitCode = WEXITSTATUS(status);
        result->signal = 0;
    } else if (WIFSIGNALED(status)) {
        result->exitCode = -1;
        result->signal = WTERMSIG(status);
    }
}

} // namespace

std::string find_program(const std::string& name)
{
    if (name.empty())
        return std::string();
    if (name.find('/') != std::string::npos) {
        std::string path = make_absolute(name);
        return IsExecutableFile(path) ? path : std::string();
    }
    const char* variable = std::getenv("PATH");
    std::string list = variable != nullptr ? variable : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(':', start);
        if (end == std::string::npos)
            end = list.size();
        std::string folder = list.substr(start, end - start);
        start = end + 1;
        if (folder.empty() || folder[0] != '/')
            continue; // relative PATH elements depend on the current folder
        std::string candidate = join_path(folder, name);
        if (IsExecutableFile(candidate))
            return candidate;
    }
    return std::string();
}

status_t run_process(const std::vector<std::string>& args, const process_options& options,
    process_result* result)
{
    if (args.empty() || args[0].empty() || result == nullptr)
        return B_BAD_VALUE;
    *result = process_result();

    std::string program = find_program(args[0]);
    if (program.empty())
        return B_ENTRY_NOT_FOUND;
    if (!sandbox_allows_program(program.c_str()))
        return B_NOT_ALLOWED;
    if (!options.workingDirectory.empty()) {
        struct stat st;
        if (::stat(options.workingDirectory.c_str(), &st) != 0)
            return status_from_errno(errno);
        if (!S_ISDIR(st.st_mode))
            return B_NOT_A_DIRECTORY;
    }

    stop_point();

    Pipe errorPipe, outputPipe;
    const bool captureError = options.wait;
    const bool captureOutput = options.wait && options.captureOutput;
    if ((captureError && !errorPipe.Open()) || (captureOutput && !outputPipe.Open()))
        return status_from_errno(errno);

    SpawnSetup setup;
    if (!setup.Ok())
        return B_NO_MEMORY;
    int error = ::posix_spawn_file_actions_addopen(&setup.fActions, 0, "/dev/null", O_RDONLY, 0);
    if (error == 0 && captureOutput)
        error = ::posix_spawn_file_actions_adddup2(&setup.fActions, outputPipe.Write(), 1);
    if (error == 0 && captureError)
        error = ::posix_spawn_file_actions_adddup2(&setup.fActions, errorPipe.Write(), 2);
    if (error == 0 && !options.workingDirectory.empty())
        error = ::posix_spawn_file_actions_addchdir_np(&setup.fActions, options.workingDirectory.c_str());

    // Own process group (so that a kill reaches the child's children too),
    // default signal handling and an empty signal mask.
    sigset_t defaults, mask;
    sigemptyset(&mask);
    sigfillset(&defaults);
    sigdelset(&defaults, SIGKILL);
    sigdelset(&defaults, SIGSTOP);
    if (error == 0)
        error = ::posix_spawnattr_setflags(&setup.fAttr,
            POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    if (error == 0)
        error = ::posix_spawnattr_setpgroup(&setup.fAttr, 0);
    if (error == 0)
        error = ::posix_spawnattr_setsigmask(&setup.fAttr, &mask);
    if (error == 0)
        error = ::posix_spawnattr_setsigdefault(&setup.fAttr, &defaults);
    if (error != 0)
        return status_from_errno(error);

    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    pid_t pid = -1;
    error = ::posix_spawn(&pid, program.c_str(), &setup.fActions, &setup.fAttr, argv.data(), environ);
    if (error != 0)
        return error == ENOENT ? B_ENTRY_NOT_FOUND : status_from_errno(error);
    result->pid = pid;

    if (!options.wait) {
        // Reaped in the background; the child is not tied to this thread.
        std::thread([pid]() {
            int status;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
        return B_OK;
    }

    register_child_process(pid);
    errorPipe.CloseWrite();
    outputPipe.CloseWrite();

    bool errorOpen = captureError;
    bool outputOpen = captureOutput;
    const ProcessHandle handle(pid);
    for (;;) {
        // Wakes on output, on the child's end (its pidfd), or after a tenth
        // of a second to pass a stop point; only without a pidfd and with
        // both pipes closed does the loop wait in short steps.
        pollfd fds[3];
        nfds_t count = 0;
        if (errorOpen)
            fds[count++] = {errorPipe.Read(), POLLIN, 0};
        if (outputOpen)
            fds[count++] = {outputPipe.Read(), POLLIN, 0};
        if (handle.Fd() >= 0)
            fds[count++] = {handle.Fd(), POLLIN, 0};
        if (count > 0)
            ::poll(fds, count, 100);
        else
            ::usleep(2000);
        if (errorOpen)
            errorOpen = Drain(errorPipe.Read(), &result->errorOutput);
        if (outputOpen)
            outputOpen = Drain(outputPipe.Read(), &result->output);

        // Learn of the end without reaping, so that the id stays ours until
        // it is unregistered.
        siginfo_t info;
        std::memset(&info, 0, sizeof(info));
        int waited = ::waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT);
        if (waited == 0 && info.si_pid == pid) {
            // Whatever the child left in the pipes; a grandchild that keeps
            // them open does not hold us up.
            if (errorOpen)
                Drain(errorPipe.Read(), &result->errorOutput);
            if (outputOpen)
                Drain(outputPipe.Read(), &result->output);
            break;
        }
        if (waited != 0 && errno != EINTR)
            break;
        stop_point();
    }

    unregister_child_process(pid);
    int status = 0;
    pid_t reaped;
    do {
        reaped = ::waitpid(pid, &status, 0);
    } while (reaped < 0 && errno == EINTR);
    if (reaped != pid)
        return status_from_errno(errno);
    FillExit(status, result);
    return B_OK;
}

void run_optional_tool(const std::vector<std::string>& args)
{
    if (args.empty() || find_program(args[0]).empty())
        return;
    process_options options;
    options.captureOutput = true;
    process_result result;
    run_process(args, options, &result);
}
