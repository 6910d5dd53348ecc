// Path helpers and the field splitter.
#include "support/paths.h"

#include "tests/testlib/temp_dir.h"

#include <gtest/gtest.h>

TEST(Paths, SplitsAtTheLastSeparatorAndTheLastDot)
{
    struct Row
    {
        const char* path;
        const char* dir;
        const char* title;
        const char* ext;
    } rows[] = {
        {"/opt/tool/Data.tar.gz", "/opt/tool/", "Data.tar", ".gz"},
        {"/opt/tool/App", "/opt/tool/", "App", ""},
        {"quad.jpg", "", "quad", ".jpg"},
        {"/maps.d/quad", "/maps.d/", "quad", ""},
        {"/x/name.", "/x/", "name", "."},
        {"/", "/", "", ""},
    };
    for (const Row& r : rows) {
        std::string drive, dir, title, ext, folder;
        EXPECT_TRUE(GetPathDrive(r.path, drive));
        EXPECT_TRUE(GetPathDir(r.path, dir));
        EXPECT_TRUE(GetPathTitle(r.path, title));
        EXPECT_TRUE(GetPathExtension(r.path, ext));
        EXPECT_TRUE(GetPathFolder(r.path, folder));
        EXPECT_EQ(drive, "") << r.path;
        EXPECT_EQ(dir, r.dir) << r.path;
        EXPECT_EQ(title, r.title) << r.path;
        EXPECT_EQ(ext, r.ext) << r.path;
        EXPECT_EQ(folder, r.dir) << r.path;
    }
}

TEST(Paths, ReplacesTheExtension)
{
    std::string out;
    ReplaceExtension("/opt/tool/App.HLP", "EXE", out);
    EXPECT_EQ(out, "/opt/tool/App.EXE");
    ReplaceExtension("/opt/tool/App.HLP", ".LOG", out);
    EXPECT_EQ(out, "/opt/tool/App.LOG");
    ReplaceExtension("/opt/tool.d/App", "CHM", out);
    EXPECT_EQ(out, "/opt/tool.d/App.CHM");
    ReplaceExtension("/opt/App.tar.gz", "", out);
    EXPECT_EQ(out, "/opt/App.tar");
}

TEST(Paths, FileExistsReportsTheSize)
{
    nv::test::TempDir dir;
    uint32_t size = 99;
    EXPECT_TRUE(FileExists(dir.Write("f", "12345"), &size));
    EXPECT_EQ(size, 5u);
    EXPECT_FALSE(FileExists(dir.File("missing"), &size));
    EXPECT_EQ(size, 0u);
    EXPECT_FALSE(FileExists(""));
}

TEST(Paths, FindsAFileWhateverTheCaseOfItsExtension)
{
    nv::test::TempDir dir;
    dir.Write("Help.chm", "");
    dir.Write("quad.Jgw", "");
    dir.Write("quad.jgW", "");
    EXPECT_EQ(FindFileIgnoringExtensionCase(dir.File("Help.CHM")), dir.File("Help.chm"));
    EXPECT_EQ(FindFileIgnoringExtensionCase(dir.File("Help.chm")), dir.File("Help.chm"));
    // Several spellings: always the same one.
    EXPECT_EQ(FindFileIgnoringExtensionCase(dir.File("quad.JGW")), dir.File("quad.Jgw"));
    // The title's case matters.
    EXPECT_EQ(FindFileIgnoringExtensionCase(dir.File("HELP.chm")), "");
    EXPECT_EQ(FindFileIgnoringExtensionCase(dir.File("none/x.y")), "");
}

TEST(SplitFields, KeepsEveryPiece)
{
    struct Row
    {
        const char* text;
        std::vector<std::string> fields;
    } rows[] = {
        {"a,b", {"a", "b"}}, {"a,,b", {"a", "", "b"}},  {"a,", {"a", ""}},
        {"", {""}},          {" a , b", {" a ", " b"}}, {"x;y,z", {"x", "y", "z"}},
    };
    std::vector<std::string> fields;
    for (const Row& r : rows) {
        EXPECT_TRUE(SplitFields(fields, r.text, ",;"));
        EXPECT_EQ(fields, r.fields) << r.text;
    }
    EXPECT_FALSE(SplitFields(fields, nullptr, ","));
    EXPECT_TRUE(fields.empty());
}
