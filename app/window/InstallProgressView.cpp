#include "InstallProgressView.h"

#include <Font.h>
#include <InterfaceDefs.h>
#include <ProgressLine.h>

#include <algorithm>

namespace {

const rgb_color kFrameColour = {120, 120, 120, 255};
const rgb_color kEmptyColour = {255, 255, 255, 255};
const rgb_color kFilledColour = {80, 120, 200, 255};
const rgb_color kTextColour = {0, 0, 0, 255};
const float kTextSize = 9;

} // namespace


InstallProgressView::InstallProgressView(BRect frame)
    : BView(frame, "install_progress", B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW)
{
    SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
    BFont font(be_plain_font);
    font.SetSize(kTextSize);
    SetFont(&font);
    // A screen reader reads the percentage done.
    SetAccessibleRange(0, 100, 0);
}


void InstallProgressView::SetProgress(int64 done, int64 total)
{
    fTotal = std::max<int64>(total, 0);
    fDone = std::clamp<int64>(done, 0, fTotal);
    fPercent = fTotal > 0 ? ProgressLine::Percent(fDone, fTotal) : 0;
    SetAccessibleRange(0, 100, float(fPercent));
    Invalidate();
}


std::string InstallProgressView::Label() const
{
    return std::to_string(fPercent) + "%";
}


float InstallProgressView::FilledWidth() const
{
    // Inside the one-pixel frame line on each side.
    const float inner = Bounds().Width() - 1;
    if (fTotal <= 0 || inner <= 0)
        return 0;
    return float((long double)inner * fDone / fTotal);
}


void InstallProgressView::Draw(BRect)
{
    const BRect bounds = Bounds();
    BRect inside = bounds.InsetByCopy(1, 1);
    SetHighColor(kEmptyColour);
    FillRect(inside);
    const float filled = FilledWidth();
    if (filled >= 1) {
        BRect bar = inside;
        bar.right = inside.left + filled - 1;
        SetHighColor(kFilledColour);
        FillRect(bar);
    }
    SetHighColor(kFrameColour);
    StrokeRect(bounds);

    const std::string label = Label();
    font_height height;
    GetFontHeight(&height);
    const float x = bounds.left + (bounds.Width() + 1 - StringWidth(label.c_str())) / 2;
    const float y = bounds.top + (bounds.Height() + 1 + height.ascent - height.descent) / 2;
    SetHighColor(kTextColour);
    SetDrawingMode(B_OP_OVER);
    DrawString(label.c_str(), BPoint(x, y));
    SetDrawingMode(B_OP_COPY);
}
