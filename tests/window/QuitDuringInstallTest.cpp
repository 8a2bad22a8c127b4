#include "WindowTestSupport.h"

#include <QApplication>
#include <QWidget>

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

using namespace windowtest;

namespace {

// The threads of this process: name, state letter and CPU ticks used.
struct ThreadState {
    std::string id;
    std::string name;
    char state = '?';
    long ticks = 0;
};

std::vector<ThreadState> Threads()
{
    std::vector<ThreadState> threads;
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(tasks)) {
            if (entry->d_name[0] == '.')
                continue;
            const std::string folder = std::string("/proc/self/task/") + entry->d_name;
            ThreadState thread;
            thread.id = entry->d_name;
            std::ifstream comm(folder + "/comm");
            std::getline(comm, thread.name);
            std::ifstream stat(folder + "/stat");
            std::string line;
            std::getline(stat, line);
            const size_t close = line.rfind(')');
            if (close != std::string::npos) {
                // state ppid pgrp session tty tpgid flags minflt cminflt
                // majflt cmajflt utime stime
                std::istringstream rest(line.substr(close + 1));
                std::string skip;
                long user = 0;
                long system = 0;
                rest >> thread.state;
                for (int i = 0; i < 10; i++)
                    rest >> skip;
                rest >> user >> system;
                thread.ticks = user + system;
            }
            threads.push_back(thread);
        }
        closedir(tasks);
    }
    return threads;
}

std::string Names(const std::vector<ThreadState>& threads)
{
    std::string names;
    for (const ThreadState& thread : threads)
        names += thread.name + " ";
    return names;
}

int Count(const std::vector<ThreadState>& threads, const std::string& name)
{
    return int(std::count_if(threads.begin(), threads.end(), [&](const ThreadState& t) { return t.name == name; }));
}

// The processes whose parent is this process.
int ChildCount()
{
    const std::string self = std::to_string(getpid());
    int count = 0;
    DIR* all = opendir("/proc");
    if (all == nullptr)
        return -1;
    while (dirent* entry = readdir(all)) {
        if (!std::all_of(entry->d_name, entry->d_name + std::strlen(entry->d_name), ::isdigit))
            continue;
        std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
        std::string line;
        std::getline(stat, line);
        // pid (comm) state ppid ...: the command may hold spaces.
        const size_t close = line.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream rest(line.substr(close + 1));
        std::string state;
        std::string parent;
        rest >> state >> parent;
        count += parent == self;
    }
    closedir(all);
    return count;
}

} // namespace

TEST(QuitDuringInstallTest, ClosingTheWindowStopsTheJobAndLeavesNoThreadOrProcess)
{
    WindowFixture fixture(true);
    HoldingPresenter presenter;
    set_alert_presenter(&presenter);
    InstallerWin* window = fixture.Open();
    Press(window);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kChoosing; }));
    // Threads that start once and stay (Qt's own) are up by now.
    QCoreApplication::processEvents();
    const std::vector<ThreadState> before = Threads();
    const int childrenBefore = ChildCount();
    DropQuitRequests();

    Press(window);
    ASSERT_TRUE(WaitFor([&] { return presenter.Held(); }, 60000));
    EXPECT_GT(Count(Threads(), "install"), Count(before, "install"));

    // The close box: the window asks the application to quit, and nothing
    // else; it stays until the application has stopped the job.
    QWidget* top = ShownTopWidget(window->Title());
    ASSERT_NE(top, nullptr);
    top->close();
    EXPECT_TRUE(WaitFor(QuitRequestQueued));
    EXPECT_TRUE(top->isVisible());
    EXPECT_TRUE(presenter.Texts().empty());

    // What the application does on quitting: stop the job, then close the
    // window. The job is held in a question; it stops at the answer. The
    // user closed the window: no notice waits for an answer. (Kept as far
    // as it came, so that its log can be read.)
    window->Configuration().SetKeepOnStop(true);
    QuitRunningWhileHeld(window, presenter, "window");
    EXPECT_TRUE(presenter.Texts().empty());
    EXPECT_NE(ondelle::test::ReadFileBytes(fixture.InstallFolder() / "Log").find(
        "Installation stopped (the window was closed): It was stopped at item 1 of 1 (app.bin)"), std::string::npos);
    EXPECT_TRUE(WaitFor([&] { return window->Configuration().Status() == 0; }, 10000));
    // A killed thread cannot be taken out of a running process: it parks
    // for good at its stop point and goes when the program ends, which the
    // application does next. It sleeps and uses no more time; every other
    // thread of the job has gone.
    // Threads started since the install began: only the job's own thread
    // may stay, parked (sleeping).
    auto started = [&] {
        std::vector<ThreadState> fresh;
        for (const ThreadState& thread : Threads()) {
            if (std::none_of(before.begin(), before.end(),
                    [&](const ThreadState& earlier) { return earlier.id == thread.id; }))
                fresh.push_back(thread);
        }
        return fresh;
    };
    std::string job;
    EXPECT_TRUE(WaitFor([&] {
        const std::vector<ThreadState> fresh = started();
        if (fresh.size() != 1 || fresh[0].name != "install" || fresh[0].state != 'S')
            return false;
        job = fresh[0].id;
        return true;
    }, 10000)) << Names(started());
    ASSERT_FALSE(job.empty());
    auto parked = [&] {
        for (const ThreadState& thread : Threads()) {
            if (thread.id == job) {
                EXPECT_EQ(thread.state, 'S');
                return thread.ticks;
            }
        }
        ADD_FAILURE() << "the job's thread is gone";
        return 0L;
    };
    const long ticks = parked();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(parked(), ticks);
    EXPECT_EQ(ChildCount(), childrenBefore);

    // Nothing of the held item or the ones after it was replaced.
    for (const char* leaf : {"manual.txt", "extra.dat"})
        EXPECT_EQ(ondelle::test::ReadFileBytes(WindowFixture::PromptFolder() / leaf), "old") << leaf;
    set_alert_presenter(nullptr);
}

TEST(QuitDuringInstallTest, AReplaceQuestionClosedWithTheProgramKeepsTheExistingEntry)
{
    // The program ends while the question is up: the dialog goes without
    // an answer, and the asking job is told "Don't Replace" instead of
    // failing in its wait.
    ReplaceRun run;
    ReplaceAlert* alert = run.alert.load();
    ASSERT_NE(alert, nullptr);
    // Quit from a thread of its own, as the ending program's teardown does,
    // while this thread goes on dispatching the window's messages.
    std::thread closer([alert] {
        if (alert->Lock())
            alert->Quit();
    });
    const bool answered = WaitFor([&] { return run.Answered(); });
    closer.join();
    ASSERT_TRUE(answered);
    BAlertAnswer answer;
    EXPECT_NO_THROW(answer = run.answer.get());
    EXPECT_EQ(answer.button, 0);
    EXPECT_FALSE(answer.checkBox);
}
