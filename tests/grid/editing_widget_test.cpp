// Editing in the grid's window with real key and mouse events: typing and F2 open the editor,
// keys inside it end the edit and move on, Escape cancels, a refused end keeps the editor with
// its text and focus, focus loss commits or cancels exactly once, masks filter typing.
#include "grid_widget_support.h"

#include <QLineEdit>
#include <QMessageBox>

using nv::test::GridWindowTest;
using nv::test::ModalCloser;

namespace {

struct EditorKeyCase
{
    const char* name;
    int column, row; // where the edit starts
    Qt::Key key;     // pressed in the editor after typing "xy"
    Qt::KeyboardModifiers modifiers;
    const char* stored;      // the start cell's text afterwards
    int nextColumn, nextRow; // where the next edit is open, or -1 when none is
};

class EditorKeys : public GridWindowTest, public ::testing::WithParamInterface<EditorKeyCase>
{
};

} // namespace

TEST_P(EditorKeys, EndTheEditAndMoveOn)
{
    const EditorKeyCase& c = GetParam();
    grid->SetCellText(c.column, c.row, "old");
    grid->GotoCell(c.column, c.row);
    Keys("xy");
    ASSERT_TRUE(EditorOpen());
    EXPECT_EQ(Editor()->GetText(), "xy"); // the first key replaced the selected text
    Key(c.key, c.modifiers);
    EXPECT_EQ(grid->GetCellText(c.column, c.row), c.stored);
    if (c.nextColumn < 0) {
        EXPECT_FALSE(grid->IsEditing());
        EXPECT_FALSE(EditorOpen());
        EXPECT_TRUE(Area()->hasFocus());
    } else {
        EXPECT_TRUE(grid->IsEditing());
        EXPECT_EQ(grid->GetEditColumn(), c.nextColumn);
        EXPECT_EQ(grid->GetEditRow(), c.nextRow);
        EXPECT_TRUE(Editor()->hasFocus());
    }
}

INSTANTIATE_TEST_SUITE_P(
    GridWindow, EditorKeys,
    ::testing::Values(
        EditorKeyCase{"EnterGoesDown", 1, 1, Qt::Key_Return, Qt::NoModifier, "xy", 1, 2},
        EditorKeyCase{"EnterOnTheLastRowWraps", 2, 29, Qt::Key_Return, Qt::NoModifier, "xy", 2, 0},
        EditorKeyCase{"TabGoesRight", 1, 1, Qt::Key_Tab, Qt::NoModifier, "xy", 2, 1},
        EditorKeyCase{"ShiftTabOnColumnZeroWraps", 0, 3, Qt::Key_Backtab, Qt::ShiftModifier, "xy",
                      5, 3},
        EditorKeyCase{"UpGoesUp", 1, 4, Qt::Key_Up, Qt::NoModifier, "xy", 1, 3},
        EditorKeyCase{"DownGoesDown", 1, 4, Qt::Key_Down, Qt::NoModifier, "xy", 1, 5},
        EditorKeyCase{"EscapeKeepsTheStoredText", 1, 1, Qt::Key_Escape, Qt::NoModifier, "old", -1,
                      -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GridWindowTest, F2OpensTheCellTextSelectedAndTypingReplacesIt)
{
    grid->SetCellText(2, 2, "hello");
    Click(2, 2);
    Key(Qt::Key_F2);
    ASSERT_TRUE(EditorOpen());
    EXPECT_TRUE(Editor()->hasFocus());
    EXPECT_EQ(Editor()->toPlainText(), "hello");
    EXPECT_EQ(Editor()->textCursor().selectedText(), "hello");
    // The editor lies on the cell, one pixel inside its right and bottom edges.
    TableRect cell;
    grid->GetCellRect(2, 2, cell);
    EXPECT_EQ(Editor()->geometry(),
              QRect(cell.left, cell.top, cell.Width() - 1, cell.Height() - 1));
    Key(Qt::Key_End);
    Keys("!");
    Key(Qt::Key_Escape);
    EXPECT_EQ(grid->GetCellText(2, 2), "hello");
    Key(Qt::Key_F2);
    Keys("bye");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->GetCellText(2, 2), "bye");
}

TEST_F(GridWindowTest, DoubleClickInTheEditorDoesNotEndIt)
{
    Click(1, 1);
    Keys("abc");
    QTest::mouseDClick(Editor()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(grid->IsEditing());
    EXPECT_EQ(grid->endings, 0);
}

TEST_F(GridWindowTest, RefusedEndKeepsTheEditorTextAndFocus)
{
    grid->SetCellText(1, 1, "kept");
    grid->GotoCell(1, 1);
    grid->allowEnd = false;
    Keys("bad");
    Key(Qt::Key_Return);
    EXPECT_TRUE(EditorOpen());
    EXPECT_TRUE(Editor()->hasFocus());
    EXPECT_EQ(Editor()->toPlainText(), "bad");
    EXPECT_EQ(grid->GetCellText(1, 1), "kept");
    EXPECT_EQ(grid->GetCurrentRow(), 1);
    // A click on another cell tries to end the edit too; the refusal keeps it.
    Click(3, 5);
    EXPECT_TRUE(Editor()->hasFocus());
    EXPECT_EQ(Editor()->toPlainText(), "bad");
    EXPECT_EQ(grid->GetCurrentColumn(), 1);
    grid->allowEnd = true;
    Key(Qt::Key_End);
    Keys("ly");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->GetCellText(1, 1), "badly");
}

TEST_F(GridWindowTest, AMessageWhileEndingEndsTheEditOnce)
{
    // The hook shows a message box, which takes the focus from the grid's window.
    grid->whileEnding = [this] {
        ModalCloser closer;
        QMessageBox::warning(grid, "Check", "Not a coordinate");
    };
    grid->allowEnd = false;
    Click(1, 1);
    Keys("E 10");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->endings, 1);
    EXPECT_TRUE(grid->IsEditing());
    EXPECT_TRUE(QTest::qWaitFor([&] { return Editor()->hasFocus(); }));
    EXPECT_EQ(Editor()->toPlainText(), "E 10");
    EXPECT_EQ(grid->writes, 0);
}

TEST_F(GridWindowTest, FocusLossCommitsOrCancelsExactlyOnce)
{
    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "cancel on focus loss" : "commit on focus loss");
        grid->SetCancelEditOnFocusLoss(cancel);
        grid->SetCellText(1, 1, "before");
        grid->endings = grid->writes = 0;
        Click(1, 1);
        Keys("typed");
        QTest::mouseClick(outside, Qt::LeftButton);
        EXPECT_TRUE(outside->hasFocus());
        EXPECT_FALSE(grid->IsEditing());
        EXPECT_EQ(grid->endings, 1);
        EXPECT_EQ(grid->writes, cancel ? 0 : 1);
        EXPECT_EQ(grid->GetCellText(1, 1), cancel ? "before" : "typed");
        grid->CellArea()->setFocus();
    }
}

TEST_F(GridWindowTest, ClickingAnotherCellCommitsAndMovesThere)
{
    Click(1, 1);
    Keys("one");
    Click(3, 4);
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_EQ(grid->GetCellText(1, 1), "one");
    EXPECT_EQ(grid->GetCurrentColumn(), 3);
    EXPECT_EQ(grid->GetCurrentRow(), 4);
}

TEST_F(GridWindowTest, UpperCaseEditorWithoutGrowing)
{
    // What a table of coordinates asks of the editor when an edit starts.
    struct UpperGrid : nv::test::TestGrid
    {
        int EditStarting(int, int, TableEditor*& editor) override
        {
            editor->SetUpperCase(true);
            editor->SetAutoGrow(false);
            return 1;
        }
    };
    auto* upper = new UpperGrid;
    window->layout()->replaceWidget(grid, upper);
    delete grid;
    grid = upper;
    grid->setFixedSize(300, 200);
    grid->show();
    grid->GotoCell(0, 0);
    grid->CellArea()->setFocus();
    const QRect start = [&] {
        Keys("n");
        return Editor()->geometry();
    }();
    Keys(" 45 30 and a long text that does not fit");
    EXPECT_EQ(Editor()->toPlainText(), "N 45 30 AND A LONG TEXT THAT DOES NOT FIT");
    EXPECT_EQ(Editor()->geometry(), start);
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->GetCellText(0, 0), "N 45 30 AND A LONG TEXT THAT DOES NOT FIT");
}

TEST_F(GridWindowTest, ThePlainEditorGrowsWithItsText)
{
    Click(1, 1);
    Keys("a");
    const QRect start = Editor()->geometry();
    Keys(" text much longer than one column of seventy-five pixels");
    const QRect grown = Editor()->geometry();
    EXPECT_GT(grown.width(), start.width());
    EXPECT_EQ(grown.left(), start.left());
    // It ends on a column edge and stays inside the cell area.
    TableRect cell;
    bool onEdge = false;
    for (int c = 1; c < grid->GetColumnCount(); ++c)
        if (grid->GetCellRect(c, 1, cell) && cell.right == grown.left() + grown.width())
            onEdge = true;
    EXPECT_TRUE(onEdge || grown.right() + 1 == Area()->width());
}

namespace {

struct MaskCase
{
    const char* name;
    const char* mask;
    const char* typed;
    const char* shown;
};

class MaskTyping : public GridWindowTest, public ::testing::WithParamInterface<MaskCase>
{
};

} // namespace

TEST_P(MaskTyping, FiltersWhatIsTyped)
{
    const MaskCase& c = GetParam();
    grid->GetColumnDefaultCell(2)->SetMask(c.mask);
    Click(2, 3);
    Keys(c.typed);
    CTableMaskEdit* editor = grid->MaskEditor();
    ASSERT_TRUE(editor->isVisible());
    EXPECT_FALSE(EditorOpen());
    EXPECT_EQ(editor->text(), c.shown);
    Key(Qt::Key_Tab);
    EXPECT_EQ(grid->GetCellText(2, 3), c.shown);
}

INSTANTIATE_TEST_SUITE_P(GridWindow, MaskTyping,
                         ::testing::Values(MaskCase{"DigitsRefuseLetters", "000", "12a3", "123"},
                                           MaskCase{"LettersRefuseDigits", "LL", "1ab2", "ab"},
                                           MaskCase{"LiteralsAreTypedForYou", "(000) 00", "12345",
                                                    "(123) 45"},
                                           MaskCase{"NoMoreThanTheMask", "00", "1234", "12"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GridWindowTest, BackspaceInAMaskedEditorKeepsTheMask)
{
    grid->GetColumnDefaultCell(2)->SetMask("00-00");
    Click(2, 3);
    Keys("1234");
    CTableMaskEdit* editor = grid->MaskEditor();
    EXPECT_EQ(editor->text(), "12-34");
    editor->setCursorPosition(3);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(editor->text(), "12-34"); // the literal cannot be deleted away
    editor->setCursorPosition(5);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(editor->text(), "12-3");
}
