#include <LibStringView.h>

#include <string>

LibStringView::LibStringView(BRect frame, const char* name, const char* text)
    : BStringView(frame, name, text, B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW),
      fHidden(false)
{
}

LibStringView::~LibStringView() = default;

void LibStringView::Show()
{
    if (!fHidden)
        return;
    fHidden = false;
    BStringView::Show();
}

void LibStringView::Hide()
{
    if (fHidden)
        return;
    fHidden = true;
    BStringView::Hide();
}

void LibStringView::SetTruncatedText(const char* text, const uint32& mode)
{
    // The result may be longer in bytes than text (a three-byte ellipsis
    // for one dropped character), so it is built in a growing string
    // rather than in a buffer sized by the text.
    // It is shortened in the font and to the width Draw() uses, so that
    // Draw() finds it fitting and does not cut it a second time.
    std::string shortened = text != nullptr ? text : "";
    BFont font;
    GetDrawnText(nullptr, &font);
    const float room = TextRoom();
    if (font.StringWidth(shortened.c_str()) > room)
        font.TruncateString(&shortened, mode, room);
    SetText(shortened.c_str());
}
