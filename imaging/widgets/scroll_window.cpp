// The scrolling and zooming window.
#include "imaging/widgets/scroll_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRubberBand>
#include <QScrollBar>
#include <QWheelEvent>

#include <chrono>
#include <thread>

using nv::ScrollPoint;
using nv::ScrollSize;

namespace {

// A rubber band smaller than this is not shown and not used.
constexpr int kMinBandSize = 5;

QAction* AddCommand(QMenu* menu, const QString& text, int id, COXScrollWnd* window)
{
    QAction* action = window->CreateCommand(text, id, menu);
    menu->addAction(action);
    return action;
}

void SetChecked(QAction* action, bool checked)
{
    action->setCheckable(true);
    action->setChecked(checked);
}

} // namespace

COXScrollWnd::COXScrollWnd(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::ClickFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Painting covers every pixel: the background bands and the content.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { OnBarAction(Qt::Horizontal, action); });
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { OnBarAction(Qt::Vertical, action); });
}

COXScrollWnd::~COXScrollWnd() = default;

bool COXScrollWnd::SetContentSize(int mapMode, ScrollSize content, ScrollSize page, ScrollSize line)
{
    if (mapMode != kMapModePixels)
        return false;
    const bool modeChanged = m_nMapMode != mapMode;
    m_nMapMode = mapMode;
    m_sizeContent = {content.cx, std::abs(content.cy)};
    m_sizeZoomed = nv::ZoomedSize(m_sizeContent, m_nZoomPercent);
    const nv::ScrollSteps steps = nv::DefaultScrollSteps(m_sizeZoomed, page, line);
    m_sizePage = steps.page;
    m_sizeLine = steps.line;
    RecalcScrollBars();
    if (modeChanged)
        viewport()->update();
    return true;
}

int COXScrollWnd::SetZoom(int percent, int anchor)
{
    if (anchor == nv::kZoomAnchorDefault)
        anchor = m_nZoomAnchor;
    const ScrollPoint reference = GetAnchorPoint(anchor);
    const int previous = m_nZoomPercent;
    m_nZoomPercent = nv::ClampZoom(percent);
    if (m_nZoomPercent == previous)
        return previous;
    m_sizeZoomed = nv::ZoomedSize(m_sizeContent, m_nZoomPercent);
    ScrollToLogical(reference, anchor);
    RecalcScrollBars();
    viewport()->update();
    return previous;
}

void COXScrollWnd::FitToWindow()
{
    if (m_nMapMode == 0)
        return;
    SetZoom(nv::FitZoom(TrueClientSize(), m_sizeContent), nv::kZoomAnchorDefault);
}

void COXScrollWnd::ScrollToLogical(ScrollPoint point, int anchor)
{
    if (anchor == nv::kZoomAnchorDefault)
        anchor = m_nZoomAnchor;
    ScrollToDevicePosition(
        nv::ScrollTargetForLogical(point, anchor, m_nZoomPercent, GetClientSize(), m_sizeZoomed));
}

ScrollSize COXScrollWnd::BarExtents() const
{
    return {verticalScrollBar()->sizeHint().width(), horizontalScrollBar()->sizeHint().height()};
}

ScrollSize COXScrollWnd::TrueClientSize() const
{
    // The viewport's size with no scroll bar shown.
    QSize size = maximumViewportSize();
    const ScrollSize bars = BarExtents();
    if (verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn)
        size.rwidth() += bars.cx;
    if (horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn)
        size.rheight() += bars.cy;
    return {std::max(size.width(), 0), std::max(size.height(), 0)};
}

ScrollSize COXScrollWnd::GetClientSize() const
{
    ScrollSize client = TrueClientSize();
    const ScrollSize bars = BarExtents();
    if (m_bVertBar)
        client.cx = std::max(client.cx - bars.cx, 0);
    if (m_bHorzBar)
        client.cy = std::max(client.cy - bars.cy, 0);
    return client;
}

void COXScrollWnd::RecalcScrollBars()
{
    if (m_bUpdatingBars)
        return;
    m_bUpdatingBars = true;
    const ScrollSize client = TrueClientSize();
    const nv::ScrollBarLayout layout =
        nv::LayoutScrollBars(client, BarExtents(), m_sizeZoomed, m_ptScroll, true);
    if (layout.tooSmall) {
        if (client.cx > 0 && client.cy > 0) {
            m_bHorzBar = m_bVertBar = false;
            setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        }
        m_bUpdatingBars = false;
        return;
    }
    m_bHorzBar = layout.horizontal;
    m_bVertBar = layout.vertical;
    m_range = layout.range;
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    h->setRange(0, layout.horizontal ? layout.range.cx : 0);
    h->setPageStep(std::max(layout.client.cx, 1));
    h->setSingleStep(std::max(m_sizeLine.cx, 1));
    v->setRange(0, layout.vertical ? layout.range.cy : 0);
    v->setPageStep(std::max(layout.client.cy, 1));
    v->setSingleStep(std::max(m_sizeLine.cy, 1));
    setHorizontalScrollBarPolicy(layout.horizontal ? Qt::ScrollBarAlwaysOn
                                                   : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(layout.vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    ScrollToDevicePosition(layout.position);
    m_bUpdatingBars = false;
}

void COXScrollWnd::SyncBarValues()
{
    horizontalScrollBar()->setValue(m_ptScroll.x);
    verticalScrollBar()->setValue(m_ptScroll.y);
}

void COXScrollWnd::ScrollToDevicePosition(ScrollPoint position)
{
    const ScrollPoint before = GetViewportOrigin();
    m_ptScroll = {std::max(position.x, 0), std::max(position.y, 0)};
    SyncBarValues();
    const ScrollPoint after = GetViewportOrigin();
    if (before != after)
        viewport()->scroll(after.x - before.x, after.y - before.y);
}

ScrollPoint COXScrollWnd::GetViewportOrigin() const
{
    return nv::ViewportOrigin(m_ptScroll, m_nAlignment, GetClientSize(), m_sizeZoomed);
}

ScrollPoint COXScrollWnd::GetAnchorPoint(int anchor) const
{
    return nv::AnchorPoint(anchor, m_ptScroll, GetClientSize(), m_sizeZoomed, m_bHorzBar,
                           m_bVertBar, m_nZoomPercent);
}

void COXScrollWnd::SetZoomAnchor(int anchor)
{
    if (anchor != nv::kZoomAnchorDefault)
        m_nZoomAnchor = anchor;
}

void COXScrollWnd::SetAlignment(int alignment)
{
    m_nAlignment = std::clamp(alignment, 0, 8);
    viewport()->update();
}

void COXScrollWnd::SetScrollSteps(int lineSteps, int pageSteps)
{
    m_nLineScrollSteps = std::max(lineSteps, 1);
    m_nPageScrollSteps = std::max(pageSteps, 1);
}

void COXScrollWnd::SetAlwaysFitWindow(bool on)
{
    const bool was = m_bAlwaysFitWindow;
    m_bAlwaysFitWindow = on;
    if (on && !was)
        FitToWindow();
}

void COXScrollWnd::FillBackground(QPainter& painter, const QBrush& brush)
{
    const ScrollSize client{viewport()->width(), viewport()->height()};
    for (const nv::ScrollRect& r : nv::BackgroundBands(client, GetViewportOrigin(), m_sizeZoomed))
        painter.fillRect(QRect(r.left, r.top, r.Width(), r.Height()), brush);
}

void COXScrollWnd::PrepareDC(QPainter& painter)
{
    const ScrollPoint origin = GetViewportOrigin();
    painter.translate(origin.x, origin.y);
}

void COXScrollWnd::OnHScroll(unsigned code, int position)
{
    ScrollByCode(nv::MakeScrollCodePair(code, nv::kScrollNone), position, true);
}

void COXScrollWnd::OnVScroll(unsigned code, int position)
{
    ScrollByCode(nv::MakeScrollCodePair(nv::kScrollNone, code), position, true);
}

void COXScrollWnd::OnBarAction(Qt::Orientation orientation, int action)
{
    QScrollBar* bar = orientation == Qt::Horizontal ? horizontalScrollBar() : verticalScrollBar();
    unsigned code = nv::kScrollNone;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        code = nv::kScrollLineUp;
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        code = nv::kScrollLineDown;
        break;
    case QAbstractSlider::SliderPageStepSub:
        code = nv::kScrollPageUp;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        code = nv::kScrollPageDown;
        break;
    case QAbstractSlider::SliderToMinimum:
        code = nv::kScrollTop;
        break;
    case QAbstractSlider::SliderToMaximum:
        code = nv::kScrollBottom;
        break;
    case QAbstractSlider::SliderMove:
        code = nv::kScrollThumbTrack;
        break;
    default:
        return;
    }
    // The bar has moved its slider already; the scroll below decides where it ends up.
    const int position = bar->sliderPosition();
    bar->setSliderPosition(bar->value());
    if (orientation == Qt::Horizontal)
        OnHScroll(code, position);
    else
        OnVScroll(code, position);
    bar->setSliderPosition(orientation == Qt::Horizontal ? m_ptScroll.x : m_ptScroll.y);
}

bool COXScrollWnd::ScrollByCode(unsigned pair, int position, bool doScroll)
{
    if (m_bSmoothScrolling && !m_bInSmoothScroll && nv::HasPageCode(pair))
        return SmoothScrollByCode(pair, position, doScroll);
    const int64_t x = nv::PositionForCode(nv::HorizontalCode(pair), m_ptScroll.x, m_sizeLine.cx,
                                          m_sizePage.cx, position);
    const int64_t y = nv::PositionForCode(nv::VerticalCode(pair), m_ptScroll.y, m_sizeLine.cy,
                                          m_sizePage.cy, position);
    auto offset = [](int64_t to, int from) {
        return int(std::clamp<int64_t>(to - from, INT_MIN, INT_MAX));
    };
    const bool scrolled =
        ScrollByOffset(offset(x, m_ptScroll.x), offset(y, m_ptScroll.y), doScroll);
    if (scrolled && doScroll)
        RedrawNow();
    return scrolled;
}

bool COXScrollWnd::ScrollByOffset(int dx, int dy, bool doScroll)
{
    if (!m_bHorzBar || !horizontalScrollBar()->isEnabled())
        dx = 0;
    if (!m_bVertBar || !verticalScrollBar()->isEnabled())
        dy = 0;
    const ScrollPoint to{nv::ClampedScroll(m_ptScroll.x, dx, m_range.cx),
                         nv::ClampedScroll(m_ptScroll.y, dy, m_range.cy)};
    if (to == m_ptScroll)
        return false;
    if (doScroll)
        ScrollToDevicePosition(to);
    return true;
}

bool COXScrollWnd::SmoothScrollByCode(unsigned pair, int position, bool doScroll)
{
    if (m_bInSmoothScroll)
        return true;
    const std::optional<nv::SmoothScrollPlan> plan =
        nv::PlanSmoothScroll(pair, m_sizeLine, m_sizePage, m_nLineScrollSteps, m_nPageScrollSteps);
    if (!plan)
        return true;
    m_bInSmoothScroll = true;
    const unsigned code = plan->forward ? nv::kScrollLineDown : nv::kScrollLineUp;
    const unsigned linePair = plan->vertical ? nv::MakeScrollCodePair(nv::kScrollNone, code)
                                             : nv::MakeScrollCodePair(code, nv::kScrollNone);
    int& line = plan->vertical ? m_sizeLine.cy : m_sizeLine.cx;
    const int savedLine = line;
    auto step = [&](int distance) {
        line = distance;
        const bool scrolled = ScrollByCode(linePair, position, doScroll);
        line = savedLine;
        return scrolled;
    };
    using Clock = std::chrono::steady_clock;
    bool any = false;
    Clock::time_point last;
    for (int i = 0; i < plan->steps; ++i) {
        if (i > 0) {
            const auto next = last + std::chrono::milliseconds(m_nScrollStepDelay);
            const auto now = Clock::now();
            if (now < next)
                std::this_thread::sleep_for(next - now);
        }
        last = Clock::now();
        if (!step(plan->step))
            break;
        any = true;
    }
    if (plan->remainder > 0 && step(plan->remainder))
        any = true;
    m_bInSmoothScroll = false;
    return any;
}

bool COXScrollWnd::KeyToScroll(int key, Qt::KeyboardModifiers modifiers)
{
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool control = modifiers & Qt::ControlModifier;
    switch (key) {
    case Qt::Key_Tab:
        OnHScroll(shift ? nv::kScrollPageUp : nv::kScrollPageDown, 0);
        return true;
    case Qt::Key_Backtab:
        OnHScroll(nv::kScrollPageUp, 0);
        return true;
    case Qt::Key_PageUp:
        OnVScroll(nv::kScrollPageUp, 0);
        return true;
    case Qt::Key_PageDown:
        OnVScroll(nv::kScrollPageDown, 0);
        return true;
    case Qt::Key_End:
        control ? OnVScroll(nv::kScrollBottom, 0) : OnHScroll(nv::kScrollBottom, 0);
        return true;
    case Qt::Key_Home:
        control ? OnVScroll(nv::kScrollTop, 0) : OnHScroll(nv::kScrollTop, 0);
        return true;
    case Qt::Key_Left:
        OnHScroll(nv::kScrollLineUp, 0);
        return true;
    case Qt::Key_Right:
        OnHScroll(nv::kScrollLineDown, 0);
        return true;
    case Qt::Key_Up:
        OnVScroll(nv::kScrollLineUp, 0);
        return true;
    case Qt::Key_Down:
        OnVScroll(nv::kScrollLineDown, 0);
        return true;
    default:
        return false;
    }
}

bool COXScrollWnd::BuildContextMenu(QMenu& menu, QPoint point)
{
    QMenu* zoom = menu.addMenu(tr("Zoom"));
    auto* levels = new QActionGroup(zoom);
    for (size_t i = 0; i < std::size(nv::kZoomLevels); ++i) {
        const int level = nv::kZoomLevels[i];
        QAction* a = AddCommand(zoom, QString("%1%").arg(level), ID_ZOOM_10 + int(i), this);
        levels->addAction(a);
        SetChecked(a, level == m_nZoomPercent);
    }
    QAction* toContent = AddCommand(&menu, tr("Zoom to content"), ID_ZOOM_TO_CONTENT, this);
    if (m_nZoomPercent != 100 && !m_bAlwaysFitWindow)
        AddCommand(&menu, "100%", ID_ZOOM_100, this);
    menu.addSeparator();
    SetChecked(AddCommand(&menu, tr("Always fit window"), ID_ALWAYS_FIT_WINDOW, this),
               m_bAlwaysFitWindow);
    SetChecked(AddCommand(&menu, tr("Use track zoom"), ID_USE_TRACK_ZOOM, this), m_bUseTrackZoom);
    SetChecked(AddCommand(&menu, tr("Smooth scrolling"), ID_SMOOTH_SCROLLING, this),
               m_bSmoothScrolling);
    if (m_bAlwaysFitWindow) {
        zoom->menuAction()->setEnabled(false);
        toContent->setEnabled(false);
    }
    return AddContextMenuItems(menu, point);
}

bool COXScrollWnd::AddContextMenuItems(QMenu&, QPoint)
{
    return true;
}

bool COXScrollWnd::OnCommand(int id)
{
    if (id >= ID_ZOOM_10 && id <= ID_ZOOM_1000) {
        SetZoom(nv::kZoomLevels[id - ID_ZOOM_10], nv::kZoomAnchorDefault);
        return true;
    }
    switch (id) {
    case ID_ZOOM_TO_CONTENT:
        FitToWindow();
        return true;
    case ID_ALWAYS_FIT_WINDOW:
        SetAlwaysFitWindow(!m_bAlwaysFitWindow);
        return true;
    case ID_USE_TRACK_ZOOM:
        m_bUseTrackZoom = !m_bUseTrackZoom;
        return true;
    case ID_SMOOTH_SCROLLING:
        m_bSmoothScrolling = !m_bSmoothScrolling;
        return true;
    default:
        return false;
    }
}

void COXScrollWnd::RedrawNow()
{
    viewport()->repaint();
}

void COXScrollWnd::OnEraseBackground(QPainter& painter)
{
    painter.fillRect(viewport()->rect(), palette().base());
}

void COXScrollWnd::OnDraw(QPainter&, const QRect&) {}

QAction* COXScrollWnd::CreateCommand(const QString& text, int id, QObject* parent)
{
    auto* action = new QAction(text, parent);
    action->setData(id);
    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    return action;
}

bool COXScrollWnd::event(QEvent* event)
{
    // Scrolling keys, Tab included, belong to this window while it has the focus.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (KeyToScroll(key->key(), key->modifiers())) {
            key->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void COXScrollWnd::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    OnEraseBackground(painter);
    if (m_nMapMode == 0)
        return;
    painter.save();
    PrepareDC(painter);
    OnDraw(painter, painter.transform().inverted().mapRect(event->rect()));
    painter.restore();
}

void COXScrollWnd::resizeEvent(QResizeEvent*)
{
    if (m_bUpdatingBars || m_nMapMode == 0)
        return;
    if (m_bAlwaysFitWindow)
        FitToWindow();
    RecalcScrollBars();
}

void COXScrollWnd::scrollContentsBy(int, int)
{
    // Scrolling is done by ScrollToDevicePosition, which keeps the position itself.
}

void COXScrollWnd::wheelEvent(QWheelEvent* event)
{
    if (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) {
        event->ignore();
        return;
    }
    event->accept();
    const int delta = event->angleDelta().y();
    const bool vertical = m_bVertBar;
    const int line = vertical ? m_sizeLine.cy : m_sizeLine.cx;
    const int page = vertical ? m_sizePage.cy : m_sizePage.cx;
    const int distance =
        nv::WheelScrollDistance(delta, QApplication::wheelScrollLines(), line, page, &m_wheelCarry);
    if (distance != 0 && ScrollByOffset(vertical ? 0 : distance, vertical ? distance : 0, true))
        RedrawNow();
}

void COXScrollWnd::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton || !m_bUseTrackZoom || m_bAlwaysFitWindow ||
        m_nMapMode == 0)
        return;
    m_tracking = true;
    m_trackStart = event->position().toPoint();
}

void COXScrollWnd::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    if (!m_tracking)
        return;
    const QRect band = QRect(m_trackStart, event->position().toPoint()).normalized();
    if (band.width() < kMinBandSize || band.height() < kMinBandSize) {
        if (m_band)
            m_band->hide();
        return;
    }
    if (!m_band)
        m_band = new QRubberBand(QRubberBand::Rectangle, viewport());
    m_band->setGeometry(band);
    m_band->show();
}

void COXScrollWnd::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_tracking && event->button() == Qt::LeftButton)
        FinishTrackZoom(event->position().toPoint());
}

void COXScrollWnd::FinishTrackZoom(QPoint end)
{
    m_tracking = false;
    if (m_band)
        m_band->hide();
    const nv::ScrollRect band =
        nv::ScrollRect{m_trackStart.x(), m_trackStart.y(), end.x(), end.y()}.Normalized();
    if (band.Width() < kMinBandSize || band.Height() < kMinBandSize)
        return;
    const ScrollPoint origin = GetViewportOrigin();
    const ScrollSize client = GetClientSize();
    const nv::ScrollRect visible =
        nv::ScrollRect{origin.x, origin.y, origin.x + m_sizeZoomed.cx, origin.y + m_sizeZoomed.cy}
            .Intersected({0, 0, client.cx, client.cy});
    const ScrollPoint alignOffset{origin.x + m_ptScroll.x, origin.y + m_ptScroll.y};
    const std::optional<nv::TrackZoomResult> result = nv::TrackZoom(
        band, visible, client, m_nZoomPercent, alignOffset, GetAnchorPoint(nv::kZoomAnchorTopLeft));
    if (!result)
        return;
    SetZoom(result->zoom, nv::kZoomAnchorTopLeft);
    ScrollToLogical(result->logicalTopLeft, nv::kZoomAnchorTopLeft);
    viewport()->update();
}

void COXScrollWnd::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_bContextMenuEnabled) {
        event->ignore();
        return;
    }
    QMenu menu(this);
    if (BuildContextMenu(menu, event->pos()))
        menu.exec(event->globalPos());
}
