#include <Point.h>
#include <Rect.h>

#include <cstdio>

const BPoint B_ORIGIN(0.0f, 0.0f);

void BPoint::ConstrainTo(BRect rect)
{
    if (x > rect.right)
        x = rect.right;
    if (x < rect.left)
        x = rect.left;
    if (y > rect.bottom)
        y = rect.bottom;
    if (y < rect.top)
        y = rect.top;
}

void BPoint::PrintToStream() const
{
    fprintf(stderr, "BPoint(x:%.2f, y:%.2f)\n", x, y);
}
