// HelpContentItem: one entry of the help window's table of contents. It
// shows the entry's title indented by its depth and carries the page it
// opens ("PAGE") and the view paths it documents ("VIEW", repeated) in its
// meta message.
#pragma once

#include <Message.h>
#include <StringItem.h>

class HelpContentItem : public BStringItem {
public:
    // super is the entry this one is nested in (null at the top level).
    HelpContentItem(const char* title, HelpContentItem* super);
    virtual ~HelpContentItem();

    HelpContentItem* SuperItem() const { return fSuper; }
    bool HasSubItems() const { return fHasSubItems; }
    void SetHasSubItems(bool has) { fHasSubItems = has; }

    // True when one of the "VIEW" values is exactly viewPath.
    bool Documents(const char* viewPath) const;
    // The page the entry opens, or null when it names none.
    const char* Page() const;
    // True when every entry this one is nested in is expanded.
    bool IsVisible() const;

    // Draws the title; an entry with sub-entries gets a small marker that
    // tells whether it is open.
    void DrawItem(BView* owner, BRect frame, bool complete = false) override;
    // Where the triangle of entry ends, from the left of its row; a click
    // left of it opens or closes the entry.
    static float LatchRight(const HelpContentItem& entry);

    BMessage meta;

private:
    HelpContentItem* fSuper;
    bool fHasSubItems;
};
