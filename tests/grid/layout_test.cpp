// Layout arithmetic: component rectangles with and without bars and tabs, maximum top row,
// scroll-bar mapping, the incremental update after a move, rectangles and hit tests, hints.
#include "grid/grid_layout.h"
#include "grid/grid_model.h"
#include "grid_test_support.h"

#include <gtest/gtest.h>

namespace {

TableSheet Sheet(int columns, int rows)
{
    TableSheet s;
    s.columnCount = columns;
    s.columns.resize(size_t(columns));
    s.rowCount = rows;
    s.rowHeights.assign(size_t(rows), 20);
    return s;
}

// Records the updates the model asks the windows for.
class ViewGrid : public nv::test::RecordingGrid
{
public:
    std::vector<TableMoveUpdate> updates;
    TableLayout lastLayout;

protected:
    void ViewUpdateAfterMove(const TableMoveUpdate& u) override { updates.push_back(u); }
    void ViewLayoutChanged(const TableLayout& l) override { lastLayout = l; }
};

} // namespace

TEST(Layout, ColumnsThatFitNeedNoHorizontalBar)
{
    TableSheet s = Sheet(2, 3); // 150 x 60
    const TableLayout l = ComputeLayout(s, 300, 200);
    EXPECT_EQ(l.cells, (TableRect{40, 20, 300, 200}));
    EXPECT_EQ(l.horizontalBar.Height(), 0);
    EXPECT_EQ(l.verticalBar.Width(), 0);
    EXPECT_EQ(l.corner, (TableRect{0, 0, 40, 20}));
    EXPECT_EQ(l.topHeading, (TableRect{40, 0, 300, 20}));
    EXPECT_EQ(l.sideHeading, (TableRect{0, 20, 40, 200}));
}

TEST(Layout, BothBarsWhenNeitherFits)
{
    TableSheet s = Sheet(10, 100);
    const TableLayout l = ComputeLayout(s, 300, 200);
    EXPECT_EQ(l.verticalBar, (TableRect{283, 0, 300, 183}));
    EXPECT_EQ(l.horizontalBar, (TableRect{0, 183, 283, 200}));
    EXPECT_EQ(l.cells, (TableRect{40, 20, 283, 183}));
}

TEST(Layout, VerticalBarAloneCanPushColumnsOut)
{
    // 250 wide columns fit 260 but not 260 - 17: both bars appear.
    TableSheet s = Sheet(1, 100);
    s.columns[0].width = 250;
    const TableLayout l = ComputeLayout(s, 300, 200);
    EXPECT_EQ(l.verticalBar.Width(), 17);
    EXPECT_EQ(l.horizontalBar.Height(), 17);
    EXPECT_EQ(l.cells.bottom, 183);
}

TEST(Layout, TabsShareTheBottomRow)
{
    TableSheet s = Sheet(2, 3);
    s.tabWidth = 100;
    TableLayout l = ComputeLayout(s, 300, 200);
    // The columns fit: the tabs take the whole row.
    EXPECT_EQ(l.tabs, (TableRect{0, 183, 306, 200}));
    EXPECT_EQ(l.cells.bottom, 183);

    s = Sheet(10, 3);
    s.tabWidth = 100;
    l = ComputeLayout(s, 300, 200);
    EXPECT_EQ(l.tabs, (TableRect{0, 183, 100, 200}));
    EXPECT_EQ(l.horizontalBar, (TableRect{100, 183, 300, 200}));

    s.tabWidth = 1000; // limited so that the bar keeps its place
    l = ComputeLayout(s, 300, 200);
    EXPECT_EQ(l.tabs.right, 260);
    EXPECT_EQ(s.tabWidth, 1000); // the sheet keeps its own value
}

TEST(Layout, MaximumTopRowWithLockedAndVaryingRows)
{
    TableSheet s = Sheet(1, 10);
    s.areaHeight = 100;
    EXPECT_EQ(ComputeMaxTopRow(s), 5);
    s.rowHeights[9] = 70;
    EXPECT_EQ(ComputeMaxTopRow(s), 8);
    s.rowHeights[9] = 150; // taller than the area: the last row
    EXPECT_EQ(ComputeMaxTopRow(s), 9);
    s = Sheet(1, 10);
    s.areaHeight = 100;
    s.lockedRows = 2;
    s.lockedHeight = 40;
    EXPECT_EQ(ComputeMaxTopRow(s), 7);
    s.areaHeight = 1000;
    EXPECT_EQ(ComputeMaxTopRow(s), 2); // everything fits
    s = Sheet(1, 0);
    EXPECT_EQ(ComputeMaxTopRow(s), 0);
}

TEST(Layout, ScaledVerticalBarAboveAThousandRows)
{
    ViewGrid grid;
    grid.SetColumnCount(2);
    grid.SetRowCount(5000);
    grid.Show(300, 420); // area 400 high: 20 rows
    const TableSheet& s = grid.Sheet();
    ASSERT_EQ(s.areaHeight, 400);
    ASSERT_EQ(s.maxTopRow, 4980);
    const TableScrollInfo v = VerticalScrollInfo(s);
    EXPECT_TRUE(v.scaled);
    EXPECT_EQ(v.min, 0);
    EXPECT_EQ(v.max, 1000);
    EXPECT_EQ(v.page, 1);
    grid.OnScroll(kSectionVerticalBar, TableScrollAction::thumbPosition, 500);
    EXPECT_EQ(grid.GetTopRow(), 2490);
    EXPECT_EQ(VerticalScrollInfo(s).pos, 500);
    // Thumb tracking follows only when switched on.
    grid.OnScroll(kSectionVerticalBar, TableScrollAction::thumbTrack, 0);
    EXPECT_EQ(grid.GetTopRow(), 2490);
    grid.Sheet().thumbTrackVertical = true;
    grid.OnScroll(kSectionVerticalBar, TableScrollAction::thumbTrack, 0);
    EXPECT_EQ(grid.GetTopRow(), 0);
    grid.OnScroll(kSectionVerticalBar, TableScrollAction::bottom);
    EXPECT_EQ(grid.GetTopRow(), 4980);
    EXPECT_EQ(grid.Sheet().keyStateMode, kKeyStateScrollBar);
}

TEST(Layout, UnscaledBars)
{
    TableSheet s = Sheet(10, 30);
    s.areaHeight = 200;
    s.areaWidth = 300;
    s.maxTopRow = ComputeMaxTopRow(s);
    s.maxLeftColumn = ComputeMaxLeftColumn(s);
    s.topRow = 5;
    EXPECT_EQ(VerticalScrollInfo(s), (TableScrollInfo{0, 29, 10, 5, false}));
    s.leftColumn = 2;
    EXPECT_EQ(s.maxLeftColumn, 6);
    EXPECT_EQ(HorizontalScrollInfo(s), (TableScrollInfo{0, 9, 4, 2, false}));
    EXPECT_EQ(LeftColumnFromThumb(s, 100), 6);
    s.verticalBarArrowsOnly = true;
    EXPECT_EQ(VerticalScrollInfo(s), (TableScrollInfo{0, 2, 0, 1, false}));
}

TEST(Layout, ScrollingOneRowUnderLockedRowsRepaintsOnlyTheUncoveredRow)
{
    ViewGrid grid;
    grid.SetColumnCount(3);
    grid.SetRowCount(100);
    grid.Show(300, 220); // area 200 high
    grid.LockRows(2);
    grid.GotoRow(9); // the last row wholly shown: rows 2..9 under rows 0..1
    ASSERT_EQ(grid.GetTopRow(), 2);
    grid.updates.clear();
    grid.OnKeyDown(TableKey::down);
    ASSERT_EQ(grid.GetTopRow(), 3);
    ASSERT_EQ(grid.updates.size(), 1u);
    const TableMoveUpdate& u = grid.updates[0];
    EXPECT_FALSE(u.wholeArea);
    EXPECT_EQ(u.dx, 0);
    EXPECT_EQ(u.dy, 20);
    EXPECT_EQ(u.scrollRect.top, 40); // the locked rows do not move
    std::vector<TableRange> expected = {{0, 10, 2, 99}, {0, 9, 0, 9}, {0, 10, 0, 10}};
    EXPECT_EQ(u.redraw, expected);

    // A jump of more than a page repaints everything.
    grid.updates.clear();
    grid.GotoRow(80);
    ASSERT_EQ(grid.updates.size(), 1u);
    EXPECT_TRUE(grid.updates[0].wholeArea);
}

TEST(Layout, KeepingTheDragCellInViewHorizontally)
{
    ViewGrid grid;
    grid.SetColumnCount(10);
    grid.SetRowCount(3);
    grid.Show(340, 200); // 300 wide: four columns of 75
    grid.GotoColumn(5);
    EXPECT_EQ(grid.GetLeftColumn(), 2);
    EXPECT_EQ(grid.GetRightColumn(), 6);
    grid.GotoColumn(1);
    EXPECT_EQ(grid.GetLeftColumn(), 1);
    grid.GotoColumn(9);
    EXPECT_EQ(grid.GetLeftColumn(), 6);
    EXPECT_EQ(grid.Sheet().maxLeftColumn, 6);
    EXPECT_EQ(grid.GetRightColumn(), 10);
    grid.MoveLeftColumn(4);
    EXPECT_EQ(grid.GetLeftColumn(), 0);
    EXPECT_EQ(grid.GetCurrentColumn(), 9); // scrolling leaves the cursor
    grid.LockColumns(2);
    EXPECT_EQ(grid.GetLeftColumn(), 2);
    grid.GotoColumn(0);
    EXPECT_EQ(grid.GetLeftColumn(), 2); // a locked column is always shown
}

TEST(Layout, RectanglesAndHitTests)
{
    TableSheet s = Sheet(6, 20);
    s.areaWidth = 300;
    s.areaHeight = 200;
    s.lockedColumns = 1;
    s.lockedWidth = 75;
    s.leftColumn = 3;
    s.topRow = 4;
    TableRect r;
    ASSERT_TRUE(CellAreaRect(s, 3, 5, r));
    EXPECT_EQ(r, (TableRect{75, 20, 150, 40}));
    ASSERT_TRUE(CellAreaRect(s, 0, 4, r));
    EXPECT_EQ(r, (TableRect{0, 0, 75, 20}));
    ASSERT_TRUE(CellAreaRect(s, 2, 4, r)); // scrolled out: left of the locked edge
    EXPECT_EQ(r.right, 75);
    EXPECT_FALSE(CellAreaRect(s, 6, 0, r));
    int c = -1, row = -1;
    ASSERT_TRUE(HitTestCellArea(s, 80, 25, c, row));
    EXPECT_EQ(std::make_pair(c, row), std::make_pair(3, 5));
    ASSERT_TRUE(HitTestCellArea(s, 10, 199, c, row));
    EXPECT_EQ(std::make_pair(c, row), std::make_pair(0, 13));
    ASSERT_TRUE(HitTestCellArea(s, 299, 10, c, row));
    EXPECT_EQ(c, 5);
    s.areaWidth = 400;
    EXPECT_FALSE(HitTestCellArea(s, 350, 10, c, row)); // past the last column
    EXPECT_FALSE(HitTestCellArea(s, -1, 10, c, row));
    ASSERT_TRUE(HeadingRect(s, -1, -1, r));
    EXPECT_EQ(r, (TableRect{0, 0, 25, 20}));
    ASSERT_TRUE(HeadingRect(s, 3, -1, r));
    EXPECT_EQ(r, (TableRect{75, 0, 150, 20}));
    EXPECT_FALSE(HeadingRect(s, 0, 0, r));
}

TEST(Layout, HintsStayInsideTheOwner)
{
    const TableRect client{0, 0, 200, 100};
    EXPECT_EQ(PlaceHint(50, 50, 20, 30, 16, 0, client), (TableRect{50, 50, 84, 66}));
    EXPECT_EQ(PlaceHint(50, 50, 20, 30, 16, TableHintFlag::centreOnX, client),
              (TableRect{33, 50, 67, 66}));
    EXPECT_EQ(PlaceHint(50, 50, 20, 30, 16, TableHintFlag::endAtX | TableHintFlag::aboveY, client),
              (TableRect{16, 34, 50, 50}));
    EXPECT_EQ(PlaceHint(50, 50, 60, 30, 16, TableHintFlag::centreOnY, client),
              (TableRect{50, 42, 110, 58}));
    // Near the right edge the hint moves left; near the bottom it moves up.
    EXPECT_EQ(PlaceHint(190, 95, 20, 30, 16, 0, client), (TableRect{166, 84, 200, 100}));
    // Near the left edge it moves right.
    EXPECT_EQ(PlaceHint(5, 0, 20, 30, 16, TableHintFlag::centreOnX, client).left, 0);
}

TEST(Layout, DragScrollSteps)
{
    EXPECT_EQ(DragScrollStep(5, 0), 1);
    EXPECT_EQ(DragScrollStep(3, 2), 9);
    EXPECT_EQ(DragScrollStep(0, 3), 1);
    EXPECT_EQ(DragScrollStep(1000, 5), 1000000);
}

TEST(Layout, GrowingEditorFollowsColumnAndRowEdges)
{
    TableSheet s = Sheet(4, 10);
    s.areaWidth = 250;
    s.areaHeight = 150;
    const TableRect parent{0, 0, 250, 150};
    const TableRect start{75, 20, 149, 39}; // cell (1, 1) less a pixel
    // Wide text: the editor reaches the right edge of column 2.
    TableRect r = GrowEditorRect(s, start, start, 100, 10, parent);
    EXPECT_EQ(r, (TableRect{75, 20, 225, 39}));
    // Beyond the last visible column: the parent's edge.
    r = GrowEditorRect(s, start, start, 400, 10, parent);
    EXPECT_EQ(r.right, 250);
    // Tall text: down to the bottom of the row under the point.
    r = GrowEditorRect(s, start, start, 10, 30, parent);
    EXPECT_EQ(r, (TableRect{75, 20, 149, 60}));
    // Never smaller than at the start.
    r = GrowEditorRect(s, start, {75, 20, 100, 25}, 1, 1, parent);
    EXPECT_EQ(r, start);
}
