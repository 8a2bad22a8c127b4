// In-process renames, removals and copies of whole trees.
#include <EntryTree.h>
#include <Errors.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

std::string UserAttribute(const fs::path& path, const char* name)
{
    char value[256];
    const ssize_t size = ::lgetxattr(path.c_str(), name, value, sizeof value);
    return size < 0 ? std::string("<missing>") : std::string(value, size_t(size));
}

void SetTimes(const fs::path& path, time_t seconds)
{
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

struct stat StatOf(const fs::path& path)
{
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

} // namespace

TEST(EntryTree, RemovalNeverFollowsLinks)
{
    TempDir dir;
    // Outside the tree: a folder and a file that links inside point at.
    fs::create_directories(dir / "keep" / "inner");
    WriteFileBytes(dir / "keep" / "inner" / "precious", "precious");
    WriteFileBytes(dir / "keep-file", "file");

    const fs::path tree = dir / "tree";
    fs::create_directories(tree / "a" / "b" / "c");
    WriteFileBytes(tree / "a" / "b" / "c" / "deep", "deep");
    WriteFileBytes(tree / "top", "top");
    fs::create_directory_symlink(dir / "keep", tree / "a" / "to-folder");
    fs::create_symlink(dir / "keep-file", tree / "a" / "b" / "to-file");
    fs::create_symlink(dir / "nowhere", tree / "dangling");

    ASSERT_EQ(remove_tree(tree.c_str()), B_OK);
    EXPECT_FALSE(fs::exists(fs::symlink_status(tree)));
    EXPECT_EQ(ReadFileBytes(dir / "keep" / "inner" / "precious"), "precious");
    EXPECT_EQ(ReadFileBytes(dir / "keep-file"), "file");

    // A link at the top is removed itself, its target stays.
    fs::create_directory_symlink(dir / "keep", dir / "top-link");
    ASSERT_EQ(remove_tree((dir / "top-link").c_str()), B_OK);
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "top-link")));
    EXPECT_TRUE(fs::exists(dir / "keep" / "inner" / "precious"));

    // Nothing there is nothing to do.
    EXPECT_EQ(remove_tree((dir / "missing").c_str()), B_OK);
    EXPECT_EQ(remove_tree(""), B_BAD_VALUE);
}

TEST(EntryTree, RenameReplacesFilesAndEmptyFoldersOnly)
{
    TempDir dir;
    WriteFileBytes(dir / "a", "a");
    WriteFileBytes(dir / "b", "b");
    ASSERT_EQ(rename_entry((dir / "a").c_str(), (dir / "b").c_str()), B_OK);
    EXPECT_EQ(ReadFileBytes(dir / "b"), "a");
    EXPECT_FALSE(fs::exists(dir / "a"));

    fs::create_directories(dir / "full" / "x");
    fs::create_directory(dir / "folder");
    EXPECT_NE(rename_entry((dir / "folder").c_str(), (dir / "full").c_str()), B_OK);
    EXPECT_TRUE(fs::exists(dir / "full" / "x"));
    EXPECT_NE(rename_entry((dir / "missing").c_str(), (dir / "c").c_str()), B_OK);
}

TEST(EntryTree, CopyKeepsDataAttributesLinksAndWhenAskedModesAndTimes)
{
    TempDir dir;
    const fs::path src = dir / "src";
    fs::create_directories(src / "sub");
    std::string big(3 * 1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = char((i * 131) ^ (i >> 9));
    WriteFileBytes(src / "sub" / "big", big);
    WriteFileBytes(src / "run", "#!/bin/sh\n");
    ::chmod((src / "run").c_str(), 0751);
    ::chmod((src / "sub").c_str(), 0750);
    ASSERT_EQ(::setxattr((src / "run").c_str(), "user.note", "on a file", 9, 0), 0);
    ASSERT_EQ(::setxattr((src / "sub").c_str(), "user.note", "on a folder", 11, 0), 0);
    fs::create_symlink("sub/big", src / "link");
    ASSERT_EQ(::mkfifo((src / "pipe").c_str(), 0600), 0);
    SetTimes(src / "run", 1200000000);
    SetTimes(src / "sub", 1100000000);

    copy_tree_options keep;
    keep.keepModesAndTimes = true;
    ASSERT_EQ(copy_tree(src.c_str(), (dir / "kept").c_str(), &keep), B_OK);
    EXPECT_FALSE(keep.attributesLost);
    EXPECT_EQ(ReadFileBytes(dir / "kept" / "sub" / "big"), big);
    EXPECT_EQ(UserAttribute(dir / "kept" / "run", "user.note"), "on a file");
    EXPECT_EQ(UserAttribute(dir / "kept" / "sub", "user.note"), "on a folder");
    EXPECT_EQ(fs::read_symlink(dir / "kept" / "link"), "sub/big");
    EXPECT_TRUE(S_ISFIFO(StatOf(dir / "kept" / "pipe").st_mode));
    EXPECT_EQ(StatOf(dir / "kept" / "run").st_mode & 07777, 0751u);
    EXPECT_EQ(StatOf(dir / "kept" / "sub").st_mode & 07777, 0750u);
    EXPECT_EQ(StatOf(dir / "kept" / "run").st_mtime, 1200000000);
    EXPECT_EQ(StatOf(dir / "kept" / "sub").st_mtime, 1100000000);

    // A plain copy takes the data and attributes but new times.
    copy_tree_options plain;
    ASSERT_EQ(copy_tree(src.c_str(), (dir / "plain").c_str(), &plain), B_OK);
    EXPECT_EQ(UserAttribute(dir / "plain" / "run", "user.note"), "on a file");
    EXPECT_GT(StatOf(dir / "plain" / "run").st_mtime, 1200000000);
}

TEST(EntryTree, CopyMergesIntoFoldersReplacesFilesAndNeverWritesThroughLinks)
{
    TempDir dir;
    fs::create_directories(dir / "src" / "sub");
    WriteFileBytes(dir / "src" / "sub" / "new", "new");
    WriteFileBytes(dir / "src" / "file", "fresh");
    WriteFileBytes(dir / "src" / "guarded", "fresh");

    fs::create_directories(dir / "dst" / "sub");
    WriteFileBytes(dir / "dst" / "sub" / "old", "old");
    WriteFileBytes(dir / "dst" / "file", "stale");
    WriteFileBytes(dir / "victim", "untouched");
    fs::create_symlink(dir / "victim", dir / "dst" / "guarded");

    copy_tree_options options;
    ASSERT_EQ(copy_tree((dir / "src").c_str(), (dir / "dst").c_str(), &options), B_OK);
    EXPECT_EQ(ReadFileBytes(dir / "dst" / "sub" / "old"), "old");
    EXPECT_EQ(ReadFileBytes(dir / "dst" / "sub" / "new"), "new");
    EXPECT_EQ(ReadFileBytes(dir / "dst" / "file"), "fresh");
    // The link at the destination was replaced, not written through.
    EXPECT_FALSE(fs::is_symlink(dir / "dst" / "guarded"));
    EXPECT_EQ(ReadFileBytes(dir / "dst" / "guarded"), "fresh");
    EXPECT_EQ(ReadFileBytes(dir / "victim"), "untouched");

    // A folder is never replaced by a file; the rest still goes over.
    fs::create_directories(dir / "other" / "file" / "x");
    EXPECT_NE(copy_tree((dir / "src").c_str(), (dir / "other").c_str(), &options), B_OK);
    EXPECT_TRUE(fs::exists(dir / "other" / "file" / "x"));
    EXPECT_EQ(ReadFileBytes(dir / "other" / "sub" / "new"), "new");
}

TEST(EntryTree, CopyRefusesAFolderIntoItselfAndReportsMissingSources)
{
    TempDir dir;
    fs::create_directories(dir / "tree" / "sub");
    copy_tree_options options;
    EXPECT_EQ(copy_tree((dir / "tree").c_str(), (dir / "tree" / "sub" / "again").c_str(), &options), B_BAD_VALUE);
    EXPECT_EQ(copy_tree((dir / "tree").c_str(), (dir / "tree").c_str(), &options), B_BAD_VALUE);
    EXPECT_FALSE(fs::exists(dir / "tree" / "sub" / "again"));

    // A file onto itself, or onto another name of itself, keeps its data.
    WriteFileBytes(dir / "tree" / "data", "data");
    fs::create_hard_link(dir / "tree" / "data", dir / "alias");
    EXPECT_NE(copy_tree((dir / "tree" / "data").c_str(), (dir / "alias").c_str(), &options), B_OK);
    EXPECT_EQ(ReadFileBytes(dir / "tree" / "data"), "data");
    EXPECT_EQ(copy_tree((dir / "missing").c_str(), (dir / "x").c_str(), &options), B_ENTRY_NOT_FOUND);
    EXPECT_FALSE(fs::exists(dir / "x"));
}
