#include "InstallApp.h"

#include "InstallerWin.h"
#include "TestDriver.h"
#include "WindowAlertPresenter.h"

#include <DocumentTypeRegistration.h>
#include <InstallerIdentity.h>
#include <InterfaceKit.h>
#include <LibAlert.h>
#include <LibSound.h>
#include <SignalQuitter.h>

namespace {

const uint32 kPlaySound = 2200;

} // namespace

InstallApp::InstallApp(const std::string& buildPath, const BuildTrust& trust)
    : BApplication(INSTALLER_SIGNATURE),
      fBuildPath(buildPath),
      fTrust(trust),
      fPresenter(std::make_unique<WindowAlertPresenter>()),
      fTipHost(std::make_unique<LibAppTipHost>(this)),
      fTips(std::make_unique<LibTipManager>(*fTipHost))
{
    interface_init(true);
    // The desktop learns that the installer opens its document type; an
    // unwritable data folder leaves start-up going on without it.
    DocumentTypeRegistration(fBuildPath).Register();
    set_alert_presenter(fPresenter.get());
    // Termination signals quit the program in order, as closing it does.
    fSignals = std::make_unique<SignalQuitter>(BMessenger(this));
    // The help file is the one in the build itself (or a copy in the
    // working or temporary folder).
    fHelp.SetSignature(INSTALLER_SIGNATURE);
    fHelp.SetProgramPath(fBuildPath.c_str());
}

InstallApp::~InstallApp()
{
    // The tip manager goes before the host it drives; the platform closes
    // the tip window with the application.
    fTips.reset();
    fTipHost.reset();
    fSignals.reset();
    set_alert_presenter(nullptr);
}

void InstallApp::ReadyToRun()
{
    // A driving script starts first, so that it can answer an alert that
    // loading the build brings up as well.
    fDriver = TestDriver::FromEnvironment(*this);
    if (fTrust.status != 0) {
        // Nothing of a refused build is shown or installed.
        fLoadFailed = true;
        LibError("%s", fTrust.refusal.c_str());
        PostMessage(B_QUIT_REQUESTED);
        return;
    }
    fWindow = new InstallerWin();
    if (!fWindow->LoadResources(fBuildPath.c_str())) {
        // The user was told; the quit request is on its way.
        fLoadFailed = true;
        if (fWindow->Lock())
            fWindow->Quit();
        fWindow = nullptr;
        return;
    }
    // Alerts bear the product's name, as the window does.
    if (const char* product = fWindow->Configuration().AppName(); product != nullptr && product[0] != '\0')
        fPresenter->SetTitle(product);
    fWindow->SetSignatureText(fTrust.summary.c_str(), fTrust.manifest);
    fWindow->CenterOnScreen();
    fWindow->Show();
}

void InstallApp::MessageReceived(BMessage* message)
{
    if (message->what == kPlaySound) {
        fSound = std::make_unique<LibSound>(*message, "Ondelle");
        fSound->Play();
        return;
    }
    if (message->what == HelpManager::kHelpRequest) {
        fHelp.MessageReceived(message);
        return;
    }
    if (message->what == kLibTipRequest || message->what == kLibTipToggle) {
        fTips->MessageReceived(message);
        return;
    }
    BApplication::MessageReceived(message);
}

void InstallApp::Pulse()
{
    fTips->PostPending();
}

bool InstallApp::QuitRequested()
{
    // What asked for the quit: the window names itself, the job's end and
    // the Stop button; the signal watcher says "signal"; anything else is
    // the session ending the program.
    const char* cause = "session";
    if (BMessage* message = CurrentMessage())
        message->FindString("cause", &cause);
    // A running install is stopped (or, when it has done its work, waited
    // for) before the window and its configuration go.
    if (fWindow != nullptr) {
        if (!fWindow->QuitRunning(cause))
            return false;
        fInstallStopped = fWindow->JobWasStopped();
        if (fWindow->Lock())
            fWindow->Quit();
        fWindow = nullptr;
    }
    fHelp.CloseWindow();
    return true;
}
