#include "InterfaceTestSupport.h"

#include <Box.h>
#include <Button.h>
#include <CheckBox.h>
#include <ListView.h>
#include <ScrollBar.h>
#include <ScrollView.h>
#include <StringItem.h>
#include <TextView.h>

#include <QCheckBox>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace {

std::vector<int32> Indices(const BMessage& message)
{
    std::vector<int32> indices;
    int32 index;
    for (int32 i = 0; message.FindInt32("index", i, &index) == B_OK; i++)
        indices.push_back(index);
    return indices;
}

int32 ValueOf(const BMessage& message)
{
    int32 value = -1;
    message.FindInt32("be:value", &value);
    return value;
}

} // namespace

TEST(ControlsTest, CheckBoxSendsItsValueOnlyWhenTheUserTicksIt)
{
    TestWindow window;
    auto* recorder = new RecordingView();
    window->AddChild(recorder);
    auto* box = new BCheckBox(BRect(10, 10, 200, 30), "future_collisions", "Apply to all", new BMessage(1000));
    window->AddChild(box);
    box->SetTarget(recorder);
    window.Show();

    auto* native = box->_Widget()->findChild<QCheckBox*>();
    ASSERT_NE(native, nullptr);
    native->click();
    ASSERT_TRUE(WaitFor([&] { return recorder->Count() == 1; }));
    EXPECT_EQ(ValueOf(recorder->Messages()[0]), B_CONTROL_ON);
    ASSERT_TRUE(window->Lock());
    EXPECT_EQ(box->Value(), B_CONTROL_ON);
    // Code that sets the value sends nothing.
    box->SetValue(B_CONTROL_OFF);
    EXPECT_FALSE(native->isChecked());
    box->SetEnabled(false);
    EXPECT_FALSE(native->isEnabled());
    window->Unlock();
    QCoreApplication::processEvents();
    EXPECT_EQ(recorder->Count(), 1u);
}

TEST(ControlsTest, DefaultButtonGrowsAndAnswersEnter)
{
    TestWindow window;
    auto* recorder = new RecordingView();
    window->AddChild(recorder);
    auto* button = new BButton(BRect(100, 100, 179, 123), "install", "Install", new BMessage(2001));
    window->AddChild(button);
    button->SetTarget(recorder);
    // Never shorter than the font needs.
    float preferredHeight;
    button->GetPreferredSize(nullptr, &preferredHeight);
    EXPECT_GE(button->Frame().Height(), preferredHeight);
    const BRect plain = button->Frame();
    window->SetDefaultButton(button);
    EXPECT_EQ(button->Frame(), plain.InsetByCopy(-3, -3));
    EXPECT_EQ(window->DefaultButton(), button);
    window.Show();

    BMessage enter(B_KEY_DOWN);
    enter.AddString("bytes", "\n");
    enter.AddInt32("modifiers", 0);
    window->PostMessage(&enter, recorder);
    ASSERT_TRUE(WaitFor([&] { return recorder->Count() == 1; }));
    EXPECT_EQ(recorder->Messages()[0].what, 2001u);

    ASSERT_TRUE(window->Lock());
    window->SetDefaultButton(nullptr);
    EXPECT_EQ(button->Frame(), plain);
    window->Unlock();
}

TEST(ControlsTest, ShortcutsUseTheControlKey)
{
    TestWindow window;
    auto* recorder = new RecordingView();
    window->AddChild(recorder);
    window->AddShortcut('s', 0, new BMessage('save'), recorder);
    EXPECT_TRUE(window->HasShortcut('S', 0));
    window.Show();

    QTest::keyClick(window->_Widget(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(WaitFor([&] { return recorder->Count() == 1; }));
    EXPECT_EQ(recorder->Messages()[0].what, uint32('save'));
    // Without Ctrl the key is no shortcut.
    QTest::keyClick(window->_Widget(), Qt::Key_S);
    QCoreApplication::processEvents();
    EXPECT_EQ(recorder->Count(), 1u);

    ASSERT_TRUE(window->Lock());
    window->RemoveShortcut('s', 0);
    EXPECT_FALSE(window->HasShortcut('s', 0));
    window->Unlock();
}

TEST(ControlsTest, ListViewSelectionAndInvocationMessages)
{
    TestWindow window;
    auto* recorder = new RecordingView();
    window->AddChild(recorder);
    auto* list = new BListView(BRect(10, 10, 109, 109), "items", B_MULTIPLE_SELECTION_LIST);
    std::vector<std::unique_ptr<BStringItem>> items;
    for (int i = 0; i < 20; i++) {
        items.push_back(std::make_unique<BStringItem>(("Item " + std::to_string(i)).c_str()));
        list->AddItem(items.back().get());
    }
    auto* scroll = new BScrollView("items_scroll", list, B_FOLLOW_LEFT | B_FOLLOW_TOP, 0, false, true);
    window->AddChild(scroll);
    list->SetTarget(recorder);
    list->SetSelectionMessage(new BMessage(1000));
    list->SetInvocationMessage(new BMessage(1001));
    // The scroll view takes the list's place and grows around it.
    EXPECT_EQ(scroll->Frame(), BRect(8, 8, 111 + B_V_SCROLL_BAR_WIDTH, 111));
    EXPECT_EQ(list->Frame(), BRect(2, 2, 101, 101));
    ASSERT_NE(list->ScrollBar(B_VERTICAL), nullptr);
    float min;
    float max;
    list->ScrollBar(B_VERTICAL)->GetRange(&min, &max);
    EXPECT_GT(max, 0);

    list->Select(2);
    list->Select(5, 7, true);
    EXPECT_EQ(list->CurrentSelection(0), 2);
    EXPECT_EQ(list->CurrentSelection(3), 7);
    EXPECT_EQ(list->CurrentSelection(4), -1);
    list->Invoke();
    // A single selection list keeps one: the first.
    list->SetListType(B_SINGLE_SELECTION_LIST);
    EXPECT_EQ(list->CurrentSelection(0), 2);
    list->Select(3, 9);
    EXPECT_EQ(list->CurrentSelection(0), 9);
    EXPECT_EQ(list->CurrentSelection(1), -1);
    list->DeselectAll();
    list->DeselectAll();  // nothing changes: no message
    window.Show();

    ASSERT_TRUE(WaitFor([&] { return recorder->Count() == 6; }));
    const auto messages = recorder->Messages();
    EXPECT_EQ(messages[0].what, 1000u);
    EXPECT_EQ(Indices(messages[0]), std::vector<int32>({2}));
    EXPECT_EQ(Indices(messages[1]), std::vector<int32>({2, 5, 6, 7}));
    EXPECT_EQ(messages[2].what, 1001u);
    EXPECT_EQ(Indices(messages[2]), std::vector<int32>({2, 5, 6, 7}));
    EXPECT_EQ(Indices(messages[3]), std::vector<int32>({2}));
    EXPECT_EQ(Indices(messages[4]), std::vector<int32>({9}));
    EXPECT_TRUE(Indices(messages[5]).empty());

    // Items tell where they are; removing one shifts the selection.
    ASSERT_TRUE(window->Lock());
    const BRect second = list->ItemFrame(1);
    EXPECT_EQ(list->IndexOf(BPoint(5, second.top + 1)), 1);
    EXPECT_EQ(list->IndexOf(BPoint(5, 10000)), -1);
    list->Select(4);
    list->RemoveItem(int32(0));
    EXPECT_EQ(list->CurrentSelection(0), 3);
    list->MakeEmpty();
    EXPECT_EQ(list->CountItems(), 0);
    window->Unlock();
}

TEST(ControlsTest, ListViewKeysMoveTheSelectionAndEnterInvokes)
{
    TestWindow window;
    auto* recorder = new RecordingView();
    window->AddChild(recorder);
    auto* list = new BListView(BRect(10, 10, 109, 109), "keys");
    BStringItem first("first");
    BStringItem second("second");
    list->AddItem(&first);
    list->AddItem(&second);
    list->SetTarget(recorder);
    list->SetInvocationMessage(new BMessage('invk'));
    window->AddChild(list);
    window.Show();

    for (const char* key : {"\x1f", "\x1f", "\x1f", "\n"}) {
        BMessage message(B_KEY_DOWN);
        message.AddString("bytes", key);
        message.AddInt32("modifiers", 0);
        window->PostMessage(&message, list);
    }
    ASSERT_TRUE(WaitFor([&] { return recorder->Count() == 1; }));
    EXPECT_EQ(Indices(recorder->Messages()[0]), std::vector<int32>({1}));
    ASSERT_TRUE(window->Lock());
    list->MakeEmpty();
    window->Unlock();
}

TEST(ControlsTest, TextViewKeepsUtf8OffsetsAndTypedKeysPassKeyDown)
{
    TestWindow window;
    auto* text = new BTextView(BRect(10, 10, 209, 109), "license_text", BRect(3, 3, 196, 96),
        B_FOLLOW_ALL, B_WILL_DRAW | B_NAVIGABLE);
    window->AddChild(text);
    text->SetText("Grüße");
    EXPECT_EQ(text->TextLength(), 7);
    text->Select(2, 4);  // "ü" is bytes 2 and 3
    int32 start;
    int32 finish;
    text->GetSelection(&start, &finish);
    EXPECT_EQ(start, 2);
    EXPECT_EQ(finish, 4);
    text->Insert(0, "» ", 3);
    EXPECT_STREQ(text->Text(), "» Grüße");
    text->Delete(0, 3);
    EXPECT_STREQ(text->Text(), "Grüße");
    text->SetMaxBytes(3);
    EXPECT_STREQ(text->Text(), "Gr");  // cut before the two bytes of "ü"

    text->SetText("");
    text->SetMaxBytes(100);
    text->DisallowChar('x');
    text->MakeFocus(true);
    window.Show();
    auto* editor = text->_Widget()->findChild<QTextEdit*>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "axb");
    ASSERT_TRUE(WaitFor([&] {
        window->Lock();
        const std::string content = text->Text();
        window->Unlock();
        return content == "ab";
    }));
    ASSERT_TRUE(window->Lock());
    text->MakeEditable(false);
    EXPECT_TRUE(editor->isReadOnly());
    window->Unlock();
}

TEST(ControlsTest, BoxKeepsItsLabelAndInnerFrame)
{
    TestWindow window;
    auto* box = new BBox(BRect(10, 10, 209, 109), "install_box");
    window->AddChild(box);
    EXPECT_EQ(box->Label(), nullptr);
    EXPECT_EQ(box->InnerFrame(), BRect(2, 2, 197, 97));
    box->SetLabel("Destination");
    EXPECT_STREQ(box->Label(), "Destination");
    EXPECT_GT(box->InnerFrame().top, 2);
    auto* labelView = new BView(BRect(0, 0, 49, 19), "label_view", B_FOLLOW_NONE, 0);
    box->SetLabel(labelView);
    EXPECT_EQ(box->LabelView(), labelView);
    EXPECT_EQ(labelView->Frame().LeftTop(), BPoint(10, 0));
    EXPECT_EQ(box->Label(), nullptr);
}
