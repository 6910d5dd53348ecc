// Moving the current cell: the movement protocol with its vetoes and notifications, moves by
// kind, scrolling, keys and the mouse in the cell area, the context menu and help.
#include "grid/grid_model.h"

#include <algorithm>
#include <cstdlib>

// The notification fan-out after every move of the drag cell or of the view.
void CTableGridModel::RunFanOut()
{
    TableSheet& s = *m_sheet;
    const int oldColumn = s.previousCurrentColumn;
    const int oldRow = s.previousCurrentRow;

    if (!s.blockSelection || m_editing) {
        s.currentColumn = s.dragColumn;
        s.currentRow = s.dragRow;
    } else {
        const int flags =
            s.keyStateMode == kKeyStateKeyboard || s.keyStateMode == kKeyStateScrollBar
                ? m_modifierKeys
                : s.mouseKeyFlags;
        // Without a selection the cell the cursor left anchors one: Shift+click, Shift+arrow
        // and dragging from the current cell select from there.
        if (s.selection->GetBlockCount() == 0 && oldColumn >= 0 && oldRow >= 0)
            s.selection->StartBlock(oldColumn, oldRow);
        s.selection->Feed(s.dragColumn, s.dragRow, s.keyStateMode, flags);
        s.selection->GetAnchor(s.currentColumn, s.currentRow);
    }
    const int newColumn = s.currentColumn;
    const int newRow = s.currentRow;
    const bool columnChanged = newColumn != oldColumn;
    const bool rowChanged = newRow != oldRow;
    if (columnChanged) {
        s.SourceOf(newColumn)->CurrentColumnChanged(s.SourceColumnOf(oldColumn),
                                                    s.SourceColumnOf(newColumn));
        CurrentColumnChanged(oldColumn, newColumn);
    }
    if (rowChanged) {
        s.SourceOf(newColumn)->CurrentRowChanged(oldRow, newRow);
        CurrentRowChanged(oldRow, newRow);
    }
    if (columnChanged || rowChanged)
        CurrentCellChanged(oldColumn, newColumn, oldRow, newRow);

    const int oldLeft = s.previousLeftColumn;
    const int oldTop = s.previousTopRow;
    const int oldRight = s.rightColumn;
    const int oldBottom = s.bottomRow;
    NotifyScrolls();
    TableRect dragRect;
    if (GetCellRect(s.dragColumn, s.dragRow, dragRect))
        ViewKeepTrackingWindowClear(dragRect);

    if (columnChanged || rowChanged) {
        if (oldColumn >= 0 && oldRow >= 0) {
            m_scratch.Clear();
            GetCell(oldColumn, oldRow, m_scratch);
            TypeForCell(m_scratch)->LostCursor(oldColumn, oldRow, m_scratch);
        }
        if (newColumn >= 0 && newRow >= 0) {
            m_scratch.Clear();
            GetCell(newColumn, newRow, m_scratch);
            TypeForCell(m_scratch)->GotCursor(newColumn, newRow, m_scratch);
        }
    }

    UpdateVisibleRange();
    if (s.painting) {
        const TableMoveUpdate update =
            PlanMoveUpdate(s, oldLeft, oldTop, oldRight, oldBottom, oldColumn, oldRow);
        for (const TableRange& r : update.redraw)
            s.cellRedraw.AddRange(r);
        ViewUpdateAfterMove(update);
    }

    s.previousCurrentColumn = newColumn;
    s.previousCurrentRow = newRow;
    if (s.leftColumn != oldLeft || s.topRow != oldTop) {
        // Cells that came into view.
        for (int r = s.topRow; r <= s.bottomRow && r < s.rowCount; ++r) {
            for (int c = s.leftColumn; c <= s.rightColumn && c < s.columnCount; ++c) {
                const bool wasShown =
                    r >= oldTop && r <= oldBottom && c >= oldLeft && c <= oldRight;
                if (wasShown)
                    continue;
                m_scratch.Clear();
                GetCell(c, r, m_scratch);
                TypeForCell(m_scratch)->ScrolledIntoView(c, r, m_scratch);
            }
        }
    }
    s.previousLeftColumn = s.leftColumn;
    s.previousTopRow = s.topRow;
}

void CTableGridModel::NotifyScrolls()
{
    TableSheet& s = *m_sheet;
    if (s.leftColumn != s.previousLeftColumn) {
        LeftColumnChanged(s.previousLeftColumn, s.leftColumn);
        Scrolled(kSectionHorizontalBar, s.previousLeftColumn, s.leftColumn);
    }
    if (s.topRow != s.previousTopRow) {
        TopRowChanged(s.previousTopRow, s.topRow);
        Scrolled(kSectionVerticalBar, s.previousTopRow, s.topRow);
    }
}

int CTableGridModel::GotoCell(int column, int row)
{
    TableSheet& s = *m_sheet;
    if (column < 0 || row < 0 || column >= s.columnCount || row >= s.rowCount)
        return 1;
    if (column == s.dragColumn && row == s.dragRow) {
        if ((m_modifierKeys & TableKeyFlags::shift) && s.blockSelection) {
            s.selection->Feed(column, row, kKeyStateLeftButton, s.mouseKeyFlags | m_modifierKeys);
            RedrawAll();
        }
        return 0;
    }
    TableRange block;
    if (GetJoinedBlock(column, row, block)) {
        column = block.left;
        row = block.top;
    }
    if (!s.SourceOf(column)->CanMove(s.SourceColumnOf(s.currentColumn), s.currentRow,
                                     s.SourceColumnOf(column), row))
        return 2;
    if (!CanMoveCurrent(s.currentColumn, s.currentRow, column, row))
        return 2;
    const int newLeft = LeftColumnShowing(s, column);
    const int newTop = TopRowShowing(s, row);
    if ((newLeft != s.leftColumn || newTop != s.topRow) &&
        !CanScrollView(s.leftColumn, s.topRow, newLeft, newTop))
        return 2;
    s.dragColumn = column;
    s.dragRow = row;
    s.leftColumn = newLeft;
    s.topRow = newTop;
    RunFanOut();
    return 0;
}

int CTableGridModel::GotoColumn(int column)
{
    TableSheet& s = *m_sheet;
    if (s.keyStateMode == kKeyStateKeyboard &&
        !(m_modifierKeys & (TableKeyFlags::shift | TableKeyFlags::control)))
        s.selection->GetAnchor(s.currentColumn, s.currentRow);
    if (column == s.dragColumn)
        return 0;
    if (s.columnCount <= 0)
        return 1;
    if (column >= s.columnCount) {
        column = s.columnCount - 1;
        if (s.dragColumn == column)
            return 1;
    }
    if (column < 0)
        column = 0;
    if (column == s.dragColumn)
        return 0;
    TableRange block;
    if (s.dragRow >= 0 && GetJoinedBlock(column, s.dragRow, block) && column != block.left) {
        // Past the block in the direction of travel.
        if (column > s.dragColumn)
            column = block.right + 1 < s.columnCount ? block.right + 1 : block.left;
        else
            column = block.left - 1 >= 0 ? block.left - 1 : block.left;
        if (column == s.dragColumn)
            return 0;
    }
    if (!s.SourceOf(column)->CanMove(s.SourceColumnOf(s.dragColumn), s.dragRow,
                                     s.SourceColumnOf(column), s.dragRow))
        return 2;
    if (!CanMoveCurrent(s.dragColumn, s.dragRow, column, s.dragRow))
        return 2;
    const int newLeft = LeftColumnShowing(s, column);
    if (newLeft != s.leftColumn && !CanScrollView(s.leftColumn, s.topRow, newLeft, s.topRow))
        return 2;
    s.dragColumn = column;
    s.leftColumn = newLeft;
    RunFanOut();
    return 0;
}

int CTableGridModel::RowsNeededStep(int targetRow)
{
    TableSheet& s = *m_sheet;
    const int rowCount = s.rowCount;
    const int missing = targetRow - rowCount + 1;
    int supplied = 0;
    s.defaultSource->RowsNeeded(rowCount, missing, supplied);
    if (supplied > 0 && int64_t(rowCount) + supplied <= INT32_MAX)
        SetRowCount(rowCount + supplied, false);
    RowsNeeded(rowCount, missing, supplied);
    return m_sheet->rowCount;
}

int CTableGridModel::GotoRow(int row)
{
    TableSheet& s0 = *m_sheet;
    if (s0.keyStateMode == kKeyStateKeyboard &&
        !(m_modifierKeys & (TableKeyFlags::shift | TableKeyFlags::control)))
        s0.selection->GetAnchor(s0.currentColumn, s0.currentRow);
    if (row == s0.dragRow)
        return 0;
    if (row >= s0.rowCount)
        RowsNeededStep(row);
    TableSheet& s = *m_sheet;
    if (s.rowCount <= 0)
        return 1;
    if (row >= s.rowCount) {
        row = s.rowCount - 1;
        if (s.dragRow == row)
            return 1;
    }
    if (row < 0)
        row = 0;
    if (row == s.dragRow)
        return 0;
    TableRange block;
    if (s.dragColumn >= 0 && GetJoinedBlock(s.dragColumn, row, block) && row != block.top) {
        if (row > s.dragRow)
            row = block.bottom + 1 < s.rowCount ? block.bottom + 1 : block.top;
        else
            row = block.top - 1 >= 0 ? block.top - 1 : block.top;
        if (row == s.dragRow)
            return 0;
    }
    if (!CanMoveCurrent(s.dragColumn, s.dragRow, s.dragColumn, row))
        return 2;
    const int newTop = TopRowShowing(s, row);
    if (newTop != s.topRow && !CanScrollView(s.leftColumn, s.topRow, s.leftColumn, newTop))
        return 2;
    s.dragRow = row;
    s.topRow = newTop;
    RunFanOut();
    return 0;
}

int CTableGridModel::MoveCurrentRow(int kind)
{
    const TableSheet& s = *m_sheet;
    switch (kind) {
    case 0:
        return GotoRow(s.dragRow - 1);
    case 1:
        return GotoRow(s.dragRow + 1);
    case 2:
        return GotoRow(std::max(0, s.dragRow - RowsInPage(s)));
    case 3:
        return GotoRow(int(std::min<int64_t>(int64_t(s.dragRow) + RowsInPage(s), INT32_MAX)));
    case 4:
        return GotoRow(0);
    case 5:
        return GotoRow(s.rowCount - 1);
    default:
        return 0;
    }
}

int CTableGridModel::MoveCurrentColumn(int kind)
{
    const TableSheet& s = *m_sheet;
    switch (kind) {
    case 0:
        return GotoColumn(s.dragColumn - 1);
    case 1:
        return GotoColumn(s.dragColumn + 1);
    case 2:
        return GotoColumn(std::max(0, s.dragColumn - ColumnsInPage(s)));
    case 3:
        return GotoColumn(s.dragColumn + ColumnsInPage(s));
    case 4:
        return GotoColumn(0);
    case 5:
        return GotoColumn(s.columnCount - 1);
    default:
        return 0;
    }
}

int CTableGridModel::ScrollTo(int newLeft, int newTop)
{
    TableSheet& s = *m_sheet;
    newLeft =
        std::max(s.lockedColumns, std::min(newLeft, std::max(s.lockedColumns, s.maxLeftColumn)));
    newTop = std::max(s.lockedRows, std::min(newTop, std::max(s.lockedRows, s.maxTopRow)));
    if (newLeft == s.leftColumn && newTop == s.topRow)
        return 0;
    if (!CanScrollView(s.leftColumn, s.topRow, newLeft, newTop))
        return 2;
    s.leftColumn = newLeft;
    s.topRow = newTop;
    RunFanOut();
    return 0;
}

int CTableGridModel::MoveTopRow(int kind)
{
    const TableSheet& s = *m_sheet;
    int top = s.topRow;
    switch (kind) {
    case 0:
        top = s.topRow - 1;
        while (top > s.lockedRows && s.RowHeight(top) == 0)
            --top;
        break;
    case 1:
        top = s.topRow + 1;
        while (top < s.maxTopRow && s.RowHeight(top) == 0)
            ++top;
        break;
    case 2:
        top = s.topRow - RowsInPage(s);
        break;
    case 3:
        top = int(std::min<int64_t>(int64_t(s.topRow) + RowsInPage(s), INT32_MAX));
        break;
    case 4:
        top = s.lockedRows;
        break;
    case 5:
        top = s.maxTopRow;
        break;
    default:
        return 0;
    }
    return ScrollTo(s.leftColumn, top);
}

int CTableGridModel::MoveLeftColumn(int kind)
{
    const TableSheet& s = *m_sheet;
    int left = s.leftColumn;
    switch (kind) {
    case 0:
        left = s.leftColumn - 1;
        break;
    case 1:
        left = s.leftColumn + 1;
        break;
    case 2:
        left = s.leftColumn - ColumnsInPage(s);
        break;
    case 3:
        left = s.leftColumn + ColumnsInPage(s);
        break;
    case 4:
        left = s.lockedColumns;
        break;
    case 5:
        left = s.maxLeftColumn;
        break;
    default:
        return 0;
    }
    return ScrollTo(left, s.topRow);
}

int CTableGridModel::SetTopRow(int row)
{
    return ScrollTo(m_sheet->leftColumn, row);
}

int CTableGridModel::SetLeftColumn(int column)
{
    return ScrollTo(column, m_sheet->topRow);
}

int CTableGridModel::SelectRange(int firstColumn, int firstRow, int lastColumn, int lastRow)
{
    TableSheet& s = *m_sheet;
    if (s.columnCount <= 0 || s.rowCount <= 0)
        return 1;
    auto clampColumn = [&](int c) { return std::max(0, std::min(c, s.columnCount - 1)); };
    auto clampRow = [&](int r) { return std::max(0, std::min(r, s.rowCount - 1)); };
    firstColumn = clampColumn(firstColumn);
    lastColumn = clampColumn(lastColumn);
    firstRow = clampRow(firstRow);
    lastRow = clampRow(lastRow);
    if (s.blockSelection) {
        s.selection->StartBlock(firstColumn, firstRow);
        s.selection->ExtendBlock(lastColumn, lastRow);
        s.dragColumn = lastColumn;
        s.dragRow = lastRow;
    }
    s.cellRedraw.AddRange({std::min(firstColumn, lastColumn), std::min(firstRow, lastRow),
                           std::max(firstColumn, lastColumn), std::max(firstRow, lastRow)});
    ViewUpdateAfterMove(TableMoveUpdate());
    return 0;
}

// Keys in the cell area.

int CTableGridModel::MoveByStep(int key, int step)
{
    TableSheet& s = *m_sheet;
    const bool horizontal = key == TableKey::left || key == TableKey::right;
    const bool back = key == TableKey::left || key == TableKey::up;
    TableRange block;
    if (back) {
        const int c = horizontal ? s.currentColumn - step : s.currentColumn;
        const int r = horizontal ? s.currentRow : s.currentRow - step;
        if (c < 0 || r < 0 || !GetJoinedBlock(c, r, block))
            return horizontal ? GotoColumn(s.dragColumn - step) : GotoRow(s.dragRow - step);
        return GotoCell(block.left, block.top);
    }
    if (GetJoinedBlock(s.currentColumn, s.currentRow, block))
        step += horizontal ? block.right - s.currentColumn : block.bottom - s.currentRow;
    const int c = horizontal ? s.currentColumn + step : s.currentColumn;
    const int r = horizontal ? s.currentRow : s.currentRow + step;
    if (!GetJoinedBlock(c, r, block)) {
        const int64_t target = int64_t(horizontal ? s.dragColumn : s.dragRow) + step;
        const int t = int(std::min<int64_t>(target, INT32_MAX));
        return horizontal ? GotoColumn(t) : GotoRow(t);
    }
    return GotoCell(block.left, block.top);
}

int CTableGridModel::OnKeyDown(int key)
{
    TableSheet& s = *m_sheet;
    s.keyStateMode = kKeyStateKeyboard;
    int step = 1;
    if (s.keyAccelerationDivisor >= 1) {
        if (m_keyRepeat < INT32_MAX)
            ++m_keyRepeat;
        step = AcceleratedKeyStep(m_keyRepeat, s.keyAccelerationDivisor);
        if (AcceleratedKeyWaits(m_keyRepeat, s.keyAccelerationDivisor) && s.firstRepeatDelay > 0)
            ViewDelay(s.firstRepeatDelay);
    }
    bool processed = false;
    if (s.currentColumn >= 0 && s.currentRow >= 0) {
        m_scratch.Clear();
        GetCell(s.currentColumn, s.currentRow, m_scratch);
        processed = TypeForCell(m_scratch)->KeyDown(s.currentColumn, s.currentRow, key) != 0;
    }
    KeyPressed(key, processed);
    const bool control = (m_modifierKeys & TableKeyFlags::control) != 0;
    switch (key) {
    case 0:
        return processed ? 1 : 0;
    case TableKey::pageUp:
        MoveCurrentRow(2);
        return 1;
    case TableKey::pageDown:
        MoveCurrentRow(3);
        return 1;
    case TableKey::home:
        control ? GotoRow(0) : GotoColumn(0);
        return 1;
    case TableKey::end:
        control ? GotoRow(m_sheet->rowCount - 1) : GotoColumn(m_sheet->columnCount - 1);
        return 1;
    case TableKey::left:
    case TableKey::up:
    case TableKey::right:
    case TableKey::down:
        MoveByStep(key, step);
        return 1;
    default:
        return processed ? 1 : 0;
    }
}

void CTableGridModel::OnKeyUp(int key)
{
    m_keyRepeat = 0;
    const TableSheet& s = *m_sheet;
    bool processed = false;
    if (s.currentColumn >= 0 && s.currentRow >= 0) {
        m_scratch.Clear();
        GetCell(s.currentColumn, s.currentRow, m_scratch);
        processed = TypeForCell(m_scratch)->KeyUp(s.currentColumn, s.currentRow, key) != 0;
    }
    KeyReleased(key, processed);
}

void CTableGridModel::OnChar(int ch)
{
    const TableSheet& s = *m_sheet;
    bool processed = false;
    if (s.currentColumn >= 0 && s.currentRow >= 0) {
        m_scratch.Clear();
        GetCell(s.currentColumn, s.currentRow, m_scratch);
        processed = TypeForCell(m_scratch)->Character(s.currentColumn, s.currentRow, ch) != 0;
    }
    CharTyped(ch, processed);
}

// Scroll bars.

void CTableGridModel::OnScroll(int section, TableScrollAction action, int thumbPosition)
{
    ViewFocusCellArea();
    TableSheet& s = *m_sheet;
    s.keyStateMode = kKeyStateScrollBar;
    const bool vertical = section == kSectionVerticalBar;
    auto move = [&](int kind) { vertical ? MoveTopRow(kind) : MoveLeftColumn(kind); };
    switch (action) {
    case TableScrollAction::lineUp:
        move(0);
        break;
    case TableScrollAction::lineDown:
        move(1);
        break;
    case TableScrollAction::pageUp:
        move(2);
        break;
    case TableScrollAction::pageDown:
        move(3);
        break;
    case TableScrollAction::top:
        move(4);
        break;
    case TableScrollAction::bottom:
        move(5);
        break;
    case TableScrollAction::thumbTrack:
        if (vertical ? !s.thumbTrackVertical : !s.thumbTrackHorizontal)
            break;
        [[fallthrough]];
    case TableScrollAction::thumbPosition:
        if (vertical)
            SetTopRow(TopRowFromThumb(s, thumbPosition));
        else
            SetLeftColumn(LeftColumnFromThumb(s, thumbPosition));
        break;
    }
}

// The mouse in the cell area.

void CTableGridModel::OnCellAreaButtonDown(bool right, TablePoint point, int keyFlags)
{
    ViewFocusCellArea();
    if (m_editing)
        return;
    TableSheet& s = *m_sheet;
    s.keyStateMode = right ? kKeyStateRightButton : kKeyStateLeftButton;
    s.mouseKeyFlags = keyFlags;
    int column = -1, row = -1;
    bool processed = false;
    TableRect rect;
    if (HitTest(point.x, point.y, column, row)) {
        GotoCell(column, row);
        GetCellRect(column, row, rect);
        m_scratch.Clear();
        GetCell(column, row, m_scratch);
        TableCellTypeBase* type = TypeForCell(m_scratch);
        processed = (right ? type->RightClick(column, row, true, rect, point)
                           : type->Click(column, row, true, rect, point)) != 0;
    }
    if (right)
        CellRightClicked(column, row, true, rect, point, processed);
    else
        CellClicked(column, row, true, rect, point, processed);
    m_sheet->keyStateMode = kKeyStateKeyboard;
    m_buttonDown = true;
    if (right && m_sheet->popupMenu && column >= 0)
        ShowPopupMenu(column, row, kSectionCells, point);
}

void CTableGridModel::OnCellAreaButtonUp(bool right, TablePoint point, int keyFlags)
{
    (void)keyFlags;
    if (!m_buttonDown)
        return;
    m_buttonDown = false;
    TableSheet& s = *m_sheet;
    int column = -1, row = -1;
    bool processed = false;
    TableRect rect;
    if (HitTest(point.x, point.y, column, row)) {
        GetCellRect(column, row, rect);
        m_scratch.Clear();
        GetCell(column, row, m_scratch);
        TableCellTypeBase* type = TypeForCell(m_scratch);
        processed = (right ? type->RightClick(column, row, false, rect, point)
                           : type->Click(column, row, false, rect, point)) != 0;
    }
    if (right)
        CellRightClicked(column, row, false, rect, point, processed);
    else
        CellClicked(column, row, false, rect, point, processed);
    s.dragColumn = s.currentColumn;
    s.dragRow = s.currentRow;
}

void CTableGridModel::OnCellAreaDoubleClick(TablePoint point, int keyFlags)
{
    (void)keyFlags;
    int column = -1, row = -1;
    bool processed = false;
    TableRect rect;
    if (HitTest(point.x, point.y, column, row)) {
        GetCellRect(column, row, rect);
        m_scratch.Clear();
        GetCell(column, row, m_scratch);
        processed = TypeForCell(m_scratch)->DoubleClick(column, row, rect, point) != 0;
    }
    CellDoubleClicked(column, row, rect, point, processed);
}

int CTableGridModel::OnCellAreaMouseMove(TablePoint point, int keyFlags)
{
    if (m_editing)
        return -1;
    TableSheet& s = *m_sheet;
    s.keyStateMode = kKeyStateMouseDrag;
    s.mouseKeyFlags = keyFlags;
    int column = -1, row = -1;
    bool processed = false;
    if (HitTest(point.x, point.y, column, row)) {
        m_scratch.Clear();
        GetCell(column, row, m_scratch);
        processed = TypeForCell(m_scratch)->MouseMove(column, row, point, keyFlags) != 0;
    }
    MouseMoved(column, row, point, keyFlags, processed);
    const int wait = (keyFlags & TableKeyFlags::leftButton) ? DragRound(point) : -1;
    m_sheet->keyStateMode = kKeyStateKeyboard;
    return wait;
}

int CTableGridModel::DragRound(TablePoint point)
{
    // Rounds repeat this often while the mouse stands still beyond an edge.
    constexpr int kRoundWait = 50;
    if (!m_buttonDown || m_editing)
        return -1;
    TableSheet& s = *m_sheet;
    const int oldMode = s.keyStateMode;
    s.keyStateMode = kKeyStateMouseDrag;
    int wait = -1;
    int column = -1, row = -1;
    if (HitTest(point.x, point.y, column, row)) {
        const bool atEdge = row == s.bottomRow || column == s.rightColumn;
        if (s.dragScrolling || !atEdge) {
            if (s.lockedColumns == 0 && s.lockedRows == 0) {
                GotoCell(column, row);
            } else {
                if (column < s.lockedColumns && s.dragColumn >= s.lockedColumns)
                    MoveCurrentColumn(0);
                else
                    GotoColumn(column);
                if (row < s.lockedRows && s.dragRow >= s.lockedRows)
                    MoveCurrentRow(0);
                else
                    GotoRow(row);
            }
            // A partly shown cell at the edge scrolls into view; the next round goes on.
            if (atEdge)
                wait = kRoundWait;
        }
    }
    const int colWidth = std::max(1, s.defaultColumnWidth);
    const int rowHeight = std::max(1, s.defaultRowHeight);
    // Cells to move along one axis for a point beyond the area: back before its start,
    // forward past its end, more the further the point is with a drag-scroll exponent.
    auto edgeStep = [&](int pos, int extent, int unit) {
        if (pos < 0)
            return -DragScrollStep(1 - pos / unit, s.dragScrollExponent);
        if (pos >= extent)
            return DragScrollStep((pos - extent) / unit + 1, s.dragScrollExponent);
        return 0;
    };
    auto moved = [&](int from, int step) {
        wait = s.dragScrollExponent > 0 && std::abs(step) == 1
                   ? std::max(kRoundWait, s.dragScrollDelay)
                   : kRoundWait;
        return int(std::clamp<int64_t>(int64_t(from) + step, INT32_MIN, INT32_MAX));
    };
    if (const int step = edgeStep(point.x, s.areaWidth, colWidth))
        GotoColumn(moved(s.dragColumn, step));
    if (const int step = edgeStep(point.y, s.areaHeight, rowHeight))
        GotoRow(moved(s.dragRow, step));
    m_sheet->keyStateMode = oldMode;
    return wait;
}

bool CTableGridModel::CanStartTextDrag(TablePoint point) const
{
    const TableSheet& s = *m_sheet;
    int column = -1, row = -1;
    return s.textDragging && !m_editing && HitTest(point.x, point.y, column, row) &&
           column == s.currentColumn && row == s.currentRow;
}

std::string CTableGridModel::CopyText()
{
    const TableSheet& s = *m_sheet;
    if (s.currentColumn < 0 || s.currentRow < 0)
        return {};
    TableRange range{s.currentColumn, s.currentRow, s.currentColumn, s.currentRow};
    const bool selection = s.selection->GetBoundingRange(range);
    range.left = std::max(range.left, 0);
    range.top = std::max(range.top, 0);
    range.right = std::min(range.right, s.columnCount - 1);
    range.bottom = std::min(range.bottom, s.rowCount - 1);
    std::string text;
    for (int r = range.top; r <= range.bottom; ++r) {
        if (r > range.top)
            text += '\n';
        for (int c = range.left; c <= range.right; ++c) {
            if (c > range.left)
                text += '\t';
            if (!selection || s.selection->IsSelected(c, r))
                text += GetCellText(c, r);
        }
    }
    return text;
}

bool CTableGridModel::HitTestHeading(int section, TablePoint point, int& column, int& row) const
{
    const TableSheet& s = *m_sheet;
    if (section == kSectionTopHeading) {
        const int c = ColumnAt(s, point.x);
        const int r = HeadingRowAt(s, point.y);
        if (c < 0 || r >= 0)
            return false;
        column = c;
        row = r;
        return true;
    }
    if (section == kSectionSideHeading) {
        const int c = HeadingColumnAt(s, point.x);
        const int r = RowAt(s, point.y);
        if (c >= 0 || r < 0)
            return false;
        column = c;
        row = r;
        return true;
    }
    if (section == kSectionCorner) {
        column = -1;
        row = -1;
        return true;
    }
    return false;
}

void CTableGridModel::HeadingHit(int section, TablePoint point, int& column, int& row,
                                 TableRect& rect) const
{
    const TableSheet& s = *m_sheet;
    column = row = -1;
    rect = {};
    if (section == kSectionCorner)
        rect = {0, 0, s.sideHeadingWidth, s.topHeadingHeight};
    else if (HitTestHeading(section, point, column, row))
        HeadingRect(s, column, row, rect);
}

void CTableGridModel::OnHeadingButtonDown(int section, bool right, TablePoint point, int keyFlags)
{
    ViewFocusCellArea();
    TableSheet& s = *m_sheet;
    s.mouseKeyFlags = keyFlags;
    int column = -1, row = -1;
    TableRect rect;
    HeadingHit(section, point, column, row, rect);
    switch (section) {
    case kSectionTopHeading:
        if (right) {
            TopHeadingRightClicked(column, row, true, rect, point, false);
        } else {
            TopHeadingClicked(column, row, true, rect, point, false);
            if (s.columnMoving && column >= 0 && CanDragColumn(column)) {
                m_movingColumn = column;
                ViewRepaint(TableRepaint::topHeading);
            }
        }
        break;
    case kSectionSideHeading:
        right ? SideHeadingRightClicked(column, row, true, rect, point, false)
              : SideHeadingClicked(column, row, true, rect, point, false);
        break;
    case kSectionCorner:
        right ? CornerRightClicked(true, rect, point, false)
              : CornerClicked(true, rect, point, false);
        break;
    default:
        break;
    }
}

void CTableGridModel::OnHeadingButtonUp(int section, bool right, TablePoint point, int keyFlags)
{
    TableSheet& s = *m_sheet;
    s.mouseKeyFlags = keyFlags;
    int column = -1, row = -1;
    TableRect rect;
    HeadingHit(section, point, column, row, rect);
    switch (section) {
    case kSectionTopHeading:
        if (right) {
            TopHeadingRightClicked(column, row, false, rect, point, false);
            break;
        }
        if (m_movingColumn >= 0) {
            const int from = m_movingColumn;
            m_movingColumn = -1;
            // Released over the heading row or anywhere above the cells of another column.
            const int over = ColumnAt(s, point.x);
            if (over >= 0 && over != from)
                DropColumn(from, over);
            ViewRepaint(TableRepaint::topHeading);
        }
        TopHeadingClicked(column, row, false, rect, point, false);
        break;
    case kSectionSideHeading:
        right ? SideHeadingRightClicked(column, row, false, rect, point, false)
              : SideHeadingClicked(column, row, false, rect, point, false);
        break;
    case kSectionCorner:
        right ? CornerRightClicked(false, rect, point, false)
              : CornerClicked(false, rect, point, false);
        break;
    default:
        break;
    }
}

void CTableGridModel::OnHeadingDoubleClick(int section, TablePoint point, int keyFlags)
{
    m_sheet->mouseKeyFlags = keyFlags;
    int column = -1, row = -1;
    TableRect rect;
    HeadingHit(section, point, column, row, rect);
    if (section == kSectionTopHeading)
        TopHeadingDoubleClicked(column, row, rect, point, false);
    else if (section == kSectionSideHeading)
        SideHeadingDoubleClicked(column, row, rect, point, false);
    else if (section == kSectionCorner)
        CornerDoubleClicked(rect, point, false);
}

void CTableGridModel::OnDragOverCellArea(TablePoint point)
{
    const TableSheet& s = *m_sheet;
    constexpr int kEdge = 10;
    if (point.x < kEdge)
        MoveLeftColumn(0);
    else if (point.x >= s.areaWidth - kEdge)
        MoveLeftColumn(1);
    else if (point.y < kEdge)
        MoveTopRow(0);
    else if (point.y >= s.areaHeight - kEdge)
        MoveTopRow(1);
}

int CTableGridModel::OnDrop(const std::string& text, int column, int row)
{
    if (!Drop(text, column, row))
        return 0;
    if (!text.empty() && GotoCell(column, row) == 0)
        PasteText(text);
    return 1;
}

int CTableGridModel::ShowPopupMenu(int column, int row, int section, TablePoint point)
{
    if (!m_sheet->popupMenu)
        return 1;
    TableRange block;
    if (GetJoinedBlock(column, row, block)) {
        column = block.left;
        row = block.top;
    }
    if (!MenuRequested(column, row, section))
        return 2;
    m_menuColumn = column;
    m_menuRow = row;
    m_menuSection = section;
    const int command = ViewTrackPopupMenu(point);
    if (command < 0)
        return 3;
    if (command >= 1000)
        MenuCommandChosen(m_menuColumn, m_menuRow, m_menuSection, command);
    return 0;
}

int CTableGridModel::GetHelpContext(bool helpKeyHeld, TablePoint point)
{
    int column = m_sheet->currentColumn;
    int row = m_sheet->currentRow;
    if (!helpKeyHeld && !HitTest(point.x, point.y, column, row))
        return 0;
    return HelpContext(column, row, kSectionCells);
}
