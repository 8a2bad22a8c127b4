// LibAppTipHost: the tool-tip manager's hands in the program: the
// application's pulse and the one LibTipWin, made on the first request and
// left to the platform, which closes it with the application.
#pragma once

#include "LibTipHost.h"

class BApplication;
class LibTipWin;

class LibAppTipHost : public LibTipHost {
public:
    // app is not owned; its Pulse() is expected to call the manager's
    // PostPending().
    explicit LibAppTipHost(BApplication* app);
    ~LibAppTipHost() override;

    void CreateTipWindow() override;
    void SetTipText(const char* text, const int32& width) override;
    void MoveTipWindow(const BPoint& where) override;
    void PopTipWindow() override;
    void HideTipWindow() override;
    void SetTipPulseRate(const bigtime_t& rate) override;
    void SetAppPulseRate(const bigtime_t& rate) override;

    LibTipWin* TipWindow() const { return fWindow; }

private:
    BApplication* fApp;
    LibTipWin* fWindow;
};
