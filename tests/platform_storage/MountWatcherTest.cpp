// The mount watcher's thread: it sleeps until the mount table changes, and
// a stop ends it before the stop returns.
#include <Looper.h>
#include <Message.h>
#include <MountWatcher.h>

#include <gtest/gtest.h>

#include "TestSupport.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/mount.h>
#include <thread>

namespace fs = std::filesystem;
using BPrivate::MountWatcher;
using ondelle::test::TempDir;

namespace {

// Threads of this process that carry the watcher's name.
int WatcherThreads()
{
    int count = 0;
    for (const auto& task : fs::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        std::getline(comm, name);
        if (name == MountWatcher::kThreadName)
            count++;
    }
    return count;
}

bool WaitUntil(const std::function<bool()>& condition)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// A looper to be the target; quit at the end of the test.
class Target {
public:
    Target() : fLooper(new BLooper("mount target")) { fLooper->Run(); }
    ~Target()
    {
        fLooper->Lock();
        fLooper->Quit();
    }
    BMessenger Messenger() const { return BMessenger(fLooper); }

private:
    BLooper* fLooper;
};

} // namespace

TEST(MountWatcherTest, TheThreadEndsWhenTheLastTargetGoesAndWithTheWatcher)
{
    const int before = WatcherThreads();
    Target first, second;
    {
        MountWatcher watcher;
        ASSERT_EQ(watcher.Add(first.Messenger()), B_OK);
        ASSERT_EQ(watcher.Add(second.Messenger()), B_OK);
        EXPECT_TRUE(watcher.IsRunning());
        // The thread names itself once it runs.
        EXPECT_TRUE(WaitUntil([&] { return WatcherThreads() == before + 1; }));

        // One target left: still watching.
        EXPECT_EQ(watcher.Remove(first.Messenger()), B_OK);
        EXPECT_TRUE(watcher.IsRunning());
        EXPECT_EQ(watcher.Remove(first.Messenger()), B_BAD_VALUE);
        // The last one: the thread has been joined when Remove returns, not
        // left behind (Linux may list an ended thread a moment longer).
        EXPECT_EQ(watcher.Remove(second.Messenger()), B_OK);
        EXPECT_FALSE(watcher.IsRunning());
        EXPECT_TRUE(WaitUntil([&] { return WatcherThreads() == before; }));

        // Started again, and ended by the watcher's end with a target left.
        ASSERT_EQ(watcher.Add(first.Messenger()), B_OK);
        EXPECT_TRUE(WaitUntil([&] { return WatcherThreads() == before + 1; }));
    }
    EXPECT_TRUE(WaitUntil([&] { return WatcherThreads() == before; }));
}

TEST(MountWatcherTest, TheTableIsReadOnlyWhenItChanges)
{
    Target target;
    MountWatcher watcher;
    ASSERT_EQ(watcher.Add(target.Messenger()), B_OK);
    EXPECT_EQ(watcher.Readings(), 1u);
    // An unchanged table wakes nothing: a watcher that polled at a fixed
    // rate (a quarter of a second) would have read it again six times over
    // this time. Other programs (tests beside this one) may mount and
    // unmount something meanwhile, each a real change: at most one such
    // pair is allowed for.
    const std::string tableBefore = ondelle::test::ReadFileBytes("/proc/self/mountinfo");
    std::this_thread::sleep_for(std::chrono::milliseconds(1600));
    const size_t readings = watcher.Readings();
    if (ondelle::test::ReadFileBytes("/proc/self/mountinfo") == tableBefore) {
        EXPECT_LE(readings, 3u);
    }

    TempDir dir;
    const fs::path point = dir / "mnt";
    fs::create_directory(point);
    if (::mount("none", point.c_str(), "ramfs", 0, nullptr) != 0)
        GTEST_SKIP() << "cannot mount a ramfs here (needs CAP_SYS_ADMIN)";
    EXPECT_TRUE(WaitUntil([&] { return watcher.Readings() >= 2; }));
    ::umount2(point.c_str(), MNT_DETACH);
    EXPECT_TRUE(WaitUntil([&] { return watcher.Readings() >= 3; }));
    EXPECT_EQ(watcher.Remove(target.Messenger()), B_OK);
}
