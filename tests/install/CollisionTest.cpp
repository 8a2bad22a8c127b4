// Entries in the way of items and links: "Prompt" with its apply-to-all
// answer, "Rename", "Replace" with and without "Saved Files", folders, and
// custom folders that replace an earlier folder once per run.
#include "InstallTestSupport.h"

#include <DesktopIntegration.h>
#include <FindDirectory.h>
#include <ReplaceQuestion.h>
#include <Volume.h>
#include <VolumeRoster.h>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace installtest;
using ondelle::test::ReadFileBytes;
using ondelle::test::WriteFileBytes;

namespace {

constexpr int32 kUserSettings = B_USER_SETTINGS_DIRECTORY;

bool HasLine(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

size_t CountLines(const std::vector<std::string>& lines, const std::string& line)
{
    return size_t(std::count(lines.begin(), lines.end(), line));
}

} // namespace

TEST(Collisions, PromptAnswersApplyToItemsAndLinksSeparately)
{
    InstallFixture fixture;
    fixture.AddCustomFolder("Target", kUserSettings, "prompt/items", false);
    fixture.AddCustomFolder("Links", kUserSettings, "prompt/links", false);
    const fs::path items = StandardFolder(kUserSettings) / "prompt/items";
    const fs::path links = StandardFolder(kUserSettings) / "prompt/links";
    fs::create_directories(items);
    fs::create_directories(links);
    for (const char* leaf : {"one.txt", "two.txt", "three.txt"}) {
        ProductItem& item = fixture.Add(leaf, std::string("new ") + leaf);
        item.destination = "Target";
        item.destinationExists = "Prompt";
        item.link = "Links";
        item.linkExists = "Prompt";
        WriteFileBytes(items / leaf, "old");
        WriteFileBytes(links / leaf, "old link place");
    }
    // "three.txt" follows its own rule.
    fixture.Description().items[2].destinationExists = "Replace";
    fixture.Load();

    // one.txt: item "Don't Replace" for all; its link: "Replace", ask again.
    // two.txt: item not asked; link asked: "Don't Replace".
    fixture.Presenter().Script(0, true);
    fixture.Presenter().Script(1, false);
    fixture.Presenter().Script(0, false);
    // three.txt: item replaced by its rule; link asked again: "Replace".
    fixture.Presenter().Script(1, false);
    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);

    std::vector<BAlertRequest> questions = fixture.Questions("replace");
    ASSERT_EQ(questions.size(), 4u);
    const BAlertRequest& first = questions[0];
    EXPECT_EQ(first.title, "ReplaceAlert");
    EXPECT_EQ(first.text, "The file 'one.txt' already exists. Do you wish to replace existing");
    EXPECT_EQ(first.buttons, (std::vector<std::string>{"Don't Replace", "Replace"}));
    EXPECT_EQ(first.shortcuts, (std::vector<char>{'d', 'r'}));
    EXPECT_EQ(first.defaultButton, 1);
    EXPECT_EQ(first.type, B_WARNING_ALERT);
    EXPECT_EQ(first.checkBoxLabel, "Apply to all future collisions");
    EXPECT_FALSE(first.checkBoxValue);
    ASSERT_EQ(first.facts.size(), 13u);
    EXPECT_EQ(first.facts[0].first, "Created :");
    EXPECT_EQ(first.facts[2], (std::pair<std::string, std::string>{"Size :", "3.0 bytes"}));
    EXPECT_EQ(first.facts[4], (std::pair<std::string, std::string>{"Path :", items.string()}));
    EXPECT_EQ(first.facts[6].first, "With");
    EXPECT_EQ(first.facts[11],
        (std::pair<std::string, std::string>{"Path :", fixture.InstallFolder().string()}));
    // Stamps read like "Sun, Sep 9 2001, 1:46:40 AM" in the local zone.
    EXPECT_NE(first.facts[8].second.find("2001"), std::string::npos) << first.facts[8].second;
    EXPECT_NE(first.facts[8].second.find(", "), std::string::npos);

    EXPECT_EQ(ReadFileBytes(items / "one.txt"), "old");
    EXPECT_EQ(ReadFileBytes(items / "two.txt"), "old");
    EXPECT_EQ(ReadFileBytes(items / "three.txt"), "new three.txt");
    EXPECT_EQ(ReadFileBytes(fixture.InstallFolder() / "one.txt"), "new one.txt");
    EXPECT_EQ(fs::read_symlink(links / "one.txt"), fixture.InstallFolder() / "one.txt");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(links / "two.txt")));
    EXPECT_EQ(fs::read_symlink(links / "three.txt"), items / "three.txt");

    std::vector<std::string> log = fixture.LogLines();
    EXPECT_EQ(CountLines(log, "\t\t\tUser desired not to place item in " + items.string()), 2u);
    EXPECT_EQ(CountLines(log, "\t\t\tUser desired not to place a link in " + links.string()), 1u);
    EXPECT_TRUE(HasLine(log, "\t\t\tExisting file removed."));
    EXPECT_EQ(fixture.Presenter().PendingAnswers(), 0u);
}

TEST(Collisions, AMenuEntryInTheWayIsAskedAboutWithTheFactsOfTheIncomingItem)
{
    const fs::path applications = StandardFolder(B_USER_DESKBAR_DIRECTORY).parent_path() / "applications";
    fs::create_directories(applications);
    const DesktopIntegration naming("Tern Menu", "", [](const std::string&) {});
    const fs::path inTheWay = applications / naming.MenuEntryLeaf("Tern Notes.txt");
    WriteFileBytes(inTheWay, "[Desktop Entry]\n");
    InstallFixture fixture;
    ProductItem& notes = fixture.Add("Tern Notes.txt", std::string(1536, 'n'));
    notes.link = "User Deskbar";
    notes.linkExists = "Prompt";
    fixture.Description().appName = "Tern Menu";
    fixture.Load();
    fixture.Presenter().Script(0, false);
    testing::internal::CaptureStderr();
    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
    const std::string errors = testing::internal::GetCapturedStderr();

    std::vector<BAlertRequest> questions = fixture.Questions("replace");
    ASSERT_EQ(questions.size(), 1u);
    const auto& facts = questions[0].facts;
    ASSERT_EQ(facts.size(), 13u);
    EXPECT_EQ(facts[6].first, "With");
    // The incoming side: the item the entry starts, with its real facts.
    // (The size an entry takes counts its attributes as well.)
    EXPECT_EQ(facts[9].first, "Size :");
    EXPECT_GE(std::atof(facts[9].second.c_str()), 1.5) << facts[9].second;
    EXPECT_EQ(facts[9].second.substr(facts[9].second.size() - 3), " KB") << facts[9].second;
    EXPECT_EQ(facts[11], (std::pair<std::string, std::string>{"Path :", fixture.InstallFolder().string()}));
    EXPECT_EQ(facts[7].second.find("1970"), std::string::npos) << facts[7].second;
    EXPECT_FALSE(facts[7].second.empty());
    EXPECT_EQ(errors.find("LibCreationDate"), std::string::npos) << errors;
    EXPECT_EQ(ReadFileBytes(inTheWay), "[Desktop Entry]\n");
}

TEST(Collisions, AQuestionAboutAnEntryThatIsNotThereShowsNoMadeUpFacts)
{
    ondelle::test::TempDir dir;
    WriteFileBytes(dir / "old.txt", "old");
    BAlert alert("", "", "OK");
    testing::internal::CaptureStderr();
    BuildReplaceQuestion((dir / "missing/old.txt").c_str(), (dir / "old.txt").c_str(), alert);
    const std::string errors = testing::internal::GetCapturedStderr();
    const auto& facts = alert.Request().facts;
    ASSERT_EQ(facts.size(), 13u);
    for (size_t row : {7u, 8u, 9u, 10u, 12u})
        EXPECT_EQ(facts[row].second, "") << facts[row].first;
    EXPECT_EQ(facts[11].second, (dir / "missing").string());
    EXPECT_EQ(errors.find("LibCreationDate"), std::string::npos) << errors;
}

TEST(Collisions, RenameTakesTheNextFreeCopyName)
{
    InstallFixture fixture;
    fixture.AddCustomFolder("Target", kUserSettings, "rename", false);
    const fs::path target = StandardFolder(kUserSettings) / "rename";
    fs::create_directories(target);
    WriteFileBytes(target / "conf", "first");
    WriteFileBytes(target / "conf copy", "earlier copy");
    ProductItem& item = fixture.Add("conf", "new");
    item.destination = "Target";
    item.destinationExists = "Rename";
    fixture.Load();
    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
    EXPECT_EQ(ReadFileBytes(target / "conf"), "new");
    EXPECT_EQ(ReadFileBytes(target / "conf copy"), "earlier copy");
    EXPECT_EQ(ReadFileBytes(target / "conf copy 1"), "first");
    EXPECT_TRUE(HasLine(fixture.LogLines(), "\t\t\tExisting file renamed"));
}

TEST(Collisions, ReplaceSavesOrRemovesTheEntryInTheWay)
{
    for (bool save : {false, true}) {
        SCOPED_TRACE(save ? "with Saved Files" : "without Saved Files");
        InstallFixture fixture;
        fixture.Description().optSaveReplaced = save;
        fixture.AddCustomFolder("A", kUserSettings, save ? "save/a" : "remove/a", false);
        fixture.AddCustomFolder("B", kUserSettings, save ? "save/b" : "remove/b", false);
        const fs::path a = StandardFolder(kUserSettings) / (save ? "save/a" : "remove/a");
        const fs::path b = StandardFolder(kUserSettings) / (save ? "save/b" : "remove/b");
        fs::create_directories(a);
        fs::create_directories(b);
        WriteFileBytes(a / "data", "old a");
        WriteFileBytes(b / "data.cfg", "old b");
        ProductItem& first = fixture.Add("data", "new a");
        first.destination = "A";
        first.destinationExists = "Replace ";  // a trailing blank still replaces
        ProductItem& second = fixture.Add("data.cfg", "new b");
        second.destination = "B";
        second.destinationExists = "rename";   // other letter case: replaces
        fixture.Load();
        EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
        EXPECT_EQ(ReadFileBytes(a / "data"), "new a");
        EXPECT_EQ(ReadFileBytes(b / "data.cfg"), "new b");
        const fs::path saved = fixture.InstallFolder() / "Saved Files";
        std::vector<std::string> log = fixture.LogLines();
        if (save) {
            EXPECT_EQ(ReadFileBytes(saved / "data"), "old a");
            EXPECT_EQ(ReadFileBytes(saved / "data.cfg"), "old b");
            EXPECT_EQ(CountLines(log, "\t\t\tExisting file saved."), 2u);
        } else {
            EXPECT_FALSE(fs::exists(saved));
            EXPECT_EQ(CountLines(log, "\t\t\tExisting file removed."), 2u);
        }
    }
}

TEST(Collisions, SavedEntriesOfTheSameNameAreAllKept)
{
    InstallFixture fixture;
    fixture.Description().optSaveReplaced = true;
    fixture.AddCustomFolder("A", kUserSettings, "same/a", false);
    fixture.AddCustomFolder("B", kUserSettings, "same/b", false);
    const fs::path a = StandardFolder(kUserSettings) / "same/a";
    const fs::path b = StandardFolder(kUserSettings) / "same/b";
    fs::create_directories(a);
    fs::create_directories(b);
    WriteFileBytes(a / "settings", "old a");
    WriteFileBytes(b / "settings", "old b");
    fixture.Add("settings", "new a").destination = "A";
    // A second item of the same leaf name, from another payload folder.
    const fs::path other = fixture.Root() / "payload2/settings";
    fs::create_directories(other.parent_path());
    WriteFileBytes(other, "new b");
    ProductItem second;
    second.path = other.string();
    second.destination = "B";
    fixture.Description().items.push_back(second);
    fixture.Load();
    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
    EXPECT_EQ(ReadFileBytes(a / "settings"), "new a");
    EXPECT_EQ(ReadFileBytes(b / "settings"), "new b");
    const fs::path saved = fixture.InstallFolder() / "Saved Files";
    EXPECT_EQ(ReadFileBytes(saved / "settings"), "old a");
    EXPECT_EQ(ReadFileBytes(saved / "settings copy"), "old b");
}

TEST(Collisions, FolderItemsReplaceExistingFolders)
{
    for (const char* rule : {"Prompt", "Replace"}) {
        SCOPED_TRACE(rule);
        InstallFixture fixture;
        const std::string sub = std::string("folders/") + rule;
        fixture.AddCustomFolder("Target", kUserSettings, sub, false);
        const fs::path target = StandardFolder(kUserSettings) / sub;
        fs::create_directories(target / "Docs/stale");
        WriteFileBytes(target / "Docs/stale/old.txt", "old");
        ProductItem& docs = fixture.AddFolder("Docs");
        docs.destination = "Target";
        docs.destinationExists = rule;
        fixture.Load();
        fixture.Presenter().Script(1, false);
        EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
        EXPECT_FALSE(fs::exists(target / "Docs/stale"));
        EXPECT_EQ(ReadFileBytes(target / "Docs/inner.txt"), "inner of Docs\n");
        std::vector<std::string> log = fixture.LogLines();
        const std::string removedFolder = "\t\t\tRemoved existing folder " + (target / "Docs").string();
        if (std::string(rule) == "Prompt") {
            EXPECT_EQ(fixture.Questions("replace").size(), 1u);
            EXPECT_EQ(fixture.Questions("replace")[0].text,
                "The folder 'Docs' already exists. Do you wish to replace existing");
            EXPECT_TRUE(HasLine(log, removedFolder));
        } else {
            EXPECT_FALSE(HasLine(log, removedFolder));
            EXPECT_TRUE(HasLine(log, "\t\t\tExisting file removed."));
        }
    }
}

TEST(Collisions, CustomFolderIsReplacedOncePerRun)
{
    InstallFixture fixture;
    fixture.AddCustomFolder("Plugins", kUserSettings, "plugins/tern", true);
    const fs::path plugins = StandardFolder(kUserSettings) / "plugins/tern";
    fs::create_directories(plugins);
    WriteFileBytes(plugins / "stale.so", "stale");
    fixture.Add("a.so", "a").destination = "Plugins";
    fixture.Add("b.so", "b").destination = "Plugins";
    fixture.Load();
    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
    EXPECT_FALSE(fs::exists(plugins / "stale.so"));
    EXPECT_EQ(ReadFileBytes(plugins / "a.so"), "a");
    EXPECT_EQ(ReadFileBytes(plugins / "b.so"), "b");
    // The configuration keeps its own value.
    const BMessage* folders = fixture.Config().CustomFolderList();
    ASSERT_NE(folders, nullptr);
    BMessage folder;
    ASSERT_EQ(folders->FindMessage("custom_folder", 0, &folder), B_OK);
    EXPECT_TRUE(folder.GetBool("custom_replace_existing", false));
}

TEST(Collisions, ReplacedCustomFolderIsSavedWhole)
{
    InstallFixture fixture;
    fixture.Description().optSaveReplaced = true;
    fixture.AddCustomFolder("Plugins", kUserSettings, "saved-plugins/tern", true);
    const fs::path plugins = StandardFolder(kUserSettings) / "saved-plugins/tern";
    fs::create_directories(plugins);
    WriteFileBytes(plugins / "stale.so", "stale");
    fixture.Add("a.so", "a").destination = "Plugins";
    fixture.Load();
    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
    EXPECT_FALSE(fs::exists(plugins / "stale.so"));
    EXPECT_EQ(ReadFileBytes(plugins / "a.so"), "a");
    EXPECT_EQ(ReadFileBytes(fixture.InstallFolder() / "Saved Files/tern/stale.so"), "stale");
}

TEST(Collisions, QuestionNamesTheKindOfTheEntryItself)
{
    ondelle::test::TempDir dir;
    fs::create_directories(dir / "folder");
    fs::create_symlink("folder", dir / "link");
    WriteFileBytes(dir / "incoming", "x");
    BAlert alert("", "", "OK");
    BuildReplaceQuestion((dir / "incoming").c_str(), (dir / "link").c_str(), alert);
    EXPECT_EQ(alert.Request().text, "The symbolic link 'link' already exists. Do you wish to replace existing");
    EXPECT_EQ(alert.Request().kind, "replace");
    BuildReplaceQuestion((dir / "incoming").c_str(), (dir / "folder").c_str(), alert);
    EXPECT_EQ(alert.Request().text, "The folder 'folder' already exists. Do you wish to replace existing");
    EXPECT_EQ(alert.Request().facts.size(), 13u);
}

TEST(Collisions, GetNewPathResolvesCustomThenStandardNames)
{
    InstallConfig config;
    BMessage folders;
    BMessage folder;
    folder.AddString("custom_folder_name", "User Settings");  // shadows the standard name
    folder.AddInt32("custom_root_dir", B_USER_DIRECTORY);
    folder.AddString("custom_sub_dir", "shadow");
    folder.AddBool("custom_replace_existing", false);
    folders.AddMessage("custom_folder", &folder);
    BMessage escaping;
    escaping.AddString("custom_folder_name", "Escape");
    escaping.AddInt32("custom_root_dir", B_USER_DIRECTORY);
    escaping.AddString("custom_sub_dir", "a/../../outside");
    folders.AddMessage("custom_folder", &escaping);
    BVolume volume;
    ASSERT_EQ(BVolumeRoster().GetBootVolume(&volume), B_OK);
    LibString path;
    config.GetNewPath("User Settings", folders, volume, "", path);
    EXPECT_EQ(std::string((const char*)path), (StandardFolder(B_USER_DIRECTORY) / "shadow").string());
    EXPECT_TRUE(fs::is_directory(StandardFolder(B_USER_DIRECTORY) / "shadow"));
    config.GetNewPath("User Add-Ons", folders, volume, "", path);
    EXPECT_EQ(std::string((const char*)path), StandardFolder(B_USER_ADDONS_DIRECTORY).string());
    config.GetNewPath("user add-ons", folders, volume, "", path);
    EXPECT_EQ(path.Length(), 0);
    config.GetNewPath("Escape", folders, volume, "", path);
    EXPECT_EQ(path.Length(), 0);
    EXPECT_FALSE(fs::exists(StandardFolder(B_USER_DIRECTORY).parent_path() / "outside"));
}

TEST(Collisions, StandardFoldersHomeAndTheInstallationAreNeverReplaced)
{
    const fs::path settings = StandardFolder(kUserSettings);
    const fs::path home = StandardFolder(B_USER_DIRECTORY);
    fs::create_directories(settings);
    WriteFileBytes(settings / "user-settings.conf", "the user's settings");

    // A custom folder without a sub-folder would replace the whole settings
    // folder; one whose sub-folder climbs back out ("x/..") as well.
    for (const char* sub : {"", "x/.."}) {
        SCOPED_TRACE(sub);
        InstallFixture fixture;
        fixture.AddCustomFolder("Everything", kUserSettings, sub, true);
        fixture.Add("app.conf", "new").destination = "Everything";
        fixture.Load();
        EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
        EXPECT_EQ(ReadFileBytes(settings / "user-settings.conf"), "the user's settings");
        EXPECT_EQ(ReadFileBytes(fixture.InstallFolder() / "app.conf"), "new");
        if (std::string(sub) != "")
            continue; // a sub-folder with ".." names no folder at all
        const std::string why = "the folder " + settings.string()
            + " may not be replaced: it is a standard folder";
        EXPECT_TRUE(HasLine(fixture.LogLines(),
            "\t\t\tThe item stays in " + fixture.InstallFolder().string() + ": " + why));
        ASSERT_EQ(fixture.Config().FailedItems().Size(), 1);
        EXPECT_STREQ((const char*)*fixture.Config().FailedItems().OldestNode()->Item(),
            ("app.conf (" + why + ")").c_str());
    }

    // A custom folder that holds the installation folder (the destination
    // lies inside it) is not replaced either.
    {
        InstallFixture fixture;
        const fs::path holder = settings / "holder";
        fs::create_directories(holder / "chosen");
        WriteFileBytes(holder / "keep.txt", "keep");
        fixture.AddCustomFolder("Holder", kUserSettings, "holder", true);
        fixture.Add("held.txt", "held").destination = "Holder";
        fixture.SetDestination(holder / "chosen");
        fixture.Load();
        EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
        EXPECT_EQ(ReadFileBytes(holder / "keep.txt"), "keep");
        EXPECT_EQ(ReadFileBytes(holder / "chosen" / fixture.Description().optCreatedFolder / "held.txt"),
            "held");
    }

    // An item named like a standard folder, placed in the folder that holds
    // it with "Replace" and nothing saved, would remove that standard folder.
    {
        InstallFixture fixture;
        ASSERT_EQ(settings.parent_path(), home);
        ProductItem& item = fixture.AddFolder(settings.filename().string());
        item.destination = "User";
        item.destinationExists = "Replace";
        fixture.Load();
        EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
        EXPECT_EQ(ReadFileBytes(settings / "user-settings.conf"), "the user's settings");
        EXPECT_TRUE(fs::exists(fixture.InstallFolder() / settings.filename() / "inner.txt"));
        EXPECT_EQ(fixture.Config().FailedItems().Size(), 1);
    }

    // The home folder is not moved to the Trash as an "earlier installation
    // folder" of the same name.
    {
        InstallFixture fixture;
        fixture.Description().optCreatedFolder = home.filename().string();
        fixture.Add("a.txt", "a");
        fixture.SetDestination(home.parent_path());
        fixture.Load();
        EXPECT_EQ(fixture.Run(), INSTALL_RESULT_NO_FOLDER);
        EXPECT_EQ(ReadFileBytes(settings / "user-settings.conf"), "the user's settings");
    }
}

TEST(Collisions, ADanglingLinkWhereTheMenuEntryGoesIsClearedLikeAnyEntry)
{
    for (bool save : {false, true}) {
        SCOPED_TRACE(save ? "with Saved Files" : "without Saved Files");
        InstallFixture fixture;
        fixture.Description().optSaveReplaced = save;
        fixture.Description().appName = "Dangling Menu";
        ProductItem& notes = fixture.Add("Dangling Notes.txt", "notes\n");
        notes.link = "User Deskbar";
        notes.linkExists = "Replace";
        const fs::path menu = StandardFolder(B_USER_DESKBAR_DIRECTORY);
        fs::create_directories(menu);
        const DesktopIntegration naming("Dangling Menu", "", [](const std::string&) {});
        const fs::path entry = menu / naming.MenuEntryLeaf("Dangling Notes.txt");
        // A link to nothing: the collision check must see the link itself.
        fs::create_symlink(fixture.Root() / "nowhere", entry);
        fixture.Load();
        ASSERT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(entry))) << entry;
        EXPECT_NE(ReadFileBytes(entry).find("[Desktop Entry]"), std::string::npos);
        EXPECT_FALSE(fs::exists(fixture.Root() / "nowhere"));
        EXPECT_EQ(fixture.Config().FailedItems().Size(), 0);
        if (save) {
            EXPECT_TRUE(fs::is_symlink(fixture.InstallFolder() / "Saved Files" / entry.filename()));
        }
        fs::remove(entry);
    }
}
