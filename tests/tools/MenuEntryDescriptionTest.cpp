// An item's "desktop" object: read with its icons, carried into the build's
// configuration, and every mistake refused by "ondelle-build check" with the
// field it concerns.
#include "ConfigurationWriter.h"
#include "ProductDescription.h"
#include "ToolRun.h"

#include "TestSupport.h"

#include <Bitmap.h>
#include <BitmapPng.h>
#include <ConfigFields.h>
#include <Message.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

std::string Png(int32 size)
{
    BBitmap bitmap(BRect(0, 0, size - 1, size - 1), B_RGBA32);
    std::string png;
    EXPECT_EQ(encode_bitmap_png(&bitmap, &png), B_OK);
    return png;
}

// A description whose one item has the given "desktop" object, with icons
// and a payload beside it.
fs::path WriteDescription(const TempDir& dir, const std::string& desktop)
{
    WriteFileBytes(dir / "notes", "#!/bin/sh\n");
    WriteFileBytes(dir / "icon-48.png", Png(48));
    WriteFileBytes(dir / "icon-40.png", Png(40));
    WriteFileBytes(dir / "note.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\"/>");
    WriteFileBytes(dir / "icon.txt", "not a picture");
    const fs::path path = dir / "product.json";
    WriteFileBytes(path, R"({"product": {"name": "Notes"}, "options": {"created_folder": "Notes"},
        "items": [{"path": "notes", "link": "User Deskbar", "desktop": )" + desktop + "}]}");
    return path;
}

const char* const kComplete = R"({"categories": ["Office", "TextEditor"], "comment": "Notes",
    "generic_name": "Note Taker", "keywords": ["memo"], "terminal": true,
    "startup_wm_class": "notes", "working_folder": "data",
    "actions": [{"id": "new-note", "name": "New Note", "arguments": ["--new"]}],
    "icon": "icon-48.png",
    "document_types": [{"type": "application/x-note", "comment": "Note", "globs": ["*.note"],
        "magic": [{"offset": 4, "value": "NOTE"}], "icon": "note.svg"}],
    "make_default": true})";

} // namespace

TEST(MenuEntryDescription, CompleteEntryReachesTheItemsConfiguration)
{
    TempDir dir;
    ProductDescription description;
    std::vector<ProductDiagnostic> diagnostics;
    ASSERT_TRUE(ReadProductDescription(WriteDescription(dir, kComplete).string(), {}, description,
        diagnostics));
    for (const auto& diagnostic : diagnostics)
        ADD_FAILURE() << diagnostic.text;
    ASSERT_TRUE(description.items[0].desktop.has_value());

    BMessage item;
    ASSERT_EQ(WriteInstallItem(description.items[0], item), "");
    BMessage meta;
    ASSERT_EQ(item.FindMessage(kFieldInstallMeta, &meta), B_OK);
    BMessage stored;
    ASSERT_EQ(meta.FindMessage(kFieldDesktopEntry, &stored), B_OK);
    const menu_entry_options options = menu_entry_options::From(stored);
    EXPECT_EQ(options.categories, (std::vector<std::string>{"Office", "TextEditor"}));
    EXPECT_EQ(options.genericName, "Note Taker");
    EXPECT_TRUE(options.terminal);
    EXPECT_EQ(options.workingFolder, "data");
    EXPECT_EQ(options.icon, Png(48));
    ASSERT_EQ(options.actions.size(), 1u);
    EXPECT_EQ(options.actions[0].arguments, std::vector<std::string>{"--new"});
    ASSERT_EQ(options.documentTypes.size(), 1u);
    EXPECT_EQ(options.documentTypes[0].magic,
        (std::vector<std::pair<int32, std::string>>{{4, "NOTE"}}));
    EXPECT_EQ(options.documentTypes[0].icon, "<svg xmlns=\"http://www.w3.org/2000/svg\"/>");
    EXPECT_TRUE(options.makeDefault);

    // An item without the object carries none.
    description.items[0].desktop.reset();
    BMessage plain;
    ASSERT_EQ(WriteInstallItem(description.items[0], plain), "");
    ASSERT_EQ(plain.FindMessage(kFieldInstallMeta, &meta), B_OK);
    EXPECT_NE(meta.FindMessage(kFieldDesktopEntry, &stored), B_OK);
}

TEST(MenuEntryDescription, CheckRefusesEachMistakeNamingTheField)
{
    TempDir dir;
    const fs::path description = WriteDescription(dir, R"({"categories": ["Office", "Ofice"],
        "icon": "icon-40.png", "workdir": "x", "working_folder": "../elsewhere",
        "actions": [{"id": "open", "name": "Open"}, {"id": "open", "name": "Again"},
                    {"id": "new note", "name": "New"}],
        "document_types": [{"type": "note", "globs": ["*.note"], "icon": "icon.txt"},
                           {"type": "application/x-bare"}],
        "make_default": "yes"})");
    const ToolResult result = RunBuildTool({"check", description.string()}, dir.Path().string());
    EXPECT_EQ(result.status, 1);
    const std::string prefix = description.string() + ": items[0].desktop.";
    for (const std::string expected : {
             "categories[1]: \"Ofice\" is not a category of the desktop menu",
             "icon: is a PNG of 40 x 40 pixels; an icon theme takes 16,",
             "workdir: unknown field",
             "working_folder: must stay inside the installation folder",
             "actions[1].id: the action \"open\" is named twice",
             "actions[2].id: \"new note\" must be letters, digits and \"-\" only",
             "document_types[0].type: \"note\" is not a type name",
             "document_types[0].icon: is neither a PNG nor an SVG file",
             "document_types[1]: names neither globs nor magic",
             "make_default: must be true or false",
         }) {
        EXPECT_NE(result.err.find(prefix + expected), std::string::npos)
            << expected << "\n" << result.err;
    }
}
