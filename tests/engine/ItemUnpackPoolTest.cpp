// The workers that unpack item archives ahead of their turn: archives come
// out in order and whole, no more than the look-ahead wait unpacked, a
// damaged archive fails only its own item, and a stop removes what waits.
#include "TestSupport.h"
#include "ZipBytes.h"

#include <FindDirectory.h>
#include <InstallConfig.h>
#include <ItemUnpackPool.h>
#include <LibWorkFolders.h>
#include <OS.h>
#include <Path.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <cstdlib>
#include <thread>

namespace fs = std::filesystem;
using ondelle::test::MakeStoredZip;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

// A file that holds the archives one after the other behind some other
// data, the way a build holds its resources.
class ArchiveFile {
public:
    explicit ArchiveFile(const fs::path& path) : fPath(path), fBytes("leading data of the build\n") {}

    void AddItem(const std::string& leaf, const std::string& contents)
    {
        Add(leaf, MakeStoredZip({{leaf, contents}}));
    }

    void Add(const std::string& leaf, const std::string& zip)
    {
        ItemArchive archive;
        archive.id = 2100 + int32(fArchives.size());
        archive.entryName = leaf;
        archive.file = fPath.string();
        archive.offset = off_t(fBytes.size());
        archive.length = zip.size();
        fBytes += zip;
        fArchives.push_back(archive);
    }

    std::vector<ItemArchive> Write()
    {
        WriteFileBytes(fPath, fBytes + "trailing data");
        return fArchives;
    }

private:
    fs::path fPath;
    std::string fBytes;
    std::vector<ItemArchive> fArchives;
};

std::string Contents(int index);

// A folder for the items, a file of their archives and the registry of
// working folders.
struct Workspace {
    TempDir root;
    ArchiveFile file{root / "build"};
    std::shared_ptr<LibWorkFolders> workFolders = std::make_shared<LibWorkFolders>();

    Workspace() { fs::create_directories(root / "items"); }
    std::string Items() const { return (root / "items").string(); }
    // count items "item<index><suffix>" holding Contents(index).
    void AddItems(int count, const std::string& suffix = std::string())
    {
        for (int index = 0; index < count; index++)
            file.AddItem("item" + std::to_string(index) + suffix, Contents(index));
    }
};

// Working folders of items in the temporary folder (where they are made
// when it shares the items' volume, as it does in the sandbox).
int CountWorkFolders()
{
    BPath temp;
    find_directory(B_COMMON_TEMP_DIRECTORY, &temp);
    int count = 0;
    for (const auto& entry : fs::directory_iterator(temp.Path()))
        count += entry.path().filename().string().rfind(kItemWorkFolderPrefix, 0) == 0 ? 1 : 0;
    return count;
}

// Waits up to 10 s for count working folders.
bool WaitForWorkFolders(int count)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (CountWorkFolders() != count && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return CountWorkFolders() == count;
}

// Threads of this process that Linux lists under name.
int CountTasks(const std::string& name)
{
    int count = 0;
    for (const auto& task : fs::directory_iterator("/proc/self/task")) {
        std::string comm = ReadFileBytes(task.path() / "comm");
        if (!comm.empty() && comm.back() == '\n')
            comm.pop_back();
        count += comm == name ? 1 : 0;
    }
    return count;
}

// Waits up to 5 s until no thread of that name is left.
bool NoTaskLeft(const std::string& name)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (CountTasks(name) != 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return CountTasks(name) == 0;
}

std::string Contents(int index)
{
    return "contents of item " + std::to_string(index) + std::string(size_t(index) * 1000, 'x');
}

} // namespace


TEST(ItemUnpackPool, ArchivesComeOutInOrderAndWholeWithOrWithoutWorkers)
{
    for (int32 workers : {0, 1, 3}) {
        SCOPED_TRACE(workers);
        Workspace space;
        constexpr int kItems = 12;
        space.AddItems(kItems, ".txt");
        {
            ItemUnpackPool pool(space.file.Write(), space.Items(), space.workFolders, workers, 2);
            EXPECT_EQ(pool.CountWorkers(), workers);
            for (int index = 0; index < kItems; index++) {
                const fs::path target = space.root / "items" / ("item" + std::to_string(index) + ".txt");
                UnpackedItem item = pool.Take(index);
                ASSERT_EQ(item.Result(), ITEM_EXTRACTED) << item.Reason();
                EXPECT_EQ(item.MoveTo(target.c_str()), ITEM_EXTRACTED);
                EXPECT_TRUE(item.WorkFolder().empty());
                EXPECT_EQ(ReadFileBytes(target), Contents(index));
            }
        }
        EXPECT_TRUE(space.workFolders->IsEmpty());
        EXPECT_EQ(CountWorkFolders(), 0);
        EXPECT_EQ(find_thread("unpack items"), B_NAME_NOT_FOUND);
    }
}

TEST(ItemUnpackPool, NoMoreThanTheLookAheadWaitsUnpacked)
{
    Workspace space;
    space.AddItems(8);
    ItemUnpackPool pool(space.file.Write(), space.Items(), space.workFolders, 3, 2);

    // Unpacked ahead without being asked, but only two of them.
    ASSERT_TRUE(WaitForWorkFolders(2));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(CountWorkFolders(), 2);

    // Taking one lets the workers start one more, not all of them.
    UnpackedItem first = pool.Take(0);
    ASSERT_EQ(first.Result(), ITEM_EXTRACTED);
    ASSERT_TRUE(WaitForWorkFolders(3));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(CountWorkFolders(), 3);
    ASSERT_EQ(first.MoveTo((space.root / "items/item0").c_str()), ITEM_EXTRACTED);
    EXPECT_EQ(CountWorkFolders(), 2);

    // Skipped archives are not unpacked any more, and cannot be taken late.
    UnpackedItem fifth = pool.Take(4);
    EXPECT_EQ(fifth.Result(), ITEM_EXTRACTED);
    UnpackedItem late = pool.Take(3);
    EXPECT_EQ(late.Result(), ITEM_NOT_UNPACKED);
    EXPECT_EQ(pool.Take(8).Result(), ITEM_NOT_UNPACKED);
}

TEST(ItemUnpackPool, ADamagedArchiveFailsOnlyItsOwnItemAtItsTurn)
{
    Workspace space;
    ArchiveFile& file = space.file;
    const fs::path& root = space.root.Path();
    file.AddItem("before", "before");
    file.Add("damaged", std::string("PK\x03\x04", 4) + " not an archive");
    // Its first file unpacks; the second one's data do not match their
    // checksum.
    std::string spoilt = MakeStoredZip({{"spoilt/", "", 040755}, {"spoilt/a", std::string(5000, 'a')},
        {"spoilt/b", std::string(5000, 'b')}});
    const size_t inB = spoilt.find(std::string(100, 'b'));
    ASSERT_NE(inB, std::string::npos);
    spoilt[inB + 50] = 'c';
    file.Add("spoilt", spoilt);
    file.Add("other", MakeStoredZip({{"something else", "x"}}));
    file.AddItem("after", "after");
    ItemUnpackPool pool(file.Write(), space.Items(), space.workFolders, 2, 3);

    EXPECT_EQ(pool.Take(0).MoveTo((root / "items/before").c_str()), ITEM_EXTRACTED);
    for (int position : {1, 2}) {
        UnpackedItem item = pool.Take(position);
        EXPECT_EQ(item.Result(), ITEM_NOT_UNPACKED);
        EXPECT_EQ(item.Reason(), "its archive is damaged");
        EXPECT_EQ(item.MoveTo((root / "items/failed").c_str()), ITEM_NOT_UNPACKED);
        EXPECT_EQ(item.Reason(), "its archive is damaged");
    }
    EXPECT_EQ(pool.Take(3).Reason(), "its archive does not hold it");
    EXPECT_EQ(pool.Take(4).MoveTo((root / "items/after").c_str()), ITEM_EXTRACTED);

    // Nothing of the failed ones reached the items' folder or stayed behind.
    std::vector<std::string> placed;
    for (const auto& entry : fs::directory_iterator(root / "items"))
        placed.push_back(entry.path().filename().string());
    std::sort(placed.begin(), placed.end());
    EXPECT_EQ(placed, (std::vector<std::string>{"after", "before"}));
    EXPECT_EQ(CountWorkFolders(), 0);
}

TEST(ItemUnpackPool, AStopRemovesWhatWaitsAndEndsTheWorkers)
{
    Workspace space;
    space.AddItems(6);
    ItemUnpackPool pool(space.file.Write(), space.Items(), space.workFolders, 2, 3);
    ASSERT_TRUE(WaitForWorkFolders(3));

    pool.Kill();
    // The workers removed what they had unpacked, and ended.
    EXPECT_TRUE(space.workFolders->IsEmpty());
    EXPECT_EQ(CountWorkFolders(), 0);
    EXPECT_EQ(find_thread("unpack items"), B_NAME_NOT_FOUND);
    EXPECT_TRUE(NoTaskLeft("unpack items"));
    // Nothing more is unpacked, and nothing is handed over.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(CountWorkFolders(), 0);
    UnpackedItem item = pool.Take(0);
    EXPECT_EQ(item.Result(), ITEM_NOT_UNPACKED);
    EXPECT_EQ(item.Reason(), "the installation was stopped");
    pool.Kill();
    EXPECT_TRUE(fs::is_empty(space.Items()));
}

TEST(ItemUnpackPool, AStopInTheMiddleOfALargeArchiveEndsItAtOnce)
{
    Workspace space;
    // Large files, written block by block.
    constexpr size_t kSize = 8 * 1024 * 1024;
    for (int index = 0; index < 3; index++) {
        const std::string leaf = "large" + std::to_string(index);
        space.file.Add(leaf, MakeStoredZip({{leaf + "/", "", 040755}, {leaf + "/data", std::string(kSize, 'd')}}));
    }
    ItemUnpackPool pool(space.file.Write(), space.Items(), space.workFolders, 2, 3);
    ASSERT_TRUE(WaitForWorkFolders(2));

    const auto start = std::chrono::steady_clock::now();
    pool.Kill();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(CountWorkFolders(), 0);
    EXPECT_TRUE(space.workFolders->IsEmpty());
    EXPECT_TRUE(NoTaskLeft("unpack items"));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(CountWorkFolders(), 0);
}

TEST(ItemUnpackPool, ArchivesNeverTakenAreRemovedWithThePool)
{
    Workspace space;
    space.AddItems(4);
    {
        ItemUnpackPool pool(space.file.Write(), space.Items(), space.workFolders, 2, 3);
        ASSERT_TRUE(WaitForWorkFolders(3));
    }
    EXPECT_EQ(CountWorkFolders(), 0);
    EXPECT_TRUE(space.workFolders->IsEmpty());
    EXPECT_EQ(find_thread("unpack items"), B_NAME_NOT_FOUND);
}

TEST(ItemUnpackPool, AJobsWorkersFollowItsSettingThenTheEnvironment)
{
    struct Restore {
        ~Restore() { ::unsetenv("ONDELLE_UNPACK_WORKERS"); }
    } restore;
    InstallConfig config;
    ::unsetenv("ONDELLE_UNPACK_WORKERS");
    const int32 byMachine = config.UnpackWorkers();
    EXPECT_EQ(byMachine, ItemUnpackPool::DefaultWorkers());
    EXPECT_GE(byMachine, 1);
    EXPECT_LE(byMachine, ItemUnpackPool::kMaxWorkers);

    ::setenv("ONDELLE_UNPACK_WORKERS", "0", 1);
    EXPECT_EQ(config.UnpackWorkers(), 0);
    ::setenv("ONDELLE_UNPACK_WORKERS", "3", 1);
    EXPECT_EQ(config.UnpackWorkers(), 3);
    // Not a count: the machine decides.
    for (const char* text : {"", "two", "2x", "-1"}) {
        ::setenv("ONDELLE_UNPACK_WORKERS", text, 1);
        EXPECT_EQ(config.UnpackWorkers(), byMachine) << '"' << text << '"';
    }
    // The job's own setting comes first, within bounds.
    config.SetUnpackWorkers(0);
    EXPECT_EQ(config.UnpackWorkers(), 0);
    config.SetUnpackWorkers(1000);
    EXPECT_EQ(config.UnpackWorkers(), 16);
}
