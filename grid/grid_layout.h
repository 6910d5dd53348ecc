// The grid's geometry as plain arithmetic over a sheet: the layout of the seven components,
// the largest top row and left column, keeping a cell in view, the incremental repaint after
// a move, the scroll-bar mapping, cell rectangles and hit tests, hint placement, and the step
// sizes of key acceleration and drag scrolling. Cell-area coordinates have their origin at the
// top-left of the cell area; locked columns and rows come first, then the scrolled ones from
// the left column and top row.
#pragma once

#include "grid/table_sheet.h"

#include <cstdint>
#include <vector>

// Sum of the widths of columns [first, last) and heights of rows [first, last).
int64_t SumColumnWidths(const TableSheet& sheet, int first, int last);
int64_t SumRowHeights(const TableSheet& sheet, int first, int last);

// Divides a client area of width x height among the components. The horizontal bar is shown
// when tabs are shown or the columns do not fit, the vertical bar when the rows do not fit;
// a bar that is not needed gets a zero-size rectangle. Tabs share the bottom row with the
// horizontal bar (limited so that the bar keeps its place), or take the whole row when the
// columns fit. The sheet is not changed.
TableLayout ComputeLayout(const TableSheet& sheet, int width, int height);

// The largest top row that still fills the cell area: walking up from the last row, the row
// below the first one that no longer fits; at most the last row, at least the locked rows.
int ComputeMaxTopRow(const TableSheet& sheet);
// The same for the left column, from the column widths.
int ComputeMaxLeftColumn(const TableSheet& sheet);

// The first row that is not wholly visible below the top row (the row count when all are),
// and the same for columns.
int ComputeBottomRow(const TableSheet& sheet);
int ComputeRightColumn(const TableSheet& sheet);

// The rows (columns) that fit in the area less the locked ones, counted from the top row
// (left column); at least 1.
int RowsInPage(const TableSheet& sheet);
int ColumnsInPage(const TableSheet& sheet);

// The top row that shows row: unchanged for a locked row, a row already shown or an area
// without height (nothing is shown), the row
// itself when it is above, otherwise the first row from which it still fits; within
// [locked rows, maximum top row].
int TopRowShowing(const TableSheet& sheet, int row);
// The same for columns, never beyond the maximum left column.
int LeftColumnShowing(const TableSheet& sheet, int column);

// How the cell area is brought up to date after a move from the old left column and top row
// (with the old right column and bottom row) to the sheet's present ones.
struct TableMoveUpdate
{
    bool wholeArea = false; // a shift of more than the area: everything is repainted
    int dx = 0;             // pixels the content moves left (negative: right)
    int dy = 0;             // pixels the content moves up
    TableRect scrollRect;   // the part of the area to scroll (locked rows or columns excluded)
    std::vector<TableRange> redraw; // uncovered strips and the old and new current cell
};
TableMoveUpdate PlanMoveUpdate(const TableSheet& sheet, int oldLeft, int oldTop, int oldRight,
                               int oldBottom, int oldCurrentColumn, int oldCurrentRow);

struct TableScrollInfo
{
    int min = 0;
    int max = 0;
    int page = 0;
    int pos = 0;
    bool scaled = false;
    bool operator==(const TableScrollInfo&) const = default;
};
// Horizontal bar: page = (area width - locked width) / default column width, range 0 ..
// maximum left column + page - locked columns - 1, position = left column - locked columns.
TableScrollInfo HorizontalScrollInfo(const TableSheet& sheet);
// Vertical bar: up to a maximum top row of 1000, page = area height / default row height,
// range locked rows .. maximum top row + page - 1, position = top row; above 1000 the bar is
// scaled to 0..1000 with page 1. Arrows only: 0..2 at position 1.
TableScrollInfo VerticalScrollInfo(const TableSheet& sheet);
// The top row (left column) for a thumb position, within the allowed range.
int TopRowFromThumb(const TableSheet& sheet, int position);
int LeftColumnFromThumb(const TableSheet& sheet, int position);

// The rectangle of a cell in cell-area coordinates (also for cells scrolled out of view, which
// lie outside the area). False for columns or rows outside the table.
bool CellAreaRect(const TableSheet& sheet, int column, int row, TableRect& rect);
// The rectangle of a heading cell in its heading's coordinates: top heading for row < 0 and
// column >= 0, side heading for column < 0 and row >= 0, the corner for both negative.
bool HeadingRect(const TableSheet& sheet, int column, int row, TableRect& rect);
// The cell under a point of the cell area; false when there is none.
bool HitTestCellArea(const TableSheet& sheet, int x, int y, int& column, int& row);
// The column under x and the row under y of the cell area (locked ones first, then the
// scrolled ones from the left column and top row); -1 when there is none.
int ColumnAt(const TableSheet& sheet, int x);
int RowAt(const TableSheet& sheet, int y);
// The heading row under y of the top heading (-count at the top ... -1), and the heading
// column under x of the side heading; 0 when there is none.
int HeadingRowAt(const TableSheet& sheet, int y);
int HeadingColumnAt(const TableSheet& sheet, int x);
// The rows and columns shown in the cell area, in painting order: the locked ones, then from
// the top row (left column) on. Next* returns the count past the last one.
int FirstShownRow(const TableSheet& sheet);
int NextShownRow(const TableSheet& sheet, int row);
int FirstShownColumn(const TableSheet& sheet);
int NextShownColumn(const TableSheet& sheet, int column);

// Where a hint goes: width the larger of minWidth and textWidth + 4, height lineHeight;
// flag 4 centres it on x, 2 ends it at x, otherwise it starts at x; 0x20 centres it on y,
// 0x10 puts it above y, otherwise below; then it is pushed inside client (left and top edges
// first, then right and bottom).
namespace TableHintFlag {
constexpr unsigned endAtX = 0x2;
constexpr unsigned centreOnX = 0x4;
constexpr unsigned aboveY = 0x10;
constexpr unsigned centreOnY = 0x20;
} // namespace TableHintFlag
TableRect PlaceHint(int x, int y, int minWidth, int textWidth, int lineHeight, unsigned flags,
                    const TableRect& client);
// rect moved (not resized, unless it is larger) so that it lies inside bounds: the right and
// bottom edges first, then the left and top ones, so that a rectangle larger than bounds keeps
// its top-left corner visible.
TableRect KeepInside(const TableRect& rect, const TableRect& bounds);
// Where a drop-down list of count items of itemHeight goes for a cell at cell (screen
// coordinates): under the cell, 10 pixels to the right, the cell's width wide and
// min(count, 15) items + 6 high; above the cell when it does not fit below on the screen
// (bounds) but fits above; then kept inside bounds.
TableRect PlaceDropList(const TableRect& cell, int count, int itemHeight, const TableRect& bounds);
// Where a tracking window (rect, screen coordinates) goes so that it does not cover the
// cell: unchanged when it does not overlap it; otherwise below the cell, or above it when
// there is no room below, kept inside bounds.
TableRect MoveClearOf(const TableRect& window, const TableRect& cell, const TableRect& bounds);

// The rectangle of a growing plain editor in the cell area. neededWidth and neededHeight are
// what its text needs (measured from its left edge + 2); when that is more than it has, its
// right edge moves to the right edge of the column under that point and its bottom to the
// bottom of the row under that point, never past parent and never smaller than start.
TableRect GrowEditorRect(const TableSheet& sheet, const TableRect& start, const TableRect& current,
                         int neededWidth, int neededHeight, const TableRect& parent);

// Cells moved by the repeat-th key-down of an accelerated key: (repeat / divisor)^3 + 1, or 1
// without acceleration (divisor < 1).
int AcceleratedKeyStep(int repeat, int divisor);
// Whether the first-repeat delay is waited before the move.
bool AcceleratedKeyWaits(int repeat, int divisor);

// Cells moved per round while dragging outside the area: units^exponent, where units counts
// the default cell sizes the mouse is beyond the edge (at least 1); 1 without an exponent.
int DragScrollStep(int units, int exponent);
