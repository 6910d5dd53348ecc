// Benchmarks of the grid's window on the offscreen platform: paging through 100,000 rows of a
// 1,000 x 600 grid (the repaint after each page step, against a plain widget painting the
// same cells with QPainter in the same run), and what a step of the current cell and a scroll
// by one row repaint, counted in cells against what the model's redraw plan names.
#include "grid/cell_types.h"
#include "grid/widgets/grid_components.h"
#include "grid/widgets/table_grid.h"

#include <QApplication>
#include <QPainter>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRows = 100000;
constexpr int kColumns = 10;

// A normal type that counts the cells it paints.
class CountingType : public CTableNormalCellType
{
public:
    int painted = 0;
    void Draw(TableDevice* device, const TableRect& rect, int column, int row, CTableCell& cell,
              int selection, bool current) override
    {
        ++painted;
        CTableNormalCellType::Draw(device, rect, column, row, cell, selection, current);
    }
};

// 100,000 rows: one column of stored numbers, the other texts made as they are read.
class BenchGrid : public CTableGrid
{
public:
    CountingType* counter = nullptr;

    void SetupGrid() override
    {
        SetColumnCount(kColumns);
        SetRowCount(kRows);
        auto type = std::make_unique<CountingType>();
        counter = type.get();
        const int index = RegisterCellType(std::move(type));
        for (int c = 0; c < kColumns; ++c)
            GetColumnDefaultCell(c)->SetCellType(index);
        CTableCell cell;
        for (int r = 0; r < kRows; ++r) {
            cell.Clear();
            cell.SetNumber(r * 1.5);
            SetCell(0, r, cell);
        }
        LockColumns(1);
    }
    void CellRead(int sourceColumn, int row, CTableCell& cell) override
    {
        if (row >= 0 && sourceColumn > 0 && !cell.HasText())
            cell.SetText("r" + std::to_string(row) + "c" + std::to_string(sourceColumn));
        else if (sourceColumn == -1 && row >= 0)
            cell.SetText(std::to_string(row + 1));
    }
};

// The same cells painted by hand: background, two grid lines and the text of each cell.
class PlainTable : public QWidget
{
public:
    int firstRow = 0;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const int w = 75, h = 20;
        for (int y = 0, r = firstRow; y < height(); y += h, ++r) {
            for (int x = 0, c = 0; x < width() && c < kColumns; x += w, ++c) {
                const QRect cell(x, y, w, h);
                painter.fillRect(cell, Qt::white);
                painter.fillRect(QRect(x + w - 1, y, 1, h), QColor(0xDC, 0xDC, 0xDC));
                painter.fillRect(QRect(x, y + h - 1, w, 1), QColor(0xDC, 0xDC, 0xDC));
                painter.save();
                painter.setClipRect(cell);
                painter.drawText(cell.adjusted(4, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                                 QString("r%1c%2").arg(r).arg(c));
                painter.restore();
            }
        }
    }
};

double Milliseconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double Percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const size_t i = std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5));
    return values[i];
}

// Paints what is pending now.
void Flush()
{
    QApplication::processEvents();
}

void PageRepaint(BenchGrid& grid)
{
    QWidget* area = grid.CellArea();
    grid.GotoCell(1, 0);
    Flush();
    std::vector<double> times;
    while (grid.GetCurrentRow() < kRows - 1) {
        QTest::keyClick(area, Qt::Key_PageDown);
        const auto start = Clock::now();
        area->repaint();
        times.push_back(Milliseconds(start, Clock::now()));
        Flush();
    }
    PlainTable plain;
    plain.resize(area->size());
    plain.show();
    Flush();
    std::vector<double> plainTimes;
    for (int i = 0; i < int(times.size()); ++i) {
        plain.firstRow += 28;
        const auto start = Clock::now();
        plain.repaint();
        plainTimes.push_back(Milliseconds(start, Clock::now()));
    }
    const double median = Percentile(times, 0.5);
    std::printf("grid page repaint median %.2f p90 %.2f (%zu pages; target median <= 5 ms, "
                "p90 <= 10 ms)\n",
                median, Percentile(times, 0.9), times.size());
    std::printf("plain painter repaint of the same area median %.2f ms\n",
                Percentile(plainTimes, 0.5));
    std::printf("ratio grid_page_repaint_vs_plain_painter %.2f\n",
                median / std::max(1e-6, Percentile(plainTimes, 0.5)));
}

void CountRepaints(BenchGrid& grid)
{
    const TableSheet& s = grid.Sheet();
    QWidget* area = grid.CellArea();
    grid.LockRows(2);
    grid.GotoCell(2, 5);
    Flush();

    // One step right: the plan names the old and the new current cell.
    grid.counter->painted = 0;
    QTest::keyClick(area, Qt::Key_Right);
    Flush();
    const int planned = 2;
    std::printf("step right: %d cells painted, %d planned\n", grid.counter->painted, planned);
    std::printf("ratio grid_step_painted_per_planned %.2f\n",
                double(grid.counter->painted) / planned);

    // Down past the bottom row: the view scrolls one row.
    grid.GotoCell(2, s.bottomRow - 1);
    Flush();
    const int top = s.topRow;
    const int columns = s.rightColumn - s.leftColumn + 1 + s.lockedColumns;
    grid.counter->painted = 0;
    QTest::keyClick(area, Qt::Key_Down);
    Flush();
    // At most one row's strip plus the row that scrolled in, and the two current cells.
    const int allowed = 2 * columns + 2;
    std::printf("scroll by one row (top %d -> %d): %d cells painted, at most %d allowed, "
                "%d shown\n",
                top, s.topRow, grid.counter->painted, allowed,
                columns * (s.bottomRow - s.topRow + 1 + s.lockedRows));
    std::printf("ratio grid_scroll_row_painted_per_allowed %.2f\n",
                double(grid.counter->painted) / allowed);
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    BenchGrid grid;
    grid.resize(1000, 600);
    grid.show();
    if (!QTest::qWaitForWindowExposed(&grid))
        return 1;
    grid.activateWindow();
    (void)QTest::qWaitForWindowActive(&grid);
    grid.CellArea()->setFocus();
    CountRepaints(grid);
    PageRepaint(grid);
    return 0;
}
