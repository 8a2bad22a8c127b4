#include <StringView.h>

#include <cmath>

BStringView::BStringView(BRect frame, const char* name, const char* text, uint32 resizingMode,
    uint32 flags)
    : BView(frame, name, resizingMode, flags),
      fText(text != nullptr ? text : ""),
      fAlignment(B_ALIGN_LEFT)
{
}

BStringView::~BStringView() = default;

void BStringView::Draw(BRect)
{
    if (fText.empty())
        return;
    const BRect bounds = Bounds();
    font_height height;
    GetFontHeight(&height);
    const float width = StringWidth(fText.c_str());
    float x = 2;
    if (fAlignment == B_ALIGN_RIGHT)
        x = bounds.Width() - width - 2;
    else if (fAlignment == B_ALIGN_CENTER)
        x = (bounds.Width() - width) / 2;
    DrawString(fText.c_str(), BPoint(x, bounds.bottom - std::ceil(height.descent)));
}

void BStringView::GetPreferredSize(float* width, float* height)
{
    font_height fontHeight;
    GetFontHeight(&fontHeight);
    if (width != nullptr)
        *width = std::ceil(StringWidth(fText.c_str())) + 4;
    if (height != nullptr)
        *height = std::ceil(fontHeight.ascent + fontHeight.descent + fontHeight.leading);
}

void BStringView::SetText(const char* text)
{
    const std::string value = text != nullptr ? text : "";
    if (value == fText)
        return;
    fText = value;
    Invalidate();
}

void BStringView::SetAlignment(alignment flag)
{
    if (fAlignment == flag)
        return;
    fAlignment = flag;
    Invalidate();
}
