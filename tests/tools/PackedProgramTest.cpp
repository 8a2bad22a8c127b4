// The programs a build carries: stripped of debug information, their own
// resources kept, and held to the oldest C library builds start on.
#include "BuildSizes.h"
#include "BuildWriter.h"
#include "ElfImage.h"
#include "GlibcFloor.h"
#include "PackedProgram.h"
#include "ProductDescription.h"

#include "TestSupport.h"
#include "ToolRun.h"

#include <ConfigFields.h>
#include <Resources.h>
#include <ResourceFormat.h>
#include <TypeConstants.h>
#include <ZipExtractor.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace ondelle::resources;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

// A program with its debug information still in it: the build tool itself,
// which the project's build does not strip.
std::string ProgramWithDebugInformation()
{
    return (ondelle::test::BuildDir() / "tools/ondelle-build").string();
}

// What stripping must at least leave out of that program: half of it with
// the debug information of the project's builds, else its symbol table.
uintmax_t StrippedAtMost(const std::string& program)
{
    const std::string bytes = ReadFileBytes(program);
    const MemorySource source(bytes.data(), bytes.size());
    ElfImage image;
    EXPECT_EQ(image.Read(source), "");
    for (const ElfImage::Section& section : image.Sections()) {
        if (section.name == ".debug_info")
            return bytes.size() / 2;
    }
    return bytes.size() - 1;
}

ElfImage ReadElf(const std::string& bytes)
{
    const MemorySource source(bytes.data(), bytes.size());
    ElfImage image;
    EXPECT_EQ(image.Read(source), "");
    return image;
}

void Put16(std::string& bytes, size_t at, uint16_t value)
{
    bytes[at] = char(value & 0xff);
    bytes[at + 1] = char(value >> 8);
}

void Put32(std::string& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; i++)
        bytes[at + size_t(i)] = char((value >> (8 * i)) & 0xff);
}

void Put64(std::string& bytes, size_t at, uint64_t value)
{
    Put32(bytes, at, uint32_t(value));
    Put32(bytes, at + 4, uint32_t(value >> 32));
}

// A small x86-64 ELF file whose one undefined dynamic symbol needs version
// from libc.so.6: the dynamic string and symbol tables, the symbol versions
// and the version needs, as a linker writes them.
std::string MakeElfNeeding(const std::string& version, const std::string& symbol)
{
    const std::string dynstr = std::string("\0libc.so.6\0", 11) + version + '\0' + symbol + '\0';
    const uint32_t libraryName = 1, versionName = 11, symbolName = uint32_t(11 + version.size() + 1);
    const std::string shstrtab =
        std::string("\0.dynstr\0.dynsym\0.gnu.version\0.gnu.version_r\0.shstrtab\0", 54);
    std::string dynsym(48, '\0');
    Put32(dynsym, 24, symbolName);
    dynsym[24 + 4] = 0x12; // global function, undefined (section index 0)
    std::string versym(4, '\0');
    Put16(versym, 2, 2);
    std::string verneed(32, '\0');
    Put16(verneed, 0, 1);
    Put16(verneed, 2, 1);
    Put32(verneed, 4, libraryName);
    Put32(verneed, 8, 16);
    Put16(verneed, 16 + 6, 2);
    Put32(verneed, 16 + 8, versionName);

    std::string file(64, '\0');
    struct Part {
        const std::string* data;
        uint32_t name, type, link, info;
        size_t offset;
    };
    Part parts[] = {{&dynstr, 1, 3, 0, 0, 0}, {&dynsym, 9, 11, 1, 1, 0}, {&versym, 17, 0x6fffffff, 2, 0, 0},
        {&verneed, 30, 0x6ffffffe, 1, 1, 0}, {&shstrtab, 45, 3, 0, 0, 0}};
    for (Part& part : parts) {
        part.offset = file.size();
        file += *part.data;
        file.resize((file.size() + 7) & ~size_t(7), '\0');
    }
    const size_t sectionHeaders = file.size();
    file.resize(sectionHeaders + 6 * 64, '\0');
    for (size_t i = 0; i < 5; i++) {
        const size_t at = sectionHeaders + (i + 1) * 64;
        Put32(file, at, parts[i].name);
        Put32(file, at + 4, parts[i].type);
        Put64(file, at + 24, parts[i].offset);
        Put64(file, at + 32, parts[i].data->size());
        Put32(file, at + 40, parts[i].link);
        Put32(file, at + 44, parts[i].info);
    }
    std::memcpy(file.data(), "\x7f" "ELF\x02\x01\x01", 7);
    Put16(file, 16, 3);  // shared object
    Put16(file, 18, 62); // x86-64
    Put32(file, 20, 1);
    Put64(file, 40, sectionHeaders);
    Put16(file, 52, 64);
    Put16(file, 58, 64);
    Put16(file, 60, 6);
    Put16(file, 62, 5);
    return file;
}

// The resources of a file, read like the installer reads them.
std::vector<ResourceEntry> ResourcesOf(const fs::path& path, int& fd)
{
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_GE(fd, 0);
    const FdSource source(fd, fs::file_size(path));
    ContainerInfo container;
    std::vector<ResourceEntry> entries;
    EXPECT_EQ(DetectContainer(source, container), B_OK);
    EXPECT_EQ(ReadContainerResources(source, container, entries), B_OK);
    return entries;
}

ProductDescription SmallProduct(const TempDir& dir)
{
    WriteFileBytes(dir / "payload.txt", std::string(100000, 'p'));
    WriteFileBytes(dir / "product.json", R"json({
  "product": {"name": "Strip Test", "version": "1.0"},
  "items": [{"path": "payload.txt"}],
  "options": {"created_folder": "Strip Test"}
})json");
    ProductDescription description;
    std::vector<ProductDiagnostic> diagnostics;
    EXPECT_TRUE(ReadProductDescription((dir / "product.json").string(), {}, description, diagnostics));
    return description;
}

} // namespace

TEST(ElfImage, ReadsTheVersionsAProgramNeedsWithASymbolForEach)
{
    const ElfImage crafted = ReadElf(MakeElfNeeding("GLIBC_2.35", "newer_function"));
    ASSERT_EQ(crafted.NeededVersions().size(), 1u);
    EXPECT_EQ(crafted.NeededVersions()[0].library, "libc.so.6");
    EXPECT_EQ(crafted.NeededVersions()[0].version, "GLIBC_2.35");
    EXPECT_EQ(crafted.NeededVersions()[0].symbol, "newer_function");

    // The real installer program needs C library versions, each named.
    const ElfImage installer = ReadElf(ReadFileBytes(ondelle::test::BuildDir() / "app/ondelle"));
    bool sawGlibc = false;
    for (const auto& needed : installer.NeededVersions()) {
        if (needed.version.rfind("GLIBC_2.", 0) == 0) {
            sawGlibc = true;
            EXPECT_FALSE(needed.symbol.empty()) << needed.version;
        }
    }
    EXPECT_TRUE(sawGlibc);
    EXPECT_EQ(CheckGlibcFloor(installer), "");
}

TEST(ElfImage, DamagedHeadersAreAnErrorNotAReadOutsideTheFile)
{
    std::string bytes = MakeElfNeeding("GLIBC_2.17", "f");
    std::string farSections = bytes;
    Put64(farSections, 40, 1u << 30);
    ElfImage image;
    EXPECT_NE(image.Read(MemorySource(farSections.data(), farSections.size())), "");
    std::string longSection = bytes;
    Put64(longSection, farSections.size() - 5 * 64 + 32, uint64_t(1) << 40); // .dynstr's size
    EXPECT_NE(image.Read(MemorySource(longSection.data(), longSection.size())), "");
    std::string badNeedOffset = bytes;
    for (size_t at = bytes.size() - 6 * 64; at < bytes.size(); at += 64) {
        if (uint32_t(uint8_t(bytes[at + 4])) == 0xfe)
            Put64(badNeedOffset, at + 32, 8); // version need section cut short
    }
    EXPECT_NE(image.Read(MemorySource(badNeedOffset.data(), badNeedOffset.size())), "");
    const std::string notX86 = std::string("\x7f" "ELF\x01\x01\x01", 7) + std::string(100, '\0');
    EXPECT_NE(image.Read(MemorySource(notX86.data(), notX86.size())), "");
}

TEST(GlibcFloor, ProgramsNeedingANewerCLibraryAreRefusedNamingTheSymbol)
{
    EXPECT_EQ(GlibcVersionNumbers("GLIBC_2.34"), (std::vector<int>{2, 34}));
    EXPECT_EQ(GlibcVersionNumbers("GLIBC_2.2.5"), (std::vector<int>{2, 2, 5}));
    EXPECT_TRUE(GlibcVersionNumbers("GLIBC_PRIVATE").empty());
    EXPECT_TRUE(GlibcVersionNumbers("GLIBC_2.").empty());

    EXPECT_EQ(CheckGlibcFloor(ReadElf(MakeElfNeeding("GLIBC_2.34", "f"))), "");
    EXPECT_EQ(CheckGlibcFloor(ReadElf(MakeElfNeeding("GLIBC_2.2.5", "f"))), "");
    // 2.4 is older than 2.34: versions compare by number, not as text.
    EXPECT_EQ(CheckGlibcFloor(ReadElf(MakeElfNeeding("GLIBC_2.4", "f"))), "");
    const std::string newer = CheckGlibcFloor(ReadElf(MakeElfNeeding("GLIBC_2.38", "__isoc23_strtol")));
    EXPECT_NE(newer.find("GLIBC_2.38"), std::string::npos) << newer;
    EXPECT_NE(newer.find("__isoc23_strtol"), std::string::npos) << newer;
    EXPECT_NE(newer.find("2.34"), std::string::npos) << newer;
    EXPECT_NE(CheckGlibcFloor(ReadElf(MakeElfNeeding("GLIBC_PRIVATE", "f"))), "");
    // Only the C library's versions count.
    EXPECT_EQ(CheckGlibcFloor(ReadElf(MakeElfNeeding("GLIBCXX_3.4.30", "f"))), "");

    // make refuses such a program and writes nothing.
    TempDir dir;
    WriteFileBytes(dir / "newer-installer", MakeElfNeeding("GLIBC_2.39", "pidfd_spawn"));
    ::chmod((dir / "newer-installer").c_str(), 0755);
    const std::string error = MakeInstallerBuild(SmallProduct(dir), (dir / "newer-installer").string(),
        std::string(), (dir / "Setup").string());
    EXPECT_NE(error.find("pidfd_spawn"), std::string::npos) << error;
    EXPECT_NE(error.find("newer-installer"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(dir / "Setup"));
    WriteFileBytes(dir / "newer-deinstaller", MakeElfNeeding("GLIBC_2.35", "newer_call"));
    const std::string deinstallerError = MakeInstallerBuild(SmallProduct(dir),
        (ondelle::test::BuildDir() / "app/ondelle").string(), (dir / "newer-deinstaller").string(),
        (dir / "Setup").string());
    EXPECT_NE(deinstallerError.find("newer_call"), std::string::npos) << deinstallerError;
    EXPECT_FALSE(fs::exists(dir / "Setup"));
}

TEST(PackedProgram, StripsACopyKeepingItsResourcesAndLeavesTheProgramAlone)
{
    TempDir dir;
    const fs::path program = dir / "program";
    fs::copy_file(ProgramWithDebugInformation(), program);
    {
        BResources resources(program.c_str());
        ASSERT_EQ(resources.InitCheck(), B_OK);
        ASSERT_EQ(resources.AddResource('TEST', 7, "kept", 5, "kept resource"), B_OK);
        ASSERT_EQ(resources.Sync(), B_OK);
    }
    const std::string before = ReadFileBytes(program);
    ASSERT_TRUE(ReadElf(before).CarriesDebugInformation());

    std::string strippedPath;
    {
        PackedProgram packed;
        ASSERT_EQ(packed.Prepare(program.string(), "installer program", kGlibcFloorMinor), "");
        ASSERT_TRUE(packed.Stripped());
        strippedPath = packed.Path();
        const std::string stripped = ReadFileBytes(packed.Path());
        EXPECT_FALSE(ReadElf(stripped).CarriesDebugInformation());
        EXPECT_LE(stripped.size(), StrippedAtMost(program.string()));
        int fd = -1;
        const std::vector<ResourceEntry> entries = ResourcesOf(packed.Path(), fd);
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].name, "kept resource");
        std::string data(size_t(entries[0].size), '\0');
        EXPECT_EQ(::pread(fd, data.data(), data.size(), off_t(entries[0].offset)), ssize_t(data.size()));
        EXPECT_EQ(data, std::string("kept", 5));
        ::close(fd);
        struct stat status;
        ASSERT_EQ(::stat(packed.Path().c_str(), &status), 0);
        EXPECT_TRUE(status.st_mode & S_IXUSR);
    }
    EXPECT_EQ(ReadFileBytes(program), before);
    EXPECT_FALSE(fs::exists(strippedPath)) << "the stripped copy outlived its owner";

    // Without objcopy such a program is an error that says so.
    {
        const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
        ::setenv("PATH", dir.Path().c_str(), 1);
        PackedProgram unstrippable;
        const std::string error = unstrippable.Prepare(program.string(), "installer program", kGlibcFloorMinor);
        ::setenv("PATH", path.c_str(), 1);
        EXPECT_NE(error.find("objcopy"), std::string::npos) << error;
    }

    // A program without debug information is packed as it is: the
    // installer as packed once (the project's build strips it already; a
    // sanitizer build keeps its symbols, so packing strips a copy).
    PackedProgram first;
    ASSERT_EQ(first.Prepare((ondelle::test::BuildDir() / "app/ondelle").string(), "installer program",
                  kGlibcFloorMinor), "");
    const std::string installer = first.Path();
    PackedProgram plain;
    ASSERT_EQ(plain.Prepare(installer, "installer program", kGlibcFloorMinor), "");
    EXPECT_FALSE(plain.Stripped());
    EXPECT_EQ(plain.Path(), installer);
}

TEST(PackedProgram, BuildsCarryNoDebugInformationAndReportTheirSizes)
{
    TempDir dir;
    const fs::path output = dir / "Setup";
    ASSERT_EQ(MakeInstallerBuild(SmallProduct(dir), ProgramWithDebugInformation(), ProgramWithDebugInformation(),
                  output.string()),
        "");
    const std::string build = ReadFileBytes(output);
    EXPECT_FALSE(ReadElf(build).CarriesDebugInformation());

    int fd = -1;
    const std::vector<ResourceEntry> entries = ResourcesOf(output, fd);
    ::close(fd);
    bool sawDeinstaller = false;
    for (const ResourceEntry& entry : entries) {
        if (entry.type != B_RAW_TYPE || entry.id != kDeinstallerResourceId)
            continue;
        sawDeinstaller = true;
        fs::create_directories(dir / "unpacked");
        ASSERT_EQ(ZipExtractor::ExtractRange(output.c_str(), off_t(entry.offset), entry.size,
                      (dir / "unpacked").c_str()),
            B_OK);
        const std::string deinstaller = ReadFileBytes(dir / "unpacked" / kDeinstallerResourceName);
        EXPECT_FALSE(ReadElf(deinstaller).CarriesDebugInformation());
    }
    EXPECT_TRUE(sawDeinstaller);

    // The parts add up to the file, and the program image is the stripped
    // program's size, not the one with debug information.
    std::vector<BuildPart> parts;
    ASSERT_TRUE(MeasureBuild(output.string(), parts));
    ASSERT_GE(parts.size(), 4u);
    EXPECT_EQ(parts.front().label, "program");
    EXPECT_LE(parts.front().size, StrippedAtMost(ProgramWithDebugInformation()));
    EXPECT_EQ(parts.back().label, "total");
    EXPECT_EQ(parts.back().size, build.size());
    uint64 sum = 0;
    for (size_t i = 0; i + 1 < parts.size(); i++)
        sum += parts[i].size;
    EXPECT_EQ(sum, build.size());
    bool sawItem = false;
    for (const BuildPart& part : parts)
        sawItem |= part.label == "item 0 \"payload.txt\"";
    EXPECT_TRUE(sawItem);
}

TEST(PackedProgram, TheInstallersBuildStaysWithinItsPayloadAndThreeAndAHalfMegabytes)
{
    TempDir dir;
    const fs::path output = dir / "Setup";
    const fs::path app = ondelle::test::BuildDir() / "app";
    ASSERT_EQ(MakeInstallerBuild(SmallProduct(dir), (app / "ondelle").string(), (app / "ondelle-deinstall").string(),
                  output.string()),
        "");
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "a sanitizer build's programs carry the sanitizers' code: their size says nothing";
#endif
    const uintmax_t size = fs::file_size(output);
    std::printf("installer build of a 100000-byte payload: %ju bytes\n", size);
    // The installer program and the deinstaller (which carries its own
    // window) take up to 3.5 MB together.
    EXPECT_LT(size, 100000u + (7u << 19));
}

TEST(PackedProgram, TheFloorOptionIsCheckedBeforeAnythingIsMade)
{
    TempDir dir;
    SmallProduct(dir);
    const std::string description = (dir / "product.json").string();
    const std::string output = (dir / "Setup").string();
    for (const std::vector<std::string>& args :
        {std::vector<std::string>{"make", description, "-o", output, "--bundle-runtime", "--glibc-floor", "2.33"},
            {"make", description, "-o", output, "--bundle-runtime", "--glibc-floor", "3.40"},
            {"make", description, "-o", output, "--bundle-runtime", "--glibc-floor", "2.x"},
            {"make", description, "-o", output, "--glibc-floor", "2.35"}}) {
        const ToolResult result = RunBuildTool(args, dir.Path().string());
        EXPECT_EQ(result.status, 2) << args.back() << ": " << result.err;
        EXPECT_NE(result.err.find("--glibc-floor"), std::string::npos) << result.err;
    }
    EXPECT_FALSE(fs::exists(output));
}
