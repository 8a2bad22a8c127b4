// A build whose archives mix stored entries (data that deflate cannot
// shrink), deflated ones small enough to inflate in one call and larger
// ones that are streamed installs exactly its payload: the same bytes,
// modes and times, every file in the record with its own checksum and
// every item in the log.
#include "InstallTestSupport.h"

#include <FileDigest.h>
#include <InstallRecord.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sys/stat.h>

using namespace installtest;

namespace {

std::string Text(size_t size)
{
    std::string text;
    for (unsigned line = 0; text.size() < size; line++)
        text += "entry " + std::to_string(line * 40503u % 977) + " of the product's documentation\n";
    text.resize(size);
    return text;
}

} // namespace

TEST(StoredAndDeflatedItems, TheInstalledTreeIsThePayloadWhateverEachEntryWasStoredAs)
{
    InstallFixture fixture;
    const std::map<std::string, std::string> files = {
        {"small.txt", Text(5000)},
        {"small.bin", RandomBytes(7000, 1)},
        // Past the writer's 1 MiB blocks.
        {"large.bin", RandomBytes(2300 * 1024, 2)},
        // Past the size inflated in one call (8 MiB).
        {"large.txt", Text(9 * 1024 * 1024)},
    };
    for (const auto& [leaf, contents] : files)
        fixture.Add(leaf, contents);
    fixture.AddFolder("Folder");
    fixture.Load();
    ASSERT_EQ(fixture.Run(), INSTALL_RESULT_DONE);

    InstallRecord record;
    ASSERT_EQ(record.Load(InstallRecord::PathIn(fixture.InstallFolder().c_str()).c_str()), B_OK);
    const std::vector<std::string> log = fixture.LogLines();
    for (const auto& [leaf, contents] : files) {
        SCOPED_TRACE(leaf);
        const fs::path path = fixture.InstallFolder() / leaf;
        EXPECT_EQ(ondelle::test::ReadFileBytes(path), contents);
        struct stat installed = {};
        struct stat source = {};
        ASSERT_EQ(::stat(path.c_str(), &installed), 0);
        ASSERT_EQ(::stat((fixture.Root() / "payload" / leaf).c_str(), &source), 0);
        EXPECT_EQ(installed.st_mode, source.st_mode);
        EXPECT_EQ(installed.st_mtime, kPayloadTime);
        const install_record_entry* entry = record.Find(path.string());
        ASSERT_NE(entry, nullptr);
        std::string digest;
        ASSERT_EQ(file_digest(path.c_str(), &digest), B_OK);
        EXPECT_EQ(entry->detail, digest);
        EXPECT_EQ(entry->size, int64(contents.size()));
        EXPECT_NE(std::find(log.begin(), log.end(), "\t\tInstalling : " + leaf), log.end());
    }
    EXPECT_EQ(ondelle::test::ReadFileBytes(fixture.InstallFolder() / "Folder/sub/deep.txt"), "deep\n");
    EXPECT_EQ(fs::read_symlink(fixture.InstallFolder() / "Folder/current"), "inner.txt");
}
