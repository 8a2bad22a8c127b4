// MIME types, type guessing, and the type, preferred application and icons
// kept on nodes.
#include <Entry.h>
#include <File.h>
#include <MimeType.h>
#include <Node.h>
#include <NodeInfo.h>

#include <gtest/gtest.h>

#include "TestSupport.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/xattr.h>

namespace fs = std::filesystem;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

TEST(MimeTypeTest, Validity)
{
    for (const char* valid : {"text/plain", "application/x-vnd.Quorvane.Vondl", "text", "image/svg+xml"})
        EXPECT_TRUE(BMimeType::IsValid(valid)) << valid;
    const std::string tooLong = "text/" + std::string(235, 'a');
    for (const char* invalid : {"", "/plain", "text/", "text/plain/x", "text/pl ain", "text/pl;ain",
             "text/\"q\"", "t\x01/x", tooLong.c_str()})
        EXPECT_FALSE(BMimeType::IsValid(invalid)) << invalid;
    EXPECT_FALSE(BMimeType::IsValid(nullptr));
    EXPECT_TRUE(BMimeType::IsValid(("text/" + std::string(234, 'a')).c_str()));

    BMimeType type("Text/Plain");
    ASSERT_EQ(type.InitCheck(), B_OK);
    EXPECT_TRUE(type == "text/plain");
    EXPECT_FALSE(type.IsSupertypeOnly());
    BMimeType super;
    ASSERT_EQ(type.GetSupertype(&super), B_OK);
    EXPECT_STREQ(super.Type(), "Text");
    EXPECT_TRUE(super.Contains(&type));
    EXPECT_FALSE(type.Contains(&super));
    EXPECT_EQ(BMimeType("bad type").InitCheck(), B_BAD_VALUE);
    EXPECT_EQ(BMimeType("bad type").Type(), nullptr);
}

TEST(MimeTypeTest, Descriptions)
{
    char description[B_MIME_TYPE_LENGTH];
    ASSERT_EQ(BMimeType("text/plain").GetShortDescription(description), B_OK);
    EXPECT_GT(std::strlen(description), 0u);
    ASSERT_EQ(BMimeType(B_DIRECTORY_MIME_TYPE).GetShortDescription(description), B_OK);
    EXPECT_STREQ(description, "Folder");
    ASSERT_EQ(BMimeType(B_APP_MIME_TYPE).GetShortDescription(description), B_OK);
    EXPECT_STREQ(description, "Be Application");
    EXPECT_EQ(BMimeType("application/x-never-heard-of").GetShortDescription(description), B_ENTRY_NOT_FOUND);
    EXPECT_TRUE(BMimeType("text/plain").IsInstalled());
    EXPECT_FALSE(BMimeType("application/x-never-heard-of").IsInstalled());
}

TEST(MimeTypeTest, GuessFromContentsAndName)
{
    TempDir dir;
    fs::create_directory(dir / "folder");
    fs::create_symlink("folder", dir / "link");
    WriteFileBytes(dir / "notes.txt", "plain words\n");
    WriteFileBytes(dir / "no extension", "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n");
    // An x86 executable header (ELF, 64-bit little-endian, type 2).
    std::string elf = std::string("\x7f" "ELF\x02\x01\x01", 7) + std::string(9, '\0') + std::string("\x02\x00\x3e\x00", 4);
    elf.resize(64, '\0');
    WriteFileBytes(dir / "program", elf);
    WriteFileBytes(dir / "resources.rsrc", std::string("RS\0\0", 4) + std::string(60, '\0'));

    auto guess = [](const fs::path& path) {
        BMimeType type;
        EXPECT_EQ(BMimeType::GuessMimeType(path.c_str(), &type), B_OK);
        return std::string(type.Type() != nullptr ? type.Type() : "");
    };
    EXPECT_EQ(guess(dir / "folder"), B_DIRECTORY_MIME_TYPE);
    EXPECT_EQ(guess(dir / "link"), B_SYMLINK_MIME_TYPE);
    EXPECT_EQ(guess(dir / "notes.txt"), "text/plain");
    EXPECT_EQ(guess(dir / "no extension"), "application/pdf");
    EXPECT_EQ(guess(dir / "program"), B_APP_MIME_TYPE);
    EXPECT_EQ(guess(dir / "resources.rsrc"), B_RESOURCE_MIME_TYPE);
    // A name alone, for a file that does not exist.
    EXPECT_EQ(guess(dir / "missing.png"), "image/png");

    entry_ref ref;
    ASSERT_EQ(get_ref_for_path((dir / "notes.txt").c_str(), &ref), B_OK);
    BMimeType byRef;
    ASSERT_EQ(BMimeType::GuessMimeType(&ref, &byRef), B_OK);
    EXPECT_STREQ(byRef.Type(), "text/plain");

    BMimeType byData;
    ASSERT_EQ(BMimeType::GuessMimeType("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16, &byData), B_OK);
    EXPECT_STREQ(byData.Type(), "image/png");
}

TEST(MimeTypeTest, UpdateMimeInfoTypesUntypedEntries)
{
    TempDir dir;
    fs::create_directories(dir / "tree/sub");
    WriteFileBytes(dir / "tree/sub/readme.txt", "hello\n");
    WriteFileBytes(dir / "tree/keep.txt", "typed already\n");
    fs::create_symlink("sub", dir / "tree/link");
    {
        BNode keep((dir / "tree/keep.txt").c_str());
        BNodeInfo(&keep).SetType("text/x-special");
    }
    ASSERT_EQ(update_mime_info((dir / "tree").c_str(), true, true, false), B_OK);

    auto typeOf = [](const fs::path& path) {
        BNode node(path.c_str());
        char type[B_MIME_TYPE_LENGTH];
        return BNodeInfo(&node).GetType(type) == B_OK ? std::string(type) : std::string("<none>");
    };
    EXPECT_EQ(typeOf(dir / "tree/sub/readme.txt"), "text/plain");
    EXPECT_EQ(typeOf(dir / "tree/sub"), B_DIRECTORY_MIME_TYPE);
    EXPECT_EQ(typeOf(dir / "tree/keep.txt"), "text/x-special");
    EXPECT_EQ(typeOf(dir / "tree/link"), B_SYMLINK_MIME_TYPE);

    ASSERT_EQ(update_mime_info((dir / "tree/keep.txt").c_str(), false, true, true), B_OK);
    EXPECT_EQ(typeOf(dir / "tree/keep.txt"), "text/plain");
    EXPECT_NE(update_mime_info((dir / "missing").c_str(), false, true, false), B_OK);
}

TEST(NodeInfoTest, TypeAndPreferredApplication)
{
    TempDir dir;
    WriteFileBytes(dir / "doc", "");
    BNode node((dir / "doc").c_str());
    BNodeInfo info(&node);
    ASSERT_EQ(info.InitCheck(), B_OK);
    char text[B_MIME_TYPE_LENGTH];
    EXPECT_EQ(info.GetType(text), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(info.SetType("not a type"), B_BAD_VALUE);

    ASSERT_EQ(info.SetType("text/x-vondl"), B_OK);
    ASSERT_EQ(info.GetType(text), B_OK);
    EXPECT_STREQ(text, "text/x-vondl");
    attr_info attr;
    ASSERT_EQ(node.GetAttrInfo("BEOS:TYPE", &attr), B_OK);
    EXPECT_EQ(attr.type, uint32('MIMS'));
    EXPECT_EQ(attr.size, 13); // with its NUL

    ASSERT_EQ(info.SetPreferredApp("application/x-vnd.Quorvane.Vondl"), B_OK);
    ASSERT_EQ(info.GetPreferredApp(text), B_OK);
    EXPECT_STREQ(text, "application/x-vnd.Quorvane.Vondl");
    ASSERT_EQ(info.SetPreferredApp(nullptr), B_OK);
    EXPECT_EQ(info.GetPreferredApp(text), B_ENTRY_NOT_FOUND);

    fs::create_directory(dir / "folder");
    BNode folder((dir / "folder").c_str());
    ASSERT_EQ(BNodeInfo(&folder).GetType(text), B_OK);
    EXPECT_STREQ(text, B_DIRECTORY_MIME_TYPE);

    BNode unset;
    EXPECT_EQ(BNodeInfo(&unset).InitCheck(), B_BAD_VALUE);
    EXPECT_EQ(BNodeInfo().GetType(text), B_NO_INIT);
}

TEST(NodeInfoTest, IconsInThePlatformsAttributes)
{
    TempDir dir;
    WriteFileBytes(dir / "app", "");
    BNode node((dir / "app").c_str());
    BNodeInfo info(&node);

    uint8 large[1024], mini[256], back[1024];
    for (int i = 0; i < 1024; ++i)
        large[i] = uint8(i % 251);
    std::memset(mini, 42, sizeof(mini));
    EXPECT_EQ(info.GetIcon(back, 32), B_ENTRY_NOT_FOUND);
    ASSERT_EQ(info.SetIcon(large, 32), B_OK);
    ASSERT_EQ(info.SetIcon(mini, 16), B_OK);
    EXPECT_EQ(info.SetIcon(mini, 24), B_BAD_VALUE);

    ASSERT_EQ(info.GetIcon(back, 32), B_OK);
    EXPECT_EQ(std::memcmp(back, large, 1024), 0);
    ASSERT_EQ(info.GetIcon(back, 16), B_OK);
    EXPECT_EQ(std::memcmp(back, mini, 256), 0);
    attr_info attr;
    ASSERT_EQ(node.GetAttrInfo("BEOS:L:STD_ICON", &attr), B_OK);
    EXPECT_EQ(attr.type, uint32('ICON'));
    ASSERT_EQ(node.GetAttrInfo("BEOS:M:STD_ICON", &attr), B_OK);
    EXPECT_EQ(attr.type, uint32('MICN'));

    // The tracker icon is the node's own when it has one.
    uint8 tracker[1024];
    ASSERT_EQ(info.GetTrackerIcon(tracker, 32), B_OK);
    EXPECT_EQ(std::memcmp(tracker, large, 1024), 0);

    // A damaged icon (wrong length) is reported, not handed out.
    node.WriteAttr("BEOS:L:STD_ICON", 'ICON', 0, large, 100);
    EXPECT_EQ(info.GetIcon(back, 32), B_BAD_DATA);

    ASSERT_EQ(info.SetIcon(nullptr, 32), B_OK);
    EXPECT_EQ(info.GetIcon(back, 32), B_ENTRY_NOT_FOUND);
}

TEST(NodeInfoTest, GenericTrackerIconsDifferByKind)
{
    TempDir dir;
    fs::create_directory(dir / "folder");
    WriteFileBytes(dir / "doc", "");
    fs::create_symlink("doc", dir / "link");

    auto icon = [](const fs::path& path, int32 size) {
        entry_ref ref;
        EXPECT_EQ(get_ref_for_path(path.c_str(), &ref), B_OK);
        std::string pixels(size_t(size) * size, '\0');
        EXPECT_EQ(BNodeInfo::GetTrackerIcon(&ref, reinterpret_cast<uint8*>(pixels.data()), size), B_OK);
        return pixels;
    };
    const std::string folder = icon(dir / "folder", 32);
    const std::string doc = icon(dir / "doc", 32);
    const std::string link = icon(dir / "link", 32);
    EXPECT_NE(folder, doc);
    EXPECT_NE(link, doc);
    // Each has transparent and opaque pixels.
    for (const std::string& pixels : {folder, doc, link}) {
        EXPECT_NE(pixels.find('\xff'), std::string::npos);
        EXPECT_NE(pixels.find_first_not_of('\xff'), std::string::npos);
    }
    const std::string small = icon(dir / "folder", 16);
    EXPECT_NE(small.find_first_not_of('\xff'), std::string::npos);

    // An own icon that is transparent throughout gives way to the generic one.
    {
        BNode node((dir / "doc").c_str());
        const std::string clear(1024, '\xff');
        ASSERT_EQ(BNodeInfo(&node).SetIcon(reinterpret_cast<const uint8*>(clear.data()), 32), B_OK);
    }
    EXPECT_EQ(icon(dir / "doc", 32), doc);

    uint8 pixels[1024];
    EXPECT_EQ(get_generic_icon(B_GENERIC_APPLICATION_ICON, pixels, 8), B_BAD_VALUE);
    entry_ref missing;
    ASSERT_EQ(get_ref_for_path((dir / "missing").c_str(), &missing), B_OK);
    EXPECT_EQ(BNodeInfo::GetTrackerIcon(&missing, pixels, 32), B_ENTRY_NOT_FOUND);
}

TEST(MimeTypeTest, SystemTypesAreThoseOfTheSystemsDataFoldersOnly)
{
    TempDir dir;
    const fs::path system = dir / "system";
    fs::create_directories(system / "mime/text");
    fs::create_directories(dir / "user/mime/text");
    WriteFileBytes(system / "mime/text/x-system-made.xml", "<mime-type/>");
    // The user's own folder declares a type too; it does not count.
    WriteFileBytes(dir / "user/mime/text/x-user-made.xml", "<mime-type/>");
    const char* before = std::getenv("XDG_DATA_DIRS");
    const std::string saved = before != nullptr ? before : "";
    ::setenv("XDG_DATA_DIRS", ("relative/ignored:" + system.string() + ":" + (dir / "none").string()).c_str(), 1);
    EXPECT_TRUE(BMimeType("text/x-system-made").IsSystemType());
    EXPECT_TRUE(BMimeType("Text/X-System-Made").IsSystemType());
    EXPECT_FALSE(BMimeType("text/x-user-made").IsSystemType());
    EXPECT_FALSE(BMimeType("text").IsSystemType());
    // The platform's own types are the system's.
    EXPECT_TRUE(BMimeType(B_DIRECTORY_MIME_TYPE).IsSystemType());
    if (before != nullptr)
        ::setenv("XDG_DATA_DIRS", saved.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_DIRS");
}
