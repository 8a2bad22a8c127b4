// LibStringView: a string view whose Show and Hide do not nest, and that
// shortens a text too wide for it with an ellipsis.
#pragma once

#include <StringView.h>

class LibStringView : public BStringView {
public:
    LibStringView(BRect frame, const char* name, const char* text);
    virtual ~LibStringView();

    // Shows only a hidden view and hides only a shown one.
    void Show() override;
    void Hide() override;

    // Sets text, shortened by mode (B_TRUNCATE_END, _BEGINNING, _MIDDLE,
    // _SMART) to the width the view draws its text in at the time of the
    // call (its width less the text margins, in the font it draws with).
    void SetTruncatedText(const char* text, const uint32& mode);

private:
    // Whether this view itself is hidden: IsHidden() also answers true for
    // a shown view inside a hidden parent, and showing it then would make
    // the platform's hide count go negative.
    bool fHidden;
};
