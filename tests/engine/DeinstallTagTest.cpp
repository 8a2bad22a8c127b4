// The deinstall tag and the "InstallBy" attribute on placed entries.
#include "TestSupport.h"

#include <DeinstallTag.h>
#include <InstallConfig.h>
#include <Node.h>
#include <TypeConstants.h>
#include <fs_attr.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

const char* const kTag = "Prod;1.0;2024-01-01;Maker;help@example.org;";

// The attribute's raw bytes and type, or "<none>".
std::string Attribute(const fs::path& path, type_code* type = nullptr)
{
    BNode node(path.c_str());
    attr_info info;
    if (node.InitCheck() != B_OK || node.GetAttrInfo("InstallBy", &info) != B_OK)
        return "<none>";
    std::string value(size_t(info.size), '\0');
    if (node.ReadAttr("InstallBy", info.type, 0, value.data(), value.size()) != ssize_t(value.size()))
        return "<unreadable>";
    if (type != nullptr)
        *type = info.type;
    return value;
}

} // namespace


TEST(DeinstallTag, TagIsTheFiveProductTextsEachFollowedBySemicolon)
{
    BMessage configuration;
    configuration.AddString("company", "Maker");
    configuration.AddString("app_name", "Prod");
    configuration.AddString("support_email", "help@example.org");
    configuration.AddString("version", "1.0");
    configuration.AddString("release_date", "2024-01-01");
    EXPECT_EQ(MakeDeinstallTag(configuration), kTag);

    // Missing texts count as empty; values are not escaped.
    BMessage partial;
    partial.AddString("app_name", "A;B");
    EXPECT_EQ(MakeDeinstallTag(partial), "A;B;;;;;");
}


TEST(DeinstallTag, FolderItemIsTaggedAtEveryDepthAndLinksAreNotEntered)
{
    TempDir dir;
    const fs::path outside = dir / "outside";
    fs::create_directories(outside / "deep");
    WriteFileBytes(outside / "deep" / "file", "x");
    WriteFileBytes(outside / "target", "t");

    const fs::path item = dir / "Prod";
    fs::create_directories(item / "lib" / "plugins" / "empty");
    WriteFileBytes(item / "Prod", "program");
    WriteFileBytes(item / "lib" / "libprod.so", "library");
    WriteFileBytes(item / "lib" / "plugins" / "one.so", "plugin");
    fs::create_directory_symlink(outside, item / "lib" / "outside-folder");
    fs::create_symlink(outside / "target", item / "to-target");
    fs::create_symlink("lib/libprod.so", item / "relative");

    InstallConfig config;
    config.AddDeinstallTag(item.c_str(), kTag);

    for (const char* leaf : {"", "Prod", "lib", "lib/libprod.so", "lib/plugins", "lib/plugins/one.so",
             "lib/plugins/empty"}) {
        type_code type = 0;
        EXPECT_EQ(Attribute(item / leaf, &type), kTag) << leaf;
        EXPECT_EQ(type, B_STRING_TYPE) << leaf;
    }
    // Links were not followed: what they point to outside stays untagged.
    EXPECT_EQ(Attribute(outside), "<none>");
    EXPECT_EQ(Attribute(outside / "deep" / "file"), "<none>");
    EXPECT_EQ(Attribute(outside / "target"), "<none>");
    EXPECT_TRUE(HasDeinstallTag((item / "lib/plugins/one.so").c_str(), kTag));
    EXPECT_FALSE(HasDeinstallTag((outside / "target").c_str(), kTag));
}


TEST(DeinstallTag, NewerTagReplacesTheOldOneAndMissingPathsAreIgnored)
{
    TempDir dir;
    const fs::path file = dir / "tool";
    WriteFileBytes(file, "x");
    InstallConfig config;
    config.AddDeinstallTag(file.c_str(), "A much longer earlier tag;;;;;");
    config.AddDeinstallTag(file.c_str(), kTag);
    EXPECT_EQ(Attribute(file), kTag);

    BNode node(file.c_str());
    int count = 0;
    char name[B_ATTR_NAME_LENGTH];
    while (node.GetNextAttrName(name) == B_OK)
        count += std::string(name) == "InstallBy" ? 1 : 0;
    EXPECT_EQ(count, 1);

    config.AddDeinstallTag((dir / "missing").c_str(), kTag);
    config.AddDeinstallTag(nullptr, kTag);
    config.AddDeinstallTag(file.c_str(), nullptr);
    EXPECT_FALSE(fs::exists(dir / "missing"));
    EXPECT_EQ(Attribute(file), kTag);
}


TEST(DeinstallTag, TaggingALinkNeverTagsItsTarget)
{
    TempDir dir;
    WriteFileBytes(dir / "target", "t");
    fs::create_directory(dir / "folder");
    fs::create_symlink(dir / "target", dir / "link");
    fs::create_directory_symlink(dir / "folder", dir / "folder-link");
    InstallConfig config;
    config.AddDeinstallTag((dir / "link").c_str(), kTag);
    config.AddDeinstallTag((dir / "folder-link").c_str(), kTag);
    EXPECT_EQ(Attribute(dir / "target"), "<none>");
    EXPECT_EQ(Attribute(dir / "folder"), "<none>");
}
