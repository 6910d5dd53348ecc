// The static text, the hyperlink and the tooltip window on the offscreen platform.
#include "support/widgets/hyperlink.h"
#include "support/widgets/static_control.h"
#include "support/widgets/tooltip_window.h"
#include "tests/testlib/recording_shell.h"

#include <QDialog>
#include <QHelpEvent>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A shown parent window of the given size.
void ShowParent(QWidget& parent, QSize size)
{
    parent.resize(size);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
}

} // namespace

TEST(HyperLink, OpensItsTargetWhenReleasedOverIt)
{
    struct Row
    {
        const char* name;
        std::string url;
        Qt::MouseButton button;
        QPoint release;
        bool opens;
    } rows[] = {
        {"left click", "https://maps.example/", Qt::LeftButton, {5, 5}, true},
        {"mail address", "mailto:team@maps.example", Qt::LeftButton, {5, 5}, true},
        {"empty URL", "", Qt::LeftButton, {5, 5}, false},
        {"dragged off before release", "https://maps.example/", Qt::LeftButton, {150, 5}, false},
        {"right click", "https://maps.example/", Qt::RightButton, {5, 5}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        nv::test::RecordingShell shell;
        QWidget parent;
        CIDHyperLink link(shell, &parent);
        link.setText("maps");
        link.setGeometry(10, 10, 100, 20);
        link.SetURL(row.url);
        ShowParent(parent, {200, 50});
        QTest::mousePress(&link, row.button, {}, {5, 5});
        QTest::mouseRelease(&link, row.button, {}, row.release);
        EXPECT_EQ(shell.opened,
                  row.opens ? std::vector<std::string>{row.url} : std::vector<std::string>{});
    }
}

TEST(HyperLink, ShowsTheLinkCursorOrTheUpArrow)
{
    nv::test::RecordingShell shell;
    CIDHyperLink link(shell);
    EXPECT_EQ(link.cursor().shape(), Qt::UpArrowCursor);
    EXPECT_TRUE(link.SetLinkCursor(CIDHyperLink::IDC_LINK_HAND));
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_FALSE(link.SetLinkCursor(4242));
    EXPECT_EQ(link.cursor().shape(), Qt::UpArrowCursor);
}

TEST(StaticControl, PaintsItsBackgroundOrLetsTheParentShow)
{
    QWidget parent;
    parent.setAutoFillBackground(true);
    QPalette p = parent.palette();
    p.setColor(QPalette::Window, Qt::red);
    parent.setPalette(p);
    COXStatic text(&parent);
    text.setGeometry(0, 0, 40, 40);
    ShowParent(parent, {80, 40});

    text.SetBkColor(Qt::green);
    EXPECT_EQ(parent.grab().toImage().pixelColor(20, 20), QColor(Qt::green));
    text.SetBkColor(QColor());
    EXPECT_EQ(parent.grab().toImage().pixelColor(20, 20), QColor(Qt::red));
}

TEST(StaticControl, TipShowsTheExplicitTextOrTheCurrentText)
{
    COXStatic text("Window text");
    auto tipAsked = [&text] {
        QHelpEvent help(QEvent::ToolTip, {1, 1}, {1, 1});
        QCoreApplication::sendEvent(&text, &help);
        return text.toolTip();
    };
    EXPECT_EQ(tipAsked(), "");
    text.EnableToolTip(true);
    EXPECT_EQ(tipAsked(), "Window text");
    text.setText("Changed");
    EXPECT_EQ(tipAsked(), "Changed");
    text.SetToolTipText("Explicit");
    text.setText("Changed again");
    EXPECT_EQ(tipAsked(), "Explicit");
    text.SetToolTipText("");
    EXPECT_EQ(tipAsked(), "Changed again");
    text.EnableToolTip(false);
    EXPECT_EQ(tipAsked(), "");
}

TEST(ToolTipWindow, ShowsOnRestWrapsAtTheMaximumWidthAndHidesOnInput)
{
    QDialog owner;
    QPushButton first("First", &owner);
    first.setGeometry(10, 10, 80, 30);
    QPushButton second("Second", &owner);
    second.setGeometry(150, 10, 80, 30);
    CIDToolTipCtrl tip;
    ASSERT_TRUE(tip.CreateTip(&owner));
    tip.SetTipOffset(20, 0);
    ASSERT_TRUE(tip.AddTool(&first, "Short"));
    EXPECT_FALSE(tip.AddTool(nullptr, "No window"));
    EXPECT_EQ(tip.SetMaxTipWidth(60), 0);
    ASSERT_TRUE(tip.AddTool(&second, "one two three four five six seven"));
    ShowParent(owner, {300, 100});

    QTest::mouseMove(&first, {10, 10});
    EXPECT_EQ(tip.ShownText(), ""); // not before the rest
    QTRY_COMPARE(tip.ShownText(), QString("Short"));
    EXPECT_EQ(tip.pos(), first.mapToGlobal(QPoint(10, 10)) + QPoint(20, 0));
    EXPECT_LT(tip.width(), 60); // a short text gets a box of its own size
    const QImage painted = tip.grab().toImage();
    EXPECT_EQ(painted.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(painted.pixelColor(1, 1), tip.palette().color(QPalette::ToolTipBase));

    // Another tool hides the tip at once; its own tip wraps at the maximum width.
    QTest::mouseMove(&second, {10, 10});
    EXPECT_EQ(tip.ShownText(), "");
    QTRY_COMPARE(tip.ShownText(), QString("one two three four five six seven"));
    const int line = tip.fontMetrics().height();
    EXPECT_LE(tip.width(), 60 + 5);
    EXPECT_GE(tip.height(), 3 * line);

    QTest::keyClick(&owner, Qt::Key_A);
    EXPECT_EQ(tip.ShownText(), "");
}
