// Entries the writer stores because deflating would hardly shrink them, and
// the unpacking paths that go around minizip's stream: deflated entries
// inflated in one call, stored ones copied by the kernel (or from memory
// where it cannot). The unpacked tree, modes, times, attributes and the
// record are the same whichever path an entry takes, and damaged data is
// refused on every path.
#include "LibFileUtils.h"
#include "StorageTestSupport.h"
#include "ZipEntryData.h"
#include "ZipExtractor.h"

#include "TestSupport.h"

#include <DataDigest.h>
#include <FileDigest.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>
#include <minizip/unzip.h>
#include <zlib.h>

#include <cstring>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using ondelle::test::PatternBytes;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;
using storage_test::GetAttribute;
using storage_test::SetAttribute;

namespace {

std::string TextBytes(size_t size)
{
    std::string text;
    for (unsigned line = 0; text.size() < size; line++)
        text += "line " + std::to_string(line * 7919u % 1000) + " of the installed text\n";
    text.resize(size);
    return text;
}

struct EntryFacts {
    int method = -1;
    uint64 position = 0;
    uint64 compressedSize = 0;
};

// The method and data position of every entry of archive, by name.
std::map<std::string, EntryFacts> ReadEntryFacts(const fs::path& archive)
{
    std::map<std::string, EntryFacts> facts;
    unzFile zip = unzOpen64(archive.c_str());
    EXPECT_NE(zip, nullptr);
    if (zip == nullptr)
        return facts;
    for (int result = unzGoToFirstFile(zip); result == UNZ_OK; result = unzGoToNextFile(zip)) {
        char name[512] = {};
        unz_file_info64 info = {};
        unzGetCurrentFileInfo64(zip, &info, name, sizeof(name), nullptr, 0, nullptr, 0);
        EntryFacts& entry = facts[name];
        entry.method = int(info.compression_method);
        entry.compressedSize = info.compressed_size;
        int method = 0;
        int level = 0;
        if (unzOpenCurrentFile2(zip, &method, &level, 1) == UNZ_OK) {
            entry.position = unzGetCurrentFileZStreamPos64(zip);
            unzCloseCurrentFile(zip);
        }
    }
    unzClose(zip);
    return facts;
}

std::string Digest(const fs::path& path)
{
    std::string digest;
    file_digest(path.c_str(), &digest);
    return digest;
}

// A raw deflate stream of data.
std::string Deflate(const std::string& data)
{
    z_stream stream = {};
    deflateInit2(&stream, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, uLong(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

uint32 Crc(const std::string& data)
{
    return uint32(crc32(0, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size())));
}

struct Product {
    fs::path source;
    std::map<std::string, std::string> files; // below source
};

// Small and large files, text and incompressible; large ones go past the
// writer's 1 MiB blocks and past the size inflated in one call.
Product MakeProduct(const fs::path& dir)
{
    Product product;
    product.source = dir / "Product";
    fs::create_directories(product.source / "sub");
    product.files["small.txt"] = TextBytes(3000);
    product.files["small.bin"] = PatternBytes(5000, 1);
    product.files["sub/large.bin"] = PatternBytes(2 * 1024 * 1024 + 12345, 2);
    product.files["sub/large.txt"] = TextBytes(size_t(ZipEntryData::kWholeLimit) + 70000);
    product.files["sub/empty"] = "";
    for (const auto& [name, data] : product.files)
        WriteFileBytes(product.source / name, data);
    ::chmod((product.source / "small.bin").c_str(), 0751);
    ::chmod((product.source / "sub/large.bin").c_str(), 0444);
    SetAttribute((product.source / "small.bin").string(), "note", B_STRING_TYPE, "kept");
    SetAttribute((product.source / "sub/large.txt").string(), "note", B_STRING_TYPE, "also kept");
    const struct timespec times[2] = {{1600000000, 0}, {1500000000, 0}};
    for (const auto& [name, data] : product.files)
        ::utimensat(AT_FDCWD, (product.source / name).c_str(), times, 0);
    return product;
}

} // namespace

TEST(ZipStoredEntries, IncompressibleFilesAreStoredAndUnpackEverywhereAlike)
{
    TempDir dir;
    const Product product = MakeProduct(dir.Path());
    const fs::path archive = dir / "product.zip";
    ASSERT_TRUE(LibZip(archive.c_str(), BPath(product.source.c_str()), 6));

    std::map<std::string, EntryFacts> facts = ReadEntryFacts(archive);
    EXPECT_EQ(facts["Product/small.txt"].method, Z_DEFLATED);
    EXPECT_EQ(facts["Product/sub/large.txt"].method, Z_DEFLATED);
    EXPECT_EQ(facts["Product/small.bin"].method, 0);
    EXPECT_EQ(facts["Product/sub/large.bin"].method, 0);
    EXPECT_EQ(facts["Product/sub/large.bin"].compressedSize, product.files.at("sub/large.bin").size());

    const std::string zip = ReadFileBytes(archive);
    const std::string before(4097, 'B');
    WriteFileBytes(dir / "container", before + zip);
    for (const bool inPlace : {false, true}) {
        SCOPED_TRACE(inPlace ? "in place" : "archive file");
        const fs::path out = dir / (inPlace ? "in-place" : "file");
        fs::create_directory(out);
        std::vector<ZipPlacedEntry> placed;
        ZipExtractOptions options;
        options.digests = true;
        options.placed = &placed;
        if (inPlace) {
            ASSERT_TRUE(LibUnzipRange((dir / "container").c_str(), off_t(before.size()), zip.size(), out.c_str(),
                nullptr, &options));
        } else {
            ASSERT_TRUE(LibUnzipTo(archive.c_str(), out.c_str(), nullptr, &options));
        }
        std::map<std::string, ZipPlacedEntry> names;
        for (const ZipPlacedEntry& entry : placed)
            names[entry.name] = entry;
        for (const auto& [name, data] : product.files) {
            SCOPED_TRACE(name);
            const fs::path path = out / "Product" / name;
            EXPECT_EQ(ReadFileBytes(path), data);
            struct stat source = {};
            struct stat unpacked = {};
            ASSERT_EQ(::stat((product.source / name).c_str(), &source), 0);
            ASSERT_EQ(::stat(path.c_str(), &unpacked), 0);
            EXPECT_EQ(unpacked.st_mode, source.st_mode);
            EXPECT_EQ(unpacked.st_mtime, source.st_mtime);
            const ZipPlacedEntry& entry = names["Product/" + name];
            EXPECT_EQ(entry.size, data.size());
            EXPECT_EQ(entry.modified, int64(source.st_mtime));
            EXPECT_EQ(entry.detail, Digest(path));
        }
        type_code type = 0;
        std::string note;
        ASSERT_TRUE(GetAttribute((out / "Product/small.bin").string(), "note", type, note));
        EXPECT_EQ(note, "kept");
        ASSERT_TRUE(GetAttribute((out / "Product/sub/large.txt").string(), "note", type, note));
        EXPECT_EQ(note, "also kept");
    }
}

TEST(ZipStoredEntries, ADamagedEntryIsRefusedWhetherStoredOrDeflated)
{
    TempDir dir;
    fs::create_directories(dir / "Item");
    WriteFileBytes(dir / "Item" / "stored.bin", PatternBytes(1536 * 1024, 3));
    WriteFileBytes(dir / "Item" / "deflated.txt", TextBytes(200000));
    const fs::path archive = dir / "item.zip";
    ASSERT_TRUE(LibZip(archive.c_str(), BPath((dir / "Item").c_str()), 6));
    const std::string zip = ReadFileBytes(archive);
    std::map<std::string, EntryFacts> facts = ReadEntryFacts(archive);
    ASSERT_EQ(facts["Item/stored.bin"].method, 0);
    ASSERT_EQ(facts["Item/deflated.txt"].method, Z_DEFLATED);

    for (const char* name : {"Item/stored.bin", "Item/deflated.txt"}) {
        SCOPED_TRACE(name);
        const EntryFacts& entry = facts[name];
        std::string damaged = zip;
        // A byte late in the data: for the stored entry, past the first
        // chunk that is checked and copied.
        damaged[size_t(entry.position + entry.compressedSize * 3 / 4)] ^= 0x20;
        const fs::path bad = dir / "bad.zip";
        WriteFileBytes(bad, damaged);
        WriteFileBytes(dir / "bad-container", "prefix" + damaged);
        for (const bool inPlace : {false, true}) {
            const fs::path out = dir / (inPlace ? "in-place" : "file");
            fs::remove_all(out);
            fs::create_directory(out);
            std::vector<std::string> problems;
            ZipExtractOptions options;
            options.problem = [&](const std::string& line) { problems.push_back(line); };
            const status_t status = inPlace
                ? ZipExtractor::ExtractRange((dir / "bad-container").c_str(), 6, damaged.size(), out.c_str(), options)
                : ZipExtractor::Extract(bad.c_str(), out.c_str(), options);
            EXPECT_NE(status, B_OK);
            ASSERT_EQ(problems.size(), 1u);
            EXPECT_NE(problems[0].find(name), std::string::npos) << problems[0];
            if (std::string(name) == "Item/stored.bin") {
                EXPECT_NE(problems[0].find("bad CRC"), std::string::npos) << problems[0];
            }
            // The other entry is unpacked whole.
            const char* other = std::string(name) == "Item/stored.bin" ? "Item/deflated.txt" : "Item/stored.bin";
            EXPECT_EQ(ReadFileBytes(out / other), ReadFileBytes(dir / other));
        }
    }
}

TEST(ZipEntryData, WholeBufferInflatingChecksSizeAndChecksum)
{
    TempDir dir;
    const std::string data = TextBytes(300000);
    const std::string deflated = Deflate(data);
    ZipEntryData writer(
        [&](uint64 position, char* buffer, size_t size) {
            if (position + size > deflated.size())
                return false;
            std::memcpy(buffer, deflated.data() + position, size);
            return true;
        },
        -1, 0);
    ZipEntryLocation entry;
    entry.method = Z_DEFLATED;
    entry.compressedSize = deflated.size();
    entry.size = data.size();
    entry.crc = Crc(data);
    ASSERT_TRUE(writer.Handles(entry));

    const auto write = [&](const ZipEntryLocation& location, const char* leaf, std::string* digest) {
        const int out = ::open((dir / leaf).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        EXPECT_GE(out, 0);
        DataDigest digester;
        int error = 0;
        const ZipEntryData::Result result = writer.Write(location, out, &digester, nullptr, nullptr, error);
        ::close(out);
        if (digest != nullptr)
            *digest = digester.Finish();
        return result;
    };
    std::string digest;
    EXPECT_EQ(write(entry, "whole", &digest), ZipEntryData::kWritten);
    EXPECT_EQ(ReadFileBytes(dir / "whole"), data);
    EXPECT_EQ(digest, Digest(dir / "whole"));

    ZipEntryLocation longer = entry;
    longer.size++;
    EXPECT_EQ(write(longer, "longer", nullptr), ZipEntryData::kDamaged);
    ZipEntryLocation shorter = entry;
    shorter.size--;
    EXPECT_EQ(write(shorter, "shorter", nullptr), ZipEntryData::kDamaged);
    ZipEntryLocation wrongCrc = entry;
    wrongCrc.crc ^= 1;
    EXPECT_EQ(write(wrongCrc, "crc", nullptr), ZipEntryData::kBadCrc);
    // Data past the archive's end, and an entry too large for one call, go
    // back to the stream.
    ZipEntryLocation past = entry;
    past.position = 10;
    EXPECT_EQ(write(past, "past", nullptr), ZipEntryData::kDamaged);
    ZipEntryLocation huge = entry;
    huge.size = ZipEntryData::kWholeLimit + 1;
    EXPECT_FALSE(writer.Handles(huge));
    ZipEntryLocation empty = entry;
    empty.compressedSize = 0;
    EXPECT_FALSE(writer.Handles(empty));
    ZipEntryLocation swollen = entry;
    swollen.compressedSize = entry.size * 2;
    EXPECT_FALSE(writer.Handles(swollen));
}

TEST(ZipEntryData, StoredDataIsWrittenFromMemoryWhereTheKernelCannotCopyIt)
{
    TempDir dir;
    const std::string data = PatternBytes(ZipEntryData::kCopyChunk * 2 + 777, 9);
    WriteFileBytes(dir / "archive", "head" + data);
    const int archive = ::open((dir / "archive").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(archive, 0);
    const auto reader = [&](uint64 position, char* buffer, size_t size) {
        return ::pread(archive, buffer, size, off_t(position)) == ssize_t(size);
    };
    ZipEntryLocation entry;
    entry.position = 4;
    entry.compressedSize = data.size();
    entry.size = data.size();
    entry.crc = Crc(data);
    // The kernel copy from the archive itself, then a source it refuses
    // (no descriptor), then a stop asked for after the first chunk.
    for (const int source : {archive, -1}) {
        SCOPED_TRACE(source);
        ZipEntryData writer(reader, source, 0);
        const fs::path path = dir / ("out" + std::to_string(source));
        const int out = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        ASSERT_GE(out, 0);
        std::string firstBlock;
        int error = 0;
        EXPECT_EQ(writer.Write(entry, out, nullptr,
                      [&](const char* bytes, size_t size) { firstBlock.assign(bytes, size); }, nullptr, error),
            ZipEntryData::kWritten);
        ::close(out);
        EXPECT_EQ(ReadFileBytes(path), data);
        EXPECT_EQ(firstBlock, data.substr(0, ZipEntryData::kFirstBlock));
    }
    ZipEntryData writer(reader, archive, 0);
    const int out = ::open((dir / "stopped").c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    int asked = 0;
    int error = 0;
    EXPECT_EQ(writer.Write(entry, out, nullptr, nullptr, [&] { return ++asked > 1; }, error),
        ZipEntryData::kCancelled);
    ::close(out);
    EXPECT_EQ(fs::file_size(dir / "stopped"), ZipEntryData::kCopyChunk);
    ::close(archive);
}
