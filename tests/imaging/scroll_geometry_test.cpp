// Zoom, placement, scroll-bar, scroll-code, wheel and track-zoom arithmetic.
#include "imaging/scroll_geometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <utility>

using namespace nv;

TEST(ScrollGeometry, ZoomIsClampedAndConvertsBothWays)
{
    EXPECT_EQ(ClampZoom(5), 10);
    EXPECT_EQ(ClampZoom(5000), 1000);
    EXPECT_EQ(ClampZoom(250), 250);
    EXPECT_EQ(ZoomedSize({333, -1000}, 10), (ScrollSize{33, 100}));
    EXPECT_EQ(ZoomedSize({400, 300}, 250), (ScrollSize{1000, 750}));
    // A large scan at the largest zoom does not overflow.
    EXPECT_EQ(LogicalToDevice(2'000'000, 1000), 20'000'000);
    EXPECT_EQ(DeviceToLogical(1001, 200), 500);
}

TEST(ScrollGeometry, SmallContentIsPlacedByAlignment)
{
    const ScrollSize client{600, 600};
    const ScrollSize zoomed{300, 200};
    EXPECT_EQ(ViewportOrigin({}, kAlignCenter, client, zoomed), (ScrollPoint{150, 200}));
    EXPECT_EQ(ViewportOrigin({}, kAlignBottomRight, client, zoomed), (ScrollPoint{300, 400}));
    EXPECT_EQ(ViewportOrigin({}, kAlignTopLeft, client, zoomed), (ScrollPoint{0, 0}));
    EXPECT_EQ(ViewportOrigin({}, 1, client, zoomed), (ScrollPoint{150, 0}));
    EXPECT_EQ(ViewportOrigin({}, 6, client, zoomed), (ScrollPoint{0, 400}));
    // An odd free space rounds toward zero.
    EXPECT_EQ(ViewportOrigin({}, kAlignCenter, {601, 601}, zoomed), (ScrollPoint{150, 200}));
    // Larger content on one axis scrolls there and is aligned on the other.
    EXPECT_EQ(ViewportOrigin({40, 0}, kAlignCenter, client, {900, 200}), (ScrollPoint{-40, 200}));
}

TEST(ScrollGeometry, BackgroundBandsCoverExactlyWhatTheContentLeaves)
{
    const ScrollSize client{12, 9};
    const std::pair<ScrollPoint, ScrollSize> cases[] = {
        {{3, 2}, {5, 4}},   {{0, 0}, {5, 4}}, {{-4, -3}, {20, 20}},
        {{-4, 2}, {30, 3}}, {{7, 6}, {5, 3}}, {{0, 0}, {12, 9}},
    };
    for (const auto& [origin, zoomed] : cases) {
        const auto bands = BackgroundBands(client, origin, zoomed);
        const ScrollRect content{origin.x, origin.y, origin.x + zoomed.cx, origin.y + zoomed.cy};
        for (int y = 0; y < client.cy; ++y) {
            for (int x = 0; x < client.cx; ++x) {
                bool inBand = false;
                for (const ScrollRect& b : bands)
                    inBand = inBand || b.Contains({x, y});
                EXPECT_NE(inBand, content.Contains({x, y}))
                    << "origin " << origin.x << "," << origin.y << " pixel " << x << "," << y;
            }
        }
    }
}

TEST(ScrollGeometry, FitZoomTakesTheTighterAxisWithinTheLimits)
{
    EXPECT_EQ(FitZoom({400, 400}, {1000, 500}), 40);
    EXPECT_EQ(FitZoom({1000, 1000}, {10, 10}), 1000);
    EXPECT_EQ(FitZoom({100, 100}, {8000, 6000}), 10);
    EXPECT_EQ(FitZoom({1600, 1000}, {8000, 6000}), 16);
}

TEST(ScrollGeometry, ScrollBarsAppearWhereTheContentDoesNotFit)
{
    const ScrollSize bars{16, 16};
    // Fits: no bars, the position goes back to the start.
    ScrollBarLayout l = LayoutScrollBars({500, 400}, bars, {500, 400}, {30, 30}, true);
    EXPECT_FALSE(l.horizontal);
    EXPECT_FALSE(l.vertical);
    EXPECT_EQ(l.position, (ScrollPoint{0, 0}));
    EXPECT_EQ(l.client, (ScrollSize{500, 400}));

    // Too tall only.
    l = LayoutScrollBars({500, 400}, bars, {480, 1000}, {0, 900}, true);
    EXPECT_FALSE(l.horizontal);
    EXPECT_TRUE(l.vertical);
    EXPECT_EQ(l.range.cy, 600);
    EXPECT_EQ(l.position.y, 600);
    EXPECT_EQ(l.client, (ScrollSize{484, 400}));

    // Too tall, and the vertical bar leaves too little width: both bars. The content fitted
    // across at first, so the view starts from its left edge.
    l = LayoutScrollBars({500, 400}, bars, {490, 1000}, {50, 900}, true);
    EXPECT_TRUE(l.horizontal);
    EXPECT_TRUE(l.vertical);
    EXPECT_EQ(l.range, (ScrollSize{6, 616}));
    EXPECT_EQ(l.position, (ScrollPoint{0, 616}));
    EXPECT_EQ(l.client, (ScrollSize{484, 384}));

    // Too wide: the horizontal bar takes height, so a content of exactly the height needs a
    // vertical bar too.
    l = LayoutScrollBars({500, 400}, bars, {900, 400}, {}, true);
    EXPECT_TRUE(l.horizontal);
    EXPECT_TRUE(l.vertical);
    EXPECT_EQ(l.range, (ScrollSize{416, 16}));

    // Bars outside the client area take nothing from it.
    l = LayoutScrollBars({500, 400}, bars, {900, 400}, {}, false);
    EXPECT_TRUE(l.horizontal);
    EXPECT_FALSE(l.vertical);
    EXPECT_EQ(l.client, (ScrollSize{500, 400}));

    // A window narrower than a bar shows none.
    EXPECT_TRUE(LayoutScrollBars({10, 400}, bars, {900, 900}, {}, true).tooSmall);
}

TEST(ScrollGeometry, AnchorsKeepTheirPointThroughAZoom)
{
    const ScrollSize client{400, 300};
    // Centre of a scrolled view at 100 %: scroll (1000, 500) + half the client.
    const ScrollPoint centre =
        AnchorPoint(kZoomAnchorCenter, {1000, 500}, client, {4000, 3000}, true, true, 100);
    EXPECT_EQ(centre, (ScrollPoint{1200, 650}));
    // At 200 % that point is at device (2400, 1300); centring it scrolls to (2200, 1150).
    EXPECT_EQ(ScrollTargetForLogical(centre, kZoomAnchorCenter, 200, client, {8000, 6000}),
              (ScrollPoint{2200, 1150}));
    // Without a vertical bar the centre is the content's middle row.
    EXPECT_EQ(AnchorPoint(kZoomAnchorCenter, {0, 0}, client, {4000, 200}, true, false, 100),
              (ScrollPoint{200, 100}));
    EXPECT_EQ(AnchorPoint(kZoomAnchorBottomLeft, {10, 20}, client, {4000, 3000}, true, true, 100),
              (ScrollPoint{10, 320}));
    EXPECT_EQ(AnchorPoint(kZoomAnchorBottomLeft, {10, 0}, client, {4000, 200}, true, false, 200),
              (ScrollPoint{5, 99}));
    EXPECT_EQ(AnchorPoint(kZoomAnchorTopLeft, {10, 20}, client, {4000, 3000}, true, true, 50),
              (ScrollPoint{20, 40}));
    // Targets are clamped to the scroll range.
    EXPECT_EQ(ScrollTargetForLogical({5, 5}, kZoomAnchorCenter, 100, client, {4000, 3000}),
              (ScrollPoint{0, 0}));
    EXPECT_EQ(ScrollTargetForLogical({3990, 2990}, kZoomAnchorTopLeft, 100, client, {4000, 3000}),
              (ScrollPoint{3600, 2700}));
}

TEST(ScrollGeometry, ScrollingToTheEndDoesNotOverflow)
{
    // "Bottom" asks for the largest int; the offset from any position is clamped to the range.
    const int64_t bottom = PositionForCode(kScrollBottom, 50, 10, 100, 0);
    EXPECT_EQ(ClampedScroll(50, bottom - 50, 300), 300);
    EXPECT_EQ(ClampedScroll(50, -int64_t(INT_MAX) - 100, 300), 0);
    EXPECT_EQ(ClampedScroll(0, 10, -5), 0);
}

TEST(ScrollGeometry, SmoothScrollStepsSplitTheDistance)
{
    const ScrollSize line{10, 10};
    const ScrollSize page{100, 100};
    // A page of 100 in 12 steps: 12 of 8, then one of 4.
    auto p = PlanSmoothScroll(MakeScrollCodePair(kScrollNone, kScrollPageDown), line, page, 4, 12);
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->vertical);
    EXPECT_TRUE(p->forward);
    EXPECT_EQ(p->step, 8);
    EXPECT_EQ(p->steps, 12);
    EXPECT_EQ(p->remainder, 4);
    // A line of 10 in 4 steps of 2, remainder 2; the horizontal code comes first.
    p = PlanSmoothScroll(MakeScrollCodePair(kScrollLineUp, kScrollPageDown), line, page, 4, 12);
    ASSERT_TRUE(p);
    EXPECT_FALSE(p->vertical);
    EXPECT_FALSE(p->forward);
    EXPECT_EQ(p->step, 2);
    EXPECT_EQ(p->steps, 4);
    EXPECT_EQ(p->remainder, 2);
    // A distance shorter than the steps moves only by the remainder.
    p = PlanSmoothScroll(MakeScrollCodePair(kScrollPageUp, kScrollNone), line, {5, 5}, 4, 12);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->steps, 0);
    EXPECT_EQ(p->remainder, 5);
    EXPECT_FALSE(
        PlanSmoothScroll(MakeScrollCodePair(kScrollTop, kScrollBottom), line, page, 4, 12));
}

TEST(ScrollGeometry, WheelNotchesScrollLinesAtMostAPage)
{
    // One notch away from the user with 3 lines of 10 scrolls 30 up.
    EXPECT_EQ(WheelScrollDistance(120, 3, 10, 100), -30);
    EXPECT_EQ(WheelScrollDistance(-240, 3, 10, 100), 60);
    // Never more than a page, in either direction.
    EXPECT_EQ(WheelScrollDistance(-120, 20, 10, 100), 100);
    EXPECT_EQ(WheelScrollDistance(120, 20, 10, 100), -100);
    // A page per notch when the lines setting says so.
    EXPECT_EQ(WheelScrollDistance(120, -1, 10, 100), -100);
    EXPECT_EQ(WheelScrollDistance(-120, -1, 10, 100), 100);
    // One line per notch is one line both ways, not a page.
    EXPECT_EQ(WheelScrollDistance(120, 1, 10, 100), -10);
    EXPECT_EQ(WheelScrollDistance(-120, 1, 10, 100), 10);
}

TEST(ScrollGeometry, FinerWheelTurnsAddUpToWholeLines)
{
    int carry = 0;
    // Three turns of 15 (a touchpad) make 1.125 lines: one line now, the rest carried.
    EXPECT_EQ(WheelScrollDistance(-15, 3, 10, 100, &carry), 0);
    EXPECT_EQ(WheelScrollDistance(-15, 3, 10, 100, &carry), 0);
    EXPECT_EQ(WheelScrollDistance(-15, 3, 10, 100, &carry), 10);
    EXPECT_EQ(WheelScrollDistance(-40, 3, 10, 100, &carry), 10);
    // Turning back drops what was carried.
    EXPECT_EQ(WheelScrollDistance(20, 3, 10, 100, &carry), 0);
    EXPECT_EQ(WheelScrollDistance(20, 3, 10, 100, &carry), -10);
    // Whole notches give the same as without carrying.
    carry = 0;
    EXPECT_EQ(WheelScrollDistance(120, 3, 10, 100, &carry), -30);
    EXPECT_EQ(carry, 0);
}

TEST(ScrollGeometry, TrackZoomFillsTheWindowWithTheBand)
{
    const ScrollSize client{500, 500};
    const ScrollRect visible{0, 0, 500, 500};
    // 50 x 25 at 100 %: min(2000, 1000) = 1000 %.
    auto r = TrackZoom({100, 200, 150, 225}, visible, client, 100, {}, {0, 0});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->zoom, 1000);
    EXPECT_EQ(r->logicalTopLeft, (ScrollPoint{100, 200}));
    // Drawn from the bottom-right corner, in a scrolled view at 200 %.
    r = TrackZoom({300, 300, 200, 100}, visible, client, 200, {}, {40, 60});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->zoom, 500);
    EXPECT_EQ(r->logicalTopLeft, (ScrollPoint{140, 110}));
    // 7 pixels or less in either direction are ignored, also after cutting to the content.
    EXPECT_FALSE(TrackZoom({10, 10, 17, 100}, visible, client, 100, {}, {}));
    EXPECT_FALSE(TrackZoom({10, 10, 100, 17}, visible, client, 100, {}, {}));
    EXPECT_FALSE(TrackZoom({95, 10, 200, 100}, {0, 0, 100, 400}, client, 100, {}, {}));
    // Small content centred in the window: the band is measured from the content's corner.
    r = TrackZoom({150, 150, 250, 250}, {100, 100, 400, 400}, client, 100, {100, 100}, {0, 0});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->zoom, 500);
    EXPECT_EQ(r->logicalTopLeft, (ScrollPoint{50, 50}));
}
