// The demo's grid.
#include "demo_grid.h"

#include "grid/cell_types.h"
#include "grid/widgets/qt_table_device.h"
#include "grid/widgets/table_editors.h"

#include <QPainter>
#include <QPixmap>
#include <QTimer>

namespace {

enum CellTypeIndex { kNormal = 0, kDropList = 1, kCheckBox = 2, kSideArrows = 3 };
constexpr int kCommandClear = 1000;

const char* const kItems[] = {"Anchor", "Beacon", "Compass", "Dinghy", "Ensign",
                              "Fender", "Gaff",   "Halyard", "Jib",    "Keel"};

} // namespace

DemoGrid::DemoGrid(QWidget* parent) : CTableGrid(parent)
{
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    {
        QPainter p(&picture);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(QColor(230, 120, 30));
        p.setPen(Qt::NoPen);
        p.drawEllipse(1, 1, 14, 14);
    }
    m_picture = std::make_unique<CTableBitmap>(picture);
}

void DemoGrid::SetupGrid()
{
    EnablePopupMenu(true);
    UseHints(true);
    AddMenuCommand(kCommandClear, tr("C&lear cell"));
    SetSheetCount(3);
    AddTab("Stores", 0);
    AddTab("Crew", 1);
    AddTab("Log", 2);
    SetTabWidth(230);
}

void DemoGrid::SetupSheet(int index)
{
    TableSheet& s = Sheet();
    SetBlockSelection(true);
    SetCurrentCellStyle(3);
    s.columnMoving = true;
    s.scrollHints = true;
    s.thumbTrackVertical = true;
    s.textDragging = true;
    if (index == 0) {
        FillFirstSheet();
        return;
    }
    SetColumnCount(4, false);
    SetRowCount(30, false);
    const char* headings[] = {"Name", "Watch", "Berth", "Notes"};
    for (int c = 0; c < 4; ++c)
        SetCellText(c, -1, headings[c]);
    for (int r = 0; r < 30; ++r) {
        SetCellText(-1, r, std::to_string(r + 1));
        SetCellText(0, r, (index == 1 ? "Sailor " : "Entry ") + std::to_string(r + 1));
        SetCellText(1, r, r % 2 ? "Port" : "Starboard");
    }
}

void DemoGrid::FillFirstSheet()
{
    SetColumnCount(kColumns, false);
    SetRowCount(kRows, false);
    SetTopHeadingRows(2);
    SetSideHeadingWidth(56);
    const char* headings[] = {"Item", "Count", "Colour", "Done", "Step", "Notes", "Code", "Price"};
    for (int c = 0; c < kColumns; ++c)
        SetCellText(c, -1, headings[c]);
    SetCellText(-1, -1, "#");
    SetCellText(kItem, -2, "Stores");
    SetCellText(kCount, -2, "");
    SetCellText(kColour, -2, "Details");
    SetCellText(kNotes, -2, "Records");
    // Joined headings over the columns they describe.
    auto joinHeading = [&](int column, int columns) {
        CTableCell cell;
        GetCellRaw(column, -2, cell);
        cell.SetJoin({true, columns - 1, 0});
        SetCell(column, -2, cell);
        for (int i = 1; i < columns; ++i) {
            CTableCell other;
            GetCellRaw(column + i, -2, other);
            other.SetJoin({false, -i, 0});
            SetCell(column + i, -2, other);
        }
    };
    joinHeading(kItem, 2);
    joinHeading(kColour, 3);
    joinHeading(kNotes, 3);

    // Column looks: the cell types, a mask, numbers.
    GetColumnDefaultCell(kColour)->SetCellType(kDropList);
    GetColumnDefaultCell(kColour)->SetLabel("Red\nGreen\nBlue\nYellow\nWhite\n");
    GetColumnDefaultCell(kDone)->SetCellType(kCheckBox);
    GetColumnDefaultCell(kDone)->SetLabel("done");
    GetColumnDefaultCell(kStep)->SetCellType(kSideArrows);
    GetColumnDefaultCell(kCode)->SetMask("LL-0000");
    GetColumnDefaultCell(kCount)->SetAlignment(TableAlign::right | TableAlign::middle);
    GetColumnDefaultCell(kPrice)->SetAlignment(TableAlign::right | TableAlign::middle);
    GetColumnDefaultCell(kPrice)->SetDecimalPlaces(2);
    for (int c : {kItem, kColour, kNotes, kCode})
        GetColumnDefaultCell(c)->SetAlignment(TableAlign::left | TableAlign::middle);
    SetColumnWidth(kItem, 110);
    SetColumnWidth(kCount, 60);
    SetColumnWidth(kColour, 95);
    SetColumnWidth(kDone, 70);
    SetColumnWidth(kStep, 40);
    SetColumnWidth(kCode, 80);
    SetColumnWidth(kNotes, 150);
    SetColumnWidth(kPrice, 100);

    // The first row is locked: totals.
    SetCellText(kItem, 0, "All stores");
    CTableCell total = Stored(kPrice, 0);
    total.SetNumber(1234567.5);
    total.SetBackColor(TableRgb(255, 248, 220));
    SetCell(kPrice, 0, total);
    LockRows(1);
    LockColumns(1);

    // A cell with a picture, one with a tri-state box, one read-only.
    CTableCell picture = Stored(kItem, 2);
    picture.SetBitmap(m_picture.get());
    picture.SetText("Compass rose");
    SetCell(kItem, 2, picture);
    CTableCell triState = Stored(kDone, 3);
    triState.SetExtendedStyle(TableCellStyle::triState | TableCellStyle::boxSunken);
    triState.SetNumber(2);
    SetCell(kDone, 3, triState);
    CTableCell readOnly = Stored(kNotes, 4);
    readOnly.SetText("read-only");
    readOnly.SetReadOnly(1);
    readOnly.SetTextColor(TableRgb(128, 128, 128));
    SetCell(kNotes, 4, readOnly);

    // Text that runs into the empty cells beside it, an ellipsis, wrapped text in a block.
    SetCellText(kNotes, 1, "This note is longer than its column and runs on");
    CTableCell elided = Stored(kNotes, 7);
    elided.SetText("A text that ends in an ellipsis when it does not fit");
    elided.SetExtendedStyle(TableCellStyle::ellipsis);
    SetCell(kNotes, 7, elided);
    CTableCell wrapped = Stored(kNotes, 11);
    wrapped.SetText("Wrapped over the lines of two joined rows");
    wrapped.SetExtendedStyle(TableCellStyle::wordWrap);
    SetCell(kNotes, 11, wrapped);
    Join(kNotes, 11, 1, 2);

    // A joined block of two rows and two columns with a border.
    CTableCell joined = Stored(kCode, 8);
    joined.SetText("Joined 2 x 2");
    joined.SetAlignment(TableAlign::centre | TableAlign::middle);
    joined.SetBorderStyle(TableBorder::left1 | TableBorder::top1 | TableBorder::right1 |
                          TableBorder::bottom1);
    joined.SetBorderPen(&m_bluePen);
    joined.SetBackColor(TableRgb(232, 240, 255));
    SetCell(kCode, 8, joined);
    Join(kCode, 8, 2, 2);
}

CTableCell DemoGrid::Stored(int column, int row)
{
    CTableCell cell;
    GetCellRaw(column, row, cell);
    return cell;
}

void DemoGrid::Join(int column, int row, int columns, int rows)
{
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            CTableCell cell;
            GetCellRaw(column + c, row + r, cell);
            if (r == 0 && c == 0)
                cell.SetJoin({true, columns - 1, rows - 1});
            else
                cell.SetJoin({false, -c, -r});
            SetCell(column + c, row + r, cell);
        }
    }
}

void DemoGrid::CellRead(int sourceColumn, int row, CTableCell& cell)
{
    // Texts of the many rows are made when they are read; stored cells win.
    if (GetCurrentSheet() != 0 || row < 1 || cell.HasText())
        return;
    if (sourceColumn == -1) {
        cell.SetText(std::to_string(row));
        return;
    }
    if (cell.TestFlags(TableCellFlag::join))
        return;
    switch (sourceColumn) {
    case kItem:
        cell.SetText(std::string(kItems[row % 10]) + " " + std::to_string(row));
        break;
    case kCount:
        cell.SetNumber((row * 37) % 500);
        break;
    case kColour:
        if (row % 3 == 0)
            cell.SetText(row % 2 ? "Red" : "Blue");
        break;
    case kDone:
        cell.SetNumber(row % 2);
        break;
    case kStep: {
        const int32_t styles[] = {TableCellStyle::arrowRight, TableCellStyle::arrowLeft,
                                  TableCellStyle::arrowsRight, TableCellStyle::arrowsLeft};
        cell.SetExtendedStyle(styles[row % 4]);
        break;
    }
    case kCode:
        if (row % 5 == 0)
            cell.SetText("AB-" + std::to_string(1000 + row % 9000));
        break;
    case kPrice:
        if (row % 4 != 1)
            cell.SetNumber((row % 997) * 1.25);
        break;
    default:
        break;
    }
}

void DemoGrid::KeyPressed(int& key, bool processed)
{
    if (key == TableKey::f2 && !processed)
        StartEdit();
}

void DemoGrid::CharTyped(int& ch, bool processed)
{
    if (!processed && ch >= 0x20 && ch != 0x7F)
        StartEdit(ch);
}

void DemoGrid::CellDoubleClicked(int column, int row, const TableRect&, TablePoint, bool processed)
{
    if (!processed && column >= 0 && row >= 0)
        StartEdit();
}

void DemoGrid::MenuCommandChosen(int column, int row, int, int commandId)
{
    if (commandId == kCommandClear) {
        SetCellText(column, row, "");
        RedrawCell(column, row);
    }
}

void DemoGrid::TabSelected(int tabId)
{
    SelectSheet(tabId);
}

void DemoGrid::Show(const QString& what)
{
    if (what == "edit") {
        GotoCell(kNotes, 2);
        StartEdit('N');
        PlainEditor()->insertPlainText("ew note, typed in place");
    } else if (what == "drop") {
        GotoCell(kColour, 2);
        if (auto* type = dynamic_cast<CTableDropListCellType*>(GetCellTypeObject(kDropList)))
            type->OpenList(kColour, 2);
    } else if (what == "select") {
        GotoCell(kCount, 2);
        SelectRange(kCount, 2, kColour, 5);
    } else if (what == "find") {
        OpenFindDialog(true);
    }
}
