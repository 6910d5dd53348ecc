// The static text control.
#include "support/widgets/static_control.h"

#include <QEvent>
#include <QPainter>

COXStatic::COXStatic(QWidget* parent) : COXStatic(QString(), parent) {}

COXStatic::COXStatic(const QString& text, QWidget* parent)
    : QLabel(text, parent), m_clrBack(palette().color(QPalette::Window))
{}

void COXStatic::SetTextFont(const QFont& font, bool redraw)
{
    setFont(font);
    if (redraw)
        update();
}

void COXStatic::SetTextColor(const QColor& color, bool redraw)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
    if (redraw)
        update();
}

QColor COXStatic::GetTextColor() const
{
    return palette().color(QPalette::WindowText);
}

void COXStatic::SetBkColor(const QColor& color, bool redraw)
{
    m_clrBack = color;
    if (redraw)
        update();
}

void COXStatic::EnableToolTip(bool enable)
{
    m_bTipEnabled = enable;
    UpdateTipText();
}

void COXStatic::SetToolTipText(const QString& text)
{
    m_strTipText = text;
    UpdateTipText();
}

void COXStatic::UpdateTipText()
{
    if (!m_bTipEnabled)
        setToolTip(QString());
    else
        setToolTip(m_strTipText.isEmpty() ? text() : m_strTipText);
}

bool COXStatic::event(QEvent* event)
{
    // The text may have changed since the tip was last set.
    if (event->type() == QEvent::ToolTip)
        UpdateTipText();
    return QLabel::event(event);
}

void COXStatic::paintEvent(QPaintEvent* event)
{
    if (m_clrBack.isValid())
        QPainter(this).fillRect(rect(), m_clrBack);
    QLabel::paintEvent(event);
}
