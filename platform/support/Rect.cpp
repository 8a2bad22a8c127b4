#include <Rect.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

void BRect::InsetBy(float dx, float dy)
{
    left += dx;
    right -= dx;
    top += dy;
    bottom -= dy;
}

void BRect::OffsetBy(float dx, float dy)
{
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
}

void BRect::OffsetTo(float x, float y)
{
    right = x + (right - left);
    bottom = y + (bottom - top);
    left = x;
    top = y;
}

BRect BRect::operator&(BRect other) const
{
    return BRect(std::max(left, other.left), std::max(top, other.top),
        std::min(right, other.right), std::min(bottom, other.bottom));
}

BRect BRect::operator|(BRect other) const
{
    return BRect(std::min(left, other.left), std::min(top, other.top),
        std::max(right, other.right), std::max(bottom, other.bottom));
}

bool BRect::Intersects(BRect other) const
{
    if (!IsValid() || !other.IsValid())
        return false;
    return !(left > other.right || right < other.left || top > other.bottom
        || bottom < other.top);
}

int32 BRect::IntegerWidth() const
{
    return int32(std::ceil(right - left));
}

int32 BRect::IntegerHeight() const
{
    return int32(std::ceil(bottom - top));
}

bool BRect::Contains(BPoint point) const
{
    return point.x >= left && point.x <= right && point.y >= top && point.y <= bottom;
}

bool BRect::Contains(BRect other) const
{
    return other.left >= left && other.right <= right && other.top >= top
        && other.bottom <= bottom;
}

bool BRect::operator==(BRect other) const
{
    return left == other.left && top == other.top && right == other.right
        && bottom == other.bottom;
}

void BRect::PrintToStream() const
{
    fprintf(stderr, "BRect(l:%.1f, t:%.1f, r:%.1f, b:%.1f)\n", left, top, right, bottom);
}
