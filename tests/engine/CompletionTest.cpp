// The end of an installation: the completion message, the restart
// question and the opening of the installation folder, all recorded in the
// sandbox.
#include "TestSupport.h"

#include <Completion.h>
#include <Entry.h>
#include <InstallConfig.h>
#include <ScriptedAlertPresenter.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using ondelle::test::ReadFileBytes;
using ondelle::test::SandboxRoot;
using ondelle::test::TempDir;

namespace {

class PresenterScope {
public:
    PresenterScope() { set_alert_presenter(&fPresenter); }
    ~PresenterScope() { set_alert_presenter(nullptr); }
    ScriptedAlertPresenter* operator->() { return &fPresenter; }

private:
    ScriptedAlertPresenter fPresenter;
};

std::vector<fs::path> DesktopRequests()
{
    std::vector<fs::path> requests;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(SandboxRoot() / "desktop-requests", error))
        requests.push_back(entry.path());
    return requests;
}

BMessage Completion(const char* comments, bool restart, bool displayFolder)
{
    BMessage configuration;
    if (comments != nullptr)
        configuration.AddString("complete_comments", comments);
    configuration.AddBool("complete_restart", restart);
    configuration.AddBool("complete_display_folder", displayFolder);
    return configuration;
}

} // namespace


TEST(Completion, MessageTexts)
{
    EXPECT_EQ(CompletionMessage("", "", false), "Installation successfully completed.");
    EXPECT_EQ(CompletionMessage(nullptr, nullptr, false), "Installation successfully completed.");
    EXPECT_EQ(CompletionMessage("", "Read the manual.", false),
        "Installation successfully completed.\n\nRead the manual.");
    EXPECT_EQ(CompletionMessage("", "", true),
        "Installation successfully completed.\n\n"
        "The system needs to be restarted for the installation to take effect.");
    EXPECT_EQ(CompletionMessage("Installation completed, but 1 item could not be installed:\n\nx",
                  "Thanks.", true),
        "Installation completed, but 1 item could not be installed:\n\nx\n\nThanks.\n\n"
        "The system needs to be restarted for the installation to take effect.");
}


TEST(Completion, InformationAlertShowsCommentsLiterallyAndOpensNothing)
{
    TempDir folder;
    InstallConfig config;
    config = Completion("Enjoy 100% of it: %s %n %d", false, false);
    const size_t requestsBefore = DesktopRequests().size();
    PresenterScope presenter;
    config.Complete(folder.Path().c_str());

    const std::vector<BAlertRequest> questions = presenter->Questions();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].text, "Installation successfully completed.\n\nEnjoy 100% of it: %s %n %d");
    EXPECT_EQ(questions[0].buttons, std::vector<std::string>{"OK"});
    EXPECT_EQ(questions[0].kind, "completion");
    EXPECT_EQ(questions[0].type, B_INFO_ALERT);
    EXPECT_FALSE(config.RestartRequested());
    EXPECT_EQ(DesktopRequests().size(), requestsBefore);

    // Without comments the message stands alone.
    InstallConfig plain;
    plain = Completion("", false, false);
    plain.Complete(folder.Path().c_str());
    EXPECT_EQ(presenter->Questions().back().text, "Installation successfully completed.");
}


TEST(Completion, RestartQuestionSetsTheFieldOnlyForRestartNow)
{
    TempDir folder;
    PresenterScope presenter;
    presenter->Script(0);
    InstallConfig later;
    later = Completion("", true, false);
    later.Complete(folder.Path().c_str());
    EXPECT_FALSE(later.RestartRequested());

    presenter->Script(1);
    InstallConfig now;
    now = Completion("Thanks.", true, false);
    now.Complete(folder.Path().c_str());
    EXPECT_TRUE(now.RestartRequested());

    const std::vector<BAlertRequest> questions = presenter->Questions();
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(presenter->UnexpectedCount(), 0);
    EXPECT_EQ(questions[1].text, "Installation successfully completed.\n\nThanks.\n\n"
        "The system needs to be restarted for the installation to take effect.");
    EXPECT_EQ(questions[1].buttons, (std::vector<std::string>{"Restart Later", "Restart Now"}));
    EXPECT_EQ(questions[1].kind, "restart");
    EXPECT_EQ(questions[1].defaultButton, 0);
    // The job only records the answer; nothing asks the system to restart.
    EXPECT_FALSE(fs::exists(SandboxRoot() / "shutdown-requests"));
}


TEST(Completion, InstallationFolderIsOpenedWhenAsked)
{
    TempDir folder;
    InstallConfig config;
    config = Completion(nullptr, false, true);
    const std::vector<fs::path> before = DesktopRequests();
    PresenterScope presenter;
    config.Complete(folder.Path().c_str());
    const std::vector<fs::path> after = DesktopRequests();
    ASSERT_EQ(after.size(), before.size() + 1);

    fs::path request;
    for (const fs::path& path : after) {
        if (std::find(before.begin(), before.end(), path) == before.end())
            request = path;
    }
    const std::string bytes = ReadFileBytes(request);
    BMessage message;
    ASSERT_EQ(message.Unflatten(bytes.data(), ssize_t(bytes.size())), B_OK);
    EXPECT_EQ(message.what, uint32('_RRC'));
    entry_ref ref;
    ASSERT_EQ(message.FindRef("refs", &ref), B_OK);
    BEntry entry(&ref);
    ASSERT_NE(entry.PathName(), nullptr);
    EXPECT_EQ(fs::path(entry.PathName()), fs::canonical(folder.Path()));
    // The completion message came first.
    ASSERT_EQ(presenter->Questions().size(), 1u);
}


TEST(Completion, ItemsThatFailedAreNamedInsteadOfSuccess)
{
    // A build whose only item has no archive: the job cannot install it.
    TempDir dir;
    ondelle::test::WriteFileBytes(dir / "build.rsrc", "");
    fs::create_directories(dir / "dest");
    BMessage meta;
    meta.AddString("destination", "User Selected");
    meta.AddString("link", "None");
    meta.AddString("deinstallable", "True");
    BMessage item;
    item.AddString("file_name", "/build/ghost.txt");
    item.AddMessage("install_meta", &meta);
    item.AddBool("install_to_system", true);
    BMessage instructions;
    instructions.AddMessage("install_file", &item);
    BMessage configuration = Completion("Bye.", false, false);
    configuration.AddString("app_name", "P");
    configuration.AddString("version", "1");
    configuration.AddString("opt_created_folder", "P");
    configuration.AddMessage("install_instructions", &instructions);

    InstallConfig config;
    config = configuration;
    config.SetResourcePath((dir / "build.rsrc").c_str());
    entry_ref destination;
    ASSERT_EQ(get_ref_for_path((dir / "dest").c_str(), &destination), B_OK);
    config.SetDestination(destination);
    PresenterScope presenter;
    testing::internal::CaptureStderr();
    EXPECT_EQ(config.Action(), 0);
    testing::internal::GetCapturedStderr();

    const std::vector<BAlertRequest> questions = presenter->Questions();
    ASSERT_FALSE(questions.empty());
    const BAlertRequest& done = questions.back();
    EXPECT_EQ(done.kind, "completion");
    EXPECT_EQ(done.type, B_WARNING_ALERT);
    EXPECT_EQ(done.text.rfind("Installation completed, but 1 item could not be installed:\n\nghost.txt", 0), 0u)
        << done.text;
    EXPECT_EQ(done.text.find("Installation successfully completed."), std::string::npos);
    EXPECT_EQ(done.text.substr(done.text.size() - 6), "\n\nBye.");
}
