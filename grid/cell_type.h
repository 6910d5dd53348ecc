// What the grid asks of a cell type: drawing a cell through a TableDevice, measuring it for
// column fitting, and the reactions to keys, clicks, cursor changes and sizing that come before
// the grid's own hooks. Every default here draws nothing, does nothing and reports "not
// processed" (0); the grid's own types (cell_types.h) fill them in.
#pragma once

#include "grid/table_types.h"

#include <array>
#include <cstdint>
#include <string>

class CTableCell;
class CTableGridModel;

class TableDevice;
class TableBitmap;

// The owner of an open drop-down list: the window showing the list reports the user's choice,
// or that the list closed without one.
class TableDropListOwner
{
public:
    virtual ~TableDropListOwner() = default;
    virtual void DropListChosen(int index) = 0;
    virtual void DropListClosed() = 0;
};

class TableCellTypeBase
{
public:
    virtual ~TableCellTypeBase() = default;

    // ---- Drawing. selection is 0, or the index + 1 of the selection block that selects the
    // cell; current is set for the current cell.
    // Draws bitmap scaled to the height of rect at its left; returns the width used.
    virtual int DrawBitmap(TableDevice* device, const TableBitmap& bitmap, const TableRect& rect,
                           TableColor backColor);
    // Draws the cell's border in rect; inner receives what is left inside it.
    virtual void DrawBorder(TableDevice* device, const TableRect& rect, TableRect& inner,
                            CTableCell& cell);
    // Draws the background and the text (or label) of the cell in rect, shifted left by
    // overflowOffset when it continues text from a cell further left.
    virtual void DrawText(TableDevice* device, const TableRect& rect, int overflowOffset,
                          int column, int row, CTableCell& cell, int selection, bool current);
    virtual void DrawBackground(TableDevice* device, const TableRect& rect, TableColor color);
    // Whether text from a cell to the left runs into the empty cell (column, row): offset
    // receives the (negative) distance from that cell's left edge, source that cell.
    virtual bool OverflowSource(TableDevice* device, int column, int row, int& offset,
                                int& sourceColumn, CTableCell& source);
    // Draws the whole cell.
    virtual void Draw(TableDevice* device, const TableRect& rect, int column, int row,
                      CTableCell& cell, int selection, bool current);
    virtual void DrawForPrinting(TableDevice* device, const TableRect& rect, int column, int row,
                                 CTableCell& cell);
    // Draws with the font scaled by the height of rect over the height of the cell's rows.
    virtual void DrawScaled(TableDevice* device, const TableRect& rect, int column, int row,
                            CTableCell& cell);

    virtual std::string GetName() const { return "Normal Cell Type (default)"; }
    virtual std::array<uint8_t, 16> GetIdentifier() const;

    // The editor is about to open on rect (in the section's coordinates); a type may narrow it.
    virtual int EditingStarts(TableRect& rect);
    virtual int Click(int column, int row, bool down, const TableRect& rect, TablePoint point);
    virtual int RightClick(int column, int row, bool down, const TableRect& rect, TablePoint point);
    virtual int DoubleClick(int column, int row, const TableRect& rect, TablePoint point);
    virtual int KeyDown(int column, int row, int& key);
    virtual int KeyUp(int column, int row, int& key);
    virtual int Character(int column, int row, int& ch);
    virtual int MouseMove(int column, int row, TablePoint point, int keyFlags);
    // 1 when the type drew the focus frame itself.
    virtual int DrawFocusFrame(TableDevice* device, const TableRect& rect, int column, int row);
    virtual void GotCursor(int column, int row, CTableCell& cell);
    virtual void LostCursor(int column, int row, CTableCell& cell);
    virtual void ColumnWidthSet(int column, int row, int& width);
    virtual void ColumnSizing(int column, int row, int& width);
    virtual void RowHeightSet(int column, int row, int& height);
    virtual void RowSizing(int column, int row, int& height);
    // Measures the cell: size comes in as the cell's present size (column width, row height)
    // and leaves as the size the cell's content needs. The default keeps it; so do the types
    // when there is no device to measure with.
    virtual void BestSize(TableDevice* device, TableSize& size, CTableCell& cell);
    virtual void ScrolledIntoView(int column, int row, CTableCell& cell);
    virtual int SystemColorsChanged();
    // Forwards to the grid's cell-type notification hook; non-zero allows.
    virtual int Notify(int typeIndex, int column, int row, int message, intptr_t param);

    int m_index = -1; // in the grid's list, set when registered
    CTableGridModel* m_grid = nullptr;
    bool m_editable = true; // the in-place editor may open on its cells
    bool m_overflow = true; // left-aligned text may run into empty cells to the right
    bool m_drawLabel = false;
    double m_printScale = 1.0;
};
