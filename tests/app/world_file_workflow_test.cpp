// Creating a world file from the point table with the coordinate-system file beside it,
// offering an existing world file on load, and saving and loading the points.
#include "app/georeference_dlg.h"

#include "georef/crs_file.h"
#include "georef/points_file.h"
#include "georef/world_file.h"
#include "platform/app_paths.h"
#include "support/log.h"
#include "tests/app/scripted_host.h"
#include "tests/testlib/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using Result = CGeoreferenceDlg::WorldFileResult;

class WorkflowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        nv::SetApplicationPath(dir.File("Nulo_Vandrel"));
        LogReset();
        host.table.SetDisplay(
            [this](const std::string& t, bool lon) { return dlg.DisplayCoordinate(t, lon); });
        dlg.OnInitDialog();
        image = dir.Write("quad.jpg", "jpeg");
        host.view.jpegs.insert(image);
        host.view.size = {401, 201};
    }
    void TearDown() override { nv::SetApplicationPath(""); }

    void SetPoints(const char* p1[4], const char* p2[4])
    {
        for (int c = 0; c < 4; ++c) {
            host.table.SetCellText(c, 0, p1[c]);
            host.table.SetCellText(c, 1, p2[c]);
        }
    }
    void SetGoodPoints()
    {
        const char* p1[4] = {"100", "50", "N 40 00 00", "W 105 30 00"};
        const char* p2[4] = {"300", "250", "39.5", "-105"};
        SetPoints(p1, p2);
    }
    // The table's cells as stored, row by row.
    std::vector<std::string> Cells()
    {
        std::vector<std::string> cells;
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 4; ++c)
                cells.push_back(host.table.RawText(c, r));
        return cells;
    }
    std::string Log() { return nv::test::ReadFile(dir.File("Nulo_Vandrel.LOG")); }

    nv::test::TempDir dir;
    ScriptedHost host;
    CGeoreferenceDlg dlg{host};
    std::string image;
};

} // namespace

TEST_F(WorkflowTest, WritesTheFileAndOffersToExit)
{
    ASSERT_TRUE(dlg.LoadImage(image));
    SetGoodPoints();
    host.messages.Answer(nv::IDNO);
    EXPECT_EQ(dlg.OnCreateWorldFile(), Result::written);
    const std::string world = dir.File("quad.JGW");
    EXPECT_EQ(nv::test::ReadFile(world), "0.0025000000\r\n0.0000000000\r\n0.0000000000\r\n"
                                         "-0.0025000000\r\n-105.7500000000\r\n40.1250000000");
    ASSERT_EQ(host.messages.Count(), 1u);
    EXPECT_EQ(host.messages.Last(),
              "The world file \"" + world + "\" was created to geo-reference the loaded image \"" +
                  image +
                  "\".These two files may be moved together to any desired folder but must stay "
                  "in the same folder.  To load your new map into your mapping application, "
                  "select the \"" +
                  image +
                  "\" file and the world file will automatically be loaded so that your image "
                  "will be displayed as a map.\n\nDo you wish to exit Nulo Vandrel now?");
    EXPECT_EQ(host.endResult, 0); // No: stay

    host.messages.Answer(nv::IDOK);  // overwrite
    host.messages.Answer(nv::IDYES); // exit
    EXPECT_EQ(dlg.OnCreateWorldFile(), Result::written);
    EXPECT_EQ(host.messages.All()[1].text, "Overwrite the existing world file for this image?");
    EXPECT_EQ(host.endResult, nv::IDOK);
}

TEST_F(WorkflowTest, ChecksRefuseBadPointsAndWriteNothing)
{
    dlg.m_strImagePath = image;
    const char* same1[4] = {"100", "50", "40", "-105"};
    const char* same2[4] = {"100", "60", "41", "-104"};
    SetPoints(same1, same2);
    EXPECT_EQ(dlg.OnCreateWorldFile(), Result::refused);
    EXPECT_EQ(host.messages.Last(), "The X and Y pixel values for point #1 and point #2 may not be "
                                    "the same.  Please select two points that have different X "
                                    "and Y values.");

    // Pixel cells hold whole numbers from 0 upwards; the first other text is named.
    const char* pixels1[4] = {"100", "50", "40", "-105"};
    const char* pixels2[4] = {"4294967295", "", "41", "-104"};
    for (const char* text : {"", "-1", "abc", "12.5", "4294967296"}) {
        pixels2[1] = text;
        SetPoints(pixels1, pixels2);
        EXPECT_EQ(dlg.OnCreateWorldFile(), Result::refused);
        EXPECT_EQ(host.messages.Last(), std::string("The pixel value \"") + text +
                                            "\" is not in the proper format.  It should be a "
                                            "whole number of 0 or more (ie 120 ).");
    }

    // The first coordinate that does not parse is reported, empty cells included.
    const char* bad1[4] = {"100", "50", "40", ""};
    const char* bad2[4] = {"300", "250", "E 41", "-104"};
    SetPoints(bad1, bad2);
    EXPECT_EQ(dlg.OnCreateWorldFile(), Result::refused);
    EXPECT_EQ(host.messages.Last().rfind("The coordinate \"\" is not in the proper format.", 0),
              0u);
    host.table.SetCellText(3, 0, "-105");
    EXPECT_EQ(dlg.OnCreateWorldFile(), Result::refused);
    EXPECT_EQ(host.messages.Last().rfind("The coordinate \"E 41\"", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir.File("quad.JGW")));
}

TEST_F(WorkflowTest, KeepsAnExistingFileWhenTheUserCancels)
{
    dlg.m_strImagePath = image;
    SetGoodPoints();
    const std::string world = dir.Write("quad.JGW", "old");
    host.messages.Answer(nv::IDCANCEL);
    EXPECT_EQ(dlg.OnCreateWorldFile(), Result::cancelled);
    EXPECT_EQ(nv::test::ReadFile(world), "old");
    EXPECT_EQ(host.messages.Count(), 1u);
}

TEST_F(WorkflowTest, ReplacesAWorldFileSpelledInAnotherCase)
{
    dlg.m_strImagePath = image;
    SetGoodPoints();
    dir.Write("quad.jgw", "old");
    host.messages.Answer(nv::IDOK);
    EXPECT_EQ(dlg.OnCreateWorldFile(), Result::written);
    EXPECT_EQ(host.messages.All()[0].text, "Overwrite the existing world file for this image?");
    EXPECT_TRUE(std::filesystem::exists(dir.File("quad.JGW")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("quad.jgw")));
}

TEST_F(WorkflowTest, ALoadEndingDuringTheQuestionsLeavesTheFileToItsImage)
{
    dlg.m_strImagePath = image;
    SetGoodPoints();
    dir.Write("quad.jgw", "old");
    // Another image was loading; it comes in while the overwrite question is open.
    host.view.background = true;
    const std::string next = dir.Write("next.jpg", "jpeg");
    host.view.jpegs.insert(next);
    ASSERT_TRUE(dlg.OpenImage(next));
    host.whileMessageShows = [&] { dlg.OnImageLoaded(next, true, ""); };
    host.messages.Answer(nv::IDOK);
    EXPECT_EQ(dlg.OnCreateWorldFile(), Result::written);
    EXPECT_EQ(dlg.m_strImagePath, next);
    EXPECT_NE(nv::test::ReadFile(dir.File("quad.JGW")), "old");
    EXPECT_TRUE(std::filesystem::exists(MakeAuxXmlPath(image)));
    EXPECT_FALSE(std::filesystem::exists(MakeAuxXmlPath(next)));
    EXPECT_NE(host.messages.Last().find("the loaded image \"" + image + "\""), std::string::npos);
}

TEST_F(WorkflowTest, AFailedWriteIsReportedAndLeavesTheOldFile)
{
    SetGoodPoints();
    // The world file's place is taken by a folder with something in it: it cannot be replaced.
    dlg.m_strImagePath = image;
    std::filesystem::create_directory(dir.File("quad.JGW"));
    dir.Write("quad.JGW/keep", "kept");
    host.messages.Answer(nv::IDOK);
    EXPECT_EQ(dlg.OnCreateWorldFile(), Result::failed);
    EXPECT_EQ(host.messages.Last(), "ERROR:  Unable to create " + dir.File("quad.JGW"));
    EXPECT_EQ(nv::test::ReadFile(dir.File("quad.JGW/keep")), "kept");

    // An image in a folder that is gone.
    dlg.m_strImagePath = dir.File("gone/scan.bmp");
    EXPECT_EQ(dlg.OnCreateWorldFile(), Result::failed);
    EXPECT_EQ(host.messages.Last(), "ERROR:  Unable to create " + dir.File("gone/scan.BPW"));
}

TEST_F(WorkflowTest, OffersAnExistingWorldFileOnLoad)
{
    const std::string text =
        FormatWorldFile(ComputeWorldFile({100, 50, 40.0, -105.5}, {300, 250, 39.5, -105.0}));
    dir.Write("quad.jgw", text);
    host.table.SetCellText(0, 0, "7");

    host.messages.Answer(nv::IDNO);
    ASSERT_TRUE(dlg.LoadImage(image));
    EXPECT_EQ(host.messages.Last(),
              "There appears to be an existing world file.  Would you like to load it?");
    EXPECT_EQ(host.table.RawText(0, 0), "7");

    host.messages.Answer(nv::IDYES);
    ASSERT_TRUE(dlg.LoadImage(image));
    EXPECT_EQ(host.table.RawText(0, 0), "0");
    EXPECT_EQ(host.table.RawText(1, 0), "0");
    EXPECT_EQ(host.table.RawText(0, 1), "400");
    EXPECT_EQ(host.table.RawText(1, 1), "200");
    EXPECT_EQ(host.table.RawText(2, 0), " 40.125000");
    EXPECT_EQ(host.table.RawText(3, 0), "-105.750000");
    EXPECT_EQ(host.table.RawText(2, 1), " 39.625000");
    EXPECT_EQ(host.table.RawText(3, 1), "-104.750000");

    // Creating the file again from the loaded points gives the same parameters.
    host.messages.Answer(nv::IDOK);
    host.messages.Answer(nv::IDNO);
    ASSERT_EQ(dlg.OnCreateWorldFile(), Result::written);
    EXPECT_EQ(nv::test::ReadFile(dir.File("quad.JGW")), text);
}

// A scan's world file read back in any notation and written again places the image where it
// was: the table shows the corners so that they read back to within 7 cm (the default
// notation's six decimals), where whole seconds cut short moved them by up to 30 m.
TEST_F(WorkflowTest, AWorldFileReadBackInAnyNotationIsWrittenAgainInPlace)
{
    const WorldFileParams before = ComputeWorldFile(
        {0, 0, 40.5, -106.0}, {400, 200, 40.5 - 200.0 / 599.7, -106.0 + 400.0 / 600.3});
    for (int notation = 0; notation <= 6; ++notation) {
        SCOPED_TRACE(notation);
        ScriptedHost host;
        host.profile["Defaults/Coord Type"] = std::to_string(notation);
        CGeoreferenceDlg dlg{host};
        host.table.SetDisplay(
            [&dlg](const std::string& t, bool lon) { return dlg.DisplayCoordinate(t, lon); });
        dlg.OnInitDialog();
        host.view.jpegs.insert(image);
        host.view.size = {401, 201};
        dir.Write("quad.JGW", FormatWorldFile(before));
        host.messages.Answer(nv::IDYES);
        ASSERT_TRUE(dlg.LoadImage(image));
        host.messages.Answer(nv::IDOK);
        host.messages.Answer(nv::IDNO);
        ASSERT_EQ(dlg.OnCreateWorldFile(), Result::written) << host.messages.Last();
        const std::optional<WorldFileParams> after = ReadWorldFile(dir.File("quad.JGW"));
        ASSERT_TRUE(after);
        for (const double x : {0.0, 400.0})
            EXPECT_NEAR(after->C + after->A * x, before.C + before.A * x, 6e-7)
                << host.table.RawText(3, 1);
        for (const double y : {0.0, 200.0})
            EXPECT_NEAR(after->F + after->E * y, before.F + before.E * y, 6e-7)
                << host.table.RawText(2, 1);
    }
}

TEST_F(WorkflowTest, ShortOrOutOfRangeWorldFilesAreHandled)
{
    dir.Write("quad.JGW", "1\n2\n3\n4\n5\n");
    host.table.SetCellText(0, 0, "7");
    host.messages.Answer(nv::IDYES);
    ASSERT_TRUE(dlg.LoadImage(image));
    EXPECT_EQ(host.table.RawText(0, 0), "7"); // five lines: nothing loaded

    dir.Write("quad.JGW", "1\n0\n0\n-1\n-200\n95\n");
    host.messages.Answer(nv::IDYES);
    ASSERT_TRUE(dlg.LoadImage(image));
    EXPECT_EQ(host.table.RawText(2, 0), " 90.000000"); // shown clamped
    EXPECT_EQ(host.table.RawText(3, 0), "-180.000000");
}

TEST_F(WorkflowTest, TheCoordinateSystemFileIsWrittenOnceAndOnlyWhenAsked)
{
    ASSERT_TRUE(dlg.LoadImage(image));
    SetGoodPoints();
    const std::string aux = dir.File("quad.jpg.aux.xml");
    host.messages.SetDefaultAnswer(nv::IDOK); // overwrite the world file, exit

    host.profile["Defaults/Write CRS File"] = "0";
    ASSERT_EQ(dlg.OnCreateWorldFile(), Result::written);
    EXPECT_FALSE(std::filesystem::exists(aux));

    host.profile.erase("Defaults/Write CRS File"); // the default writes it
    ASSERT_EQ(dlg.OnCreateWorldFile(), Result::written);
    EXPECT_EQ(nv::test::ReadFile(aux), FormatAuxXml());
    EXPECT_NE(Log().find("Wrote the coordinate system file \"" + aux + "\""), std::string::npos);

    // One that exists may hold the user's own metadata: it stays, and the log says so.
    dir.Write("quad.jpg.aux.xml", "<PAMDataset><Metadata/></PAMDataset>");
    ASSERT_EQ(dlg.OnCreateWorldFile(), Result::written);
    EXPECT_EQ(nv::test::ReadFile(aux), "<PAMDataset><Metadata/></PAMDataset>");
    EXPECT_NE(Log().find("The coordinate system file \"" + aux + "\" exists and was left as it is"),
              std::string::npos);
    EXPECT_EQ(host.messages.Texts().back().rfind("The world file", 0), 0u); // no error shown
}

TEST_F(WorkflowTest, PointsRoundTripThroughAPointsFile)
{
    ASSERT_TRUE(dlg.LoadImage(image));
    SetGoodPoints();
    const std::string points = dir.File("quad.jpg.points");

    // The image's points file is offered; cancelling writes nothing.
    EXPECT_EQ(dlg.OnSavePoints(), Result::cancelled);
    EXPECT_EQ(host.offeredPaths, std::vector<std::string>{points});
    EXPECT_FALSE(std::filesystem::exists(points));

    host.chosenSaveFile = points;
    ASSERT_EQ(dlg.OnSavePoints(), Result::written);
    const std::string text = nv::test::ReadFile(points);
    EXPECT_NE(text.find("\n-105.5,40,100.5,-50.5,1,0,0,0\n-105,39.5,300.5,-250.5,1,0,0,0\n"),
              std::string::npos);

    // Another table, then the file loaded back: the table holds the points again.
    const char* other[4] = {"1", "2", "3", "4"};
    SetPoints(other, other);
    host.chosenOpenFile = points;
    dlg.OnLoadPoints();
    EXPECT_EQ(Cells(), (std::vector<std::string>{"100", "50", " 40.000000", "-105.500000", "300",
                                                 "250", " 39.500000", "-105.000000"}));
    EXPECT_EQ(host.messages.Count(), 0u);

    // Saving again asks before replacing the file, and writes the same bytes.
    host.messages.Answer(nv::IDCANCEL);
    EXPECT_EQ(dlg.OnSavePoints(), Result::cancelled);
    EXPECT_EQ(host.messages.Last(), "Overwrite the existing points file \"" + points + "\"?");
    host.messages.Answer(nv::IDOK);
    ASSERT_EQ(dlg.OnSavePoints(), Result::written);
    EXPECT_EQ(nv::test::ReadFile(points), text);
}

TEST_F(WorkflowTest, LoadingPointsRefusesBadFilesAndLeavesTheTable)
{
    ASSERT_TRUE(dlg.LoadImage(image));
    SetGoodPoints();
    const std::vector<std::string> before = Cells();
    const std::string path = dir.File("bad.points");
    const std::string heading = "mapX,mapY,sourceX,sourceY,enable\n";
    struct Row
    {
        std::string text;
        const char* message; // after "ERROR:  Unable to load the points file "<path>".  "
    } rows[] = {
        {heading + "-104,39,10,-20,1\n-104,39,10\n",
         "Malformed content at line 3: 3 fields where 4 are needed"},
        {heading + "-104,39,10,-20,1\n-103,38,30,-40,0\n",
         "It holds 1 enabled point; two are needed."},
    };
    for (const Row& row : rows) {
        dir.Write("bad.points", row.text);
        EXPECT_FALSE(dlg.LoadPoints(path));
        EXPECT_EQ(host.messages.Last(),
                  "ERROR:  Unable to load the points file \"" + path + "\".  " + row.message);
        EXPECT_EQ(Cells(), before);
    }

    // More than two: the first two enabled ones, and the user is told about the rest.
    dir.Write("bad.points", heading + "-1,1,1,-1,0\n-105.5,40,100,-50,1\n-105,39.5,300,-250,1\n"
                                      "-104,39,500,-450,1\n-103,38,700,-650,1\n");
    ASSERT_TRUE(dlg.LoadPoints(path));
    EXPECT_EQ(host.messages.Last(), "The points file holds 4 enabled points.  The first two were "
                                    "loaded; 2 points were ignored.");
    EXPECT_EQ(host.table.RawText(0, 1), "300");

    // Coordinates that do not parse are refused before any file is chosen.
    host.table.SetCellText(2, 1, "E 41");
    EXPECT_EQ(dlg.OnSavePoints(), Result::refused);
    EXPECT_EQ(host.messages.Last().rfind("The coordinate \"E 41\"", 0), 0u);
    EXPECT_TRUE(host.offeredPaths.empty());
}
