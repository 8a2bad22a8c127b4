#include <ListItem.h>

#include <View.h>

#include <cmath>

BListItem::BListItem(uint32 outlineLevel, bool expanded)
    :
    fWidth(0),
    fHeight(0),
    fOutlineLevel(outlineLevel),
    fSelected(false),
    fEnabled(true),
    fExpanded(expanded)
{
}

BListItem::~BListItem()
{
}

void BListItem::Update(BView* owner, const BFont* font)
{
    font_height height;
    font->GetHeight(&height);
    SetWidth(owner->Bounds().Width());
    SetHeight(std::ceil(height.ascent + height.descent + height.leading) + 1);
}
