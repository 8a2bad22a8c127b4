// The drawing state of a view: colours, pen, drawing mode and font. Views
// keep one, and PushState()/PopState() keep copies on a stack.
#pragma once

#include <Font.h>
#include <GraphicsDefs.h>
#include <InterfaceDefs.h>
#include <Point.h>

namespace BPrivate {

struct ViewState {
    rgb_color viewColor = make_color(255, 255, 255);
    rgb_color highColor = make_color(0, 0, 0);
    rgb_color lowColor = make_color(255, 255, 255);
    drawing_mode mode = B_OP_COPY;
    float penSize = 1.0f;
    BPoint penLocation;
    BFont font;
};

} // namespace BPrivate
