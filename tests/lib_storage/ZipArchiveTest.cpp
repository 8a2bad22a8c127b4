// Zip archives written and unpacked in process: round trips with modes,
// times, links and attributes, archives of other makers, and the refusal
// of entries that would land outside the target folder.
#include "LibFileUtils.h"
#include "StorageTestSupport.h"
#include "ZipExtractor.h"
#include "ZipWriter.h"

#include "TestSupport.h"

#include <Process.h>
#include <FileDigest.h>
#include <MimeType.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>
#include <minizip/zip.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;
using storage_test::GetAttribute;
using storage_test::SetAttribute;

namespace {

struct RawEntry {
    std::string name;
    std::string data;
    uint32 mode;  // Unix mode with file kind; 0 for none
    std::string localExtra = std::string();
    std::string centralExtra = std::string();
};

// An archive made directly with minizip, so that tests can hold entries
// the writer itself would never make.
void MakeArchive(const fs::path& path, const std::vector<RawEntry>& entries, uLong host = 3)
{
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    ASSERT_NE(zip, nullptr);
    for (const RawEntry& entry : entries) {
        zip_fileinfo info = {};
        info.tmz_date.tm_year = 2001;
        info.tmz_date.tm_mday = 1;
        info.external_fa = uLong(entry.mode) << 16;
        ASSERT_EQ(zipOpenNewFileInZip4_64(zip, entry.name.c_str(), &info, entry.localExtra.data(),
                      uInt(entry.localExtra.size()), entry.centralExtra.data(), uInt(entry.centralExtra.size()),
                      nullptr,
                      Z_DEFLATED, 6, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0,
                      (host << 8) | 30, 0, 0),
            ZIP_OK);
        zipWriteInFileInZip(zip, entry.data.data(), unsigned(entry.data.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
}

bool IsLink(const fs::path& path)
{
    std::error_code error;
    return fs::is_symlink(fs::symlink_status(path, error));
}

} // namespace

TEST(ZipArchive, RoundTripKeepsTreeModesTimesLinksAndAttributes)
{
    TempDir dir;
    const fs::path source = dir / "Product";
    fs::create_directories(source / "sub" / "deeper");
    WriteFileBytes(source / "readme", "hello");
    WriteFileBytes(source / "sub" / "tool", std::string(100000, 'x'));
    WriteFileBytes(source / "sub" / "deeper" / "empty", "");
    ::chmod((source / "sub" / "tool").c_str(), 0751);
    fs::create_symlink("sub/tool", source / "link");
    const int32 count = 42;
    ASSERT_TRUE(SetAttribute((source / "readme").string(), "BEOS:TYPE", B_MIME_STRING_TYPE,
        std::string("text/plain", 11)));
    ASSERT_TRUE(SetAttribute((source / "readme").string(), "count", B_INT32_TYPE,
        std::string(reinterpret_cast<const char*>(&count), 4)));
    ASSERT_TRUE(SetAttribute((source / "sub").string(), "folder-note", B_STRING_TYPE, "in a folder"));
    struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    ::utimensat(AT_FDCWD, (source / "readme").c_str(), times, 0);

    const fs::path archive = dir / "product.zip";
    ASSERT_TRUE(LibZip(archive.c_str(), BPath(source.c_str()), 9));
    const fs::path out = dir / "out";
    fs::create_directory(out);
    ASSERT_EQ(ZipExtractor::Extract(archive.c_str(), out.c_str()), B_OK);

    const fs::path back = out / "Product";
    EXPECT_EQ(ReadFileBytes(back / "readme"), "hello");
    EXPECT_EQ(ReadFileBytes(back / "sub" / "tool"), std::string(100000, 'x'));
    EXPECT_TRUE(fs::is_regular_file(back / "sub" / "deeper" / "empty"));
    ASSERT_TRUE(IsLink(back / "link"));
    EXPECT_EQ(fs::read_symlink(back / "link"), "sub/tool");
    struct stat st;
    ASSERT_EQ(::stat((back / "sub" / "tool").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0751u);
    ASSERT_EQ(::stat((back / "readme").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1000000000);

    type_code type = 0;
    std::string data;
    ASSERT_TRUE(GetAttribute((back / "readme").string(), "BEOS:TYPE", type, data));
    EXPECT_EQ(type, uint32(B_MIME_STRING_TYPE));
    EXPECT_EQ(data, std::string("text/plain", 11));
    ASSERT_TRUE(GetAttribute((back / "readme").string(), "count", type, data));
    EXPECT_EQ(type, uint32(B_INT32_TYPE));
    EXPECT_EQ(data, std::string(reinterpret_cast<const char*>(&count), 4));
    ASSERT_TRUE(GetAttribute((back / "sub").string(), "folder-note", type, data));
    EXPECT_EQ(data, "in a folder");
}

TEST(ZipArchive, AnArchiveInsideALargerFileIsReadInPlace)
{
    TempDir dir;
    const fs::path source = dir / "Item";
    fs::create_directories(source / "sub");
    // Larger than the read-ahead window, and incompressible, so that reads
    // both through the window and straight into minizip's buffer happen.
    std::string big(700 * 1024, '\0');
    uint32 seed = 3;
    for (char& c : big) {
        seed = seed * 1103515245 + 12345;
        c = char(seed >> 16);
    }
    WriteFileBytes(source / "sub" / "big", big);
    WriteFileBytes(source / "small", "small");
    ASSERT_TRUE(SetAttribute((source / "small").string(), "note", B_STRING_TYPE, "kept"));
    const fs::path archive = dir / "item.zip";
    ASSERT_TRUE(LibZip(archive.c_str(), BPath(source.c_str()), 0));
    const std::string zip = ReadFileBytes(archive);

    // Bytes before and after that look like the end of another archive.
    const std::string before(4099, 'B');
    const std::string after = std::string("PK\x05\x06", 4) + std::string(300, 'A');
    WriteFileBytes(dir / "container", before + zip + after);

    const fs::path out = dir / "out";
    fs::create_directory(out);
    ASSERT_TRUE(LibUnzipRange((dir / "container").c_str(), off_t(before.size()), zip.size(), out.c_str()));
    EXPECT_EQ(ReadFileBytes(out / "Item" / "sub" / "big"), big);
    EXPECT_EQ(ReadFileBytes(out / "Item" / "small"), "small");
    type_code type = 0;
    std::string note;
    ASSERT_TRUE(GetAttribute((out / "Item" / "small").string(), "note", type, note));
    EXPECT_EQ(note, "kept");

    // A range cut short, or lying past the file's end, unpacks nothing.
    const fs::path cut = dir / "cut";
    fs::create_directory(cut);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(LibUnzipRange((dir / "container").c_str(), off_t(before.size()), zip.size() - 10, cut.c_str()));
    EXPECT_FALSE(LibUnzipRange((dir / "container").c_str(), off_t(before.size() + after.size() + zip.size()), 100,
        cut.c_str()));
    EXPECT_FALSE(LibUnzipRange((dir / "missing").c_str(), 0, 100, cut.c_str()));
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(fs::is_empty(cut));
}

TEST(ZipArchive, BuildsRecordTypesAndInPlaceUnpackingTypesWhatCarriesNone)
{
    TempDir dir;
    const fs::path source = dir / "Item";
    fs::create_directories(source / "docs");
    WriteFileBytes(source / "docs" / "readme.txt", "plain words\n");
    WriteFileBytes(source / "docs" / "typed", "anything");
    ASSERT_TRUE(SetAttribute((source / "docs" / "typed").string(), "BEOS:TYPE", B_MIME_STRING_TYPE,
        std::string("application/x-own", 18)));
    // An executable image: its own type, whatever its name.
    std::string elf(64, '\0');
    elf.replace(0, 4, "\x7f" "ELF");
    elf[5] = 1;
    elf[16] = 2;
    WriteFileBytes(source / "tool.txt", elf);
    auto typeOf = [](const fs::path& path) {
        type_code type = 0;
        std::string data;
        return GetAttribute(path.string(), "BEOS:TYPE", type, data) ? data : std::string("<none>");
    };
    const std::string folderType = std::string(B_DIRECTORY_MIME_TYPE) + '\0';

    // Packed with types recorded, unpacked without any guessing: the types
    // come from the archive.
    ASSERT_TRUE(LibZip((dir / "typed.zip").c_str(), BPath(source.c_str()), 6, true));
    fs::create_directory(dir / "a");
    ASSERT_TRUE(LibUnzipTo((dir / "typed.zip").c_str(), (dir / "a").c_str()));
    EXPECT_EQ(typeOf(dir / "a/Item/docs/readme.txt"), std::string("text/plain", 11));
    EXPECT_EQ(typeOf(dir / "a/Item/docs/typed"), std::string("application/x-own", 18));
    EXPECT_EQ(typeOf(dir / "a/Item/tool.txt"), std::string(B_APP_MIME_TYPE) + '\0');
    EXPECT_EQ(typeOf(dir / "a/Item/docs"), folderType);

    // An archive without types (earlier builds, other tools): unpacked in
    // place, every entry is typed as it is written; a given type is kept.
    ASSERT_TRUE(LibZip((dir / "plain.zip").c_str(), BPath(source.c_str()), 6));
    fs::create_directory(dir / "b");
    ASSERT_TRUE(LibUnzipTo((dir / "plain.zip").c_str(), (dir / "b").c_str()));
    EXPECT_EQ(typeOf(dir / "b/Item/docs/readme.txt"), "<none>");
    const std::string plain = ReadFileBytes(dir / "plain.zip");
    fs::create_directory(dir / "c");
    ASSERT_TRUE(LibUnzipRange((dir / "plain.zip").c_str(), 0, plain.size(), (dir / "c").c_str()));
    EXPECT_EQ(typeOf(dir / "c/Item/docs/readme.txt"), std::string("text/plain", 11));
    EXPECT_EQ(typeOf(dir / "c/Item/docs/typed"), std::string("application/x-own", 18));
    EXPECT_EQ(typeOf(dir / "c/Item/tool.txt"), std::string(B_APP_MIME_TYPE) + '\0');
    EXPECT_EQ(typeOf(dir / "c/Item/docs"), folderType);
    EXPECT_EQ(typeOf(dir / "c/Item"), folderType);
}

TEST(ZipArchive, UnzipPlacesBesideTheArchiveAndOverwrites)
{
    TempDir dir;
    const fs::path source = dir / "item";
    WriteFileBytes(source, "new contents");
    ASSERT_TRUE(LibZip((dir / "a.zip").c_str(), BPath(source.c_str()), 0));
    WriteFileBytes(source, "old, longer contents that must go");
    ASSERT_TRUE(LibUnzip((dir / "a.zip").c_str()));
    EXPECT_EQ(ReadFileBytes(source), "new contents");

    // A second LibZip adds to the archive and replaces a same-named entry.
    WriteFileBytes(dir / "other", "2");
    ASSERT_TRUE(LibZip((dir / "a.zip").c_str(), BPath((dir / "other").c_str()), 5));
    WriteFileBytes(source, "replaced entry");
    ASSERT_TRUE(LibZip((dir / "a.zip").c_str(), BPath(source.c_str()), 5));
    fs::remove(source);
    fs::remove(dir / "other");
    ASSERT_TRUE(LibUnzip((dir / "a.zip").c_str()));
    EXPECT_EQ(ReadFileBytes(source), "replaced entry");
    EXPECT_EQ(ReadFileBytes(dir / "other"), "2");
}

TEST(ZipArchive, BadInputGivesClearFailures)
{
    TempDir dir;
    WriteFileBytes(dir / "f", "x");
    EXPECT_FALSE(LibZip((dir / "a.zip").c_str(), BPath((dir / "f").c_str()), 10));
    EXPECT_FALSE(LibZip((dir / "a.zip").c_str(), BPath((dir / "missing").c_str()), 5));
    EXPECT_FALSE(fs::exists(dir / "a.zip"));
    WriteFileBytes(dir / "not.zip", "this is not an archive");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(LibZip((dir / "not.zip").c_str(), BPath((dir / "f").c_str()), 5));
    EXPECT_FALSE(LibUnzip((dir / "not.zip").c_str()));
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("not a zip archive"), std::string::npos) << errors;
    // The file that was not an archive is left as it was.
    EXPECT_EQ(ReadFileBytes(dir / "not.zip"), "this is not an archive");
}

TEST(ZipArchive, EscapingEntriesAreRefusedAndNothingOutsideIsWritten)
{
    TempDir dir;
    const fs::path target = dir / "target";
    fs::create_directory(target);
    const fs::path archive = dir / "evil.zip";
    MakeArchive(archive,
        {
            {"../outside-dotdot", "bad", 0100644},
            {"/tmp/outside-absolute", "bad", 0100644},
            {"fine/../../outside-nested", "bad", 0100644},
            {"up", "../", 0120777},
            {"abs", "/etc", 0120777},
            {"sneaky", "fine/../..", 0120777},
            {"inside", "fine", 0120777},
            {"inside/through-link", "bad", 0100644},
            {"fine/ok", "good", 0100644},
            {"fine/same", "..", 0120777},
        });
    testing::internal::CaptureStderr();
    EXPECT_NE(ZipExtractor::Extract(archive.c_str(), target.c_str()), B_OK);
    const std::string errors = testing::internal::GetCapturedStderr();

    EXPECT_FALSE(fs::exists(dir / "outside-dotdot"));
    EXPECT_FALSE(fs::exists("/tmp/outside-absolute"));
    EXPECT_FALSE(fs::exists(dir / "outside-nested"));
    EXPECT_FALSE(IsLink(target / "up"));
    EXPECT_FALSE(IsLink(target / "abs"));
    EXPECT_FALSE(IsLink(target / "sneaky"));
    EXPECT_FALSE(fs::exists(target / "fine" / "through-link"));
    // What stays inside is unpacked.
    EXPECT_EQ(ReadFileBytes(target / "fine" / "ok"), "good");
    EXPECT_TRUE(IsLink(target / "inside"));
    EXPECT_TRUE(IsLink(target / "fine" / "same"));
    for (const char* name : {"../outside-dotdot", "/tmp/outside-absolute", "up", "abs", "sneaky",
             "inside/through-link"})
        EXPECT_NE(errors.find(std::string("refusing \"") + name + "\""), std::string::npos) << name << errors;
}

TEST(ZipArchive, ArchivesFromThePlatformHostAndWithoutModesUnpack)
{
    TempDir dir;
    MakeArchive(dir / "be.zip", {{"app/", "", 040755}, {"app/run", "#!", 0100755}}, 16);
    MakeArchive(dir / "dos.zip", {{"plain.txt", "dos", 0}}, 0);
    ASSERT_TRUE(LibUnzip((dir / "be.zip").c_str()));
    ASSERT_TRUE(LibUnzip((dir / "dos.zip").c_str()));
    struct stat st;
    ASSERT_EQ(::stat((dir / "app" / "run").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);
    EXPECT_EQ(ReadFileBytes(dir / "plain.txt"), "dos");
}

TEST(ZipArchive, AttributesInThePlatformsFieldLayoutAreRestored)
{
    // The "Be" field of a file typed text/plain, as the platform's zip
    // writes it (block stored uncompressed).
    const unsigned char local[] = {0x42, 0x65, 0x26, 0x00, 0x21, 0x00, 0x00, 0x00, 0x01, 0x42, 0x45, 0x4f, 0x53,
        0x3a, 0x54, 0x59, 0x50, 0x45, 0x00, 0x4d, 0x49, 0x4d, 0x53, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0b,
        0x74, 0x65, 0x78, 0x74, 0x2f, 0x70, 0x6c, 0x61, 0x69, 0x6e, 0x00};
    const unsigned char central[] = {0x42, 0x65, 0x05, 0x00, 0x21, 0x00, 0x00, 0x00, 0x01};
    TempDir dir;
    MakeArchive(dir / "be.zip",
        {{"typed.txt", "text", 0100644, std::string(reinterpret_cast<const char*>(local), sizeof(local)),
            std::string(reinterpret_cast<const char*>(central), sizeof(central))}},
        16);
    ASSERT_TRUE(LibUnzip((dir / "be.zip").c_str()));
    type_code type = 0;
    std::string data;
    ASSERT_TRUE(GetAttribute((dir / "typed.txt").string(), "BEOS:TYPE", type, data));
    EXPECT_EQ(type, uint32(B_MIME_STRING_TYPE));
    EXPECT_EQ(data, std::string("text/plain", 11));
    EXPECT_EQ(ReadFileBytes(dir / "typed.txt"), "text");
}

TEST(ZipArchive, InfoZipUnzipReadsOurArchives)
{
    if (::access("/usr/bin/unzip", X_OK) != 0)
        GTEST_SKIP() << "the unzip program is not installed";
    TempDir dir;
    fs::create_directories(dir / "tree" / "sub");
    WriteFileBytes(dir / "tree" / "sub" / "file", std::string(50000, 'z'));
    ASSERT_TRUE(SetAttribute((dir / "tree" / "sub" / "file").string(), "note", B_STRING_TYPE,
        std::string(3000, 'a')));
    fs::create_symlink("sub/file", dir / "tree" / "link");
    ASSERT_TRUE(LibZip((dir / "t.zip").c_str(), BPath((dir / "tree").c_str()), 6));

    process_options options;
    options.captureOutput = true;
    process_result result;
    ASSERT_EQ(run_process({"/usr/bin/unzip", "-t", (dir / "t.zip").string()}, options, &result), B_OK);
    EXPECT_EQ(result.exitCode, 0) << result.output << result.errorOutput;
    ASSERT_EQ(run_process({"/usr/bin/unzip", "-Z", "-v", (dir / "t.zip").string()}, options, &result), B_OK);
    EXPECT_NE(result.output.find("0x6542"), std::string::npos);
    fs::create_directory(dir / "x");
    ASSERT_EQ(run_process({"/usr/bin/unzip", "-q", (dir / "t.zip").string(), "-d", (dir / "x").string()},
                  options, &result),
        B_OK);
    EXPECT_EQ(ReadFileBytes(dir / "x" / "tree" / "sub" / "file"), std::string(50000, 'z'));
    EXPECT_TRUE(IsLink(dir / "x" / "tree" / "link"));
}

TEST(ZipArchive, ADataErrorInOneFileDoesNotSpoilTheNextFilesChecksum)
{
    TempDir dir;
    const fs::path archive = dir / "damaged.zip";
    // Deflated at level 0: stored blocks, whose headers can be found and
    // spoilt, so that inflating fails well after the first read.
    const std::string bad(600000, 'b');
    zipFile zip = zipOpen64(archive.c_str(), APPEND_STATUS_CREATE);
    ASSERT_NE(zip, nullptr);
    for (const auto& [name, data] : {std::pair<std::string, std::string>("Item/bad", bad), {"Item/good", "good"}}) {
        zip_fileinfo info = {};
        ASSERT_EQ(zipOpenNewFileInZip64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 0, 0),
            ZIP_OK);
        zipWriteInFileInZip(zip, data.data(), unsigned(data.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
    std::string bytes = ReadFileBytes(archive);
    const size_t data = bytes.find("Item/bad") + std::string("Item/bad").size();
    const size_t header = bytes.find_first_not_of('b', data + 400000);
    ASSERT_LT(header, data + bad.size());
    // The block's length and its complement no longer agree.
    bytes[header + 3] = char(bytes[header + 3] ^ 0x55);
    WriteFileBytes(archive, bytes);

    const fs::path out = dir / "out";
    fs::create_directory(out);
    std::vector<ZipPlacedEntry> placed;
    ZipExtractOptions options;
    options.digests = true;
    options.placed = &placed;
    testing::internal::CaptureStderr();
    EXPECT_NE(ZipExtractor::Extract(archive.c_str(), out.c_str(), options), B_OK);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("\"Item/bad\" is damaged"), std::string::npos);
    bool sawGood = false;
    for (const ZipPlacedEntry& entry : placed) {
        EXPECT_NE(entry.name, "Item/bad");
        if (entry.name != "Item/good")
            continue;
        sawGood = true;
        std::string digest;
        ASSERT_EQ(file_digest((out / "Item/good").c_str(), &digest), B_OK);
        EXPECT_EQ(entry.detail, digest);
    }
    EXPECT_TRUE(sawGood);
}
