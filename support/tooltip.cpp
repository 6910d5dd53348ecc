// The tooltip's timing and placement.
#include "support/tooltip.h"

#include <algorithm>

namespace nv {

void TipBehaviour::OnMouseMove(Point screen)
{
    // Over the shown tip nothing changes, so that the user can move onto it.
    if (m_window.IsOverTip(screen))
        return;
    const int tool = m_window.ToolAt(screen);
    if (tool < 0) {
        m_nCurrentTool = -1;
        return;
    }
    if (tool == m_nCurrentTool)
        return;
    m_window.StopTimer(TipTimer::initial);
    m_window.StopTimer(TipTimer::poll);
    m_window.HideTip();
    m_bHidden = false;
    m_nCurrentTool = tool;
    m_window.StartTimer(TipTimer::initial, m_nInitialDelay);
}

void TipBehaviour::OnLeftButtonDown(Point screen)
{
    if (!m_window.IsOverTip(screen))
        HideByUser();
}

void TipBehaviour::OnOtherInput()
{
    HideByUser();
}

void TipBehaviour::HideByUser()
{
    m_window.HideTip();
    m_bHidden = true;
}

void TipBehaviour::OnTimer(TipTimer timer)
{
    if (m_nCurrentTool < 0 || m_bHidden) {
        m_window.StopTimer(timer);
        m_window.HideTip();
        return;
    }
    const Point cursor = m_window.CursorPos();
    if (timer == TipTimer::initial) {
        m_window.StopTimer(TipTimer::initial);
        if (m_window.ToolAt(cursor) == m_nCurrentTool) {
            m_window.ShowTip(m_nCurrentTool, cursor);
            m_nShownTime = 0;
            m_window.StartTimer(TipTimer::poll, m_nPollPeriod);
        }
        return;
    }
    m_nShownTime += m_nPollPeriod;
    const bool resting =
        m_window.ToolAt(cursor) == m_nCurrentTool && m_nShownTime < m_nAutoPopDelay;
    if (resting || m_window.IsOverTip(cursor))
        return;
    m_window.StopTimer(TipTimer::poll);
    m_window.HideTip();
    m_bHidden = true;
}

int TipTextWidth(int widestLine, int maxWidth)
{
    return maxWidth > 0 ? std::min(widestLine, maxWidth) : widestLine;
}

Rect PlaceTip(Point cursor, Point offset, Size box, const std::vector<ScreenArea>& screens,
              const Rect& toolWindow)
{
    Rect tip{cursor.x + offset.x, cursor.y + offset.y, cursor.x + offset.x + box.cx,
             cursor.y + offset.y + box.cy};
    const ScreenArea* screen = NearestScreen(screens, cursor);
    if (!screen)
        return tip;

    const Rect& area = screen->workArea;
    auto moveTo = [&tip, box](int left, int top) {
        tip = {left, top, left + box.cx, top + box.cy};
    };
    if (tip.right > area.right)
        moveTo(area.right - box.cx, tip.top);
    if (tip.left < area.left)
        moveTo(area.left, tip.top);
    if (tip.bottom > area.bottom)
        moveTo(tip.left, toolWindow.top - box.cy);
    if (tip.top < area.top)
        moveTo(tip.left, area.top);
    return tip;
}

} // namespace nv
