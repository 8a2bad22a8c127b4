// How the window ends a job when the program quits: a job that has done its
// work is waited for and never called stopped; a job at work is stopped, the
// stop says what it stopped and gives up the installation folder's lock;
// and a press of the main button counts only for the label the user saw.
#include "WindowTestSupport.h"

#include <Button.h>


using namespace windowtest;

namespace {

// Agrees to the license and starts the install.
void StartInstall(InstallerWin* window)
{
    Press(window);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kChoosing; }));
    Press(window);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kInstalling; }));
}

bool QuitRunning(InstallerWin* window, const char* cause)
{
    Locked lock(window);
    return window->QuitRunning(cause);
}

std::string LockPath(WindowFixture& fixture, InstallerWin* window)
{
    return InstallConfig::InstallLockPath(fixture.Destination().c_str(),
        window->Configuration().OptCreatedFolder());
}

} // namespace


TEST(QuitRaceTest, AJobHeldInItsLastQuestionIsWaitedForAndNeverCalledStopped)
{
    WindowFixture fixture;
    HoldingPresenter presenter("completion", BAlertAnswer{0, false});
    BAlertPresenterScope scope(&presenter);
    InstallerWin* window = fixture.Open();
    StartInstall(window);
    // The completion alert: every item is in place, the job still runs.
    ASSERT_TRUE(WaitFor([&] { return presenter.Held(); }, 60000));
    ASSERT_NE(window->Configuration().Status(), 0);

    // The window is closed now: nothing is stopped, the quit waits.
    EXPECT_FALSE(QuitRunning(window, "window"));
    EXPECT_FALSE(window->Configuration().ActionDone());
    presenter.Release();
    ASSERT_TRUE(WaitFor([&] { return window->Configuration().ActionDone(); }, 60000));
    // The job's end message brings the quit back; it goes through.
    EXPECT_TRUE(QuitRunning(window, "finished"));
    EXPECT_EQ(window->Configuration().Status(), 0);

    EXPECT_FALSE(presenter.Said("stopped"));
    // "Minimum", the first group, holds the program alone.
    EXPECT_TRUE(fs::exists(fixture.InstallFolder() / "app.bin"));
    EXPECT_EQ(ondelle::test::ReadFileBytes(fixture.InstallFolder() / "Log").find("stopped"), std::string::npos);
    EXPECT_FALSE(fs::exists(LockPath(fixture, window)));
}


TEST(QuitRaceTest, AStopNamesTheItemItCameAtNotesItInTheLogAndGivesUpTheLock)
{
    WindowFixture fixture(true);
    HoldingPresenter presenter;
    BAlertPresenterScope scope(&presenter);
    InstallerWin* window = fixture.Open();
    StartInstall(window);
    ASSERT_TRUE(WaitFor([&] { return presenter.Held(); }, 60000));
    ASSERT_TRUE(fs::exists(LockPath(fixture, window)));

    std::thread release([&] {
        // The held question is answered once the stop was made.
        WaitFor([&] { return !fs::exists(LockPath(fixture, window)); }, 60000);
        presenter.Release();
    });
    // Kept as far as it came, so that its log can be read.
    window->Configuration().SetKeepOnStop(true);
    EXPECT_TRUE(QuitRunning(window, "stop"));
    release.join();

    EXPECT_TRUE(presenter.Said("Installation was stopped before it could complete.\n\nIt was stopped at item 1 "
        "of 1 (app.bin); the items after it were not installed. What was installed so far was kept."));
    EXPECT_FALSE(fs::exists(LockPath(fixture, window)));
    const std::string log = ondelle::test::ReadFileBytes(fixture.InstallFolder() / "Log");
    EXPECT_NE(log.find("Installation stopped (stopped by the user): It was stopped at item 1 of 1 (app.bin)"),
        std::string::npos) << log;
}


TEST(QuitRaceTest, AStopAskedByTheSystemTellsNoUserButTheLog)
{
    WindowFixture fixture(true);
    HoldingPresenter presenter;
    BAlertPresenterScope scope(&presenter);
    InstallerWin* window = fixture.Open();
    StartInstall(window);
    ASSERT_TRUE(WaitFor([&] { return presenter.Held(); }, 60000));
    // Kept as far as it came, so that its log can be read.
    window->Configuration().SetKeepOnStop(true);

    for (const char* cause : {"signal", "window"}) {
        // The second cause finds the job stopped already: nothing to do.
        EXPECT_TRUE(QuitRunning(window, cause)) << cause;
    }
    presenter.Release();
    EXPECT_FALSE(presenter.Said("stopped"));
    const std::string log = ondelle::test::ReadFileBytes(fixture.InstallFolder() / "Log");
    EXPECT_NE(log.find("Installation stopped (the program was asked to end)"), std::string::npos) << log;
    EXPECT_EQ(log.find("the window was closed"), std::string::npos) << log;
}


TEST(QuitRaceTest, APressMadeBeforeTheButtonShowedItsLabelDoesNothing)
{
    WindowFixture fixture;
    HoldingPresenter presenter("none");
    BAlertPresenterScope scope(&presenter);
    InstallerWin* window = fixture.Open();
    BButton* button = Find<BButton>(window, "button");
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(WaitFor([&] { return button->LabelShownAt() != 0; }));
    Press(window);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kChoosing; }));

    // Pressed (as Enter twice would) at a time before "Install" was shown.
    BMessage early(InstallerWin::kMainButton);
    early.AddInt64("when", 1);
    window->PostMessage(&early);
    // Handled once it has left the queue and the window's lock is free.
    ASSERT_TRUE(WaitFor([&] {
        BMessageQueue* queue = window->MessageQueue();
        queue->Lock();
        const bool queued = queue->FindMessage(uint32(InstallerWin::kMainButton)) != nullptr;
        queue->Unlock();
        return !queued;
    }));
    {
        Locked lock(window);
    }
    EXPECT_EQ(window->CurrentState(), InstallerWin::kChoosing);

    ASSERT_TRUE(WaitFor([&] { return button->LabelShownAt() != 0; }));
    BMessage seen(InstallerWin::kMainButton);
    seen.AddInt64("when", system_time());
    window->PostMessage(&seen);
    EXPECT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kInstalling; }));
    EXPECT_TRUE(WaitFor([&] { return window->Configuration().Status() == 0; }, 60000));
}


TEST(QuitRaceTest, StopPressedRightAfterItAppearedIsTheSecondHalfOfADoublePressAndStopsNothing)
{
    WindowFixture fixture(true);
    HoldingPresenter presenter;
    BAlertPresenterScope scope(&presenter);
    InstallerWin* window = fixture.Open();
    StartInstall(window);
    ASSERT_TRUE(WaitFor([&] { return presenter.Held(); }, 60000));
    BButton* button = Find<BButton>(window, "button");
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(WaitFor([&] { return button->LabelShownAt() != 0; }));
    const bigtime_t shown = button->LabelShownAt();
    DropQuitRequests();

    // Enter pressed twice on Install: the second press comes a few
    // milliseconds after "Stop" was drawn, before anyone could read it.
    auto pressAt = [&](bigtime_t when) {
        BMessage press(InstallerWin::kMainButton);
        press.AddInt64("when", when);
        window->PostMessage(&press);
        return WaitFor([&] {
            Locked lock(window);
            return window->MessageQueue()->IsEmpty();
        });
    };
    ASSERT_TRUE(pressAt(shown + 30000));
    EXPECT_FALSE(QuitRequestQueued()) << "the second press of a double Enter stops the install";
    EXPECT_EQ(window->CurrentState(), InstallerWin::kInstalling);

    // A press made once Stop could be seen asks to stop.
    ASSERT_TRUE(pressAt(shown + InstallerWin::kStopSeenAfter));
    EXPECT_TRUE(QuitRequestQueued());
    DropQuitRequests();
    presenter.Release();
    EXPECT_TRUE(WaitFor([&] { return window->Configuration().Status() == 0; }, 60000));
}
