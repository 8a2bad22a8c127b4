#include <Box.h>

#include <QAccessible>

#include <cmath>

BBox::BBox(BRect frame, const char* name, uint32 resizingMode, uint32 flags, border_style border)
    :
    BView(frame, name, resizingMode, flags | B_WILL_DRAW | B_FRAME_EVENTS),
    fHasLabel(false),
    fLabelView(nullptr),
    fBorder(border)
{
    SetFont(be_bold_font);
    _SetAccessibleRole(QAccessible::Grouping);
    SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
    SetLowColor(ui_color(B_PANEL_BACKGROUND_COLOR));
}

BBox::~BBox()
{
}

void BBox::AttachedToWindow()
{
    if (Parent() != nullptr && Parent()->ViewColor() != B_TRANSPARENT_COLOR) {
        SetViewColor(Parent()->ViewColor());
        SetLowColor(Parent()->ViewColor());
    }
    BView::AttachedToWindow();
}

void BBox::FrameResized(float, float)
{
    Invalidate();
}

void BBox::SetBorder(border_style border)
{
    fBorder = border;
    Invalidate();
}

border_style BBox::Border() const
{
    return fBorder;
}

void BBox::SetLabel(const char* label)
{
    if (fLabelView != nullptr) {
        fLabelView->RemoveSelf();
        delete fLabelView;
        fLabelView = nullptr;
    }
    fHasLabel = label != nullptr;
    fLabel = label != nullptr ? label : "";
    _SetAccessibleDefaultName(fLabel.c_str());
    Invalidate();
}

status_t BBox::SetLabel(BView* view)
{
    SetLabel(static_cast<const char*>(nullptr));
    if (view != nullptr) {
        fLabelView = view;
        view->MoveTo(10, 0);
        AddChild(view, ChildAt(0));
    }
    Invalidate();
    return B_OK;
}

const char* BBox::Label() const
{
    return fHasLabel ? fLabel.c_str() : nullptr;
}

BView* BBox::LabelView() const
{
    return fLabelView;
}

// Where the top border runs: through the middle of the label.
float BBox::_TopLine()
{
    if (fLabelView != nullptr)
        return std::floor(fLabelView->Bounds().Height() / 2);
    if (!fHasLabel)
        return 0;
    font_height height;
    GetFontHeight(&height);
    return std::ceil((height.ascent + height.descent) / 2);
}

BRect BBox::InnerFrame()
{
    BRect frame = Bounds();
    frame.top += _TopLine();
    const float inset = fBorder == B_FANCY_BORDER ? 2 : fBorder == B_PLAIN_BORDER ? 1 : 0;
    frame.InsetBy(inset, inset);
    if (fHasLabel || fLabelView != nullptr) {
        font_height height;
        GetFontHeight(&height);
        const float labelBottom = fLabelView != nullptr ? fLabelView->Frame().bottom
            : std::ceil(height.ascent + height.descent);
        frame.top = std::max(frame.top, labelBottom + 1);
    }
    return frame;
}

void BBox::Draw(BRect)
{
    BRect frame = Bounds();
    frame.top += _TopLine();
    const rgb_color base = ViewColor() == B_TRANSPARENT_COLOR ? ui_color(B_PANEL_BACKGROUND_COLOR) : ViewColor();
    const rgb_color light = tint_color(base, B_LIGHTEN_MAX_TINT);
    const rgb_color shadow = tint_color(base, B_DARKEN_3_TINT);
    PushState();
    SetDrawingMode(B_OP_COPY);
    if (fBorder == B_FANCY_BORDER) {
        // An etched groove: a shadow frame and a light frame one pixel in.
        SetHighColor(shadow);
        StrokeLine(frame.LeftBottom() + BPoint(0, -1), frame.LeftTop());
        StrokeLine(frame.LeftTop(), frame.RightTop() + BPoint(-1, 0));
        StrokeLine(frame.RightTop() + BPoint(-1, 1), frame.RightBottom() + BPoint(-1, -1));
        StrokeLine(frame.RightBottom() + BPoint(-1, -1), frame.LeftBottom() + BPoint(0, -1));
        SetHighColor(light);
        StrokeLine(frame.LeftBottom() + BPoint(1, -2), frame.LeftTop() + BPoint(1, 1));
        StrokeLine(frame.LeftTop() + BPoint(1, 1), frame.RightTop() + BPoint(-2, 1));
        StrokeLine(frame.RightTop(), frame.RightBottom());
        StrokeLine(frame.RightBottom(), frame.LeftBottom());
    } else if (fBorder == B_PLAIN_BORDER) {
        SetHighColor(light);
        StrokeLine(frame.LeftBottom(), frame.LeftTop());
        StrokeLine(frame.LeftTop(), frame.RightTop());
        SetHighColor(shadow);
        StrokeLine(frame.RightTop() + BPoint(0, 1), frame.RightBottom());
        StrokeLine(frame.RightBottom(), frame.LeftBottom() + BPoint(1, 0));
    }
    if (fHasLabel && fLabelView == nullptr) {
        font_height height;
        GetFontHeight(&height);
        const float width = StringWidth(fLabel.c_str());
        // Cut a gap in the top line, then write the label in it.
        SetHighColor(base);
        FillRect(BRect(6, 1, 12 + width, std::ceil(height.ascent + height.descent)));
        SetHighColor(ui_color(B_PANEL_TEXT_COLOR));
        SetLowColor(base);
        // The baseline sits a whole ascent down, so that no glyph of the
        // label (at any font size) reaches above the view's top edge.
        DrawString(fLabel.c_str(), BPoint(10, std::ceil(height.ascent)));
    }
    PopState();
}
