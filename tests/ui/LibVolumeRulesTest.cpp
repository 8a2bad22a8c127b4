#include <LibVolumeRules.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>

namespace {

fs_info Volume(uint32 flags, const char* type = "ext4")
{
    fs_info info;
    std::memset(&info, 0, sizeof(info));
    info.flags = flags;
    std::snprintf(info.fsh_name, sizeof(info.fsh_name), "%s", type);
    return info;
}

// A volume that keeps attributes on a local disk: what the platform's own
// file system stands for.
const uint32 kNative = B_FS_IS_PERSISTENT | B_FS_HAS_ATTR | B_FS_HAS_MIME;

// Mount point of the first tmpfs in this machine's mount table, or empty.
std::string FirstTmpfs()
{
    std::ifstream in("/proc/self/mountinfo");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string field, mountPoint;
        for (int i = 0; i < 5 && fields >> field; ++i) {
            if (i == 4)
                mountPoint = field;
        }
        while (fields >> field && field != "-") {
        }
        std::string type;
        if (fields >> type && type == "tmpfs" && mountPoint.find('\\') == std::string::npos)
            return mountPoint;
    }
    return std::string();
}

} // namespace

TEST(LibVolumeRulesTest, DefaultsAcceptWritableNativeVolumesOnly)
{
    const LibVolumeRules rules;
    EXPECT_TRUE(rules.Accepts(Volume(kNative)));
    EXPECT_TRUE(rules.Accepts(Volume(kNative | B_FS_IS_REMOVABLE)));
    // A read-only CD of a foreign file system, and a read-only native volume.
    EXPECT_FALSE(rules.Accepts(Volume(B_FS_IS_READONLY | B_FS_IS_REMOVABLE | B_FS_IS_PERSISTENT, "iso9660")));
    EXPECT_FALSE(rules.Accepts(Volume(kNative | B_FS_IS_READONLY)));
    // Without attributes, or shared over the network, a volume is not native.
    EXPECT_FALSE(rules.Accepts(Volume(B_FS_IS_PERSISTENT, "vfat")));
    EXPECT_FALSE(rules.Accepts(Volume(kNative | B_FS_IS_SHARED, "nfs4")));
}

TEST(LibVolumeRulesTest, EachAllowanceDisablesItsKind)
{
    LibVolumeRules rules;
    rules.allowReadOnly = true;
    EXPECT_TRUE(rules.Accepts(Volume(kNative | B_FS_IS_READONLY)));
    // The native rule still holds for a read-only foreign volume.
    EXPECT_FALSE(rules.Accepts(Volume(B_FS_IS_READONLY | B_FS_IS_PERSISTENT, "iso9660")));

    rules = LibVolumeRules();
    rules.allowRemovable = false;
    EXPECT_FALSE(rules.Accepts(Volume(kNative | B_FS_IS_REMOVABLE)));
    EXPECT_TRUE(rules.Accepts(Volume(kNative)));

    rules = LibVolumeRules();
    rules.allowPersistent = false;
    EXPECT_FALSE(rules.Accepts(Volume(kNative)));

    rules = LibVolumeRules();
    rules.onlyNative = false;
    EXPECT_TRUE(rules.Accepts(Volume(B_FS_IS_PERSISTENT, "vfat")));
    EXPECT_TRUE(rules.Accepts(Volume(B_FS_IS_PERSISTENT | B_FS_IS_SHARED, "nfs4")));
    rules.allowShared = false;
    EXPECT_FALSE(rules.Accepts(Volume(B_FS_IS_PERSISTENT | B_FS_IS_SHARED, "nfs4")));
    EXPECT_TRUE(rules.Accepts(Volume(B_FS_IS_PERSISTENT, "vfat")));
}

TEST(LibVolumeRulesTest, ATmpfsOfThisMachineIsNotAnInstallTarget)
{
    const std::string mountPoint = FirstTmpfs();
    if (mountPoint.empty())
        GTEST_SKIP() << "no tmpfs in this machine's mount table";
    struct stat st;
    ASSERT_EQ(::stat(mountPoint.c_str(), &st), 0) << mountPoint;
    fs_info info;
    ASSERT_EQ(fs_stat_dev(st.st_dev, &info), B_OK) << mountPoint;
    EXPECT_STREQ(info.fsh_name, "tmpfs");
    // Its contents vanish at shutdown: not persistent, so not native.
    EXPECT_EQ(info.flags & B_FS_IS_PERSISTENT, 0u);
    EXPECT_FALSE(LibVolumeRules().Accepts(info));

    LibVolumeRules anyKind;
    anyKind.onlyNative = false;
    anyKind.allowReadOnly = true;
    EXPECT_TRUE(anyKind.Accepts(info));
    anyKind.allowReadOnly = false;
    EXPECT_EQ(anyKind.Accepts(info), (info.flags & B_FS_IS_READONLY) == 0);
}
