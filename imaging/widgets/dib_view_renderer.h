// Drawing a COXDIB at any zoom, quickly however large the image is. Only the pixels under
// the part of the window being painted are converted, never the whole image. Enlarged
// pictures repeat each image pixel over exactly the window pixels that the viewer reports
// for it; reduced pictures start from the reduced level closest to the size drawn and are
// smoothed from there.
#pragma once

#include "imaging/dib_format.h"
#include "imaging/display_levels.h"
#include "imaging/scroll_geometry.h"

#include <QImage>
#include <QRect>

#include <vector>

class COXDIB;
class QPainter;

class DIBViewRenderer
{
public:
    // Draws dib from now on (it must outlive its use here) and builds its reduced levels,
    // within a third of its memory. Call again whenever the image changes.
    void SetImage(const COXDIB* dib);
    void Clear();
    bool HasImage() const { return m_block != nullptr; }

    // Draws the image stretched to zoomed (the zoom in percent picks the reduced level) with
    // its top-left pixel at the painter's origin; only the part inside area (painter
    // coordinates) is drawn. Returns the number of window rows drawn.
    int Draw(QPainter& painter, const QRect& area, nv::ScrollSize zoomed, int zoom);

    // The image's pixels in rect (image pixels, top-down), each one pixel of the result;
    // pixels outside the image are outside.
    QImage Pixels(const QRect& rect, QRgb outside);

    const nv::DisplayLevels& Levels() const { return m_levels; }

private:
    uint32_t* Scratch(std::vector<uint32_t>& buffer, int width, int height);

    const unsigned char* m_block = nullptr;
    nv::DIBLayout m_layout;
    nv::DIBBytes m_expanded; // run-length images, decoded once
    nv::DisplayLevels m_levels;
    std::vector<uint32_t> m_source;
    std::vector<uint32_t> m_target;
    std::vector<int> m_xs;
    std::vector<int> m_ys;
};
