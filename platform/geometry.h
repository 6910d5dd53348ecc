// Points, sizes and rectangles in pixels, shared by the windows' arithmetic of every
// subsystem (the main window's layout, the grid, the scrolling image window).
#pragma once

#include <algorithm>

namespace nv {

struct Point
{
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

struct Size
{
    int cx = 0;
    int cy = 0;
    bool operator==(const Size&) const = default;
};

// A rectangle; right and bottom are exclusive.
struct Rect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool Contains(Point p) const { return Contains(p.x, p.y); }
    // The same rectangle with left <= right and top <= bottom.
    Rect Normalized() const
    {
        return {std::min(left, right), std::min(top, bottom), std::max(left, right),
                std::max(top, bottom)};
    }
    // The common part of both; empty (all zero) when they do not overlap.
    Rect Intersected(const Rect& other) const
    {
        const Rect r{std::max(left, other.left), std::max(top, other.top),
                     std::min(right, other.right), std::min(bottom, other.bottom)};
        return r.IsEmpty() ? Rect{} : r;
    }
    bool operator==(const Rect&) const = default;
};

} // namespace nv
