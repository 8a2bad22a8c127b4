// BScreen: the size and colour depth of a display, read through Qt. Only the
// main screen exists. Without a running Qt application or without a display
// the screen is not valid: its frame is the empty rectangle and its colour
// space B_NO_COLOR_SPACE.
#pragma once

#include <GraphicsDefs.h>
#include <Rect.h>
#include <SupportDefs.h>

typedef struct {
    int32 id;
} screen_id;

extern const screen_id B_MAIN_SCREEN_ID;

class BScreen {
public:
    explicit BScreen(screen_id id = B_MAIN_SCREEN_ID);

    bool IsValid() const;
    status_t SetToNext();
    screen_id ID() const;

    // (0, 0, width - 1, height - 1), in pixels.
    BRect Frame() const;
    color_space ColorSpace() const;

private:
    screen_id fID;
    bool fValid;
    BRect fFrame;
    color_space fColorSpace;
};
