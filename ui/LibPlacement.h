// The arithmetic behind a window's placement: where a window of a given
// size goes at one of nine positions on the screen or around another
// window, and where it goes when the screen's resolution changes. Pure
// functions over rectangles; LibWindow applies their results.
#pragma once

#include <Point.h>
#include <Rect.h>
#include <SupportDefs.h>

class LibPlacement {
public:
    // Nine positions of a 3 x 3 grid, read row by row.
    enum ScreenPosition : int32 {
        kTopLeft = 0,
        kTopCenter = 1,
        kTopRight = 2,
        kMiddleLeft = 3,
        kCenter = 4,
        kMiddleRight = 5,
        kBottomLeft = 6,
        kBottomCenter = 7,
        kBottomRight = 8
    };

    // Room left above a titled window's frame for its tab.
    static constexpr float kTitleAllowance = 30;

    // The origin of a window whose bounds are given, at where on a screen
    // with frame screen; allowance is kTitleAllowance for a window with a
    // title tab, else 0. The result is not clamped. False (origin
    // untouched) for a position outside 0..8.
    static bool OnScreen(int32 where, const BRect& bounds, const BRect& screen, float allowance,
        BPoint& origin);

    // The origin of the window at where around the frame of another window,
    // pulled back onto the screen when it would lie off its top, left,
    // bottom or right. False (origin untouched) for a position outside 0..8.
    static bool AroundFrame(int32 where, const BRect& bounds, const BRect& other, const BRect& screen,
        float allowance, BPoint& origin);

    // Keeps a window at the same relative place when the screen's frame
    // changes from oldScreen to newScreen: the frame's origin scaled by the
    // ratio of the sizes. False (origin untouched) when the frames are equal
    // or either has no size (no display).
    static bool Rescaled(const BRect& frame, const BRect& oldScreen, const BRect& newScreen,
        BPoint& origin);
};
