#include "../platform_interface/InterfaceTestSupport.h"

#include <LibLabelControl.h>
#include <LibMenuButton.h>
#include <MenuItem.h>
#include <StringView.h>

#include <gtest/gtest.h>

TEST(LibMenuButtonTest, LabelColonAndMenuAreNamedChildrenInPlace)
{
    TestWindow window;
    auto* button = new LibMenuButton(BPoint(20, 40), "group_menu", "Install", 80, 150,
        B_FOLLOW_LEFT | B_FOLLOW_TOP, 0, true);
    window->AddChild(button);
    EXPECT_EQ(button->Frame(), BRect(20, 40, 250, 65));
    EXPECT_STREQ(button->LabelText(), "Install");

    auto* label = dynamic_cast<BStringView*>(window->FindView("label"));
    auto* colon = dynamic_cast<BStringView*>(window->FindView("colon"));
    auto* menu = dynamic_cast<LibMenuField*>(window->FindView("menu"));
    ASSERT_NE(label, nullptr);
    ASSERT_NE(colon, nullptr);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(label->Parent(), button);
    EXPECT_EQ(label->Frame(), BRect(0, 0, 68, 22));
    EXPECT_EQ(colon->Frame(), BRect(69, 0, 78, 22));
    EXPECT_STREQ(colon->Text(), ":");
    EXPECT_EQ(menu->Frame(), BRect(77, 0, 227, 25));
    BFont font;
    label->GetFont(&font);
    EXPECT_EQ(font.Size(), 12.0f);
    EXPECT_EQ(font.Face() & B_BOLD_FACE, B_BOLD_FACE);
    EXPECT_EQ(button->MenuField(), menu);
}

TEST(LibMenuButtonTest, WithoutLabelOrColon)
{
    TestWindow window;
    auto* bare = new LibLabelControl(BRect(0, 0, 99, 24), 50, "bare", nullptr, 3, nullptr,
        B_FOLLOW_LEFT | B_FOLLOW_TOP);
    window->AddChild(bare);
    EXPECT_STREQ(bare->LabelText(), "");
    EXPECT_EQ(bare->CountChildren(), 0);
    bare->SetEnabled(false);

    auto* labelOnly = new LibLabelControl(BRect(0, 30, 99, 54), 50, "named", "Folder", 3, nullptr,
        B_FOLLOW_LEFT | B_FOLLOW_TOP);
    window->AddChild(labelOnly);
    ASSERT_EQ(labelOnly->CountChildren(), 1);
    // Without a colon the label reaches closer to labelWidth.
    EXPECT_EQ(labelOnly->ChildAt(0)->Frame(), BRect(0, 0, 48, 21));
}

TEST(LibMenuButtonTest, DisablingGreysTheLabelAndTheMenu)
{
    TestWindow window;
    auto* button = new LibMenuButton(BPoint(0, 0), "folder_menu", "Folder", 60, 120,
        B_FOLLOW_LEFT | B_FOLLOW_TOP, 0, true);
    window->AddChild(button);
    auto* label = dynamic_cast<BStringView*>(button->FindView("label"));
    ASSERT_NE(label, nullptr);

    button->SetEnabled(false);
    const rgb_color grey = label->HighColor();
    EXPECT_GT(grey.red, 64);
    EXPECT_LT(grey.red, 192);
    EXPECT_EQ(dynamic_cast<BStringView*>(button->FindView("colon"))->HighColor(), grey);
    EXPECT_FALSE(button->MenuField()->IsEnabled());

    button->SetEnabled(true);
    EXPECT_EQ(label->HighColor(), make_color(0, 0, 0));
    EXPECT_TRUE(button->MenuField()->IsEnabled());
}

TEST(LibMenuButtonTest, ListOperationsReachTheMenuField)
{
    TestWindow window;
    auto* button = new LibMenuButton(BPoint(0, 0), "folder_menu", "Folder", 60, 120,
        B_FOLLOW_LEFT | B_FOLLOW_TOP, 0, true);
    window->AddChild(button);
    button->AddItem("one", nullptr);
    button->AddItem(LibString("two"), new BMessage('two '));
    button->AddSeparatorItem();
    EXPECT_EQ(button->CountItems(), 3);
    EXPECT_EQ(button->MenuField()->CountItems(), 3);
    EXPECT_STREQ(button->Text(), "one");
    button->SetText(LibString("two"));
    EXPECT_EQ(button->CurrentSelection(), 1);
    button->SetItem(0);
    EXPECT_STREQ(button->Text(), "one");
    button->ReplaceItem("one", "uno");
    EXPECT_TRUE(button->InMenu("uno"));
    button->SetEnableItem("uno", false);
    EXPECT_FALSE(button->IsItemEnabled(0));
    button->SetEnableItem(0, true);
    EXPECT_TRUE(button->IsItemEnabled("uno"));
    delete button->RemoveItem(2);
    button->RemoveItem("two");
    EXPECT_EQ(button->CountItems(), 1);

    BMessage groups;
    groups.AddString("name", "x");
    EXPECT_TRUE(button->SetTo(groups, "name", 0));
    EXPECT_STREQ(button->Text(), "x");
    button->Clear();
    button->AddStdFolders(false, 0);
    EXPECT_EQ(button->CountItems(), 38);
}
