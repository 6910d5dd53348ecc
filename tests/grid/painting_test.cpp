// The grid's drawing without a window, through a recording device: border styles, the paint
// pass (only what is dirty, joined blocks once, text running into empty neighbours), the cell
// types' decisions (drop-list choices, check-box boxes and states), the placement of lists,
// hints and tracking windows inside the screen, the tab strip, sizing headings, copying.
#include "grid/cell_types.h"
#include "grid/grid_layout.h"
#include "grid/grid_model.h"
#include "grid_test_support.h"

#include <gtest/gtest.h>

using nv::test::RecordingDevice;

namespace {

// A grid with the four cell types that measures with a recording device.
class PaintGrid : public CTableGridModel
{
public:
    RecordingDevice measure;
    std::vector<int> notifications;

    PaintGrid(int columns, int rows)
    {
        RegisterCellType(std::make_unique<CTableNormalCellType>());
        RegisterCellType(std::make_unique<CTableDropListCellType>());
        RegisterCellType(std::make_unique<CTableCheckBoxCellType>());
        RegisterCellType(std::make_unique<CTableSideArrowsCellType>());
        SetColumnCount(columns);
        SetRowCount(rows);
        RunSetup();
        SetClientSize(40 + 75 * columns, 20 + 20 * rows);
    }
    // Paints the whole cell area, or only the cells whose rectangles intersect dirty.
    RecordingDevice Paint(const TableRect* dirty = nullptr, bool focused = false)
    {
        RecordingDevice device;
        PaintCellArea(
            device, [&](const TableRect& r) { return !dirty || !r.Intersected(*dirty).IsEmpty(); },
            focused);
        return device;
    }
    int CellTypeNotify(int, int, int, int message, intptr_t) override
    {
        notifications.push_back(message);
        return 1;
    }

protected:
    TableDevice* ViewMeasuringDevice() override { return &measure; }
};

} // namespace

TEST(Painting, BorderStyles)
{
    using L = TableBorderLine;
    const TableRect r{10, 20, 50, 40};
    struct Row
    {
        const char* name;
        uint32_t style;
        bool gridLines;
        std::vector<L> lines;
        TableRect inner;
    } rows[] = {
        {"grid lines at the right and bottom",
         0,
         true,
         {{49, 20, 49, 39, L::grid}, {10, 39, 49, 39, L::grid}},
         {10, 20, 49, 39}},
        {"raised shows no grid lines",
         TableBorder::raised,
         true,
         {{10, 20, 49, 20, L::highlight},
          {10, 20, 10, 39, L::highlight},
          {10, 39, 49, 39, L::shadow},
          {49, 20, 49, 39, L::shadow}},
         {11, 21, 49, 39}},
        {"an explicit thin right line takes the cell's pen",
         TableBorder::right1,
         true,
         {{10, 39, 49, 39, L::grid}, {49, 20, 49, 39, L::cell}},
         {10, 20, 49, 39}},
        {"a double left line without grid lines",
         TableBorder::left2,
         false,
         {{10, 20, 10, 39, L::cell}, {11, 20, 11, 39, L::cell}},
         {12, 20, 50, 40}},
        {"nothing at all", 0, false, {}, r},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const TableBorderPlan plan = PlanBorder(r, row.style, row.gridLines);
        EXPECT_EQ(plan.lines, row.lines);
        EXPECT_EQ(plan.inner, row.inner);
    }
}

TEST(Painting, OnlyDirtyCellsAndJoinedBlocksOnce)
{
    PaintGrid grid(4, 5);
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 5; ++r)
            grid.SetCellText(c, r, "c" + std::to_string(c) + "r" + std::to_string(r));
    RecordingDevice all = grid.Paint();
    EXPECT_EQ(grid.GetLastPaintedCellCount(), 20);

    TableRect two;
    grid.GetRangeRect({1, 1, 2, 1}, two);
    two = {two.left + 1, two.top + 1, two.right - 1, two.bottom - 1};
    grid.Paint(&two);
    EXPECT_EQ(grid.GetLastPaintedCellCount(), 2);

    // A block of 2 x 2 is painted once, in its whole rectangle, with the origin's text.
    CTableCell cell;
    for (int c = 1; c <= 2; ++c)
        for (int r = 2; r <= 3; ++r) {
            grid.GetCellRaw(c, r, cell);
            cell.SetJoin(c == 1 && r == 2 ? TableJoin{true, 1, 1} : TableJoin{false, 1 - c, 2 - r});
            grid.SetCell(c, r, cell);
        }
    const RecordingDevice joined = grid.Paint();
    EXPECT_EQ(grid.GetLastPaintedCellCount(), 20 - 3);
    const std::vector<std::string> texts = joined.Texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "c1r2"), 1);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "c2r3"), 0);
    TableRect block;
    grid.GetRangeRect({1, 2, 2, 3}, block);
    for (const auto& t : joined.texts) {
        if (t.text == "c1r2") {
            EXPECT_EQ(t.clip,
                      (TableRect{block.left, block.top, block.right - 1, block.bottom - 1}));
        }
    }
}

TEST(Painting, FocusFrameOnlyWhenFocusedAndNotEditing)
{
    PaintGrid grid(3, 3);
    grid.GotoCell(1, 1);
    EXPECT_TRUE(grid.Paint(nullptr, false).focusRects.empty());
    const RecordingDevice focused = grid.Paint(nullptr, true);
    ASSERT_EQ(focused.focusRects.size(), 1u);
    TableRect cell;
    grid.GetCellRect(1, 1, cell);
    EXPECT_EQ(focused.focusRects[0],
              (TableRect{cell.left, cell.top, cell.right - 1, cell.bottom - 1}));
    grid.StartEdit();
    EXPECT_TRUE(grid.Paint(nullptr, true).focusRects.empty());
}

TEST(Painting, TextRunsIntoEmptyCellsUpToTheNextText)
{
    PaintGrid grid(4, 1);
    for (int c = 0; c < 4; ++c)
        grid.GetColumnDefaultCell(c)->SetAlignment(TableAlign::left);
    grid.SetCellText(0, 0, std::string(30, 'x')); // 210 pixels in a 75-pixel column
    grid.SetCellText(2, 0, "stop");
    const RecordingDevice device = grid.Paint();
    std::vector<RecordingDevice::TextCall> runs;
    for (const auto& t : device.texts)
        if (t.text == std::string(30, 'x'))
            runs.push_back(t);
    // Drawn in its own cell and again, shifted left by one column, in the empty neighbour;
    // the cell with text after it shows only its own.
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[1].clip.left, 75);
    EXPECT_EQ(runs[1].rect.left, runs[0].rect.left);
    const std::vector<std::string> drawn = device.Texts();
    EXPECT_EQ(std::count(drawn.begin(), drawn.end(), "stop"), 1);

    // A cell that is not left-aligned takes none of it.
    grid.GetColumnDefaultCell(1)->SetAlignment(TableAlign::right);
    const std::vector<std::string> texts = grid.Paint().Texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), std::string(30, 'x')), 1);
}

TEST(CellTypes, DropListChoicesAreTheLabelsLines)
{
    struct Row
    {
        const char* label;
        std::vector<std::string> choices;
    } rows[] = {
        {"Red\nGreen\nBlue", {"Red", "Green"}},
        {"a\r\nb\n", {"a", "b"}},
        {"\n\n", {"", ""}},
        {"", {}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(CTableDropListCellType::Choices(row.label), row.choices) << row.label;
}

TEST(CellTypes, ChoosingFromADropListAsksThenStores)
{
    PaintGrid grid(2, 2);
    CTableCell cell;
    cell.SetCellType(1);
    cell.SetLabel("Red\nGreen\n");
    grid.SetCell(0, 1, cell);
    auto* type = dynamic_cast<CTableDropListCellType*>(grid.GetCellTypeObject(1));
    // Without a window there is no list to show.
    EXPECT_EQ(type->OpenList(0, 1), 0);
    EXPECT_EQ(grid.notifications, std::vector<int>{100});
    // A read-only cell does not open at all.
    grid.GetCellRaw(0, 1, cell);
    cell.SetReadOnly(1);
    grid.SetCell(0, 1, cell);
    grid.notifications.clear();
    EXPECT_EQ(type->OpenList(0, 1), 0);
    EXPECT_TRUE(grid.notifications.empty());
}

TEST(CellTypes, CheckBoxBoxAndStates)
{
    struct Row
    {
        const char* name;
        TableRect cell;
        int32_t style;
        uint32_t alignment;
        TableRect box;
    } rows[] = {
        {"centred vertically at the left", {0, 0, 60, 20}, -1, 1, {3, 4, 15, 16}},
        {"smaller in a low cell", {0, 0, 60, 14}, -1, 1, {3, 3, 11, 11}},
        {"none in a cell 10 high", {0, 0, 60, 10}, -1, 1, {}},
        {"by alignment: centred",
         {0, 0, 60, 20},
         TableCellStyle::boxByAlignment,
         4,
         {24, 4, 36, 16}},
        {"by alignment: right, top",
         {0, 0, 60, 20},
         TableCellStyle::boxByAlignment,
         2 | 8,
         {42, 3, 54, 15}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(CTableCheckBoxCellType::BoxRect(row.cell, row.style, row.alignment), row.box)
            << row.name;
    EXPECT_EQ(CTableCheckBoxCellType::NextState(0, false), 1);
    EXPECT_EQ(CTableCheckBoxCellType::NextState(1, false), 0);
    EXPECT_EQ(CTableCheckBoxCellType::NextState(2, false), 1);
    EXPECT_EQ(CTableCheckBoxCellType::NextState(1, true), 2);
    EXPECT_EQ(CTableCheckBoxCellType::NextState(2, true), 0);

    // Indeterminate boxes are filled with the checker; a 10-pixel cell draws no box at all.
    PaintGrid grid(1, 2);
    CTableCell cell;
    cell.SetCellType(2);
    cell.SetExtendedStyle(TableCellStyle::triState);
    cell.SetNumber(2);
    grid.SetCell(0, 0, cell);
    EXPECT_EQ(grid.Paint().checkers, 1);
    grid.SetRowHeight(0, 10);
    EXPECT_EQ(grid.Paint().checkers, 0);
}

TEST(CellTypes, BestSizes)
{
    PaintGrid grid(4, 1);
    CTableCell cell;
    cell.SetText("abcd"); // 28 pixels of text
    TableSize size{75, 20};
    grid.GetCellTypeObject(0)->BestSize(&grid.measure, size, cell);
    EXPECT_EQ(size, (TableSize{28 + 6, 14 + 2}));
    size = {75, 20};
    grid.GetCellTypeObject(1)->BestSize(&grid.measure, size, cell);
    EXPECT_EQ(size.cx, 28 + 6 + grid.Sheet().verticalBarWidth);
    cell.SetLabel("on");
    size = {75, 20};
    grid.GetCellTypeObject(2)->BestSize(&grid.measure, size, cell);
    EXPECT_EQ(size, (TableSize{14 + 6 + 18, 14 + 2}));
    cell.SetExtendedStyle(TableCellStyle::arrowsLeft);
    grid.GetCellTypeObject(3)->BestSize(&grid.measure, size, cell);
    EXPECT_EQ(size.cx, 14);
    // Fitting columns uses them, the heading row counted among the rows sampled.
    grid.SetCellText(0, 0, std::string(20, 'w'));
    grid.SetCellText(0, -1, "x");
    EXPECT_EQ(grid.BestFitColumns(0, 0, 1, 1), 0);
    EXPECT_EQ(grid.GetColumnWidth(0), 7 + 6 + 2);
    EXPECT_EQ(grid.BestFitColumns(0, 0, 2, 1), 0);
    EXPECT_EQ(grid.GetColumnWidth(0), 140 + 6 + 2);
}

TEST(Placement, ListsHintsAndTrackingWindowsStayOnTheScreen)
{
    const TableRect screen{0, 0, 800, 600};
    struct Row
    {
        const char* name;
        TableRect got;
        TableRect want;
    } rows[] = {
        {"list under the cell",
         PlaceDropList({100, 100, 200, 120}, 3, 15, screen),
         {110, 120, 210, 171}},
        {"list of many items shows 15",
         PlaceDropList({100, 100, 200, 120}, 40, 15, screen),
         {110, 120, 210, 351}},
        {"list above a cell at the bottom",
         PlaceDropList({100, 560, 200, 580}, 3, 15, screen),
         {110, 509, 210, 560}},
        {"list pushed left at the right edge",
         PlaceDropList({750, 100, 850, 120}, 3, 15, screen),
         {700, 120, 800, 171}},
        {"hint pushed inside", KeepInside({780, 590, 880, 610}, screen), {700, 580, 800, 600}},
        {"larger than the screen keeps its corner",
         KeepInside({-50, -50, 900, 700}, screen),
         {0, 0, 950, 750}},
        {"tracking window clear of the cell",
         MoveClearOf({90, 90, 300, 200}, {100, 100, 180, 120}, screen),
         {90, 120, 300, 230}},
        {"tracking window above a low cell",
         MoveClearOf({90, 500, 300, 590}, {100, 550, 180, 570}, screen),
         {90, 460, 300, 550}},
        {"tracking window not in the way",
         MoveClearOf({400, 0, 500, 50}, {0, 0, 10, 10}, screen),
         {400, 0, 500, 50}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.got, row.want) << row.name;
}

TEST(TabStrip, HitsSelectsAndScrolls)
{
    TableTabStrip strip;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(strip.AddTab("t" + std::to_string(i), 10 + i, 50), i);
    const int arrow = 16;
    EXPECT_EQ(strip.HitTest(5, arrow), TableTabStrip::kLeftArrow);
    EXPECT_EQ(strip.HitTest(20, arrow), TableTabStrip::kRightArrow);
    EXPECT_EQ(strip.HitTest(32, arrow), 0);
    EXPECT_EQ(strip.HitTest(32 + 120, arrow), 2);
    EXPECT_EQ(strip.HitTest(32 + 250, arrow), TableTabStrip::kNone);
    // A strip with room for two tabs scrolls the fourth into view.
    ASSERT_TRUE(strip.Select(3, 2 * arrow + 100, arrow));
    EXPECT_EQ(strip.GetCurrent(), 3);
    EXPECT_EQ(strip.GetOffset(), 100);
    EXPECT_EQ(strip.HitTest(32 + 60, arrow), 3);
    strip.ScrollTabs(-5);
    EXPECT_EQ(strip.GetOffset(), 0);
    strip.ScrollTabs(2);
    EXPECT_EQ(strip.GetOffset(), 100);
    EXPECT_EQ(strip.FindId(14), 4);
    for (int i = 5; i < TableTabStrip::kMaxTabs; ++i)
        strip.AddTab("more", i, 10);
    EXPECT_EQ(strip.AddTab("one too many", 99, 10), -1);
}

TEST(Sizing, HeadingsAndRowsByDragging)
{
    struct Grid : PaintGrid
    {
        Grid() : PaintGrid(3, 5) {}
        int limit = 1024;
        int TopHeadingSizing(int& height) override { return height <= limit ? 1 : 0; }
    } grid;
    grid.SetTopHeadingRows(2); // rows -2 and -1, 20 each
    ASSERT_EQ(grid.Sheet().topHeadingHeight, 40);
    EXPECT_EQ(grid.HeadingRowGrip(19), -2);
    EXPECT_EQ(grid.HeadingRowGrip(40), -1);
    EXPECT_EQ(grid.HeadingRowGrip(30), 0);
    EXPECT_EQ(grid.HeadingRowSizingStep(-2, 20, 20, 35), 0);
    EXPECT_EQ(grid.GetRowHeight(-2), 35);
    EXPECT_EQ(grid.Sheet().topHeadingHeight, 55);
    EXPECT_EQ(grid.HeadingRowSizingStep(-2, 20, 20, -100), 0); // not below 0
    EXPECT_EQ(grid.GetRowHeight(-2), 0);
    EXPECT_EQ(grid.Sheet().topHeadingHeight, 20);
    grid.limit = 30;
    EXPECT_EQ(grid.HeadingRowSizingStep(-1, 20, 0, 50), 2); // refused by the hook
    EXPECT_EQ(grid.GetRowHeight(-1), 20);

    EXPECT_EQ(grid.CornerGrip(grid.Sheet().sideHeadingWidth - 2, 5), 1);
    EXPECT_EQ(grid.CornerSizingStep(1, 70), 0);
    EXPECT_EQ(grid.Sheet().sideHeadingWidth, 70);

    // Row edges in the side heading; a hidden row takes the grip of the edge above it.
    EXPECT_EQ(grid.RowSizingGrip(20), 0);
    grid.SetRowHeight(1, 0);
    EXPECT_EQ(grid.RowSizingGrip(20), 1);
    EXPECT_EQ(grid.RowSizingStep(1, 0, 20, 45), 0);
    EXPECT_EQ(grid.GetRowHeight(1), 25);
}

TEST(Copying, SelectionAsTabsAndLines)
{
    PaintGrid grid(3, 3);
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r)
            grid.SetCellText(c, r, std::string(1, char('a' + c)) + std::to_string(r));
    grid.GotoCell(1, 1);
    EXPECT_EQ(grid.CopyText(), "b1");
    grid.SetBlockSelection(true);
    grid.SelectRange(0, 1, 1, 2);
    EXPECT_EQ(grid.CopyText(), "a1\tb1\na2\tb2");
    // What is copied pastes back the same way.
    grid.GotoCell(1, 0);
    grid.PasteText("x\ty\nz\tw");
    EXPECT_EQ(grid.GetCellText(2, 0), "y");
    EXPECT_EQ(grid.GetCellText(1, 1), "z");
}
