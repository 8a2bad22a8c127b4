#include <StringItem.h>

#include <View.h>

#include <algorithm>
#include <cmath>

BStringItem::BStringItem(const char* text, uint32 outlineLevel, bool expanded)
    :
    BListItem(outlineLevel, expanded),
    fText(text != nullptr ? text : ""),
    fBaselineOffset(0)
{
}

BStringItem::~BStringItem()
{
}

void BStringItem::DrawItem(BView* owner, BRect frame, bool complete)
{
    const rgb_color low = owner->ViewColor() == B_TRANSPARENT_COLOR ? owner->LowColor() : owner->ViewColor();
    // A selected row stands out at least 3:1 from the list's background.
    const rgb_color background = IsSelected() ? list_selection_color(low) : low;
    owner->PushState();
    if (IsSelected() || complete) {
        owner->SetHighColor(background);
        owner->FillRect(frame);
    }
    owner->SetLowColor(background);
    owner->SetHighColor(IsEnabled() ? ui_color(B_DOCUMENT_TEXT_COLOR)
        : tint_color(background, B_DISABLED_LABEL_TINT));
    owner->SetDrawingMode(B_OP_OVER);
    owner->DrawString(fText.c_str(), BPoint(frame.left + 4 + float(OutlineLevel()) * 10,
        frame.top + fBaselineOffset));
    owner->PopState();
}

void BStringItem::Update(BView* owner, const BFont* font)
{
    BListItem::Update(owner, font);
    font_height height;
    font->GetHeight(&height);
    fBaselineOffset = std::ceil(height.ascent) + std::floor(height.leading / 2);
    SetWidth(std::max(Width(), font->StringWidth(fText.c_str()) + 8));
}

void BStringItem::SetText(const char* text)
{
    fText = text != nullptr ? text : "";
}

const char* BStringItem::Text() const
{
    return fText.c_str();
}
