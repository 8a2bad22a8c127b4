// BMenuField: a label followed by a pop-up menu shown as a button-like bar
// with the marked item's label. Clicking the bar (or Space or Enter while
// the field has the keyboard focus) opens the menu; the picked item is
// marked (radio mode) and invoked, which sends its message to the item's
// target.
#pragma once

#include <Menu.h>
#include <View.h>

#include <string>

class BMenuField : public BView {
public:
    // The field takes menu over. The divider (where the bar starts) is half
    // the width with a label and 0 without one.
    BMenuField(BRect frame, const char* name, const char* label, BMenu* menu,
        uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP, uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
    virtual ~BMenuField();

    void Draw(BRect updateRect) override;
    void MouseDown(BPoint where) override;
    void KeyDown(const char* bytes, int32 numBytes) override;
    void MakeFocus(bool focus = true) override;

    BMenu* Menu() const { return fMenu; }

    void SetLabel(const char* label);
    const char* Label() const { return fLabel.c_str(); }
    virtual void SetEnabled(bool enabled);
    bool IsEnabled() const { return fEnabled; }
    void SetDivider(float divider);
    float Divider() const { return fDivider; }
    void SetAlignment(alignment label);
    alignment Alignment() const { return fAlignment; }

    // The text the bar shows: the marked item's label when the menu takes
    // its label from the marked item (empty without one), else the menu's
    // name.
    std::string MenuText() const;
    // The bar's rectangle in the field's coordinates.
    BRect MenuBarFrame() const;

    // Opens the menu below the bar and acts on the pick, as a click does.
    // Only on the GUI thread; returns when the menu has closed.
    void OpenMenu();

private:
    BMenu* fMenu;
    std::string fLabel;
    float fDivider;
    alignment fAlignment;
    bool fEnabled;
};
