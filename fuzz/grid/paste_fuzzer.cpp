// Pasted clipboard text into a small grid, then a search for part of it: nothing may crash
// and every cell stays inside the table.
#include "grid/grid_model.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    CTableGridModel grid;
    grid.SetColumnCount(1 + data[0] % 8);
    grid.SetRowCount(1 + data[1] % 8);
    grid.GotoCell(data[2] % 9, data[2] / 9 % 9);
    const std::string text(reinterpret_cast<const char*>(data + 3), size - 3);
    grid.PasteText(text);
    for (int r = -1; r < grid.GetRowCount(); ++r)
        for (int c = -1; c < grid.GetColumnCount(); ++c)
            (void)grid.GetCellText(c, r);
    TableFindRequest find;
    find.findText = text.substr(0, text.find('\t'));
    find.replaceText = text.size() > 4 ? text.substr(2, 3) : std::string();
    find.replaceAll = (data[0] & 0x80) != 0;
    find.matchCase = (data[1] & 0x80) != 0;
    find.wholeWord = (data[2] & 0x80) != 0;
    grid.OnFindReplace(find);
    return 0;
}
