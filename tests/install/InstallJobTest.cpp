// The install job run end to end on real installer builds: what it places
// where, the log, the status messages, the rewritten item paths and the
// results.
#include "InstallTestSupport.h"

#include <FindDirectory.h>
#include <InstallRecord.h>
#include <Node.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <regex>

using namespace installtest;
using ondelle::test::ReadFileBytes;
using ondelle::test::WriteFileBytes;

namespace {

constexpr int32 kUserSettings = B_USER_SETTINGS_DIRECTORY;

std::string FileNameOf(InstallConfig& config, int32 index)
{
    const BMessage* item = config.InstallItemAt(index);
    const char* name = nullptr;
    if (item == nullptr || item->FindString("file_name", 0, &name) != B_OK || name == nullptr)
        return std::string();
    return name;
}

// Compares the log with the expected lines; an expected line that starts
// with "~" is a regular expression for the whole line.
void ExpectLines(const std::vector<std::string>& actual, const std::vector<std::string>& expected)
{
    ASSERT_EQ(actual.size(), expected.size()) << "log has " << actual.size() << " lines";
    for (size_t index = 0; index < expected.size(); index++) {
        if (!expected[index].empty() && expected[index][0] == '~')
            EXPECT_TRUE(std::regex_match(actual[index], std::regex(expected[index].substr(1))))
                << "line " << index << ": " << actual[index];
        else
            EXPECT_EQ(actual[index], expected[index]) << "line " << index;
    }
}

} // namespace

TEST(InstallJob, PlacesItemsLinksAndDatesAndReportsEachStep)
{
    InstallFixture fixture;
    fixture.AddCustomFolder("Tern Settings", kUserSettings, "tern/conf", false);
    ProductItem& readme = fixture.Add("readme.txt", "read me\n");
    readme.link = "User Selected";
    ProductItem& tool = fixture.Add("tool.cfg", "tool settings\n");
    tool.destination = "Tern Settings";
    tool.link = "Tern Settings";
    tool.deinstallable = "true";  // not "True": not deinstallable
    ProductItem& docs = fixture.AddFolder("Docs");
    docs.destination = "User Settings";
    fixture.Load();
    InstallConfig& config = fixture.Config();

    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);

    const fs::path install = fixture.InstallFolder();
    const fs::path custom = StandardFolder(kUserSettings) / "tern/conf";
    EXPECT_EQ(ReadFileBytes(install / "readme.txt"), "read me\n");
    EXPECT_EQ(ReadFileBytes(custom / "tool.cfg"), "tool settings\n");
    EXPECT_FALSE(fs::exists(install / "tool.cfg"));
    EXPECT_EQ(ReadFileBytes(StandardFolder(kUserSettings) / "Docs/inner.txt"), "inner of Docs\n");
    EXPECT_EQ(ReadFileBytes(StandardFolder(kUserSettings) / "Docs/sub/deep.txt"), "deep\n");
    EXPECT_EQ(fs::read_symlink(StandardFolder(kUserSettings) / "Docs/current"), "inner.txt");

    // Dates: the item itself carries its recorded modification time.
    EXPECT_EQ(ModificationTime(install / "readme.txt"), kPayloadTime);
    EXPECT_EQ(ModificationTime(custom / "tool.cfg"), kPayloadTime);
    EXPECT_EQ(ModificationTime(StandardFolder(kUserSettings) / "Docs"), kPayloadTime);

    // A link in the item's own place would be the item itself: no link, and
    // the item stays whole, in the installation folder and in a custom one.
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(install / "readme.txt")));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(custom / "tool.cfg")));

    // Every installed item's "file_name" names where it went.
    EXPECT_EQ(FileNameOf(config, 0), (install / "readme.txt").string());
    EXPECT_EQ(FileNameOf(config, 1), (custom / "tool.cfg").string());
    EXPECT_EQ(FileNameOf(config, 2), (StandardFolder(kUserSettings) / "Docs").string());

    std::vector<std::string> statuses = fixture.Recorder().Statuses();
    std::vector<std::string> expected = {"Checking System Resources...", "Creating deinstaller...",
        "Installing 1 of 3 (readme.txt)", "Installing 2 of 3 (tool.cfg)", "Installing 3 of 3 (Docs)",
        "Installation Complete"};
    EXPECT_EQ(statuses, expected);

    // Deinstallable items carry the tag; the others do not.
    BNode readmeNode((install / "readme.txt").c_str());
    std::string tag;
    EXPECT_EQ(readmeNode.ReadAttrString("InstallBy", &tag), B_OK);
    EXPECT_EQ(tag, "Tern;1.5;today;Tests;help@example.org;");
    BNode toolNode((custom / "tool.cfg").c_str());
    EXPECT_NE(toolNode.ReadAttrString("InstallBy", &tag), B_OK);
    EXPECT_TRUE(config.FailedItems().Size() == 0);
}

TEST(InstallJob, LinksGoToTheirFolderAndLogFollowsTheLayout)
{
    InstallFixture fixture;
    fixture.Description().optSaveReplaced = true;
    fixture.Description().requirements.diskSpaceNeeded = true;
    fixture.Description().requirements.diskSpaceRequired = false;
    fixture.Description().requirements.diskSpaceAmount = 2048;
    fixture.AddCustomFolder("Tern Links", kUserSettings, "tern-links", false);
    ProductItem& app = fixture.Add("app.sh", "#!/bin/sh\n");
    app.link = "Tern Links";
    ProductItem& notes = fixture.Add("notes.txt", "notes\n");
    notes.destination = "Tern Links";
    notes.deinstallable = "False";
    notes.link = "User Selected";
    fixture.Load();

    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
    const fs::path install = fixture.InstallFolder();
    const fs::path links = StandardFolder(kUserSettings) / "tern-links";
    EXPECT_EQ(fs::read_symlink(links / "app.sh"), install / "app.sh");
    EXPECT_EQ(fs::read_symlink(install / "notes.txt"), links / "notes.txt");
    EXPECT_TRUE(fs::is_directory(install / "Saved Files"));

    const std::string installText = install.string();
    const std::string linksText = links.string();
    ExpectLines(fixture.LogLines(), {
        "ONDELLE",
        "~\tVersion .*",
        "~\t.+",
        "~\t.+@.+",
        "",
        "APPLICATION",
        "\tApplication : Tern",
        "\tVersion : 1.5",
        "\tRelease Date : today",
        "\tCompany : Tests",
        "\tSupport Email : help@example.org",
        "",
        "ABOUT THIS SYSTEM",
        "~\t.+ \\(\\d+-.*@\\d+/\\d+MHz\\) \\d+MB RAM",
        "~\tFree Disk Space : [0-9.]+ [KMGT]?B(ytes)?",
        "",
        "INSTALLER REQUIREMENTS",
        "\tDisk Space Needed: Yes",
        "\t\tDisk spaced suggested: 2.0 KB",
        "\tPhysical RAM Needed: No",
        "\tBoot Volume Only: No",
        "\tRemovable Volume Allowed: No",
        "\tShared Volume Allowed: No",
        "\tShared Libraries:",
        "\tDependent Applications:",
        "",
        "INSTALLATION",
        "~\tOn volume .+\\.",
        "\tIn folder " + installText + ".",
        "\tReplaced files moved to " + installText + "/Saved Files",
        "",
        "~\tInstallation Started: .+ \\d+:\\d\\d:\\d\\d.*",
        "\t\tInstalling : app.sh",
        "\t\t\tPlaced a link in " + linksText,
        "\t\tInstalling : notes.txt",
        "\t\t\tPlaced in " + linksText,
        "\t\t\tThis file will not be removed by the de-installer",
        "\t\t\tPlaced a link in " + installText,
        "\t\t\tThis link will not be removed by the de-installer",
        "~\tRegistered the document types in /.+/mime/packages/ondelle-Tern\\.xml",
        "~\tInstallation Complete: .+ \\d+:\\d\\d:\\d\\d.*",
    });
}

TEST(InstallJob, WithoutLogOptionNoLogIsWritten)
{
    InstallFixture fixture;
    fixture.Description().optLog = false;
    fixture.Add("a.txt", "a");
    fixture.Load();
    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
    EXPECT_TRUE(fs::exists(fixture.InstallFolder() / "a.txt"));
    EXPECT_FALSE(fs::exists(fixture.InstallFolder() / "Log"));
}

TEST(InstallJob, SkippedItemsKeepTheirNumbers)
{
    InstallFixture fixture;
    fixture.Add("first.txt", "first");
    fixture.Add("second.txt", "second");
    fixture.Add("third.txt", "third");
    fixture.Load();
    ASSERT_EQ(fixture.Config().MarkInstallItem(1, false), B_OK);
    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);

    EXPECT_EQ(ReadFileBytes(fixture.InstallFolder() / "first.txt"), "first");
    EXPECT_EQ(ReadFileBytes(fixture.InstallFolder() / "third.txt"), "third");
    EXPECT_FALSE(fs::exists(fixture.InstallFolder() / "second.txt"));
    std::vector<std::string> statuses = fixture.Recorder().Statuses();
    ASSERT_EQ(statuses.size(), 5u);
    EXPECT_EQ(statuses[2], "Installing 1 of 2 (first.txt)");
    EXPECT_EQ(statuses[3], "Installing 2 of 2 (third.txt)");
    // An item not installed keeps its name as the build recorded it.
    EXPECT_EQ(fs::path(FileNameOf(fixture.Config(), 1)).filename(), "second.txt");
    EXPECT_NE(FileNameOf(fixture.Config(), 1), (fixture.InstallFolder() / "second.txt").string());

    // Progress counts the unpacked bytes of the selected items only, one
    // report per item, rising to the total.
    const int64 first = fixture.Config().GetFileSize("first.txt");
    const int64 third = fixture.Config().GetFileSize("third.txt");
    ASSERT_GT(first, 0);
    ASSERT_GT(third, 0);
    std::vector<std::pair<int64, int64>> progress = fixture.Recorder().Progress();
    std::vector<std::pair<int64, int64>> expectedProgress = {{first, first + third},
        {first + third, first + third}};
    EXPECT_EQ(progress, expectedProgress);
}

TEST(InstallJob, LongStatusTextsAreCut)
{
    InstallFixture fixture;
    std::string leaf(150, 'n');
    fixture.Add(leaf, "long");
    fixture.Load();
    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
    std::vector<std::string> statuses = fixture.Recorder().Statuses();
    ASSERT_GE(statuses.size(), 3u);
    EXPECT_EQ(statuses[2].size(), 99u);
    EXPECT_EQ(statuses[2], ("Installing 1 of 1 (" + leaf).substr(0, 99));
}

TEST(InstallJob, FolderFailuresGiveResultOneAndCreateNothing)
{
    {
        InstallFixture fixture;
        fixture.Add("a.txt", "a");
        fixture.Load();
        fixture.SetDestination(fixture.Root() / "missing");
        EXPECT_EQ(fixture.Run(), INSTALL_RESULT_NO_FOLDER);
        EXPECT_FALSE(fs::exists(fixture.Root() / "missing"));
        std::vector<BAlertRequest> questions = fixture.Presenter().Questions();
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_EQ(questions[0].text, "Failure to find selected installation folder. Unable to install files.");
    }
    {
        // A name that is not one folder is refused, not followed.
        InstallFixture fixture;
        fixture.Description().optCreatedFolder = "../escape";
        fixture.Add("a.txt", "a");
        fixture.Load();
        EXPECT_EQ(fixture.Run(), INSTALL_RESULT_NO_FOLDER);
        EXPECT_FALSE(fs::exists(fixture.Root() / "escape"));
        std::vector<BAlertRequest> questions = fixture.Presenter().Questions();
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_EQ(questions[0].text, "Unable to create installation folder '../escape' (it is not a single folder "
            "name). Unable to install files.");
        EXPECT_TRUE(fs::is_empty(fixture.Destination()));
    }
    {
        // A folder the system refuses to make: its reason is given.
        InstallFixture fixture;
        const std::string name(300, 'n');
        fixture.Description().optCreatedFolder = name;
        fixture.Add("a.txt", "a");
        fixture.Load();
        EXPECT_EQ(fixture.Run(), INSTALL_RESULT_NO_FOLDER);
        std::vector<BAlertRequest> questions = fixture.Presenter().Questions();
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_EQ(questions[0].text, "Unable to create installation folder '" + name + "' (" + std::strerror(ENAMETOOLONG)
            + "). Unable to install files.");
    }
}

TEST(InstallJob, EarlierInstallationFolderGoesToTheTrash)
{
    InstallFixture fixture;
    fixture.Add("a.txt", "new");
    fixture.Load();
    fs::create_directories(fixture.InstallFolder());
    WriteFileBytes(fixture.InstallFolder() / "old.txt", "old");
    const fs::path trash = StandardFolder(B_TRASH_DIRECTORY);
    fs::create_directories(trash / "Tern");  // the Trash already holds that name

    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
    EXPECT_FALSE(fs::exists(fixture.InstallFolder() / "old.txt"));
    EXPECT_EQ(ReadFileBytes(fixture.InstallFolder() / "a.txt"), "new");
    EXPECT_EQ(ReadFileBytes(trash / "Tern copy/old.txt"), "old");
}

TEST(InstallJob, RunsTwiceWithFreshState)
{
    InstallFixture fixture;
    fixture.Add("a.txt", "a");
    fixture.Load();
    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
    // A second job object on the same destination: the first installation
    // folder is trashed, the second is complete.
    fixture.Load();
    EXPECT_EQ(fixture.Config().Go("install", nullptr, 10, true), B_OK);
    EXPECT_EQ(ReadFileBytes(fixture.InstallFolder() / "a.txt"), "a");
    int trashed = 0;
    for (const auto& entry : fs::directory_iterator(StandardFolder(B_TRASH_DIRECTORY)))
        trashed += fs::exists(entry.path() / "a.txt") && ReadFileBytes(entry.path() / "a.txt") == "a";
    EXPECT_EQ(trashed, 1);
}

TEST(InstallJob, RecordsWhatItPlacedForTheDeinstaller)
{
    InstallFixture fixture;
    ProductItem& docs = fixture.AddFolder("Docs");
    docs.destination = "User Settings";
    docs.link = "User Selected";
    fixture.Add("kept.txt", "not deinstallable").deinstallable = "False";
    fixture.Load();
    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);

    InstallRecord record;
    ASSERT_EQ(record.Load(InstallRecord::PathIn(fixture.InstallFolder().c_str()).c_str()), B_OK);
    const fs::path placed = StandardFolder(kUserSettings) / "Docs";
    // The folder item with everything inside it and its link; the item that
    // is not deinstallable is not listed. (The product's desktop files, such
    // as its MIME package, are listed too.)
    for (const fs::path& path : {placed, placed / "inner.txt", placed / "current", placed / "sub",
             placed / "sub/deep.txt", fixture.InstallFolder() / "Docs"})
        EXPECT_TRUE(record.Has(path.string())) << path;
    EXPECT_FALSE(record.Has((fixture.InstallFolder() / "kept.txt").string()));
    const install_record_entry* inner = record.Find((placed / "inner.txt").string());
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->kind, install_record_entry::FILE);
    EXPECT_EQ(inner->size, int64(fs::file_size(placed / "inner.txt")));
    EXPECT_EQ(inner->modified, int64(ModificationTime(placed / "inner.txt")));
    const install_record_entry* link = record.Find((fixture.InstallFolder() / "Docs").string());
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->kind, install_record_entry::LINK);
    EXPECT_EQ(link->detail, placed.string());
    EXPECT_FALSE(record.Changed((placed / "sub/deep.txt").string()));
}

TEST(InstallJob, ItemsWithTheInstallersOwnNamesGoUnderAnotherName)
{
    InstallFixture fixture;
    fixture.Add("Install Record", "the product's own file");
    fixture.Add("Log", "the product's log");
    fixture.Load();
    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
    EXPECT_EQ(ReadFileBytes(fixture.InstallFolder() / "Install Record (item)"), "the product's own file");
    EXPECT_EQ(ReadFileBytes(fixture.InstallFolder() / "Log (item)"), "the product's log");
    InstallRecord record;
    ASSERT_EQ(record.Load(InstallRecord::PathIn(fixture.InstallFolder().c_str()).c_str()), B_OK);
    EXPECT_TRUE(record.Has((fixture.InstallFolder() / "Install Record (item)").string()));
    EXPECT_NE(ReadFileBytes(fixture.InstallFolder() / "Log").find("Installing"), std::string::npos);
}

TEST(InstallJob, AnEntryPlantedAtTheLockIsNamed)
{
    InstallFixture fixture;
    fixture.Add("a.txt", "a");
    fixture.Load();
    const fs::path lock = fixture.Destination()
        / ("." + fixture.InstallFolder().filename().string() + ".ondelle-lock");
    fs::create_symlink(fixture.Root() / "elsewhere", lock);
    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_NO_FOLDER);
    std::vector<BAlertRequest> questions = fixture.Presenter().Questions();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_NE(questions[0].text.find("The entry '" + lock.string() + "' blocks the installation"),
        std::string::npos) << questions[0].text;
    EXPECT_FALSE(fs::exists(fixture.Root() / "elsewhere"));
}
