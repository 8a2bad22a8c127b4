// Where the help window takes its help file from, and how "-help FILE"
// stores one into a program.
#include "HelpViewerFixture.h"

#include <LibAppResource.h>

#include <sys/stat.h>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::WriteFileBytes;

namespace {

// A help file whose only entry names where it came from.
std::string Marked(const char* where)
{
    return std::string("<CONTENTS><CONTENT PAGE=\"p\" VIEW=\"Main/ok\">") + where
        + "</CONTENT></CONTENTS>\n<PAGE NAME=\"p\">" + where + "</PAGE>\n";
}

ino_t Inode(const fs::path& path)
{
    struct stat info = {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

} // namespace

class HelpFileSourceTest : public HelpViewerTest {
protected:
    // A program file (an empty resource file) carrying the help file at
    // helpPath, packed under its leaf name.
    fs::path ProgramWithHelp(const fs::path& helpPath)
    {
        const fs::path program = fDir / "program";
        WriteFileBytes(program, "");
        HelpManager storing;
        storing.SetProgramPath(program.c_str());
        EXPECT_TRUE(storing.AddHelpFile(helpPath.c_str()));
        return program;
    }
};

TEST_F(HelpFileSourceTest, OnlyTheProgramsOwnHelpIsReadNeverAFileInASharedPlace)
{
    const fs::path packed = fDir / "packed" / kHelpName;
    fs::create_directories(packed.parent_path());
    WriteHelp(packed, Marked("resource"));
    Manager().SetProgramPath(ProgramWithHelp(packed).c_str());
    // Files of the help's name planted in the working folder and the shared
    // temporary folder (another user's text) are never shown.
    WriteHelp(TempCopy(), Marked("temporary"));
    WriteHelp(fWork / kHelpName, Marked("working"));

    Ask("Main", {"ok"});
    EXPECT_EQ(Selected(), "resource");
    EXPECT_TRUE(PaneShows("resource"));
    // Unpacked into a folder of the window's own, readable by the user
    // only, which goes with the window; the planted files stay untouched.
    const fs::path read = Manager().Window()->HelpPath();
    EXPECT_EQ(read.filename(), kHelpName);
    EXPECT_NE(read.parent_path(), TempCopy().parent_path());
    EXPECT_EQ(fs::status(read.parent_path()).permissions() & (fs::perms::group_all | fs::perms::others_all),
        fs::perms::none);
    Manager().CloseWindow();
    EXPECT_FALSE(fs::exists(read.parent_path()));
    EXPECT_EQ(ReadFileBytes(TempCopy()), Marked("temporary"));
    EXPECT_EQ(ReadFileBytes(fWork / kHelpName), Marked("working"));
}

TEST_F(HelpFileSourceTest, AFifoPlantedUnderTheHelpsNameDoesNotBlockTheWindow)
{
    const fs::path packed = fDir / "packed" / kHelpName;
    fs::create_directories(packed.parent_path());
    WriteHelp(packed, Marked("resource"));
    Manager().SetProgramPath(ProgramWithHelp(packed).c_str());
    // Opening one of these for reading would wait for a writer forever.
    fs::remove(TempCopy());
    ASSERT_EQ(::mkfifo(TempCopy().c_str(), 0666), 0);
    ASSERT_EQ(::mkfifo((fWork / kHelpName).c_str(), 0666), 0);
    Ask("Main", {"ok"});
    EXPECT_EQ(Selected(), "resource");
    Manager().CloseWindow();
    EXPECT_EQ(fs::status(TempCopy()).type(), fs::file_type::fifo);
    fs::remove(TempCopy());
}

TEST_F(HelpFileSourceTest, HelpStoredUnderAnotherNameOrMissingGivesAnEmptyContents)
{
    const fs::path other = fDir / "other.help";
    WriteHelp(other, Marked("other"));
    Manager().SetProgramPath(ProgramWithHelp(other).c_str());
    Ask("Main", {"ok"});
    ASSERT_NE(Manager().Window(), nullptr);
    EXPECT_EQ(Manager().Window()->CountEntries(), 0);
    EXPECT_EQ(Selected(), "");
    Manager().CloseWindow();

    // A program without any help resource.
    const fs::path bare = fDir / "bare";
    WriteFileBytes(bare, "");
    Manager().SetProgramPath(bare.c_str());
    Ask("Main", {"ok"});
    EXPECT_EQ(Manager().Window()->CountEntries(), 0);
}

TEST_F(HelpFileSourceTest, AddHelpFileReplacesTheProgramFileWhole)
{
    const fs::path help = fDir / kHelpName;
    WriteHelp(help);
    const fs::path program = fDir / "program";
    WriteFileBytes(program, "");
    const ino_t before = Inode(program);

    HelpManager manager;
    manager.SetProgramPath(program.c_str());
    ASSERT_TRUE(manager.AddHelpFile(help.c_str()));
    // Written beside and renamed over: a new file, never the old one
    // rewritten in place.
    EXPECT_NE(Inode(program), before);
    {
        LibAppResource resources(program.c_str(), B_READ_ONLY);
        const char* name = nullptr;
        size_t size = 0;
        ASSERT_TRUE(resources.GetResourceInfo(B_RAW_TYPE, HelpManager::kResourceId, &name, &size));
        EXPECT_STREQ(name, HelpManager::kResourceName);
    }
    // Storing again replaces the help; the window then reads it back.
    WriteHelp(help, Marked("again"));
    ASSERT_TRUE(manager.AddHelpFile(help.c_str()));
    Manager().SetProgramPath(program.c_str());
    Ask("Main", {"ok"});
    EXPECT_EQ(Selected(), "again");
}

TEST_F(HelpFileSourceTest, AddHelpFileRefusesAMissingFileAndLeavesTheProgram)
{
    const fs::path program = fDir / "program";
    WriteFileBytes(program, "unchanged");
    HelpManager manager;
    manager.SetProgramPath(program.c_str());
    EXPECT_FALSE(manager.AddHelpFile((fDir / "absent.help").c_str()));
    EXPECT_FALSE(manager.AddHelpFile(nullptr));
    EXPECT_EQ(ReadFileBytes(program), "unchanged");

    // A program that cannot be written to fails without harm.
    const fs::path help = fDir / kHelpName;
    WriteHelp(help);
    manager.SetProgramPath((fDir / "no folder" / "program").c_str());
    EXPECT_FALSE(manager.AddHelpFile(help.c_str()));
}
