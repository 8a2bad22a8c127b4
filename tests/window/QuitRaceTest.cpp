// How the window ends a job when the program quits: a job that has done its
// work is waited for and never called stopped; a job at work is stopped, the
// stop says what it stopped and gives up the installation folder's lock;
// and a press of the main button counts only for the label the user saw.
#include "WindowTestSupport.h"

#include <Button.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>

using namespace windowtest;

namespace {

// Holds the first question of the given kind until released, answers every
// other one at once with its first button, and keeps every text.
class QuestionHolder : public BAlertPresenter {
public:
    explicit QuestionHolder(std::string kind) : fKind(std::move(kind)) {}
    // The job's thread answered its last question under the lock; taking
    // it here orders that before the holder's end.
    ~QuestionHolder() override { std::lock_guard lock(fMutex); }

    BAlertAnswer Ask(const BAlertRequest& request) override
    {
        std::unique_lock lock(fMutex);
        fTexts.push_back(request.text);
        if (request.kind == fKind && !fHeld) {
            fHeld = true;
            fChanged.notify_all();
            fChanged.wait(lock, [this] { return fReleased; });
        }
        return BAlertAnswer{0, false};
    }
    status_t Notify(const BAlertRequest& request) override
    {
        std::lock_guard lock(fMutex);
        fTexts.push_back(request.text);
        return B_OK;
    }
    bool Held()
    {
        std::lock_guard lock(fMutex);
        return fHeld;
    }
    void Release()
    {
        std::lock_guard lock(fMutex);
        fReleased = true;
        fChanged.notify_all();
    }
    bool Said(const std::string& part)
    {
        std::lock_guard lock(fMutex);
        return std::any_of(fTexts.begin(), fTexts.end(),
            [&](const std::string& text) { return text.find(part) != std::string::npos; });
    }

private:
    std::string fKind;
    std::mutex fMutex;
    std::condition_variable fChanged;
    bool fHeld = false;
    bool fReleased = false;
    std::vector<std::string> fTexts;
};

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
    QuestionHolder presenter("completion");
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
    QuestionHolder presenter("replace");
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
    EXPECT_TRUE(QuitRunning(window, "stop"));
    release.join();

    EXPECT_TRUE(presenter.Said("Installation was stopped before it could complete.\n\nIt was stopped at item 1 "
        "of 1 (app.bin); the items after it were not installed."));
    EXPECT_FALSE(fs::exists(LockPath(fixture, window)));
    const std::string log = ondelle::test::ReadFileBytes(fixture.InstallFolder() / "Log");
    EXPECT_NE(log.find("Installation stopped (stopped by the user): It was stopped at item 1 of 1 (app.bin)"),
        std::string::npos) << log;
}


TEST(QuitRaceTest, AStopAskedByTheSystemTellsNoUserButTheLog)
{
    WindowFixture fixture(true);
    QuestionHolder presenter("replace");
    BAlertPresenterScope scope(&presenter);
    InstallerWin* window = fixture.Open();
    StartInstall(window);
    ASSERT_TRUE(WaitFor([&] { return presenter.Held(); }, 60000));

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
    QuestionHolder presenter("none");
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
