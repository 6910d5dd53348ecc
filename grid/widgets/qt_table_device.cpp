// The grid's drawing primitives over a QPainter.
#include "grid/widgets/qt_table_device.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

#include <algorithm>

QColor ToQColor(TableColor color)
{
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

TableColor FromQColor(const QColor& color)
{
    return TableRgb(color.red(), color.green(), color.blue());
}

QRect ToQRect(const TableRect& rect, int mirrorWidth)
{
    if (mirrorWidth > 0)
        return QRect(mirrorWidth - rect.right, rect.top, rect.Width(), rect.Height());
    return QRect(rect.left, rect.top, rect.Width(), rect.Height());
}

TableRect FromQRect(const QRect& rect)
{
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

QFont ToQFont(const TableFont* font, const QFont& base)
{
    if (!font)
        return base;
    QFont f(base);
    if (!font->faceName.empty())
        f.setFamily(QString::fromStdString(font->faceName));
    if (font->height < 0)
        f.setPixelSize(-font->height);
    else if (font->height > 0)
        // The line height includes some leading above the characters.
        f.setPixelSize(std::max(1, font->height * 87 / 100));
    if (font->weight > 0)
        f.setWeight(QFont::Weight(std::clamp(font->weight, 1, 1000)));
    f.setItalic(font->italic != 0);
    f.setUnderline(font->underline != 0);
    f.setStrikeOut(font->strikeOut != 0);
    return f;
}

TableFont FromQFont(const QFont& font)
{
    TableFont f;
    f.height = -std::max(1, QFontInfo(font).pixelSize());
    f.weight = font.weight();
    f.italic = font.italic() ? 1 : 0;
    f.underline = font.underline() ? 1 : 0;
    f.strikeOut = font.strikeOut() ? 1 : 0;
    f.faceName = font.family().toStdString();
    return f;
}

QtTableDevice::QtTableDevice(QPainter* painter, const QFont& baseFont, int mirrorWidth)
    : m_painter(painter), m_base(baseFont), m_mirror(mirrorWidth)
{}

const QFont& QtTableDevice::Font(const TableFont* font)
{
    if (!font)
        return m_base;
    auto it = m_fonts.find(font);
    if (it == m_fonts.end() || !(it->second.description == *font))
        it = m_fonts.insert_or_assign(font, CachedFont{*font, ToQFont(font, m_base)}).first;
    return it->second.font;
}

void QtTableDevice::FillRect(const TableRect& rect, TableColor color)
{
    if (m_painter && !rect.IsEmpty())
        m_painter->fillRect(Map(rect), ToQColor(color));
}

void QtTableDevice::FillChecker(const TableRect& rect, TableColor first, TableColor second)
{
    if (!m_painter || rect.IsEmpty())
        return;
    const QRect r = Map(rect);
    m_painter->fillRect(r, ToQColor(first));
    m_painter->fillRect(r, QBrush(ToQColor(second), Qt::Dense4Pattern));
}

void QtTableDevice::Line(int x1, int y1, int x2, int y2, const TablePen& pen)
{
    if (!m_painter || pen.style == TablePenStyle::none)
        return;
    x1 = MapX(x1);
    x2 = MapX(x2);
    const QColor color = ToQColor(pen.color);
    const int width = std::max(1, pen.width);
    if (pen.style == TablePenStyle::solid && (x1 == x2 || y1 == y2)) {
        // Straight solid lines as thin rectangles: both ends included, no pen rounding.
        const int left = std::min(x1, x2), top = std::min(y1, y2);
        const int w = x1 == x2 ? width : std::abs(x2 - x1) + 1;
        const int h = y1 == y2 ? width : std::abs(y2 - y1) + 1;
        m_painter->fillRect(QRect(left, top, w, h), color);
        return;
    }
    QPen qpen(color, width);
    qpen.setStyle(pen.style == TablePenStyle::dash  ? Qt::DashLine
                  : pen.style == TablePenStyle::dot ? Qt::DotLine
                                                    : Qt::SolidLine);
    m_painter->save();
    m_painter->setRenderHint(QPainter::Antialiasing, false);
    m_painter->setPen(qpen);
    m_painter->drawLine(x1, y1, x2, y2);
    m_painter->drawPoint(x2, y2);
    m_painter->restore();
}

void QtTableDevice::Polygon(const std::vector<TablePoint>& points, TableColor color)
{
    if (!m_painter || points.size() < 3)
        return;
    QPolygon polygon;
    for (const TablePoint& p : points)
        polygon << QPoint(MapX(p.x), p.y);
    m_painter->save();
    m_painter->setPen(ToQColor(color));
    m_painter->setBrush(ToQColor(color));
    m_painter->drawPolygon(polygon);
    m_painter->restore();
}

void QtTableDevice::Ellipse(const TableRect& rect, TableColor outline, const TableColor* fill)
{
    if (!m_painter || rect.IsEmpty())
        return;
    m_painter->save();
    m_painter->setRenderHint(QPainter::Antialiasing, true);
    m_painter->setPen(ToQColor(outline));
    m_painter->setBrush(fill ? QBrush(ToQColor(*fill)) : QBrush(Qt::NoBrush));
    m_painter->drawEllipse(QRectF(Map(rect)).adjusted(0.5, 0.5, -0.5, -0.5));
    m_painter->restore();
}

void QtTableDevice::Text(const TableRect& rect, const TableRect& clip, std::string_view text,
                         const TableFont* font, TableColor color, unsigned flags)
{
    if (!m_painter || text.empty())
        return;
    const QFont& qfont = Font(font);
    QString qtext = QString::fromUtf8(text.data(), qsizetype(text.size()));
    int align = Qt::AlignTop;
    if (flags & TableTextFlag::middle)
        align = Qt::AlignVCenter;
    else if (flags & TableTextFlag::bottom)
        align = Qt::AlignBottom;
    const bool right = (flags & TableTextFlag::right) != 0;
    if (flags & TableTextFlag::centre)
        align |= Qt::AlignHCenter;
    else
        align |= (right != (m_mirror > 0)) ? Qt::AlignRight : Qt::AlignLeft;
    if (flags & TableTextFlag::wordWrap) {
        align |= Qt::TextWordWrap;
    } else {
        align |= Qt::TextSingleLine;
        if (flags & TableTextFlag::ellipsis)
            qtext = QFontMetrics(qfont).elidedText(qtext, Qt::ElideRight, rect.Width());
    }
    m_painter->save();
    m_painter->setClipRect(Map(clip), Qt::IntersectClip);
    m_painter->setFont(qfont);
    m_painter->setPen(ToQColor(color));
    m_painter->drawText(Map(rect), align | Qt::TextDontClip, qtext);
    m_painter->restore();
}

TableSize QtTableDevice::TextExtent(std::string_view text, const TableFont* font, unsigned flags,
                                    int width)
{
    const QFontMetrics metrics(Font(font));
    const QString qtext = QString::fromUtf8(text.data(), qsizetype(text.size()));
    if (flags & TableTextFlag::wordWrap) {
        const QRect r =
            metrics.boundingRect(QRect(0, 0, std::max(1, width), 1 << 24), Qt::TextWordWrap, qtext);
        return {r.width(), r.height()};
    }
    return {metrics.horizontalAdvance(qtext), metrics.height()};
}

int QtTableDevice::FontHeight(const TableFont* font)
{
    return QFontMetrics(Font(font)).height();
}

void QtTableDevice::Bitmap(const TableBitmap& bitmap, const TableRect& rect)
{
    if (!m_painter || rect.IsEmpty())
        return;
    if (const auto* picture = dynamic_cast<const CTableBitmap*>(&bitmap))
        m_painter->drawPixmap(Map(rect), picture->Pixmap());
}

void QtTableDevice::FocusRect(const TableRect& rect)
{
    if (!m_painter || rect.IsEmpty())
        return;
    m_painter->save();
    m_painter->setRenderHint(QPainter::Antialiasing, false);
    QPen pen(Qt::black, 1, Qt::DotLine);
    m_painter->setPen(pen);
    m_painter->setBrush(Qt::NoBrush);
    const QRect r = Map(rect);
    m_painter->drawRect(r.adjusted(0, 0, -1, -1));
    m_painter->restore();
}

void QtTableDevice::PushClip(const TableRect& rect)
{
    if (!m_painter)
        return;
    m_painter->save();
    m_painter->setClipRect(Map(rect), Qt::IntersectClip);
}

void QtTableDevice::PopClip()
{
    if (m_painter)
        m_painter->restore();
}
