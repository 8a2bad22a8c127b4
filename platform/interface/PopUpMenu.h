// BPopUpMenu: a menu that pops up where it is asked to, by default in
// radio mode with the field that shows it labelled by the marked item.
#pragma once

#include <Menu.h>

class BPopUpMenu : public BMenu {
public:
    explicit BPopUpMenu(const char* title, bool radioMode = true, bool labelFromMarked = true,
        menu_layout layout = B_ITEMS_IN_COLUMN);
    virtual ~BPopUpMenu();

    // Shows the menu at where (screen coordinates) and waits for a pick;
    // returns the picked item (null when closed without one). With
    // deliversMessage the item is also invoked. In radio mode the picked
    // item becomes the marked one. An empty menu opens only with
    // openAnyway, and then shows nothing. Only on the GUI thread.
    BMenuItem* Go(BPoint where, bool deliversMessage = false, bool openAnyway = false);
};
