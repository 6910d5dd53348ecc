// Where a grid's cells are stored. A data source answers reads and writes and is told about
// moves and edits; every operation has a default that reports "not supported" (-1) or allows,
// so a source implements only what it needs. Columns are always the source's own column
// indexes, never the columns as displayed.
#pragma once

#include <string>
#include <vector>

class CTableCell;
class CTableDataSource;
class TableEditor;

// What a data source may ask of the grid that uses it.
class TableDataSourceHost
{
public:
    virtual ~TableDataSourceHost() = default;
    // The grid's sort comparison (negative, 0, positive); either cell may be null (absent).
    virtual int CompareForSort(const CTableCell* a, const CTableCell* b, int flags) = 0;
    // The displayed column that shows column sourceColumn of source, or -1.
    virtual int DisplayColumnOf(const CTableDataSource* source, int sourceColumn) const = 0;
    // Adds delta to the source column of every displayed column of source whose source column
    // is at least from.
    virtual void ShiftSourceColumns(const CTableDataSource* source, int from, int delta) = 0;
    // The grid's column and row counts (searching wraps at them).
    virtual int SourceColumnCount() const = 0;
    virtual int SourceRowCount() const = 0;
};

// Flags of a search.
namespace TableFindFlag {
constexpr int anywhere = 1;   // match anywhere in the cell text (otherwise the whole text)
constexpr int ignoreCase = 2; // compare upper-cased
constexpr int backwards = 4;
constexpr int byRows = 8; // along the row first (otherwise down the column first)
} // namespace TableFindFlag

// Flags of a sort.
namespace TableSortFlag {
constexpr int descending = 2;
} // namespace TableSortFlag

class CTableDataSource
{
public:
    virtual ~CTableDataSource() = default;

    void SetHost(TableDataSourceHost* host) { m_host = host; }
    TableDataSourceHost* GetHost() const { return m_host; }

    // Cells.
    // Copies the stored cell's set properties into cell: 0 found, non-zero absent.
    virtual int ReadCell(int column, int row, CTableCell& cell);
    // Stores a copy of cell (its flag word and set properties replace what was stored).
    virtual int WriteCell(int column, int row, const CTableCell& cell);
    virtual int DeleteCell(int column, int row);
    virtual int InsertRow(int row);
    virtual int DeleteRow(int row);
    virtual int InsertColumn(int column);
    virtual int DeleteColumn(int column);
    virtual int Empty();
    // Index of the last row, or -1 when not supported or empty.
    virtual int GetLastRow();
    // The nearest column left of column in row whose cell has text, or -1.
    virtual int NearestTextLeft(int column, int row);

    // Searching and sorting.
    // From (column, row), exclusive, to the next cell whose text matches; 0 found (column and
    // row updated), 1 nothing found.
    virtual int FindNext(const std::string& text, int& column, int& row, int flags);
    // The same search starting before the first cell.
    virtual int FindFirst(const std::string& text, int& column, int& row, int flags);
    // Sorts rows first..last (inclusive) by the key columns in priority order; 1 when the
    // range is empty.
    virtual int Sort(int firstRow, int lastRow, const std::vector<int>& keyColumns, int flags);
    virtual int SortAll(const std::vector<int>& keyColumns, int flags);

    // Notifications from the grid.
    virtual void CurrentColumnChanged(int oldColumn, int newColumn);
    virtual void CurrentRowChanged(int oldRow, int newRow);
    // 1 allows the move.
    virtual int CanMove(int oldColumn, int oldRow, int newColumn, int newRow);
    // The grid needs rows beyond rowCount; supplied receives how many rows the source adds.
    virtual void RowsNeeded(int rowCount, int missingRows, int& supplied);
    // Non-zero allows; the source may hand a different editor.
    virtual int EditStarting(int column, int row, TableEditor*& editor);
    // Non-zero lets the key through; the source may change it.
    virtual int EditorKey(int column, int row, TableEditor* editor, int& key);
    // 1 allows the edit to end.
    virtual int EditEnding(int column, int row, TableEditor* editor, const std::string& text,
                           bool cancelled);
    // 1 allows moving on to the next cell, which the source may change.
    virtual int EditAdvancing(int oldColumn, int oldRow, int& newColumn, int& newRow);

protected:
    TableDataSourceHost* m_host = nullptr;
};
