// Where the viewer's overlays go: marker positions through zoom, scroll, turns and flips, the
// part of the file in view, and the magnifier.
#include "imaging/overlay_geometry.h"

#include <gtest/gtest.h>

using nv::PointF;
using nv::ScrollPoint;
using nv::ScrollSize;

TEST(OverlayGeometry, MarkersFollowZoomScrollTurnsAndFlips)
{
    // Pixel (100, 50) of a 400 x 300 file.
    const ScrollPoint pixel{100, 50};
    const struct
    {
        const char* name;
        int angle;
        bool flipRows, flipColumns;
        int zoom;
        ScrollPoint origin;
        PointF window; // the middle of the window pixels that show it
    } rows[] = {
        {"as loaded at 200 %", 0, false, false, 200, {0, 0}, {201, 101}},
        // Shown at (249, 100) of a 300 x 400 picture.
        {"turned clockwise at 50 %", 90, false, false, 50, {0, 0}, {124.75, 50.25}},
        {"turned clockwise at 200 %", 90, false, false, 200, {0, 0}, {499, 201}},
        // Shown at (299, 50).
        {"mirrored left-right at 200 %", 0, false, true, 200, {0, 0}, {599, 101}},
        {"mirrored left-right at 50 %", 0, false, true, 50, {0, 0}, {149.75, 25.25}},
        // Shown at (100, 249).
        {"upside down at 50 %", 0, true, false, 50, {0, 0}, {50.25, 124.75}},
        // Turned counter-clockwise, then mirrored: shown at (249, 299); scrolled by (50, 20).
        {"turned, mirrored and scrolled at 200 %", 270, false, true, 200, {-50, -20}, {449, 579}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        nv::ImageOrientation orientation({400, 300});
        ASSERT_TRUE(orientation.Apply(row.angle, row.flipRows, row.flipColumns));
        const ScrollSize zoomed = nv::ZoomedSize(orientation.ShownSize(), row.zoom);
        const nv::ViewPlacement view(orientation, row.origin, zoomed);
        const PointF at = view.ToWindow({double(pixel.x), double(pixel.y)});
        EXPECT_DOUBLE_EQ(at.x, row.window.x);
        EXPECT_DOUBLE_EQ(at.y, row.window.y);
        const PointF back = view.ToStored(at);
        EXPECT_NEAR(back.x, pixel.x, 1e-9);
        EXPECT_NEAR(back.y, pixel.y, 1e-9);
        // Where each window pixel shows one file pixel or more, the marker sits on the window
        // pixel that the viewer reports as this file pixel.
        if (row.zoom >= 100) {
            const auto shown = nv::ImagePixelAt(nv::ViewPlacement::WindowPixel(at), row.origin,
                                                orientation.ShownSize(), zoomed);
            ASSERT_TRUE(shown);
            EXPECT_EQ(orientation.ToStored(*shown), pixel);
        }
    }
}

TEST(OverlayGeometry, VisibleAreaRunsFromPixelEdgeToPixelEdge)
{
    nv::ImageOrientation orientation({400, 300});
    // Scrolled by (100, 50) at 200 % in a 300 x 200 client: shown pixels 50..199 x 25..124.
    {
        const nv::ViewPlacement view(orientation, {-100, -50}, {800, 600});
        const auto area = view.VisibleArea({300, 200});
        ASSERT_TRUE(area);
        EXPECT_DOUBLE_EQ(area->left, 49.5);
        EXPECT_DOUBLE_EQ(area->top, 24.5);
        EXPECT_DOUBLE_EQ(area->right, 199.5);
        EXPECT_DOUBLE_EQ(area->bottom, 124.5);
    }
    // Smaller than the window, and upside down: the whole file.
    orientation.Apply(0, true, false);
    const nv::ViewPlacement whole(orientation, {10, 10}, {400, 300});
    const auto area = whole.VisibleArea({600, 500});
    ASSERT_TRUE(area);
    EXPECT_DOUBLE_EQ(area->left, -0.5);
    EXPECT_DOUBLE_EQ(area->top, -0.5);
    EXPECT_DOUBLE_EQ(area->right, 399.5);
    EXPECT_DOUBLE_EQ(area->bottom, 299.5);
    // Scrolled past the window: nothing.
    EXPECT_FALSE(nv::ViewPlacement(orientation, {700, 0}, {400, 300}).VisibleArea({600, 500}));
}

TEST(OverlayGeometry, MagnifierMagnifiesAndStaysBesideThePointer)
{
    EXPECT_EQ(nv::MagnifierZoom(25), 400);
    EXPECT_EQ(nv::MagnifierZoom(100), 400);
    EXPECT_EQ(nv::MagnifierZoom(150), 600);
    EXPECT_EQ(nv::MagnifierZoom(1000), 4000);

    const ScrollSize client{600, 500};
    const struct
    {
        const char* name;
        ScrollPoint pointer;
        int zoom;
    } rows[] = {
        {"room right and below", {100, 100}, 100},
        {"at the bottom-right corner", {590, 490}, 100},
        {"at the right edge, 1000 %", {595, 20}, 1000},
        {"reduced to 10 %", {300, 250}, 10},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const nv::Magnifier m = nv::PlaceMagnifier(row.pointer, {40, 30}, client, row.zoom);
        EXPECT_DOUBLE_EQ(m.cell, nv::MagnifierZoom(row.zoom) / 100.0);
        EXPECT_EQ(m.pixels.Width() % 2, 1);
        EXPECT_EQ(m.pixels.Width(), m.pixels.Height());
        EXPECT_EQ(m.pixels.left + m.pixels.Width() / 2, 40);
        EXPECT_EQ(m.pixels.top + m.pixels.Height() / 2, 30);
        EXPECT_GE(m.box.left, 0);
        EXPECT_GE(m.box.top, 0);
        EXPECT_LE(m.box.right, client.cx);
        EXPECT_LE(m.box.bottom, client.cy);
        EXPECT_FALSE(m.box.Contains(row.pointer));
        // The centre pixel is drawn in the middle of the box.
        const nv::ScrollRect centre = nv::MagnifierCentreCell(m);
        EXPECT_NEAR((centre.left + centre.right) / 2.0, (m.box.left + m.box.right) / 2.0, 1.0);
        EXPECT_NEAR((centre.top + centre.bottom) / 2.0, (m.box.top + m.box.bottom) / 2.0, 1.0);
        EXPECT_NEAR(centre.Width(), m.cell, 1.0);
    }
    // Right of and below the pointer where there is room.
    const nv::Magnifier m = nv::PlaceMagnifier({100, 100}, {0, 0}, client, 100);
    EXPECT_EQ(m.box.left, 100 + nv::kMagnifierOffset);
    EXPECT_EQ(m.box.top, 100 + nv::kMagnifierOffset);
}
