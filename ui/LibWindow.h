// LibWindow: the base of the program's own windows. It places a window at
// one of nine positions on the screen or around another window, keeps it at
// the same relative place when the screen's resolution changes, makes Show
// and Hide idempotent, brings the window to the front on demand, and turns
// Shift+F1 over a view into a help request to the application.
#pragma once

#include <LibPlacement.h>
#include <Window.h>

class BView;

class LibWindow : public BWindow {
public:
    using ScreenPosition = LibPlacement::ScreenPosition;
    using enum LibPlacement::ScreenPosition;

    // The platform window with exactly these arguments; the main screen's
    // frame is recorded.
    LibWindow(BRect frame, const char* title, window_look look, window_feel feel, uint32 flags,
        uint32 workspaces = B_CURRENT_WORKSPACE);
    virtual ~LibWindow();

    // Notes the view the mouse moves over, and answers Shift+F1 with a help
    // request; every message then goes on to the platform window.
    void DispatchMessage(BMessage* message, BHandler* handler) override;
    // Moves the window so that it keeps its relative place on a screen of
    // another size.
    void ScreenChanged(BRect screenFrame, color_space depth) override;
    // Shows only a hidden window, hides only a shown one.
    void Show() override;
    void Hide() override;

    // The hook by which a window adds its own data to a help request about
    // view: put it into inserts and return true. None by default.
    virtual bool InsertHelpRequest(BView* view, BMessage& inserts);

    // Moves the window to where on the main screen (relativeTo null) or
    // around relativeTo's frame; a position outside 0..8 leaves it.
    void SetPosition(const ScreenPosition& where, BWindow* relativeTo = nullptr);
    // Brings the window to the current workspace, shows it and activates it.
    void Pop();

    // The screen frame as last seen.
    BRect ScreenFrame() const { return fScreenFrame; }
    // The view the mouse last moved over in this window, or null.
    BView* LastMouseMovedView() const;

private:
    // Builds the help request about the last view under the mouse and posts
    // it to the application.
    void RequestHelp();
    float TitleAllowance() const;

    BRect fScreenFrame;
    BView* fMouseView;
};
