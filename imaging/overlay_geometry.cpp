// Placement of the viewer's overlays.
#include "imaging/overlay_geometry.h"

#include <algorithm>
#include <cmath>

namespace nv {

PointF ViewPlacement::ToWindow(PointF stored) const
{
    const ScrollSize shown = m_orientation.ShownSize();
    const PointF s = m_orientation.ShownPosition(stored);
    const double kx = shown.cx > 0 ? double(m_zoomed.cx) / shown.cx : 0.0;
    const double ky = shown.cy > 0 ? double(m_zoomed.cy) / shown.cy : 0.0;
    return {m_origin.x + (s.x + 0.5) * kx, m_origin.y + (s.y + 0.5) * ky};
}

PointF ViewPlacement::ToStored(PointF window) const
{
    const ScrollSize shown = m_orientation.ShownSize();
    const double kx = m_zoomed.cx > 0 ? double(shown.cx) / m_zoomed.cx : 0.0;
    const double ky = m_zoomed.cy > 0 ? double(shown.cy) / m_zoomed.cy : 0.0;
    return m_orientation.StoredPosition(
        PointF{(window.x - m_origin.x) * kx - 0.5, (window.y - m_origin.y) * ky - 0.5});
}

ScrollPoint ViewPlacement::WindowPixel(PointF window)
{
    return {int(std::floor(window.x)), int(std::floor(window.y))};
}

std::optional<AreaF> ViewPlacement::VisibleArea(ScrollSize client) const
{
    const double left = std::max(0, m_origin.x);
    const double top = std::max(0, m_origin.y);
    const double right = std::min<double>(client.cx, double(m_origin.x) + m_zoomed.cx);
    const double bottom = std::min<double>(client.cy, double(m_origin.y) + m_zoomed.cy);
    if (right <= left || bottom <= top)
        return std::nullopt;
    const PointF a = ToStored({left, top});
    const PointF b = ToStored({right, bottom});
    return AreaF{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

ScrollRect MarkerLabelRect(ScrollPoint centre, ScrollSize label)
{
    const int left = centre.x + kMarkerGap + 2;
    const int top = centre.y + kMarkerGap + 2;
    return {left, top, left + label.cx, top + label.cy};
}

ScrollRect MarkerBounds(ScrollPoint centre, ScrollSize label)
{
    const int reach = kMarkerArm + kMarkerOutline + 1;
    const ScrollRect cross{centre.x - reach, centre.y - reach, centre.x + reach + 1,
                           centre.y + reach + 1};
    const ScrollRect text = MarkerLabelRect(centre, label);
    return {std::min(cross.left, text.left - kMarkerOutline),
            std::min(cross.top, text.top - kMarkerOutline),
            std::max(cross.right, text.right + kMarkerOutline),
            std::max(cross.bottom, text.bottom + kMarkerOutline)};
}

int MagnifierZoom(int zoom)
{
    return std::max(4 * zoom, 400);
}

Magnifier PlaceMagnifier(ScrollPoint pointer, ScrollPoint centre, ScrollSize client, int zoom)
{
    Magnifier m;
    m.cell = MagnifierZoom(zoom) / 100.0;
    const int n = std::max(3, int(kMagnifierSide / m.cell) | 1);
    m.pixels = {centre.x - n / 2, centre.y - n / 2, centre.x - n / 2 + n, centre.y - n / 2 + n};
    const int side = int(std::ceil(n * m.cell)) + 2; // one pixel of frame on each side
    auto place = [side](int at, int room) {
        int start = at + kMagnifierOffset;
        if (start + side > room)
            start = at - kMagnifierOffset - side;
        return std::clamp(start, 0, std::max(room - side, 0));
    };
    const int x = place(pointer.x, client.cx);
    const int y = place(pointer.y, client.cy);
    m.box = {x, y, x + side, y + side};
    return m;
}

ScrollRect MagnifierCentreCell(const Magnifier& m)
{
    const int n = m.pixels.Width();
    const int left = m.box.left + 1 + int(std::floor((n / 2) * m.cell));
    const int top = m.box.top + 1 + int(std::floor((n / 2) * m.cell));
    const int right = m.box.left + 1 + int(std::floor((n / 2 + 1) * m.cell));
    const int bottom = m.box.top + 1 + int(std::floor((n / 2 + 1) * m.cell));
    return {left, top, right, bottom};
}

} // namespace nv
