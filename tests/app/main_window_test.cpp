// The main window on the offscreen platform.
#include "app/widgets/main_window.h"

#include "app/dialog_units.h"
#include "app/georeference_app.h"
#include "georef/widgets/point_grid.h"
#include "imaging/widgets/image_viewer.h"
#include "imaging/widgets/preview_dialog.h"
#include "platform/app_paths.h"
#include "tests/testlib/temp_dir.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QImage>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override { nv::SetApplicationPath(dir.File("Nulo_Vandrel")); }
    void TearDown() override { nv::SetApplicationPath(""); }

    // A plain BMP scan in the temporary folder.
    std::string SaveScan(int width, int height, const std::string& name = "scan.bmp")
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::white);
        const std::string path = dir.File(name);
        EXPECT_TRUE(image.save(QString::fromStdString(path), "BMP"));
        return path;
    }
    // Shows the window with the image at path loaded.
    void ShowWithImage(CGeoreferenceWindow& window, const std::string& path)
    {
        window.resize(900, 700);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        EXPECT_TRUE(window.Controller().LoadImage(path));
        window.Controller().EnableImageControls();
    }

    nv::test::TempDir dir;
    CGeoreferenceApp app;
};

// Runs action, and once the modal window it opens shows, notes what it says (the text of a
// message box, the folder of a file dialog) and closes it.
QString RunAndCloseModal(const std::function<void()>& action)
{
    QString seen;
    QTimer::singleShot(0, [&seen] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            seen = box->text();
            box->accept();
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            seen = dialog->directory().absolutePath();
            dialog->reject();
        }
    });
    action();
    return seen;
}

QStringList MenuTexts(QMenu* menu)
{
    QStringList out;
    for (QAction* a : menu->actions())
        out << (a->isSeparator() ? QString("-") : a->text());
    return out;
}

} // namespace

TEST_F(MainWindowTest, ShowsTheTemplatesControlsAndMenus)
{
    CGeoreferenceWindow window(app, nv::Profile(dir.File("p.ini")));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    EXPECT_EQ(window.windowTitle(), "Nulo Vandrel by Halvorn Software LLC - Version ");
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_EQ(qobject_cast<QPushButton*>(window.Control(IDC_ACCEPT))->text(),
              "Done - Create World File");
    EXPECT_TRUE(qobject_cast<QPushButton*>(window.Control(IDC_ACCEPT))->isDefault());
    EXPECT_EQ(qobject_cast<QPushButton*>(window.Control(IDC_LOAD_IMAGE))->text(), "Load Image");
    EXPECT_TRUE(window.Control(IDC_LOAD_IMAGE)->isEnabled());
    for (int id : {IDC_ACCEPT, IDC_PICK_POINT1, IDC_PICK_POINT2, IDC_POINT_TABLE})
        EXPECT_FALSE(window.Control(id)->isEnabled()) << id;
    auto* instructions = qobject_cast<QPlainTextEdit*>(window.Control(IDC_INSTRUCTIONS));
    EXPECT_TRUE(instructions->isReadOnly());
    EXPECT_TRUE(instructions->toPlainText().startsWith("INSTRUCTIONS:\n\nIn order to use"));

    auto* bar = window.findChild<QMenuBar*>();
    ASSERT_EQ(bar->actions().size(), 3);
    EXPECT_EQ(bar->actions()[0]->text(), "&File");
    EXPECT_EQ(MenuTexts(bar->actions()[0]->menu()),
              (QStringList{"&Load Image", "&Recent Images", "-", "Load &Points...",
                           "&Save Points...", "-", "E&xit"}));
    EXPECT_FALSE(window.MenuAction(ID_FILE_SAVE_POINTS)->isEnabled()); // until an image is loaded
    EXPECT_FALSE(window.MenuAction(ID_FILE_LOAD_POINTS)->isEnabled());
    EXPECT_EQ(window.MenuAction(ID_FILE_LOAD_IMAGE)->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(window.MenuAction(ID_APP_EXIT)->shortcut(), QKeySequence("Ctrl+Q"));
    EXPECT_EQ(window.MenuAction(ID_HELP_FINDER)->shortcut(), QKeySequence("F1"));
    EXPECT_EQ(MenuTexts(bar->actions()[1]->menu()), (QStringList{"Show &Graticule"}));
    EXPECT_EQ(MenuTexts(bar->actions()[2]->menu()),
              (QStringList{"&Help Topics", "-", "&About Nulo Vandrel", "-", "&Check For Updates"}));
    EXPECT_TRUE(window.MenuAction(ID_APP_ABOUT)->isEnabled());
    EXPECT_TRUE(window.MenuAction(ID_HELP_CHECK_FOR_UPDATES)->isEnabled());

    // The pick buttons and the table stay where the template put them, in dialog units.
    const QFontMetrics fm = window.fontMetrics();
    const DialogBaseUnits base{
        (fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 + 1) / 2,
        fm.height()};
    const DlgRect pick = DialogUnitsToPixels(kMainTemplate[2], base);
    EXPECT_EQ(window.Control(IDC_PICK_POINT1)->geometry(),
              QRect(pick.left, pick.top, pick.Width(), pick.Height()));
    EXPECT_EQ(window.Client()->width(), DialogUnitsToPixelsX(kMainTemplateSize.cx, base));
}

TEST_F(MainWindowTest, ResizingMovesTheEdgeControlsAndRespectsTheMinimum)
{
    CGeoreferenceWindow window(app, nv::Profile(dir.File("p.ini")));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QSize initial = window.Client()->size();
    const QRect table = window.Control(IDC_POINT_TABLE)->geometry();

    window.resize(window.width() + 200, window.height() + 100);
    QTRY_COMPARE(window.Client()->width(), initial.width() + 200);
    QWidget* accept = window.Control(IDC_ACCEPT);
    const int margin = window.Control(IDC_INSTRUCTIONS)->x();
    EXPECT_EQ(accept->geometry().right() + 1, window.Client()->width() - margin);
    EXPECT_EQ(window.Control(IDC_INSTRUCTIONS)->geometry().right() + 1,
              window.Client()->width() - margin);
    EXPECT_EQ(window.Control(IDC_VIEWER)->geometry().right() + 1,
              window.Client()->width() - margin);
    EXPECT_EQ(window.Control(IDC_POINT_TABLE)->geometry(), table);

    window.resize(100, 100);
    QTRY_VERIFY(window.Client()->width() >= initial.width());
    EXPECT_GE(window.Client()->height(), initial.height());

    // A status line longer than the window is cut off; the window keeps its width.
    const int width = window.width();
    window.SetStatusLine({"Pixel 1, 2", "N 40 15 00, W 105 30 00", "143 m/px across",
                          "Warning: " + std::string(300, 'x')});
    QTest::qWait(0);
    window.layout()->activate();
    EXPECT_EQ(window.width(), width);
    EXPECT_LE(window.minimumSizeHint().width(), width);
}

TEST_F(MainWindowTest, ClosingSavesThePlacementAndTheNextWindowRestoresIt)
{
    const std::string ini = dir.File("p.ini");
    QRect geometry;
    {
        CGeoreferenceWindow window(app, nv::Profile(ini));
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.setGeometry(40, 50, window.width() + 60, window.height() + 30);
        QTRY_COMPARE(window.geometry().topLeft(), QPoint(40, 50));
        geometry = window.geometry();
        window.close();
    }
    const std::string saved = nv::Profile(ini).GetString("Defaults", "Window Pos");
    EXPECT_EQ(saved, "0,1,-1,-1,-1,-1,40,50," + std::to_string(geometry.right() + 1) + "," +
                         std::to_string(geometry.bottom() + 1));

    CGeoreferenceWindow again(app, nv::Profile(ini));
    EXPECT_EQ(again.geometry(), geometry);
}

TEST_F(MainWindowTest, LoadImageChoosesTheFileInThePreviewDialog)
{
    const std::string ini = dir.File("p.ini");
    CGeoreferenceWindow window(app, nv::Profile(ini));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const std::string scan = SaveScan(120, 80);
    // Qt's file dialog keeps its own settings; here in the test's folder.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(dir.File("config")));

    // The dialog runs modally: the answer is given from inside its event loop.
    QString title;
    bool thumbnail = false;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<COXPreviewDialog*>(QApplication::activeModalWidget());
        if (!dlg)
            return;
        title = dlg->windowTitle();
        auto* preview = dlg->findChild<QWidget*>("previewPane");
        dlg->setDirectory(QString::fromStdString(dir.Path()));
        dlg->findChild<QLineEdit*>("fileNameEdit")->setText("scan.bmp");
        // The thumbnail appears without the dialog waiting for it.
        QImage before = preview ? preview->grab().toImage() : QImage();
        thumbnail = QTest::qWaitFor([&] { return preview && preview->grab().toImage() != before; });
        dlg->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Open)->click();
    });
    QTest::mouseClick(window.Control(IDC_LOAD_IMAGE), Qt::LeftButton);
    EXPECT_EQ(title, "Select Bitmap Image To GeoReference");
    EXPECT_TRUE(thumbnail);
    QTRY_COMPARE(window.Controller().m_strImagePath, scan);
    EXPECT_TRUE(window.Control(IDC_ACCEPT)->isEnabled());
    EXPECT_NE(nv::test::ReadFile(ini).find("[COXPreviewDialog Settings]"), std::string::npos);
}

TEST_F(MainWindowTest, PickingFromTheMouseFillsTheTable)
{
    CGeoreferenceWindow window(app, nv::Profile(dir.File("p.ini")));
    ShowWithImage(window, SaveScan(400, 200));
    EXPECT_TRUE(window.Control(IDC_ACCEPT)->isEnabled());

    QTest::mouseClick(window.Control(IDC_PICK_POINT1), Qt::LeftButton);
    auto* viewer = qobject_cast<COXImageViewer*>(window.Control(IDC_VIEWER));
    ASSERT_TRUE(viewer);
    QWidget* view = viewer->viewport();
    // The image is shown at its size from the top-left corner.
    QTest::mouseMove(view, QPoint(10, 20));
    CPointGrid* table = window.PointGrid();
    EXPECT_TRUE(QTest::qWaitFor([&] { return table->GetCellText(0, 0) == "10"; }));
    EXPECT_EQ(table->GetCellText(1, 0), "20");
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(10, 20));
    EXPECT_EQ(window.Controller().m_nPickMode, 0);
    QTest::mouseMove(view, QPoint(30, 40));
    EXPECT_EQ(table->GetCellText(0, 0), "10");
    // Beside the image nothing is reported.
    QTest::mouseClick(window.Control(IDC_PICK_POINT2), Qt::LeftButton);
    QTest::mouseMove(view, QPoint(450, 20));
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(450, 20));
    EXPECT_EQ(window.Controller().m_nPickMode, 2);
    EXPECT_EQ(table->GetCellText(0, 1), "");
}

TEST_F(MainWindowTest, PickedPixelsAreTheFilesAtAnyZoomScrollAndTurn)
{
    CGeoreferenceWindow window(app, nv::Profile(dir.File("p.ini")));
    ShowWithImage(window, SaveScan(1000, 800));
    auto* viewer = qobject_cast<COXImageViewer*>(window.Control(IDC_VIEWER));
    ASSERT_TRUE(viewer);
    QWidget* view = viewer->viewport();
    CPointGrid* table = window.PointGrid();

    // 200 %, scrolled to (100, 50) of the image.
    viewer->SetZoom(200, nv::kZoomAnchorTopLeft);
    viewer->ScrollToLogical({100, 50}, nv::kZoomAnchorTopLeft);
    QTest::mouseClick(window.Control(IDC_PICK_POINT2), Qt::LeftButton);
    QTest::mouseMove(view, QPoint(21, 41));
    EXPECT_TRUE(QTest::qWaitFor([&] { return table->GetCellText(0, 1) == "110"; }));
    EXPECT_EQ(table->GetCellText(1, 1), "70");
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(21, 41));
    EXPECT_EQ(window.Controller().m_nPickMode, 0);

    // Turned clockwise at 100 %: the view's (10, 20) shows the file's (20, 789).
    viewer->OnCommand(ID_ROTATE_90);
    viewer->SetZoom(100, nv::kZoomAnchorTopLeft);
    viewer->ScrollToLogical({0, 0}, nv::kZoomAnchorTopLeft);
    QTest::mouseClick(window.Control(IDC_PICK_POINT1), Qt::LeftButton);
    QTest::mouseMove(view, QPoint(10, 20));
    EXPECT_TRUE(QTest::qWaitFor([&] { return table->GetCellText(0, 0) == "20"; }));
    EXPECT_EQ(table->GetCellText(1, 0), "789");
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(10, 20));
    EXPECT_EQ(window.Controller().m_nPickMode, 0);
    EXPECT_EQ(viewer->GetImageFileSize(), (nv::ScrollSize{1000, 800}));
}

TEST_F(MainWindowTest, CtrlSSavesThePointsWhereTheUserChooses)
{
    CGeoreferenceWindow window(app, nv::Profile(dir.File("p.ini")));
    const std::string scan = SaveScan(400, 200);
    ShowWithImage(window, scan);
    EXPECT_TRUE(window.MenuAction(ID_FILE_LOAD_POINTS)->isEnabled());
    window.Controller().m_nCoordType = 5;
    const char* cells[2][4] = {{"10", "20", "45", "-100"}, {"300", "150", "44", "-99"}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c)
            window.PointGrid()->SetCellText(c, r, cells[r][c]);

    // The chooser offers the image's points file; a name typed without extension gets one.
    // (It keeps its own settings under the configuration folder: one of the test's.)
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(dir.File("config")));
    QString offered;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!chooser)
            return;
        answer.stop();
        offered = chooser->selectedFiles().value(0);
        auto* name = chooser->findChild<QLineEdit*>("fileNameEdit"); // typed, as a user would
        EXPECT_TRUE(name);
        if (name)
            name->setText(QString::fromStdString(dir.File("mine")));
        static_cast<QDialog*>(chooser)->accept();
    });
    answer.start(10);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
    configHome.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", configHome);
    EXPECT_EQ(offered.toStdString(), scan + ".points");
    EXPECT_NE(nv::test::ReadFile(dir.File("mine.points")).find("\n-100,45,10.5,-20.5,1,0,0,0\n"),
              std::string::npos);
}

TEST(MainWindowVersion, CaptionCarriesTheExecutablesVersion)
{
    nv::test::TempDir dir;
    CGeoreferenceApp app;
    app.InitInstance();
    EXPECT_EQ(app.m_strProductVersion, NV_VERSION_TEXT);
    CGeoreferenceWindow window(app, nv::Profile(dir.File("p.ini")));
    EXPECT_EQ(window.windowTitle().toStdString(),
              std::string("Nulo Vandrel by Halvorn Software LLC - Version ") + NV_VERSION_TEXT);
}

TEST_F(MainWindowTest, AFileDroppedOnTheWindowLoadsAsWithLoadImage)
{
    CGeoreferenceWindow window(app, nv::Profile(dir.File("p.ini")));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const std::string scan = SaveScan(300, 200);
    // Dropped on the image viewer, which passes it on to the window.
    QWidget* viewport = qobject_cast<COXImageViewer*>(window.Control(IDC_VIEWER))->viewport();
    const QPointF at(20, 20);

    QMimeData text;
    text.setText("45.5");
    text.setUrls({QUrl("https://www.halvorn-software.example/map.jpg")});
    QDragEnterEvent refused(at.toPoint(), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &refused);
    EXPECT_FALSE(refused.isAccepted());

    QMimeData file;
    file.setUrls({QUrl::fromLocalFile(QString::fromStdString(scan))});
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &file, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &file, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    ASSERT_TRUE(drop.isAccepted());

    QTRY_COMPARE(window.Controller().m_strImagePath, scan);
    EXPECT_TRUE(window.Control(IDC_ACCEPT)->isEnabled());
    EXPECT_EQ(nv::Profile(dir.File("p.ini")).GetString("Recent Files", "File1"), scan);
}

TEST_F(MainWindowTest, RecentImagesListTheLastEightAndDropAMissingOne)
{
    // The profile remembers eight images, the most recent first; one of them is gone.
    const std::string ini = dir.File("p.ini");
    std::vector<std::string> earlier;
    for (int i = 0; i < 8; ++i) {
        earlier.push_back(SaveScan(40, 30, "earlier" + std::to_string(i) + ".bmp"));
        nv::Profile(ini).WriteString("Recent Files", "File" + std::to_string(i + 1), earlier[i]);
    }
    std::filesystem::remove(earlier[3]);

    CGeoreferenceWindow window(app, nv::Profile(ini));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const std::string scan = SaveScan(300, 200);
    EXPECT_TRUE(window.Controller().OpenImage(scan));
    QTRY_COMPARE(window.Controller().m_strImagePath, scan);

    window.UpdateRecentImagesMenu();
    QMenu* menu = window.RecentImagesMenu();
    EXPECT_TRUE(menu->isEnabled());
    QStringList shown;
    for (QAction* action : menu->actions()) {
        shown << action->data().toString();
        EXPECT_TRUE(action->isEnabled()); // a missing one too: choosing it removes it
    }
    QStringList expected{QString::fromStdString(scan)};
    for (int i = 0; i < 7; ++i)
        expected << QString::fromStdString(earlier[i]);
    EXPECT_EQ(shown, expected);
    EXPECT_TRUE(menu->actions()[0]->text().startsWith("&1 "));

    // The missing image: a message, and it leaves the list.
    const QString message = RunAndCloseModal([&] { menu->actions()[4]->trigger(); });
    EXPECT_TRUE(message.contains("was not found")) << message.toStdString();
    window.UpdateRecentImagesMenu();
    EXPECT_EQ(menu->actions().size(), 7);
    EXPECT_EQ(window.Controller().m_strImagePath, scan);

    // Another one loads.
    menu->actions()[1]->trigger();
    QTRY_COMPARE(window.Controller().m_strImagePath, earlier[0]);
    window.UpdateRecentImagesMenu();
    EXPECT_EQ(menu->actions()[0]->data().toString().toStdString(), earlier[0]);
}

TEST_F(MainWindowTest, LoadImageStartsInTheFolderOfTheLastImage)
{
    // The file dialog keeps its own settings in the user's configuration folder: the test's.
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(dir.File("config")));
    const std::string ini = dir.File("p.ini");
    std::filesystem::create_directory(dir.File("maps"));
    {
        CGeoreferenceWindow window(app, nv::Profile(ini));
        const std::string quad = SaveScan(40, 30, "maps/quad.bmp");
        EXPECT_TRUE(window.Controller().OpenImage(quad));
        QTRY_COMPARE(window.Controller().m_strImagePath, quad);
    }
    // The next run remembers it.
    CGeoreferenceWindow window(app, nv::Profile(ini));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QString folder =
        RunAndCloseModal([&] { window.MenuAction(ID_FILE_LOAD_IMAGE)->trigger(); });
    EXPECT_EQ(folder.toStdString(), dir.File("maps"));
    EXPECT_TRUE(window.Controller().m_strImagePath.empty());
    configHome.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", configHome);
}

TEST_F(MainWindowTest, APlacementOffEveryScreenIsBroughtBack)
{
    const std::string ini = dir.File("p.ini");
    nv::Profile(ini).WriteString("Defaults", "Window Pos", "0,1,-1,-1,-1,-1,5000,4000,5600,4500");
    CGeoreferenceWindow window(app, nv::Profile(ini));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(window.geometry().topLeft())) << window.x() << "," << window.y();
    EXPECT_GE(screen.intersected(window.geometry()).width(), std::min(600, screen.width()));
}
