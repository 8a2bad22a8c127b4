// The deinstaller: its name and configuration, how the job writes it, and
// what it removes (in process and as the program ondelle-deinstall), all in
// the sandbox.
#include "TestSupport.h"

#include <DeinstallTag.h>
#include <Deinstaller.h>
#include <DeinstallerConfig.h>
#include <FindDirectory.h>
#include <InstallConfig.h>
#include <LibAppResource.h>
#include <Path.h>
#include <Process.h>
#include <Resources.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

fs::path Folder(directory_which which)
{
    BPath path;
    EXPECT_EQ(find_directory(which, &path, true), B_OK);
    return fs::path(path.Path());
}

BMessage Product(const char* name, const char* version)
{
    BMessage configuration;
    configuration.AddString("app_name", name);
    configuration.AddString("version", version);
    configuration.AddString("release_date", "2024-05-01");
    configuration.AddString("company", "Maker");
    configuration.AddString("support_email", "help@example.org");
    return configuration;
}

std::vector<std::pair<std::string, type_code>> Fields(const BMessage& message)
{
    std::vector<std::pair<std::string, type_code>> fields;
    const char* name = nullptr;
    type_code type = 0;
    for (int32 i = 0; message.GetInfo(B_ANY_TYPE, i, &name, &type) == B_OK; i++)
        fields.emplace_back(name, type);
    return fields;
}

std::string String(const BMessage& message, const char* name)
{
    const char* value = nullptr;
    return message.FindString(name, &value) == B_OK ? value : "<missing>";
}

void Tag(const fs::path& path, const std::string& tag)
{
    TagForDeinstall(path.c_str(), tag.c_str());
}

std::string Section(const std::string& tag, const std::string& body)
{
    return "#BEGIN_" + tag + "\n" + body + "\n#END_" + tag + "\n";
}

fs::path DeinstallProgram()
{
    return ondelle::test::BuildDir() / "app" / "ondelle-deinstall";
}

// An installer's resources holding the deinstaller program as the build
// tool packs it: resource 'RAWT' 2001 "Undelle", a zip archive whose entry
// carries that name.
fs::path InstallerResources(const TempDir& dir)
{
    const fs::path scratch = dir / "scratch";
    fs::create_directories(scratch);
    fs::copy_file(DeinstallProgram(), scratch / "Undelle");
    const fs::path file = dir / "installer.rsrc";
    WriteFileBytes(file, "");
    LibAppResource resources(file.c_str(), B_READ_WRITE);
    EXPECT_EQ(resources.InitCheck(), B_OK);
    EXPECT_TRUE(resources.AddEntry((scratch / "Undelle").c_str(), 2001, "Undelle", 1));
    return file;
}

} // namespace


TEST(DeinstallerConfiguration, HoldsOnlyTheProductTextsAndTheScriptTags)
{
    BMessage configuration = Product("A", "2.0");
    configuration.AddString("license", "not copied");
    BMessage image;
    image.AddString("class", "BBitmap");
    configuration.AddMessage("about_image", &image);
    configuration.AddBool("edit_bootscript", true);
    configuration.AddString("edit_bootscript_tag", "ABoot");
    configuration.AddString("edit_bootscript_contents", "not copied");
    configuration.AddBool("edit_profile", false);
    configuration.AddString("edit_profile_tag", "not copied");
    configuration.AddBool("complete_restart", true);

    BMessage deinstaller;
    deinstaller.AddString("stale", "x");
    MakeDeinstallerConfiguration(configuration, deinstaller);
    const std::vector<std::pair<std::string, type_code>> expected = {
        {"app_name", B_STRING_TYPE}, {"version", B_STRING_TYPE}, {"release_date", B_STRING_TYPE},
        {"company", B_STRING_TYPE}, {"support_email", B_STRING_TYPE}, {"about_image", B_MESSAGE_TYPE},
        {"edit_bootscript", B_BOOL_TYPE}, {"edit_bootscript_tag", B_STRING_TYPE},
        {"edit_setup_env", B_BOOL_TYPE}, {"edit_profile", B_BOOL_TYPE}};
    EXPECT_EQ(Fields(deinstaller), expected);
    EXPECT_EQ(String(deinstaller, "app_name"), "A");
    EXPECT_EQ(String(deinstaller, "edit_bootscript_tag"), "ABoot");
    bool value = true;
    EXPECT_EQ(deinstaller.FindBool("edit_setup_env", &value), B_OK);
    EXPECT_FALSE(value);
    BMessage copied;
    ASSERT_EQ(deinstaller.FindMessage("about_image", &copied), B_OK);
    EXPECT_EQ(String(copied, "class"), "BBitmap");

    // Without an about image and without product texts.
    BMessage bare;
    bare.AddBool("edit_setup_env", true);
    MakeDeinstallerConfiguration(bare, deinstaller);
    EXPECT_FALSE(deinstaller.HasMessage("about_image"));
    EXPECT_EQ(String(deinstaller, "app_name"), "");
    EXPECT_EQ(String(deinstaller, "edit_setup_env_tag"), "");

    EXPECT_EQ(DeinstallerFileName("A", "2.0"), "A 2.0 Deinstaller");
    EXPECT_EQ(DeinstallerFileName("../../x", "1/2"), "..-..-x 1-2 Deinstaller");
}


TEST(DeinstallerConfiguration, JobWritesTheProgramWithItsConfiguration)
{
    ASSERT_TRUE(fs::exists(DeinstallProgram())) << DeinstallProgram();
    TempDir dir;
    const fs::path installFolder = dir / "A";
    fs::create_directories(installFolder);
    BMessage configuration = Product("A", "2.0");
    configuration.AddBool("edit_setup_env", true);
    configuration.AddString("edit_setup_env_tag", "AEnv");
    InstallConfig config;
    config = configuration;
    {
        LibAppResource resources(InstallerResources(dir).c_str(), B_READ_ONLY);
        config.CreateDeinstaller(resources, installFolder.c_str(), MakeDeinstallTag(configuration).c_str());
    }
    const fs::path program = installFolder / "A 2.0 Deinstaller";
    ASSERT_TRUE(fs::is_regular_file(program));
    EXPECT_EQ(::access(program.c_str(), X_OK), 0);
    EXPECT_EQ(fs::directory_iterator(installFolder)->path(), program);

    BResources resources(program.c_str());
    ASSERT_EQ(resources.InitCheck(), B_OK);
    const char* name = nullptr;
    size_t size = 0;
    ASSERT_TRUE(resources.GetResourceInfo(B_STRING_TYPE, 2002, &name, &size));
    EXPECT_STREQ(name, "VDC:configuration");
    BMessage stored;
    ASSERT_EQ(ReadDeinstallerConfiguration(program.c_str(), stored), B_OK);
    BMessage expected;
    MakeDeinstallerConfiguration(configuration, expected);
    EXPECT_EQ(Fields(stored), Fields(expected));
    EXPECT_EQ(String(stored, "edit_setup_env_tag"), "AEnv");

    // The program still runs with the resources added.
    process_options options;
    options.captureOutput = true;
    process_result result;
    ASSERT_EQ(run_process({program.string(), "--help"}, options, &result), B_OK);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.output.find("--dry-run"), std::string::npos);
}


TEST(DeinstallerConfiguration, BuildWithoutADeinstallerLeavesNone)
{
    TempDir dir;
    WriteFileBytes(dir / "installer.rsrc", "");
    InstallConfig config;
    config = Product("A", "2.0");
    LibAppResource resources((dir / "installer.rsrc").c_str(), B_READ_ONLY);
    config.CreateDeinstaller(resources, dir.Path().c_str(), "A;2.0;;;;");
    EXPECT_FALSE(fs::exists(dir / "A 2.0 Deinstaller"));

    BMessage none;
    EXPECT_EQ(ReadDeinstallerConfiguration((dir / "installer.rsrc").c_str(), none), B_ENTRY_NOT_FOUND);
    EXPECT_NE(WriteDeinstallerConfiguration((dir / "missing").c_str(), none), B_OK);
    EXPECT_FALSE(fs::exists(dir / "missing"));
}


// A whole installation of "Gadget 3.1" spread over the sandbox's standard
// folders, with entries of other products and of the user around it.
class DeinstallerRemoval : public testing::Test {
protected:
    void SetUp() override
    {
        BMessage product = Product("Gadget", "3.1");
        product.AddBool("edit_bootscript", true);
        product.AddString("edit_bootscript_tag", "GadgetBoot");
        product.AddBool("edit_setup_env", false);
        product.AddBool("edit_profile", true);
        product.AddString("edit_profile_tag", "GadgetProfile");
        MakeDeinstallerConfiguration(product, fConfiguration);
        fTag = MakeDeinstallTag(product);
        const std::string otherTag = MakeDeinstallTag(Product("Gadget", "3.0"));

        fApps = Folder(B_APPS_DIRECTORY) / "Gadget";
        fs::remove_all(fApps);
        fs::create_directories(fApps / "bin");
        fs::create_directories(fApps / "share" / "empty");
        WriteFileBytes(fApps / "bin" / "gadget", "program");
        WriteFileBytes(fApps / "share" / "doc.txt", "doc");
        fs::create_symlink("bin/gadget", fApps / "current");
        fs::create_directory_symlink("/usr/share", fApps / "system-share");
        Tag(fApps, fTag);
        // Added by the user after the install.
        WriteFileBytes(fApps / "share" / "my-notes.txt", "mine");

        fDeskbar = Folder(B_USER_DESKBAR_DIRECTORY);
        fs::remove(fDeskbar / "Gadget");
        fs::remove(fDeskbar / "Other");
        fs::create_symlink(fApps / "bin" / "gadget", fDeskbar / "Gadget");
        Tag(fDeskbar / "Gadget", fTag);

        fSettings = Folder(B_USER_SETTINGS_DIRECTORY);
        fs::remove_all(fSettings / "GadgetData");
        fs::create_directories(fSettings / "GadgetData" / "sub");
        for (const char* leaf : {"gadget.conf", "older.conf", "plain.conf"})
            WriteFileBytes(fSettings / leaf, leaf);
        WriteFileBytes(fSettings / "GadgetData" / "sub" / "deep.dat", "deep");
        Tag(fSettings / "gadget.conf", fTag);
        Tag(fSettings / "GadgetData" / "sub" / "deep.dat", fTag);
        Tag(fSettings / "older.conf", otherTag);
        fs::create_symlink(fSettings / "older.conf", fDeskbar / "Other");

        fTrash = Folder(B_TRASH_DIRECTORY);
        WriteFileBytes(fTrash / "gadget-old", "old");
        Tag(fTrash / "gadget-old", fTag);

        fs::create_directories(fInstall.Path() / "Saved Files");
        for (const char* leaf : {"readme.txt", "Saved Files/gadget.conf", "Log"})
            WriteFileBytes(fInstall / leaf, leaf);
        Tag(fInstall / "readme.txt", fTag);
        Tag(fInstall / "Saved Files" / "gadget.conf", fTag);

        BPath boot;
        ASSERT_EQ(find_directory(B_USER_BOOT_DIRECTORY, &boot, true), B_OK);
        fBootScript = fs::path(boot.Path()) / "UserBootscript";
        WriteFileBytes(fBootScript, "start\n" + Section("GadgetBoot", "gadgetd &")
            + Section("GadgetBootExtra", "other &") + "end\n");
        fProfile = Folder(B_USER_DIRECTORY) / ".profile";
        WriteFileBytes(fProfile, "export A=1\n" + Section("GadgetProfile", "alias g=gadget"));
    }

    void TearDown() override
    {
        fs::remove_all(fApps);
        fs::remove_all(fSettings / "GadgetData");
        for (const fs::path& path : {fDeskbar / "Gadget", fDeskbar / "Other", fSettings / "gadget.conf",
                 fSettings / "older.conf", fSettings / "plain.conf", fTrash / "gadget-old", fBootScript,
                 fProfile, fs::path(fBootScript.string() + ".orig"), fs::path(fProfile.string() + ".orig")})
            fs::remove(path);
    }

    void ExpectRemoved() const
    {
        // Removed: everything tagged, the links inside the tagged folder and
        // the link to a tagged target.
        for (const fs::path& gone : {fApps / "bin", fApps / "bin" / "gadget", fApps / "share" / "doc.txt",
                 fApps / "share" / "empty", fApps / "current", fApps / "system-share",
                 fDeskbar / "Gadget", fSettings / "gadget.conf",
                 fSettings / "GadgetData" / "sub" / "deep.dat", fInstall / "readme.txt"})
            EXPECT_FALSE(fs::symlink_status(gone).type() != fs::file_type::not_found) << gone;
        // Kept: folders holding the user's files, other products, untagged
        // entries, the Trash, saved files, and the link's target.
        for (const fs::path& kept : {fApps, fApps / "share", fApps / "share" / "my-notes.txt",
                 fSettings / "older.conf", fSettings / "plain.conf", fDeskbar / "Other",
                 fSettings / "GadgetData" / "sub", fTrash / "gadget-old", fInstall / "Log",
                 fInstall / "Saved Files" / "gadget.conf"})
            EXPECT_TRUE(fs::symlink_status(kept).type() != fs::file_type::not_found) << kept;
        EXPECT_TRUE(fs::exists("/usr/share"));
        EXPECT_EQ(ReadFileBytes(fBootScript), "start\n" + Section("GadgetBootExtra", "other &") + "end\n");
        EXPECT_EQ(ReadFileBytes(fProfile), "export A=1\n");
        EXPECT_EQ(ReadFileBytes(fs::path(fProfile.string() + ".orig")),
            "export A=1\n" + Section("GadgetProfile", "alias g=gadget"));
    }

    BMessage fConfiguration;
    std::string fTag;
    TempDir fInstall;
    fs::path fApps, fDeskbar, fSettings, fTrash, fBootScript, fProfile;
};


TEST_F(DeinstallerRemoval, RemovesExactlyWhatWasTagged)
{
    Deinstaller deinstaller(fConfiguration);
    ASSERT_EQ(deinstaller.InitCheck(), B_OK);
    EXPECT_EQ(deinstaller.ProductName(), "Gadget 3.1");
    deinstaller.AddStandardFolders(fInstall.Path().c_str());
    deinstaller.Scan();
    deinstaller.FindScriptSections();

    std::set<std::string> found;
    for (const deinstall_entry& entry : deinstaller.Entries())
        found.insert(entry.path);
    EXPECT_EQ(found.size(), deinstaller.Entries().size());
    EXPECT_TRUE(found.count(fApps.string()));
    EXPECT_TRUE(found.count((fDeskbar / "Gadget").string()));
    EXPECT_FALSE(found.count((fDeskbar / "Other").string()));
    EXPECT_FALSE(found.count((fTrash / "gadget-old").string()));
    ASSERT_EQ(deinstaller.Sections().size(), 2u);
    EXPECT_EQ(deinstaller.Sections()[0].count, 1);
    EXPECT_EQ(deinstaller.Sections()[1].script, fProfile.string());

    int32 kept = 0;
    int32 removed = 0;
    const int32 failures = deinstaller.Remove([&](const deinstall_report& report) {
        kept += report.status == B_DIRECTORY_NOT_EMPTY ? 1 : 0;
        removed += report.status == B_OK ? 1 : 0;
    });
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(kept, 2); // Gadget and Gadget/share hold the user's notes
    ExpectRemoved();
}


TEST_F(DeinstallerRemoval, ProgramAsksShowsAndRemoves)
{
    ASSERT_TRUE(fs::exists(DeinstallProgram())) << DeinstallProgram();
    TempDir build;
    {
        InstallConfig config;
        BMessage product = Product("Gadget", "3.1");
        product.AddBool("edit_bootscript", true);
        product.AddString("edit_bootscript_tag", "GadgetBoot");
        product.AddBool("edit_profile", true);
        product.AddString("edit_profile_tag", "GadgetProfile");
        config = product;
        LibAppResource resources(InstallerResources(build).c_str(), B_READ_ONLY);
        config.CreateDeinstaller(resources, fInstall.Path().c_str(), fTag.c_str());
    }
    const std::string program = (fInstall / "Gadget 3.1 Deinstaller").string();
    process_options options;
    options.captureOutput = true;
    process_result result;

    ASSERT_EQ(run_process({program, "--dry-run"}, options, &result), B_OK);
    EXPECT_EQ(result.exitCode, 0) << result.errorOutput;
    EXPECT_NE(result.output.find((fDeskbar / "Gadget").string() + " (link)"), std::string::npos);
    EXPECT_NE(result.output.find("#BEGIN_GadgetBoot ... #END_GadgetBoot in " + fBootScript.string()),
        std::string::npos);
    EXPECT_NE(result.output.find("Dry run"), std::string::npos);
    EXPECT_TRUE(fs::exists(fSettings / "gadget.conf"));

    // Without --yes it asks; no answer (standard input is empty) removes
    // nothing.
    ASSERT_EQ(run_process({program}, options, &result), B_OK);
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_NE(result.output.find("Remove them? [y/N]"), std::string::npos);
    EXPECT_TRUE(fs::exists(fSettings / "gadget.conf"));

    ASSERT_EQ(run_process({program, "--yes"}, options, &result), B_OK);
    EXPECT_EQ(result.exitCode, 0) << result.output << result.errorOutput;
    EXPECT_NE(result.output.find("Removed " + (fSettings / "gadget.conf").string()), std::string::npos);
    EXPECT_NE(result.output.find("Kept " + fApps.string()), std::string::npos);
    ExpectRemoved();
    EXPECT_TRUE(fs::exists(program));

    // Run again: only the kept folders are met again, and kept again.
    ASSERT_EQ(run_process({program, "--yes"}, options, &result), B_OK);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output.find("Removed"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("Kept " + fApps.string()), std::string::npos);

    ASSERT_EQ(run_process({program, "--frobnicate"}, options, &result), B_OK);
    EXPECT_EQ(result.exitCode, 2);
}


// An installation that kept its record; afterwards the user copies,
// links and edits some of what it placed.
TEST(DeinstallerRecord, KeepsCopiesLinksAndChangesMadeSince)
{
    const std::string tag = MakeDeinstallTag(Product("Widget", "1.0"));
    TempDir install;
    const fs::path apps = Folder(B_APPS_DIRECTORY) / "Widget";
    const fs::path deskbar = Folder(B_USER_DESKBAR_DIRECTORY);
    const fs::path settings = Folder(B_USER_SETTINGS_DIRECTORY);
    fs::remove_all(apps);
    fs::create_directories(apps / "sub");
    for (const char* leaf : {"same.txt", "copied.txt", "linked.txt", "edited.txt", "renamed.txt", "sub/deep.txt"})
        WriteFileBytes(apps / leaf, std::string("contents of ") + leaf);
    fs::create_symlink(apps / "same.txt", deskbar / "Widget");
    Tag(apps, tag);
    Tag(deskbar / "Widget", tag);
    // The installer's lines carry a checksum under the key it hands to the
    // deinstaller.
    const std::string key = "the run's secret";
    {
        InstallRecord record;
        ASSERT_EQ(record.Create(InstallRecord::PathIn(install.Path().c_str()).c_str(), key), B_OK);
        ASSERT_EQ(record.AddTree(apps.c_str()), B_OK);
        ASSERT_EQ(record.AddTree((deskbar / "Widget").c_str()), B_OK);
    }

    // A copy that carries the tag with its attributes, as "cp -a" makes.
    WriteFileBytes(settings / "copied.txt", ReadFileBytes(apps / "copied.txt"));
    Tag(settings / "copied.txt", tag);
    // A link of the user's to an installed file.
    fs::create_symlink(apps / "linked.txt", deskbar / "My Widget");
    // Edited in place: same size, and the old modification time put back;
    // only the contents tell.
    const auto edited = apps / "edited.txt";
    const auto time = fs::last_write_time(edited);
    std::string text = ReadFileBytes(edited);
    text[0] = 'C';
    WriteFileBytes(edited, text);
    fs::last_write_time(edited, time);
    // Saved by rename: a new file without the tag takes the old one's place.
    WriteFileBytes(apps / "renamed.txt.new", "saved by an editor");
    fs::rename(apps / "renamed.txt.new", apps / "renamed.txt");

    BMessage configuration;
    MakeDeinstallerConfiguration(Product("Widget", "1.0"), configuration, key);
    Deinstaller deinstaller(configuration);
    deinstaller.AddStandardFolders(install.Path().c_str());
    ASSERT_TRUE(deinstaller.LoadRecord(install.Path().c_str()));
    deinstaller.Scan();
    std::map<std::string, std::string> kept;
    for (const deinstall_entry& entry : deinstaller.Entries()) {
        if (!entry.keep.empty())
            kept[entry.path] = entry.keep;
    }
    EXPECT_EQ(kept, (std::map<std::string, std::string>{
        {(settings / "copied.txt").string(), "not placed by the installation (a copy made since?)"},
        {(deskbar / "My Widget").string(), "a link the installation did not place"},
        {edited.string(), "changed since it was installed"},
        {(apps / "renamed.txt").string(), "changed since it was installed"}}));

    EXPECT_EQ(deinstaller.Remove(), 0);
    for (const fs::path& gone : {apps / "same.txt", apps / "copied.txt", apps / "linked.txt",
             apps / "sub", deskbar / "Widget"})
        EXPECT_EQ(fs::symlink_status(gone).type(), fs::file_type::not_found) << gone;
    EXPECT_EQ(ReadFileBytes(settings / "copied.txt"), "contents of copied.txt");
    EXPECT_EQ(ReadFileBytes(edited), text);
    EXPECT_EQ(ReadFileBytes(apps / "renamed.txt"), "saved by an editor");
    EXPECT_TRUE(fs::is_symlink(deskbar / "My Widget"));

    fs::remove_all(apps);
    fs::remove(settings / "copied.txt");
    fs::remove(deskbar / "My Widget");
}


TEST(DeinstallerRecord, ProgramMarksWhatItKeepsAndSaysWhenThereIsNoRecord)
{
    ASSERT_TRUE(fs::exists(DeinstallProgram())) << DeinstallProgram();
    const std::string tag = MakeDeinstallTag(Product("Widget", "2.0"));
    TempDir install;
    TempDir build;
    const fs::path apps = Folder(B_APPS_DIRECTORY) / "Widget2";
    fs::remove_all(apps);
    fs::create_directories(apps);
    WriteFileBytes(apps / "kept.txt", "original");
    WriteFileBytes(apps / "gone.txt", "original");
    Tag(apps, tag);
    {
        InstallConfig config;
        config = Product("Widget", "2.0");
        LibAppResource resources(InstallerResources(build).c_str(), B_READ_ONLY);
        config.CreateDeinstaller(resources, install.Path().c_str(), tag.c_str());
    }
    const std::string program = (install / "Widget 2.0 Deinstaller").string();
    process_options options;
    options.captureOutput = true;
    process_result result;

    // An installation made before records were kept: judged by the tag,
    // and the program says so.
    ASSERT_EQ(run_process({program, "--dry-run"}, options, &result), B_OK);
    EXPECT_NE(result.output.find("kept no record of what it placed"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find((apps / "kept.txt").string() + " (file)\n"), std::string::npos);

    InstallRecord record;
    ASSERT_EQ(record.Create(InstallRecord::PathIn(install.Path().c_str()).c_str()), B_OK);
    ASSERT_EQ(record.AddTree(apps.c_str()), B_OK);
    WriteFileBytes(apps / "kept.txt", "changed by the user");

    ASSERT_EQ(run_process({program, "--dry-run"}, options, &result), B_OK);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output.find("kept no record"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find((apps / "kept.txt").string()
                  + " (file; kept: changed since it was installed)"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find((apps / "gone.txt").string() + " (file)\n"), std::string::npos);

    ASSERT_EQ(run_process({program, "--yes"}, options, &result), B_OK);
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_FALSE(fs::exists(apps / "gone.txt"));
    EXPECT_EQ(ReadFileBytes(apps / "kept.txt"), "changed by the user");
    fs::remove_all(apps);
}


TEST(DeinstallerRecord, ReadsBackWhatItWroteAndSkipsALineCutShort)
{
    TempDir dir;
    fs::create_directories(dir / "odd\tname\nwith\\marks");
    WriteFileBytes(dir / "odd\tname\nwith\\marks/file", "x");
    const std::string path = InstallRecord::PathIn(dir.Path().c_str());
    {
        InstallRecord record;
        ASSERT_EQ(record.Create(path.c_str()), B_OK);
        ASSERT_EQ(record.AddTree((dir / "odd\tname\nwith\\marks").c_str()), B_OK);
    }
    WriteFileBytes(path, ReadFileBytes(path) + "f\t12\t3");
    InstallRecord loaded;
    ASSERT_EQ(loaded.Load(path.c_str()), B_OK);
    EXPECT_EQ(loaded.Entries().size(), 2u);
    const install_record_entry* file = loaded.Find((dir / "odd\tname\nwith\\marks/file").string());
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->size, 1);
    EXPECT_EQ(file->detail.size(), 64u);
    EXPECT_FALSE(loaded.Changed((dir / "odd\tname\nwith\\marks/file").string()));
    EXPECT_TRUE(loaded.Changed((dir / "missing").string()));

    WriteFileBytes(dir / "not-a-record", "something else\n");
    EXPECT_EQ(loaded.Load((dir / "not-a-record").c_str()), B_BAD_DATA);
    EXPECT_EQ(loaded.Load((dir / "absent").c_str()), B_ENTRY_NOT_FOUND);
}

TEST(DeinstallTag, ANewTagReplacesALongerOneWhole)
{
    ondelle::test::TempDir dir;
    const fs::path file = dir / "tagged";
    ondelle::test::WriteFileBytes(file, "x");
    Tag(file, "a-much-longer-earlier-tag");
    Tag(file, "short");
    EXPECT_TRUE(HasDeinstallTag(file.c_str(), "short"));
    EXPECT_FALSE(HasDeinstallTag(file.c_str(), "a-much-longer-earlier-tag"));
}
