// The top and side headings, the corner button, the sheet tabs and the scroll bars.
#include "grid/widgets/grid_components.h"

#include "grid/grid_layout.h"
#include "grid/widgets/table_grid.h"

#include <QApplication>
#include <QMouseEvent>
#include <QStyleOptionSlider>

namespace {

int MouseFlags(const QMouseEvent* event)
{
    return TableKeyFlagsOf(event->buttons(), event->modifiers());
}

bool IsLeft(const QMouseEvent* event)
{
    return event->button() == Qt::LeftButton;
}

} // namespace

// ---- CTableHeadingBase

bool CTableHeadingBase::CellAt(TablePoint point, int& column, int& row) const
{
    return m_grid->HitTestHeading(m_section, point, column, row);
}

void CTableHeadingBase::mousePressEvent(QMouseEvent* event)
{
    StopHint();
    const TablePoint p = FromView(event->position().toPoint());
    if (IsLeft(event)) {
        const TableSizingDrag drag = GripAt(p);
        if (drag.kind != TableSizingDrag::none) {
            m_drag = drag;
            return;
        }
    }
    if (IsLeft(event) || event->button() == Qt::RightButton)
        m_grid->OnHeadingButtonDown(m_section, !IsLeft(event), p, MouseFlags(event));
}

void CTableHeadingBase::mouseMoveEvent(QMouseEvent* event)
{
    const TablePoint p = FromView(event->position().toPoint());
    if (m_drag.kind != TableSizingDrag::none) {
        SizingStep(m_drag, p);
        return;
    }
    if (event->buttons() != Qt::NoButton)
        return;
    const TableSizingDrag grip = GripAt(p);
    if (grip.kind == TableSizingDrag::none)
        unsetCursor();
    else
        setCursor(grip.horizontal ? Qt::SplitHCursor : Qt::SplitVCursor);
    TrackHint(event->position().toPoint());
}

void CTableHeadingBase::mouseReleaseEvent(QMouseEvent* event)
{
    const TablePoint p = FromView(event->position().toPoint());
    const TableSizingDrag drag = m_drag;
    m_drag = {};
    if (drag.kind != TableSizingDrag::none)
        SizingEnd(drag, p);
    else if (IsLeft(event) || event->button() == Qt::RightButton)
        m_grid->OnHeadingButtonUp(m_section, !IsLeft(event), p, MouseFlags(event));
}

void CTableHeadingBase::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (IsLeft(event))
        m_grid->OnHeadingDoubleClick(m_section, FromView(event->position().toPoint()),
                                     MouseFlags(event));
}

// ---- CTableTopHeading

CTableTopHeading::CTableTopHeading(CTableGrid* grid)
    : CTableHeadingBase(grid, kSectionTopHeading, CTableGrid::kIdTopHeading)
{
    setObjectName("topHeading");
}

TableSizingDrag CTableTopHeading::GripAt(TablePoint p)
{
    const int column = m_grid->Sheet().userSizing ? m_grid->ColumnSizingGrip(p.x) : -1;
    if (column >= 0)
        return {TableSizingDrag::column, column, m_grid->GetColumnWidth(column), p.x, true};
    if (const int row = m_grid->HeadingRowGrip(p.y))
        return {TableSizingDrag::headingRow, row, m_grid->GetRowHeight(row), p.y, false};
    return {};
}

void CTableTopHeading::SizingStep(const TableSizingDrag& drag, TablePoint p)
{
    if (drag.kind == TableSizingDrag::headingRow) {
        m_grid->HeadingRowSizingStep(drag.index, drag.start, drag.startPos, p.y);
        return;
    }
    m_grid->ColumnSizingStep(drag.index, drag.start, drag.startPos, p.x);
    TableRect rect;
    if (m_grid->Sheet().userSizing == 1 && HeadingRect(m_grid->Sheet(), drag.index, -1, rect))
        m_grid->CellArea()->SetTrackingLine(std::max(0, rect.right - 1), -1);
}

void CTableTopHeading::SizingEnd(const TableSizingDrag& drag, TablePoint p)
{
    if (drag.kind == TableSizingDrag::headingRow) {
        m_grid->HeadingRowSizingEnd();
        return;
    }
    m_grid->CellArea()->SetTrackingLine(-1, -1);
    m_grid->ColumnSizingEnd(drag.index, drag.start, drag.startPos, p.x);
}

// ---- CTableSideHeading

CTableSideHeading::CTableSideHeading(CTableGrid* grid)
    : CTableHeadingBase(grid, kSectionSideHeading, CTableGrid::kIdSideHeading)
{
    setObjectName("sideHeading");
}

TableSizingDrag CTableSideHeading::GripAt(TablePoint p)
{
    const int row = m_grid->Sheet().userSizing ? m_grid->RowSizingGrip(p.y) : -1;
    if (row >= 0)
        return {TableSizingDrag::row, row, m_grid->GetRowHeight(row), p.y, false};
    if (const int column = m_grid->HeadingColumnGrip(p.x))
        return {TableSizingDrag::headingColumn, column, m_grid->GetColumnWidth(column), p.x, true};
    return {};
}

void CTableSideHeading::SizingStep(const TableSizingDrag& drag, TablePoint p)
{
    if (drag.kind == TableSizingDrag::headingColumn) {
        m_grid->HeadingColumnSizingStep(drag.index, drag.start, drag.startPos, p.x);
        return;
    }
    m_grid->RowSizingStep(drag.index, drag.start, drag.startPos, p.y);
    TableRect rect;
    if (m_grid->Sheet().userSizing == 1 && HeadingRect(m_grid->Sheet(), -1, drag.index, rect))
        m_grid->CellArea()->SetTrackingLine(-1, std::max(0, rect.bottom - 1));
}

void CTableSideHeading::SizingEnd(const TableSizingDrag& drag, TablePoint p)
{
    if (drag.kind == TableSizingDrag::headingColumn) {
        m_grid->HeadingColumnSizingEnd();
        return;
    }
    m_grid->CellArea()->SetTrackingLine(-1, -1);
    m_grid->RowSizingEnd(drag.index, drag.start, drag.startPos, p.y);
}

// ---- CTableCornerButton

CTableCornerButton::CTableCornerButton(CTableGrid* grid)
    : CTableHeadingBase(grid, kSectionCorner, CTableGrid::kIdCorner)
{
    setObjectName("cornerButton");
}

TableSizingDrag CTableCornerButton::GripAt(TablePoint p)
{
    const int grip = m_grid->CornerGrip(p.x, p.y);
    if (grip == 0)
        return {};
    return {TableSizingDrag::corner, grip, 0, 0, grip == 1};
}

void CTableCornerButton::SizingStep(const TableSizingDrag& drag, TablePoint p)
{
    m_grid->CornerSizingStep(drag.index, drag.index == 1 ? p.x : p.y);
}

void CTableCornerButton::SizingEnd(const TableSizingDrag& drag, TablePoint)
{
    m_grid->CornerSizingEnd(drag.index);
}

// ---- CTableSheetTabs

CTableSheetTabs::CTableSheetTabs(CTableGrid* grid)
    : CTableComponent(grid, kSectionTabs, CTableGrid::kIdTabs)
{
    setObjectName("sheetTabs");
}

void CTableSheetTabs::mousePressEvent(QMouseEvent* event)
{
    if (!IsLeft(event))
        return;
    const TablePoint p = FromView(event->position().toPoint());
    if (m_grid->IsTabStripGrip(p.x)) {
        m_sizing = true;
        return;
    }
    m_grid->OnTabClick(p.x);
}

void CTableSheetTabs::mouseMoveEvent(QMouseEvent* event)
{
    const TablePoint p = FromView(event->position().toPoint());
    if (m_sizing) {
        m_grid->SetTabWidth(std::max(40, p.x));
        return;
    }
    if (m_grid->IsTabStripGrip(p.x))
        setCursor(Qt::SplitHCursor);
    else
        unsetCursor();
}

void CTableSheetTabs::mouseReleaseEvent(QMouseEvent*)
{
    m_sizing = false;
}

// ---- CTableScrollBar

CTableScrollBar::CTableScrollBar(CTableGrid* grid, Qt::Orientation orientation, int id)
    : QScrollBar(orientation, grid), m_grid(grid)
{
    setProperty(CTableGrid::kControlIdProperty, id);
    setObjectName(orientation == Qt::Vertical ? "verticalBar" : "horizontalBar");
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractSlider::actionTriggered, this, &CTableScrollBar::OnAction);
    connect(this, &QAbstractSlider::sliderReleased, this, &CTableScrollBar::OnReleased);
}

int CTableScrollBar::Section() const
{
    return orientation() == Qt::Vertical ? kSectionVerticalBar : kSectionHorizontalBar;
}

void CTableScrollBar::UpdateFromModel()
{
    const TableSheet& s = m_grid->Sheet();
    const bool vertical = orientation() == Qt::Vertical;
    const TableScrollInfo info = vertical ? VerticalScrollInfo(s) : HorizontalScrollInfo(s);
    const int locked = vertical ? s.lockedRows : s.lockedColumns;
    if (info.min != m_min || info.max != m_max || info.page != m_page || info.scaled != m_scaled ||
        locked != m_locked) {
        m_min = info.min;
        m_max = info.max;
        m_page = info.page;
        m_scaled = info.scaled;
        m_locked = locked;
        // The thumb's last position is the maximum less a page, plus one.
        const int last = info.page > 0 ? info.max - info.page + 1 : info.max;
        setRange(info.min, std::max(info.min, last));
        setPageStep(std::max(1, info.page));
        setSingleStep(1);
    }
    if (!isSliderDown())
        setValue(info.pos);
}

void CTableScrollBar::OnAction(int action)
{
    TableScrollAction scroll;
    switch (action) {
    case SliderSingleStepAdd:
        scroll = TableScrollAction::lineDown;
        break;
    case SliderSingleStepSub:
        scroll = TableScrollAction::lineUp;
        break;
    case SliderPageStepAdd:
        scroll = TableScrollAction::pageDown;
        break;
    case SliderPageStepSub:
        scroll = TableScrollAction::pageUp;
        break;
    case SliderToMinimum:
        scroll = TableScrollAction::top;
        break;
    case SliderToMaximum:
        scroll = TableScrollAction::bottom;
        break;
    case SliderMove:
        scroll = TableScrollAction::thumbTrack;
        break;
    default:
        return;
    }
    const int position = sliderPosition();
    m_grid->OnScroll(Section(), scroll, position);
    if (action == SliderMove) {
        if (m_grid->Sheet().scrollHints)
            ShowScrollHint(position);
        return;
    }
    const TableSheet& s = m_grid->Sheet();
    setSliderPosition(orientation() == Qt::Vertical ? VerticalScrollInfo(s).pos
                                                    : HorizontalScrollInfo(s).pos);
}

void CTableScrollBar::OnReleased()
{
    m_grid->HideHint();
    m_grid->OnScroll(Section(), TableScrollAction::thumbPosition, sliderPosition());
    UpdateFromModel();
}

void CTableScrollBar::ShowScrollHint(int position)
{
    const TableSheet& s = m_grid->Sheet();
    const bool vertical = orientation() == Qt::Vertical;
    std::string text;
    int shown;
    if (vertical) {
        shown = TopRowFromThumb(s, position);
        text = m_grid->GetCellText(-1, shown);
        if (text.empty())
            text = std::to_string(shown);
        if (!m_grid->RowScrollHintText(shown, text))
            return;
    } else {
        shown = LeftColumnFromThumb(s, position);
        text = m_grid->GetCellText(shown, -1);
        if (text.empty())
            text = std::to_string(shown);
        if (!m_grid->ColumnScrollHintText(shown, text))
            return;
    }
    if (text.empty())
        return;
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect thumb =
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
    const QPoint centre = mapTo(m_grid, thumb.center());
    if (vertical)
        m_grid->ShowHint(m_grid, pos().x() - 30, centre.y(), 20,
                         TableHintFlag::centreOnX | TableHintFlag::centreOnY,
                         QString::fromStdString(text));
    else
        m_grid->ShowHint(m_grid, centre.x(), pos().y(), 20,
                         TableHintFlag::centreOnX | TableHintFlag::aboveY,
                         QString::fromStdString(text));
}
