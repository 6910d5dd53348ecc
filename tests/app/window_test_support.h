// Helpers of the main window's widget tests: working the point table with real key and mouse
// events, and answering the message boxes the window shows.
#pragma once

#include "georef/widgets/point_grid.h"
#include "grid/widgets/grid_components.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace nv::test {

// The centre of a cell of the point table, in its cell area.
inline QPoint CellCentre(CPointGrid* grid, int column, int row)
{
    TableRect r;
    EXPECT_TRUE(grid->GetCellRect(column, row, r));
    return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

inline void ClickCell(CPointGrid* grid, int column, int row)
{
    QTest::mouseClick(grid->CellArea(), Qt::LeftButton, {}, CellCentre(grid, column, row));
}

// Presses a key on whatever has the focus.
inline void PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

// Types text key by key, each to whatever has the focus when it is pressed; characters
// outside ASCII arrive as the text of a key the keyboard has no code for.
inline void TypeKeys(const QString& text)
{
    for (QChar ch : text) {
        QWidget* to = QApplication::focusWidget();
        ASSERT_TRUE(to);
        if (ch.unicode() < 0x80)
            QTest::keyClick(to, char(ch.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, to, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

// Types text into a cell as a user does: a click on the cell, the text, Enter (which stores
// it and opens the next cell) and Escape (which closes that one unchanged).
inline void TypeIntoCell(CPointGrid* grid, int column, int row, const QString& text)
{
    ClickCell(grid, column, row);
    TypeKeys(text);
    PressKey(Qt::Key_Return);
    PressKey(Qt::Key_Escape);
}

// Answers every message box that opens while it lives, with the button that decide picks
// for its text (Ok by default), and keeps the texts.
class MessageAnswers
{
public:
    using Decide = std::function<QMessageBox::StandardButton(const std::string& text)>;
    explicit MessageAnswers(Decide decide = {}) : m_decide(std::move(decide))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            const std::string text = box->text().toStdString();
            texts.push_back(text);
            QAbstractButton* button = box->button(m_decide ? m_decide(text) : QMessageBox::Ok);
            if (!button)
                button = box->buttons().value(0);
            button->click();
        });
        m_timer.start(10);
    }
    std::vector<std::string> texts;

private:
    Decide m_decide;
    QTimer m_timer;
};

} // namespace nv::test
