// The system colour table the cells fall back to.
#include "grid/table_types.h"

#include <array>

namespace {

std::array<TableColor, size_t(TableSystemColor::count)> g_systemColors = {
    TableRgb(255, 255, 255), // window
    TableRgb(0, 0, 0),       // window text
    TableRgb(0, 120, 215),   // highlight
    TableRgb(255, 255, 255), // highlight text
    TableRgb(240, 240, 240), // button face
    TableRgb(160, 160, 160), // button shadow
    TableRgb(255, 255, 255), // button highlight
    TableRgb(255, 255, 225), // tooltip background
    TableRgb(109, 109, 109), // grey text
};

} // namespace

TableColor GetTableSystemColor(TableSystemColor which)
{
    size_t i = size_t(which);
    return i < g_systemColors.size() ? g_systemColors[i] : 0;
}

void SetTableSystemColor(TableSystemColor which, TableColor color)
{
    size_t i = size_t(which);
    if (i < g_systemColors.size())
        g_systemColors[i] = color;
}
