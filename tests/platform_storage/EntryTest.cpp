// Entries, paths and refs: resolution both ways, renames and removal, and
// names that hold characters a shell would treat specially.
#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <Path.h>

#include <gtest/gtest.h>

#include "TestSupport.h"

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

const char* const kAwkwardNames[] = {
    "with \"double\" quotes",
    "it's single",
    "$HOME and ${PATH}",
    "back `quotes` here",
    "  leading and trailing blanks  ",
    "line\nbreak",
    "-leading-dash",
    "--",
    "tab\there;semicolon&amp|pipe>redirect*star?",
    "unicode \xc3\xa9t\xc3\xa9",
};

} // namespace

TEST(EntryTest, RefAndPathRoundTripIncludingAwkwardNames)
{
    TempDir dir;
    for (const char* name : kAwkwardNames) {
        SCOPED_TRACE(name);
        const fs::path path = dir / name;
        WriteFileBytes(path, "x");

        entry_ref ref;
        ASSERT_EQ(get_ref_for_path(path.c_str(), &ref), B_OK);
        EXPECT_STREQ(ref.name, name);
        struct stat st;
        ASSERT_EQ(::stat(dir.Path().c_str(), &st), 0);
        EXPECT_EQ(ref.device, platform_dev_t(st.st_dev));
        EXPECT_EQ(ref.directory, platform_ino_t(st.st_ino));

        BEntry entry(&ref);
        ASSERT_EQ(entry.InitCheck(), B_OK);
        EXPECT_TRUE(entry.Exists());
        BPath back;
        ASSERT_EQ(entry.GetPath(&back), B_OK);
        EXPECT_EQ(fs::path(back.Path()), fs::canonical(path));
        EXPECT_STREQ(back.Leaf(), name);
    }
}

TEST(EntryTest, RefOfFolderNeverSeenIsFoundBySearch)
{
    TempDir dir;
    // Made behind the kit's back, so no table entry exists for it.
    fs::create_directories(dir / "a/b/hidden folder");
    WriteFileBytes(dir / "a/b/hidden folder/leaf", "x");
    struct stat st;
    ASSERT_EQ(::stat((dir / "a/b/hidden folder").c_str(), &st), 0);
    entry_ref ref(platform_dev_t(st.st_dev), platform_ino_t(st.st_ino), "leaf");

    std::string path;
    ASSERT_EQ(get_ref_path(ref, &path), B_OK);
    EXPECT_EQ(fs::path(path), fs::canonical(dir / "a/b/hidden folder/leaf"));

    // A folder moved after its ref was made is found at its new place.
    fs::rename(dir / "a/b", dir / "moved");
    ASSERT_EQ(get_ref_path(ref, &path), B_OK);
    EXPECT_EQ(fs::path(path), fs::canonical(dir / "moved/hidden folder/leaf"));

    // Once the folder is gone, the ref cannot be resolved.
    fs::remove_all(dir / "moved");
    EXPECT_EQ(get_ref_path(ref, &path), B_ENTRY_NOT_FOUND);
    BEntry entry(&ref);
    EXPECT_NE(entry.InitCheck(), B_OK);
}

TEST(EntryTest, AbstractEntriesNeedAnExistingFolder)
{
    TempDir dir;
    BEntry entry((dir / "not yet").c_str());
    ASSERT_EQ(entry.InitCheck(), B_OK);
    EXPECT_FALSE(entry.Exists());
    entry_ref ref;
    EXPECT_EQ(entry.GetRef(&ref), B_OK);
    EXPECT_STREQ(ref.name, "not yet");

    BEntry orphan((dir / "missing/leaf").c_str());
    EXPECT_EQ(orphan.InitCheck(), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(get_ref_for_path((dir / "missing/leaf").c_str(), &ref), B_ENTRY_NOT_FOUND);

    WriteFileBytes(dir / "file", "x");
    BEntry underFile((dir / "file/leaf").c_str());
    EXPECT_EQ(underFile.InitCheck(), B_NOT_A_DIRECTORY);

    BEntry empty("");
    EXPECT_EQ(empty.InitCheck(), B_BAD_VALUE);
    EXPECT_EQ(BEntry().InitCheck(), B_NO_INIT);
}

TEST(EntryTest, TraverseFollowsLinksOnlyWhenAsked)
{
    TempDir dir;
    WriteFileBytes(dir / "target", "data");
    fs::create_symlink("target", dir / "link");
    fs::create_symlink("link", dir / "link2");
    fs::create_symlink("nowhere", dir / "dangling");

    BEntry plain((dir / "link2").c_str(), false);
    EXPECT_TRUE(plain.IsSymLink());
    EXPECT_STREQ(plain.Name(), "link2");

    BEntry followed((dir / "link2").c_str(), true);
    ASSERT_EQ(followed.InitCheck(), B_OK);
    EXPECT_TRUE(followed.IsFile());
    EXPECT_STREQ(followed.Name(), "target");

    EXPECT_EQ(BEntry((dir / "dangling").c_str(), true).InitCheck(), B_ENTRY_NOT_FOUND);
    BEntry danglingItself((dir / "dangling").c_str(), false);
    EXPECT_TRUE(danglingItself.Exists());
    EXPECT_TRUE(danglingItself.IsSymLink());
}

TEST(EntryTest, RootEntryHasARefThatResolves)
{
    BEntry root("/");
    ASSERT_EQ(root.InitCheck(), B_OK);
    entry_ref ref;
    ASSERT_EQ(root.GetRef(&ref), B_OK);
    BEntry again(&ref);
    ASSERT_EQ(again.InitCheck(), B_OK);
    EXPECT_STREQ(again.PathName(), "/");
    BEntry parent;
    EXPECT_EQ(root.GetParent(&parent), B_ENTRY_NOT_FOUND);
}

TEST(EntryTest, RenameMoveAndRemove)
{
    TempDir dir;
    WriteFileBytes(dir / "one", "1");
    WriteFileBytes(dir / "two", "2");
    fs::create_directory(dir / "sub");

    BEntry entry((dir / "one").c_str());
    EXPECT_EQ(entry.Rename("two"), B_FILE_EXISTS);
    EXPECT_EQ(ondelle::test::ReadFileBytes(dir / "two"), "2");

    EXPECT_EQ(entry.Rename("three"), B_OK);
    EXPECT_STREQ(entry.Name(), "three");
    EXPECT_FALSE(fs::exists(dir / "one"));
    EXPECT_TRUE(fs::exists(dir / "three"));

    EXPECT_EQ(entry.Rename("two", true), B_OK);
    EXPECT_EQ(ondelle::test::ReadFileBytes(dir / "two"), "1");

    BDirectory sub((dir / "sub").c_str());
    EXPECT_EQ(entry.MoveTo(&sub), B_OK);
    EXPECT_TRUE(fs::exists(dir / "sub/two"));
    EXPECT_EQ(entry.MoveTo(&sub, "-renamed"), B_OK);
    EXPECT_TRUE(fs::exists(dir / "sub/-renamed"));

    EXPECT_EQ(entry.Remove(), B_OK);
    EXPECT_FALSE(entry.Exists());
    EXPECT_EQ(entry.Remove(), B_ENTRY_NOT_FOUND);

    BEntry folder((dir / "sub").c_str());
    WriteFileBytes(dir / "sub/keep", "k");
    EXPECT_EQ(folder.Remove(), B_DIRECTORY_NOT_EMPTY);
    fs::remove(dir / "sub/keep");
    EXPECT_EQ(folder.Remove(), B_OK);
}

TEST(EntryTest, RemovingALinkKeepsItsTarget)
{
    TempDir dir;
    fs::create_directory(dir / "folder");
    WriteFileBytes(dir / "folder/inside", "x");
    fs::create_directory_symlink("folder", dir / "link");
    BEntry link((dir / "link").c_str());
    EXPECT_EQ(link.Remove(), B_OK);
    EXPECT_TRUE(fs::exists(dir / "folder/inside"));
}

TEST(PathTest, NormalisationAndParts)
{
    TempDir dir;
    fs::create_directories(dir / "a/b");
    const std::string base = fs::canonical(dir.Path()).string();

    BPath plain("/no/such/place/kept as text");
    ASSERT_EQ(plain.InitCheck(), B_OK);
    EXPECT_STREQ(plain.Path(), "/no/such/place/kept as text");
    EXPECT_STREQ(plain.Leaf(), "kept as text");

    BPath dotted((base + "/a/./b/../b//leaf").c_str());
    ASSERT_EQ(dotted.InitCheck(), B_OK);
    EXPECT_EQ(std::string(dotted.Path()), base + "/a/b/leaf");

    BPath missingFolder("/no/such/../place");
    EXPECT_EQ(missingFolder.InitCheck(), B_ENTRY_NOT_FOUND);

    BPath joined(base.c_str(), "a/b");
    EXPECT_EQ(std::string(joined.Path()), base + "/a/b");
    EXPECT_EQ(BPath(base.c_str(), "/absolute").InitCheck(), B_BAD_VALUE);

    BPath parent;
    ASSERT_EQ(joined.GetParent(&parent), B_OK);
    EXPECT_EQ(std::string(parent.Path()), base + "/a");
    BPath root("/");
    EXPECT_STREQ(root.Leaf(), "");
    EXPECT_EQ(root.GetParent(&parent), B_ENTRY_NOT_FOUND);
    BPath top("/top");
    ASSERT_EQ(top.GetParent(&parent), B_OK);
    EXPECT_STREQ(parent.Path(), "/");

    BPath appended(base.c_str());
    EXPECT_EQ(appended.Append("a"), B_OK);
    EXPECT_EQ(appended.Append("b/c", true), B_OK);
    EXPECT_EQ(std::string(appended.Path()), base + "/a/b/c");
    EXPECT_EQ(appended.Append("/x"), B_BAD_VALUE);
    EXPECT_EQ(std::string(appended.Path()), base + "/a/b/c");

    BPath unset;
    EXPECT_EQ(unset.InitCheck(), B_NO_INIT);
    EXPECT_EQ(unset.Path(), nullptr);
    EXPECT_EQ(unset.Append("x"), B_BAD_VALUE);
    EXPECT_EQ(BPath(static_cast<const char*>(nullptr)).InitCheck(), B_BAD_VALUE);
}

TEST(PathTest, RelativePathsAreMadeAbsoluteAndLinksOfTheFolderResolved)
{
    TempDir dir;
    fs::create_directories(dir / "real");
    fs::create_directory_symlink("real", dir / "alias");
    const std::string real = fs::canonical(dir / "real").string();

    BPath throughLink((dir / "alias").c_str(), "leaf", true);
    EXPECT_EQ(std::string(throughLink.Path()), real + "/leaf");

    const fs::path previous = fs::current_path();
    fs::current_path(dir / "real");
    BPath relative("child");
    fs::current_path(previous);
    EXPECT_EQ(std::string(relative.Path()), real + "/child");
}

// Every way a folder part can name its folder resolves to the same place;
// the last component is never followed.
TEST(PathTest, FolderPartsThroughLinksDotsAndGapsResolveToTheRealFolder)
{
    TempDir dir;
    fs::create_directories(dir / "real/inner");
    fs::create_directory_symlink("real/inner/..", dir / "climb");
    fs::create_directory_symlink(fs::canonical(dir / "real"), dir / "absolute");
    fs::create_symlink("real", dir / "last-link");
    const std::string real = fs::canonical(dir / "real").string();
    const std::string base = fs::canonical(dir.Path()).string();

    EXPECT_STREQ(BEntry((dir / "climb/leaf").c_str()).PathName(), (real + "/leaf").c_str());
    EXPECT_STREQ(BEntry((dir / "absolute/inner/leaf").c_str()).PathName(), (real + "/inner/leaf").c_str());
    EXPECT_STREQ(BEntry((dir / "real/./inner/../leaf").c_str()).PathName(), (real + "/leaf").c_str());
    EXPECT_STREQ(BEntry((dir / "last-link").c_str()).PathName(), (base + "/last-link").c_str());
    EXPECT_STREQ(BEntry((dir / "real/inner/..").c_str()).PathName(), real.c_str());

    // A folder named like the note the kernel adds to removed folders.
    fs::create_directories(dir / "gone (deleted)");
    EXPECT_STREQ(BEntry((dir / "gone (deleted)/leaf").c_str()).PathName(),
        (base + "/gone (deleted)/leaf").c_str());
}
