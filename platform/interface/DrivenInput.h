// DrivenInput: user input made up for a driven run of the program (its test
// hook): clicks and mouse moves over views, keys, the buttons of alerts, the
// texts a window shows and pictures of windows. Every call must be made on
// the GUI thread; input is only queued there, and the program receives it
// from its event loop as it receives a user's, with the window's lock free.
//
// A window is named by the name or the title of a BWindow, or by the title
// or object name of another top-level dialog of the program ("alert" names
// the front alert). Only shown windows count; when several match, the
// modal one in front wins, then the one shown last. While a modal window is
// up, input meant for any other window is refused, as the desktop refuses a
// user's.
//
// Each call answers B_OK when it did its work, or an error with the reason
// in why (the window is not there, the view is disabled, ...); callers
// usually try again a little later until they give up.
#pragma once

#include <Point.h>
#include <Rect.h>
#include <SupportDefs.h>

#include <functional>
#include <string>

class BListItem;

class DrivenInput {
public:
    // Whether a window of that name is shown.
    static bool WindowShown(const char* window);

    // Moves the mouse over the view and clicks its left button at where
    // (in the view's coordinates; the middle of the view when null, or of
    // its menu bar for a menu field), with the modifier keys (B_SHIFT_KEY,
    // B_COMMAND_KEY, ...) held.
    static status_t Click(const char* window, const char* view, const BPoint* where, uint32 modifiers,
        std::string* why);

    // Picks the enabled entry labelled label of the open pop-up menu (a
    // click on a menu field opens it).
    static status_t PickMenuItem(const char* label, std::string* why);

    // Clicks the first item of the list view for which match answers true
    // (it gets the item's index and the item), in the middle of its frame.
    static status_t ClickItem(const char* window, const char* list,
        const std::function<bool(int32, const BListItem*)>& match, uint32 modifiers, std::string* why);

    // Clicks the enabled button or check box of the window whose label is
    // label (a control of a BWindow, or a button of a dialog).
    static status_t Press(const char* window, const char* label, std::string* why);

    // Moves the mouse over the view and presses Shift+F1 there.
    static status_t AskHelp(const char* window, const char* view, std::string* why);

    // The text the view shows: a string view's or text view's text, a
    // control's label, or a dialog's label of that object name.
    static status_t ViewText(const char* window, const char* view, std::string* text, std::string* why);

    // The shown windows, one per line, each with its name and title and,
    // for a dialog, its text: what a failed script step saw.
    static std::string ShownWindows();

    // Saves the window's contents as a PNG file at path.
    static status_t SavePicture(const char* window, const char* path, std::string* why);

    // Where the shown view is: its frame on the screen and in the window's
    // contents (as in SavePicture's pictures), for input made outside the
    // program (a real pointer) and for checks of its pictures.
    static status_t ViewFrame(const char* window, const char* view, BRect* onScreen, BRect* inWindow,
        std::string* why);

    // Whether the view is the window's focus view; B_OK with the answer in
    // focus, or why the view cannot be found.
    static status_t ViewHasFocus(const char* window, const char* view, bool* focus, std::string* why);
};
