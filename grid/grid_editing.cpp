// The editing cycle (start, keys and characters in the editor, finish, continue), pasting,
// moving columns, find and replace, sorting, and fitting columns.
#include "grid/grid_model.h"

#include <algorithm>

namespace F = TableCellFlag;

// Editing.

TableEditor* CTableGridModel::EditorFor(const CTableCell& cell)
{
    const TableSheet& s = *m_sheet;
    if (cell.TestFlags(F::mask) && !cell.GetMask().empty()) {
        if (s.maskedEditor)
            return s.maskedEditor;
        return m_maskedEditor ? m_maskedEditor : &m_ownMaskedEditor;
    }
    if (s.plainEditor)
        return s.plainEditor;
    return m_plainEditor ? m_plainEditor : &m_ownPlainEditor;
}

void CTableGridModel::CollapseSelection()
{
    TableSheet& s = *m_sheet;
    TableRange covered;
    const bool had = s.selection->GetBoundingRange(covered);
    s.selection->Clear();
    s.dragColumn = s.currentColumn;
    s.dragRow = s.currentRow;
    if (had && !(covered.left == covered.right && covered.top == covered.bottom)) {
        s.cellRedraw.AddRange(covered);
        ViewUpdateAfterMove(TableMoveUpdate());
    }
}

bool CTableGridModel::EditorMayGrow(const TableEditor* editor)
{
    if (!m_editing || !editor || editor->GetKind() != TableEditor::kPlain ||
        !editor->GetAutoGrow() || !m_sheet->overflow || m_editSection != kSectionCells)
        return false;
    return TypeForCell(m_editCell)->m_overflow;
}

int CTableGridModel::StartEdit(int key)
{
    return StartEdit(m_sheet->currentColumn, m_sheet->currentRow, key);
}

int CTableGridModel::StartEdit(int column, int row, int key)
{
    if (m_editing)
        return 1;
    m_editing = true;
    m_editColumn = column;
    m_editRow = row;
    CollapseSelection();

    TableSheet& s = *m_sheet;
    if (column != s.currentColumn || row != s.currentRow) {
        if (GotoCell(column, row) != 0) {
            m_editing = false;
            return 2;
        }
    }
    m_editCell.Clear();
    GetCell(column, row, m_editCell);
    TableCellTypeBase* type = TypeForCell(m_editCell);
    if (!type->m_editable) {
        m_editing = false;
        return 1;
    }

    TableRect rect;
    if (column >= 0 && row >= 0) {
        m_editSection = kSectionCells;
        GetCellRect(column, row, rect);
    } else {
        m_editSection = column >= 0 ? kSectionTopHeading
                        : row >= 0  ? kSectionSideHeading
                                    : kSectionCorner;
        HeadingRect(s, column, row, rect);
    }
    rect.right -= 1;
    rect.bottom -= 1;
    type->EditingStarts(rect);

    if (m_editCell.GetReadOnly() != 0) {
        m_editing = false;
        return 1;
    }

    TableEditor* editor = EditorFor(m_editCell);
    if (!s.SourceOf(column)->EditStarting(s.SourceColumnOf(column), row, editor) || !editor ||
        !EditStarting(column, row, editor) || !editor) {
        m_editing = false;
        RedrawCell(column, row);
        return 1;
    }
    m_activeEditor = editor;
    editor->m_grid = this;
    editor->ResetEndState();

    if (m_editCell.GetDataType() == kDataNumber && !m_editCell.TestFlags(F::plainNumber))
        m_editCell.SetFlags(m_editCell.GetFlags() | F::plainNumber);
    m_editStartText = m_editCell.GetText();
    if (editor->GetKind() == TableEditor::kMasked)
        editor->SetMask(m_editCell.GetMask());
    editor->SetReadOnly(false);
    editor->SetText(m_editStartText);
    editor->SelectAll();
    const TableFont* font = m_editCell.GetFont() ? m_editCell.GetFont() : s.defaultFont;
    ViewOpenEditor(editor, m_editSection, rect, font, key);
    return 0;
}

void CTableGridModel::ViewOpenEditor(TableEditor* editor, int, const TableRect&, const TableFont*,
                                     int key)
{
    if (key != 0)
        editor->Type(key);
}

void CTableGridModel::ViewFocusGrid()
{
    OnEditorFocusLost(TableFocusTarget::grid);
}

int CTableGridModel::FinishEdit(const std::string& text, bool cancelled, bool continueEdit,
                                int nextColumn, int nextRow)
{
    if (!m_editing) {
        if (m_activeEditor)
            ViewCloseEditor(m_activeEditor);
        return 1;
    }
    // A hook that shows a message moves the focus; the edit ends once, by the first call.
    if (m_finishing)
        return 0;
    TableSheet& s = *m_sheet;
    const int column = m_editColumn;
    const int row = m_editRow;
    TableEditor* editor = m_activeEditor;
    CTableDataSource* source = s.SourceOf(column);
    m_finishing = true;
    const bool allowed =
        source->EditEnding(s.SourceColumnOf(column), row, editor, text, cancelled) &&
        EditEnding(column, row, editor, text, cancelled);
    if (!allowed) {
        m_finishing = false;
        return 0;
    }
    ViewCloseEditor(editor);
    m_finishing = false;
    if (!cancelled) {
        m_scratch.Clear();
        GetCell(column, row, m_scratch);
        const int type = m_scratch.GetDataType();
        // An untouched number keeps its full value (the editor shows it rounded).
        const bool untouchedNumber = type == kDataNumber && text == m_editStartText;
        if (!untouchedNumber) {
            m_scratch.SetText(text);
            if (type >= kDataNumber && type <= kDataCurrency)
                m_scratch.SetDataType(type);
            SetCell(column, row, m_scratch);
            ViewEditCommitted(column, row);
        }
    }

    if (continueEdit && m_editSection == kSectionCells) {
        int c = nextColumn;
        int r = nextRow;
        TableRange block;
        if (GetJoinedBlock(c, r, block)) {
            if (c > column)
                c = block.right + 1;
            else if (c < column)
                c = block.left - 1;
            if (r > row)
                r = block.bottom + 1;
            else if (r < row)
                r = block.top - 1;
        }
        WrapNextCell(c, r, s.columnCount, s.rowCount);
        int sourceNext = s.SourceColumnOf(c);
        int sourceRow = r;
        bool allowed = source->EditAdvancing(s.SourceColumnOf(column), row, sourceNext, sourceRow);
        if (allowed) {
            if (sourceNext != s.SourceColumnOf(c)) {
                const int display = DisplayColumnOf(s.SourceOf(c), sourceNext);
                if (display >= 0)
                    c = display;
            }
            r = sourceRow;
            allowed = EditAdvancing(column, row, c, r) != 0;
        }
        if (allowed) {
            m_editing = false;
            StartEdit(c, r, 0);
            return 1;
        }
    }
    m_editing = false;
    RedrawCell(column, row);
    return 1;
}

bool CTableGridModel::OnEditorKeyDown(int key)
{
    if (!m_editing || !m_activeEditor)
        return true;
    TableEditor* editor = m_activeEditor;
    const int32_t style =
        m_editCell.TestFlags(F::extendedStyle) ? m_editCell.GetExtendedStyle() : -1;
    const TableEditorKeyAction a =
        DecideEditorKey(key, m_modifierKeys, m_editColumn, m_editRow, style);
    switch (a.action) {
    case TableEditorKeyAction::kEnd:
        editor->m_endKey = key;
        editor->m_cancelled = a.cancelled;
        editor->m_continue = a.continueEdit;
        editor->m_nextColumn = a.nextColumn;
        editor->m_nextRow = a.nextRow;
        ViewFocusGrid();
        return false;
    case TableEditorKeyAction::kDeleteKey: {
        const TableSheet& s = *m_sheet;
        int k = 127;
        if (!s.SourceOf(s.currentColumn)
                 ->EditorKey(s.SourceColumnOf(s.currentColumn), s.currentRow, editor, k))
            return false;
        return EditKey(s.currentColumn, s.currentRow, editor, k) != 0;
    }
    default:
        return true;
    }
}

bool CTableGridModel::OnEditorChar(int& ch)
{
    if (ch == '\t' || ch == '\r' || ch == 0x1B)
        return false;
    const TableSheet& s = *m_sheet;
    TableEditor* editor = m_activeEditor;
    if (!editor || editor->GetKind() != TableEditor::kMasked) {
        if (!s.SourceOf(s.currentColumn)
                 ->EditorKey(s.SourceColumnOf(s.currentColumn), s.currentRow, editor, ch))
            return false;
    }
    return EditKey(s.currentColumn, s.currentRow, editor, ch) != 0;
}

int CTableGridModel::OnEditorFocusLost(TableFocusTarget target, const void* window)
{
    TableEditor* editor = m_activeEditor;
    // Focus that moves while the edit is being finished (a hook's message, the editor being
    // hidden) changes nothing.
    if (!m_editing || !editor || m_finishing)
        return 1;
    editor->SetReadOnly(false);
    bool cancelled = editor->m_cancelled;
    if (m_sheet->cancelEditOnFocusLoss &&
        (target == TableFocusTarget::none || target == TableFocusTarget::outside))
        cancelled = true;
    if (target != TableFocusTarget::grid)
        FocusLeaving(kSectionCells, window);
    else
        ViewFocusCellArea();
    const int column = m_editColumn;
    const int row = m_editRow;
    const int result = FinishEdit(editor->GetText(), cancelled, editor->m_continue,
                                  editor->m_nextColumn, editor->m_nextRow);
    if (result == 0) {
        editor->ResetEndState();
        GotoCell(column, row);
        ViewRefocusEditor(editor);
    }
    return result;
}

// Pasting.

int CTableGridModel::PasteText(std::string_view text)
{
    TableSheet& s = *m_sheet;
    const int startColumn = s.currentColumn;
    const int startRow = s.currentRow;
    if (startColumn < 0 || startRow < 0)
        return 1;
    int column = startColumn;
    int row = startRow;
    int farColumn = startColumn;
    int farRow = startRow;
    auto store = [&](std::string_view field) {
        if (column < 0 || column >= s.columnCount || row < 0 || row >= s.rowCount)
            return;
        farColumn = std::max(farColumn, column);
        farRow = std::max(farRow, row);
        m_scratch.Clear();
        GetCell(column, row, m_scratch);
        if (m_scratch.GetReadOnly() == 1)
            return;
        SetCellText(column, row, field);
    };
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch != '\t' && ch != '\r' && ch != '\n')
            continue;
        store(text.substr(start, i - start));
        if (ch == '\t') {
            if (column < INT32_MAX)
                ++column;
        } else {
            if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            column = startColumn;
            if (row < INT32_MAX)
                ++row;
        }
        start = i + 1;
    }
    const bool endsWithBreak = !text.empty() && (text.back() == '\r' || text.back() == '\n');
    if (!endsWithBreak)
        store(text.substr(start));
    SelectRange(startColumn, startRow, farColumn, farRow);
    RedrawAll();
    return 0;
}

// Moving columns.

int CTableGridModel::MoveColumn(int from, int to, bool insertBefore)
{
    TableSheet& s = *m_sheet;
    const int64_t target = insertBefore ? int64_t(to) : int64_t(to) + 1;
    if (from < 0 || from >= s.columnCount || target < 0 || target > s.columnCount)
        return 1;
    if (target == from || target == int64_t(from) + 1)
        return 0;
    TableColumnInfo entry = std::move(s.columns[size_t(from)]);
    s.columns.erase(s.columns.begin() + from);
    const int at = target > from ? int(target) - 1 : int(target);
    s.columns.insert(s.columns.begin() + at, std::move(entry));
    RecalcLockedWidth();
    RedrawAll();
    return 0;
}

// Find and replace.

int CTableGridModel::FindFlagsFor(const TableFindRequest& request) const
{
    int flags = 0;
    if (!request.matchCase)
        flags |= TableFindFlag::ignoreCase;
    if (!request.wholeWord)
        flags |= TableFindFlag::anywhere;
    if (!request.searchDown)
        flags |= TableFindFlag::backwards;
    if (m_searchAlongRows)
        flags |= TableFindFlag::byRows;
    return flags;
}

int CTableGridModel::OnFindReplace(const TableFindRequest& request)
{
    const int flags = FindFlagsFor(request);
    TableSheet& s = *m_sheet;
    if ((request.replace || request.replaceAll) && s.currentColumn >= 0 && s.currentRow >= 0) {
        SetCellText(s.currentColumn, s.currentRow, request.replaceText);
        RedrawCell(s.currentColumn, s.currentRow);
    }
    // A replacement that itself matches would be found again and again.
    if (CellTextMatches(request.replaceText, request.findText, flags))
        return 1;
    int64_t rounds = int64_t(s.columnCount) * s.rowCount + 1;
    for (;;) {
        const int column = m_sheet->currentColumn;
        CTableDataSource* source = m_sheet->SourceOf(column);
        int sourceColumn = m_sheet->SourceColumnOf(column);
        int row = m_sheet->currentRow;
        if (source->FindNext(request.findText, sourceColumn, row, flags) != 0) {
            ViewNotFound();
            return 1;
        }
        const int display = DisplayColumnOf(source, sourceColumn);
        GotoCell(display >= 0 ? display : sourceColumn, row);
        if (!request.replaceAll)
            return 0;
        SetCellText(m_sheet->currentColumn, m_sheet->currentRow, request.replaceText);
        RedrawCell(m_sheet->currentColumn, m_sheet->currentRow);
        if (--rounds <= 0)
            return 0;
    }
}

// Sorting.

int CTableGridModel::SortRows(int firstRow, int lastRow, const std::vector<int>& keyColumns,
                              int flags)
{
    TableSheet& s = *m_sheet;
    std::vector<int> sourceColumns;
    for (int c : keyColumns) {
        if (c < 0 || c >= s.columnCount)
            return 1;
        sourceColumns.push_back(s.SourceColumnOf(c));
    }
    const int result = s.defaultSource->Sort(firstRow, lastRow, sourceColumns, flags);
    RedrawAll();
    return result;
}

// Fitting columns.

int CTableGridModel::BestFitColumns(int firstColumn, int lastColumn, int rows, int flags)
{
    TableSheet& s = *m_sheet;
    if (firstColumn < -s.SideHeadingColumnCount())
        return 1;
    if (lastColumn >= s.columnCount)
        return 2;
    if (lastColumn < firstColumn)
        return 3;
    const int maxWidth = m_clientWidth == 0 ? 300 : m_clientWidth - s.verticalBarWidth;
    int sideSum = 0;
    for (int column = firstColumn; column <= lastColumn; ++column) {
        int need = 3;
        int sampled = 0;
        int row = (flags & 1) ? -s.TopHeadingRowCount() : 0;
        while (row < s.rowCount && sampled < rows) {
            if (row >= s.lockedRows && row < s.topRow) {
                row = s.topRow;
                continue;
            }
            m_scratch.Clear();
            GetCell(column, row, m_scratch);
            if (!m_scratch.TestFlags(F::join)) {
                TableSize size{s.ColumnWidth(column), s.RowHeight(row)};
                TypeForCell(m_scratch)->BestSize(ViewMeasuringDevice(), size, m_scratch);
                need = std::max(need, size.cx);
            }
            ++sampled;
            ++row;
        }
        int width = std::min(need + 2, maxWidth);
        if (column >= 0) {
            TellVisibleCellTypesWidth(column, width);
            ColumnSized(column, width);
            StoreColumnWidth(column, width);
        } else {
            ColumnSized(column, width);
            width = std::max(0, std::min(width, 1024));
            s.sideHeadingWidths[size_t(-column - 1)] = width;
            sideSum += width;
        }
    }
    if (sideSum > 0)
        s.sideHeadingWidth = sideSum;
    RedrawAll();
    return 0;
}

int CTableGridModel::FitColumnsToWindow(int firstColumn, int lastColumn)
{
    TableSheet& s = *m_sheet;
    if (firstColumn < 0 || lastColumn < firstColumn || lastColumn >= s.columnCount)
        return 1;
    int target = s.areaWidth;
    if (target <= 0)
        target = std::max(0, m_clientWidth - s.sideHeadingWidth);
    const int64_t sum = SumColumnWidths(s, firstColumn, lastColumn + 1);
    const int count = lastColumn - firstColumn + 1;
    const bool painting = s.painting;
    s.painting = true;
    int64_t used = 0;
    for (int column = firstColumn; column <= lastColumn; ++column) {
        int width;
        if (column == lastColumn)
            width = int(std::max<int64_t>(0, target - used));
        else if (sum > 0)
            width = int(int64_t(s.ColumnWidth(column)) * target / sum);
        else
            width = target / count;
        TellVisibleCellTypesWidth(column, width);
        ColumnSized(column, width);
        StoreColumnWidth(column, width);
        used += s.ColumnWidth(column);
    }
    s.painting = painting;
    RedrawAll();
    return 0;
}
