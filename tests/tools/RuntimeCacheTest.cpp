// The runtime a bundled build carries: its digest, its archive and the
// per-user cache it is unpacked into, which is never used when it is not
// exactly as unpacked or belongs to another user.
#include "RuntimeArchive.h"
#include "RuntimeCache.h"
#include "RuntimeExcludes.h"
#include "RuntimeUnpacker.h"
#include "Sha256.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

std::string Digest(const std::string& text)
{
    Sha256 digest;
    digest.Update(text.data(), text.size());
    return Sha256::Hex(digest.Finish());
}

// Writes an archive of the files (path inside -> contents) and returns its
// name; the archive's bytes in bytes.
std::string MakeArchive(const TempDir& dir, const std::vector<std::pair<std::string, std::string>>& files,
    std::string& bytes)
{
    const fs::path archive = dir / "archive";
    const int fd = ::open(archive.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    EXPECT_GE(fd, 0);
    RuntimeArchiveWriter writer(fd, 6);
    int index = 0;
    for (const auto& [path, contents] : files) {
        const fs::path source = dir / ("source" + std::to_string(index++));
        WriteFileBytes(source, contents);
        EXPECT_EQ(writer.Add(path, source.string(), path == "ondelle" ? 0755 : 0644), "");
    }
    std::string name;
    EXPECT_EQ(writer.Finish(name), "");
    ::close(fd);
    bytes = ReadFileBytes(archive);
    return name;
}

std::string Unpack(const TempDir& dir, const std::string& bytes, const std::string& name, const fs::path& target)
{
    WriteFileBytes(dir / "build", bytes);
    const int fd = ::open((dir / "build").c_str(), O_RDONLY | O_CLOEXEC);
    fs::create_directories(target);
    const std::string error = UnpackRuntime(fd, 0, bytes.size(), name, target.string());
    ::close(fd);
    return error;
}

// A cache below a temporary root, with XDG_CACHE_HOME pointing there.
struct Cache {
    TempDir dir;
    std::string root;
    std::string oldCache;
    bool hadCache = false;
    int fills = 0;

    Cache()
    {
        if (const char* value = std::getenv("XDG_CACHE_HOME")) {
            hadCache = true;
            oldCache = value;
        }
        ::setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
        EXPECT_EQ(RuntimeCacheRoot(root), "");
    }
    ~Cache()
    {
        if (hadCache)
            ::setenv("XDG_CACHE_HOME", oldCache.c_str(), 1);
        else
            ::unsetenv("XDG_CACHE_HOME");
    }

    std::string Prepare(std::string& folder, bool& unpacked, const std::string& failWith = std::string())
    {
        return PrepareRuntimeFolder(root, "runtime-" + std::string(64, 'a'),
            [&](const std::string& target) {
                fills++;
                WriteFileBytes(fs::path(target) / "ondelle", "program");
                fs::create_directories(fs::path(target) / "lib");
                WriteFileBytes(fs::path(target) / "lib/libone.so", "library");
                return failWith;
            },
            folder, unpacked);
    }

    // Entries in the cache root other than the runtime's folder.
    std::vector<std::string> Leftovers(const std::string& folder) const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(root)) {
            if (entry.path() != folder)
                names.push_back(entry.path().filename().string());
        }
        return names;
    }
};

} // namespace

TEST(RuntimeArchive, Sha256MatchesTheStandardsExamples)
{
    EXPECT_EQ(Digest(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Digest("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Digest("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
        "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    // Fed in pieces that cross the 64-byte blocks.
    Sha256 pieces;
    const std::string text(1000, 'a');
    for (size_t at = 0; at < text.size(); at += 7)
        pieces.Update(text.data() + at, std::min<size_t>(7, text.size() - at));
    EXPECT_EQ(Sha256::Hex(pieces.Finish()), Digest(text));
}

TEST(RuntimeArchive, UnpacksWhatWasPackedAndRefusesDamage)
{
    TempDir dir;
    std::string bytes;
    const std::string big = ondelle::test::PatternBytes(300000, 7);
    const std::string name = MakeArchive(dir, {{"ondelle", "#!/bin/sh\n"}, {"lib/libbig.so.1", big},
        {"plugins/platforms/libqxcb.so", "plugin"}, {"empty", ""}}, bytes);
    EXPECT_TRUE(IsRuntimeName(name));
    EXPECT_EQ(name, "runtime-" + Digest(bytes));

    ASSERT_EQ(Unpack(dir, bytes, name, dir / "out"), "");
    EXPECT_EQ(ReadFileBytes(dir / "out/lib/libbig.so.1"), big);
    EXPECT_EQ(ReadFileBytes(dir / "out/plugins/platforms/libqxcb.so"), "plugin");
    EXPECT_EQ(ReadFileBytes(dir / "out/empty"), "");
    struct stat status;
    ASSERT_EQ(::stat((dir / "out/ondelle").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0755u);

    // Checking alone writes nothing and counts the files.
    {
        const int fd = ::open((dir / "build").c_str(), O_RDONLY | O_CLOEXEC);
        uint64_t count = 0, unpackedSize = 0;
        EXPECT_EQ(VerifyRuntime(fd, 0, bytes.size(), name, count, unpackedSize), "");
        EXPECT_EQ(count, 4u);
        EXPECT_EQ(unpackedSize, 10u + big.size() + 6u);
        EXPECT_NE(VerifyRuntime(fd, 0, bytes.size() - 1, name, count, unpackedSize), "");
        ::close(fd);
    }

    // Any changed byte is found: in a header, in compressed data, or in the
    // digest the name carries.
    for (size_t at : {size_t(12), bytes.size() / 2, bytes.size() - 3}) {
        std::string damaged = bytes;
        damaged[at] = char(damaged[at] ^ 0x20);
        fs::remove_all(dir / "damaged");
        EXPECT_NE(Unpack(dir, damaged, name, dir / "damaged"), "") << "byte " << at;
    }
    EXPECT_NE(Unpack(dir, bytes.substr(0, bytes.size() - 1), name, dir / "short"), "");
    EXPECT_NE(Unpack(dir, bytes, "runtime-" + std::string(64, '0'), dir / "renamed"), "");
    // A file that is there already is never written through.
    fs::create_directories(dir / "planted");
    fs::create_symlink(dir / "victim", dir / "planted/ondelle");
    EXPECT_NE(Unpack(dir, bytes, name, dir / "planted"), "");
    EXPECT_FALSE(fs::exists(dir / "victim"));

    EXPECT_FALSE(IsSafeRuntimePath("../x"));
    EXPECT_FALSE(IsSafeRuntimePath("/etc/x"));
    EXPECT_FALSE(IsSafeRuntimePath("lib/../../x"));
    EXPECT_FALSE(IsSafeRuntimePath("lib//x"));
    EXPECT_TRUE(IsSafeRuntimePath("lib/libQt6Core.so.6"));
}

TEST(RuntimeCache, UnpacksOnceAndReusesTheSealedFolder)
{
    Cache cache;
    std::string folder;
    bool unpacked = false;
    ASSERT_EQ(cache.Prepare(folder, unpacked), "");
    EXPECT_TRUE(unpacked);
    struct stat status;
    ASSERT_EQ(::lstat(folder.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
    EXPECT_EQ(ReadFileBytes(fs::path(folder) / "ondelle"), "program");
    ASSERT_EQ(cache.Prepare(folder, unpacked), "");
    EXPECT_FALSE(unpacked);
    EXPECT_EQ(cache.fills, 1);
    EXPECT_TRUE(cache.Leftovers(folder).empty());
}

TEST(RuntimeCache, AFolderThatChangedIsUnpackedAgain)
{
    Cache cache;
    std::string folder;
    bool unpacked = false;
    ASSERT_EQ(cache.Prepare(folder, unpacked), "");

    // A planted file.
    WriteFileBytes(fs::path(folder) / "lib/libplanted.so", "planted");
    EXPECT_NE(CheckRuntimeSeal(folder), "");
    ASSERT_EQ(cache.Prepare(folder, unpacked), "");
    EXPECT_TRUE(unpacked);
    EXPECT_FALSE(fs::exists(fs::path(folder) / "lib/libplanted.so"));

    // A file changed in place, keeping its size.
    WriteFileBytes(fs::path(folder) / "ondelle", "PROGRAM");
    ASSERT_EQ(cache.Prepare(folder, unpacked), "");
    EXPECT_TRUE(unpacked);
    EXPECT_EQ(ReadFileBytes(fs::path(folder) / "ondelle"), "program");

    // A missing seal, or a folder others may enter.
    fs::remove(fs::path(folder) / ".seal");
    ASSERT_EQ(cache.Prepare(folder, unpacked), "");
    EXPECT_TRUE(unpacked);
    ::chmod(folder.c_str(), 0755);
    ASSERT_EQ(cache.Prepare(folder, unpacked), "");
    EXPECT_TRUE(unpacked);
    EXPECT_EQ(cache.fills, 5);
    EXPECT_TRUE(cache.Leftovers(folder).empty());
}

TEST(RuntimeCache, AFailedUnpackLeavesNothingBehind)
{
    Cache cache;
    std::string folder;
    bool unpacked = false;
    const std::string error = cache.Prepare(folder, unpacked, "lib/libone.so: the disk is full");
    EXPECT_NE(error.find("disk is full"), std::string::npos);
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_TRUE(cache.Leftovers(folder).empty());
    ASSERT_EQ(cache.Prepare(folder, unpacked), "");
    EXPECT_TRUE(unpacked);
}

TEST(RuntimeCache, WhatKilledStartsLeftIsRemovedWhenOld)
{
    Cache cache;
    const fs::path old = fs::path(cache.root) / ".runtime-killed-Ab12Cd";
    const fs::path recent = fs::path(cache.root) / ".stale-Xy34Zw";
    fs::create_directories(old / "lib");
    fs::create_directories(recent);
    const struct timespec times[2] = {{::time(nullptr) - 7200, 0}, {::time(nullptr) - 7200, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, old.c_str(), times, 0), 0);
    std::string folder;
    bool unpacked = false;
    ASSERT_EQ(cache.Prepare(folder, unpacked), "");
    EXPECT_FALSE(fs::exists(old));
    // One that may belong to a start running now stays.
    EXPECT_TRUE(fs::exists(recent));
}

TEST(RuntimeCache, ACacheOthersMayChangeOrOwnIsNotUsed)
{
    Cache cache;
    ::chmod(cache.root.c_str(), 0777);
    std::string root;
    EXPECT_NE(RuntimeCacheRoot(root), "");
    ::chmod(cache.root.c_str(), 0700);
    ASSERT_EQ(RuntimeCacheRoot(root), "");

    if (::geteuid() != 0)
        GTEST_SKIP() << "a folder of another user can only be made as root";
    std::string folder;
    bool unpacked = false;
    ASSERT_EQ(cache.Prepare(folder, unpacked), "");
    ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
    const std::string error = cache.Prepare(folder, unpacked);
    EXPECT_NE(error.find("another user"), std::string::npos) << error;
    EXPECT_EQ(cache.fills, 1);
    EXPECT_TRUE(fs::exists(fs::path(folder) / "ondelle")) << "another user's folder was touched";
    // A file of another user inside a folder of ours: unpacked again.
    ASSERT_EQ(::chown(folder.c_str(), 0, 0), 0);
    ASSERT_EQ(::chown((fs::path(folder) / "ondelle").c_str(), 65534, 65534), 0);
    EXPECT_NE(CheckRuntimeSeal(folder), "");
    ASSERT_EQ(cache.Prepare(folder, unpacked), "");
    EXPECT_TRUE(unpacked);
}

TEST(RuntimeExcludes, TheMachinesOwnLibrariesAreNotBundled)
{
    for (const char* name : {"libc.so.6", "libm.so.6", "ld-linux-x86-64.so.2", "libstdc++.so.6", "libGL.so.1",
             "libEGL.so.1", "libX11.so.6", "libxcb.so.1", "libxcb-shm.so.0", "libfontconfig.so.1",
             "libfreetype.so.6", "libdbus-1.so.3", "libwayland-client.so.0", "libz.so.1"})
        EXPECT_TRUE(IsSystemLibrary(name)) << name;
    for (const char* name : {"libQt6Core.so.6", "libQt6XcbQpa.so.6", "libicuuc.so.72", "libicudata.so.72",
             "libxcb-icccm.so.4", "libxcb-cursor.so.0", "libminizip.so.1", "libdouble-conversion.so.3",
             "libjpeg.so.62", "libcrypto-fake.so.1", "libmath.so.1"})
        EXPECT_FALSE(IsSystemLibrary(name)) << name;
}
