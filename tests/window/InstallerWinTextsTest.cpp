// What the installer window says and names: its title and its alerts' titles,
// the main button at the job's end, and the destination shown before any
// folder is made.
#include "WindowTestSupport.h"

#include <Button.h>
#include <LibStringView.h>
#include <StringView.h>
#include <WindowAlertPresenter.h>

#include <QApplication>

using namespace installtest;
using namespace windowtest;

TEST(InstallerWinTextsTest, TheWindowAndItsAlertsBearTheProductsName)
{
    WindowFixture fixture;
    InstallerWin* window = fixture.Open();
    {
        Locked lock(window);
        EXPECT_STREQ(window->Title(), "Tern");
    }

    WindowAlertPresenter presenter;
    presenter.SetTitle("Tern");
    BAlertRequest notice;
    notice.text = "Installation successfully completed.";
    notice.buttons = {"OK"};
    ASSERT_EQ(presenter.Notify(notice), B_OK);
    QWidget* shown = ShownTopWidget("Tern");
    ASSERT_NE(shown, nullptr);
    EXPECT_NE(shown->objectName(), "InstallerWin");
    presenter.BeginClosing();
    EXPECT_TRUE(WaitFor([&] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->isVisible() && widget->objectName() == "alert")
                return false;
        return true;
    }));
}

TEST(InstallerWinTextsTest, AJobThatHasDoneItsWorkLeavesAQuitButtonNotAStopButton)
{
    WindowFixture fixture;
    InstallerWin* window = fixture.Open();
    Press(window);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kChoosing; }));
    Press(window);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kInstalling; }));
    ASSERT_TRUE(WaitFor([&] { return window->Configuration().Status() == 0; }, 60000));
    EXPECT_TRUE(WaitFor([&] {
        Locked lock(window);
        return std::string(Find<BStringView>(window, "instruction")->Text()) == "Installation Complete";
    }));
    Locked lock(window);
    EXPECT_EQ(window->CurrentState(), InstallerWin::kInstalling);
    EXPECT_STREQ(Find<BButton>(window, "button")->Label(), "Quit");
}

TEST(InstallerWinTextsTest, TheDefaultFolderIsShownAtOnceButMadeOnlyByTheInstall)
{
    InstallFixture fixture;
    fixture.Add("app.bin", std::string(3000, 'a'));
    fixture.Description().optDefaultFolder = "Applications";
    fixture.Load();
    const fs::path home = StandardFolder(B_USER_DIRECTORY);
    fs::create_directories(home);
    const fs::path folder = home / "Applications";
    fs::remove_all(folder);

    auto* window = new InstallerWin();
    ASSERT_TRUE(window->LoadResources(fixture.Build().c_str()));
    window->Show();
    EXPECT_FALSE(fs::exists(folder));
    {
        Locked lock(window);
        const std::string shown = Find<LibStringView>(window, "destination")->Text();
        EXPECT_EQ(shown.substr(shown.size() - 13), "/Applications") << shown;
    }
    if (window->CurrentState() == InstallerWin::kLicense)
        Press(window);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kChoosing; }));
    EXPECT_FALSE(fs::exists(folder));
    Press(window);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kInstalling; }));
    ASSERT_TRUE(WaitFor([&] { return window->Configuration().Status() == 0; }, 60000));
    EXPECT_TRUE(fs::is_directory(folder / "Tern"));
    window->Lock();
    window->Quit();
    fs::remove_all(folder);
}

TEST(InstallerWinTextsTest, TheFirstPageSaysWhoSignedTheBuild)
{
    WindowFixture fixture;
    InstallerWin* window = fixture.Open();
    const std::string text = "Signed by Tern Works (key fingerprint " + std::string(64, 'a') + ").";
    window->SetSignatureText(text.c_str(), nullptr);
    Locked lock(window);
    EXPECT_EQ(std::string(Find<BStringView>(window, "license_signature")->Text()), text);
    // It covers nothing the user reads or presses on that page.
    BView* signature = Find<BStringView>(window, "license_signature");
    for (int32 index = 0; BView* sibling = signature->Parent()->ChildAt(index); index++)
        if (sibling != signature) {
            EXPECT_FALSE(sibling->Frame().Intersects(signature->Frame())) << sibling->Name();
        }
}
