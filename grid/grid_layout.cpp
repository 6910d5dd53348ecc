// Layout, scrolling and placement arithmetic of the grid.
#include "grid/grid_layout.h"

#include <algorithm>
#include <climits>

namespace {

int Clamp(int value, int low, int high)
{
    return std::max(low, std::min(value, high));
}

int ClampInt(int64_t v)
{
    return int(std::max<int64_t>(INT_MIN, std::min<int64_t>(INT_MAX, v)));
}

} // namespace

int64_t SumColumnWidths(const TableSheet& sheet, int first, int last)
{
    int64_t sum = 0;
    for (int c = first; c < last; ++c)
        sum += sheet.ColumnWidth(c);
    return sum;
}

int64_t SumRowHeights(const TableSheet& sheet, int first, int last)
{
    if (last <= first)
        return 0;
    if (sheet.uniformHeights && first >= 0) {
        const int end = std::min(last, sheet.rowCount);
        return end > first ? int64_t(end - first) * sheet.defaultRowHeight : 0;
    }
    int64_t sum = 0;
    for (int r = first; r < last; ++r)
        sum += sheet.RowHeight(r);
    return sum;
}

TableLayout ComputeLayout(const TableSheet& sheet, int W, int H)
{
    const int SW = sheet.sideHeadingWidth;
    const int TH = sheet.topHeadingHeight;
    const int VW = sheet.verticalBarWidth;
    const int HH = sheet.horizontalBarHeight;
    const int TW = sheet.tabWidth;

    // What the columns and rows need, summed only until they exceed the space.
    int64_t neededWidth = 0;
    for (int c = 0; c < sheet.columnCount && neededWidth <= int64_t(W) - SW; ++c)
        neededWidth += sheet.ColumnWidth(c);
    int64_t neededHeight = 0;
    if (sheet.uniformHeights) {
        neededHeight = int64_t(sheet.rowCount) * sheet.defaultRowHeight;
    } else {
        for (int r = 0; r < sheet.rowCount && neededHeight <= int64_t(H) - TH; ++r)
            neededHeight += sheet.RowHeight(r);
    }

    int a = W - SW;
    int b = H - TH;
    if (TW > 0 || a < neededWidth)
        b -= HH;
    const bool verticalNeeded = b < neededHeight;
    if (verticalNeeded)
        a -= VW;
    const bool columnsFit = a >= neededWidth;

    const int hh = (columnsFit && TW <= 0) ? 0 : HH;
    const int vw = verticalNeeded ? VW : 0;
    int tw = TW;
    if (!columnsFit || TW <= 0) {
        if (TW > 0)
            tw = std::max(0, std::min(TW, a - vw));
    } else {
        tw = W + 6;
    }

    TableLayout l;
    l.verticalBar = {W - vw, 0, W, H - hh};
    l.horizontalBar = {tw, H - hh, W - vw, H};
    l.tabs = {0, H - hh, tw, H};
    l.topHeading = {SW, 0, W - vw, TH};
    l.sideHeading = {0, TH, SW, H - hh};
    l.corner = {0, 0, SW, TH};
    l.cells = {SW, TH, W - vw, H - hh};
    return l;
}

int ComputeMaxTopRow(const TableSheet& sheet)
{
    const int last = sheet.rowCount - 1;
    const int64_t avail = int64_t(sheet.areaHeight) - sheet.lockedHeight;
    if (last < sheet.lockedRows)
        return sheet.lockedRows;
    if (sheet.uniformHeights) {
        const int h = sheet.defaultRowHeight;
        if (h <= 0)
            return sheet.lockedRows;
        const int64_t fit = avail < 0 ? -1 : avail / h;
        const int64_t top = std::min<int64_t>(int64_t(sheet.rowCount) - fit, last);
        return std::max<int>(sheet.lockedRows, ClampInt(top));
    }
    int64_t remainder = avail;
    for (int r = last; r >= sheet.lockedRows; --r) {
        remainder -= sheet.RowHeight(r);
        if (remainder < 0)
            return std::max(sheet.lockedRows, std::min(r + 1, last));
    }
    return sheet.lockedRows;
}

int ComputeMaxLeftColumn(const TableSheet& sheet)
{
    const int last = sheet.columnCount - 1;
    if (last < sheet.lockedColumns)
        return sheet.lockedColumns;
    int64_t remainder = int64_t(sheet.areaWidth) - sheet.lockedWidth;
    for (int c = last; c >= sheet.lockedColumns; --c) {
        remainder -= sheet.ColumnWidth(c);
        if (remainder < 0)
            return std::max(sheet.lockedColumns, std::min(c + 1, last));
    }
    return sheet.lockedColumns;
}

int ComputeBottomRow(const TableSheet& sheet)
{
    const int64_t avail = int64_t(sheet.areaHeight) - sheet.lockedHeight;
    if (sheet.uniformHeights && sheet.defaultRowHeight > 0) {
        const int64_t fit = std::max<int64_t>(0, avail / sheet.defaultRowHeight);
        return ClampInt(std::min<int64_t>(sheet.topRow + fit, sheet.rowCount));
    }
    int64_t y = 0;
    for (int r = sheet.topRow; r < sheet.rowCount; ++r) {
        y += sheet.RowHeight(r);
        if (y > avail)
            return r;
    }
    return sheet.rowCount;
}

int ComputeRightColumn(const TableSheet& sheet)
{
    const int64_t avail = int64_t(sheet.areaWidth) - sheet.lockedWidth;
    int64_t x = 0;
    for (int c = sheet.leftColumn; c < sheet.columnCount; ++c) {
        x += sheet.ColumnWidth(c);
        if (x > avail)
            return c;
    }
    return sheet.columnCount;
}

int RowsInPage(const TableSheet& sheet)
{
    const int64_t avail = int64_t(sheet.areaHeight) - sheet.lockedHeight;
    if (sheet.uniformHeights) {
        const int h = std::max(1, sheet.defaultRowHeight);
        return int(std::max<int64_t>(1, std::min<int64_t>(avail / h, INT_MAX)));
    }
    int n = 0;
    int64_t y = 0;
    for (int r = sheet.topRow; r < sheet.rowCount; ++r) {
        y += sheet.RowHeight(r);
        if (y > avail)
            break;
        ++n;
    }
    return std::max(1, n);
}

int ColumnsInPage(const TableSheet& sheet)
{
    const int64_t avail = int64_t(sheet.areaWidth) - sheet.lockedWidth;
    int n = 0;
    int64_t x = 0;
    for (int c = sheet.leftColumn; c < sheet.columnCount; ++c) {
        x += sheet.ColumnWidth(c);
        if (x > avail)
            break;
        ++n;
    }
    return std::max(1, n);
}

int TopRowShowing(const TableSheet& sheet, int row)
{
    int top = sheet.topRow;
    if (row < sheet.lockedRows || row < 0 || sheet.areaHeight <= 0)
        return top;
    if (row < top) {
        top = row;
    } else {
        const int64_t avail = int64_t(sheet.areaHeight) - sheet.lockedHeight;
        if (SumRowHeights(sheet, top, row + 1) > avail) {
            if (sheet.uniformHeights) {
                const int h = std::max(1, sheet.defaultRowHeight);
                const int64_t fit = std::max<int64_t>(1, avail / h);
                top = ClampInt(int64_t(row) - fit + 1);
            } else {
                int64_t sum = 0;
                top = row;
                for (int r = row; r >= sheet.lockedRows; --r) {
                    sum += sheet.RowHeight(r);
                    if (sum > avail)
                        break;
                    top = r;
                }
            }
        }
    }
    return Clamp(top, sheet.lockedRows, std::max(sheet.lockedRows, sheet.maxTopRow));
}

int LeftColumnShowing(const TableSheet& sheet, int column)
{
    int left = sheet.leftColumn;
    if (column < sheet.lockedColumns || column < 0 || sheet.areaWidth <= 0)
        return left;
    if (column < left) {
        left = column;
    } else {
        const int64_t avail = int64_t(sheet.areaWidth) - sheet.lockedWidth;
        if (SumColumnWidths(sheet, left, column + 1) > avail) {
            int64_t sum = 0;
            left = column;
            for (int c = column; c >= sheet.lockedColumns; --c) {
                sum += sheet.ColumnWidth(c);
                if (sum > avail)
                    break;
                left = c;
            }
        }
    }
    return Clamp(left, sheet.lockedColumns, std::max(sheet.lockedColumns, sheet.maxLeftColumn));
}

TableMoveUpdate PlanMoveUpdate(const TableSheet& sheet, int oldLeft, int oldTop, int oldRight,
                               int oldBottom, int oldCurrentColumn, int oldCurrentRow)
{
    TableMoveUpdate u;
    const int lastColumn = sheet.columnCount - 1;
    const int lastRow = sheet.rowCount - 1;
    const int64_t dx = sheet.leftColumn >= oldLeft
                           ? SumColumnWidths(sheet, oldLeft, sheet.leftColumn)
                           : -SumColumnWidths(sheet, sheet.leftColumn, oldLeft);
    const int64_t dy = sheet.topRow >= oldTop ? SumRowHeights(sheet, oldTop, sheet.topRow)
                                              : -SumRowHeights(sheet, sheet.topRow, oldTop);
    if ((dx > 0 ? dx : -dx) > sheet.areaWidth || (dy > 0 ? dy : -dy) > sheet.areaHeight) {
        u.wholeArea = true;
        u.redraw.push_back({0, 0, std::max(0, lastColumn), std::max(0, lastRow)});
        return u;
    }
    u.dx = int(dx);
    u.dy = int(dy);
    u.scrollRect = {0, 0, sheet.areaWidth, sheet.areaHeight};
    if (dx == 0 && dy != 0)
        u.scrollRect.top = sheet.lockedHeight;
    else if (dy == 0 && dx != 0)
        u.scrollRect.left = sheet.lockedWidth;
    if (dx > 0)
        u.redraw.push_back({oldRight, 0, lastColumn, lastRow});
    else if (dx < 0)
        u.redraw.push_back({0, 0, oldLeft, lastRow});
    if (dy > 0)
        u.redraw.push_back({0, oldBottom, lastColumn, lastRow});
    else if (dy < 0)
        u.redraw.push_back({0, 0, lastColumn, oldTop});
    auto addCurrent = [&](int column, int row) {
        if (column < 0 || row < 0)
            return;
        if (sheet.wholeRowHighlight)
            u.redraw.push_back({0, row, lastColumn, row});
        else
            u.redraw.push_back({column, row, column, row});
    };
    addCurrent(oldCurrentColumn, oldCurrentRow);
    addCurrent(sheet.currentColumn, sheet.currentRow);
    return u;
}

TableScrollInfo HorizontalScrollInfo(const TableSheet& sheet)
{
    TableScrollInfo s;
    const int w = std::max(1, sheet.defaultColumnWidth);
    s.page = std::max(0, (sheet.areaWidth - sheet.lockedWidth) / w);
    s.min = 0;
    s.max = sheet.maxLeftColumn + s.page - sheet.lockedColumns - 1;
    s.pos = sheet.leftColumn - sheet.lockedColumns;
    return s;
}

TableScrollInfo VerticalScrollInfo(const TableSheet& sheet)
{
    TableScrollInfo s;
    if (sheet.verticalBarArrowsOnly) {
        s.min = 0;
        s.max = 2;
        s.page = 0;
        s.pos = 1;
        return s;
    }
    if (sheet.maxTopRow <= 1000) {
        const int h = std::max(1, sheet.defaultRowHeight);
        s.page = std::max(0, sheet.areaHeight / h);
        s.min = sheet.lockedRows;
        s.max = sheet.maxTopRow + s.page - 1;
        s.pos = sheet.topRow;
        return s;
    }
    s.scaled = true;
    s.min = 0;
    s.max = 1000;
    s.page = 1;
    s.pos = int(int64_t(sheet.topRow) * 1000 / sheet.maxTopRow);
    return s;
}

int TopRowFromThumb(const TableSheet& sheet, int position)
{
    int top = position;
    if (!sheet.verticalBarArrowsOnly && sheet.maxTopRow > 1000)
        top = int(double(position) * sheet.maxTopRow * 0.001);
    return Clamp(top, sheet.lockedRows, std::max(sheet.lockedRows, sheet.maxTopRow));
}

int LeftColumnFromThumb(const TableSheet& sheet, int position)
{
    return Clamp(position + sheet.lockedColumns, sheet.lockedColumns,
                 std::max(sheet.lockedColumns, sheet.maxLeftColumn));
}

namespace {

// Offset of a column (row) from the area's edge given locked count/size and first scrolled.
int64_t ColumnX(const TableSheet& sheet, int column)
{
    if (column < sheet.lockedColumns)
        return SumColumnWidths(sheet, 0, column);
    if (column >= sheet.leftColumn)
        return sheet.lockedWidth + SumColumnWidths(sheet, sheet.leftColumn, column);
    return sheet.lockedWidth - SumColumnWidths(sheet, column, sheet.leftColumn);
}

int64_t RowY(const TableSheet& sheet, int row)
{
    if (row < sheet.lockedRows)
        return SumRowHeights(sheet, 0, row);
    if (row >= sheet.topRow)
        return sheet.lockedHeight + SumRowHeights(sheet, sheet.topRow, row);
    return sheet.lockedHeight - SumRowHeights(sheet, row, sheet.topRow);
}

} // namespace

bool CellAreaRect(const TableSheet& sheet, int column, int row, TableRect& rect)
{
    if (column < 0 || column >= sheet.columnCount || row < 0 || row >= sheet.rowCount)
        return false;
    const int64_t x = ColumnX(sheet, column);
    const int64_t y = RowY(sheet, row);
    rect = {ClampInt(x), ClampInt(y), ClampInt(x + sheet.ColumnWidth(column)),
            ClampInt(y + sheet.RowHeight(row))};
    return true;
}

bool HeadingRect(const TableSheet& sheet, int column, int row, TableRect& rect)
{
    const int topRows = sheet.TopHeadingRowCount();
    const int sideColumns = sheet.SideHeadingColumnCount();
    if (row < -topRows || column < -sideColumns || (row >= 0 && column >= 0))
        return false;
    if (column >= sheet.columnCount || row >= sheet.rowCount)
        return false;
    int64_t x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    if (column >= 0) {
        x0 = ColumnX(sheet, column);
        x1 = x0 + sheet.ColumnWidth(column);
    } else {
        // Heading columns from the outermost (-count) at x = 0.
        for (int c = -sideColumns; c < column; ++c)
            x0 += sheet.ColumnWidth(c);
        x1 = x0 + sheet.ColumnWidth(column);
    }
    if (row >= 0) {
        y0 = RowY(sheet, row);
        y1 = y0 + sheet.RowHeight(row);
    } else {
        for (int r = -topRows; r < row; ++r)
            y0 += sheet.RowHeight(r);
        y1 = y0 + sheet.RowHeight(row);
    }
    rect = {ClampInt(x0), ClampInt(y0), ClampInt(x1), ClampInt(y1)};
    return true;
}

namespace {

// The index under offset within [first, count) given sizes, or -1.
template <typename SizeOf> int Locate(int64_t offset, int first, int count, SizeOf size)
{
    int64_t pos = 0;
    for (int i = first; i < count; ++i) {
        pos += size(i);
        if (offset < pos)
            return i;
    }
    return -1;
}

} // namespace

int ColumnAt(const TableSheet& sheet, int x)
{
    if (x < 0 || x >= sheet.areaWidth)
        return -1;
    auto width = [&](int c) { return sheet.ColumnWidth(c); };
    if (x < sheet.lockedWidth)
        return Locate(x, 0, sheet.lockedColumns, width);
    return Locate(int64_t(x) - sheet.lockedWidth, sheet.leftColumn, sheet.columnCount, width);
}

int RowAt(const TableSheet& sheet, int y)
{
    if (y < 0 || y >= sheet.areaHeight)
        return -1;
    auto height = [&](int r) { return sheet.RowHeight(r); };
    if (y < sheet.lockedHeight)
        return Locate(y, 0, sheet.lockedRows, height);
    if (sheet.uniformHeights && sheet.defaultRowHeight > 0) {
        const int64_t k = (int64_t(y) - sheet.lockedHeight) / sheet.defaultRowHeight;
        return sheet.topRow + k < sheet.rowCount ? int(sheet.topRow + k) : -1;
    }
    return Locate(int64_t(y) - sheet.lockedHeight, sheet.topRow, sheet.rowCount, height);
}

bool HitTestCellArea(const TableSheet& sheet, int x, int y, int& column, int& row)
{
    const int c = ColumnAt(sheet, x);
    const int r = RowAt(sheet, y);
    if (c < 0 || r < 0)
        return false;
    column = c;
    row = r;
    return true;
}

int HeadingRowAt(const TableSheet& sheet, int y)
{
    if (y < 0)
        return 0;
    int64_t pos = 0;
    for (int r = -sheet.TopHeadingRowCount(); r < 0; ++r) {
        pos += sheet.RowHeight(r);
        if (y < pos)
            return r;
    }
    return 0;
}

int HeadingColumnAt(const TableSheet& sheet, int x)
{
    if (x < 0)
        return 0;
    int64_t pos = 0;
    for (int c = -sheet.SideHeadingColumnCount(); c < 0; ++c) {
        pos += sheet.ColumnWidth(c);
        if (x < pos)
            return c;
    }
    return 0;
}

int FirstShownRow(const TableSheet& sheet)
{
    return sheet.lockedRows > 0 ? 0 : sheet.topRow;
}

int NextShownRow(const TableSheet& sheet, int row)
{
    return row + 1 == sheet.lockedRows ? std::max(sheet.topRow, sheet.lockedRows) : row + 1;
}

int FirstShownColumn(const TableSheet& sheet)
{
    return sheet.lockedColumns > 0 ? 0 : sheet.leftColumn;
}

int NextShownColumn(const TableSheet& sheet, int column)
{
    return column + 1 == sheet.lockedColumns ? std::max(sheet.leftColumn, sheet.lockedColumns)
                                             : column + 1;
}

TableRect PlaceHint(int x, int y, int minWidth, int textWidth, int lineHeight, unsigned flags,
                    const TableRect& client)
{
    const int w = std::max(minWidth, textWidth + 4);
    const int h = lineHeight;
    int left = x;
    if (flags & TableHintFlag::centreOnX)
        left = x - w / 2;
    else if (flags & TableHintFlag::endAtX)
        left = x - w;
    int top = y;
    if (flags & TableHintFlag::centreOnY)
        top = y - h / 2;
    else if (flags & TableHintFlag::aboveY)
        top = y - h;
    if (left < client.left)
        left = client.left;
    if (top < client.top)
        top = client.top;
    if (left + w > client.right)
        left = client.right - w;
    if (top + h > client.bottom)
        top = client.bottom - h;
    return {left, top, left + w, top + h};
}

TableRect KeepInside(const TableRect& rect, const TableRect& bounds)
{
    const int w = rect.Width();
    const int h = rect.Height();
    int left = rect.left;
    int top = rect.top;
    if (left + w > bounds.right)
        left = bounds.right - w;
    if (top + h > bounds.bottom)
        top = bounds.bottom - h;
    if (left < bounds.left)
        left = bounds.left;
    if (top < bounds.top)
        top = bounds.top;
    return {left, top, left + w, top + h};
}

TableRect PlaceDropList(const TableRect& cell, int count, int itemHeight, const TableRect& bounds)
{
    const int w = std::max(1, cell.Width());
    const int h = std::min(std::max(count, 0), 15) * std::max(1, itemHeight) + 6;
    const int left = cell.left + 10;
    int top = cell.bottom;
    if (top + h > bounds.bottom && cell.top - h >= bounds.top)
        top = cell.top - h;
    return KeepInside({left, top, left + w, top + h}, bounds);
}

TableRect MoveClearOf(const TableRect& window, const TableRect& cell, const TableRect& bounds)
{
    if (window.Intersected(cell).IsEmpty())
        return window;
    const int h = window.Height();
    int top = cell.bottom;
    if (top + h > bounds.bottom)
        top = cell.top - h;
    return KeepInside({window.left, top, window.right, top + h}, bounds);
}

TableRect GrowEditorRect(const TableSheet& sheet, const TableRect& start, const TableRect& current,
                         int neededWidth, int neededHeight, const TableRect& parent)
{
    TableRect r = current;
    const int64_t wantRight = int64_t(current.left) + 2 + neededWidth;
    if (wantRight > current.right) {
        int64_t right = parent.right;
        int column = -1, row = -1;
        const int x = int(std::min<int64_t>(wantRight, INT_MAX));
        const int y = std::max(0, current.top);
        TableRect cell;
        if (HitTestCellArea(sheet, x, y, column, row) && CellAreaRect(sheet, column, row, cell))
            right = cell.right;
        r.right = int(std::min<int64_t>(right, parent.right));
    }
    const int64_t wantBottom = int64_t(current.top) + neededHeight;
    if (wantBottom > current.bottom) {
        int64_t bottom = parent.bottom;
        int column = -1, row = -1;
        const int x = std::max(0, current.left);
        const int y = int(std::min<int64_t>(wantBottom, INT_MAX));
        TableRect cell;
        if (HitTestCellArea(sheet, x, y, column, row) && CellAreaRect(sheet, column, row, cell))
            bottom = cell.bottom;
        r.bottom = int(std::min<int64_t>(bottom, parent.bottom));
    }
    r.right = std::max(r.right, start.right);
    r.bottom = std::max(r.bottom, start.bottom);
    return r;
}

int AcceleratedKeyStep(int repeat, int divisor)
{
    if (divisor < 1 || repeat < 1)
        return 1;
    const int64_t q = std::min<int64_t>(repeat / divisor, 1000);
    return int(q * q * q + 1);
}

bool AcceleratedKeyWaits(int repeat, int divisor)
{
    return divisor >= 1 && repeat / divisor == 0 && repeat > 1;
}

int DragScrollStep(int units, int exponent)
{
    if (exponent <= 0)
        return 1;
    int64_t step = 1;
    const int64_t base = std::max(1, units);
    for (int i = 0; i < exponent && step < 1000000; ++i)
        step *= base;
    return int(std::min<int64_t>(step, 1000000));
}
