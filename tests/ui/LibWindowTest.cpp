#include "../platform_interface/InterfaceTestSupport.h"

#include <Application.h>
#include <LibWindow.h>
#include <MessageQueue.h>
#include <Screen.h>

#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <string>

namespace {

// The help requests waiting in the application's queue. The application
// object of a test does not run its loop, so what is posted to it stays
// there to be read.
std::vector<BMessage> HelpRequests()
{
    std::vector<BMessage> requests;
    BMessageQueue* queue = be_app->MessageQueue();
    queue->Lock();
    for (int32 i = 0; const BMessage* message = queue->FindMessage(uint32('help'), i); ++i)
        requests.push_back(*message);
    queue->Unlock();
    return requests;
}

// A window that adds the view's name to its help requests.
class InsertingWindow : public LibWindow {
public:
    InsertingWindow()
        : LibWindow(BRect(100, 100, 399, 299), "Installer", B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, 0)
    {
    }
    bool InsertHelpRequest(BView* view, BMessage& inserts) override
    {
        inserts.AddString("about", view->Name());
        return true;
    }
};

// Owns a window for one test and quits it at the end.
template <class Window>
class Scoped {
public:
    explicit Scoped(Window* window) : fWindow(window) {}
    ~Scoped()
    {
        if (fWindow->Lock())
            fWindow->Quit();
    }
    Window* operator->() const { return fWindow; }
    Window* Get() const { return fWindow; }

private:
    Window* fWindow;
};

LibWindow* MakeWindow(window_look look = B_TITLED_WINDOW_LOOK)
{
    return new LibWindow(BRect(100, 100, 499, 399), "Window", look, B_NORMAL_WINDOW_FEEL, 0);
}

std::vector<std::string> Strings(const BMessage& message, const char* field)
{
    std::vector<std::string> values;
    std::string value;
    for (int32 i = 0; message.FindString(field, i, &value) == B_OK; ++i)
        values.push_back(value);
    return values;
}

} // namespace

TEST(LibWindowTest, PlacedOnTheScreenAndAroundAnotherWindow)
{
    const BRect screen = BScreen().Frame();
    ASSERT_TRUE(screen.IsValid());
    Scoped window(MakeWindow());
    Scoped untitled(MakeWindow(B_NO_BORDER_WINDOW_LOOK));

    window->SetPosition(LibWindow::kCenter);
    BPoint expected;
    ASSERT_TRUE(LibPlacement::OnScreen(4, window->Bounds(), screen, 30, expected));
    EXPECT_EQ(window->Frame().LeftTop(), expected);

    window->SetPosition(LibWindow::kTopLeft);
    EXPECT_EQ(window->Frame().LeftTop(), BPoint(10, 30));
    untitled->SetPosition(LibWindow::kTopLeft);
    EXPECT_EQ(untitled->Frame().LeftTop(), BPoint(10, 0));

    // Right of the other window, pulled back onto the screen.
    untitled->MoveTo(screen.right - 420, 200);
    window->SetPosition(LibWindow::kMiddleRight, untitled.Get());
    EXPECT_EQ(window->Frame().left, screen.right - window->Bounds().Width() - 5);

    const BRect before = window->Frame();
    window->SetPosition(LibWindow::ScreenPosition(9));
    EXPECT_EQ(window->Frame(), before);
}

TEST(LibWindowTest, ScreenChangeKeepsTheRelativePlace)
{
    Scoped window(MakeWindow());
    const BRect screen = window->ScreenFrame();
    ASSERT_TRUE(screen.IsValid());
    window->MoveTo(100, 50);
    const BRect doubled(0, 0, screen.Width() * 2, screen.Height() * 2);
    window->ScreenChanged(doubled, B_RGB32);
    EXPECT_EQ(window->Frame().LeftTop(), BPoint(200, 100));
    EXPECT_EQ(window->ScreenFrame(), doubled);

    // The same frame again, or a screen without size, moves nothing.
    window->ScreenChanged(doubled, B_RGB32);
    window->ScreenChanged(BRect(), B_RGB32);
    EXPECT_EQ(window->Frame().LeftTop(), BPoint(200, 100));
    EXPECT_EQ(window->ScreenFrame(), doubled);
}

TEST(LibWindowTest, ScreenChangeMessagesReachTheWindow)
{
    Scoped window(MakeWindow());
    const BRect doubled(0, 0, window->ScreenFrame().Width() * 2, window->ScreenFrame().Height() * 2);
    window->Show();
    // What the kit posts when the main screen's resolution changes.
    BMessage changed(B_SCREEN_CHANGED);
    changed.AddRect("frame", doubled);
    changed.AddInt32("mode", B_RGB32);
    window->PostMessage(&changed);
    EXPECT_TRUE(WaitFor([&] {
        if (!window->Lock())
            return false;
        const bool seen = window->ScreenFrame() == doubled;
        window->Unlock();
        return seen;
    }));
}

TEST(LibWindowTest, ShowAndHideDoNotNest)
{
    Scoped window(MakeWindow());
    EXPECT_TRUE(window->IsHidden());
    window->Show();
    window->Show();
    ASSERT_TRUE(window->Lock());
    EXPECT_FALSE(window->IsHidden());
    window->Unlock();
    window->Hide();
    window->Hide();
    window->Show();
    ASSERT_TRUE(window->Lock());
    EXPECT_FALSE(window->IsHidden());
    window->Unlock();

    window->Hide();
    window->Pop();
    ASSERT_TRUE(window->Lock());
    EXPECT_FALSE(window->IsHidden());
    window->Unlock();
}

TEST(LibWindowTest, ShiftF1AsksForHelpAboutTheViewUnderTheMouse)
{
    BApplication app("application/x-vnd.Ondelle-LibWindowTest");
    Scoped window(new InsertingWindow());
    auto* box = new BView(BRect(10, 10, 209, 109), "destination_box", B_FOLLOW_NONE, 0);
    auto* button = new BView(BRect(10, 10, 89, 34), "install_button", B_FOLLOW_NONE, B_NAVIGABLE);
    box->AddChild(button);
    window->AddChild(box);
    window->Show();

    // Before the mouse moved over any view, the key sends nothing.
    QTest::keyClick(button->_Widget(), Qt::Key_F1, Qt::ShiftModifier);
    QTest::qWait(50);
    EXPECT_TRUE(HelpRequests().empty());

    BMessage moved(B_MOUSE_MOVED);
    moved.AddPoint("where", BPoint(5, 5));
    moved.AddInt32("be:transit", B_ENTERED_VIEW);
    window->PostMessage(&moved, button);
    // F1 without Shift is not a help key.
    QTest::keyClick(button->_Widget(), Qt::Key_F1);
    QTest::keyClick(button->_Widget(), Qt::Key_F1, Qt::ShiftModifier);
    ASSERT_TRUE(WaitFor([&] { return !HelpRequests().empty(); }));
    QTest::qWait(50);
    const auto requests = HelpRequests();
    ASSERT_EQ(requests.size(), 1u);
    const BMessage& request = requests[0];
    EXPECT_EQ(Strings(request, "window"), std::vector<std::string>{"Installer"});
    EXPECT_EQ(Strings(request, "view"), (std::vector<std::string>{"install_button", "destination_box"}));
    BMessage inserts;
    ASSERT_EQ(request.FindMessage("inserts", &inserts), B_OK);
    EXPECT_EQ(Strings(inserts, "about"), std::vector<std::string>{"install_button"});

    // A view that was removed is forgotten.
    ASSERT_TRUE(window->Lock());
    box->RemoveChild(button);
    delete button;
    EXPECT_EQ(window->LastMouseMovedView(), nullptr);
    window->Unlock();
}

TEST(LibWindowTest, HelpRequestNamesTheWindowByItsNameNotItsTitle)
{
    // Help files name windows by name; the title may be a product's.
    BApplication app("application/x-vnd.Ondelle-LibWindowTest");
    Scoped window(new InsertingWindow());
    window->SetName("InstallerWin");
    auto* button = new BView(BRect(10, 10, 89, 34), "install_button", B_FOLLOW_NONE, B_NAVIGABLE);
    window->AddChild(button);
    window->Show();

    BMessage moved(B_MOUSE_MOVED);
    moved.AddPoint("where", BPoint(5, 5));
    moved.AddInt32("be:transit", B_ENTERED_VIEW);
    window->PostMessage(&moved, button);
    QTest::qWait(50);
    QTest::keyClick(button->_Widget(), Qt::Key_F1, Qt::ShiftModifier);
    ASSERT_TRUE(WaitFor([&] { return !HelpRequests().empty(); }));
    const auto requests = HelpRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(Strings(requests[0], "window"), std::vector<std::string>{"InstallerWin"});
    EXPECT_STREQ(window->Title(), "Installer");
}
