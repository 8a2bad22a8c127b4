#include "InterfaceTestSupport.h"

#include <Button.h>
#include <ListView.h>
#include <Menu.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <MessageQueue.h>
#include <Picture.h>
#include <PictureButton.h>
#include <StringItem.h>

#include <memory>
#include <TextView.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

namespace {

// A window that counts the requests to close it and stays.
class CountingWindow : public BWindow {
public:
    CountingWindow() : BWindow(BRect(100, 100, 399, 299), "Counting", B_TITLED_WINDOW, 0) {}
    bool QuitRequested() override
    {
        fRequests++;
        return false;
    }
    int Requests() const { return fRequests; }

private:
    std::atomic<int> fRequests{0};
};

std::string FocusName()
{
    QWidget* focus = QApplication::focusWidget();
    return focus != nullptr ? focus->objectName().toStdString() : std::string("(none)");
}

std::vector<std::string> TabChain(QWidget* top, int count)
{
    std::vector<std::string> names;
    for (int i = 0; i < count; i++) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus != nullptr ? focus : top, Qt::Key_Tab);
        QCoreApplication::processEvents();
        names.push_back(FocusName());
    }
    return names;
}

void Activate(QWidget* top)
{
    top->activateWindow();
    WaitFor([&] { return QApplication::activeWindow() == top; }, 2000);
}

} // namespace

TEST(KeyboardFocusTest, CommandWClosesUntilItsShortcutIsRemoved)
{
    auto* window = new CountingWindow();
    window->Show();
    QTest::keyClick(window->_Widget(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_TRUE(WaitFor([&] { return window->Requests() == 1; }));

    ASSERT_TRUE(window->Lock());
    window->RemoveShortcut('w', B_COMMAND_KEY);
    window->Unlock();
    QTest::keyClick(window->_Widget(), Qt::Key_W, Qt::ControlModifier);
    // A request that comes is handled by the time the queue is empty.
    EXPECT_TRUE(WaitFor([&] {
        window->Lock();
        const bool empty = window->MessageQueue()->IsEmpty();
        window->Unlock();
        return empty;
    }));
    QCoreApplication::processEvents();
    EXPECT_EQ(window->Requests(), 1);
    ASSERT_TRUE(window->Lock());
    window->Quit();
}

TEST(KeyboardFocusTest, TabVisitsNavigableEnabledViewsAndTheWindowFollows)
{
    TestWindow window;
    auto* list = new BListView(BRect(10, 10, 109, 109), "list", B_SINGLE_SELECTION_LIST,
        B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
    BStringItem item("one");
    list->AddItem(&item);
    window->AddChild(list);
    // Neither navigable nor a control: never visited.
    window->AddChild(new BView(BRect(120, 10, 140, 30), "plain", B_FOLLOW_NONE, B_WILL_DRAW));
    auto* menu = new BMenu("choices");
    menu->AddItem(new BMenuItem("First", new BMessage('frst')));
    auto* field = new BMenuField(BRect(120, 40, 280, 60), "field", "Pick", menu);
    window->AddChild(field);
    BPicture picture;
    auto* picture_button = new BPictureButton(BRect(10, 120, 33, 143), "picture", &picture, &picture,
        new BMessage('pict'));
    window->AddChild(picture_button);
    auto* text = new BTextView(BRect(40, 120, 140, 180), "text", BRect(0, 0, 100, 60), B_FOLLOW_NONE, B_WILL_DRAW);
    // Read-only: Tab moves on instead of typing a tab.
    text->MakeEditable(false);
    window->AddChild(text);
    window->AddChild(new BButton(BRect(200, 150, 280, 175), "ok", "OK", new BMessage('ok  ')));
    window.Show();
    QWidget* top = window->_Widget();
    Activate(top);

    ASSERT_TRUE(window->Lock());
    list->MakeFocus(true);
    window->Unlock();
    EXPECT_TRUE(WaitFor([] { return FocusName() == "list"; }));
    EXPECT_EQ(TabChain(top, 5), (std::vector<std::string>{"field", "picture", "text", "ok", "list"}));

    // The window's focus view is the one Qt gave the focus to by Tab.
    EXPECT_EQ(TabChain(top, 1), (std::vector<std::string>{"field"}));
    EXPECT_TRUE(WaitFor([&] {
        window->Lock();
        const bool follows = window->CurrentFocus() == field && field->IsFocus() && !list->IsFocus();
        window->Unlock();
        return follows;
    }));

    // Disabled, the menu field and the picture button are passed by; a
    // text that can be neither edited nor selected is passed by too.
    ASSERT_TRUE(window->Lock());
    field->SetEnabled(false);
    picture_button->SetEnabled(false);
    text->MakeSelectable(false);
    list->MakeFocus(true);
    window->Unlock();
    EXPECT_TRUE(WaitFor([] { return FocusName() == "list"; }));
    EXPECT_EQ(TabChain(top, 2), (std::vector<std::string>{"ok", "list"}));

    // Enabled again, they are visited again; a navigable read-only text is.
    ASSERT_TRUE(window->Lock());
    field->SetEnabled(true);
    picture_button->SetEnabled(true);
    text->SetFlags(text->Flags() | B_NAVIGABLE);
    text->MakeSelectable(false);
    window->Unlock();
    EXPECT_EQ(TabChain(top, 4), (std::vector<std::string>{"field", "picture", "text", "ok"}));

    ASSERT_TRUE(window->Lock());
    list->RemoveItem(&item);
    window->Unlock();
}

namespace {

void PostKey(BWindow* window, BView* view, char byte, uint32 modifiers = 0)
{
    BMessage key(B_KEY_DOWN);
    const char bytes[2] = {byte, '\0'};
    key.AddString("bytes", bytes);
    key.AddInt32("modifiers", int32(modifiers));
    window->PostMessage(&key, view);
}

std::string Selected(BWindow* window, BListView* list)
{
    std::string selected;
    window->Lock();
    for (int32 i = 0; i < list->CountItems(); i++)
        selected += list->IsItemSelected(i) ? '1' : '0';
    window->Unlock();
    return selected;
}

} // namespace

TEST(KeyboardFocusTest, TheKeyboardTakesSingleEntriesInAndOutOfAMultipleSelection)
{
    TestWindow window;
    auto* recorder = new RecordingView();
    window->AddChild(recorder);
    auto* list = new BListView(BRect(10, 10, 109, 109), "files", B_MULTIPLE_SELECTION_LIST,
        B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
    std::vector<std::unique_ptr<BStringItem>> items;
    for (int i = 0; i < 4; i++) {
        items.push_back(std::make_unique<BStringItem>(("Entry " + std::to_string(i)).c_str()));
        list->AddItem(items.back().get());
    }
    window->AddChild(list);
    list->SetTarget(recorder);
    list->SetSelectionMessage(new BMessage('sel '));
    list->Select(0);
    window.Show();

    // The arrows select one entry, Shift extends.
    PostKey(window.Get(), list, B_DOWN_ARROW);
    PostKey(window.Get(), list, B_DOWN_ARROW, B_SHIFT_KEY);
    EXPECT_TRUE(WaitFor([&] { return Selected(window.Get(), list) == "0110"; })) << Selected(window.Get(), list);
    const size_t messages = recorder->Count();

    // Ctrl moves only the keyboard's entry; Space takes it in or out.
    PostKey(window.Get(), list, B_DOWN_ARROW, B_COMMAND_KEY);
    PostKey(window.Get(), list, B_SPACE);
    EXPECT_TRUE(WaitFor([&] { return Selected(window.Get(), list) == "0111"; })) << Selected(window.Get(), list);
    PostKey(window.Get(), list, B_UP_ARROW, B_COMMAND_KEY);
    PostKey(window.Get(), list, B_UP_ARROW, B_COMMAND_KEY);
    PostKey(window.Get(), list, B_SPACE, B_COMMAND_KEY);
    EXPECT_TRUE(WaitFor([&] { return Selected(window.Get(), list) == "0011"; })) << Selected(window.Get(), list);
    // Each change told the target.
    EXPECT_TRUE(WaitFor([&] { return recorder->Count() == messages + 2; })) << recorder->Count();

    // A plain arrow selects from the keyboard's entry on.
    PostKey(window.Get(), list, B_UP_ARROW);
    EXPECT_TRUE(WaitFor([&] { return Selected(window.Get(), list) == "1000"; })) << Selected(window.Get(), list);

    ASSERT_TRUE(window->Lock());
    list->MakeEmpty();
    window->Unlock();
}
