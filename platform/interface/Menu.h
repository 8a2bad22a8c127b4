// BMenu: an ordered list of menu items that it owns, with the platform's
// radio mode (one marked item at a time) and label-from-marked setting.
// A menu is shown as a Qt pop-up while the user picks from it; in between
// it is a plain list that the view showing it (a menu field) draws from.
#pragma once

#include <MenuItem.h>
#include <View.h>

#include <functional>
#include <vector>

class BWindow;

enum menu_layout {
    B_ITEMS_IN_ROW = 0,
    B_ITEMS_IN_COLUMN,
    B_ITEMS_IN_MATRIX
};

class BMenu : public BView {
public:
    explicit BMenu(const char* name, menu_layout layout = B_ITEMS_IN_COLUMN);
    virtual ~BMenu();

    // The menu takes the item over. False (item still the caller's) for a
    // null item, an item already in a menu, or an index past the end.
    bool AddItem(BMenuItem* item);
    bool AddItem(BMenuItem* item, int32 index);
    bool AddSeparatorItem();
    // Takes the item out and hands it back to the caller; null when index
    // holds none.
    BMenuItem* RemoveItem(int32 index);
    // Takes item out (not deleted); false when it is not in this menu.
    bool RemoveItem(BMenuItem* item);
    bool RemoveItems(int32 index, int32 count, bool deleteItems = false);

    BMenuItem* ItemAt(int32 index) const;
    int32 IndexOf(const BMenuItem* item) const;
    int32 CountItems() const;
    // First item with that label, or whose message has that command.
    BMenuItem* FindItem(const char* label) const;
    BMenuItem* FindItem(uint32 command) const;
    BMenuItem* FindMarked() const;
    // Index of the first marked item, or -1.
    int32 FindMarkedIndex() const;

    virtual void SetEnabled(bool enabled);
    bool IsEnabled() const { return fEnabled; }
    virtual void SetRadioMode(bool on);
    bool IsRadioMode() const { return fRadioMode; }
    virtual void SetLabelFromMarked(bool on);
    bool IsLabelFromMarked() const { return fLabelFromMarked; }
    menu_layout Layout() const { return fLayout; }

    // Sets the target of every item present now.
    virtual status_t SetTargetForItems(BHandler* target);
    virtual status_t SetTargetForItems(BMessenger messenger);

    // The view that shows this menu (its menu field) and that view's
    // window: items without a target of their own send there.
    BView* Owner() const { return fOwner; }
    BWindow* OwnerWindow() const;

protected:
    // Shows the items as a pop-up at where (screen coordinates) and waits
    // for the user's pick; null when the menu was closed without one.
    // Runs Qt's event loop meanwhile, so only on the GUI thread.
    BMenuItem* Track(BPoint where);

private:
    friend class BMenuItem;
    friend class BMenuField;

    // Called whenever an item's label, enabled or marked state changes, or
    // items come and go: the owner redraws.
    void ItemChanged();
    void SetOwner(BView* owner) { fOwner = owner; }

    std::vector<BMenuItem*> fItems;
    menu_layout fLayout;
    bool fEnabled;
    bool fRadioMode;
    bool fLabelFromMarked;
    BView* fOwner;
};
