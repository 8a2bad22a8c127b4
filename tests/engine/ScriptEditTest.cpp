// Tagged sections in the user's scripts: the installer's editor and the
// deinstaller's exact removal. Every script lives in the sandbox's standard
// folders or in a scratch folder.
#include "TestSupport.h"

#include <FindDirectory.h>
#include <InstallConfig.h>
#include <Node.h>
#include <NodeInfo.h>
#include <Path.h>
#include <ScriptEdit.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

fs::path StandardFolder(directory_which which)
{
    BPath path;
    EXPECT_EQ(find_directory(which, &path, false), B_OK);
    return fs::path(path.Path());
}

// Starts every test with an empty boot folder and no .profile.
class ScriptEditTest : public testing::Test {
protected:
    void SetUp() override
    {
        fBoot = StandardFolder(B_USER_BOOT_DIRECTORY);
        fHome = StandardFolder(B_USER_DIRECTORY);
        ASSERT_EQ(fBoot.string().rfind(ondelle::test::SandboxRoot().string(), 0), 0u);
        fs::remove_all(fBoot);
        for (const char* leaf : {".profile", ".profile.orig", ".profile.tmp"})
            fs::remove(fHome / leaf);
    }

    fs::path Script() const { return fBoot / "UserBootscript"; }

    fs::path fBoot;
    fs::path fHome;
};

std::string Section(const std::string& tag, const std::string& body)
{
    return "#BEGIN_" + tag + "\n" + body + "\n#END_" + tag + "\n";
}

} // namespace


TEST_F(ScriptEditTest, SampleIsCopiedFirstAndMissingScriptStartsWithAnEmptyLine)
{
    // No script and no sample (and no boot folder): the script is created
    // holding an empty line, then the section.
    EditScriptFile(B_USER_BOOT_DIRECTORY, "UserBootscript", "T", "echo one");
    EXPECT_EQ(ReadFileBytes(Script()), "\n" + Section("T", "echo one"));
    EXPECT_FALSE(fs::exists(fBoot / "UserBootscript.orig"));

    // With a sample: it is copied, then the section appended.
    fs::remove(Script());
    WriteFileBytes(fBoot / "UserBootscript.sample", "# sample\nexport A=1\n");
    EditScriptFile(B_USER_BOOT_DIRECTORY, "UserBootscript", "T", "echo two");
    EXPECT_EQ(ReadFileBytes(Script()), "# sample\nexport A=1\n" + Section("T", "echo two"));
    EXPECT_EQ(ReadFileBytes(fBoot / "UserBootscript.sample"), "# sample\nexport A=1\n");
    EXPECT_FALSE(fs::exists(fBoot / "UserBootscript.tmp"));

    char type[B_MIME_TYPE_LENGTH] = "";
    char app[B_MIME_TYPE_LENGTH] = "";
    BNode node(Script().c_str());
    BNodeInfo info(&node);
    ASSERT_EQ(info.GetType(type), B_OK);
    EXPECT_STREQ(type, "text/plain");
    ASSERT_EQ(info.GetPreferredApp(app), B_OK);
    EXPECT_STREQ(app, "application/x-vnd.Be-STEE");
}


TEST_F(ScriptEditTest, LastLineWithoutLineEndGetsOneBeforeTheSection)
{
    fs::create_directories(fBoot);
    WriteFileBytes(Script(), "echo first\necho no end");
    testing::internal::CaptureStderr();
    EditScriptFile(B_USER_BOOT_DIRECTORY, "UserBootscript", "T", "body");
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("last line\n"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(Script()), "echo first\necho no end\n" + Section("T", "body"));
    EXPECT_EQ(ReadFileBytes(fBoot / "UserBootscript.orig"), "echo first\necho no end");
}


TEST_F(ScriptEditTest, SecondInstallReplacesItsSectionAndKeepsTheRest)
{
    fs::create_directories(fBoot);
    WriteFileBytes(Script(), "before\n");
    EditScriptFile(B_USER_BOOT_DIRECTORY, "UserBootscript", "Prod", "old 1\nold 2");
    // The user adds a line after the section.
    WriteFileBytes(Script(), ReadFileBytes(Script()) + "after\n");
    const std::string beforeSecond = ReadFileBytes(Script());

    EditScriptFile(B_USER_BOOT_DIRECTORY, "UserBootscript", "Prod", "new");
    EXPECT_EQ(ReadFileBytes(Script()), "before\nafter\n" + Section("Prod", "new"));
    EXPECT_EQ(ReadFileBytes(fBoot / "UserBootscript.orig"), beforeSecond);
}


TEST_F(ScriptEditTest, EveryOldSectionOfTheTagGoesAndOthersStay)
{
    fs::create_directories(fBoot);
    WriteFileBytes(Script(), "a\n" + Section("T", "one") + "b\n" + Section("Other", "keep")
        + Section("T", "two") + "c\n");
    EditScriptFile(B_USER_BOOT_DIRECTORY, "UserBootscript", "T", "three");
    EXPECT_EQ(ReadFileBytes(Script()), "a\nb\n" + Section("Other", "keep") + "c\n"
        + Section("T", "three"));
}


TEST_F(ScriptEditTest, BrokenSectionIsLeftAndASecondOneAppended)
{
    fs::create_directories(fBoot);
    const std::string broken = "x\n#BEGIN_T\nold\n";
    WriteFileBytes(Script(), broken);
    EditScriptFile(B_USER_BOOT_DIRECTORY, "UserBootscript", "T", "new");
    EXPECT_EQ(ReadFileBytes(Script()), broken + Section("T", "new"));

    // An end marker alone does not remove anything either.
    WriteFileBytes(Script(), "y\n#END_T\n");
    EditScriptFile(B_USER_BOOT_DIRECTORY, "UserBootscript", "T", "new");
    EXPECT_EQ(ReadFileBytes(Script()), "y\n#END_T\n" + Section("T", "new"));
}


TEST_F(ScriptEditTest, TagThatBeginsALongerTagAlsoRemovesThatSection)
{
    fs::create_directories(fBoot);
    WriteFileBytes(Script(), "keep\n" + Section("AB", "other product"));
    EditScriptFile(B_USER_BOOT_DIRECTORY, "UserBootscript", "A", "mine");
    EXPECT_EQ(ReadFileBytes(Script()), "keep\n" + Section("A", "mine"));

    // The longer tag does not find the shorter one's markers.
    WriteFileBytes(Script(), "keep\n" + Section("A", "short"));
    EditScriptFile(B_USER_BOOT_DIRECTORY, "UserBootscript", "AB", "long");
    EXPECT_EQ(ReadFileBytes(Script()), "keep\n" + Section("A", "short") + Section("AB", "long"));
}


TEST_F(ScriptEditTest, NullBodyOnlyRemovesAndEmptyTagChangesNothing)
{
    fs::create_directories(fBoot);
    const std::string original = "start\n" + Section("T", "gone") + "end\n";
    WriteFileBytes(Script(), original);
    EditScriptFile(B_USER_BOOT_DIRECTORY, "UserBootscript", "T", nullptr);
    EXPECT_EQ(ReadFileBytes(Script()), "start\nend\n");
    EXPECT_EQ(ReadFileBytes(fBoot / "UserBootscript.orig"), original);

    // A null body and no script: nothing is created.
    fs::remove(fBoot / "UserSetupEnvironment");
    EditScriptFile(B_USER_BOOT_DIRECTORY, "UserSetupEnvironment", "T", nullptr);
    EXPECT_FALSE(fs::exists(fBoot / "UserSetupEnvironment"));

    // Empty markers would match every product's sections.
    const std::string shared = Section("One", "1") + Section("Two", "2");
    WriteFileBytes(Script(), shared);
    testing::internal::CaptureStderr();
    EditScriptFile(B_USER_BOOT_DIRECTORY, "UserBootscript", "", "body");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("no tag"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(Script()), shared);
}


TEST_F(ScriptEditTest, ProfileLivesInTheHomeFolderAndKeepsItsPermissions)
{
    WriteFileBytes(fHome / ".profile", "export PATH\n" + Section("P", "old"));
    ::chmod((fHome / ".profile").c_str(), 0750);
    EditScriptFile(B_USER_DIRECTORY, ".profile", "P", "export X=1");
    EXPECT_EQ(ReadFileBytes(fHome / ".profile"), "export PATH\n" + Section("P", "export X=1"));
    struct stat st;
    ASSERT_EQ(::stat((fHome / ".profile").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0750u);
}


TEST_F(ScriptEditTest, LongLinesAreReadInPieces)
{
    // A marker split across two 511-character pieces is not found; one that
    // falls inside a single piece of a long line is.
    fs::create_directories(fBoot);
    const std::string split = std::string(505, 'x') + "#BEGIN_T\n";
    WriteFileBytes(Script(), split + "#END_T\n");
    script_scan scan = ScanScriptFile(Script().c_str(), "T");
    EXPECT_FALSE(scan.beginFound);
    EXPECT_TRUE(scan.endFound);

    const std::string inside = std::string(600, 'y') + "#BEGIN_T\n";
    WriteFileBytes(Script(), inside + "body\n#END_T\nrest\n");
    EditScriptFile(B_USER_BOOT_DIRECTORY, "UserBootscript", "T", nullptr);
    // The long line's first piece is kept; the piece with the marker starts
    // the section that is dropped.
    EXPECT_EQ(ReadFileBytes(Script()), std::string(511, 'y') + "rest\n");
}


TEST(ScriptSections, DeinstallerRemovesOnlyExactCompleteSections)
{
    TempDir dir;
    const fs::path script = dir / "UserBootscript";
    const std::string original = "a\n" + Section("A", "mine 1") + Section("AB", "other")
        + "b\n" + Section("A", "mine 2") + "#BEGIN_A\nunfinished\nlast";
    WriteFileBytes(script, original);
    ::chmod(script.c_str(), 0755);

    EXPECT_EQ(CountTaggedSections(script.c_str(), "A"), 2);
    EXPECT_EQ(RemoveTaggedSections(script.c_str(), "A"), 2);
    EXPECT_EQ(ReadFileBytes(script), "a\n" + Section("AB", "other") + "b\n#BEGIN_A\nunfinished\nlast");
    EXPECT_EQ(ReadFileBytes(dir / "UserBootscript.orig"), original);
    struct stat st;
    ASSERT_EQ(::stat(script.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);

    // Nothing left to remove: the script and its backup stay as they are.
    const std::string after = ReadFileBytes(script);
    EXPECT_EQ(RemoveTaggedSections(script.c_str(), "A"), 0);
    EXPECT_EQ(ReadFileBytes(script), after);
    EXPECT_EQ(ReadFileBytes(dir / "UserBootscript.orig"), original);

    EXPECT_EQ(CountTaggedSections((dir / "missing").c_str(), "A"), 0);
    EXPECT_EQ(RemoveTaggedSections((dir / "missing").c_str(), "A"), 0);
    EXPECT_EQ(RemoveTaggedSections(script.c_str(), ""), 0);
}


TEST_F(ScriptEditTest, JobEditsTheConfiguredScriptsWithTheirLogLines)
{
    TempDir log;
    BMessage configuration;
    configuration.AddBool("opt_log", true);
    configuration.AddBool("edit_bootscript", true);
    configuration.AddString("edit_bootscript_tag", "ProdBoot");
    configuration.AddString("edit_bootscript_contents", "/boot/apps/Prod/server &");
    configuration.AddBool("edit_setup_env", true);
    configuration.AddString("edit_setup_env_tag", "ProdEnv");
    configuration.AddString("edit_setup_env_contents", "export PROD=1");
    configuration.AddBool("edit_profile", false);
    configuration.AddString("edit_profile_tag", "ProdProfile");
    configuration.AddString("edit_profile_contents", "alias p=prod");
    InstallConfig config;
    config = configuration;
    config.OpenLog((log / "Log").c_str());
    config.EditBootScripts();
    const std::string boot = fBoot.string();

    EXPECT_EQ(ReadFileBytes(Script()), "\n" + Section("ProdBoot", "/boot/apps/Prod/server &"));
    EXPECT_EQ(ReadFileBytes(fBoot / "UserSetupEnvironment"), "\n" + Section("ProdEnv", "export PROD=1"));
    // Login shells get the environment through .profile.
    const std::string environment = Section("OndelleEnvironment_ProdEnv", "export PROD=1");
    EXPECT_EQ(ReadFileBytes(fHome / ".profile"), "\n" + environment);

    // Now with the profile too; the other two are replaced in place.
    configuration.ReplaceBool("edit_profile", true);
    config = configuration;
    config.EditBootScripts();
    config.CloseLog();
    EXPECT_EQ(ReadFileBytes(Script()), "\n" + Section("ProdBoot", "/boot/apps/Prod/server &"));
    EXPECT_EQ(ReadFileBytes(fHome / ".profile"),
        "\n" + environment + Section("ProdProfile", "alias p=prod"));
    // The log names the real scripts.
    const std::string profile = (fHome / ".profile").string();
    EXPECT_EQ(ReadFileBytes(log / "Log"),
        "\tAdded script tab ProdBoot to " + boot + "/UserBootscript\n"
        "\tAdded script tab ProdEnv to " + boot + "/UserSetupEnvironment\n"
        "\tAdded script tab OndelleEnvironment_ProdEnv to " + profile + "\n"
        "\tAdded script tab ProdBoot to " + boot + "/UserBootscript\n"
        "\tAdded script tab ProdEnv to " + boot + "/UserSetupEnvironment\n"
        "\tAdded script tab OndelleEnvironment_ProdEnv to " + profile + "\n"
        "\tAdded script tab ProdProfile to " + profile + "\n");
}


TEST_F(ScriptEditTest, BackupNeverReplacesTheUsersOwnOrigFile)
{
    fs::create_directories(fBoot);
    WriteFileBytes(Script(), "mine\n");
    WriteFileBytes(fBoot / "UserBootscript.orig", "the user's own backup\n");

    EditScriptFile(B_USER_BOOT_DIRECTORY, "UserBootscript", "Prod", "first");
    EXPECT_EQ(ReadFileBytes(fBoot / "UserBootscript.orig"), "the user's own backup\n");
    EXPECT_EQ(ReadFileBytes(fBoot / "UserBootscript.orig copy"), "mine\n");

    // The editor's own backup is the one a second edit replaces; the user's
    // file and names further along the series stay untouched.
    const std::string beforeSecond = ReadFileBytes(Script());
    EditScriptFile(B_USER_BOOT_DIRECTORY, "UserBootscript", "Prod", "second");
    EXPECT_EQ(ReadFileBytes(fBoot / "UserBootscript.orig"), "the user's own backup\n");
    EXPECT_EQ(ReadFileBytes(fBoot / "UserBootscript.orig copy"), beforeSecond);
    EXPECT_FALSE(fs::exists(fBoot / "UserBootscript.orig copy 2"));

    // The deinstaller's removal backs up the same way and says where.
    std::string backup;
    EXPECT_EQ(RemoveTaggedSections(Script().c_str(), "Prod", &backup), 1);
    EXPECT_EQ(backup, (fBoot / "UserBootscript.orig copy").string());
    EXPECT_EQ(ReadFileBytes(fBoot / "UserBootscript.orig"), "the user's own backup\n");
    EXPECT_EQ(ReadFileBytes(Script()), "mine\n");
}


TEST_F(ScriptEditTest, ScriptThatIsALinkKeepsItsLinkAndTheTargetIsEdited)
{
    fs::create_directories(fHome / "dotfiles");
    const fs::path target = fHome / "dotfiles/profile";
    WriteFileBytes(target, "export A=1\n");
    fs::create_symlink("dotfiles/profile", fHome / ".profile");

    EditScriptFile(B_USER_DIRECTORY, ".profile", "Prod", "export B=2");
    EXPECT_TRUE(fs::is_symlink(fHome / ".profile"));
    EXPECT_EQ(fs::read_symlink(fHome / ".profile"), fs::path("dotfiles/profile"));
    EXPECT_EQ(ReadFileBytes(target), "export A=1\n" + Section("Prod", "export B=2"));
    EXPECT_EQ(ReadFileBytes(fHome / "dotfiles/profile.orig"), "export A=1\n");

    // A second edit goes through the tmp copy and must still keep the link.
    EditScriptFile(B_USER_DIRECTORY, ".profile", "Prod", "export B=3");
    EXPECT_TRUE(fs::is_symlink(fHome / ".profile"));
    EXPECT_EQ(ReadFileBytes(target), "export A=1\n" + Section("Prod", "export B=3"));

    EXPECT_EQ(RemoveTaggedSections((fHome / ".profile").c_str(), "Prod"), 1);
    EXPECT_TRUE(fs::is_symlink(fHome / ".profile"));
    EXPECT_EQ(ReadFileBytes(target), "export A=1\n");
    fs::remove(fHome / ".profile");
    fs::remove_all(fHome / "dotfiles");
}
