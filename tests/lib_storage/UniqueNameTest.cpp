// Unique temporary names, their exclusive creation, the search along a
// path variable, and recursive sizes.
#include "LibFileUtils.h"
#include "LibWorkFolders.h"
#include "StorageTestSupport.h"

#include "TestSupport.h"

#include <File.h>
#include <FindDirectory.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

// The counter inside a name "<prefix><counter><pid><seconds>", given the
// seconds lie between from and to; -1 when the name has another form.
long CounterOf(const std::string& leaf, const std::string& prefix, time_t from, time_t to)
{
    if (leaf.rfind(prefix, 0) != 0)
        return -1;
    for (time_t t = from; t <= to; t++) {
        const std::string tail = std::to_string(::getpid()) + std::to_string(long(t));
        if (leaf.size() > prefix.size() + tail.size() && leaf.compare(leaf.size() - tail.size(), tail.size(), tail) == 0)
            return std::stol(leaf.substr(prefix.size(), leaf.size() - prefix.size() - tail.size()));
    }
    return -1;
}

} // namespace

TEST(UniqueName, CounterRunsFromOneToTenThousandAndWraps)
{
    const time_t start = ::time(nullptr);
    std::vector<std::string> leaves;
    for (int i = 0; i < 10001; i++) {
        BPath named("/some/folder");
        LibUniqueName(named, "zip");
        leaves.push_back(named.Leaf());
    }
    const time_t end = ::time(nullptr);
    int wraps = 0;
    long previous = CounterOf(leaves[0], "zip", start, end);
    for (size_t i = 1; i < leaves.size(); i++) {
        const long counter = CounterOf(leaves[i], "zip", start, end);
        ASSERT_GE(counter, 1) << leaves[i];
        ASSERT_LE(counter, 10000);
        if (counter < previous) {
            wraps++;
            EXPECT_EQ(previous, 10000);
            EXPECT_EQ(counter, 1);
        } else {
            EXPECT_EQ(counter, previous + 1);
        }
        previous = counter;
    }
    EXPECT_EQ(wraps, 1);
}

TEST(UniqueName, EmptyPathMeansTheCommonTemporaryFolder)
{
    BPath temporary;
    ASSERT_EQ(find_directory(B_COMMON_TEMP_DIRECTORY, &temporary), B_OK);
    BPath path;
    LibUniqueName(path, "t");
    BPath parent;
    ASSERT_EQ(path.GetParent(&parent), B_OK);
    EXPECT_STREQ(parent.Path(), temporary.Path());
}

TEST(UniqueName, AMissingTemporaryFolderIsMadeForTheFirstScratchFile)
{
    // A fresh sandbox (or a cleaned /tmp) has no temporary folder yet: the
    // first scratch file makes it instead of failing.
    TempDir dir;
    const std::string saved = std::getenv("ONDELLE_SANDBOX") != nullptr ? std::getenv("ONDELLE_SANDBOX") : "";
    ::setenv("ONDELLE_SANDBOX", dir.Path().c_str(), 1);
    BPath path;
    BFile file;
    const status_t status = LibCreateUniqueFile(path, "scratch", file);
    if (saved.empty())
        ::unsetenv("ONDELLE_SANDBOX");
    else
        ::setenv("ONDELLE_SANDBOX", saved.c_str(), 1);
    ASSERT_EQ(status, B_OK);
    EXPECT_EQ(fs::path(path.Path()).parent_path(), dir / "tmp");
    EXPECT_TRUE(fs::is_regular_file(path.Path()));
}

TEST(UniqueName, CreationIsExclusiveAndNeverFollowsAPlantedLink)
{
    TempDir dir;
    const fs::path victim = dir / "victim";
    // Predict the next names and plant links there.
    BPath probe(dir.Path().c_str());
    LibUniqueName(probe, "zip");
    const time_t now = ::time(nullptr);
    const long counter = CounterOf(probe.Leaf(), "zip", now - 5, now);
    ASSERT_GT(counter, 0);
    for (long c = counter + 1; c < counter + 4; c++)
        for (time_t t = now; t <= now + 2; t++)
            fs::create_symlink(victim, dir / ("zip" + std::to_string(c % 10000 == 0 ? 10000 : c % 10000)
                                                 + std::to_string(::getpid()) + std::to_string(long(t))));
    BPath path(dir.Path().c_str());
    BFile file;
    ASSERT_EQ(LibCreateUniqueFile(path, "zip", file), B_OK);
    EXPECT_FALSE(fs::exists(victim));
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(path.Path())));
    struct stat st;
    ASSERT_EQ(::lstat(path.Path(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    BPath folder(dir.Path().c_str());
    ASSERT_EQ(LibCreateUniqueFolder(folder, "zip"), B_OK);
    ASSERT_EQ(::lstat(folder.Path(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_FALSE(fs::exists(victim));
}

TEST(UniqueName, FindEnvFileSkipsTheFirstElement)
{
    TempDir dir;
    for (const char* name : {"x", "bin", "usrbin"})
        fs::create_directory(dir / name);
    WriteFileBytes(dir / "x" / "only-in-x", "");
    WriteFileBytes(dir / "bin" / "tool", "");
    const std::string value = (dir / "x").string() + ":" + (dir / "bin").string() + ":" + (dir / "usrbin").string();
    ::setenv("ONDELLE_TEST_PATH", value.c_str(), 1);
    BPath found;
    EXPECT_FALSE(LibFindEnvFile("ONDELLE_TEST_PATH", "only-in-x", found));
    ASSERT_TRUE(LibFindEnvFile("ONDELLE_TEST_PATH", "tool", found));
    EXPECT_EQ(found.Path(), (dir / "bin" / "tool").string());
    EXPECT_FALSE(LibFindEnvFile("ONDELLE_TEST_PATH", "nowhere", found));
    ::unsetenv("ONDELLE_TEST_PATH");
    EXPECT_FALSE(LibFindEnvFile("ONDELLE_TEST_PATH", "tool", found));
}

TEST(EntrySize, SumsTheTreeAndOptionallyTheAttributes)
{
    TempDir dir;
    EXPECT_EQ(LibEntrySize((dir / "missing").c_str(), true), 0);
    fs::create_directories(dir / "d" / "sub");
    WriteFileBytes(dir / "d" / "ten", std::string(10, 'a'));
    WriteFileBytes(dir / "d" / "sub" / "twenty", std::string(20, 'b'));
    struct stat d;
    struct stat sub;
    ASSERT_EQ(::stat((dir / "d").c_str(), &d), 0);
    ASSERT_EQ(::stat((dir / "d" / "sub").c_str(), &sub), 0);
    EXPECT_EQ(LibEntrySize((dir / "d").c_str(), false), int32(d.st_size + sub.st_size + 30));

    ASSERT_TRUE(storage_test::SetAttribute((dir / "d" / "ten").string(), "note", B_STRING_TYPE, "12345"));
    EXPECT_EQ(LibEntrySize((dir / "d" / "ten").c_str(), false), 10);
    const int32 withAttributes = LibEntrySize((dir / "d" / "ten").c_str(), true);
    EXPECT_GE(withAttributes, 15);
    EXPECT_EQ(LibEntrySize((dir / "d").c_str(), true) - LibEntrySize((dir / "d").c_str(), false),
        withAttributes - 10);

    // A link counts as itself, not as what it points to.
    fs::create_symlink(dir / "d", dir / "link");
    EXPECT_LT(LibEntrySize((dir / "link").c_str(), false), LibEntrySize((dir / "d").c_str(), false));
}

TEST(LibWorkFolder, NamedAfterTheProcessAndRemovedOnlyWhenThatProcessIsGone)
{
    TempDir dir;
    BPath made(dir.Path().c_str());
    ASSERT_EQ(LibCreateWorkFolder(made, "job-"), B_OK);
    const std::string leaf = fs::path(made.Path()).filename().string();
    const std::string own = "job-" + std::to_string(::getpid()) + "-";
    EXPECT_EQ(leaf.rfind(own, 0), 0u) << leaf;
    struct stat st;
    ASSERT_EQ(::stat(made.Path(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    const std::string dead = "job-" + std::to_string(child) + "-";
    fs::create_directories(dir / (dead + "1/inside"));
    WriteFileBytes(dir / (dead + "2"), "a file, not a folder");
    fs::create_directory_symlink(made.Path(), dir / (dead + "3"));
    fs::create_directories(dir / "job-abc-5");
    fs::create_directories(dir / ("job-" + std::to_string(child)));
    fs::create_directories(dir / ("other-" + std::to_string(child) + "-4"));

    EXPECT_EQ(LibRemoveStaleWorkFolders(dir.Path().c_str(), "job-"), 1);
    EXPECT_FALSE(fs::exists(dir / (dead + "1")));
    EXPECT_TRUE(fs::is_directory(made.Path())) << "this process still runs";
    EXPECT_TRUE(fs::is_regular_file(dir / (dead + "2")));
    EXPECT_TRUE(fs::is_symlink(dir / (dead + "3")));
    EXPECT_TRUE(fs::exists(dir / "job-abc-5"));
    EXPECT_TRUE(fs::exists(dir / ("job-" + std::to_string(child))));
    EXPECT_TRUE(fs::exists(dir / ("other-" + std::to_string(child) + "-4")));
    EXPECT_EQ(LibRemoveStaleWorkFolders(dir.Path().c_str(), ""), 0) << "an empty prefix matches nothing";
}

TEST(LibWorkFolders, RemoveAllDeletesWhatIsStillRegistered)
{
    TempDir dir;
    LibWorkFolders folders;
    fs::create_directories(dir / "kept");
    fs::create_directories(dir / "busy/deep");
    WriteFileBytes(dir / "busy/deep/archive.zip", "zip");
    fs::create_directories(dir / "done");
    folders.Add((dir / "busy").string());
    folders.Add((dir / "done").string());
    folders.Remove((dir / "done").string());
    EXPECT_FALSE(folders.IsEmpty());
    folders.RemoveAll();
    EXPECT_TRUE(folders.IsEmpty());
    EXPECT_FALSE(fs::exists(dir / "busy"));
    EXPECT_TRUE(fs::exists(dir / "done")) << "let go of before the stop";
    EXPECT_TRUE(fs::exists(dir / "kept"));
}
