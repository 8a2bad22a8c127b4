#include "DocumentTypeRegistration.h"

#include "TestSupport.h"

#include <DesktopEntry.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::SandboxRoot;

namespace {

fs::path DataHome()
{
    return SandboxRoot() / "home/.local/share";
}

void ClearDataHome()
{
    fs::remove_all(DataHome() / "mime");
    fs::remove_all(DataHome() / "applications");
}

} // namespace

TEST(DocumentTypeRegistration, WritesPackageAndEntryOnceUnderTheDataFolder)
{
    ClearDataHome();
    const std::string program = (SandboxRoot() / "media/My Installer").string();
    DocumentTypeRegistration registration(program);
    EXPECT_EQ(registration.MimePackagePath(), (DataHome() / "mime/packages/x-vnd.Quorvane.Vondl.xml").string());
    EXPECT_EQ(registration.DesktopEntryPath(), (DataHome() / "applications/x-vnd.Quorvane.Vondl.desktop").string());

    EXPECT_TRUE(registration.Register());
    const std::string package = ReadFileBytes(registration.MimePackagePath());
    EXPECT_NE(package.find("type=\"text/x-vondl\""), std::string::npos) << package;
    const std::string entry = ReadFileBytes(registration.DesktopEntryPath());
    EXPECT_NE(entry.find("\nMimeType=text/x-vondl;\n"), std::string::npos) << entry;
    // The program path holds a blank, so it is quoted on the command line.
    EXPECT_NE(entry.find("\nExec=" + DesktopEntry::ExecValue({program}) + "\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\"" + program + "\""), std::string::npos) << entry;

    // A second start finds everything in place and rewrites nothing.
    struct stat before = {};
    ASSERT_EQ(::stat(registration.DesktopEntryPath().c_str(), &before), 0);
    EXPECT_FALSE(registration.Register());
    struct stat after = {};
    ASSERT_EQ(::stat(registration.DesktopEntryPath().c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);

    // A changed entry (the program moved) is brought up to date.
    DocumentTypeRegistration moved((SandboxRoot() / "other/ondelle").string());
    EXPECT_TRUE(moved.Register());
    EXPECT_EQ(ReadFileBytes(moved.DesktopEntryPath()), moved.DesktopEntryContents());
    EXPECT_EQ(ReadFileBytes(moved.MimePackagePath()), package);
}

TEST(DocumentTypeRegistration, UnwritableDataFolderIsSilent)
{
    ClearDataHome();
    fs::create_directories(DataHome());
    // A file where the applications folder belongs cannot be made a folder.
    ondelle::test::WriteFileBytes(DataHome() / "applications", "in the way");
    ondelle::test::WriteFileBytes(DataHome() / "mime", "in the way");
    DocumentTypeRegistration registration((SandboxRoot() / "ondelle").string());
    EXPECT_FALSE(registration.Register());
    EXPECT_EQ(ReadFileBytes(DataHome() / "applications"), "in the way");
    fs::remove(DataHome() / "applications");
    fs::remove(DataHome() / "mime");
}
