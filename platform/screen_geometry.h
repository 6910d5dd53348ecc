// Screens and where windows go on them: pure arithmetic on screen pixels, shared by the
// tooltip's placement and the main window's restored placement.
#pragma once

#include "platform/geometry.h"

#include <vector>

namespace nv {

// A screen: its whole rectangle and the part that windows may use.
struct ScreenArea
{
    Rect geometry;
    Rect workArea;
};

// The screen whose rectangle holds p, or the one nearest to it; null when there is none.
const ScreenArea* NearestScreen(const std::vector<ScreenArea>& screens, Point p);

// Where a window whose rectangle is window goes so that the user can reach it. A window of
// which at least half shows on the screens' work areas stays as it is (it may span screens on
// purpose). Otherwise it is moved into the work area of the screen that shows most of it, or
// of the screen nearest its centre when none shows any, keeping its size where that fits and
// taking the work area's size where it does not. Without screens nothing changes.
Rect KeepOnScreens(const Rect& window, const std::vector<ScreenArea>& screens);

} // namespace nv
