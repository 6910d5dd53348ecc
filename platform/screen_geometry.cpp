// Screens and where windows go on them.
#include "platform/screen_geometry.h"

#include <limits>

namespace nv {

namespace {

// Squared distance from a point to a rectangle (0 inside it).
long long DistanceSquared(const Rect& r, Point p)
{
    const long long dx = p.x < r.left ? r.left - p.x : (p.x >= r.right ? p.x - r.right + 1 : 0);
    const long long dy = p.y < r.top ? r.top - p.y : (p.y >= r.bottom ? p.y - r.bottom + 1 : 0);
    return dx * dx + dy * dy;
}

// Lengths in 64 bits and areas in floating point: a placement read from the profile may hold
// any 32-bit numbers.
double Area(const Rect& r)
{
    if (r.IsEmpty())
        return 0;
    return double(static_cast<long long>(r.right) - r.left) *
           double(static_cast<long long>(r.bottom) - r.top);
}

// The span [start, end) moved into [low, high), and shortened to its length if longer.
void FitSpan(int& start, int& end, int low, int high)
{
    const long long length =
        std::min(static_cast<long long>(end) - start, static_cast<long long>(high) - low);
    start = int(std::clamp<long long>(start, low, high - length));
    end = int(start + length);
}

} // namespace

const ScreenArea* NearestScreen(const std::vector<ScreenArea>& screens, Point p)
{
    const ScreenArea* nearest = nullptr;
    long long best = std::numeric_limits<long long>::max();
    for (const ScreenArea& s : screens) {
        const long long d = DistanceSquared(s.geometry, p);
        if (d < best) {
            best = d;
            nearest = &s;
        }
    }
    return nearest;
}

Rect KeepOnScreens(const Rect& window, const std::vector<ScreenArea>& screens)
{
    const Rect w = window.Normalized();
    double shown = 0, mostShown = 0;
    const ScreenArea* target = nullptr;
    for (const ScreenArea& s : screens) {
        const double part = Area(w.Intersected(s.workArea));
        shown += part;
        if (part > mostShown) {
            mostShown = part;
            target = &s;
        }
    }
    if (screens.empty() || (!w.IsEmpty() && 2 * shown >= Area(w)))
        return window;
    if (!target) {
        const long long cx = (static_cast<long long>(w.left) + w.right) / 2;
        const long long cy = (static_cast<long long>(w.top) + w.bottom) / 2;
        target = NearestScreen(screens, {int(cx), int(cy)});
    }
    Rect placed = w;
    FitSpan(placed.left, placed.right, target->workArea.left, target->workArea.right);
    FitSpan(placed.top, placed.bottom, target->workArea.top, target->workArea.bottom);
    return placed;
}

} // namespace nv
