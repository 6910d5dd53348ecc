// The command-line forms.
#include "app/command_line.h"

#include "georef/crs_file.h"
#include "platform/app_paths.h"
#include "tests/testlib/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace {

class CommandLineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        nv::SetApplicationPath(dir.File("Nulo_Vandrel"));
        ::setenv("XDG_CONFIG_HOME", dir.File("config").c_str(), 1);
        image = dir.File("map.jpg");
        std::filesystem::copy_file(nv::test::SourcePath("data/sample/sample_map.jpg"), image);
        notImage = dir.Write("data.jpg", "data");
    }
    void TearDown() override { nv::SetApplicationPath(""); }

    int Run(std::vector<std::string> args)
    {
        out.str("");
        err.str("");
        return RunCommandLine(args, out, err);
    }

    nv::test::TempDir dir;
    std::string image;
    std::string notImage; // a file, but no image
    std::ostringstream out, err;
};

} // namespace

TEST_F(CommandLineTest, NoArgumentsOrQtOptionsMeanTheWindow)
{
    EXPECT_EQ(Run({}), -1);
    EXPECT_EQ(Run({"-platform", "offscreen"}), -1);
    EXPECT_EQ(Run({image}), -1);
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_NE(out.str().find("--world-file IMAGE"), std::string::npos);
    EXPECT_NE(out.str().find("--world-file IMAGE --points FILE"), std::string::npos);
    EXPECT_NE(out.str().find("--save-points IMAGE"), std::string::npos);
    EXPECT_EQ(Run({"--version"}), 0);
    EXPECT_EQ(out.str().rfind("Nulo Vandrel ", 0), 0u);
    EXPECT_EQ(Run({"--check-updates", "--bogus"}), 2); // reaches the update command's usage
    EXPECT_NE(err.str().find("--check-updates"), std::string::npos);
    EXPECT_EQ(Run({"--bogus"}), 2);
    EXPECT_NE(err.str().find("Usage:"), std::string::npos);
}

TEST_F(CommandLineTest, WorldFileIsWrittenFromTwoPoints)
{
    EXPECT_EQ(Run({"--world-file", image, "--point", "100,50,n 40 00 00,W 105 30", "--point",
                   "300,250,39.5,-105"}),
              0)
        << err.str();
    EXPECT_EQ(out.str(), dir.File("map.JGW") + "\n");
    EXPECT_EQ(nv::test::ReadFile(dir.File("map.JGW")),
              "0.0025000000\r\n0.0000000000\r\n0.0000000000\r\n-0.0025000000\r\n"
              "-105.7500000000\r\n40.1250000000");
    EXPECT_NE(err.str().find("was created to geo-reference"), std::string::npos);

    // A second run needs --overwrite.
    EXPECT_EQ(Run({"--world-file", image, "--point", "0,0,1,1", "--point", "10,10,0,2"}), 1);
    EXPECT_NE(err.str().find("Overwrite the existing world file for this image?"),
              std::string::npos);
    EXPECT_NE(nv::test::ReadFile(dir.File("map.JGW")).find("-105.75"), std::string::npos);
    EXPECT_EQ(
        Run({"--world-file", image, "--point", "0,0,1,1", "--point", "10,10,0,2", "--overwrite"}),
        0);
    EXPECT_EQ(nv::test::ReadFile(dir.File("map.JGW")).substr(0, 12), "0.1000000000");
}

TEST_F(CommandLineTest, RefusalsAndUsageErrorsHaveTheirExitCodes)
{
    EXPECT_EQ(Run({"--world-file", image, "--point", "5,5,1,1", "--point", "5,9,2,2"}), 1);
    EXPECT_NE(err.str().find("may not be the same"), std::string::npos);
    EXPECT_EQ(Run({"--world-file", image, "--point", "5,5,x,1", "--point", "6,9,2,2"}), 1);
    EXPECT_NE(err.str().find("The coordinate \"X\" is not in the proper format."),
              std::string::npos);
    // Pixels are whole numbers from 0 upwards, coordinates are read without leftovers.
    EXPECT_EQ(Run({"--world-file", image, "--point", "-5,5,1,1", "--point", "6,9,2,2"}), 1);
    EXPECT_NE(err.str().find("The pixel value \"-5\" is not in the proper format."),
              std::string::npos);
    EXPECT_EQ(Run({"--world-file", image, "--point", "5,5,1,1", "--point", "6,9px,2,2"}), 1);
    EXPECT_NE(err.str().find("The pixel value \"9px\""), std::string::npos);
    EXPECT_EQ(Run({"--world-file", image, "--point", "5,5,45 30 15x,1", "--point", "6,9,2,2"}), 1);
    EXPECT_NE(err.str().find("The coordinate \"45 30 15X\""), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.File("map.JGW")));
    EXPECT_EQ(
        Run({"--world-file", dir.File("none.jpg"), "--point", "1,1,1,1", "--point", "2,2,2,2"}), 1);
    EXPECT_NE(err.str().find("does not exist"), std::string::npos);
    EXPECT_EQ(Run({"--world-file", notImage, "--point", "1,1,1,1", "--point", "2,2,2,2"}), 1);
    EXPECT_NE(err.str().find("could not be loaded"), std::string::npos);
    EXPECT_EQ(Run({"--world-file", dir.Path(), "--point", "1,1,1,1", "--point", "2,2,2,2"}), 1);

    EXPECT_EQ(Run({"--world-file"}), 2);
    EXPECT_EQ(Run({"--world-file", image, "--point", "1,1,1"}), 2);
    EXPECT_EQ(Run({"--world-file", image, "--point", "1,1,1,1"}), 2);
    EXPECT_EQ(Run({"--world-file", image, "--point"}), 2);
    EXPECT_EQ(Run({"--world-file", image, image, "--point", "1,1,1,1", "--point", "2,2,2,2"}), 2);
    EXPECT_NE(err.str().find("Usage:"), std::string::npos);
}

TEST_F(CommandLineTest, PointsFilesAreSavedAndGiveTheSameWorldFile)
{
    const std::vector<std::string> points = {"--point", "100,50,n 40 00 00,W 105 30", "--point",
                                             "300,250,39.5,-105"};
    auto with = [](std::vector<std::string> words, const std::vector<std::string>& more) {
        words.insert(words.end(), more.begin(), more.end());
        return words;
    };
    const std::string byDefault = dir.File("map.jpg.points");
    ASSERT_EQ(Run(with({"--save-points", image}, points)), 0) << err.str();
    EXPECT_EQ(out.str(), byDefault + "\n");
    EXPECT_NE(nv::test::ReadFile(byDefault).find("\n-105.5,40,100.5,-50.5,1,0,0,0\n"),
              std::string::npos);

    // An existing file needs --overwrite; FILE names another place.
    dir.Write("mine.points", "old");
    EXPECT_EQ(Run(with({"--save-points", image, dir.File("mine.points")}, points)), 1);
    EXPECT_NE(err.str().find("--overwrite replaces it"), std::string::npos);
    EXPECT_EQ(nv::test::ReadFile(dir.File("mine.points")), "old");
    EXPECT_EQ(Run(with({"--save-points", image, dir.File("mine.points"), "--overwrite"}, points)),
              0);
    EXPECT_EQ(nv::test::ReadFile(dir.File("mine.points")), nv::test::ReadFile(byDefault));

    // The world file from the points file is the one from the same two points, and the
    // coordinate-system file is written beside it.
    ASSERT_EQ(Run({"--world-file", image, "--points", byDefault}), 0) << err.str();
    const std::string fromFile = nv::test::ReadFile(dir.File("map.JGW"));
    EXPECT_EQ(nv::test::ReadFile(dir.File("map.jpg.aux.xml")), FormatAuxXml());
    ASSERT_EQ(Run(with({"--world-file", image, "--overwrite"}, points)), 0);
    EXPECT_EQ(nv::test::ReadFile(dir.File("map.JGW")), fromFile);

    // A points file that cannot be used is refused like bad points; usage errors are 2.
    EXPECT_EQ(Run({"--world-file", image, "--points", dir.File("none.points")}), 1);
    EXPECT_NE(err.str().find("It does not exist."), std::string::npos);
    EXPECT_EQ(Run(with({"--save-points", notImage}, points)), 1);
    EXPECT_EQ(Run(with({"--world-file", image, "--points", byDefault}, points)), 2);
    EXPECT_EQ(Run({"--world-file", image, "--points"}), 2);
    EXPECT_EQ(Run(with({"--save-points", image, "a.points", "b.points"}, points)), 2);
}

TEST_F(CommandLineTest, SampleMapGivesItsExpectedWorldFile)
{
    const std::string copy = dir.File("sample_map.jpg");
    std::filesystem::copy_file(nv::test::SourcePath("data/sample/sample_map.jpg"), copy);
    std::vector<std::string> args = {"--world-file", copy};
    std::istringstream points(
        nv::test::ReadFile(nv::test::SourcePath("data/sample/control_points.txt")));
    for (std::string line; std::getline(points, line);)
        if (!line.empty() && line[0] != '#') {
            args.push_back("--point");
            args.push_back(line);
        }
    ASSERT_EQ(Run(args), 0) << err.str();
    EXPECT_EQ(nv::test::ReadFile(dir.File("sample_map.JGW")),
              nv::test::ReadFile(nv::test::SourcePath("data/sample/sample_map.expected.jgw")));
}

TEST_F(CommandLineTest, ReadWorldFilePrintsTheTwoPointsOfTheTable)
{
    const std::string map = dir.File("sample_map.jpg");
    std::filesystem::copy_file(nv::test::SourcePath("data/sample/sample_map.jpg"), map);
    EXPECT_EQ(Run({"--read-world-file", map}), 1);
    EXPECT_NE(err.str().find("There is no world file"), std::string::npos);

    std::filesystem::copy_file(nv::test::SourcePath("data/sample/sample_map.expected.jgw"),
                               dir.File("sample_map.jgw"));
    ASSERT_EQ(Run({"--read-world-file", map}), 0) << err.str();
    EXPECT_EQ(out.str(), "#1\t0\t0\t 40.500000\t-106.000000\n"
                         "#2\t1199\t899\t 39.001667\t-104.001667\n");
    ASSERT_EQ(Run({"--read-world-file", map, "--coord-type", "0"}), 0);
    // 39.00166664 is 39 00 05.9999: shown as 06, the table keeps the value.
    EXPECT_EQ(out.str(), "#1\t0\t0\tN 40 30 00\tW 106 00 00\n"
                         "#2\t1199\t899\tN 39 00 06\tW 104 00 06\n");

    dir.Write("sample_map.jgw", "1\n2\n3\n");
    EXPECT_EQ(Run({"--read-world-file", map}), 1);
    EXPECT_NE(err.str().find("could not be read"), std::string::npos);
    EXPECT_EQ(Run({"--read-world-file", notImage}), 1);
    EXPECT_NE(err.str().find("could not be loaded"), std::string::npos);
    EXPECT_EQ(Run({"--read-world-file", map, "--coord-type", "9"}), 2);
    EXPECT_EQ(Run({"--read-world-file"}), 2);
}

TEST_F(CommandLineTest, ImageCommandsAreReachable)
{
    EXPECT_EQ(Run({"--image-info", nv::test::SourcePath("data/sample/sample_map.jpg")}), 0);
    EXPECT_NE(out.str().find("width: 1200"), std::string::npos);
    EXPECT_EQ(Run({"--image-info", notImage}), 1);
    EXPECT_EQ(Run({"--save-bmp", nv::test::SourcePath("data/sample/sample_map.jpg"),
                   dir.File("turned.bmp"), "--rotate", "90"}),
              0)
        << err.str();
    EXPECT_EQ(Run({"--image-info", dir.File("turned.bmp")}), 0);
    EXPECT_NE(out.str().find("width: 900"), std::string::npos);
    EXPECT_EQ(Run({"--save-bmp"}), 2);
}
