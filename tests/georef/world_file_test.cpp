// World files: names, parameters, the written text and reading it back.
#include "georef/world_file.h"

#include "tests/testlib/temp_dir.h"

#include <gtest/gtest.h>

TEST(WorldFile, NameFollowsTheExtension)
{
    EXPECT_EQ(MakeWorldFilePath("/maps/quad.jpg"), "/maps/quad.JGW");
    EXPECT_EQ(MakeWorldFilePath("x.bmp"), "x.BPW");
    EXPECT_EQ(MakeWorldFilePath("x.jpeg"), "x.JGW");
    EXPECT_EQ(MakeWorldFilePath("x.tiff"), "x.TFW");
    EXPECT_EQ(MakeWorldFilePath("x.j"), "x.JJW");
    EXPECT_EQ(MakeWorldFilePath("/maps.d/scan"), "/maps.d/scan.wld");
    EXPECT_EQ(MakeWorldFilePath("/maps/scan."), "/maps/scan.wld");
}

TEST(WorldFile, FindsAnExistingFileUnderTheNamesToolsUse)
{
    nv::test::TempDir dir;
    const std::string image = dir.Write("quad.jpg", "");
    EXPECT_EQ(FindExistingWorldFile(image), "");
    dir.Write("quad.wld", "");
    EXPECT_EQ(FindExistingWorldFile(image), dir.File("quad.wld"));
    dir.Write("quad.JPGW", "");
    EXPECT_EQ(FindExistingWorldFile(image), dir.File("quad.JPGW"));
    dir.Write("quad.jgw", "");
    EXPECT_EQ(FindExistingWorldFile(image), dir.File("quad.jgw"));
    EXPECT_EQ(FindExistingWorldFile(dir.File("scan")), "");
}

TEST(WorldFile, PixelCellsTakeWholeNumbersFromZeroUpwards)
{
    struct Row
    {
        const char* text;
        bool ok;
        uint32_t value;
    } rows[] = {
        {"120", true, 120},
        {" 7 ", true, 7},
        {"0", true, 0},
        {"007", true, 7},
        {"4294967295", true, UINT32_MAX},
        {"4294967296", false, 0},
        {"99999999999", false, 0},
        {"-1", false, 0},
        {"+7", false, 0},
        {"12.5", false, 0},
        {"120 px", false, 0},
        {"1 2", false, 0},
        {"abc", false, 0},
        {"", false, 0},
    };
    for (const Row& row : rows) {
        uint32_t value = 555;
        std::string message;
        EXPECT_EQ(ParsePixelValue(row.text, value, message), row.ok) << '"' << row.text << '"';
        EXPECT_EQ(value, row.ok ? row.value : 555u) << '"' << row.text << '"';
        if (!row.ok) {
            EXPECT_EQ(message, std::string("The pixel value \"") + row.text +
                                   "\" is not in the proper format.  It should be a whole "
                                   "number of 0 or more (ie 120 ).");
        }
    }
}

TEST(WorldFile, ComputesNorthUpParameters)
{
    const ControlPoint p1{100, 50, 40.0, -105.5};
    const ControlPoint p2{300, 250, 39.5, -105.0};
    const WorldFileParams w = ComputeWorldFile(p1, p2);
    EXPECT_DOUBLE_EQ(w.A, 0.0025);
    EXPECT_DOUBLE_EQ(w.C, -105.75);
    EXPECT_DOUBLE_EQ(w.E, -0.0025);
    EXPECT_DOUBLE_EQ(w.F, 40.125);
    EXPECT_EQ(w.D, 0.0);
    EXPECT_EQ(w.B, 0.0);

    // The same points in the other order give the same file.
    EXPECT_EQ(FormatWorldFile(ComputeWorldFile(p2, p1)), FormatWorldFile(w));

    // A larger X paired with a smaller longitude still gives a positive A, and C is computed
    // from the smaller longitude and the smaller X.
    const WorldFileParams crossed =
        ComputeWorldFile({100, 50, 40.0, -105.0}, {300, 250, 39.5, -105.5});
    EXPECT_DOUBLE_EQ(crossed.A, 0.0025);
    EXPECT_DOUBLE_EQ(crossed.C, -105.75);
}

TEST(WorldFile, TextHasTenDecimalsAndCrLfBetweenLines)
{
    // Equal longitudes give 0 on line 1, equal latitudes -0 on line 4.
    const WorldFileParams w = ComputeWorldFile({0, 0, 45.0, 7.0}, {10, 10, 45.0, 7.0});
    EXPECT_EQ(FormatWorldFile(w), "0.0000000000\r\n0.0000000000\r\n0.0000000000\r\n"
                                  "-0.0000000000\r\n7.0000000000\r\n45.0000000000");
    // Small pixel sizes keep their digits.
    WorldFileParams fine;
    fine.A = 0.0000089831;
    fine.E = -0.0000089831;
    EXPECT_EQ(FormatWorldFile(fine).substr(0, 12), "0.0000089831");
}

TEST(WorldFile, ReadsSixLinesBack)
{
    nv::test::TempDir dir;
    const WorldFileParams w = ComputeWorldFile({100, 50, 40.0, -105.5}, {300, 250, 39.5, -105.0});
    auto back = ReadWorldFile(dir.Write("a.jgw", FormatWorldFile(w)));
    ASSERT_TRUE(back);
    EXPECT_DOUBLE_EQ(back->A, w.A);
    EXPECT_DOUBLE_EQ(back->E, w.E);
    EXPECT_DOUBLE_EQ(back->C, w.C);
    EXPECT_DOUBLE_EQ(back->F, w.F);

    back = ReadWorldFile(dir.Write("b.jgw", "1\n2\n3\n4\n5\n6\n7 extra\n"));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->F, 6.0);
    back = ReadWorldFile(dir.Write("c.jgw", "  1.5e-3 junk\n\nx\n-4\n5\n6"));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->A, 0.0015);
    EXPECT_EQ(back->D, 0.0);
    EXPECT_EQ(back->B, 0.0);
    EXPECT_EQ(back->F, 6.0);
    EXPECT_FALSE(ReadWorldFile(dir.Write("d.jgw", "1\n2\n3\n4\n5\n")));
    EXPECT_FALSE(ReadWorldFile(dir.Write("e.jgw", "")));
    EXPECT_FALSE(ReadWorldFile(dir.File("missing.jgw")));
    EXPECT_FALSE(ReadWorldFile(dir.Write("f.jgw", std::string(2 << 20, 'x'))));
}
