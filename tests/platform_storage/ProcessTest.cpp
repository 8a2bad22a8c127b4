// Child programs run from an argument vector, without a shell.
#include <Process.h>

#include <gtest/gtest.h>

#include "TestSupport.h"

#include <csignal>
#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

TEST(ProcessTest, ArgumentsArriveExactlyAsGiven)
{
    const std::vector<std::string> awkward = {"with \"quotes\"", "it's", "$HOME ${PATH}", "`id`",
        "  blanks  ", "new\nline", "-n", "--", "*", "; rm -rf /", ""};
    std::vector<std::string> args = {"printf", "[%s]\\n"};
    args.insert(args.end(), awkward.begin(), awkward.end());
    process_options options;
    options.captureOutput = true;
    process_result result;
    ASSERT_EQ(run_process(args, options, &result), B_OK);
    EXPECT_EQ(result.exitCode, 0);
    std::string expected;
    for (const std::string& arg : awkward)
        expected += "[" + arg + "]\n";
    EXPECT_EQ(result.output, expected);
}

TEST(ProcessTest, WorkingFolderExitStatusAndErrorOutput)
{
    TempDir dir;
    fs::create_directory(dir / "work -dir $x");
    WriteFileBytes(dir / "work -dir $x/present", "x");
    const fs::path before = fs::current_path();

    process_options options;
    options.workingDirectory = (dir / "work -dir $x").string();
    options.captureOutput = true;
    process_result result;
    ASSERT_EQ(run_process({"ls", "--", "present", "absent"}, options, &result), B_OK);
    EXPECT_NE(result.exitCode, 0);
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.output, "present\n");
    EXPECT_NE(result.errorOutput.find("absent"), std::string::npos);
    // The caller's own folder never changes.
    EXPECT_EQ(fs::current_path(), before);

    ASSERT_EQ(run_process({"/bin/sh", "-c", "kill -TERM $$"}, process_options(), &result), B_OK);
    EXPECT_EQ(result.exitCode, -1);
    EXPECT_EQ(result.signal, SIGTERM);

    // Standard input is empty: a program that reads it ends at once.
    ASSERT_EQ(run_process({"cat"}, options, &result), B_OK);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, "");
}

TEST(ProcessTest, MissingProgramsAndBadArguments)
{
    TempDir dir;
    process_result result;
    EXPECT_EQ(run_process({}, process_options(), &result), B_BAD_VALUE);
    EXPECT_EQ(run_process({"no-such-program-ondelle"}, process_options(), &result), B_ENTRY_NOT_FOUND);
    process_options options;
    options.workingDirectory = (dir / "missing").string();
    EXPECT_EQ(run_process({"true"}, options, &result), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(find_program("no-such-program-ondelle"), "");
    EXPECT_FALSE(find_program("sh").empty());
}

TEST(ProcessTest, SandboxAllowsOnlySystemBinariesAndItsOwnPrograms)
{
    TempDir dir;
    // A program inside the sandbox may run.
    const fs::path script = dir / "tool";
    WriteFileBytes(script, "#!/bin/sh\necho ran > \"$1\"\n");
    fs::permissions(script, fs::perms::owner_all);
    process_result result;
    ASSERT_EQ(run_process({script.string(), (dir / "out").string()}, process_options(), &result), B_OK);
    EXPECT_EQ(ReadFileBytes(dir / "out"), "ran\n");

    // One outside it and outside /bin and /usr/bin may not.
    for (const char* outside : {"/usr/sbin/nologin", "/sbin/ldconfig", "/usr/lib/git-core/git"}) {
        struct stat st;
        if (::stat(outside, &st) != 0)
            continue;
        EXPECT_EQ(run_process({outside}, process_options(), &result), B_NOT_ALLOWED) << outside;
    }
    EXPECT_EQ(run_process({"true"}, process_options(), &result), B_OK);
}
