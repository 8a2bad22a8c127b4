// Context help requests: Shift+F1 pressed in a window asks the application
// for help about the view under the mouse. The request names the window and
// the view with its ancestors; a window may add data of its own.
#pragma once

#include <Message.h>
#include <SupportDefs.h>

#include <string>
#include <vector>

enum {
    // "what" of a help request posted to the application.
    kLibHelpRequest = 'help'
};

// Whether message is a key press of F1 with Shift held: B_KEY_DOWN with the
// Shift bit in "modifiers" and the F1 key code in "key".
bool LibIsHelpKey(const BMessage& message);

// The help request: "window" = window, then one "view" per name of views
// (the view under the mouse first, then each ancestor, nearest first), and,
// when inserts is given, the message "inserts" after the first "view".
BMessage LibMakeHelpRequest(const char* window, const std::vector<std::string>& views,
    const BMessage* inserts);
