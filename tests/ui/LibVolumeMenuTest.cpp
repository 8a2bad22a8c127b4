#include "../platform_interface/InterfaceTestSupport.h"

#include <LibVolumeList.h>
#include <LibVolumeMenu.h>
#include <MenuItem.h>

#include <gtest/gtest.h>

// These read the machine's real mount table; nothing is mounted.

TEST(LibVolumeMenuTest, EmptyUntilUpdatedThenBootVolumeFirstAndMarked)
{
    TestWindow window;
    auto* menu = new LibVolumeMenu(BPoint(10, 10), "volume_menu", 'vol ', 60);
    window->AddChild(menu);
    EXPECT_STREQ(menu->LabelText(), "Disk");
    EXPECT_EQ(menu->Frame(), BRect(10, 10, 200, 35));
    EXPECT_EQ(menu->CountItems(), 0);

    menu->Update();
    const auto volumes = LibListVolumes(LibVolumeRules());
    ASSERT_EQ(menu->CountItems(), int32(volumes.size()));
    ASSERT_GE(menu->CountItems(), 1);
    EXPECT_EQ(menu->CurrentSelection(), 0);
    EXPECT_STREQ(menu->Text(), volumes[0].name.c_str());
    EXPECT_TRUE(menu->IsItemEnabled(0));
    for (int32 i = 0; i < menu->CountItems(); ++i) {
        const BMenuItem* item = menu->MenuField()->ItemAt(i);
        EXPECT_STREQ(item->Label(), volumes[size_t(i)].name.c_str());
        EXPECT_EQ(item->IsEnabled(), volumes[size_t(i)].enabled) << item->Label();
        ASSERT_NE(item->Message(), nullptr);
        EXPECT_EQ(item->Message()->what, uint32('vol '));
    }

    BVolume volume;
    ASSERT_TRUE(menu->GetCurrentVolume(volume));
    EXPECT_EQ(volume.Device(), volumes[0].device);
}

TEST(LibVolumeMenuTest, RulesApplyAtTheNextUpdateAndTheMarkStays)
{
    TestWindow window;
    auto* menu = new LibVolumeMenu(BPoint(0, 0), "volume_menu", 'vol ', 60);
    window->AddChild(menu);
    menu->OnlyBeOS(false);
    menu->AllowReadOnly(true);
    menu->Update();
    for (int32 i = 0; i < menu->CountItems(); ++i)
        EXPECT_TRUE(menu->IsItemEnabled(i));

    menu->AllowPersistent(false);
    menu->AllowRemovable(false);
    menu->AllowShared(false);
    // Not yet: the list is as it was.
    for (int32 i = 0; i < menu->CountItems(); ++i)
        EXPECT_TRUE(menu->IsItemEnabled(i));
    const std::string marked = menu->Text();
    menu->Update();
    EXPECT_EQ(menu->Text(), marked);
    // The boot volume stays enabled whatever the rules.
    EXPECT_TRUE(menu->IsItemEnabled(0));
}

TEST(LibVolumeMenuTest, NoCurrentVolumeOnceItsNameIsGone)
{
    TestWindow window;
    auto* menu = new LibVolumeMenu(BPoint(0, 0), "volume_menu", 'vol ', 60);
    window->AddChild(menu);
    BVolume volume;
    EXPECT_FALSE(menu->GetCurrentVolume(volume));
    menu->Update();
    ASSERT_TRUE(menu->GetCurrentVolume(volume));
    // As after an unmount: the marked name no longer names a volume.
    menu->ReplaceItem(menu->Text(), "Gone Volume");
    EXPECT_FALSE(menu->GetCurrentVolume(volume));
    menu->Update();
    EXPECT_TRUE(menu->GetCurrentVolume(volume));
}
