// A worker that changes files, each change preceded by stop_point(), and
// that runs child processes it registers: the way the storage kit works.
#include <OS.h>
#include <StopPoint.h>

#include <TestSupport.h>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct FileJob {
    std::filesystem::path folder;
    std::atomic<int> written{0};
    std::atomic<pid_t> child{-1};
};

int32 WriteManyFiles(void* data)
{
    auto* job = static_cast<FileJob*>(data);
    for (int i = 0; i < 1000000; i++) {
        stop_point();
        std::ofstream(job->folder / ("file" + std::to_string(i))) << i;
        job->written++;
    }
    return 0;
}

// Starts a child that would live for a minute, waits for it like the
// storage kit does, then goes on with file work.
int32 RunChildThenWrite(void* data)
{
    auto* job = static_cast<FileJob*>(data);
    stop_point();
    pid_t child = fork();
    if (child == 0) {
        setpgid(0, 0);
        for (int i = 0; i < 600; i++)
            usleep(100000);
        _exit(0);
    }
    register_child_process(child);
    job->child = child;
    siginfo_t info;
    waitid(P_PID, child, &info, WEXITED | WNOWAIT);
    unregister_child_process(child);
    waitpid(child, nullptr, 0);
    stop_point();
    std::ofstream(job->folder / "after-child") << "x";
    job->written++;
    return 0;
}

size_t FilesIn(const std::filesystem::path& folder)
{
    size_t count = 0;
    for (auto it = std::filesystem::directory_iterator(folder); it != std::filesystem::directory_iterator(); ++it)
        count++;
    return count;
}

bool ProcessGone(pid_t pid)
{
    // Reaped by the worker, or at least no longer running.
    if (kill(pid, 0) != 0)
        return true;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    size_t close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] == 'Z';
}

} // namespace

TEST(StopPoint, NoFileChangesAfterKillReturns)
{
    ondelle::test::TempDir dir;
    FileJob job;
    job.folder = dir.Path();
    thread_id id = spawn_thread(WriteManyFiles, "file job", B_NORMAL_PRIORITY, &job);
    ASSERT_EQ(resume_thread(id), B_OK);
    while (job.written < 200)
        snooze(1000);

    ASSERT_EQ(kill_thread(id), B_OK);
    int atKill = job.written;
    size_t filesAtKill = FilesIn(dir.Path());
    snooze(100000);
    EXPECT_EQ(job.written.load(), atKill);
    EXPECT_EQ(FilesIn(dir.Path()), filesAtKill);
    EXPECT_TRUE(stop_requested() == false);
}

TEST(StopPoint, KillEndsTheRegisteredChildAndTheWorkAfterIt)
{
    ondelle::test::TempDir dir;
    FileJob job;
    job.folder = dir.Path();
    thread_id id = spawn_thread(RunChildThenWrite, "child job", B_NORMAL_PRIORITY, &job);
    ASSERT_EQ(resume_thread(id), B_OK);
    while (job.child < 0)
        snooze(1000);
    pid_t child = job.child;
    snooze(20000);
    EXPECT_FALSE(ProcessGone(child));

    bigtime_t start = system_time();
    ASSERT_EQ(kill_thread(id), B_OK);
    EXPECT_LT(system_time() - start, 1500000);
    bigtime_t end = system_time() + 2000000;
    while (!ProcessGone(child) && system_time() < end)
        snooze(1000);
    EXPECT_TRUE(ProcessGone(child));
    snooze(50000);
    EXPECT_EQ(job.written.load(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "after-child"));
}

TEST(StopPoint, SuspendStopsTheChildAndResumeContinuesIt)
{
    ondelle::test::TempDir dir;
    FileJob job;
    job.folder = dir.Path();
    thread_id id = spawn_thread(RunChildThenWrite, "stop child", B_NORMAL_PRIORITY, &job);
    ASSERT_EQ(resume_thread(id), B_OK);
    while (job.child < 0)
        snooze(1000);
    pid_t child = job.child;

    auto childState = [&] {
        std::ifstream stat("/proc/" + std::to_string(child) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        size_t close = text.rfind(')');
        return close == std::string::npos ? '?' : text[close + 2];
    };
    ASSERT_EQ(suspend_thread(id), B_OK);
    bigtime_t end = system_time() + 2000000;
    while (childState() != 'T' && system_time() < end)
        snooze(1000);
    EXPECT_EQ(childState(), 'T');

    ASSERT_EQ(resume_thread(id), B_OK);
    end = system_time() + 2000000;
    while (childState() == 'T' && system_time() < end)
        snooze(1000);
    EXPECT_NE(childState(), 'T');

    // End the child ourselves: the worker then writes its file.
    kill(child, SIGTERM);
    status_t result;
    EXPECT_EQ(wait_for_thread(id, &result), B_OK);
    EXPECT_TRUE(std::filesystem::exists(dir / "after-child"));
}

TEST(StopPoint, ThreadsNotSpawnedHereAreNeverStopped)
{
    stop_point();
    EXPECT_FALSE(stop_requested());
    register_child_process(1); // ignored: not a spawned thread
    unregister_child_process(1);
}
