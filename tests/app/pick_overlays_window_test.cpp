// Picking and the overlays in the main window on the offscreen platform: the keys while
// picking, how little of the view a pointer move repaints, and the graticule over the sample
// map's own printed one.
#include "app/widgets/main_window.h"

#include "app/georeference_app.h"
#include "imaging/widgets/image_viewer.h"
#include "platform/app_paths.h"
#include "tests/app/window_test_support.h"
#include "tests/testlib/temp_dir.h"

#include <QImage>
#include <QPaintEvent>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Adds up the area of the viewer's repaints (each repaint draws the image for the bounding
// rectangle of what it was asked to update).
class PaintMeter : public QObject
{
public:
    explicit PaintMeter(QWidget* widget) { widget->installEventFilter(this); }
    long long area = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            const QRect r = static_cast<QPaintEvent*>(event)->rect();
            area += (long long)r.width() * r.height();
        }
        return false;
    }
};

class PickWindowTest : public ::testing::Test
{
protected:
    void SetUp() override { nv::SetApplicationPath(dir.File("Nulo_Vandrel")); }
    void TearDown() override { nv::SetApplicationPath(""); }

    void Show(const std::string& image, QSize size = {900, 700})
    {
        window.resize(size);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        ASSERT_TRUE(window.Controller().LoadImage(image));
        window.Controller().EnableImageControls();
        viewer = window.Viewer();
        viewer->SetZoom(100, nv::kZoomAnchorTopLeft);
        viewer->ScrollToLogical({0, 0}, nv::kZoomAnchorTopLeft);
    }
    std::string Scan(int width, int height)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::white);
        const std::string path = dir.File("scan.bmp");
        EXPECT_TRUE(image.save(QString::fromStdString(path), "BMP"));
        return path;
    }
    // Types into a cell as a user does.
    void Type(int column, int row, const std::string& text)
    {
        nv::test::TypeIntoCell(window.PointGrid(), column, row, QString::fromStdString(text));
    }
    std::string Cell(int column, int row) { return window.PointGrid()->GetCellText(column, row); }
    void Move(QPoint at)
    {
        QTest::mouseMove(viewer->viewport(), at);
        QCoreApplication::processEvents();
    }

    nv::test::TempDir dir;
    CGeoreferenceApp app;
    CGeoreferenceWindow window{app, nv::Profile(dir.File("p.ini"))};
    COXImageViewer* viewer = nullptr;
};

} // namespace

TEST_F(PickWindowTest, ArrowKeysMoveThePointEnterEndsEscapeRestores)
{
    Show(Scan(400, 300));
    Type(0, 0, "10");
    Type(1, 0, "20");
    EXPECT_EQ(viewer->GetMarker(0), (nv::ScrollPoint{10, 20}));

    QTest::mouseClick(window.Control(IDC_PICK_POINT1), Qt::LeftButton);
    EXPECT_EQ(viewer->viewport()->cursor().shape(), Qt::CrossCursor);
    Move({51, 40});
    Move({50, 40});
    EXPECT_EQ(viewer->GetMarker(0), (nv::ScrollPoint{50, 40}));
    EXPECT_TRUE(viewer->CurrentMagnifier());
    QTest::keyClick(viewer, Qt::Key_Right);
    QTest::keyClick(viewer, Qt::Key_Right);
    QTest::keyClick(viewer, Qt::Key_Up);
    EXPECT_EQ(Cell(0, 0), "52");
    EXPECT_EQ(Cell(1, 0), "39");
    // The magnifier shows the point the keys moved.
    const nv::ScrollRect shown = viewer->CurrentMagnifier()->pixels;
    EXPECT_EQ(shown.left + shown.Width() / 2, 52);
    QTest::keyClick(viewer, Qt::Key_Return);
    EXPECT_EQ(window.Controller().m_nPickMode, 0);
    EXPECT_EQ(viewer->viewport()->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(viewer->GetMarker(0), (nv::ScrollPoint{52, 39}));

    // Turned clockwise, the arrow to the right moves along the file's rows upwards.
    viewer->OnCommand(ID_ROTATE_90);
    QTest::mouseClick(window.Control(IDC_PICK_POINT1), Qt::LeftButton);
    QTest::keyClick(viewer, Qt::Key_Right);
    EXPECT_EQ(Cell(0, 0), "52");
    EXPECT_EQ(Cell(1, 0), "38");

    // Escape puts back the cells of when the pick began, even with the focus on a button,
    // and neither closes the window nor creates a world file.
    Move({101, 101});
    Move({100, 100});
    EXPECT_NE(Cell(1, 0), "38");
    QTest::keyClick(window.Control(IDC_PICK_POINT1), Qt::Key_Escape);
    EXPECT_EQ(window.Controller().m_nPickMode, 0);
    EXPECT_EQ(Cell(0, 0), "52");
    EXPECT_EQ(Cell(1, 0), "39");
    EXPECT_EQ(viewer->GetMarker(0), (nv::ScrollPoint{52, 39}));
    EXPECT_TRUE(window.isVisible());
}

TEST_F(PickWindowTest, PointerMovesWhilePickingRepaintOnlyAroundThePointer)
{
    Show(Scan(2000, 1500));
    QTest::mouseClick(window.Control(IDC_PICK_POINT2), Qt::LeftButton);
    Move({200, 150});
    const QSize view = viewer->viewport()->size();
    const long long whole = (long long)view.width() * view.height();
    PaintMeter meter(viewer->viewport());
    int moves = 0;
    for (QPoint at = {200, 150}; at.x() < 260; at += QPoint(6, 3), ++moves) {
        Move(at);
        EXPECT_EQ(Cell(0, 1), std::to_string(at.x()));
        EXPECT_EQ(viewer->GetMarker(1), (nv::ScrollPoint{at.x(), at.y()}));
    }
    const double perMove = double(meter.area) / moves;
    // The magnifier and the marker, where they were and where they are: a small part of
    // the view.
    EXPECT_GT(perMove, 0.0);
    EXPECT_LT(perMove, whole * 0.2) << perMove << " of " << whole << " pixels per move";
}

TEST_F(PickWindowTest, GraticuleFallsOnTheSampleMapsPrintedGraticule)
{
    Show(nv::test::SourcePath("data/sample/sample_map.jpg"), {600, 700});
    const char* cells[2][4] = {{"300", "150", "N 40 15 00", "W 105 30 00"},
                               {"900", "750", "39.25", "-104.5"}};
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 4; ++column)
            Type(column, row, cells[row][column]);
    viewer->ScrollToLogical({290, 190}, nv::kZoomAnchorTopLeft);
    ASSERT_EQ(viewer->GetZoom(), 100);
    const nv::ScrollPoint origin = viewer->GetViewportOrigin();
    const QImage plain = viewer->viewport()->grab().toImage();
    window.Controller().OnShowGraticule(true);
    const QImage lined = viewer->viewport()->grab().toImage();

    // Along a window row (or column): each line the graticule drew must lie on a whole 5' of
    // the map (50 pixels from its edges), and where the map prints a line (every 15', 150
    // pixels) the drawn line's centre must be within half a pixel of the printed one's.
    auto check = [&](bool vertical, int across) {
        const int length = vertical ? plain.width() : plain.height();
        const int start = vertical ? origin.x : origin.y;
        auto at = [&](const QImage& image, int i) {
            return vertical ? image.pixelColor(i, across) : image.pixelColor(across, i);
        };
        int matched = 0;
        for (int i = 1; i + 1 < length; ++i) {
            if (at(lined, i) == at(plain, i) || at(lined, i + 1) != at(plain, i + 1))
                continue; // not a line one pixel wide (labels are wider)
            if (at(lined, i - 1) != at(plain, i - 1))
                continue;
            const double drawn = i + 0.5; // the centre of the window pixel
            const double image = drawn - start;
            SCOPED_TRACE(image);
            EXPECT_NEAR(std::remainder(image - 0.5, 50.0), 0.0, 1e-9);
            if (std::abs(std::remainder(image - 0.5, 150.0)) > 1e-9)
                continue;
            double sum = 0;
            int count = 0;
            for (int j = std::max(0, i - 3); j <= std::min(length - 1, i + 3); ++j)
                if (at(plain, j).lightness() < 140) {
                    sum += j + 0.5;
                    ++count;
                }
            EXPECT_GT(count, 0);
            if (count > 0) {
                EXPECT_LE(std::abs(sum / count - drawn), 0.5);
            }
            matched += count > 0;
        }
        return matched;
    };
    // Across the middle of the view, clear of the labels at its top and left edges.
    EXPECT_GE(check(true, plain.height() / 2 + 7), 3);
    EXPECT_GE(check(false, plain.width() / 2 + 7), 2);
}
