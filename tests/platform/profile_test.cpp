// The profile: an initialisation file read with defaults and replaced atomically.
#include "platform/profile.h"

#include "tests/testlib/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace nv;

TEST(Profile, MissingOrGarbledFilesGiveTheDefaults)
{
    test::TempDir dir;
    Profile missing(dir.File("none.ini"));
    EXPECT_EQ(missing.GetString("Defaults", "Window Pos", "d"), "d");
    EXPECT_EQ(missing.GetInt("Defaults", "Coord Type", 5), 5);

    std::string junk("\x00\xff[Defaults\n==\n\x01Coord Type\x02\n", 28);
    Profile garbled(dir.Write("junk.ini", junk));
    EXPECT_EQ(garbled.GetInt("Defaults", "Coord Type", 5), 5);

    std::filesystem::create_directory(dir.File("folder.ini"));
    Profile folder(dir.File("folder.ini"));
    EXPECT_EQ(folder.GetInt("Defaults", "Coord Type", 5), 5);
    EXPECT_FALSE(folder.WriteString("Defaults", "Window Pos", "1")); // nothing is clobbered
}

TEST(Profile, ReadsIntegersAsTheirLeadingNumber)
{
    test::TempDir dir;
    Profile p(dir.Write("p.ini", "; comment\n[defaults]\r\n coord type = 3xyz \r\n"
                                 "A=abc\nB=  -7\nC=99999999999\nD=\"2\"\n[Other]\nA=1\n"));
    EXPECT_EQ(p.GetInt("Defaults", "Coord Type", 5), 3);
    EXPECT_EQ(p.GetInt("Defaults", "A", 5), 5);
    EXPECT_EQ(p.GetInt("Defaults", "B", 5), -7);
    EXPECT_EQ(p.GetInt("Defaults", "C", 5), 5);
    EXPECT_EQ(p.GetInt("Defaults", "D", 5), 2);
    EXPECT_EQ(p.GetString("Other", "a"), "1");
    EXPECT_EQ(p.GetString("Defaults", "Coord Type"), "3xyz");
}

TEST(Profile, WritesKeepEveryOtherLine)
{
    test::TempDir dir;
    const std::string path =
        dir.Write("p.ini", "# mine\n[Defaults]\nCoord Type=2\n\n[Other]\nX=1\n");
    Profile p(path);
    ASSERT_TRUE(p.WriteString("Defaults", "Window Pos", "0,1,-1,-1,-1,-1,10,20,600,500"));
    ASSERT_TRUE(p.WriteString("Other", "X", "2"));
    ASSERT_TRUE(p.WriteString("New", "K", "v"));
    EXPECT_EQ(test::ReadFile(path), "# mine\n[Defaults]\nCoord Type=2\n"
                                    "Window Pos=0,1,-1,-1,-1,-1,10,20,600,500\n\n[Other]\nX=2\n\n"
                                    "[New]\nK=v\n");
    EXPECT_EQ(p.GetInt("Defaults", "Coord Type", 5), 2);
    EXPECT_FALSE(p.WriteString("Defaults", "Window Pos", "a\nb"));
    EXPECT_EQ(p.GetString("Defaults", "Window Pos"), "0,1,-1,-1,-1,-1,10,20,600,500");
}

TEST(Profile, LivesInTheUsersConfigurationFolder)
{
    test::TempDir dir;
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    ::setenv("XDG_CONFIG_HOME", (dir.Path() + "/cfg/deeper").c_str(), 1);
    const std::string path = Profile::DefaultPath();
    EXPECT_EQ(path, dir.Path() + "/cfg/deeper/Nulo_Vandrel.ini");
    EXPECT_TRUE(Profile(path).WriteString("Defaults", "Window Pos", "x")); // folders created
    EXPECT_EQ(test::ReadFile(path), "[Defaults]\nWindow Pos=x\n");
    ::setenv("XDG_CONFIG_HOME", "relative/is/ignored", 1);
    EXPECT_NE(Profile::DefaultPath().rfind("/.config/Nulo_Vandrel.ini"), std::string::npos);
    if (old)
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}
