// In-memory point table.
#include "app/memory_point_table.h"

void MemoryPointTable::SetCellText(int column, int row, const std::string& text)
{
    if (Valid(column, row))
        m_cells[row][column] = text;
}

std::string MemoryPointTable::GetCellText(int column, int row)
{
    if (!Valid(column, row))
        return {};
    const std::string& text = m_cells[row][column];
    if (column >= 2 && m_display)
        return m_display(text, column == 3);
    return text;
}

std::string MemoryPointTable::RawText(int column, int row) const
{
    return Valid(column, row) ? m_cells[row][column] : std::string();
}
