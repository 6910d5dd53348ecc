// Drawing a COXDIB with a QPainter, and making one from a QImage.
#include "imaging/dib.h"

#include "imaging/dib_display.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The part of the painter's logical coordinates that reaches its device.
QRectF VisibleArea(const QPainter& painter)
{
    QRectF area(-1e9, -1e9, 2e9, 2e9);
    if (const QPaintDevice* device = painter.device()) {
        bool invertible = false;
        const QTransform toLogical = painter.combinedTransform().inverted(&invertible);
        if (invertible)
            area = toLogical.mapRect(QRectF(0, 0, device->width(), device->height()));
    }
    if (painter.hasClipping())
        area &= painter.clipBoundingRect();
    return area;
}

} // namespace

int COXDIB::Paint(QPainter& painter, const QRect& dest, const QRect& source) const
{
    nv::DIBLayout l;
    if (IsEmpty() || dest.isEmpty() || source.isEmpty() ||
        !nv::DescribeDIB(m_hDIB.data(), m_hDIB.size(), l))
        return 0;
    const QRect src = source & QRect(0, 0, l.width, l.height);
    if (src.isEmpty())
        return 0;

    // Source pixel (x, y) lands at destination (dx + (x - sx) * scaleX, ...).
    const double scaleX = double(dest.width()) / source.width();
    const double scaleY = double(dest.height()) / source.height();
    auto toDest = [&](double x, double y) {
        return QPointF(dest.x() + (x - source.x()) * scaleX, dest.y() + (y - source.y()) * scaleY);
    };
    const QRectF visible = QRectF(toDest(src.left(), src.top()),
                                  toDest(src.x() + src.width(), src.y() + src.height())) &
                           VisibleArea(painter);
    if (visible.isEmpty())
        return 0;

    // The source pixels under the visible part.
    auto toSource = [](double d, int d0, int s0, double scale) { return s0 + (d - d0) / scale; };
    const int x0 = std::max(
        src.left(), int(std::floor(toSource(visible.left(), dest.x(), source.x(), scaleX))));
    const int y0 =
        std::max(src.top(), int(std::floor(toSource(visible.top(), dest.y(), source.y(), scaleY))));
    const int x1 =
        std::min(src.x() + src.width(),
                 int(std::ceil(toSource(visible.right(), dest.x(), source.x(), scaleX))));
    const int y1 =
        std::min(src.y() + src.height(),
                 int(std::ceil(toSource(visible.bottom(), dest.y(), source.y(), scaleY))));
    if (x1 <= x0 || y1 <= y0)
        return 0;
    const int w = x1 - x0, h = y1 - y0;
    const QRectF target(toDest(x0, y0), toDest(x1, y1));

    const bool oneToOne = dest.size() == source.size() &&
                          painter.combinedTransform().type() <= QTransform::TxTranslate;
    const bool rle = l.compression == nv::kBiRLE8 || l.compression == nv::kBiRLE4;
    // A shrinking picture is sampled at the destination's pixels instead of converted whole.
    const int outW = oneToOne || rle ? w : std::clamp(int(std::lround(target.width())), 1, w);
    const int outH = oneToOne || rle ? h : std::clamp(int(std::lround(target.height())), 1, h);

    QImage image(outW, outH, QImage::Format_RGB32);
    if (image.isNull())
        return 0;
    auto* bits = reinterpret_cast<uint32_t*>(image.bits());
    const size_t stride = size_t(image.bytesPerLine()) / 4;
    if (outW == w && outH == h) {
        if (!nv::ConvertDIBToRGB32(m_hDIB.data(), l, x0, y0, w, h, bits, stride))
            return 0;
    } else {
        std::vector<uint32_t> row(static_cast<size_t>(w));
        int converted = -1;
        for (int oy = 0; oy < outH; ++oy) {
            const int y = y0 + int((oy + 0.5) * h / outH);
            if (y != converted &&
                !nv::ConvertDIBToRGB32(m_hDIB.data(), l, x0, y, w, 1, row.data(), row.size()))
                return 0;
            converted = y;
            uint32_t* out = bits + size_t(oy) * stride;
            for (int ox = 0; ox < outW; ++ox)
                out[ox] = row[size_t((ox + 0.5) * w / outW)];
        }
    }

    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (oneToOne)
        painter.drawImage(QPoint(int(std::lround(target.x())), int(std::lround(target.y()))),
                          image);
    else
        painter.drawImage(target, image);
    painter.restore();
    return h;
}

bool COXDIB::BitmapToDIB(const QImage& bitmap, const COXPalette* palette)
{
    if (bitmap.isNull())
        return false;
    const int width = bitmap.width(), height = bitmap.height();
    QImage image;
    int bits;
    QList<QRgb> colors;
    if (bitmap.format() == QImage::Format_Mono || bitmap.format() == QImage::Format_MonoLSB) {
        image = bitmap.convertToFormat(QImage::Format_Mono);
        bits = 1;
        colors = image.colorTable();
    } else if (bitmap.format() == QImage::Format_Indexed8) {
        image = bitmap;
        bits = 8;
        colors = image.colorTable();
    } else if (bitmap.format() == QImage::Format_Grayscale8) {
        image = bitmap;
        bits = 8;
        for (int i = 0; i < 256; ++i)
            colors.push_back(qRgb(i, i, i));
    } else {
        image = bitmap.convertToFormat(QImage::Format_RGB888);
        bits = 24;
    }
    if (image.isNull())
        return false;

    nv::BitmapInfoHeader header;
    InitBitmapInfoHeader(header, width, height, bits);
    const uint32_t entries = header.biClrUsed ? header.biClrUsed : bits == 1 ? 2 : 0;
    const size_t rowSize = size_t(nv::DIBRowSize(uint64_t(width), unsigned(bits)));
    nv::DIBBytes block;
    if (!MakeBlock(header, entries, block))
        return false;
    unsigned char* table = block.data() + nv::kInfoHeaderSize;
    for (uint32_t i = 0; i < entries && i < uint32_t(colors.size()); ++i) {
        table[i * 4] = uint8_t(qBlue(colors[i]));
        table[i * 4 + 1] = uint8_t(qGreen(colors[i]));
        table[i * 4 + 2] = uint8_t(qRed(colors[i]));
    }
    unsigned char* pixels = table + entries * 4;
    const size_t used = size_t((int64_t(width) * bits + 7) / 8);
    for (int y = 0; y < height; ++y) {
        const uchar* in = image.constScanLine(y);
        unsigned char* out = pixels + size_t(height - 1 - y) * rowSize;
        if (bits == 24) {
            for (int x = 0; x < width; ++x) {
                out[x * 3] = in[x * 3 + 2];
                out[x * 3 + 1] = in[x * 3 + 1];
                out[x * 3 + 2] = in[x * 3];
            }
        } else {
            std::memcpy(out, in, used);
            if (bits == 1 && width % 8) // bits beyond the width stay 0
                out[used - 1] &= uint8_t(0xFF << (8 - width % 8));
        }
    }
    Adopt(std::move(block));
    if (palette) {
        PaletteToColorTable(palette);
        InitPalette();
    }
    return true;
}
