#include <LibVolumeList.h>

#include <VolumeRoster.h>

#include <gtest/gtest.h>

#include <set>

// These read the machine's real mount table; nothing is mounted or written.

TEST(LibVolumeListTest, BootVolumeComesFirstAndIsAlwaysEnabled)
{
    BVolumeRoster roster;
    BVolume boot;
    ASSERT_EQ(roster.GetBootVolume(&boot), B_OK);

    // Rules that refuse every kind of volume still keep the boot volume.
    LibVolumeRules none;
    none.allowPersistent = false;
    none.allowRemovable = false;
    none.allowShared = false;
    none.allowReadOnly = false;
    const auto choices = LibListVolumes(none);
    ASSERT_FALSE(choices.empty());
    EXPECT_EQ(choices[0].device, boot.Device());
    EXPECT_TRUE(choices[0].enabled);
    EXPECT_FALSE(choices[0].name.empty());

    std::set<dev_t> devices;
    for (size_t i = 0; i < choices.size(); ++i) {
        EXPECT_TRUE(devices.insert(choices[i].device).second) << choices[i].name;
        if (i > 0) {
            EXPECT_FALSE(choices[i].name.empty());
            // Every other volume on disk is persistent, so refused.
            fs_info info;
            ASSERT_EQ(fs_stat_dev(choices[i].device, &info), B_OK);
            if ((info.flags & B_FS_IS_PERSISTENT) != 0) {
                EXPECT_FALSE(choices[i].enabled) << choices[i].name;
            }
        }
    }
}

TEST(LibVolumeListTest, EveryListedVolumeFollowsTheRules)
{
    LibVolumeRules any;
    any.onlyNative = false;
    any.allowReadOnly = true;
    for (const LibVolumeChoice& choice : LibListVolumes(any))
        EXPECT_TRUE(choice.enabled) << choice.name;

    const LibVolumeRules defaults;
    const auto choices = LibListVolumes(defaults);
    for (size_t i = 1; i < choices.size(); ++i) {
        fs_info info;
        ASSERT_EQ(fs_stat_dev(choices[i].device, &info), B_OK);
        const bool native = fs_is_native(&info);
        if (!native || (info.flags & B_FS_IS_READONLY) != 0) {
            EXPECT_FALSE(choices[i].enabled) << choices[i].name;
        }
    }
}

TEST(LibVolumeListTest, FindVolumeByExactName)
{
    const auto choices = LibListVolumes(LibVolumeRules());
    ASSERT_FALSE(choices.empty());
    BVolume volume;
    ASSERT_TRUE(LibFindVolume(choices[0].name.c_str(), volume));
    EXPECT_EQ(volume.Device(), choices[0].device);

    BVolume untouched;
    EXPECT_FALSE(LibFindVolume("no volume is called this", untouched));
    EXPECT_FALSE(LibFindVolume(nullptr, untouched));
    EXPECT_NE(untouched.InitCheck(), B_OK);
}
