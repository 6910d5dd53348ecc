// The arithmetic of a scrolling and zooming window: zoom levels and the conversion between
// content pixels ("logical") and window pixels ("device"), the placement of content smaller
// than the window, scroll-bar ranges, scrolling by code, by offset, by mouse wheel and in
// animated steps, and zooming to a rubber-band rectangle. Nothing here touches a window;
// the scroll window widget feeds these routines its sizes and applies what they return.
#pragma once

#include "platform/geometry.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace nv {

// Points, sizes and rectangles (right and bottom exclusive) in pixels.
using ScrollPoint = Point;
using ScrollSize = Size;
using ScrollRect = Rect;

// Zoom levels, in percent.
constexpr int kMinZoomPercent = 10;
constexpr int kMaxZoomPercent = 1000;
// The levels the context menu offers, smallest first.
constexpr int kZoomLevels[] = {10, 25, 50, 100, 200, 300, 400, 500, 600, 700, 800, 900, 1000};

// Points a zoom change keeps in place.
enum ZoomAnchor {
    kZoomAnchorDefault = 0, // the window's own anchor
    kZoomAnchorTopLeft = 1,
    kZoomAnchorBottomLeft = 2,
    kZoomAnchorCenter = 3,
};

// Placement of content smaller than the window: a 3 x 3 grid numbered row by row, 0 top-left,
// 4 centre, 8 bottom-right.
enum ContentAlignment {
    kAlignTopLeft = 0,
    kAlignCenter = 4,
    kAlignBottomRight = 8,
};

// The zoom limited to kMinZoomPercent..kMaxZoomPercent.
int ClampZoom(int percent);

// Content pixels to window pixels at a zoom and back; both truncate toward zero.
int LogicalToDevice(int logical, int zoom);
int DeviceToLogical(int device, int zoom);
ScrollPoint LogicalToDevice(ScrollPoint logical, int zoom);
ScrollPoint DeviceToLogical(ScrollPoint device, int zoom);
// The content's size in window pixels at a zoom (heights always positive).
ScrollSize ZoomedSize(ScrollSize content, int zoom);

// Where the content's top-left pixel lies in the window: the negated scroll position, except
// on an axis where the zoomed content is smaller than the client area, where the alignment
// places it (centre: half the free space, rounded toward zero; right or bottom: all of it).
ScrollPoint ViewportOrigin(ScrollPoint scroll, int alignment, ScrollSize client, ScrollSize zoomed);

// The parts of the client area that content of size zoomed drawn at origin leaves
// uncovered: the band right of it, the band below it, and, when the origin is positive on an
// axis, the band above or left of it. Bands may overlap each other, never the content.
std::vector<ScrollRect> BackgroundBands(ScrollSize client, ScrollPoint origin, ScrollSize zoomed);

// Page and line scroll distances: a zero page component becomes a tenth of the zoomed size
// on that axis, a zero line component a tenth of the page.
struct ScrollSteps
{
    ScrollSize page;
    ScrollSize line;
};
ScrollSteps DefaultScrollSteps(ScrollSize zoomed, ScrollSize page, ScrollSize line);

// The logical point a zoom change keeps still. From the scroll position: the top-left anchor
// takes it as it is; bottom-left moves down by the client height (or, when the window cannot
// scroll vertically, to the content's last row); centre moves to the middle of the client
// area on a scrollable axis and to the middle of the content on the other.
ScrollPoint AnchorPoint(int anchor, ScrollPoint scroll, ScrollSize client, ScrollSize zoomed,
                        bool canScrollHorizontally, bool canScrollVertically, int zoom);

// The scroll position that puts a logical point at the anchor: the top-left of the client
// area, its bottom-left or its centre. Clamped to 0..(zoomed - client) on each axis.
ScrollPoint ScrollTargetForLogical(ScrollPoint logical, int anchor, int zoom, ScrollSize client,
                                   ScrollSize zoomed);

// The scroll position limited to 0..(zoomed - client) on each axis.
ScrollPoint ClampScrollPosition(ScrollPoint position, ScrollSize client, ScrollSize zoomed);

// The largest zoom at which content of size content fits into a client area of size client
// (without scroll bars): the smaller of the two axes' ratios in whole percent, at most
// kMaxZoomPercent and at least kMinZoomPercent.
int FitZoom(ScrollSize client, ScrollSize content);

// Which scroll bars a window needs and where it ends up scrolled.
struct ScrollBarLayout
{
    bool tooSmall = false; // the client area cannot hold a bar: hide both, change nothing
    bool horizontal = false;
    bool vertical = false;
    ScrollSize range;     // largest scroll position on each axis
    ScrollPoint position; // the scroll position after the change
    ScrollSize client;    // the client area left beside the bars shown
};

// Works out the scroll bars for content of size zoomed in a client area of size client, with
// bars of barSize (vertical bar width, horizontal bar height). With barsInside, client is
// the whole area and each bar shown takes its room from it; otherwise the bars lie outside.
// A bar is needed on an axis whose content exceeds the room left; a vertical bar can make a
// horizontal bar necessary. position (the wanted scroll position) is clamped to the ranges,
// and set to 0 on an axis without a bar.
ScrollBarLayout LayoutScrollBars(ScrollSize client, ScrollSize barSize, ScrollSize zoomed,
                                 ScrollPoint position, bool barsInside);

// Scroll-bar codes. A code pair holds the horizontal code in its low byte and the vertical
// code in its high byte; kScrollNone leaves that axis alone.
enum ScrollCode {
    kScrollLineUp = 0,
    kScrollLineDown = 1,
    kScrollPageUp = 2,
    kScrollPageDown = 3,
    kScrollThumbTrack = 5,
    kScrollTop = 6,
    kScrollBottom = 7,
    kScrollNone = 0xFF,
};

constexpr unsigned MakeScrollCodePair(unsigned horizontal, unsigned vertical)
{
    return (horizontal & 0xFF) | ((vertical & 0xFF) << 8);
}
constexpr unsigned HorizontalCode(unsigned pair)
{
    return pair & 0xFF;
}
constexpr unsigned VerticalCode(unsigned pair)
{
    return (pair >> 8) & 0xFF;
}
// True when either axis of the pair asks for a page scroll.
bool HasPageCode(unsigned pair);

// The position a scroll code asks for on one axis, before clamping: a line or a page back or
// forward from old, the thumb position, 0 for the top, the largest int for the bottom; any
// other code keeps old.
int64_t PositionForCode(unsigned code, int old, int line, int page, int thumb);

// old + offset limited to 0..limit.
int ClampedScroll(int old, int64_t offset, int limit);

// An animated scroll: step pixels at a time, steps times, then one more step of remainder
// pixels, on one axis in one direction.
struct SmoothScrollPlan
{
    bool vertical = false;
    bool forward = false; // right or down
    int step = 0;
    int steps = 0;
    int remainder = 0;
};

// The animation for a code pair: the horizontal code is looked at first, the vertical one
// when the horizontal code is not a line or page code. Line codes animate the line distance in
// lineSteps steps, page codes the page distance in pageSteps steps. Nothing for a pair without
// a line or page code.
std::optional<SmoothScrollPlan> PlanSmoothScroll(unsigned pair, ScrollSize line, ScrollSize page,
                                                 int lineSteps, int pageSteps);

// Pixels to scroll for a mouse-wheel turn of delta (120 per notch, positive away from the
// user); the result is positive downwards. linesPerNotch lines of lineSize pixels per notch,
// or one page per notch when linesPerNotch is negative; never more than a page per call.
// Turns of part of a notch add up in carry (when given) until they make a whole line; a turn
// the other way drops what was carried.
int WheelScrollDistance(int delta, int linesPerNotch, int lineSize, int pageSize,
                        int* carry = nullptr);

// Zooming to a rubber-band rectangle drawn in the client area.
struct TrackZoomResult
{
    int zoom = 100;             // the new zoom (clamped)
    ScrollPoint logicalTopLeft; // the content point to show at the client's top-left
};

// band: the rectangle drawn (any corner order); visibleContent: the part of the client area
// that shows content; alignOffset: where the content starts in the client area when it is
// smaller than it (0 on an axis where it is scrolled); scrollLogical: the content point at
// the client's top-left. Nothing when the band, limited to the visible content, is 7 pixels
// or less wide or high.
std::optional<TrackZoomResult> TrackZoom(ScrollRect band, ScrollRect visibleContent,
                                         ScrollSize client, int zoom, ScrollPoint alignOffset,
                                         ScrollPoint scrollLogical);

} // namespace nv
