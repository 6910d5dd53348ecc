// The image viewer on the offscreen platform: loading, the pixels it reports under the mouse,
// what it draws, its context menu and its turns.
#include "imaging/widgets/image_viewer.h"

#include "platform/file.h"
#include "tests/imaging/test_pictures.h"
#include "tests/testlib/temp_dir.h"

#include <QApplication>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using nv::ScrollPoint;
using nv::ScrollSize;
using nv::test::MakePicture;
using nv::test::PixelColour;

namespace {

class ImageViewerTest : public ::testing::Test
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

    std::string SaveBmp(const QImage& image, const char* name = "scan.bmp")
    {
        const std::string path = dir.File(name);
        EXPECT_TRUE(image.save(QString::fromStdString(path), "BMP"));
        return path;
    }
    void Load(int w, int h) { ASSERT_TRUE(viewer->LoadFile(SaveBmp(MakePicture(w, h)))); }

    // Moves the mouse to a client point and returns what the viewer reported, if anything.
    // (QTest takes the point (0, 0) for the window's centre.)
    std::optional<ScrollPoint> Track(QPoint at)
    {
        // A move to where the pointer already is would not reach the window: step beside it
        // first.
        QTest::mouseMove(viewer->viewport(), at + QPoint(at.x() > 0 ? -1 : 1, 0));
        QSignalSpy spy(viewer.get(), &COXImageViewer::PickTrack);
        QTest::mouseMove(viewer->viewport(), at);
        if (spy.isEmpty())
            return std::nullopt;
        return ScrollPoint{spy.last()[0].toInt(), spy.last()[1].toInt()};
    }
    QColor Shown(QPoint at) { return viewer->viewport()->grab().toImage().pixelColor(at); }

    static QStringList Texts(QMenu* menu)
    {
        QStringList out;
        for (QAction* a : menu->actions())
            out << (a->isSeparator() ? QString("-") : a->text());
        return out;
    }
    static QAction* Item(QMenu* menu, const QString& text)
    {
        for (QAction* a : menu->actions())
            if (a->text() == text)
                return a;
        return nullptr;
    }
    void Command(int id) { viewer->OnCommand(id); }

    nv::test::TempDir dir;
    std::unique_ptr<COXImageViewer> viewer;
};

} // namespace

TEST_F(ImageViewerTest, ReportsTheFilePixelUnderTheMouseAtEveryZoom)
{
    // Nothing before an image is loaded.
    EXPECT_FALSE(Track({50, 50}));
    Load(400, 300);
    EXPECT_EQ(viewer->GetContentSize(), (ScrollSize{400, 300}));

    viewer->SetZoom(200, nv::kZoomAnchorTopLeft);
    ASSERT_EQ(viewer->GetScrollPosition(), (ScrollPoint{0, 0}));
    EXPECT_EQ(Track({101, 51}), (ScrollPoint{50, 25}));
    viewer->SetZoom(50, nv::kZoomAnchorTopLeft);
    EXPECT_EQ(Track({101, 51}), (ScrollPoint{202, 102}));
    // Beside the image, which is 200 x 150 now, nothing is reported.
    EXPECT_FALSE(Track({250, 51}));

    // Scrolled to (300, 40) at 100 %, a press at (10, 10) ends on (310, 50).
    Load(2000, 1500);
    viewer->SetZoom(100, nv::kZoomAnchorTopLeft);
    viewer->ScrollToLogical({300, 40}, nv::kZoomAnchorTopLeft);
    ASSERT_EQ(viewer->GetScrollPosition(), (ScrollPoint{300, 40}));
    QSignalSpy ends(viewer.get(), &COXImageViewer::PickEnd);
    QTest::mousePress(viewer->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(viewer->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_EQ(ends.size(), 1);
    EXPECT_EQ(ends[0][0].toInt(), 310);
    EXPECT_EQ(ends[0][1].toInt(), 50);
    // Only the left button ends a pick.
    QTest::mousePress(viewer->viewport(), Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(ends.size(), 1);
}

TEST_F(ImageViewerTest, ACentredImageReportsFromItsOwnCorner)
{
    Load(300, 200);
    Command(ID_ALIGN_CENTER);
    EXPECT_EQ(viewer->GetAlignment(), nv::kAlignCenter);
    EXPECT_EQ(viewer->GetViewportOrigin(), (ScrollPoint{150, 150}));
    EXPECT_EQ(Track({160, 170}), (ScrollPoint{10, 20}));
    EXPECT_EQ(Shown({160, 170}), PixelColour(10, 20));
    // The margin around it reports nothing and shows the background.
    EXPECT_FALSE(Track({140, 170}));
    EXPECT_FALSE(Track({160, 360}));
    EXPECT_EQ(Shown({140, 170}), viewer->GetBackgroundColor());

    Command(ID_ALIGN_BOTTOM_RIGHT);
    EXPECT_EQ(Track({599, 499}), (ScrollPoint{299, 199}));
    Command(ID_ALIGN_TOP_LEFT);
    EXPECT_EQ(Track({1, 1}), (ScrollPoint{1, 1}));
}

TEST_F(ImageViewerTest, WhatIsDrawnUnderThePointerIsWhatIsReported)
{
    Load(500, 400);
    // Zooms that repeat pixels unevenly, scrolled to an odd place.
    for (int zoom : {100, 150, 230, 1000}) {
        viewer->SetZoom(zoom, nv::kZoomAnchorTopLeft);
        viewer->ScrollToLogical({37, 23}, nv::kZoomAnchorTopLeft);
        const QImage shot = viewer->viewport()->grab().toImage();
        for (int y = 0; y < 200; y += 7) {
            for (int x = 0; x < 300; x += 5) {
                const auto p = viewer->FilePixelAt({x, y});
                ASSERT_TRUE(p);
                ASSERT_EQ(shot.pixelColor(x, y), PixelColour(p->x, p->y))
                    << zoom << "% at " << x << "," << y;
            }
        }
    }
}

TEST_F(ImageViewerTest, SmallZoomsAverageThePixelsTheyHide)
{
    // Alternate black and white columns: averaged they are mid grey, skipped they are not.
    QImage stripes(1000, 800, QImage::Format_RGB32);
    for (int x = 0; x < 1000; ++x)
        for (int y = 0; y < 800; ++y)
            stripes.setPixel(x, y, x % 2 ? 0xFFFFFFFF : 0xFF000000);
    ASSERT_TRUE(viewer->LoadFile(SaveBmp(stripes)));
    for (int zoom : {10, 25, 50}) {
        viewer->SetZoom(zoom, nv::kZoomAnchorTopLeft);
        const QImage shot = viewer->viewport()->grab().toImage();
        for (QPoint p : {QPoint(20, 20), QPoint(41, 33), QPoint(60, 70)})
            EXPECT_NEAR(shot.pixelColor(p).red(), 128, 12) << zoom << "%";
    }
    EXPECT_EQ(viewer->Renderer().Levels().Levels().size(), 3u);

    // Colours come through the reduced levels unchanged.
    QImage patches(1000, 800, QImage::Format_RGB32);
    patches.fill(QColor(200, 30, 60));
    for (int y = 400; y < 800; ++y)
        for (int x = 0; x < 1000; ++x)
            patches.setPixelColor(x, y, QColor(20, 140, 230));
    ASSERT_TRUE(viewer->LoadFile(SaveBmp(patches, "patches.bmp")));
    for (int zoom : {10, 20, 25, 40, 50, 75}) {
        viewer->SetZoom(zoom, nv::kZoomAnchorTopLeft);
        const int half = 400 * zoom / 100;
        EXPECT_EQ(Shown({5, half / 2}), QColor(200, 30, 60)) << zoom << "%";
        EXPECT_EQ(Shown({5, half + half / 2}), QColor(20, 140, 230)) << zoom << "%";
    }
}

TEST_F(ImageViewerTest, TurnsKeepTheZoomAndReportTheStoredPixel)
{
    Load(400, 300);
    viewer->SetZoom(50, nv::kZoomAnchorTopLeft);
    Command(ID_ROTATE_90);
    EXPECT_EQ(viewer->GetContentSize(), (ScrollSize{300, 400}));
    EXPECT_EQ(viewer->GetZoom(), 50);
    EXPECT_EQ(viewer->GetImageFileSize(), (ScrollSize{400, 300}));
    // Turned clockwise, the file's left column is the top row, read from the right: at 50 %
    // the window's column 149 shows the turned image's column 298, the file's row 1.
    EXPECT_EQ(Track({149, 0}), (ScrollPoint{0, 1}));
    viewer->SetZoom(100, nv::kZoomAnchorTopLeft);
    EXPECT_EQ(Track({299, 0}), (ScrollPoint{0, 0}));
    EXPECT_EQ(Shown({299, 0}), PixelColour(0, 0));
    // Wherever the pointer is, the pixel reported has the colour shown there.
    for (QPoint at : {QPoint(10, 20), QPoint(250, 390), QPoint(123, 45)}) {
        const auto p = Track(at);
        ASSERT_TRUE(p);
        EXPECT_EQ(Shown(at), PixelColour(p->x, p->y));
    }

    // Turned upside down ("Horizontally") and mirrored ("Vertically") as well.
    Command(ID_FLIP_HORIZONTALLY);
    Command(ID_FLIP_VERTICALLY);
    Command(ID_ROTATE_180);
    Command(ID_ROTATE_270);
    EXPECT_EQ(viewer->GetContentSize(), (ScrollSize{400, 300}));
    EXPECT_TRUE(viewer->GetOrientation().IsIdentity());
    EXPECT_EQ(Track({10, 20}), (ScrollPoint{10, 20}));
    EXPECT_EQ(Shown({10, 20}), PixelColour(10, 20));

    // With "Always fit window" a turn fits the window again.
    Command(ID_ALWAYS_FIT_WINDOW);
    EXPECT_EQ(viewer->GetZoom(), 150);
    Command(ID_ROTATE_90);
    EXPECT_EQ(viewer->GetZoom(), 125);
}

TEST_F(ImageViewerTest, FlipsMirrorAndTurnUpsideDown)
{
    Load(40, 30);
    Command(ID_FLIP_VERTICALLY); // left-right
    EXPECT_EQ(Shown({1, 1}), PixelColour(38, 1));
    EXPECT_EQ(Track({1, 1}), (ScrollPoint{38, 1}));
    Command(ID_FLIP_VERTICALLY);
    Command(ID_FLIP_HORIZONTALLY); // upside down
    EXPECT_EQ(Shown({1, 1}), PixelColour(1, 28));
    EXPECT_EQ(Track({1, 1}), (ScrollPoint{1, 28}));
}

TEST_F(ImageViewerTest, ContextMenuAddsAlignRotateAndFlip)
{
    Load(400, 300);
    QMenu menu;
    ASSERT_TRUE(viewer->BuildContextMenu(menu, QPoint(5, 5)));
    EXPECT_EQ(Texts(&menu), (QStringList{"Align", "-", "Zoom", "Zoom to content", "-",
                                         "Always fit window", "Use track zoom", "Smooth scrolling",
                                         "-", "Rotate", "Flip", "-", "Show Graticule"}));
    QMenu* align = Item(&menu, "Align")->menu();
    EXPECT_EQ(Texts(align), (QStringList{"Top/Left", "Center", "Bottom/Right"}));
    EXPECT_TRUE(Item(align, "Top/Left")->isChecked());
    EXPECT_FALSE(Item(align, "Center")->isChecked());
    EXPECT_EQ(Texts(Item(&menu, "Rotate")->menu()),
              (QStringList{QString::fromUtf8("Clockwise 90°"), QString::fromUtf8("180°"),
                           QString::fromUtf8("Counterclockwise 90°")}));
    EXPECT_EQ(Texts(Item(&menu, "Flip")->menu()), (QStringList{"Vertically", "Horizontally"}));
    // The viewer starts with track zoom and smooth scrolling on.
    COXImageViewer fresh;
    EXPECT_TRUE(fresh.GetUseTrackZoom());
    EXPECT_TRUE(fresh.GetSmoothScrolling());
    EXPECT_TRUE(Item(&menu, "Use track zoom")->isChecked());

    // The items run their commands.
    Item(align, "Bottom/Right")->trigger();
    EXPECT_EQ(viewer->GetAlignment(), nv::kAlignBottomRight);
    Item(Item(&menu, "Rotate")->menu(), QString::fromUtf8("Counterclockwise 90°"))->trigger();
    EXPECT_EQ(viewer->GetContentSize(), (ScrollSize{300, 400}));
    EXPECT_EQ(viewer->GetZoomAnchor(), nv::kZoomAnchorCenter);

    QMenu again;
    viewer->BuildContextMenu(again, QPoint());
    EXPECT_TRUE(Item(Item(&again, "Align")->menu(), "Bottom/Right")->isChecked());
    Item(Item(&again, "Zoom")->menu(), "200%")->trigger();
    QMenu zoomed;
    viewer->BuildContextMenu(zoomed, QPoint());
    EXPECT_EQ(Texts(&zoomed),
              (QStringList{"Align", "-", "Zoom", "Zoom to content", "100%", "-",
                           "Always fit window", "Use track zoom", "Smooth scrolling", "-", "Rotate",
                           "Flip", "-", "Show Graticule"}));
}

TEST_F(ImageViewerTest, ANewImageIsPaintedWhenItsFittedZoomIsTheOldOnes)
{
    viewer->SetAlwaysFitWindow(true);
    Load(400, 300);
    struct PaintCounter : QObject
    {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            paints += event->type() == QEvent::Paint ? 1 : 0;
            return false;
        }
    } counter;
    QCoreApplication::processEvents();
    viewer->viewport()->installEventFilter(&counter);
    QImage other(400, 300, QImage::Format_RGB32);
    other.fill(Qt::darkGreen);
    ASSERT_TRUE(viewer->LoadFile(SaveBmp(other, "other.bmp")));
    // The repaint it asks for comes with the events already waiting.
    QCoreApplication::processEvents();
    EXPECT_GT(counter.paints, 0);
    viewer->viewport()->removeEventFilter(&counter);
}

TEST_F(ImageViewerTest, AFailedLoadKeepsTheImageShown)
{
    Load(400, 300);
    const std::string junk = dir.Write("junk.bmp", "BM this is not an image");
    EXPECT_FALSE(viewer->LoadFile(junk));
    EXPECT_FALSE(viewer->LoadJPEGFile(junk));
    EXPECT_FALSE(viewer->LoadFile(dir.File("missing.bmp")));
    EXPECT_FALSE(viewer->IsEmpty());
    EXPECT_EQ(viewer->GetContentSize(), (ScrollSize{400, 300}));
    EXPECT_EQ(Track({10, 10}), (ScrollPoint{10, 10}));
    EXPECT_EQ(Shown({10, 10}), PixelColour(10, 10));

    // A JPEG after a BMP: the new image replaces it.
    ASSERT_TRUE(viewer->LoadJPEGFile(nv::test::SourcePath("data/sample/sample_map.jpg")));
    EXPECT_EQ(viewer->GetImageFileSize(), (ScrollSize{1200, 900}));
    // From an open stream too.
    nv::File file;
    ASSERT_TRUE(file.Open(SaveBmp(MakePicture(30, 20), "small.bmp"), nv::File::modeRead));
    file.Seek(5, nv::Stream::begin);
    ASSERT_TRUE(viewer->LoadFile(file));
    EXPECT_EQ(viewer->GetContentSize(), (ScrollSize{30, 20}));

    // Emptied, nothing is drawn or reported, but the content size stays.
    EXPECT_TRUE(viewer->Empty(true));
    EXPECT_TRUE(viewer->IsEmpty());
    EXPECT_EQ(viewer->GetContentSize(), (ScrollSize{30, 20}));
    EXPECT_FALSE(Track({10, 10}));
    EXPECT_EQ(Shown({10, 10}), viewer->GetBackgroundColor());
    EXPECT_TRUE(viewer->Empty(true));
    // Nothing to turn.
    Command(ID_ROTATE_90);
    EXPECT_EQ(viewer->GetContentSize(), (ScrollSize{30, 20}));
}

TEST_F(ImageViewerTest, APaletteScreenShowsTheHalftoneCopyAndTurnsTheImage)
{
    COXImageViewer::SetScreenBitsPerPixel(8);
    COXDIB::SetScreenPaletteSize(256);
    Load(40, 30);
    EXPECT_TRUE(viewer->NeedsHalftone());
    EXPECT_EQ(viewer->GetDIB().GetNumBitsPerPixel(), 24u);
    EXPECT_EQ(viewer->GetShownImage().GetNumBitsPerPixel(), 8u);
    Command(ID_ROTATE_90);
    EXPECT_EQ(viewer->GetDIB().GetNumBitsPerPixel(), 24u);
    EXPECT_EQ(viewer->GetDIB().GetSize().cx, 30);
    EXPECT_EQ(viewer->GetShownImage().GetSize().cx, 30);
    EXPECT_EQ(viewer->GetShownImage().GetNumBitsPerPixel(), 8u);
    // Halftone colours are close to the image's.
    const QColor shown = Shown({5, 5});
    const auto p = Track({5, 5});
    ASSERT_TRUE(p);
    EXPECT_NEAR(shown.red(), PixelColour(p->x, p->y).red(), 52);
    COXImageViewer::SetScreenBitsPerPixel(0);
    COXDIB::SetScreenPaletteSize(0);
    EXPECT_FALSE(viewer->NeedsHalftone());
}
