// The grid's four cell types, registered by the grid's window as indexes 0 to 3: the normal
// type (borders by style bits, background, bitmap, aligned text with ellipsis or word wrap, text
// running into empty neighbours, best size), the drop list, the check box and the side arrows.
// They draw through a TableDevice and reach the grid through the model, so they work and are
// tested without windows; the drop list's window is opened by the model's ShowDropList.
#pragma once

#include "grid/cell_type.h"
#include "grid/table_cell.h"

#include <string>
#include <string_view>
#include <vector>

// Border-style bits.
namespace TableBorder {
constexpr uint32_t left1 = 0x1, top1 = 0x2, right1 = 0x4, bottom1 = 0x8;
constexpr uint32_t left2 = 0x10, top2 = 0x20, right2 = 0x40, bottom2 = 0x80;
constexpr uint32_t left3 = 0x100, top3 = 0x200, right3 = 0x400, bottom3 = 0x800;
constexpr uint32_t sunken = 0x1000; // shadow on top and left, highlight on bottom and right
constexpr uint32_t raised = 0x2000; // highlight on top and left, shadow on bottom and right
} // namespace TableBorder

// Alignment bits.
namespace TableAlign {
constexpr uint32_t left = 0x1;
constexpr uint32_t right = 0x2;
constexpr uint32_t centre = 0x4;
constexpr uint32_t top = 0x8;
constexpr uint32_t bottom = 0x10;
constexpr uint32_t middle = 0x20;
} // namespace TableAlign

// Extended-style bits read by the cell types.
namespace TableCellStyle {
constexpr int32_t wordWrap = 0x2;            // normal: several lines
constexpr int32_t ellipsis = 0x4;            // normal: one line ending in "..."
constexpr int32_t drawLabel = 0x8;           // normal: the label instead of the text
constexpr int32_t arrowRight = 0x10;         // side arrows
constexpr int32_t arrowLeft = 0x20;          // side arrows
constexpr int32_t arrowsRight = 0x40;        // side arrows: two
constexpr int32_t arrowsLeft = 0x80;         // side arrows: two
constexpr int32_t boxSunken = 0x100;         // check box: sunken three-dimensional box
constexpr int32_t boxRaised = 0x200;         // check box: raised box
constexpr int32_t buttonWhenCurrent = 0x200; // drop list: the button only on the current cell
constexpr int32_t boxRound = 0x400;          // check box: round mark
constexpr int32_t boxByAlignment = 0x800;    // check box: placed by the alignment, no label width
constexpr int32_t triState = 0x2000;         // check box: three states
} // namespace TableCellStyle

// What a border style draws in a cell rectangle.
struct TableBorderLine
{
    int x1, y1, x2, y2;
    enum Pen { grid, cell, shadow, highlight } pen;
    bool operator==(const TableBorderLine&) const = default;
};
struct TableBorderPlan
{
    std::vector<TableBorderLine> lines;
    TableRect inner;
};
// The lines of a border style: thin, double and triple lines per side, sunken or raised
// edges, and with grid lines on (and neither sunken nor raised) the right and bottom edges in
// the grid-line pen where the side has no explicit thin line. inner is the rectangle less the
// width drawn on each side.
TableBorderPlan PlanBorder(const TableRect& rect, uint32_t style, bool gridLines);

// The normal type: the default of every cell.
class CTableNormalCellType : public TableCellTypeBase
{
public:
    int DrawBitmap(TableDevice* device, const TableBitmap& bitmap, const TableRect& rect,
                   TableColor backColor) override;
    void DrawBorder(TableDevice* device, const TableRect& rect, TableRect& inner,
                    CTableCell& cell) override;
    void DrawText(TableDevice* device, const TableRect& rect, int overflowOffset, int column,
                  int row, CTableCell& cell, int selection, bool current) override;
    void DrawBackground(TableDevice* device, const TableRect& rect, TableColor color) override;
    bool OverflowSource(TableDevice* device, int column, int row, int& offset, int& sourceColumn,
                        CTableCell& source) override;
    void Draw(TableDevice* device, const TableRect& rect, int column, int row, CTableCell& cell,
              int selection, bool current) override;
    void DrawForPrinting(TableDevice* device, const TableRect& rect, int column, int row,
                         CTableCell& cell) override;
    void DrawScaled(TableDevice* device, const TableRect& rect, int column, int row,
                    CTableCell& cell) override;
    void BestSize(TableDevice* device, TableSize& size, CTableCell& cell) override;

    // Whether the cell's text may run into empty cells to its right: the type and the sheet
    // allow it, the cell has no extended style, is not joined and is left-aligned.
    bool MayOverflow(const CTableCell& cell) const;
    // The text drawn for the cell: its label (draw-label switch or style bit 8), else its text.
    std::string DisplayText(CTableCell& cell) const;

protected:
    // Whether the cell is drawn in the highlight colours (never while the grid is disabled).
    bool Highlighted(int selection, bool current) const;
    // The colour of the cell's text and marks: grey while the grid is disabled.
    TableColor ForeColor(const CTableCell& cell, bool highlighted) const;
    // The width the cell's text needs, margins included.
    int TextWidth(TableDevice* device, CTableCell& cell);
};

// The drop list: a button at the right of the cell opens a list of the choices held in the
// cell's label, one per line (each ended by a line feed). Notifications to the grid's
// cell-type hook: 100 the choices are about to be shown (param: std::vector<std::string>*, which
// the hook may change; 0 cancels), 102 a choice was made (param: its index), 101 its text is
// about to be stored (param: std::string*, which the hook may change; 0 refuses), 103 it was
// stored (param: the index).
class CTableDropListCellType : public CTableNormalCellType, public TableDropListOwner
{
public:
    enum Notification { kShowing = 100, kTextChosen = 101, kIndexChosen = 102, kStored = 103 };

    std::string GetName() const override { return "DropList"; }
    std::array<uint8_t, 16> GetIdentifier() const override;

    // The choices of a label: the text before each line feed (text after the last one is not a
    // choice); a carriage return before the line feed is dropped.
    static std::vector<std::string> Choices(std::string_view label);
    // The button's rectangle in a cell rectangle.
    TableRect ButtonRect(const TableRect& cell) const;

    void Draw(TableDevice* device, const TableRect& rect, int column, int row, CTableCell& cell,
              int selection, bool current) override;
    int EditingStarts(TableRect& rect) override;
    int Click(int column, int row, bool down, const TableRect& rect, TablePoint point) override;
    int DoubleClick(int column, int row, const TableRect& rect, TablePoint point) override;
    int KeyDown(int column, int row, int& key) override;
    int Character(int column, int row, int& ch) override;
    void LostCursor(int column, int row, CTableCell& cell) override;
    void BestSize(TableDevice* device, TableSize& size, CTableCell& cell) override;

    // Opens the list of (column, row) under the cell: 1 shown, 0 not (read-only, no choices
    // window, or refused by notification 100).
    int OpenList(int column, int row);
    void DropListChosen(int index) override;
    void DropListClosed() override;

    // The cell whose list is open: -1 none, -2 after a list closed without a choice.
    int GetOpenColumn() const { return m_openColumn; }
    int GetOpenRow() const { return m_openRow; }

private:
    void EndList(int column, int row);

    int m_openColumn = -1;
    int m_openRow = -1;
    bool m_pressed = false;
    std::vector<std::string> m_choices;
};

// The check box: the cell's number is its state (0 unchecked, 1 checked, 2 indeterminate with
// the tri-state style). A click in the box, a double click in it or a space toggles it; the
// grid's cell-type hook is then told with notification 53 and the new state.
class CTableCheckBoxCellType : public CTableNormalCellType
{
public:
    enum Notification { kToggled = 53 };

    CTableCheckBoxCellType() { m_editable = false; }
    std::string GetName() const override { return "CheckBox"; }
    std::array<uint8_t, 16> GetIdentifier() const override;

    // The state after a toggle.
    static int NextState(int state, bool triState);
    // The box in a cell rectangle; empty when it would be 5 pixels or less.
    static TableRect BoxRect(const TableRect& cell, int32_t style, uint32_t alignment);

    void Draw(TableDevice* device, const TableRect& rect, int column, int row, CTableCell& cell,
              int selection, bool current) override;
    int Click(int column, int row, bool down, const TableRect& rect, TablePoint point) override;
    int DoubleClick(int column, int row, const TableRect& rect, TablePoint point) override;
    int Character(int column, int row, int& ch) override;
    void BestSize(TableDevice* device, TableSize& size, CTableCell& cell) override;

    // Toggles the cell unless it is read-only; returns the new state, or -1.
    int Toggle(int column, int row);
};

// Side arrows: non-editable cells showing one or two arrows pointing left or right.
class CTableSideArrowsCellType : public CTableNormalCellType
{
public:
    CTableSideArrowsCellType() { m_editable = false; }
    std::string GetName() const override { return "Side Arrows"; }
    std::array<uint8_t, 16> GetIdentifier() const override;

    void Draw(TableDevice* device, const TableRect& rect, int column, int row, CTableCell& cell,
              int selection, bool current) override;
    void BestSize(TableDevice* device, TableSize& size, CTableCell& cell) override;
};
