// The preview pane's arithmetic, its settings in a real profile file, and the file filter.
#include "imaging/preview_layout.h"

#include "platform/profile.h"
#include "tests/testlib/temp_dir.h"

#include <gtest/gtest.h>

#include <climits>

TEST(PreviewLayout, ListAndPaneKeepFiftyPixelsEach)
{
    struct Row
    {
        const char* name;
        int area, offset;
        int list, pane, corrected;
    } rows[] = {
        // An area of 600 pixels, a pane of 250 at offset 0, a gap of 6.
        {"default place", 600, 0, 344, 250, 0},
        {"pane widened", 600, 100, 244, 350, 100},
        {"pane narrowed", 600, -150, 494, 100, -150},
        {"list at its minimum", 600, 1000, 50, 544, 294},
        {"pane at its minimum", 600, -1000, 544, 50, -200},
        {"largest offset", 600, INT_MAX, 50, 544, 294},
        {"smallest offset", 600, INT_MIN, 544, 50, -200},
        {"area too narrow for both", 80, 40, 50, 24, 40},
        {"no area yet", 0, 40, 0, 0, 40},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const PreviewGeometry g = PlacePreviewPane(r.area, 250, 6, r.offset);
        EXPECT_EQ(g.listWidth, r.list);
        EXPECT_EQ(g.paneWidth, r.pane);
        EXPECT_EQ(g.paneLeft, r.area - r.pane);
        EXPECT_EQ(g.offset, r.corrected);
    }
}

TEST(PreviewLayout, DragStepsFollowThePointerWithinTheLimits)
{
    struct Row
    {
        const char* name;
        int lastX, x;
        int heldX, offset;
    } rows[] = {
        // An area of 600, a gap of 6, the pointer 2 pixels into the gap.
        {"to the left widens the pane", 300, 280, 280, 20},
        {"to the right narrows it", 300, 330, 330, -30},
        {"held where the list is 50 wide", 300, -500, 52, 248},
        {"held where the pane is 50 wide", 300, 900, 546, -246},
        {"no move", 300, 300, 300, 0},
    };
    for (const Row& r : rows) {
        int x = r.x;
        EXPECT_EQ(PreviewDragStep(600, 6, 2, 0, r.lastX, x), r.offset) << r.name;
        EXPECT_EQ(x, r.heldX) << r.name;
    }
}

TEST(PreviewLayout, SettingsLiveInTheirProfileSection)
{
    nv::test::TempDir dir;
    nv::Profile profile(dir.File("Nulo_Vandrel.ini"));
    const PreviewSettings first = ReadPreviewSettings(profile, PreviewSettings());
    EXPECT_TRUE(first.preview);
    EXPECT_EQ(first.offset, 0);

    ASSERT_TRUE(WritePreviewSettings(profile, {false, -37}));
    EXPECT_NE(nv::test::ReadFile(profile.Path())
                  .find("[COXPreviewDialog Settings]\nPreview=0\nPreview Window Offset=-37\n"),
              std::string::npos);
    const PreviewSettings back = ReadPreviewSettings(profile, {true, 5});
    EXPECT_FALSE(back.preview);
    EXPECT_EQ(back.offset, -37);
}

TEST(PreviewLayout, FileFilterOffersBothLetterCases)
{
    EXPECT_EQ(FileDialogFilter("Bitmap Images|*.jpg;*.bmp|All Files|*.*||"),
              "Bitmap Images (*.jpg *.JPG *.bmp *.BMP);;All Files (*)");
    EXPECT_EQ(FileDialogFilter("Text|*.txt||"), "Text (*.txt *.TXT)");
    EXPECT_EQ(FileDialogFilter(""), "");
}
