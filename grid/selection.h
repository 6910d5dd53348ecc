// The blocks of selected cells of a sheet, kept in the order they were started, and the
// rules by which moves of the current cell feed them.
#pragma once

#include "grid/table_types.h"

#include <climits>
#include <functional>
#include <vector>

struct TableSelectionBlock
{
    int anchorColumn = 0;
    int anchorRow = 0;
    int farColumn = 0;
    int farRow = 0;
    TableRange bounds; // normalised
    bool selected = true;
};

// Told about changes of a selection.
class TableSelectionListener
{
public:
    virtual ~TableSelectionListener() = default;
    // A block started or changed: its bounds and the number of blocks.
    virtual void SelectionChanged(const TableRange& bounds, int blockCount) = 0;
    // These cells look different now and must be repainted.
    virtual void SelectionRedraw(const TableRange& cells) = 0;
};

class CTableSelection
{
public:
    // Mode bits.
    static constexpr int kRowSelection = 0x2;       // every block spans all columns
    static constexpr int kFirstBlockDecides = 0x10; // the first containing block decides
    // The right edge of blocks that span all columns.
    static constexpr int kAllColumns = INT_MAX;

    void SetListener(TableSelectionListener* listener) { m_listener = listener; }
    void SetMode(int mode) { m_mode = mode; }
    int GetMode() const { return m_mode; }

    // Empties the list (nothing is repainted).
    void Clear();
    // Appends a 1 x 1 block at the cell, makes it current and reports the change.
    void StartBlock(int column, int row, bool selected = true);
    // Moves the far corner of the current block (starting one when there is none), reports
    // the change and repaints the strips that changed.
    void ExtendBlock(int column, int row);
    // Flips an existing 1 x 1 block at the cell, or starts one with the opposite of the
    // cell's present state.
    void Toggle(int column, int row);

    // Whether the cell is selected: the flag of the last block that contains it (the first
    // with kFirstBlockDecides); blockIndex receives that block's index, or -1.
    bool IsSelected(int column, int row, int* blockIndex = nullptr) const;
    // Whether any selected block covers part of the column or row.
    bool IsColumnSelected(int column) const;
    bool IsRowSelected(int row) const;
    // The range covering every block; false when there is none.
    bool GetBoundingRange(TableRange& range) const;
    // Calls visit for every selected cell within the given column and row counts.
    void ForEachSelected(int columnCount, int rowCount,
                         const std::function<void(int column, int row)>& visit) const;

    int GetBlockCount() const { return int(m_blocks.size()); }
    const TableSelectionBlock& GetBlock(int index) const { return m_blocks[size_t(index)]; }
    // The anchor of the latest block; false when there is none.
    bool GetAnchor(int& column, int& row) const;

    // Takes a new position of the drag cell. By key-state mode: keyboard (and scroll bar):
    // nothing when the cell is the last one given, Shift extends the current block, otherwise
    // (unless Ctrl is held) the selection is repainted and cleared, and a new block starts.
    // Left button: Ctrl starts a further block, Shift extends, otherwise clear and start.
    // Right button: a selected cell keeps the selection, otherwise clear and start. Mouse
    // drag: the current block is extended when the cell changed.
    void Feed(int column, int row, int keyStateMode, int keyFlags);

private:
    TableRange Normalised(int c1, int r1, int c2, int r2) const;
    void RepaintAll();
    void Redraw(const TableRange& range);

    std::vector<TableSelectionBlock> m_blocks;
    int m_current = -1;
    int m_mode = 0;
    int m_lastColumn = INT_MIN;
    int m_lastRow = INT_MIN;
    TableSelectionListener* m_listener = nullptr;
};
