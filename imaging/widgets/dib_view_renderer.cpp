// Drawing a COXDIB at any zoom.
#include "imaging/widgets/dib_view_renderer.h"

#include "imaging/dib.h"
#include "imaging/dib_display.h"

#include <QImage>
#include <QPainter>

#include <cmath>
#include <new>

void DIBViewRenderer::Clear()
{
    m_block = nullptr;
    m_layout = {};
    m_expanded.clear();
    m_expanded.shrink_to_fit();
    m_levels.Clear();
}

void DIBViewRenderer::SetImage(const COXDIB* dib)
{
    Clear();
    if (!dib || dib->IsEmpty())
        return;
    const nv::DIBBytes& block = dib->GetDIB();
    if (!nv::DescribeDIB(block.data(), block.size(), m_layout))
        return;
    m_block = block.data();
    if (m_layout.compression == nv::kBiRLE8 || m_layout.compression == nv::kBiRLE4) {
        if (!nv::ExpandRLE(block.data(), block.size(), m_expanded) ||
            !nv::DescribeDIB(m_expanded.data(), m_expanded.size(), m_layout)) {
            Clear();
            return;
        }
        m_block = m_expanded.data();
    }
    // Without levels small zooms are slower, but still drawn.
    const size_t size = m_expanded.empty() ? block.size() : m_expanded.size();
    m_levels.Build(m_block, size, block.size() / 3);
}

uint32_t* DIBViewRenderer::Scratch(std::vector<uint32_t>& buffer, int width, int height)
{
    const size_t needed = size_t(width) * size_t(height);
    if (buffer.size() < needed) {
        try {
            buffer.resize(needed);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
    return buffer.data();
}

int DIBViewRenderer::Draw(QPainter& painter, const QRect& area, nv::ScrollSize zoomed, int zoom)
{
    const QRect visible = area & QRect(0, 0, zoomed.cx, zoomed.cy);
    if (!m_block || visible.isEmpty() || zoom <= 0)
        return 0;
    const int imageW = m_layout.width;
    const int imageH = m_layout.height;

    if (zoom >= 100) {
        // Each window pixel shows the image pixel (x * image / zoomed) under it.
        nv::NearestIndices(visible.left(), visible.width(), imageW, zoomed.cx, m_xs);
        nv::NearestIndices(visible.top(), visible.height(), imageH, zoomed.cy, m_ys);
        const int sx = m_xs.front(), sy = m_ys.front();
        const int sw = m_xs.back() + 1 - sx, sh = m_ys.back() + 1 - sy;
        uint32_t* source = Scratch(m_source, sw, sh);
        if (!source ||
            !nv::ConvertViewPixels(m_block, m_layout, sx, sy, sw, sh, source, size_t(sw)))
            return 0;
        if (sw == visible.width() && sh == visible.height()) {
            const QImage image(reinterpret_cast<const uchar*>(source), sw, sh, sw * 4,
                               QImage::Format_RGB32);
            painter.drawImage(visible.topLeft(), image);
            return sh;
        }
        uint32_t* target = Scratch(m_target, visible.width(), visible.height());
        if (!target)
            return 0;
        nv::ScaleNearest(source, size_t(sw), sx, sy, m_xs, m_ys, target, size_t(visible.width()));
        const QImage image(reinterpret_cast<const uchar*>(target), visible.width(),
                           visible.height(), visible.width() * 4, QImage::Format_RGB32);
        painter.drawImage(visible.topLeft(), image);
        return visible.height();
    }

    // Reduced: from the closest level (or the image), smoothed to the size drawn.
    const nv::DisplayLevel* level = m_levels.LevelFor(zoom);
    const int factor = level ? level->factor : 1;
    const int sourceW = level ? level->width : imageW;
    const int sourceH = level ? level->height : imageH;
    // Window x shows source x * kx.
    const double kx = double(imageW) / (double(zoomed.cx) * factor);
    const double ky = double(imageH) / (double(zoomed.cy) * factor);
    const QRectF wanted(visible.left() * kx, visible.top() * ky, visible.width() * kx,
                        visible.height() * ky);
    // A level of exactly the size drawn is copied pixel for pixel.
    const bool oneToOne = sourceW == zoomed.cx && sourceH == zoomed.cy;
    int x0 = visible.left(), y0 = visible.top();
    int x1 = visible.right() + 1, y1 = visible.bottom() + 1;
    if (!oneToOne) {
        // One source pixel more around the part wanted, for the smoothing at its edges.
        x0 = std::max(0, int(std::floor(wanted.left())) - 1);
        y0 = std::max(0, int(std::floor(wanted.top())) - 1);
        x1 = std::min(sourceW, int(std::ceil(wanted.right())) + 1);
        y1 = std::min(sourceH, int(std::ceil(wanted.bottom())) + 1);
    }
    if (x1 <= x0 || y1 <= y0)
        return 0;
    const int w = x1 - x0, h = y1 - y0;
    uint32_t* source = Scratch(m_source, w, h);
    if (!source)
        return 0;
    const bool converted =
        level ? nv::LevelToRGB32(*level, x0, y0, w, h, source, size_t(w))
              : nv::ConvertViewPixels(m_block, m_layout, x0, y0, w, h, source, size_t(w));
    if (!converted)
        return 0;
    const QImage image(reinterpret_cast<const uchar*>(source), w, h, w * 4, QImage::Format_RGB32);
    if (oneToOne) {
        painter.drawImage(visible.topLeft(), image);
    } else {
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(QRectF(visible), image, wanted.translated(-x0, -y0));
        painter.restore();
    }
    return visible.height();
}

QImage DIBViewRenderer::Pixels(const QRect& rect, QRgb outside)
{
    QImage image(rect.size(), QImage::Format_RGB32);
    image.fill(outside);
    if (!m_block || image.isNull())
        return image;
    const QRect inside = rect & QRect(0, 0, m_layout.width, m_layout.height);
    if (inside.isEmpty())
        return image;
    auto* first = reinterpret_cast<uint32_t*>(image.scanLine(inside.top() - rect.top())) +
                  (inside.left() - rect.left());
    nv::ConvertViewPixels(m_block, m_layout, inside.left(), inside.top(), inside.width(),
                          inside.height(), first, size_t(image.bytesPerLine() / 4));
    return image;
}
