// The point table in the main window, worked with real key and mouse events: coordinates
// shown and stored in the notation, refused edits that keep the editor with its text, the Tab
// rules, what starts an edit, Escape, and the hints.
#include "app/georeference_app.h"
#include "app/widgets/main_window.h"
#include "grid/widgets/hint_window.h"
#include "grid/widgets/table_editors.h"
#include "imaging/widgets/image_viewer.h"
#include "platform/app_paths.h"
#include "tests/app/window_test_support.h"
#include "tests/testlib/temp_dir.h"

#include <QImage>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSignalSpy>

#include <gtest/gtest.h>

using nv::test::CellCentre;
using nv::test::ClickCell;
using nv::test::MessageAnswers;
using nv::test::PressKey;
using nv::test::TypeKeys;

namespace {

class PointGridTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        nv::SetApplicationPath(dir.File("Nulo_Vandrel"));
        QImage scan(400, 300, QImage::Format_RGB32);
        scan.fill(Qt::white);
        const std::string path = dir.File("scan.bmp");
        ASSERT_TRUE(scan.save(QString::fromStdString(path), "BMP"));
        window.resize(900, 700);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        ASSERT_TRUE(window.Controller().LoadImage(path));
        window.Controller().EnableImageControls();
        grid = window.PointGrid();
        ASSERT_TRUE(grid && grid->isEnabled());
    }
    void TearDown() override { nv::SetApplicationPath(""); }

    std::string Stored(int column, int row)
    {
        CTableCell cell;
        grid->GetCellRaw(column, row, cell);
        return cell.GetText();
    }
    CTableEdit* Editor() const { return grid->PlainEditor(); }
    bool EditingAt(int column, int row) const
    {
        return grid->IsEditing() && Editor()->isVisible() && grid->GetEditColumn() == column &&
               grid->GetEditRow() == row;
    }
    // The mouse moves over widget with no button held.
    static void Hover(QWidget* widget, QPoint at)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), widget->mapToGlobal(QPointF(at)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }

    nv::test::TempDir dir;
    CGeoreferenceApp app;
    CGeoreferenceWindow window{app, nv::Profile(dir.File("p.ini"))};
    CPointGrid* grid = nullptr;
};

} // namespace

TEST_F(PointGridTest, TypedCellsAreShownAndStoredInTheNotation)
{
    ASSERT_EQ(window.Controller().m_nCoordType, 5);
    // Pixel cells: Tab stores each and goes on; the point's marker follows at once.
    ClickCell(grid, 0, 0);
    TypeKeys("10");
    PressKey(Qt::Key_Tab);
    TypeKeys("20");
    PressKey(Qt::Key_Tab);
    EXPECT_EQ(window.Viewer()->GetMarker(0), (nv::ScrollPoint{10, 20}));

    // Typed letters are capitals; Enter stores the coordinate, goes on to the next cell, and
    // the cell left is stored in the notation.
    ASSERT_TRUE(EditingAt(2, 0));
    TypeKeys("n 45 30");
    EXPECT_EQ(Editor()->GetText(), "N 45 30");
    PressKey(Qt::Key_Return);
    EXPECT_TRUE(EditingAt(3, 0));
    EXPECT_EQ(grid->GetCellText(2, 0), " 45.500000");
    EXPECT_EQ(Stored(2, 0), " 45.500000");
    PressKey(Qt::Key_Escape);

    // An edit ended by the focus leaving the table is shown in the notation at once and
    // stored so once the cursor leaves the cell.
    ClickCell(grid, 3, 1);
    TypeKeys("w105 30");
    window.Control(IDC_INSTRUCTIONS)->setFocus();
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_EQ(grid->GetCellText(3, 1), "-105.500000");
    EXPECT_EQ(Stored(3, 1), "W105 30");
    ClickCell(grid, 0, 1);
    EXPECT_EQ(Stored(3, 1), "-105.500000");
}

namespace {

struct RefusedCase
{
    const char* name;
    int column, row;
    const char* typed;
    const char* kept;    // what the editor holds after the message
    const char* message; // how the message begins
};

void PrintTo(const RefusedCase& c, std::ostream* os)
{
    *os << c.name;
}

class RefusedEdits : public PointGridTest, public ::testing::WithParamInterface<RefusedCase>
{
};

} // namespace

TEST_P(RefusedEdits, ShowTheMessageAndKeepTheEditorWithTheText)
{
    const RefusedCase& c = GetParam();
    grid->SetCellText(c.column, c.row, "7");
    MessageAnswers answers;
    ClickCell(grid, c.column, c.row);
    TypeKeys(c.typed);
    PressKey(Qt::Key_Return);
    ASSERT_EQ(answers.texts.size(), 1u);
    EXPECT_EQ(answers.texts[0].rfind(c.message, 0), 0u) << answers.texts[0];
    EXPECT_TRUE(EditingAt(c.column, c.row));
    EXPECT_EQ(Editor()->GetText(), c.kept);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Editor()->hasFocus(); }));
    EXPECT_EQ(Stored(c.column, c.row), "7");
    // Escape gives up the edit and keeps the cell as it was.
    PressKey(Qt::Key_Escape);
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_EQ(Stored(c.column, c.row), "7");
    EXPECT_EQ(answers.texts.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    PointGrid, RefusedEdits,
    ::testing::Values(
        RefusedCase{"EastInALatitudeCell", 2, 1, "E 10", "E 10",
                    "The coordinate \"E 10\" is not in the proper format."},
        RefusedCase{"FractionInAPixelCell", 0, 1, "12.5", "12.5",
                    "The pixel value \"12.5\" is not in the proper format.  It should be a whole "
                    "number of 0 or more"},
        RefusedCase{"LettersInAPixelCell", 1, 0, "abc", "ABC",
                    "The pixel value \"ABC\" is not in the proper format."}),
    [](const auto& info) { return std::string(info.param.name); });

namespace {

struct TabCase
{
    const char* name;
    int column, row;     // the current cell
    bool edit;           // an edit is open there (F2)
    Qt::Key key;         // then pressed
    int toColumn, toRow; // the current cell afterwards
    bool editing;        // an edit is open there
};

void PrintTo(const TabCase& c, std::ostream* os)
{
    *os << c.name;
}

class TabKeys : public PointGridTest, public ::testing::WithParamInterface<TabCase>
{
};

} // namespace

TEST_P(TabKeys, MoveAlongTheRows)
{
    const TabCase& c = GetParam();
    ClickCell(grid, c.column, c.row);
    if (c.edit) {
        PressKey(Qt::Key_F2);
        ASSERT_TRUE(EditingAt(c.column, c.row));
    }
    PressKey(c.key, c.key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
    EXPECT_EQ(grid->GetCurrentColumn(), c.toColumn);
    EXPECT_EQ(grid->GetCurrentRow(), c.toRow);
    EXPECT_EQ(grid->IsEditing(), c.editing);
    if (c.editing) {
        EXPECT_TRUE(EditingAt(c.toColumn, c.toRow));
    }
}

INSTANTIATE_TEST_SUITE_P(
    PointGrid, TabKeys,
    ::testing::Values(
        TabCase{"TabInTheLastCellStays", 3, 1, false, Qt::Key_Tab, 3, 1, false},
        TabCase{"TabGoesOnToTheNextRow", 3, 0, false, Qt::Key_Tab, 0, 1, false},
        TabCase{"ShiftTabInTheFirstCellStays", 0, 0, false, Qt::Key_Backtab, 0, 0, false},
        TabCase{"ShiftTabGoesBackToThePreviousRow", 0, 1, false, Qt::Key_Backtab, 3, 0, false},
        TabCase{"TabEndingAnEditInTheLastCellWrapsToTheFirst", 3, 1, true, Qt::Key_Tab, 0, 0, true},
        TabCase{"ShiftTabEndingAnEditGoesLeft", 2, 0, true, Qt::Key_Backtab, 1, 0, true},
        TabCase{"ShiftTabEndingAnEditInTheFirstCellGoesToTheRowsEnd", 0, 0, true, Qt::Key_Backtab,
                3, 0, true},
        TabCase{"EnterEndingAnEditGoesRight", 1, 1, true, Qt::Key_Return, 2, 1, true},
        TabCase{"DownEndingAnEditGoesRightToo", 3, 0, true, Qt::Key_Down, 0, 1, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PointGridTest, OnlyPrintableKeysDoubleClickAndF2StartAnEdit)
{
    grid->SetCellText(1, 0, "25");
    ClickCell(grid, 1, 0);
    PressKey(Qt::Key_Backspace);
    // Ctrl+B as a keyboard sends it (a control character), and with the letter as its text.
    QTest::sendKeyEvent(QTest::Click, grid->CellArea(), Qt::Key_B, QString(QChar(2)),
                        Qt::ControlModifier);
    PressKey(Qt::Key_B, Qt::ControlModifier);
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_EQ(Stored(1, 0), "25");

    // A double click: press, release, double-click press, release.
    const QPoint at = CellCentre(grid, 1, 1);
    QTest::mouseClick(grid->CellArea(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->CellArea(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(grid->CellArea(), Qt::LeftButton, {}, at);
    EXPECT_TRUE(EditingAt(1, 1));
    PressKey(Qt::Key_Escape);

    ClickCell(grid, 1, 0);
    TypeKeys("3");
    EXPECT_TRUE(EditingAt(1, 0));
    EXPECT_EQ(Editor()->GetText(), "3"); // the typed key replaces the text
    // The editor keeps the cell's size however long the text grows.
    const QSize size = Editor()->size();
    TypeKeys("0000000000000000000000000000000000000000");
    EXPECT_EQ(Editor()->size(), size);
}

TEST_F(PointGridTest, EscapeOnTheTableLeavesTheWindowOpenAndCancelsAPick)
{
    QSignalSpy finished(&window, &QDialog::finished);
    ClickCell(grid, 1, 0);
    PressKey(Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());

    // While a point is picked, Escape on the table ends the pick and puts the point back.
    grid->SetCellText(0, 1, "5");
    QTest::mouseClick(window.Control(IDC_PICK_POINT2), Qt::LeftButton);
    QTest::mouseMove(window.Viewer()->viewport(), QPoint(31, 41));
    QTest::mouseMove(window.Viewer()->viewport(), QPoint(30, 40));
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid->GetCellText(0, 1) == "30"; }));
    ClickCell(grid, 3, 1);
    PressKey(Qt::Key_Escape);
    EXPECT_EQ(window.Controller().m_nPickMode, 0);
    EXPECT_EQ(grid->GetCellText(0, 1), "5");
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(finished.count(), 0);
}

TEST_F(PointGridTest, HintShowsTheWholeTextOfAFilledCellOnly)
{
    grid->SetCellText(2, 1, "45 30");
    CTableHintWnd* hint = grid->HintWindow();
    // Over a heading and over an empty cell: no hint, once their hint delays have passed.
    Hover(grid->TopHeading(), QPoint(grid->TopHeading()->width() / 2, 5));
    Hover(grid->CellArea(), CellCentre(grid, 0, 1));
    QTimer later;
    later.setSingleShot(true);
    QSignalSpy passed(&later, &QTimer::timeout);
    later.start(600);
    ASSERT_TRUE(passed.wait());
    EXPECT_FALSE(hint->isVisible());

    Hover(grid->CellArea(), CellCentre(grid, 2, 1));
    EXPECT_TRUE(QTest::qWaitFor([&] { return hint->isVisible(); }));
    EXPECT_EQ(hint->Text(), " 45.500000");
}
