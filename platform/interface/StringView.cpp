#include <StringView.h>

#include <Font.h>

#include <QAccessible>

#include <cmath>

BStringView::BStringView(BRect frame, const char* name, const char* text, uint32 resizingMode,
    uint32 flags)
    : BView(frame, name, resizingMode, flags),
      fText(text != nullptr ? text : ""),
      fAlignment(B_ALIGN_LEFT)
{
    // A screen reader reads the text as the view's name and its value.
    _SetAccessibleRole(QAccessible::StaticText);
    _SetAccessibleDefaultName(fText.c_str());
    _SetAccessibleValue(fText.c_str());
}

BStringView::~BStringView() = default;

namespace {

// Room left and right of the text.
const float kTextMargin = 2;

} // namespace

void BStringView::GetDrawnText(std::string* text, BFont* font) const
{
    BFont drawn;
    GetFont(&drawn);
    const BRect bounds = Bounds();
    const float room = bounds.Height() + 1;
    font_height height;
    drawn.GetHeight(&height);
    const float needed = std::ceil(height.ascent) + std::ceil(height.descent);
    if (needed > room && needed > 0) {
        // Shrunk in steps until whole glyphs fit the view's height.
        float size = drawn.Size() * room / needed;
        for (; size > 1; size -= 0.5f) {
            drawn.SetSize(std::floor(size * 2) / 2);
            drawn.GetHeight(&height);
            if (std::ceil(height.ascent) + std::ceil(height.descent) <= room)
                break;
        }
    }
    std::string shown = fText;
    const float width = TextRoom();
    if (drawn.StringWidth(shown.c_str()) > width)
        drawn.TruncateString(&shown, B_TRUNCATE_END, width);
    if (text != nullptr)
        *text = shown;
    if (font != nullptr)
        *font = drawn;
}

float BStringView::TextRoom() const
{
    return Bounds().Width() + 1 - 2 * kTextMargin;
}

void BStringView::Draw(BRect)
{
    if (fText.empty())
        return;
    std::string text;
    BFont font;
    GetDrawnText(&text, &font);
    if (text.empty())
        return;
    const BRect bounds = Bounds();
    PushState();
    BFont own;
    GetFont(&own);
    if (font.Size() != own.Size())
        SetFont(&font, B_FONT_SIZE);
    font_height height;
    font.GetHeight(&height);
    const float width = font.StringWidth(text.c_str());
    float x = kTextMargin;
    if (fAlignment == B_ALIGN_RIGHT)
        x = bounds.Width() - width - kTextMargin;
    else if (fAlignment == B_ALIGN_CENTER)
        x = (bounds.Width() - width) / 2;
    DrawString(text.c_str(), BPoint(x, bounds.bottom - std::ceil(height.descent)));
    PopState();
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
    _SetAccessibleDefaultName(fText.c_str());
    _SetAccessibleValue(fText.c_str());
    Invalidate();
}

void BStringView::SetAlignment(alignment flag)
{
    if (fAlignment == flag)
        return;
    fAlignment = flag;
    Invalidate();
}
