// The default data source: cells kept in memory as a doubly linked list of rows, each a doubly
// linked list of cells. Indexes are relative: the first node ever created is index 0, and
// nodes for smaller (heading) indexes are linked before it, so both lists grow in either
// direction. Two cursors (the current row and the current cell in it) remember the last
// position; every access walks from there, so reading a row cell by cell or a column row by
// row costs one step per cell, and random access costs the distance from the cursor. The row
// that the cursor last left by a long walk and the first row are kept too, and a walk starts
// from whichever is nearest: going back and forth between two places (locked rows at the top
// and the rows shown further down) costs the distance within each place, not between them.
#pragma once

#include "grid/data_source.h"
#include "grid/table_cell.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The grid's default sort order of two cells (either may be null when absent): an absent
// cell sorts after a present one; with TableSortFlag::descending the two are swapped; numbers,
// plain numerics and currency compare their values, other cells their texts byte by byte, a
// cell without text first.
int CompareCellsForSort(const CTableCell* a, const CTableCell* b, int flags);

// True when cellText matches text under the TableFindFlag bits anywhere and ignoreCase.
bool CellTextMatches(const std::string& cellText, const std::string& text, int flags);

class CTableMemoryData : public CTableDataSource
{
public:
    CTableMemoryData();
    ~CTableMemoryData() override;
    CTableMemoryData(const CTableMemoryData&) = delete;
    CTableMemoryData& operator=(const CTableMemoryData&) = delete;

    // Walks to the row, then the column; copies the stored cell's set properties into cell
    // (0). 1, with cell unchanged, when the row, the column or the stored cell is missing.
    int ReadCell(int column, int row, CTableCell& cell) override;
    // Creates the row and cell nodes on the way (in either direction); the stored cell takes
    // cell's flag word and every property set in it. Returns 0.
    int WriteCell(int column, int row, const CTableCell& cell) override;
    // Frees one stored cell and keeps its node: 0, or 1 when there is none.
    int DeleteCell(int column, int row) override;
    // Links a new empty row before row (1 when row does not exist).
    int InsertRow(int row) override;
    // Frees the row's cells and node; the rows after it move up (1 when it does not exist).
    int DeleteRow(int row) override;
    // Links an empty cell before the given column in every row that reaches it. The column is
    // first looked up among the grid's displayed columns; when one of them shows it, that
    // column's display index is the position used. The grid's columns of this source at or
    // after the position then move one to the right. Returns 0.
    int InsertColumn(int column) override;
    // Unlinks and frees the cell at column in every row; the grid's columns of this source at
    // or after it move one to the left. Returns 0.
    int DeleteColumn(int column) override;
    int Empty() override;
    // Walks to the last row and returns its index (-1 when empty).
    int GetLastRow() override;
    int NearestTextLeft(int column, int row) override;

    // Searches from one step past (column, row), wrapping at the ends of rows and columns of
    // the grid, until every cell has been visited once (the start cell last). Empty cells never
    // match. 0 found, 1 not found.
    int FindNext(const std::string& text, int& column, int& row, int flags) override;
    // The same search from before the first cell (column -1 of row 0 along rows, row -1 of
    // column 0 down columns).
    int FindFirst(const std::string& text, int& column, int& row, int flags) override;
    // A stable insertion sort of rows first..last by the key columns, compared through the
    // host's CompareForSort; the insertion point is looked for in jumps of 100 rows from a
    // reference row that follows the middle of the inserted rows. 1 when first >= last or the
    // range does not exist. The cursors end at row 0.
    int Sort(int firstRow, int lastRow, const std::vector<int>& keyColumns, int flags) override;
    int SortAll(const std::vector<int>& keyColumns, int flags) override;

    // Where the cursors stand (for callers that want to know what an access costs).
    int CursorRow() const { return m_rowIndex; }
    int CursorColumn() const { return m_cellIndex; }
    // Nodes walked since construction.
    uint64_t StepCount() const { return m_steps; }

private:
    struct CellNode;
    struct RowNode;

    RowNode* WalkToRow(int row, bool create);
    CellNode* WalkToColumn(int column, bool create);
    void SetRowCursor(RowNode* node, int index);
    RowNode* FirstRowNode() const;
    RowNode* Head();
    static void FreeRow(RowNode* row);
    static CellNode* NodeAt(RowNode* row, int column);
    int Compare(const RowNode* a, const RowNode* b, int flags);
    bool MatchAt(int column, int row, const std::string& text, int flags);
    int Search(const std::string& text, int& column, int& row, int flags);

    RowNode* m_row = nullptr; // row cursor
    int m_rowIndex = 0;
    RowNode* m_spare = nullptr; // where the row cursor was before its last long walk
    int m_spareIndex = 0;
    RowNode* m_head = nullptr; // the first row, found again after rows were moved
    int m_headIndex = 0;
    CellNode* m_cell = nullptr; // cell cursor, in the cursor's row
    int m_cellIndex = 0;
    uint64_t m_steps = 0;
};
