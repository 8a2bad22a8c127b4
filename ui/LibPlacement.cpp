#include <LibPlacement.h>

namespace {

// Distance kept from the screen's edges on the screen, and from the other
// window's sides around it.
constexpr float kScreenMargin = 10;
constexpr float kSideGap = 20;

bool ValidPosition(int32 where)
{
    return where >= LibPlacement::kTopLeft && where <= LibPlacement::kBottomRight;
}

} // namespace

bool LibPlacement::OnScreen(int32 where, const BRect& bounds, const BRect& screen, float allowance,
    BPoint& origin)
{
    if (!ValidPosition(where))
        return false;
    const float width = bounds.Width();
    const float height = bounds.Height();
    const float column[3] = {kScreenMargin, screen.right * 0.5f - width * 0.5f,
        screen.right - width - kScreenMargin};
    const float row[3] = {allowance, screen.bottom * 0.5f - height * 0.5f,
        screen.bottom - height - kScreenMargin};
    origin.Set(column[where % 3], row[where / 3]);
    return true;
}

bool LibPlacement::AroundFrame(int32 where, const BRect& bounds, const BRect& other,
    const BRect& screen, float allowance, BPoint& origin)
{
    if (!ValidPosition(where))
        return false;
    const float width = bounds.Width();
    const float height = bounds.Height();
    const float centerX = other.left + other.Width() * 0.5f;
    const float centerY = other.top + other.Height() * 0.5f;
    const float column[3] = {other.left - width - kSideGap, centerX - width * 0.5f,
        other.right + kSideGap};
    const float row[3] = {other.top - height - allowance, centerY - height * 0.5f,
        other.bottom + allowance + kScreenMargin};
    float x = column[where % 3];
    float y = row[where / 3];

    // Off the top goes below the title tab's height, off the bottom a little
    // above the edge; the same for left and right.
    if (y < 0)
        y = 25;
    else if (y > screen.bottom - height)
        y = screen.bottom - height - 5;
    if (x < 0)
        x = 2;
    else if (x > screen.right - width)
        x = screen.right - width - 5;
    origin.Set(x, y);
    return true;
}

bool LibPlacement::Rescaled(const BRect& frame, const BRect& oldScreen, const BRect& newScreen,
    BPoint& origin)
{
    if (newScreen == oldScreen)
        return false;
    // A screen that was not known (no display yet) or has gone gives no
    // ratio; scaling by it would throw the window to infinity or off screen.
    if (oldScreen.Width() <= 0 || oldScreen.Height() <= 0 || newScreen.Width() <= 0
        || newScreen.Height() <= 0)
        return false;
    origin.Set(newScreen.Width() / oldScreen.Width() * frame.left,
        newScreen.Height() / oldScreen.Height() * frame.top);
    return true;
}
