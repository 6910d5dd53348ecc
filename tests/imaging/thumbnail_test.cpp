// Thumbnails: BMP files read every n-th row, JPEG files decoded at a reduced size, and the
// files neither way can read.
#include "imaging/thumbnail.h"

#include "imaging/dib.h"
#include "imaging/dib_display.h"
#include "imaging/image_loader.h"
#include "imaging/jpeg_reduced.h"
#include "platform/file.h"
#include "tests/imaging/test_images.h"
#include "tests/testlib/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

using nv::test::FixturePath;
using nv::test::WriteJPEG;

namespace {

// A 24-bit BMP whose every row has one colour: red and green count the row from the top.
std::string WriteRowCountingBmp(const nv::test::TempDir& dir, const char* name, int width,
                                int height, bool topDown)
{
    COXDIB dib;
    EXPECT_TRUE(dib.CreateEmpty(24, width, height));
    nv::DIBBytes block = dib.GetDIB();
    const size_t rowSize = size_t(nv::DIBRowSize(uint64_t(width), 24));
    for (int y = 0; y < height; ++y) {
        unsigned char* row = block.data() + 40 + size_t(height - 1 - y) * rowSize;
        for (int x = 0; x < width; ++x) {
            row[x * 3] = 0;
            row[x * 3 + 1] = uint8_t(y >> 8);
            row[x * 3 + 2] = uint8_t(y);
        }
    }
    EXPECT_TRUE(dib.Assign(block));
    nv::MemoryFile stream;
    EXPECT_TRUE(dib.Write(stream));
    std::vector<unsigned char> bytes = stream.Data();
    if (topDown) {
        // The same picture stored top row first.
        nv::PutLE32(bytes.data() + 22, uint32_t(-height));
        std::vector<unsigned char> flipped(bytes);
        for (int s = 0; s < height; ++s)
            std::copy_n(bytes.data() + 54 + size_t(s) * rowSize, rowSize,
                        flipped.data() + 54 + size_t(height - 1 - s) * rowSize);
        bytes.swap(flipped);
    }
    return dir.Write(name, std::string(bytes.begin(), bytes.end()));
}

} // namespace

TEST(Thumbnail, AtFullSizeEveryFixtureShowsWhatTheLoaderLoads)
{
    const char* fixtures[] = {
        "mono1.bmp",          "pal4.bmp",        "pal8.bmp",      "gray8.bmp", "rgb16.bmp",
        "rgb555_nomasks.bmp", "bitfields16.bmp", "rgb565_v5.bmp", "rgb24.bmp", "rgb24_v5.bmp",
        "rgb32.bmp",          "argb32_v5.bmp",   "topdown24.bmp", "os2_8.bmp", "os2_24.bmp",
        "gap24.bmp",          "sizeimage0.bmp",  "rle4.bmp",      "rle8.bmp",  "baseline.jpg",
        "progressive.jpg",    "gray.jpg",        "cmyk.jpg",
    };
    for (const char* name : fixtures) {
        SCOPED_TRACE(name);
        COXDIB loaded;
        ASSERT_TRUE(LoadImageFile(FixturePath(name), loaded));
        Thumbnail t;
        std::string reason;
        ASSERT_TRUE(MakeThumbnail(FixturePath(name), 4000, 4000, t, &reason)) << reason;
        const nv::test::RGBImage expected = nv::test::PixelsOf(loaded);
        ASSERT_EQ(t.width, expected.width);
        ASSERT_EQ(t.height, expected.height);
        EXPECT_EQ(t.imageWidth, uint32_t(expected.width));
        EXPECT_EQ(t.imageHeight, uint32_t(expected.height));
        EXPECT_EQ(t.bitsPerPixel, loaded.GetNumBitsPerPixel());
        nv::test::RGBImage shown{t.width, t.height, {}};
        for (uint32_t p : t.pixels)
            shown.rgb.insert(shown.rgb.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
        EXPECT_TRUE(shown == expected);
    }
    Thumbnail t;
    ASSERT_TRUE(MakeThumbnail(FixturePath("baseline.jpg"), 10, 10, t));
    EXPECT_EQ(ThumbnailCaption(t), "37 x 23 pixels\n24 bits per pixel");
    EXPECT_EQ(t.width, 10);
    EXPECT_EQ(t.height, 6);
}

TEST(Thumbnail, LargeBmpIsReadEveryNthRowFromTheTop)
{
    nv::test::TempDir dir;
    for (bool topDown : {false, true}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        const std::string path = WriteRowCountingBmp(dir, "rows.bmp", 64, 600, topDown);
        Thumbnail t;
        std::string reason;
        // 600 rows into 60: every 10th row, each thumbnail row from exactly one of them.
        ASSERT_TRUE(MakeThumbnail(path, 60, 60, t, &reason)) << reason;
        ASSERT_EQ(t.width, 6);
        ASSERT_EQ(t.height, 60);
        for (int k = 0; k < 60; ++k) {
            const uint32_t p = t.pixels[size_t(k) * 6];
            EXPECT_EQ(((p >> 8) & 0xFF) * 256 + ((p >> 16) & 0xFF), uint32_t(k * 10)) << k;
        }
        EXPECT_EQ(ThumbnailCaption(t), "64 x 600 pixels\n24 bits per pixel");
    }

    // Run-length images are read whole, then every n-th row is taken the same way.
    for (const char* name : {"rle4.bmp", "rle8.bmp"}) {
        COXDIB dib;
        ASSERT_TRUE(nv::test::LoadBmpFixture(name, dib));
        nv::DIBBytes expanded;
        ASSERT_TRUE(nv::ExpandRLE(dib.GetDIB().data(), dib.GetDIB().size(), expanded));
        ASSERT_TRUE(dib.Assign(expanded));
        nv::MemoryFile stream;
        ASSERT_TRUE(dib.Write(stream));
        const std::string plain =
            dir.Write("plain.bmp", std::string(stream.Data().begin(), stream.Data().end()));
        Thumbnail runLength, uncompressed;
        ASSERT_TRUE(MakeThumbnail(FixturePath(name), 9, 7, runLength));
        ASSERT_TRUE(MakeThumbnail(plain, 9, 7, uncompressed));
        EXPECT_EQ(runLength.pixels, uncompressed.pixels) << name;
        EXPECT_LT(runLength.height, int(dib.GetSize().cy)) << name;
    }
}

TEST(Thumbnail, JPEGIsDecodedAtTheLargestReductionTheBoxAllows)
{
    struct Row
    {
        const char* name;
        uint32_t width, height;
        int maxDenominator, boxWidth, boxHeight;
        int denominator;
    } rows[] = {
        {"image smaller than the box", 200, 100, 8, 250, 250, 1},
        {"48 megapixels into a pane", 8000, 6000, 8, 250, 300, 8},
        {"just twice the box", 600, 400, 8, 250, 250, 2},
        {"tall image", 300, 2000, 8, 250, 250, 8},
        {"capped", 8000, 6000, 4, 250, 250, 4},
        {"no box: the cap", 8000, 6000, 8, 0, 0, 8},
        {"no reduction asked", 8000, 6000, 1, 0, 0, 1},
    };
    for (const Row& row : rows) {
        JPEGReduction how;
        how.maxDenominator = row.maxDenominator;
        how.boxWidth = row.boxWidth;
        how.boxHeight = row.boxHeight;
        EXPECT_EQ(ReducedDenominator(row.width, row.height, how), row.denominator) << row.name;
    }

    // The reduced picture is the full one averaged over 8 x 8 blocks.
    nv::test::TempDir dir;
    const std::string path = WriteJPEG(dir.File("smooth.jpg"), 203, 120, [](int x, int y) {
        return uint32_t((x + y) & 0xFF) << 16 | uint32_t(y * 2 & 0xFF) << 8 | uint32_t(x & 0xFF);
    });
    nv::File file;
    ASSERT_TRUE(file.Open(path, nv::File::modeRead));
    COXDIB reduced;
    JPEGReducedInfo info;
    std::string reason;
    ASSERT_TRUE(ReadJPEGReduced(file, JPEGReduction(), reduced, &info, &reason)) << reason;
    EXPECT_EQ(info.width, 203u);
    EXPECT_EQ(info.height, 120u);
    EXPECT_EQ(info.denominator, 8);
    ASSERT_EQ(reduced.GetSize(), (DIBSize{26, 15})); // rounded up
    COXDIB full;
    ASSERT_TRUE(full.ReadJPEG(path));
    const nv::test::RGBImage small = nv::test::PixelsOf(reduced), large = nv::test::PixelsOf(full);
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 25; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int j = 0; j < 8; ++j)
                    for (int i = 0; i < 8; ++i)
                        sum += large.rgb[(size_t(y * 8 + j) * 203 + size_t(x * 8 + i)) * 3 + c];
                EXPECT_NEAR(small.rgb[(size_t(y) * 26 + size_t(x)) * 3 + c], sum / 64, 3)
                    << x << "," << y << "," << c;
            }
}

TEST(Thumbnail, RefusesWhatCannotBePreviewed)
{
    nv::test::TempDir dir;
    const std::vector<unsigned char> baseline = nv::test::ReadBytes(FixturePath("baseline.jpg"));
    // A small JPEG whose frame header claims 65000 x 65000 pixels.
    std::vector<unsigned char> bomb = baseline;
    for (size_t i = 0; i + 8 < bomb.size(); ++i)
        if (bomb[i] == 0xFF && (bomb[i + 1] == 0xC0 || bomb[i + 1] == 0xC2)) {
            bomb[i + 5] = bomb[i + 7] = 0xFD;
            bomb[i + 6] = bomb[i + 8] = 0xE8;
            break;
        }
    std::vector<unsigned char> shortBmp = nv::test::ReadBytes(FixturePath("rgb24.bmp"));
    shortBmp.resize(shortBmp.size() - 10);
    // Colour masks, then a 16-entry colour table that the pixel offset points into (with room
    // for every row behind the table).
    std::vector<unsigned char> offsetInTable = nv::test::ReadBytes(FixturePath("bitfields16.bmp"));
    nv::PutLE32(offsetInTable.data() + 46, 16);
    offsetInTable.resize(offsetInTable.size() + 64);
    struct Row
    {
        const char* name;
        std::string path;
    } rows[] = {
        {"missing file", dir.File("none.jpg")},
        {"empty file", dir.Write("empty.jpg", "")},
        {"text", dir.Write("notes.txt", "Not an image at all.")},
        {"BMP cut short", dir.Write("short.bmp", std::string(shortBmp.begin(), shortBmp.end()))},
        {"BMP pixel offset inside the colour table",
         dir.Write("table.bmp", std::string(offsetInTable.begin(), offsetInTable.end()))},
        {"BMP header only",
         dir.Write("header.bmp", std::string("BM\x36\0\0\0\0\0\0\0\x36\0\0\0", 14))},
        {"JPEG cut short", FixturePath("truncated.jpg")},
        {"JPEG claiming 65000 pixels a side",
         dir.Write("bomb.jpg", std::string(bomb.begin(), bomb.end()))},
    };
    for (const Row& row : rows) {
        Thumbnail t;
        std::string reason;
        EXPECT_FALSE(MakeThumbnail(row.path, 200, 200, t, &reason)) << row.name;
        EXPECT_FALSE(reason.empty()) << row.name;
    }

    // A thumbnail no longer wanted stops.
    const std::atomic<bool> cancel{true};
    Thumbnail t;
    EXPECT_FALSE(MakeThumbnail(FixturePath("baseline.jpg"), 20, 20, t, nullptr, &cancel));
    const std::string rows600 = WriteRowCountingBmp(dir, "rows.bmp", 8, 600, false);
    EXPECT_FALSE(MakeThumbnail(rows600, 20, 20, t, nullptr, &cancel));
    EXPECT_TRUE(MakeThumbnail(rows600, 20, 20, t));
}
