// The image file dialog with its preview pane, on the offscreen platform: the pane on first
// use, the remembered state and offset, the splitter's limits, and the thumbnail handler
// following the selection.
#include "imaging/widgets/preview_dialog.h"
#include "imaging/widgets/thumbnail_preview.h"

#include "platform/profile.h"
#include "tests/testlib/temp_dir.h"

#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

const char* const kFilter = "Bitmap Images|*.jpg;*.bmp|All Files|*.*||";

class PreviewDialogTest : public ::testing::Test
{
protected:
    // Qt's file dialog keeps its own settings; here in the test's folder.
    void SetUp() override
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(dir.File("config")));
    }

    // A dialog on the test folder, shown, with the saved offset applied.
    std::unique_ptr<COXPreviewDialog> Open()
    {
        auto dlg = std::make_unique<COXPreviewDialog>(kFilter, &profile);
        dlg->setDirectory(QString::fromStdString(dir.Path()));
        dlg->resize(760, 480);
        dlg->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
        QCoreApplication::processEvents(); // the saved offset is applied once shown
        return dlg;
    }

    // What the pane shows inside its frame, and what the default drawing gives there.
    static QImage Shown(QWidget* pane)
    {
        const QRect inner = static_cast<QFrame*>(pane)->contentsRect();
        return pane->grab(inner).toImage().convertToFormat(QImage::Format_RGB32);
    }
    static QImage DefaultText(COXPreviewDialog& dlg)
    {
        const QSize size = static_cast<QFrame*>(dlg.PreviewPane())->contentsRect().size();
        QImage image(size * dlg.devicePixelRatio(), QImage::Format_RGB32);
        image.setDevicePixelRatio(dlg.devicePixelRatio());
        QPainter painter(&image);
        dlg.DrawDefaultPreview(painter, QRect(QPoint(0, 0), size));
        return image;
    }

    // Drags the splitter by the given distance, in steps, with the left button down.
    // Positions are those of the pointer, which the handle follows.
    static void Drag(COXPreviewDialog& dlg, int distance)
    {
        QWidget* handle = dlg.Splitter();
        QWidget* area = handle->parentWidget();
        const QPoint start = handle->mapTo(area, QPoint(handle->width() / 2, handle->height() / 2));
        QTest::mousePress(handle, Qt::LeftButton, {}, handle->mapFrom(area, start));
        QPoint to;
        for (int step = 1; step <= 10; ++step) {
            to = handle->mapFrom(area, start + QPoint(distance * step / 10, 0));
            QMouseEvent move(QEvent::MouseMove, to, handle->mapToGlobal(to), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(handle, &move);
        }
        QTest::mouseRelease(handle, Qt::LeftButton, {}, to);
    }

    int Saved(const char* key) { return profile.GetInt("COXPreviewDialog Settings", key, -999); }

    nv::test::TempDir dir;
    nv::Profile profile{dir.File("Nulo_Vandrel.ini")};
};

// A plain BMP made with Qt.
std::string SaveImage(const nv::test::TempDir& dir, const char* name, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(30, 90, 160));
    const std::string path = dir.File(name);
    EXPECT_TRUE(image.save(QString::fromStdString(path)));
    return path;
}

// Records the order of the handler calls.
struct Recorder : COXPreviewHandler
{
    std::vector<std::string> calls;
    bool OnFileChanged(const std::string& file, bool handled) override
    {
        calls.push_back("file " + file + (handled ? " handled" : ""));
        return false;
    }
    void OnPreviewSwitched(bool shown) override { calls.push_back(shown ? "shown" : "hidden"); }
    void OnPaneCreated(QWidget*) override { calls.push_back("created"); }
    void OnPaneDestroying(QWidget*) override { calls.push_back("destroying"); }
};

} // namespace

TEST_F(PreviewDialogTest, FirstUseShowsThePaneWithTheDefaultText)
{
    auto dlg = Open();
    QToolButton* button = dlg->PreviewButton();
    EXPECT_EQ(button->text(), "Preview");
    EXPECT_EQ(button->toolTip(), "Preview selected file");
    EXPECT_TRUE(button->isVisible());
    EXPECT_TRUE(button->isChecked());
    EXPECT_EQ(dlg->nameFilters(),
              QStringList({"Bitmap Images (*.jpg *.JPG *.bmp *.BMP)", "All Files (*)"}));

    ASSERT_NE(dlg->PreviewPane(), nullptr);
    QWidget* pane = dlg->PreviewPane();
    EXPECT_TRUE(pane->isVisible());
    EXPECT_EQ(dlg->GetPreviewOffset(), 0);
    EXPECT_GE(pane->width(), kPreviewMinimumWidth);
    // List, splitter and pane share the list's old place, side by side.
    EXPECT_EQ(dlg->FileList()->geometry().right() + 1, dlg->Splitter()->x());
    EXPECT_EQ(dlg->Splitter()->geometry().right() + 1, pane->x());
    EXPECT_EQ(pane->geometry().right() + 1, pane->parentWidget()->width());
    EXPECT_EQ(pane->height(), dlg->FileList()->height());
    EXPECT_EQ(Shown(pane), DefaultText(*dlg));

    dlg->reject();
    EXPECT_EQ(Saved("Preview"), 1);
    EXPECT_EQ(Saved("Preview Window Offset"), 0);
}

TEST_F(PreviewDialogTest, HiddenPaneIsRememberedByTheNextDialog)
{
    {
        auto dlg = Open();
        auto* recorder = new Recorder;
        dlg->AddPreviewHandler(std::unique_ptr<COXPreviewHandler>(recorder));
        QTest::mouseClick(dlg->PreviewButton(), Qt::LeftButton);
        EXPECT_EQ(dlg->PreviewPane(), nullptr);
        EXPECT_FALSE(dlg->IsPreviewShown());
        EXPECT_EQ(dlg->FileList()->width(), dlg->FileList()->parentWidget()->width());
        EXPECT_EQ(recorder->calls, (std::vector<std::string>{"destroying", "file ", "hidden"}));
        dlg->reject();
    }
    EXPECT_EQ(Saved("Preview"), 0);

    auto dlg = Open();
    EXPECT_EQ(dlg->PreviewPane(), nullptr);
    EXPECT_FALSE(dlg->PreviewButton()->isChecked());
    QTest::mouseClick(dlg->PreviewButton(), Qt::LeftButton);
    ASSERT_NE(dlg->PreviewPane(), nullptr);
    EXPECT_TRUE(dlg->PreviewPane()->isVisible());
    dlg->reject();
    EXPECT_EQ(Saved("Preview"), 1);
}

TEST_F(PreviewDialogTest, SplitterStopsWhenListOrPaneIsFiftyPixelsWide)
{
    int offsetAtLeft = 0;
    {
        auto dlg = Open();
        const int area = dlg->FileList()->parentWidget()->width();
        Drag(*dlg, -2 * area);
        EXPECT_EQ(dlg->FileList()->width(), kPreviewMinimumWidth);
        offsetAtLeft = dlg->GetPreviewOffset();
        EXPECT_GT(offsetAtLeft, 0);

        Drag(*dlg, 2 * area);
        EXPECT_EQ(dlg->PreviewPane()->width(), kPreviewMinimumWidth);
        EXPECT_LT(dlg->GetPreviewOffset(), 0);

        Drag(*dlg, -2 * area);
        EXPECT_EQ(dlg->GetPreviewOffset(), offsetAtLeft);
        dlg->reject();
    }
    EXPECT_EQ(Saved("Preview Window Offset"), offsetAtLeft);
    auto dlg = Open(); // the next dialog opens where this one was left
    EXPECT_EQ(dlg->FileList()->width(), kPreviewMinimumWidth);
}

TEST_F(PreviewDialogTest, SavedOffsetThatHidesTheListIsCorrected)
{
    profile.WriteString("COXPreviewDialog Settings", "Preview Window Offset", "100000");
    auto dlg = Open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->FileList()->width() == kPreviewMinimumWidth; }));
    const int corrected = dlg->GetPreviewOffset();
    EXPECT_LT(corrected, 100000);
    EXPECT_EQ(dlg->PreviewPane()->geometry().right() + 1,
              dlg->PreviewPane()->parentWidget()->width());
    dlg->reject();
    EXPECT_EQ(Saved("Preview Window Offset"), corrected);
}

TEST_F(PreviewDialogTest, ThumbnailFollowsTheSelection)
{
    const std::string map = SaveImage(dir, "map.bmp", 300, 200);
    const std::string notes = dir.Write("notes.txt", "not an image");
    auto dlg = Open();
    auto* thumbnails = new CThumbnailPreview;
    auto* recorder = new Recorder;
    dlg->AddPreviewHandler(std::unique_ptr<COXPreviewHandler>(thumbnails));
    dlg->AddPreviewHandler(std::unique_ptr<COXPreviewHandler>(recorder));
    QSignalSpy done(thumbnails, &CThumbnailPreview::ThumbnailDone);

    QLineEdit* name = dlg->findChild<QLineEdit*>("fileNameEdit");
    name->setText("map.bmp"); // typed
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.count() == 1; }));
    EXPECT_TRUE(done.at(0).at(0).toBool());
    EXPECT_EQ(dlg->GetSelectedFile(), map);
    EXPECT_EQ(thumbnails->ShownFile(), map);
    EXPECT_EQ(recorder->calls.back(), "file " + map + " handled");
    EXPECT_LE(thumbnails->Image().width(), dlg->PreviewPane()->width());
    EXPECT_EQ(thumbnails->Image().pixelColor(0, 0), QColor(30, 90, 160));
    EXPECT_NE(Shown(dlg->PreviewPane()), DefaultText(*dlg));

    // A file no handler reads shows the default text.
    name->setText("notes.txt");
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.count() == 2; }));
    EXPECT_FALSE(done.at(1).at(0).toBool());
    EXPECT_EQ(Shown(dlg->PreviewPane()), DefaultText(*dlg));

    // A typed name that does not exist selects nothing.
    name->setText("missing.jpg");
    EXPECT_EQ(dlg->GetSelectedFile(), "");
    EXPECT_EQ(recorder->calls.back(), "file ");
    EXPECT_EQ(Shown(dlg->PreviewPane()), DefaultText(*dlg));

    // Of two selections in quick succession, the newer one's thumbnail is shown: the second
    // one a click in the file list.
    const std::string small = SaveImage(dir, "small.bmp", 40, 30);
    auto* list = dlg->findChild<QListView*>("listView");
    QModelIndex item;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row)
            if (list->model()->index(row, 0, list->rootIndex()).data() == "small.bmp")
                item = list->model()->index(row, 0, list->rootIndex());
        return item.isValid();
    }));
    name->setText("map.bmp");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(item).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return thumbnails->ShownFile() == small; }));
    EXPECT_EQ(dlg->GetSelectedFile(), small);
    EXPECT_EQ(thumbnails->Image().size(), QSize(40, 30));
}
