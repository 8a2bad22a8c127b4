#include "../platform_interface/InterfaceTestSupport.h"

#include <LibMenuField.h>
#include <MenuItem.h>
#include <PopUpMenu.h>

#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<LibMenuField> MakeField(bool radio = true)
{
    return std::make_unique<LibMenuField>(BRect(0, 0, 149, 24), "menu", 0, radio);
}

std::vector<uint32> Commands(RecordingView* recorder)
{
    std::vector<uint32> commands;
    for (const BMessage& message : recorder->Messages())
        commands.push_back(message.what);
    return commands;
}

} // namespace

TEST(LibMenuFieldTest, RadioModeMarksTheFirstItemOnly)
{
    auto field = MakeField();
    EXPECT_STREQ(field->Text(), "");
    EXPECT_EQ(field->CurrentSelection(), -1);
    field->Add("Typical", new BMessage('typ '));
    EXPECT_STREQ(field->Text(), "Typical");
    field->Add("Minimum", nullptr);
    field->Add("Full", nullptr, 0);
    EXPECT_STREQ(field->Text(), "Typical");
    EXPECT_EQ(field->CurrentSelection(), 1);
    EXPECT_STREQ(field->ItemAt(0)->Label(), "Full");

    auto plain = MakeField(false);
    plain->Add("only", nullptr);
    EXPECT_EQ(plain->CurrentSelection(), -1);
    EXPECT_FALSE(plain->Menu()->IsLabelFromMarked());
}

TEST(LibMenuFieldTest, ListOperationsByIndexAndLabel)
{
    auto field = MakeField();
    for (const char* label : {"A", "B", "C"})
        field->Add(label, nullptr);
    field->AddSeparatorItem();
    EXPECT_EQ(field->CountItems(), 4);
    // An index past the end appends rather than losing the item.
    field->Add("D", nullptr, 17);
    EXPECT_STREQ(field->ItemAt(4)->Label(), "D");

    field->SetItem(2);
    EXPECT_STREQ(field->Text(), "C");
    field->SetItem(42);
    EXPECT_STREQ(field->Text(), "C");
    field->SetText("B");
    EXPECT_EQ(field->CurrentSelection(), 1);
    field->SetText("nothing");
    EXPECT_EQ(field->CurrentSelection(), 1);

    EXPECT_TRUE(field->InMenu("A"));
    EXPECT_FALSE(field->InMenu("a"));
    field->SetEnableItem("A", false);
    EXPECT_FALSE(field->IsItemEnabled("A"));
    EXPECT_FALSE(field->IsItemEnabled(0));
    EXPECT_TRUE(field->IsItemEnabled(1));
    EXPECT_FALSE(field->IsItemEnabled(99));
    EXPECT_FALSE(field->IsItemEnabled("missing"));
    field->SetEnableItem(99, false);

    field->Replace("C", "See");
    EXPECT_TRUE(field->InMenu("See"));
    field->Replace("missing", "x");
    EXPECT_FALSE(field->InMenu("x"));

    EXPECT_TRUE(field->IsMarked("B"));
    field->ToggleMarked("B");
    EXPECT_FALSE(field->IsMarked("B"));
    field->SetMarked("A", true);
    EXPECT_STREQ(field->Text(), "A");
    EXPECT_FALSE(field->IsMarked("missing"));

    std::unique_ptr<BMenuItem> taken(field->RemoveItem(1));
    ASSERT_NE(taken, nullptr);
    EXPECT_STREQ(taken->Label(), "B");
    EXPECT_EQ(field->RemoveItem(40), nullptr);
    field->RemoveItem("See");
    field->RemoveItem("missing");
    EXPECT_EQ(field->CountItems(), 3);

    field->Clear();
    EXPECT_EQ(field->CountItems(), 0);
    EXPECT_EQ(field->ItemAt(0), nullptr);
}

TEST(LibMenuFieldTest, SetToKeepsTheMarkedLabelWhenItStays)
{
    auto field = MakeField();
    BMessage first;
    for (const char* name : {"Typical", "Minimum", "Full"})
        first.AddString("group", name);
    ASSERT_TRUE(field->SetTo(first, "group", 'grp '));
    EXPECT_EQ(field->CountItems(), 3);
    ASSERT_NE(field->ItemAt(0)->Message(), nullptr);
    EXPECT_EQ(field->ItemAt(0)->Message()->what, uint32('grp '));
    field->SetText("Full");

    BMessage second;
    for (const char* name : {"Developer", "Full"})
        second.AddString("group", name);
    ASSERT_TRUE(field->SetTo(second, "group", 0));
    EXPECT_STREQ(field->Text(), "Full");
    EXPECT_EQ(field->ItemAt(0)->Message(), nullptr);

    BMessage third;
    third.AddString("group", "Other");
    third.AddString("group", "More");
    ASSERT_TRUE(field->SetTo(third, "group", 0));
    EXPECT_STREQ(field->Text(), "Other");

    // Without the field nothing changes.
    EXPECT_FALSE(field->SetTo(BMessage(), "group", 0));
    EXPECT_FALSE(field->SetTo(third, nullptr, 0));
    EXPECT_EQ(field->CountItems(), 2);
}

TEST(LibMenuFieldTest, StandardFoldersAreListedByName)
{
    auto field = MakeField();
    field->AddStdFolders(false, 'fold');
    ASSERT_EQ(field->CountItems(), 38);
    EXPECT_STREQ(field->ItemAt(0)->Label(), "Desktop");
    EXPECT_STREQ(field->ItemAt(2)->Label(), "Applications");
    EXPECT_STREQ(field->Text(), "Desktop");
    ASSERT_NE(field->ItemAt(0)->Message(), nullptr);
    EXPECT_EQ(field->ItemAt(0)->Message()->what, uint32('fold'));
    EXPECT_TRUE(field->InMenu("Common Add-Ons"));
    EXPECT_TRUE(field->InMenu("User Add-Ons"));
    EXPECT_FALSE(field->InMenu("BeOS"));

    auto full = MakeField();
    full->AddStdFolders(true, 0);
    EXPECT_EQ(full->CountItems(), 54);
    EXPECT_TRUE(full->InMenu("BeOS"));
    EXPECT_EQ(full->ItemAt(0)->Message(), nullptr);
}

TEST(LibMenuFieldTest, KeysMoveTheMarkAndSendTheItemsMessage)
{
    TestWindow window;
    auto* recorder = new RecordingView();
    window->AddChild(recorder);
    auto* field = new LibMenuField(BRect(10, 10, 159, 34), "menu", 0, true);
    field->Add("A", new BMessage('A   '));
    field->AddSeparatorItem();
    field->Add("B", new BMessage('B   '));
    field->Add("C", nullptr);
    field->Menu()->SetTargetForItems(recorder);
    window->AddChild(field);
    window.Show();

    ASSERT_TRUE(window->Lock());
    field->MakeFocus(true);
    window->Unlock();
    QWidget* widget = field->_Widget();
    auto press = [&](Qt::Key key, const char* expected) {
        QTest::keyClick(widget, key);
        EXPECT_TRUE(WaitFor([&] {
            if (!window->Lock())
                return false;
            const bool reached = std::string(field->Text()) == expected;
            window->Unlock();
            return reached;
        })) << "after key " << key << " expected " << expected;
    };

    press(Qt::Key_Down, "B");   // over the separator
    press(Qt::Key_Down, "C");   // no message
    press(Qt::Key_Down, "A");   // wraps to the first
    press(Qt::Key_Up, "C");     // wraps to the last
    press(Qt::Key_Up, "B");
    press(Qt::Key_Up, "A");     // over the separator again
    press(Qt::Key_End, "C");
    press(Qt::Key_Home, "A");
    ASSERT_TRUE(WaitFor([&] { return recorder->Count() == 5; }));
    EXPECT_EQ(Commands(recorder), (std::vector<uint32>{'B   ', 'A   ', 'B   ', 'A   ', 'A   '}));
}

TEST(LibMenuFieldTest, KeysDoNothingWithoutAMark)
{
    auto field = MakeField(false);
    field->Add("A", nullptr);
    field->Add("B", nullptr);
    int32 index = -1;
    EXPECT_FALSE(field->IndexOf(B_DOWN_ARROW, index));
    char down = B_DOWN_ARROW;
    field->KeyDown(&down, 1);
    EXPECT_EQ(field->CurrentSelection(), -1);

    // A separator first: Home reaches the first real item.
    auto separated = MakeField();
    separated->AddSeparatorItem();
    separated->Add("X", nullptr);
    separated->Add("Y", nullptr);
    separated->SetItem(2);
    ASSERT_TRUE(separated->IndexOf(B_HOME, index));
    EXPECT_EQ(index, 1);
}

TEST(LibMenuFieldTest, TabMovesTheFocusIntoTheField)
{
    TestWindow window;
    auto* first = new LibMenuField(BRect(10, 10, 159, 34), "first", 0, true);
    auto* second = new LibMenuField(BRect(10, 40, 159, 64), "second", 0, true);
    for (LibMenuField* field : {first, second}) {
        field->Add("A", nullptr);
        field->Add("B", nullptr);
        window->AddChild(field);
    }
    window.Show();
    ASSERT_TRUE(window->Lock());
    first->MakeFocus(true);
    window->Unlock();
    ASSERT_TRUE(WaitFor([&] { return first->_Widget()->hasFocus(); }));
    QTest::keyClick(first->_Widget(), Qt::Key_Tab);
    EXPECT_TRUE(WaitFor([&] { return second->_Widget()->hasFocus(); }));

    // The arrows then act on the field that has the focus.
    QTest::keyClick(second->_Widget(), Qt::Key_Down);
    EXPECT_TRUE(WaitFor([&] {
        if (!window->Lock())
            return false;
        const bool moved = second->CurrentSelection() == 1 && first->CurrentSelection() == 0;
        window->Unlock();
        return moved;
    }));
}

TEST(LibMenuFieldTest, KeysPassOverDisabledItems)
{
    auto field = MakeField();
    for (const char* label : {"Boot", "CD", "Data"})
        field->Add(label, nullptr);
    field->SetEnableItem("CD", false);
    int32 index = -1;
    ASSERT_TRUE(field->IndexOf(B_DOWN_ARROW, index));
    EXPECT_EQ(index, 2);
    char up = B_UP_ARROW;
    field->SetItem(2);
    field->KeyDown(&up, 1);
    EXPECT_STREQ(field->Text(), "Boot");

    // A disabled field, or one whose menu is disabled, ignores the keys.
    field->SetEnabled(false);
    field->KeyDown(&up, 1);
    EXPECT_STREQ(field->Text(), "Boot");
    field->SetEnabled(true);
    field->Menu()->SetEnabled(false);
    EXPECT_FALSE(field->IndexOf(B_DOWN_ARROW, index));
}
