#include <LibEntryUtils.h>
#include <LibStdFolderList.h>

#include <gtest/gtest.h>

#include <set>

namespace {

size_t Separators(const std::vector<LibStdFolderEntry>& list)
{
    size_t count = 0;
    for (const LibStdFolderEntry& entry : list)
        count += entry.separator ? 1 : 0;
    return count;
}

} // namespace

TEST(LibStdFolderListTest, GroupsInOrderWithSeparatorsBetween)
{
    const auto list = LibStdFolderList(false);
    ASSERT_EQ(list.size(), 38u);
    EXPECT_EQ(Separators(list), 2u);
    EXPECT_EQ(list[0].code, B_DESKTOP_DIRECTORY);
    EXPECT_EQ(list[1].code, B_TRASH_DIRECTORY);
    EXPECT_EQ(list[2].code, B_APPS_DIRECTORY);
    EXPECT_EQ(list[4].code, B_UTILITIES_DIRECTORY);
    EXPECT_TRUE(list[5].separator);
    EXPECT_EQ(list[6].code, B_COMMON_DIRECTORY);
    EXPECT_EQ(list[24].code, B_COMMON_SOUNDS_DIRECTORY);
    EXPECT_TRUE(list[25].separator);
    EXPECT_EQ(list[26].code, B_USER_DIRECTORY);
    EXPECT_EQ(list.back().code, B_USER_SOUNDS_DIRECTORY);
    EXPECT_FALSE(list.back().separator);

    const auto withSystem = LibStdFolderList(true);
    ASSERT_EQ(withSystem.size(), 54u);
    EXPECT_EQ(Separators(withSystem), 3u);
    EXPECT_EQ(withSystem[6].code, B_BEOS_DIRECTORY);
    EXPECT_EQ(withSystem[20].code, B_BEOS_SOUNDS_DIRECTORY);
    EXPECT_TRUE(withSystem[21].separator);
}

TEST(LibStdFolderListTest, EveryFolderHasADisplayNameAndAppearsOnce)
{
    std::set<int32> seen;
    for (const LibStdFolderEntry& entry : LibStdFolderList(true)) {
        if (entry.separator)
            continue;
        LibString name;
        EXPECT_TRUE(LibGetStdDirName(entry.code, name)) << entry.code;
        EXPECT_TRUE(seen.insert(entry.code).second) << entry.code;
    }
    // Every row of the name table is offered.
    size_t rows = 0;
    for (const lib_dir_name* row = lib_be_dir_names; row->name != nullptr; ++row)
        ++rows;
    EXPECT_EQ(seen.size(), rows);
}
