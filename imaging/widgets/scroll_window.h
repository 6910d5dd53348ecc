// COXScrollWnd: a window that shows content of a given size at a zoom of 10 % to 1000 %,
// scrolls it with scroll bars, keys, the mouse wheel and animated page scrolls, places content
// smaller than the window at one of nine places, zooms to a rectangle drawn with the left
// button, can keep the content fitted to the window, and offers all of this in its context
// menu. It draws no content itself: a derived class paints in OnDraw through a painter that
// PrepareDC has moved to the content's origin.
#pragma once

#include "imaging/scroll_geometry.h"

#include <QAbstractScrollArea>
#include <QPoint>

class QAction;
class QMenu;
class QRubberBand;

// Commands of the context menu.
enum ScrollWndCommand {
    ID_ZOOM_10 = 26790, // the 13 zoom levels, kZoomLevels order, 26790 to 26802
    ID_ZOOM_100 = 26793,
    ID_ZOOM_1000 = 26802,
    ID_ZOOM_TO_CONTENT = 26803,
    ID_ALWAYS_FIT_WINDOW = 26804,
    ID_USE_TRACK_ZOOM = 26805,
    ID_SMOOTH_SCROLLING = 26806,
};

// The one mapping mode content may use: one logical unit per pixel.
constexpr int kMapModePixels = 1;

class COXScrollWnd : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit COXScrollWnd(QWidget* parent = nullptr);
    ~COXScrollWnd() override;

    // Sets the content's size in pixels and the page and line scroll distances (zero parts
    // get defaults: a tenth of the zoomed content, a tenth of the page). Only the pixel
    // mapping mode is known; any other is refused (false, nothing changes).
    bool SetContentSize(int mapMode, nv::ScrollSize content, nv::ScrollSize page = {},
                        nv::ScrollSize line = {});
    // Sets the zoom (clamped to 10..1000), keeping the anchor's point in place (anchor 0: the
    // window's zoom anchor). Returns the previous zoom.
    int SetZoom(int percent, int anchor = nv::kZoomAnchorDefault);
    // The largest zoom at which the whole content fits into the window without scroll bars.
    void FitToWindow();
    // Scrolls so that a content point lies at the anchor (anchor 0: the window's).
    void ScrollToLogical(nv::ScrollPoint point, int anchor = nv::kZoomAnchorDefault);
    // Recomputes which scroll bars are shown, their ranges and the scroll position.
    void RecalcScrollBars();

    nv::ScrollPoint GetScrollPosition() const { return m_ptScroll; }
    // Where the content's top-left pixel lies in the client area.
    nv::ScrollPoint GetViewportOrigin() const;
    // The content point a zoom change with this anchor keeps in place.
    nv::ScrollPoint GetAnchorPoint(int anchor) const;

    int GetMapMode() const { return m_nMapMode; }
    nv::ScrollSize GetContentSize() const { return m_sizeContent; }
    nv::ScrollSize GetZoomedSize() const { return m_sizeZoomed; }
    nv::ScrollSize GetPageSize() const { return m_sizePage; }
    nv::ScrollSize GetLineSize() const { return m_sizeLine; }
    // The client area beside the scroll bars, in pixels.
    nv::ScrollSize GetClientSize() const;

    int GetZoom() const { return m_nZoomPercent; }
    int GetZoomAnchor() const { return m_nZoomAnchor; }
    // Stores a non-zero anchor; 0 is ignored.
    void SetZoomAnchor(int anchor);
    int GetAlignment() const { return m_nAlignment; }
    void SetAlignment(int alignment);

    bool GetSmoothScrolling() const { return m_bSmoothScrolling; }
    void SetSmoothScrolling(bool on) { m_bSmoothScrolling = on; }
    void SetScrollSteps(int lineSteps, int pageSteps);
    // Least milliseconds between two steps of an animated scroll.
    void SetScrollStepDelay(int milliseconds) { m_nScrollStepDelay = milliseconds; }
    bool GetAlwaysFitWindow() const { return m_bAlwaysFitWindow; }
    void SetAlwaysFitWindow(bool on);
    bool GetUseTrackZoom() const { return m_bUseTrackZoom; }
    void SetUseTrackZoom(bool on) { m_bUseTrackZoom = on; }
    bool GetContextMenuEnabled() const { return m_bContextMenuEnabled; }
    void SetContextMenuEnabled(bool on) { m_bContextMenuEnabled = on; }

    // Fills the parts of the client area that the content does not cover.
    virtual void FillBackground(QPainter& painter, const QBrush& brush);
    // Moves the painter's origin to the content's top-left pixel (window pixels, not zoomed).
    virtual void PrepareDC(QPainter& painter);
    // Scrolls by a code pair (low byte horizontal, high byte vertical); position serves the
    // thumb-track code. With doScroll the window is scrolled and repainted at once. True when
    // it scrolled.
    virtual bool ScrollByCode(unsigned pair, int position, bool doScroll);
    // Scrolls by a distance in pixels, limited to the scroll range, on the axes that have a
    // scroll bar. True when the position changed.
    virtual bool ScrollByOffset(int dx, int dy, bool doScroll);
    // An animated line or page scroll, repainting after every step.
    virtual bool SmoothScrollByCode(unsigned pair, int position, bool doScroll);
    // Called with the context menu built; a derived class adds its items. False: no menu.
    virtual bool AddContextMenuItems(QMenu& menu, QPoint point);
    // Scrolls for a key; false for keys that do not scroll.
    virtual bool KeyToScroll(int key, Qt::KeyboardModifiers modifiers);
    // Runs a context-menu command; false for an id this window does not know.
    virtual bool OnCommand(int id);

    // A context-menu item that runs the command id when chosen.
    QAction* CreateCommand(const QString& text, int id, QObject* parent);
    // Builds the context menu for a click at point (client pixels) into menu; false when no
    // menu is to be shown.
    bool BuildContextMenu(QMenu& menu, QPoint point);

    // The scroll-bar messages: code is one of nv::ScrollCode, position serves the thumb.
    void OnHScroll(unsigned code, int position);
    void OnVScroll(unsigned code, int position);

protected:
    // Paints the background, then the content. area is the part of the window being painted,
    // in the painter's coordinates (after PrepareDC for OnDraw).
    virtual void OnEraseBackground(QPainter& painter);
    virtual void OnDraw(QPainter& painter, const QRect& area);

    // Repaints the whole window at once.
    void RedrawNow();

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

    int m_nMapMode = 0;
    nv::ScrollSize m_sizeContent;
    nv::ScrollSize m_sizeZoomed;
    nv::ScrollSize m_sizePage;
    nv::ScrollSize m_sizeLine;
    int m_nZoomPercent = 100;
    int m_nZoomAnchor = nv::kZoomAnchorTopLeft;
    int m_nAlignment = nv::kAlignTopLeft;
    bool m_bSmoothScrolling = false;
    int m_nLineScrollSteps = 4;
    int m_nPageScrollSteps = 12;
    int m_nScrollStepDelay = 10;
    bool m_bAlwaysFitWindow = false;
    bool m_bContextMenuEnabled = true;
    bool m_bUseTrackZoom = false;

private:
    void OnBarAction(Qt::Orientation orientation, int action);
    // Scrolls to a device position already within the ranges.
    void ScrollToDevicePosition(nv::ScrollPoint position);
    void SyncBarValues();
    nv::ScrollSize TrueClientSize() const;
    nv::ScrollSize BarExtents() const;
    void FinishTrackZoom(QPoint end);

    nv::ScrollPoint m_ptScroll;
    nv::ScrollSize m_range; // largest scroll position on each axis
    bool m_bHorzBar = false;
    bool m_bVertBar = false;
    bool m_bInSmoothScroll = false;
    bool m_bUpdatingBars = false;
    int m_wheelCarry = 0;

    QRubberBand* m_band = nullptr;
    bool m_tracking = false;
    QPoint m_trackStart;
};
