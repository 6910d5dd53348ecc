// What the grid model asks of a cell type: its switches, the measuring of a cell for column
// fitting, and the reactions to keys, clicks, cursor changes and sizing that come before the
// grid's own hooks. The drawing layer derives its cell types from this and adds the painting.
// Every default does nothing and reports "not processed" (0).
#pragma once

#include "grid/table_types.h"

#include <array>
#include <cstdint>
#include <string>

class CTableCell;
class CTableGridModel;

class TableCellTypeBase
{
public:
    virtual ~TableCellTypeBase() = default;

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
    // and leaves as the size the cell's content needs. The default keeps it.
    virtual void BestSize(TableSize& size, CTableCell& cell);
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
