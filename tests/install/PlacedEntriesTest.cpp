// The install record and the deinstall tag come from unpacking itself: the
// record's checksums must be those of the files as they stand, every file
// and folder of a deinstallable item must carry the tag, and a damaged
// archive must leave neither entries nor record lines behind.
#include "InstallTestSupport.h"

#include <DeinstallTag.h>
#include <FileDigest.h>
#include <FindDirectory.h>
#include <InstallRecord.h>
#include <LibAppResource.h>

#include "ZipBytes.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace installtest;
using ondelle::test::MakeStoredZip;
using ondelle::test::ZipBytesEntry;

namespace {

// Every entry of the tree at root, root included, links not entered.
std::vector<fs::path> TreeOf(const fs::path& root)
{
    std::vector<fs::path> entries{root};
    if (fs::is_directory(fs::symlink_status(root))) {
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root))
            entries.push_back(entry.path());
    }
    return entries;
}

} // namespace

TEST(PlacedEntries, RecordChecksumsAreTheFilesOwnAndEveryFileAndFolderCarriesTheTag)
{
    InstallFixture fixture;
    fixture.AddFolder("Docs").destination = "User Settings";
    fixture.AddFolder("Local");
    // Several read and write chunks long.
    fixture.Add("big.bin", RandomBytes(700 * 1024, 5));
    fixture.Add("kept.txt", "not deinstallable").deinstallable = "False";
    fixture.Load();
    ASSERT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
    const std::string tag = MakeDeinstallTag(fixture.Config());

    InstallRecord record;
    ASSERT_EQ(record.Load(InstallRecord::PathIn(fixture.InstallFolder().c_str()).c_str()), B_OK);
    const fs::path settings = StandardFolder(B_USER_SETTINGS_DIRECTORY);
    size_t files = 0;
    for (const fs::path& item : {settings / "Docs", fixture.InstallFolder() / "Local",
             fixture.InstallFolder() / "big.bin"}) {
        for (const fs::path& path : TreeOf(item)) {
            SCOPED_TRACE(path.string());
            const install_record_entry* entry = record.Find(path.string());
            ASSERT_NE(entry, nullptr);
            struct stat st = {};
            ASSERT_EQ(::lstat(path.c_str(), &st), 0);
            EXPECT_EQ(entry->modified, int64(st.st_mtime));
            EXPECT_FALSE(record.Changed(path.string()));
            if (S_ISLNK(st.st_mode)) {
                EXPECT_EQ(entry->kind, install_record_entry::LINK);
                EXPECT_EQ(entry->detail, fs::read_symlink(path).string());
                continue;
            }
            EXPECT_TRUE(HasDeinstallTag(path.c_str(), tag.c_str()));
            if (S_ISDIR(st.st_mode)) {
                EXPECT_EQ(entry->kind, install_record_entry::FOLDER);
                continue;
            }
            files++;
            std::string digest;
            ASSERT_EQ(file_digest(path.c_str(), &digest), B_OK);
            EXPECT_EQ(entry->kind, install_record_entry::FILE);
            EXPECT_EQ(entry->detail, digest);
            EXPECT_EQ(entry->size, int64(st.st_size));
        }
    }
    EXPECT_EQ(files, 5u);
    // The item dates the job gave after unpacking are what the record holds.
    EXPECT_EQ(record.Find((fixture.InstallFolder() / "big.bin").string())->modified, int64(kPayloadTime));
    EXPECT_FALSE(record.Has((fixture.InstallFolder() / "kept.txt").string()));
    EXPECT_FALSE(HasDeinstallTag((fixture.InstallFolder() / "kept.txt").c_str(), tag.c_str()));
}

TEST(PlacedEntries, ADamagedArchiveLeavesNoEntryAndNoRecordLine)
{
    InstallFixture fixture;
    fixture.Add("fine.txt", "fine");
    fixture.AddFolder("Broken");
    fixture.Load();
    {
        // Its first entries unpack whole; the last one fails its checksum.
        std::string zip = MakeStoredZip({
            ZipBytesEntry("Broken/", "", 040755),
            ZipBytesEntry("Broken/one", "unpacks whole"),
            ZipBytesEntry("Broken/sub/two", "does not match its checksum"),
        });
        zip[zip.find("does not match")] = 'D';
        LibAppResource resources(fixture.Build().c_str(), B_READ_WRITE);
        ASSERT_EQ(resources.InitCheck(), B_OK);
        ASSERT_EQ(resources.RemoveResource(B_RAW_TYPE, 2101), B_OK);
        ASSERT_EQ(resources.AddResource(B_RAW_TYPE, 2101, zip.data(), zip.size(), "Broken"), B_OK);
    }
    testing::internal::CaptureStderr();
    ASSERT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
    testing::internal::GetCapturedStderr();

    EXPECT_FALSE(fs::exists(fs::symlink_status(fixture.InstallFolder() / "Broken")));
    InstallRecord record;
    ASSERT_EQ(record.Load(InstallRecord::PathIn(fixture.InstallFolder().c_str()).c_str()), B_OK);
    EXPECT_TRUE(record.Has((fixture.InstallFolder() / "fine.txt").string()));
    for (const auto& [path, entry] : record.Entries())
        EXPECT_EQ(path.find("Broken"), std::string::npos) << path;
    // No working folder is left behind either.
    for (const fs::path& folder : {fs::temp_directory_path(), fixture.InstallFolder()}) {
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            EXPECT_EQ(entry.path().filename().string().find("ondelle-item-"), std::string::npos) << entry.path();
    }
}
