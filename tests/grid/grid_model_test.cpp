// The grid model: counts and their limits, heading cells, reading with defaults and formats,
// the movement protocol and its notifications, keys, pasting, moving columns, fonts, sheets
// and column fitting. No window is involved.
#include "grid/grid_model.h"
#include "grid_test_support.h"

#include <gtest/gtest.h>

using nv::test::MeasuringCellType;
using nv::test::RecordingGrid;

namespace {

// Upper-cases the text of every cell it formats.
class UpperFormat : public CTableCellFormat
{
public:
    void ApplyFormat(CTableCell& cell) override
    {
        std::string t = cell.GetText();
        for (char& c : t)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        cell.SetText(t);
    }
};

} // namespace

TEST(GridModel, CountsAtTheirLimits)
{
    CTableGridModel grid;
    EXPECT_EQ(grid.SetColumnCount(32000), 0);
    EXPECT_EQ(grid.SetColumnCount(32001), 1);
    EXPECT_EQ(grid.SetColumnCount(-1), 1);
    EXPECT_EQ(grid.GetColumnCount(), 32000);
    EXPECT_EQ(grid.SetColumnCount(4), 0);
    EXPECT_EQ(grid.SetRowCount(-1), 1);
    EXPECT_EQ(grid.SetRowCount(3), 0);
    EXPECT_EQ(grid.GetCurrentColumn(), 0);
    EXPECT_EQ(grid.GetCurrentRow(), 0);
}

TEST(GridModel, CurrentRowFollowsTheRowCount)
{
    CTableGridModel grid;
    grid.SetColumnCount(2);
    grid.SetRowCount(5);
    grid.GotoCell(1, 4);
    grid.SetRowCount(3);
    EXPECT_EQ(grid.GetCurrentRow(), 2);
    EXPECT_EQ(grid.GetDragRow(), 2);
    grid.SetRowCount(0);
    EXPECT_EQ(grid.GetCurrentRow(), -1);
    grid.SetRowCount(2);
    EXPECT_EQ(grid.GetCurrentRow(), 0);
    grid.SetColumnCount(0);
    EXPECT_EQ(grid.GetCurrentColumn(), -1);
}

TEST(GridModel, ManyRowsForceUniformHeights)
{
    CTableGridModel grid;
    grid.SetColumnCount(1);
    grid.SetRowCount(10);
    grid.SetRowHeight(3, 40);
    EXPECT_EQ(grid.GetRowHeight(3), 40);
    EXPECT_FALSE(grid.HasUniformRowHeights());
    grid.SetRowCount(64001);
    EXPECT_TRUE(grid.HasUniformRowHeights());
    EXPECT_EQ(grid.GetRowHeight(3), 20);
    EXPECT_EQ(grid.GetRowHeight(64000), 20);
    EXPECT_EQ(grid.GetRowHeight(64001), 0);
    EXPECT_TRUE(grid.Sheet().rowHeights.empty());
    grid.SetUniformRowHeights(false);
    EXPECT_EQ(grid.GetRowHeight(3), 20);
    EXPECT_EQ(grid.SetRowHeight(3, -1), 2);
}

TEST(GridModel, HeadingCellsLiveAtNegativeIndexes)
{
    CTableGridModel grid;
    grid.SetColumnCount(2);
    grid.SetRowCount(2);
    EXPECT_EQ(grid.SetCellText(-1, -1, "Point #"), 0);
    EXPECT_EQ(grid.SetCellText(-1, 0, "#1"), 0);
    EXPECT_EQ(grid.SetCellText(1, -1, "Pixel Y"), 0);
    EXPECT_EQ(grid.GetCellText(-1, -1), "Point #");
    EXPECT_EQ(grid.GetCellText(1, -1), "Pixel Y");

    // A side-heading cell reads over the heading defaults.
    CTableCell cell;
    grid.GetCell(-1, 0, cell);
    EXPECT_EQ(cell.GetText(), "#1");
    EXPECT_EQ(cell.GetAlignment() & 0xFFFF, 36u);
    EXPECT_EQ(cell.GetBorderStyle() & 0xFFFF, 8192u);
    EXPECT_EQ(cell.GetBackColor(), GetTableSystemColor(TableSystemColor::buttonFace));

    // Out of range: the heading defaults and nothing else; writes are refused.
    EXPECT_EQ(grid.SetCell(2, 0, cell), 1);
    EXPECT_EQ(grid.SetCell(-2, 0, cell), 1);
    EXPECT_EQ(grid.SetCell(0, -2, cell), 1);
    EXPECT_EQ(grid.GetCellRaw(2, 0, cell), 1);
    grid.GetCell(5, 7, cell);
    EXPECT_FALSE(cell.HasText());
}

TEST(GridModel, ReadingLaysDefaultsStoredFormatAndStyle)
{
    CTableGridModel grid;
    grid.SetColumnCount(2);
    grid.SetRowCount(2);
    UpperFormat upper;
    grid.GetColumnDefaultCell(0)->SetAlignment(2);
    CTableCell cell;
    grid.GetCellRaw(0, 0, cell);
    cell.SetText("north");
    cell.SetFormat(&upper);
    grid.SetCell(0, 0, cell);
    EXPECT_EQ(grid.GetCellText(0, 0), "NORTH");
    CTableCell raw;
    grid.GetCellRaw(0, 0, raw);
    EXPECT_EQ(raw.GetText(), "north"); // the stored cell is not changed
    CTableCell shown;
    grid.GetCell(0, 0, shown);
    EXPECT_EQ(shown.GetAlignment() & 0xFFFF, 2u);

    CTableCell style;
    style.SetFlags(0);
    style.SetBackColor(0xABCDEF);
    grid.GetCellRaw(1, 1, cell);
    cell.SetStyleCell(&style);
    cell.SetBackColor(1);
    grid.SetCell(1, 1, cell);
    grid.GetCell(1, 1, shown);
    EXPECT_EQ(shown.GetBackColor(), 0xABCDEFu);

    // SetCellText keeps the other stored properties.
    grid.SetCellText(0, 0, "south");
    EXPECT_EQ(grid.GetCellText(0, 0), "SOUTH");
}

TEST(GridModel, GotoCellNotifiesInOrderAndOnlyOnChange)
{
    RecordingGrid grid;
    grid.SetColumnCount(3);
    grid.SetRowCount(3);
    grid.events.clear();
    EXPECT_EQ(grid.GotoCell(0, 0), 0);
    EXPECT_TRUE(grid.events.empty());
    EXPECT_EQ(grid.GotoCell(2, 1), 0);
    EXPECT_EQ(grid.events, (std::vector<std::string>{"column 0->2", "row 0->1", "cell 0,0->2,1"}));
    grid.events.clear();
    EXPECT_EQ(grid.GotoCell(2, 2), 0);
    EXPECT_EQ(grid.events, (std::vector<std::string>{"row 1->2", "cell 2,1->2,2"}));
}

TEST(GridModel, RefusedMovesLeaveEverythingAsItWas)
{
    RecordingGrid grid;
    grid.SetColumnCount(3);
    grid.SetRowCount(3);
    grid.allowMove = false;
    grid.events.clear();
    EXPECT_EQ(grid.GotoCell(1, 1), 2);
    EXPECT_EQ(grid.GotoColumn(2), 2);
    EXPECT_EQ(grid.GotoRow(2), 2);
    EXPECT_EQ(grid.GetCurrentColumn(), 0);
    EXPECT_EQ(grid.GetCurrentRow(), 0);
    EXPECT_EQ(grid.GetDragColumn(), 0);
    EXPECT_TRUE(grid.events.empty());

    // A refused scroll refuses a move that needs one.
    grid.allowMove = true;
    grid.allowScroll = false;
    grid.Show(200, 100); // 40 + 75 + 75 wide: column 2 is out of view
    EXPECT_EQ(grid.GotoCell(2, 0), 2);
    EXPECT_EQ(grid.GotoCell(1, 0), 0);
}

TEST(GridModel, GotoColumnAndRowClampToTheTable)
{
    CTableGridModel grid;
    grid.SetColumnCount(3);
    grid.SetRowCount(3);
    EXPECT_EQ(grid.GotoColumn(10), 0);
    EXPECT_EQ(grid.GetCurrentColumn(), 2);
    EXPECT_EQ(grid.GotoColumn(10), 1); // already at the last one
    EXPECT_EQ(grid.GotoColumn(-5), 0);
    EXPECT_EQ(grid.GetCurrentColumn(), 0);
    EXPECT_EQ(grid.GotoRow(99), 0);
    EXPECT_EQ(grid.GetCurrentRow(), 2);
    EXPECT_EQ(grid.GotoRow(99), 1);
    EXPECT_EQ(grid.GotoCell(3, 0), 1);
    EXPECT_EQ(grid.GotoCell(0, -1), 1);
    EXPECT_EQ(grid.GetCurrentColumn(), 0);
    EXPECT_EQ(grid.GetCurrentRow(), 2);
}

TEST(GridModel, RowsNeededCanGrowTheTable)
{
    class Growing : public CTableGridModel
    {
    public:
        void RowsNeeded(int rowCount, int missing, int) override
        {
            SetRowCount(rowCount + missing, false);
        }
    } grid;
    grid.SetColumnCount(1);
    grid.SetRowCount(2);
    EXPECT_EQ(grid.GotoRow(5), 0);
    EXPECT_EQ(grid.GetRowCount(), 6);
    EXPECT_EQ(grid.GetCurrentRow(), 5);
}

TEST(GridModel, KeyAccelerationSteps)
{
    CTableGridModel grid;
    grid.SetColumnCount(1);
    grid.SetRowCount(200);
    grid.SetKeyAcceleration(2, 0);
    std::vector<int> rows;
    for (int i = 0; i < 6; ++i) {
        grid.OnKeyDown(TableKey::down);
        rows.push_back(grid.GetCurrentRow());
    }
    // Steps 1, 2, 2, 9, 9, 28.
    EXPECT_EQ(rows, (std::vector<int>{1, 3, 5, 14, 23, 51}));
    grid.OnKeyUp(TableKey::down);
    grid.OnKeyDown(TableKey::up);
    EXPECT_EQ(grid.GetCurrentRow(), 50);

    EXPECT_EQ(AcceleratedKeyStep(5, 0), 1);
    EXPECT_FALSE(AcceleratedKeyWaits(1, 2)); // the first press never waits
    EXPECT_TRUE(AcceleratedKeyWaits(2, 3));
    EXPECT_FALSE(AcceleratedKeyWaits(3, 3));
}

TEST(GridModel, HomeEndAndCtrl)
{
    CTableGridModel grid;
    grid.SetColumnCount(5);
    grid.SetRowCount(5);
    grid.GotoCell(2, 2);
    grid.OnKeyDown(TableKey::end);
    EXPECT_EQ(grid.GetCurrentColumn(), 4);
    grid.SetModifierKeys(TableKeyFlags::control);
    grid.OnKeyDown(TableKey::end);
    EXPECT_EQ(grid.GetCurrentRow(), 4);
    grid.OnKeyDown(TableKey::home);
    EXPECT_EQ(grid.GetCurrentRow(), 0);
    grid.SetModifierKeys(0);
    grid.OnKeyDown(TableKey::home);
    EXPECT_EQ(grid.GetCurrentColumn(), 0);
}

TEST(GridModel, KeysStepOverJoinedBlocks)
{
    CTableGridModel grid;
    grid.SetColumnCount(6);
    grid.SetRowCount(3);
    // Columns 1..3 of row 0 are one block.
    for (int c = 1; c <= 3; ++c) {
        CTableCell cell;
        grid.GetCellRaw(c, 0, cell);
        cell.SetJoin(c == 1 ? TableJoin{true, 2, 0} : TableJoin{false, 1 - c, 0});
        grid.SetCell(c, 0, cell);
    }
    grid.OnKeyDown(TableKey::right);
    EXPECT_EQ(grid.GetCurrentColumn(), 1); // into the block: its origin
    grid.OnKeyDown(TableKey::right);
    EXPECT_EQ(grid.GetCurrentColumn(), 4); // past the block
    grid.OnKeyDown(TableKey::left);
    EXPECT_EQ(grid.GetCurrentColumn(), 1); // back to the origin
    EXPECT_EQ(grid.GotoCell(3, 0), 0);
    EXPECT_EQ(grid.GetCurrentColumn(), 1);
    TableRange block;
    ASSERT_TRUE(grid.GetJoinedBlock(2, 0, block));
    EXPECT_EQ(block, (TableRange{1, 0, 3, 0}));
    grid.SetJoining(false);
    EXPECT_FALSE(grid.GetJoinedBlock(2, 0, block));
}

TEST(GridModel, PasteSplitsAtTabsAndLineBreaks)
{
    CTableGridModel grid;
    grid.SetColumnCount(3);
    grid.SetRowCount(3);
    grid.SetCellText(1, 1, "keep");
    EXPECT_EQ(grid.PasteText("a\tb\r\nc"), 0);
    EXPECT_EQ(grid.GetCellText(0, 0), "a");
    EXPECT_EQ(grid.GetCellText(1, 0), "b");
    EXPECT_EQ(grid.GetCellText(0, 1), "c");
    EXPECT_EQ(grid.GetCellText(1, 1), "keep");

    // From (1, 1): fields past the table are skipped; read-only cells are kept; a lone CR
    // or LF breaks a line; an empty field empties its cell; a trailing break adds no row.
    CTableCell locked;
    grid.GetCellRaw(2, 2, locked);
    locked.SetText("locked");
    locked.SetReadOnly(1);
    grid.SetCell(2, 2, locked);
    grid.SetCellText(1, 0, "x");
    grid.GotoCell(1, 1);
    EXPECT_EQ(grid.PasteText("p\tq\tr\rs\tt\n\n"), 0);
    EXPECT_EQ(grid.GetCellText(1, 1), "p");
    EXPECT_EQ(grid.GetCellText(2, 1), "q");
    EXPECT_EQ(grid.GetCellText(1, 2), "s");
    EXPECT_EQ(grid.GetCellText(2, 2), "locked");
    EXPECT_EQ(grid.GetCellText(1, 0), "x");
    grid.GotoCell(0, 0);
    grid.PasteText("\tz");
    EXPECT_EQ(grid.GetCellText(0, 0), "");
    EXPECT_EQ(grid.GetCellText(1, 0), "z");
}

TEST(GridModel, MoveColumnCarriesItsCells)
{
    CTableGridModel grid;
    grid.SetColumnCount(4);
    grid.SetRowCount(2);
    for (int c = 0; c < 4; ++c) {
        grid.SetCellText(c, 0, "c" + std::to_string(c));
        grid.SetColumnWidth(c, 10 + c);
    }
    EXPECT_EQ(grid.MoveColumn(0, 2, true), 0); // before column 2
    EXPECT_EQ(grid.GetCellText(0, 0), "c1");
    EXPECT_EQ(grid.GetCellText(1, 0), "c0");
    EXPECT_EQ(grid.GetCellText(2, 0), "c2");
    EXPECT_EQ(grid.GetColumnWidth(1), 10);
    grid.SetCellText(1, -1, "heading of c0");
    EXPECT_EQ(grid.MoveColumn(3, 0, true), 0);
    EXPECT_EQ(grid.GetCellText(0, 0), "c3");
    EXPECT_EQ(grid.GetCellText(2, -1), "heading of c0"); // headings move with their column
    EXPECT_EQ(grid.GetCellText(3, 0), "c2");
    EXPECT_EQ(grid.MoveColumn(0, 3, false), 0); // after the last
    EXPECT_EQ(grid.GetCellText(3, 0), "c3");
    // Writing after a move goes to the moved column's cells.
    grid.SetCellText(3, 1, "w");
    grid.MoveColumn(3, 0, true);
    EXPECT_EQ(grid.GetCellText(0, 1), "w");
    EXPECT_EQ(grid.MoveColumn(4, 0, true), 1);
    EXPECT_EQ(grid.MoveColumn(0, 5, true), 1);
    EXPECT_EQ(grid.MoveColumn(1, 1, true), 0);
}

TEST(GridModel, FontsAreSharedByDescription)
{
    CTableGridModel grid;
    TableFont arial;
    arial.faceName = "Arial";
    arial.height = -11;
    TableFont bold = arial;
    bold.weight = 600;
    EXPECT_EQ(grid.AddFont(arial), 0);
    EXPECT_EQ(grid.AddFont(bold), 1);
    EXPECT_EQ(grid.AddFont(arial), 0);
    EXPECT_EQ(grid.GetFontUseCount(0), 2);
    TableFont longName = arial;
    longName.faceName = std::string(32, 'x');
    const int i = grid.AddFont(longName);
    EXPECT_EQ(grid.GetFont(i)->faceName, "");
    EXPECT_EQ(grid.SetDefaultFont(nullptr), 1);
    EXPECT_EQ(grid.SetDefaultFont(grid.GetFont(0)), 0);
}

TEST(GridModel, SheetsKeepTheirOwnState)
{
    class Sheets : public CTableGridModel
    {
    public:
        std::vector<int> setUp;
        void SetupSheet(int index) override
        {
            setUp.push_back(index);
            SetColumnCount(index + 1);
        }
    } grid;
    grid.SetColumnCount(2);
    grid.SetRowCount(2);
    grid.SetCellText(0, 0, "first");
    EXPECT_EQ(grid.SetSheetCount(0), 1);
    EXPECT_EQ(grid.SetSheetCount(1025), 1);
    EXPECT_EQ(grid.SetSheetCount(3), 0);
    EXPECT_EQ(grid.setUp, (std::vector<int>{1, 2}));
    EXPECT_EQ(grid.GetColumnCount(), 2); // still sheet 0
    EXPECT_EQ(grid.SelectSheet(2), 0);
    EXPECT_EQ(grid.GetColumnCount(), 3);
    EXPECT_EQ(grid.GetCellText(0, 0), "");
    EXPECT_EQ(grid.SelectSheet(3), 1);
    EXPECT_EQ(grid.SetSheetCount(1), 0);
    EXPECT_EQ(grid.GetCurrentSheet(), 0);
    EXPECT_EQ(grid.GetCellText(0, 0), "first");
}

TEST(GridModel, SortRowsThroughTheHook)
{
    class Reversed : public CTableGridModel
    {
    public:
        int CompareForSort(const CTableCell* a, const CTableCell* b, int flags) override
        {
            return -CTableGridModel::CompareForSort(a, b, flags);
        }
    } grid;
    grid.SetColumnCount(2);
    grid.SetRowCount(3);
    const char* texts[] = {"b", "c", "a"};
    for (int r = 0; r < 3; ++r)
        grid.SetCellText(1, r, texts[r]);
    grid.MoveColumn(1, 0, true); // the key is now displayed first
    EXPECT_EQ(grid.SortRows(0, 2, {0}, 0), 0);
    EXPECT_EQ(grid.GetCellText(0, 0), "c");
    EXPECT_EQ(grid.GetCellText(0, 2), "a");
    EXPECT_EQ(grid.SortRows(0, 2, {5}, 0), 1);
}

TEST(GridModel, BestFitMeasuresSampledRows)
{
    class Sized : public CTableGridModel
    {
    public:
        std::vector<std::pair<int, int>> sized;
        void ColumnSized(int column, int& width) override { sized.push_back({column, width}); }
    } grid;
    grid.RegisterCellType(std::make_unique<MeasuringCellType>());
    grid.SetColumnCount(2);
    grid.SetRowCount(3);
    grid.SetCellText(-1, -1, "Point #");
    grid.SetCellText(0, -1, "Pixel X");
    grid.SetCellText(0, 2, "a much longer text");
    grid.SetCellText(-1, 0, "#1");
    EXPECT_EQ(grid.BestFitColumns(-2, 1, 10, 1), 1);
    EXPECT_EQ(grid.BestFitColumns(0, 2, 10, 1), 2);
    EXPECT_EQ(grid.BestFitColumns(1, 0, 10, 1), 3);

    // Two rows sampled from the heading row: row 2 is not measured.
    EXPECT_EQ(grid.BestFitColumns(-1, 1, 2, 1), 0);
    EXPECT_EQ(grid.GetColumnWidth(0), 7 * 7 + 6 + 2);
    EXPECT_EQ(grid.GetColumnWidth(-1), 7 * 7 + 6 + 2);
    EXPECT_EQ(grid.Sheet().sideHeadingWidth, 57);
    EXPECT_EQ(grid.GetColumnWidth(1), 6 + 2); // empty cells measure 6
    EXPECT_EQ(grid.sized.size(), 3u);

    // Every row, capped at 300 without a client area.
    grid.BestFitColumns(0, 0, 100, 0);
    EXPECT_EQ(grid.GetColumnWidth(0), 18 * 7 + 6 + 2);
    grid.SetCellText(0, 1, std::string(100, 'w'));
    grid.BestFitColumns(0, 0, 100, 0);
    EXPECT_EQ(grid.GetColumnWidth(0), 300);
}

TEST(GridModel, FitColumnsToWindowFillsTheArea)
{
    RecordingGrid grid;
    grid.SetColumnCount(3);
    grid.SetRowCount(2);
    grid.Show(340, 200); // cell area 300 wide
    grid.SetColumnWidth(0, 10);
    grid.SetColumnWidth(1, 20);
    grid.SetColumnWidth(2, 30);
    EXPECT_EQ(grid.FitColumnsToWindow(0, 2), 0);
    EXPECT_EQ(grid.GetColumnWidth(0), 50);
    EXPECT_EQ(grid.GetColumnWidth(1), 100);
    EXPECT_EQ(grid.GetColumnWidth(2), 150);
    grid.SetColumnWidth(0, 0);
    grid.SetColumnWidth(1, 0);
    grid.SetColumnWidth(2, 0);
    EXPECT_EQ(grid.FitColumnsToWindow(0, 2), 0); // no widths: equal shares
    EXPECT_EQ(grid.GetColumnWidth(0), 100);
    EXPECT_EQ(grid.GetColumnWidth(2), 100);
    EXPECT_EQ(grid.FitColumnsToWindow(-1, 2), 1);
    EXPECT_EQ(grid.FitColumnsToWindow(1, 3), 1);
    EXPECT_EQ(grid.Sheet().layout.horizontalBar.Height(), 0);
}

TEST(GridModel, WidthsOfHeadingsAndTheirLimits)
{
    CTableGridModel grid;
    grid.SetColumnCount(1);
    grid.SetRowCount(1);
    EXPECT_EQ(grid.SetColumnWidth(-1, 1025), 2);
    EXPECT_EQ(grid.SetColumnWidth(-1, 60), 0);
    EXPECT_EQ(grid.Sheet().sideHeadingWidth, 60);
    EXPECT_EQ(grid.SetColumnWidth(-2, 10), 1);
    EXPECT_EQ(grid.SetColumnWidth(1, 10), 1);
    EXPECT_EQ(grid.SetColumnWidth(0, -3), 2);
    EXPECT_EQ(grid.SetRowHeight(-1, 30), 0);
    EXPECT_EQ(grid.Sheet().topHeadingHeight, 30);
    EXPECT_EQ(grid.SetTopHeadingRows(2), 0);
    EXPECT_EQ(grid.SetTopHeadingHeight(25), 0); // 30 + 20 scaled to 25
    EXPECT_EQ(grid.GetRowHeight(-1), 15);
    EXPECT_EQ(grid.GetRowHeight(-2), 10);
    EXPECT_EQ(grid.SetTopHeadingHeight(1025), 1);
    EXPECT_EQ(grid.SetCurrentCellStyle(4), 1);
    EXPECT_EQ(grid.SetCurrentCellStyle(2), 0);
}

TEST(GridModel, HintTextDefault)
{
    CTableGridModel grid;
    std::string text;
    EXPECT_EQ(grid.HintText(3, 12, kSectionCells, text), 1);
    EXPECT_EQ(text, "Col:3 Row:12");
}

TEST(GridModel, SizingAndMovingColumnsByDragging)
{
    RecordingGrid grid;
    grid.SetColumnCount(4);
    grid.SetRowCount(2);
    grid.Show(400, 200);
    EXPECT_EQ(grid.ColumnSizingGrip(76), 0);
    EXPECT_EQ(grid.ColumnSizingGrip(73), 0);
    EXPECT_EQ(grid.ColumnSizingGrip(72), -1);
    EXPECT_EQ(grid.ColumnSizingGrip(151), 1);
    grid.SetColumnWidth(2, 0);
    EXPECT_EQ(grid.ColumnSizingGrip(150), 2); // the hidden column takes the grip

    // A drag past the left edge stops at width 0.
    EXPECT_EQ(grid.ColumnSizingStep(0, 75, 75, 10), 0);
    EXPECT_EQ(grid.GetColumnWidth(0), 10);
    EXPECT_EQ(grid.ColumnSizingEnd(0, 75, 75, -40), 0);
    EXPECT_EQ(grid.GetColumnWidth(0), 0);
    EXPECT_EQ(grid.RowSizingEnd(1, 20, 5, -100), 0);
    EXPECT_EQ(grid.GetRowHeight(1), 0);

    for (int c = 0; c < 4; ++c)
        grid.SetCellText(c, 0, "c" + std::to_string(c));
    // Dropped on a column to its right, a column takes that column's place.
    EXPECT_EQ(grid.DropColumn(0, 1), 0);
    EXPECT_EQ(grid.GetCellText(1, 0), "c0");
    EXPECT_EQ(grid.DropColumn(1, 3), 0);
    EXPECT_EQ(grid.GetCellText(3, 0), "c0");
    EXPECT_EQ(grid.DropColumn(3, 0), 0);
    EXPECT_EQ(grid.GetCellText(0, 0), "c0");
    EXPECT_EQ(grid.DropColumn(2, 2), 1);
}

TEST(GridModel, WindowFontAndSystemColours)
{
    CTableGridModel grid;
    TableFont dialog;
    dialog.faceName = "Sans";
    dialog.weight = 400;
    const int index = grid.TakeWindowFont(dialog);
    EXPECT_EQ(grid.Sheet().defaultFont, grid.GetFont(index));
    ASSERT_NE(grid.Sheet().headingDefaultCell.GetFont(), nullptr);
    EXPECT_EQ(grid.Sheet().headingDefaultCell.GetFont()->weight, 600);
    EXPECT_EQ(grid.TakeWindowFont(dialog), index);
    EXPECT_EQ(grid.GetFontUseCount(index), 2);

    const TableColor old = GetTableSystemColor(TableSystemColor::buttonFace);
    SetTableSystemColor(TableSystemColor::buttonFace, 0x102030);
    grid.OnSystemColorsChanged();
    CTableCell heading;
    grid.GetCell(-1, -1, heading);
    EXPECT_EQ(heading.GetBackColor(), 0x102030u);
    SetTableSystemColor(TableSystemColor::buttonFace, old);
}

TEST(GridModel, DraggingNearTheEdgesScrolls)
{
    RecordingGrid grid;
    grid.SetColumnCount(20);
    grid.SetRowCount(50);
    grid.Show(300, 200);
    grid.OnDragOverCellArea({grid.Sheet().areaWidth - 5, 50});
    EXPECT_EQ(grid.GetLeftColumn(), 1);
    grid.OnDragOverCellArea({50, grid.Sheet().areaHeight - 2});
    EXPECT_EQ(grid.GetTopRow(), 1);
    grid.OnDragOverCellArea({3, 3}); // the left edge comes first
    EXPECT_EQ(grid.GetLeftColumn(), 0);
    EXPECT_EQ(grid.GetTopRow(), 1);
}

TEST(GridModel, ContextMenuAndHelp)
{
    class Menu : public CTableGridModel
    {
    public:
        int chosen = 0;
        int refuse = 0;
        int result = 1001;
        std::vector<int> commands;
        int MenuRequested(int, int, int) override { return refuse ? 0 : 1; }
        void MenuCommandChosen(int column, int row, int section, int id) override
        {
            commands = {column, row, section, id};
        }
        int HelpContext(int column, int row, int) override { return 100 * column + row + 1; }

    protected:
        int ViewTrackPopupMenu(TablePoint) override { return result; }
    } grid;
    grid.SetColumnCount(3);
    grid.SetRowCount(3);
    EXPECT_EQ(grid.ShowPopupMenu(1, 2, kSectionCells, {5, 5}), 1);
    grid.EnablePopupMenu(true);
    EXPECT_EQ(grid.ShowPopupMenu(1, 2, kSectionCells, {5, 5}), 0);
    EXPECT_EQ(grid.commands, (std::vector<int>{1, 2, kSectionCells, 1001}));
    grid.commands.clear();
    grid.result = 999; // below 1000: an ordinary command, not the hook's
    EXPECT_EQ(grid.ShowPopupMenu(1, 2, kSectionCells, {5, 5}), 0);
    EXPECT_TRUE(grid.commands.empty());
    grid.result = -1;
    EXPECT_EQ(grid.ShowPopupMenu(1, 2, kSectionCells, {5, 5}), 3);
    grid.refuse = 1;
    EXPECT_EQ(grid.ShowPopupMenu(1, 2, kSectionCells, {5, 5}), 2);

    grid.GotoCell(2, 1);
    EXPECT_EQ(grid.GetHelpContext(true, {-50, -50}), 202);
    EXPECT_EQ(grid.GetHelpContext(false, {-50, -50}), 0); // no cell under the point
}

TEST(GridModel, BlockSelectionFollowsTheKeyStateMode)
{
    RecordingGrid grid;
    grid.SetColumnCount(5);
    grid.SetRowCount(5);
    grid.SetBlockSelection(true);
    grid.Show(500, 300);
    grid.GotoCell(1, 1);
    // Shift+arrows move only the drag cell; the current cell stays at the anchor.
    grid.SetModifierKeys(TableKeyFlags::shift);
    grid.OnKeyDown(TableKey::right);
    grid.OnKeyDown(TableKey::down);
    EXPECT_EQ(grid.GetCurrentColumn(), 1);
    EXPECT_EQ(grid.GetCurrentRow(), 1);
    EXPECT_EQ(grid.GetDragColumn(), 2);
    EXPECT_EQ(grid.GetDragRow(), 2);
    int value = -1;
    bool current = false;
    grid.GetCellPaintState(2, 2, value, current);
    EXPECT_EQ(value, 1);
    EXPECT_FALSE(current);
    grid.GetCellPaintState(1, 1, value, current);
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(current);
    grid.GetCellPaintState(3, 3, value, current);
    EXPECT_EQ(value, 0);

    // A click and a Ctrl+click give two blocks; a plain click clears both.
    grid.SetModifierKeys(0);
    TableRect r;
    grid.GetCellRect(4, 4, r);
    grid.OnCellAreaButtonDown(false, {r.left + 1, r.top + 1}, TableKeyFlags::control);
    grid.OnCellAreaButtonUp(false, {r.left + 1, r.top + 1}, 0);
    EXPECT_EQ(grid.Sheet().selection->GetBlockCount(), 2);
    grid.GetCellPaintState(2, 2, value, current);
    EXPECT_EQ(value, 1);
    grid.GetCellRect(0, 0, r);
    grid.OnCellAreaButtonDown(false, {r.left + 1, r.top + 1}, 0);
    grid.OnCellAreaButtonUp(false, {r.left + 1, r.top + 1}, 0);
    EXPECT_EQ(grid.Sheet().selection->GetBlockCount(), 1);
    grid.GetCellPaintState(2, 2, value, current);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(grid.GetCurrentColumn(), 0);

    // Opening an editor collapses the selection to the current cell.
    grid.SetModifierKeys(TableKeyFlags::shift);
    grid.OnKeyDown(TableKey::right);
    grid.SetModifierKeys(0);
    EXPECT_EQ(grid.StartEdit(), 0);
    EXPECT_EQ(grid.Sheet().selection->GetBlockCount(), 0);
    EXPECT_EQ(grid.GetDragColumn(), 0);
}
