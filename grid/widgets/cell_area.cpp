// The component base (painting through the grid, mirroring, hints) and the cell area.
#include "grid/widgets/grid_components.h"

#include "grid/grid_layout.h"
#include "grid/widgets/table_grid.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QPaintEvent>
#include <QWheelEvent>

int TableKeyFlagsOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    int flags = 0;
    if (buttons & Qt::LeftButton)
        flags |= TableKeyFlags::leftButton;
    if (buttons & Qt::RightButton)
        flags |= TableKeyFlags::rightButton;
    if (buttons & Qt::MiddleButton)
        flags |= TableKeyFlags::middleButton;
    if (modifiers & Qt::ShiftModifier)
        flags |= TableKeyFlags::shift;
    if (modifiers & Qt::ControlModifier)
        flags |= TableKeyFlags::control;
    if (modifiers & Qt::AltModifier)
        flags |= TableKeyFlags::alt;
    return flags;
}

int TableKeyOf(const QKeyEvent* event)
{
    const int key = event->key();
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return TableKey::f1 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace:
        return TableKey::back;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return TableKey::tab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return TableKey::enter;
    case Qt::Key_Escape:
        return TableKey::escape;
    case Qt::Key_Space:
        return TableKey::space;
    case Qt::Key_PageUp:
        return TableKey::pageUp;
    case Qt::Key_PageDown:
        return TableKey::pageDown;
    case Qt::Key_End:
        return TableKey::end;
    case Qt::Key_Home:
        return TableKey::home;
    case Qt::Key_Left:
        return TableKey::left;
    case Qt::Key_Up:
        return TableKey::up;
    case Qt::Key_Right:
        return TableKey::right;
    case Qt::Key_Down:
        return TableKey::down;
    case Qt::Key_Insert:
        return TableKey::insert;
    case Qt::Key_Delete:
        return TableKey::del;
    default:
        return 0;
    }
}

namespace {

int ModifierFlags(const QInputEvent* event)
{
    return TableKeyFlagsOf(QApplication::mouseButtons(), event->modifiers());
}

int MouseFlags(const QMouseEvent* event)
{
    return TableKeyFlagsOf(event->buttons(), event->modifiers());
}

} // namespace

// ---- CTableComponent

CTableComponent::CTableComponent(CTableGrid* grid, int section, int id)
    : QWidget(grid), m_grid(grid), m_section(section)
{
    setProperty(CTableGrid::kControlIdProperty, id);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    m_hintTimer.setSingleShot(true);
    m_hintTimer.setInterval(200);
    connect(&m_hintTimer, &QTimer::timeout, this, [this] { ShowCellHint(); });
    m_hintHideTimer.setSingleShot(true);
    m_hintHideTimer.setInterval(32767);
    connect(&m_hintHideTimer, &QTimer::timeout, this, [this] { m_grid->HideHint(); });
}

QRect CTableComponent::ToView(const TableRect& rect) const
{
    return QRect(m_grid->IsRightToLeft() ? width() - rect.right : rect.left, rect.top, rect.Width(),
                 rect.Height());
}

TablePoint CTableComponent::FromView(const QPoint& point) const
{
    return {m_grid->IsRightToLeft() ? width() - 1 - point.x() : point.x(), point.y()};
}

void CTableComponent::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    m_grid->PaintComponent(this, painter, event->region());
}

void CTableComponent::leaveEvent(QEvent* event)
{
    StopHint();
    QWidget::leaveEvent(event);
}

bool CTableComponent::CellAt(TablePoint, int&, int&) const
{
    return false;
}

void CTableComponent::TrackHint(const QPoint& position)
{
    if (!m_grid->Sheet().hints)
        return;
    int column = INT32_MIN, row = INT32_MIN;
    if (!CellAt(FromView(position), column, row)) {
        StopHint();
        return;
    }
    m_hintPos = position;
    if (column == m_hintColumn && row == m_hintRow)
        return;
    m_grid->HideHint();
    m_hintColumn = column;
    m_hintRow = row;
    m_hintTimer.start();
}

void CTableComponent::StopHint()
{
    m_hintTimer.stop();
    m_hintHideTimer.stop();
    m_hintColumn = m_hintRow = INT32_MIN;
    m_grid->HideHint();
}

void CTableComponent::ShowCellHint()
{
    std::string text;
    if (m_grid->IsEditing() || !m_grid->HintText(m_hintColumn, m_hintRow, m_section, text) ||
        text.empty())
        return;
    // Below the mouse pointer, like a tooltip.
    m_grid->ShowHint(this, m_hintPos.x(), m_hintPos.y() + 20, 0, 0, QString::fromStdString(text));
    m_hintHideTimer.start();
}

// ---- CTableGridArea

CTableGridArea::CTableGridArea(CTableGrid* grid)
    : CTableComponent(grid, kSectionCells, CTableGrid::kIdCellArea)
{
    setObjectName("cellArea");
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    m_dragTimer.setSingleShot(true);
    connect(&m_dragTimer, &QTimer::timeout, this,
            [this] { DragRoundLater(m_grid->DragRound(m_lastDragPoint)); });
    m_dragOverTimer.setInterval(100);
    connect(&m_dragOverTimer, &QTimer::timeout, this,
            [this] { m_grid->OnDragOverCellArea(m_dragOverPoint); });
}

void CTableGridArea::SetTrackingLine(int x, int y)
{
    if (x == m_trackX && y == m_trackY)
        return;
    // Repaint where the line was and where it goes.
    auto lineRect = [&](int lx, int ly) {
        if (lx >= 0)
            return ToView({lx, 0, lx + 1, height()});
        if (ly >= 0)
            return QRect(0, ly, width(), 1);
        return QRect();
    };
    update(lineRect(m_trackX, m_trackY));
    m_trackX = x;
    m_trackY = y;
    update(lineRect(m_trackX, m_trackY));
}

void CTableGridArea::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    m_grid->PaintComponent(this, painter, event->region());
    if (m_trackX >= 0)
        painter.fillRect(ToView({m_trackX, 0, m_trackX + 1, height()}), Qt::black);
    if (m_trackY >= 0)
        painter.fillRect(QRect(0, m_trackY, width(), 1), Qt::black);
}

bool CTableGridArea::event(QEvent* event)
{
    // Shift+F1 and a click: help on the cell under the point.
    if (event->type() == QEvent::WhatsThis) {
        const QPoint pos = static_cast<QHelpEvent*>(event)->pos();
        if (const int context = m_grid->GetHelpContext(false, FromView(pos)))
            emit m_grid->HelpRequested(context);
        return true;
    }
    // The grid takes Tab and Shift+Tab itself instead of moving the focus on.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyPressEvent(key);
            return true;
        }
    }
    return CTableComponent::event(event);
}

void CTableGridArea::keyPressEvent(QKeyEvent* event)
{
    StopHint();
    // Keys that reach the cells while an edit is open belong to the editor (the keys an
    // editor leaves alone come back here, and stop).
    if (auto* editor = dynamic_cast<QWidget*>(m_grid->GetActiveEditor());
        editor && m_grid->IsEditing() && editor->isVisible()) {
        if (!m_forwarding) {
            m_forwarding = true;
            QApplication::sendEvent(editor, event);
            m_forwarding = false;
        }
        event->accept();
        return;
    }
    m_grid->SetModifierKeys(ModifierFlags(event));
    const int key = TableKeyOf(event);
    bool acted = false;
    if (key != 0) {
        // Key acceleration counts the repeats of a key that is held down.
        acted = m_grid->OnKeyDown(key) != 0;
    }
    const QList<uint> chars = event->text().toUcs4();
    for (uint ch : chars)
        m_grid->OnChar(int(ch));
    if (!chars.isEmpty() && !m_grid->IsEditing()) {
        if (event->matches(QKeySequence::Copy)) {
            m_grid->CopyToClipboard();
            acted = true;
        } else if (event->matches(QKeySequence::Paste)) {
            m_grid->PasteFromClipboard();
            acted = true;
        } else if (event->matches(QKeySequence::Find)) {
            m_grid->OpenFindDialog(false);
            acted = true;
        } else if (event->matches(QKeySequence::Replace) ||
                   (event->key() == Qt::Key_H && event->modifiers() == Qt::ControlModifier)) {
            m_grid->OpenFindDialog(true);
            acted = true;
        }
    }
    if (key == TableKey::f1 && !acted) {
        if (const int context = m_grid->GetHelpContext(true, {}))
            emit m_grid->HelpRequested(context);
        acted = true;
    }
    // Enter and Escape that the grid did not use go on to the dialog (default button, close).
    const bool passOn =
        !acted && !m_grid->IsEditing() && (key == TableKey::enter || key == TableKey::escape);
    if (passOn)
        event->ignore();
    else
        event->accept();
}

void CTableGridArea::keyReleaseEvent(QKeyEvent* event)
{
    // Auto-repeat sends a release before every repeated press; only the real one counts.
    if (event->isAutoRepeat())
        return;
    m_grid->SetModifierKeys(ModifierFlags(event));
    if (const int key = TableKeyOf(event))
        m_grid->OnKeyUp(key);
}

void CTableGridArea::mousePressEvent(QMouseEvent* event)
{
    StopHint();
    const bool right = event->button() == Qt::RightButton;
    if (!right && event->button() != Qt::LeftButton)
        return;
    m_grid->SetModifierKeys(ModifierFlags(event));
    const TablePoint point = FromView(event->position().toPoint());
    m_mayDragText = !right && m_grid->CanStartTextDrag(point);
    m_pressPos = event->position().toPoint();
    m_grid->OnCellAreaButtonDown(right, point, MouseFlags(event));
}

void CTableGridArea::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (event->buttons() == Qt::NoButton)
        TrackHint(pos);
    if (m_mayDragText && (event->buttons() & Qt::LeftButton)) {
        if ((pos - m_pressPos).manhattanLength() >= QApplication::startDragDistance())
            StartTextDrag();
        return;
    }
    m_grid->SetModifierKeys(ModifierFlags(event));
    m_lastDragPoint = FromView(pos);
    DragRoundLater(m_grid->OnCellAreaMouseMove(m_lastDragPoint, MouseFlags(event)));
}

void CTableGridArea::DragRoundLater(int wait)
{
    if (wait < 0 || !(QApplication::mouseButtons() & Qt::LeftButton)) {
        m_dragTimer.stop();
        return;
    }
    m_dragTimer.start(wait);
}

void CTableGridArea::mouseReleaseEvent(QMouseEvent* event)
{
    const bool right = event->button() == Qt::RightButton;
    if (!right && event->button() != Qt::LeftButton)
        return;
    m_dragTimer.stop();
    m_mayDragText = false;
    m_grid->SetModifierKeys(ModifierFlags(event));
    m_grid->OnCellAreaButtonUp(right, FromView(event->position().toPoint()), MouseFlags(event));
}

void CTableGridArea::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_grid->SetModifierKeys(ModifierFlags(event));
    m_grid->OnCellAreaDoubleClick(FromView(event->position().toPoint()), MouseFlags(event));
}

void CTableGridArea::wheelEvent(QWheelEvent* event)
{
    StopHint();
    constexpr int kNotch = 120;
    const QPoint delta = event->angleDelta();
    const bool vertical = std::abs(delta.y()) >= std::abs(delta.x());
    // Fine wheels and touchpads send parts of a notch: they add up until a notch is reached,
    // afresh whenever the direction turns.
    const int part = vertical ? delta.y() : delta.x();
    if (part == 0 || (m_wheelRest < 0) != (part < 0))
        m_wheelRest = 0;
    m_wheelRest += part;
    const int notches = m_wheelRest / kNotch;
    m_wheelRest -= notches * kNotch;
    if (notches != 0) {
        if ((event->modifiers() & Qt::ShiftModifier) || !vertical)
            m_grid->SetLeftColumn(m_grid->GetLeftColumn() - notches);
        else
            m_grid->SetTopRow(m_grid->GetTopRow() - notches * QApplication::wheelScrollLines());
    }
    event->accept();
}

void CTableGridArea::RepaintCurrentCell()
{
    m_grid->RedrawCell(m_grid->GetCurrentColumn(), m_grid->GetCurrentRow());
}

void CTableGridArea::focusInEvent(QFocusEvent* event)
{
    CTableComponent::focusInEvent(event);
    if (m_grid->GetCurrentColumn() >= 0 && m_grid->GetCurrentRow() >= 0)
        RepaintCurrentCell();
}

void CTableGridArea::focusOutEvent(QFocusEvent* event)
{
    CTableComponent::focusOutEvent(event);
    StopHint();
    if (m_grid->GetCurrentColumn() >= 0 && m_grid->GetCurrentRow() >= 0)
        RepaintCurrentCell();
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason) {
        QWidget* to = QApplication::focusWidget();
        if (!to || !m_grid->isAncestorOf(to))
            m_grid->FocusLeaving(kSectionCells, to);
    }
}

bool CTableGridArea::CellAt(TablePoint point, int& column, int& row) const
{
    return m_grid->HitTest(point.x, point.y, column, row);
}

void CTableGridArea::StartTextDrag()
{
    m_mayDragText = false;
    auto* mime = new QMimeData;
    mime->setText(QString::fromStdString(m_grid->CopyText()));
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    // The press started no selection drag: the button is up again for the grid.
    m_grid->OnCellAreaButtonUp(false, FromView(m_pressPos), 0);
    drag->exec(Qt::CopyAction);
}

void CTableGridArea::contextMenuEvent(QContextMenuEvent* event)
{
    // The right button shows the menu itself; this is the menu key or Shift+F10.
    if (event->reason() == QContextMenuEvent::Mouse)
        return;
    const int column = m_grid->GetCurrentColumn();
    const int row = m_grid->GetCurrentRow();
    TableRect rect;
    if (column >= 0 && row >= 0 && m_grid->GetCellRect(column, row, rect))
        m_grid->ShowPopupMenu(column, row, kSectionCells,
                              {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

void CTableGridArea::dragEnterEvent(QDragEnterEvent* event)
{
    const int keyState = TableKeyFlagsOf(event->buttons(), event->modifiers());
    if (event->mimeData()->hasText() && m_grid->DragEnter(keyState) != 0)
        event->acceptProposedAction();
    else
        event->ignore();
}

void CTableGridArea::dragMoveEvent(QDragMoveEvent* event)
{
    const TablePoint point = FromView(event->position().toPoint());
    m_grid->OnDragOverCellArea(point);
    // Near an edge the view goes on scrolling while the mouse rests there.
    constexpr int kEdge = 10;
    m_dragOverPoint = point;
    const bool nearEdge = point.x < kEdge || point.y < kEdge || point.x >= width() - kEdge ||
                          point.y >= height() - kEdge;
    if (nearEdge && !m_dragOverTimer.isActive())
        m_dragOverTimer.start();
    else if (!nearEdge)
        m_dragOverTimer.stop();
    int column = -1, row = -1;
    const std::string text = event->mimeData()->text().toStdString();
    if (m_grid->HitTest(point.x, point.y, column, row) && m_grid->DragOver(text, column, row) != 0)
        event->acceptProposedAction();
    else
        event->ignore();
}

void CTableGridArea::dragLeaveEvent(QDragLeaveEvent* event)
{
    m_dragOverTimer.stop();
    CTableComponent::dragLeaveEvent(event);
}

void CTableGridArea::dropEvent(QDropEvent* event)
{
    m_dragOverTimer.stop();
    const TablePoint point = FromView(event->position().toPoint());
    int column = -1, row = -1;
    if (!m_grid->HitTest(point.x, point.y, column, row)) {
        event->ignore();
        return;
    }
    if (m_grid->OnDrop(event->mimeData()->text().toStdString(), column, row))
        event->acceptProposedAction();
    else
        event->ignore();
}
