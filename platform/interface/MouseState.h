// Where the pointer is on the screen, and the frame of the screen that
// holds it (inclusive, in screen coordinates), for windows that place
// themselves by the pointer.
#pragma once

#include <Point.h>
#include <Rect.h>
#include <SupportDefs.h>

status_t get_mouse_screen(BPoint* pointer, BRect* screenFrame);
