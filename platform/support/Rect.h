// BRect: an axis-aligned rectangle with float edges, as the platform's
// interface kit spells it. Edges are inclusive: a rect from 0 to 9 is ten
// pixels wide but Width() is 9. A rect is valid when left <= right and
// top <= bottom; the default rect (0, 0, -1, -1) is invalid.
#pragma once

#include <Point.h>

class BRect {
public:
    float left;
    float top;
    float right;
    float bottom;

    constexpr BRect() : left(0), top(0), right(-1), bottom(-1) {}
    constexpr BRect(float l, float t, float r, float b) : left(l), top(t), right(r), bottom(b) {}
    constexpr BRect(BPoint leftTop, BPoint rightBottom)
        : left(leftTop.x), top(leftTop.y), right(rightBottom.x), bottom(rightBottom.y) {}
    // A square with its left-top corner at the origin.
    constexpr explicit BRect(float side) : left(0), top(0), right(side), bottom(side) {}

    void Set(float l, float t, float r, float b) { left = l; top = t; right = r; bottom = b; }

    BPoint LeftTop() const { return BPoint(left, top); }
    BPoint RightBottom() const { return BPoint(right, bottom); }
    BPoint LeftBottom() const { return BPoint(left, bottom); }
    BPoint RightTop() const { return BPoint(right, top); }
    void SetLeftTop(BPoint p) { left = p.x; top = p.y; }
    void SetRightBottom(BPoint p) { right = p.x; bottom = p.y; }
    void SetLeftBottom(BPoint p) { left = p.x; bottom = p.y; }
    void SetRightTop(BPoint p) { right = p.x; top = p.y; }

    // Moves each edge inwards by dx (left and right) and dy (top and
    // bottom); negative values grow the rect.
    void InsetBy(float dx, float dy);
    void InsetBy(BPoint delta) { InsetBy(delta.x, delta.y); }
    BRect& InsetBySelf(float dx, float dy) { InsetBy(dx, dy); return *this; }
    BRect InsetByCopy(float dx, float dy) const { BRect r(*this); r.InsetBy(dx, dy); return r; }

    void OffsetBy(float dx, float dy);
    void OffsetBy(BPoint delta) { OffsetBy(delta.x, delta.y); }
    BRect& OffsetBySelf(float dx, float dy) { OffsetBy(dx, dy); return *this; }
    BRect OffsetByCopy(float dx, float dy) const { BRect r(*this); r.OffsetBy(dx, dy); return r; }

    // Moves the rect so that its left-top corner is at (x, y).
    void OffsetTo(float x, float y);
    void OffsetTo(BPoint p) { OffsetTo(p.x, p.y); }
    BRect& OffsetToSelf(float x, float y) { OffsetTo(x, y); return *this; }
    BRect OffsetToCopy(float x, float y) const { BRect r(*this); r.OffsetTo(x, y); return r; }

    // Intersection (may be invalid when the rects do not meet) and union
    // (the smallest rect that holds both).
    BRect operator&(BRect other) const;
    BRect operator|(BRect other) const;
    bool Intersects(BRect other) const;

    bool IsValid() const { return left <= right && top <= bottom; }
    float Width() const { return right - left; }
    float Height() const { return bottom - top; }
    int32 IntegerWidth() const;
    int32 IntegerHeight() const;

    bool Contains(BPoint point) const;
    bool Contains(BRect other) const;

    bool operator==(BRect other) const;
    bool operator!=(BRect other) const { return !(*this == other); }

    // Writes "BRect(l:…, t:…, r:…, b:…)" to stderr.
    void PrintToStream() const;
};
