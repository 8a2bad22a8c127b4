// What a job leaves in the temporary folder (nothing, also after a stop or
// after a run that was killed outright), one job at a time per
// installation folder, and items whose reports must match what happened:
// links placed by a relative target, names with a trailing "/", a missing
// installation folder name.
#include "InstallTestSupport.h"

#include <FindDirectory.h>
#include <LockFile.h>
#include <Path.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace installtest;
using ondelle::test::ReadFileBytes;
using ondelle::test::WriteFileBytes;

namespace {

constexpr int32 kUserSettings = B_USER_SETTINGS_DIRECTORY;

fs::path TempFolder()
{
    BPath temp;
    find_directory(B_COMMON_TEMP_DIRECTORY, &temp, true);
    return temp.Path();
}

// Entries of folder whose name holds part.
std::vector<fs::path> EntriesNamed(const fs::path& folder, const std::string& part)
{
    std::vector<fs::path> found;
    std::error_code error;
    for (auto it = fs::directory_iterator(folder, error); !error && it != fs::directory_iterator();
         it.increment(error))
        if (it->path().filename().string().find(part) != std::string::npos)
            found.push_back(it->path());
    return found;
}

// The id of a process that has ended.
pid_t DeadProcess()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

} // namespace

TEST(InstallLock, ASecondJobForTheSameFolderIsRefusedAndTouchesNothing)
{
    InstallFixture fixture;
    fixture.Add("a.txt", "new");
    fixture.Load();
    // The folder of a job that is running.
    fs::create_directories(fixture.InstallFolder());
    WriteFileBytes(fixture.InstallFolder() / "a.txt", "being installed");
    const std::string lockPath = InstallConfig::InstallLockPath(fixture.Destination().c_str(),
        fixture.Description().optCreatedFolder.c_str());
    {
        BLockFile running;
        ASSERT_EQ(running.TryLock(lockPath.c_str()), B_OK);
        EXPECT_EQ(fixture.Run(), INSTALL_RESULT_NO_FOLDER);
        const std::vector<BAlertRequest> questions = fixture.Presenter().Questions();
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_EQ(questions[0].text, "Another installation into '" + fixture.InstallFolder().string()
                + "' is running. Wait until it has finished, then install again.");
        EXPECT_EQ(ReadFileBytes(fixture.InstallFolder() / "a.txt"), "being installed")
            << "the running job's folder stays where it is";
    }

    // Once the first job has ended the next one runs, and leaves no lock.
    InstallFixture next;
    next.Add("a.txt", "new");
    next.Load();
    next.SetDestination(fixture.Destination());
    EXPECT_EQ(next.Run(), INSTALL_RESULT_DONE);
    EXPECT_EQ(ReadFileBytes(fixture.InstallFolder() / "a.txt"), "new");
    EXPECT_FALSE(fs::exists(fs::symlink_status(lockPath)));
}

TEST(InstallStop, AStopRemovesTheWorkingFolderOfTheItemBeingUnpacked)
{
    InstallFixture fixture;
    for (int index = 0; index < 3; index++)
        fixture.Add("big" + std::to_string(index) + ".bin", RandomBytes(8 << 20, unsigned(index)));
    fixture.Load();
    const std::string mine = "ondelle-item-" + std::to_string(::getpid()) + "-";
    ASSERT_TRUE(EntriesNamed(TempFolder(), mine).empty());
    fixture.Start();

    // Stop as soon as an item's working folder exists.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool seen = false;
    while (!seen && !fixture.Recorder().Ended() && std::chrono::steady_clock::now() < deadline) {
        seen = !EntriesNamed(TempFolder(), mine).empty() || !EntriesNamed(fixture.InstallFolder(), mine).empty();
        if (!seen)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    ASSERT_TRUE(seen) << "no working folder was seen before the job ended";
    fixture.Config().Kill();

    EXPECT_TRUE(EntriesNamed(TempFolder(), mine).empty());
    EXPECT_TRUE(EntriesNamed(fixture.InstallFolder(), mine).empty());
}

TEST(InstallStop, WorkingFoldersOfRunsThatDiedAreRemovedByTheNextRun)
{
    const fs::path temp = TempFolder();
    const pid_t dead = DeadProcess();
    const fs::path staleItem = temp / ("ondelle-item-" + std::to_string(dead) + "-17");
    const fs::path staleUnpack = temp / ("ondelle-unpack-" + std::to_string(dead) + "-18");
    const fs::path alive = temp / "ondelle-item-1-19";
    const fs::path own = temp / ("ondelle-item-" + std::to_string(::getpid()) + "-20");
    const fs::path notAFolder = temp / ("ondelle-item-" + std::to_string(dead) + "-21");
    const fs::path link = temp / ("ondelle-item-" + std::to_string(dead) + "-22");
    const fs::path unrelated = temp / ("someone-" + std::to_string(dead) + "-23");
    for (const fs::path& folder : {staleItem, staleUnpack, alive, own, unrelated})
        fs::create_directories(folder);
    WriteFileBytes(staleItem / "archive.zip", std::string(1000, 'x'));
    WriteFileBytes(notAFolder, "a file");
    fs::create_directory_symlink(own, link);

    InstallFixture fixture;
    fixture.Add("a.txt", "a");
    fixture.Load();
    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);

    EXPECT_FALSE(fs::exists(staleItem));
    EXPECT_FALSE(fs::exists(staleUnpack));
    EXPECT_TRUE(fs::exists(alive)) << "its process still runs";
    EXPECT_TRUE(fs::exists(own)) << "a folder of this very process";
    EXPECT_TRUE(fs::is_regular_file(notAFolder));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::exists(unrelated));
    for (const fs::path& entry : {alive, own, notAFolder, link, unrelated})
        fs::remove_all(entry);
}

TEST(InstallReports, ARelativeLinkGoesOnlyWhereItPointsAtSomething)
{
    InstallFixture fixture;
    fixture.AddCustomFolder("Data", kUserSettings, "linked", false);
    fixture.AddCustomFolder("Elsewhere", kUserSettings, "elsewhere", false);
    fixture.Add("data.txt", "the data").destination = "Data";
    fixture.Add("current", "").destination = "Data";
    fixture.Add("stray", "").destination = "Elsewhere";
    for (const char* leaf : {"current", "stray"}) {
        fs::remove(fixture.Root() / "payload" / leaf);
        fs::create_symlink("data.txt", fixture.Root() / "payload" / leaf);
    }
    fixture.Load();
    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);

    const fs::path data = StandardFolder(kUserSettings) / "linked";
    const fs::path elsewhere = StandardFolder(kUserSettings) / "elsewhere";
    // Beside its target the link works and is reported as placed.
    ASSERT_TRUE(fs::is_symlink(data / "current"));
    EXPECT_EQ(ReadFileBytes(data / "current"), "the data");
    // Where it would point at nothing it is not placed, and the log and the
    // failure list say so; it stays in the installation folder.
    EXPECT_FALSE(fs::exists(fs::symlink_status(elsewhere / "stray")));
    EXPECT_TRUE(fs::is_symlink(fixture.InstallFolder() / "stray"));
    const auto lines = fixture.LogLines();
    EXPECT_TRUE(HasLine(lines, "\t\t\tPlaced in " + data.string()));
    EXPECT_TRUE(HasLine(lines, "\t\t\tUnable to place item in " + elsewhere.string()));
    const ListNode<LibString>* failed = fixture.Config().FailedItems().OldestNode();
    ASSERT_NE(failed, nullptr);
    EXPECT_EQ(failed->Newer(), nullptr);
    EXPECT_EQ(std::string((const char*)*failed->Item()),
        "stray (it is a link that would point at nothing in " + elsewhere.string() + ")");
    fs::remove_all(data);
    fs::remove_all(elsewhere);
}

TEST(InstallReports, ATrailingSlashInTheItemsNameIsIgnored)
{
    InstallFixture fixture;
    fixture.Add("notes.txt", "notes");
    fixture.Load();
    BMessage instructions;
    ASSERT_EQ(fixture.Config().FindMessage("install_instructions", &instructions), B_OK);
    BMessage item;
    ASSERT_EQ(instructions.FindMessage("install_file", 0, &item), B_OK);
    const char* name = nullptr;
    ASSERT_EQ(item.FindString("file_name", &name), B_OK);
    const std::string slashed = std::string(name) + "/";
    item.ReplaceString("file_name", slashed.c_str());
    instructions.ReplaceMessage("install_file", 0, &item);
    fixture.Config().ReplaceMessage("install_instructions", &instructions);

    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
    EXPECT_EQ(ReadFileBytes(fixture.InstallFolder() / "notes.txt"), "notes");
    EXPECT_EQ(fixture.Config().FailedItems().Size(), 0);
    EXPECT_TRUE(HasLine(fixture.LogLines(), "\t\tInstalling : notes.txt"));
}

TEST(InstallReports, WithoutAnInstallationFolderNameNothingIsSaidToExist)
{
    for (const bool remove : {false, true}) {
        InstallFixture fixture;
        fixture.Add("a.txt", "a");
        fixture.Load();
        WriteFileBytes(fixture.Destination() / "mine.txt", "the user's");
        if (remove)
            fixture.Config().RemoveName("opt_created_folder");
        else
            fixture.Config().ReplaceString("opt_created_folder", "");
        // The destination itself exists, but it is no earlier installation.
        EXPECT_FALSE(fixture.Config().DoesDestinationExist());
        EXPECT_FALSE(fixture.Config().HasUsableCreatedFolder());
        EXPECT_EQ(fixture.Run(), INSTALL_RESULT_NO_FOLDER);
        EXPECT_EQ(ReadFileBytes(fixture.Destination() / "mine.txt"), "the user's");
    }
}

TEST(InstallWorkFolders, AFolderPlantedInTheTemporaryFolderIsNeverInstalledAsTheDeinstaller)
{
    // Someone else's folder at the name the deinstaller's archive carries.
    const fs::path planted = TempFolder() / "Undelle";
    fs::create_directories(planted);
    WriteFileBytes(planted / "payload", "planted");

    InstallFixture fixture;
    fixture.Add("a.txt", "a");
    fixture.Load();
    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
    const fs::path deinstaller = fixture.InstallFolder() / "Tern 1.5 Deinstaller";
    ASSERT_TRUE(fs::is_regular_file(deinstaller));
    EXPECT_EQ(ReadFileBytes(deinstaller).rfind(StandInDeinstaller(""), 0), 0u);
    EXPECT_EQ(ReadFileBytes(planted / "payload"), "planted") << "left alone";
    fs::remove_all(planted);
}
