#include <ScrollView.h>

#include <ScrollBar.h>

namespace {

float BorderSize(border_style border)
{
    return border == B_FANCY_BORDER ? 2 : border == B_PLAIN_BORDER ? 1 : 0;
}

} // namespace

BRect BScrollView::_Frame(BView* target, bool horizontal, bool vertical, border_style border)
{
    BRect frame = target != nullptr ? target->Frame() : BRect(0, 0, 15, 15);
    const float size = BorderSize(border);
    frame.InsetBy(-size, -size);
    if (vertical)
        frame.right += B_V_SCROLL_BAR_WIDTH;
    if (horizontal)
        frame.bottom += B_H_SCROLL_BAR_HEIGHT;
    return frame;
}

BScrollView::BScrollView(const char* name, BView* target, uint32 resizingMode, uint32 flags, bool horizontal,
    bool vertical, border_style border)
    :
    BView(_Frame(target, horizontal, vertical, border), name, resizingMode, flags | B_WILL_DRAW | B_FRAME_EVENTS),
    fTarget(target),
    fHorizontal(nullptr),
    fVertical(nullptr),
    fBorder(border)
{
    SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
    const float size = BorderSize(border);
    const BRect bounds = Bounds();
    if (target != nullptr) {
        target->MoveTo(size, size);
        AddChild(target);
    }
    if (vertical) {
        BRect frame(bounds.right - size - B_V_SCROLL_BAR_WIDTH + 1, size, bounds.right - size,
            bounds.bottom - size - (horizontal ? B_H_SCROLL_BAR_HEIGHT : 0));
        fVertical = new BScrollBar(frame, "_VSB_", target, 0, 0, B_VERTICAL);
        AddChild(fVertical);
    }
    if (horizontal) {
        BRect frame(size, bounds.bottom - size - B_H_SCROLL_BAR_HEIGHT + 1,
            bounds.right - size - (vertical ? B_V_SCROLL_BAR_WIDTH : 0), bounds.bottom - size);
        fHorizontal = new BScrollBar(frame, "_HSB_", target, 0, 0, B_HORIZONTAL);
        AddChild(fHorizontal);
    }
}

BScrollView::~BScrollView()
{
}

BScrollBar* BScrollView::ScrollBar(orientation direction) const
{
    return direction == B_VERTICAL ? fVertical : fHorizontal;
}

BView* BScrollView::Target() const
{
    return fTarget;
}

border_style BScrollView::Border() const
{
    return fBorder;
}

void BScrollView::FrameResized(float, float)
{
    Invalidate();
}

void BScrollView::Draw(BRect)
{
    if (fBorder == B_NO_BORDER)
        return;
    const BRect bounds = Bounds();
    const rgb_color base = ui_color(B_PANEL_BACKGROUND_COLOR);
    // While the target has the keyboard focus, the line next to it is
    // drawn in the navigation colour: the platform's mark for a list or a
    // text in a scroll view.
    const bool focus = fTarget != nullptr && fTarget->IsFocus();
    const rgb_color inner = focus ? ui_color(B_KEYBOARD_NAVIGATION_COLOR) : tint_color(base, B_DARKEN_3_TINT);
    PushState();
    if (fBorder == B_FANCY_BORDER) {
        // A sunken frame: shaded at the top and left, lit at the bottom and
        // right, with a dark line inside.
        SetHighColor(tint_color(base, B_DARKEN_1_TINT));
        StrokeLine(bounds.LeftBottom(), bounds.LeftTop());
        StrokeLine(bounds.LeftTop(), bounds.RightTop());
        SetHighColor(tint_color(base, B_LIGHTEN_MAX_TINT));
        StrokeLine(bounds.RightTop() + BPoint(0, 1), bounds.RightBottom());
        StrokeLine(bounds.RightBottom(), bounds.LeftBottom() + BPoint(1, 0));
        SetHighColor(inner);
        StrokeRect(bounds.InsetByCopy(1, 1));
    } else {
        SetHighColor(inner);
        StrokeRect(bounds);
    }
    PopState();
}
