// The grid's hint window.
#include "grid/widgets/hint_window.h"

#include "grid/grid_layout.h"
#include "grid/widgets/qt_table_device.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

CTableHintWnd::CTableHintWnd(QWidget* owner)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName("HintWnd");
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void CTableHintWnd::SetColors(TableColor text, TableColor back)
{
    m_textColor = text;
    m_backColor = back;
    update();
}

int CTableHintWnd::LineHeight() const
{
    return fontMetrics().height();
}

void CTableHintWnd::ShowAt(QWidget* owner, int x, int y, int minWidth, unsigned flags)
{
    // One pixel of border on each side.
    const int textWidth = fontMetrics().horizontalAdvance(m_text) + 2;
    const TableRect local = PlaceHint(x, y, minWidth, textWidth, LineHeight() + 2, flags,
                                      {0, 0, owner->width(), owner->height()});
    const QPoint origin = owner->mapToGlobal(QPoint(0, 0));
    const TableRect global{local.left + origin.x(), local.top + origin.y(),
                           local.right + origin.x(), local.bottom + origin.y()};
    const QPoint anchor = owner->mapToGlobal(QPoint(x, y));
    QScreen* screen = QGuiApplication::screenAt(anchor);
    if (!screen)
        screen = owner->screen();
    const TableRect placed =
        screen ? KeepInside(global, FromQRect(screen->availableGeometry())) : global;
    setGeometry(ToQRect(placed));
    show();
    raise();
    repaint();
}

void CTableHintWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(m_backColor));
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setPen(ToQColor(m_textColor));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, m_text);
}
