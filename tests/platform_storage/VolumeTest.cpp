// Volumes, file-system facts and the standard folders.
#include <Directory.h>
#include <FindDirectory.h>
#include <Path.h>
#include <Volume.h>
#include <VolumeRoster.h>
#include <fs_info.h>

#include <gtest/gtest.h>

#include "TestSupport.h"

#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <sys/statvfs.h>
#include <sys/xattr.h>

namespace fs = std::filesystem;
using ondelle::test::SandboxRoot;
using ondelle::test::TempDir;

TEST(VolumeTest, FsStatDevDescribesTheTestsOwnFolder)
{
    TempDir dir;
    dev_t device = dev_for_path(dir.Path().c_str());
    ASSERT_GE(int64(device), 0);
    fs_info info;
    ASSERT_EQ(fs_stat_dev(device, &info), B_OK);
    EXPECT_EQ(info.dev, device);
    EXPECT_GT(info.block_size, 0);
    EXPECT_GT(info.total_blocks, 0);
    EXPECT_LE(info.free_blocks, info.total_blocks);
    EXPECT_GT(std::strlen(info.fsh_name), 0u);
    EXPECT_GT(std::strlen(info.volume_name), 0u);
    EXPECT_EQ(info.flags & B_FS_IS_READONLY, 0u);
    EXPECT_EQ(info.flags & B_FS_HAS_QUERY, 0u);

    // The attribute flag agrees with what the folder really does.
    const fs::path probe = dir / "probe";
    ondelle::test::WriteFileBytes(probe, "");
    bool works = ::setxattr(probe.c_str(), "user.t", "1", 1, 0) == 0;
    EXPECT_EQ((info.flags & B_FS_HAS_ATTR) != 0, works);
    EXPECT_EQ((info.flags & B_FS_HAS_MIME) != 0, works);

    struct statvfs vfs;
    ASSERT_EQ(::statvfs(dir.Path().c_str(), &vfs), 0);
    BVolume volume(device);
    ASSERT_EQ(volume.InitCheck(), B_OK);
    EXPECT_EQ(volume.Capacity(), off_t(vfs.f_blocks) * off_t(vfs.f_frsize));
    EXPECT_GT(volume.FreeBytes(), 0);
    EXPECT_EQ(volume.KnowsAttr(), works);
    EXPECT_FALSE(volume.KnowsQuery());
    EXPECT_FALSE(volume.IsReadOnly());
    char name[B_FILE_NAME_LENGTH];
    ASSERT_EQ(volume.GetName(name), B_OK);
    EXPECT_STREQ(name, info.volume_name);
    EXPECT_EQ(volume.SetName("other"), B_NOT_ALLOWED);

    EXPECT_EQ(fs_stat_dev(device, nullptr), B_BAD_VALUE);
    EXPECT_EQ(BVolume(dev_t(0x7ffff0f0)).InitCheck(), B_BAD_VALUE);
    EXPECT_LT(int64(dev_for_path((dir / "missing").c_str())), 0);
}

TEST(VolumeTest, RosterListsTheBootVolumeFirstAndEachDeviceOnce)
{
    BVolumeRoster roster;
    BVolume boot;
    ASSERT_EQ(roster.GetBootVolume(&boot), B_OK);
    EXPECT_EQ(boot.Device(), dev_for_path(SandboxRoot().c_str()));

    std::vector<dev_t> seen;
    BVolume volume;
    while (roster.GetNextVolume(&volume) == B_OK)
        seen.push_back(volume.Device());
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), boot.Device());
    EXPECT_EQ(std::set<dev_t>(seen.begin(), seen.end()).size(), seen.size());
    for (dev_t device : seen) {
        fs_info info;
        ASSERT_EQ(fs_stat_dev(device, &info), B_OK);
        for (const char* pseudo : {"proc", "sysfs", "tmpfs", "devtmpfs", "cgroup2", "devpts"})
            EXPECT_STRNE(info.fsh_name, pseudo);
    }
    EXPECT_EQ(roster.GetNextVolume(&volume), B_BAD_VALUE);
    roster.Rewind();
    ASSERT_EQ(roster.GetNextVolume(&volume), B_OK);
    EXPECT_EQ(volume.Device(), boot.Device());

    int32 cookie = 0;
    std::vector<dev_t> devs;
    dev_t dev;
    while (int64(dev = next_dev(&cookie)) >= 0)
        devs.push_back(dev);
    EXPECT_EQ(devs, seen);

    // With the sandbox active the boot volume's root is the sandbox root.
    BDirectory root;
    ASSERT_EQ(boot.GetRootDirectory(&root), B_OK);
    EXPECT_EQ(fs::path(root.PathName()), fs::canonical(SandboxRoot()));
}

TEST(FindDirectoryTest, EveryCodeLiesInsideTheSandbox)
{
    const fs::path root = fs::canonical(SandboxRoot());
    const directory_which codes[] = {B_DESKTOP_DIRECTORY, B_TRASH_DIRECTORY, B_BEOS_DIRECTORY,
        B_BEOS_SYSTEM_DIRECTORY, B_BEOS_ADDONS_DIRECTORY, B_BEOS_BOOT_DIRECTORY, B_BEOS_FONTS_DIRECTORY,
        B_BEOS_LIB_DIRECTORY, B_BEOS_SERVERS_DIRECTORY, B_BEOS_APPS_DIRECTORY, B_BEOS_BIN_DIRECTORY,
        B_BEOS_ETC_DIRECTORY, B_BEOS_DOCUMENTATION_DIRECTORY, B_BEOS_PREFERENCES_DIRECTORY,
        B_BEOS_TRANSLATORS_DIRECTORY, B_BEOS_MEDIA_NODES_DIRECTORY, B_BEOS_SOUNDS_DIRECTORY,
        B_COMMON_DIRECTORY, B_COMMON_SYSTEM_DIRECTORY, B_COMMON_ADDONS_DIRECTORY, B_COMMON_BOOT_DIRECTORY,
        B_COMMON_FONTS_DIRECTORY, B_COMMON_LIB_DIRECTORY, B_COMMON_SERVERS_DIRECTORY, B_COMMON_BIN_DIRECTORY,
        B_COMMON_ETC_DIRECTORY, B_COMMON_DOCUMENTATION_DIRECTORY, B_COMMON_SETTINGS_DIRECTORY,
        B_COMMON_DEVELOP_DIRECTORY, B_COMMON_LOG_DIRECTORY, B_COMMON_SPOOL_DIRECTORY, B_COMMON_TEMP_DIRECTORY,
        B_COMMON_VAR_DIRECTORY, B_COMMON_TRANSLATORS_DIRECTORY, B_COMMON_MEDIA_NODES_DIRECTORY,
        B_COMMON_SOUNDS_DIRECTORY, B_USER_DIRECTORY, B_USER_CONFIG_DIRECTORY, B_USER_ADDONS_DIRECTORY,
        B_USER_BOOT_DIRECTORY, B_USER_FONTS_DIRECTORY, B_USER_LIB_DIRECTORY, B_USER_SETTINGS_DIRECTORY,
        B_USER_DESKBAR_DIRECTORY, B_USER_PRINTERS_DIRECTORY, B_USER_TRANSLATORS_DIRECTORY,
        B_USER_MEDIA_NODES_DIRECTORY, B_USER_SOUNDS_DIRECTORY, B_APPS_DIRECTORY, B_PREFERENCES_DIRECTORY,
        B_UTILITIES_DIRECTORY};
    ASSERT_EQ(B_COUNT_OF(codes), 51u);

    std::map<std::string, directory_which> byPath;
    for (directory_which which : codes) {
        SCOPED_TRACE(int(which));
        BPath path;
        ASSERT_EQ(find_directory(which, &path, true), B_OK);
        const std::string text = path.Path();
        EXPECT_EQ(text.compare(0, root.string().size() + 1, root.string() + "/"), 0) << text;
        EXPECT_TRUE(fs::is_directory(text)) << text;
        byPath.emplace(text, which);

        char buffer[B_PATH_NAME_LENGTH];
        ASSERT_EQ(find_directory(which, dev_t(-1), false, buffer, sizeof(buffer)), B_OK);
        EXPECT_EQ(text, buffer);
        EXPECT_EQ(find_directory(which, dev_t(-1), false, buffer, 4), B_NAME_TOO_LONG);
    }
    // Only the two names of the user's settings folder share a place.
    EXPECT_EQ(byPath.size(), B_COUNT_OF(codes) - 1);

    BPath path;
    ASSERT_EQ(find_directory(B_USER_DIRECTORY, &path), B_OK);
    EXPECT_EQ(fs::path(path.Path()), root / "home");
    ASSERT_EQ(find_directory(B_COMMON_TEMP_DIRECTORY, &path), B_OK);
    EXPECT_EQ(fs::path(path.Path()), root / "tmp");
    ASSERT_EQ(find_directory(B_TRASH_DIRECTORY, &path), B_OK);
    EXPECT_EQ(fs::path(path.Path()), root / "home/.local/share/Trash/files");
    EXPECT_TRUE(fs::is_directory(root / "home/.local/share/Trash/info"));
    ASSERT_EQ(find_directory(B_DESKTOP_DIRECTORY, &path), B_OK);
    EXPECT_EQ(fs::path(path.Path()), root / "home/Desktop");

    EXPECT_EQ(find_directory(directory_which(5), &path), B_BAD_VALUE);
    EXPECT_EQ(find_directory(B_USER_DIRECTORY, nullptr), B_BAD_VALUE);
    BVolume unset;
    EXPECT_EQ(find_directory(B_USER_DIRECTORY, &path, false, &unset), B_BAD_VALUE);
}

TEST(FindDirectoryTest, BootVolumeGivesTheSamePlaces)
{
    BVolumeRoster roster;
    BVolume boot;
    ASSERT_EQ(roster.GetBootVolume(&boot), B_OK);
    BPath withVolume, without;
    ASSERT_EQ(find_directory(B_USER_ADDONS_DIRECTORY, &withVolume, false, &boot), B_OK);
    ASSERT_EQ(find_directory(B_USER_ADDONS_DIRECTORY, &without), B_OK);
    EXPECT_EQ(withVolume, without);
}
