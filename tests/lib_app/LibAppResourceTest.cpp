// Application resources: packing payloads into raw resources and back,
// typed readers, version texts, and the running program's own file.
#include <AppFileInfo.h>
#include <AppPath.h>
#include <Entry.h>
#include <File.h>
#include <FindDirectory.h>
#include <LibAppResource.h>
#include <LibAppVersion.h>
#include <LibFileUtils.h>
#include <LibResourceReaders.h>
#include <Node.h>
#include <NodeInfo.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

std::string Pattern(size_t size, uint32 seed) { return ondelle::test::PatternBytes(size, seed); }

// Every entry below root: relative path -> contents (files) or "<dir>",
// followed by its attributes.
std::map<std::string, std::string> Snapshot(const fs::path& root)
{
    std::map<std::string, std::string> out;
    auto describe = [](const fs::path& path) {
        std::string text = fs::is_directory(path) ? "<dir>" : ReadFileBytes(path);
        BNode node(path.c_str());
        char name[B_ATTR_NAME_LENGTH];
        std::map<std::string, std::string> attributes;
        while (node.GetNextAttrName(name) == B_OK) {
            attr_info info;
            node.GetAttrInfo(name, &info);
            std::string value(size_t(info.size), '\0');
            node.ReadAttr(name, info.type, 0, value.data(), value.size());
            attributes[name] = std::to_string(info.type) + ":" + value;
        }
        // Extraction gives entries without a type one (checked apart).
        for (const auto& [key, value] : attributes) {
            if (key != "BEOS:TYPE")
                text += "|" + key + "=" + value;
        }
        return text;
    };
    out["."] = describe(root);
    for (const auto& entry : fs::recursive_directory_iterator(root))
        out[fs::relative(entry.path(), root).string()] = describe(entry.path());
    return out;
}

std::string ResourceBytes(BResources& resources, type_code type, int32 id)
{
    size_t size = 0;
    const void* data = resources.LoadResource(type, id, &size);
    return data != nullptr ? std::string(static_cast<const char*>(data), size) : "<none>";
}

fs::path EmptyResourceFile(const TempDir& dir, const char* leaf = "app.rsrc")
{
    fs::path path = dir / leaf;
    WriteFileBytes(path, "");
    return path;
}

void WriteVersion(const fs::path& path, uint32 major, uint32 middle, uint32 minor, uint32 variety,
    uint32 internal)
{
    BFile file(path.c_str(), B_READ_WRITE);
    BAppFileInfo info(&file);
    version_info version = {major, middle, minor, variety, internal, "short", "long"};
    ASSERT_EQ(info.SetVersionInfo(&version, B_APP_VERSION_KIND), B_OK);
}

} // namespace

TEST(LibAppResource, FolderWithAttributesTravelsThroughAResourceUnchanged)
{
    TempDir dir;
    fs::path docs = dir / "Docs";
    fs::create_directories(docs / "sub folder");
    WriteFileBytes(docs / "readme.txt", "read me\n");
    WriteFileBytes(docs / "sub folder" / "data.bin", Pattern(30000, 1));
    {
        BNode node((docs / "readme.txt").c_str());
        ASSERT_EQ(node.WriteAttr("BEOS:TYPE", 'MIMS', 0, "text/plain", 11), 11);
        BNode folder((docs / "sub folder").c_str());
        int32 value = 42;
        ASSERT_EQ(folder.WriteAttr("answer", B_INT32_TYPE, 0, &value, 4), 4);
    }
    const auto before = Snapshot(docs);

    fs::path file = EmptyResourceFile(dir);
    {
        LibAppResource resources(file.c_str(), B_READ_WRITE);
        ASSERT_EQ(resources.InitCheck(), B_OK);
        ASSERT_TRUE(resources.AddEntry(docs.c_str(), 2100, "Docs", 9));
    }
    fs::path target = dir / "installed";
    {
        LibAppResource resources(file.c_str(), B_READ_ONLY);
        const char* name;
        size_t size;
        ASSERT_TRUE(resources.GetResourceInfo(B_RAW_TYPE, 2100, &name, &size));
        EXPECT_STREQ(name, "Docs");
        ASSERT_TRUE(resources.ExtractEntry(2100, target.c_str(), true));
    }
    ASSERT_TRUE(fs::is_directory(target));
    const auto after = Snapshot(target);
    for (const auto& [entry, description] : before) {
        auto found = after.find(entry);
        ASSERT_NE(found, after.end()) << entry;
        EXPECT_TRUE(found->second == description) << entry << ": " << description.substr(0, 200) << " / "
                                                  << found->second.substr(0, 200);
    }
    EXPECT_EQ(after.size(), before.size());
    char type[B_MIME_TYPE_LENGTH] = {};
    BNode readme((target / "readme.txt").c_str());
    EXPECT_GT(readme.ReadAttr("BEOS:TYPE", 'MIMS', 0, type, sizeof(type) - 1), 0);
    EXPECT_STREQ(type, "text/plain");
    // The temporary archive of the packing is gone.
    BPath temp;
    find_directory(B_COMMON_TEMP_DIRECTORY, &temp);
    EXPECT_FALSE(fs::exists(fs::path(temp.Path()) / "zip_resource_file.zip"));
}

TEST(LibAppResource, ArchivesAreStoredWholeAndExtractedAsTheyAre)
{
    TempDir dir;
    fs::path source = dir / "item.dat";
    WriteFileBytes(source, Pattern(20000, 2)); // incompressible: a 20000-odd byte archive
    fs::path reference = dir / "reference.zip";
    // Builds record each file's type in its archive entry.
    ASSERT_TRUE(LibZip(reference.c_str(), BPath(source.c_str()), 0, true));

    fs::path file = EmptyResourceFile(dir);
    LibAppResource resources(file.c_str(), B_READ_WRITE);
    ASSERT_TRUE(resources.AddEntry(source.c_str(), 2101, "item.dat", 0));
    std::string stored = ResourceBytes(resources, B_RAW_TYPE, 2101);
    EXPECT_GT(stored.size(), 16384u);
    EXPECT_EQ(stored, ReadFileBytes(reference));

    // Without unpacking the archive itself arrives.
    fs::path raw = dir / "raw.zip";
    ASSERT_TRUE(resources.ExtractEntry(2101, raw.c_str(), false));
    EXPECT_EQ(ReadFileBytes(raw), stored);
    fs::path unpacked = dir / "unpacked.dat";
    ASSERT_TRUE(resources.ExtractEntry(2101, unpacked.c_str(), true));
    EXPECT_EQ(ReadFileBytes(unpacked), ReadFileBytes(source));

    // A missing id writes nothing and is not an error.
    fs::path nothing = dir / "nothing";
    EXPECT_TRUE(resources.ExtractEntry(2999, nothing.c_str(), true));
    EXPECT_TRUE(resources.ExtractEntry(2999, nothing.c_str(), false));
    EXPECT_FALSE(fs::exists(nothing));

    // Packing what is not there fails and keeps the resource.
    EXPECT_FALSE(resources.AddEntry((dir / "missing").c_str(), 2101, "missing", 9));
    EXPECT_EQ(ResourceBytes(resources, B_RAW_TYPE, 2101), stored);
}

TEST(LibAppResource, ExtractionRefusesNamesThatLeaveTheTemporaryFolder)
{
    TempDir dir;
    fs::path file = EmptyResourceFile(dir);
    LibAppResource resources(file.c_str(), B_READ_WRITE);
    ASSERT_EQ(resources.AddResource(B_RAW_TYPE, 5, "PK", 2, "../escape"), B_OK);
    ASSERT_EQ(resources.AddResource(B_RAW_TYPE, 6, "PK", 2, ""), B_OK);
    EXPECT_FALSE(resources.ExtractEntry(5, (dir / "out").c_str(), true));
    EXPECT_FALSE(resources.ExtractEntry(6, (dir / "out").c_str(), true));
    EXPECT_FALSE(fs::exists(dir / "out"));
    // Unpacked nothing by that name: nothing moves, as for a help archive
    // whose entry has a name of its own.
    ASSERT_EQ(resources.AddResource(B_RAW_TYPE, 7, "not a zip", 9, "named"), B_OK);
    EXPECT_TRUE(resources.ExtractEntry(7, (dir / "out").c_str(), true));
    EXPECT_FALSE(fs::exists(dir / "out"));

    // Read-only resources cannot take an entry.
    WriteFileBytes(dir / "x", "x");
    LibAppResource readOnly(file.c_str(), B_READ_ONLY);
    EXPECT_FALSE(readOnly.AddEntry((dir / "x").c_str(), 9, "x", 1));
}

TEST(LibAppResource, StringsAndCopiesBetweenFiles)
{
    TempDir dir;
    fs::path from = EmptyResourceFile(dir, "from.rsrc");
    fs::path to = EmptyResourceFile(dir, "to.rsrc");
    LibAppResource source(from.c_str(), B_READ_WRITE);
    ASSERT_EQ(source.AddResource(B_STRING_TYPE, 2002, "config", 7, "VDC:configuration"), B_OK);
    ASSERT_EQ(source.AddResource(B_STRING_TYPE, 3, "no end", 6), B_OK); // no NUL stored
    char* text = source.FindString(2002);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "config");
    delete[] text;
    text = source.FindString(3);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "no end");
    delete[] text;
    EXPECT_EQ(source.FindString(4), nullptr);

    const std::string big = Pattern(3 << 20, 9);
    ASSERT_EQ(source.AddResource(B_RAW_TYPE, 2100, big.data(), big.size(), "big item"), B_OK);
    {
        LibAppResource target(to.c_str(), B_READ_WRITE);
        ASSERT_EQ(target.AddResource(B_STRING_TYPE, 2002, "old", 4, "old name"), B_OK);
        EXPECT_TRUE(source.CopyResource(2002, B_STRING_TYPE, target));
        EXPECT_TRUE(source.CopyResource(2100, B_RAW_TYPE, target));
        EXPECT_TRUE(source.CopyResource(77, B_RAW_TYPE, target));
        EXPECT_EQ(target.CountResources(), 2);
    }
    LibAppResource target(to.c_str(), B_READ_ONLY);
    EXPECT_EQ(ResourceBytes(target, B_STRING_TYPE, 2002), std::string("config\0", 7));
    EXPECT_TRUE(target.HasResource(B_STRING_TYPE, "VDC:configuration"));
    EXPECT_EQ(ResourceBytes(target, B_RAW_TYPE, 2100), big);
    EXPECT_FALSE(source.CopyResource(2002, B_STRING_TYPE, target)); // read-only target

    LibAppResource none((dir / "missing").c_str(), B_READ_ONLY);
    EXPECT_NE(none.InitCheck(), B_OK);
    EXPECT_EQ(none.FindString(2002), nullptr);
}

TEST(LibResourceReaders, SizesMustMatchAndOutputsStayOnFailure)
{
    TempDir dir;
    fs::path file = EmptyResourceFile(dir);
    BResources resources(file.c_str());
    const float rect[4] = {1, 2, 30, 40};
    const int32 answer = 42;
    resources.AddResource(B_RGB_COLOR_TYPE, 1, "\x10\x20\x30\xff", 4);
    resources.AddResource(B_RGB_COLOR_TYPE, 2, "\x10\x20\x30", 3);
    resources.AddResource(B_RECT_TYPE, 1, rect, 16);
    resources.AddResource(B_INT32_TYPE, 1, &answer, 4);
    resources.AddResource(B_INT32_TYPE, 2, &answer, 2);
    resources.AddResource(B_INT8_TYPE, 1, "\xfe", 1);
    resources.AddResource(B_BOOL_TYPE, 1, "\x01", 1);
    resources.AddResource(B_BOOL_TYPE, 2, "\x01\x00", 2);
    resources.AddResource(B_STRING_TYPE, 1, "text", 5);
    resources.AddResource(B_STRING_TYPE, 2, "", 0);

    rgb_color color = {0, 0, 0, 0};
    EXPECT_TRUE(LibFindRGBResource(resources, 1, color));
    EXPECT_EQ(color, (rgb_color{0x10, 0x20, 0x30, 0xff}));
    EXPECT_FALSE(LibFindRGBResource(resources, 2, color));
    EXPECT_EQ(color.alpha, 0xff);
    BRect frame;
    EXPECT_TRUE(LibFindRectResource(resources, 1, frame));
    EXPECT_EQ(frame, BRect(1, 2, 30, 40));
    int32 value = 7;
    EXPECT_TRUE(LibFindLongResource(resources, 1, value));
    EXPECT_EQ(value, 42);
    value = 7;
    EXPECT_FALSE(LibFindLongResource(resources, 2, value));
    EXPECT_FALSE(LibFindLongResource(resources, 3, value));
    EXPECT_EQ(value, 7);
    int8 small = 0;
    EXPECT_TRUE(LibFindShortResource(resources, 1, small));
    EXPECT_EQ(small, -2);
    bool flag = false;
    EXPECT_FALSE(LibFindBoolResource(resources, 2, flag));
    EXPECT_FALSE(flag);
    EXPECT_TRUE(LibFindBoolResource(resources, 1, flag));
    EXPECT_TRUE(flag);

    char text[16] = "previous";
    EXPECT_TRUE(LibFindStringResource(resources, 1, text));
    EXPECT_STREQ(text, "text");
    strcpy(text, "previous");
    EXPECT_TRUE(LibFindStringResource(resources, 2, text));
    EXPECT_STREQ(text, "");
    strcpy(text, "previous");
    EXPECT_FALSE(LibFindStringResource(resources, 3, text));
    EXPECT_STREQ(text, "");
    char tiny[3];
    EXPECT_TRUE(LibFindStringResource(resources, 1, tiny, sizeof(tiny)));
    EXPECT_STREQ(tiny, "te");
}

TEST(LibAppVersion, VersionTexts)
{
    TempDir dir;
    fs::path file = EmptyResourceFile(dir);
    EXPECT_STREQ(LibGetAppVersion(file.c_str()), "");
    EXPECT_STREQ(LibGetAppVersion((dir / "missing").c_str()), "");
    WriteVersion(file, 2, 0, 5, 4, 3);
    EXPECT_STREQ(LibGetAppVersion(file.c_str()), "2.0.5 Gold 3");
    WriteVersion(file, 2, 0, 5, 5, 0);
    EXPECT_STREQ(LibGetAppVersion(file.c_str()), "2.0.5");
    WriteVersion(file, 1, 2, 3, 0, 0);
    EXPECT_STREQ(LibGetAppVersion(file.c_str()), "1.2.3 Dev");
    WriteVersion(file, 0, 8, 0, 1, 2);
    EXPECT_STREQ(LibGetAppVersion(file.c_str()), "0.8.0 Alpha 2");
    WriteVersion(file, 1, 0, 0, 9, 0);
    EXPECT_STREQ(LibGetAppVersion(file.c_str()), "1.0.0");

    // A big-endian record of a file written on another machine.
    fs::path sample = ondelle::test::SamplesDir() / "BeAIM--BeAIM.rsrc";
    if (fs::exists(sample)) {
        EXPECT_STREQ(LibGetAppVersion(sample.c_str()), "1.5.2 Beta");
    }
}

TEST(LibAppVersion, SignatureOnlyForElfExecutables)
{
    TempDir dir;
    fs::path program = dir / "app";
    fs::copy_file("/bin/true", program);
    {
        BFile file(program.c_str(), B_READ_WRITE);
        BAppFileInfo info(&file);
        ASSERT_EQ(info.SetSignature("application/x-vnd.Test-Sig"), B_OK);
        ASSERT_EQ(info.SetType("application/x-vnd.Be-elfexecutable"), B_OK);
    }
    entry_ref ref;
    ASSERT_EQ(get_ref_for_path(program.c_str(), &ref), B_OK);
    char signature[B_MIME_TYPE_LENGTH] = "stale";
    LibGetAppSignature(ref, signature);
    EXPECT_STREQ(signature, "application/x-vnd.Test-Sig");
    {
        BFile file(program.c_str(), B_READ_WRITE);
        BAppFileInfo info(&file);
        ASSERT_EQ(info.SetType("application/octet-stream"), B_OK);
    }
    ASSERT_EQ(get_ref_for_path(program.c_str(), &ref), B_OK);
    LibGetAppSignature(ref, signature);
    EXPECT_STREQ(signature, "");
}

// Runs in a copy of this test program (see below): writes into its own file
// while it runs, the way the installer does at every start.
TEST(LibAppOwnFile, ChildWritesItsOwnFile)
{
    const char* step = getenv("ONDELLE_OWN_FILE_STEP");
    if (step == nullptr)
        GTEST_SKIP() << "runs only inside a copy of the test program";
    // The copy lies in the sandbox of the test that started it.
    setenv("ONDELLE_SANDBOX", getenv("ONDELLE_PARENT_SANDBOX"), 1);
    if (strcmp(step, "write") == 0) {
        LibSetAppVersion(2, 0, 5, "short text", nullptr, 4, 3);
        LibStringList types;
        types.Add("text/x-vondl");
        types.Add("application/zip");
        LibSetAppSupportedTypes(types);
        LibAppResource own(B_READ_WRITE);
        ASSERT_EQ(own.InitCheck(), B_OK);
        ASSERT_EQ(own.AddResource(B_STRING_TYPE, 2002, "written", 8, "qv:test"), B_OK);
    } else {
        EXPECT_STREQ(LibGetAppVersion(nullptr), "2.0.5 Gold 3");
        LibStringList types;
        types.Add("already there");
        EXPECT_EQ(LibGetAppSupportedTypes(types), 3);
        LibAppResource own(B_READ_ONLY);
        char* text = own.FindString(2002);
        ASSERT_NE(text, nullptr);
        EXPECT_STREQ(text, "written");
        delete[] text;
    }
}

TEST(LibAppOwnFile, RunningProgramChangesItsOwnResources)
{
    if (getenv("ONDELLE_OWN_FILE_STEP") != nullptr)
        GTEST_SKIP();
    std::string self;
    ASSERT_EQ(get_app_path(&self), B_OK);
    EXPECT_EQ(fs::path(self), fs::canonical("/proc/self/exe"));
    LibStringList none;
    EXPECT_EQ(LibGetAppSupportedTypes(none), 0);

    TempDir dir;
    fs::path copy = dir / "app";
    fs::copy_file(self, copy);
    chmod(copy.c_str(), 0755);
    auto run = [&](const char* step) {
        std::string command = std::string("ONDELLE_OWN_FILE_STEP=") + step + " ONDELLE_PARENT_SANDBOX='"
            + ondelle::test::SandboxRoot().string() + "' '" + copy.string()
            + "' --gtest_filter=LibAppOwnFile.ChildWritesItsOwnFile > '" + (dir / "log").string() + "' 2>&1";
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    ASSERT_EQ(run("write"), 0) << ReadFileBytes(dir / "log");
    ASSERT_EQ(run("check"), 0) << ReadFileBytes(dir / "log");
    EXPECT_STREQ(LibGetAppVersion(copy.c_str()), "2.0.5 Gold 3");
    struct stat st;
    ASSERT_EQ(stat(copy.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);
}

TEST(LibAppResource, AnEntryPlantedInTheTemporaryFolderIsNeverTaken)
{
    TempDir dir;
    BPath temp;
    ASSERT_EQ(find_directory(B_COMMON_TEMP_DIRECTORY, &temp, true), B_OK);
    // Someone else's folder at the name the resource unpacks to.
    const fs::path planted = fs::path(temp.Path()) / "Undelle";
    fs::create_directories(planted);
    WriteFileBytes(planted / "evil", "planted");

    fs::path program = dir / "Undelle";
    WriteFileBytes(program, "the real program");
    fs::path file = EmptyResourceFile(dir);
    LibAppResource resources(file.c_str(), B_READ_WRITE);
    ASSERT_TRUE(resources.AddEntry(program.c_str(), 2001, "Undelle", 9));
    fs::path target = dir / "installed";
    ASSERT_TRUE(resources.ExtractEntry(2001, target.c_str(), true));
    ASSERT_TRUE(fs::is_regular_file(target));
    EXPECT_EQ(ReadFileBytes(target), "the real program");
    EXPECT_EQ(ReadFileBytes(planted / "evil"), "planted") << "left alone";
    fs::remove_all(planted);
    // Nothing of the work stays behind.
    for (const auto& entry : fs::directory_iterator(temp.Path()))
        EXPECT_EQ(entry.path().filename().string().find("ondelle-"), std::string::npos) << entry.path();
}

TEST(LibAppResource, BuildsPackingAtTheSameTimeKeepTheirOwnItems)
{
    // Many small archives staged at once from several threads: a staging
    // file shared by name would hand one build another build's archive.
    TempDir dir;
    constexpr int kBuilds = 6;
    constexpr int kItems = 40;
    for (int b = 0; b < kBuilds; b++) {
        fs::create_directories(dir / ("payload" + std::to_string(b)));
        for (int i = 0; i < kItems; i++)
            WriteFileBytes(dir / ("payload" + std::to_string(b)) / ("item" + std::to_string(i)),
                Pattern(2000, uint32(b * 1000 + i)));
        EmptyResourceFile(dir, ("build" + std::to_string(b)).c_str());
    }
    std::vector<std::thread> builds;
    std::vector<int> stored(kBuilds, 0);
    for (int b = 0; b < kBuilds; b++) {
        builds.emplace_back([&, b] {
            LibAppResource resources((dir / ("build" + std::to_string(b))).c_str(), B_READ_WRITE);
            if (resources.InitCheck() != B_OK)
                return;
            for (int i = 0; i < kItems; i++) {
                const std::string leaf = "item" + std::to_string(i);
                if (resources.AddEntry((dir / ("payload" + std::to_string(b)) / leaf).c_str(), 2100 + i,
                        leaf.c_str(), 1))
                    stored[size_t(b)]++;
            }
            resources.Sync();
        });
    }
    for (auto& build : builds)
        build.join();
    for (int b = 0; b < kBuilds; b++) {
        EXPECT_EQ(stored[size_t(b)], kItems) << "build " << b;
        LibAppResource resources((dir / ("build" + std::to_string(b))).c_str(), B_READ_ONLY);
        for (int i = 0; i < kItems; i++) {
            const std::string leaf = "item" + std::to_string(i);
            const fs::path out = dir / ("out" + std::to_string(b)) / leaf;
            fs::create_directories(out.parent_path());
            ASSERT_TRUE(resources.ExtractEntry(2100 + i, out.c_str(), true));
            EXPECT_EQ(ReadFileBytes(out), ReadFileBytes(dir / ("payload" + std::to_string(b)) / leaf))
                << "build " << b << ", " << leaf;
        }
    }
}
