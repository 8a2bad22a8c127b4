// The geometry of a tool tip: how large the tip window is for its text, and
// where it goes so that it stays on the screen that holds the pointer and
// never covers the pointer. Pure functions; the tip window applies them.
#pragma once

#include <Point.h>
#include <Rect.h>
#include <SupportDefs.h>

#include <functional>

class BFont;

class LibTipLayout {
public:
    // Width in pixels of length bytes of text.
    using Measure = std::function<float(const char* text, int32 length)>;

    // Height of a tip of one line without a fixed width.
    static constexpr float kSingleLineHeight = 13;
    // Room the pointer's image takes below and right of its hot spot, and
    // the gap kept between pointer and tip.
    static constexpr float kPointerSize = 16;
    static constexpr float kPointerGap = 4;

    // Lines the text takes when wrapped at width pixels: broken at line
    // feeds, then between words; a word wider than a line is broken between
    // characters. An empty text is one line.
    static int32 CountLines(const char* text, const float& width, const Measure& measure);

    // The tip window's size as width and height (the arguments of a
    // resize): with width > 0, width + 3 by lines x lineHeight + 2;
    // otherwise the text's width + 3 by kSingleLineHeight.
    static BPoint WindowSize(const char* text, const int32& width, const float& lineHeight,
        const Measure& measure);
    // The same with the widths and line height of font.
    static BPoint WindowSize(const char* text, const int32& width, const BFont& font);

    // Top-left corner for a tip of size (as WindowSize) asked for at
    // wanted: the first of wanted, below, above, right of and left of the
    // pointer that, moved fully onto screen, leaves the pointer uncovered.
    // When none does (a tip larger than the screen) wanted moved onto the
    // screen as far as it fits.
    static BPoint Place(const BPoint& wanted, const BPoint& size, const BRect& screen, const BPoint& pointer);
};
