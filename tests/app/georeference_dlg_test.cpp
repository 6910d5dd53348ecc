// The main window's controller without a window: start-up, placement, layout, picking, help.
#include "app/georeference_dlg.h"

#include "app/georeference_app.h"
#include "app/recent_files.h"
#include "platform/app_paths.h"
#include "tests/app/scripted_host.h"
#include "tests/testlib/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class DlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // An "executable" without a version block.
        nv::SetApplicationPath(dir.File("Nulo_Vandrel"));
        host.table.SetDisplay(
            [this](const std::string& t, bool lon) { return dlg.DisplayCoordinate(t, lon); });
    }
    void TearDown() override { nv::SetApplicationPath(""); }

    nv::test::TempDir dir;
    ScriptedHost host;
    CGeoreferenceDlg dlg{host};
};

} // namespace

TEST_F(DlgTest, FirstRunOpensAtTheTemplatePositionWithImageControlsDisabled)
{
    const DlgRect client = host.client;
    dlg.OnInitDialog();
    EXPECT_TRUE(host.iconsSet);
    EXPECT_EQ(host.placementsApplied, 0);
    EXPECT_EQ(dlg.m_nCoordType, 5);
    EXPECT_EQ(dlg.m_sizeMinTrack, (DlgSize{client.Width(), client.Height()}));
    EXPECT_EQ(host.minimumClient, dlg.m_sizeMinTrack);
    EXPECT_TRUE(dlg.m_bLayoutReady);
    EXPECT_EQ(dlg.m_nPickMode, 0);
    for (int id : {IDC_POINT_TABLE, IDC_PICK_POINT1, IDC_PICK_POINT2, IDC_ACCEPT,
                   ID_FILE_SAVE_POINTS, ID_FILE_LOAD_POINTS})
        EXPECT_FALSE(host.enabled.at(id)) << id;
    EXPECT_EQ(host.caption, "Nulo Vandrel by Halvorn Software LLC - Version ");
    EXPECT_EQ(host.texts[IDC_INSTRUCTIONS], CGeoreferenceDlg::InstructionsText());
    EXPECT_NE(host.texts[IDC_INSTRUCTIONS].find("3.  Enter the latidue and longitude coordinates "
                                                "for that point.\r\n\r\n4."),
              std::string::npos);
    // The coordinate cells hold "0", shown in the notation; the pixel cells are empty.
    EXPECT_EQ(host.table.RawText(2, 0), "0");
    EXPECT_EQ(host.table.GetCellText(3, 1), " 0.000000");
    EXPECT_EQ(host.table.GetCellText(0, 0), "");
    EXPECT_GE(host.table.m_fits, 1);
}

TEST_F(DlgTest, NotationComesFromTheProfile)
{
    host.profile["Defaults/Coord Type"] = "0";
    dlg.OnInitDialog();
    EXPECT_EQ(dlg.m_nCoordType, 0);
    EXPECT_EQ(host.table.GetCellText(2, 0), "N 00 00 00");
    host.table.SetCellText(3, 0, "-105.75");
    EXPECT_EQ(host.table.GetCellText(3, 0), "W 105 45 00");
    host.table.SetCellText(3, 1, "garbage");
    EXPECT_EQ(host.table.GetCellText(3, 1), "garbage");
}

TEST_F(DlgTest, WindowPosNeedsExactlyTenNumbers)
{
    host.profile["Defaults/Window Pos"] = "0,1,-1,-1,-1,-1,10,20,600";
    dlg.OnInitDialog();
    EXPECT_EQ(host.placementsApplied, 0);

    ScriptedHost other;
    CGeoreferenceDlg second(other);
    other.profile["Defaults/Window Pos"] = "2,3,-1,-1,-8,-8,-5000,20,600,99999";
    second.OnInitDialog();
    ASSERT_EQ(other.placementsApplied, 1);
    EXPECT_EQ(other.placement.flags, 2u);
    EXPECT_EQ(other.placement.showCmd, 3u);
    EXPECT_EQ(other.placement.maxX, -8);
    EXPECT_EQ(other.placement.normal, (DlgRect{-5000, 20, 600, 99999})); // no range checks
    EXPECT_EQ(other.placement.length, 44u);

    WindowPlacement p;
    EXPECT_TRUE(CGeoreferenceDlg::ParseWindowPos(" 0, 1,-1,-1,-1,-1,1,2,3,4,5", p));
    EXPECT_FALSE(CGeoreferenceDlg::ParseWindowPos("0;1,-1,-1,-1,-1,1,2,3,4", p));
    EXPECT_FALSE(CGeoreferenceDlg::ParseWindowPos("0,1,-1,-1,-1,-1,1,2,3,x", p));
    EXPECT_FALSE(CGeoreferenceDlg::ParseWindowPos("", p));
}

TEST_F(DlgTest, ClosingSavesThePlacementUnlessMinimised)
{
    dlg.OnInitDialog();
    host.placement.showCmd = 1;
    host.placement.normal = {10, 20, 610, 520};
    dlg.OnClose();
    EXPECT_EQ(host.profile["Defaults/Window Pos"], "0,1,-1,-1,-1,-1,10,20,610,520");
    EXPECT_LE(host.profile["Defaults/Window Pos"].size(), 67u);

    host.zoomed = true;
    host.placement.showCmd = 3;
    dlg.OnClose();
    EXPECT_EQ(host.profile["Defaults/Window Pos"], "2,3,-1,-1,-1,-1,10,20,610,520");

    host.zoomed = false;
    host.iconic = true;
    host.placement.showCmd = 2;
    const int writes = host.profileWrites;
    dlg.OnClose();
    EXPECT_EQ(host.profileWrites, writes);
    EXPECT_EQ(host.profile["Defaults/Window Pos"], "2,3,-1,-1,-1,-1,10,20,610,520");

    // The saved text is read back as the same placement.
    WindowPlacement p;
    ASSERT_TRUE(CGeoreferenceDlg::ParseWindowPos(host.profile["Defaults/Window Pos"], p));
    EXPECT_EQ(CGeoreferenceDlg::FormatWindowPos(p), host.profile["Defaults/Window Pos"]);
}

TEST_F(DlgTest, LayoutFollowsTheRightAndBottomEdges)
{
    const std::map<int, DlgRect> before = host.rects;
    dlg.OnSize(); // before initialisation: no layout
    EXPECT_EQ(host.rects, before);
    dlg.OnInitDialog();

    const int mX = before.at(IDC_INSTRUCTIONS).left, mY = before.at(IDC_INSTRUCTIONS).top;
    const int bw = before.at(IDC_ACCEPT).Width(), bh = before.at(IDC_ACCEPT).Height();
    host.client = {0, 0, 800, 600};
    dlg.OnSize();

    const DlgRect instructions = host.rects[IDC_INSTRUCTIONS];
    EXPECT_EQ(instructions.left, mX);
    EXPECT_EQ(instructions.right, 800 - mX);
    EXPECT_EQ(instructions.Height(), before.at(IDC_INSTRUCTIONS).Height());
    EXPECT_EQ(host.rects[IDC_ACCEPT], (DlgRect{800 - mX - bw, 600 - mY - bh, 800 - mX, 600 - mY}));
    const DlgRect load = host.rects[IDC_LOAD_IMAGE];
    EXPECT_EQ(load.left, before.at(IDC_LOAD_IMAGE).left);
    EXPECT_EQ(load.Width(), before.at(IDC_LOAD_IMAGE).Width());
    EXPECT_EQ(load.top, 600 - mY - bh);
    EXPECT_EQ(load.Height(), bh);
    const int tableBottom = before.at(IDC_POINT_TABLE).bottom;
    EXPECT_EQ(host.rects[IDC_VIEWER], (DlgRect{mX, tableBottom + mY, 800 - mX, 600 - 2 * mY - bh}));
    for (int id : {IDC_POINT_TABLE, IDC_PICK_POINT1, IDC_PICK_POINT2})
        EXPECT_EQ(host.rects[id], before.at(id)) << id;

    // The margins are measured once: a later layout keeps using them.
    host.rects[IDC_INSTRUCTIONS].left = 50;
    host.client = {0, 0, 700, 500};
    dlg.LayoutControls();
    EXPECT_EQ(host.rects[IDC_ACCEPT].right, 700 - mX);
}

TEST_F(DlgTest, PickingFollowsThePointerUntilTheClick)
{
    dlg.OnInitDialog();
    dlg.OnPickTrack(5, 6); // mode 0: nothing
    EXPECT_EQ(host.table.RawText(0, 0), "");
    dlg.OnPickPoint1();
    dlg.OnPickTrack(10, 20);
    dlg.OnPickTrack(11, 21);
    EXPECT_EQ(host.table.RawText(0, 0), "11");
    EXPECT_EQ(host.table.RawText(1, 0), "21");
    dlg.OnPickPoint2(); // point #1 stays at the last tracked position
    dlg.OnPickTrack(300, -4);
    EXPECT_EQ(host.table.RawText(0, 0), "11");
    EXPECT_EQ(host.table.RawText(0, 1), "300");
    EXPECT_EQ(host.table.RawText(1, 1), "-4");
    dlg.OnPickEnd(999, 999); // ends the mode, the click's position is not used
    EXPECT_EQ(dlg.m_nPickMode, 0);
    EXPECT_EQ(host.table.RawText(0, 1), "300");
    dlg.OnPickTrack(1, 1);
    EXPECT_EQ(host.table.RawText(0, 1), "300");
    EXPECT_GE(host.table.m_redraws, 3);
}

TEST_F(DlgTest, LoadingEnablesTheImageControlsAndKeepsThePoints)
{
    dlg.OnInitDialog();
    host.table.SetCellText(0, 0, "5");
    const std::string jpeg = dir.Write("scan.jpg", "x");
    host.view.jpegs.insert(jpeg);
    host.chosenFile = jpeg;
    dlg.OnPickPoint2();
    dlg.OnLoadImage();
    EXPECT_EQ(dlg.m_strImagePath, jpeg);
    EXPECT_TRUE(host.enabled[IDC_ACCEPT]);
    EXPECT_TRUE(host.enabled[IDC_POINT_TABLE]);
    EXPECT_TRUE(host.enabled[ID_FILE_SAVE_POINTS]);
    EXPECT_TRUE(host.enabled[ID_FILE_LOAD_POINTS]);
    EXPECT_EQ(dlg.m_nPickMode, 2);
    EXPECT_EQ(host.table.RawText(0, 0), "5");
    EXPECT_EQ(host.messages.Count(), 0u); // no world file to offer

    // A file that loads neither way says why and changes nothing.
    host.chosenFile = dir.Write("scan.bin", "x");
    dlg.OnLoadImage();
    ASSERT_EQ(host.messages.Count(), 1u);
    EXPECT_EQ(host.messages.Last(), "ERROR:  The image \"" + host.chosenFile +
                                        "\" could not be loaded: not a BMP or JPEG image");
    EXPECT_EQ(dlg.m_strImagePath, jpeg);
    EXPECT_TRUE(host.enabled[IDC_ACCEPT]);

    host.chosenFile.clear(); // cancelled: the image stays, nothing is said
    dlg.OnLoadImage();
    EXPECT_EQ(dlg.m_strImagePath, jpeg);
    EXPECT_TRUE(host.enabled[IDC_ACCEPT]);
    EXPECT_EQ(host.messages.Count(), 1u);
}

TEST_F(DlgTest, ABackgroundLoadEndsAsALoadDoes)
{
    dlg.OnInitDialog();
    host.view.background = true;
    host.view.size = {200, 100};
    const std::string scan = dir.Write("scan.jpg", "x");
    dir.Write("scan.jgw", "0.01\n0\n0\n-0.01\n-105.0\n40.0\n");
    EXPECT_TRUE(dlg.OpenImage(scan));
    EXPECT_EQ(host.view.started, std::vector<std::string>{scan});
    // Nothing changes while it loads.
    EXPECT_TRUE(dlg.m_strImagePath.empty());
    EXPECT_FALSE(host.enabled[IDC_ACCEPT]);
    EXPECT_EQ(host.messages.Count(), 0u);

    // Once in, its world file is offered, and it is the image from then on.
    host.messages.Answer(nv::IDYES);
    dlg.OnImageLoaded(scan, true, "");
    EXPECT_EQ(dlg.m_strImagePath, scan);
    EXPECT_TRUE(host.enabled[IDC_ACCEPT]);
    EXPECT_EQ(host.messages.Count(), 1u);
    EXPECT_EQ(host.table.RawText(0, 1), "199");
    EXPECT_EQ(host.profile["Recent Files/File1"], scan);

    // One that fails leaves the image, its path and the table, and says why.
    host.table.SetCellText(0, 0, "12");
    const std::string broken = dir.Write("broken.jpg", "x");
    EXPECT_TRUE(dlg.OpenImage(broken));
    dlg.OnImageLoaded(broken, false, "Premature end of JPEG file");
    EXPECT_EQ(host.messages.Last(),
              CGeoreferenceDlg::LoadFailureText(broken, "Premature end of JPEG file"));
    EXPECT_EQ(dlg.m_strImagePath, scan);
    EXPECT_EQ(host.table.RawText(0, 0), "12");
    EXPECT_EQ(host.profile["Recent Files/File1"], scan);
    EXPECT_TRUE(host.enabled[IDC_ACCEPT]);
}

TEST_F(DlgTest, EditsOfTheTableAreCheckedByTheirColumn)
{
    dlg.OnInitDialog();
    struct Row
    {
        int column;
        const char* text;
        bool ok;
    } rows[] = {
        {0, "120", true},  {1, "", true},           {0, "-1", false},   {1, "12.5", false},
        {1, "abc", false}, {2, "N 45 30", true},    {2, "E 10", false}, {3, "105.5W", true},
        {3, "", true},     {3, "45 30 15x", false},
    };
    for (const Row& row : rows) {
        const size_t before = host.messages.Count();
        EXPECT_EQ(dlg.ValidateCell(row.column, row.text, true), row.ok) << row.text;
        EXPECT_EQ(host.messages.Count(), before + (row.ok ? 0 : 1)) << row.text;
    }
    EXPECT_EQ(host.messages.Last().rfind("The coordinate \"45 30 15X\"", 0), 0u);
    EXPECT_FALSE(dlg.ValidateCell(0, "x", false));
    EXPECT_EQ(host.messages.Count(), 5u);
}

TEST_F(DlgTest, ValidateCoordinateShowsTheMessageWhenAsked)
{
    dlg.OnInitDialog();
    double value = 3.0;
    EXPECT_TRUE(dlg.ValidateCoordinate("", false, value, true));
    EXPECT_EQ(value, 3.0);
    EXPECT_TRUE(dlg.ValidateCoordinate("n 45 30", false, value, true));
    EXPECT_DOUBLE_EQ(value, 45.5);
    EXPECT_FALSE(dlg.ValidateCoordinate("E 10", false, value, false));
    EXPECT_EQ(host.messages.Count(), 0u);
    EXPECT_FALSE(dlg.ValidateCoordinate("E 10", false, value, true));
    ASSERT_EQ(host.messages.Count(), 1u);
    EXPECT_EQ(host.messages.Last().rfind("The coordinate \"E 10\"", 0), 0u);
    EXPECT_EQ(dlg.DisplayCoordinate("n 45 30", false), " 45.500000");
}

TEST_F(DlgTest, HelpTopicsOpensTheHelpFileOrElseTheUserGuide)
{
    // The executable in bin/, its installed data folder share/Nulo_Vandrel/ beside it.
    struct Row
    {
        const char* name;
        std::vector<std::string> files;
        std::string opened; // empty: the message says the help file is missing
    } rows[] = {
        {"none", {}, ""},
        {"the guide in the data folder",
         {"share/Nulo_Vandrel/help/Nulo_Vandrel.html"},
         "share/Nulo_Vandrel/help/Nulo_Vandrel.html"},
        {"the guide beside the executable first",
         {"share/Nulo_Vandrel/help/Nulo_Vandrel.html", "bin/help/Nulo_Vandrel.html"},
         "bin/help/Nulo_Vandrel.html"},
        {"a help file in the data folder before any guide",
         {"bin/help/Nulo_Vandrel.html", "share/Nulo_Vandrel/Nulo_Vandrel.CHM"},
         "share/Nulo_Vandrel/Nulo_Vandrel.CHM"},
        {"the help file beside the executable before all",
         {"share/Nulo_Vandrel/Nulo_Vandrel.chm", "bin/Nulo_Vandrel.chm"},
         "bin/Nulo_Vandrel.chm"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        nv::test::TempDir root;
        for (const std::string& file : row.files) {
            std::filesystem::create_directories(
                std::filesystem::path(root.File(file)).parent_path());
            root.Write(file, "help");
        }
        nv::SetApplicationPath(root.File("bin/Nulo_Vandrel"));
        ScriptedHost help;
        CGeoreferenceApp::OnHelpFinder(help);
        if (row.opened.empty()) {
            EXPECT_TRUE(help.opened.empty());
            EXPECT_EQ(help.messages.Last(), "Help file Nulo_Vandrel.chm was not found.");
        } else {
            EXPECT_EQ(help.messages.Count(), 0u);
            EXPECT_EQ(help.opened, std::vector<std::string>{root.File(row.opened)});
            // Without a program to show it, the user is told.
            help.shellOpens = false;
            CGeoreferenceApp::OnHelpFinder(help);
            EXPECT_EQ(help.messages.Last(), "ERROR:  The help file \"" + root.File(row.opened) +
                                                "\" could not be opened.");
        }
    }
}

TEST_F(DlgTest, RecentImagesKeepTheLastEightMostRecentFirst)
{
    dlg.OnInitDialog();
    std::vector<std::string> images;
    for (int i = 0; i < 10; ++i) {
        images.push_back(dir.Write("map" + std::to_string(i) + ".bmp", "x"));
        host.view.bmps.insert(images.back());
        EXPECT_TRUE(dlg.OpenImage(images.back()));
    }
    EXPECT_FALSE(dlg.OpenImage(dir.Write("notes.txt", "x"))); // not an image: not remembered
    EXPECT_TRUE(dlg.OpenImage(images[5]));                    // moves to the front, once

    std::vector<std::string> paths;
    for (const CGeoreferenceDlg::RecentImage& image : dlg.RecentImages()) {
        paths.push_back(image.path);
        EXPECT_FALSE(image.missing);
    }
    EXPECT_EQ(paths, (std::vector<std::string>{images[5], images[9], images[8], images[7],
                                               images[6], images[4], images[3], images[2]}));
    EXPECT_EQ(host.profile["Recent Files/File1"], images[5]);
    EXPECT_EQ(host.profile["Recent Files/File8"], images[2]);

    // Load Image starts in the folder of the most recent image.
    host.chosenFile.clear();
    dlg.OnLoadImage();
    EXPECT_EQ(host.startFolder, dir.Path() + "/");
}

TEST_F(DlgTest, AMissingRecentImageIsGreyedAndRemovedWhenChosen)
{
    dlg.OnInitDialog();
    const std::string gone = dir.Write("gone.bmp", "x");
    const std::string kept = dir.Write("kept.bmp", "x");
    host.view.bmps = {gone, kept};
    dlg.OpenImage(gone);
    dlg.OpenImage(kept);
    std::filesystem::remove(gone);

    const std::vector<CGeoreferenceDlg::RecentImage> recent = dlg.RecentImages();
    ASSERT_EQ(recent.size(), 2u);
    EXPECT_FALSE(recent[0].missing);
    EXPECT_TRUE(recent[1].missing);

    dlg.OnOpenRecentImage(gone);
    EXPECT_EQ(host.messages.Last(), "The image \"" + gone +
                                        "\" was not found.  It has been removed from the recent "
                                        "images.");
    EXPECT_EQ(dlg.m_strImagePath, kept);
    ASSERT_EQ(dlg.RecentImages().size(), 1u);
    EXPECT_EQ(dlg.RecentImages()[0].path, kept);
}

TEST(RecentFilesText, ShortensTheHomeFolderAndLongPaths)
{
    struct Row
    {
        const char* name;
        size_t index;
        std::string path;
        std::string expected;
    } rows[] = {
        {"home folder", 0, "/home/ann/maps/quad.jpg", "&1 ~/maps/quad.jpg"},
        {"another user's home", 1, "/home/anne/quad.jpg", "&2 /home/anne/quad.jpg"},
        {"ampersand", 2, "/data/R&D/quad.jpg", "&3 /data/R&&D/quad.jpg"},
        {"long path: the name kept whole", 7, "/srv/archive/scans/1998/county/north/quad.jpg",
         "&8 /srv/archive/scans/.../quad.jpg"},
        {"long name", 3, "/srv/a-file-name-longer-than-the-menu-allows.jpg",
         "&4 .../a-file-name-longer-than-the-menu-allows.jpg"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(CRecentFiles::MenuText(row.index, row.path, "/home/ann", 32), row.expected);
    }
}
