// The grid's component windows: the cell area, the top and side headings, the corner button,
// the sheet tabs and the two scroll bars. Each paints through the grid model and hands its
// keys and mouse input to it; none decides anything itself.
#pragma once

#include "grid/table_types.h"

#include <QPoint>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>

class CTableGrid;
class QKeyEvent;
struct TableScrollInfo;

// Modifier and button flags of the grid (TableKeyFlags) for a Qt event's state.
int TableKeyFlagsOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
// The grid's key code for a Qt key event (0 for keys the grid has no code for).
int TableKeyOf(const QKeyEvent* event);

// What every component shares: the grid, its section, the mirroring of right-to-left grids,
// and the hints of the cell under the mouse.
class CTableComponent : public QWidget
{
    Q_OBJECT
public:
    CTableComponent(CTableGrid* grid, int section, int id);
    CTableGrid* Grid() const { return m_grid; }
    int Section() const { return m_section; }
    // A grid rectangle (this window's coordinates) as a Qt rectangle, mirrored for a
    // right-to-left grid, and a Qt point as a grid point.
    QRect ToView(const TableRect& rect) const;
    TablePoint FromView(const QPoint& point) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // Hints: the mouse rests on a cell for 200 ms.
    void TrackHint(const QPoint& position);
    void StopHint();
    // The cell under a point of this window, for hints; false when none.
    virtual bool CellAt(TablePoint point, int& column, int& row) const;

    CTableGrid* m_grid;
    int m_section;

private:
    void ShowCellHint();

    QTimer m_hintTimer;
    QTimer m_hintHideTimer;
    QPoint m_hintPos;
    int m_hintColumn = INT32_MIN;
    int m_hintRow = INT32_MIN;
};

// The cells: keys, the mouse with its selection drag loop, wheel, drag and drop of text.
class CTableGridArea : public CTableComponent
{
    Q_OBJECT
public:
    explicit CTableGridArea(CTableGrid* grid);
    // The tracking line shown while a column (x) or row (y) is sized; -1 for none.
    void SetTrackingLine(int x, int y);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool CellAt(TablePoint point, int& column, int& row) const override;

private:
    void RepaintCurrentCell();
    void DragRoundLater(int wait);
    void StartTextDrag();

    QTimer m_dragTimer;
    TablePoint m_lastDragPoint;
    QTimer m_dragOverTimer; // scrolls while something dragged rests near an edge
    TablePoint m_dragOverPoint;
    QPoint m_pressPos;
    bool m_mayDragText = false;
    bool m_forwarding = false; // a key is being handed to the open editor
    int m_trackX = -1;
    int m_trackY = -1;
    int m_wheelRest = 0; // the part of a wheel notch turned so far
};

// What a heading or the corner is sizing while its button is held.
struct TableSizingDrag
{
    enum Kind { none, column, row, headingRow, headingColumn, corner } kind = none;
    int index = 0;
    int start = 0;           // the size when the drag began
    int startPos = 0;        // the mouse coordinate when it began
    bool horizontal = false; // an edge dragged left and right
};

// The headings and the corner: a press on a grip sizes what it belongs to; any other press,
// release and double click goes to the grid's heading hooks.
class CTableHeadingBase : public CTableComponent
{
    Q_OBJECT
public:
    using CTableComponent::CTableComponent;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool CellAt(TablePoint point, int& column, int& row) const override;
    // The sizing a press at point would start (kind none: no grip there).
    virtual TableSizingDrag GripAt(TablePoint point) = 0;
    virtual void SizingStep(const TableSizingDrag& drag, TablePoint point) = 0;
    virtual void SizingEnd(const TableSizingDrag& drag, TablePoint point) = 0;

private:
    TableSizingDrag m_drag;
};

// Column headings: sizing columns (with a tracking line in the cells) and heading rows.
class CTableTopHeading : public CTableHeadingBase
{
    Q_OBJECT
public:
    explicit CTableTopHeading(CTableGrid* grid);

protected:
    TableSizingDrag GripAt(TablePoint point) override;
    void SizingStep(const TableSizingDrag& drag, TablePoint point) override;
    void SizingEnd(const TableSizingDrag& drag, TablePoint point) override;
};

// Row headings: sizing rows (with a tracking line in the cells) and heading columns.
class CTableSideHeading : public CTableHeadingBase
{
    Q_OBJECT
public:
    explicit CTableSideHeading(CTableGrid* grid);

protected:
    TableSizingDrag GripAt(TablePoint point) override;
    void SizingStep(const TableSizingDrag& drag, TablePoint point) override;
    void SizingEnd(const TableSizingDrag& drag, TablePoint point) override;
};

// The corner cell: sizing the side-heading width and the top-heading height.
class CTableCornerButton : public CTableHeadingBase
{
    Q_OBJECT
public:
    explicit CTableCornerButton(CTableGrid* grid);

protected:
    TableSizingDrag GripAt(TablePoint point) override;
    void SizingStep(const TableSizingDrag& drag, TablePoint point) override;
    void SizingEnd(const TableSizingDrag& drag, TablePoint point) override;
};

// The sheet tabs, with their scroll arrows and the grip that sizes the strip.
class CTableSheetTabs : public CTableComponent
{
    Q_OBJECT
public:
    explicit CTableSheetTabs(CTableGrid* grid);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool CellAt(TablePoint, int&, int&) const override { return false; }

private:
    bool m_sizing = false;
};

// A scroll bar of the grid: its actions go to the model, which sets the view; the bar then
// shows the model's position. Thumb tracking can show a scroll hint.
class CTableScrollBar : public QScrollBar
{
    Q_OBJECT
public:
    CTableScrollBar(CTableGrid* grid, Qt::Orientation orientation, int id);
    // Shows the model's range and position; the range is set again only when it changed.
    void UpdateFromModel();

private:
    void OnAction(int action);
    void OnReleased();
    void ShowScrollHint(int position);
    int Section() const;

    CTableGrid* m_grid;
    int m_min = 0, m_max = -1, m_page = -1;
    bool m_scaled = false;
    int m_locked = -1;
};
