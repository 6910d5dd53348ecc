// The demo's grid: headings in two rows with a joined heading, a locked row and column, joined
// cells, every cell type, a masked column, numbers, text that runs on into empty cells, a
// picture, three sheets with tabs, and 100,000 rows whose texts are made as they are read.
#pragma once

#include "grid/widgets/table_grid.h"

#include <memory>

class DemoGrid : public CTableGrid
{
    Q_OBJECT
public:
    enum Column { kItem, kCount, kColour, kDone, kStep, kNotes, kCode, kPrice, kColumns };
    static constexpr int kRows = 100000;

    explicit DemoGrid(QWidget* parent = nullptr);

    // Puts the grid in a state worth a screenshot: "edit" (an open editor), "drop" (an open
    // drop list), "select" (a block selected), "find" (the find dialog).
    void Show(const QString& what);

protected:
    void SetupGrid() override;
    void SetupSheet(int index) override;
    void CellRead(int sourceColumn, int row, CTableCell& cell) override;
    void KeyPressed(int& key, bool processed) override;
    void CharTyped(int& ch, bool processed) override;
    void CellDoubleClicked(int column, int row, const TableRect& rect, TablePoint point,
                           bool processed) override;
    void MenuCommandChosen(int column, int row, int section, int commandId) override;
    void TabSelected(int tabId) override;
    int DragEnter(int) override { return 1; }
    int DragOver(const std::string&, int, int) override { return 1; }
    int Drop(const std::string&, int, int) override { return 1; }

private:
    void FillFirstSheet();
    void Join(int column, int row, int columns, int rows);
    // The stored cell, to be changed and written back.
    CTableCell Stored(int column, int row);

    std::unique_ptr<TableBitmap> m_picture;
    TablePen m_bluePen{TablePenStyle::solid, 1, TableRgb(40, 80, 200)};
};
