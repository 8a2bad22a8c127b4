// Start-up of the interface kit: whether this session has a display, and
// the creation of the toolkit's application object that windows need.
#pragma once

#include <SupportDefs.h>

// True when an X11 or Wayland display is named in the environment and the
// toolkit is not told to draw off screen.
bool interface_has_display();

// Prepares the interface kit: creates the toolkit's application object (off
// screen when display is false) and makes be_app run the toolkit's event
// loop, so that every window's messages are handled on that loop's thread.
// Call it from the main thread, after creating the application object and
// before creating a window; a window created first does it by itself.
// B_NOT_ALLOWED when another thread already runs the toolkit.
status_t interface_init(bool display);

// Deletes the toolkit's application object that interface_init made (not
// one the program made itself). Call it from the main thread after the
// application object is deleted, before the program ends: the toolkit's
// object must not outlive main().
void interface_shutdown();
