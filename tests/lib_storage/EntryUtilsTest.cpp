// Standard folder names, paths and references, file types, time stamps and
// desktop-shell requests.
#include "LibEntryDates.h"
#include "LibEntryUtils.h"
#include "LibFileUtils.h"

#include "TestSupport.h"

#include <Entry.h>
#include <MimeType.h>
#include <Node.h>
#include <NodeInfo.h>
#include <Sandbox.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

std::vector<BMessage> RecordedRequests()
{
    std::vector<BMessage> requests;
    const fs::path folder = fs::path(sandbox_root()) / "desktop-requests";
    for (int n = 1; fs::exists(folder / ("request-" + std::to_string(n))); n++) {
        const std::string flat = ReadFileBytes(folder / ("request-" + std::to_string(n)));
        BMessage message;
        EXPECT_EQ(message.Unflatten(flat.data(), ssize_t(flat.size())), B_OK);
        requests.push_back(message);
    }
    return requests;
}

} // namespace

TEST(StdDirNames, LookUpByNameAndCode)
{
    directory_which code = B_DESKTOP_DIRECTORY;
    ASSERT_TRUE(LibGetStdDirName("User Settings", code));
    EXPECT_EQ(code, directory_which(3006));
    EXPECT_FALSE(LibGetStdDirName("user settings", code));
    EXPECT_FALSE(LibGetStdDirName("User Settings ", code));
    LibString name;
    ASSERT_TRUE(LibGetStdDirName(directory_which(3006), name));
    EXPECT_STREQ(name, "User Settings");
    EXPECT_FALSE(LibGetStdDirName(directory_which(5), name));
    EXPECT_FALSE(LibStdDirNameExists(""));
    EXPECT_TRUE(LibStdDirNameExists("Common Temporary"));
    // The table holds 51 rows in code order and ends with a null name.
    int rows = 0;
    for (const lib_dir_name* row = lib_be_dir_names; row->name != nullptr; row++, rows++) {
        if (rows > 0) {
            EXPECT_LT(row[-1].code, row->code) << row->name;
        }
    }
    EXPECT_EQ(rows, 51);
    EXPECT_STREQ(lib_be_dir_names[0].name, "Desktop");
    EXPECT_STREQ(lib_be_dir_names[rows - 1].name, "Utilities");
}

TEST(EntryPaths, ReferencesPathsAndLeaves)
{
    TempDir dir;
    WriteFileBytes(dir / "file", "x");
    entry_ref ref;
    ASSERT_TRUE(LibGetEntryRef((dir / "file").c_str(), ref));
    LibString full;
    ASSERT_TRUE(LibGetFullPath(ref, full));
    EXPECT_EQ(std::string(static_cast<const char*>(full)), (dir / "file").string());
    // A leaf that does not exist yet still gives a reference.
    entry_ref future;
    EXPECT_TRUE(LibGetEntryRef((dir / "not yet").c_str(), future));
    EXPECT_FALSE(LibGetEntryRef("", future));

    entry_ref parent = LibGetParentRef(ref);
    BPath parentPath;
    ASSERT_TRUE(LibGetFullPath(parent, parentPath));
    EXPECT_EQ(std::string(parentPath.Path()), dir.Path().string());
    BPath joined;
    LibGetPath(parent, "other", joined);
    EXPECT_EQ(std::string(joined.Path()), (dir / "other").string());

    LibString folder;
    LibGetParentPath((dir / "file").c_str(), folder);
    EXPECT_EQ(std::string(static_cast<const char*>(folder)), dir.Path().string());
    char leaf[B_FILE_NAME_LENGTH];
    LibGetChildName((dir / "file").c_str(), leaf);
    EXPECT_STREQ(leaf, "file");

    LibString settings;
    ASSERT_TRUE(LibGetSettingsPath(settings));
    BPath expected;
    ASSERT_EQ(find_directory(B_USER_SETTINGS_DIRECTORY, &expected), B_OK);
    EXPECT_STREQ(settings, expected.Path());
    char buffer[B_PATH_NAME_LENGTH];
    ASSERT_TRUE(LibGetSettingsPath(buffer, 0));
    EXPECT_STREQ(buffer, expected.Path());

    BPath program;
    LibGetWorkingDirectory(program);
    ASSERT_NE(program.Path(), nullptr);
    EXPECT_TRUE(fs::exists(fs::path(program.Path()) / "test_lib_storage"));
}

TEST(EntryPaths, SaveRequestPathIsTrimmed)
{
    TempDir dir;
    entry_ref folder;
    ASSERT_TRUE(LibGetEntryRef(dir.Path().c_str(), folder));
    BMessage request('SAVE');
    request.AddRef("directory", &folder);
    request.AddString("name", "  report.txt ");
    BPath path;
    EXPECT_EQ(LibGetFilePath(&request, path), 10);
    EXPECT_EQ(std::string(path.Path()), (dir / "report.txt").string());
    BMessage empty;
    EXPECT_EQ(LibGetFilePath(&empty, path), 0);
}

TEST(EntryTypes, DescriptionsAndSetting)
{
    TempDir dir;
    WriteFileBytes(dir / "plain.txt", "some text");
    fs::create_directory(dir / "folder");
    fs::create_symlink(dir / "plain.txt", dir / "link");
    char type[B_MIME_TYPE_LENGTH];
    entry_ref ref;
    ASSERT_TRUE(LibGetEntryRef((dir / "plain.txt").c_str(), ref));
    LibGetMimeType(ref, type, true);
    EXPECT_STREQ(type, "Unknown");
    ASSERT_TRUE(LibGetEntryRef((dir / "folder").c_str(), ref));
    LibGetMimeType(ref, type, true);
    EXPECT_STREQ(type, "Folder");
    ASSERT_TRUE(LibGetEntryRef((dir / "link").c_str(), ref));
    LibGetMimeType(ref, type, true);
    EXPECT_STREQ(type, "Symbolic Link");

    LibSetMimeType((dir / "plain.txt").c_str(), "text/plain");
    ASSERT_TRUE(LibGetEntryRef((dir / "plain.txt").c_str(), ref));
    LibGetMimeType(ref, type, false);
    EXPECT_STREQ(type, "text/plain");
    LibSetMimeType((dir / "plain.txt").c_str(), B_ELF_APP_MIME_TYPE);
    LibGetMimeType(ref, type, true);
    EXPECT_STREQ(type, "Be Application");

    LibSetFileType((dir / "plain.txt").c_str(), "text/x-vondl", "application/x-vnd.Test-App");
    BNode node((dir / "plain.txt").c_str());
    BNodeInfo info(&node);
    char signature[B_MIME_TYPE_LENGTH];
    ASSERT_EQ(info.GetPreferredApp(signature), B_OK);
    EXPECT_STREQ(signature, "application/x-vnd.Test-App");
    ASSERT_EQ(info.GetType(type), B_OK);
    EXPECT_STREQ(type, "text/x-vondl");
}

TEST(EntryDates, StampsInUtcAndLocalTimeWithThe1970Fallback)
{
    TempDir dir;
    WriteFileBytes(dir / "f", "");
    // 2001-09-09 01:46:40 UTC.
    struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "f").c_str(), times, 0), 0);
    const LibDateTime utc = LibLastModifiedDate((dir / "f").c_str(), false);
    EXPECT_EQ(utc.GetDay(), 9);
    EXPECT_EQ(utc.GetYear(), 2001);
    EXPECT_EQ(utc.GetHours(), 1);
    EXPECT_EQ(utc.GetMinutes(), 46);
    EXPECT_EQ(utc.GetSeconds(), 40);
    const LibDateTime accessed = LibAccessedDate(BEntry((dir / "f").c_str()), false);
    EXPECT_TRUE(accessed == utc);

    ::setenv("TZ", "UTC+5", 1);
    ::tzset();
    const LibDateTime local = LibLastModifiedDate((dir / "f").c_str(), true);
    ::unsetenv("TZ");
    ::tzset();
    EXPECT_EQ(local.GetHours(), 20);
    EXPECT_EQ(local.GetDay(), 8);

    BEntry file((dir / "f").c_str());
    ASSERT_EQ(file.SetCreationTime(1000000000), B_OK);
    EXPECT_TRUE(LibCreationDate((dir / "f").c_str(), false) == utc);

    testing::internal::CaptureStderr();
    const LibDateTime missing = LibCreationDate((dir / "missing").c_str(), false);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
        "LibCreationDate: Unable to set entry <" + (dir / "missing").string() + ">\n");
    EXPECT_TRUE(missing == LibDateTime(1, 1, 1970));
    EXPECT_EQ(missing.GetHours(), 0);
    EXPECT_TRUE(LibLastModifiedDate((dir / "missing").c_str(), true) == LibDateTime(1, 1, 1970));
}

TEST(DesktopRequests, AreRecordedInsideTheSandboxWithTheEntryReference)
{
    TempDir dir;
    WriteFileBytes(dir / "doc", "x");
    const size_t before = RecordedRequests().size();
    EXPECT_FALSE(LibOpenEntry((dir / "missing").c_str()));
    EXPECT_FALSE(LibInfoEntry((dir / "missing").c_str()));
    EXPECT_EQ(RecordedRequests().size(), before);

    ASSERT_TRUE(LibOpenEntry((dir / "doc").c_str()));
    ASSERT_TRUE(LibInfoEntry(dir.Path().c_str()));
    const std::vector<BMessage> requests = RecordedRequests();
    ASSERT_EQ(requests.size(), before + 2);
    EXPECT_EQ(requests[before].what, uint32('_RRC'));
    EXPECT_EQ(requests[before + 1].what, uint32('Tinf'));
    entry_ref ref;
    ASSERT_EQ(requests[before].FindRef("refs", &ref), B_OK);
    LibString path;
    ASSERT_TRUE(LibGetFullPath(ref, path));
    EXPECT_EQ(std::string(static_cast<const char*>(path)), (dir / "doc").string());
}
