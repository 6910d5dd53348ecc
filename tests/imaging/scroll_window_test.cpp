// The scrolling and zooming window on the offscreen platform, driven by key, wheel and mouse
// events.
#include "imaging/widgets/scroll_window.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <memory>

using nv::ScrollPoint;
using nv::ScrollSize;

namespace {

// Paints its content red on a blue background and notes the scroll position of every paint.
class PaintedScrollWnd : public COXScrollWnd
{
public:
    PaintedScrollWnd()
    {
        setFrameShape(QFrame::NoFrame);
        resize(600, 600);
    }
    std::vector<ScrollPoint> painted;

protected:
    void OnEraseBackground(QPainter& painter) override { FillBackground(painter, Qt::blue); }
    void OnDraw(QPainter& painter, const QRect&) override
    {
        painted.push_back(GetScrollPosition());
        painter.fillRect(QRect(0, 0, m_sizeZoomed.cx, m_sizeZoomed.cy), Qt::red);
    }
};

class ScrollWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        wnd = std::make_unique<PaintedScrollWnd>();
        wnd->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(wnd.get()));
    }
    // A content with 100-pixel pages and 10-pixel lines.
    void SetContent(ScrollSize size)
    {
        ASSERT_TRUE(wnd->SetContentSize(kMapModePixels, size, {100, 100}, {10, 10}));
    }
    QMenu* Submenu(QMenu& menu, const QString& title)
    {
        for (QAction* a : menu.actions())
            if (a->text() == title)
                return a->menu();
        return nullptr;
    }
    QAction* Item(QMenu* menu, const QString& text)
    {
        for (QAction* a : menu->actions())
            if (a->text() == text)
                return a;
        return nullptr;
    }
    static QStringList Texts(QMenu* menu)
    {
        QStringList out;
        for (QAction* a : menu->actions())
            out << (a->isSeparator() ? QString("-") : a->text());
        return out;
    }
    void SendWheel(int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QPointF at(100, 100);
        QWheelEvent e(at, wnd->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta),
                      Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(wnd->viewport(), &e);
    }

    std::unique_ptr<PaintedScrollWnd> wnd;
};

} // namespace

TEST_F(ScrollWindowTest, ZoomIsClampedAndRepeatingItChangesNothing)
{
    SetContent({400, 300});
    EXPECT_EQ(wnd->SetZoom(5), 100);
    EXPECT_EQ(wnd->GetZoom(), 10);
    EXPECT_EQ(wnd->GetZoomedSize(), (ScrollSize{40, 30}));
    EXPECT_EQ(wnd->SetZoom(5000), 10);
    EXPECT_EQ(wnd->GetZoom(), 1000);
    EXPECT_EQ(wnd->GetZoomedSize(), (ScrollSize{4000, 3000}));
    wnd->ScrollToLogical({100, 100}, nv::kZoomAnchorTopLeft);
    const ScrollPoint at = wnd->GetScrollPosition();
    EXPECT_EQ(wnd->SetZoom(1000), 1000);
    EXPECT_EQ(wnd->GetScrollPosition(), at);
    EXPECT_FALSE(wnd->SetContentSize(2, {400, 300}));
}

TEST_F(ScrollWindowTest, SmallContentIsDrawnWhereTheAlignmentPutsIt)
{
    SetContent({300, 200});
    EXPECT_EQ(wnd->GetClientSize(), (ScrollSize{600, 600}));
    const struct
    {
        int alignment;
        ScrollPoint origin;
    } cases[] = {{nv::kAlignCenter, {150, 200}},
                 {nv::kAlignBottomRight, {300, 400}},
                 {nv::kAlignTopLeft, {0, 0}}};
    for (const auto& c : cases) {
        wnd->SetAlignment(c.alignment);
        EXPECT_EQ(wnd->GetViewportOrigin(), c.origin);
        const QImage shot = wnd->viewport()->grab().toImage();
        const QPoint o(c.origin.x, c.origin.y);
        EXPECT_EQ(shot.pixelColor(o), QColor(Qt::red)) << c.alignment;
        EXPECT_EQ(shot.pixelColor(o + QPoint(299, 199)), QColor(Qt::red)) << c.alignment;
        // The background around it, where there is room.
        for (QPoint p :
             {o + QPoint(300, 199), o + QPoint(299, 200), o - QPoint(1, 0), o - QPoint(0, 1)}) {
            if (shot.rect().contains(p)) {
                EXPECT_EQ(shot.pixelColor(p), QColor(Qt::blue)) << c.alignment;
            }
        }
    }
}

TEST_F(ScrollWindowTest, FitToWindowAndAlwaysFitFollowTheWindow)
{
    wnd->resize(400, 400);
    SetContent({1000, 500});
    wnd->FitToWindow();
    EXPECT_EQ(wnd->GetZoom(), 40);
    EXPECT_FALSE(wnd->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(wnd->verticalScrollBar()->isVisible());

    wnd->resize(1000, 1000);
    SetContent({10, 10});
    wnd->FitToWindow();
    EXPECT_EQ(wnd->GetZoom(), 1000);

    SetContent({1000, 500});
    wnd->SetAlwaysFitWindow(true);
    EXPECT_EQ(wnd->GetZoom(), 100);
    wnd->resize(500, 800);
    QTRY_COMPARE(wnd->GetZoom(), 50);
    EXPECT_FALSE(wnd->horizontalScrollBar()->isVisible());
}

TEST_F(ScrollWindowTest, KeysScrollByLinePageAndToTheEnds)
{
    SetContent({2000, 1500});
    ASSERT_TRUE(wnd->horizontalScrollBar()->isVisible());
    ASSERT_TRUE(wnd->verticalScrollBar()->isVisible());
    const ScrollSize client = wnd->GetClientSize();
    EXPECT_EQ(wnd->verticalScrollBar()->maximum(), 1500 - client.cy);
    EXPECT_EQ(wnd->verticalScrollBar()->pageStep(), client.cy);

    QTest::keyClick(wnd.get(), Qt::Key_Down);
    EXPECT_EQ(wnd->GetScrollPosition(), (ScrollPoint{0, 10}));
    QTest::keyClick(wnd.get(), Qt::Key_PageDown);
    EXPECT_EQ(wnd->GetScrollPosition(), (ScrollPoint{0, 110}));
    QTest::keyClick(wnd.get(), Qt::Key_Right);
    QTest::keyClick(wnd.get(), Qt::Key_Tab);
    EXPECT_EQ(wnd->GetScrollPosition(), (ScrollPoint{110, 110}));
    QTest::keyClick(wnd.get(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(wnd->GetScrollPosition(), (ScrollPoint{10, 110}));
    QTest::keyClick(wnd.get(), Qt::Key_End);
    EXPECT_EQ(wnd->GetScrollPosition(), (ScrollPoint{2000 - client.cx, 110}));
    QTest::keyClick(wnd.get(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(wnd->GetScrollPosition(), (ScrollPoint{2000 - client.cx, 1500 - client.cy}));
    EXPECT_EQ(wnd->verticalScrollBar()->value(), 1500 - client.cy);
    QTest::keyClick(wnd.get(), Qt::Key_Down);
    EXPECT_EQ(wnd->GetScrollPosition().y, 1500 - client.cy);
    QTest::keyClick(wnd.get(), Qt::Key_Home);
    QTest::keyClick(wnd.get(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(wnd->GetScrollPosition(), (ScrollPoint{0, 0}));
    QTest::keyClick(wnd.get(), Qt::Key_Up);
    QTest::keyClick(wnd.get(), Qt::Key_Left);
    EXPECT_EQ(wnd->GetScrollPosition(), (ScrollPoint{0, 0}));
    // The scrolled content is what is painted.
    QTest::keyClick(wnd.get(), Qt::Key_PageDown);
    EXPECT_EQ(wnd->painted.back(), (ScrollPoint{0, 100}));
}

TEST_F(ScrollWindowTest, SmoothPageScrollsRepaintEveryStepLineScrollsJump)
{
    SetContent({2000, 1500});
    wnd->SetSmoothScrolling(true);
    wnd->SetScrollStepDelay(1);
    wnd->painted.clear();
    QTest::keyClick(wnd.get(), Qt::Key_PageDown);
    std::vector<int> ys;
    for (const ScrollPoint& p : wnd->painted)
        if (ys.empty() || ys.back() != p.y)
            ys.push_back(p.y);
    EXPECT_EQ(ys, (std::vector<int>{8, 16, 24, 32, 40, 48, 56, 64, 72, 80, 88, 96, 100}));

    wnd->painted.clear();
    QTest::keyClick(wnd.get(), Qt::Key_Down);
    ASSERT_FALSE(wnd->painted.empty());
    EXPECT_EQ(wnd->painted.front().y, 110);
    EXPECT_EQ(wnd->GetScrollPosition().y, 110);

    // A click in the scroll bar's trough pages the same way.
    wnd->painted.clear();
    wnd->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(wnd->GetScrollPosition().y, 210);
    EXPECT_GE(wnd->painted.size(), 13u);
    EXPECT_EQ(wnd->verticalScrollBar()->value(), 210);
}

TEST_F(ScrollWindowTest, ScrollBarDragsAndClicksScrollTheContent)
{
    SetContent({2000, 1500});
    QScrollBar* bar = wnd->horizontalScrollBar();
    bar->setSliderPosition(300);
    EXPECT_EQ(wnd->GetScrollPosition().x, 300);
    EXPECT_EQ(wnd->GetViewportOrigin().x, -300);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(wnd->GetScrollPosition().x, 290);
    EXPECT_EQ(bar->value(), 290);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(wnd->GetScrollPosition().x, bar->maximum());
}

TEST_F(ScrollWindowTest, WheelScrollsLinesUnlessShiftOrControlIsHeld)
{
    QApplication::setWheelScrollLines(3);
    SetContent({2000, 1500});
    wnd->ScrollToLogical({0, 500}, nv::kZoomAnchorTopLeft);
    SendWheel(120);
    EXPECT_EQ(wnd->GetScrollPosition().y, 470);
    SendWheel(-240);
    EXPECT_EQ(wnd->GetScrollPosition().y, 530);
    SendWheel(120, Qt::ControlModifier);
    SendWheel(120, Qt::ShiftModifier);
    EXPECT_EQ(wnd->GetScrollPosition().y, 530);

    // Content that only needs a horizontal bar scrolls across.
    SetContent({2000, 300});
    ASSERT_FALSE(wnd->verticalScrollBar()->isVisible());
    wnd->ScrollToLogical({500, 0}, nv::kZoomAnchorTopLeft);
    SendWheel(-120);
    EXPECT_EQ(wnd->GetScrollPosition(), (ScrollPoint{530, 0}));
}

TEST_F(ScrollWindowTest, RubberBandZoomsToTheRectangleDrawn)
{
    // A client area of 500 x 500 beside both scroll bars.
    wnd->resize(500 + wnd->verticalScrollBar()->sizeHint().width(),
                500 + wnd->horizontalScrollBar()->sizeHint().height());
    SetContent({5000, 5000});
    wnd->SetUseTrackZoom(true);
    ASSERT_EQ(wnd->GetClientSize(), (ScrollSize{500, 500}));
    wnd->ScrollToLogical({1000, 2000}, nv::kZoomAnchorTopLeft);
    QWidget* vp = wnd->viewport();

    // A band of 7 pixels in one direction is ignored.
    QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(vp, QPoint(200, 107));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(200, 107));
    EXPECT_EQ(wnd->GetZoom(), 100);

    // 50 x 25 drawn from its bottom-right corner: 1000 %, its corner at the window's.
    QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(150, 125));
    QTest::mouseMove(vp, QPoint(120, 110));
    QTest::mouseMove(vp, QPoint(100, 100));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_EQ(wnd->GetZoom(), 1000);
    EXPECT_EQ(wnd->GetScrollPosition(), (ScrollPoint{11000, 21000}));

    // Not while the window fits the content.
    wnd->SetAlwaysFitWindow(true);
    const int fitted = wnd->GetZoom();
    QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(vp, QPoint(60, 60));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(60, 60));
    EXPECT_EQ(wnd->GetZoom(), fitted);
}

TEST_F(ScrollWindowTest, ContextMenuListsZoomsAndFlagsWithChecksAndGreying)
{
    SetContent({400, 300});
    QMenu menu;
    ASSERT_TRUE(wnd->BuildContextMenu(menu, QPoint(10, 10)));
    EXPECT_EQ(Texts(&menu), (QStringList{"Zoom", "Zoom to content", "-", "Always fit window",
                                         "Use track zoom", "Smooth scrolling"}));
    QMenu* zoom = Submenu(menu, "Zoom");
    ASSERT_TRUE(zoom);
    EXPECT_EQ(Texts(zoom), (QStringList{"10%", "25%", "50%", "100%", "200%", "300%", "400%", "500%",
                                        "600%", "700%", "800%", "900%", "1000%"}));
    for (QAction* a : zoom->actions())
        EXPECT_EQ(a->isChecked(), a->text() == "100%") << a->text().toStdString();
    EXPECT_FALSE(Item(&menu, "Use track zoom")->isChecked());

    Item(zoom, "300%")->trigger();
    EXPECT_EQ(wnd->GetZoom(), 300);
    Item(&menu, "Use track zoom")->trigger();
    Item(&menu, "Smooth scrolling")->trigger();
    EXPECT_TRUE(wnd->GetUseTrackZoom());
    EXPECT_TRUE(wnd->GetSmoothScrolling());

    // Away from 100 % the menu offers it at the top level too.
    QMenu again;
    wnd->BuildContextMenu(again, QPoint());
    EXPECT_EQ(Texts(&again),
              (QStringList{"Zoom", "Zoom to content", "100%", "-", "Always fit window",
                           "Use track zoom", "Smooth scrolling"}));
    EXPECT_TRUE(Item(Submenu(again, "Zoom"), "300%")->isChecked());
    EXPECT_TRUE(Item(&again, "Smooth scrolling")->isChecked());
    Item(&again, "100%")->trigger();
    EXPECT_EQ(wnd->GetZoom(), 100);
    Item(&again, "Zoom to content")->trigger();
    EXPECT_EQ(wnd->GetZoom(), 150);

    // Fitting always greys the zoom choices and drops the 100 % item.
    Item(&again, "Always fit window")->trigger();
    EXPECT_TRUE(wnd->GetAlwaysFitWindow());
    QMenu fitted;
    wnd->BuildContextMenu(fitted, QPoint());
    EXPECT_EQ(Texts(&fitted), (QStringList{"Zoom", "Zoom to content", "-", "Always fit window",
                                           "Use track zoom", "Smooth scrolling"}));
    EXPECT_FALSE(fitted.actions()[0]->isEnabled());
    EXPECT_FALSE(Item(&fitted, "Zoom to content")->isEnabled());
    EXPECT_TRUE(Item(&fitted, "Always fit window")->isChecked());
}

TEST_F(ScrollWindowTest, RightClickPopsUpTheMenuUnlessDisabled)
{
    SetContent({400, 300});
    QStringList shown;
    // Closes the menu once it is up, from inside its own event loop.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&shown, &closer] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* popup = qobject_cast<QMenu*>(w);
            if (popup && popup->isVisible()) {
                shown = Texts(popup);
                popup->close();
                closer.stop();
            }
        }
    });
    closer.start(10);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20),
                            wnd->viewport()->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(wnd->viewport(), &event);
    EXPECT_EQ(shown.value(0), "Zoom");

    shown.clear();
    wnd->SetContextMenuEnabled(false);
    QContextMenuEvent again(QContextMenuEvent::Mouse, QPoint(20, 20),
                            wnd->viewport()->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(wnd->viewport(), &again);
    QApplication::processEvents();
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_FALSE(again.isAccepted());
}
