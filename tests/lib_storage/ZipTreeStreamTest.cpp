// Archives written into a sink by ZipWriter::WriteTree: the bytes do not
// depend on how many workers prepare the entries, large files deflated in
// blocks and small ones deflated whole both unpack whole, and a name given
// for the top entry is the one stored.
#include "StorageTestSupport.h"
#include "ZipExtractor.h"
#include "ZipSink.h"
#include "ZipWriter.h"

#include "TestSupport.h"

#include <TypeConstants.h>

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;
using storage_test::GetAttribute;
using storage_test::SetAttribute;

namespace {

class MemorySink : public ZipSink {
public:
    status_t Append(const void* data, size_t length) override
    {
        fBytes.append(static_cast<const char*>(data), length);
        return B_OK;
    }
    status_t Patch(uint64 offset, const void* data, size_t length) override
    {
        if (offset + length > fBytes.size())
            return B_BAD_VALUE;
        std::memcpy(fBytes.data() + offset, data, length);
        return B_OK;
    }
    uint64 Size() const override { return fBytes.size(); }
    const std::string& Bytes() const { return fBytes; }

private:
    std::string fBytes;
};

std::string Text(size_t size, uint32 seed)
{
    static const char* kWords[] = {"alpha ", "beta ", "gamma\n", "delta ", "epsilon "};
    std::string text;
    while (text.size() < size) {
        seed = seed * 1103515245 + 12345;
        text += kWords[(seed >> 16) % 5];
    }
    text.resize(size);
    return text;
}

// Many small files of text and noise in nested folders, a link, an empty
// file, attributes, and one file too large to be deflated ahead.
void MakeTree(const fs::path& root)
{
    for (int i = 0; i < 120; i++) {
        fs::path folder = root;
        for (int level = 0; level < i % 4; level++)
            folder /= "level" + std::to_string(level);
        fs::create_directories(folder);
        std::string data = Text(size_t(100 + i * 997), uint32(i));
        if (i % 3 == 0) {
            for (char& c : data)
                c = char(c * 31 + i);
        }
        WriteFileBytes(folder / ("file" + std::to_string(i) + (i % 2 ? ".txt" : ".bin")), data);
    }
    WriteFileBytes(root / "empty", "");
    // Three blocks, the last one short.
    WriteFileBytes(root / "large.log", Text(size_t(2 * ZipTreePacker::kBlockSize) + 4097, 5));
    fs::create_symlink("level0/file1.txt", root / "link");
    ASSERT_TRUE(SetAttribute((root / "file0.bin").string(), "note", B_STRING_TYPE, "kept"));
    ::chmod((root / "empty").c_str(), 0600);
    // Entries carry access times: these are set later than every other
    // time of the nodes and recent, so that reading the tree leaves them
    // alone.
    std::vector<fs::path> nodes{root};
    for (const auto& entry : fs::recursive_directory_iterator(root))
        nodes.push_back(entry.path());
    for (const fs::path& node : nodes) {
        struct timespec times[2] = {{::time(nullptr) + 3600, 0}, {1000000000, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, node.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
    }
}

std::string Archive(const fs::path& source, int level, int workers, const std::string& topName = std::string())
{
    MemorySink sink;
    ZipPackOptions options;
    options.level = level;
    options.typeUntyped = true;
    options.workers = workers;
    EXPECT_EQ(ZipWriter::WriteTree(sink, source.c_str(), options, topName), B_OK);
    return sink.Bytes();
}

void ExpectUnpacksTo(const fs::path& dir, const fs::path& source, const std::string& bytes)
{
    const fs::path archive = dir / "product.zip";
    WriteFileBytes(archive, bytes);
    const fs::path out = dir / "out";
    fs::remove_all(out);
    fs::create_directory(out);
    ASSERT_EQ(ZipExtractor::Extract(archive.c_str(), out.c_str()), B_OK);
    for (const auto& entry : fs::recursive_directory_iterator(source)) {
        const fs::path back = out / "Product" / entry.path().lexically_relative(source);
        if (entry.is_symlink()) {
            EXPECT_EQ(fs::read_symlink(back), fs::read_symlink(entry.path()));
        } else if (entry.is_regular_file()) {
            EXPECT_TRUE(ReadFileBytes(back) == ReadFileBytes(entry.path())) << back;
        } else {
            EXPECT_TRUE(fs::is_directory(back)) << back;
        }
    }
    struct stat st;
    ASSERT_EQ(::stat((out / "Product/empty").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    type_code type = 0;
    std::string data;
    ASSERT_TRUE(GetAttribute((out / "Product/file0.bin").string(), "note", type, data));
    EXPECT_EQ(data, "kept");
    // Every file got its type at packing, the large one too.
    ASSERT_TRUE(GetAttribute((out / "Product/large.log").string(), "BEOS:TYPE", type, data));
    EXPECT_EQ(type, uint32(B_MIME_STRING_TYPE));
    ASSERT_TRUE(GetAttribute((out / "Product/level0/file1.txt").string(), "BEOS:TYPE", type, data));
    EXPECT_EQ(data, std::string("text/plain", 11));
}

} // namespace

TEST(ZipTreeStream, BytesDoNotDependOnTheNumberOfWorkersAndUnpackWhole)
{
    TempDir dir;
    const fs::path source = dir / "Product";
    MakeTree(source);

    const std::string serial = Archive(source, 6, 0);
    ASSERT_FALSE(serial.empty());
    EXPECT_TRUE(Archive(source, 6, 1) == serial);
    EXPECT_TRUE(Archive(source, 6, 3) == serial);

    // Stored, the blocks of the large file are its bytes and its checksum
    // is put together from theirs.
    const std::string stored = Archive(source, 0, 0);
    EXPECT_TRUE(Archive(source, 0, 2) == stored);
    EXPECT_NE(stored.find(ReadFileBytes(source / "large.log")), std::string::npos);

    for (const std::string& bytes : {serial, stored})
        ExpectUnpacksTo(dir.Path(), source, bytes);
}

TEST(ZipTreeStream, StoredArchivesAndAGivenTopNameAreWrittenAsAsked)
{
    TempDir dir;
    const fs::path program = dir / "program-1.0";
    WriteFileBytes(program, Text(300000, 3));
    ::chmod(program.c_str(), 0755);

    const std::string stored = Archive(program, 0, 2, "Undelle");
    // Stored: the file's bytes appear as they are, under the given name.
    EXPECT_NE(stored.find(ReadFileBytes(program)), std::string::npos);
    const fs::path archive = dir / "stored.zip";
    WriteFileBytes(archive, stored);
    std::vector<std::string> names;
    ASSERT_EQ(ZipExtractor::Verify(archive.c_str(), [](const std::string& problem) { ADD_FAILURE() << problem; },
                  [&](const ZipEntrySummary& entry) { names.push_back(entry.name); }),
        B_OK);
    EXPECT_EQ(names, std::vector<std::string>{"Undelle"});

    // A top name that would leave the archive's folder is refused.
    MemorySink sink;
    ZipPackOptions options;
    EXPECT_EQ(ZipWriter::WriteTree(sink, program.c_str(), options, "../x"), B_BAD_VALUE);
    EXPECT_EQ(ZipWriter::WriteTree(sink, (dir / "missing").c_str(), options), B_ERROR);
}
