// InstallApp: the installer's application when it has a display. It opens
// the installer window, loads the build's configuration into it, plays the
// product's start-up sound, puts every question to the user in dialogs, and
// stops a running install before it quits. Help requests (Shift+F1 over any
// view) open the context help on the view's entry.
#pragma once

#include "BuildTrust.h"

#include <Application.h>
#include <HelpManager.h>
#include <LibAppTipHost.h>
#include <LibTipManager.h>

#include <memory>
#include <string>

class InstallerWin;
class LibSound;
class SignalQuitter;
class TestDriver;
class WindowAlertPresenter;

class InstallApp : public BApplication {
public:
    // buildPath: the installer build whose configuration is shown (the
    // program's own file).
    // trust: what the check of the build found; a refused build shows its
    // refusal and the program ends without loading it.
    explicit InstallApp(const std::string& buildPath, const BuildTrust& trust = BuildTrust());
    virtual ~InstallApp();

    void ReadyToRun() override;
    // Tool-tip requests ('stip', 'tipf') go to the tip manager, help
    // requests to the help manager, the start-up sound is played.
    void MessageReceived(BMessage* message) override;
    // Shows a tool tip whose start delay has passed.
    void Pulse() override;
    bool QuitRequested() override;

    InstallerWin* Window() const { return fWindow; }
    // Whether the build carried no readable configuration (the user was
    // told, and the program ends without installing).
    bool LoadFailed() const { return fLoadFailed; }
    // Whether quitting stopped an install at work.
    bool InstallStopped() const { return fInstallStopped; }
    HelpManager& Help() { return fHelp; }
    LibAppTipHost& TipHost() { return *fTipHost; }

private:
    std::string fBuildPath;
    BuildTrust fTrust;
    InstallerWin* fWindow = nullptr;
    bool fLoadFailed = false;
    bool fInstallStopped = false;
    std::unique_ptr<LibSound> fSound;
    std::unique_ptr<WindowAlertPresenter> fPresenter;
    std::unique_ptr<SignalQuitter> fSignals;
    HelpManager fHelp;
    // The tool tips of every window of the program (the installer window's
    // groups and folder button, and any other view that asks).
    std::unique_ptr<LibAppTipHost> fTipHost;
    std::unique_ptr<LibTipManager> fTips;
    // Only when a test drives the program (see TestDriver.h).
    std::unique_ptr<TestDriver> fDriver;
};
