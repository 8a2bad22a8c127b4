// The offers to run installed items: which items are offered, the
// questions as asked, scripts run through the shell, programs started on
// their own, and nothing started outside the sandbox.
#include "TestSupport.h"

#include <AutoLaunch.h>
#include <InterfaceDefs.h>
#include <InstallConfig.h>
#include <ScriptedAlertPresenter.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::TempDir;
using ondelle::test::WriteFileBytes;

namespace {

// Installs the scripted presenter for one test.
class PresenterScope {
public:
    ScriptedAlertPresenter& operator*() { return fPresenter; }
    ScriptedAlertPresenter* operator->() { return &fPresenter; }

private:
    ScriptedAlertPresenter fPresenter;
    BAlertPresenterScope fScope{&fPresenter};
};

BMessage Item(const fs::path& path, bool selected, const char* autoLaunch, const char* reason = nullptr)
{
    BMessage meta;
    meta.AddString("destination", "User Selected");
    if (autoLaunch != nullptr)
        meta.AddString("auto_launch", autoLaunch);
    if (reason != nullptr)
        meta.AddString("auto_launch_reason", reason);
    BMessage item;
    item.AddString("file_name", path.c_str());
    item.AddMessage("install_meta", &meta);
    item.AddBool("install_to_system", selected);
    return item;
}

void Load(InstallConfig& config, const std::vector<BMessage>& items)
{
    BMessage instructions;
    for (const BMessage& item : items)
        instructions.AddMessage("install_file", &item);
    BMessage configuration;
    configuration.AddMessage("install_instructions", &instructions);
    config = configuration;
}

// A script that leaves a mark beside itself and ends with status code.
fs::path Script(const fs::path& dir, const std::string& leaf, int code)
{
    const fs::path script = dir / leaf;
    WriteFileBytes(script, "echo ran > \"$0.ran\"\nexit " + std::to_string(code) + "\n");
    return script;
}

} // namespace


TEST(AutoLaunch, QuestionTextHasTheReasonOnItsOwnLine)
{
    EXPECT_EQ(LaunchQuestion("Tool", "It sets up your account."),
        "Do you wish to run 'Tool' now?\nIt sets up your account.");
    EXPECT_EQ(LaunchQuestion("Tool", ""), "Do you wish to run 'Tool' now?");
    EXPECT_EQ(LaunchQuestion("Tool", nullptr), "Do you wish to run 'Tool' now?");
    EXPECT_EQ(LaunchQuestion("100%s", nullptr), "Do you wish to run '100%s' now?");
}


TEST(AutoLaunch, OnlySelectedItemsMarkedExactlyTrueAreOfferedInOrder)
{
    TempDir dir;
    const fs::path first = Script(dir.Path(), "first.sh", 0);
    const fs::path lower = Script(dir.Path(), "lower.sh", 0);
    const fs::path unselected = Script(dir.Path(), "unselected.sh", 0);
    const fs::path second = Script(dir.Path(), "second.sh", 3);
    const fs::path declined = Script(dir.Path(), "declined.sh", 0);
    InstallConfig config;
    Load(config, {Item(first, true, "True", "Sets things up."), Item(lower, true, "true"),
        Item(unselected, false, "True"), Item(dir / "none.sh", true, nullptr),
        Item(second, true, "True", ""), Item(declined, true, "True")});

    PresenterScope presenter;
    presenter->Script(1);  // run first.sh, which succeeds silently
    presenter->Script(1);  // run second.sh
    presenter->Script(0);  // its failure
    presenter->Script(0);  // "Later" for declined.sh
    testing::internal::CaptureStderr();
    config.AutoLaunch();
    const std::string errors = testing::internal::GetCapturedStderr();

    const std::vector<BAlertRequest> questions = presenter->Questions();
    ASSERT_EQ(questions.size(), 4u);
    EXPECT_EQ(presenter->UnexpectedCount(), 0);
    EXPECT_EQ(questions[0].text, "Do you wish to run 'first.sh' now?\nSets things up.");
    EXPECT_EQ(questions[0].kind, "launch");
    EXPECT_EQ(questions[0].title, "");
    EXPECT_EQ(questions[0].type, B_INFO_ALERT);
    EXPECT_EQ(questions[0].buttons, (std::vector<std::string>{"Later", "Run"}));
    EXPECT_EQ(questions[0].defaultButton, 0);
    // Escape answers "Later".
    ASSERT_EQ(questions[0].shortcuts.size(), 2u);
    EXPECT_EQ(questions[0].shortcuts[0], char(B_ESCAPE));
    EXPECT_EQ(questions[1].text, "Do you wish to run 'second.sh' now?");
    EXPECT_EQ(questions[2].text, "The script 'second.sh' ended with exit status 3.");
    EXPECT_EQ(questions[2].type, B_STOP_ALERT);
    EXPECT_EQ(questions[3].text, "Do you wish to run 'declined.sh' now?");

    EXPECT_TRUE(fs::exists(first.string() + ".ran"));
    EXPECT_TRUE(fs::exists(second.string() + ".ran"));
    for (const fs::path& notRun : {lower, unselected, declined})
        EXPECT_FALSE(fs::exists(notRun.string() + ".ran")) << notRun;
    EXPECT_NE(errors.find("(/bin/sh \"" + first.string() + "\")"), std::string::npos);
}


TEST(AutoLaunch, ProgramsStartOnTheirOwnAndNothingOutsideTheSandbox)
{
    TempDir dir;
    // A real executable inside the sandbox: a copy of the system's "true".
    const fs::path program = dir / "Tool";
    fs::copy_file("/bin/true", program);
    ::chmod(program.c_str(), 0755);
    EXPECT_EQ(LaunchKindOf(program.c_str()), LAUNCH_EXECUTABLE);
    EXPECT_EQ(LaunchKindOf(Script(dir.Path(), "s.sh", 0).c_str()), LAUNCH_SCRIPT);
    EXPECT_EQ(LaunchKindOf((dir / "missing").c_str()), LAUNCH_SCRIPT);

    // A script outside the sandbox that would leave a mark if it ran.
    const fs::path outsideScript = fs::path("/tmp") / ("ondelle-autolaunch-" + std::to_string(::getpid()));
    EXPECT_EQ(RunScript(outsideScript.c_str()), -1);

    InstallConfig config;
    Load(config, {Item(program, true, "True"), Item("/bin/true", true, "True"),
        Item(dir / "ghost.sh", true, "True")});
    PresenterScope presenter;
    for (int32 answer : {1, 1, 0, 1, 0})
        presenter->Script(answer);
    testing::internal::CaptureStderr();
    config.AutoLaunch();
    testing::internal::GetCapturedStderr();

    const std::vector<BAlertRequest> questions = presenter->Questions();
    ASSERT_EQ(questions.size(), 5u);
    EXPECT_EQ(questions[0].text, "Do you wish to run 'Tool' now?");
    // The program inside started: the next question is the next offer.
    EXPECT_EQ(questions[1].text, "Do you wish to run 'true' now?");
    // The system's program is not started from a sandboxed install.
    EXPECT_EQ(questions[2].text, "'true' was unable to be run at this time.");
    EXPECT_EQ(questions[2].type, B_STOP_ALERT);
    // A missing file is handed to the shell, which fails.
    EXPECT_EQ(questions[3].text, "Do you wish to run 'ghost.sh' now?");
    EXPECT_EQ(questions[4].text.rfind("The script 'ghost.sh' ended with exit status ", 0), 0u) << questions[4].text;
}

TEST(AutoLaunch, AScriptsFailureSaysWhy)
{
    EXPECT_EQ(ScriptFailureText("a.sh", 0), "");
    EXPECT_EQ(ScriptFailureText("a.sh", 2 << 8), "The script 'a.sh' ended with exit status 2.");
    EXPECT_EQ(ScriptFailureText("a.sh", 9), "The script 'a.sh' was ended by signal 9.");
    EXPECT_EQ(ScriptFailureText("a.sh", -1), "The script 'a.sh' could not be run.");
}
