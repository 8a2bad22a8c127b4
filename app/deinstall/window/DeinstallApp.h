// DeinstallApp: the deinstaller's application when it shows its window
// (DeinstallWindow). A script named by ONDELLE_TEST_DRIVER drives it as the
// installer's test hook drives the installer (ScriptRunner.h): windows
// by name ("DeinstallWindow"), list items by their text.
#pragma once

#include <Application.h>

#include "DeinstallWindow.h"

#include <memory>
#include <string>

class ScriptRunner;

class DeinstallApp : public BApplication {
public:
    DeinstallApp(Deinstaller& deinstaller, const std::string& installFolder);
    ~DeinstallApp() override;

    void ReadyToRun() override;
    bool QuitRequested() override;

    DeinstallWindow::Outcome Result() const { return fOutcome; }

private:
    Deinstaller& fDeinstaller;
    std::string fInstallFolder;
    DeinstallWindow* fWindow = nullptr;
    DeinstallWindow::Outcome fOutcome = DeinstallWindow::kCancelled;
    std::unique_ptr<ScriptRunner> fDriver;
};

// Whether the deinstaller can show its window: a display a person sees (X11
// or Wayland named; Qt's "offscreen" platform is none).
bool DeinstallerHasDisplay();

// Shows the window until it is closed; the exit status of the program:
// 0 removed (or nothing to remove), 1 something could not be removed,
// 3 cancelled.
int RunDeinstallWindow(Deinstaller& deinstaller, const std::string& installFolder);
