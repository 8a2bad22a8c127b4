#include "BackgroundView.h"

#include <Font.h>
#include <InterfaceDefs.h>

BackgroundView::BackgroundView(BRect frame)
    : BView(frame, "bgview", B_FOLLOW_ALL, B_WILL_DRAW)
{
    SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
}

namespace {

// The caption's glyphs lie left of its baseline, in the window's right
// margin: 10 pixels wide, less the pixel the baseline sits in.
const float kCaptionRoom = 9;

} // namespace

void BackgroundView::Draw(BRect updateRect)
{
    BFont font;
    GetFont(&font);
    font.SetRotation(90);
    font.SetSize(10);
    // A larger desktop font would push the caption over the boxes beside
    // the margin: it is drawn smaller instead, to the margin's width.
    font_height height;
    font.GetHeight(&height);
    for (float size = 10; size > 1 && height.ascent > kCaptionRoom; size -= 0.5f) {
        font.SetSize(size - 0.5f);
        font.GetHeight(&height);
    }
    SetFont(&font);
    const BRect frame = Frame();
    DrawString(kCaption, BPoint(frame.right - 1, frame.bottom - 45));
    BView::Draw(updateRect);
}
