#include "LibTipString.h"

#include <Window.h>

namespace {

const rgb_color kPaleYellow = {255, 255, 203, 255};

BRect TextRectFor(BRect frame)
{
    BRect rect = frame.OffsetToSelf(0, 0).InsetBySelf(1, 1);
    rect.right -= 1;
    return rect;
}

} // namespace

LibTipString::LibTipString(BRect frame)
    :
    BTextView(frame, "text_view", TextRectFor(frame), B_FOLLOW_ALL_SIDES, B_WILL_DRAW | B_PULSE_NEEDED)
{
    SetViewColor(kPaleYellow);
    BFont font(be_plain_font);
    font.SetSize(kFontSize);
    SetFontAndColor(&font, B_FONT_ALL);
    MakeEditable(false);
    MakeSelectable(false);
}

LibTipString::~LibTipString()
{
}

void LibTipString::Pulse()
{
    if (Window() != nullptr)
        Window()->Hide();
}

void LibTipString::FrameResized(float width, float height)
{
    BTextView::FrameResized(width, height);
    BRect rect = TextRect();
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
    SetTextRect(rect);
}
