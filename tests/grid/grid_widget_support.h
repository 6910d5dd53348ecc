// Helpers of the grid's widget tests: a grid that starts edits like a table would (F2, typing,
// double click) and records its hooks, in an active top-level window beside an edit field
// outside the grid; points of cells; and the closing of modal boxes that a test provokes.
#pragma once

#include "grid/cell_types.h"
#include "grid/widgets/grid_components.h"
#include "grid/widgets/table_editors.h"
#include "grid/widgets/table_grid.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace nv::test {

class TestGrid : public CTableGrid
{
public:
    int setups = 0;
    int endings = 0;
    int writes = 0;
    bool allowEnd = true;
    std::function<void()> whileEnding;
    std::vector<int> notifications;
    std::vector<std::string> events;
    int hintAnswer = 1;

    void SetupGrid() override
    {
        ++setups;
        SetColumnCount(6);
        SetRowCount(30);
    }
    void KeyPressed(int& key, bool processed) override
    {
        if (key == TableKey::f2 && !processed)
            StartEdit();
    }
    void CharTyped(int& ch, bool processed) override
    {
        if (!processed && ch >= 0x20 && ch != 0x7F)
            StartEdit(ch);
    }
    int EditEnding(int, int, TableEditor*, const std::string&, bool) override
    {
        ++endings;
        if (whileEnding)
            whileEnding();
        return allowEnd ? 1 : 0;
    }
    void CellWriting(int, int, const CTableCell&) override { ++writes; }
    int CellTypeNotify(int, int, int, int message, intptr_t) override
    {
        notifications.push_back(message);
        return 1;
    }
    int HintText(int column, int row, int section, std::string& text) override
    {
        CTableGrid::HintText(column, row, section, text);
        return hintAnswer;
    }
    void MenuCommandChosen(int column, int row, int, int id) override
    {
        events.push_back("menu " + std::to_string(id) + " at " + std::to_string(column) + "," +
                         std::to_string(row));
    }
    int HelpContext(int column, int row, int) override { return 100 + column * 10 + row; }
    void TabSelected(int id) override { events.push_back("tab " + std::to_string(id)); }
    void ColumnMoved(int from, int to) override
    {
        events.push_back("moved " + std::to_string(from) + "->" + std::to_string(to));
    }
    int Drop(const std::string&, int, int) override { return acceptDrops ? 1 : 0; }
    int DragEnter(int) override { return acceptDrops ? 1 : 0; }
    int DragOver(const std::string&, int, int) override { return acceptDrops ? 1 : 0; }
    bool acceptDrops = false;
};

// A grid of 500 x 300 in an active window, with an edit field below it.
class GridWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        grid = new TestGrid;
        grid->setFixedSize(500, 300);
        layout->addWidget(grid);
        outside = new QLineEdit(window.get());
        layout->addWidget(outside);
        window->move(20, 20);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        grid->CellArea()->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return grid->CellArea()->hasFocus(); }));
    }
    void TearDown() override { window.reset(); }

    QWidget* Area() const { return grid->CellArea(); }
    // The centre of a cell in the cell area.
    QPoint Centre(int column, int row) const
    {
        TableRect r;
        EXPECT_TRUE(grid->GetCellRect(column, row, r));
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    void Click(int column, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mouseClick(Area(), Qt::LeftButton, modifiers, Centre(column, row));
    }
    // The mouse moves over widget with no button held.
    static void Hover(QWidget* widget, QPoint at)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), widget->mapToGlobal(QPointF(at)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }
    // Types text, each key to whatever has the focus when it is pressed.
    void Keys(const QString& text)
    {
        for (QChar ch : text)
            QTest::keyClick(QApplication::focusWidget(), ch.toLatin1());
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    CTableEdit* Editor() const { return grid->PlainEditor(); }
    bool EditorOpen() const { return Editor()->isVisible(); }

    std::unique_ptr<QWidget> window;
    TestGrid* grid = nullptr;
    QLineEdit* outside = nullptr;
};

// Closes the next modal box that opens and keeps its caption and text.
class ModalCloser
{
public:
    ModalCloser()
    {
        QTimer::singleShot(0, &m_timer, [this] { m_timer.start(10); });
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                caption = box->windowTitle();
                text = box->text();
                box->accept();
                m_timer.stop();
            }
        });
    }
    QString caption;
    QString text;

private:
    QTimer m_timer;
};

} // namespace nv::test
