#include "TestDriver.h"

#include "InstallApp.h"
#include "InstallerWin.h"

#include <Application.h>
#include <FileListItem.h>
#include <StringItem.h>

#include <cstdlib>

std::unique_ptr<TestDriver> TestDriver::FromEnvironment(InstallApp& app)
{
    const char* script = std::getenv(kScriptVariable);
    if (script == nullptr || script[0] == '\0')
        return nullptr;
    auto driver = std::make_unique<TestDriver>(app, stdout);
    const char* pictures = std::getenv(kPictureVariable);
    if (pictures != nullptr && pictures[0] != '\0')
        driver->Runner().SetPictureFolder(pictures);
    driver->Runner().Start(script);
    return driver;
}

TestDriver::TestDriver(InstallApp& app, FILE* report)
    : fRunner(report)
{
    fRunner.SetItemText([](const BListItem* item) -> std::string {
        const char* text = nullptr;
        if (auto* file = dynamic_cast<const FileListItem*>(item))
            text = file->DisplayText();
        else if (auto* string = dynamic_cast<const BStringItem*>(item))
            text = string->Text();
        return text != nullptr ? text : "";
    });
    fRunner.AddCommand("state", [&app](const std::vector<std::string>& words, std::string* why) {
        const int32 wanted = words.size() == 1 ? StateNamed(words[0]) : 0;
        if (wanted == 0) {
            *why = "the state is license, choosing or installing";
            return ScriptRunner::kFailed;
        }
        InstallerWin* window = app.Window();
        if (window != nullptr && window->CurrentState() == wanted)
            return ScriptRunner::kDone;
        *why = window == nullptr ? "the installer window is not open"
            : "the installer window is in state " + std::to_string(window->CurrentState());
        return ScriptRunner::kNotYet;
    });
    // A script that went wrong leaves nothing waiting for a user.
    fRunner.SetFailureHook([] {
        if (be_app != nullptr)
            be_app->PostMessage(B_QUIT_REQUESTED);
    });
}

int32 TestDriver::StateNamed(const std::string& word)
{
    if (word == "license")
        return InstallerWin::kLicense;
    if (word == "choosing")
        return InstallerWin::kChoosing;
    if (word == "installing")
        return InstallerWin::kInstalling;
    return 0;
}
