// Whole-file writes: exclusive creation never touches what is in the way,
// replacing swaps the file in one step, and nothing is left behind.
#include <AtomicFile.h>
#include <Errors.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

size_t CountEntries(const fs::path& folder)
{
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder))
        count++;
    return count;
}

} // namespace

TEST(AtomicFile, ExclusiveWriteCreatesOnceAndLeavesWhatIsInTheWay)
{
    TempDir dir;
    const fs::path path = dir / "entry.desktop";
    ASSERT_EQ(write_file_atomically(path.c_str(), "first\n", 0640, ATOMIC_WRITE_EXCLUSIVE), B_OK);
    EXPECT_EQ(ReadFileBytes(path), "first\n");
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    EXPECT_EQ(write_file_atomically(path.c_str(), "second\n", 0644, ATOMIC_WRITE_EXCLUSIVE),
        B_FILE_EXISTS);
    EXPECT_EQ(ReadFileBytes(path), "first\n");

    // A link in the way is neither followed nor replaced.
    WriteFileBytes(dir / "target", "target\n");
    fs::create_symlink(dir / "target", dir / "link");
    EXPECT_EQ(write_file_atomically((dir / "link").c_str(), "x", 0644, ATOMIC_WRITE_EXCLUSIVE),
        B_FILE_EXISTS);
    EXPECT_EQ(ReadFileBytes(dir / "target"), "target\n");
    // No temporary file stays behind.
    EXPECT_EQ(CountEntries(dir.Path()), 3u);
}

TEST(AtomicFile, ReplacingWriteSwapsTheFileAndRefusesMissingFoldersAndTheOutside)
{
    TempDir dir;
    const fs::path path = dir / "icon.png";
    WriteFileBytes(path, "old contents that are longer");
    ASSERT_EQ(write_file_atomically(path.c_str(), std::string("new\0data", 8), 0644,
        ATOMIC_WRITE_REPLACE), B_OK);
    EXPECT_EQ(ReadFileBytes(path), std::string("new\0data", 8));

    // A link in the way is replaced by the file, its target untouched.
    WriteFileBytes(dir / "target", "target\n");
    fs::create_symlink(dir / "target", dir / "link");
    ASSERT_EQ(write_file_atomically((dir / "link").c_str(), "file", 0644, ATOMIC_WRITE_REPLACE), B_OK);
    EXPECT_FALSE(fs::is_symlink(dir / "link"));
    EXPECT_EQ(ReadFileBytes(dir / "target"), "target\n");

    EXPECT_NE(write_file_atomically((dir / "missing/file").c_str(), "x", 0644, ATOMIC_WRITE_REPLACE),
        B_OK);
    EXPECT_EQ(write_file_atomically("/etc/ondelle-never-written", "x", 0644, ATOMIC_WRITE_REPLACE),
        B_NOT_ALLOWED);
    EXPECT_FALSE(fs::exists("/etc/ondelle-never-written"));
    EXPECT_EQ(write_file_atomically("", "x", 0644, ATOMIC_WRITE_REPLACE), B_BAD_VALUE);
    EXPECT_EQ(CountEntries(dir.Path()), 3u);
}
