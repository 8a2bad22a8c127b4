// BSeparatorItem: the line between groups of menu items. It has no label
// and no message and can never be enabled, marked or chosen.
#pragma once

#include <MenuItem.h>

class BSeparatorItem : public BMenuItem {
public:
    BSeparatorItem();
    virtual ~BSeparatorItem();

    void SetEnabled(bool enabled) override;
    void SetMarked(bool marked) override;
};
