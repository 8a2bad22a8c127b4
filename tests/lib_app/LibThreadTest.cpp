#include <LibThread.h>

#include <Looper.h>
#include <Message.h>
#include <Messenger.h>
#include <StopPoint.h>

#include <TestSupport.h>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <vector>

namespace {

// A looper that keeps copies of the messages it gets.
class Inbox : public BLooper {
public:
    Inbox() : BLooper("inbox") {}
    void MessageReceived(BMessage* message) override
    {
        std::lock_guard lock(fMutex);
        fMessages.push_back(*message);
        fChanged.notify_all();
    }
    bool WaitFor(size_t count, bigtime_t timeout = 5000000)
    {
        std::unique_lock lock(fMutex);
        return fChanged.wait_for(lock, std::chrono::microseconds(timeout),
            [&] { return fMessages.size() >= count; });
    }
    std::vector<BMessage> Messages()
    {
        std::lock_guard lock(fMutex);
        return fMessages;
    }

private:
    std::mutex fMutex;
    std::condition_variable fChanged;
    std::vector<BMessage> fMessages;
};

struct InboxHolder {
    Inbox* inbox = new Inbox();
    InboxHolder() { inbox->Run(); }
    ~InboxHolder()
    {
        inbox->Lock();
        inbox->Quit();
    }
    BMessenger* NewMessenger() { return new BMessenger(nullptr, inbox); }
};

class FixedResult : public LibThread {
public:
    explicit FixedResult(int32 result) : fResult(result) {}
    int32 Action() override
    {
        ran++;
        return fResult;
    }
    std::atomic<int> ran{0};

private:
    int32 fResult;
};

// Works in steps until told to stop, each step after a stop point, and
// writes a file per step when given a folder.
class Stepper : public LibThread {
public:
    int32 Action() override
    {
        while (!stop) {
            stop_point();
            if (!folder.empty())
                std::ofstream(folder / ("step" + std::to_string(steps.load()))) << "x";
            steps++;
            snooze(100);
        }
        return 3;
    }
    std::atomic<bool> stop{false};
    std::atomic<int> steps{0};
    std::filesystem::path folder;
};

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

} // namespace

TEST(LibThread, EndMessageCarriesNameAndStatusOnce)
{
    InboxHolder holder;
    FixedResult job(7);
    ASSERT_EQ(job.Go("worker seven", holder.NewMessenger(), B_NORMAL_PRIORITY, false), B_OK);
    ASSERT_TRUE(holder.inbox->WaitFor(1));
    snooze(20000);
    std::vector<BMessage> messages = holder.inbox->Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].what, uint32('LThC'));
    EXPECT_STREQ(messages[0].GetString("name", ""), "worker seven");
    EXPECT_EQ(messages[0].GetInt32("status", -1), 7);
    EXPECT_EQ(job.ran.load(), 1);

    // The same object can run again once its thread has ended.
    ASSERT_TRUE(WaitUntil([&] { return job.Status() == 0; }));
    ASSERT_EQ(job.Go("second run", holder.NewMessenger(), B_LOW_PRIORITY, true), B_OK);
    ASSERT_TRUE(holder.inbox->WaitFor(2));
    EXPECT_STREQ(holder.inbox->Messages()[1].GetString("name", ""), "second run");
    EXPECT_EQ(job.ran.load(), 2);
}

TEST(LibThread, WithoutMessengerNothingIsSentAndWaitingBlocksUntilTheEnd)
{
    InboxHolder holder;
    FixedResult job(5);
    ASSERT_EQ(job.Go("silent", nullptr, B_NORMAL_PRIORITY, true), B_OK);
    EXPECT_EQ(job.ran.load(), 1);
    snooze(20000);
    EXPECT_TRUE(holder.inbox->Messages().empty());
    EXPECT_EQ(job.Status(), 0);
    EXPECT_EQ(job.StartAction(), 5); // directly, in this thread
}

TEST(LibThread, StatusSuspendResumeAndPriority)
{
    InboxHolder holder;
    Stepper job;
    EXPECT_EQ(job.Status(), 0);
    ASSERT_EQ(job.Go("stepper", holder.NewMessenger(), B_NORMAL_PRIORITY, false), B_OK);
    ASSERT_TRUE(WaitUntil([&] { return job.steps > 10; }));
    // Busy while running: a second start is refused.
    EXPECT_EQ(job.Go("again", holder.NewMessenger(), B_NORMAL_PRIORITY, false), B_BUSY);

    thread_info info;
    ASSERT_EQ(get_thread_info(job.Thread(), &info), B_OK);
    EXPECT_EQ(info.priority, B_NORMAL_PRIORITY);
    job.SetPriority(B_DISPLAY_PRIORITY);
    ASSERT_EQ(get_thread_info(job.Thread(), &info), B_OK);
    EXPECT_EQ(info.priority, B_DISPLAY_PRIORITY);

    job.Suspend();
    EXPECT_EQ(job.Status(), B_THREAD_SUSPENDED);
    snooze(10000);
    int held = job.steps;
    snooze(30000);
    EXPECT_LE(job.steps - held, 1);
    job.Resume();
    EXPECT_TRUE(WaitUntil([&] { return job.steps > held + 10; }));
    EXPECT_NE(job.Status(), B_THREAD_SUSPENDED);

    job.stop = true;
    ASSERT_TRUE(holder.inbox->WaitFor(1));
    EXPECT_EQ(holder.inbox->Messages()[0].GetInt32("status", -1), 3);
}

TEST(LibThread, KilledJobStopsItsFileWorkAndSendsNothing)
{
    InboxHolder holder;
    ondelle::test::TempDir dir;
    Stepper job;
    job.folder = dir.Path();
    ASSERT_EQ(job.Go("install", holder.NewMessenger(), B_NORMAL_PRIORITY, false), B_OK);
    ASSERT_TRUE(WaitUntil([&] { return job.steps > 20; }));

    job.Kill();
    int atKill = job.steps;
    auto files = [&] {
        return std::distance(std::filesystem::directory_iterator(dir.Path()),
            std::filesystem::directory_iterator());
    };
    long filesAtKill = files();
    snooze(50000);
    job.stop = true;
    snooze(50000);
    EXPECT_EQ(job.steps.load(), atKill);
    EXPECT_EQ(files(), filesAtKill);
    EXPECT_TRUE(holder.inbox->Messages().empty());
    EXPECT_EQ(job.Status(), 0);

    // A killed object can start a new job.
    job.stop = true;
    ASSERT_EQ(job.Go("install", holder.NewMessenger(), B_NORMAL_PRIORITY, false), B_OK);
    ASSERT_TRUE(holder.inbox->WaitFor(1));
}

TEST(LibThread, DestroyingTheObjectEndsItsThread)
{
    auto* job = new Stepper();
    std::atomic<int>* steps = &job->steps;
    ASSERT_EQ(job->Go("doomed", nullptr, B_NORMAL_PRIORITY, false), B_OK);
    ASSERT_TRUE(WaitUntil([&] { return *steps > 5; }));
    thread_id thread = job->Thread();
    // Read the count before the object goes; the thread must not touch it.
    delete job;
    thread_info info;
    EXPECT_EQ(get_thread_info(thread, &info), B_BAD_THREAD_ID);
}

TEST(LibThread, StateTexts)
{
    EXPECT_STREQ(LibThread::StateText(1), "Running\n");
    EXPECT_STREQ(LibThread::StateText(2), "Ready\n");
    EXPECT_STREQ(LibThread::StateText(3), "Receiving\n");
    EXPECT_STREQ(LibThread::StateText(4), "Asleep\n");
    EXPECT_STREQ(LibThread::StateText(5), "Suspended\n");
    EXPECT_STREQ(LibThread::StateText(6), "Waiting\n");
    EXPECT_STREQ(LibThread::StateText(0), "Unknown\n");
    EXPECT_STREQ(LibThread::StateText(7), "Unknown\n");

    FixedResult idle(0);
    testing::internal::CaptureStderr();
    idle.PrintToStream();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Unknown\n");
}
