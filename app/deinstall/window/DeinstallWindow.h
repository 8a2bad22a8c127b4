// DeinstallWindow: the deinstaller as the desktop shows it. It lists what
// the removal takes away and what it keeps, with the reason (changed by the
// user since the installation, not placed by it, the record in doubt), and
// offers Remove and Cancel. Remove runs the deinstaller's own removal on a
// thread of the window, shows its progress line by line and then the
// result; the window is closed with Close. The removal rules are the
// deinstaller's (engine/Deinstaller.h): the window only shows and starts.
#pragma once

#include <Window.h>

#include <functional>
#include <string>
#include <thread>

class BButton;
class BListView;
class BStringView;
class Deinstaller;

class DeinstallWindow : public BWindow {
public:
    // How the window ended.
    enum Outcome { kCancelled, kRemoved, kRemovedWithFailures };

    // deinstaller has scanned and found its script sections already; it
    // must outlive the window. installFolder is named in the result.
    DeinstallWindow(Deinstaller& deinstaller, const std::string& installFolder);
    ~DeinstallWindow() override;

    void MessageReceived(BMessage* message) override;
    // Refused while the removal runs: it is never cut off half-way.
    bool QuitRequested() override;

    Outcome Result() const { return fOutcome; }
    // Told the outcome when the window agrees to close, on the thread that
    // runs every window's and the application's messages.
    void SetClosedHook(std::function<void(Outcome)> hook) { fClosedHook = std::move(hook); }

    static constexpr uint32 kRemove = 'dRem';
    static constexpr uint32 kCancel = 'dCan';
    static constexpr uint32 kProgress = 'dPrg';
    static constexpr uint32 kFinished = 'dFin';

private:
    void _Fill();
    void _StartRemoval();
    void _Finished(int32 failures);

    Deinstaller& fDeinstaller;
    std::string fInstallFolder;
    std::string fProduct;
    BStringView* fInstruction = nullptr;
    BStringView* fNote = nullptr;
    BListView* fRemoveList = nullptr;
    BListView* fKeepList = nullptr;
    BStringView* fProgress = nullptr;
    BButton* fRemoveButton = nullptr;
    BButton* fCancelButton = nullptr;
    int32 fToRemove = 0;
    int32 fDone = 0;
    int32 fRemoved = 0;
    int32 fKept = 0;
    int32 fFailed = 0;
    bool fRemoving = false;
    bool fFinished = false;
    Outcome fOutcome = kCancelled;
    std::thread fWorker;
    std::function<void(Outcome)> fClosedHook;
};
