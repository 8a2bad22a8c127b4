// A build started with a display opens its window: with ONDELLE_REPORT_SHOWN
// set the program says "shown" once the window is painted and ends there,
// which is what the start-up benchmark times.
#include "../install/InstallTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace installtest;

namespace {

struct ShownRun {
    int status = -1;
    std::string out;
};

// Runs the build on the offscreen platform with the report asked for; the
// child is killed by an alarm should it never show its window.
ShownRun RunShown(const fs::path& build)
{
    ShownRun run;
    int pipes[2];
    if (::pipe(pipes) != 0)
        return run;
    const std::string program = build.string();
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipes[1], STDOUT_FILENO);
        ::close(pipes[0]);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("ONDELLE_REPORT_SHOWN", "1", 1);
        ::alarm(60);
        ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipes[1]);
    char buffer[256];
    ssize_t count;
    while (child > 0 && (count = ::read(pipes[0], buffer, sizeof buffer)) > 0)
        run.out.append(buffer, size_t(count));
    ::close(pipes[0]);
    int status = 0;
    if (child > 0 && ::waitpid(child, &status, 0) == child)
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

} // namespace

TEST(StartupReportTest, BuildWithDisplayReportsItsWindowShown)
{
    InstallFixture fixture;
    fixture.Add("app.bin", "program");
    fixture.Load();
    const ShownRun run = RunShown(fixture.Build());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "shown\n");
}
