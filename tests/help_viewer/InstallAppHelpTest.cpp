// The installer's application hands Shift+F1 requests to its help manager:
// the installer's own help file opens on the entry of the view, and quitting
// takes the help window away.
#include "../platform_interface/InterfaceTestSupport.h"

#include <HelpContentItem.h>
#include <HelpContentList.h>
#include <HelpManager.h>
#include <HelpWindow.h>
#include <InstallApp.h>
#include <TestSupport.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

TEST(InstallAppHelpTest, HelpRequestsOpenTheInstallersHelpOnTheViewsEntry)
{
    ondelle::test::TempDir dir;
    // The build carries the installer's help, as "-help FILE" stores it: the
    // help window reads only its program's own help.
    const fs::path build = dir / "build";
    ondelle::test::WriteFileBytes(build, "");
    HelpManager storing;
    storing.SetProgramPath(build.c_str());
    ASSERT_TRUE(storing.AddHelpFile((fs::path(ONDELLE_SOURCE_DIR) / "app/help/x-vnd.Quorvane.Vondl.help").c_str()));
    {
        InstallApp app(build.string());
        BMessage request('help');
        request.AddString("window", "InstallerWin");
        for (const char* view : {"custom_list", "custom_scroll_view", "install_box", "bgview"})
            request.AddString("view", view);
        app.MessageReceived(&request);
        HelpWindow* window = app.Help().Window();
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(window->Lock());
        auto* item = dynamic_cast<HelpContentItem*>(
            window->ContentList()->ItemAt(window->ContentList()->CurrentSelection()));
        ASSERT_NE(item, nullptr);
        EXPECT_STREQ(item->Text(), "Files");
        window->Unlock();

        EXPECT_TRUE(app.QuitRequested());
        EXPECT_EQ(app.Help().Window(), nullptr);
    }
}
