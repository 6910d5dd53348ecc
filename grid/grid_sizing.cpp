// Sizing columns and rows by dragging, dropping moved columns, the tab strip's width, and the
// grid's fonts and system colours.
#include "grid/grid_model.h"

#include <algorithm>

int CTableGridModel::TakeWindowFont(const TableFont& font)
{
    const int index = AddFont(font);
    SetDefaultFont(GetFont(index));
    TableFont bold = font;
    bold.weight += 200;
    const int boldIndex = AddFont(bold);
    m_sheet->headingDefaultCell.SetFont(GetFont(boldIndex));
    return index;
}

void CTableGridModel::OnSystemColorsChanged()
{
    for (const auto& s : m_sheets)
        s->headingDefaultCell.SetBackColor(GetTableSystemColor(TableSystemColor::buttonFace));
    for (const auto& type : m_cellTypes)
        type->SystemColorsChanged();
    RedrawAll();
}

int CTableGridModel::ColumnSizingGrip(int x)
{
    const TableSheet& s = *m_sheet;
    auto gripAt = [&](int column, int right) {
        if (x <= right - 3 || x >= right + 3)
            return -1;
        // A hidden column right of the edge takes the grip, so that it can be widened again.
        while (column + 1 < s.columnCount && s.ColumnWidth(column + 1) == 0)
            ++column;
        return CanSizeColumn(column) ? column : -1;
    };
    int64_t right = 0;
    for (int c = 0; c < s.lockedColumns; ++c) {
        right += s.ColumnWidth(c);
        const int g = gripAt(c, int(right));
        if (g >= 0)
            return g;
    }
    right = s.lockedWidth;
    for (int c = s.leftColumn; c < s.columnCount && right <= s.areaWidth + 3; ++c) {
        right += s.ColumnWidth(c);
        const int g = gripAt(c, int(right));
        if (g >= 0)
            return g;
    }
    return -1;
}

int CTableGridModel::ColumnSizingStep(int column, int startWidth, int startX, int x)
{
    TableSheet& s = *m_sheet;
    if (column < 0 || column >= s.columnCount)
        return 1;
    int width = int(std::max<int64_t>(0, int64_t(startWidth) + x - startX));
    if (ViewIsVisible() && s.painting) {
        UpdateVisibleRange();
        for (int r = s.topRow; r <= s.bottomRow && r < s.rowCount; ++r) {
            m_scratch.Clear();
            GetCell(column, r, m_scratch);
            TypeForCell(m_scratch)->ColumnSizing(column, r, width);
        }
    }
    ColumnSizing(column, width);
    StoreColumnWidth(column, std::max(0, width));
    ViewRepaint(s.userSizing == 1 ? TableRepaint::topHeading : TableRepaint::all);
    return 0;
}

int CTableGridModel::ColumnSizingEnd(int column, int startWidth, int startX, int x)
{
    TableSheet& s = *m_sheet;
    if (column < 0 || column >= s.columnCount)
        return 1;
    int width = int(std::max<int64_t>(0, int64_t(startWidth) + x - startX));
    TellVisibleCellTypesWidth(column, width);
    ColumnSized(column, width);
    width = std::max(0, width);
    if (width != s.ColumnWidth(column))
        StoreColumnWidth(column, width);
    RedrawAll();
    return 0;
}

int CTableGridModel::RowSizingStep(int row, int startHeight, int startY, int y)
{
    TableSheet& s = *m_sheet;
    if (row < 0 || row >= s.rowCount)
        return 1;
    int height = int(std::max<int64_t>(0, int64_t(startHeight) + y - startY));
    RowSizing(row, height);
    StoreRowHeight(row, height);
    ViewRepaint(s.userSizing == 1 ? TableRepaint::sideHeading : TableRepaint::all);
    return 0;
}

int CTableGridModel::RowSizingEnd(int row, int startHeight, int startY, int y)
{
    TableSheet& s = *m_sheet;
    if (row < 0 || row >= s.rowCount)
        return 1;
    const int height = int(std::max<int64_t>(0, int64_t(startHeight) + y - startY));
    return SetRowHeight(row, height);
}

int CTableGridModel::RowSizingGrip(int y)
{
    const TableSheet& s = *m_sheet;
    auto gripAt = [&](int row, int64_t bottom) {
        if (y <= bottom - 3 || y >= bottom + 3)
            return -1;
        while (row + 1 < s.rowCount && s.RowHeight(row + 1) == 0)
            ++row;
        return CanSizeRow(row) ? row : -1;
    };
    int64_t bottom = 0;
    for (int r = FirstShownRow(s); r < s.rowCount && bottom <= s.areaHeight + 3;
         r = NextShownRow(s, r)) {
        bottom += s.RowHeight(r);
        const int g = gripAt(r, bottom);
        if (g >= 0)
            return g;
    }
    return -1;
}

int CTableGridModel::HeadingGrip(bool rows, int pos)
{
    const TableSheet& s = *m_sheet;
    const int count = rows ? s.TopHeadingRowCount() : s.SideHeadingColumnCount();
    int64_t edge = 0;
    for (int i = -count; i < 0; ++i) {
        edge += rows ? s.RowHeight(i) : s.ColumnWidth(i);
        if (pos > edge - 3 && pos < edge + 3)
            return (rows ? CanSizeTopHeading() : CanSizeSideHeading()) ? i : 0;
    }
    return 0;
}

int CTableGridModel::HeadingSizingStep(bool rows, int index, int start, int startPos, int pos)
{
    TableSheet& s = *m_sheet;
    std::vector<int>& sizes = rows ? s.topHeadingHeights : s.sideHeadingWidths;
    int& total = rows ? s.topHeadingHeight : s.sideHeadingWidth;
    const size_t i = size_t(-int64_t(index) - 1);
    if (index >= 0 || i >= sizes.size())
        return 1;
    const int size = int(std::clamp<int64_t>(int64_t(start) + pos - startPos, 0, 1024));
    int newTotal = std::max(0, total + size - sizes[i]);
    if (!(rows ? TopHeadingSizing(newTotal) : SideHeadingSizing(newTotal)))
        return 2;
    sizes[i] = size;
    total = std::clamp(newTotal, 0, 1024);
    RecalcLayout();
    return 0;
}

int CTableGridModel::HeadingRowSizingEnd()
{
    int height = m_sheet->topHeadingHeight;
    TopHeadingSized(height);
    return 0;
}

int CTableGridModel::HeadingColumnSizingEnd()
{
    int width = m_sheet->sideHeadingWidth;
    SideHeadingSized(width);
    return 0;
}

int CTableGridModel::CornerGrip(int x, int y)
{
    const TableSheet& s = *m_sheet;
    if (x >= s.sideHeadingWidth - 4 && x < s.sideHeadingWidth && CanSizeSideHeading())
        return 1;
    if (y >= s.topHeadingHeight - 4 && y < s.topHeadingHeight && CanSizeTopHeading())
        return 2;
    return 0;
}

int CTableGridModel::CornerSizingStep(int grip, int position)
{
    int size = std::clamp(position, 0, 1024);
    if (grip == 1) {
        if (!SideHeadingSizing(size))
            return 2;
        return SetSideHeadingWidth(std::clamp(size, 0, 1024));
    }
    if (grip == 2) {
        if (!TopHeadingSizing(size))
            return 2;
        return SetTopHeadingHeight(std::clamp(size, 0, 1024));
    }
    return 1;
}

int CTableGridModel::CornerSizingEnd(int grip)
{
    if (grip == 1)
        return HeadingColumnSizingEnd();
    if (grip == 2)
        return HeadingRowSizingEnd();
    return 1;
}

int CTableGridModel::DropColumn(int fromColumn, int overColumn)
{
    const TableSheet& s = *m_sheet;
    if (fromColumn < 0 || fromColumn >= s.columnCount || overColumn < 0 ||
        overColumn >= s.columnCount || fromColumn == overColumn)
        return 1;
    // The column takes the place of the one it was dropped on.
    if (!ColumnDropped(fromColumn, overColumn))
        return 2;
    const int before = overColumn > fromColumn ? overColumn + 1 : overColumn;
    if (MoveColumn(fromColumn, before, true) != 0)
        return 1;
    ColumnMoved(fromColumn, overColumn);
    return 0;
}

void CTableGridModel::SetTabWidth(int width)
{
    m_sheet->tabWidth = width <= 0 ? 0 : std::max(40, width);
    RecalcLayout();
}
