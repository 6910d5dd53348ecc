// The grid's hint window: a frameless tool window that never takes the focus, showing one line
// of text centred on its background. Placed by the grid's hint arithmetic, and always kept on
// the screen that holds the point it belongs to.
#pragma once

#include "grid/table_types.h"

#include <QWidget>

class CTableHintWnd : public QWidget
{
    Q_OBJECT
public:
    explicit CTableHintWnd(QWidget* owner);

    void SetText(const QString& text) { m_text = text; }
    QString Text() const { return m_text; }
    void SetColors(TableColor text, TableColor back);
    // The height of a line of text in the hint's font.
    int LineHeight() const;
    // Shows the hint at (x, y) of owner with at least minWidth, placed by TableHintFlag flags
    // inside owner, then inside the available part of the screen that holds (x, y); painted at
    // once, without taking the focus.
    void ShowAt(QWidget* owner, int x, int y, int minWidth, unsigned flags);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    TableColor m_textColor = 0x000000;
    TableColor m_backColor = 0xE0FFFF;
};
