// Writing resources: layout of new files, changes, executables that stay
// runnable, and replacement that never leaves a half-written file.
#include <File.h>
#include <Resources.h>

#include "FileReplacer.h"
#include "ResourceFormat.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

std::string Pattern(size_t size, uint32 seed) { return ondelle::test::PatternBytes(size, seed); }

std::string Load(BResources& resources, type_code type, int32 id)
{
    size_t size = 0;
    const void* data = resources.LoadResource(type, id, &size);
    return data != nullptr ? std::string(static_cast<const char*>(data), size) : std::string("<none>");
}

uint32 Le32(const std::string& bytes, size_t at)
{
    uint32 value;
    memcpy(&value, bytes.data() + at, 4);
    return value;
}

void Put64(std::string& bytes, size_t at, uint64 value)
{
    memcpy(bytes.data() + at, &value, 8);
}

// A little-endian 64-bit ELF image of size bytes: the header and one
// loadable segment over the whole file, aligned to a page like real ones.
std::string SmallElf64(size_t size)
{
    std::string image = Pattern(size, 3);
    memset(image.data(), 0, 64 + 56);
    memcpy(image.data(), "\x7f" "ELF\x02\x01\x01", 7);
    image[16] = 2;    // executable
    image[18] = 0x3E; // x86-64
    Put64(image, 32, 64); // program headers
    image[52] = 64;   // header size
    image[54] = 56;   // program header size
    image[56] = 1;    // one program header
    image[64] = 1;    // PT_LOAD
    Put64(image, 64 + 32, size); // file size of the segment
    Put64(image, 64 + 48, 4096); // its alignment
    return image;
}

// A resource area (without the stand-alone file's four-byte magic).
std::string ResourceArea(const TempDir& dir, const char* text)
{
    fs::path rsrc = dir / "area.rsrc";
    WriteFileBytes(rsrc, "");
    {
        BResources resources(rsrc.c_str());
        resources.AddResource('CSTR', 1, text, strlen(text) + 1, "name");
    }
    return ReadFileBytes(rsrc).substr(4);
}

} // namespace

TEST(Resources, SixtyFourBitImagesTakeResourcesAtTheEightByteBoundary)
{
    TempDir dir;
    const std::string image = SmallElf64(301);
    fs::path program = dir / "prog";
    WriteFileBytes(program, image);
    {
        BResources resources(program.c_str());
        ASSERT_EQ(resources.InitCheck(), B_OK);
        ASSERT_EQ(resources.AddResource('CSTR', 1, "new", 4, "name"), B_OK);
    }
    const std::string bytes = ReadFileBytes(program);
    EXPECT_EQ(bytes.substr(0, 301), image);
    EXPECT_EQ(bytes.substr(301, 3), std::string(3, '\0'));
    EXPECT_EQ(Le32(bytes, 304), 0x444F1000u);
    EXPECT_LT(bytes.size(), 4096u);
    BResources resources(program.c_str());
    EXPECT_EQ(Load(resources, 'CSTR', 1), std::string("new\0", 4));
}

TEST(Resources, SixtyFourBitImagesAreReadAtEitherOffset)
{
    TempDir dir;
    const std::string image = SmallElf64(301);
    const std::string area = ResourceArea(dir, "found");
    fs::path program = dir / "prog";

    // At the platform's offset, in a file that ends before the page-aligned
    // offset that our earlier builds used.
    WriteFileBytes(program, image + std::string(3, '\0') + area);
    {
        BResources resources(program.c_str());
        ASSERT_EQ(resources.InitCheck(), B_OK);
        EXPECT_EQ(Load(resources, 'CSTR', 1), std::string("found\0", 6));
    }

    // At the page-aligned offset of an earlier build: read, and moved to the
    // platform's offset when the file is written again.
    WriteFileBytes(program, image + std::string(4096 - image.size(), '\0') + area);
    {
        BResources resources(program.c_str());
        ASSERT_EQ(resources.InitCheck(), B_OK);
        EXPECT_EQ(Load(resources, 'CSTR', 1), std::string("found\0", 6));
        ASSERT_EQ(resources.AddResource('CSTR', 2, "added", 6, "other"), B_OK);
    }
    const std::string bytes = ReadFileBytes(program);
    EXPECT_EQ(Le32(bytes, 304), 0x444F1000u);
    BResources resources(program.c_str());
    EXPECT_EQ(Load(resources, 'CSTR', 1), std::string("found\0", 6));
    EXPECT_EQ(Load(resources, 'CSTR', 2), std::string("added\0", 6));
}

TEST(Resources, InfoTableWithoutCheckRecordIsReadWhole)
{
    TempDir dir;
    fs::path path = dir / "plain.rsrc";
    WriteFileBytes(path, "");
    {
        BResources resources(path.c_str());
        resources.AddResource('CSTR', 1, "first", 6, "a");
        resources.AddResource('APPF', 2, "flag", 5);
    }
    std::string bytes = ReadFileBytes(path);
    // The table ends with the separator; its size no longer counts a check
    // record.
    bytes.resize(bytes.size() - 8);
    const size_t sizeField = 4 + 0x44 + 0x7C;
    const uint32 tableSize = Le32(bytes, sizeField) - 8;
    memcpy(bytes.data() + sizeField, &tableSize, 4);
    WriteFileBytes(path, bytes);
    BResources resources(path.c_str());
    ASSERT_EQ(resources.InitCheck(), B_OK);
    EXPECT_EQ(resources.CountResources(), 2);
    EXPECT_EQ(Load(resources, 'CSTR', 1), std::string("first\0", 6));
    EXPECT_EQ(Load(resources, 'APPF', 2), std::string("flag\0", 5));
}

TEST(Resources, NewFileHasThePlatformLayoutByteForByte)
{
    TempDir dir;
    fs::path path = dir / "one.rsrc";
    WriteFileBytes(path, "");
    {
        BResources resources(path.c_str());
        ASSERT_EQ(resources.InitCheck(), B_OK);
        const uint8 flags[4] = {1, 0, 0, 0};
        ASSERT_EQ(resources.AddResource('APPF', 1, flags, 4, "BEOS:APP_FLAGS"), B_OK);
    }
    std::string bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 2017u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("RS\0\0", 4));
    const uint32 base = 4;
    EXPECT_EQ(Le32(bytes, base), 0x444F1000u);
    EXPECT_EQ(Le32(bytes, base + 4), 1u);
    EXPECT_EQ(Le32(bytes, base + 0x0C), 0x644u);
    EXPECT_EQ(Le32(bytes, base + 0x48), 0x600u);
    EXPECT_EQ(Le32(bytes, base + 0x4C), 0x3E9u); // filler
    EXPECT_EQ(Le32(bytes, base + 0xBC), 0x7B0u); // info table offset
    EXPECT_EQ(Le32(bytes, base + 0xC0), 45u);
    EXPECT_EQ(Le32(bytes, base + 0xC8), 0x7ACu); // data offset
    EXPECT_EQ(Le32(bytes, base + 0xCC), 4u);
    EXPECT_EQ(Le32(bytes, base + 0x7AC), 1u);
    EXPECT_EQ(bytes.substr(base + 0x7BE, 15), std::string("BEOS:APP_FLAGS\0", 15));
    EXPECT_EQ(Le32(bytes, base + 0x7D5), 0x4435745Du); // checksum
    EXPECT_EQ(Le32(bytes, base + 0x7D9), 0u);
}

TEST(Resources, AddReplaceRemoveWriteAndReadAtOffsets)
{
    TempDir dir;
    fs::path path = dir / "file.rsrc";
    WriteFileBytes(path, "");
    {
        BResources resources(path.c_str());
        ASSERT_EQ(resources.AddResource('CSTR', 5, "hello", 6, "greeting"), B_OK);
        ASSERT_EQ(resources.AddResource('RAWT', -3, "abc", 3), B_OK);
        ASSERT_EQ(resources.AddResource('CSTR', 6, "", 0, "empty"), B_OK);
        ASSERT_EQ(resources.AddResource('CSTR', 5, "bye", 4, "farewell"), B_OK); // replaces
        EXPECT_EQ(resources.CountResources(), 3);
        // Growing write past the end leaves zeros in the gap.
        ASSERT_EQ(resources.WriteResource('RAWT', -3, "XY", 5, 2), B_OK);
        ASSERT_EQ(resources.WriteResource('RAWT', -3, "B", 1, 1), B_OK);
        EXPECT_EQ(resources.WriteResource('RAWT', 99, "B", 0, 1), B_BAD_VALUE);
        EXPECT_EQ(resources.RemoveResource('RAWT', 99), B_BAD_VALUE);
    }
    BResources resources(path.c_str());
    ASSERT_EQ(resources.InitCheck(), B_OK);
    EXPECT_EQ(Load(resources, 'CSTR', 5), std::string("bye\0", 4));
    EXPECT_EQ(Load(resources, 'RAWT', -3), std::string("aBc\0\0XY", 7));
    EXPECT_EQ(Load(resources, 'CSTR', 6), "");
    EXPECT_TRUE(resources.HasResource('CSTR', "farewell"));
    EXPECT_FALSE(resources.HasResource('CSTR', "greeting"));
    EXPECT_FALSE(resources.HasResource('RAWT', 5));

    char buffer[8] = "-------";
    ASSERT_EQ(resources.ReadResource('RAWT', -3, buffer, 4, 8), B_OK);
    EXPECT_EQ(std::string(buffer, 4), std::string("\0XY-", 4)); // stops at the end
    EXPECT_EQ(resources.ReadResource('RAWT', -3, buffer, -1, 1), B_BAD_VALUE);

    int32 id;
    const char* name;
    size_t size;
    ASSERT_TRUE(resources.GetResourceInfo('CSTR', 1, &id, &name, &size));
    EXPECT_EQ(id, 6);
    EXPECT_STREQ(name, "empty");
    ASSERT_TRUE(resources.GetResourceInfo('CSTR', "farewell", &id, &size));
    EXPECT_EQ(id, 5);
    EXPECT_EQ(size, 4u);
    EXPECT_FALSE(resources.GetResourceInfo(3, nullptr, nullptr, nullptr, nullptr));

    const void* loaded = resources.LoadResource('CSTR', 5, &size);
    type_code type;
    ASSERT_TRUE(resources.GetResourceInfo(loaded, &type, &id, &size, &name));
    EXPECT_EQ(type, uint32('CSTR'));
    ASSERT_EQ(resources.RemoveResource(loaded), B_OK);
    EXPECT_FALSE(resources.HasResource('CSTR', 5));
    ASSERT_EQ(resources.Sync(), B_OK);
    BResources again(path.c_str());
    EXPECT_EQ(again.CountResources(), 2);
}

TEST(Resources, FileRangesLeadToTheStoredBytesAndOnlyThose)
{
    TempDir dir;
    fs::path path = dir / "file.rsrc";
    WriteFileBytes(path, "");
    const std::string first = Pattern(5000, 1);
    const std::string second = Pattern(777, 2);
    {
        BResources resources(path.c_str());
        ASSERT_EQ(resources.AddResource('RAWT', 1, first.data(), first.size()), B_OK);
        ASSERT_EQ(resources.AddResource('RAWT', 2, second.data(), second.size()), B_OK);
        off_t offset = 0;
        size_t length = 0;
        // Added data is not in the file yet.
        EXPECT_EQ(resources.GetResourceFileRange('RAWT', 1, &offset, &length), B_BUSY);
    }
    BResources resources(path.c_str());
    const std::string bytes = ReadFileBytes(path);
    for (const auto& [id, expected] : {std::pair<int32, std::string>{1, first}, {2, second}}) {
        off_t offset = 0;
        size_t length = 0;
        ASSERT_EQ(resources.GetResourceFileRange('RAWT', id, &offset, &length), B_OK);
        ASSERT_LE(size_t(offset) + length, bytes.size());
        EXPECT_EQ(bytes.substr(size_t(offset), length), expected);
    }
    off_t offset = 0;
    size_t length = 0;
    EXPECT_EQ(resources.GetResourceFileRange('RAWT', 3, &offset, &length), B_BAD_VALUE);
}

TEST(Resources, LargeContentsTravelThroughScratchFilesAndBack)
{
    TempDir dir;
    fs::path path = dir / "big.rsrc";
    WriteFileBytes(path, "");
    const std::string payload = Pattern(9 << 20, 7);
    {
        BResources resources(path.c_str());
        ASSERT_EQ(resources.AddResource('RAWT', 2100, payload.data(), 8192, "payload"), B_OK);
        for (size_t at = 8192; at < payload.size(); at += 8192)
            ASSERT_EQ(resources.WriteResource('RAWT', 2100, payload.data() + at, off_t(at),
                          std::min<size_t>(8192, payload.size() - at)), B_OK);
        ASSERT_EQ(resources.AddResource('RAWT', 2101, payload.data(), 5 << 20, "direct"), B_OK);
        ASSERT_EQ(resources.Sync(), B_OK);
        // Still readable from the new file, and changeable again.
        EXPECT_EQ(Load(resources, 'RAWT', 2100), payload);
        ASSERT_EQ(resources.WriteResource('RAWT', 2101, "!", 0, 1), B_OK);
    }
    BResources resources(path.c_str());
    EXPECT_EQ(Load(resources, 'RAWT', 2100), payload);
    std::string direct = Load(resources, 'RAWT', 2101);
    EXPECT_EQ(direct.size(), size_t(5 << 20));
    EXPECT_EQ(direct[0], '!');
    EXPECT_EQ(direct.substr(1), payload.substr(1, (5 << 20) - 1));
}

TEST(Resources, BindingKeepsResourcesAndClobberDropsThem)
{
    TempDir dir;
    fs::path path = dir / "keep.rsrc";
    WriteFileBytes(path, "");
    {
        BResources resources(path.c_str());
        resources.AddResource('LONG', 1, "\1\0\0\0", 4, "one");
    }
    {
        BFile file(path.c_str(), B_READ_WRITE);
        BResources resources(&file, false);
        ASSERT_EQ(resources.InitCheck(), B_OK);
        EXPECT_TRUE(resources.HasResource('LONG', 1));
        resources.AddResource('LONG', 2, "\2\0\0\0", 4, "two");
    }
    {
        BResources resources(path.c_str());
        EXPECT_EQ(resources.CountResources(), 2);
    }
    {
        BFile file(path.c_str(), B_READ_ONLY);
        BResources resources(&file, false);
        ASSERT_EQ(resources.InitCheck(), B_OK);
        EXPECT_EQ(resources.AddResource('LONG', 3, "\3\0\0\0", 4), B_NOT_ALLOWED);
        EXPECT_EQ(resources.RemoveResource('LONG', 1), B_NOT_ALLOWED);
    }
    {
        BResources resources(path.c_str(), true);
        EXPECT_EQ(resources.CountResources(), 0);
    }
    BResources resources(path.c_str());
    EXPECT_EQ(resources.CountResources(), 0);

    // Not a resource file: refused unless clobbered.
    fs::path text = dir / "notes.txt";
    WriteFileBytes(text, "just some text\n");
    BResources refused(text.c_str());
    EXPECT_EQ(refused.InitCheck(), B_BAD_DATA);
    EXPECT_EQ(ReadFileBytes(text), "just some text\n");
    EXPECT_EQ(BResources(dir.Path().c_str()).InitCheck(), B_IS_A_DIRECTORY);
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
    EXPECT_EQ(BResources((dir / "pipe").c_str()).InitCheck(), B_BAD_VALUE); // and does not block
    EXPECT_EQ(BResources((dir / "missing").c_str()).InitCheck(), B_ENTRY_NOT_FOUND);
}

TEST(Resources, ReplacementKeepsModeAttributesAndLinks)
{
    TempDir dir;
    fs::path path = dir / "tool.rsrc";
    WriteFileBytes(path, "");
    chmod(path.c_str(), 0751);
    ASSERT_EQ(setxattr(path.c_str(), "user.note", "kept", 4, 0), 0);
    fs::path link = dir / "link";
    fs::create_symlink("tool.rsrc", link);
    {
        BResources resources(link.c_str());
        ASSERT_EQ(resources.InitCheck(), B_OK);
        EXPECT_STREQ(resources.Path(), path.c_str());
        resources.AddResource('CSTR', 1, "x", 2);
    }
    EXPECT_TRUE(fs::is_symlink(link));
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0751u);
    char value[8] = {};
    EXPECT_EQ(getxattr(path.c_str(), "user.note", value, sizeof(value)), 4);
    EXPECT_STREQ(value, "kept");
    // No scratch or half-written files are left behind.
    int entries = 0;
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
        (void)entry;
        entries++;
    }
    EXPECT_EQ(entries, 2);
}

TEST(Resources, FailedWriteLeavesTheOldFileWhole)
{
    TempDir dir;
    fs::path path = dir / "safe.rsrc";
    WriteFileBytes(path, "");
    {
        BResources resources(path.c_str());
        resources.AddResource('CSTR', 1, "original", 9, "text");
    }
    const std::string before = ReadFileBytes(path);

    // A file size limit makes writing the new file fail half-way.
    const std::string big = Pattern(3 << 20, 3);
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = old;
    limit.rlim_cur = 1 << 20;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    status_t status;
    {
        BResources resources(path.c_str());
        ASSERT_EQ(resources.AddResource('RAWT', 2, big.data(), 1 << 20, "big"), B_OK);
        ASSERT_EQ(resources.WriteResource('RAWT', 2, big.data(), 0, big.size()), B_OK);
        status = resources.Sync();
        setrlimit(RLIMIT_FSIZE, &old);
        EXPECT_NE(status, B_OK);
        // Still bound to the old file, with the change pending.
        EXPECT_EQ(Load(resources, 'CSTR', 1), std::string("original\0", 9));
        EXPECT_EQ(ReadFileBytes(path), before);
        resources.RemoveResource('RAWT', 2);
    }
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(ReadFileBytes(path), before);
    int entries = 0;
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
        (void)entry;
        entries++;
    }
    EXPECT_EQ(entries, 1);

    if (geteuid() != 0) {
        // A folder that cannot take the new file.
        chmod(dir.Path().c_str(), 0555);
        {
            BResources resources(path.c_str());
            resources.AddResource('CSTR', 2, "new", 4);
            EXPECT_NE(resources.Sync(), B_OK);
        }
        chmod(dir.Path().c_str(), 0755);
        EXPECT_EQ(ReadFileBytes(path), before);
    }
}

TEST(Resources, ExecutableStaysRunnableWithResourcesAfterIt)
{
    TempDir dir;
    fs::path program = dir / "true";
    fs::copy_file("/bin/true", program);
    chmod(program.c_str(), 0755);
    const std::string image = ReadFileBytes(program);

    uint64 base = 0;
    {
        ondelle::resources::MemorySource source(image.data(), image.size());
        ASSERT_EQ(ondelle::resources::ElfResourceBase(source, base, nullptr), B_OK);
        EXPECT_GE(base, image.size() - 4096); // the end of the image, rounded
        EXPECT_EQ(base % (image[4] == 2 ? 8 : 32), 0u);
    }
    const std::string payload = Pattern(100000, 11);
    {
        BResources resources(program.c_str());
        ASSERT_EQ(resources.InitCheck(), B_OK);
        EXPECT_EQ(resources.CountResources(), 0);
        ASSERT_EQ(resources.AddResource('RAWT', 2100, payload.data(), payload.size(), "item"), B_OK);
        ASSERT_EQ(resources.AddResource('CSTR', 2002, "config", 7, "VDC:configuration"), B_OK);
    }
    std::string bytes = ReadFileBytes(program);
    EXPECT_EQ(bytes.substr(0, std::min<size_t>(image.size(), base)), image.substr(0, std::min<size_t>(image.size(), base)));
    EXPECT_EQ(Le32(bytes, size_t(base)), 0x444F1000u);
    EXPECT_EQ(std::system(program.c_str()), 0);

    {
        BResources resources(program.c_str());
        ASSERT_EQ(resources.CountResources(), 2);
        EXPECT_EQ(Load(resources, 'RAWT', 2100), payload);
        ASSERT_EQ(resources.RemoveResource('RAWT', 2100), B_OK);
    }
    EXPECT_LT(ReadFileBytes(program).size(), bytes.size());
    EXPECT_EQ(std::system(program.c_str()), 0);
    BResources resources(program.c_str());
    EXPECT_EQ(resources.CountResources(), 1);
    EXPECT_EQ(Load(resources, 'CSTR', 2002), std::string("config\0", 7));
}

TEST(Resources, OtherContainersKeepTheirHeadersAndStaleBytes)
{
    TempDir dir;
    for (const char* leaf : {"BeAIM--BeAIM.rsrc", "Squirrel99--testlist", "ralf-beos--Ball.rsrc"}) {
        SCOPED_TRACE(leaf);
        fs::path source = ondelle::test::SamplesDir() / leaf;
        if (!fs::exists(source))
            continue;
        fs::path copy = dir / leaf;
        fs::copy_file(source, copy);
        chmod(copy.c_str(), 0644);
        const std::string original = ReadFileBytes(copy);
        std::vector<std::string> before;
        {
            BResources resources(copy.c_str());
            ASSERT_EQ(resources.InitCheck(), B_OK);
            type_code type;
            int32 id;
            for (int32 i = 0; resources.GetResourceInfo(i, &type, &id, nullptr, nullptr); i++)
                before.push_back(Load(resources, type, id));
            ASSERT_EQ(resources.AddResource('CSTR', 77, "added", 6, "added"), B_OK);
        }
        std::string rewritten = ReadFileBytes(copy);
        // Whatever preceded the resource area is untouched (the container's
        // header, an executable image and any stale bytes behind it).
        size_t keep = original.compare(0, 4, "RS\0\0", 4) == 0 ? 4 : 0;
        if (original.compare(0, 8, "Joy!resf") == 0)
            keep = 0x28;
        if (original.compare(0, 4, "\x7f" "ELF") == 0)
            keep = 12288;
        EXPECT_EQ(rewritten.substr(0, keep), original.substr(0, keep));
        EXPECT_EQ(Le32(rewritten, keep), 0x444F1000u); // now little-endian
        BResources resources(copy.c_str());
        ASSERT_EQ(resources.CountResources(), int32(before.size()) + 1);
        type_code type;
        int32 id;
        for (int32 i = 0; i < int32(before.size()); i++) {
            ASSERT_TRUE(resources.GetResourceInfo(i, &type, &id, nullptr, nullptr));
            EXPECT_EQ(Load(resources, type, id), before[size_t(i)]); // contents never converted
        }
    }
}

TEST(Resources, SixtyFourBitImagesAlsoReadAtTheEightByteBoundary)
{
    // Resources written with 8-byte alignment after a 64-bit image.
    TempDir dir;
    fs::path rsrc = dir / "area.rsrc";
    WriteFileBytes(rsrc, "");
    {
        BResources resources(rsrc.c_str());
        resources.AddResource('CSTR', 1, "eight", 6, "name");
    }
    std::string area = ReadFileBytes(rsrc).substr(4);
    std::string image = ReadFileBytes("/bin/true");
    ondelle::resources::MemorySource source(image.data(), image.size());
    uint64 base, alternate;
    ASSERT_EQ(ondelle::resources::ElfResourceBase(source, base, &alternate), B_OK);
    if (image[4] != 2 || alternate == base)
        GTEST_SKIP() << "needs a 64-bit image whose end is not page-aligned";
    fs::path program = dir / "prog";
    WriteFileBytes(program, image + std::string(size_t(base) - image.size(), '\0') + area);
    BResources resources(program.c_str());
    ASSERT_EQ(resources.InitCheck(), B_OK);
    EXPECT_EQ(Load(resources, 'CSTR', 1), std::string("eight\0", 6));
}

TEST(Resources, PefImagesFindTheirResourcesAfterTheSections)
{
    TempDir dir;
    fs::path rsrc = dir / "area.rsrc";
    WriteFileBytes(rsrc, "");
    {
        BResources resources(rsrc.c_str());
        resources.AddResource('CSTR', 1, "ppc", 4, "name");
    }
    std::string area = ReadFileBytes(rsrc).substr(4);
    // Container header, one section of 100 bytes at offset 68.
    std::string pef(40 + 28, '\0');
    memcpy(pef.data(), "Joy!peffpwpc", 12);
    pef[33] = 1;
    pef[16 + 40 + 3] = 100; // packed size
    pef[20 + 40 + 3] = 68;  // container offset
    pef += Pattern(100, 5);
    fs::path program = dir / "ppc";
    WriteFileBytes(program, pef + area);
    BResources resources(program.c_str());
    ASSERT_EQ(resources.InitCheck(), B_OK);
    EXPECT_EQ(Load(resources, 'CSTR', 1), std::string("ppc\0", 4));
}

TEST(Resources, DamagedFilesAreRefused)
{
    TempDir dir;
    fs::path good = dir / "good.rsrc";
    WriteFileBytes(good, "");
    {
        BResources resources(good.c_str());
        resources.AddResource('CSTR', 1, "first", 6, "a");
        resources.AddResource('CSTR', 2, "second", 7, "b");
    }
    const std::string bytes = ReadFileBytes(good);
    auto refused = [&](std::string damaged, const char* what) {
        fs::path path = dir / "damaged.rsrc";
        WriteFileBytes(path, damaged);
        BResources resources(path.c_str());
        EXPECT_EQ(resources.InitCheck(), B_BAD_DATA) << what;
    };
    auto put = [](std::string& data, size_t at, uint32 value) { memcpy(data.data() + at, &value, 4); };
    const size_t base = 4;
    const size_t slots = base + 0x44 + 132;

    for (size_t cut : {size_t(10), size_t(100), size_t(0x700), bytes.size() - 1})
        refused(bytes.substr(0, cut), "truncated");
    std::string copy = bytes;
    put(copy, base + 4, 20000);
    refused(copy, "absurd count");
    copy = bytes;
    put(copy, slots + 12, Le32(bytes, slots)); // second resource on the first's data
    refused(copy, "overlapping data");
    copy = bytes;
    put(copy, slots, 0x7FFFFFF0);
    refused(copy, "data past the end");
    copy = bytes;
    put(copy, slots, 0x10); // data inside the header
    refused(copy, "data over the tables");
    copy = bytes;
    put(copy, base + 0x44 + 0x78, 0xFFFFFF00);
    refused(copy, "info table out of range");
    copy = bytes;
    copy[copy.size() - 20] ^= 0x20; // a name byte: checksum mismatch
    refused(copy, "checksum");
    copy = bytes;
    size_t secondInfo = copy.find("b", copy.size() - 30) - 6;
    put(copy, secondInfo, 1); // second info also names index 1
    refused(copy, "index used twice");

    // A text-mode transfer that turned every LF into CR LF.
    std::string mangled;
    for (char c : bytes) {
        if (c == '\n')
            mangled += '\r';
        mangled += c;
    }
    if (mangled != bytes)
        refused(mangled, "line ends converted");
}
