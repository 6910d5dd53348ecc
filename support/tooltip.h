// The application's own tooltip without a window: when a tip appears and disappears as the
// cursor rests on a tool and the user types or clicks, and where the tip box goes on the
// screens. The tooltip window reports input and timer expiries and carries out what this asks.
#pragma once

#include "platform/screen_geometry.h"

#include <vector>

namespace nv {

// The tooltip's two timers: the rest before a tip appears, and the poll while it is shown.
enum class TipTimer { initial = 1, poll = 2 };

// What the tip's behaviour needs from its window. Points are in screen pixels.
class TipWindow
{
public:
    virtual ~TipWindow() = default;
    // Starts (or restarts) a periodic timer; OnTimer reports each expiry.
    virtual void StartTimer(TipTimer timer, int ms) = 0;
    virtual void StopTimer(TipTimer timer) = 0;
    virtual Point CursorPos() = 0;
    // The index of the registered tool under a point, or -1 when there is none.
    virtual int ToolAt(Point screen) = 0;
    // Whether the tip is shown and the point lies on it.
    virtual bool IsOverTip(Point screen) = 0;
    // Shows the tool's tip for a cursor at the given point (the window adds its offset).
    virtual void ShowTip(int tool, Point cursor) = 0;
    virtual void HideTip() = 0;
};

// The tooltip's states: idle (no current tool), pending (the initial delay runs), shown (polled
// until the auto-pop delay is over or the cursor leaves), hidden (by input or time; shown again
// only after the cursor moves onto another tool).
class TipBehaviour
{
public:
    explicit TipBehaviour(TipWindow& window) : m_window(window) {}

    int m_nInitialDelay = 500;
    int m_nAutoPopDelay = 5000;
    int m_nPollPeriod = 500;

    // The cursor moved to a screen point over the owner's windows.
    void OnMouseMove(Point screen);
    // The left button went down at a screen point.
    void OnLeftButtonDown(Point screen);
    // A key, a right or middle button press, or a double click.
    void OnOtherInput();
    void OnTimer(TipTimer timer);

    bool IsHidden() const { return m_bHidden; }

private:
    void HideByUser();

    TipWindow& m_window;
    int m_nCurrentTool = -1;
    int m_nShownTime = 0;
    bool m_bHidden = false;
};

// The width at which a tip's text is laid out: its widest line, wrapped at maxWidth when that is
// not 0.
int TipTextWidth(int widestLine, int maxWidth);

// Where a tip box of the given size goes for a cursor: its top-left corner at cursor + offset,
// then kept inside the work area of the screen that holds the cursor (or of the screen nearest
// to it): moved left to end at the right edge, moved right to start at the left edge, and when
// it would end below the bottom it goes above the tool's window (its bottom at the window's
// top), yet never above the work area's top. toolWindow is in screen pixels.
Rect PlaceTip(Point cursor, Point offset, Size box, const std::vector<ScreenArea>& screens,
              const Rect& toolWindow);

} // namespace nv
