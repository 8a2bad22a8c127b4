// The lock file: one holder at a time, across processes too; released by
// the holder's end, never taken through a link or on a non-regular file.
#include <LockFile.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

TEST(LockFileTest, OneHolderAtATimeAndTheFileGoesWithTheLock)
{
    TempDir dir;
    const std::string path = (dir / "job.lock").string();
    BLockFile first;
    ASSERT_EQ(first.TryLock(path.c_str()), B_OK);
    EXPECT_TRUE(first.IsLocked());
    BLockFile second;
    EXPECT_EQ(second.TryLock(path.c_str()), B_BUSY);
    EXPECT_FALSE(second.IsLocked());

    first.Unlock();
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(second.TryLock(path.c_str()), B_OK);
    {
        // A lock file left by a holder that died is simply taken over.
        BLockFile third;
        EXPECT_EQ(third.TryLock(path.c_str()), B_BUSY);
    }
    EXPECT_TRUE(fs::exists(path)) << "a refused taker removes nothing";
}

TEST(LockFileTest, AnotherProcessIsRefusedUntilTheHolderEnds)
{
    TempDir dir;
    const std::string path = (dir / "job.lock").string();
    int ready[2];
    int finish[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(finish), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        BLockFile held;
        const char state = held.TryLock(path.c_str()) == B_OK ? 'y' : 'n';
        (void)!::write(ready[1], &state, 1);
        char go;
        (void)!::read(finish[0], &go, 1);
        // Ends without unlocking: the system releases the lock.
        ::_exit(0);
    }
    char state = 0;
    ASSERT_EQ(::read(ready[0], &state, 1), 1);
    ASSERT_EQ(state, 'y');
    BLockFile mine;
    EXPECT_EQ(mine.TryLock(path.c_str()), B_BUSY);
    ASSERT_EQ(::write(finish[1], "x", 1), 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(mine.TryLock(path.c_str()), B_OK);
    for (int fd : {ready[0], ready[1], finish[0], finish[1]})
        ::close(fd);
}

TEST(LockFileTest, NeverThroughALinkOrOnSomethingElse)
{
    TempDir dir;
    WriteFileBytes(dir / "victim", "keep me");
    fs::create_symlink(dir / "victim", dir / "link.lock");
    BLockFile lock;
    EXPECT_EQ(lock.TryLock((dir / "link.lock").c_str()), B_NOT_ALLOWED);
    lock.Unlock();
    EXPECT_EQ(ReadFileBytes(dir / "victim"), "keep me");
    EXPECT_TRUE(fs::is_symlink(dir / "link.lock"));

    ASSERT_EQ(::mkfifo((dir / "fifo.lock").c_str(), 0600), 0);
    EXPECT_EQ(lock.TryLock((dir / "fifo.lock").c_str()), B_NOT_ALLOWED);
    fs::create_directories(dir / "folder.lock");
    EXPECT_NE(lock.TryLock((dir / "folder.lock").c_str()), B_OK);
    EXPECT_FALSE(lock.IsLocked());
    EXPECT_EQ(lock.TryLock(nullptr), B_BAD_VALUE);
    // Tests run in a sandbox: nothing is made outside it.
    EXPECT_EQ(lock.TryLock("/proc/ondelle-test.lock"), B_NOT_ALLOWED);
}
