// Where a restored window goes when its screens changed.
#include "platform/screen_geometry.h"

#include <gtest/gtest.h>

#include <climits>

using nv::Rect;

TEST(KeepOnScreens, BringsAWindowMostlyOffTheScreensBackOntoTheNearestOne)
{
    // A laptop's screen with a panel at its bottom, and a monitor to its right.
    const std::vector<nv::ScreenArea> two = {
        {{0, 0, 1920, 1080}, {0, 0, 1920, 1040}},
        {{1920, 0, 3200, 1024}, {1920, 0, 3200, 1024}},
    };
    const std::vector<nv::ScreenArea> laptop = {two[0]};
    struct Row
    {
        const char* name;
        std::vector<nv::ScreenArea> screens;
        Rect window;
        Rect expected;
    } rows[] = {
        {"inside a screen", two, {100, 100, 700, 600}, {100, 100, 700, 600}},
        {"spanning both screens", two, {1600, 100, 2200, 600}, {1600, 100, 2200, 600}},
        {"half off the bottom stays", laptop, {100, 790, 700, 1290}, {100, 790, 700, 1290}},
        {"on the monitor that was unplugged",
         laptop,
         {2400, 200, 3000, 700},
         {1320, 200, 1920, 700}},
        {"a corner of 60 x 13 showing", laptop, {1860, 1027, 2460, 1527}, {1320, 540, 1920, 1040}},
        {"far above and left", two, {-5000, -4000, -4400, -3500}, {0, 0, 600, 500}},
        {"mostly on the panel: onto the work area",
         laptop,
         {100, 1020, 700, 1500},
         {100, 560, 700, 1040}},
        {"larger than the screen it lands on", laptop, {3000, 0, 5500, 1500}, {0, 0, 1920, 1040}},
        {"below the monitor: onto the monitor",
         two,
         {2600, 1500, 3000, 1800},
         {2600, 724, 3000, 1024}},
        {"no screens known", {}, {5000, 5000, 5600, 5500}, {5000, 5000, 5600, 5500}},
        {"the widest numbers the profile holds",
         laptop,
         {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
         {0, 0, 1920, 1040}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Rect placed = nv::KeepOnScreens(row.window, row.screens);
        EXPECT_EQ(placed, row.expected)
            << placed.left << "," << placed.top << "," << placed.right << "," << placed.bottom;
    }
}
