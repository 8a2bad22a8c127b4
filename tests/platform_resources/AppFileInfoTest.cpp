// Application file information from real files, and written to attributes
// and resources alike.
#include <AppFileInfo.h>
#include <File.h>
#include <Message.h>
#include <Resources.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace fs = std::filesystem;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

version_info MakeVersion(uint32 major, uint32 middle, uint32 minor, uint32 variety, uint32 internal,
    const char* shortInfo, const char* longInfo)
{
    version_info info;
    memset(&info, 0, sizeof(info));
    info.major = major;
    info.middle = middle;
    info.minor = minor;
    info.variety = variety;
    info.internal = internal;
    strncpy(info.short_info, shortInfo, sizeof(info.short_info) - 1);
    strncpy(info.long_info, longInfo, sizeof(info.long_info) - 1);
    return info;
}

fs::path Program(const TempDir& dir)
{
    fs::path program = dir / "app";
    fs::copy_file("/bin/true", program);
    chmod(program.c_str(), 0755);
    return program;
}

ino_t Inode(const fs::path& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

} // namespace

TEST(AppFileInfo, ReadsSignaturesVersionsFlagsAndTypesOfRealFiles)
{
    struct Expected {
        const char* file;
        const char* signature;
        uint32 major, middle, minor, variety, internal;
        const char* shortInfo;
        int32 flags; // -1: none stored
    };
    // Little- and big-endian files, 340- and 680-byte version resources.
    const Expected expected[] = {
        {"BeAIM--BeAIM.rsrc", "application/x-vnd.FifthAce-BeAIM", 1, 5, 2, 2, 0,
            "AOL Instant Messenger client for BeOS", B_SINGLE_LAUNCH},
        {"MeV--MeV.rsrc", "application/x-vnd.BeUnited.MeV", 0, 8, 0, 1, 2, "0.8.0 Alpha 2", B_SINGLE_LAUNCH},
        {"BeMailDaemon--BeMail.rsrc", "application/x-vnd.Be-MAIL", 2, 3, 2, 5, 0, "BeMail 2.3.2", -2},
        {"ralf-beos--VideoShooter.ppc.rsrc", "application/x-vnd.ralf.videoshooter", 0, 1, 1, 0, 0,
            "VideoShooter", -2},
        {"BeSampleCode--InputRecorder.rsrc", "application/x-vnd.Be.InputRecorder", 0, 1, 0, 0, 0, "Version 0.2",
            B_MULTIPLE_LAUNCH},
        {"OpenSumIt--sum-it-types.rsrc", "application/x-vnd.open.sum-it", 0, 0, 1, 0, 1, "Open Sum-It v0.1d1", -2},
    };
    for (const Expected& want : expected) {
        SCOPED_TRACE(want.file);
        fs::path path = ondelle::test::SamplesDir() / want.file;
        if (!fs::exists(path))
            continue;
        BFile file(path.c_str(), B_READ_ONLY);
        BAppFileInfo info(&file);
        ASSERT_EQ(info.InitCheck(), B_OK);
        char signature[B_MIME_TYPE_LENGTH];
        ASSERT_EQ(info.GetSignature(signature), B_OK);
        EXPECT_STREQ(signature, want.signature);
        version_info version;
        ASSERT_EQ(info.GetVersionInfo(&version, B_APP_VERSION_KIND), B_OK);
        EXPECT_EQ(version.major, want.major);
        EXPECT_EQ(version.middle, want.middle);
        EXPECT_EQ(version.minor, want.minor);
        EXPECT_EQ(version.variety, want.variety);
        EXPECT_EQ(version.internal, want.internal);
        EXPECT_STREQ(version.short_info, want.shortInfo);
        if (want.flags >= 0) {
            uint32 flags;
            ASSERT_EQ(info.GetAppFlags(&flags), B_OK);
            EXPECT_EQ(flags, uint32(want.flags));
        }
    }

    fs::path mev = ondelle::test::SamplesDir() / "MeV--MeV.rsrc";
    if (fs::exists(mev)) {
        BFile file(mev.c_str(), B_READ_ONLY);
        BAppFileInfo info(&file);
        BMessage types;
        ASSERT_EQ(info.GetSupportedTypes(&types), B_OK);
        const char* type;
        ASSERT_EQ(types.FindString("types", 1, &type), B_OK);
        EXPECT_STREQ(type, "audio/x-midi");
        EXPECT_TRUE(info.IsSupportedType("Audio/X-MIDI"));
        EXPECT_FALSE(info.IsSupportedType("text/plain"));
        uint8 icon[32 * 32];
        EXPECT_EQ(info.GetIcon(icon, 32), B_OK);
        EXPECT_EQ(info.GetIcon(icon, 20), B_BAD_VALUE);
        // A read-only binding refuses changes to the resources.
        info.SetInfoLocation(B_USE_RESOURCES);
        EXPECT_EQ(info.SetAppFlags(B_MULTIPLE_LAUNCH), B_NOT_ALLOWED);
    }
}

TEST(AppFileInfo, WritesAttributesAndResourcesThatReadBackEitherWay)
{
    TempDir dir;
    fs::path program = Program(dir);
    std::string large(32 * 32, '\x2a');
    std::string mini(16 * 16, '\x11');
    {
        BFile file(program.c_str(), B_READ_WRITE);
        BAppFileInfo info(&file);
        ASSERT_EQ(info.InitCheck(), B_OK);
        EXPECT_TRUE(info.IsUsingResources());
        ASSERT_EQ(info.SetSignature("application/x-vnd.Test-App"), B_OK);
        EXPECT_EQ(info.SetSignature("not a type"), B_BAD_VALUE);
        ASSERT_EQ(info.SetAppFlags(B_EXCLUSIVE_LAUNCH | B_ARGV_ONLY), B_OK);
        version_info app = MakeVersion(2, 0, 5, 4, 3, "short", "long text");
        version_info system = MakeVersion(9, 8, 7, 5, 0, "sys", "");
        ASSERT_EQ(info.SetVersionInfo(&app, B_APP_VERSION_KIND), B_OK);
        ASSERT_EQ(info.SetVersionInfo(&system, B_SYSTEM_VERSION_KIND), B_OK);
        BMessage types;
        types.AddString("types", "text/x-test");
        types.AddString("types", "image");
        ASSERT_EQ(info.SetSupportedTypes(&types), B_OK);
        ASSERT_EQ(info.SetIcon(reinterpret_cast<const uint8*>(large.data()), 32), B_OK);
        ASSERT_EQ(info.SetIconForType("text/X-Test", reinterpret_cast<const uint8*>(mini.data()), 16), B_OK);
        ASSERT_EQ(info.SetType("application/x-vnd.Be-elfexecutable"), B_OK);
    }
    EXPECT_EQ(std::system(program.c_str()), 0);

    for (info_location where : {B_USE_ATTRIBUTES, B_USE_RESOURCES}) {
        SCOPED_TRACE(where);
        BFile file(program.c_str(), B_READ_ONLY);
        BAppFileInfo info(&file);
        info.SetInfoLocation(where);
        char text[B_MIME_TYPE_LENGTH];
        ASSERT_EQ(info.GetSignature(text), B_OK);
        EXPECT_STREQ(text, "application/x-vnd.Test-App");
        ASSERT_EQ(info.GetType(text), B_OK);
        EXPECT_STREQ(text, "application/x-vnd.Be-elfexecutable");
        uint32 flags;
        ASSERT_EQ(info.GetAppFlags(&flags), B_OK);
        EXPECT_EQ(flags, uint32(B_EXCLUSIVE_LAUNCH | B_ARGV_ONLY));
        version_info version;
        ASSERT_EQ(info.GetVersionInfo(&version, B_APP_VERSION_KIND), B_OK);
        EXPECT_EQ(version.minor, 5u);
        EXPECT_EQ(version.internal, 3u);
        EXPECT_STREQ(version.long_info, "long text");
        ASSERT_EQ(info.GetVersionInfo(&version, B_SYSTEM_VERSION_KIND), B_OK);
        EXPECT_EQ(version.major, 9u);
        EXPECT_STREQ(version.short_info, "sys");
        EXPECT_TRUE(info.IsSupportedType("image/png"));
        EXPECT_TRUE(info.IsSupportedType("text/x-test"));
        uint8 icon[32 * 32];
        ASSERT_EQ(info.GetIcon(icon, 32), B_OK);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(icon), 1024), large);
        ASSERT_EQ(info.GetIconForType("text/x-test", icon, 16), B_OK);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(icon), 256), mini);
    }

    // The resources as the platform lays them out.
    BResources resources(program.c_str());
    size_t size;
    int32 id;
    ASSERT_TRUE(resources.GetResourceInfo('APPV', "BEOS:APP_VERSION", &id, &size));
    EXPECT_EQ(id, 1);
    EXPECT_EQ(size, 680u);
    ASSERT_TRUE(resources.GetResourceInfo('MIMS', "BEOS:TYPE", &id, &size));
    EXPECT_EQ(id, 2);
    ASSERT_TRUE(resources.GetResourceInfo('ICON', "BEOS:L:STD_ICON", &id, &size));
    EXPECT_EQ(id, 101);
    ASSERT_TRUE(resources.GetResourceInfo('MICN', "BEOS:M:text/x-test", &id, &size));
    EXPECT_EQ(id, 0);
}

TEST(AppFileInfo, VersionRecordsOfEitherSizeAndTheOtherRecordKept)
{
    TempDir dir;
    fs::path path = dir / "app.rsrc";
    WriteFileBytes(path, "");
    {
        // One record only, as resource compilers write it.
        BResources resources(path.c_str());
        std::string record(340, '\0');
        record[0] = 3;
        record[12] = 5;
        memcpy(record.data() + 20, "three", 5);
        resources.AddResource('APPV', 1, record.data(), record.size(), "BEOS:APP_VERSION");
        resources.AddResource('APPV', 7, "junk", 4, "other");
    }
    BFile file(path.c_str(), B_READ_WRITE);
    {
        BAppFileInfo info(&file);
        info.SetInfoLocation(B_USE_RESOURCES);
        version_info version;
        ASSERT_EQ(info.GetVersionInfo(&version, B_SYSTEM_VERSION_KIND), B_OK);
        EXPECT_EQ(version.major, 0u);
        ASSERT_EQ(info.GetVersionInfo(&version, B_APP_VERSION_KIND), B_OK);
        EXPECT_EQ(version.major, 3u);
        EXPECT_STREQ(version.short_info, "three");
        version_info system = MakeVersion(1, 2, 3, 0, 0, "sys", "");
        ASSERT_EQ(info.SetVersionInfo(&system, B_SYSTEM_VERSION_KIND), B_OK);
        ASSERT_EQ(info.GetVersionInfo(&version, B_APP_VERSION_KIND), B_OK);
        EXPECT_EQ(version.major, 3u);
        EXPECT_EQ(info.GetVersionInfo(&version, version_kind(2)), B_BAD_VALUE);
    }
    {
        // Any other length is damage; a file without a record says so.
        BResources resources(path.c_str());
        resources.AddResource('APPV', 1, "short", 5, "BEOS:APP_VERSION");
    }
    BFile reopened(path.c_str(), B_READ_ONLY);
    BAppFileInfo info(&reopened);
    info.SetInfoLocation(B_USE_RESOURCES);
    version_info version;
    EXPECT_EQ(info.GetVersionInfo(&version, B_APP_VERSION_KIND), B_BAD_DATA);
    EXPECT_EQ(info.GetSignature(reinterpret_cast<char*>(&version)), B_ENTRY_NOT_FOUND);
}

TEST(AppFileInfo, LookupsByNameRequireTheUsualIds)
{
    TempDir dir;
    fs::path path = dir / "app.rsrc";
    WriteFileBytes(path, "");
    {
        BResources resources(path.c_str());
        const char* sig = "application/x-vnd.Wrong-Id";
        resources.AddResource('MIMS', 5, sig, strlen(sig) + 1, "BEOS:APP_SIG");
        resources.AddResource('ICON', 7, std::string(1024, '\1').data(), 1024, "BEOS:L:STD_ICON");
    }
    BFile file(path.c_str(), B_READ_ONLY);
    BAppFileInfo info(&file);
    char signature[B_MIME_TYPE_LENGTH];
    EXPECT_EQ(info.GetSignature(signature), B_ENTRY_NOT_FOUND);
    uint8 icon[1024];
    EXPECT_EQ(info.GetIcon(icon, 32), B_OK); // icons: any id
}

TEST(AppFileInfo, PlainFilesUseAttributesAndUnchangedValuesDoNotRewrite)
{
    TempDir dir;
    fs::path text = dir / "notes.txt";
    WriteFileBytes(text, "plain text\n");
    {
        BFile file(text.c_str(), B_READ_WRITE);
        BAppFileInfo info(&file);
        ASSERT_EQ(info.InitCheck(), B_OK);
        EXPECT_FALSE(info.IsUsingResources());
        ASSERT_EQ(info.SetSignature("application/x-vnd.Notes"), B_OK);
    }
    EXPECT_EQ(ondelle::test::ReadFileBytes(text), "plain text\n");

    fs::path program = Program(dir);
    version_info app = MakeVersion(1, 2, 3, 5, 0, "s", "l");
    BFile file(program.c_str(), B_READ_WRITE);
    {
        BAppFileInfo info(&file);
        ASSERT_EQ(info.SetVersionInfo(&app, B_APP_VERSION_KIND), B_OK);
    }
    // The caller's file now is the new file: attributes written through it
    // stay with the resources.
    ino_t replaced = Inode(program);
    ASSERT_EQ(file.WriteAttr("note", B_STRING_TYPE, 0, "x", 1), 1);
    BNode node(program.c_str());
    char value[2] = {};
    EXPECT_EQ(node.ReadAttr("note", B_STRING_TYPE, 0, value, 1), 1);
    {
        // Writing the same record again (as at every start) leaves the file.
        BAppFileInfo info(&file);
        ASSERT_EQ(info.SetVersionInfo(&app, B_APP_VERSION_KIND), B_OK);
    }
    EXPECT_EQ(Inode(program), replaced);
}
