#include "HelpContentItem.h"

#include <View.h>

#include <cstring>
#include <string>

namespace {

uint32 DepthOf(const HelpContentItem* super)
{
    uint32 depth = 0;
    for (const HelpContentItem* item = super; item != nullptr; item = item->SuperItem())
        depth++;
    return depth;
}

} // namespace

HelpContentItem::HelpContentItem(const char* title, HelpContentItem* super)
    :
    BStringItem(title, DepthOf(super) + 1, true),
    fSuper(super),
    fHasSubItems(false)
{
}

HelpContentItem::~HelpContentItem()
{
}

bool HelpContentItem::Documents(const char* viewPath) const
{
    if (viewPath == nullptr)
        return false;
    std::string view;
    for (int32 i = 0; meta.FindString("VIEW", i, &view) == B_OK; i++) {
        if (view == viewPath)
            return true;
    }
    return false;
}

const char* HelpContentItem::Page() const
{
    const char* page = nullptr;
    if (meta.FindString("PAGE", &page) != B_OK || page == nullptr || page[0] == '\0')
        return nullptr;
    return page;
}

bool HelpContentItem::IsVisible() const
{
    for (const HelpContentItem* item = fSuper; item != nullptr; item = item->SuperItem()) {
        if (!item->IsExpanded())
            return false;
    }
    return true;
}

float HelpContentItem::LatchRight(const HelpContentItem& entry)
{
    // The title starts one indent (10) past its depth's own indent; the
    // triangle takes the room left of it.
    return float(entry.OutlineLevel() - 1) * 10 + 14;
}

void HelpContentItem::DrawItem(BView* owner, BRect frame, bool complete)
{
    BStringItem::DrawItem(owner, frame, complete);
    if (!fHasSubItems)
        return;
    // A small triangle left of the title: pointing right when closed, down
    // when open.
    const float x = frame.left + LatchRight(*this) - 10;
    const float middle = (frame.top + frame.bottom) / 2;
    owner->PushState();
    owner->SetHighColor(ui_color(B_DOCUMENT_TEXT_COLOR));
    if (IsExpanded())
        owner->FillTriangle(BPoint(x, middle - 2), BPoint(x + 6, middle - 2), BPoint(x + 3, middle + 2));
    else
        owner->FillTriangle(BPoint(x + 1, middle - 3), BPoint(x + 1, middle + 3), BPoint(x + 5, middle));
    owner->PopState();
}
