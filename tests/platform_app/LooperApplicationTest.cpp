#include "LooperTestSupport.h"

#include <Application.h>
#include <MessagePump.h>
#include <Messenger.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <fstream>
#include <set>
#include <thread>

using namespace looper_test;

namespace {

class TestApp : public BApplication {
public:
    explicit TestApp(Log& log) : BApplication("application/x-vnd.Test-Loops"), fLog(log) {}

    void ReadyToRun() override
    {
        readyCount++;
        launchingInReady = IsLaunching();
        fLog.Add(CurrentMessage());
    }
    void ArgvReceived(int32 argc, char** argv) override
    {
        for (int32 i = 0; i < argc; i++)
            arguments.emplace_back(argv[i]);
        fLog.Add(CurrentMessage());
    }
    void Pulse() override
    {
        if (++pulses == quitAfterPulses)
            PostMessage(B_QUIT_REQUESTED);
    }
    void MessageReceived(BMessage* message) override
    {
        fLog.Add(message);
        if (message->what == 'quit')
            Quit();
    }
    bool QuitRequested() override
    {
        quitRequests++;
        return BApplication::QuitRequested();
    }

    int readyCount = 0;
    bool launchingInReady = false;
    std::vector<std::string> arguments;
    std::atomic<int> pulses{0};
    int quitAfterPulses = -1;
    int quitRequests = 0;

private:
    Log& fLog;
};

// A window-like looper that quits with the application.
class WindowLooper : public RecordingLooper {
public:
    WindowLooper(Log& log, std::atomic<bool>* deleted) : RecordingLooper(log, deleted)
    {
        SetQuitWithApplication(true);
    }
    bool QuitRequested() override
    {
        sawAppQuitting = be_app != nullptr && be_app->IsQuitting();
        return allowQuit;
    }
    bool sawAppQuitting = false;
};

// A stand-in for a toolkit's event loop: one thread that dispatches every
// looper handed to it when woken.
class EventLoopPump : public BMessagePump {
public:
    thread_id Start(BLooper* looper) override
    {
        std::lock_guard lock(fMutex);
        fLive.insert(looper);
        return fThread;
    }
    void Run(BLooper* app) override
    {
        std::unique_lock lock(fMutex);
        fThread = find_thread(nullptr);
        fLive.insert(app);
        fApp = app;
        while (!fQuit) {
            if (fWoken.empty()) {
                fChanged.wait(lock);
                continue;
            }
            BLooper* looper = fWoken.front();
            fWoken.pop_front();
            if (fLive.count(looper) == 0)
                continue;
            lock.unlock();
            dispatchThreads.insert(find_thread(nullptr));
            looper->DispatchPendingMessages();
            lock.lock();
        }
    }
    void MessagesWaiting(BLooper* looper) override
    {
        std::lock_guard lock(fMutex);
        fWoken.push_back(looper);
        fChanged.notify_all();
    }
    void Stopped(BLooper* looper) override
    {
        std::lock_guard lock(fMutex);
        fLive.erase(looper);
        stopped.push_back(looper);
        if (looper == fApp)
            fQuit = true;
    }
    void SetThread(thread_id thread) { fThread = thread; }

    std::set<thread_id> dispatchThreads;
    std::vector<BLooper*> stopped;

private:
    std::mutex fMutex;
    std::condition_variable fChanged;
    std::deque<BLooper*> fWoken;
    std::set<BLooper*> fLive;
    BLooper* fApp = nullptr;
    thread_id fThread = -1;
    bool fQuit = false;
};

std::vector<std::string> OwnCommandLine()
{
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    std::vector<std::string> arguments;
    std::string argument;
    while (std::getline(file, argument, '\0'))
        arguments.push_back(argument);
    return arguments;
}

} // namespace

TEST(LooperApplication, RunDeliversArgumentsReadyToRunPulsesAndQuits)
{
    Log log;
    {
        TestApp app(log);
        ASSERT_EQ(app.InitCheck(), B_OK);
        EXPECT_EQ(be_app, &app);
        EXPECT_TRUE(be_app_messenger.IsValid());
        EXPECT_TRUE(app.IsLaunching());
        app.PostMessage('frst');
        app.SetPulseRate(5000);
        app.quitAfterPulses = 3;
        app.Run();

        EXPECT_EQ(app.readyCount, 1);
        EXPECT_TRUE(app.launchingInReady);
        EXPECT_FALSE(app.IsLaunching());
        EXPECT_TRUE(app.IsQuitting());
        EXPECT_GE(app.pulses.load(), 3);
        EXPECT_EQ(app.quitRequests, 1);

        std::vector<std::string> own = OwnCommandLine();
        std::lock_guard lock(log.mutex);
        ASSERT_GE(log.whats.size(), 2u);
        EXPECT_EQ(log.whats.front(), uint32('frst'));
        EXPECT_EQ(log.whats.back(), uint32(B_READY_TO_RUN));
        if (own.size() > 1) {
            EXPECT_EQ(app.arguments, own);
            EXPECT_EQ(log.whats[1], uint32(B_ARGV_RECEIVED));
        } else {
            EXPECT_TRUE(app.arguments.empty());
        }
    }
    EXPECT_EQ(be_app, nullptr);
    EXPECT_FALSE(be_app_messenger.IsValid());
}

TEST(LooperApplication, WindowsAreAskedThenMadeToQuitWithTheApplication)
{
    Log log, windowLog;
    std::atomic<bool> windowDeleted{false}, otherDeleted{false};
    {
        TestApp app(log);
        app.SetPulseRate(0);
        // Asked first, agrees: it goes with the first request.
        auto* other = new WindowLooper(windowLog, &otherDeleted);
        other->Run();
        auto* window = new WindowLooper(windowLog, &windowDeleted);
        window->allowQuit = false;
        window->Run();

        auto sawPing = [&] {
            std::lock_guard lock(log.mutex);
            return std::find(log.whats.begin(), log.whats.end(), uint32('ping')) != log.whats.end();
        };
        std::thread sender([&] {
            // Refused by the window: the application goes on.
            be_app_messenger.SendMessage(B_QUIT_REQUESTED);
            be_app_messenger.SendMessage('ping');
            ASSERT_TRUE(WaitUntil(sawPing));
            EXPECT_TRUE(window->sawAppQuitting);
            EXPECT_TRUE(otherDeleted);
            EXPECT_FALSE(windowDeleted);
            window->allowQuit = true;
            be_app_messenger.SendMessage(B_QUIT_REQUESTED);
        });
        app.Run();
        sender.join();
        EXPECT_TRUE(windowDeleted);
        EXPECT_EQ(app.quitRequests, 2);
    }

    // Windows still open when the application is deleted are made to quit.
    std::atomic<bool> lateDeleted{false};
    {
        TestApp app(log);
        auto* window = new WindowLooper(windowLog, &lateDeleted);
        window->allowQuit = false;
        window->Run();
        app.PostMessage('quit');
        app.Run();
        EXPECT_FALSE(lateDeleted);
    }
    EXPECT_TRUE(lateDeleted);
}

TEST(LooperApplication, MessengerBySignatureAndOnlyOneApplication)
{
    Log log;
    TestApp app(log);
    status_t result;
    BMessenger bySignature("Application/X-VND.test-loops", -1, &result);
    EXPECT_EQ(result, B_OK);
    EXPECT_TRUE(bySignature.IsValid());
    EXPECT_EQ(bySignature, be_app_messenger);
    BMessenger other("application/x-vnd.Someone-Else", -1, &result);
    EXPECT_EQ(result, B_BAD_TEAM_ID);
    EXPECT_FALSE(other.IsValid());
    EXPECT_EQ(other.SendMessage('nope'), B_BAD_PORT_ID);
    BMessenger("application/x-vnd.Test-Loops", 1, &result);
    EXPECT_EQ(result, B_BAD_TEAM_ID);

    status_t second;
    {
        BApplication another("application/x-vnd.Another", &second);
        EXPECT_EQ(second, B_ALREADY_RUNNING);
        EXPECT_EQ(be_app, &app);
    }
    EXPECT_EQ(be_app, &app);
    BApplication bad("text/plain", &second);
    EXPECT_EQ(second, B_ALREADY_RUNNING);
}

TEST(LooperApplication, BadSignatureIsReported)
{
    status_t status;
    BApplication app("x-vnd.NoPrefix", &status);
    EXPECT_EQ(status, B_BAD_VALUE);
    EXPECT_EQ(app.InitCheck(), B_BAD_VALUE);
}

TEST(LooperApplication, AnotherEventLoopCanDriveTheApplicationAndItsLoopers)
{
    Log log, windowLog;
    std::atomic<bool> windowDeleted{false};
    EventLoopPump pump;
    pump.SetThread(find_thread(nullptr));
    {
        TestApp app(log);
        app.SetPulseRate(0);
        app.SetMessagePump(&pump);
        auto* window = new WindowLooper(windowLog, &windowDeleted);
        window->SetMessagePump(&pump);
        window->PostMessage('erly'); // before Run: must still arrive
        EXPECT_EQ(window->Run(), find_thread(nullptr));

        std::thread sender([&] {
            BMessenger toWindow(nullptr, window);
            for (int i = 0; i < 100; i++) {
                BMessage message('item');
                message.AddInt32("sender", 0);
                message.AddInt32("seq", i);
                toWindow.SendMessage(&message);
            }
            ASSERT_TRUE(windowLog.WaitFor(101));
            be_app_messenger.SendMessage(B_QUIT_REQUESTED);
        });
        app.Run();
        sender.join();

        EXPECT_TRUE(windowDeleted);
        EXPECT_EQ(pump.dispatchThreads, std::set<thread_id>{find_thread(nullptr)});
        ASSERT_EQ(pump.stopped.size(), 2u);
        EXPECT_EQ(pump.stopped.back(), &app);
        std::lock_guard lock(windowLog.mutex);
        ASSERT_EQ(windowLog.whats.size(), 101u);
        EXPECT_EQ(windowLog.whats[0], uint32('erly'));
        for (int i = 0; i < 100; i++)
            EXPECT_EQ(windowLog.entries[size_t(i) + 1].second, i);
        for (thread_id t : windowLog.threads)
            EXPECT_EQ(t, find_thread(nullptr));
    }
}
