// BStringItem: a list item that shows one line of text.
#pragma once

#include <ListItem.h>

#include <string>

class BStringItem : public BListItem {
public:
    explicit BStringItem(const char* text, uint32 outlineLevel = 0, bool expanded = true);
    virtual ~BStringItem();

    void DrawItem(BView* owner, BRect frame, bool complete = false) override;
    void Update(BView* owner, const BFont* font) override;

    virtual void SetText(const char* text);
    const char* Text() const;
    const char* AccessibleText() const override { return Text(); }

private:
    std::string fText;
    float fBaselineOffset;
};
