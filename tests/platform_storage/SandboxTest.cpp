// The sandbox: writes outside its root are refused before anything happens.
#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <FindDirectory.h>
#include <Node.h>
#include <Path.h>
#include <Sandbox.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

#include "TestSupport.h"

#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;
using ondelle::test::SandboxRoot;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

// Outside the sandbox, in a folder that does not exist: a kit that forgot
// the check fails here with "not found" rather than writing anything.
const char kOutside[] = "/nonexistent-ondelle-outside/target";

} // namespace

TEST(SandboxTest, RootAndPathChecks)
{
    ASSERT_TRUE(sandbox_active());
    ASSERT_NE(sandbox_root(), nullptr);
    const fs::path root = fs::canonical(SandboxRoot());
    EXPECT_EQ(fs::path(sandbox_root()), root);

    EXPECT_TRUE(sandbox_allows_write(root.c_str()));
    EXPECT_TRUE(sandbox_allows_write((root / "home/new/deeper").c_str()));
    EXPECT_FALSE(sandbox_allows_write(kOutside));
    EXPECT_FALSE(sandbox_allows_write("/tmp"));
    EXPECT_FALSE(sandbox_allows_write((root / "../escape").c_str()));
    EXPECT_FALSE(sandbox_allows_write((root.string() + "-sibling/x").c_str()));
    EXPECT_FALSE(sandbox_allows_write(""));
    EXPECT_FALSE(sandbox_allows_write(nullptr));

    TempDir dir;
    fs::create_directory_symlink("/", dir / "to-root");
    // A link inside the sandbox does not open a way out through its folder
    // part; the link itself (its last component) may be changed.
    EXPECT_FALSE(sandbox_allows_write((dir / "to-root/etc/passwd").c_str()));
    EXPECT_TRUE(sandbox_allows_write((dir / "to-root").c_str()));

    const fs::path previous = fs::current_path();
    fs::current_path(dir.Path());
    EXPECT_TRUE(sandbox_allows_write("relative"));
    EXPECT_FALSE(sandbox_allows_write("to-root/tmp/x"));
    fs::current_path(previous);
}

TEST(SandboxTest, KitRefusesWritesOutside)
{
    TempDir dir;
    WriteFileBytes(dir / "inside", "keep");

    EXPECT_EQ(BFile(kOutside, B_WRITE_ONLY | B_CREATE_FILE).InitCheck(), B_NOT_ALLOWED);
    // Reading outside is fine.
    EXPECT_EQ(BFile("/proc/self/status", B_READ_ONLY).InitCheck(), B_OK);
    EXPECT_EQ(create_directory(kOutside, 0755), B_NOT_ALLOWED);

    BDirectory inside(dir.Path().c_str());
    EXPECT_EQ(inside.CreateFile(kOutside, nullptr), B_NOT_ALLOWED);
    EXPECT_EQ(inside.CreateDirectory(kOutside, nullptr), B_NOT_ALLOWED);
    EXPECT_EQ(inside.CreateSymLink(kOutside, "x", nullptr), B_NOT_ALLOWED);

    BEntry entry((dir / "inside").c_str());
    EXPECT_EQ(entry.Rename("/tmp/ondelle-escaped"), B_NOT_ALLOWED);
    EXPECT_TRUE(fs::exists(dir / "inside"));
    EXPECT_FALSE(fs::exists("/tmp/ondelle-escaped"));

    // A link inside pointing outside: opening it for writing would write
    // its target, so it is refused.
    fs::create_symlink(kOutside, dir / "escape");
    EXPECT_EQ(BFile((dir / "escape").c_str(), B_WRITE_ONLY | B_CREATE_FILE).InitCheck(), B_NOT_ALLOWED);
    EXPECT_EQ(BFile((dir / "escape").c_str(), B_READ_ONLY).InitCheck(), B_ENTRY_NOT_FOUND);

    // Nodes and entries outside the root can be read but not changed.
    BNode outsideNode("/proc/self/status");
    ASSERT_EQ(outsideNode.InitCheck(), B_OK);
    EXPECT_EQ(outsideNode.WriteAttr("x", B_RAW_TYPE, 0, "x", 1), B_NOT_ALLOWED);
    EXPECT_EQ(outsideNode.RemoveAttr("x"), B_NOT_ALLOWED);
    EXPECT_EQ(outsideNode.SetModificationTime(0), B_NOT_ALLOWED);
    EXPECT_EQ(outsideNode.SetPermissions(0777), B_NOT_ALLOWED);
    BEntry outsideEntry("/proc/self/status");
    EXPECT_EQ(outsideEntry.SetCreationTime(0), B_NOT_ALLOWED);
    EXPECT_EQ(outsideEntry.Remove(), B_NOT_ALLOWED);
}

// Paths written below the root by their text but leading elsewhere: links
// deep in existing folders, ".." that climbs out, links that leave the root
// and come back, and an existing folder reached through a link outside.
TEST(SandboxTest, LinksAndClimbsBelowTheRootAreJudgedByWhereTheyLead)
{
    TempDir dir;
    const fs::path deep = dir / "a/b/c";
    fs::create_directories(deep);
    fs::create_directory_symlink("/usr", deep / "out");
    EXPECT_FALSE(sandbox_allows_write((deep / "out/x").c_str()));
    EXPECT_FALSE(sandbox_allows_write((deep / "out/share/new/x").c_str()));
    EXPECT_TRUE(sandbox_allows_write((deep / "out").c_str()));
    EXPECT_TRUE(sandbox_allows_write((deep / "file").c_str()));
    EXPECT_TRUE(sandbox_allows_write((deep / "missing/deeper/file").c_str()));

    const std::string climb = (deep / "../../../").string();
    size_t levels = 0;
    for (fs::path p = fs::path(sandbox_root()); p != p.root_path(); p = p.parent_path())
        levels++;
    std::string up;
    for (size_t i = 0; i <= levels + 3; i++)
        up += "../";
    EXPECT_FALSE(sandbox_allows_write((climb + up + "tmp/x").c_str()));
    EXPECT_TRUE(sandbox_allows_write((deep.string() + "/../x").c_str()));
    EXPECT_FALSE(sandbox_allows_write((deep.string() + "/out/..").c_str()));

    // A link that leaves the root and a link outside that leads back in:
    // what counts is where the path ends.
    const fs::path root = fs::path(sandbox_root());
    fs::create_directory_symlink(root / "home", deep / "home-again");
    EXPECT_TRUE(sandbox_allows_write((deep / "home-again/x").c_str()));
    fs::create_directory_symlink(deep / "out/..", deep / "parent-of-out");
    EXPECT_FALSE(sandbox_allows_write((deep / "parent-of-out/x").c_str()));
}
