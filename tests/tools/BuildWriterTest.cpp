#include "BuildWriter.h"
#include "GlibcFloor.h"
#include "Inspector.h"
#include "PackedProgram.h"
#include "ProductDescription.h"

#include "TestSupport.h"
#include "ZipBytes.h"

#include <AppFileInfo.h>
#include <BuildManifest.h>
#include <ConfigFields.h>
#include <CustomFolder.h>
#include <Entry.h>
#include <GroupContextList.h>
#include <InstallConfig.h>
#include <LibAppResource.h>
#include <LibFileUtils.h>
#include <Node.h>
#include <Resources.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

constexpr time_t kPayloadTime = 1000000000; // 2001-09-09

std::string Installer()
{
    return (ondelle::test::BuildDir() / "app/ondelle").string();
}

void SetTime(const fs::path& path)
{
    BEntry entry(path.c_str(), false);
    ASSERT_EQ(entry.SetModificationTime(kPayloadTime), B_OK);
}

// A payload of every kind: a plain file with a typed attribute, an
// executable, and a folder holding files, an empty folder and a link.
void MakePayload(const fs::path& root)
{
    fs::create_directories(root / "Docs/Empty");
    WriteFileBytes(root / "notes.txt", "plain text\n");
    BNode node((root / "notes.txt").c_str());
    const int32 rating = 5;
    ASSERT_EQ(node.WriteAttr("Notes:rating", B_INT32_TYPE, 0, &rating, sizeof(rating)), ssize_t(sizeof(rating)));
    WriteFileBytes(root / "tool", "#!/bin/sh\necho tool\n");
    ::chmod((root / "tool").c_str(), 0755);
    WriteFileBytes(root / "Docs/guide.txt", std::string(20000, 'g'));
    WriteFileBytes(root / "Docs/Empty/.keep", "");
    fs::create_symlink("guide.txt", root / "Docs/current");
    for (const char* leaf : {"notes.txt", "tool", "Docs/guide.txt", "Docs"})
        SetTime(root / leaf);
}

std::string Description(const fs::path& payload)
{
    return R"json({
  "product": {"name": "Test Product", "version": "2.0", "release_date": "today", "company": "Tests",
              "support_email": "help@example.org"},
  "groups": [{"name": "Typical", "description": "most"}, {"name": "Minimum", "description": "least"}],
  "custom_folders": [{"name": "Test Settings", "root": 3006, "sub_dir": "Test", "replace_existing": true}],
  "items": [
    {"path": ")json" + (payload / "notes.txt").string() + R"json(", "groups": ["Typical", "Minimum"],
     "destination": "Test Settings", "destination_exists": "Prompt", "link": "User Selected",
     "deinstallable": true},
    {"path": ")json" + (payload / "tool").string() + R"json(", "groups": ["Typical"], "auto_launch": true,
     "auto_launch_reason": "it greets you", "deinstallable": false},
    {"path": ")json" + (payload / "Docs").string() + R"json(", "groups": [], "destination": "User Settings",
     "destination_exists": "Rename"}
  ],
  "options": {"log": true, "save_replaced": true, "created_folder": "Test Product"},
  "requirements": {"disk_space": {"bytes": 4096, "required": false}, "ram": {"megabytes": 16, "required": true},
                   "shared_libraries": {"names": ["libc.so.6"], "required": true},
                   "applications": {"names": ["Shell (application/x-vnd.test-shell)"], "required": false}},
  "scripts": {"profile": {"tag": "Test Product", "contents": "export TEST=1"}},
  "completion": {"comments": "Enjoy.", "restart": false, "display_folder": true}
})json";
}

struct Build {
    TempDir dir;
    ProductDescription description;
    fs::path output;

    Build()
    {
        MakePayload(dir / "payload");
        WriteFileBytes(dir / "product.json", Description(dir / "payload"));
        WriteFileBytes(dir / "deinstaller", "#!/bin/sh\necho removing\n");
        std::vector<ProductDiagnostic> diagnostics;
        EXPECT_TRUE(ReadProductDescription((dir / "product.json").string(), {}, description, diagnostics));
        for (const auto& diagnostic : diagnostics)
            ADD_FAILURE() << diagnostic.text;
        output = dir / "out/TestSetup";
    }

    std::string Make() { return MakeInstallerBuild(description, Installer(), (dir / "deinstaller").string(),
        output.string()); }
};

void ExpectSameTree(const fs::path& expected, const fs::path& actual)
{
    const fs::file_status a = fs::symlink_status(expected);
    const fs::file_status b = fs::symlink_status(actual);
    ASSERT_EQ(a.type(), b.type()) << actual;
    if (fs::is_symlink(a)) {
        EXPECT_EQ(fs::read_symlink(expected), fs::read_symlink(actual)) << actual;
        return;
    }
    EXPECT_EQ(a.permissions(), b.permissions()) << actual;
    struct stat sa, sb;
    ::lstat(expected.c_str(), &sa);
    ::lstat(actual.c_str(), &sb);
    EXPECT_EQ(sa.st_mtime, sb.st_mtime) << actual;
    if (fs::is_regular_file(a)) {
        EXPECT_EQ(ReadFileBytes(expected), ReadFileBytes(actual)) << actual;
        return;
    }
    std::vector<std::string> left, right;
    for (const auto& entry : fs::directory_iterator(expected))
        left.push_back(entry.path().filename().string());
    for (const auto& entry : fs::directory_iterator(actual))
        right.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    std::sort(right.begin(), right.end());
    ASSERT_EQ(left, right) << actual;
    for (const auto& leaf : left)
        ExpectSameTree(expected / leaf, actual / leaf);
}

} // namespace

TEST(BuildWriterTest, BuildCarriesTheDescriptionExactly)
{
    Build build;
    ASSERT_EQ(build.Make(), "");
    ASSERT_TRUE(fs::exists(build.output));
    EXPECT_NE(fs::status(build.output).permissions() & fs::perms::owner_exec, fs::perms::none);
    for (const auto& entry : fs::directory_iterator(build.output.parent_path()))
        EXPECT_EQ(entry.path(), build.output) << "no partial file may stay behind";

    BResources resources(build.output.c_str());
    ASSERT_EQ(resources.InitCheck(), B_OK);
    size_t size = 0;
    const void* flat = resources.LoadResource(B_STRING_TYPE, "VDC:configuration", &size);
    ASSERT_NE(flat, nullptr);
    int32 id = 0;
    EXPECT_TRUE(resources.GetResourceInfo(B_STRING_TYPE, "VDC:configuration", &id, &size));
    EXPECT_EQ(id, 2002);
    BMessage stored;
    ASSERT_EQ(stored.Unflatten(static_cast<const char*>(flat), ssize_t(size)), B_OK);
    InstallConfig config;
    config = stored;

    EXPECT_STREQ(config.AppName(), "Test Product");
    EXPECT_STREQ(config.Version(), "2.0");
    EXPECT_STREQ(config.Company(), "Tests");
    EXPECT_STREQ(config.SupportEmail(), "help@example.org");
    EXPECT_EQ(config.DeinstallerSize(), int32(fs::file_size(build.dir / "deinstaller")));
    EXPECT_STREQ(config.OptCreatedFolder(), "Test Product");
    EXPECT_TRUE(config.OptLog());
    EXPECT_TRUE(config.OptSaveReplaced());
    EXPECT_FALSE(config.OptCreateStartup());
    EXPECT_TRUE(config.ReqDiskSpaceNeeded());
    EXPECT_FALSE(config.ReqDiskSpaceRequired());
    EXPECT_EQ(config.ReqDiskSpaceBytes(), 4096);
    EXPECT_TRUE(config.ReqRamRequired());
    EXPECT_EQ(config.ReqRamAmount(), 16);
    EXPECT_TRUE(config.ReqSharedLibrariesRequired());

    GroupContextList groups;
    config.ReadGroups(groups);
    ASSERT_EQ(groups.Size(), 2);
    EXPECT_STREQ(groups.Get(1)->Description(), "least");

    CustomFolder folder;
    ASSERT_TRUE(config.FindCustomFolder("Test Settings", folder));
    directory_which which;
    ASSERT_TRUE(folder.GetParentFolder(which));
    EXPECT_EQ(int32(which), 3006);

    ASSERT_EQ(config.CountInstallItems(), 3);
    EXPECT_EQ(config.GetFileSize("notes.txt"), LibEntrySize((build.dir / "payload/notes.txt").c_str(), true));
    EXPECT_GT(config.GetFileSize("notes.txt"), int32(ReadFileBytes(build.dir / "payload/notes.txt").size()))
        << "the size counts the attribute too";
    EXPECT_TRUE(config.MatchType("Minimum", "notes.txt"));
    EXPECT_FALSE(config.MatchType("Minimum", "tool"));
    const InstallItem docs = config.FindInstallItem("Docs");
    int64 modified = 0;
    ASSERT_TRUE(docs.GetModificationTime(modified));
    EXPECT_EQ(modified, int64(kPayloadTime));
    const BMessage* tool = config.InstallItemAt(1);
    ASSERT_NE(tool, nullptr);
    const BMessage* meta = tool->FindMessagePointer("install_meta");
    ASSERT_NE(meta, nullptr);
    const char* text = nullptr;
    ASSERT_EQ(meta->FindString("auto_launch_reason", &text), B_OK);
    EXPECT_STREQ(text, "it greets you");
    ASSERT_EQ(meta->FindString("deinstallable", &text), B_OK);
    EXPECT_STREQ(text, "False");
    ASSERT_EQ(tool->FindString("groups", &text), B_OK);
    EXPECT_STREQ(text, "Typical;");
    const BMessage* icon = tool->FindMessagePointer("file_icon");
    ASSERT_NE(icon, nullptr);
    const void* pixels = nullptr;
    ssize_t pixelBytes = 0;
    EXPECT_EQ(icon->FindData("_data", B_RAW_TYPE, &pixels, &pixelBytes), B_OK);
    EXPECT_EQ(pixelBytes, 256);

    const char* name = nullptr;
    EXPECT_TRUE(resources.GetResourceInfo(B_RAW_TYPE, 2102, &name, &size));
    EXPECT_STREQ(name, "Docs");
    EXPECT_TRUE(resources.GetResourceInfo(B_RAW_TYPE, 2001, &name, &size));
    EXPECT_STREQ(name, "Undelle");
    EXPECT_FALSE(resources.HasResource(B_RAW_TYPE, 2103));
}

TEST(BuildWriterTest, EveryArchiveExtractsToTheSameTree)
{
    Build build;
    ASSERT_EQ(build.Make(), "");
    LibAppResource resources(build.output.c_str(), B_READ_ONLY);
    const fs::path target = build.dir / "extracted";
    fs::create_directories(target);
    const char* leaves[] = {"notes.txt", "tool", "Docs"};
    for (int32 i = 0; i < 3; i++) {
        ASSERT_TRUE(resources.ExtractEntry(2100 + i, (target / leaves[i]).c_str(), true));
        ExpectSameTree(build.dir / "payload" / leaves[i], target / leaves[i]);
    }
    int32 rating = 0;
    BNode node((target / "notes.txt").c_str());
    EXPECT_EQ(node.ReadAttr("Notes:rating", B_INT32_TYPE, 0, &rating, sizeof(rating)), ssize_t(sizeof(rating)));
    EXPECT_EQ(rating, 5);

    ASSERT_TRUE(resources.ExtractEntry(2001, (target / "Undelle").c_str(), true));
    EXPECT_EQ(ReadFileBytes(target / "Undelle"), ReadFileBytes(build.dir / "deinstaller"));

    std::ostringstream out, err;
    EXPECT_EQ(InspectFile(build.output.string(), out, err), 0) << err.str();
    EXPECT_NE(out.str().find("The build is whole."), std::string::npos);
    EXPECT_NE(out.str().find("Docs/guide.txt"), std::string::npos);
}

TEST(BuildWriterTest, DamagedPayloadIsCaughtByInspection)
{
    Build build;
    ASSERT_EQ(build.Make(), "");
    {
        BResources resources(build.output.c_str());
        size_t size = 0;
        const void* data = resources.LoadResource(B_RAW_TYPE, 2102, &size);
        ASSERT_NE(data, nullptr);
        ASSERT_GT(size, 200u);
        // Flip bytes in the compressed guide: its data follows its local
        // header (30 bytes, the name, the extra fields).
        std::string bytes(static_cast<const char*>(data), size);
        const size_t name = bytes.find("Docs/guide.txt");
        ASSERT_NE(name, std::string::npos);
        const size_t extra = uint8(bytes[name - 2]) | (uint8(bytes[name - 1]) << 8);
        const size_t at = name + strlen("Docs/guide.txt") + extra + 4;
        ASSERT_LT(at + 10, size);
        for (size_t i = at; i < at + 10; i++)
            bytes[i] = char(bytes[i] ^ 0x5a);
        ASSERT_EQ(resources.WriteResource(B_RAW_TYPE, 2102, bytes.data() + at, at, 10), B_OK);
        ASSERT_EQ(resources.Sync(), B_OK);
    }
    std::ostringstream out, err;
    EXPECT_EQ(InspectFile(build.output.string(), out, err), 1);
    EXPECT_NE(err.str().find("item 2 \"Docs\""), std::string::npos) << err.str();

    {
        BResources resources(build.output.c_str());
        ASSERT_EQ(resources.RemoveResource(B_RAW_TYPE, 2101), B_OK);
        ASSERT_EQ(resources.Sync(), B_OK);
    }
    std::ostringstream out2, err2;
    EXPECT_EQ(InspectFile(build.output.string(), out2, err2), 1);
    EXPECT_NE(err2.str().find("item 1 \"tool\" has no archive"), std::string::npos) << err2.str();
}

TEST(BuildWriterTest, FailedBuildLeavesNothingBehind)
{
    Build build;
    ASSERT_EQ(build.Make(), "");
    const std::string before = ReadFileBytes(build.output);

    ProductDescription broken = build.description;
    broken.items[1].path = (build.dir / "payload/vanished").string();
    const std::string error = MakeInstallerBuild(broken, Installer(), "", build.output.string());
    EXPECT_NE(error.find("vanished"), std::string::npos) << error;
    EXPECT_EQ(ReadFileBytes(build.output), before) << "the old build stays whole";
    int32 files = 0;
    for (const auto& entry : fs::directory_iterator(build.output.parent_path())) {
        (void)entry;
        files++;
    }
    EXPECT_EQ(files, 1);

    EXPECT_NE(MakeInstallerBuild(build.description, (build.dir / "no-installer").string(), "",
                  (build.dir / "out/Other").string()).find("installer program does not exist"),
        std::string::npos);
    EXPECT_FALSE(fs::exists(build.dir / "out/Other"));
}

TEST(BuildWriterTest, EntryThatCannotBePackedFailsTheBuild)
{
    // The payload changed after the description was read: the packing
    // itself must notice, never store an archive with the entry missing.
    Build build;
    ASSERT_EQ(::mkfifo((build.dir / "payload/Docs/pipe").c_str(), 0644), 0);
    const std::string error = build.Make();
    EXPECT_NE(error.find("payload/Docs/pipe: is a FIFO"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(build.output));
    EXPECT_TRUE(fs::is_empty(build.output.parent_path()));
}

TEST(InspectorTest, ArchivesTheInstallerRefusesAreProblems)
{
    Build build;
    ASSERT_EQ(build.Make(), "");
    using ondelle::test::ZipBytesEntry;
    struct Case {
        const char* label;
        std::string archive;
        const char* problem;
    } cases[] = {
        {"absolute", ondelle::test::MakeStoredZip({{"/notes.txt", "x"}}), "absolute name"},
        {"dotdot", ondelle::test::MakeStoredZip({{"notes.txt/../../x", "x"}}), "\"..\" component"},
        {"escaping link", ondelle::test::MakeStoredZip({{"notes.txt", "../../etc/passwd", 0120777}}),
            "points outside"},
        {"nul", ondelle::test::MakeStoredZip({{std::string("notes.txt\0x", 11), "x"}}), "NUL character"},
        {"local name", ondelle::test::MakeStoredZip({{"notes.txt", "x", 0100644, "other.txt"}}),
            "local header names another file"},
        {"truncated", ondelle::test::MakeStoredZip({{"notes.txt", std::string(500, 'n')}}).substr(0, 300),
            "item 0"},
        {"other entry", ondelle::test::MakeStoredZip({{"readme", "x"}}), "no entry named \"notes.txt\""},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.label);
        {
            BResources resources(build.output.c_str());
            ASSERT_EQ(resources.RemoveResource(B_RAW_TYPE, 2100), B_OK);
            ASSERT_EQ(resources.AddResource(B_RAW_TYPE, 2100, test.archive.data(), test.archive.size(), "notes.txt"),
                B_OK);
        }
        std::ostringstream out, err;
        EXPECT_EQ(InspectFile(build.output.string(), out, err), 1) << out.str();
        EXPECT_NE(err.str().find(test.problem), std::string::npos) << err.str();
        EXPECT_NE(err.str().find("item 0 \"notes.txt\""), std::string::npos) << err.str();
        EXPECT_EQ(out.str().find("The build is whole."), std::string::npos);
    }
}

TEST(InspectorTest, DamagedConfigurationIsAProblem)
{
    Build build;
    ASSERT_EQ(build.Make(), "");
    {
        BResources resources(build.output.c_str());
        size_t size = 0;
        const void* data = resources.LoadResource(kConfigResourceType, kConfigResourceId, &size);
        ASSERT_NE(data, nullptr);
        const std::string truncated(static_cast<const char*>(data), size / 2);
        ASSERT_EQ(resources.RemoveResource(kConfigResourceType, kConfigResourceId), B_OK);
        ASSERT_EQ(resources.AddResource(kConfigResourceType, kConfigResourceId, truncated.data(), truncated.size(),
                      kConfigResourceName), B_OK);
    }
    std::ostringstream out, err;
    EXPECT_EQ(InspectFile(build.output.string(), out, err), 1);
    EXPECT_NE(err.str().find("the configuration"), std::string::npos) << err.str();
}

TEST(InspectorTest, DamagedAndForeignFilesAreReportedNotCrashed)
{
    TempDir dir;
    WriteFileBytes(dir / "garbage", "this is no resource file at all, just text");
    std::ostringstream out, err;
    EXPECT_EQ(InspectFile((dir / "garbage").string(), out, err), 1);
    EXPECT_NE(err.str().find("neither a resource file"), std::string::npos);

    WriteFileBytes(dir / "message", std::string("1BOF\x01\x02\x03", 7));
    EXPECT_EQ(InspectFile((dir / "message").string(), out, err), 1);
    EXPECT_NE(err.str().find("damaged flattened message"), std::string::npos);

    EXPECT_EQ(InspectFile((dir / "missing").string(), out, err), 1);

    for (const auto& sample : ondelle::test::SampleFiles()) {
        if (sample.extension() == ".rdef" || sample.extension() == ".md")
            continue;
        std::ostringstream sampleOut, sampleErr;
        EXPECT_EQ(InspectFile(sample.string(), sampleOut, sampleErr), 0) << sample << "\n" << sampleErr.str();
    }
}

TEST(BuildWriterTest, AnOutputOutsideTheSandboxIsRefusedByNamingTheSandbox)
{
    Build build;
    // A place where nothing can be written anyway, so that the test never
    // writes outside the sandbox whatever the result.
    const std::string outside = "/proc/ondelle-build-test/Setup";
    const std::string error = MakeInstallerBuild(build.description, Installer(), "", outside);
    const std::string root = fs::canonical(ondelle::test::SandboxRoot()).string();
    EXPECT_EQ(error, outside + ": lies outside the sandbox " + root
            + " (ONDELLE_SANDBOX); the build can only be written below it");
}

TEST(BuildWriterTest, ABuildMadeFromABuildHoldsOnlyItsOwnResourcesAndKeepsTheSystemVersion)
{
    Build build;
    ASSERT_EQ(build.Make(), "");
    // The first build gets a system version record and a resource of its
    // own, as a vendor's program might carry.
    {
        BFile file(build.output.c_str(), B_READ_WRITE);
        BAppFileInfo info(&file);
        info.SetInfoLocation(B_USE_RESOURCES);
        version_info system = {};
        system.major = 7;
        std::snprintf(system.short_info, sizeof(system.short_info), "System");
        ASSERT_EQ(info.SetVersionInfo(&system, B_SYSTEM_VERSION_KIND), B_OK);
        ASSERT_EQ(info.Sync(), B_OK);
        BResources resources(build.output.c_str());
        ASSERT_EQ(resources.AddResource('ICON', 101, "icon", 4, "BEOS:L:STD_ICON"), B_OK);
    }

    // The second build starts from the first and has one item only.
    ProductDescription second = build.description;
    second.items.resize(1);
    const fs::path output = build.dir / "out/SecondSetup";
    ASSERT_EQ(MakeInstallerBuild(second, build.output.string(), "", output.string()), "");

    BResources resources(output.c_str());
    ASSERT_EQ(resources.InitCheck(), B_OK);
    std::map<std::pair<type_code, int32>, int> seen;
    for (int32 i = 0;; i++) {
        type_code type;
        int32 id;
        const char* name = nullptr;
        size_t length = 0;
        if (!resources.GetResourceInfo(i, &type, &id, &name, &length))
            break;
        seen[{type, id}]++;
    }
    EXPECT_EQ(seen.size(), 6u) << "the item, the configuration, the signature, the version, the icon and the "
                                  "manifest";
    // The first build's manifest made way for this build's own.
    EXPECT_EQ(seen.count({kManifestResourceType, kManifestResourceId}), 1u);
    for (const auto& [key, count] : seen)
        EXPECT_EQ(count, 1) << key.second;
    EXPECT_EQ(seen.count({B_RAW_TYPE, 2100}), 1u);
    EXPECT_EQ(seen.count({B_RAW_TYPE, 2101}), 0u) << "items of the first build are gone";
    EXPECT_EQ(seen.count({B_RAW_TYPE, kDeinstallerResourceId}), 0u);
    EXPECT_EQ(seen.count({'ICON', 101}), 1u);

    BFile file(output.c_str(), B_READ_ONLY);
    BAppFileInfo info(&file);
    info.SetInfoLocation(B_USE_RESOURCES);
    char signature[B_MIME_TYPE_LENGTH] = {};
    ASSERT_EQ(info.GetSignature(signature), B_OK);
    EXPECT_STREQ(signature, "application/x-vnd.Quorvane.Vondl");
    version_info version = {};
    ASSERT_EQ(info.GetVersionInfo(&version, B_SYSTEM_VERSION_KIND), B_OK);
    EXPECT_EQ(version.major, 7u);
    EXPECT_STREQ(version.short_info, "System");
    ASSERT_EQ(info.GetVersionInfo(&version, B_APP_VERSION_KIND), B_OK);
    EXPECT_STREQ(version.short_info, "Ondelle");

    std::ostringstream out, err;
    EXPECT_EQ(InspectFile(output.string(), out, err), 0) << err.str();
    // Still the installer program: the image before the resources is kept
    // (as packed: without debug information).
    PackedProgram packed;
    ASSERT_EQ(packed.Prepare(Installer(), "installer program", kGlibcFloorMinor), "");
    const std::string image = ReadFileBytes(packed.Path());
    EXPECT_TRUE(ReadFileBytes(output).compare(0, 4096, image, 0, 4096) == 0);
}
