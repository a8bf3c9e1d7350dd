#pragma once

// Points and rectangles in the kit's inclusive coordinates: a rectangle
// (0, 0, 75, 25) covers 76 by 26 pixels, and its Width() is 75.

#include <kit/app/SupportDefs.h>

struct BPoint {
    float x = 0;
    float y = 0;
    constexpr BPoint() = default;
    constexpr BPoint(float px, float py) : x(px), y(py) {}
    constexpr bool operator==(const BPoint&) const = default;
};

struct BRect {
    float left = 0;
    float top = 0;
    float right = -1;
    float bottom = -1;

    constexpr BRect() = default;
    constexpr BRect(float l, float t, float r, float b) : left(l), top(t), right(r), bottom(b) {}

    constexpr float Width() const { return right - left; }
    constexpr float Height() const { return bottom - top; }
    // Whole pixels covered.
    constexpr int32 IntegerWidth() const { return static_cast<int32>(right - left); }
    constexpr int32 IntegerHeight() const { return static_cast<int32>(bottom - top); }
    constexpr BPoint LeftTop() const { return {left, top}; }
    constexpr bool IsValid() const { return left <= right && top <= bottom; }

    constexpr BRect& OffsetBy(float dx, float dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
        return *this;
    }
    constexpr BRect& OffsetTo(float x, float y) { return OffsetBy(x - left, y - top); }
    constexpr BRect& InsetBy(float dx, float dy) {
        left += dx;
        right -= dx;
        top += dy;
        bottom -= dy;
        return *this;
    }
    constexpr bool operator==(const BRect&) const = default;
};
