// A vendor's menu entry: the keys the build describes reach an entry the
// desktop's own validator accepts, the vendor's icons land where an icon
// theme looks, document types carry their globs, magic and icons, the
// default application is added without touching the user's lines, and a
// system-wide install writes into the system's folders (below the sandbox).
#include <AppFileInfo.h>
#include <Bitmap.h>
#include <BitmapPng.h>
#include <DesktopEntry.h>
#include <DesktopIntegration.h>
#include <File.h>
#include <FindDirectory.h>
#include <MenuEntryOptions.h>
#include <Message.h>
#include <Path.h>
#include <Process.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
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

std::string Png(int32 width, int32 height)
{
    BBitmap bitmap(BRect(0, 0, width - 1, height - 1), B_RGBA32);
    std::string png;
    EXPECT_EQ(encode_bitmap_png(&bitmap, &png), B_OK);
    return png;
}

const char* const kSvg = "<?xml version=\"1.0\"?>\n<!-- drawn by hand -->\n"
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\" height=\"16\"/>\n";

// desktop-file-validate's complaints about the entry at path ("" when it
// has none).
std::string ValidatorComplaints(const fs::path& path)
{
    process_options options;
    options.captureOutput = true;
    process_result result;
    EXPECT_EQ(run_process({"desktop-file-validate", path.string()}, options, &result), B_OK)
        << "desktop-file-validate is missing (scripts/setup-deps.sh installs it)";
    if (result.exitCode == 0 && result.output.find("error") == std::string::npos)
        return std::string();
    return result.output + result.errorOutput + "\n" + ReadFileBytes(path);
}

void MakeProgram(const fs::path& path, const char* signature)
{
    WriteFileBytes(path, "#!/bin/sh\nexit 0\n");
    fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
    BFile file(path.c_str(), B_READ_WRITE);
    BAppFileInfo info(&file);
    ASSERT_EQ(info.InitCheck(), B_OK);
    info.SetInfoLocation(B_USE_ATTRIBUTES);
    ASSERT_EQ(info.SetSignature(signature), B_OK);
}

menu_entry_options VendorOptions()
{
    menu_entry_options options;
    options.categories = {"Office", "TextEditor"};
    options.comment = "Notes that keep";
    options.genericName = "Note Taker";
    options.keywords = {"notes", "memo; jotting"};
    options.startupWMClass = "skylark-notes";
    options.workingFolder = "/opt/Skylark Notes/data";
    options.actions = {{"new-note", "New Note", {"--new"}}, {"open-recent", "Open Recent", {}}};
    options.icon = Png(48, 48);
    menu_document_type note;
    note.type = "application/x-vendor-note";
    note.comment = "Vendor note";
    note.globs = {"*.vnote"};
    note.magic = {{0, "VNOTE\x01"}};
    note.icon = kSvg;
    options.documentTypes = {note};
    options.makeDefault = true;
    return options;
}

} // namespace

TEST(DesktopVendorEntry, EveryKeyPassesTheDesktopValidator)
{
    TempDir dir;
    DesktopEntry entry;
    entry.SetName("Skylark Notes");
    entry.SetCommand({"/opt/Skylark Notes/skylark"});
    entry.SetComment("Notes that keep");
    entry.SetGenericName("Note Taker");
    entry.SetKeywords({"notes", "memo"});
    entry.SetCategories({"Office", "TextEditor"});
    entry.SetTerminal(true);
    entry.SetStartupWMClass("skylark");
    entry.SetWorkingFolder("/opt/Skylark Notes");
    entry.AddAction("new-note", "New Note", {"/opt/Skylark Notes/skylark", "--new"});
    entry.AddAction("uninstall", "Uninstall", {"/opt/Skylark Notes/Skylark 1 Deinstaller"});
    const fs::path path = dir / "vnd.Skylark-Notes.desktop";
    WriteFileBytes(path, entry.Text());
    EXPECT_EQ(ValidatorComplaints(path), "");
    const std::string text = entry.Text();
    EXPECT_NE(text.find("\nTerminal=true\n"), std::string::npos);
    EXPECT_NE(text.find("\nActions=new-note;uninstall;\n"), std::string::npos);
    EXPECT_NE(text.find("\n\n[Desktop Action new-note]\nName=New Note\n"
                        "Exec=\"/opt/Skylark Notes/skylark\" --new\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nPath=/opt/Skylark Notes\n"), std::string::npos);
}

TEST(DesktopVendorEntry, OptionsSurviveTheBuildsMessage)
{
    const menu_entry_options options = VendorOptions();
    BMessage message;
    options.AddTo(message);
    const menu_entry_options back = menu_entry_options::From(message);
    EXPECT_EQ(back.categories, options.categories);
    EXPECT_EQ(back.keywords, options.keywords);
    EXPECT_EQ(back.genericName, options.genericName);
    EXPECT_EQ(back.startupWMClass, options.startupWMClass);
    EXPECT_EQ(back.workingFolder, options.workingFolder);
    EXPECT_EQ(back.icon, options.icon);
    EXPECT_TRUE(back.makeDefault);
    ASSERT_EQ(back.actions.size(), 2u);
    EXPECT_EQ(back.actions[0].arguments, std::vector<std::string>{"--new"});
    EXPECT_TRUE(back.actions[1].arguments.empty());
    ASSERT_EQ(back.documentTypes.size(), 1u);
    EXPECT_EQ(back.documentTypes[0].magic, options.documentTypes[0].magic);
    EXPECT_EQ(back.documentTypes[0].icon, kSvg);
    EXPECT_TRUE(back.Problems().empty());
}

TEST(DesktopVendorEntry, ChecksNameEachMistake)
{
    menu_entry_options options = VendorOptions();
    options.categories = {"Office", "Offices", "Office"};
    options.actions.push_back({"new-note", "Again", {}});
    options.actions.push_back({"bad id", "", {}});
    options.icon = Png(40, 40);
    options.documentTypes[0].icon = Png(32, 16);
    options.documentTypes.push_back({"not a type", "", {}, {}, "plain text, no icon"});
    const std::vector<std::string> problems = options.Problems();
    const auto mentions = [&](const std::string& start) {
        for (const std::string& problem : problems) {
            if (problem.rfind(start, 0) == 0)
                return true;
        }
        return false;
    };
    EXPECT_TRUE(mentions("categories[1]: \"Offices\" is not a category"));
    EXPECT_TRUE(mentions("categories[2]: \"Office\" is named twice"));
    EXPECT_TRUE(mentions("actions[2].id: the action \"new-note\" is named twice"));
    EXPECT_TRUE(mentions("actions[3].id: \"bad id\""));
    EXPECT_TRUE(mentions("actions[3].name: is missing"));
    EXPECT_TRUE(mentions("icon: is a PNG of 40 x 40 pixels"));
    EXPECT_TRUE(mentions("document_types[0].icon: is a PNG of 32 x 16 pixels; an icon must be square"));
    EXPECT_TRUE(mentions("document_types[1].type: \"not a type\""));
    EXPECT_TRUE(mentions("document_types[1]: names neither globs nor magic"));
    EXPECT_TRUE(mentions("document_types[1].icon: is neither a PNG nor an SVG"));
    EXPECT_EQ(problems.size(), 10u);

    menu_entry_options lonely;
    lonely.categories = {"TextEditor"};
    lonely.makeDefault = true;
    EXPECT_EQ(lonely.Problems().size(), 2u);
    EXPECT_EQ(IconFormatOf(Png(512, 512)), icon_format::kPng);
    EXPECT_EQ(IconFormatOf("<svgx/>"), icon_format::kNone);
    EXPECT_EQ(IconFormatOf("\xef\xbb\xbf  <svg>"), icon_format::kSvg);
}

TEST(DesktopVendorEntry, EntryIdComesFromTheSignatureInReverseDnsForm)
{
    EXPECT_EQ(ReverseDnsId("application/x-vnd.Skylark-Notes"), "vnd.Skylark-Notes");
    EXPECT_EQ(ReverseDnsId("application/x-vnd.skylark.notes"), "vnd.skylark.notes");
    EXPECT_EQ(ReverseDnsId("application/x-vnd.3d.view+x"), "vnd._3d.view_x");
    EXPECT_EQ(ReverseDnsId("text/plain"), "");
    EXPECT_EQ(ReverseDnsId("application/single"), "");

    TempDir dir;
    const fs::path program = dir / "Skylark";
    MakeProgram(program, "application/x-vnd.Tests-Vendor");
    DesktopIntegration desktop("Vendor Tests", "Vendor Tests;1;;;;", [](const std::string&) {});
    EXPECT_EQ(desktop.MenuEntryLeaf(program.string()), "vnd.Tests-Vendor.desktop");
    // An item that is no program keeps the product's naming.
    WriteFileBytes(dir / "Manual", "text");
    EXPECT_EQ(desktop.MenuEntryLeaf((dir / "Manual").string()), desktop.ProductId() + "-Manual.desktop");
}

TEST(DesktopVendorEntry, VendorEntryIconsTypesAndDefaultReachTheDesktop)
{
    TempDir dir;
    const fs::path program = dir / "Skylark";
    MakeProgram(program, "application/x-vnd.Tests-Vendor");
    const fs::path menu = Folder(B_USER_DESKBAR_DIRECTORY);
    fs::create_directories(menu);
    // The user's own defaults: one for the vendor's type stays, and so do
    // every other line and group.
    const fs::path mimeapps = Folder(B_USER_CONFIG_DIRECTORY) / "mimeapps.list";
    const std::string userLines = "[Added Associations]\ntext/plain=editor.desktop;\n\n"
        "[Default Applications]\n# mine\napplication/x-vendor-old=other.desktop;\n\n";
    WriteFileBytes(mimeapps, userLines);

    menu_entry_options options = VendorOptions();
    menu_document_type old;
    old.type = "application/x-vendor-old";
    old.globs = {"*.vold"};
    options.documentTypes.push_back(old);
    std::vector<std::string> log;
    DesktopIntegration desktop("Vendor Tests", "Vendor Tests;1;;;;",
        [&](const std::string& line) { log.push_back(line); });
    std::string entryPath;
    ASSERT_EQ(desktop.PlaceMenuEntry(menu.string(), program.string(), "Office", options, entryPath),
        B_OK);
    desktop.Finish();
    EXPECT_TRUE(desktop.Failures().empty()) << desktop.Failures().front();

    EXPECT_EQ(entryPath, (menu / "vnd.Tests-Vendor.desktop").string());
    EXPECT_EQ(ValidatorComplaints(entryPath), "");
    const std::string text = ReadFileBytes(entryPath);
    EXPECT_NE(text.find("\nCategories=Office;TextEditor;\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nKeywords=notes;memo\\; jotting;\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nMimeType=application/x-vendor-note;application/x-vendor-old;\n"),
        std::string::npos) << text;
    EXPECT_NE(text.find("[Desktop Action new-note]\nName=New Note\nExec="
                  + DesktopEntry::ExecValue({program.string(), "--new"}) + "\n"),
        std::string::npos) << text;

    const std::string icon = desktop.ProductId() + "-Skylark";
    EXPECT_NE(text.find("\nIcon=" + icon + "\n"), std::string::npos) << text;
    const fs::path theme = DesktopIntegration::IconThemeFolder();
    EXPECT_EQ(ReadFileBytes(theme / "48x48/apps" / (icon + ".png")), options.icon);
    // Only the vendor's icon: no exported one beside it.
    EXPECT_FALSE(fs::exists(theme / "32x32/apps" / (icon + ".png")));
    EXPECT_EQ(ReadFileBytes(theme / "scalable/mimetypes/application-x-vendor-note.svg"), kSvg);

    const std::string package = ReadFileBytes(desktop.MimePackagePath());
    EXPECT_NE(package.find("<mime-type type=\"application/x-vendor-note\">\n"
                           "    <comment>Vendor note</comment>\n"
                           "    <icon name=\"application-x-vendor-note\"/>\n"
                           "    <glob pattern=\"*.vnote\"/>\n"
                           "    <magic priority=\"50\">\n"
                           "      <match type=\"string\" offset=\"0\" value=\"VNOTE\\x01\"/>\n"),
        std::string::npos) << package;
    // The desktop's own compiler takes the package and finds the type.
    const fs::path mimeCopy = dir / "mime";
    fs::create_directories(mimeCopy / "packages");
    fs::copy_file(desktop.MimePackagePath(), mimeCopy / "packages/vendor.xml");
    process_result compiled;
    ASSERT_EQ(run_process({"update-mime-database", mimeCopy.string()}, {}, &compiled), B_OK);
    EXPECT_EQ(compiled.exitCode, 0) << compiled.errorOutput;
    EXPECT_NE(ReadFileBytes(mimeCopy / "globs2").find("application/x-vendor-note:*.vnote"),
        std::string::npos);
    EXPECT_NE(ReadFileBytes(mimeCopy / "generic-icons").size() + ReadFileBytes(mimeCopy / "icons").size(),
        0u);

    EXPECT_EQ(ReadFileBytes(mimeapps), "[Added Associations]\ntext/plain=editor.desktop;\n\n"
        "[Default Applications]\n# mine\napplication/x-vendor-old=other.desktop;\n"
        "application/x-vendor-note=vnd.Tests-Vendor.desktop;\n\n");
}

TEST(DesktopVendorEntry, SystemWideInstallWritesTheSystemsFolders)
{
    const fs::path common = Folder(B_COMMON_DIRECTORY);
    const fs::path root = common.parent_path().parent_path();
    EXPECT_TRUE(DesktopIntegration::IsSystemWideInstall((root / "opt/Skylark").string(), 0));
    EXPECT_TRUE(DesktopIntegration::IsSystemWideInstall((common / "Skylark").string(), 0));
    EXPECT_FALSE(DesktopIntegration::IsSystemWideInstall((common / "Skylark").string(), 1000));
    EXPECT_FALSE(DesktopIntegration::IsSystemWideInstall((root / "optional/Skylark").string(), 0));
    EXPECT_FALSE(DesktopIntegration::IsSystemWideInstall(
        (Folder(B_USER_DIRECTORY) / "Skylark").string(), 0));

    TempDir dir;
    const fs::path program = dir / "Skylark";
    MakeProgram(program, "application/x-vnd.Tests-System");
    DesktopIntegration desktop("System Tests", "System Tests;1;;;;", [](const std::string&) {});
    desktop.SetSystemWide(true);
    const fs::path userMenu = Folder(B_USER_DESKBAR_DIRECTORY);
    const fs::path systemData = common / "share";
    EXPECT_EQ(DesktopIntegration::SystemDataFolder(), systemData.string());
    const fs::path menu = desktop.MenuFolderFor(userMenu.string());
    EXPECT_EQ(menu, systemData / "applications");
    EXPECT_EQ(desktop.MenuFolderFor((userMenu / "Office").string()), (systemData / "applications/Office").string());
    fs::create_directories(menu);

    menu_entry_options options = VendorOptions();
    options.icon = kSvg;
    std::string entryPath;
    ASSERT_EQ(desktop.PlaceMenuEntry(menu.string(), program.string(), "", options, entryPath), B_OK);
    desktop.Finish();
    EXPECT_TRUE(desktop.Failures().empty());
    EXPECT_TRUE(fs::exists(systemData / "applications/vnd.Tests-System.desktop"));
    EXPECT_TRUE(fs::exists(systemData / "icons/hicolor/scalable/apps" / (desktop.ProductId() + "-Skylark.svg")));
    EXPECT_EQ(desktop.MimePackagePath(), (systemData / "mime/packages" / (desktop.ProductId() + ".xml")).string());
    EXPECT_TRUE(fs::exists(desktop.MimePackagePath()));
    EXPECT_NE(ReadFileBytes(Folder(B_COMMON_SETTINGS_DIRECTORY) / "mimeapps.list")
                  .find("application/x-vendor-note=vnd.Tests-System.desktop;"),
        std::string::npos);
    // The deinstaller's refresh after removing reaches the system's MIME
    // database too: its compiled cache appears beside the package.
    const fs::path systemMime = DesktopIntegration::SystemMimeFolder();
    fs::remove(systemMime / "mime.cache");
    DesktopIntegration::RefreshCachesFor({desktop.MimePackagePath()});
    EXPECT_TRUE(fs::exists(systemMime / "mime.cache"));
    // Nothing of it in the user's folders.
    EXPECT_FALSE(fs::exists(userMenu / "vnd.Tests-System.desktop"));
    EXPECT_FALSE(fs::exists(DesktopIntegration::MimeFolder() + "/packages/" + desktop.ProductId() + ".xml"));
}

TEST(DesktopVendorEntry, WhatABuildShouldNotCarryIsLeftOutOfTheEntry)
{
    // A build not made by the build tool: the installer still writes an
    // entry the desktop takes.
    TempDir dir;
    const fs::path program = dir / "Odd";
    MakeProgram(program, "application/x-vnd.Tests-Odd");
    const fs::path menu = Folder(B_USER_DESKBAR_DIRECTORY);
    fs::create_directories(menu);
    menu_entry_options options;
    options.categories = {"Office", "Not A Category", "X-Own"};
    options.actions = {{"ok", "Fine", {}}, {"bad]id", "Broken", {}}, {"ok", "Twice", {}},
        {"ondelle-uninstall", "Taken", {}}, {"bell", "Bell", {"\a"}}};
    options.icon = "not a picture";
    std::vector<std::string> log;
    DesktopIntegration desktop("Odd Tests", "Odd Tests;1;;;;",
        [&](const std::string& line) { log.push_back(line); });
    desktop.SetDeinstaller((dir / "Odd Tests 1 Deinstaller").string());
    std::string entryPath;
    ASSERT_EQ(desktop.PlaceMenuEntry(menu.string(), program.string(), "", options, entryPath), B_OK);
    EXPECT_EQ(ValidatorComplaints(entryPath), "");
    const std::string text = ReadFileBytes(entryPath);
    EXPECT_NE(text.find("\nCategories=Office;X-Own;\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nActions=ok;ondelle-uninstall;\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[Desktop Action ondelle-uninstall]\nName=Uninstall Odd Tests\n"), std::string::npos);
    EXPECT_EQ(text.find("Icon="), std::string::npos) << text;
    ASSERT_EQ(desktop.Failures().size(), 1u);
    EXPECT_NE(desktop.Failures()[0].find("neither a PNG nor an SVG"), std::string::npos);
}
