// BPoint: a point in a two-dimensional float coordinate system (y grows
// downwards), as the platform's interface kit spells it. Plain data; the
// interface kit converts to and from Qt's types.
#pragma once

#include <SupportDefs.h>

class BRect;

class BPoint {
public:
    float x;
    float y;

    constexpr BPoint() : x(0.0f), y(0.0f) {}
    constexpr BPoint(float px, float py) : x(px), y(py) {}

    void Set(float px, float py) { x = px; y = py; }

    // Moves the point to the nearest point inside rect.
    void ConstrainTo(BRect rect);

    // Writes "BPoint(x:…, y:…)" to stderr.
    void PrintToStream() const;

    BPoint operator-() const { return BPoint(-x, -y); }
    BPoint operator+(const BPoint& other) const { return BPoint(x + other.x, y + other.y); }
    BPoint operator-(const BPoint& other) const { return BPoint(x - other.x, y - other.y); }
    BPoint& operator+=(const BPoint& other) { x += other.x; y += other.y; return *this; }
    BPoint& operator-=(const BPoint& other) { x -= other.x; y -= other.y; return *this; }
    bool operator==(const BPoint& other) const { return x == other.x && y == other.y; }
    bool operator!=(const BPoint& other) const { return !(*this == other); }
};

extern const BPoint B_ORIGIN;
