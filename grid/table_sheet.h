// A sheet: one complete state of a grid (columns, rows, sizes, the visible range, the cursor,
// switches, its default data source and its selection). Every grid operation acts on the
// current sheet. Row -1 is the heading row next to the cells and column -1 the heading column
// next to them; headings further out have smaller indexes.
#pragma once

#include "grid/memory_data.h"
#include "grid/redraw_list.h"
#include "grid/selection.h"
#include "grid/table_cell.h"
#include "grid/table_types.h"

#include <memory>
#include <vector>

class TableEditor;

// One column, in display order.
struct TableColumnInfo
{
    int width = 75;
    CTableDataSource* dataSource = nullptr; // null: the sheet's default source
    std::unique_ptr<CTableCell> defaultCell;
    // The index under which the data source stores this column; it stays with the column
    // when columns are moved.
    int dataSourceColumn = 0;
};

// The rectangles of the grid's components, in the grid's client coordinates.
struct TableLayout
{
    TableRect cells;
    TableRect topHeading;
    TableRect sideHeading;
    TableRect corner;
    TableRect verticalBar;
    TableRect horizontalBar;
    TableRect tabs;
    bool operator==(const TableLayout&) const = default;
};

struct TableSheet
{
    TableSheet();

    // Sizes of data columns and rows (0 outside), heading columns and rows included.
    int ColumnWidth(int column) const;
    int RowHeight(int row) const;
    int SideHeadingColumnCount() const { return int(sideHeadingWidths.size()); }
    int TopHeadingRowCount() const { return int(topHeadingHeights.size()); }
    CTableDataSource* SourceOf(int column) const;
    int SourceColumnOf(int column) const;

    int columnCount = 0;
    std::vector<TableColumnInfo> columns;
    int rowCount = 0;
    std::vector<int> rowHeights; // empty while heights are uniform
    bool uniformHeights = false;
    int defaultRowHeight = 20;
    int defaultColumnWidth = 75;

    int currentColumn = -1;
    int currentRow = -1;
    int previousCurrentColumn = -1;
    int previousCurrentRow = -1;
    int dragColumn = -1;
    int dragRow = -1;

    int leftColumn = 0;
    int previousLeftColumn = 0;
    int rightColumn = 0; // the first column not wholly visible (the column count when all are)
    int maxLeftColumn = 0;
    int topRow = 0;
    int previousTopRow = 0;
    int bottomRow = 0;
    int maxTopRow = 0;

    // Heading rows and columns; element 0 is row -1 (column -1), next to the cells.
    std::vector<int> topHeadingHeights{20};
    std::vector<int> sideHeadingWidths{25};
    int topHeadingHeight = 20;
    int sideHeadingWidth = 40;
    int verticalBarWidth = 17;
    int horizontalBarHeight = 17;
    int tabWidth = 0; // 0: no tabs shown

    int lockedColumns = 0;
    int lockedWidth = 0;
    int lockedRows = 0;
    int lockedHeight = 0;

    CTableCell columnDefaultCell; // copied into each new column's default cell
    CTableCell headingDefaultCell;
    const TableFont* defaultFont = nullptr;
    std::unique_ptr<CTableMemoryData> defaultSource;
    std::unique_ptr<CTableSelection> selection;

    int keyStateMode = kKeyStateKeyboard;
    int mouseKeyFlags = 0;
    int currentCellStyle = 1;

    // Switches.
    bool popupMenu = false;
    bool hints = false;
    bool joining = true;
    bool cancelEditOnFocusLoss = false;
    bool painting = false;
    int userSizing = 1; // 0 off, 1 tracking line, other values live resizing
    bool scrollHints = false;
    bool thumbTrackVertical = false;
    bool thumbTrackHorizontal = false;
    bool columnMoving = false;
    bool blockSelection = false;
    bool overflow = true;
    bool gridLines = true;
    bool wholeRowHighlight = false;
    bool doubleBuffering = false;
    bool dragScrolling = true;
    bool textDragging = false; // the current cell's text can be dragged out of the grid
    int dragScrollExponent = 0;
    int dragScrollDelay = 200;
    bool verticalBarArrowsOnly = false;
    int textMargin = 4;

    int keyAccelerationDivisor = 0;
    int firstRepeatDelay = 0;

    TablePen gridLinePen{TablePenStyle::solid, 1, 0xDCDCDC};
    // Editors of this sheet in place of the grid's own (null: the grid's).
    TableEditor* plainEditor = nullptr;
    TableEditor* maskedEditor = nullptr;

    // Results of the last layout pass.
    TableLayout layout;
    int areaWidth = 0;
    int areaHeight = 0;

    // Cells waiting to be repainted, per window.
    TableRedrawList cellRedraw;
    TableRedrawList topRedraw;
    TableRedrawList sideRedraw;
};
