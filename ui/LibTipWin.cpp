#include "LibTipWin.h"

#include "LibTipLayout.h"
#include "LibTipString.h"

#include <MouseState.h>

LibTipWin::LibTipWin()
    :
    LibWindow(BRect(0, 0, 100, 13), "LibTipWin", B_BORDERED_WINDOW_LOOK, B_FLOATING_APP_WINDOW_FEEL,
        B_NOT_MOVABLE | B_NOT_CLOSABLE | B_NOT_ZOOMABLE | B_NOT_MINIMIZABLE | B_AVOID_FOCUS),
    fText(new LibTipString(BRect(0, 0, 100, 13)))
{
    AddChild(fText);
}

LibTipWin::~LibTipWin()
{
}

void LibTipWin::WindowActivated(bool active)
{
    LibWindow::WindowActivated(active);
    if (!active)
        Hide();
}

void LibTipWin::Hide()
{
    SetPulseRate(0);
    if (!IsHidden())
        LibWindow::Hide();
}

void LibTipWin::SetText(const char* text, const int32& width)
{
    if (!Lock())
        return;
    // One line unless a width is given: the line must not wrap early where
    // the editor measures a little wider than the font.
    fText->SetWordWrap(width > 0);
    fText->SetText(text != nullptr ? text : "");
    BFont font;
    fText->GetFont(&font);
    const BPoint size = LibTipLayout::WindowSize(text != nullptr ? text : "", width, font);
    ResizeTo(size.x, size.y);
    Unlock();
}

void LibTipWin::PopTo(const BPoint& where, const int&)
{
    BPoint pointer;
    BRect screen;
    get_mouse_screen(&pointer, &screen);
    const BRect frame = Frame();
    MoveTo(LibTipLayout::Place(where, BPoint(frame.Width(), frame.Height()), screen, pointer));
}
