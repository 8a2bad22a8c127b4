// A program started by a bundled build's first stage takes the build's file
// for its own (to read its resources and find the folder it was started
// from); a program it starts in turn does not.
#include "TestSupport.h"

#include <AppPath.h>
#include <LibEntryUtils.h>
#include <Path.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class BuildFileVariable {
public:
    explicit BuildFileVariable(const std::string& value) { ::setenv("ONDELLE_BUILD_FILE", value.c_str(), 1); }
    ~BuildFileVariable() { ::unsetenv("ONDELLE_BUILD_FILE"); }
    BuildFileVariable(const BuildFileVariable&) = delete;
    BuildFileVariable& operator=(const BuildFileVariable&) = delete;
};

} // namespace

TEST(BuildFileName, OnlyTheProcessTheFirstStageNamedTakesTheBuildsFile)
{
    ondelle::test::TempDir dir;
    const fs::path build = dir / "folder/SkylarkSetup";
    fs::create_directories(build.parent_path());
    ondelle::test::WriteFileBytes(build, "build");
    const fs::path self = fs::canonical("/proc/self/exe");
    const std::string pid = std::to_string(::getpid());
    std::string path;
    {
        const BuildFileVariable variable(pid + ":" + build.string());
        ASSERT_EQ(get_app_path(&path), B_OK);
        EXPECT_EQ(path, build.string());
        BPath working;
        LibGetWorkingDirectory(working);
        EXPECT_STREQ(working.Path(), (dir / "folder").c_str());
    }
    for (const std::string& value : {std::to_string(::getppid()) + ":" + build.string(), pid + "0:" + build.string(),
             pid + ":relative/SkylarkSetup", build.string()}) {
        const BuildFileVariable variable(value);
        ASSERT_EQ(get_app_path(&path), B_OK);
        EXPECT_EQ(fs::path(path), self) << value;
    }
}
