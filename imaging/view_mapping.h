// From a point in the image viewer to a pixel of the image file: which shown pixel lies under
// a window point, and how the pixels of a shown image, turned and mirrored since it was
// loaded, correspond to the pixels stored in the file.
#pragma once

#include "imaging/scroll_geometry.h"

#include <optional>

namespace nv {

// A position in pixels that need not be whole.
struct PointF
{
    double x = 0.0;
    double y = 0.0;
};

// The pixel of an image of size image, drawn at origin stretched to zoomed, that covers the
// window point. Column x covers window columns origin.x + [x * zoomed / image,
// (x + 1) * zoomed / image), rows likewise with their own ratio. Nothing when the point lies
// outside the drawn image or a size is not positive.
std::optional<ScrollPoint> ImagePixelAt(ScrollPoint point, ScrollPoint origin, ScrollSize image,
                                        ScrollSize zoomed);

// The turns and mirrorings applied to an image since it was loaded, as a mapping between the
// shown image's pixels and the stored image's pixels.
class ImageOrientation
{
public:
    ImageOrientation() = default;
    explicit ImageOrientation(ScrollSize stored) { Reset(stored); }

    // The image as stored: nothing turned.
    void Reset(ScrollSize stored);

    // Records a turn of the shown image clockwise by angle (a multiple of 90, negative
    // allowed), followed by turning it upside down (flipRows) and mirroring it left-right
    // (flipColumns). False, with nothing recorded, for another angle.
    bool Apply(int angle, bool flipRows, bool flipColumns);

    ScrollSize StoredSize() const { return m_stored; }
    ScrollSize ShownSize() const { return m_shown; }
    // True while the shown image is the stored one pixel for pixel.
    bool IsIdentity() const;

    // The stored pixel that a shown pixel comes from, and the other way round.
    ScrollPoint ToStored(ScrollPoint shown) const;
    ScrollPoint ToShown(ScrollPoint stored) const;
    // The same for positions between pixels, whole numbers at pixel centres.
    PointF StoredPosition(PointF shown) const;
    PointF ShownPosition(PointF stored) const;

private:
    // shown = m * stored + t
    int m_m[2][2] = {{1, 0}, {0, 1}};
    int m_t[2] = {0, 0};
    ScrollSize m_stored;
    ScrollSize m_shown;
};

} // namespace nv
