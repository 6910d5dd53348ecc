// Redraw lists of the grid's windows.
#include "grid/redraw_list.h"

#include <algorithm>

namespace {

// Ranges kept before the list folds everything into its first range.
constexpr size_t kMaxRanges = 256;

TableRange Union(const TableRange& a, const TableRange& b)
{
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

} // namespace

void TableRedrawList::AddRange(const TableRange& range)
{
    if (range.IsEmpty())
        return;
    if (m_ranges.size() >= kMaxRanges) {
        WidenFirst(range);
        return;
    }
    m_bounds = m_ranges.empty() ? range : Union(m_bounds, range);
    m_ranges.push_back(range);
}

void TableRedrawList::WidenFirst(const TableRange& range)
{
    if (range.IsEmpty())
        return;
    if (m_ranges.empty()) {
        AddRange(range);
        return;
    }
    m_ranges.front() = Union(m_ranges.front(), range);
    m_bounds = Union(m_bounds, range);
}

bool TableRedrawList::Contains(int column, int row) const
{
    if (m_ranges.empty() || !m_bounds.Contains(column, row))
        return false;
    for (const TableRange& r : m_ranges)
        if (r.Contains(column, row))
            return true;
    return false;
}

bool TableRedrawList::IsOriginPainted(int column, int row) const
{
    for (const TablePoint& p : m_painted)
        if (p.x == column && p.y == row)
            return true;
    return false;
}

void TableRedrawList::Clear()
{
    m_ranges.clear();
    m_painted.clear();
    m_bounds = TableRange();
}
