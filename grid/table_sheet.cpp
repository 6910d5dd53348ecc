// Sheet defaults and size look-ups.
#include "grid/table_sheet.h"

TableSheet::TableSheet()
    : defaultSource(std::make_unique<CTableMemoryData>()),
      selection(std::make_unique<CTableSelection>())
{
    columnDefaultCell.SetFlags(0);
    headingDefaultCell.SetFlags(0);
    headingDefaultCell.SetBackColor(GetTableSystemColor(TableSystemColor::buttonFace));
    headingDefaultCell.SetBorderStyle(8192);
    headingDefaultCell.SetAlignment(36);
}

int TableSheet::ColumnWidth(int column) const
{
    if (column >= 0)
        return column < columnCount ? columns[size_t(column)].width : 0;
    const size_t i = size_t(-column - 1);
    return i < sideHeadingWidths.size() ? sideHeadingWidths[i] : 0;
}

int TableSheet::RowHeight(int row) const
{
    if (row >= 0) {
        if (row >= rowCount)
            return 0;
        if (uniformHeights || size_t(row) >= rowHeights.size())
            return defaultRowHeight;
        return rowHeights[size_t(row)];
    }
    const size_t i = size_t(-row - 1);
    return i < topHeadingHeights.size() ? topHeadingHeights[i] : 0;
}

CTableDataSource* TableSheet::SourceOf(int column) const
{
    if (column >= 0 && column < columnCount && columns[size_t(column)].dataSource)
        return columns[size_t(column)].dataSource;
    return defaultSource.get();
}

int TableSheet::SourceColumnOf(int column) const
{
    if (column >= 0 && column < columnCount)
        return columns[size_t(column)].dataSourceColumn;
    return column;
}
