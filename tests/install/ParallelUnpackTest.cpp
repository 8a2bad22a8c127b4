// Archives unpacked ahead of their turn by worker threads: the same tree,
// log, statuses and questions as a job that unpacks each item at its turn;
// a damaged archive in the middle fails that item only, at its turn; and a
// stop in the middle of the parallel unpack changes nothing afterwards.
#include "InstallTestSupport.h"

#include <FindDirectory.h>
#include <LibAppResource.h>
#include <OS.h>
#include <Path.h>
#include <Resources.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <thread>

using namespace installtest;
using ondelle::test::ReadFileBytes;
using ondelle::test::WriteFileBytes;

namespace {

constexpr int32 kUserSettings = B_USER_SETTINGS_DIRECTORY;
constexpr int kFileItems = 24;
constexpr int kFolderItems = 6;
// The item whose archive is replaced by a damaged one.
const std::string kDamaged = "file13.dat";

// Everything about one entry that an install decides.
struct EntryState {
    char kind = '?';
    std::string contents; // a file's bytes, a link's target
    mode_t mode = 0;
    time_t modified = 0;
    std::map<std::string, std::string> attributes;

    bool operator==(const EntryState& other) const
    {
        return kind == other.kind && contents == other.contents && mode == other.mode
            && modified == other.modified && attributes == other.attributes;
    }
};

std::ostream& operator<<(std::ostream& stream, const EntryState& entry)
{
    stream << entry.kind << " mode " << std::oct << entry.mode << std::dec << " time " << entry.modified
           << " " << entry.contents.size() << " bytes, attributes:";
    for (const auto& [name, value] : entry.attributes)
        stream << " " << name << "(" << value.size() << ")";
    return stream;
}

std::map<std::string, std::string> Attributes(const fs::path& path)
{
    std::map<std::string, std::string> attributes;
    std::string names(65536, '\0');
    const ssize_t length = ::llistxattr(path.c_str(), names.data(), names.size());
    for (ssize_t at = 0; length > 0 && at < length; at += ssize_t(strlen(names.data() + at)) + 1) {
        const char* name = names.data() + at;
        std::string value(65536, '\0');
        const ssize_t size = ::lgetxattr(path.c_str(), name, value.data(), value.size());
        value.resize(size > 0 ? size_t(size) : 0);
        attributes[name] = value;
    }
    return attributes;
}

// Every entry below root by its path relative to root. The times of the
// entries a run makes afresh (root itself, the log, the record, the
// deinstaller) are left out.
std::map<std::string, EntryState> Tree(const fs::path& root)
{
    std::map<std::string, EntryState> tree;
    if (!fs::exists(root))
        return tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const fs::path& path = entry.path();
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0)
            continue;
        EntryState state;
        state.mode = st.st_mode;
        state.modified = st.st_mtime;
        if (S_ISLNK(st.st_mode)) {
            state.kind = 'l';
            state.contents = fs::read_symlink(path).string();
        } else if (S_ISDIR(st.st_mode)) {
            state.kind = 'd';
        } else {
            state.kind = 'f';
            state.contents = ReadFileBytes(path);
        }
        state.attributes = Attributes(path);
        const std::string relative = path.lexically_relative(root).string();
        // The log, the record, the deinstaller and the links placed beside
        // the items are made at install time; the log and the record are
        // compared by their lines.
        const bool top = path.parent_path() == root;
        const bool madeByTheRun = relative == "Log" || relative == "Install Record"
            || relative.find("Deinstaller") != std::string::npos;
        if (top && (state.kind == 'l' || madeByTheRun))
            state.modified = 0;
        if (top && madeByTheRun)
            state.contents.clear();
        tree[relative] = state;
    }
    return tree;
}

// Names each entry that differs between two trees, or is in one only.
void ExpectSameTree(const std::map<std::string, EntryState>& actual,
    const std::map<std::string, EntryState>& expected)
{
    for (const auto& [path, state] : expected) {
        const auto found = actual.find(path);
        if (found == actual.end())
            ADD_FAILURE() << path << " is missing";
        else if (!(found->second == state))
            ADD_FAILURE() << path << " differs: " << found->second << " instead of " << state;
    }
    for (const auto& [path, state] : actual) {
        if (expected.count(path) == 0)
            ADD_FAILURE() << path << " is extra";
    }
}

// The same for lines.
void ExpectSameLines(const std::vector<std::string>& actual, const std::vector<std::string>& expected)
{
    EXPECT_EQ(actual.size(), expected.size());
    for (size_t line = 0; line < std::min(actual.size(), expected.size()); line++)
        EXPECT_EQ(actual[line], expected[line]) << "line " << line + 1;
}

// The lines without those that hold the time of the run or the free space.
std::vector<std::string> WithoutRunTimes(const std::vector<std::string>& lines)
{
    std::vector<std::string> result;
    for (const std::string& line : lines) {
        if (line.find("Installation Started") == std::string::npos
            && line.find("Installation Complete:") == std::string::npos
            && line.find("Free Disk Space") == std::string::npos)
            result.push_back(line);
    }
    return result;
}

// The record's lines of entries below one of folders, with the times of
// links placed at install time (those that point at an item by its full
// path) left out. (The desktop's files elsewhere are made by the first run
// and only replaced by the next.)
std::vector<std::string> RecordLines(const std::vector<std::string>& lines, const std::vector<fs::path>& folders)
{
    std::vector<std::string> result;
    for (std::string line : lines) {
        const bool inside = std::any_of(folders.begin(), folders.end(), [&line](const fs::path& folder) {
            return line.find("\t" + folder.string() + "/") != std::string::npos;
        });
        if (!inside && line.rfind("ondelle", 0) != 0)
            continue;
        const size_t time = line.find('\t', 2);
        const size_t target = time == std::string::npos ? time : line.find('\t', time + 1);
        if (line.rfind("l\t", 0) == 0 && target != std::string::npos && line.compare(target + 1, 1, "/") == 0)
            line.replace(time + 1, target - time - 1, "*");
        result.push_back(line);
    }
    return result;
}

// Gives every entry below path (path too) the payload's time.
void StampTree(const fs::path& path)
{
    const struct timespec times[2] = {{kPayloadTime, 0}, {kPayloadTime, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
    if (fs::is_directory(fs::symlink_status(path))) {
        for (const auto& entry : fs::recursive_directory_iterator(path))
            ::utimensat(AT_FDCWD, entry.path().c_str(), times, AT_SYMLINK_NOFOLLOW);
    }
}

std::vector<std::string> Lines(const fs::path& path)
{
    std::vector<std::string> lines;
    std::string text = ReadFileBytes(path);
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// What one run of the product leaves behind.
struct RunOutcome {
    std::map<std::string, EntryState> installed;
    std::map<std::string, EntryState> data;
    std::vector<std::string> log;
    std::vector<std::string> record;
    std::vector<std::string> statuses;
    std::vector<std::pair<int64, int64>> progress;
    std::vector<std::string> questions;
    std::vector<std::string> failed;
};

// A product of many items of every kind: files of text and of binary data
// in the installation folder and in a custom folder, folders with links
// inside, links to the items, items the deinstaller keeps, an entry in the
// way that is renamed, another one that is asked about, and a damaged
// archive in the middle.
class ManyItems {
public:
    ManyItems()
    {
        fFixture.AddCustomFolder("Data", kUserSettings, "parallel-data", false);
        for (int index = 0; index < kFileItems; index++) {
            const std::string leaf = "file" + std::to_string(index) + (index % 2 == 0 ? ".txt" : ".dat");
            const std::string contents = index % 2 == 0
                ? std::string(size_t(200 + index * 997), char('a' + index % 26))
                : RandomBytes(size_t(1000 + index * 7919), unsigned(index));
            ProductItem& item = fFixture.Add(leaf, contents);
            if (index % 3 == 1)
                item.destination = "Data";
            if (index % 5 == 2)
                item.link = index % 2 == 0 ? "User Selected" : "Data";
            if (index % 7 == 3)
                item.deinstallable = "False";
            if (index == 4 || index == 10) {
                item.destinationExists = index == 4 ? "Rename" : "Prompt";
                item.destination = "Data";
            }
        }
        for (int index = 0; index < kFolderItems; index++) {
            ProductItem& folder = fFixture.AddFolder("folder" + std::to_string(index));
            if (index % 2 == 1)
                folder.destination = "Data";
        }
        fFixture.Load();
        // Raw resource 2100 + i holds item i.
        LibAppResource resources(fFixture.Build().c_str(), B_READ_WRITE);
        EXPECT_EQ(resources.RemoveResource(B_RAW_TYPE, 2100 + 13), B_OK);
        const std::string broken = std::string("PK\x03\x04", 4) + " broken";
        EXPECT_EQ(resources.AddResource(B_RAW_TYPE, 2100 + 13, broken.data(), broken.size(), kDamaged.c_str()),
            B_OK);
    }

    fs::path Data() const { return StandardFolder(kUserSettings) / "parallel-data"; }

    // Installs the product from the same start (no installation folder, the
    // user's two entries in the way) with that many workers.
    RunOutcome Install(int32 workers)
    {
        RunOutcome outcome;
        fs::remove_all(fFixture.InstallFolder());
        fs::remove_all(Data());
        fs::create_directories(Data());
        for (const char* leaf : {"file4.txt", "file10.txt"}) {
            WriteFileBytes(Data() / leaf, std::string("the user's own ") + leaf);
            StampTree(Data() / leaf);
        }
        fFixture.Load();
        fFixture.Recorder().Reset();
        fFixture.Presenter().Script(1);
        const size_t asked = fFixture.Presenter().Questions().size();
        fFixture.Config().SetUnpackWorkers(workers);
        EXPECT_EQ(fFixture.Config().UnpackWorkers(), workers);
        EXPECT_EQ(fFixture.Run(), INSTALL_RESULT_DONE);

        outcome.installed = Tree(fFixture.InstallFolder());
        outcome.data = Tree(Data());
        outcome.log = WithoutRunTimes(fFixture.LogLines());
        outcome.record = RecordLines(Lines(fFixture.InstallFolder() / "Install Record"),
            {fFixture.InstallFolder(), Data()});
        outcome.statuses = fFixture.Recorder().Statuses();
        outcome.progress = fFixture.Recorder().Progress();
        const std::vector<BAlertRequest> questions = fFixture.Presenter().Questions();
        for (size_t index = asked; index < questions.size(); index++)
            outcome.questions.push_back(questions[index].kind + ": " + questions[index].text);
        const LibStringList& failed = fFixture.Config().FailedItems();
        for (const ListNode<LibString>* node = failed.OldestNode(); node != nullptr; node = node->Newer())
            outcome.failed.push_back((const char*)*node->Item());
        return outcome;
    }

private:
    InstallFixture fFixture;
};

// Working folders of items in the temporary folder.
int CountWorkFolders()
{
    BPath temp;
    find_directory(B_COMMON_TEMP_DIRECTORY, &temp);
    int count = 0;
    for (const auto& entry : fs::directory_iterator(temp.Path()))
        count += entry.path().filename().string().rfind("ondelle-item-", 0) == 0 ? 1 : 0;
    return count;
}

// Threads of this process that Linux lists as unpacking workers.
int UnpackingThreads()
{
    int count = 0;
    for (const auto& task : fs::directory_iterator("/proc/self/task"))
        count += ReadFileBytes(task.path() / "comm") == "unpack items\n" ? 1 : 0;
    return count;
}

} // namespace


TEST(ParallelUnpack, SameTreeLogAndReportsAsUnpackingEachItemAtItsTurn)
{
    ManyItems product;
    ASSERT_FALSE(HasFatalFailure());
    const RunOutcome serial = product.Install(0);
    const RunOutcome parallel = product.Install(3);

    // The product is what the comparison is about: everything was there.
    EXPECT_EQ(serial.installed.count("folder0/current"), 1u);
    EXPECT_EQ(serial.data.count("file4.txt copy"), 1u);
    EXPECT_EQ(serial.data.count("folder1/sub/deep.txt"), 1u);
    EXPECT_EQ(serial.failed, std::vector<std::string>{kDamaged + " (its archive is damaged)"});
    EXPECT_EQ(serial.questions.size(), 2u) << "one replace question and the completion";

    ExpectSameTree(parallel.installed, serial.installed);
    ExpectSameTree(parallel.data, serial.data);
    ExpectSameLines(parallel.log, serial.log);
    // Each run checks its record lines with a key of its own: the lines
    // are compared without their checksums.
    const auto unchecked = [](std::vector<std::string> lines) {
        for (std::string& line : lines) {
            if (std::count(line.begin(), line.end(), '\t') == 5)
                line.erase(line.rfind('\t'));
        }
        return lines;
    };
    ExpectSameLines(unchecked(parallel.record), unchecked(serial.record));
    EXPECT_EQ(parallel.statuses, serial.statuses);
    EXPECT_EQ(parallel.progress, serial.progress);
    EXPECT_EQ(parallel.questions, serial.questions);
    EXPECT_EQ(parallel.failed, serial.failed);

    // The damaged item failed at its own turn, between its neighbours, and
    // every item after it was installed.
    const std::vector<std::string>& log = parallel.log;
    const auto damaged = std::find(log.begin(), log.end(), "\t\tInstalling : " + kDamaged);
    ASSERT_NE(damaged, log.end());
    ASSERT_NE(damaged + 1, log.end());
    EXPECT_EQ(*(damaged + 1), "\t\t\tUnable to extract " + kDamaged + ": its archive is damaged");
    const auto before = std::find(log.begin(), damaged, "\t\tInstalling : file12.txt");
    ASSERT_NE(before, damaged);
    EXPECT_EQ(std::count_if(before + 1, damaged, [](const std::string& line) { return line.find("Installing") != std::string::npos; }), 0);
    EXPECT_EQ(*(damaged + 2), "\t\tInstalling : file14.txt");
    EXPECT_EQ(parallel.installed.count(kDamaged), 0u);
    EXPECT_EQ(parallel.installed.count("file23.dat"), 1u);
    EXPECT_EQ(parallel.installed.count("folder4/sub/deep.txt"), 1u);
    EXPECT_EQ(CountWorkFolders(), 0);
}

TEST(ParallelUnpack, AStopDuringTheParallelUnpackChangesNothingAfterwards)
{
    InstallFixture fixture;
    // Folder items of many files each, so that the workers are in the
    // middle of an archive most of the time.
    constexpr int kItems = 10;
    for (int index = 0; index < kItems; index++) {
        const fs::path folder = fixture.Root() / "payload" / ("part" + std::to_string(index));
        fs::create_directories(folder);
        for (int file = 0; file < 120; file++)
            WriteFileBytes(folder / ("f" + std::to_string(file)), RandomBytes(12 * 1024, unsigned(index * 1000 + file)));
        ProductItem item;
        item.path = folder.string();
        fixture.Description().items.push_back(item);
    }
    fixture.Load();
    fixture.Config().SetUnpackWorkers(2);
    fixture.Start();

    // The job places its second item while the workers unpack the next ones.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool reached = false;
    while (!reached && std::chrono::steady_clock::now() < deadline) {
        for (const std::string& status : fixture.Recorder().Statuses())
            reached = reached || status.rfind("Installing 2 of", 0) == 0;
        reached = reached && CountWorkFolders() > 0;
        if (!reached)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    ASSERT_TRUE(reached);
    // Kept as far as it came, so that the installation folder can be looked at.
    fixture.Config().SetKeepOnStop(true);
    fixture.Config().Kill();

    // The workers' folders are gone at once, and the workers have ended.
    EXPECT_EQ(CountWorkFolders(), 0);
    EXPECT_EQ(find_thread("unpack items"), B_NAME_NOT_FOUND);
    const auto ended = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (UnpackingThreads() != 0 && std::chrono::steady_clock::now() < ended)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(UnpackingThreads(), 0);
    const fs::path install = fixture.InstallFolder();
    for (const auto& entry : fs::directory_iterator(install))
        EXPECT_NE(entry.path().filename().string().rfind(".ondelle-item-", 0), 0u) << entry.path();

    BPath temp;
    find_directory(B_COMMON_TEMP_DIRECTORY, &temp);
    const auto destination = Tree(fixture.Destination());
    const auto temporary = Tree(temp.Path());
    const auto statuses = fixture.Recorder().Statuses();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(Tree(fixture.Destination()), destination);
    EXPECT_EQ(Tree(temp.Path()), temporary);
    EXPECT_EQ(fixture.Recorder().Statuses(), statuses);
    EXPECT_FALSE(fixture.Recorder().Ended()) << "a stopped job sends no end message";

    // The first item stays placed; the items unpacked ahead never arrive.
    EXPECT_TRUE(fs::exists(install / "part0/f119"));
    EXPECT_FALSE(fs::exists(install / "part4"));
    EXPECT_FALSE(fs::exists(install / ("part" + std::to_string(kItems - 1))));
}
