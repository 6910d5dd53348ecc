// The point table.
#include "georef/widgets/point_grid.h"

#include "grid/table_device.h"

#include <cmath>

namespace {

// The cell font: 8 points high on the table's screen.
TableFont CellFontFor(int dpiY)
{
    TableFont font;
    font.height = -int(std::lround(8.0 * dpiY / 72.0));
    font.weight = 400;
    font.clipPrecision = 16;
    font.pitchAndFamily = 0x20;
    font.faceName = "Arial";
    return font;
}

} // namespace

void CCoordinateFormat::ApplyFormat(CTableCell& cell)
{
    const std::string text = cell.GetText();
    if (!text.empty())
        cell.SetText(m_owner.DisplayCoordinate(text, m_longitude));
}

CPointGrid::CPointGrid(PointTableOwner& owner, QWidget* parent)
    : CTableGrid(parent), m_owner(owner), m_latitudeFormat(owner), m_longitudeFormat(owner)
{}

void CPointGrid::SetupGrid()
{
    EnablePopupMenu(true);
    m_fontCells = CellFontFor(logicalDpiY());
    SetDefaultFont(&m_fontCells);
    SetRowCount(kPointTableRows);
    SetColumnCount(kPointTableColumns);
    CTableCell cell;
    for (int row = 0; row < kPointTableRows; ++row) {
        GetCellRaw(kLatitudeColumn, row, cell);
        cell.SetFormat(&m_latitudeFormat);
        SetCell(kLatitudeColumn, row, cell);
        GetCellRaw(kLongitudeColumn, row, cell);
        cell.SetFormat(&m_longitudeFormat);
        SetCell(kLongitudeColumn, row, cell);
    }
    SetCurrentCellStyle(2);
    SetCancelEditOnFocusLoss(false);
    UseHints(true);
    // The coordinate headings are padded so that their columns leave room for a coordinate.
    SetCellText(-1, -1, "Point #");
    SetCellText(kPixelXColumn, -1, "Pixel X");
    SetCellText(kPixelYColumn, -1, "Pixel Y");
    SetCellText(kLatitudeColumn, -1, "Latitude       ");
    SetCellText(kLongitudeColumn, -1, "Longitude      ");
    SetCellText(-1, 0, "#1");
    SetCellText(-1, 1, "#2");
    BestFitColumns(-1, kPointTableColumns - 1, GetRowCount() + 1, 1);
    RedrawAll();
}

void CPointGrid::FitColumns()
{
    BestFitColumns(-1, kPointTableColumns - 1, GetRowCount() + 1, 1);
    FitColumnsToWindow(0, kPointTableColumns - 1);
    RedrawAll();
}

std::string CPointGrid::StoredText(int column, int row)
{
    CTableCell cell;
    GetCellRaw(column, row, cell);
    return cell.GetText();
}

void CPointGrid::CurrentCellChanged(int oldColumn, int, int oldRow, int)
{
    // The coordinate just left is stored in the current notation.
    if (oldColumn < kLatitudeColumn || oldRow < 0)
        return;
    const std::string text = GetCellText(oldColumn, oldRow);
    if (text.empty())
        return;
    SetCellText(oldColumn, oldRow,
                m_owner.NormaliseCoordinate(text, oldColumn == kLongitudeColumn));
}

void CPointGrid::CellDoubleClicked(int, int, const TableRect&, TablePoint, bool)
{
    StartEdit();
}

void CPointGrid::KeyPressed(int& key, bool processed)
{
    if (key == TableKey::f2) {
        if (!processed)
            StartEdit();
        return;
    }
    if (key != TableKey::tab)
        return;
    const bool back = (GetModifierKeys() & TableKeyFlags::shift) != 0;
    const PointTableCell to = PointTableTabTarget({GetCurrentColumn(), GetCurrentRow()}, back);
    GotoCell(to.column, to.row);
}

void CPointGrid::CharTyped(int& ch, bool processed)
{
    // Tab, Enter, Escape, Backspace and Ctrl with a letter arrive as characters too; only
    // printable ones start an edit, and none typed with Ctrl (Ctrl with Alt types characters
    // on some keyboards).
    const int modifiers = GetModifierKeys();
    const bool control = (modifiers & TableKeyFlags::control) && !(modifiers & TableKeyFlags::alt);
    if (!processed && !control && ch >= 0x20 && ch != 0x7F)
        StartEdit(ch);
}

int CPointGrid::EditStarting(int column, int row, TableEditor*& editor)
{
    editor->SetUpperCase(true);
    editor->SetAutoGrow(false);
    m_textBeforeEdit = StoredText(column, row);
    return 1;
}

int CPointGrid::EditEnding(int column, int, TableEditor*, const std::string& text, bool cancelled)
{
    return cancelled || m_owner.ValidateCell(column, text, true) ? 1 : 0;
}

int CPointGrid::EditAdvancing(int oldColumn, int oldRow, int& newColumn, int& newRow)
{
    const TableEditor* editor = GetActiveEditor();
    const bool shiftTab = editor && editor->m_endKey == TableKey::tab &&
                          (GetModifierKeys() & TableKeyFlags::shift) != 0;
    PointTableCell to;
    if (PointTableContinueTarget({oldColumn, oldRow}, shiftTab, to)) {
        newColumn = to.column;
        newRow = to.row;
    }
    return 1;
}

int CPointGrid::HintText(int column, int row, int, std::string& text)
{
    return PointTableHint(column, row, GetCellText(column, row), text) ? 1 : 0;
}

TableColor CPointGrid::DefaultBackColor(int)
{
    return TableRgb(255, 255, 255);
}

void CPointGrid::DrawFocusFrame(TableDevice* device, const TableRect& rect)
{
    if (device)
        device->FocusRect({rect.left, rect.top, rect.right - 1, rect.bottom - 1});
}

void CPointGrid::FocusLeaving(int, const void*) {}

void CPointGrid::ViewEditCommitted(int column, int row)
{
    CTableGrid::ViewEditCommitted(column, row);
    if (StoredText(column, row) != m_textBeforeEdit)
        m_owner.OnPointCellChanged(column, row);
}
