// Zoom, placement and scroll arithmetic of the scrolling and zooming window.
#include "imaging/scroll_geometry.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace nv {

namespace {

int ToInt(int64_t v)
{
    return int(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

// a * b / c rounded to the nearest integer, halves away from zero; -1 when c is 0.
int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const int64_t num = int64_t(a) * b;
    const int64_t den = c;
    const bool negative = (num < 0) != (den < 0);
    const int64_t q = (std::llabs(num) + std::llabs(den) / 2) / std::llabs(den);
    return ToInt(negative ? -q : q);
}

} // namespace

int ClampZoom(int percent)
{
    return std::clamp(percent, kMinZoomPercent, kMaxZoomPercent);
}

int LogicalToDevice(int logical, int zoom)
{
    return ToInt(int64_t(logical) * zoom / 100);
}

int DeviceToLogical(int device, int zoom)
{
    return zoom == 0 ? 0 : ToInt(int64_t(device) * 100 / zoom);
}

ScrollPoint LogicalToDevice(ScrollPoint logical, int zoom)
{
    return {LogicalToDevice(logical.x, zoom), LogicalToDevice(logical.y, zoom)};
}

ScrollPoint DeviceToLogical(ScrollPoint device, int zoom)
{
    return {DeviceToLogical(device.x, zoom), DeviceToLogical(device.y, zoom)};
}

ScrollSize ZoomedSize(ScrollSize content, int zoom)
{
    return {LogicalToDevice(content.cx, zoom), std::abs(LogicalToDevice(content.cy, zoom))};
}

ScrollPoint ViewportOrigin(ScrollPoint scroll, int alignment, ScrollSize client, ScrollSize zoomed)
{
    ScrollPoint origin{-scroll.x, -scroll.y};
    const int column = alignment % 3;
    const int row = alignment / 3;
    if (zoomed.cx < client.cx) {
        if (column == 1)
            origin.x = (client.cx - zoomed.cx) / 2;
        else if (column == 2)
            origin.x = client.cx - zoomed.cx;
    }
    if (zoomed.cy < client.cy) {
        if (row == 1)
            origin.y = (client.cy - zoomed.cy) / 2;
        else if (row == 2)
            origin.y = client.cy - zoomed.cy;
    }
    return origin;
}

std::vector<ScrollRect> BackgroundBands(ScrollSize client, ScrollPoint origin, ScrollSize zoomed)
{
    std::vector<ScrollRect> bands;
    const int right = origin.x + zoomed.cx;
    const int bottom = origin.y + zoomed.cy;
    auto add = [&](ScrollRect r) {
        r = r.Intersected({0, 0, client.cx, client.cy});
        if (!r.IsEmpty())
            bands.push_back(r);
    };
    add({right, 0, client.cx, client.cy});
    add({0, bottom, client.cx, client.cy});
    if (origin.y > 0)
        add({0, 0, client.cx, origin.y});
    if (origin.x > 0)
        add({0, 0, origin.x, client.cy});
    return bands;
}

ScrollSteps DefaultScrollSteps(ScrollSize zoomed, ScrollSize page, ScrollSize line)
{
    ScrollSteps s{{page.cx, std::abs(page.cy)}, {line.cx, std::abs(line.cy)}};
    if (s.page.cx == 0)
        s.page.cx = zoomed.cx / 10;
    if (s.page.cy == 0)
        s.page.cy = zoomed.cy / 10;
    if (s.line.cx == 0)
        s.line.cx = s.page.cx / 10;
    if (s.line.cy == 0)
        s.line.cy = s.page.cy / 10;
    return s;
}

ScrollPoint AnchorPoint(int anchor, ScrollPoint scroll, ScrollSize client, ScrollSize zoomed,
                        bool canScrollHorizontally, bool canScrollVertically, int zoom)
{
    ScrollPoint device = scroll;
    if (anchor == kZoomAnchorBottomLeft) {
        if (canScrollVertically)
            device.y += client.cy;
        else
            device.y = zoomed.cy - 1;
    } else if (anchor == kZoomAnchorCenter) {
        if (canScrollVertically)
            device.y += client.cy / 2;
        else
            device.y = zoomed.cy / 2;
        if (canScrollHorizontally)
            device.x += client.cx / 2;
        else
            device.x = zoomed.cx / 2;
    }
    return DeviceToLogical(device, zoom);
}

ScrollPoint ClampScrollPosition(ScrollPoint position, ScrollSize client, ScrollSize zoomed)
{
    const int maxX = std::max(0, zoomed.cx - client.cx);
    const int maxY = std::max(0, zoomed.cy - client.cy);
    return {std::clamp(position.x, 0, maxX), std::clamp(position.y, 0, maxY)};
}

ScrollPoint ScrollTargetForLogical(ScrollPoint logical, int anchor, int zoom, ScrollSize client,
                                   ScrollSize zoomed)
{
    ScrollPoint device = LogicalToDevice(logical, zoom);
    if (anchor == kZoomAnchorBottomLeft) {
        device.y -= client.cy;
    } else if (anchor == kZoomAnchorCenter) {
        device.y -= client.cy / 2;
        device.x -= client.cx / 2;
    }
    return ClampScrollPosition(device, client, zoomed);
}

int FitZoom(ScrollSize client, ScrollSize content)
{
    if (content.cx <= 0 || content.cy == 0)
        return kMaxZoomPercent;
    const int64_t zx = std::min<int64_t>(int64_t(client.cx) * 100 / content.cx, kMaxZoomPercent);
    const int64_t zy = std::min<int64_t>(int64_t(std::abs(client.cy)) * 100 / std::abs(content.cy),
                                         kMaxZoomPercent);
    return int(std::max<int64_t>(std::min(zx, zy), kMinZoomPercent));
}

ScrollBarLayout LayoutScrollBars(ScrollSize client, ScrollSize barSize, ScrollSize zoomed,
                                 ScrollPoint position, bool barsInside)
{
    ScrollBarLayout out;
    if (barsInside && (client.cx <= barSize.cx || client.cy <= barSize.cy)) {
        out.tooSmall = true;
        out.client = client;
        out.position = position;
        return out;
    }
    ScrollSize range{zoomed.cx - client.cx, zoomed.cy - client.cy};
    ScrollPoint p = position;

    out.horizontal = range.cx > 0;
    if (!out.horizontal)
        p.x = 0;
    else if (barsInside)
        range.cy += barSize.cy;

    out.vertical = range.cy > 0;
    if (!out.vertical)
        p.y = 0;
    else if (barsInside)
        range.cx += barSize.cx;

    // A vertical bar narrows the client area: the content may not fit across any more.
    if (out.vertical && !out.horizontal && range.cx > 0) {
        out.horizontal = true;
        if (barsInside)
            range.cy += barSize.cy;
    }

    if (range.cx > 0)
        p.x = std::min(p.x, range.cx);
    if (range.cy > 0)
        p.y = std::min(p.y, range.cy);
    p.x = std::max(p.x, 0);
    p.y = std::max(p.y, 0);

    out.client = client;
    if (barsInside) {
        if (out.horizontal)
            out.client.cy -= barSize.cy;
        if (out.vertical)
            out.client.cx -= barSize.cx;
    }
    out.range = {std::max(range.cx, 0), std::max(range.cy, 0)};
    out.position = p;
    return out;
}

bool HasPageCode(unsigned pair)
{
    const unsigned h = HorizontalCode(pair);
    const unsigned v = VerticalCode(pair);
    return h == kScrollPageUp || h == kScrollPageDown || v == kScrollPageUp || v == kScrollPageDown;
}

int64_t PositionForCode(unsigned code, int old, int line, int page, int thumb)
{
    switch (code) {
    case kScrollLineUp:
        return int64_t(old) - line;
    case kScrollLineDown:
        return int64_t(old) + line;
    case kScrollPageUp:
        return int64_t(old) - page;
    case kScrollPageDown:
        return int64_t(old) + page;
    case kScrollThumbTrack:
        return thumb;
    case kScrollTop:
        return 0;
    case kScrollBottom:
        return INT_MAX;
    default:
        return old;
    }
}

int ClampedScroll(int old, int64_t offset, int limit)
{
    return int(std::clamp<int64_t>(int64_t(old) + offset, 0, std::max(limit, 0)));
}

std::optional<SmoothScrollPlan> PlanSmoothScroll(unsigned pair, ScrollSize line, ScrollSize page,
                                                 int lineSteps, int pageSteps)
{
    auto plan = [&](unsigned code, int lineDistance, int pageDistance,
                    bool vertical) -> std::optional<SmoothScrollPlan> {
        if (code > kScrollPageDown)
            return std::nullopt;
        const bool isPage = code == kScrollPageUp || code == kScrollPageDown;
        const int distance = isPage ? pageDistance : lineDistance;
        const int steps = std::max(isPage ? pageSteps : lineSteps, 1);
        SmoothScrollPlan p;
        p.vertical = vertical;
        p.forward = code == kScrollLineDown || code == kScrollPageDown;
        p.step = distance / steps;
        p.steps = p.step > 0 ? steps : 0;
        p.remainder = distance % steps;
        return p;
    };
    if (auto h = plan(HorizontalCode(pair), line.cx, page.cx, false))
        return h;
    return plan(VerticalCode(pair), line.cy, page.cy, true);
}

int WheelScrollDistance(int delta, int linesPerNotch, int lineSize, int pageSize, int* carry)
{
    if (linesPerNotch == 0 || delta == 0)
        return 0;
    if (linesPerNotch < 0) {
        // A page per notch, against the turn.
        return delta > 0 ? -pageSize : pageSize;
    }
    if (!carry) {
        const int lines = MulDiv(-delta, linesPerNotch, 120);
        return std::clamp(lines * lineSize, -pageSize, pageSize);
    }
    // Whole lines out of the turns carried so far, counted in 1/120 lines.
    int64_t total = -int64_t(delta) * linesPerNotch;
    if ((total < 0) == (*carry < 0))
        total += *carry;
    const int64_t lines = total / 120;
    *carry = int(total - lines * 120);
    return ToInt(std::clamp<int64_t>(lines * lineSize, -pageSize, pageSize));
}

std::optional<TrackZoomResult> TrackZoom(ScrollRect band, ScrollRect visibleContent,
                                         ScrollSize client, int zoom, ScrollPoint alignOffset,
                                         ScrollPoint scrollLogical)
{
    const ScrollRect r = band.Normalized().Intersected(visibleContent);
    if (r.IsEmpty() || r.Width() <= 7 || r.Height() <= 7 || zoom <= 0)
        return std::nullopt;
    const int64_t byHeight = int64_t(client.cy) * zoom / r.Height();
    const int64_t byWidth = int64_t(client.cx) * zoom / r.Width();
    TrackZoomResult out;
    out.zoom = ClampZoom(ToInt(std::min(byHeight, byWidth)));
    out.logicalTopLeft = {scrollLogical.x + DeviceToLogical(r.left - alignOffset.x, zoom),
                          scrollLogical.y + DeviceToLogical(r.top - alignOffset.y, zoom)};
    return out;
}

} // namespace nv
