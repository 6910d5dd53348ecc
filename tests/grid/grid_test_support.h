// Helpers of the grid tests: a fixed locale for the duration of a test, a grid that records
// its hooks, and a cell type that measures text by its length.
#pragma once

#include "grid/cell_type.h"
#include "grid/grid_model.h"
#include "grid/table_cell.h"
#include "grid/table_device.h"

#include <QLocale>

#include <string>
#include <vector>

namespace nv::test {

// Makes locale the application's default locale until the object goes away.
class ScopedLocale
{
public:
    explicit ScopedLocale(const QLocale& locale) : m_previous(QLocale())
    {
        QLocale::setDefault(locale);
    }
    ~ScopedLocale() { QLocale::setDefault(m_previous); }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

private:
    QLocale m_previous;
};

inline QLocale English()
{
    return QLocale(QLocale::English, QLocale::UnitedStates);
}
inline QLocale German()
{
    return QLocale(QLocale::German, QLocale::Germany);
}

// Measures a cell as 7 pixels per byte of its text plus 6, 16 high.
class MeasuringCellType : public TableCellTypeBase
{
public:
    void BestSize(TableDevice*, TableSize& size, CTableCell& cell) override
    {
        size.cx = int(cell.GetText().size()) * 7 + 6;
        size.cy = 16;
    }
};

// A grid that records its notifications and can refuse moves.
class RecordingGrid : public CTableGridModel
{
public:
    std::vector<std::string> events;
    bool allowMove = true;
    bool allowScroll = true;

    int CanMoveCurrent(int, int, int, int) override { return allowMove ? 1 : 0; }
    int CanScrollView(int, int, int, int) override { return allowScroll ? 1 : 0; }
    void CurrentColumnChanged(int o, int n) override { Log("column", o, n); }
    void CurrentRowChanged(int o, int n) override { Log("row", o, n); }
    void CurrentCellChanged(int oc, int nc, int orow, int nrow) override
    {
        events.push_back("cell " + std::to_string(oc) + "," + std::to_string(orow) + "->" +
                         std::to_string(nc) + "," + std::to_string(nrow));
    }
    void LeftColumnChanged(int o, int n) override { Log("left", o, n); }
    void TopRowChanged(int o, int n) override { Log("top", o, n); }

    // Makes the grid live: painting on, a client area of width x height.
    void Show(int width, int height)
    {
        RunSetup();
        SetClientSize(width, height);
    }

private:
    void Log(const char* what, int o, int n)
    {
        events.push_back(std::string(what) + " " + std::to_string(o) + "->" + std::to_string(n));
    }
};

// Records what is drawn on it; text is 7 pixels per byte wide and 14 high.
class RecordingDevice : public TableDevice
{
public:
    struct TextCall
    {
        TableRect rect;
        TableRect clip;
        std::string text;
        TableColor color;
        unsigned flags;
    };
    struct LineCall
    {
        int x1, y1, x2, y2;
        TableColor color;
    };
    std::vector<TextCall> texts;
    std::vector<LineCall> lines;
    std::vector<std::pair<TableRect, TableColor>> fills;
    std::vector<TableRect> focusRects;
    int polygons = 0;
    int checkers = 0;

    void FillRect(const TableRect& rect, TableColor color) override
    {
        fills.push_back({rect, color});
    }
    void FillChecker(const TableRect&, TableColor, TableColor) override { ++checkers; }
    void Line(int x1, int y1, int x2, int y2, const TablePen& pen) override
    {
        lines.push_back({x1, y1, x2, y2, pen.color});
    }
    void Polygon(const std::vector<TablePoint>&, TableColor) override { ++polygons; }
    void Ellipse(const TableRect&, TableColor, const TableColor*) override {}
    void Text(const TableRect& rect, const TableRect& clip, std::string_view text, const TableFont*,
              TableColor color, unsigned flags) override
    {
        texts.push_back({rect, clip, std::string(text), color, flags});
    }
    TableSize TextExtent(std::string_view text, const TableFont*, unsigned, int) override
    {
        return {int(text.size()) * 7, 14};
    }
    int FontHeight(const TableFont*) override { return 14; }
    void Bitmap(const TableBitmap&, const TableRect&) override {}
    void FocusRect(const TableRect& rect) override { focusRects.push_back(rect); }
    void PushClip(const TableRect&) override {}
    void PopClip() override {}

    // The texts drawn, in order.
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> out;
        for (const TextCall& t : texts)
            out.push_back(t.text);
        return out;
    }
};

} // namespace nv::test
