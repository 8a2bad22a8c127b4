// Copies, moves, removals, links, tar archives, type setting and the copy
// series, with paths that hold every character a shell treats specially.
#include "LibFileUtils.h"
#include "StorageTestSupport.h"

#include "TestSupport.h"

#include <FindDirectory.h>
#include <NodeInfo.h>
#include <Node.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;
using storage_test::GetAttribute;
using storage_test::kAwkwardName;
using storage_test::SetAttribute;

namespace {

bool IsLink(const fs::path& path)
{
    std::error_code error;
    return fs::is_symlink(fs::symlink_status(path, error));
}

std::string Attribute(const fs::path& path, const char* name)
{
    type_code type = 0;
    std::string data;
    return GetAttribute(path.string(), name, type, data) ? data : std::string("<missing>");
}

// A folder with a file and a sub-folder with attributes, and a link (Linux
// keeps no attributes on links).
void MakeTree(const fs::path& root)
{
    fs::create_directories(root / kAwkwardName);
    WriteFileBytes(root / kAwkwardName / "data", "payload");
    WriteFileBytes(root / "top", "top");
    fs::create_symlink(std::string(kAwkwardName) + "/data", root / "link");
    ASSERT_TRUE(SetAttribute((root / "top").string(), "note", B_STRING_TYPE, "on a file"));
    ASSERT_TRUE(SetAttribute((root / kAwkwardName).string(), "note", B_STRING_TYPE, "on a folder"));
}

void ExpectTree(const fs::path& root)
{
    EXPECT_EQ(ReadFileBytes(root / kAwkwardName / "data"), "payload");
    EXPECT_TRUE(IsLink(root / "link"));
    EXPECT_EQ(Attribute(root / "top", "note"), "on a file");
    EXPECT_EQ(Attribute(root / kAwkwardName, "note"), "on a folder");
}

class ScopedMount {
public:
    explicit ScopedMount(const fs::path& where, const char* type = "tmpfs") : fWhere(where)
    {
        fs::create_directories(where);
        fMounted = ::mount(type, where.c_str(), type, 0, "size=64m") == 0;
    }
    ~ScopedMount()
    {
        if (fMounted)
            ::umount2(fWhere.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return fMounted; }

private:
    fs::path fWhere;
    bool fMounted = false;
};

} // namespace

TEST(FileOperations, ToolsHandleShellSpecialCharacters)
{
    TempDir dir;
    const fs::path src = dir / (std::string(kAwkwardName) + " source");
    fs::create_directory(src);
    MakeTree(src);

    const fs::path copy = dir / (std::string(kAwkwardName) + " copy");
    ASSERT_TRUE(LibCopy(src.c_str(), copy.c_str()));
    ExpectTree(copy);

    const fs::path moved = dir / "--moved $(touch pwned)";
    ASSERT_TRUE(LibMove(copy.c_str(), moved.c_str()));
    EXPECT_FALSE(fs::exists(copy));
    ExpectTree(moved);

    const fs::path link = dir / "-link `x`";
    ASSERT_TRUE(LibSymLink(moved.c_str(), link.c_str()));
    EXPECT_EQ(fs::read_symlink(link), moved);

    const fs::path tar = dir / "-archive: \"x\".tar";
    ASSERT_TRUE(LibTar(src.c_str(), tar.c_str()));
    EXPECT_GT(fs::file_size(tar), 0u);

    const fs::path zip = dir / "$zip 'x'.zip";
    ASSERT_TRUE(LibZip(zip.c_str(), BPath(src.c_str()), 6));
    fs::remove_all(src);
    ASSERT_TRUE(LibUnzip(zip.c_str()));
    ExpectTree(src);

    LibDuplicate(src.c_str());
    EXPECT_FALSE(fs::exists(src));
    const fs::path duplicate = dir / (std::string(kAwkwardName) + " source copy");
    ExpectTree(duplicate);

    Libmimeset(duplicate.c_str());
    LibUnlink(moved.c_str());
    LibUnlink(duplicate.c_str());
    EXPECT_FALSE(fs::exists(moved));
    EXPECT_FALSE(fs::exists(duplicate));
    // Nothing ran through a shell.
    EXPECT_FALSE(fs::exists("pwned"));
    EXPECT_FALSE(fs::exists(dir / "pwned"));
}

TEST(FileOperations, CopyAndMoveFollowTheToolsIntoExistingFolders)
{
    TempDir dir;
    fs::create_directory(dir / "into");
    WriteFileBytes(dir / "a", "a");
    WriteFileBytes(dir / "b", "b");
    ASSERT_TRUE(LibCopy((dir / "a").c_str(), (dir / "into").c_str()));
    EXPECT_EQ(ReadFileBytes(dir / "into" / "a"), "a");
    // "mv -f" replaces a file and moves into a folder.
    ASSERT_TRUE(LibMove((dir / "b").c_str(), (dir / "a").c_str()));
    EXPECT_EQ(ReadFileBytes(dir / "a"), "b");
    ASSERT_TRUE(LibMove((dir / "a").c_str(), (dir / "into").c_str()));
    EXPECT_EQ(ReadFileBytes(dir / "into" / "a"), "b");
    EXPECT_FALSE(LibMove((dir / "missing").c_str(), (dir / "into").c_str()));
    EXPECT_FALSE(LibCopy((dir / "missing").c_str(), (dir / "x").c_str()));
}

TEST(FileOperations, MoveAcrossFileSystemsKeepsAttributesTimesAndRemovesTheSource)
{
    TempDir dir;
    ScopedMount mount(dir / "volume");
    if (!mount.Mounted())
        GTEST_SKIP() << "this machine does not allow a test to mount a tmpfs; cross-volume move not tested";
    struct stat a;
    struct stat b;
    ASSERT_EQ(::stat(dir.Path().c_str(), &a), 0);
    ASSERT_EQ(::stat((dir / "volume").c_str(), &b), 0);
    ASSERT_NE(a.st_dev, b.st_dev);

    const fs::path src = dir / "tree";
    fs::create_directory(src);
    MakeTree(src);
    struct timespec times[2] = {{1200000000, 0}, {1200000000, 0}};
    ::utimensat(AT_FDCWD, (src / "top").c_str(), times, 0);

    const fs::path dst = dir / "volume" / kAwkwardName;
    ASSERT_TRUE(LibMove(src.c_str(), dst.c_str()));
    EXPECT_FALSE(fs::exists(src));
    ExpectTree(dst);
    struct stat st;
    ASSERT_EQ(::stat((dst / "top").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1200000000);

    // Into an existing folder on the other volume, like the tool.
    WriteFileBytes(dir / "single", "1");
    ASSERT_TRUE(LibMove((dir / "single").c_str(), (dir / "volume").c_str()));
    EXPECT_EQ(ReadFileBytes(dir / "volume" / "single"), "1");
    EXPECT_FALSE(fs::exists(dir / "single"));
}

TEST(FileOperations, LinksAndTarsTakeTheToolsResultCopiesMovesAndRemovalsNeedNoTool)
{
    // The sandbox's own binaries folder is searched first: tools that
    // always fail stand in for every tool there.
    BPath bin;
    ASSERT_EQ(find_directory(B_BEOS_BIN_DIRECTORY, &bin, true), B_OK);
    const fs::path folder = bin.Path();
    const char* const tools[] = {"cp", "mv", "rm", "ln", "tar"};
    for (const char* tool : tools)
        fs::create_symlink("/bin/false", folder / tool);
    struct Cleanup {
        fs::path folder;
        ~Cleanup()
        {
            for (const char* tool : {"cp", "mv", "rm", "ln", "tar"})
                fs::remove(folder / tool);
        }
    } cleanup{folder};

    TempDir dir;
    WriteFileBytes(dir / "a", "a");
    EXPECT_FALSE(LibSymLink((dir / "a").c_str(), (dir / "l").c_str()));
    EXPECT_FALSE(LibTar((dir / "a").c_str(), (dir / "a.tar").c_str()));

    fs::create_directories(dir / "tree" / "sub");
    WriteFileBytes(dir / "tree" / "sub" / "f", "f");
    EXPECT_TRUE(LibCopy((dir / "tree").c_str(), (dir / "copy").c_str()));
    EXPECT_TRUE(LibMove((dir / "a").c_str(), (dir / "copy").c_str()));
    EXPECT_EQ(ReadFileBytes(dir / "copy" / "sub" / "f"), "f");
    EXPECT_EQ(ReadFileBytes(dir / "copy" / "a"), "a");
    LibUnlink((dir / "copy").c_str());
    EXPECT_FALSE(fs::exists(dir / "copy"));
    EXPECT_TRUE(fs::exists(dir / "tree" / "sub" / "f"));
}

TEST(FileOperations, AVolumeWithoutAttributesStillReceivesTheData)
{
    TempDir dir;
    // ramfs keeps no user attributes.
    ScopedMount mount(dir / "plain", "ramfs");
    if (!mount.Mounted())
        GTEST_SKIP() << "this machine does not allow a test to mount a ramfs; attribute-less volume not tested";
    WriteFileBytes(dir / "typed", "data");
    ASSERT_TRUE(SetAttribute((dir / "typed").string(), "note", B_STRING_TYPE, "kept where possible"));
    testing::internal::CaptureStderr();
    EXPECT_TRUE(LibCopy((dir / "typed").c_str(), (dir / "plain" / "copy").c_str()));
    EXPECT_TRUE(LibMove((dir / "typed").c_str(), (dir / "plain" / "moved").c_str()));
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("keeps no attributes"), std::string::npos) << errors;
    EXPECT_EQ(ReadFileBytes(dir / "plain" / "copy"), "data");
    EXPECT_EQ(ReadFileBytes(dir / "plain" / "moved"), "data");
    EXPECT_FALSE(fs::exists(dir / "typed"));
}

TEST(FileOperations, TrashUsesTheCopySeriesAndWritesRecords)
{
    TempDir dir;
    BPath trash;
    ASSERT_EQ(find_directory(B_TRASH_DIRECTORY, &trash, true), B_OK);
    const fs::path files = trash.Path();
    const fs::path info = files.parent_path() / "info";

    for (const char* contents : {"first", "second", "third"}) {
        WriteFileBytes(dir / "doc 100%", contents);
        LibTrash(BPath((dir / "doc 100%").c_str()), false);
        EXPECT_FALSE(fs::exists(dir / "doc 100%"));
    }
    EXPECT_EQ(ReadFileBytes(files / "doc 100%"), "first");
    EXPECT_EQ(ReadFileBytes(files / "doc 100% copy"), "second");
    EXPECT_EQ(ReadFileBytes(files / "doc 100% copy 1"), "third");
    const std::string record = ReadFileBytes(info / "doc 100% copy 1.trashinfo");
    EXPECT_EQ(record.rfind("[Trash Info]\nPath=", 0), 0u) << record;
    EXPECT_NE(record.find("/doc%20100%25\n"), std::string::npos) << record;
    EXPECT_NE(record.find("\nDeletionDate="), std::string::npos) << record;

    // Replacing takes the name itself, also over a folder of that name.
    fs::remove(files / "doc 100%");
    fs::create_directories(files / "doc 100%" / "inner");
    WriteFileBytes(dir / "doc 100%", "replacement");
    LibTrash(BPath((dir / "doc 100%").c_str()), true);
    EXPECT_EQ(ReadFileBytes(files / "doc 100%"), "replacement");
    EXPECT_TRUE(fs::exists(info / "doc 100%.trashinfo"));

    // Any name: the record percent-encodes it.
    WriteFileBytes(dir / kAwkwardName, "awkward");
    LibTrash(BPath((dir / kAwkwardName).c_str()), false);
    EXPECT_EQ(ReadFileBytes(files / kAwkwardName), "awkward");
    const std::string awkward = ReadFileBytes(info / (std::string(kAwkwardName) + ".trashinfo"));
    EXPECT_NE(awkward.find("/-a%20%22q%22%20%27x%27%20%24HOME%20%60id%60%20%3B%26%20%2A%3F%5C%20new%0Aline\n"),
        std::string::npos)
        << awkward;

    // Nothing happens for a missing entry.
    LibTrash(BPath((dir / "missing").c_str()), false);
    EXPECT_FALSE(fs::exists(info / "missing.trashinfo"));
}

TEST(FileOperations, DuplicateTakesTheFirstFreeNameOfTheSeries)
{
    TempDir dir;
    WriteFileBytes(dir / "a", "original");
    WriteFileBytes(dir / "a copy", "taken");
    LibDuplicate((dir / "a").c_str());
    EXPECT_FALSE(fs::exists(dir / "a"));
    EXPECT_EQ(ReadFileBytes(dir / "a copy 1"), "original");
    EXPECT_EQ(ReadFileBytes(dir / "a copy"), "taken");
    EXPECT_EQ(static_cast<const char*>(LibCopySeriesName("a", 0)), std::string("a"));
    EXPECT_EQ(static_cast<const char*>(LibCopySeriesName("a", 3)), std::string("a copy 2"));
}

TEST(FileOperations, ExistsAndMakeFolder)
{
    TempDir dir;
    EXPECT_FALSE(LibExists((dir / "x").c_str()));
    EXPECT_TRUE(Libmkdir((dir / "x" / "b" / "c").c_str()));
    EXPECT_TRUE(fs::is_directory(dir / "x" / "b" / "c"));
    EXPECT_FALSE(Libmkdir((dir / "x").c_str()));
    struct stat st;
    ASSERT_EQ(::stat((dir / "x" / "b").c_str(), &st), 0);
    EXPECT_TRUE(LibExists((dir / "x").c_str()));
    EXPECT_FALSE(LibExists(nullptr));
}

TEST(FileOperations, MimesetGivesTypesToUntypedEntriesOnly)
{
    TempDir dir;
    fs::create_directory(dir / "folder");
    WriteFileBytes(dir / "folder" / "page.html", "<html><body>x</body></html>");
    WriteFileBytes(dir / "folder" / "typed.txt", "text");
    {
        BNode node((dir / "folder" / "typed.txt").c_str());
        BNodeInfo(&node).SetType("application/x-custom");
    }
    Libmimeset((dir / "folder").c_str());
    char type[B_MIME_TYPE_LENGTH];
    BNode page((dir / "folder" / "page.html").c_str());
    ASSERT_EQ(BNodeInfo(&page).GetType(type), B_OK);
    EXPECT_STREQ(type, "text/html");
    BNode typed((dir / "folder" / "typed.txt").c_str());
    ASSERT_EQ(BNodeInfo(&typed).GetType(type), B_OK);
    EXPECT_STREQ(type, "application/x-custom");
}

TEST(FileOperations, ChangesOutsideTheSandboxAreRefused)
{
    testing::internal::CaptureStderr();
    EXPECT_FALSE(LibCopy("/etc/hostname", "/ondelle-should-not-exist"));
    EXPECT_FALSE(Libmkdir("/ondelle-should-not-exist"));
    LibUnlink("/ondelle-should-not-exist");
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(fs::exists("/ondelle-should-not-exist"));
    EXPECT_NE(errors.find("outside the sandbox"), std::string::npos);
}
