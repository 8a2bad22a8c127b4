// The help window and its manager: requests select the entry of the view
// pointed at, the window is made once and reused, pages show, and the help
// file is found in the working folder, the temporary folder or the
// program's resource.
#include "HelpViewerFixture.h"

#include <LibAppResource.h>
#include <LibWindow.h>
#include <MessageQueue.h>

#include <QtTest/QTest>

namespace fs = std::filesystem;
using ondelle::test::WriteFileBytes;

TEST_F(HelpViewerTest, RequestOpensTheWindowOnceAndSelectsTheEntryOfTheView)
{
    InstallHelp();
    EXPECT_EQ(Manager().Window(), nullptr);

    // Only a nested entry documents this view: its parents open.
    Ask("Main", {"list", "scroll", "top"});
    HelpWindow* window = Manager().Window();
    ASSERT_NE(window, nullptr);
    EXPECT_STREQ(window->Name(), "HelpWindow");
    EXPECT_STREQ(window->Title(), "Help");
    EXPECT_FALSE(window->IsHidden());
    EXPECT_EQ(Selected(), "The list");
    EXPECT_TRUE(PaneShows("Pick items here."));
    // The five top-level entries, "The list" under "Main window", and, as
    // the selected entry opens, "Deep entry" under it.
    EXPECT_EQ(VisibleEntries(), 7);

    // The second value of a repeated VIEW counts as well, and the same
    // window answers.
    Ask("Main", {"deep", "top"});
    EXPECT_EQ(Manager().Window(), window);
    EXPECT_EQ(Selected(), "Deep entry");
    EXPECT_TRUE(PaneShows("Deep page."));
    EXPECT_EQ(VisibleEntries(), 7);
    Ask("Main", {"list2"});
    EXPECT_EQ(Selected(), "The list");
}

TEST_F(HelpViewerTest, FirstEntryForAViewWinsAndOthersLeaveTheSelection)
{
    InstallHelp();
    Ask("Main", {"ok", "top"});
    EXPECT_EQ(Selected(), "Main window");
    EXPECT_TRUE(PaneShows("The main window."));

    // An unknown view keeps what is shown; the path is matched whole and
    // with its case.
    Ask("Main", {"OK", "top"});
    Ask("Main", {"ok"});
    Ask("Other", {"ok", "top"});
    EXPECT_EQ(Selected(), "Main window");
    EXPECT_EQ(PaneText(), "The main window.");

    // An entry without a page leaves the page shown before.
    Ask("Main", {"nopage"});
    EXPECT_EQ(Selected(), "No page");
    WaitFor([] { return false; }, 100);
    EXPECT_EQ(PaneText(), "The main window.");

    // A page the file lacks empties the pane.
    Ask("Main", {"missing"});
    EXPECT_EQ(Selected(), "Missing page");
    EXPECT_TRUE(PaneShows(""));
}

TEST_F(HelpViewerTest, UnknownViewOpensTheContentsWithNothingSelected)
{
    InstallHelp();
    Ask("Main", {"nowhere"});
    ASSERT_NE(Manager().Window(), nullptr);
    EXPECT_FALSE(Manager().Window()->IsHidden());
    EXPECT_EQ(Selected(), "");
    // Top-level entries only: the nested ones wait closed.
    EXPECT_EQ(VisibleEntries(), 5);
    EXPECT_EQ(Manager().Window()->CountEntries(), 7);
}

TEST_F(HelpViewerTest, ClosingOnlyHidesAndTheNextRequestShowsTheWindowAgain)
{
    InstallHelp();
    Ask("Main", {"ok", "top"});
    HelpWindow* window = Manager().Window();
    ASSERT_NE(window, nullptr);

    ASSERT_TRUE(window->Lock());
    EXPECT_FALSE(window->QuitRequested());
    EXPECT_TRUE(window->IsHidden());
    window->Unlock();

    Ask("Main", {"deep", "top"});
    EXPECT_EQ(Manager().Window(), window);
    EXPECT_FALSE(window->IsHidden());
    EXPECT_EQ(Selected(), "Deep entry");

    // Selecting an entry in the list shows its page.
    ASSERT_TRUE(window->Lock());
    window->ContentList()->Select(0);
    window->Unlock();
    EXPECT_TRUE(PaneShows("Welcome\nto the help."));

    Manager().CloseWindow();
    EXPECT_EQ(Manager().Window(), nullptr);
    Ask("Main", {"ok", "top"});
    EXPECT_NE(Manager().Window(), nullptr);
    EXPECT_EQ(Selected(), "Main window");
}

TEST_F(HelpViewerTest, SelectingAClosedEntryOpensIt)
{
    InstallHelp();
    Ask("Main", {"ok", "top"});
    EXPECT_EQ(VisibleEntries(), 5);
    HelpWindow* window = Manager().Window();
    ASSERT_TRUE(window->Lock());
    window->HelpForSelectedContent();
    window->Unlock();
    EXPECT_EQ(VisibleEntries(), 6);
    EXPECT_EQ(Selected(), "Main window");
}

TEST_F(HelpViewerTest, OtherMessagesAreIgnored)
{
    InstallHelp();
    BMessage other('stip');
    other.AddString("window", "Main");
    Manager().MessageReceived(&other);
    Manager().MessageReceived(nullptr);
    EXPECT_EQ(Manager().Window(), nullptr);
}

TEST(HelpManagerTest, ViewPathJoinsWindowAndViewsAndSignatureKeepsTheLastPart)
{
    BMessage request(HelpManager::kHelpRequest);
    EXPECT_STREQ(HelpManager::ViewPath(request), "");
    request.AddString("window", "InstallerWin");
    EXPECT_STREQ(HelpManager::ViewPath(request), "InstallerWin");
    request.AddString("view", "custom_list");
    request.AddString("view", "bgview");
    EXPECT_STREQ(HelpManager::ViewPath(request), "InstallerWin/custom_list/bgview");

    HelpManager manager;
    manager.SetSignature("application/x-vnd.Quorvane.Vondl");
    EXPECT_STREQ(manager.Signature(), "x-vnd.Quorvane.Vondl");
    manager.SetSignature("plain");
    EXPECT_STREQ(manager.Signature(), "plain");
}

TEST_F(HelpViewerTest, TrianglesAndArrowKeysOpenAndCloseEntries)
{
    InstallHelp();
    Ask("Main", {"nowhere"});
    HelpWindow* window = Manager().Window();
    ASSERT_NE(window, nullptr);
    HelpContentList* list = window->ContentList();
    HelpContentItem* main = window->EntryAt(1);
    ASSERT_STREQ(main->Text(), "Main window");

    // A click on the triangle opens the entry without selecting it; a click
    // on the title selects it.
    ASSERT_TRUE(window->Lock());
    const BRect row = list->ItemFrame(1);
    list->MouseDown(BPoint(row.left + 3, row.top + 2));
    EXPECT_TRUE(main->IsExpanded());
    EXPECT_EQ(list->CountItems(), 6);
    EXPECT_EQ(list->CurrentSelection(), -1);
    list->MouseDown(BPoint(row.left + 3, row.top + 2));
    EXPECT_FALSE(main->IsExpanded());
    EXPECT_EQ(list->CountItems(), 5);
    window->Unlock();

    Ask("Main", {"list2"});
    EXPECT_TRUE(PaneShows("Pick items here."));
    // Left closes the selected entry, and it stays closed once the window
    // has handled the new selection messages; Left again goes to the parent.
    ASSERT_TRUE(window->Lock());
    const char left[] = {char(B_LEFT_ARROW)};
    const char right[] = {char(B_RIGHT_ARROW)};
    list->KeyDown(left, 1);
    EXPECT_FALSE(window->EntryAt(2)->IsExpanded());
    window->Unlock();
    WaitFor([] { return false; }, 200);
    EXPECT_FALSE(window->EntryAt(2)->IsExpanded());
    EXPECT_EQ(Selected(), "The list");

    ASSERT_TRUE(window->Lock());
    list->KeyDown(left, 1);
    window->Unlock();
    EXPECT_EQ(Selected(), "Main window");
    EXPECT_TRUE(PaneShows("The main window."));
    ASSERT_TRUE(window->Lock());
    list->KeyDown(left, 1);
    EXPECT_FALSE(main->IsExpanded());
    EXPECT_EQ(list->CountItems(), 5);
    list->KeyDown(right, 1);
    EXPECT_TRUE(main->IsExpanded());
    window->Unlock();
}

TEST_F(HelpViewerTest, ShiftF1OverAViewOpensHelpOnItsEntry)
{
    InstallHelp();
    auto* window = new LibWindow(BRect(100, 100, 399, 299), "Main", B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, 0);
    auto* top = new BView(window->Bounds(), "top", B_FOLLOW_ALL, 0);
    auto* ok = new BView(BRect(10, 10, 89, 34), "ok", B_FOLLOW_NONE, B_NAVIGABLE);
    top->AddChild(ok);
    window->AddChild(top);
    window->Show();

    BMessage moved(B_MOUSE_MOVED);
    moved.AddPoint("where", BPoint(5, 5));
    moved.AddInt32("be:transit", B_ENTERED_VIEW);
    window->PostMessage(&moved, ok);
    QTest::qWait(50);
    QTest::keyClick(ok->_Widget(), Qt::Key_F1, Qt::ShiftModifier);

    // The application object of a test runs no loop: the request waits in
    // its queue and is handed on as the application does.
    BMessage request;
    ASSERT_TRUE(WaitFor([&] {
        BMessageQueue* queue = be_app->MessageQueue();
        queue->Lock();
        const BMessage* found = queue->FindMessage(HelpManager::kHelpRequest, 0);
        if (found != nullptr)
            request = *found;
        queue->Unlock();
        return found != nullptr;
    }));
    Manager().MessageReceived(&request);
    EXPECT_EQ(Selected(), "Main window");
    EXPECT_TRUE(PaneShows("The main window."));

    if (window->Lock())
        window->Quit();
}
