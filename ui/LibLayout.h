// Rectangle helpers for laying out views: a rectangle from origin and size,
// and a rectangle of a given size placed against an edge of another one.
// Rectangles are the platform's, with inclusive right and bottom edges.
#pragma once

#include <Rect.h>
#include <SupportDefs.h>

// The edges of a rectangle, for LibLayoutRect.
enum Edge : int32 {
    kEdgeTop = 0,
    kEdgeBottom = 1,
    kEdgeLeft = 2,
    kEdgeRight = 3
};

// (x, y, x + width, y + height): LibRect(0, 0, 31, 31) covers 32 x 32 pixels.
BRect LibRect(const float& x, const float& y, const float& width, const float& height);

// The rectangle (0, 0, width, height) moved against an edge of reference:
// edge says which edge of reference it lies against, align which of its own
// edges is lined up with it, and gap moves it further right or down
// (negative: left or up). Only matching pairs move the rectangle (top or
// bottom with top or bottom, left or right with left or right); any other
// pair returns it unmoved.
BRect LibLayoutRect(const BRect& reference, const Edge& edge, const Edge& align, const float& gap,
    const float& width, const float& height);
