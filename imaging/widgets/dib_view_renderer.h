// Drawing an image at any zoom, quickly however large it is. Only the pixels under the part
// of the window being painted are produced, never the whole image, and each costs the same
// few reads at every zoom. Enlarged pictures repeat each image pixel over exactly the window
// pixels that the viewer reports for it (or, for a reduced first view, are smoothed);
// reduced pictures are filtered from the reduced level closest to the size drawn.
#pragma once

#include "imaging/display_image.h"
#include "imaging/display_levels.h"
#include "imaging/scroll_geometry.h"

#include <QImage>
#include <QRect>

#include <memory>
#include <vector>

class QPainter;

class DIBViewRenderer
{
public:
    // Draws image from now on, reduced through levels when given (they may follow later).
    void SetImage(std::shared_ptr<const nv::DisplayImage> image,
                  std::shared_ptr<const nv::DisplayLevels> levels = nullptr);
    void SetLevels(std::shared_ptr<const nv::DisplayLevels> levels);
    // Enlarged pictures smoothed rather than drawn as blocks of pixels: for a reduced image
    // shown in place of the full one.
    void SetSmoothEnlarging(bool on) { m_smoothEnlarging = on; }
    void Clear();
    bool HasImage() const { return m_image && m_image->Drawable(); }
    const std::shared_ptr<const nv::DisplayImage>& Image() const { return m_image; }

    // Draws the image stretched to zoomed with its top-left pixel at the painter's origin;
    // only the part inside area (painter coordinates) is drawn. Returns the number of window
    // rows drawn.
    int Draw(QPainter& painter, const QRect& area, nv::ScrollSize zoomed);

    // The image's pixels in rect (image pixels, top-down), each one pixel of the result;
    // pixels outside the image are outside.
    QImage Pixels(const QRect& rect, QRgb outside);

    const nv::DisplayLevels& Levels() const;

private:
    uint32_t* Scratch(std::vector<uint32_t>& buffer, int width, int height);
    // The image's pixels around rect (image pixels) as rows to draw from, converted when
    // their form cannot be drawn from directly; rect becomes the part those rows cover.
    bool SourceRows(QRect& rect, nv::PixelRows& rows);

    std::shared_ptr<const nv::DisplayImage> m_image;
    std::shared_ptr<const nv::DisplayLevels> m_levels;
    bool m_smoothEnlarging = false;
    std::vector<uint32_t> m_source;
    std::vector<uint32_t> m_target;
    std::vector<int> m_xs;
    std::vector<int> m_ys;
    nv::ScaleScratch m_scratch;
};
