// LibTipString: the text of the tool-tip window: pale yellow, the plain
// system font at size 10, neither editable nor selectable. Its pulse (the
// tip window's, set to the end delay when the tip shows) hides the window.
#pragma once

#include <TextView.h>

class LibTipString : public BTextView {
public:
    static constexpr float kFontSize = 10;

    explicit LibTipString(BRect frame);
    virtual ~LibTipString();

    void Pulse() override;
    // The text rectangle keeps its left-top corner and takes the new size.
    void FrameResized(float width, float height) override;
};
