// The hyperlink control.
#include "support/widgets/hyperlink.h"

#include "platform/shell.h"

#include <QMouseEvent>

CIDHyperLink::CIDHyperLink(nv::Shell& shell, QWidget* parent) : COXStatic(parent), m_shell(shell)
{
    setCursor(Qt::UpArrowCursor);
}

bool CIDHyperLink::SetLinkCursor(int id)
{
    const bool known = id == IDC_LINK_HAND;
    setCursor(known ? Qt::PointingHandCursor : Qt::UpArrowCursor);
    return known;
}

void CIDHyperLink::mouseReleaseEvent(QMouseEvent* event)
{
    // A press that is dragged off the link before release opens nothing.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        !m_strURL.empty())
        m_shell.Open(m_strURL);
    COXStatic::mouseReleaseEvent(event);
}
