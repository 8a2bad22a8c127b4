// The build tool run by an ordinary user (nobody) on a payload that user
// may not read, and into folders that user may not write. Root reads
// everything, so these tests need root to switch users; without root they
// are skipped.
#include "ToolRun.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

// Switches to nobody, opening the way to dir for that user. Skips the test
// (with the reason) when that cannot be done.
#define REQUIRE_NOBODY(dir, user)                                                                      \
    do {                                                                                               \
        const std::string why = PrepareNobody(dir, user);                                              \
        if (!why.empty())                                                                              \
            GTEST_SKIP() << why;                                                                       \
    } while (false)

// Folders from the sandbox root down to dir get search permission for
// everybody (nothing outside the sandbox is changed); folders above the
// sandbox must already allow it.
std::string PrepareNobody(const TempDir& dir, ToolUser& user)
{
    if (::geteuid() != 0)
        return "needs root to run the build tool as the user nobody";
    const struct passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr)
        return "there is no user nobody";
    user = {nobody->pw_uid, nobody->pw_gid};
    const fs::path root = ondelle::test::SandboxRoot();
    for (fs::path folder = dir.Path();; folder = folder.parent_path()) {
        struct stat st;
        if (::stat(folder.c_str(), &st) != 0)
            return "cannot look at " + folder.string();
        const bool inside = folder.string().rfind(root.string(), 0) == 0;
        if (inside)
            ::chmod(folder.c_str(), (st.st_mode & 07777) | 0711);
        else if ((st.st_mode & 0001) == 0)
            return folder.string() + " does not let other users through";
        if (folder == folder.parent_path())
            break;
    }
    const fs::path tool = ondelle::test::BuildDir() / "tools/ondelle-build";
    for (fs::path folder = tool; folder != folder.parent_path(); folder = folder.parent_path()) {
        struct stat st;
        if (::stat(folder.c_str(), &st) != 0 || (st.st_mode & 0001) == 0)
            return folder.string() + " cannot be reached by other users";
    }
    return std::string();
}

// A folder that belongs to the user, for the tool's own files.
fs::path OwnFolder(const TempDir& dir, const char* leaf, const ToolUser& user)
{
    const fs::path folder = dir / leaf;
    fs::create_directories(folder);
    EXPECT_EQ(::chown(folder.c_str(), user.uid, user.gid), 0);
    return folder;
}

// Runs the tool as user in a sandbox of its own at dir, whose temporary
// and home folders belong to the user.
ToolResult RunAs(const ToolUser& user, const TempDir& dir, const std::vector<std::string>& args)
{
    const fs::path temp = OwnFolder(dir, "tmp", user);
    const fs::path home = OwnFolder(dir, "home", user);
    std::vector<std::pair<const char*, std::string>> saved;
    for (const auto& [name, value] : {std::pair<const char*, std::string>{"ONDELLE_SANDBOX", dir.Path().string()},
             {"TMPDIR", temp.string()}, {"HOME", home.string()}}) {
        const char* old = std::getenv(name);
        saved.emplace_back(name, old != nullptr ? old : "");
        ::setenv(name, value.c_str(), 1);
    }
    ToolResult result = RunBuildTool(args, dir.Path().string(), &user);
    for (const auto& [name, value] : saved)
        ::setenv(name, value.c_str(), 1);
    return result;
}

// A product whose payload holds a file and a folder that only root reads.
void MakeProduct(const TempDir& dir)
{
    fs::create_directories(dir / "payload/locked");
    WriteFileBytes(dir / "payload/open.txt", "anyone\n");
    WriteFileBytes(dir / "payload/secret.txt", "root only\n");
    WriteFileBytes(dir / "payload/locked/inside.txt", "root only\n");
    WriteFileBytes(dir / "product.json", R"({"product": {"name": "Nobody Test"},
  "items": [{"path": "payload"}], "options": {"created_folder": "Nobody Test"}})");
    ::chmod((dir / "payload").c_str(), 0755);
    ::chmod((dir / "payload/secret.txt").c_str(), 0600);
    ::chmod((dir / "payload/locked").c_str(), 0700);
    ::chmod((dir / "product.json").c_str(), 0644);
}

} // namespace

TEST(UnprivilegedBuild, UnreadablePayloadIsAnErrorNamingEachEntry)
{
    TempDir dir;
    ToolUser user{};
    REQUIRE_NOBODY(dir, user);
    MakeProduct(dir);
    const fs::path out = OwnFolder(dir, "out", user);

    const ToolResult checked = RunAs(user, dir, {"check", "product.json"});
    EXPECT_EQ(checked.status, 1) << checked.err;
    EXPECT_NE(checked.err.find("payload/secret.txt: cannot be read"), std::string::npos) << checked.err;
    EXPECT_NE(checked.err.find("payload/locked: cannot be read"), std::string::npos) << checked.err;
    EXPECT_EQ(checked.err.find("open.txt"), std::string::npos) << checked.err;

    const ToolResult made = RunAs(user, dir, {"make", "product.json", "-o", "out/Setup"});
    EXPECT_EQ(made.status, 1) << made.err;
    EXPECT_EQ(made.err, checked.err) << "check says what make will";
    EXPECT_TRUE(fs::is_empty(out));
    EXPECT_TRUE(fs::is_empty(dir / "tmp"));
}

TEST(UnprivilegedBuild, ReadablePayloadBuildsAndUnwritableOutputIsReported)
{
    TempDir dir;
    ToolUser user{};
    REQUIRE_NOBODY(dir, user);
    MakeProduct(dir);
    ::chmod((dir / "payload/secret.txt").c_str(), 0644);
    ::chmod((dir / "payload/locked").c_str(), 0755);
    // Read-only to the user, like a payload on a shared volume.
    fs::create_directory(dir / "closed");
    ::chmod((dir / "closed").c_str(), 0755);

    const ToolResult refused = RunAs(user, dir, {"make", "product.json", "-o", "closed/Setup"});
    EXPECT_EQ(refused.status, 1) << refused.err;
    EXPECT_NE(refused.err.find("closed/"), std::string::npos) << refused.err;
    EXPECT_TRUE(fs::is_empty(dir / "closed"));

    const fs::path out = OwnFolder(dir, "out", user);
    const ToolResult made = RunAs(user, dir, {"make", "product.json", "--quiet", "-o", "out/Setup"});
    ASSERT_EQ(made.status, 0) << made.err;
    struct stat st;
    ASSERT_EQ(::stat((out / "Setup").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, user.uid);
    const ToolResult inspected = RunAs(user, dir, {"inspect", "out/Setup"});
    EXPECT_EQ(inspected.status, 0) << inspected.err;
    EXPECT_NE(inspected.out.find("payload/locked/inside.txt"), std::string::npos) << inspected.out;
    EXPECT_TRUE(fs::is_empty(dir / "tmp")) << "no scratch files left";
}
