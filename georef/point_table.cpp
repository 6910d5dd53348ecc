// The point table's rules.
#include "georef/point_table.h"

#include <algorithm>

namespace {

constexpr int kCells = kPointTableColumns * kPointTableRows;

// Cells numbered along the rows.
int IndexOf(PointTableCell cell)
{
    const int column = std::clamp(cell.column, 0, kPointTableColumns - 1);
    const int row = std::clamp(cell.row, 0, kPointTableRows - 1);
    return row * kPointTableColumns + column;
}

PointTableCell CellAt(int index)
{
    return {index % kPointTableColumns, index / kPointTableColumns};
}

} // namespace

PointTableCell PointTableTabTarget(PointTableCell from, bool back)
{
    const int index = IndexOf(from) + (back ? -1 : 1);
    return CellAt(std::clamp(index, 0, kCells - 1));
}

bool PointTableContinueTarget(PointTableCell from, bool shiftTab, PointTableCell& to)
{
    const int index = IndexOf(from);
    if (shiftTab) {
        if (index == 0)
            return false;
        to = CellAt(index - 1);
        return true;
    }
    to = CellAt((index + 1) % kCells);
    return true;
}

bool PointTableHint(int column, int row, const std::string& shown, std::string& hint)
{
    if (column < 0 || row < 0 || shown.empty())
        return false;
    hint = shown;
    return true;
}
