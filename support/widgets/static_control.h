// COXStatic: a static text in its own font and colours, over a solid background or none, with
// a tooltip of its own that shows an explicit text or else the control's text.
#pragma once

#include <QColor>
#include <QLabel>

class COXStatic : public QLabel
{
    Q_OBJECT
public:
    explicit COXStatic(QWidget* parent = nullptr);
    COXStatic(const QString& text, QWidget* parent = nullptr);

    // Replaces the font of the text; with redraw the control is repainted.
    void SetTextFont(const QFont& font, bool redraw = true);
    void SetTextColor(const QColor& color, bool redraw = true);
    QColor GetTextColor() const;
    // The background colour; an invalid colour leaves the background unpainted, so that the
    // parent shows through. The default is the dialog face colour of the palette.
    void SetBkColor(const QColor& color, bool redraw = true);
    QColor GetBkColor() const { return m_clrBack; }

    void EnableToolTip(bool enable);
    // An empty text lets the control's text serve as tip again.
    void SetToolTipText(const QString& text);
    // Gives the tooltip the explicit text, the control's text, or nothing when disabled.
    void UpdateTipText();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_clrBack;
    QString m_strTipText;
    bool m_bTipEnabled = false;
};
