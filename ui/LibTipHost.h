// LibTipHost: what the tool-tip manager drives. In the program it is the
// application (its pulse) together with the one tip window; tests put a
// recorder with a clock of their own in its place.
//
// The manager calls these only from the application's thread. The tip
// window's pulse, once its rate is set, reaches the tip text view, which
// hides the window (and that stops the pulse).
#pragma once

#include <Point.h>
#include <SupportDefs.h>

class LibTipHost {
public:
    virtual ~LibTipHost();

    // Creates the tip window and starts its thread; it stays hidden. Called
    // once, on the first request the manager handles.
    virtual void CreateTipWindow() = 0;
    // With the tip window locked: sets its text and sizes it. width > 0: a
    // text width in pixels (the window is width + 3 wide and as high as the
    // wrapped lines); otherwise one line as wide as the text.
    virtual void SetTipText(const char* text, const int32& width) = 0;
    // Moves the tip window's top-left corner to where (screen coordinates).
    virtual void MoveTipWindow(const BPoint& where) = 0;
    // Brings the tip window up: current workspace, shown, in front.
    virtual void PopTipWindow() = 0;
    // With the tip window locked: hides it when it is shown, which also
    // sets its pulse rate to 0.
    virtual void HideTipWindow() = 0;
    // Pulse rate of the tip window, in microseconds; 0 stops its pulse.
    virtual void SetTipPulseRate(const bigtime_t& rate) = 0;
    // Pulse rate of the application, in microseconds; 0 stops its pulse.
    // Each application pulse calls LibTipManager::PostPending.
    virtual void SetAppPulseRate(const bigtime_t& rate) = 0;
};
