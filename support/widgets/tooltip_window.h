// CIDToolTipCtrl: the application's own tooltip window. Owned by a dialog, it shows a text box
// near the cursor once the cursor has rested on one of its registered tools, and hides it when
// the cursor leaves, after the auto-pop delay, or on a key or click. Every event of the owner's
// windows passes through it (RelayEvent) before it is delivered.
#pragma once

#include "support/tooltip.h"

#include <QBasicTimer>
#include <QMargins>
#include <QPointer>
#include <QWidget>

#include <vector>

class CIDToolTipCtrl : public QWidget, private nv::TipWindow
{
    Q_OBJECT
public:
    // Kinds of SetDelayTime.
    enum { TTDT_AUTOPOP = 2, TTDT_INITIAL = 3 };

    CIDToolTipCtrl();
    ~CIDToolTipCtrl() override;

    // Makes the tip a top-most window owned by owner, in the status-bar font, and starts
    // relaying the owner's events to it. False without an owner.
    bool CreateTip(QWidget* owner);
    // Registers a tool: rect in window's coordinates, or the whole window when null. False
    // when window is missing.
    bool AddTool(QWidget* window, const QString& text, const QRect* rect = nullptr, int id = 0);
    // The width at which tip texts wrap (0: none). Returns the previous width.
    int SetMaxTipWidth(int width);
    // TTDT_AUTOPOP or TTDT_INITIAL; other kinds are ignored.
    void SetDelayTime(int kind, int ms);
    // Where the tip goes relative to the cursor.
    void SetTipOffset(int x, int y);
    // Replaces the status-bar font, which is then no longer followed.
    void SetTipFont(const QFont& font);
    // Takes note of an event of the owner's windows.
    void RelayEvent(QEvent* event);

    // The text of the tip on show; empty when none is shown.
    QString ShownText() const;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    struct TipTool
    {
        QPointer<QWidget> window;
        int id = 0;
        QRect rect; // owner coordinates
        QString text;
    };

    // nv::TipWindow
    void StartTimer(nv::TipTimer timer, int ms) override;
    void StopTimer(nv::TipTimer timer) override;
    nv::Point CursorPos() override;
    int ToolAt(nv::Point screen) override;
    bool IsOverTip(nv::Point screen) override;
    void ShowTip(int tool, nv::Point cursor) override;
    void HideTip() override;

    QBasicTimer& Timer(nv::TipTimer timer);
    void LoadDefaultFont();

    QPointer<QWidget> m_pOwner;
    QMargins m_margins{2, 2, 3, 3};
    int m_nMaxWidth = 0;
    QPoint m_offset{0, 20};
    bool m_bDefaultFont = true;
    std::vector<TipTool> m_tools;
    int m_nShownTool = -1;
    nv::TipBehaviour m_behaviour{*this};
    QBasicTimer m_initialTimer;
    QBasicTimer m_pollTimer;
};
