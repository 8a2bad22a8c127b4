#include "WindowTestSupport.h"

#include <Alert.h>
#include <Button.h>
#include <InstallListItem.h>
#include <LibConversions.h>
#include <StringView.h>
#include <ListView.h>
#include <ReplaceAlert.h>
#include <ReplaceQuestion.h>
#include <TextView.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QScrollBar>
#include <QWidget>
#include <QtTest/QTest>

#include <atomic>
#include <future>
#include <string>
#include <thread>
#include <vector>

using namespace windowtest;

namespace {

// The shown top-level widget of the window of that title, made the active
// window so that it takes keys.
QWidget* Activate(const char* title)
{
    QWidget* found = ShownTopWidget(title);
    if (found != nullptr) {
        found->activateWindow();
        WaitFor([&] { return QApplication::activeWindow() == found; }, 2000);
    }
    return found;
}

std::string FocusName()
{
    QWidget* focus = QApplication::focusWidget();
    return focus != nullptr ? focus->objectName().toStdString() : std::string("(none)");
}

// A key as the user types it: to the widget with the keyboard focus (the
// window when none has it).
void Key(QWidget* top, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus != nullptr ? focus : top, key, modifiers);
    QCoreApplication::processEvents();
}

// The names of the widgets the focus visits on count presses of Tab (or
// Shift+Tab).
std::vector<std::string> TabChain(QWidget* top, int count, bool backwards = false)
{
    std::vector<std::string> names;
    for (int i = 0; i < count; i++) {
        Key(top, backwards ? Qt::Key_Backtab : Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
        names.push_back(FocusName());
    }
    return names;
}

// The name of the window's focus view once the window has caught up with
// the keyboard.
std::string FocusViewName(BWindow* window)
{
    std::string name;
    WaitFor([&] {
        Locked lock(window);
        BView* focus = window->CurrentFocus();
        name = focus != nullptr && focus->Name() != nullptr ? focus->Name() : "(none)";
        return name == FocusName();
    }, 2000);
    return name;
}

// Gives the named view the focus, as a click would.
void FocusOn(BWindow* window, const char* name)
{
    {
        Locked lock(window);
        BView* view = window->FindView(name);
        ASSERT_NE(view, nullptr) << name;
        view->MakeFocus(true);
    }
    EXPECT_TRUE(WaitFor([&] { return FocusName() == name; })) << FocusName();
}

using Names = std::vector<std::string>;

} // namespace

TEST(InstallerWinKeyboardTest, TabFollowsTheLayoutInEveryState)
{
    WindowFixture fixture(true);
    HoldingPresenter presenter;
    set_alert_presenter(&presenter);
    InstallerWin* window = fixture.Open();
    QWidget* top = Activate(window->Title());
    ASSERT_NE(top, nullptr);

    // The license: its text (to scroll it) and the main button.
    FocusOn(window, "button");
    EXPECT_EQ(TabChain(top, 3), (Names{"license_text", "button", "license_text"}));
    EXPECT_EQ(FocusViewName(window), "license_text");
    EXPECT_EQ(TabChain(top, 2, true), (Names{"button", "license_text"}));
    EXPECT_EQ(FocusViewName(window), "license_text");

    // The choices: top to bottom, left to right; the volume menu's field
    // takes the focus for the menu.
    Press(window);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kChoosing; }));
    FocusOn(window, "button");
    EXPECT_EQ(TabChain(top, 6), (Names{"install_type", "custom_list", "menu", "folder", "button", "install_type"}));
    EXPECT_EQ(FocusViewName(window), "install_type");
    EXPECT_EQ(TabChain(top, 2, true), (Names{"button", "folder"}));

    // Installing: the disabled folder button and volume menu are passed by.
    Press(window);
    ASSERT_TRUE(WaitFor([&] { return presenter.Held(); }, 60000));
    FocusOn(window, "button");
    EXPECT_EQ(TabChain(top, 4), (Names{"install_type", "custom_list", "button", "install_type"}));

    presenter.Release();
    EXPECT_TRUE(WaitFor([&] { return window->Configuration().Status() == 0; }, 60000));
    set_alert_presenter(nullptr);
}

TEST(InstallerWinKeyboardTest, EnterPressesTheDefaultButtonAndTheLicenseScrollsByKeys)
{
    WindowFixture fixture;
    InstallerWin* window = fixture.Open();
    QWidget* top = Activate(window->Title());
    ASSERT_NE(top, nullptr);
    {
        Locked lock(window);
        std::string text;
        for (int i = 0; i < 200; i++)
            text += "Line " + std::to_string(i) + " of the license.\n";
        Find<BTextView>(window, "license_text")->SetText(text.c_str());
    }
    FocusOn(window, "license_text");
    auto* area = qobject_cast<QAbstractScrollArea*>(QApplication::focusWidget());
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->verticalScrollBar()->value(), 0);
    Key(top, Qt::Key_PageDown);
    EXPECT_TRUE(WaitFor([&] { return area->verticalScrollBar()->value() > 0; }));

    // Enter in the license text is "Agree".
    Key(top, Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kChoosing; }));

    // Enter with the focus in the item list is "Install"; with nothing
    // selected the button cannot be pressed, by the keyboard either.
    FocusOn(window, "custom_list");
    {
        Locked lock(window);
        Find<BListView>(window, "custom_list")->DeselectAll();
    }
    ASSERT_TRUE(WaitFor([&] {
        Locked lock(window);
        return !Find<BButton>(window, "button")->IsEnabled();
    }));
    Key(top, Qt::Key_Return);
    {
        // Everything the key caused has been handled once the window's
        // queue is empty.
        EXPECT_TRUE(WaitFor([&] {
            Locked lock(window);
            return window->MessageQueue()->IsEmpty();
        }));
        EXPECT_EQ(window->CurrentState(), InstallerWin::kChoosing);
    }
    // The arrow keys select in the list, and Enter installs.
    Key(top, Qt::Key_Down);
    ASSERT_TRUE(WaitFor([&] {
        Locked lock(window);
        return Find<BButton>(window, "button")->IsEnabled();
    }));
    Key(top, Qt::Key_Return);
    EXPECT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kInstalling; }));
    EXPECT_TRUE(WaitFor([&] { return window->Configuration().Status() == 0; }, 60000));
}

TEST(InstallerWinKeyboardTest, AGroupAndSingleFilesAreChosenByKeys)
{
    WindowFixture fixture;
    InstallerWin* window = fixture.Open();
    QWidget* top = Activate(window->Title());
    ASSERT_NE(top, nullptr);
    Press(window);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kChoosing; }));
    auto* items = Find<BListView>(window, "custom_list");
    auto selected = [&] {
        Locked lock(window);
        std::string marks;
        for (int32 i = 0; i < items->CountItems(); i++)
            marks += items->IsItemSelected(i) ? '1' : '0';
        return marks;
    };
    EXPECT_EQ(selected(), "100");

    // Down in "Groups" picks "Full", which selects every file.
    FocusOn(window, "install_type");
    Key(top, Qt::Key_Down);
    EXPECT_TRUE(WaitFor([&] { return selected() == "111"; })) << selected();

    // In "Files", Ctrl+Up moves to the manual without selecting, Space
    // takes it out; the total follows.
    FocusOn(window, "custom_list");
    Key(top, Qt::Key_Up, Qt::ControlModifier);
    Key(top, Qt::Key_Space);
    EXPECT_TRUE(WaitFor([&] { return selected() == "101"; })) << selected();
    EXPECT_TRUE(WaitFor([&] {
        Locked lock(window);
        const int32 total = window->Configuration().DeinstallerSize()
            + static_cast<InstallListItem*>(items->ItemAt(0))->Size()
            + static_cast<InstallListItem*>(items->ItemAt(2))->Size();
        LibString expected;
        LibBytesToString(uint64(total), expected, 1);
        return std::string(Find<BStringView>(window, "install_size")->Text()) == static_cast<const char*>(expected);
    }));
}

TEST(InstallerWinKeyboardTest, NeitherEscapeNorCommandWClosesTheWindowOrStopsTheInstall)
{
    WindowFixture fixture(true);
    HoldingPresenter presenter;
    set_alert_presenter(&presenter);
    InstallerWin* window = fixture.Open();
    QWidget* top = Activate(window->Title());
    ASSERT_NE(top, nullptr);
    DropQuitRequests();

    Key(top, Qt::Key_Escape);
    Key(top, Qt::Key_W, Qt::ControlModifier);
    Press(window);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentState() == InstallerWin::kChoosing; }));
    Press(window);
    ASSERT_TRUE(WaitFor([&] { return presenter.Held(); }, 60000));
    FocusOn(window, "install_type");
    Key(top, Qt::Key_Escape);
    Key(top, Qt::Key_W, Qt::ControlModifier);
    EXPECT_TRUE(WaitFor([&] {
        Locked lock(window);
        return window->MessageQueue()->IsEmpty();
    }));
    EXPECT_FALSE(QuitRequestQueued());
    EXPECT_TRUE(top->isVisible());
    EXPECT_EQ(window->CurrentState(), InstallerWin::kInstalling);
    const int32 status = window->Configuration().Status();
    EXPECT_TRUE(status == B_THREAD_RUNNING || status == B_THREAD_WAITING) << status;

    // The install goes on to its end.
    presenter.Release();
    EXPECT_TRUE(WaitFor([&] { return window->Configuration().Status() == 0; }, 60000));
    EXPECT_TRUE(fs::exists(WindowFixture::PromptFolder() / "app.bin"));
    set_alert_presenter(nullptr);
}


TEST(ReplaceAlertKeyboardTest, TabEnterAndEscape)
{
    ReplaceRun run;
    QWidget* top = Activate("ReplaceAlert");
    ASSERT_NE(top, nullptr);
    // The check box, then the buttons from left to right; the sentence and
    // the facts are read, not visited.
    FocusOn(run.alert.load(), "_b1_");
    EXPECT_EQ(TabChain(top, 4), (Names{"future_collisions", "_b0_", "_b1_", "future_collisions"}));

    // Space ticks the focused check box.
    Key(top, Qt::Key_Space);
    EXPECT_TRUE(WaitFor([&] { return run.alert.load()->ApplyToAll(); }));

    // Escape does not answer: the dialog has no cancel button.
    Key(top, Qt::Key_Escape);
    EXPECT_TRUE(WaitFor([&] {
        Locked lock(run.alert.load());
        return run.alert.load()->MessageQueue()->IsEmpty();
    }));
    EXPECT_FALSE(run.Answered());
    EXPECT_TRUE(top->isVisible());

    // Enter presses the default button, "Replace", wherever the focus is.
    Key(top, Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return run.Answered(); }));
    const BAlertAnswer answer = run.answer.get();
    EXPECT_EQ(answer.button, 1);
    EXPECT_TRUE(answer.checkBox);
}

TEST(ReplaceAlertKeyboardTest, SpaceOnTheFocusedButtonAnswersIt)
{
    ReplaceRun run;
    QWidget* top = Activate("ReplaceAlert");
    ASSERT_NE(top, nullptr);
    FocusOn(run.alert.load(), "_b1_");
    EXPECT_EQ(TabChain(top, 2), (Names{"future_collisions", "_b0_"}));
    Key(top, Qt::Key_Space);
    ASSERT_TRUE(WaitFor([&] { return run.Answered(); }));
    const BAlertAnswer answer = run.answer.get();
    EXPECT_EQ(answer.button, 0);
    EXPECT_FALSE(answer.checkBox);
}
