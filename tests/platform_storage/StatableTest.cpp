// Time stamps, permissions and the recorded creation time.
#include <Entry.h>
#include <File.h>
#include <Node.h>
#include <Volume.h>

#include <gtest/gtest.h>

#include "TestSupport.h"

#include <filesystem>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace fs = std::filesystem;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

TEST(StatableTest, CreationTimeIsRecordedAndPreferred)
{
    TempDir dir;
    WriteFileBytes(dir / "file", "x");
    BEntry entry((dir / "file").c_str());
    time_t created = 0;
    ASSERT_EQ(entry.GetCreationTime(&created), B_OK);
    EXPECT_GT(created, 0);

    // 16 Sep 2000, a date an archive might carry.
    const time_t recorded = 968976000;
    ASSERT_EQ(entry.SetCreationTime(recorded), B_OK);
    ASSERT_EQ(entry.GetCreationTime(&created), B_OK);
    EXPECT_EQ(created, recorded);
    // Seen through a node as well, and kept across a rename.
    fs::rename(dir / "file", dir / "renamed");
    BNode node((dir / "renamed").c_str());
    ASSERT_EQ(node.GetCreationTime(&created), B_OK);
    EXPECT_EQ(created, recorded);
    // The record is not an attribute of the platform's own.
    char name[B_ATTR_NAME_LENGTH];
    EXPECT_EQ(node.GetNextAttrName(name), B_ENTRY_NOT_FOUND);

    // Negative (before 1970) and far times survive.
    ASSERT_EQ(node.SetCreationTime(-86400), B_OK);
    ASSERT_EQ(node.GetCreationTime(&created), B_OK);
    EXPECT_EQ(created, -86400);

    // A damaged record is ignored in favour of the file system's stamp.
    ASSERT_EQ(::setxattr((dir / "renamed").c_str(), "user.beos.crtime", "12x", 3, 0), 0);
    ASSERT_EQ(node.GetCreationTime(&created), B_OK);
    EXPECT_NE(created, 12);
    EXPECT_GT(created, 0);
}

TEST(StatableTest, ModificationAndAccessTimes)
{
    TempDir dir;
    WriteFileBytes(dir / "file", "x");
    fs::create_directory(dir / "folder");
    for (const char* name : {"file", "folder"}) {
        SCOPED_TRACE(name);
        BEntry entry((dir / name).c_str());
        ASSERT_EQ(entry.SetModificationTime(963591429), B_OK);
        ASSERT_EQ(entry.SetAccessTime(963000000), B_OK);
        time_t value = 0;
        ASSERT_EQ(entry.GetModificationTime(&value), B_OK);
        EXPECT_EQ(value, 963591429);
        ASSERT_EQ(entry.GetAccessTime(&value), B_OK);
        EXPECT_EQ(value, 963000000);
        struct stat st;
        ASSERT_EQ(::stat((dir / name).c_str(), &st), 0);
        EXPECT_EQ(st.st_mtime, 963591429);
    }
}

TEST(StatableTest, TimesOfALinkAreTheLinksOwn)
{
    TempDir dir;
    WriteFileBytes(dir / "target", "x");
    fs::create_symlink("target", dir / "link");
    BEntry link((dir / "link").c_str());
    ASSERT_EQ(link.SetModificationTime(1000000000), B_OK);
    struct stat st;
    ASSERT_EQ(::lstat((dir / "link").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1000000000);
    ASSERT_EQ(::stat((dir / "target").c_str(), &st), 0);
    EXPECT_NE(st.st_mtime, 1000000000);
    // No creation record can be kept on a link: an error, not silence.
    EXPECT_NE(link.SetCreationTime(5), B_OK);
}

TEST(StatableTest, PermissionsSizeOwnerAndVolume)
{
    TempDir dir;
    WriteFileBytes(dir / "file", "12345");
    BNode node((dir / "file").c_str());
    ASSERT_EQ(node.SetPermissions(0640), B_OK);
    mode_t permissions = 0;
    ASSERT_EQ(node.GetPermissions(&permissions), B_OK);
    EXPECT_EQ(permissions, mode_t(0640));
    off_t size = 0;
    ASSERT_EQ(node.GetSize(&size), B_OK);
    EXPECT_EQ(size, 5);
    uid_t owner = 12345;
    ASSERT_EQ(node.GetOwner(&owner), B_OK);
    EXPECT_EQ(owner, ::getuid());
    EXPECT_TRUE(node.IsFile());
    EXPECT_FALSE(node.IsDirectory());

    BVolume volume;
    ASSERT_EQ(node.GetVolume(&volume), B_OK);
    struct stat st;
    ASSERT_EQ(::stat(dir.Path().c_str(), &st), 0);
    EXPECT_EQ(volume.Device(), st.st_dev);

    BEntry missing((dir / "missing").c_str());
    time_t value;
    EXPECT_EQ(missing.GetModificationTime(&value), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(missing.GetCreationTime(&value), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(BEntry().GetCreationTime(&value), B_NO_INIT);
}
