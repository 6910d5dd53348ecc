// The image viewer loading and turning on worker threads, on the offscreen platform: a load
// that a second one cancels, a load that fails after its first view, the first view standing
// in for the image until it arrives, and turns of a large image.
#include "imaging/widgets/image_viewer.h"

#include "tests/imaging/test_images.h"
#include "tests/imaging/test_pictures.h"
#include "tests/testlib/temp_dir.h"

#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <future>
#include <memory>
#include <vector>

using nv::ScrollPoint;
using nv::ScrollSize;
using nv::test::PixelColour;

namespace {

// A smooth picture, which its first view shows nearly as well as the image does.
uint32_t Gradient(int x, int y)
{
    return uint32_t(x * 255 / 2047) << 16 | uint32_t(y * 255 / 2047) << 8 | 0x60u;
}

// Holds the full decodings and turns started while it is set until it is opened (or
// destroyed).
class WorkGate
{
public:
    explicit WorkGate(COXImageViewer& viewer)
    {
        std::shared_future<void> opened = m_open.get_future().share();
        viewer.Jobs().SetWorkGate([opened] { opened.wait(); });
        m_viewer = &viewer;
    }
    ~WorkGate() { Open(); }
    // Later loads are not held.
    void Detach() { m_viewer->Jobs().SetWorkGate({}); }
    void Open()
    {
        if (!m_opened)
            m_open.set_value();
        m_opened = true;
    }

private:
    COXImageViewer* m_viewer = nullptr;
    std::promise<void> m_open;
    bool m_opened = false;
};

class BackgroundLoadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        viewer = std::make_unique<COXImageViewer>();
        viewer->setFrameShape(QFrame::NoFrame);
        viewer->SetSmoothScrolling(false);
        viewer->resize(600, 500);
        viewer->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer.get()));
    }

    std::string SaveBmp(int w, int h, const char* name)
    {
        const std::string path = dir.File(name);
        EXPECT_TRUE(nv::test::MakePicture(w, h).save(QString::fromStdString(path), "BMP"));
        return path;
    }
    // A 2048 x 2048 JPEG: large enough for a first view.
    std::string SaveLargeJPEG(const char* name, bool progressive)
    {
        return nv::test::WriteJPEG(dir.File(name), 2048, 2048, Gradient, progressive);
    }

    std::optional<ScrollPoint> Track(QPoint at)
    {
        QTest::mouseMove(viewer->viewport(), at + QPoint(at.x() > 0 ? -1 : 1, 0));
        QSignalSpy spy(viewer.get(), &COXImageViewer::PickTrack);
        QTest::mouseMove(viewer->viewport(), at);
        if (spy.isEmpty())
            return std::nullopt;
        return ScrollPoint{spy.last()[0].toInt(), spy.last()[1].toInt()};
    }
    QImage Shot() { return viewer->viewport()->grab().toImage(); }
    // Runs the queued hand-overs of every worker that has finished.
    void Settle()
    {
        viewer->Jobs().WaitForWorkers();
        QCoreApplication::processEvents();
    }

    nv::test::TempDir dir;
    std::unique_ptr<COXImageViewer> viewer;
};

// The mean difference of two pictures, per channel.
double MeanDifference(const QImage& a, const QImage& b)
{
    double sum = 0;
    int n = 0;
    for (int y = 0; y < a.height(); y += 5)
        for (int x = 0; x < a.width(); x += 5, ++n) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            sum += std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) +
                   std::abs(p.blue() - q.blue());
        }
    return sum / (3.0 * n);
}

} // namespace

TEST_F(BackgroundLoadTest, ALoadCancelledByASecondLeavesOnlyTheSecondImage)
{
    QSignalSpy finished(viewer.get(), &COXImageViewer::LoadFinished);
    QSignalSpy firstViews(viewer.get(), &COXImageViewer::FirstViewShown);
    const std::string first = SaveLargeJPEG("first.jpg", true);
    const std::string second = SaveBmp(300, 200, "second.bmp");
    WorkGate gate(*viewer);
    viewer->StartLoad(first);
    gate.Detach();
    viewer->StartLoad(second);
    gate.Open();

    QTRY_COMPARE(finished.size(), 1);
    Settle();
    ASSERT_EQ(finished.size(), 1);
    EXPECT_EQ(finished[0][0].toString().toStdString(), second);
    EXPECT_TRUE(finished[0][1].toBool());
    EXPECT_EQ(firstViews.size(), 0);
    EXPECT_FALSE(viewer->IsLoading());
    EXPECT_EQ(viewer->GetImageFileSize(), (ScrollSize{300, 200}));
    EXPECT_EQ(Shot().pixelColor(10, 20), PixelColour(10, 20));
}

TEST_F(BackgroundLoadTest, AFailedLoadPutsBackTheImageItsZoomAndItsPlace)
{
    ASSERT_TRUE(viewer->LoadFile(SaveBmp(900, 700, "before.bmp")));
    viewer->SetZoom(200, nv::kZoomAnchorTopLeft);
    viewer->ScrollToLogical({50, 40}, nv::kZoomAnchorTopLeft);
    const ScrollPoint scroll = viewer->GetScrollPosition();
    const QImage before = Shot();

    // A progressive file cut short: its first scans are there, its last ones are not.
    const std::vector<unsigned char> whole = nv::test::ReadBytes(SaveLargeJPEG("whole.jpg", true));
    const std::string cut = dir.Write(
        "cut.jpg", std::string(whole.begin(), whole.begin() + ptrdiff_t(whole.size() * 6 / 10)));

    QSignalSpy finished(viewer.get(), &COXImageViewer::LoadFinished);
    QSignalSpy firstViews(viewer.get(), &COXImageViewer::FirstViewShown);
    WorkGate gate(*viewer);
    viewer->StartLoad(cut);
    QTRY_COMPARE(firstViews.size(), 1);
    EXPECT_EQ(viewer->GetContentSize(), (ScrollSize{2048, 2048}));
    gate.Open();
    QTRY_COMPARE(finished.size(), 1);
    EXPECT_FALSE(finished[0][1].toBool());
    EXPECT_FALSE(finished[0][2].toString().isEmpty());

    EXPECT_FALSE(viewer->ShowsFirstView());
    EXPECT_EQ(viewer->GetImageFileSize(), (ScrollSize{900, 700}));
    EXPECT_EQ(viewer->GetContentSize(), (ScrollSize{900, 700}));
    EXPECT_EQ(viewer->GetZoom(), 200);
    EXPECT_EQ(viewer->GetScrollPosition(), scroll);
    EXPECT_EQ(Shot(), before);
    EXPECT_EQ(Track({30, 30}), (ScrollPoint{scroll.x / 2 + 15, scroll.y / 2 + 15}));

    // A file that is no image at all fails without a first view.
    viewer->StartLoad(dir.Write("notes.txt", "no image"));
    QTRY_COMPARE(finished.size(), 2);
    EXPECT_EQ(finished[1][2].toString().toStdString(), "not a BMP or JPEG image");
    EXPECT_EQ(Shot(), before);
}

TEST_F(BackgroundLoadTest, TheFirstViewStandsInForTheImageUntilItArrives)
{
    for (bool progressive : {true, false}) {
        SCOPED_TRACE(progressive ? "progressive" : "baseline");
        ASSERT_TRUE(viewer->LoadFile(SaveBmp(300, 200, "before.bmp")));
        viewer->SetZoom(25, nv::kZoomAnchorTopLeft);
        const std::string jpeg = SaveLargeJPEG("large.jpg", progressive);

        QSignalSpy finished(viewer.get(), &COXImageViewer::LoadFinished);
        QSignalSpy firstViews(viewer.get(), &COXImageViewer::FirstViewShown);
        QSignalSpy progress(viewer.get(), &COXImageViewer::WorkProgress);
        QSignalSpy tracks(viewer.get(), &COXImageViewer::PickTrack);
        QSignalSpy ends(viewer.get(), &COXImageViewer::PickEnd);
        WorkGate gate(*viewer);
        viewer->StartLoad(jpeg);
        QTRY_COMPARE(firstViews.size(), 1);

        // Shown at the zoom and size the image will have, but no pixel of it can be picked.
        EXPECT_TRUE(viewer->ShowsFirstView());
        EXPECT_EQ(viewer->GetContentSize(), (ScrollSize{2048, 2048}));
        EXPECT_EQ(viewer->GetZoom(), 25);
        EXPECT_EQ(viewer->GetImageFileSize(), (ScrollSize{300, 200}));
        QTest::mouseMove(viewer->viewport(), QPoint(100, 100));
        QTest::mouseMove(viewer->viewport(), QPoint(120, 110));
        QTest::mouseClick(viewer->viewport(), Qt::LeftButton, {}, QPoint(120, 110));
        EXPECT_EQ(tracks.size(), 0);
        EXPECT_EQ(ends.size(), 0);
        const ScrollPoint scroll = viewer->GetScrollPosition();
        const QImage firstView = Shot();
        EXPECT_EQ(progress.first()[0].toString(), "Loading large.jpg");
        // Nor turned, until the image is in; a menu open meanwhile offers turns when it is.
        QMenu menu;
        ASSERT_TRUE(viewer->BuildContextMenu(menu, QPoint(5, 5)));
        std::vector<QMenu*> turns;
        for (QAction* item : menu.actions())
            if (item->menu() && (item->text() == "Rotate" || item->text() == "Flip"))
                turns.push_back(item->menu());
        ASSERT_EQ(turns.size(), 2u);
        for (QMenu* m : turns)
            EXPECT_FALSE(m->isEnabled()) << m->title().toStdString();

        gate.Open();
        QTRY_COMPARE(finished.size(), 1);
        EXPECT_TRUE(finished[0][1].toBool());
        for (QMenu* m : turns)
            EXPECT_TRUE(m->isEnabled()) << m->title().toStdString();
        // In its place without a jump: the same zoom, size and place, nearly the same picture.
        EXPECT_FALSE(viewer->ShowsFirstView());
        EXPECT_EQ(viewer->GetZoom(), 25);
        EXPECT_EQ(viewer->GetContentSize(), (ScrollSize{2048, 2048}));
        EXPECT_EQ(viewer->GetScrollPosition(), scroll);
        EXPECT_LT(MeanDifference(firstView, Shot()), 3.0);
        EXPECT_EQ(Track({100, 80}), (ScrollPoint{400, 320}));
        EXPECT_TRUE(progress.last()[0].toString().isEmpty());
        Settle(); // the levels
    }
}

TEST_F(BackgroundLoadTest, ATurnInTheBackgroundKeepsTheZoomAndThePickMapping)
{
    // Over two megapixels: turned on a worker.
    const int w = 1600, h = 1400;
    ASSERT_TRUE(viewer->LoadFile(SaveBmp(w, h, "large.bmp")));
    viewer->SetZoom(200, nv::kZoomAnchorTopLeft);
    QSignalSpy turned(viewer.get(), &COXImageViewer::TurnFinished);
    {
        WorkGate gate(*viewer);
        viewer->OnCommand(ID_ROTATE_90);
        gate.Detach();
        // Until the turn is done, the image and its mapping are those before it.
        EXPECT_TRUE(viewer->IsTurning());
        EXPECT_EQ(Track({20, 10}), (ScrollPoint{10, 5}));
        EXPECT_EQ(Shot().pixelColor(20, 10), PixelColour(10, 5));
    }
    QTRY_COMPARE(turned.size(), 1);
    EXPECT_TRUE(turned[0][0].toBool());

    EXPECT_EQ(viewer->GetZoom(), 200);
    EXPECT_EQ(viewer->GetContentSize(), (ScrollSize{h, w}));
    EXPECT_EQ(viewer->GetImageFileSize(), (ScrollSize{w, h}));
    // Turned clockwise: the shown pixel (x, y) is the file's (y, h - 1 - x).
    for (QPoint at : {QPoint(20, 10), QPoint(301, 157), QPoint(550, 450)}) {
        const ScrollPoint shown{at.x() / 2, at.y() / 2};
        EXPECT_EQ(Track(at), (ScrollPoint{shown.y, h - 1 - shown.x}));
        EXPECT_EQ(Shot().pixelColor(at), PixelColour(shown.y, h - 1 - shown.x));
    }

    // Turns asked for while one runs follow it in order.
    viewer->OnCommand(ID_ROTATE_270);
    viewer->OnCommand(ID_FLIP_VERTICALLY);
    QTRY_COMPARE(turned.size(), 3);
    EXPECT_FALSE(viewer->IsTurning());
    EXPECT_EQ(viewer->GetContentSize(), (ScrollSize{w, h}));
    EXPECT_EQ(Track({20, 10}), (ScrollPoint{w - 1 - 10, 5}));
    EXPECT_EQ(Shot().pixelColor(20, 10), PixelColour(w - 1 - 10, 5));
    Settle();
}
