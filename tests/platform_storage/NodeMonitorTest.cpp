// Mount notifications reach a looper.
#include <Looper.h>
#include <Message.h>
#include <NodeMonitor.h>
#include <VolumeRoster.h>
#include <fs_info.h>

#include <gtest/gtest.h>

#include "TestSupport.h"

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <sys/mount.h>
#include <vector>

namespace fs = std::filesystem;
using ondelle::test::TempDir;

namespace {

class Recorder : public BLooper {
public:
    Recorder() : BLooper("mount recorder") {}

    void MessageReceived(BMessage* message) override
    {
        if (message->what != B_NODE_MONITOR) {
            BLooper::MessageReceived(message);
            return;
        }
        int32 opcode = 0, device = 0;
        message->FindInt32("opcode", &opcode);
        message->FindInt32(opcode == B_DEVICE_MOUNTED ? "new device" : "device", &device);
        std::lock_guard<std::mutex> lock(fLock);
        fEvents.emplace_back(opcode, device);
        fChanged.notify_all();
    }

    bool WaitFor(int32 opcode, int32 device)
    {
        std::unique_lock<std::mutex> lock(fLock);
        return fChanged.wait_for(lock, std::chrono::seconds(10), [&] {
            for (const auto& event : fEvents) {
                if (event.first == opcode && event.second == device)
                    return true;
            }
            return false;
        });
    }

private:
    std::mutex fLock;
    std::condition_variable fChanged;
    std::vector<std::pair<int32, int32>> fEvents;
};

} // namespace

TEST(NodeMonitorTest, MountAndUnmountAreReported)
{
    TempDir dir;
    const fs::path point = dir / "mnt";
    fs::create_directory(point);

    Recorder* recorder = new Recorder;
    recorder->Run();
    BMessenger target(recorder);
    BVolumeRoster roster;
    ASSERT_EQ(roster.StartWatching(target), B_OK);
    EXPECT_EQ(roster.Messenger(), target);

    if (::mount("none", point.c_str(), "ramfs", 0, nullptr) != 0) {
        roster.StopWatching();
        recorder->Lock();
        recorder->Quit();
        GTEST_SKIP() << "cannot mount a ramfs here (needs CAP_SYS_ADMIN)";
    }
    const int32 device = int32(dev_for_path(point.c_str()));
    EXPECT_TRUE(recorder->WaitFor(B_DEVICE_MOUNTED, device));
    ::umount2(point.c_str(), MNT_DETACH);
    EXPECT_TRUE(recorder->WaitFor(B_DEVICE_UNMOUNTED, device));

    roster.StopWatching();
    EXPECT_EQ(stop_watching(target), B_BAD_VALUE);
    recorder->Lock();
    recorder->Quit();
}

TEST(NodeMonitorTest, OnlyMountWatchingIsOffered)
{
    Recorder* recorder = new Recorder;
    recorder->Run();
    BMessenger target(recorder);
    node_ref node;
    EXPECT_EQ(watch_node(&node, B_WATCH_DIRECTORY, target), B_UNSUPPORTED);
    EXPECT_EQ(watch_node(nullptr, B_WATCH_MOUNT, BMessenger()), B_BAD_VALUE);
    EXPECT_EQ(watch_node(nullptr, 0x1000, target), B_BAD_VALUE);
    EXPECT_EQ(watch_node(nullptr, B_WATCH_MOUNT, target), B_OK);
    EXPECT_EQ(watch_node(nullptr, B_STOP_WATCHING, target), B_OK);
    recorder->Lock();
    recorder->Quit();
}
