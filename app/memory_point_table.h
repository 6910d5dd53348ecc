// A point table without a window: the cell texts in memory, shown through the same
// coordinate normalisation as the table in the main window.
#pragma once

#include "app/dialog_host.h"

#include <functional>
#include <string>

class MemoryPointTable : public PointTable
{
public:
    // display turns a stored coordinate text into the shown one (column 2 latitude,
    // column 3 longitude); without it texts are shown as stored.
    using DisplayFn = std::function<std::string(const std::string& text, bool longitude)>;
    void SetDisplay(DisplayFn display) { m_display = std::move(display); }

    void SetCellText(int column, int row, const std::string& text) override;
    std::string GetCellText(int column, int row) override;
    void RedrawAll() override { ++m_redraws; }
    void FitColumns() override { ++m_fits; }

    // The text as stored.
    std::string RawText(int column, int row) const;
    int m_redraws = 0;
    int m_fits = 0;

private:
    static bool Valid(int column, int row)
    {
        return column >= 0 && column < 4 && row >= 0 && row < 2;
    }
    std::string m_cells[2][4];
    DisplayFn m_display;
};
