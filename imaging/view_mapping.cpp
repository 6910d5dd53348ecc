// Window points to shown pixels, and shown pixels to stored pixels.
#include "imaging/view_mapping.h"

namespace nv {

std::optional<ScrollPoint> ImagePixelAt(ScrollPoint point, ScrollPoint origin, ScrollSize image,
                                        ScrollSize zoomed)
{
    if (image.cx <= 0 || image.cy <= 0 || zoomed.cx <= 0 || zoomed.cy <= 0)
        return std::nullopt;
    const int64_t dx = int64_t(point.x) - origin.x;
    const int64_t dy = int64_t(point.y) - origin.y;
    if (dx < 0 || dy < 0 || dx >= zoomed.cx || dy >= zoomed.cy)
        return std::nullopt;
    return ScrollPoint{int(dx * image.cx / zoomed.cx), int(dy * image.cy / zoomed.cy)};
}

void ImageOrientation::Reset(ScrollSize stored)
{
    *this = ImageOrientation();
    m_stored = stored;
    m_shown = stored;
}

bool ImageOrientation::Apply(int angle, bool flipRows, bool flipColumns)
{
    if (angle % 90 != 0)
        return false;
    angle %= 360;
    if (angle < 0)
        angle += 360;
    const int w = m_shown.cx;
    const int h = m_shown.cy;
    // The step as new = a * old + b on the shown image's pixels.
    int a[2][2] = {{1, 0}, {0, 1}};
    int b[2] = {0, 0};
    ScrollSize next = m_shown;
    switch (angle) {
    case 90: // (x, y) -> (h-1-y, x)
        a[0][0] = 0, a[0][1] = -1, a[1][0] = 1, a[1][1] = 0;
        b[0] = h - 1;
        next = {h, w};
        break;
    case 180: // (x, y) -> (w-1-x, h-1-y)
        a[0][0] = -1, a[1][1] = -1;
        b[0] = w - 1, b[1] = h - 1;
        break;
    case 270: // (x, y) -> (y, w-1-x)
        a[0][0] = 0, a[0][1] = 1, a[1][0] = -1, a[1][1] = 0;
        b[1] = w - 1;
        next = {h, w};
        break;
    default:
        break;
    }
    if (flipRows) {
        a[1][0] = -a[1][0], a[1][1] = -a[1][1];
        b[1] = next.cy - 1 - b[1];
    }
    if (flipColumns) {
        a[0][0] = -a[0][0], a[0][1] = -a[0][1];
        b[0] = next.cx - 1 - b[0];
    }
    int m[2][2];
    int t[2];
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 2; ++c)
            m[r][c] = a[r][0] * m_m[0][c] + a[r][1] * m_m[1][c];
        t[r] = a[r][0] * m_t[0] + a[r][1] * m_t[1] + b[r];
    }
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 2; ++c)
            m_m[r][c] = m[r][c];
        m_t[r] = t[r];
    }
    m_shown = next;
    return true;
}

bool ImageOrientation::IsIdentity() const
{
    return m_m[0][0] == 1 && m_m[0][1] == 0 && m_m[1][0] == 0 && m_m[1][1] == 1 && m_t[0] == 0 &&
           m_t[1] == 0;
}

ScrollPoint ImageOrientation::ToShown(ScrollPoint stored) const
{
    return {m_m[0][0] * stored.x + m_m[0][1] * stored.y + m_t[0],
            m_m[1][0] * stored.x + m_m[1][1] * stored.y + m_t[1]};
}

ScrollPoint ImageOrientation::ToStored(ScrollPoint shown) const
{
    // m is a signed permutation: its inverse is its transpose.
    const int x = shown.x - m_t[0];
    const int y = shown.y - m_t[1];
    return {m_m[0][0] * x + m_m[1][0] * y, m_m[0][1] * x + m_m[1][1] * y};
}

PointF ImageOrientation::ShownPosition(PointF stored) const
{
    return {m_m[0][0] * stored.x + m_m[0][1] * stored.y + m_t[0],
            m_m[1][0] * stored.x + m_m[1][1] * stored.y + m_t[1]};
}

PointF ImageOrientation::StoredPosition(PointF shown) const
{
    const double x = shown.x - m_t[0];
    const double y = shown.y - m_t[1];
    return {m_m[0][0] * x + m_m[1][0] * y, m_m[0][1] * x + m_m[1][1] * y};
}

} // namespace nv
