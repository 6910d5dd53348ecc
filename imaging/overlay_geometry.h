// Where the viewer's overlays go: positions of the stored file in the window and back
// (through the view's scroll, alignment, zoom, turns and flips), the part of the file in
// view, the room a point marker takes, and the magnifier that follows the pointer while a
// point is being picked. Nothing here touches a window; the viewer only draws what these
// return.
#pragma once

#include "imaging/scroll_geometry.h"
#include "imaging/view_mapping.h"

#include <optional>
#include <string>

namespace nv {

// An area of the stored file in pixel positions, whole numbers at pixel centres.
struct AreaF
{
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;
};

// A graticule line in the stored file: constant x (a meridian, as the file is north up) or
// constant y, with its label.
struct GridLine
{
    bool constantX = false;
    double position = 0.0;
    std::string label;
};

// The view of a stored file: its turns and flips, the window position of the shown image's
// top-left corner, and the shown image's size in window pixels.
class ViewPlacement
{
public:
    ViewPlacement(const ImageOrientation& orientation, ScrollPoint origin, ScrollSize zoomed)
        : m_orientation(orientation), m_origin(origin), m_zoomed(zoomed)
    {}

    // The window position of a stored position: pixel centres land in the middle of the
    // window pixels that show them.
    PointF ToWindow(PointF stored) const;
    PointF ToStored(PointF window) const;
    // The window pixel that holds a window position.
    static ScrollPoint WindowPixel(PointF window);
    // The part of the stored file shown in a client area of size client, from pixel edge to
    // pixel edge; nothing when none of the image is in view.
    std::optional<AreaF> VisibleArea(ScrollSize client) const;

private:
    const ImageOrientation& m_orientation;
    ScrollPoint m_origin;
    ScrollSize m_zoomed;
};

// A point marker: a crosshair of arms kMarkerArm pixels long around a gap of kMarkerGap, and
// its label below and right of the centre, all outlined by kMarkerOutline pixels; the same
// size on screen at every zoom.
constexpr int kMarkerArm = 14;
constexpr int kMarkerGap = 3;
constexpr int kMarkerOutline = 2;
// Where the label of a marker centred on pixel centre goes, for a label of size label.
ScrollRect MarkerLabelRect(ScrollPoint centre, ScrollSize label);
// The window pixels a marker may touch.
ScrollRect MarkerBounds(ScrollPoint centre, ScrollSize label);

// The magnifier: a square beside the pointer showing the pixels around the one under it.
constexpr int kMagnifierSide = 160;  // about this many window pixels across
constexpr int kMagnifierOffset = 20; // from the pointer to the nearest corner
// Its zoom: four times the view's, at least 400 %.
int MagnifierZoom(int zoom);
struct Magnifier
{
    ScrollRect box;    // in the window, frame included
    ScrollRect pixels; // the shown image's pixels drawn in it (an odd square around the centre)
    double cell = 4.0; // window pixels per image pixel
};
// The magnifier for the pointer at a window point over shown pixel centre: right of and
// below the pointer, or left of or above it where there is no room, within the client area.
Magnifier PlaceMagnifier(ScrollPoint pointer, ScrollPoint centre, ScrollSize client, int zoom);
// The window rectangle of the centre pixel inside the magnifier.
ScrollRect MagnifierCentreCell(const Magnifier& magnifier);

} // namespace nv
