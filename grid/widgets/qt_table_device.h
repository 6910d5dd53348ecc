// The grid's drawing primitives over a QPainter (or, without one, only the measuring), a
// picture a cell can show, and conversions between the grid's value types and Qt's.
#pragma once

#include "grid/table_device.h"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRect>

#include <unordered_map>

class QPainter;

QColor ToQColor(TableColor color);
TableColor FromQColor(const QColor& color);
// Rectangles are mirrored in a window mirrorWidth wide when mirrorWidth > 0.
QRect ToQRect(const TableRect& rect, int mirrorWidth = 0);
TableRect FromQRect(const QRect& rect);
// A grid font as a Qt font; missing fields come from base. A negative height is the character
// height in pixels, a positive one the line height.
QFont ToQFont(const TableFont* font, const QFont& base);
// A Qt font as a grid font: its pixel size as a negative height.
TableFont FromQFont(const QFont& font);

// A picture for the cells (the bitmap property).
class CTableBitmap : public TableBitmap
{
public:
    explicit CTableBitmap(QPixmap pixmap) : m_pixmap(std::move(pixmap)) {}
    int Width() const override { return m_pixmap.width(); }
    int Height() const override { return m_pixmap.height(); }
    const QPixmap& Pixmap() const { return m_pixmap; }

private:
    QPixmap m_pixmap;
};

class QtTableDevice : public TableDevice
{
public:
    // painter may be null for a device that only measures. With mirrorWidth > 0 every
    // x coordinate is mirrored in a window that wide (right-to-left layout), and left and
    // right text alignment swap.
    QtTableDevice(QPainter* painter, const QFont& baseFont, int mirrorWidth = 0);

    void FillRect(const TableRect& rect, TableColor color) override;
    void FillChecker(const TableRect& rect, TableColor first, TableColor second) override;
    void Line(int x1, int y1, int x2, int y2, const TablePen& pen) override;
    void Polygon(const std::vector<TablePoint>& points, TableColor color) override;
    void Ellipse(const TableRect& rect, TableColor outline, const TableColor* fill) override;
    void Text(const TableRect& rect, const TableRect& clip, std::string_view text,
              const TableFont* font, TableColor color, unsigned flags) override;
    TableSize TextExtent(std::string_view text, const TableFont* font, unsigned flags,
                         int width) override;
    int FontHeight(const TableFont* font) override;
    void Bitmap(const TableBitmap& bitmap, const TableRect& rect) override;
    void FocusRect(const TableRect& rect) override;
    void PushClip(const TableRect& rect) override;
    void PopClip() override;

    // The Qt font of a grid font (the base font for none), converted once per device.
    const QFont& Font(const TableFont* font);

private:
    QRect Map(const TableRect& rect) const { return ToQRect(rect, m_mirror); }
    int MapX(int x) const { return m_mirror > 0 ? m_mirror - 1 - x : x; }

    QPainter* m_painter;
    QFont m_base;
    int m_mirror;
    struct CachedFont
    {
        TableFont description;
        QFont font;
    };
    std::unordered_map<const TableFont*, CachedFont> m_fonts;
};
