#include "BackgroundView.h"

#include <Font.h>
#include <InterfaceDefs.h>

BackgroundView::BackgroundView(BRect frame)
    : BView(frame, "bgview", B_FOLLOW_ALL, B_WILL_DRAW)
{
    SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
}

void BackgroundView::Draw(BRect updateRect)
{
    BFont font;
    GetFont(&font);
    font.SetRotation(90);
    font.SetSize(10);
    SetFont(&font);
    const BRect frame = Frame();
    DrawString(kCaption, BPoint(frame.right - 1, frame.bottom - 45));
    BView::Draw(updateRect);
}
