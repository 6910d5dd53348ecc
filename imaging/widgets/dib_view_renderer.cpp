// Drawing an image at any zoom.
#include "imaging/widgets/dib_view_renderer.h"

#include "imaging/dib_display.h"

#include <QImage>
#include <QPainter>

#include <cmath>
#include <new>

void DIBViewRenderer::Clear()
{
    m_image.reset();
    m_levels.reset();
}

void DIBViewRenderer::SetImage(std::shared_ptr<const nv::DisplayImage> image,
                               std::shared_ptr<const nv::DisplayLevels> levels)
{
    m_image = std::move(image);
    m_levels = std::move(levels);
}

void DIBViewRenderer::SetLevels(std::shared_ptr<const nv::DisplayLevels> levels)
{
    m_levels = std::move(levels);
}

const nv::DisplayLevels& DIBViewRenderer::Levels() const
{
    static const nv::DisplayLevels kNone;
    return m_levels ? *m_levels : kNone;
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

bool DIBViewRenderer::SourceRows(QRect& rect, nv::PixelRows& rows)
{
    const nv::DIBLayout& l = m_image->Layout();
    rect &= QRect(0, 0, l.width, l.height);
    if (rect.isEmpty())
        return false;
    if (nv::ImageRows(m_image->Block(), l, rows)) {
        rect = QRect(0, 0, l.width, l.height);
        return true;
    }
    uint32_t* pixels = Scratch(m_source, rect.width(), rect.height());
    if (!pixels ||
        !nv::ConvertViewPixels(m_image->Block(), l, rect.left(), rect.top(), rect.width(),
                               rect.height(), pixels, size_t(rect.width())))
        return false;
    rows = {reinterpret_cast<const unsigned char*>(pixels), ptrdiff_t(rect.width()) * 4,
            rect.width(), rect.height(), 4};
    return true;
}

int DIBViewRenderer::Draw(QPainter& painter, const QRect& area, nv::ScrollSize zoomed)
{
    const QRect visible = area & QRect(0, 0, zoomed.cx, zoomed.cy);
    if (!HasImage() || visible.isEmpty())
        return 0;
    const int imageW = m_image->Layout().width;
    const int imageH = m_image->Layout().height;
    uint32_t* target = Scratch(m_target, visible.width(), visible.height());
    if (!target)
        return 0;
    const size_t stride = size_t(visible.width());

    if (zoomed.cx >= imageW && zoomed.cy >= imageH && !m_smoothEnlarging) {
        // Each window pixel shows the image pixel (x * image / zoomed) under it.
        nv::NearestIndices(visible.left(), visible.width(), imageW, zoomed.cx, m_xs);
        nv::NearestIndices(visible.top(), visible.height(), imageH, zoomed.cy, m_ys);
        QRect part(m_xs.front(), m_ys.front(), m_xs.back() + 1 - m_xs.front(),
                   m_ys.back() + 1 - m_ys.front());
        nv::PixelRows rows;
        if (!SourceRows(part, rows))
            return 0;
        for (int& x : m_xs)
            x -= part.left();
        for (int& y : m_ys)
            y -= part.top();
        nv::ScaleNearest(rows, m_xs, m_ys, target, stride);
    } else {
        // Filtered from the closest level (or the image): window x shows source x * kx.
        const nv::DisplayLevel* level =
            m_levels ? m_levels->LevelFor(zoomed.cx, zoomed.cy) : nullptr;
        const int sourceW = level ? level->width : imageW;
        const int sourceH = level ? level->height : imageH;
        const double kx = double(sourceW) / zoomed.cx;
        const double ky = double(sourceH) / zoomed.cy;
        nv::PixelRows rows;
        QRect part(0, 0, sourceW, sourceH);
        if (level) {
            rows = nv::LevelRows(*level);
        } else {
            // One source pixel more around the part wanted, for the filter at its edges.
            part = QRect(QPoint(int(std::floor(visible.left() * kx)) - 1,
                                int(std::floor(visible.top() * ky)) - 1),
                         QPoint(int(std::ceil((visible.right() + 1) * kx)) + 1,
                                int(std::ceil((visible.bottom() + 1) * ky)) + 1));
            if (!SourceRows(part, rows))
                return 0;
        }
        if (!nv::ScaleBilinear(rows, visible.left() * kx - part.left(),
                               visible.top() * ky - part.top(), kx, ky, visible.width(),
                               visible.height(), target, stride, m_scratch))
            return 0;
    }
    const QImage image(reinterpret_cast<const uchar*>(target), visible.width(), visible.height(),
                       int(stride * 4), QImage::Format_RGB32);
    painter.drawImage(visible.topLeft(), image);
    return visible.height();
}

QImage DIBViewRenderer::Pixels(const QRect& rect, QRgb outside)
{
    QImage image(rect.size(), QImage::Format_RGB32);
    image.fill(outside);
    if (!HasImage() || image.isNull())
        return image;
    const nv::DIBLayout& l = m_image->Layout();
    const QRect inside = rect & QRect(0, 0, l.width, l.height);
    if (inside.isEmpty())
        return image;
    auto* first = reinterpret_cast<uint32_t*>(image.scanLine(inside.top() - rect.top())) +
                  (inside.left() - rect.left());
    nv::ConvertViewPixels(m_image->Block(), l, inside.left(), inside.top(), inside.width(),
                          inside.height(), first, size_t(image.bytesPerLine() / 4));
    return image;
}
