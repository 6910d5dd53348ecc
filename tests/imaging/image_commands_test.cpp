// The --image-info and --save-bmp commands, and the loader they share with the viewer.
#include "imaging/dib.h"
#include "imaging/image_commands.h"
#include "imaging/image_loader.h"
#include "tests/imaging/test_images.h"
#include "tests/testlib/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <sys/stat.h>

using nv::test::FixturePath;
using nv::test::PixelsOf;
using nv::test::RecordedPixels;
using nv::test::Turned;

namespace {

struct Result
{
    int code;
    std::string out, err;
};

Result Info(std::vector<std::string> args)
{
    std::ostringstream out, err;
    const int code = RunImageInfoCommand(args, out, err);
    return {code, out.str(), err.str()};
}

Result Save(std::vector<std::string> args)
{
    std::ostringstream out, err;
    const int code = RunSaveBmpCommand(args, out, err);
    return {code, out.str(), err.str()};
}

TEST(ImageLoaderTest, LoadsBmpThenJpegAndKeepsTheImageOnFailure)
{
    COXDIB dib;
    std::string reason;
    ASSERT_TRUE(LoadImageFile(FixturePath("rle8.bmp"), dib, &reason)) << reason;
    EXPECT_TRUE(PixelsOf(dib) == RecordedPixels("rle8", 37, 23));
    ASSERT_TRUE(LoadImageFile(FixturePath("progressive.jpg"), dib, &reason)) << reason;
    EXPECT_TRUE(PixelsOf(dib) == RecordedPixels("progressive", 37, 23));

    const nv::DIBBytes before = dib.GetDIB();
    struct Case
    {
        std::string path;
        std::string reason;
    };
    nv::test::TempDir dir;
    std::vector<unsigned char> cut = nv::test::ReadBytes(FixturePath("rgb24.bmp"));
    cut.resize(500);
    for (const Case& c :
         {Case{dir.File("missing.jpg"), "No such file"},
          Case{dir.Write("notes.txt", "hello, world"), "not a BMP or JPEG image"},
          Case{dir.Write("scan.png", "\x89PNG\r\n\x1a\n"),
               "the file is a PNG image, not a BMP or JPEG image"},
          Case{dir.Write("array.bmp", "BA\x1c"),
               "the file is an OS/2 bitmap array, not a BMP or JPEG image"},
          Case{dir.Write("cut.bmp", std::string(cut.begin(), cut.end())),
               "unreadable BMP image: the file ends inside the pixel data"},
          Case{FixturePath("truncated.jpg"), "unreadable JPEG image: Premature end of JPEG file"},
          Case{FixturePath("empty.jpg"), "too short"}, Case{dir.Path(), "Unable to open"}}) {
        EXPECT_FALSE(LoadImageFile(c.path, dib, &reason)) << c.path;
        EXPECT_NE(reason.find(c.reason), std::string::npos) << c.path << ": " << reason;
        EXPECT_EQ(reason.find("Not a JPEG file"), std::string::npos) << reason;
        EXPECT_EQ(dib.GetDIB(), before);
    }
}

TEST(ImageInfoCommandTest, PrintsSizeBitsAndColours)
{
    Result r = Info({FixturePath("pal8.bmp")});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "width: 37\nheight: 23\nbits per pixel: 8\ncolors: 256\n");
    EXPECT_EQ(r.err, "");
    r = Info({FixturePath("baseline.jpg")});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "width: 37\nheight: 23\nbits per pixel: 24\ncolors: 0\n");

    r = Info({FixturePath("cmyk.jpg")});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "width: 37\nheight: 23\nbits per pixel: 24\ncolors: 0\n");

    r = Info({FixturePath("truncated.jpg")});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("ERROR:  Unable to load"), std::string::npos);
    EXPECT_NE(r.err.find("Premature end of JPEG file"), std::string::npos);

    for (const auto& args : {std::vector<std::string>{}, {"a.bmp", "b.bmp"}, {"--rotate"}}) {
        r = Info(args);
        EXPECT_EQ(r.code, 2);
        EXPECT_NE(r.err.find("usage: Nulo_Vandrel --image-info IMAGE"), std::string::npos);
    }
}

TEST(SaveBmpCommandTest, TurnsAndWritesTheImage)
{
    nv::test::TempDir dir;
    const std::string out = dir.File("out.bmp");
    struct Case
    {
        std::vector<std::string> options;
        int angle;
        bool flipRows, flipColumns;
    };
    for (const Case& c : {Case{{}, 0, false, false}, Case{{"--rotate", "90"}, 90, false, false},
                          Case{{"--rotate", "-90"}, 270, false, false},
                          Case{{"--flip-rows", "--rotate", "180"}, 180, true, false},
                          Case{{"--rotate", "270", "--flip-columns"}, 270, false, true}}) {
        std::vector<std::string> args = {FixturePath("baseline.jpg"), out};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const Result r = Save(args);
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_NE(r.out.find("Saved " + out), std::string::npos);
        COXDIB dib;
        ASSERT_TRUE(LoadImageFile(out, dib));
        EXPECT_TRUE(PixelsOf(dib) ==
                    Turned(RecordedPixels("baseline", 37, 23), c.angle, c.flipRows, c.flipColumns))
            << c.angle;
    }
}

TEST(SaveBmpCommandTest, FailuresKeepTheExistingOutput)
{
    nv::test::TempDir dir;
    const std::string out = dir.Write("out.bmp", "previous contents");
    Result r = Save({FixturePath("truncated.jpg"), out});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Premature end of JPEG file"), std::string::npos);
    EXPECT_EQ(nv::test::ReadFile(out), "previous contents");

    r = Save({FixturePath("rgb24.bmp"), dir.File("no/such/folder/out.bmp")});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("ERROR:  Unable to create"), std::string::npos);

    // Writing over the input itself works: the image is read completely first.
    const std::string in = dir.File("in.bmp");
    std::filesystem::copy_file(FixturePath("rgb24.bmp"), in);
    r = Save({in, in, "--rotate", "180"});
    ASSERT_EQ(r.code, 0) << r.err;
    COXDIB dib;
    ASSERT_TRUE(LoadImageFile(in, dib));
    EXPECT_TRUE(PixelsOf(dib) == Turned(RecordedPixels("rgb24", 37, 23), 180, false, false));
}

// The output is the file a path finally names: links are followed and kept, and what is not
// a regular file is never replaced.
TEST(SaveBmpCommandTest, OutputThroughLinksAndNeverOverSpecialFiles)
{
    nv::test::TempDir dir;
    const std::string in = dir.File("in.bmp");
    std::filesystem::copy_file(FixturePath("rgb24.bmp"), in);
    const nv::test::RGBImage turned = Turned(RecordedPixels("rgb24", 37, 23), 90, false, false);

    // A symbolic link to the input: the input is replaced, the link stays.
    std::filesystem::create_symlink("in.bmp", dir.File("link.bmp"));
    Result r = Save({in, dir.File("link.bmp"), "--rotate", "90"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.bmp")));
    COXDIB dib;
    ASSERT_TRUE(LoadImageFile(in, dib));
    EXPECT_TRUE(PixelsOf(dib) == turned);

    // A FIFO: refused, left as it was.
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    r = Save({in, fifo});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("ERROR:  Unable to create " + fifo), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

TEST(SaveBmpCommandTest, UsageErrors)
{
    const std::string in = FixturePath("rgb24.bmp");
    for (const auto& args :
         std::vector<std::vector<std::string>>{{},
                                               {in},
                                               {in, "a.bmp", "b.bmp"},
                                               {in, "a.bmp", "--rotate"},
                                               {in, "a.bmp", "--rotate", "45"},
                                               {in, "a.bmp", "--rotate", "ninety"},
                                               {in, "a.bmp", "--rotate", "90", "--rotate", "90"},
                                               {in, "a.bmp", "--flip-rows", "--flip-rows"},
                                               {in, "a.bmp", "--mirror"}}) {
        const Result r = Save(args);
        EXPECT_EQ(r.code, 2) << testing::PrintToString(args);
        EXPECT_NE(r.err.find("usage: Nulo_Vandrel --save-bmp IN OUT"), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
}

} // namespace
