#include "WindowTestSupport.h"

#include <Application.h>
#include <Entry.h>
#include <LibConversions.h>
#include <MessageQueue.h>
#include <Box.h>
#include <Button.h>
#include <CheckBox.h>
#include <InstallListItem.h>
#include <InstallerWin.h>
#include <LibListView.h>
#include <LibPictureButton.h>
#include <LibFilePanel.h>
#include <LibStringView.h>
#include <ListView.h>
#include <ReplaceAlert.h>
#include <StringView.h>
#include <WindowAlertPresenter.h>

#include <FindDirectory.h>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QTimer>
#include <QPushButton>
#include <QWidget>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <thread>

using namespace installtest;
using namespace windowtest;

namespace {

// The application the window posts to; its loop does not run, so what is
// posted to it stays in its queue for the tests to read.
class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override { fApplication = std::make_unique<BApplication>("application/x-vnd.Ondelle-WindowTest"); }
    void TearDown() override { fApplication.reset(); }

private:
    std::unique_ptr<BApplication> fApplication;
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);


// Takes the first tool-tip request the window posted to the application,
// waiting for it a while; null when none came.
std::unique_ptr<BMessage> TakeTipRequest(int milliseconds = 5000)
{
    std::unique_ptr<BMessage> taken;
    WaitFor([&] {
        BMessageQueue* queue = be_app->MessageQueue();
        queue->Lock();
        if (BMessage* found = queue->FindMessage(uint32('stip'))) {
            queue->RemoveMessage(found);
            taken.reset(found);
        }
        queue->Unlock();
        return taken != nullptr;
    }, milliseconds);
    return taken;
}

} // namespace

TEST(InstallerWinTest, EveryNamedViewAtItsFrame)
{
    WindowFixture fixture;
    InstallerWin* window = fixture.Open();
    ASSERT_TRUE(window->Lock());
    EXPECT_EQ(window->Bounds(), BRect(0, 0, 455, 257));
    EXPECT_STREQ(window->Name(), "InstallerWin");
    EXPECT_EQ(window->FindView("bgview")->Frame(), window->Bounds());
    EXPECT_EQ(window->FindView("InstallImage")->Frame(), BRect(10, 16, 160, 216));
    EXPECT_EQ(window->FindView("license_box")->Frame(), BRect(165, 10, 445, 216));
    EXPECT_EQ(window->FindView("install_box")->Frame(), BRect(165, 10, 445, 216));
    EXPECT_EQ(window->FindView("install_type_label")->Frame(), BRect(10, 15, 70, 30));
    // Lists sit in their scroll views, at the frames given in the box.
    auto inBox = [&](const char* name) {
        BView* view = window->FindView(name);
        BRect frame = view->Frame();
        frame.OffsetBy(view->Parent()->Frame().LeftTop());
        return frame;
    };
    EXPECT_EQ(inBox("install_type"), BRect(10, 33, 80, 140));
    EXPECT_EQ(window->FindView("file_label")->Frame(), BRect(110, 15, 160, 30));
    EXPECT_EQ(inBox("custom_list"), BRect(110, 33, 263, 140));
    EXPECT_EQ(window->FindView("inst_box")->Frame(), BRect(10, 225, 350, 250));
    EXPECT_EQ(window->FindView("instruction")->Frame(), BRect(10, 6, 240, 21));
    // The default button grows by 3 on every side, as the platform's does.
    const BRect button = window->FindView("button")->Frame();
    EXPECT_EQ(button.LeftTop(), BPoint(357, 220));
    EXPECT_FLOAT_EQ(button.Width(), 86);
    for (const char* name : {"license_text", "license_view", "install_type_scroll", "custom_scroll_view",
             "install_size", "volume", "folder", "volume_size", "destination"})
        EXPECT_NE(window->FindView(name), nullptr) << name;
    EXPECT_EQ(window->DefaultButton(), Find<BButton>(window, "button"));
    EXPECT_STREQ(Find<BStringView>(window, "instruction")->Text(), "Read license and select Agree button");
    window->Unlock();
}

TEST(InstallerWinTest, GroupsSelectTheirItemsAndTheTotalFollows)
{
    WindowFixture fixture;
    InstallerWin* window = fixture.Open();
    ASSERT_TRUE(window->Lock());
    auto* types = Find<BListView>(window, "install_type");
    auto* items = Find<BListView>(window, "custom_list");
    auto* size = Find<BStringView>(window, "install_size");
    ASSERT_EQ(types->CountItems(), 2);
    ASSERT_EQ(items->CountItems(), 3);
    // "Minimum" first: only app.bin, plus the deinstaller's size.
    EXPECT_TRUE(items->IsItemSelected(0));
    EXPECT_FALSE(items->IsItemSelected(1));
    const int32 deinstaller = window->Configuration().DeinstallerSize();
    const int32 appSize = static_cast<InstallListItem*>(items->ItemAt(0))->Size();
    LibString expected;
    LibBytesToString(uint64(appSize + deinstaller), expected, 1);
    EXPECT_STREQ(size->Text(), static_cast<const char*>(expected));

    types->Select(1);
    window->Unlock();
    ASSERT_TRUE(WaitFor([&] {
        Locked lock(window);
        return items->IsItemSelected(2);
    }));
    ASSERT_TRUE(window->Lock());
    EXPECT_TRUE(items->IsItemSelected(1));
    int32 total = deinstaller;
    for (int32 i = 0; i < 3; i++)
        total += static_cast<InstallListItem*>(items->ItemAt(i))->Size();
    LibBytesToString(uint64(total), expected, 1);
    EXPECT_STREQ(size->Text(), static_cast<const char*>(expected));

    // Nothing selected: the main button cannot be pressed.
    items->DeselectAll();
    window->Unlock();
    EXPECT_TRUE(WaitFor([&] {
        Locked lock(window);
        return !Find<BButton>(window, "button")->IsEnabled();
    }));
    ASSERT_TRUE(window->Lock());
    items->Select(1);
    window->Unlock();
    EXPECT_TRUE(WaitFor([&] {
        Locked lock(window);
        return Find<BButton>(window, "button")->IsEnabled();
    }));
}

TEST(InstallerWinTest, AgreeInstallStatusLinesAndTheEnd)
{
    WindowFixture fixture;
    InstallerWin* window = fixture.Open();
    EXPECT_EQ(window->CurrentState(), InstallerWin::kLicense);
    Press(window);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kChoosing; }));
    {
        Locked lock(window);
        EXPECT_TRUE(window->FindView("license_box")->IsHidden());
        EXPECT_FALSE(window->FindView("install_box")->IsHidden());
        EXPECT_STREQ(Find<BButton>(window, "button")->Label(), "Install");
        EXPECT_STREQ(Find<BStringView>(window, "instruction")->Text(),
            "Select destination folder and press Install");
    }

    Press(window);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kInstalling; }));
    // The end of a completed job asks the application to quit; the test's
    // application does not run its loop, so the request stays queued.
    ASSERT_TRUE(WaitFor([&] { return window->Configuration().Status() == 0; }, 60000));
    EXPECT_TRUE(WaitFor(QuitRequestQueued));
    EXPECT_TRUE(fs::exists(fixture.InstallFolder() / "app.bin"));
    EXPECT_FALSE(fs::exists(fixture.InstallFolder() / "manual.txt"));
    Locked lock(window);
    EXPECT_STRNE(Find<BStringView>(window, "instruction")->Text(), "Select destination folder and press Install");
}

TEST(InstallerWinTest, PromptCollisionAnsweredForAllInTheReplaceAlert)
{
    WindowFixture fixture(true);
    WindowAlertPresenter presenter;
    set_alert_presenter(&presenter);
    InstallerWin* window = fixture.Open();
    Press(window);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kChoosing; }));
    {
        // Every item.
        Locked lock(window);
        Find<BListView>(window, "install_type")->Select(1);
    }
    ASSERT_TRUE(WaitFor([&] {
        Locked lock(window);
        return Find<BListView>(window, "custom_list")->IsItemSelected(2);
    }));
    Press(window);

    // The first collision: tick "Apply to all future collisions", replace.
    ASSERT_TRUE(WaitFor([&] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->isVisible() && widget->windowTitle() == "ReplaceAlert")
                return true;
        return false;
    }, 60000));
    // Tick the check box and press "Replace", as the user does.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->windowTitle() == "ReplaceAlert") {
            QCheckBox* box = widget->findChild<QCheckBox*>();
            ASSERT_NE(box, nullptr);
            box->click();
            for (QPushButton* button : widget->findChildren<QPushButton*>())
                if (button->text() == "Replace")
                    button->click();
        }
    }
    // The job's closing notice comes as a dialog of its own: answer it with
    // its default button from the event loop that the dialog runs.
    int closed = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&closed] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QDialog*>(widget);
            if (dialog == nullptr || !dialog->isVisible() || dialog->windowTitle() == "ReplaceAlert")
                continue;
            const auto buttons = dialog->findChildren<QPushButton*>();
            if (!buttons.isEmpty()) {
                buttons.last()->click();
                closed++;
            }
        }
    });
    closer.start(100);
    ASSERT_TRUE(WaitFor([&] { return window->Configuration().Status() == 0; }, 60000));
    EXPECT_TRUE(WaitFor(QuitRequestQueued));
    closer.stop();
    set_alert_presenter(nullptr);

    // Asked once; every entry was replaced.
    for (const char* leaf : {"app.bin", "manual.txt", "extra.dat"})
        EXPECT_NE(ondelle::test::ReadFileBytes(WindowFixture::PromptFolder() / leaf), "old") << leaf;
}

TEST(InstallerWinTest, FailedRequirementKeepsTheChoiceAndEveryInstallRewritesTheMarks)
{
    WindowFixture fixture(false, true);
    InstallerWin* window = fixture.Open();
    Press(window);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kChoosing; }));
    auto* items = Find<BListView>(window, "custom_list");
    {
        Locked lock(window);
        Find<BListView>(window, "install_type")->Select(1);
    }
    ASSERT_TRUE(WaitFor([&] {
        Locked lock(window);
        return items->IsItemSelected(2);
    }));
    {
        Locked lock(window);
        items->Deselect(1);
    }
    // The job tells the user of the failed requirement, then ends.
    auto installAndWaitForFailure = [&] {
        const size_t asked = fixture.Presenter().Questions().size();
        Press(window);
        EXPECT_TRUE(WaitFor([&] { return fixture.Presenter().Questions().size() > asked; }, 60000));
        EXPECT_TRUE(WaitFor([&] {
            return window->CurrentState() == InstallerWin::kChoosing && window->Configuration().Status() == 0;
        }, 60000));
    };
    installAndWaitForFailure();
    {
        Locked lock(window);
        EXPECT_TRUE(items->IsItemSelected(0));
        EXPECT_FALSE(items->IsItemSelected(1));
        EXPECT_TRUE(items->IsItemSelected(2));
        EXPECT_STREQ(Find<BButton>(window, "button")->Label(), "Install");
        EXPECT_TRUE(Find<BControl>(window, "folder")->IsEnabled());
        EXPECT_FALSE(fs::exists(fixture.InstallFolder()));
        const std::vector<bool> marks{true, false, true};
        for (int32 i = 0; i < 3; i++)
            EXPECT_EQ(window->Configuration().ItemAt(i).IsSelected(), marks[size_t(i)]) << i;
        items->Deselect(2);
        items->Select(1, true);
    }
    installAndWaitForFailure();
    Locked lock(window);
    const std::vector<bool> marks{true, true, false};
    for (int32 i = 0; i < 3; i++)
        EXPECT_EQ(window->Configuration().ItemAt(i).IsSelected(), marks[size_t(i)]) << i;
}


TEST(InstallerWinTest, TheStopButtonAsksWhetherToKeepWhatIsInstalled)
{
    WindowFixture fixture(true);
    // The job waits in its replace question; the stop question is answered
    // with its first button, "Keep Installed Part".
    HoldingPresenter presenter;
    set_alert_presenter(&presenter);
    InstallerWin* window = fixture.Open();
    Press(window);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kChoosing; }));
    Press(window);
    ASSERT_TRUE(WaitFor([&] { return presenter.Held(); }, 60000));
    ASSERT_FALSE(window->Configuration().KeepOnStop());
    Press(window);
    EXPECT_TRUE(WaitFor([&] { return presenter.Said("Stop the installation?"); }, 10000));
    EXPECT_TRUE(WaitFor([&] { return window->Configuration().KeepOnStop(); }, 10000));

    QuitRunningWhileHeld(window, presenter);
    EXPECT_TRUE(WaitFor([&] { return window->Configuration().Status() == 0; }, 10000));
    EXPECT_TRUE(presenter.Said("What was installed so far was kept."));
    set_alert_presenter(nullptr);
    EXPECT_TRUE(fs::exists(fixture.InstallFolder() / "Log"));
}


TEST(InstallerWinTest, StoppingARunningInstallKillsTheJobAndTellsTheUser)
{
    WindowFixture fixture(true);
    HoldingPresenter presenter;
    set_alert_presenter(&presenter);
    InstallerWin* window = fixture.Open();
    Press(window);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kChoosing; }));
    Press(window);
    ASSERT_TRUE(WaitFor([&] { return presenter.Held(); }, 60000));

    // What the application does when it quits: stop the job, tell the user.
    QuitRunningWhileHeld(window, presenter);
    EXPECT_TRUE(WaitFor([&] { return window->Configuration().Status() == 0; }, 10000));
    // The notice names the item the stop came at.
    const std::vector<std::string> texts = presenter.Texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Installation was stopped before it could complete.\n\n"
        "It was stopped at item 1 of 1 (app.bin); the items after it were not installed. Everything it had "
        "changed was taken back."), texts.end());
    set_alert_presenter(nullptr);

    // The job ended at its stop point and was taken back: the held item
    // and the others are as they were.
    for (const char* leaf : {"manual.txt", "extra.dat"})
        EXPECT_EQ(ondelle::test::ReadFileBytes(WindowFixture::PromptFolder() / leaf), "old") << leaf;
}


TEST(InstallerWinTest, HoveringAGroupAsksForItsDescriptionAsATip)
{
    WindowFixture fixture;
    InstallerWin* window = fixture.Open();
    {
        Locked lock(window);
        ASSERT_NE(Find<LibListView>(window, "install_type"), nullptr);
    }
    while (TakeTipRequest(0) != nullptr) {
    }

    BMessage hover(InstallerWin::kShowGroupDescription);
    hover.AddInt32("item", 1);
    window->PostMessage(&hover);
    std::unique_ptr<BMessage> tip = TakeTipRequest();
    ASSERT_NE(tip, nullptr);
    EXPECT_TRUE(tip->GetBool("show", false));
    EXPECT_STREQ(tip->GetString("tip", ""), "Everything");
    // Ten characters: shown for three seconds, 160 wide, right of the list.
    EXPECT_EQ(tip->GetInt16("edelay", -1), 3);
    EXPECT_EQ(tip->GetInt16("sdelay", -1), 0);
    EXPECT_EQ(tip->GetInt32("width", 0), 160);
    BPoint where;
    ASSERT_EQ(tip->FindPoint("loc", &where), B_OK);
    {
        Locked lock(window);
        BPoint listRight(Find<LibListView>(window, "install_type")->Frame().RightTop());
        window->ConvertToScreen(&listRight);
        EXPECT_GT(where.x, listRight.x);
    }

    // An entry past the end asks for nothing; leaving the list hides the
    // tip, so the next request is the hiding one.
    hover.ReplaceInt32("item", 7);
    window->PostMessage(&hover);
    hover.ReplaceInt32("item", -1);
    window->PostMessage(&hover);
    tip = TakeTipRequest();
    ASSERT_NE(tip, nullptr);
    EXPECT_TRUE(tip->HasBool("show"));
    EXPECT_FALSE(tip->GetBool("show", true));
    EXPECT_FALSE(tip->HasString("tip"));
}


TEST(InstallerWinTest, FolderButtonOpensTheFolderPanelAndOffersATip)
{
    WindowFixture fixture;
    InstallerWin* window = fixture.Open();
    LibPictureButton* folder = nullptr;
    {
        Locked lock(window);
        folder = Find<LibPictureButton>(window, "folder");
        ASSERT_NE(folder, nullptr);
        EXPECT_STREQ(folder->TipText(), "Change destination folder");
        EXPECT_EQ(folder->Frame().Width(), 23);
        EXPECT_EQ(folder->Frame().Height(), 23);
        EXPECT_EQ(window->FolderPanel(), nullptr);
        folder->Invoke();
    }
    EXPECT_TRUE(WaitFor([&] {
        Locked lock(window);
        return window->FolderPanel() != nullptr && window->FolderPanel()->IsShowing();
    }));
    Locked lock(window);
    window->FolderPanel()->Hide();
}


TEST(InstallerWinTest, TheFolderPanelRefusingAFolderThatHoldsTheInstallationFolderKeepsTheOldOne)
{
    WindowFixture fixture;
    InstallerWin* window = fixture.Open();
    Press(window);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kChoosing; }));
    const entry_ref before = window->Configuration().Destination();
    std::string shownBefore;
    {
        Locked lock(window);
        shownBefore = Find<LibStringView>(window, "destination")->Text();
    }
    // The path is shortened at its start when it does not fit.
    auto endsWith = [](const std::string& text, const std::string& end) {
        return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
    };
    EXPECT_TRUE(endsWith(shownBefore, "/dest")) << shownBefore;

    // A folder that already holds a folder of the installation's name.
    const fs::path taken = fixture.Root() / "taken";
    fs::create_directories(taken / fixture.Description().optCreatedFolder);
    window->PostMessage(InstallerWin::kOpenFolderPanel);
    ASSERT_TRUE(WaitFor([&] {
        Locked lock(window);
        return window->FolderPanel() != nullptr && window->FolderPanel()->IsShowing();
    }));
    LibFilePanel* panel = window->FolderPanel();

    // "Cancel": the old destination stays, in the configuration and on
    // screen, and the panel stays open for another choice.
    const size_t asked = fixture.Presenter().Questions().size();
    fixture.Presenter().Script(0);
    panel->_Chosen({taken.string()});
    ASSERT_TRUE(WaitFor([&] { return fixture.Presenter().Questions().size() > asked; }));
    const BAlertRequest question = fixture.Presenter().Questions().back();
    EXPECT_EQ(question.text, "The folder '" + fixture.Description().optCreatedFolder
        + "' already exists in the destination folder.\nDo you wish to replace?");
    EXPECT_EQ(question.buttons, (std::vector<std::string>{"Cancel", "Replace"}));
    // The choice is taken over while the question is asked, and given back.
    EXPECT_TRUE(WaitFor([&] {
        Locked lock(window);
        return window->Configuration().Destination() == before;
    }));
    {
        Locked lock(window);
        EXPECT_EQ(window->Configuration().Destination(), before);
        EXPECT_EQ(std::string(Find<LibStringView>(window, "destination")->Text()), shownBefore);
        EXPECT_TRUE(panel->IsShowing());
    }

    // "Replace": the folder becomes the destination and the panel closes.
    fixture.Presenter().Script(1);
    panel->_Chosen({taken.string()});
    ASSERT_TRUE(WaitFor([&] {
        Locked lock(window);
        return !panel->IsShowing();
    }));
    Locked lock(window);
    entry_ref chosen;
    ASSERT_EQ(get_ref_for_path(taken.c_str(), &chosen), B_OK);
    EXPECT_EQ(window->Configuration().Destination(), chosen);
    EXPECT_TRUE(endsWith(Find<LibStringView>(window, "destination")->Text(), "/taken"));
    EXPECT_EQ(fixture.Presenter().UnexpectedCount(), 0);
}
