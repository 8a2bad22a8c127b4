// BScrollView: a frame around a target view with scroll bars beside it.
// The scroll view takes the target's place: it grows around the target by
// its border and the scroll bars, and the target moves inside it.
#pragma once

#include <View.h>

class BScrollBar;

class BScrollView : public BView {
public:
    BScrollView(const char* name, BView* target, uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
        uint32 flags = 0, bool horizontal = false, bool vertical = false, border_style border = B_FANCY_BORDER);
    virtual ~BScrollView();

    BScrollBar* ScrollBar(orientation direction) const;
    BView* Target() const;
    border_style Border() const;

    void Draw(BRect updateRect) override;
    void FrameResized(float width, float height) override;

private:
    static BRect _Frame(BView* target, bool horizontal, bool vertical, border_style border);

    BView* fTarget;
    BScrollBar* fHorizontal;
    BScrollBar* fVertical;
    border_style fBorder;
};
