#include "BitmapView.h"

#include <InterfaceDefs.h>
#include <LibBitmap.h>

BitmapView::BitmapView(BPoint where, const char* name, const char* path)
    : BView(BRect(where.x, where.y, where.x + 31, where.y + 31), name, B_FOLLOW_LEFT, B_WILL_DRAW),
      fIcon(std::make_unique<LibBitmap>(BRect(0, 0, 31, 31), B_CMAP8))
{
    SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
    // An entry without an icon keeps the bitmap as it was created.
    if (path != nullptr)
        fIcon->SetTo(path, B_LARGE_ICON);
}

BitmapView::~BitmapView() = default;

void BitmapView::Draw(BRect)
{
    SetDrawingMode(B_OP_OVER);
    DrawBitmap(fIcon.get(), BPoint(0, 0));
}
