// The do-nothing defaults of a cell type.
#include "grid/cell_type.h"

#include "grid/grid_model.h"

std::array<uint8_t, 16> TableCellTypeBase::GetIdentifier() const
{
    return {0x4e, 0x56, 0x47, 0x52, 0x49, 0x44, 0x00, 0x00,
            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
}

int TableCellTypeBase::DrawBitmap(TableDevice*, const TableBitmap&, const TableRect&, TableColor)
{
    return 0;
}
void TableCellTypeBase::DrawBorder(TableDevice*, const TableRect& rect, TableRect& inner,
                                   CTableCell&)
{
    inner = rect;
}
void TableCellTypeBase::DrawText(TableDevice*, const TableRect&, int, int, int, CTableCell&, int,
                                 bool)
{}
void TableCellTypeBase::DrawBackground(TableDevice*, const TableRect&, TableColor) {}
bool TableCellTypeBase::OverflowSource(TableDevice*, int, int, int&, int&, CTableCell&)
{
    return false;
}
void TableCellTypeBase::Draw(TableDevice*, const TableRect&, int, int, CTableCell&, int, bool) {}
void TableCellTypeBase::DrawForPrinting(TableDevice*, const TableRect&, int, int, CTableCell&) {}
void TableCellTypeBase::DrawScaled(TableDevice*, const TableRect&, int, int, CTableCell&) {}

int TableCellTypeBase::EditingStarts(TableRect&)
{
    return 0;
}
int TableCellTypeBase::Click(int, int, bool, const TableRect&, TablePoint)
{
    return 0;
}
int TableCellTypeBase::RightClick(int, int, bool, const TableRect&, TablePoint)
{
    return 0;
}
int TableCellTypeBase::DoubleClick(int, int, const TableRect&, TablePoint)
{
    return 0;
}
int TableCellTypeBase::KeyDown(int, int, int&)
{
    return 0;
}
int TableCellTypeBase::KeyUp(int, int, int&)
{
    return 0;
}
int TableCellTypeBase::Character(int, int, int&)
{
    return 0;
}
int TableCellTypeBase::MouseMove(int, int, TablePoint, int)
{
    return 0;
}
int TableCellTypeBase::DrawFocusFrame(TableDevice*, const TableRect&, int, int)
{
    return 0;
}
void TableCellTypeBase::GotCursor(int, int, CTableCell&) {}
void TableCellTypeBase::LostCursor(int, int, CTableCell&) {}
void TableCellTypeBase::ColumnWidthSet(int, int, int&) {}
void TableCellTypeBase::ColumnSizing(int, int, int&) {}
void TableCellTypeBase::RowHeightSet(int, int, int&) {}
void TableCellTypeBase::RowSizing(int, int, int&) {}
void TableCellTypeBase::BestSize(TableDevice*, TableSize&, CTableCell&) {}
void TableCellTypeBase::ScrolledIntoView(int, int, CTableCell&) {}
int TableCellTypeBase::SystemColorsChanged()
{
    return 0;
}

int TableCellTypeBase::Notify(int typeIndex, int column, int row, int message, intptr_t param)
{
    return m_grid ? m_grid->CellTypeNotify(typeIndex, column, row, message, param) : 1;
}
