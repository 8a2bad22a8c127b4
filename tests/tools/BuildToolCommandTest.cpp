// The build tool as a program: misuse is a message and exit 1, never an
// abort; an output that would destroy an input or a non-file is refused;
// a payload entry that cannot be packed stops `make` and `check` alike.
#include "ToolRun.h"

#include "TestSupport.h"

#include <LibFileUtils.h>
#include <Resources.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

// A small product in dir: product.json with a license and a payload folder.
void MakeProduct(const TempDir& dir)
{
    fs::create_directories(dir / "payload/sub");
    WriteFileBytes(dir / "payload/readme.txt", "read me\n");
    WriteFileBytes(dir / "payload/sub/data", "data\n");
    WriteFileBytes(dir / "license.txt", "Use it well.\n");
    WriteFileBytes(dir / "product.json", R"({"product": {"name": "Tool Test"}, "license": "license.txt",
  "items": [{"path": "payload"}, {"path": "license.txt"}], "options": {"created_folder": "Tool Test"}})");
}

bool MakeSocket(const fs::path& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    struct sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    if (path.string().size() >= sizeof(address.sun_path)) {
        ::close(fd);
        return false;
    }
    std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", path.c_str());
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return bound;
}

std::vector<std::string> Listing(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void ExpectRefused(const ToolResult& result, const std::string& named)
{
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_NE(result.err.find("error: "), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(named), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("terminate called"), std::string::npos) << result.err;
}

} // namespace

TEST(BuildToolCommand, DescriptionThatIsNoFileIsAnErrorNotAnAbort)
{
    TempDir dir;
    fs::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
    for (const char* command : {"check", "make"}) {
        SCOPED_TRACE(command);
        std::vector<std::string> args = {command, (dir / "folder").string()};
        if (std::string(command) == "make")
            args.insert(args.end(), {"-o", (dir / "Out").string()});
        ExpectRefused(RunBuildTool(args, dir.Path().string()), "is a folder");
        args[1] = (dir / "fifo").string(); // would block a reader for ever
        ExpectRefused(RunBuildTool(args, dir.Path().string()), "not a regular file");
        args[1] = (dir / "missing.json").string();
        ExpectRefused(RunBuildTool(args, dir.Path().string()), "does not exist");
    }
    const ToolResult inspected = RunBuildTool({"inspect", (dir / "folder").string()}, dir.Path().string());
    EXPECT_EQ(inspected.status, 1);
    EXPECT_NE(inspected.err.find("is a folder"), std::string::npos) << inspected.err;
    const ToolResult fifo = RunBuildTool({"inspect", (dir / "fifo").string()}, dir.Path().string());
    EXPECT_EQ(fifo.status, 1);
    EXPECT_NE(fifo.err.find("not a regular file"), std::string::npos) << fifo.err;
    EXPECT_FALSE(fs::exists(dir / "Out"));
}

TEST(BuildToolCommand, OutputThatIsAnInputIsRefusedAndTheInputKept)
{
    TempDir dir;
    MakeProduct(dir);
    fs::copy_file(ondelle::test::BuildDir() / "app/ondelle", dir / "installer");
    fs::create_symlink("product.json", dir / "link-to-description");
    ::link((dir / "license.txt").c_str(), (dir / "second-name-of-license").c_str());
    const std::vector<std::string> before = Listing(dir.Path());
    struct Case {
        const char* output;
        const char* named;
    } cases[] = {
        {"product.json", "the description"},
        {"link-to-description", "the description"},
        {"license.txt", "the license"},
        {"second-name-of-license", "the license"},
        {"payload/readme.txt", "payload"},
        {"payload/sub/New", "payload"},
        {"installer", "the installer program"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.output);
        const std::string kept = fs::exists(dir / test.output) ? ReadFileBytes(dir / test.output) : "";
        ExpectRefused(RunBuildTool({"make", "product.json", "--installer", "installer", "--no-deinstaller", "-o",
                          test.output}, dir.Path().string()), test.named);
        if (!kept.empty()) {
            EXPECT_EQ(ReadFileBytes(dir / test.output), kept);
        }
    }
    EXPECT_EQ(Listing(dir.Path()), before);
    EXPECT_FALSE(fs::exists(dir / "payload/sub/New"));
    EXPECT_TRUE(fs::is_symlink(dir / "link-to-description"));

    // A fresh output beside the inputs is fine.
    const ToolResult made = RunBuildTool({"make", "product.json", "--installer", "installer", "--no-deinstaller",
        "--quiet", "-o", "Setup"}, dir.Path().string());
    EXPECT_EQ(made.status, 0) << made.err;
    EXPECT_TRUE(fs::is_regular_file(dir / "Setup"));
}

TEST(BuildToolCommand, OutputThatIsNoRegularFileIsLeftAlone)
{
    TempDir dir;
    MakeProduct(dir);
    fs::create_directory(dir / "folder");
    WriteFileBytes(dir / "folder/inside", "kept");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
    std::vector<std::pair<std::string, std::string>> outputs = {{"folder", "a folder"}, {"fifo", "a FIFO"}};
    if (MakeSocket(dir / "socket"))
        outputs.emplace_back("socket", "a socket");
    if (::geteuid() == 0 && ::mknod((dir / "device").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0)
        outputs.emplace_back("device", "a device");
    for (const auto& [output, kind] : outputs) {
        SCOPED_TRACE(output);
        struct stat before;
        ASSERT_EQ(::lstat((dir / output).c_str(), &before), 0);
        ExpectRefused(RunBuildTool({"make", "product.json", "-o", output}, dir.Path().string()), kind);
        struct stat after;
        ASSERT_EQ(::lstat((dir / output).c_str(), &after), 0);
        EXPECT_EQ(before.st_ino, after.st_ino);
        EXPECT_EQ(before.st_mode, after.st_mode);
    }
    EXPECT_EQ(ReadFileBytes(dir / "folder/inside"), "kept");
}

TEST(BuildToolCommand, PayloadEntriesThatCannotBePackedStopCheckAndMake)
{
    TempDir dir;
    MakeProduct(dir);
    ASSERT_EQ(::mkfifo((dir / "payload/sub/pipe").c_str(), 0644), 0);
    const bool haveSocket = MakeSocket(dir / "payload/socket");
    const std::vector<std::string> before = Listing(dir.Path());

    const ToolResult checked = RunBuildTool({"check", "product.json"}, dir.Path().string());
    ExpectRefused(checked, "payload/sub/pipe: is a FIFO");
    EXPECT_NE(checked.err.find("items[0].path"), std::string::npos) << checked.err;
    if (haveSocket) {
        EXPECT_NE(checked.err.find("payload/socket: is a socket"), std::string::npos) << checked.err;
    }

    const ToolResult made = RunBuildTool({"make", "product.json", "-o", "Setup"}, dir.Path().string());
    ExpectRefused(made, "payload/sub/pipe: is a FIFO");
    EXPECT_EQ(made.err, checked.err) << "check says what make will";
    EXPECT_EQ(Listing(dir.Path()), before) << "nothing made";
}

// The help file a build carries: its 'qv:help' resource is a zip archive
// of the file under the name the installer reads; unpacked into folder.
std::string PackedHelp(const fs::path& build, const fs::path& folder, const std::string& leaf)
{
    BResources resources(build.c_str());
    size_t size = 0;
    const void* data = resources.LoadResource(B_RAW_TYPE, "qv:help", &size);
    if (data == nullptr)
        return "(no help resource)";
    fs::create_directories(folder);
    WriteFileBytes(folder / "help.zip", std::string(static_cast<const char*>(data), size));
    if (!LibUnzipTo((folder / "help.zip").c_str(), folder.c_str()))
        return "(help resource is no archive)";
    return ReadFileBytes(folder / leaf);
}

TEST(BuildToolCommand, BuildsCarryTheInstallersHelpUnlessTheVendorGivesOne)
{
    TempDir dir;
    MakeProduct(dir);
    const std::string folder = dir.Path().string();
    ToolResult made = RunBuildTool({"make", "product.json", "-o", "Plain"}, folder);
    ASSERT_EQ(made.status, 0) << made.err;
    const char* ownLeaf = "x-vnd.Quorvane.Vondl.help";
    const std::string ownHelp = ReadFileBytes(ondelle::test::BuildDir() / "app" / ownLeaf);
    ASSERT_FALSE(ownHelp.empty());
    EXPECT_EQ(PackedHelp(dir / "Plain", dir / "plain-help", ownLeaf), ownHelp);
    const ToolResult inspected = RunBuildTool({"inspect", "Plain"}, folder);
    EXPECT_EQ(inspected.status, 0) << inspected.err;

    WriteFileBytes(dir / "vendor.help", "<CONTENTS></CONTENTS>\n");
    WriteFileBytes(dir / "product.json", R"({"product": {"name": "Tool Test"}, "license": "license.txt",
  "help_file": "vendor.help", "items": [{"path": "payload"}], "options": {"created_folder": "Tool Test"}})");
    made = RunBuildTool({"make", "product.json", "-o", "Vendor"}, folder);
    ASSERT_EQ(made.status, 0) << made.err;
    // A vendor's file of any name is packed under the name the installer
    // looks for.
    EXPECT_EQ(PackedHelp(dir / "Vendor", dir / "vendor-help", ownLeaf), ReadFileBytes(dir / "vendor.help"));
}
