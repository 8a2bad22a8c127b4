// What the deinstaller believes: record lines added or edited after the
// installation, paths that leave the folders looked through, folders
// swapped for links while it works, damaged or hostile records, and the
// installer's own names. All in the sandbox.
#include "TestSupport.h"

#include <AnchoredPath.h>
#include <DataMac.h>
#include <DeinstallTag.h>
#include <Deinstaller.h>
#include <DeinstallerConfig.h>
#include <FileDigest.h>
#include <FindDirectory.h>
#include <InstallRecord.h>
#include <Path.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <future>
#include <set>
#include <sys/resource.h>
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

BMessage Product()
{
    BMessage product;
    product.AddString("app_name", "Trusty");
    product.AddString("version", "1.0");
    return product;
}

bool Exists(const fs::path& path)
{
    return fs::symlink_status(path).type() != fs::file_type::not_found;
}

// An installation of "Trusty 1.0": a tagged folder in the applications
// folder, recorded with the run's key, and some of the user's own entries
// around it.
class DeinstallerTrust : public testing::Test {
protected:
    void SetUp() override
    {
        fKey = make_mac_key();
        ASSERT_EQ(fKey.size(), 64u);
        MakeDeinstallerConfiguration(Product(), fConfiguration, fKey);
        fTag = MakeDeinstallTag(Product());
        fApps = Folder(B_APPS_DIRECTORY) / "Trusty";
        fs::remove_all(fApps);
        fs::create_directories(fApps / "data");
        WriteFileBytes(fApps / "data" / "inner.txt", "installed");
        WriteFileBytes(fApps / "program", "program");
        TagForDeinstall(fApps.c_str(), fTag.c_str());
        fDocuments = Folder(B_USER_DIRECTORY) / "Documents";
        fs::create_directories(fDocuments / "empty");
        WriteFileBytes(fDocuments / "notes.txt", "the user's notes");
        WriteFileBytes(fDocuments / "inner.txt", "the user's inner.txt");
        fs::create_symlink(fApps / "program", fDocuments / "my-link");
        fRecordPath = InstallRecord::PathIn(fInstall.Path().c_str());
        InstallRecord record;
        ASSERT_EQ(record.Create(fRecordPath.c_str(), fKey), B_OK);
        ASSERT_EQ(record.AddTree(fApps.c_str()), B_OK);
    }

    void TearDown() override
    {
        fs::remove_all(fApps);
        fs::remove_all(fDocuments);
        fs::remove_all(Folder(B_USER_DIRECTORY) / "backup");
    }

    // A line as the installer writes it, with a valid checksum under key.
    static std::string Line(const std::string& key, char kind, const fs::path& path)
    {
        std::string detail;
        int64 size = 0;
        if (kind == 'f') {
            EXPECT_EQ(file_digest(path.c_str(), &detail), B_OK);
            size = int64(fs::file_size(path));
        } else if (kind == 'l') {
            detail = fs::read_symlink(path).string();
        }
        const std::string line = std::string(1, kind) + "\t" + std::to_string(size) + "\t0\t" + detail
            + "\t" + path.string();
        return key.empty() ? line + "\n" : line + "\t" + data_mac(key, line) + "\n";
    }

    void Append(const std::string& text) const
    {
        WriteFileBytes(fRecordPath, ReadFileBytes(fRecordPath) + text);
    }

    std::set<std::string> ToRemove(Deinstaller& deinstaller) const
    {
        std::set<std::string> paths;
        for (const deinstall_entry& entry : deinstaller.Entries()) {
            if (entry.keep.empty())
                paths.insert(entry.path);
        }
        return paths;
    }

    Deinstaller Scanned() const
    {
        Deinstaller deinstaller(fConfiguration);
        deinstaller.AddStandardFolders(fInstall.Path().c_str());
        deinstaller.LoadRecord(fInstall.Path().c_str());
        deinstaller.Scan();
        return deinstaller;
    }

    std::string fKey;
    BMessage fConfiguration;
    std::string fTag;
    TempDir fInstall;
    std::string fRecordPath;
    fs::path fApps, fDocuments;
};

} // namespace


TEST_F(DeinstallerTrust, LinesAddedAfterTheInstallAreIgnored)
{
    // A file line with the right size and checksum, a folder line and a
    // link line, written without the key (or with another one).
    Append(Line("", 'f', fDocuments / "notes.txt") + Line(make_mac_key(), 'd', fDocuments / "empty")
        + Line("", 'l', fDocuments / "my-link"));
    Deinstaller deinstaller = Scanned();
    EXPECT_EQ(deinstaller.RecordState(), DEINSTALL_RECORD_TRUSTED);
    EXPECT_EQ(deinstaller.RejectedRecordLines(), 3);
    EXPECT_EQ(ToRemove(deinstaller), (std::set<std::string>{fApps.string(), (fApps / "data").string(),
        (fApps / "data" / "inner.txt").string(), (fApps / "program").string()}));
    EXPECT_EQ(deinstaller.Remove(), 0);
    EXPECT_FALSE(Exists(fApps));
    for (const char* leaf : {"notes.txt", "empty", "my-link", "inner.txt"})
        EXPECT_TRUE(Exists(fDocuments / leaf)) << leaf;

    // An edited line of the installer's own fails its checksum too.
    std::string text = ReadFileBytes(fRecordPath);
    const size_t at = text.find((fApps / "program").string());
    ASSERT_NE(at, std::string::npos);
    text.replace(at, fApps.string().size(), fDocuments.string());
    WriteFileBytes(fRecordPath, text);
    InstallRecord record;
    ASSERT_EQ(record.Load(fRecordPath.c_str(), fKey), B_OK);
    EXPECT_FALSE(record.Has((fDocuments / "program").string()));
    EXPECT_GE(record.Rejected(), 4);
}


TEST_F(DeinstallerTrust, PathsThatLeaveTheFoldersLookedThroughAreNotTouched)
{
    const fs::path trash = Folder(B_TRASH_DIRECTORY);
    WriteFileBytes(trash / "kept-in-trash", "old");
    const fs::path home = Folder(B_USER_DIRECTORY);
    WriteFileBytes(home / "todo.txt", "todo");
    // Even lines with a valid checksum: "..", "." and empty components.
    const fs::path viaInstall = fInstall.Path() / ".." / ".." / "todo.txt";
    const std::string trashText = trash.string();
    const fs::path viaApps = fApps / ".." / ".." / fs::relative(trash, fApps.parent_path().parent_path())
        / "kept-in-trash";
    std::string lines;
    for (const fs::path& path : {viaInstall, viaApps, fs::path(fApps.string() + "/./program"),
             fs::path(fApps.string() + "//program")}) {
        const std::string line = "f\t4\t0\t\t" + path.string();
        lines += line + "\t" + data_mac(fKey, line) + "\n";
    }
    Append(lines);
    Deinstaller deinstaller = Scanned();
    for (const deinstall_entry& entry : deinstaller.Entries()) {
        EXPECT_EQ(entry.path.find("/.."), std::string::npos) << entry.path;
        EXPECT_EQ(entry.path.find("todo.txt"), std::string::npos) << entry.path;
        EXPECT_EQ(entry.path.find("kept-in-trash"), std::string::npos) << entry.path;
    }
    EXPECT_EQ(deinstaller.Remove(), 0);
    EXPECT_EQ(ReadFileBytes(home / "todo.txt"), "todo");
    EXPECT_EQ(ReadFileBytes(trash / "kept-in-trash"), "old");
    fs::remove(home / "todo.txt");
    fs::remove(trash / "kept-in-trash");

    EXPECT_TRUE(AnchoredPath::IsPlainAbsolute("/a/b"));
    for (const char* bad : {"a/b", "/a/../b", "/a/./b", "/a//b", "/a/b/", ""})
        EXPECT_FALSE(AnchoredPath::IsPlainAbsolute(bad)) << bad;
}


// The removal walk with a link swapped in at each step.
TEST_F(DeinstallerTrust, FolderSwappedForALinkAfterTheListLeadsNowhere)
{
    // Between the list and the answer: the installed folder becomes a link
    // to the user's Documents, which hold a file of the same name.
    {
        Deinstaller deinstaller = Scanned();
        ASSERT_EQ(ToRemove(deinstaller).count((fApps / "data" / "inner.txt").string()), 1u);
        fs::rename(fApps / "data", fApps / "data-moved");
        fs::create_directory_symlink(fDocuments, fApps / "data");
        const int32 failures = deinstaller.Remove();
        EXPECT_GE(failures, 1);
        EXPECT_EQ(ReadFileBytes(fDocuments / "inner.txt"), "the user's inner.txt");
        EXPECT_TRUE(fs::is_directory(fDocuments));
        EXPECT_TRUE(fs::is_symlink(fApps / "data")) << "the link itself was placed by nobody it knows";
    }
    // A recorded folder that is already a link when the deinstaller looks:
    // the record's entries below it are not reached through it.
    fs::remove(fApps / "data");
    const fs::path backup = Folder(B_USER_DIRECTORY) / "backup";
    fs::create_directories(backup);
    WriteFileBytes(backup / "inner.txt", "installed");
    fs::create_directory_symlink(backup, fApps / "data");
    {
        Deinstaller deinstaller = Scanned();
        for (const deinstall_entry& entry : deinstaller.Entries())
            EXPECT_NE(entry.path, (fApps / "data" / "inner.txt").string());
        deinstaller.Remove();
        EXPECT_EQ(ReadFileBytes(backup / "inner.txt"), "installed");
    }
    // A file replaced by another one (same name) after the list stays.
    fs::remove(fApps / "data");
    fs::rename(fApps / "data-moved", fApps / "data");
    {
        Deinstaller deinstaller = Scanned();
        ASSERT_EQ(ToRemove(deinstaller).count((fApps / "data" / "inner.txt").string()), 1u);
        fs::remove(fApps / "data" / "inner.txt");
        WriteFileBytes(fApps / "data" / "inner.txt", "new");
        EXPECT_GE(deinstaller.Remove(), 1);
        EXPECT_EQ(ReadFileBytes(fApps / "data" / "inner.txt"), "new");
    }
}


TEST_F(DeinstallerTrust, DamagedOrMissingRecordKeepsEverythingInDoubt)
{
    // A tagged copy the user made, as "cp -a" leaves it.
    WriteFileBytes(fDocuments / "copy", "installed");
    TagForDeinstall((fDocuments / "copy").c_str(), fTag.c_str());
    const std::string intact = ReadFileBytes(fRecordPath);
    {
        Deinstaller deinstaller = Scanned();
        EXPECT_EQ(ToRemove(deinstaller).count((fDocuments / "copy").string()), 0u);
    }
    for (const std::string& damaged : {std::string(), std::string("ondelle install recor"),
             "garbage\n" + intact.substr(intact.find('\n') + 1), std::string("ondelle install record 1\n")}) {
        SCOPED_TRACE(damaged.substr(0, 30));
        WriteFileBytes(fRecordPath, damaged);
        Deinstaller deinstaller = Scanned();
        EXPECT_EQ(deinstaller.RecordState(), DEINSTALL_RECORD_IN_DOUBT);
        EXPECT_TRUE(ToRemove(deinstaller).empty());
        EXPECT_FALSE(deinstaller.Entries().empty()) << "what looks like the product's is listed";
        EXPECT_EQ(deinstaller.Remove(), 0);
        EXPECT_TRUE(Exists(fDocuments / "copy"));
        EXPECT_TRUE(Exists(fApps / "program"));
    }
    fs::remove(fRecordPath);
    Deinstaller deinstaller = Scanned();
    EXPECT_EQ(deinstaller.RecordState(), DEINSTALL_RECORD_IN_DOUBT);
    EXPECT_TRUE(ToRemove(deinstaller).empty());
}


TEST_F(DeinstallerTrust, RecordThatIsNoPlainFileIsNotRead)
{
    // A FIFO would block a reader that opens it; /dev/zero never ends.
    fs::remove(fRecordPath);
    ASSERT_EQ(::mkfifo(fRecordPath.c_str(), 0600), 0);
    auto loaded = std::async(std::launch::async, [this] {
        InstallRecord record;
        return record.Load(fRecordPath.c_str(), fKey);
    });
    EXPECT_EQ(loaded.get(), B_NOT_ALLOWED);
    fs::remove(fRecordPath);
    fs::create_symlink("/dev/zero", fRecordPath);
    InstallRecord record;
    EXPECT_EQ(record.Load(fRecordPath.c_str(), fKey), B_NOT_ALLOWED);
    fs::remove(fRecordPath);
    // A link to an intact record is not followed either.
    const fs::path elsewhere = fInstall / "elsewhere";
    {
        InstallRecord written;
        ASSERT_EQ(written.Create(elsewhere.c_str(), fKey), B_OK);
    }
    fs::create_symlink(elsewhere, fRecordPath);
    EXPECT_EQ(record.Load(fRecordPath.c_str(), fKey), B_NOT_ALLOWED);
    Deinstaller deinstaller = Scanned();
    EXPECT_EQ(deinstaller.RecordState(), DEINSTALL_RECORD_IN_DOUBT);
}


TEST(DeinstallerNames, TheInstallersOwnNamesAreReserved)
{
    for (const char* leaf : {"Install Record", "Log", "Saved Files", "P 1.0 Deinstaller"})
        EXPECT_TRUE(IsReservedInstallName(leaf, "P", "1.0")) << leaf;
    for (const char* leaf : {"Install Record.txt", "log", "P 2.0 Deinstaller", "program"})
        EXPECT_FALSE(IsReservedInstallName(leaf, "P", "1.0")) << leaf;
    EXPECT_EQ(UnreservedInstallName("Log", "P", "1.0"), "Log (item)");
    // A product named so that the first choice is its deinstaller's name.
    EXPECT_EQ(UnreservedInstallName("Log", "Log (item)", ""), "Log (item)");
    EXPECT_EQ(UnreservedInstallName("X", "X (item)", "").find("X (item"), 0u);
}


TEST(InstallRecordWrites, AWriteCutShortIsTakenBackAndReported)
{
    TempDir dir;
    fs::create_directories(dir / "item");
    for (int i = 0; i < 40; i++)
        WriteFileBytes(dir / "item" / ("file-" + std::to_string(i)), std::string(10, 'x'));
    const std::string key = make_mac_key();
    const std::string path = (dir / "record").string();
    InstallRecord record;
    ASSERT_EQ(record.Create(path.c_str(), key), B_OK);
    ASSERT_EQ(record.AddTree((dir / "item" / "file-0").c_str()), B_OK);
    const auto before = fs::file_size(path);

    // The file may grow by a few bytes only: the next append is cut short
    // (as on a full volume), and must leave no part of a line behind.
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &previous), 0);
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = before + 50;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const status_t cut = record.AddTree((dir / "item").c_str());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::sigaction(SIGXFSZ, &previous, nullptr);
    EXPECT_NE(cut, B_OK);
    EXPECT_LE(fs::file_size(path), before + 50);
    EXPECT_EQ(ReadFileBytes(path).back(), '\n') << "no part of a line is left";

    ASSERT_EQ(record.AddTree((dir / "item" / "file-1").c_str()), B_OK);
    const std::string text = ReadFileBytes(path);
    InstallRecord loaded;
    ASSERT_EQ(loaded.Load(path.c_str(), key), B_OK);
    EXPECT_EQ(loaded.Rejected(), 0) << "no line joined onto a broken one";
    EXPECT_EQ(loaded.Entries().size(), size_t(std::count(text.begin(), text.end(), '\n') - 1));
    EXPECT_TRUE(loaded.Has((dir / "item" / "file-1").string()));
}
