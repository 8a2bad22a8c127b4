// What unpacking does besides writing the entries: a mark written on every
// file and folder, checksums taken while the data is written, the list of
// what was placed; and the folder chain and modes that keep the system
// calls per entry down without changing the result.
#include "LibFileUtils.h"
#include "StorageTestSupport.h"
#include "ZipExtractor.h"

#include "TestSupport.h"
#include "ZipBytes.h"

#include <FileDigest.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <sys/stat.h>

namespace fs = std::filesystem;
using ondelle::test::MakeStoredZip;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;
using ondelle::test::ZipBytesEntry;
using storage_test::GetAttribute;
using storage_test::SetAttribute;

namespace {

const char kMarkName[] = "InstallBy";
const char kMark[] = "Product;1.0;;;;";

ZipExtractOptions MarkedOptions(std::vector<ZipPlacedEntry>& placed)
{
    ZipExtractOptions options;
    ZipAttribute mark;
    mark.name = kMarkName;
    mark.type = B_STRING_TYPE;
    mark.data = kMark;
    options.mark.push_back(mark);
    options.digests = true;
    options.placed = &placed;
    return options;
}

bool HasMark(const fs::path& path)
{
    type_code type = 0;
    std::string value;
    return GetAttribute(path.string(), kMarkName, type, value) && type == B_STRING_TYPE && value == kMark;
}

std::map<std::string, ZipPlacedEntry> ByName(const std::vector<ZipPlacedEntry>& placed)
{
    std::map<std::string, ZipPlacedEntry> names;
    for (const ZipPlacedEntry& entry : placed)
        names[entry.name] = entry;
    return names;
}

mode_t ModeOf(const fs::path& path)
{
    struct stat st = {};
    ::lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

std::string Digest(const fs::path& path)
{
    std::string digest;
    file_digest(path.c_str(), &digest);
    return digest;
}

} // namespace

TEST(ZipExtractOptions, EveryFileAndFolderIsMarkedAndReportedWithTheDigestOfItsData)
{
    TempDir dir;
    const fs::path source = dir / "Product";
    fs::create_directories(source / "sub" / "deeper");
    // Larger than one read and write chunk, so its checksum is taken in
    // pieces.
    std::string big(600 * 1024, '\0');
    for (size_t i = 0; i < big.size(); i++)
        big[i] = char((i * 2654435761u) >> 13);
    WriteFileBytes(source / "readme", "hello");
    WriteFileBytes(source / "sub" / "tool", big);
    WriteFileBytes(source / "sub" / "deeper" / "empty", "");
    WriteFileBytes(source / "locked", "read only");
    ::chmod((source / "sub" / "tool").c_str(), 0751);
    ::chmod((source / "locked").c_str(), 0444);
    fs::create_symlink("sub/tool", source / "link");
    // The archive's own attribute of the mark's name gives way to the mark;
    // other attributes stay.
    ASSERT_TRUE(SetAttribute((source / "readme").string(), kMarkName, B_STRING_TYPE, "Older;0.9;;;;"));
    ASSERT_TRUE(SetAttribute((source / "readme").string(), "note", B_STRING_TYPE, "kept"));
    const fs::path archive = dir / "product.zip";
    ASSERT_TRUE(LibZip(archive.c_str(), BPath(source.c_str()), 6));
    const std::string zip = ReadFileBytes(archive);
    const std::string before(777, 'B');
    WriteFileBytes(dir / "container", before + zip);

    // Read from a file of its own and in place from a larger one.
    for (const bool inPlace : {false, true}) {
        SCOPED_TRACE(inPlace ? "in place" : "archive file");
        const fs::path out = dir / (inPlace ? "in-place" : "file");
        fs::create_directory(out);
        std::vector<ZipPlacedEntry> placed;
        const ZipExtractOptions options = MarkedOptions(placed);
        if (inPlace) {
            ASSERT_TRUE(LibUnzipRange((dir / "container").c_str(), off_t(before.size()), zip.size(), out.c_str(),
                nullptr, &options));
        } else {
            ASSERT_TRUE(LibUnzipTo(archive.c_str(), out.c_str(), nullptr, &options));
        }
        const fs::path product = out / "Product";
        EXPECT_EQ(ReadFileBytes(product / "sub" / "tool"), big);
        EXPECT_EQ(ModeOf(product / "sub" / "tool"), 0751u);
        // Marked before its mode took the write permission away.
        EXPECT_EQ(ModeOf(product / "locked"), 0444u);
        type_code type = 0;
        std::string note;
        ASSERT_TRUE(GetAttribute((product / "readme").string(), "note", type, note));
        EXPECT_EQ(note, "kept");

        const std::map<std::string, ZipPlacedEntry> names = ByName(placed);
        EXPECT_EQ(placed.size(), names.size());
        std::vector<std::string> expected;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(out))
            expected.push_back(fs::relative(entry.path(), out).string());
        ASSERT_EQ(names.size(), expected.size());
        for (const std::string& name : expected) {
            SCOPED_TRACE(name);
            const fs::path path = out / name;
            ASSERT_EQ(names.count(name), 1u);
            const ZipPlacedEntry& entry = names.at(name);
            struct stat st = {};
            ASSERT_EQ(::lstat(path.c_str(), &st), 0);
            EXPECT_EQ(entry.modified, int64(st.st_mtime));
            if (S_ISLNK(st.st_mode)) {
                EXPECT_EQ(entry.kind, ZipEntrySummary::kLink);
                EXPECT_EQ(entry.detail, "sub/tool");
            } else if (S_ISDIR(st.st_mode)) {
                EXPECT_EQ(entry.kind, ZipEntrySummary::kFolder);
                EXPECT_TRUE(entry.detail.empty());
                EXPECT_TRUE(HasMark(path));
            } else {
                EXPECT_EQ(entry.kind, ZipEntrySummary::kFile);
                EXPECT_EQ(entry.size, uint64(st.st_size));
                EXPECT_EQ(entry.detail, Digest(path));
                EXPECT_TRUE(HasMark(path));
            }
        }
    }
}

TEST(ZipExtractOptions, FoldersTheArchiveDoesNotListAreMadeMarkedAndReportedAtAnyDepth)
{
    TempDir dir;
    // No folder entries at all; entries jump between folders and come back,
    // and one path is deeper than the folders kept open along the way.
    std::string deep;
    for (int level = 0; level < 70; level++)
        deep += "d" + std::to_string(level) + "/";
    const std::string zip = MakeStoredZip({
        ZipBytesEntry("a/b/c/first", "1"),
        ZipBytesEntry("x/y", "2"),
        ZipBytesEntry("a/b/second", "3"),
        ZipBytesEntry("a/b/c/third", "4"),
        ZipBytesEntry(deep + "leaf", "5"),
        ZipBytesEntry("a/top", "6"),
    });
    WriteFileBytes(dir / "flat.zip", zip);
    const fs::path out = dir / "out";
    fs::create_directory(out);
    std::vector<ZipPlacedEntry> placed;
    const ZipExtractOptions options = MarkedOptions(placed);
    ASSERT_EQ(ZipExtractor::Extract((dir / "flat.zip").c_str(), out.c_str(), options), B_OK);

    EXPECT_EQ(ReadFileBytes(out / "a/b/c/first"), "1");
    EXPECT_EQ(ReadFileBytes(out / "x/y"), "2");
    EXPECT_EQ(ReadFileBytes(out / "a/b/second"), "3");
    EXPECT_EQ(ReadFileBytes(out / "a/b/c/third"), "4");
    EXPECT_EQ(ReadFileBytes(out / (deep + "leaf")), "5");
    EXPECT_EQ(ReadFileBytes(out / "a/top"), "6");

    const std::map<std::string, ZipPlacedEntry> names = ByName(placed);
    size_t entries = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(out)) {
        const std::string name = fs::relative(entry.path(), out).string();
        SCOPED_TRACE(name);
        entries++;
        ASSERT_EQ(names.count(name), 1u);
        EXPECT_TRUE(HasMark(entry.path()));
        if (entry.is_directory()) {
            EXPECT_EQ(names.at(name).kind, ZipEntrySummary::kFolder);
            struct stat st = {};
            ASSERT_EQ(::lstat(entry.path().c_str(), &st), 0);
            EXPECT_EQ(names.at(name).modified, int64(st.st_mtime));
        }
    }
    EXPECT_EQ(entries, 6u + 3 + 1 + 70);
    EXPECT_EQ(placed.size(), entries);
}

TEST(ZipExtractOptions, FilesGetTheArchivesModesExactlyWhateverTheUmask)
{
    TempDir dir;
    const std::string zip = MakeStoredZip({
        ZipBytesEntry("shared", "s", 0100666),
        ZipBytesEntry("private", "p", 0100600),
        ZipBytesEntry("program", "x", 0100755),
        ZipBytesEntry("readonly", "r", 0100400),
        ZipBytesEntry("nothing", "n", 0100000),
    });
    WriteFileBytes(dir / "modes.zip", zip);
    for (const mode_t mask : {mode_t(022), mode_t(077), mode_t(0)}) {
        SCOPED_TRACE(mask);
        const fs::path out = dir / ("out" + std::to_string(mask));
        fs::create_directory(out);
        const mode_t old = ::umask(mask);
        const status_t status = ZipExtractor::Extract((dir / "modes.zip").c_str(), out.c_str());
        ::umask(old);
        ASSERT_EQ(status, B_OK);
        EXPECT_EQ(ModeOf(out / "shared"), 0666u);
        EXPECT_EQ(ModeOf(out / "private"), 0600u);
        EXPECT_EQ(ModeOf(out / "program"), 0755u);
        EXPECT_EQ(ModeOf(out / "readonly"), 0400u);
        EXPECT_EQ(ModeOf(out / "nothing"), 0u);
        ::chmod((out / "nothing").c_str(), 0600);
        EXPECT_EQ(ReadFileBytes(out / "nothing"), "n");
    }
}

TEST(ZipExtractOptions, ADamagedArchiveReportsNothingThatFailed)
{
    TempDir dir;
    std::string zip = MakeStoredZip({
        ZipBytesEntry("Item/good", "good data"),
        ZipBytesEntry("Item/bad", "data that will not match its checksum"),
    });
    const size_t at = zip.find("will not match");
    ASSERT_NE(at, std::string::npos);
    zip[at] = 'W';
    WriteFileBytes(dir / "damaged.zip", zip);
    const fs::path out = dir / "out";
    fs::create_directory(out);
    std::vector<ZipPlacedEntry> placed;
    const ZipExtractOptions options = MarkedOptions(placed);
    testing::internal::CaptureStderr();
    EXPECT_NE(ZipExtractor::Extract((dir / "damaged.zip").c_str(), out.c_str(), options), B_OK);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("bad CRC for \"Item/bad\""), std::string::npos);
    // What was written whole is reported; the damaged file is not.
    const std::map<std::string, ZipPlacedEntry> names = ByName(placed);
    EXPECT_EQ(names.count("Item/good"), 1u);
    EXPECT_EQ(names.count("Item/bad"), 0u);
    EXPECT_EQ(names.count("Item"), 1u);
}

TEST(ZipExtractOptions, ACancelEndsTheUnpackWithItsOwnResult)
{
    TempDir dir;
    const std::string zip = MakeStoredZip({{"a.txt", "first"}, {"b.txt", "second"}});
    WriteFileBytes(dir / "archive.zip", zip);
    std::atomic<bool> cancel{false};
    ZipExtractOptions options;
    options.cancel = &cancel;

    fs::create_directories(dir / "whole");
    EXPECT_EQ(ZipExtractor::Extract((dir / "archive.zip").c_str(), (dir / "whole").c_str(), options), B_OK);
    EXPECT_EQ(ReadFileBytes(dir / "whole/b.txt"), "second");

    // Cancelled before it starts: nothing is written, and the result is not
    // taken for a damaged archive.
    cancel = true;
    fs::create_directories(dir / "stopped");
    EXPECT_EQ(ZipExtractor::Extract((dir / "archive.zip").c_str(), (dir / "stopped").c_str(), options),
        B_CANCELED);
    EXPECT_TRUE(fs::is_empty(dir / "stopped"));
}
