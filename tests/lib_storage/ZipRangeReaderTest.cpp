// Reading an archive in place from a larger file, through the read-ahead
// windows: the end records found from a window at the range's end, and a
// file cut short after it was opened giving an error instead of looping.
#include "LibFileUtils.h"
#include "ZipRangeReader.h"

#include "TestSupport.h"

#include <gtest/gtest.h>
#include <minizip/zip.h>

#include <unistd.h>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

// An archive of stored files, larger than both windows together.
std::string StoredArchive(const fs::path& path)
{
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    EXPECT_NE(zip, nullptr);
    for (int file = 0; file < 4; file++) {
        std::string data(200 * 1024, char('a' + file));
        zip_fileinfo info = {};
        const std::string name = "Item/file" + std::to_string(file);
        EXPECT_EQ(zipOpenNewFileInZip64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, 0, 0, 0), ZIP_OK);
        zipWriteInFileInZip(zip, data.data(), unsigned(data.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, "a comment at the end");
    return ReadFileBytes(path);
}

} // namespace

TEST(ZipRangeReader, EveryEntryIsReadWholeFromTheRange)
{
    TempDir dir;
    const std::string zip = StoredArchive(dir / "item.zip");
    const std::string before(70000, 'B');
    WriteFileBytes(dir / "container", before + zip + std::string(3000, 'A'));
    ZipRangeReader range((dir / "container").c_str(), off_t(before.size()), zip.size());
    unzFile file = range.Open();
    ASSERT_NE(file, nullptr);
    int entries = 0;
    std::vector<char> buffer(300 * 1024);
    for (int result = unzGoToFirstFile(file); result == UNZ_OK; result = unzGoToNextFile(file)) {
        ASSERT_EQ(unzOpenCurrentFile(file), UNZ_OK);
        const int length = unzReadCurrentFile(file, buffer.data(), unsigned(buffer.size()));
        EXPECT_EQ(length, 200 * 1024);
        EXPECT_EQ(buffer[length - 1], char('a' + entries));
        EXPECT_EQ(unzCloseCurrentFile(file), UNZ_OK);
        entries++;
    }
    EXPECT_EQ(entries, 4);
    // The local name check reads what the windows hold, or the file.
    char name[10] = {};
    EXPECT_TRUE(range.ReadAt(30, name, 10));
    EXPECT_EQ(std::string(name, 10), "Item/file0");
    EXPECT_FALSE(range.ReadAt(zip.size() - 5, name, 10));
    unzClose(file);
}

TEST(ZipRangeReader, AFileCutShortAfterOpeningGivesAnError)
{
    TempDir dir;
    const std::string zip = StoredArchive(dir / "item.zip");
    const fs::path container = dir / "container";
    WriteFileBytes(container, std::string(100, 'B') + zip);
    ZipRangeReader range(container.c_str(), 100, zip.size());
    unzFile file = range.Open();
    ASSERT_NE(file, nullptr);
    // Cut inside the last file's data, before the directory: the windows
    // must be read again, and what is read no longer reaches the place
    // asked for.
    ASSERT_EQ(::truncate(container.c_str(), off_t(100 + zip.size() - 2000)), 0);
    std::vector<char> buffer(64 * 1024);
    int whole = 0;
    for (int result = unzGoToFirstFile(file); result == UNZ_OK; result = unzGoToNextFile(file)) {
        if (unzOpenCurrentFile(file) != UNZ_OK)
            continue;
        int total = 0;
        for (int length; (length = unzReadCurrentFile(file, buffer.data(), unsigned(buffer.size()))) > 0;)
            total += length;
        whole += total == 200 * 1024 && unzCloseCurrentFile(file) == UNZ_OK;
    }
    EXPECT_LT(whole, 4);
    unzClose(file);
}
