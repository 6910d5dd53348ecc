// The whole workflow in the real main window, as a user goes through it: the sample map
// loaded through the image dialog, both points picked with the mouse on the viewer, their
// coordinates typed into the point table in several notations, the world file created and
// compared with the expected one, and the image loaded again with its world file read back.
#include "app/georeference_app.h"
#include "app/widgets/main_window.h"
#include "georef/world_file.h"
#include "imaging/widgets/image_viewer.h"
#include "imaging/widgets/preview_dialog.h"
#include "platform/app_paths.h"
#include "tests/app/window_test_support.h"
#include "tests/testlib/temp_dir.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

#include <gtest/gtest.h>

#include <filesystem>

using nv::test::ClickCell;
using nv::test::PressKey;
using nv::test::TypeKeys;

namespace {

class EndToEndTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        nv::SetApplicationPath(dir.File("Nulo_Vandrel"));
        // Qt's file dialog keeps its own settings; here in the test's folder.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(dir.File("config")));
        std::filesystem::copy_file(nv::test::SourcePath("data/sample/sample_map.jpg"), image);
    }
    void TearDown() override { nv::SetApplicationPath(""); }

    // Load Image, choosing the file by its name in the image dialog.
    void LoadThroughTheDialog(const std::string& folder, const QString& name)
    {
        bool chosen = false;
        QTimer::singleShot(0, [&] {
            auto* dlg = qobject_cast<COXPreviewDialog*>(QApplication::activeModalWidget());
            if (!dlg)
                return;
            dlg->setDirectory(QString::fromStdString(folder));
            dlg->findChild<QLineEdit*>("fileNameEdit")->setText(name);
            dlg->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Open)->click();
            chosen = true;
        });
        QTest::mouseClick(window.Control(IDC_LOAD_IMAGE), Qt::LeftButton);
        EXPECT_TRUE(chosen);
        // The window manager gives the window the activation back. Ask until it has it: the
        // closing dialog, or a question of the ending load, may take it after a first request.
        EXPECT_TRUE(QTest::qWaitFor([&] {
            if (!QApplication::activeModalWidget())
                window.activateWindow();
            return window.isActiveWindow();
        }));
    }
    // Picks a point: its button, the pointer over the file pixel, a press there.
    void Pick(int id, nv::ScrollPoint pixel)
    {
        COXImageViewer* viewer = window.Viewer();
        QTest::mouseClick(window.Control(id), Qt::LeftButton);
        viewer->ScrollToLogical({pixel.x - 100, pixel.y - 100}, nv::kZoomAnchorTopLeft);
        // Where the pixel is in the view, as it stands (the status line the pointer fills may
        // widen the window).
        auto at = [&] {
            const nv::ScrollPoint origin = viewer->GetViewportOrigin();
            return QPoint(pixel.x + origin.x, pixel.y + origin.y);
        };
        QTest::mouseMove(viewer->viewport(), at() + QPoint(1, 1));
        QTest::mouseMove(viewer->viewport(), at());
        QTest::mouseClick(viewer->viewport(), Qt::LeftButton, {}, at());
    }
    std::vector<std::string> Row(int row)
    {
        std::vector<std::string> cells;
        for (int column = 0; column < 4; ++column)
            cells.push_back(window.PointGrid()->GetCellText(column, row));
        return cells;
    }

    nv::test::TempDir dir;
    const std::string image = dir.File("sample_map.jpg");
    CGeoreferenceApp app;
    CGeoreferenceWindow window{app, nv::Profile(dir.File("p.ini"))};
};

} // namespace

TEST_F(EndToEndTest, FromTheSampleMapToItsWorldFileAndBack)
{
    using Rows = std::vector<std::string>;
    window.resize(900, 700);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    // Stay in the program after creating the world file; read an offered world file back.
    nv::test::MessageAnswers answers([](const std::string& text) {
        if (text.find("Do you wish to exit") != std::string::npos)
            return QMessageBox::No;
        if (text.find("existing world file") != std::string::npos)
            return QMessageBox::Yes;
        return QMessageBox::Ok;
    });

    LoadThroughTheDialog(dir.Path(), "sample_map.jpg");
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.Viewer()->GetImageFileSize().cx == 1200; }));
    EXPECT_EQ(window.Controller().m_strImagePath, image);
    CPointGrid* table = window.PointGrid();
    ASSERT_TRUE(table->isEnabled());
    window.Viewer()->SetZoom(100, nv::kZoomAnchorTopLeft);

    Pick(IDC_PICK_POINT1, {300, 150});
    Pick(IDC_PICK_POINT2, {900, 750});
    EXPECT_EQ(window.Controller().m_nPickMode, 0);

    // The coordinates, typed as people write them; Tab goes on along the rows and past the
    // pixel cells of point #2, and Enter in the last cell wraps to the first.
    ClickCell(table, 2, 0);
    TypeKeys("40°15'n");
    PressKey(Qt::Key_Tab);
    TypeKeys("w105 30");
    PressKey(Qt::Key_Tab);
    PressKey(Qt::Key_Tab);
    PressKey(Qt::Key_Tab);
    TypeKeys("39.25");
    PressKey(Qt::Key_Tab);
    TypeKeys("-104 30");
    PressKey(Qt::Key_Return);
    EXPECT_EQ(table->GetEditColumn(), 0);
    EXPECT_EQ(table->GetEditRow(), 0);
    PressKey(Qt::Key_Escape);
    EXPECT_EQ(Row(0), (Rows{"300", "150", " 40.250000", "-105.500000"}));
    EXPECT_EQ(Row(1), (Rows{"900", "750", " 39.250000", "-104.500000"}));

    QTest::mouseClick(window.Control(IDC_ACCEPT), Qt::LeftButton);
    const std::string world = MakeWorldFilePath(image);
    EXPECT_EQ(nv::test::ReadFile(world),
              nv::test::ReadFile(nv::test::SourcePath("data/sample/sample_map.expected.jgw")));
    ASSERT_FALSE(answers.texts.empty());
    EXPECT_NE(answers.texts.back().find("The world file \"" + world + "\" was created"),
              std::string::npos);
    EXPECT_TRUE(window.isVisible());

    // Loaded again, the image's world file is offered and read back into the table: the
    // top-left and bottom-right pixels with their coordinates.
    LoadThroughTheDialog(dir.Path(), "sample_map.jpg");
    ASSERT_TRUE(QTest::qWaitFor([&] { return table->GetCellText(0, 1) == "1199"; }));
    EXPECT_EQ(Row(0), (Rows{"0", "0", " 40.500000", "-106.000000"}));
    EXPECT_EQ(Row(1), (Rows{"1199", "899", " 39.001667", "-104.001667"}));
    EXPECT_NE(answers.texts.back().find("existing world file"), std::string::npos);
}
