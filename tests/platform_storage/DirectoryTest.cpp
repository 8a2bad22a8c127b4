// Folders: listing without following links, creation of entries, and the
// open modes of files.
#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <Path.h>
#include <SymLink.h>

#include <gtest/gtest.h>

#include "TestSupport.h"

#include <filesystem>
#include <set>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

TEST(DirectoryTest, GetNextEntryListsLinksAsLinks)
{
    TempDir dir;
    fs::create_directory(dir / "folder");
    WriteFileBytes(dir / "file", "x");
    fs::create_directory_symlink("folder", dir / "link to folder");
    fs::create_symlink("gone", dir / "dangling");

    BDirectory directory(dir.Path().c_str());
    ASSERT_EQ(directory.InitCheck(), B_OK);
    EXPECT_EQ(directory.CountEntries(), 4);

    std::set<std::string> links, folders, files;
    BEntry entry;
    int seen = 0;
    while (directory.GetNextEntry(&entry) == B_OK) {
        ++seen;
        if (entry.IsSymLink())
            links.insert(entry.Name());
        else if (entry.IsDirectory())
            folders.insert(entry.Name());
        else if (entry.IsFile())
            files.insert(entry.Name());
    }
    EXPECT_EQ(seen, 4);
    EXPECT_EQ(links, (std::set<std::string>{"link to folder", "dangling"}));
    EXPECT_EQ(folders, std::set<std::string>{"folder"});
    EXPECT_EQ(files, std::set<std::string>{"file"});
    EXPECT_EQ(directory.GetNextEntry(&entry), B_ENTRY_NOT_FOUND);

    // After Rewind the same entries come again; refs name them too.
    ASSERT_EQ(directory.Rewind(), B_OK);
    entry_ref ref;
    int refs = 0;
    while (directory.GetNextRef(&ref) == B_OK) {
        ++refs;
        BEntry fromRef(&ref);
        EXPECT_EQ(fromRef.InitCheck(), B_OK);
        EXPECT_TRUE(fromRef.Exists());
    }
    EXPECT_EQ(refs, 4);
}

TEST(DirectoryTest, SetToFollowsALinkToAFolderAndRefusesFiles)
{
    TempDir dir;
    fs::create_directory(dir / "folder");
    WriteFileBytes(dir / "folder/inside", "x");
    fs::create_directory_symlink("folder", dir / "link");
    WriteFileBytes(dir / "file", "x");

    BDirectory throughLink((dir / "link").c_str());
    ASSERT_EQ(throughLink.InitCheck(), B_OK);
    EXPECT_EQ(throughLink.CountEntries(), 1);
    EXPECT_EQ(BDirectory((dir / "file").c_str()).InitCheck(), B_NOT_A_DIRECTORY);
    EXPECT_EQ(BDirectory((dir / "missing").c_str()).InitCheck(), B_ENTRY_NOT_FOUND);

    node_ref nref;
    ASSERT_EQ(throughLink.GetNodeRef(&nref), B_OK);
    BDirectory byNode(&nref);
    ASSERT_EQ(byNode.InitCheck(), B_OK);
    EXPECT_EQ(fs::path(byNode.PathName()), fs::canonical(dir / "folder"));
    EXPECT_FALSE(byNode.IsRootDirectory());
    EXPECT_TRUE(BDirectory("/").IsRootDirectory());
}

TEST(DirectoryTest, CreateEntriesAndFindThem)
{
    TempDir dir;
    BDirectory directory(dir.Path().c_str());

    BDirectory sub;
    ASSERT_EQ(directory.CreateDirectory("sub $dir", &sub), B_OK);
    EXPECT_EQ(sub.InitCheck(), B_OK);
    EXPECT_EQ(directory.CreateDirectory("sub $dir", nullptr), B_FILE_EXISTS);

    BFile file;
    ASSERT_EQ(directory.CreateFile("sub $dir/new \"file\"", &file), B_OK);
    EXPECT_EQ(file.Write("hello", 5), 5);
    EXPECT_EQ(directory.CreateFile("sub $dir/new \"file\"", nullptr, true), B_FILE_EXISTS);
    // Without failIfExists an existing file is opened and emptied.
    BFile again;
    ASSERT_EQ(directory.CreateFile("sub $dir/new \"file\"", &again), B_OK);
    off_t size = -1;
    EXPECT_EQ(again.GetSize(&size), B_OK);
    EXPECT_EQ(size, 0);

    BSymLink link;
    ASSERT_EQ(directory.CreateSymLink("link", "sub $dir", &link), B_OK);
    char target[B_PATH_NAME_LENGTH];
    EXPECT_EQ(link.ReadLink(target, sizeof(target)), 8);
    EXPECT_STREQ(target, "sub $dir");
    EXPECT_FALSE(link.IsAbsolute());
    BPath linked;
    EXPECT_GT(link.MakeLinkedPath(&directory, &linked), 0);
    EXPECT_EQ(fs::path(linked.Path()), fs::canonical(dir / "sub $dir"));
    EXPECT_EQ(directory.CreateSymLink("link", "elsewhere", nullptr), B_FILE_EXISTS);

    EXPECT_TRUE(directory.Contains("sub $dir", B_DIRECTORY_NODE));
    EXPECT_FALSE(directory.Contains("sub $dir", B_FILE_NODE));
    EXPECT_TRUE(directory.Contains("link", B_SYMLINK_NODE));
    EXPECT_FALSE(directory.Contains("link", B_DIRECTORY_NODE));
    EXPECT_TRUE(directory.Contains((dir / "sub $dir/new \"file\"").c_str()));
    EXPECT_FALSE(directory.Contains("nothing"));
    EXPECT_FALSE(sub.Contains(dir.Path().c_str()));

    BEntry found;
    EXPECT_EQ(directory.FindEntry("link", &found), B_OK);
    EXPECT_TRUE(found.IsSymLink());
    EXPECT_EQ(directory.FindEntry("link", &found, true), B_OK);
    EXPECT_TRUE(found.IsDirectory());
    EXPECT_EQ(directory.FindEntry("nothing", &found), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(found.InitCheck(), B_NO_INIT);
}

TEST(DirectoryTest, CreateDirectoryFunctionMakesParents)
{
    TempDir dir;
    EXPECT_EQ(create_directory((dir / "a/b/c").c_str(), 0755), B_OK);
    EXPECT_TRUE(fs::is_directory(dir / "a/b/c"));
    EXPECT_EQ(create_directory((dir / "a/b/c").c_str(), 0755), B_OK);
    WriteFileBytes(dir / "plain", "x");
    EXPECT_EQ(create_directory((dir / "plain/below").c_str(), 0755), B_FILE_EXISTS);
    EXPECT_EQ(create_directory((dir / "plain").c_str(), 0755), B_FILE_EXISTS);
}

TEST(FileTest, OpenModes)
{
    TempDir dir;
    const std::string path = (dir / "data").string();

    EXPECT_EQ(BFile(path.c_str(), B_READ_ONLY).InitCheck(), B_ENTRY_NOT_FOUND);

    BFile writer(path.c_str(), B_WRITE_ONLY | B_CREATE_FILE);
    ASSERT_EQ(writer.InitCheck(), B_OK);
    EXPECT_TRUE(writer.IsWritable());
    EXPECT_FALSE(writer.IsReadable());
    EXPECT_EQ(writer.Write("0123456789", 10), 10);
    char buffer[16];
    EXPECT_LT(writer.Read(buffer, 4), 0);
    writer.Unset();

    EXPECT_EQ(BFile(path.c_str(), B_WRITE_ONLY | B_CREATE_FILE | B_FAIL_IF_EXISTS).InitCheck(), B_FILE_EXISTS);

    BFile appender(path.c_str(), B_WRITE_ONLY | B_OPEN_AT_END);
    EXPECT_EQ(appender.Write("ab", 2), 2);
    appender.Unset();
    EXPECT_EQ(ReadFileBytes(path), "0123456789ab");

    BFile both(path.c_str(), B_READ_WRITE);
    ASSERT_EQ(both.InitCheck(), B_OK);
    EXPECT_EQ(both.ReadAt(2, buffer, 3), 3);
    EXPECT_EQ(std::string(buffer, 3), "234");
    EXPECT_EQ(both.Position(), 0);
    EXPECT_EQ(both.Seek(-2, SEEK_END), 10);
    EXPECT_EQ(both.Read(buffer, 16), 2);
    EXPECT_EQ(both.WriteAt(20, "z", 1), 1);
    off_t size = 0;
    EXPECT_EQ(both.GetSize(&size), B_OK);
    EXPECT_EQ(size, 21);
    EXPECT_EQ(both.SetSize(4), B_OK);
    EXPECT_EQ(both.GetSize(&size), B_OK);
    EXPECT_EQ(size, 4);
    EXPECT_EQ(both.Seek(0, 99), B_BAD_VALUE);
    both.Unset();

    BFile eraser(path.c_str(), B_READ_WRITE | B_ERASE_FILE);
    EXPECT_EQ(eraser.GetSize(&size), B_OK);
    EXPECT_EQ(size, 0);

    BFile reader(path.c_str(), B_READ_ONLY);
    EXPECT_EQ(reader.SetSize(10), B_PERMISSION_DENIED);
    EXPECT_EQ(BFile(dir.Path().c_str(), B_READ_ONLY).InitCheck(), B_IS_A_DIRECTORY);
    EXPECT_EQ(BFile(path.c_str(), 0x40000000).InitCheck(), B_BAD_VALUE);
    EXPECT_EQ(BFile().Read(buffer, 1), B_NO_INIT);
}

TEST(FileTest, OpeningFollowsALink)
{
    TempDir dir;
    WriteFileBytes(dir / "target", "payload");
    fs::create_symlink("target", dir / "link");
    BEntry linkEntry((dir / "link").c_str());
    BFile file(&linkEntry, B_READ_ONLY);
    ASSERT_EQ(file.InitCheck(), B_OK);
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, sizeof(buffer)), 7);
    EXPECT_STREQ(buffer, "payload");
    EXPECT_EQ(fs::path(file.PathName()), fs::canonical(dir / "target"));
}
