#include "ProductDescription.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

fs::path DemoDescription()
{
    return fs::path(ONDELLE_SOURCE_DIR) / "examples/skylark/product.json";
}

// Writes a description with one payload file beside it and reads it.
struct Described {
    bool ok = false;
    ProductDescription description;
    std::vector<ProductDiagnostic> diagnostics;

    bool Mentions(const std::string& text, bool error) const
    {
        for (const auto& diagnostic : diagnostics)
            if (diagnostic.isError == error && diagnostic.text.find(text) != std::string::npos)
                return true;
        return false;
    }
};

Described Describe(const TempDir& dir, const std::string& body)
{
    WriteFileBytes(dir / "payload.txt", "payload");
    WriteFileBytes(dir / "product.json", body);
    Described result;
    result.ok = ReadProductDescription((dir / "product.json").string(), {}, result.description, result.diagnostics);
    return result;
}

std::string WithItem(const std::string& itemFields, const std::string& extra = "")
{
    return R"({"product": {"name": "P"}, "options": {"created_folder": "P"},
        "groups": [{"name": "Typical"}],
        "custom_folders": [{"name": "Tools", "root": "User Settings", "sub_dir": "P"}],
        "items": [{"path": "payload.txt")" + itemFields + "}]" + extra + "}";
}

} // namespace

TEST(ProductDescriptionTest, DemoProductReadsCompletely)
{
    TempDir build;
    WriteFileBytes(build / "libskylark.so", "library");
    ProductDescription description;
    std::vector<ProductDiagnostic> diagnostics;
    ASSERT_TRUE(ReadProductDescription(DemoDescription().string(), {{"BUILD", build.Path().string()}}, description,
        diagnostics));
    for (const auto& diagnostic : diagnostics)
        ADD_FAILURE() << diagnostic.text;
    EXPECT_EQ(description.appName, "Skylark Notes");
    EXPECT_EQ(description.groups.size(), 3u);
    ASSERT_EQ(description.items.size(), 6u);
    EXPECT_EQ(description.items[3].path, (build / "libskylark.so").string());
    EXPECT_TRUE(fs::path(description.items[0].path).is_absolute());
    EXPECT_EQ(description.items[0].autoLaunch.value_or(""), "True");
    EXPECT_EQ(description.items[5].deinstallable, "False");
    ASSERT_EQ(description.customFolders.size(), 2u);
    EXPECT_EQ(description.customFolders[0].root, 3006);
    EXPECT_TRUE(description.customFolders[0].replaceExisting);
    EXPECT_EQ(description.optCreatedFolder, "Skylark Notes");
    EXPECT_TRUE(description.requirements.diskSpaceRequired);
    EXPECT_TRUE(description.setupEnvironment.enabled);
    EXPECT_FALSE(description.bootscript.enabled);
    EXPECT_TRUE(description.completeDisplayFolder);
}

TEST(ProductDescriptionTest, StructuralMistakesAreErrorsNamingTheField)
{
    TempDir dir;
    auto unknown = Describe(dir, WithItem(R"(, "destinaton": "User Selected")"));
    EXPECT_FALSE(unknown.ok);
    EXPECT_TRUE(unknown.Mentions("product.json: items[0].destinaton: unknown field", true));

    auto wrongType = Describe(dir, WithItem(R"(, "groups": "Typical")"));
    EXPECT_FALSE(wrongType.ok);
    EXPECT_TRUE(wrongType.Mentions("items[0].groups: must be a list of texts", true));

    auto missing = Describe(dir, R"({"product": {"name": "P"}, "options": {"created_folder": "P"},
        "items": [{"path": "nowhere/file.bin"}]})");
    EXPECT_FALSE(missing.ok);
    EXPECT_TRUE(missing.Mentions("items[0].path: \"" + (dir / "nowhere/file.bin").string() + "\" does not exist",
        true));

    auto noItems = Describe(dir, R"({"product": {"name": "P"}, "options": {"created_folder": "P"}})");
    EXPECT_FALSE(noItems.ok);
    EXPECT_TRUE(noItems.Mentions("items: is missing", true));

    auto badJson = Describe(dir, "{\"product\": ");
    EXPECT_FALSE(badJson.ok);
    EXPECT_TRUE(badJson.Mentions("not valid JSON", true));

    auto undefined = Describe(dir, WithItem(R"(, "auto_launch_reason": "${WHY}")"));
    EXPECT_FALSE(undefined.ok);
    EXPECT_TRUE(undefined.Mentions("\"${WHY}\" is not defined", true));

    auto unknownGroup = Describe(dir, WithItem(R"(, "groups": ["Typcal"])"));
    EXPECT_FALSE(unknownGroup.ok);
    EXPECT_TRUE(unknownGroup.Mentions("items[0].groups[0]: \"Typcal\" is not a group", true));
}

TEST(ProductDescriptionTest, AScriptKeepsTheShellsOwnVariablesAndTakesTheBuildsDefines)
{
    TempDir dir;
    WriteFileBytes(dir / "a.txt", "a");
    const std::string description = R"({"product": {"name": "P"}, "options": {"created_folder": "P"},
        "items": [{"path": "a.txt"}],
        "scripts": {"profile": {"tag": "P", "contents": "export VISUAL=\"${EDITOR:-nano}\" P=${PREFIX}/bin H=${HOME}"}}})";
    ProductDescription product;
    std::vector<ProductDiagnostic> diagnostics;
    WriteFileBytes(dir / "product.json", description);
    ASSERT_TRUE(ReadProductDescription((dir / "product.json").string(), {{"PREFIX", "/opt/p"}}, product,
        diagnostics));
    EXPECT_EQ(product.profile.contents, "export VISUAL=\"${EDITOR:-nano}\" P=/opt/p/bin H=${HOME}");

    // Elsewhere an unknown name is still a mistake.
    auto undefined = Describe(dir, R"({"product": {"name": "P ${EDITOR:-nano}"}, "options": {"created_folder": "P"},
        "items": [{"path": "a.txt"}]})");
    EXPECT_FALSE(undefined.ok);
    EXPECT_TRUE(undefined.Mentions("\"${EDITOR:-nano}\" is not defined", true));
}

TEST(ProductDescriptionTest, FolderNamesMustBeKnownAndExact)
{
    TempDir dir;
    auto standard = Describe(dir, WithItem(R"(, "destination": "User Settings", "link": "Tools")"));
    EXPECT_TRUE(standard.ok);

    auto wrongCase = Describe(dir, WithItem(R"(, "destination": "tools")"));
    EXPECT_FALSE(wrongCase.ok);
    EXPECT_TRUE(wrongCase.Mentions("did you mean the custom folder \"Tools\"", true));

    auto lowerStandard = Describe(dir, WithItem(R"(, "link": "user settings")"));
    EXPECT_FALSE(lowerStandard.ok);
    EXPECT_TRUE(lowerStandard.Mentions("items[0].link: \"user settings\" is neither \"None\"", true));
}

TEST(ProductDescriptionTest, RuleSlipsAreWarningsNamingTheRuleThatApplies)
{
    TempDir dir;
    auto lower = Describe(dir, WithItem(R"(, "destination_exists": "rename", "link_exists": "replace")"));
    EXPECT_TRUE(lower.ok) << "slips in rules are warnings, the build is still made";
    EXPECT_TRUE(lower.Mentions(
        "items[0].destination_exists: \"rename\" is not \"Rename\" (rules are case-sensitive): the installer will "
        "apply the rule \"Replace\"", false));
    EXPECT_TRUE(lower.Mentions("items[0].link_exists: \"replace\" is not \"Replace\"", false));

    auto blank = Describe(dir, WithItem(R"(, "destination_exists": "Prompt ")"));
    EXPECT_TRUE(blank.Mentions("\"Prompt \" is not \"Prompt\"", false));

    auto other = Describe(dir, WithItem(R"(, "destination_exists": "Overwrite")"));
    EXPECT_TRUE(other.Mentions("\"Overwrite\" is not one of \"Prompt\", \"Rename\", \"Replace\"", false));

    auto deinstall = Describe(dir, WithItem(R"(, "deinstallable": "true")"));
    EXPECT_TRUE(deinstall.Mentions("\"true\" is not \"True\"", false));
    ASSERT_EQ(deinstall.description.items.size(), 1u);
    EXPECT_EQ(deinstall.description.items[0].deinstallable, "true") << "the vendor's text is kept as written";

    auto exact = Describe(dir, WithItem(R"(, "destination_exists": "Prompt", "deinstallable": false)"));
    EXPECT_TRUE(exact.ok);
    EXPECT_TRUE(exact.diagnostics.empty());
}

TEST(ProductDescriptionTest, ItemNamesMustDiffer)
{
    TempDir dir;
    fs::create_directories(dir / "other");
    WriteFileBytes(dir / "other/payload.txt", "second");
    auto twice = Describe(dir, WithItem("", R"(, "unused": 1)"));
    EXPECT_TRUE(twice.Mentions("unused: unknown field", true));

    WriteFileBytes(dir / "product.json", R"({"product": {"name": "P"}, "options": {"created_folder": "P"},
        "items": [{"path": "payload.txt"}, {"path": "other/payload.txt"}]})");
    ProductDescription description;
    std::vector<ProductDiagnostic> diagnostics;
    EXPECT_FALSE(ReadProductDescription((dir / "product.json").string(), {}, description, diagnostics));
    bool found = false;
    for (const auto& diagnostic : diagnostics)
        found |= diagnostic.text.find("items[1].path: another item has the same name \"payload.txt\"")
            != std::string::npos;
    EXPECT_TRUE(found);
}

TEST(ProductDescriptionTest, ReplacingCustomFolderMustNameAFolderBelowItsRoot)
{
    TempDir dir;
    auto describe = [&dir](const std::string& folder) {
        return Describe(dir, R"({"product": {"name": "P"}, "options": {"created_folder": "P"},
            "groups": [{"name": "Typical"}], "custom_folders": [)" + folder + R"(],
            "items": [{"path": "payload.txt", "destination": "Whole"}]})");
    };
    for (const char* sub : {R"(, "sub_dir": "")", "", R"(, "sub_dir": ".")", R"(, "sub_dir": "a/..")"}) {
        SCOPED_TRACE(sub);
        auto whole = describe(std::string(R"({"name": "Whole", "root": "User Settings", "replace_existing": true)")
            + sub + "}");
        EXPECT_FALSE(whole.ok);
        EXPECT_TRUE(whole.Mentions("custom_folders[0].sub_dir: must name a folder below the root folder", true));
    }
    // Without replacing, the standard folder itself is a fine destination.
    EXPECT_TRUE(describe(R"({"name": "Whole", "root": "User Settings"})").ok);
    EXPECT_TRUE(describe(R"({"name": "Whole", "root": "User Settings", "sub_dir": "P", "replace_existing": true})").ok);
}

TEST(ProductDescriptionTest, ItemsMayNotTakeTheInstallersOwnNames)
{
    TempDir dir;
    for (const char* leaf : {"Install Record", "Log", "Saved Files", "P 1.0 Deinstaller"}) {
        SCOPED_TRACE(leaf);
        WriteFileBytes(dir / leaf, "x");
        auto described = Describe(dir, std::string(R"({"product": {"name": "P", "version": "1.0"},
            "options": {"created_folder": "P"}, "items": [{"path": ")") + leaf + R"("}]})");
        EXPECT_FALSE(described.ok);
        EXPECT_TRUE(described.Mentions("is a name the installer uses itself", true));
    }
    auto fine = Describe(dir, R"({"product": {"name": "P", "version": "1.0"},
        "options": {"created_folder": "P"}, "items": [{"path": "payload.txt"}]})");
    EXPECT_TRUE(fine.ok);
}

TEST(ProductDescriptionTest, ControlCharactersInProductAndItemNamesAreRefused)
{
    TempDir dir;
    // JSON escapes: a line end with a shell command, an OSC sequence.
    for (const char* field : {"name", "version", "company"}) {
        SCOPED_TRACE(field);
        auto described = Describe(dir, std::string(R"({"product": {"name": "P", ")") + field
            + R"(": "Evil\ntouch ~/pwned"}, "options": {"created_folder": "P"}, "items": [{"path": "payload.txt"}]})");
        EXPECT_FALSE(described.ok);
        EXPECT_TRUE(described.Mentions(std::string("product.") + field, true));
        EXPECT_TRUE(described.Mentions("holds a control character", true));
    }
    const std::string titled = "notes\x1b]0;pwned\x07.txt";
    WriteFileBytes(dir / titled, "x");
    auto item = Describe(dir, R"({"product": {"name": "P"}, "options": {"created_folder": "P"},
        "items": [{"path": "notes\u001b]0;pwned\u0007.txt"}]})");
    EXPECT_FALSE(item.ok);
    EXPECT_TRUE(item.Mentions("the item's name holds a control character", true));
    auto tooLong = Describe(dir, R"({"product": {"name": ")" + std::string(250, 'L')
        + R"(", "version": "1.0"}, "options": {"created_folder": "P"}, "items": [{"path": "payload.txt"}]})");
    EXPECT_FALSE(tooLong.ok);
    EXPECT_TRUE(tooLong.Mentions("longer than a file name may be", true));
    // Other scripts are names like any other.
    WriteFileBytes(dir / "\xe5\x86\x99\xe7\x9c\x9f.txt", "x");
    auto fine = Describe(dir, R"({"product": {"name": "写真 Tool"}, "options": {"created_folder": "P"},
        "items": [{"path": "写真.txt"}]})");
    EXPECT_TRUE(fine.ok);
}
