// Shows a menu's items in a Qt pop-up menu and returns the user's pick.
// Private to the interface kit.
#pragma once

#include <Point.h>

class BMenu;
class BMenuItem;

namespace BPrivate {

// Runs the pop-up at where (screen coordinates) until it closes; the
// picked item, or null. Only on the GUI thread.
BMenuItem* track_menu(const BMenu& menu, BPoint where);

} // namespace BPrivate
