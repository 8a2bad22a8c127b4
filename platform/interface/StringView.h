// BStringView: one line of static text, aligned left, right or centred,
// sitting on the bottom of the view. Text that does not fit is never cut
// through a glyph: a font too tall for the view is drawn smaller, to the
// view's height, and a text too wide ends in an ellipsis.
#pragma once

#include <View.h>

#include <string>

class BStringView : public BView {
public:
    BStringView(BRect frame, const char* name, const char* text,
        uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP, uint32 flags = B_WILL_DRAW);
    virtual ~BStringView();

    void Draw(BRect updateRect) override;
    void GetPreferredSize(float* width, float* height) override;

    void SetText(const char* text);
    const char* Text() const { return fText.c_str(); }
    void SetAlignment(alignment flag);
    alignment Alignment() const { return fAlignment; }

    // What Draw() shows (extension): the text, shortened to the width, and
    // the font, made smaller when the view's font is taller than the view.
    void GetDrawnText(std::string* text, BFont* font) const;
    // The width the text is drawn in (extension): the view's width less the
    // margins left and right of the text.
    float TextRoom() const;

private:
    std::string fText;
    alignment fAlignment;
};
