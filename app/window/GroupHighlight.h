// GroupHighlight: keeps the install-type list's highlight true to the item
// list. A group is highlighted only while the selected items are exactly
// that group's items; when the user changes the items by hand (a click,
// the arrow keys in the item list), the highlight goes to the group that
// matches the new selection, or to none. The change is made quietly: the
// install-type list's selection message is held back, so the items the
// user chose are not replaced by a group's.
#pragma once

#include <SupportDefs.h>

class BListView;

class GroupHighlight {
public:
    // types: plain string items named after the groups; items:
    // InstallListItem entries. Both locked by the caller.
    static void Follow(BListView* types, BListView* items);

private:
    // Whether the selected entries of items are exactly those in group.
    static bool Matches(BListView* items, const char* group);
};
