// The defaults of a data source: unsupported operations report -1, notifications allow.
#include "grid/data_source.h"

int CTableDataSource::ReadCell(int, int, CTableCell&)
{
    return -1;
}
int CTableDataSource::WriteCell(int, int, const CTableCell&)
{
    return -1;
}
int CTableDataSource::DeleteCell(int, int)
{
    return -1;
}
int CTableDataSource::InsertRow(int)
{
    return -1;
}
int CTableDataSource::DeleteRow(int)
{
    return -1;
}
int CTableDataSource::InsertColumn(int)
{
    return -1;
}
int CTableDataSource::DeleteColumn(int)
{
    return -1;
}
int CTableDataSource::Empty()
{
    return -1;
}
int CTableDataSource::GetLastRow()
{
    return -1;
}
int CTableDataSource::NearestTextLeft(int, int)
{
    return -1;
}
int CTableDataSource::FindNext(const std::string&, int&, int&, int)
{
    return -1;
}
int CTableDataSource::FindFirst(const std::string&, int&, int&, int)
{
    return -1;
}
int CTableDataSource::Sort(int, int, const std::vector<int>&, int)
{
    return -1;
}
int CTableDataSource::SortAll(const std::vector<int>&, int)
{
    return -1;
}

void CTableDataSource::CurrentColumnChanged(int, int) {}
void CTableDataSource::CurrentRowChanged(int, int) {}
int CTableDataSource::CanMove(int, int, int, int)
{
    return 1;
}
void CTableDataSource::RowsNeeded(int, int, int& supplied)
{
    supplied = 0;
}
int CTableDataSource::EditStarting(int, int, TableEditor*&)
{
    return 1;
}
int CTableDataSource::EditorKey(int, int, TableEditor*, int&)
{
    return 1;
}
int CTableDataSource::EditEnding(int, int, TableEditor*, const std::string&, bool)
{
    return 1;
}
int CTableDataSource::EditAdvancing(int, int, int&, int&)
{
    return 1;
}
