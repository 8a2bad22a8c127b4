// BBox: a frame that groups views, with a fancy (etched), plain or no
// border and an optional label (a text in the bold font, or a view) that
// interrupts the top line.
#pragma once

#include <View.h>

#include <string>

class BBox : public BView {
public:
    BBox(BRect frame, const char* name = nullptr, uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
        uint32 flags = B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE_JUMP, border_style border = B_FANCY_BORDER);
    virtual ~BBox();

    void SetBorder(border_style border);
    border_style Border() const;

    void SetLabel(const char* label);
    // A view as the label, placed at (10, 0); the box owns it. Null removes
    // the label.
    status_t SetLabel(BView* view);
    const char* Label() const;
    BView* LabelView() const;

    // The area inside the border (below the label line).
    BRect InnerFrame();

    void Draw(BRect updateRect) override;
    void AttachedToWindow() override;
    void FrameResized(float width, float height) override;

private:
    float _TopLine();

    std::string fLabel;
    bool fHasLabel;
    BView* fLabelView;
    border_style fBorder;
};
