// LibTipWin: the one tool-tip window: bordered, floating above the
// application's windows, never taking the focus, and hiding itself when it
// loses activation. Its text is a LibTipString.
#pragma once

#include "LibWindow.h"

class LibTipString;

class LibTipWin : public LibWindow {
public:
    LibTipWin();
    virtual ~LibTipWin();

    void WindowActivated(bool active) override;
    // Stops the pulse (which would hide it again) and hides a shown window.
    void Hide() override;

    // With the window locked: sets the text and sizes the window to it
    // (width > 0: text wrapped at width pixels; otherwise one line).
    void SetText(const char* text, const int32& width);
    // Moves the window's top-left corner to where, kept on the screen that
    // holds the pointer and off the pointer.
    void PopTo(const BPoint& where, const int& count = 0);

    LibTipString* TextView() const { return fText; }

private:
    LibTipString* fText;
};
