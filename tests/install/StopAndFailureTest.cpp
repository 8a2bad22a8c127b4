// A job stopped in the middle changes nothing afterwards; items that cannot
// be installed are named in the log, in the failed-item list and in the
// completion message; a destination on a second volume.
#include "InstallTestSupport.h"

#include <DeinstallerConfig.h>

#include <FindDirectory.h>
#include <Path.h>
#include <LibAppResource.h>
#include <Resources.h>
#include <Volume.h>
#include <TypeConstants.h>

#include <OS.h>

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>

using namespace installtest;
using ondelle::test::ReadFileBytes;
using ondelle::test::WriteFileBytes;

namespace {

constexpr int32 kUserSettings = B_USER_SETTINGS_DIRECTORY;

// Every entry below root with its size and modification time.
std::map<std::string, std::pair<uintmax_t, time_t>> Snapshot(const fs::path& root)
{
    std::map<std::string, std::pair<uintmax_t, time_t>> entries;
    if (!fs::exists(root))
        return entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        struct stat st;
        if (::lstat(entry.path().c_str(), &st) == 0)
            entries[entry.path().string()] = {uintmax_t(st.st_size), st.st_mtime};
    }
    return entries;
}

// The same for files and links only: a folder's time tells when an entry
// last came or went.
std::map<std::string, std::pair<uintmax_t, time_t>> FilesBelow(const fs::path& root)
{
    auto entries = Snapshot(root);
    std::erase_if(entries, [](const auto& entry) {
        return fs::is_directory(fs::symlink_status(entry.first));
    });
    return entries;
}

} // namespace

TEST(InstallStop, StopInTheMiddleChangesNothingAfterwards)
{
    InstallFixture fixture;
    fixture.AddCustomFolder("Data", kUserSettings, "stopped", false);
    constexpr int kItems = 40;
    for (int index = 0; index < kItems; index++) {
        ProductItem& item = fixture.Add("part" + std::to_string(index) + ".bin",
            RandomBytes(400 * 1024, unsigned(index)));
        item.destination = "Data";
        item.link = "User Selected";
    }
    fixture.Load();
    fixture.Start();

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool reached = false;
    while (!reached && std::chrono::steady_clock::now() < deadline) {
        for (const std::string& status : fixture.Recorder().Statuses())
            reached = reached || status.rfind("Installing 3 of", 0) == 0;
        if (!reached)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(reached);
    // The user chose to keep what was installed so far.
    fixture.Config().SetKeepOnStop(true);
    fixture.Config().Kill();

    const fs::path data = StandardFolder(kUserSettings) / "stopped";
    auto before = Snapshot(fixture.Destination());
    auto dataBefore = Snapshot(data);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(Snapshot(fixture.Destination()), before);
    EXPECT_EQ(Snapshot(data), dataBefore);
    EXPECT_FALSE(fixture.Recorder().Ended()) << "a stopped job sends no end message";
    // Kept: the first items stay placed, the rest never come.
    EXPECT_TRUE(fs::exists(data / "part0.bin"));
    EXPECT_FALSE(fs::exists(data / ("part" + std::to_string(kItems - 1) + ".bin")));
    EXPECT_LT(fixture.Recorder().Statuses().size(), size_t(kItems));
}

TEST(InstallStop, AStopTakesBackEverythingAndTheRetrySimplyWorks)
{
    InstallFixture fixture;
    fixture.AddCustomFolder("Data", kUserSettings, "rolled", false);
    const fs::path data = StandardFolder(kUserSettings) / "rolled";
    fs::create_directories(data);
    // The user's own entries: one an item replaces, one an item renames.
    WriteFileBytes(data / "part1.bin", "the user's own part1");
    WriteFileBytes(data / "part2.bin", "the user's own part2");
    fs::last_write_time(data / "part1.bin", fs::file_time_type::clock::now() - std::chrono::hours(48));
    const auto userTime = fs::last_write_time(data / "part1.bin");
    constexpr int kItems = 30;
    for (int index = 0; index < kItems; index++) {
        ProductItem& item = fixture.Add("part" + std::to_string(index) + ".bin",
            RandomBytes(300 * 1024, unsigned(index)));
        item.destination = "Data";
        item.destinationExists = index == 2 ? "Rename" : "Replace";
        item.link = "User Selected";
    }
    fixture.Load();
    const auto before = FilesBelow(fixture.Root());
    fixture.Start();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool reached = false;
    while (!reached && std::chrono::steady_clock::now() < deadline) {
        for (const std::string& status : fixture.Recorder().Statuses())
            reached = reached || status.rfind("Installing 5 of", 0) == 0;
        if (!reached)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(reached);
    std::string what;
    ASSERT_TRUE(fixture.Config().StopJob("stopped by the user", what));
    EXPECT_NE(what.find("taken back"), std::string::npos) << what;

    // As before the install: the user's files back with their times, the
    // installation folder, its lock and the journal gone.
    EXPECT_EQ(ReadFileBytes(data / "part1.bin"), "the user's own part1");
    EXPECT_EQ(fs::last_write_time(data / "part1.bin"), userTime);
    EXPECT_EQ(ReadFileBytes(data / "part2.bin"), "the user's own part2");
    EXPECT_FALSE(fs::exists(data / "part2.bin copy"));
    EXPECT_FALSE(fs::exists(data / "part3.bin"));
    EXPECT_FALSE(fs::exists(fixture.InstallFolder()));
    EXPECT_EQ(FilesBelow(fixture.Root()), before);
    EXPECT_FALSE(fixture.Config().HasInterruptedInstall());

    // A retry needs no question and installs everything.
    fixture.Recorder().Reset();
    fixture.Config().SetKeepOnStop(false);
    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
    EXPECT_TRUE(fs::exists(data / ("part" + std::to_string(kItems - 1) + ".bin")));
    EXPECT_EQ(ReadFileBytes(data / "part2.bin copy"), "the user's own part2");
    EXPECT_EQ(fixture.Config().FailedItems().Size(), 0);
    for (const auto& entry : fs::directory_iterator(data))
        EXPECT_NE(entry.path().filename().string().rfind(".ondelle-", 0), 0u) << entry.path();
}

TEST(InstallFailures, ItemsThatCannotBeInstalledAreNamed)
{
    InstallFixture fixture;
    fixture.AddCustomFolder("Blocked", kUserSettings, "blocked-by-file/inner", false);
    fixture.AddCustomFolder("Kept", kUserSettings, "kept", false);
    const fs::path kept = StandardFolder(kUserSettings) / "kept";
    fs::create_directories(kept);
    WriteFileBytes(kept / "missing.txt", "the user's own file");
    WriteFileBytes(StandardFolder(kUserSettings) / "blocked-by-file", "a file where a folder should be");

    fixture.Add("fine.txt", "fine");
    ProductItem& missing = fixture.Add("missing.txt", "never arrives");
    missing.destination = "Kept";
    missing.destinationExists = "Replace";
    fixture.Add("damaged.txt", "damaged");
    fixture.Add("blocked.txt", "blocked").destination = "Blocked";
    fixture.Load();
    {
        LibAppResource resources(fixture.Build().c_str(), B_READ_WRITE);
        ASSERT_EQ(resources.InitCheck(), B_OK);
        ASSERT_EQ(resources.RemoveResource(B_RAW_TYPE, 2101), B_OK);
        ASSERT_EQ(resources.RemoveResource(B_RAW_TYPE, 2102), B_OK);
        const std::string broken = std::string("PK\x03\x04", 4) + " broken";
        ASSERT_EQ(resources.AddResource(B_RAW_TYPE, 2102, broken.data(), broken.size(), "damaged.txt"), B_OK);
    }
    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);

    // The job went on: the good item is there, nothing was rolled back, and
    // the user's file where the missing item would have gone is untouched.
    const fs::path install = fixture.InstallFolder();
    EXPECT_EQ(ReadFileBytes(install / "fine.txt"), "fine");
    EXPECT_EQ(ReadFileBytes(kept / "missing.txt"), "the user's own file");
    EXPECT_FALSE(fs::exists(install / "damaged.txt"));
    EXPECT_EQ(ReadFileBytes(install / "blocked.txt"), "blocked");

    std::vector<std::string> failed;
    for (const ListNode<LibString>* node = fixture.Config().FailedItems().OldestNode(); node != nullptr;
            node = node->Newer())
        failed.push_back((const char*)*node->Item());
    const std::string blockedFolder = (StandardFolder(kUserSettings) / "blocked-by-file/inner").string();
    EXPECT_EQ(failed, (std::vector<std::string>{
        "missing.txt (the installer holds no archive for it)",
        "damaged.txt (its archive is damaged)",
        "blocked.txt (it could not be moved to " + blockedFolder + ")"}));

    std::vector<std::string> log = fixture.LogLines();
    auto has = [&log](const std::string& line) { return std::find(log.begin(), log.end(), line) != log.end(); };
    EXPECT_TRUE(has("\t\t\tUnable to extract missing.txt: the installer holds no archive for it"));
    EXPECT_TRUE(has("\t\t\tUnable to extract damaged.txt: its archive is damaged"));
    EXPECT_TRUE(has("\t\t\tUnable to place item in " + blockedFolder));
    EXPECT_FALSE(has("\t\t\tPlaced in " + blockedFolder));

    LibString summary;
    fixture.Config().FailureSummary(summary);
    EXPECT_STREQ((const char*)summary,
        ("Installation completed, but 3 items could not be installed:\n"
         "\nmissing.txt (the installer holds no archive for it)"
         "\ndamaged.txt (its archive is damaged)"
         "\nblocked.txt (it could not be moved to " + blockedFolder + ")"
         "\n\nThe install log in the installation folder tells what happened.").c_str());
    bool shown = false;
    for (const BAlertRequest& request : fixture.Presenter().Questions()) {
        shown = shown || request.text.find("3 items could not be installed") != std::string::npos;
        EXPECT_EQ(request.text.find("Installation successfully completed."), std::string::npos);
    }
    EXPECT_TRUE(shown);
}

TEST(InstallFailures, NothingFailedLeavesTheSummaryEmpty)
{
    InstallFixture fixture;
    fixture.Description().optLog = false;
    fixture.Add("one.txt", "1");
    fixture.Load();
    {
        LibAppResource resources(fixture.Build().c_str(), B_READ_WRITE);
        ASSERT_EQ(resources.RemoveResource(B_RAW_TYPE, 2100), B_OK);
    }
    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);
    LibString summary;
    fixture.Config().FailureSummary(summary);
    // Without a log the summary does not point to one.
    EXPECT_STREQ((const char*)summary, "Installation completed, but 1 item could not be installed:\n"
        "\none.txt (the installer holds no archive for it)");

    InstallFixture clean;
    clean.Add("two.txt", "2");
    clean.Load();
    EXPECT_EQ(clean.Run(), INSTALL_RESULT_DONE);
    clean.Config().FailureSummary(summary);
    EXPECT_EQ(summary.Length(), 0);
    bool plain = false;
    for (const BAlertRequest& request : clean.Presenter().Questions())
        plain = plain || request.text == "Installation successfully completed.";
    EXPECT_TRUE(plain);
}

TEST(InstallVolumes, CustomFoldersFollowTheDestinationVolume)
{
    InstallFixture fixture;
    const fs::path mountPoint = fixture.Root() / "second-volume";
    fs::create_directories(mountPoint);
    if (::mount("tern-test", mountPoint.c_str(), "tmpfs", 0, "size=16m") != 0)
        GTEST_SKIP() << "cannot mount a second volume here (needs CAP_SYS_ADMIN); not tested";
    struct Unmount {
        fs::path point;
        ~Unmount() { ::umount2(point.c_str(), MNT_DETACH); }
    } unmount{mountPoint};

    fixture.AddCustomFolder("Volume Settings", kUserSettings, "tern", false);
    fixture.Add("custom.txt", "custom").destination = "Volume Settings";
    fixture.Add("standard.txt", "standard").destination = "User Settings";
    fs::create_directories(mountPoint / "chosen");
    fixture.SetDestination(mountPoint / "chosen");
    fixture.Load();
    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);

    struct stat st;
    ASSERT_EQ(::stat(mountPoint.c_str(), &st), 0);
    BPath onVolume;
    BVolume second(st.st_dev);
    ASSERT_EQ(find_directory(B_USER_SETTINGS_DIRECTORY, &onVolume, false, &second), B_OK);
    EXPECT_EQ(ReadFileBytes(fs::path(onVolume.Path()) / "tern/custom.txt"), "custom");
    EXPECT_EQ(std::string(onVolume.Path()).rfind(mountPoint.string(), 0), 0u) << onVolume.Path();
    EXPECT_EQ(ReadFileBytes(StandardFolder(kUserSettings) / "standard.txt"), "standard");
    EXPECT_TRUE(fs::exists(mountPoint / "chosen/Tern/Log"));
}

namespace {

// A small tmpfs mounted at point for the length of a test.
class SmallVolume {
public:
    SmallVolume(const fs::path& point, const char* size) : fPoint(point)
    {
        fs::create_directories(point);
        const std::string options = std::string("size=") + size;
        fMounted = ::mount("tern-small", point.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallVolume()
    {
        if (fMounted)
            ::umount2(fPoint.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return fMounted; }
    std::string Name() const
    {
        struct stat st;
        char name[B_FILE_NAME_LENGTH] = "";
        if (::stat(fPoint.c_str(), &st) == 0)
            BVolume(st.st_dev).GetName(name);
        return name;
    }

private:
    fs::path fPoint;
    bool fMounted = false;
};

// Claims a size of one byte for every item, so that the job gets past the
// free-space check and meets the full volume while it unpacks.
void UnderstateSizes(InstallConfig& config)
{
    BMessage* instructions = config.EditMessagePointer("install_instructions");
    ASSERT_NE(instructions, nullptr);
    for (int32 index = 0;; index++) {
        BMessage* item = instructions->EditMessagePointer("install_file", index);
        if (item == nullptr)
            break;
        item->ReplaceInt32("file_size", 0, 1);
    }
    config.InstallItemsChanged();
}

} // namespace

TEST(InstallVolumes, FullVolumeIsNamedNotTakenForADamagedArchive)
{
    InstallFixture fixture;
    SmallVolume small(fixture.Root() / "small", "3m");
    if (!small.Mounted())
        GTEST_SKIP() << "cannot mount a small volume here (needs CAP_SYS_ADMIN); not tested";
    // Random bytes do not shrink in the archive. Archives are read in place
    // from the build, so neither item takes room before it is unpacked; each
    // is larger than the volume and fails while it is being unpacked.
    fixture.Add("unpacks.bin", RandomBytes(7 << 19, 1));
    fixture.Add("archive.bin", RandomBytes(4 << 20, 2));
    fs::create_directories(fixture.Root() / "small/chosen");
    fixture.SetDestination(fixture.Root() / "small/chosen");
    fixture.Load();
    UnderstateSizes(fixture.Config());
    EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE);

    const std::string full = "the volume \"" + small.Name() + "\" is full";
    std::vector<std::string> failed;
    for (const ListNode<LibString>* node = fixture.Config().FailedItems().OldestNode(); node != nullptr;
            node = node->Newer())
        failed.push_back((const char*)*node->Item());
    EXPECT_EQ(failed, (std::vector<std::string>{"unpacks.bin (" + full + ")", "archive.bin (" + full + ")"}));
    const fs::path install = fixture.Root() / "small/chosen" / fixture.Description().optCreatedFolder;
    const std::string log = ReadFileBytes(install / "Log");
    EXPECT_NE(log.find("\t\t\tUnable to extract unpacks.bin: " + full + "\n"), std::string::npos) << log;
    EXPECT_NE(log.find("\t\t\tUnable to extract archive.bin: " + full + "\n"), std::string::npos) << log;
    bool named = false;
    for (const BAlertRequest& request : fixture.Presenter().Questions()) {
        named = named || request.text.find("unpacks.bin (" + full + ")") != std::string::npos;
        EXPECT_EQ(request.text.find("damaged"), std::string::npos) << request.text;
    }
    EXPECT_TRUE(named);
    // Nothing half-unpacked is left on the volume.
    EXPECT_FALSE(fs::exists(install / "unpacks.bin"));
}

namespace {

// Answers the question about the first item only once the unpacking worker
// has finished the item after it (it then waits for the job), and first
// gives the volume its room back. Every other question takes its default.
class RoomAfterTheWorkerPresenter : public BAlertPresenter {
public:
    RoomAfterTheWorkerPresenter(fs::path filler, fs::path install)
        : fFiller(std::move(filler)), fInstall(std::move(install))
    {
    }

    BAlertAnswer Ask(const BAlertRequest& request) override
    {
        if (request.kind == "replace" && !fAnswered) {
            fAnswered = true;
            fWorkerDone = WaitForTheWorker();
            // The first item was moved out already; the failed unpack
            // ahead must not hold room until its turn either.
            for (const auto& entry : fs::directory_iterator(fInstall))
                fHeld += entry.path().filename().string().rfind(".ondelle-item-", 0) == 0 ? 1 : 0;
            fs::remove(fFiller);
        }
        return BAlertAnswer{request.defaultButton, false};
    }
    status_t Notify(const BAlertRequest&) override { return B_OK; }
    bool WorkerDone() const { return fWorkerDone; }
    int HeldWorkFolders() const { return fHeld; }

private:
    static bool WaitForTheWorker()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < deadline) {
            thread_info info;
            const thread_id worker = find_thread("unpack items");
            if (worker >= 0 && get_thread_info(worker, &info) == B_OK && info.state == B_THREAD_WAITING)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    fs::path fFiller;
    fs::path fInstall;
    int fHeld = 0;
    bool fAnswered = false;
    bool fWorkerDone = false;
};

} // namespace

TEST(InstallVolumes, AnItemUnpackedAheadIntoAFullVolumeIsUnpackedAgainAtItsTurnAndNothingIsSaidOfIt)
{
    InstallFixture fixture;
    SmallVolume small(fixture.Root() / "small", "4m");
    if (!small.Mounted())
        GTEST_SKIP() << "cannot mount a small volume here (needs CAP_SYS_ADMIN); not tested";
    // The first item goes to a custom folder and asks about the entry in
    // its way; while the job waits for the answer, the one worker unpacks
    // the second item ahead and finds the volume full. The answer comes
    // after the volume has room again: the second item fits at its turn.
    fixture.Description().deinstaller.clear();
    fixture.AddCustomFolder("Elsewhere", kUserSettings, "room-elsewhere", false);
    ProductItem& first = fixture.Add("first.txt", "first item\n");
    first.destination = "Elsewhere";
    first.destinationExists = "Prompt";
    const std::string large = RandomBytes(3 << 19, 5);
    fixture.Add("large.bin", large);
    fs::create_directories(fixture.Root() / "small/chosen");
    // Custom folders follow the destination's volume.
    struct stat st;
    ASSERT_EQ(::stat((fixture.Root() / "small").c_str(), &st), 0);
    BPath settings;
    BVolume volume(st.st_dev);
    ASSERT_EQ(find_directory(B_USER_SETTINGS_DIRECTORY, &settings, true, &volume), B_OK);
    fs::create_directories(fs::path(settings.Path()) / "room-elsewhere");
    WriteFileBytes(fs::path(settings.Path()) / "room-elsewhere/first.txt", "in the way\n");
    fixture.SetDestination(fixture.Root() / "small/chosen");
    fixture.Load();
    UnderstateSizes(fixture.Config());
    fixture.Config().SetUnpackWorkers(1);

    // All but 400 KB of the volume taken.
    const fs::path filler = fixture.Root() / "small/filler";
    const std::uintmax_t available = fs::space(fixture.Root() / "small").available;
    ASSERT_GT(available, std::uintmax_t(1 << 20));
    WriteFileBytes(filler, std::string(size_t(available - (400 << 10)), 'f'));

    const fs::path install = fixture.Root() / "small/chosen" / fixture.Description().optCreatedFolder;
    RoomAfterTheWorkerPresenter presenter(filler, install);
    set_alert_presenter(&presenter);
    struct Restore {
        InstallFixture& fixture;
        ~Restore() { set_alert_presenter(&fixture.Presenter()); }
    } restore{fixture};
    testing::internal::CaptureStderr();
    const int32 result = fixture.Run();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, INSTALL_RESULT_DONE);
    EXPECT_TRUE(presenter.WorkerDone()) << "the worker never finished the second item";
    EXPECT_EQ(presenter.HeldWorkFolders(), 0) << "the failed unpack kept its working folder";

    std::vector<std::string> failed;
    for (const ListNode<LibString>* node = fixture.Config().FailedItems().OldestNode(); node != nullptr;
            node = node->Newer())
        failed.push_back((const char*)*node->Item());
    EXPECT_EQ(failed, std::vector<std::string>{});
    EXPECT_TRUE(ReadFileBytes(install / "large.bin") == large) << "the second item is not whole";
    // What did not fail in the end is not told.
    EXPECT_EQ(errors.find("No space"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("large.bin"), std::string::npos) << errors;
    for (const auto& entry : fs::directory_iterator(install))
        EXPECT_NE(entry.path().filename().string().rfind(".ondelle-item-", 0), 0u) << entry.path();
}

TEST(InstallVolumes, SpaceIsCheckedOnTheVolumesThatHoldTheFiles)
{
    // The destination is a mount point: its own volume is the small one,
    // whatever its parent's volume holds.
    {
        InstallFixture fixture;
        SmallVolume small(fixture.Root() / "small", "1m");
        if (!small.Mounted())
            GTEST_SKIP() << "cannot mount a small volume here (needs CAP_SYS_ADMIN); not tested";
        fixture.Add("large.bin", RandomBytes(2 << 20, 3));
        fixture.SetDestination(fixture.Root() / "small");
        fixture.Load();
        EXPECT_EQ(fixture.Run(), INSTALL_RESULT_NO_SPACE);
        EXPECT_FALSE(fs::exists(fixture.Root() / "small" / fixture.Description().optCreatedFolder));
        auto questions = fixture.Presenter().Questions();
        ASSERT_FALSE(questions.empty());
        EXPECT_NE(questions.front().text.find("volume '" + small.Name() + "'"), std::string::npos)
            << questions.front().text;
    }
    // A custom folder on a small volume mounted inside a standard folder is
    // checked too, before anything is written.
    {
        InstallFixture fixture;
        const fs::path point = StandardFolder(kUserSettings) / "small-custom";
        SmallVolume small(point, "1m");
        if (!small.Mounted())
            GTEST_SKIP() << "cannot mount a small volume here (needs CAP_SYS_ADMIN); not tested";
        fixture.AddCustomFolder("Tiny", kUserSettings, "small-custom", false);
        fixture.Add("large.bin", RandomBytes(2 << 20, 4)).destination = "Tiny";
        fixture.Add("stays.txt", "small");
        fixture.Load();
        EXPECT_EQ(fixture.Run(), INSTALL_RESULT_NO_SPACE);
        EXPECT_FALSE(fs::exists(fixture.InstallFolder()));
        EXPECT_TRUE(fs::is_empty(point));
    }
}

TEST(InstallVolumes, ADeinstallerWithoutItsConfigurationIsNeverPassedOverInSilence)
{
    // The volume fills up while the deinstaller and its configuration are
    // written and while the workers (as many as by default) unpack the
    // items. Swept over the room left before the install, so that it runs
    // out before the program, between the program and its configuration,
    // and after both. Whatever happens, the install either leaves a
    // deinstaller that knows its product or names it among the failures.
    InstallFixture fixture;
    SmallVolume small(fixture.Root() / "small", "2m");
    if (!small.Mounted())
        GTEST_SKIP() << "cannot mount a small volume here (needs CAP_SYS_ADMIN); not tested";
    ::unsetenv("ONDELLE_UNPACK_WORKERS");
    // A deinstaller large enough that storing its configuration (the file
    // is written anew beside the old one) needs far more than one block.
    WriteFileBytes(fixture.Description().deinstaller, StandInDeinstaller(std::string(160 << 10, 'd')));
    for (int index = 0; index < 4; index++)
        fixture.Add("part" + std::to_string(index) + ".bin", RandomBytes(96 << 10, unsigned(20 + index)));
    const fs::path chosen = fixture.Root() / "small/chosen";
    const fs::path filler = fixture.Root() / "small/filler";
    const fs::path install = chosen / fixture.Description().optCreatedFolder;
    const std::string name = DeinstallerFileName("Tern", "1.5");

    int withoutConfiguration = 0;
    int withConfiguration = 0;
    for (std::uintmax_t room = 64 << 10; room <= (768 << 10); room += 128 << 10) {
        fs::remove_all(chosen);
        fs::remove(filler);
        fs::create_directories(chosen);
        const std::uintmax_t available = fs::space(fixture.Root() / "small").available;
        ASSERT_GT(available, room);
        WriteFileBytes(filler, std::string(size_t(available - room), 'f'));
        fixture.Recorder().Reset();
        fixture.SetDestination(chosen);
        fixture.Load();
        UnderstateSizes(fixture.Config());
        EXPECT_EQ(fixture.Run(), INSTALL_RESULT_DONE) << room;

        bool named = false;
        for (const ListNode<LibString>* node = fixture.Config().FailedItems().OldestNode(); node != nullptr;
                node = node->Newer())
            named = named || std::string((const char*)*node->Item()).rfind(name + " (", 0) == 0;
        BMessage configuration;
        const bool stored = ReadDeinstallerConfiguration((install / name).c_str(), configuration) == B_OK;
        (stored ? withConfiguration : withoutConfiguration)++;
        EXPECT_TRUE(stored || named) << "with " << (room >> 10)
                                     << " KB left, the deinstaller has no configuration and nothing says so";
        if (!stored && named) {
            // And the completion message does not call the install a success.
            LibString summary;
            fixture.Config().FailureSummary(summary);
            EXPECT_NE(std::string((const char*)summary).find(name), std::string::npos) << (const char*)summary;
        }
    }
    // The sweep met both outcomes.
    EXPECT_GT(withoutConfiguration, 0);
    EXPECT_GT(withConfiguration, 0);
}
