// Selection blocks and the rules that feed them.
#include "grid/selection.h"

#include <algorithm>

namespace {

// Cells of a not covered by b, as up to four ranges.
std::vector<TableRange> Subtract(const TableRange& a, const TableRange& b)
{
    const TableRange i{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                       std::min(a.bottom, b.bottom)};
    if (i.IsEmpty())
        return {a};
    std::vector<TableRange> out;
    if (a.top < i.top)
        out.push_back({a.left, a.top, a.right, i.top - 1});
    if (i.bottom < a.bottom)
        out.push_back({a.left, i.bottom + 1, a.right, a.bottom});
    if (a.left < i.left)
        out.push_back({a.left, i.top, i.left - 1, i.bottom});
    if (i.right < a.right)
        out.push_back({i.right + 1, i.top, a.right, i.bottom});
    return out;
}

} // namespace

TableRange CTableSelection::Normalised(int c1, int r1, int c2, int r2) const
{
    TableRange r{std::min(c1, c2), std::min(r1, r2), std::max(c1, c2), std::max(r1, r2)};
    if (m_mode & kRowSelection) {
        r.left = 0;
        r.right = kAllColumns;
    }
    return r;
}

void CTableSelection::Redraw(const TableRange& range)
{
    if (m_listener && !range.IsEmpty())
        m_listener->SelectionRedraw(range);
}

void CTableSelection::RepaintAll()
{
    TableRange all;
    if (GetBoundingRange(all))
        Redraw(all);
}

void CTableSelection::Clear()
{
    m_blocks.clear();
    m_current = -1;
    m_lastColumn = INT_MIN;
    m_lastRow = INT_MIN;
}

void CTableSelection::StartBlock(int column, int row, bool selected)
{
    TableSelectionBlock b;
    b.anchorColumn = b.farColumn = column;
    b.anchorRow = b.farRow = row;
    b.bounds = Normalised(column, row, column, row);
    b.selected = selected;
    m_blocks.push_back(b);
    m_current = int(m_blocks.size()) - 1;
    m_lastColumn = column;
    m_lastRow = row;
    if (m_listener)
        m_listener->SelectionChanged(b.bounds, GetBlockCount());
    Redraw(b.bounds);
}

void CTableSelection::ExtendBlock(int column, int row)
{
    if (m_current < 0) {
        StartBlock(column, row);
        return;
    }
    TableSelectionBlock& b = m_blocks[size_t(m_current)];
    const TableRange old = b.bounds;
    b.farColumn = column;
    b.farRow = row;
    b.bounds = Normalised(b.anchorColumn, b.anchorRow, column, row);
    m_lastColumn = column;
    m_lastRow = row;
    const TableRange now = b.bounds;
    if (m_listener)
        m_listener->SelectionChanged(now, GetBlockCount());
    for (const TableRange& r : Subtract(old, now))
        Redraw(r);
    for (const TableRange& r : Subtract(now, old))
        Redraw(r);
}

void CTableSelection::Toggle(int column, int row)
{
    for (size_t i = 0; i < m_blocks.size(); ++i) {
        TableSelectionBlock& b = m_blocks[i];
        if (b.bounds == Normalised(column, row, column, row) && b.anchorColumn == column &&
            b.anchorRow == row && b.farColumn == column && b.farRow == row) {
            b.selected = !b.selected;
            m_current = int(i);
            m_lastColumn = column;
            m_lastRow = row;
            if (m_listener)
                m_listener->SelectionChanged(b.bounds, GetBlockCount());
            Redraw(b.bounds);
            return;
        }
    }
    StartBlock(column, row, !IsSelected(column, row));
}

bool CTableSelection::IsSelected(int column, int row, int* blockIndex) const
{
    const int n = GetBlockCount();
    const bool firstDecides = (m_mode & kFirstBlockDecides) != 0;
    for (int k = 0; k < n; ++k) {
        const int i = firstDecides ? k : n - 1 - k;
        const TableSelectionBlock& b = m_blocks[size_t(i)];
        if (b.bounds.Contains(column, row)) {
            if (blockIndex)
                *blockIndex = i;
            return b.selected;
        }
    }
    if (blockIndex)
        *blockIndex = -1;
    return false;
}

bool CTableSelection::IsColumnSelected(int column) const
{
    for (const TableSelectionBlock& b : m_blocks)
        if (b.selected && column >= b.bounds.left && column <= b.bounds.right)
            return true;
    return false;
}

bool CTableSelection::IsRowSelected(int row) const
{
    for (const TableSelectionBlock& b : m_blocks)
        if (b.selected && row >= b.bounds.top && row <= b.bounds.bottom)
            return true;
    return false;
}

bool CTableSelection::GetBoundingRange(TableRange& range) const
{
    if (m_blocks.empty())
        return false;
    range = m_blocks.front().bounds;
    for (const TableSelectionBlock& b : m_blocks) {
        range.left = std::min(range.left, b.bounds.left);
        range.top = std::min(range.top, b.bounds.top);
        range.right = std::max(range.right, b.bounds.right);
        range.bottom = std::max(range.bottom, b.bounds.bottom);
    }
    return true;
}

void CTableSelection::ForEachSelected(int columnCount, int rowCount,
                                      const std::function<void(int, int)>& visit) const
{
    TableRange all;
    if (!GetBoundingRange(all))
        return;
    const int right = std::min(all.right, columnCount - 1);
    const int bottom = std::min(all.bottom, rowCount - 1);
    for (int r = std::max(all.top, 0); r <= bottom; ++r)
        for (int c = std::max(all.left, 0); c <= right; ++c)
            if (IsSelected(c, r))
                visit(c, r);
}

bool CTableSelection::GetAnchor(int& column, int& row) const
{
    if (m_current < 0)
        return false;
    column = m_blocks[size_t(m_current)].anchorColumn;
    row = m_blocks[size_t(m_current)].anchorRow;
    return true;
}

void CTableSelection::Feed(int column, int row, int keyStateMode, int keyFlags)
{
    const bool shift = (keyFlags & TableKeyFlags::shift) != 0;
    const bool control = (keyFlags & TableKeyFlags::control) != 0;
    switch (keyStateMode) {
    case kKeyStateLeftButton:
        if (control) {
            StartBlock(column, row);
        } else if (shift) {
            ExtendBlock(column, row);
        } else {
            RepaintAll();
            Clear();
            StartBlock(column, row);
        }
        break;
    case kKeyStateRightButton:
        if (!IsSelected(column, row)) {
            RepaintAll();
            Clear();
            StartBlock(column, row);
        }
        m_lastColumn = column;
        m_lastRow = row;
        break;
    case kKeyStateMouseDrag:
        if (column != m_lastColumn || row != m_lastRow)
            ExtendBlock(column, row);
        break;
    default:
        if (column == m_lastColumn && row == m_lastRow)
            break;
        if (shift) {
            ExtendBlock(column, row);
        } else {
            if (!control) {
                RepaintAll();
                Clear();
            }
            StartBlock(column, row);
        }
        break;
    }
}
