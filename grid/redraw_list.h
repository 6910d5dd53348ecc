// The cells a window has to repaint in its next paint pass: a list of ranges with their
// bounding box for a quick rejection, and the joined-block origins already painted in the
// current pass.
#pragma once

#include "grid/table_types.h"

#include <vector>

class TableRedrawList
{
public:
    void AddRange(const TableRange& range);
    void AddCell(int column, int row) { AddRange({column, row, column, row}); }
    // Widens the first range to include range (adds it when the list is empty).
    void WidenFirst(const TableRange& range);
    // Outside the bounding box: no; otherwise whether any range contains the cell.
    bool Contains(int column, int row) const;
    bool IsEmpty() const { return m_ranges.empty(); }
    const std::vector<TableRange>& Ranges() const { return m_ranges; }
    const TableRange& Bounds() const { return m_bounds; }

    void MarkOriginPainted(int column, int row) { m_painted.push_back({column, row}); }
    bool IsOriginPainted(int column, int row) const;

    // Clears both lists.
    void Clear();

private:
    std::vector<TableRange> m_ranges;
    TableRange m_bounds;
    std::vector<TablePoint> m_painted;
};
