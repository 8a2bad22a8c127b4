// Menu entries for programs: signature, document types, the program's own
// icon and categories reach the entry, the MIME package and the icon theme;
// an entry in the way that is no plain file is never replaced.
#include <AppFileInfo.h>
#include <Bitmap.h>
#include <DeinstallTag.h>
#include <DesktopEntry.h>
#include <DesktopIntegration.h>
#include <File.h>
#include <FindDirectory.h>
#include <Message.h>
#include <Path.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

fs::path Folder(directory_which which)
{
    BPath path;
    EXPECT_EQ(find_directory(which, &path, true), B_OK);
    return path.Path();
}

// A program with a signature, a document type and a black icon.
void MakeProgram(const fs::path& path)
{
    WriteFileBytes(path, "#!/bin/sh\nexit 0\n");
    fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
    BFile file(path.c_str(), B_READ_WRITE);
    BAppFileInfo info(&file);
    ASSERT_EQ(info.InitCheck(), B_OK);
    info.SetInfoLocation(B_USE_ATTRIBUTES);
    ASSERT_EQ(info.SetSignature("application/x-vnd.tests-menu"), B_OK);
    BMessage types;
    types.AddString("types", "text/x-menu-notes");
    // Types every system knows: the program merely opens them.
    types.AddString("types", "text/plain");
    types.AddString("types", "inode/directory");
    ASSERT_EQ(info.SetSupportedTypes(&types), B_OK);
    // Palette index 0 is black: an opaque square unlike any generic icon.
    const std::vector<uint8> black(32 * 32, 0);
    ASSERT_EQ(info.SetIcon(black.data(), 32), B_OK);
}

} // namespace

TEST(DesktopMenuEntry, ProgramEntryCarriesSignatureTypesIconAndCategories)
{
    TempDir dir;
    const fs::path program = dir / "Menu Tool";
    MakeProgram(program);
    const fs::path menu = Folder(B_USER_DESKBAR_DIRECTORY) / "MenuTests";
    fs::create_directories(menu);

    std::vector<std::string> lines;
    DesktopIntegration desktop("Menu Tests", "Menu Tests;1;;;;",
        [&](const std::string& line) { lines.push_back(line); });
    std::string entryPath;
    ASSERT_EQ(desktop.PlaceMenuEntry(menu.string(), program.string(), "Office;TextEditor", entryPath),
        B_OK);
    EXPECT_EQ(entryPath, (menu / desktop.MenuEntryLeaf(program.string())).string());
    const std::string text = ReadFileBytes(entryPath);
    EXPECT_NE(text.find("\nExec=\"" + program.string() + "\"\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nX-Ondelle-Signature=application/x-vnd.tests-menu\n"), std::string::npos);
    EXPECT_NE(text.find("\nMimeType=text/x-menu-notes;text/plain;inode/directory;\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nCategories=Office;TextEditor;\n"), std::string::npos);
    // The icon is named after the product and the item's place.
    const std::string iconName = desktop.ProductId() + "-" + DesktopEntry::UniqueName("MenuTests/Menu Tool", 64);
    EXPECT_NE(text.find("\nIcon=" + iconName + "\n"), std::string::npos) << text;
    EXPECT_TRUE(HasDeinstallTag(entryPath.c_str(), "Menu Tests;1;;;;"));

    // The program's own icon, not the generic one.
    const fs::path icon = fs::path(DesktopIntegration::IconThemeFolder())
        / "32x32/apps" / (iconName + ".png");
    std::unique_ptr<BBitmap> png(read_bitmap_file(icon.c_str()));
    ASSERT_NE(png, nullptr);
    for (int32 at : {0, 5, 31}) {
        const rgb_color color = png->ColorAt(at, at);
        EXPECT_EQ(color.red + color.green + color.blue, 0);
        EXPECT_EQ(color.alpha, 255);
    }
    EXPECT_TRUE(fs::exists(fs::path(DesktopIntegration::IconThemeFolder())
        / "16x16/apps" / (iconName + ".png")));

    // The declared type is registered with the installer's own.
    desktop.Finish();
    desktop.RefreshCaches();
    const std::string package = ReadFileBytes(desktop.MimePackagePath());
    EXPECT_NE(package.find("<mime-type type=\"text/x-menu-notes\">"), std::string::npos);
    EXPECT_NE(package.find("<mime-type type=\"text/x-vondl\">"), std::string::npos);
    // Types the system knows are associated (the entry's MimeType), never
    // declared again.
    EXPECT_EQ(package.find("text/plain\">"), std::string::npos) << package;
    EXPECT_EQ(package.find("inode/directory"), std::string::npos) << package;
    // Nothing runs at login without a start-up folder or boot commands.
    EXPECT_FALSE(fs::exists(desktop.LoginEntryPath()));
    // Installed again (the database may know the type by now, through this
    // very package): the product's own type stays declared.
    {
        DesktopIntegration again("Menu Tests", "Menu Tests;1;;;;", [](const std::string&) {});
        std::string againPath;
        fs::remove(entryPath);
        ASSERT_EQ(again.PlaceMenuEntry(menu.string(), program.string(), "", againPath), B_OK);
        again.Finish();
        EXPECT_NE(ReadFileBytes(again.MimePackagePath()).find("<mime-type type=\"text/x-menu-notes\">"),
            std::string::npos);
    }
    // A package of an earlier version that declared text/plain too: the
    // new one no longer does.
    {
        WriteFileBytes(desktop.MimePackagePath(), "<mime-info>\n  <mime-type type=\"text/plain\">\n"
            "  <mime-type type=\"text/x-menu-notes\">\n</mime-info>\n");
        TagForDeinstall(desktop.MimePackagePath().c_str(), "Menu Tests;0.9;;;;");
        DesktopIntegration upgrade("Menu Tests", "Menu Tests;1;;;;", [](const std::string&) {});
        std::string upgradePath;
        fs::remove(entryPath);
        ASSERT_EQ(upgrade.PlaceMenuEntry(menu.string(), program.string(), "", upgradePath), B_OK);
        upgrade.Finish();
        const std::string upgraded = ReadFileBytes(upgrade.MimePackagePath());
        EXPECT_EQ(upgraded.find("\"text/plain\">"), std::string::npos) << upgraded;
        EXPECT_NE(upgraded.find("<mime-type type=\"text/x-menu-notes\">"), std::string::npos);
    }

    // A plain file in the way (a settled collision) is replaced; a folder
    // or a link is not.
    WriteFileBytes(entryPath, "old");
    EXPECT_EQ(desktop.PlaceMenuEntry(menu.string(), program.string(), "", entryPath), B_OK);
    EXPECT_NE(ReadFileBytes(entryPath).find("[Desktop Entry]"), std::string::npos);
    fs::remove(entryPath);
    fs::create_symlink(dir / "elsewhere", entryPath);
    EXPECT_NE(desktop.PlaceMenuEntry(menu.string(), program.string(), "", entryPath), B_OK);
    EXPECT_TRUE(fs::is_symlink(entryPath));
    EXPECT_FALSE(fs::exists(dir / "elsewhere"));
    EXPECT_EQ(lines.back(), "Unable to write " + entryPath);

    fs::remove_all(menu);
    fs::remove_all(fs::path(DesktopIntegration::UserDataFolder()) / "icons");
    fs::remove(desktop.MimePackagePath());
}

TEST(DesktopMenuEntry, OnlyTheApplicationMenuFoldersCount)
{
    const std::string menu = Folder(B_USER_DESKBAR_DIRECTORY).string();
    EXPECT_TRUE(DesktopIntegration::IsMenuFolder(menu));
    EXPECT_TRUE(DesktopIntegration::IsMenuFolder(menu + "/Vendor/Sub"));
    EXPECT_FALSE(DesktopIntegration::IsMenuFolder(menu + "-other"));
    EXPECT_FALSE(DesktopIntegration::IsMenuFolder(Folder(B_USER_SETTINGS_DIRECTORY).string()));
    EXPECT_TRUE(DesktopIntegration::IsMenuFolder(Folder(B_COMMON_DIRECTORY).string()
        + "/share/applications"));
    const DesktopIntegration tern("Tern", "Tern;1;;;;", [](const std::string&) {});
    EXPECT_EQ(tern.MenuEntryLeaf("/x/Tern-Notes"), "ondelle-Tern-Tern-Notes.desktop");
}
