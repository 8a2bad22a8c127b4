// BStringView: one line of static text, aligned left, right or centred,
// sitting on the bottom of the view.
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

private:
    std::string fText;
    alignment fAlignment;
};
