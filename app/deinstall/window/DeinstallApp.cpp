#include "DeinstallApp.h"

#include <InterfaceKit.h>
#include <Message.h>
#include <ScriptRunner.h>
#include <StringItem.h>

#include <cstdlib>

namespace {

const char* const kSignature = "application/x-vnd.Quorvane.Undelle";

} // namespace


DeinstallApp::DeinstallApp(Deinstaller& deinstaller, const std::string& installFolder)
    : BApplication(kSignature),
      fDeinstaller(deinstaller),
      fInstallFolder(installFolder)
{
    // Windows need the toolkit's application, run by this application's
    // loop on the main thread.
    interface_init(true);
}


DeinstallApp::~DeinstallApp() = default;


void
DeinstallApp::ReadyToRun()
{
    const char* script = std::getenv("ONDELLE_TEST_DRIVER");
    if (script != nullptr && script[0] != '\0') {
        fDriver = std::make_unique<ScriptRunner>(stdout);
        fDriver->SetItemText([](const BListItem* item) -> std::string {
            const auto* string = dynamic_cast<const BStringItem*>(item);
            return string != nullptr && string->Text() != nullptr ? string->Text() : "";
        });
        const char* pictures = std::getenv("ONDELLE_SCREENSHOT_DIR");
        if (pictures != nullptr && pictures[0] != '\0')
            fDriver->SetPictureFolder(pictures);
        // A script that went wrong leaves nothing waiting for a user.
        fDriver->SetFailureHook([this] { PostMessage(B_QUIT_REQUESTED); });
        fDriver->Start(script);
    }
    fWindow = new DeinstallWindow(fDeinstaller, fInstallFolder);
    // The application ends with its window.
    fWindow->SetClosedHook([this](DeinstallWindow::Outcome outcome) {
        fOutcome = outcome;
        fWindow = nullptr;
        PostMessage(B_QUIT_REQUESTED);
    });
    fWindow->CenterOnScreen();
    fWindow->Show();
}


bool
DeinstallApp::QuitRequested()
{
    // The window decides: it does not close while the removal runs.
    if (DeinstallWindow* window = fWindow) {
        if (!window->Lock())
            return true;
        // Its hook takes the outcome and forgets the window.
        if (!window->QuitRequested()) {
            window->Unlock();
            return false;
        }
        window->Quit();
    }
    fDriver.reset();
    return true;
}


bool
DeinstallerHasDisplay()
{
    return interface_has_display();
}


int
RunDeinstallWindow(Deinstaller& deinstaller, const std::string& installFolder)
{
    DeinstallWindow::Outcome outcome = DeinstallWindow::kCancelled;
    {
        DeinstallApp app(deinstaller, installFolder);
        app.Run();
        outcome = app.Result();
    }
    interface_shutdown();
    switch (outcome) {
        case DeinstallWindow::kRemoved:
            return 0;
        case DeinstallWindow::kRemovedWithFailures:
            return 1;
        default:
            return 3;
    }
}
