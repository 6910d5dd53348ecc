// The grid's window with real events: attaching to a placeholder, what a move repaints, the
// mouse (selection by Shift and Ctrl clicks, sizing and moving columns), the drop list and the
// check box, hints inside the screen, the scaled scroll bar, the context menu, find, sheet
// tabs, dropped text and right-to-left grids.
#include "grid_widget_support.h"

#include "grid/grid_layout.h"
#include "grid/widgets/drop_list.h"
#include "grid/widgets/find_dialog.h"
#include "grid/widgets/hint_window.h"

#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStyleOptionSlider>
#include <QWheelEvent>

using nv::test::GridWindowTest;
using nv::test::ModalCloser;
using nv::test::TestGrid;

namespace {

// A normal cell type that counts the cells it paints.
class CountingType : public CTableNormalCellType
{
public:
    int painted = 0;
    void Draw(TableDevice* device, const TableRect& rect, int column, int row, CTableCell& cell,
              int selection, bool current) override
    {
        ++painted;
        CTableNormalCellType::Draw(device, rect, column, row, cell, selection, current);
    }
};

QColor PixelAt(QWidget* widget, QPoint point)
{
    return widget->grab().toImage().pixelColor(point);
}

} // namespace

TEST(GridAttach, TakesThePlaceholdersPlaceIdAndFont)
{
    QWidget dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* before = new QPushButton("before", &dialog);
    auto* placeholder = new QLabel(&dialog);
    placeholder->setProperty("controlId", 4066);
    QFont font("DejaVu Sans");
    font.setPixelSize(13);
    placeholder->setFont(font);
    layout->addWidget(before);
    layout->addWidget(placeholder);
    QPointer<QLabel> watch(placeholder);

    TestGrid grid;
    EXPECT_EQ(grid.AttachToDialogItem(&dialog, 999), 0);
    ASSERT_EQ(grid.AttachToDialogItem(&dialog, 4066), 1);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTRY_VERIFY(watch.isNull());
    EXPECT_EQ(grid.parentWidget(), &dialog);
    EXPECT_EQ(layout->indexOf(&grid), 1);
    EXPECT_EQ(grid.property("controlId").toInt(), 4066);
    before->setFocus();
    QTest::keyClick(before, Qt::Key_Tab);
    QTRY_VERIFY(grid.CellArea()->hasFocus());
    EXPECT_EQ(grid.setups, 1);
    ASSERT_NE(grid.Sheet().defaultFont, nullptr);
    EXPECT_EQ(grid.Sheet().defaultFont->height, -13);
    const TableFont* heading = grid.Sheet().headingDefaultCell.GetFont();
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->weight, grid.Sheet().defaultFont->weight + 200);
    EXPECT_GT(grid.CellArea()->width(), 0);
}

TEST_F(GridWindowTest, MovingAndScrollingRepaintOnlyWhatChanged)
{
    auto counter = std::make_unique<CountingType>();
    CountingType* counting = counter.get();
    const int type = grid->RegisterCellType(std::move(counter));
    for (int c = 0; c < grid->GetColumnCount(); ++c)
        grid->GetColumnDefaultCell(c)->SetCellType(type);
    grid->LockRows(2);
    grid->RedrawAll();
    QTRY_VERIFY(counting->painted > 0);
    QApplication::processEvents();

    // A step of the current cell: the old and the new cell.
    grid->GotoCell(1, 3);
    QApplication::processEvents();
    counting->painted = 0;
    Key(Qt::Key_Right);
    QTRY_COMPARE(counting->painted, 2);
    QApplication::processEvents();
    EXPECT_EQ(counting->painted, 2);

    // Down past the bottom: one row scrolls in, the locked rows stay.
    grid->GotoCell(1, grid->GetBottomRow() - 1);
    QApplication::processEvents();
    const TableSheet& s = grid->Sheet();
    const int top = s.topRow;
    const int columns = s.rightColumn - s.leftColumn + 1;
    counting->painted = 0;
    Key(Qt::Key_Down);
    QApplication::processEvents();
    EXPECT_EQ(s.topRow, top + 1);
    EXPECT_GT(counting->painted, 0);
    // The rows uncovered at the bottom (the one that was partly shown and the new one) and
    // the old and new current cell.
    EXPECT_LE(counting->painted, 2 * columns + 2);
}

TEST_F(GridWindowTest, TheWheelScrollsByNotchesThatSmallStepsAddUpTo)
{
    auto wheel = [&](int dy) {
        const QPointF at(Centre(1, 1));
        QWheelEvent event(at, Area()->mapToGlobal(at), QPoint(), QPoint(0, dy), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Area(), &event);
    };
    const int lines = QApplication::wheelScrollLines();
    ASSERT_GE(grid->Sheet().maxTopRow, 2 * lines);
    wheel(-120);
    EXPECT_EQ(grid->GetTopRow(), lines);
    // A touchpad or a fine wheel sends parts of a notch: three thirds make one.
    wheel(-40);
    wheel(-40);
    EXPECT_EQ(grid->GetTopRow(), lines);
    wheel(-40);
    EXPECT_EQ(grid->GetTopRow(), 2 * lines);
    // Turning back starts afresh from the new direction.
    wheel(-60);
    wheel(120);
    EXPECT_EQ(grid->GetTopRow(), lines);
}

TEST_F(GridWindowTest, SelectionByShiftAndCtrlClicks)
{
    grid->SetBlockSelection(true);
    CTableSelection& selection = *grid->Sheet().selection;
    Click(0, 0);
    Click(2, 2, Qt::ShiftModifier);
    ASSERT_EQ(selection.GetBlockCount(), 1);
    EXPECT_EQ(selection.GetBlock(0).bounds, (TableRange{0, 0, 2, 2}));
    Click(4, 4, Qt::ControlModifier);
    ASSERT_EQ(selection.GetBlockCount(), 2);
    EXPECT_TRUE(selection.IsSelected(1, 1));
    EXPECT_TRUE(selection.IsSelected(4, 4));
    EXPECT_FALSE(selection.IsSelected(3, 3));
    // Selected cells show in the highlight colour.
    QApplication::processEvents();
    const QColor highlight = grid->palette().color(QPalette::Highlight);
    EXPECT_EQ(PixelAt(Area(), Centre(1, 1) + QPoint(0, -5)), highlight);
    EXPECT_NE(PixelAt(Area(), Centre(3, 3) + QPoint(0, -5)), highlight);
    Click(1, 1);
    ASSERT_EQ(selection.GetBlockCount(), 1);
    EXPECT_EQ(selection.GetBlock(0).bounds, (TableRange{1, 1, 1, 1}));
    QApplication::processEvents();
    EXPECT_NE(PixelAt(Area(), Centre(2, 2) + QPoint(0, -5)), highlight);
    // A disabled grid shows no highlight.
    Click(3, 3, Qt::ShiftModifier);
    QApplication::processEvents();
    EXPECT_EQ(PixelAt(Area(), Centre(2, 2) + QPoint(0, -5)), highlight);
    grid->setEnabled(false);
    QApplication::processEvents();
    EXPECT_NE(PixelAt(Area(), Centre(2, 2) + QPoint(0, -5)), highlight);
}

TEST_F(GridWindowTest, DraggingASelectionBeyondTheBottomScrolls)
{
    grid->SetBlockSelection(true);
    QTest::mousePress(Area(), Qt::LeftButton, {}, Centre(1, 1));
    QMouseEvent move(QEvent::MouseMove, QPointF(Centre(2, 1).x(), Area()->height() + 30),
                     Area()->mapToGlobal(QPointF(Centre(2, 1).x(), Area()->height() + 30)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Area(), &move);
    // The mouse stands still below the area: the rounds go on scrolling.
    QTRY_VERIFY(grid->GetTopRow() >= 3);
    QTest::mouseRelease(Area(), Qt::LeftButton, {}, Centre(2, 1));
    // Below the area only the rows follow the mouse.
    const TableRange bounds = grid->Sheet().selection->GetBlock(0).bounds;
    EXPECT_EQ(bounds.left, 1);
    EXPECT_EQ(bounds.right, 1);
    EXPECT_EQ(bounds.top, 1);
    EXPECT_GT(bounds.bottom, 10);
}

TEST_F(GridWindowTest, ColumnSizingByDragStopsAtZero)
{
    QWidget* heading = grid->TopHeading();
    TableRect rect;
    ASSERT_TRUE(HeadingRect(grid->Sheet(), 1, -1, rect));
    const QPoint edge(rect.right - 1, 10);
    Hover(heading, edge);
    EXPECT_EQ(heading->cursor().shape(), Qt::SplitHCursor);
    QTest::mousePress(heading, Qt::LeftButton, {}, edge);
    QTest::mouseMove(heading, edge + QPoint(40, 0));
    EXPECT_EQ(grid->GetColumnWidth(1), 75 + 40);
    QTest::mouseMove(heading, QPoint(2, 10));
    EXPECT_EQ(grid->GetColumnWidth(1), 0);
    QTest::mouseRelease(heading, Qt::LeftButton, {}, QPoint(2, 10));
    EXPECT_EQ(grid->GetColumnWidth(1), 0);
    // The hidden column's grip is at its left neighbour's edge: it can be widened again.
    EXPECT_EQ(grid->ColumnSizingGrip(rect.left), 1);
}

TEST_F(GridWindowTest, AColumnMovedByDragging)
{
    grid->Sheet().columnMoving = true;
    for (int c = 0; c < 4; ++c) {
        grid->SetCellText(c, -1, "H" + std::to_string(c));
        grid->SetCellText(c, 0, "c" + std::to_string(c));
    }
    QWidget* heading = grid->TopHeading();
    TableRect from, over;
    HeadingRect(grid->Sheet(), 0, -1, from);
    HeadingRect(grid->Sheet(), 2, -1, over);
    QTest::mousePress(heading, Qt::LeftButton, {}, QPoint(from.left + 20, 10));
    EXPECT_EQ(grid->GetMovingColumn(), 0);
    QTest::mouseMove(heading, QPoint(over.left + 20, 10));
    QTest::mouseRelease(heading, Qt::LeftButton, {}, QPoint(over.left + 20, 10));
    EXPECT_EQ(grid->GetMovingColumn(), -1);
    EXPECT_EQ(grid->GetCellText(0, 0), "c1");
    EXPECT_EQ(grid->GetCellText(1, 0), "c2");
    EXPECT_EQ(grid->GetCellText(2, 0), "c0");
    EXPECT_EQ(grid->GetCellText(2, -1), "H0");
    EXPECT_EQ(grid->events.back(), "moved 0->2");
}

TEST_F(GridWindowTest, ChoosingFromADropList)
{
    CTableCell* column = grid->GetColumnDefaultCell(2);
    column->SetCellType(1);
    column->SetLabel("Red\nGreen\nBlue"); // no line feed after Blue: not a choice
    auto* type = dynamic_cast<CTableDropListCellType*>(grid->GetCellTypeObject(1));
    ASSERT_NE(type, nullptr);
    TableRect cell;
    grid->GetCellRect(2, 1, cell);
    const TableRect button = type->ButtonRect(cell);
    const QPoint onButton((button.left + button.right) / 2, (button.top + button.bottom) / 2);

    QTest::mouseClick(Area(), Qt::LeftButton, {}, onButton);
    CTableDropList* list = grid->DropList();
    QTRY_VERIFY(list->isVisible());
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "Red");
    EXPECT_EQ(list->item(1)->text(), "Green");
    // Under the cell, ten pixels to the right, on the screen.
    const QPoint cellBottomLeft = Area()->mapToGlobal(QPoint(cell.left, cell.bottom));
    EXPECT_EQ(list->geometry().topLeft(), cellBottomLeft + QPoint(10, 0));
    EXPECT_TRUE(list->screen()->availableGeometry().contains(list->geometry()));

    const QRect green = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, green.center());
    QTRY_VERIFY(!list->isVisible());
    EXPECT_EQ(grid->GetCellText(2, 1), "Green");
    EXPECT_EQ(grid->notifications, (std::vector<int>{100, 102, 101, 103}));
    EXPECT_EQ(type->GetOpenColumn(), -1);

    // Enter opens it from the keyboard; Escape closes it and changes nothing.
    grid->notifications.clear();
    Area()->setFocus();
    QTest::keyClick(Area(), Qt::Key_Return);
    QTRY_VERIFY(list->isVisible());
    QTest::keyClick(list, Qt::Key_Escape);
    QTRY_VERIFY(!list->isVisible());
    EXPECT_EQ(grid->GetCellText(2, 1), "Green");
    EXPECT_EQ(type->GetOpenColumn(), -2);
    EXPECT_EQ(grid->notifications, (std::vector<int>{100}));
}

TEST_F(GridWindowTest, DropListNearTheScreenEdgeOpensAboveTheCell)
{
    QScreen* screen = window->screen();
    window->move(20, screen->availableGeometry().bottom() - window->height() + 10);
    QApplication::processEvents();
    grid->GetColumnDefaultCell(0)->SetCellType(1);
    grid->GetColumnDefaultCell(0)->SetLabel("a\nb\nc\nd\ne\nf\ng\nh\ni\nj\n");
    grid->GotoCell(0, grid->GetBottomRow() - 1);
    QTest::keyClick(Area(), Qt::Key_Down, Qt::ControlModifier);
    CTableDropList* list = grid->DropList();
    QTRY_VERIFY(list->isVisible());
    EXPECT_TRUE(screen->availableGeometry().contains(list->geometry()));
    TableRect cell;
    grid->GetCellRect(0, grid->GetCurrentRow(), cell);
    EXPECT_LE(list->geometry().bottom(), Area()->mapToGlobal(QPoint(0, cell.top)).y());
    QTest::keyClick(list, Qt::Key_Escape);
}

TEST_F(GridWindowTest, CheckBoxCycles)
{
    struct Case
    {
        const char* name;
        int32_t style;
        std::vector<int> states;
    };
    const Case cases[] = {{"two states", -1, {1, 0, 1}},
                          {"three states", TableCellStyle::triState, {1, 2, 0, 1}}};
    int row = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTableCell cell;
        cell.SetCellType(2);
        cell.SetLabel("on");
        if (c.style != -1)
            cell.SetExtendedStyle(c.style);
        grid->SetCell(3, row, cell);
        grid->GotoCell(3, row);
        grid->notifications.clear();
        for (int expected : c.states) {
            QTest::keyClick(Area(), Qt::Key_Space);
            EXPECT_EQ(int(grid->GetCellRaw(3, row, cell) == 0 ? cell.GetNumber() : -1), expected);
        }
        EXPECT_EQ(grid->notifications, std::vector<int>(c.states.size(), 53));
        EXPECT_FALSE(grid->IsEditing()); // a check box is not edited as text
        ++row;
    }
    // A click in the box toggles; beside it, it does not; a read-only box never does.
    TableRect rect;
    grid->GetCellRect(3, 1, rect);
    CTableCell cell;
    grid->GetCell(3, 1, cell);
    const TableRect box = CTableCheckBoxCellType::BoxRect(rect, -1, cell.GetAlignment());
    const double before = (grid->GetCellRaw(3, 1, cell), cell.GetNumber());
    QTest::mouseClick(Area(), Qt::LeftButton, {}, QPoint(box.left + 3, box.top + 3));
    EXPECT_NE((grid->GetCellRaw(3, 1, cell), cell.GetNumber()), before);
    QTest::mouseClick(Area(), Qt::LeftButton, {}, QPoint(rect.right - 5, box.top + 3));
    EXPECT_NE((grid->GetCellRaw(3, 1, cell), cell.GetNumber()), before);
    grid->GetCellRaw(3, 1, cell);
    cell.SetReadOnly(1);
    grid->SetCell(3, 1, cell);
    const double fixed = cell.GetNumber();
    QTest::keyClick(Area(), Qt::Key_Space);
    EXPECT_EQ((grid->GetCellRaw(3, 1, cell), cell.GetNumber()), fixed);
}

TEST_F(GridWindowTest, HintTextAndPlacementInsideTheScreen)
{
    grid->UseHints(true);
    QScreen* screen = window->screen();
    const QRect available = screen->availableGeometry();
    // The grid's right part hangs over the screen's right edge.
    window->move(available.right() - 480, 40);
    QApplication::processEvents();
    QWidget* hint = grid->HintWindow();
    const QPoint at = Centre(5, 2);
    ASSERT_LT(Area()->mapToGlobal(at).x(), available.right());
    Hover(Area(), at);
    QTRY_VERIFY(hint->isVisible());
    EXPECT_EQ(grid->HintWindow()->Text(), "Col:5 Row:2");
    EXPECT_TRUE(available.contains(hint->geometry()));
    EXPECT_GE(hint->geometry().top(), Area()->mapToGlobal(at).y());
    EXPECT_TRUE(Area()->hasFocus()); // the hint takes no focus
    // Moving to another cell hides it until that cell's hint is due; a hook may refuse hints.
    grid->hintAnswer = 0;
    Hover(Area(), Centre(1, 4));
    EXPECT_FALSE(hint->isVisible());
    QTest::qWait(300);
    EXPECT_FALSE(hint->isVisible());
}

TEST_F(GridWindowTest, TheScaledScrollBar)
{
    grid->SetRowCount(5000);
    CTableScrollBar* bar = grid->VerticalBar();
    const TableSheet& s = grid->Sheet();
    ASSERT_GT(s.maxTopRow, 1000);
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 1000);
    // Drag the thumb half way down the groove.
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = Qt::Vertical;
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.pageStep = bar->pageStep();
    option.singleStep = bar->singleStep();
    const QRect thumb = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                     QStyle::SC_ScrollBarSlider, bar);
    int position = -1;
    QObject::connect(bar, &QAbstractSlider::sliderMoved, [&](int p) { position = p; });
    QTest::mousePress(bar, Qt::LeftButton, {}, thumb.center());
    QTest::mouseMove(bar, QPoint(thumb.center().x(), bar->height() / 4));
    // Without thumb tracking the rows wait for the release.
    EXPECT_EQ(grid->GetTopRow(), 0);
    grid->Sheet().thumbTrackVertical = true;
    grid->Sheet().scrollHints = true;
    QTest::mouseMove(bar, QPoint(thumb.center().x(), bar->height() / 2));
    EXPECT_GT(grid->GetTopRow(), 0);
    EXPECT_TRUE(grid->HintWindow()->isVisible());
    EXPECT_EQ(grid->HintWindow()->Text().toInt(), grid->GetTopRow());
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(thumb.center().x(), bar->height() / 2));
    EXPECT_FALSE(grid->HintWindow()->isVisible());
    EXPECT_GT(position, 300);
    EXPECT_LT(position, 700);
    EXPECT_EQ(grid->GetTopRow(), int(double(position) * s.maxTopRow * 0.001));
    EXPECT_TRUE(Area()->hasFocus());
    // The bar shows the model's position after a move by the keyboard.
    QTest::keyClick(Area(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid->GetTopRow(), s.maxTopRow);
    EXPECT_EQ(bar->value(), 1000);
}

TEST_F(GridWindowTest, ContextMenuCommandsGoToTheHook)
{
    grid->EnablePopupMenu(true);
    grid->AddMenuCommand(1000, "Mark");
    QMenu* menu = grid->PopupMenu();
    QTimer::singleShot(0, menu, [menu] {
        QTRY_VERIFY(menu->isVisible());
        for (QAction* action : menu->actions())
            if (action->text() == "Mark")
                menu->setActiveAction(action);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QTest::mouseClick(Area(), Qt::RightButton, {}, Centre(2, 3));
    ASSERT_FALSE(grid->events.empty());
    EXPECT_EQ(grid->events.back(), "menu 1000 at 2,3");
    EXPECT_EQ(grid->GetCurrentColumn(), 2);
}

TEST_F(GridWindowTest, F1AsksForHelpOnTheCurrentCell)
{
    QSignalSpy help(grid, &CTableGrid::HelpRequested);
    grid->GotoCell(2, 3);
    QTest::keyClick(Area(), Qt::Key_F1);
    ASSERT_EQ(help.count(), 1);
    EXPECT_EQ(help.at(0).at(0).toInt(), 123);
}

TEST_F(GridWindowTest, FindMovesToTheMatchAndSaysWhenThereIsNone)
{
    grid->SetCellText(4, 7, "Needle");
    grid->OpenFindDialog(false);
    CTableFindDialog* find = grid->FindDialog();
    ASSERT_NE(find, nullptr);
    find->FindEdit()->setText("needle");
    QTest::mouseClick(find->FindNextButton(), Qt::LeftButton);
    EXPECT_EQ(grid->GetCurrentColumn(), 4);
    EXPECT_EQ(grid->GetCurrentRow(), 7);
    find->FindEdit()->setText("haystack");
    ModalCloser closer;
    QTest::mouseClick(find->FindNextButton(), Qt::LeftButton);
    EXPECT_EQ(closer.caption, "Not Found");
    EXPECT_EQ(closer.text, "Item not found");
    find->close();
}

TEST_F(GridWindowTest, TabsSelectByClick)
{
    grid->AddTab("First", 10);
    grid->AddTab("Second", 20);
    grid->SetTabWidth(200);
    QWidget* tabs = grid->SheetTabs();
    QTRY_VERIFY(tabs->width() > 0);
    const int arrows = 2 * grid->TabArrowWidth();
    const TableTabStrip& strip = grid->TabStrip();
    const int second = strip.TabLeft(1, grid->TabArrowWidth()) + 5;
    QTest::mouseClick(tabs, Qt::LeftButton, {}, QPoint(second, tabs->height() / 2));
    EXPECT_EQ(strip.GetCurrent(), 1);
    EXPECT_EQ(grid->events.back(), "tab 20");
    QTest::mouseClick(tabs, Qt::LeftButton, {}, QPoint(arrows + 3, tabs->height() / 2));
    EXPECT_EQ(grid->events.back(), "tab 10");
}

TEST_F(GridWindowTest, DroppedTextIsPastedWhenTheHookAccepts)
{
    auto dropAt = [&](QPoint at) {
        QMimeData mime;
        mime.setText("a\tb\nc");
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Area(), &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Area(), &move);
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Area(), &drop);
        return drop.isAccepted();
    };
    EXPECT_FALSE(dropAt(Centre(1, 1)));
    EXPECT_EQ(grid->GetCellText(1, 1), "");
    grid->acceptDrops = true;
    EXPECT_TRUE(dropAt(Centre(1, 1)));
    EXPECT_EQ(grid->GetCellText(1, 1), "a");
    EXPECT_EQ(grid->GetCellText(2, 1), "b");
    EXPECT_EQ(grid->GetCellText(1, 2), "c");
}

TEST_F(GridWindowTest, RightToLeftPutsColumnZeroAtTheRight)
{
    grid->SetRightToLeft(true);
    QApplication::processEvents();
    EXPECT_GT(grid->CornerButton()->x(), grid->CellArea()->x());
    const TableRect first{0, 0, grid->GetColumnWidth(0), 20};
    const QPoint inFirst = static_cast<CTableComponent*>(Area())->ToView(first).center();
    EXPECT_GT(inFirst.x(), Area()->width() / 2);
    grid->GotoCell(3, 3);
    QTest::mouseClick(Area(), Qt::LeftButton, {}, QPoint(Area()->width() - 5, inFirst.y() + 20));
    EXPECT_EQ(grid->GetCurrentColumn(), 0);
    EXPECT_EQ(grid->GetCurrentRow(), 1);
}
