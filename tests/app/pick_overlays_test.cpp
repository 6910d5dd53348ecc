// What the controller shows of the points: markers that follow the table, picking with
// Escape, the status line's readout and scale warning, and the graticule setting.
#include "app/georeference_dlg.h"

#include "platform/app_paths.h"
#include "tests/app/scripted_host.h"
#include "tests/testlib/temp_dir.h"

#include <gtest/gtest.h>

void PrintTo(const StatusLine& s, std::ostream* os)
{
    *os << "{\"" << s.pixel << "\", \"" << s.position << "\", \"" << s.scale << "\", \""
        << s.warning << "\"}";
}

namespace {

class OverlaysTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        nv::SetApplicationPath(dir.File("Nulo_Vandrel"));
        host.table.SetDisplay(
            [this](const std::string& t, bool lon) { return dlg.DisplayCoordinate(t, lon); });
        host.view.size = {1200, 900};
    }
    void TearDown() override { nv::SetApplicationPath(""); }

    // Types a cell as the table does: the text, then the controller hears of it.
    void Type(int column, int row, const std::string& text)
    {
        host.table.SetCellText(column, row, text);
        dlg.OnPointCellChanged(column, row);
    }
    // The sample map's two control points.
    void TypeSamplePoints()
    {
        const char* cells[2][4] = {{"300", "150", "N 40 15 00", "W 105 30 00"},
                                   {"900", "750", "39.25", "-104.5"}};
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < 4; ++column)
                Type(column, row, cells[row][column]);
    }

    nv::test::TempDir dir;
    ScriptedHost host;
    CGeoreferenceDlg dlg{host};
};

} // namespace

TEST_F(OverlaysTest, MarkersFollowThePixelCells)
{
    dlg.OnInitDialog();
    EXPECT_FALSE(host.view.markers[0]);
    Type(0, 0, "12");
    EXPECT_FALSE(host.view.markers[0]); // pixel Y still empty
    Type(1, 0, " 34 ");
    EXPECT_EQ(host.view.markers[0], (DlgPoint{12, 34}));
    EXPECT_FALSE(host.view.markers[1]);

    // Cells that are not whole numbers of at least 0 have no marker.
    for (const char* bad : {"", "-3", "3.5", "12a", "99999999999"}) {
        SCOPED_TRACE(bad);
        Type(1, 0, bad);
        EXPECT_FALSE(host.view.markers[0]);
    }
}

TEST_F(OverlaysTest, PickingMovesThePointAndEscapePutsItsCellsBack)
{
    dlg.OnInitDialog();
    Type(0, 1, "10");
    Type(1, 1, "20");

    dlg.OnPickPoint2();
    EXPECT_EQ(host.view.pickIndex, 1);
    dlg.OnPickTrack(30, 40);
    dlg.OnPickTrack(31, 41);
    EXPECT_EQ(host.table.RawText(0, 1), "31");
    EXPECT_EQ(host.view.markers[1], (DlgPoint{31, 41}));
    // Pressing the same button again does not start the pick afresh.
    dlg.OnPickPoint2();
    dlg.OnPickCancel();
    EXPECT_EQ(dlg.m_nPickMode, 0);
    EXPECT_EQ(host.view.pickIndex, -1);
    EXPECT_EQ(host.table.RawText(0, 1), "10");
    EXPECT_EQ(host.table.RawText(1, 1), "20");
    EXPECT_EQ(host.view.markers[1], (DlgPoint{10, 20}));

    // Switching to the other point leaves the first where it was tracked; Escape then puts
    // back only the second point's cells, empty as they were.
    dlg.OnPickPoint2();
    dlg.OnPickTrack(50, 60);
    dlg.OnPickPoint1();
    dlg.OnPickTrack(70, 80);
    dlg.OnPickCancel();
    EXPECT_EQ(host.view.markers[1], (DlgPoint{50, 60}));
    EXPECT_EQ(host.table.RawText(0, 0), "");
    EXPECT_FALSE(host.view.markers[0]);

    // Ending a pick keeps the point; Escape afterwards changes nothing.
    dlg.OnPickPoint1();
    dlg.OnPickTrack(5, 6);
    dlg.OnPickEnd(5, 6);
    dlg.OnPickCancel();
    EXPECT_EQ(host.view.markers[0], (DlgPoint{5, 6}));
}

TEST_F(OverlaysTest, StatusReadsTheSampleMapsCoordinatesInTheNotation)
{
    host.profile["Defaults/Coord Type"] = "0";
    dlg.OnInitDialog();
    dlg.OnPickTrack(300, 150);
    // Without both points there is no fit: only the pixel.
    EXPECT_EQ(host.status, (StatusLine{"Pixel 300, 150", "", "", ""}));

    TypeSamplePoints();
    EXPECT_EQ(host.status.position, "N 40 15 00, W 105 30 00");
    EXPECT_EQ(host.status.scale, "143 m/px across, 185 m/px down");
    EXPECT_EQ(host.status.warning, "");
    dlg.OnPickTrack(600, 450);
    EXPECT_EQ(host.status.position, "N 39 45 00, W 105 00 00");
    // The last pixel lies 6 seconds inside the corner, however its sum rounds (cut short,
    // 05.99999 would show as 05).
    dlg.OnPickTrack(1199, 899);
    EXPECT_EQ(host.status.position, "N 39 00 06, W 104 00 06");
    dlg.OnPointerLeft();
    EXPECT_EQ(host.status.pixel, "");
    EXPECT_EQ(host.status.position, "");
    EXPECT_NE(host.status.scale, "");

    // A coordinate that does not parse leaves no fit, as creating the world file would.
    Type(2, 1, "N 39 15 W");
    dlg.OnPickTrack(300, 150);
    EXPECT_EQ(host.status, (StatusLine{"Pixel 300, 150", "", "", ""}));
}

TEST_F(OverlaysTest, WarnsWhenTheAxesScalesDisagree)
{
    dlg.OnInitDialog();
    TypeSamplePoints();
    EXPECT_EQ(host.status.warning, "");
    Type(2, 1, "39.52"); // 39.25 mistyped
    EXPECT_EQ(host.status.warning, "Warning: the ground scales across and down differ by 6 %; a "
                                   "coordinate may be mistyped or the points swapped.");
    Type(2, 1, "N 40 15 00"); // the latitude of point #1 again
    EXPECT_EQ(host.status.warning, "Warning: the two points lie on one parallel or one meridian; "
                                   "check their coordinates.");
}

TEST_F(OverlaysTest, GraticuleSettingIsKeptAndFollowsTheFit)
{
    host.profile["Defaults/Show Graticule"] = "1";
    dlg.OnInitDialog();
    EXPECT_TRUE(dlg.m_bShowGraticule);
    EXPECT_TRUE(host.checked[ID_VIEW_SHOW_GRATICULE]);
    EXPECT_TRUE(host.view.graticuleShown);
    EXPECT_FALSE(host.view.graticuleFit);

    TypeSamplePoints();
    ASSERT_TRUE(host.view.graticuleFit);
    EXPECT_DOUBLE_EQ(host.view.graticuleFit->Params().C, -106.0);
    Type(0, 1, "1200"); // another fit, redrawn at once
    EXPECT_NE(host.view.graticuleFit->Params().A, 1.0 / 600);

    dlg.OnShowGraticule(false);
    EXPECT_FALSE(host.view.graticuleShown);
    EXPECT_FALSE(host.checked[ID_VIEW_SHOW_GRATICULE]);
    EXPECT_EQ(host.profile["Defaults/Show Graticule"], "0");
}
