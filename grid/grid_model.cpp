// The grid model: sheets, counts, cells, sizes, fonts, the layout pass and the hook defaults.
#include "grid/grid_model.h"

#include "grid/table_device.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kMaxColumns = 32000;
constexpr int kMaxUniformFreeRows = 64000;
constexpr int kMaxSheets = 1024;
constexpr int kMaxHeadingSize = 1024;
constexpr int kMaxHeadingCount = 64;

} // namespace

CTableGridModel::CTableGridModel() : m_fallbackType(std::make_unique<TableCellTypeBase>())
{
    m_fallbackType->m_index = 0;
    m_fallbackType->m_grid = this;
    m_ownPlainEditor.m_grid = this;
    m_ownMaskedEditor.m_grid = this;
    m_sheets.push_back(std::make_unique<TableSheet>());
    m_sheet = m_sheets.front().get();
    InitSheet(*m_sheet);
}

CTableGridModel::~CTableGridModel() = default;

void CTableGridModel::InitSheet(TableSheet& sheet)
{
    sheet.defaultSource->SetHost(this);
    sheet.selection->SetListener(this);
}

void CTableGridModel::RunSetup()
{
    SetupGrid();
    SetupSheet(0);
    m_sheet->painting = true;
    RedrawAll();
}

// Cell types, editors, fonts.

int CTableGridModel::RegisterCellType(std::unique_ptr<TableCellTypeBase> type)
{
    if (!type)
        return -1;
    type->m_index = int(m_cellTypes.size());
    type->m_grid = this;
    m_cellTypes.push_back(std::move(type));
    return int(m_cellTypes.size()) - 1;
}

TableCellTypeBase* CTableGridModel::GetCellTypeObject(int index)
{
    if (index > 0 && index < int(m_cellTypes.size()))
        return m_cellTypes[size_t(index)].get();
    return m_cellTypes.empty() ? m_fallbackType.get() : m_cellTypes.front().get();
}

TableCellTypeBase* CTableGridModel::TypeForCell(const CTableCell& cell)
{
    return GetCellTypeObject(cell.GetCellType());
}

TableCellTypeBase* CTableGridModel::GetCellType(int column, int row)
{
    m_scratch.Clear();
    GetCell(column, row, m_scratch);
    return TypeForCell(m_scratch);
}

void CTableGridModel::SetEditors(TableEditor* plain, TableEditor* masked)
{
    m_plainEditor = plain;
    m_maskedEditor = masked;
    if (plain)
        plain->m_grid = this;
    if (masked)
        masked->m_grid = this;
}

int CTableGridModel::AddFont(const TableFont& font)
{
    TableFont f = font;
    if (f.faceName.size() > 31)
        f.faceName.clear();
    for (size_t i = 0; i < m_fonts.size(); ++i) {
        if (m_fonts[i].font == f) {
            ++m_fonts[i].uses;
            return int(i);
        }
    }
    m_fonts.push_back({f, 1});
    return int(m_fonts.size()) - 1;
}

const TableFont* CTableGridModel::GetFont(int index) const
{
    return index >= 0 && index < int(m_fonts.size()) ? &m_fonts[size_t(index)].font : nullptr;
}

int CTableGridModel::GetFontUseCount(int index) const
{
    return index >= 0 && index < int(m_fonts.size()) ? m_fonts[size_t(index)].uses : 0;
}

int CTableGridModel::SetDefaultFont(const TableFont* font)
{
    if (!font)
        return 1;
    m_sheet->defaultFont = font;
    return 0;
}

// Sheets.

int CTableGridModel::SetSheetCount(int count)
{
    if (count < 1 || count > kMaxSheets)
        return 1;
    const int old = int(m_sheets.size());
    if (count < old) {
        if (m_currentSheet >= count) {
            // Leave the sheet before freeing it.
            if (m_editing)
                FinishEdit(m_activeEditor ? m_activeEditor->GetText() : std::string(), true, false,
                           -1, -1);
            m_currentSheet = count - 1;
            m_sheet = m_sheets[size_t(m_currentSheet)].get();
        }
        m_sheets.resize(size_t(count));
    }
    for (int i = old; i < count; ++i) {
        m_sheets.push_back(std::make_unique<TableSheet>());
        TableSheet& s = *m_sheets.back();
        InitSheet(s);
        s.painting = m_sheet->painting;
        s.verticalBarWidth = m_sheet->verticalBarWidth;
        s.horizontalBarHeight = m_sheet->horizontalBarHeight;
        TableSheet* keep = m_sheet;
        const int keepIndex = m_currentSheet;
        m_sheet = &s;
        m_currentSheet = i;
        SetupSheet(i);
        m_sheet = keep;
        m_currentSheet = keepIndex;
    }
    RecalcLayout();
    return 0;
}

int CTableGridModel::SelectSheet(int index, bool redraw)
{
    if (index < 0 || index >= int(m_sheets.size()))
        return 1;
    if (m_editing)
        FinishEdit(m_activeEditor ? m_activeEditor->GetText() : std::string(), false, false, -1,
                   -1);
    m_currentSheet = index;
    m_sheet = m_sheets[size_t(index)].get();
    if (redraw) {
        RedrawAll();
    } else {
        m_redrawEnabled = false;
        LayoutPass(0);
        m_redrawEnabled = true;
    }
    return 0;
}

TableSheet* CTableGridModel::SheetOfSource(const CTableDataSource* source) const
{
    for (const auto& s : m_sheets)
        if (s->defaultSource.get() == source)
            return s.get();
    return m_sheet;
}

// Counts.

void CTableGridModel::RecalcLockedWidth()
{
    TableSheet& s = *m_sheet;
    s.lockedColumns = std::min(s.lockedColumns, s.columnCount);
    s.lockedWidth = int(std::min<int64_t>(SumColumnWidths(s, 0, s.lockedColumns), INT32_MAX));
}

void CTableGridModel::RecalcLockedHeight()
{
    TableSheet& s = *m_sheet;
    s.lockedRows = std::min(s.lockedRows, s.rowCount);
    s.lockedHeight = int(std::min<int64_t>(SumRowHeights(s, 0, s.lockedRows), INT32_MAX));
}

int CTableGridModel::SetColumnCount(int count, bool redraw)
{
    if (count < 0 || count > kMaxColumns)
        return 1;
    TableSheet& s = *m_sheet;
    if (count > 0 && s.lockedColumns >= count)
        s.lockedColumns = count - 1;
    if (count == 0)
        s.lockedColumns = 0;
    const int old = s.columnCount;
    s.columns.resize(size_t(count));
    for (int c = old; c < count; ++c) {
        TableColumnInfo& info = s.columns[size_t(c)];
        info.width = s.defaultColumnWidth;
        info.dataSource = nullptr;
        info.defaultCell = std::make_unique<CTableCell>(s.columnDefaultCell);
        info.dataSourceColumn = c;
    }
    s.columnCount = count;
    RecalcMaxima(0);
    if (s.currentColumn >= count) {
        s.currentColumn = count - 1;
        s.previousCurrentColumn = std::min(s.previousCurrentColumn, count - 1);
    }
    if (s.dragColumn >= count)
        s.dragColumn = count - 1;
    RecalcLockedWidth();
    if (s.currentColumn < 0 && count > 0)
        GotoColumn(0);
    UpdateVisibleRange();
    if (redraw && s.painting)
        RedrawAll();
    return 0;
}

int CTableGridModel::SetRowCount(int count, bool redraw)
{
    if (count < 0)
        return 1;
    TableSheet& s = *m_sheet;
    if (count > 0 && s.lockedRows >= count)
        s.lockedRows = count - 1;
    if (count == 0)
        s.lockedRows = 0;
    if (count > kMaxUniformFreeRows && !s.uniformHeights)
        SetUniformRowHeights(true);
    if (!s.uniformHeights)
        s.rowHeights.resize(size_t(count), s.defaultRowHeight);
    s.rowCount = count;
    RecalcMaxima(0);
    if (s.currentRow >= count) {
        s.currentRow = count - 1;
        s.previousCurrentRow = std::min(s.previousCurrentRow, count - 1);
        s.dragRow = s.currentRow;
    }
    if (s.dragRow >= count)
        s.dragRow = count - 1;
    RecalcLockedHeight();
    if (s.currentRow < 0 && count > 0)
        GotoRow(0);
    UpdateVisibleRange();
    if (redraw && s.painting)
        RedrawAll();
    return 0;
}

// Cells.

int CTableGridModel::GetCellRaw(int column, int row, CTableCell& cell)
{
    const TableSheet& s = *m_sheet;
    if (column >= s.columnCount)
        return 1;
    cell.SetFlags(0);
    return s.SourceOf(column)->ReadCell(s.SourceColumnOf(column), row, cell);
}

int CTableGridModel::GetCell(int column, int row, CTableCell& cell)
{
    const TableSheet& s = *m_sheet;
    cell.SetFlags(0);
    const bool outside = column < 0 || row < 0 || column >= s.columnCount;
    if (outside)
        cell.CopyFrom(s.headingDefaultCell);
    else
        cell.CopyFrom(*s.columns[size_t(column)].defaultCell);
    if (row >= s.rowCount)
        return 0;
    // Heading rows of a table column are stored with the column's other cells.
    const int sourceColumn = s.SourceColumnOf(column);
    s.SourceOf(column)->ReadCell(sourceColumn, row, cell);
    CellRead(sourceColumn, row, cell);
    if (cell.TestFlags(TableCellFlag::format))
        if (CTableCellFormat* format = cell.GetFormat())
            format->ApplyFormat(cell);
    if (cell.TestFlags(TableCellFlag::styleCell))
        if (const CTableCell* style = cell.GetStyleCell())
            cell.CopyFrom(*style);
    return 0;
}

int CTableGridModel::SetCell(int column, int row, const CTableCell& cell)
{
    const TableSheet& s = *m_sheet;
    if (column < -s.SideHeadingColumnCount() || column >= s.columnCount ||
        row < -s.TopHeadingRowCount() || row > s.rowCount)
        return 1;
    CellWriting(column, row, cell);
    s.SourceOf(column)->WriteCell(s.SourceColumnOf(column), row, cell);
    return 0;
}

std::string CTableGridModel::GetCellText(int column, int row)
{
    m_quickCell.Clear();
    GetCell(column, row, m_quickCell);
    return m_quickCell.GetText();
}

int CTableGridModel::SetCellText(int column, int row, std::string_view text)
{
    m_quickCell.Clear();
    GetCellRaw(column, row, m_quickCell);
    m_quickCell.SetText(text);
    return SetCell(column, row, m_quickCell);
}

CTableCell* CTableGridModel::GetColumnDefaultCell(int column)
{
    TableSheet& s = *m_sheet;
    if (column < 0 || column >= s.columnCount)
        return nullptr;
    return s.columns[size_t(column)].defaultCell.get();
}

int CTableGridModel::SetColumnDataSource(int column, CTableDataSource* source, int sourceColumn)
{
    TableSheet& s = *m_sheet;
    if (column < 0 || column >= s.columnCount)
        return 1;
    s.columns[size_t(column)].dataSource = source;
    s.columns[size_t(column)].dataSourceColumn = sourceColumn;
    if (source && !source->GetHost())
        source->SetHost(this);
    return 0;
}

// Sizes.

void CTableGridModel::TellVisibleCellTypesWidth(int column, int& width)
{
    TableSheet& s = *m_sheet;
    if (!ViewIsVisible() || !s.painting)
        return;
    UpdateVisibleRange();
    auto tell = [&](int row) {
        m_scratch.Clear();
        GetCell(column, row, m_scratch);
        TypeForCell(m_scratch)->ColumnWidthSet(column, row, width);
    };
    for (int r = 0; r < s.lockedRows; ++r)
        tell(r);
    for (int r = s.topRow; r <= s.bottomRow && r < s.rowCount; ++r)
        tell(r);
}

void CTableGridModel::TellVisibleCellTypesHeight(int row, int& height)
{
    TableSheet& s = *m_sheet;
    if (!ViewIsVisible() || !s.painting)
        return;
    UpdateVisibleRange();
    auto tell = [&](int column) {
        m_scratch.Clear();
        GetCell(column, row, m_scratch);
        TypeForCell(m_scratch)->RowHeightSet(column, row, height);
    };
    for (int c = 0; c < s.lockedColumns; ++c)
        tell(c);
    for (int c = s.leftColumn; c <= s.rightColumn && c < s.columnCount; ++c)
        tell(c);
}

void CTableGridModel::StoreColumnWidth(int column, int width)
{
    TableSheet& s = *m_sheet;
    s.columns[size_t(column)].width = std::max(0, width);
    if (column < s.lockedColumns)
        RecalcLockedWidth();
}

void CTableGridModel::StoreRowHeight(int row, int height)
{
    TableSheet& s = *m_sheet;
    height = std::max(0, height);
    if (s.uniformHeights)
        s.defaultRowHeight = height;
    else
        s.rowHeights[size_t(row)] = height;
    RecalcLockedHeight();
}

int CTableGridModel::SetColumnWidth(int column, int width)
{
    TableSheet& s = *m_sheet;
    if (column >= 0 && column < s.columnCount) {
        if (width < 0)
            return 2;
        TellVisibleCellTypesWidth(column, width);
        ColumnSized(column, width);
        StoreColumnWidth(column, width);
        LayoutPass(0);
        return 0;
    }
    if (column < 0 && column >= -s.SideHeadingColumnCount()) {
        if (width < 0 || width > kMaxHeadingSize)
            return 2;
        s.sideHeadingWidths[size_t(-column - 1)] = width;
        if (s.SideHeadingColumnCount() == 1)
            s.sideHeadingWidth = width;
        LayoutPass(0);
        return 0;
    }
    return 1;
}

int CTableGridModel::SetRowHeight(int row, int height)
{
    TableSheet& s = *m_sheet;
    if (row >= 0 && row < s.rowCount) {
        if (height < 0)
            return 2;
        TellVisibleCellTypesHeight(row, height);
        RowSized(row, height);
        StoreRowHeight(row, height);
        LayoutPass(0);
        return 0;
    }
    if (row < 0 && row >= -s.TopHeadingRowCount()) {
        if (height < 0 || height > kMaxHeadingSize)
            return 2;
        s.topHeadingHeights[size_t(-row - 1)] = height;
        if (s.TopHeadingRowCount() == 1)
            s.topHeadingHeight = height;
        LayoutPass(0);
        return 0;
    }
    return 1;
}

void CTableGridModel::SetUniformRowHeights(bool uniform)
{
    TableSheet& s = *m_sheet;
    if (uniform == s.uniformHeights)
        return;
    s.uniformHeights = uniform;
    if (uniform) {
        std::vector<int>().swap(s.rowHeights);
    } else {
        s.rowHeights.assign(size_t(s.rowCount), s.defaultRowHeight);
    }
    RecalcLockedHeight();
    LayoutPass(0);
}

int CTableGridModel::SetDefaultRowHeight(int height)
{
    if (height < 0)
        return 2;
    m_sheet->defaultRowHeight = height;
    RecalcLockedHeight();
    LayoutPass(0);
    return 0;
}

int CTableGridModel::SetDefaultColumnWidth(int width)
{
    if (width < 0)
        return 2;
    m_sheet->defaultColumnWidth = width;
    return 0;
}

namespace {

// Scales sizes so that they add up to about total, each rounded to the nearest pixel.
void ScaleSizes(std::vector<int>& sizes, int total)
{
    int64_t sum = 0;
    for (int v : sizes)
        sum += v;
    for (int& v : sizes) {
        if (sum > 0)
            v = int(std::llround(double(v) * total / double(sum)));
        else
            v = total / int(sizes.size());
    }
}

} // namespace

int CTableGridModel::SetTopHeadingHeight(int height)
{
    if (height < 0 || height > kMaxHeadingSize)
        return 1;
    TableSheet& s = *m_sheet;
    ScaleSizes(s.topHeadingHeights, height);
    s.topHeadingHeight = height;
    LayoutPass(0);
    return 0;
}

int CTableGridModel::SetSideHeadingWidth(int width)
{
    if (width < 0 || width > kMaxHeadingSize)
        return 1;
    TableSheet& s = *m_sheet;
    ScaleSizes(s.sideHeadingWidths, width);
    s.sideHeadingWidth = width;
    LayoutPass(0);
    return 0;
}

int CTableGridModel::SetTopHeadingRows(int count)
{
    if (count < 1 || count > kMaxHeadingCount)
        return 1;
    TableSheet& s = *m_sheet;
    s.topHeadingHeights.resize(size_t(count), s.defaultRowHeight);
    s.topHeadingHeight = int(SumRowHeights(s, -count, 0));
    LayoutPass(0);
    return 0;
}

int CTableGridModel::SetSideHeadingColumns(int count)
{
    if (count < 1 || count > kMaxHeadingCount)
        return 1;
    TableSheet& s = *m_sheet;
    s.sideHeadingWidths.resize(size_t(count), 25);
    s.sideHeadingWidth = int(SumColumnWidths(s, -count, 0));
    LayoutPass(0);
    return 0;
}

int CTableGridModel::LockColumns(int count)
{
    TableSheet& s = *m_sheet;
    if (count < 0 || count > s.columnCount)
        return 1;
    s.lockedColumns = count;
    RecalcLockedWidth();
    s.leftColumn = s.previousLeftColumn = std::max(count, 0);
    LayoutPass(0);
    return 0;
}

int CTableGridModel::LockRows(int count)
{
    TableSheet& s = *m_sheet;
    if (count < 0 || count > s.rowCount)
        return 1;
    s.lockedRows = count;
    RecalcLockedHeight();
    s.topRow = s.previousTopRow = std::max(count, 0);
    LayoutPass(0);
    return 0;
}

// The view.

void CTableGridModel::SetClientSize(int width, int height)
{
    m_clientWidth = std::max(0, width);
    m_clientHeight = std::max(0, height);
    RecalcLayout();
}

void CTableGridModel::RecalcLayout()
{
    LayoutPass(0);
}

void CTableGridModel::UpdateVisibleRange()
{
    TableSheet& s = *m_sheet;
    s.rightColumn = ComputeRightColumn(s);
    s.bottomRow = ComputeBottomRow(s);
}

void CTableGridModel::RecalcMaxima(int depth)
{
    TableSheet& s = *m_sheet;
    const int oldMaxTop = s.maxTopRow;
    const int oldTop = s.topRow;
    const int oldLeft = s.leftColumn;
    s.maxTopRow = ComputeMaxTopRow(s);
    s.maxLeftColumn = ComputeMaxLeftColumn(s);
    s.topRow = std::max(s.lockedRows, std::min(s.topRow, s.maxTopRow));
    s.leftColumn = std::max(s.lockedColumns, std::min(s.leftColumn, s.maxLeftColumn));
    if (s.topRow != oldTop) {
        TopRowChanged(oldTop, s.topRow);
        s.previousTopRow = s.topRow;
    }
    if (s.leftColumn != oldLeft) {
        LeftColumnChanged(oldLeft, s.leftColumn);
        s.previousLeftColumn = s.leftColumn;
    }
    UpdateVisibleRange();
    if (depth < 2 && (oldMaxTop == 0) != (s.maxTopRow == 0) && s.painting)
        LayoutPass(depth + 1);
}

void CTableGridModel::LayoutPass(int depth)
{
    TableSheet& s = *m_sheet;
    if (!s.painting)
        return;
    TableLayout layout = ComputeLayout(s, m_clientWidth, m_clientHeight);
    AdjustComponentSizes(layout);
    s.layout = layout;
    s.areaWidth = std::max(0, layout.cells.Width());
    s.areaHeight = std::max(0, layout.cells.Height());
    ViewLayoutChanged(layout);
    RecalcMaxima(depth);
    if (depth == 0 && m_redrawEnabled)
        ViewRepaint(TableRepaint::all);
    s.previousTopRow = s.topRow;
    s.previousLeftColumn = s.leftColumn;
}

int CTableGridModel::RedrawAll()
{
    if (!m_sheet->painting)
        return 0;
    LayoutPass(0);
    m_sheet->cellRedraw.AddRange(
        {0, 0, std::max(0, m_sheet->columnCount - 1), std::max(0, m_sheet->rowCount - 1)});
    ViewRepaint(TableRepaint::all);
    return 0;
}

void CTableGridModel::RedrawCell(int column, int row)
{
    TableSheet& s = *m_sheet;
    if (column < 0 && row < 0) {
        ViewRepaint(TableRepaint::corner);
    } else if (column < 0) {
        ViewRepaint(TableRepaint::sideHeading);
    } else if (row < 0) {
        ViewRepaint(TableRepaint::topHeading);
    } else {
        TableRange block;
        if (GetJoinedBlock(column, row, block)) {
            s.cellRedraw.AddRange(block);
        } else {
            s.cellRedraw.AddCell(column, row);
            // The empty cells to the right may show (or have shown) this cell's text.
            if (s.overflow && row < s.rowCount) {
                UpdateVisibleRange();
                for (int c = column + 1; c < s.columnCount && c <= s.rightColumn; ++c) {
                    if (c >= s.lockedColumns && c < s.leftColumn)
                        c = s.leftColumn;
                    m_scratch.Clear();
                    GetCell(c, row, m_scratch);
                    if (!m_scratch.GetText().empty())
                        break;
                    s.cellRedraw.AddCell(c, row);
                }
            }
        }
        TableMoveUpdate u;
        ViewUpdateAfterMove(u);
    }
}

bool CTableGridModel::GetCellRect(int column, int row, TableRect& rect)
{
    TableRange block;
    if (GetJoinedBlock(column, row, block))
        return GetRangeRect(block, rect);
    return CellAreaRect(*m_sheet, column, row, rect);
}

bool CTableGridModel::GetRangeRect(const TableRange& range, TableRect& rect)
{
    TableRect a, b;
    if (!CellAreaRect(*m_sheet, range.left, range.top, a) ||
        !CellAreaRect(*m_sheet, range.right, range.bottom, b))
        return false;
    rect = {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
    return true;
}

bool CTableGridModel::HitTest(int x, int y, int& column, int& row) const
{
    return HitTestCellArea(*m_sheet, x, y, column, row);
}

void CTableGridModel::GetCellPaintState(int column, int row, int& selectionValue,
                                        bool& current) const
{
    const TableSheet& s = *m_sheet;
    current = row == s.currentRow && (column == s.currentColumn || s.wholeRowHighlight);
    selectionValue = 0;
    int block = -1;
    if (!current && s.selection->IsSelected(column, row, &block))
        selectionValue = block + 1;
}

bool CTableGridModel::JoinedBlockWithin(int column, int row, const TableRange& bounds,
                                        TableRange& block)
{
    if (!m_sheet->joining || !bounds.Contains(column, row))
        return false;
    m_scratch.Clear();
    GetCell(column, row, m_scratch);
    TableJoin join;
    if (!m_scratch.GetJoin(join))
        return false;
    int oc = column, orow = row;
    if (!join.origin) {
        oc = column + join.columnOffset;
        orow = row + join.rowOffset;
        if (!bounds.Contains(oc, orow))
            return false;
        m_scratch.Clear();
        GetCell(oc, orow, m_scratch);
        if (!m_scratch.GetJoin(join) || !join.origin)
            return false;
    }
    block = {oc, orow, std::min(oc + std::max(0, join.columnOffset), bounds.right),
             std::min(orow + std::max(0, join.rowOffset), bounds.bottom)};
    return block.Contains(column, row);
}

bool CTableGridModel::GetJoinedBlock(int column, int row, TableRange& block)
{
    const TableSheet& s = *m_sheet;
    return JoinedBlockWithin(column, row, {0, 0, s.columnCount - 1, s.rowCount - 1}, block);
}

bool CTableGridModel::GetHeadingJoinedBlock(int column, int row, TableRange& block)
{
    const TableSheet& s = *m_sheet;
    if (row < 0 && column >= 0)
        return JoinedBlockWithin(column, row, {0, -s.TopHeadingRowCount(), s.columnCount - 1, -1},
                                 block);
    if (column < 0 && row >= 0)
        return JoinedBlockWithin(column, row, {-s.SideHeadingColumnCount(), 0, -1, s.rowCount - 1},
                                 block);
    return false;
}

// Switches.

int CTableGridModel::SetCurrentCellStyle(int style)
{
    if (style < 0 || style > 3)
        return 1;
    m_sheet->currentCellStyle = style;
    return 0;
}

int CTableGridModel::EnablePopupMenu(bool enable)
{
    m_sheet->popupMenu = enable;
    return 0;
}

int CTableGridModel::UseHints(bool use)
{
    m_sheet->hints = use;
    return 0;
}

int CTableGridModel::SetCancelEditOnFocusLoss(bool cancel)
{
    m_sheet->cancelEditOnFocusLoss = cancel;
    return 0;
}

void CTableGridModel::SetKeyAcceleration(int divisor, int firstRepeatDelay)
{
    m_sheet->keyAccelerationDivisor = divisor;
    m_sheet->firstRepeatDelay = firstRepeatDelay;
}

// The data-source host.

int CTableGridModel::DisplayColumnOf(const CTableDataSource* source, int sourceColumn) const
{
    for (const auto& s : m_sheets)
        for (int c = 0; c < s->columnCount; ++c)
            if (s->SourceOf(c) == source && s->columns[size_t(c)].dataSourceColumn == sourceColumn)
                return c;
    return -1;
}

void CTableGridModel::ShiftSourceColumns(const CTableDataSource* source, int from, int delta)
{
    for (const auto& s : m_sheets)
        for (int c = 0; c < s->columnCount; ++c)
            if (s->SourceOf(c) == source && s->columns[size_t(c)].dataSourceColumn >= from)
                s->columns[size_t(c)].dataSourceColumn += delta;
}

int CTableGridModel::SourceColumnCount() const
{
    return m_sheet->columnCount;
}
int CTableGridModel::SourceRowCount() const
{
    return m_sheet->rowCount;
}

// The selection listener.

void CTableGridModel::SelectionRedraw(const TableRange& cells)
{
    m_sheet->cellRedraw.AddRange(cells);
}

// Hook defaults.

int CTableGridModel::CanMoveCurrent(int, int, int, int)
{
    return 1;
}
int CTableGridModel::CanScrollView(int, int, int, int)
{
    return 1;
}
void CTableGridModel::RowsNeeded(int, int, int) {}
int CTableGridModel::CanSizeColumn(int)
{
    return 1;
}
void CTableGridModel::ColumnSizing(int, int&) {}
void CTableGridModel::ColumnSized(int, int&) {}
int CTableGridModel::CanSizeRow(int)
{
    return 1;
}
void CTableGridModel::RowSizing(int, int&) {}
void CTableGridModel::RowSized(int, int&) {}
int CTableGridModel::CanSizeTopHeading()
{
    return 1;
}
int CTableGridModel::CanSizeSideHeading()
{
    return 1;
}
int CTableGridModel::TopHeadingSizing(int&)
{
    return 1;
}
int CTableGridModel::SideHeadingSizing(int&)
{
    return 1;
}
int CTableGridModel::TopHeadingSized(int&)
{
    return 1;
}
int CTableGridModel::SideHeadingSized(int&)
{
    return 1;
}
void CTableGridModel::CurrentColumnChanged(int, int) {}
void CTableGridModel::CurrentRowChanged(int, int) {}
void CTableGridModel::CurrentCellChanged(int, int, int, int) {}
void CTableGridModel::LeftColumnChanged(int, int) {}
void CTableGridModel::TopRowChanged(int, int) {}
void CTableGridModel::Scrolled(int, int, int) {}
void CTableGridModel::SelectionChanged(const TableRange&, int) {}
void CTableGridModel::CellClicked(int, int, bool, const TableRect&, TablePoint, bool) {}
void CTableGridModel::CellRightClicked(int, int, bool, const TableRect&, TablePoint, bool) {}
void CTableGridModel::CellDoubleClicked(int, int, const TableRect&, TablePoint, bool) {}
void CTableGridModel::MouseMoved(int, int, TablePoint, int, bool) {}
void CTableGridModel::TopHeadingClicked(int, int, bool, const TableRect&, TablePoint, bool) {}
void CTableGridModel::TopHeadingRightClicked(int, int, bool, const TableRect&, TablePoint, bool) {}
void CTableGridModel::TopHeadingDoubleClicked(int, int, const TableRect&, TablePoint, bool) {}
void CTableGridModel::SideHeadingClicked(int, int, bool, const TableRect&, TablePoint, bool) {}
void CTableGridModel::SideHeadingRightClicked(int, int, bool, const TableRect&, TablePoint, bool) {}
void CTableGridModel::SideHeadingDoubleClicked(int, int, const TableRect&, TablePoint, bool) {}
void CTableGridModel::CornerClicked(bool, const TableRect&, TablePoint, bool) {}
void CTableGridModel::CornerRightClicked(bool, const TableRect&, TablePoint, bool) {}
void CTableGridModel::CornerDoubleClicked(const TableRect&, TablePoint, bool) {}
void CTableGridModel::KeyPressed(int&, bool) {}
void CTableGridModel::KeyReleased(int&, bool) {}
void CTableGridModel::CharTyped(int&, bool) {}
void CTableGridModel::CellRead(int, int, CTableCell&) {}
void CTableGridModel::CellWriting(int, int, const CTableCell&) {}
int CTableGridModel::CellTypeNotify(int, int, int, int, intptr_t)
{
    return 1;
}
int CTableGridModel::EditStarting(int, int, TableEditor*&)
{
    return 1;
}
int CTableGridModel::EditKey(int, int, TableEditor*, int&)
{
    return 1;
}
int CTableGridModel::EditEnding(int, int, TableEditor*, const std::string&, bool)
{
    return 1;
}
int CTableGridModel::EditAdvancing(int, int, int&, int&)
{
    return 1;
}
void CTableGridModel::MenuCommandChosen(int, int, int, int) {}
int CTableGridModel::MenuRequested(int, int, int)
{
    return 1;
}
int CTableGridModel::HelpContext(int, int, int)
{
    return 0;
}

int CTableGridModel::HintText(int column, int row, int, std::string& text)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "Col:%d Row:%ld", column, long(row));
    text = buffer;
    return 1;
}

int CTableGridModel::RowScrollHintText(int, std::string&)
{
    return 1;
}
int CTableGridModel::ColumnScrollHintText(int, std::string&)
{
    return 1;
}
int CTableGridModel::DragEnter(int)
{
    return 0;
}
int CTableGridModel::DragOver(const std::string&, int, int)
{
    return 0;
}
int CTableGridModel::Drop(const std::string&, int, int)
{
    return 0;
}

int CTableGridModel::CompareForSort(const CTableCell* a, const CTableCell* b, int flags)
{
    return CompareCellsForSort(a, b, flags);
}

void CTableGridModel::SectionPainting(TableDevice*, TableDevice*, int) {}
void CTableGridModel::AdjustComponentSizes(TableLayout&) {}
void CTableGridModel::TabSelected(int) {}

TableColor CTableGridModel::DefaultBackColor(int section)
{
    return GetTableSystemColor(section == kSectionCells ? TableSystemColor::window
                                                        : TableSystemColor::buttonFace);
}

void CTableGridModel::DrawFocusFrame(TableDevice* device, const TableRect& rect)
{
    if (!device)
        return;
    const TableSheet& s = *m_sheet;
    if (s.currentColumn >= 0 && s.currentRow >= 0 &&
        GetCellType(s.currentColumn, s.currentRow)
            ->DrawFocusFrame(device, rect, s.currentColumn, s.currentRow))
        return;
    device->FocusRect({rect.left, rect.top, rect.right - 1, rect.bottom - 1});
}

void CTableGridModel::FocusLeaving(int section, const void*)
{
    FocusLost(section);
}
void CTableGridModel::FocusLost(int) {}
int CTableGridModel::CanDragColumn(int)
{
    return 1;
}
int CTableGridModel::ColumnDropped(int, int)
{
    return 1;
}
void CTableGridModel::ColumnMoved(int, int) {}
void CTableGridModel::TrackingWindowMoving(const TableRect&, TableRect&) {}
