// The tooltip window.
#include "support/widgets/tooltip_window.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

#include <utility>

namespace {

// Word break, tab expansion, no clipping; '&' is drawn as it is.
constexpr int kTextFormat = Qt::TextWordWrap | Qt::TextExpandTabs | Qt::TextDontClip;

nv::Point ToPoint(const QPointF& p)
{
    const QPoint q = p.toPoint();
    return {q.x(), q.y()};
}

nv::Rect ToRect(const QRect& r)
{
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

} // namespace

CIDToolTipCtrl::CIDToolTipCtrl() = default;

CIDToolTipCtrl::~CIDToolTipCtrl()
{
    qApp->removeEventFilter(this);
}

bool CIDToolTipCtrl::CreateTip(QWidget* owner)
{
    if (!owner)
        return false;
    m_pOwner = owner;
    setParent(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    resize(10, 10);
    LoadDefaultFont();
    qApp->installEventFilter(this);
    return true;
}

bool CIDToolTipCtrl::AddTool(QWidget* window, const QString& text, const QRect* rect, int id)
{
    if (!window || !m_pOwner)
        return false;
    const QRect local = rect ? *rect : window->rect();
    const QRect inOwner(window->mapTo(m_pOwner, local.topLeft()), local.size());
    m_tools.push_back({window, id, inOwner, text});
    return true;
}

int CIDToolTipCtrl::SetMaxTipWidth(int width)
{
    return std::exchange(m_nMaxWidth, width);
}

void CIDToolTipCtrl::SetDelayTime(int kind, int ms)
{
    if (kind == TTDT_AUTOPOP)
        m_behaviour.m_nAutoPopDelay = ms;
    else if (kind == TTDT_INITIAL)
        m_behaviour.m_nInitialDelay = ms;
}

void CIDToolTipCtrl::SetTipOffset(int x, int y)
{
    m_offset = QPoint(x, y);
}

void CIDToolTipCtrl::SetTipFont(const QFont& font)
{
    m_bDefaultFont = false;
    setFont(font);
}

void CIDToolTipCtrl::LoadDefaultFont()
{
    m_bDefaultFont = true;
    setFont(QApplication::font("QStatusBar"));
}

void CIDToolTipCtrl::RelayEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
        m_behaviour.OnMouseMove(ToPoint(static_cast<QMouseEvent*>(event)->globalPosition()));
        break;
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton)
            m_behaviour.OnLeftButtonDown(ToPoint(mouse->globalPosition()));
        else
            m_behaviour.OnOtherInput();
        break;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
        m_behaviour.OnOtherInput();
        break;
    default:
        break;
    }
}

QString CIDToolTipCtrl::ShownText() const
{
    return isVisible() && m_nShownTool >= 0 ? m_tools[m_nShownTool].text : QString();
}

bool CIDToolTipCtrl::event(QEvent* event)
{
    if (event->type() == QEvent::ApplicationFontChange && m_bDefaultFont)
        LoadDefaultFont();
    return QWidget::event(event);
}

bool CIDToolTipCtrl::eventFilter(QObject* watched, QEvent* event)
{
    if (m_pOwner && watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == m_pOwner)
        RelayEvent(event);
    return QWidget::eventFilter(watched, event);
}

void CIDToolTipCtrl::paintEvent(QPaintEvent*)
{
    if (m_nShownTool < 0)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::ToolTipBase));
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::ToolTipText));
    painter.drawText(rect().marginsRemoved(m_margins), kTextFormat, m_tools[m_nShownTool].text);
}

void CIDToolTipCtrl::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_initialTimer.timerId())
        m_behaviour.OnTimer(nv::TipTimer::initial);
    else if (event->timerId() == m_pollTimer.timerId())
        m_behaviour.OnTimer(nv::TipTimer::poll);
    else
        QWidget::timerEvent(event);
}

QBasicTimer& CIDToolTipCtrl::Timer(nv::TipTimer timer)
{
    return timer == nv::TipTimer::initial ? m_initialTimer : m_pollTimer;
}

void CIDToolTipCtrl::StartTimer(nv::TipTimer timer, int ms)
{
    Timer(timer).start(ms, this);
}

void CIDToolTipCtrl::StopTimer(nv::TipTimer timer)
{
    Timer(timer).stop();
}

nv::Point CIDToolTipCtrl::CursorPos()
{
    return ToPoint(QCursor::pos());
}

int CIDToolTipCtrl::ToolAt(nv::Point screen)
{
    // The window under the point must be the owner or one of its children; a tool of that
    // window, or of a parent that holds it, must contain the point.
    const QPoint global(screen.x, screen.y);
    QWidget* under = QApplication::widgetAt(global);
    if (!m_pOwner || !under || (under != m_pOwner && !m_pOwner->isAncestorOf(under)))
        return -1;
    const QPoint inOwner = m_pOwner->mapFromGlobal(global);
    for (QWidget* w = under; w; w = w == m_pOwner ? nullptr : w->parentWidget())
        for (size_t i = 0; i < m_tools.size(); ++i)
            if (m_tools[i].window == w && m_tools[i].rect.contains(inOwner))
                return int(i);
    return -1;
}

bool CIDToolTipCtrl::IsOverTip(nv::Point screen)
{
    return isVisible() && geometry().contains(QPoint(screen.x, screen.y));
}

void CIDToolTipCtrl::ShowTip(int index, nv::Point cursor)
{
    const TipTool& tool = m_tools[index];
    if (tool.text.isEmpty() || !tool.window)
        return;
    const QFontMetrics fm(font());
    const int width = nv::TipTextWidth(fm.size(Qt::TextExpandTabs, tool.text).width(), m_nMaxWidth);
    const QRect text = fm.boundingRect(QRect(0, 0, width, 0), kTextFormat, tool.text);
    const nv::Size box{std::max(width, text.width()) + m_margins.left() + m_margins.right(),
                       text.height() + m_margins.top() + m_margins.bottom()};

    std::vector<nv::ScreenArea> screens;
    for (const QScreen* s : QGuiApplication::screens())
        screens.push_back({ToRect(s->geometry()), ToRect(s->availableGeometry())});
    const QRect toolWindow(tool.window->mapToGlobal(QPoint(0, 0)), tool.window->size());
    const nv::Rect place =
        nv::PlaceTip(cursor, {m_offset.x(), m_offset.y()}, box, screens, ToRect(toolWindow));
    m_nShownTool = index;
    setGeometry(place.left, place.top, place.Width(), place.Height());
    show();
    update();
}

void CIDToolTipCtrl::HideTip()
{
    hide();
    m_nShownTool = -1;
}
