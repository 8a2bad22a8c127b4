#include <LibSystem.h>

#include <OS.h>
#include <StopPoint.h>

#include <TestSupport.h>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <fstream>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

char ProcessState(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    size_t close = text.rfind(')');
    return close == std::string::npos || close + 2 >= text.size() ? '?' : text[close + 2];
}

bool WaitUntil(const std::function<bool()>& condition, bigtime_t timeout = 5000000)
{
    bigtime_t end = system_time() + timeout;
    while (!condition()) {
        if (system_time() > end)
            return false;
        snooze(1000);
    }
    return true;
}

struct Spinner {
    std::atomic<bool> stop{false};
    std::atomic<long> loops{0};
};

int32 Spin(void* data)
{
    auto* spinner = static_cast<Spinner*>(data);
    while (!spinner->stop) {
        stop_point();
        spinner->loops++;
    }
    return 0;
}

} // namespace

TEST(LibSystem, ShutdownInTheSandboxOnlyRecordsTheRequest)
{
    std::filesystem::path record = ondelle::test::SandboxRoot() / "shutdown-requests";
    std::filesystem::remove(record);
    LibShutdown(true);
    LibShutdown(false);
    EXPECT_EQ(ondelle::test::ReadFileBytes(record), "restart\nshutdown\n");
    std::filesystem::remove(record);
}

TEST(LibSystem, VersionAndLogin)
{
    LibString version("unchanged");
    LibGetOSVersion(version);
    EXPECT_FALSE(version.IsBlank());
    EXPECT_NE(std::string(static_cast<const char*>(version)), "unchanged");

    LibString login = LibGetLogin();
    const char* fromC = getlogin();
    struct passwd* entry = getpwuid(getuid());
    if (fromC != nullptr)
        EXPECT_STREQ(login, fromC);
    else if (entry != nullptr)
        EXPECT_STREQ(login, entry->pw_name);
    else
        EXPECT_STREQ(login, "");
}

TEST(LibSystem, TeamCpuTimeGrowsWithWork)
{
    double before = lib_team_cpu_time(0);
    Spinner spinner;
    thread_id thread = spawn_thread(Spin, "spinner", B_NORMAL_PRIORITY, &spinner);
    resume_thread(thread);
    // Spin until the worker itself has used a tenth of a second.
    EXPECT_TRUE(WaitUntil([&] {
        thread_info info;
        return get_thread_info(thread, &info) == B_OK && info.user_time >= 100000;
    }, 20000000));
    double during = lib_team_cpu_time(B_CURRENT_TEAM);
    spinner.stop = true;
    status_t result;
    wait_for_thread(thread, &result);
    EXPECT_GE(during - before, 0.09);
    EXPECT_EQ(lib_team_cpu_time(-7), 0.0);
}

TEST(LibSystem, SuspendAndResumeThisTeamsWorkers)
{
    Spinner spinner;
    thread_id thread = spawn_thread(Spin, "team worker", B_NORMAL_PRIORITY, &spinner);
    resume_thread(thread);
    ASSERT_TRUE(WaitUntil([&] { return spinner.loops > 1000; }));

    EXPECT_EQ(lib_suspend_team(0), 0);
    thread_info info;
    ASSERT_EQ(get_thread_info(thread, &info), B_OK);
    EXPECT_EQ(info.state, B_THREAD_SUSPENDED);
    snooze(10000);
    long held = spinner.loops;
    snooze(30000);
    EXPECT_LE(spinner.loops - held, 1);

    EXPECT_EQ(lib_resume_team(0), 0);
    EXPECT_TRUE(WaitUntil([&] { return spinner.loops > held + 1000; }));
    spinner.stop = true;
    status_t result;
    EXPECT_EQ(wait_for_thread(thread, &result), B_OK);
}

TEST(LibSystem, SuspendAndResumeAnotherProcess)
{
    pid_t child = fork();
    if (child == 0) {
        for (;;)
            pause();
    }
    ASSERT_GT(child, 0);
    ASSERT_TRUE(WaitUntil([&] { return ProcessState(child) == 'S'; }));

    EXPECT_EQ(lib_suspend_team(child), 0);
    EXPECT_TRUE(WaitUntil([&] { return ProcessState(child) == 'T'; }));
    EXPECT_EQ(lib_resume_team(child), 0);
    EXPECT_TRUE(WaitUntil([&] { return ProcessState(child) == 'S'; }));

    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}
