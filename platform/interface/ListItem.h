// BListItem: one entry of a list view; it knows its size and draws itself.
#pragma once

#include <Font.h>
#include <Rect.h>
#include <SupportDefs.h>

class BView;

class BListItem {
public:
    explicit BListItem(uint32 outlineLevel = 0, bool expanded = true);
    virtual ~BListItem();

    float Height() const { return fHeight; }
    float Width() const { return fWidth; }
    void SetHeight(float height) { fHeight = height; }
    void SetWidth(float width) { fWidth = width; }

    bool IsSelected() const { return fSelected; }
    void Select() { fSelected = true; }
    void Deselect() { fSelected = false; }

    virtual void SetEnabled(bool enabled) { fEnabled = enabled; }
    bool IsEnabled() const { return fEnabled; }

    void SetExpanded(bool expanded) { fExpanded = expanded; }
    bool IsExpanded() const { return fExpanded; }
    uint32 OutlineLevel() const { return fOutlineLevel; }

    // Draws the item in frame of owner. complete: draw the background too,
    // even when the item is not selected.
    virtual void DrawItem(BView* owner, BRect frame, bool complete = false) = 0;
    // Called when the item joins a list or the list's font changes: the
    // default takes the owner's width and one line of the font as height.
    virtual void Update(BView* owner, const BFont* font);
    // What a screen reader reads of the entry (an addition of this kit);
    // empty unless the item says.
    virtual const char* AccessibleText() const { return ""; }

private:
    float fWidth;
    float fHeight;
    uint32 fOutlineLevel;
    bool fSelected;
    bool fEnabled;
    bool fExpanded;
};
