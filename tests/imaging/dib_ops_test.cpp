// Writing BMP streams, new images, colour tables, copies, rotation and halftoning.
#include "imaging/dib.h"
#include "platform/file.h"
#include "tests/imaging/test_images.h"

#include <gtest/gtest.h>

#include <cstring>

using nv::GetLE16;
using nv::GetLE32;
using nv::test::LoadBmpFixture;
using nv::test::PixelsOf;
using nv::test::RGBImage;
using nv::test::Turned;

namespace {

const char* const kAllFixtures[] = {
    "mono1.bmp",     "pal4.bmp",  "pal8.bmp",           "gray8.bmp",     "rle8.bmp",
    "rle4.bmp",      "os2_8.bmp", "os2_24.bmp",         "rgb16.bmp",     "bitfields16.bmp",
    "rgb24.bmp",     "rgb32.bmp", "rgb555_nomasks.bmp", "rgb565_v5.bmp", "rgb24_v5.bmp",
    "topdown24.bmp", "gap24.bmp", "sizeimage0.bmp",     "argb32_v5.bmp",
};

TEST(DibWriteTest, WrittenStreamReadsBackToTheSameImage)
{
    for (const char* name : kAllFixtures) {
        COXDIB dib;
        ASSERT_TRUE(LoadBmpFixture(name, dib)) << name;
        nv::MemoryFile stream;
        ASSERT_TRUE(dib.Write(stream)) << name;

        const std::vector<unsigned char>& bytes = stream.Data();
        const uint32_t table = dib.GetNumColors() * 4;
        const uint32_t masks = GetLE32(bytes.data() + 30) == nv::kBiBitfields ? 12 : 0;
        EXPECT_EQ(GetLE16(bytes.data()), 0x4D42) << name;
        EXPECT_EQ(GetLE32(bytes.data() + 2), bytes.size()) << name;
        EXPECT_EQ(GetLE32(bytes.data() + 10), 14 + 40 + masks + table) << name;
        EXPECT_EQ(GetLE32(bytes.data() + 14), 40u) << name; // longer headers written as 40

        stream.SeekToBegin();
        COXDIB back;
        ASSERT_TRUE(back.Read(stream)) << name;
        EXPECT_TRUE(PixelsOf(back) == PixelsOf(dib)) << name;
        EXPECT_EQ(back.GetNumColors(), dib.GetNumColors()) << name;
        EXPECT_EQ(GetLE32(back.GetDIB().data() + 16), GetLE32(dib.GetDIB().data() + 16)) << name;
    }
}

TEST(DibWriteTest, EightBitImageKeepsHeaderTableAndPixels)
{
    COXDIB dib;
    ASSERT_TRUE(LoadBmpFixture("pal8.bmp", dib));
    nv::MemoryFile stream;
    ASSERT_TRUE(dib.Write(stream));
    const uint32_t image = 40 * 23;
    EXPECT_EQ(GetLE32(stream.Data().data() + 2), 14 + 40 + 1024 + image);
    stream.SeekToBegin();
    COXDIB back;
    ASSERT_TRUE(back.Read(stream));
    EXPECT_EQ(back.GetDIB(), dib.GetDIB());
}

// Whatever an input declared, the planes field is written as 1.
TEST(DibWriteTest, PlanesAreWrittenAsOne)
{
    std::vector<unsigned char> file = nv::test::ReadBytes(nv::test::FixturePath("pal8.bmp"));
    nv::PutLE16(file.data() + 26, 30000);
    nv::MemoryFile in(std::move(file));
    COXDIB dib;
    ASSERT_TRUE(dib.Read(in));
    nv::MemoryFile out;
    ASSERT_TRUE(dib.Write(out));
    EXPECT_EQ(GetLE16(out.Data().data() + 26), 1);
}

TEST(DibWriteTest, FailuresAreReported)
{
    COXDIB empty;
    nv::MemoryFile stream;
    EXPECT_FALSE(empty.Write(stream));

    COXDIB dib;
    ASSERT_TRUE(LoadBmpFixture("rgb24.bmp", dib));
    nv::test::FullDiskFile full;
    EXPECT_THROW(dib.Write(full), nv::FileError);
}

TEST(DibCreateTest, HeaderNormalisesTheBitCount)
{
    struct Row
    {
        int bits;
        uint16_t normalised;
        uint32_t colors;
    };
    for (const Row& r : {Row{0, 1, 0}, Row{1, 1, 0}, Row{2, 4, 16}, Row{4, 4, 16}, Row{5, 8, 256},
                         Row{8, 8, 256}, Row{16, 24, 0}, Row{32, 24, 0}}) {
        nv::BitmapInfoHeader h;
        COXDIB::InitBitmapInfoHeader(h, 9, 5, r.bits);
        EXPECT_EQ(h.biBitCount, r.normalised) << r.bits;
        EXPECT_EQ(h.biClrUsed, r.colors) << r.bits;
        EXPECT_EQ(h.biSizeImage, nv::DIBRowSize(9, r.normalised) * 5) << r.bits;
        EXPECT_EQ(h.biSize, 40u);
        EXPECT_EQ(h.biPlanes, 1);
    }
}

TEST(DibCreateTest, BlankImageHasTheSixteenColourTableAndZeroPixels)
{
    COXDIB dib;
    ASSERT_TRUE(dib.CreateEmpty(16, 10, 4)); // more than 8 bits: 24-bit, and room for them
    EXPECT_EQ(dib.GetNumBitsPerPixel(), 24u);
    EXPECT_EQ(dib.GetDIB().size(), 40u + 32 * 4);

    ASSERT_TRUE(dib.CreateEmpty(8, 3, 2));
    const unsigned char* table = dib.GetDIB().data() + 40;
    EXPECT_EQ(dib.GetNumColors(), 256u);
    EXPECT_EQ(0, std::memcmp(table + 1 * 4, "\x00\x00\x80\x00", 4));   // (128, 0, 0)
    EXPECT_EQ(0, std::memcmp(table + 17 * 4, "\x00\x00\x80\x00", 4));  // repeated
    EXPECT_EQ(0, std::memcmp(table + 255 * 4, "\xFF\xFF\xFF\x00", 4)); // white
    EXPECT_EQ(dib.GetPalette(), nullptr);
    for (const unsigned char* p = dib.FindDIBBits(); p < dib.GetDIB().data() + dib.GetDIB().size();
         ++p)
        ASSERT_EQ(*p, 0);

    // A size that is not positive, or too large for the format, keeps the image.
    const nv::DIBBytes before = dib.GetDIB();
    EXPECT_FALSE(dib.CreateEmpty(8, 0, 5));
    EXPECT_FALSE(dib.CreateEmpty(8, 5, -5));
    EXPECT_FALSE(dib.CreateEmpty(24, 100000, 100000));
    EXPECT_EQ(dib.GetDIB(), before);
}

TEST(DibPaletteTest, CopiesAssignmentAndPalettes)
{
    COXDIB dib;
    ASSERT_TRUE(LoadBmpFixture("pal4.bmp", dib));
    COXDIB copy(dib);
    EXPECT_EQ(copy.GetDIB(), dib.GetDIB());
    EXPECT_NE(copy.GetDIB().data(), dib.GetDIB().data());
    ASSERT_NE(copy.GetPalette(), nullptr);
    EXPECT_EQ(copy.GetPalette()->GetEntryCount(), 16u);
    const unsigned char* entry = dib.GetDIB().data() + 40 + 4 * 3;
    EXPECT_EQ(copy.GetPalette()->Entries()[3], (PaletteEntry{entry[2], entry[1], entry[0], 0}));

    copy = copy; // self-assignment keeps the image
    EXPECT_EQ(copy.GetDIB(), dib.GetDIB());
    EXPECT_TRUE(copy.Assign(copy.GetDIB())); // a block of the image itself
    EXPECT_EQ(copy.GetDIB(), dib.GetDIB());

    // Blocks whose first word is not 40 are not taken.
    nv::DIBBytes other = dib.GetDIB();
    nv::PutLE32(other.data(), 108);
    EXPECT_FALSE(copy.Assign(other));
    EXPECT_FALSE(copy.Assign(nullptr, 0));
    EXPECT_EQ(copy.GetDIB(), dib.GetDIB());
}

TEST(DibPaletteTest, PaletteOverwritesTheLeadingColourEntries)
{
    COXDIB dib;
    ASSERT_TRUE(LoadBmpFixture("pal8.bmp", dib));
    const nv::DIBBytes before = dib.GetDIB();
    const COXPalette three({{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}});
    ASSERT_TRUE(dib.PaletteToColorTable(&three));
    const unsigned char* table = dib.GetDIB().data() + 40;
    EXPECT_EQ(0, std::memcmp(table, "\x03\x02\x01\x00\x06\x05\x04\x00\x09\x08\x07\x00", 12));
    EXPECT_EQ(0, std::memcmp(table + 12, before.data() + 52, 1024 - 12)); // the rest untouched

    ASSERT_TRUE(dib.PaletteToColorTable(nullptr)); // the 20 static colours
    EXPECT_EQ(0, std::memcmp(table + 8 * 4, "\xC0\xDC\xC0\x00", 4));
    EXPECT_EQ(0, std::memcmp(table + 19 * 4, "\xFF\xFF\xFF\x00", 4));
    EXPECT_EQ(0, std::memcmp(table + 20 * 4, before.data() + 40 + 80, 4));

    ASSERT_TRUE(LoadBmpFixture("rgb24.bmp", dib));
    EXPECT_FALSE(dib.PaletteToColorTable(&three));
}

TEST(DibPaletteTest, DerivedQuantitiesOfSuppliedHeaders)
{
    unsigned char core[12] = {12, 0, 0, 0, 9, 0, 5, 0, 1, 0, 8, 0};
    EXPECT_EQ(COXDIB::GetNumColors(core, sizeof core), 256u);
    EXPECT_EQ(COXDIB::GetPaletteSize(core, sizeof core), 768u);
    EXPECT_EQ(COXDIB::FindDIBBitsOffset(core, sizeof core), 12u + 768);
    EXPECT_EQ(COXDIB::GetSize(core, sizeof core), (DIBSize{9, 5}));
    EXPECT_EQ(COXDIB::GetNumBitsPerPixel(core, sizeof core), 8u);

    unsigned char info[40] = {};
    nv::BitmapInfoHeader h;
    COXDIB::InitBitmapInfoHeader(h, 7, -3, 8);
    h.biClrUsed = 5;
    h.Store(info);
    EXPECT_EQ(COXDIB::GetNumColors(info, sizeof info), 5u);
    EXPECT_EQ(COXDIB::GetPaletteSize(info, sizeof info), 20u);
    EXPECT_EQ(COXDIB::GetSize(info, sizeof info), (DIBSize{7, 3})); // top-down: rows, positive
    EXPECT_EQ(COXDIB::GetNumColors(info, 20), 0u);                  // too short to tell
    COXDIB empty;
    EXPECT_EQ(empty.GetNumColors(), 0u);
    EXPECT_EQ(empty.GetSize(), DIBSize{});
    EXPECT_EQ(empty.FindDIBBits(), nullptr);
}

// ---- rotation

struct Turn
{
    int angle;
    bool flipRows;
    bool flipColumns;
};

TEST(DibRotateTest, EveryTurnOfEveryFormatMatchesTheReference)
{
    const char* formats[] = {"mono1.bmp", "pal4.bmp",      "pal8.bmp",        "rle8.bmp",
                             "rle4.bmp",  "rgb16.bmp",     "bitfields16.bmp", "rgb24.bmp",
                             "rgb32.bmp", "topdown24.bmp", "rgb565_v5.bmp",   "argb32_v5.bmp"};
    const Turn turns[] = {{90, false, false},  {180, false, false}, {270, false, false},
                          {-90, false, false}, {0, true, false},    {0, false, true},
                          {90, true, false},   {270, false, true},  {180, true, true},
                          {450, false, false}};
    for (const char* name : formats) {
        COXDIB original;
        ASSERT_TRUE(LoadBmpFixture(name, original));
        const RGBImage pixels = PixelsOf(original);
        for (const Turn& t : turns) {
            COXDIB dib(original);
            ASSERT_TRUE(dib.Rotate(t.angle, t.flipRows, t.flipColumns)) << name << " " << t.angle;
            EXPECT_TRUE(PixelsOf(dib) == Turned(pixels, t.angle, t.flipRows, t.flipColumns))
                << name << " by " << t.angle << (t.flipRows ? " flip rows" : "")
                << (t.flipColumns ? " flip columns" : "");
            EXPECT_EQ(dib.GetNumBitsPerPixel(), original.GetNumBitsPerPixel()) << name;
            EXPECT_EQ(GetLE32(dib.GetDIB().data()), 40u);
        }
    }
}

TEST(DibRotateTest, RowsWithoutPaddingTurnToo)
{
    // 4 pixels of 3 bytes fill a row exactly: nothing to spare after the last pixel.
    COXDIB original;
    ASSERT_TRUE(original.CreateEmpty(24, 4, 3));
    nv::DIBBytes block = original.GetDIB();
    for (size_t i = 40; i < block.size(); ++i)
        block[i] = uint8_t(i * 37);
    ASSERT_TRUE(original.Assign(block));
    const RGBImage pixels = PixelsOf(original);
    for (int angle : {90, 180, 270}) {
        for (bool flip : {false, true}) {
            COXDIB dib(original);
            ASSERT_TRUE(dib.Rotate(angle, flip, false));
            EXPECT_TRUE(PixelsOf(dib) == Turned(pixels, angle, flip, false)) << angle;
        }
    }
}

TEST(DibRotateTest, IdentitiesAndRefusals)
{
    COXDIB original;
    ASSERT_TRUE(LoadBmpFixture("rgb24.bmp", original));
    COXDIB dib(original);
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(dib.Rotate(90, false, false));
    EXPECT_EQ(dib.GetDIB(), original.GetDIB());

    COXDIB a(original), b(original);
    ASSERT_TRUE(a.Rotate(-90, false, false));
    ASSERT_TRUE(b.Rotate(270, false, false));
    EXPECT_EQ(a.GetDIB(), b.GetDIB());
    EXPECT_EQ(a.GetSize(), (DIBSize{23, 37}));

    EXPECT_FALSE(dib.Rotate(45, false, false));
    EXPECT_EQ(dib.GetDIB(), original.GetDIB());
    EXPECT_TRUE(dib.Rotate(0, false, false));
    EXPECT_EQ(dib.GetDIB(), original.GetDIB());
    COXDIB empty;
    EXPECT_FALSE(empty.Rotate(90, false, false));

    // Into another image, leaving this one as it is; a set cancel flag stops the turn.
    COXDIB turned, expected(original);
    ASSERT_TRUE(expected.Rotate(90, false, true));
    ASSERT_TRUE(dib.RotateInto(90, false, true, turned));
    EXPECT_EQ(turned.GetDIB(), expected.GetDIB());
    EXPECT_EQ(dib.GetDIB(), original.GetDIB());
    const std::atomic<bool> cancel{true};
    EXPECT_FALSE(dib.RotateInto(180, false, false, turned, &cancel));
    EXPECT_EQ(turned.GetDIB(), expected.GetDIB());

    // The turned copy (and the expanded pixels of a run-length image) must fit in memory.
    COXDIB rle;
    ASSERT_TRUE(LoadBmpFixture("rle8.bmp", rle));
    const nv::DIBBytes before = rle.GetDIB();
    {
        nv::test::ScopedImageMemoryBudget budget(2 * (40 + 1024 + 40 * 23) - 1);
        EXPECT_FALSE(rle.Rotate(180, false, false));
        EXPECT_EQ(rle.GetDIB(), before);
    }
    EXPECT_TRUE(rle.Rotate(180, false, false));
}

TEST(DibRotateTest, OneBitRowsStayPaddedWithZeros)
{
    COXDIB dib;
    ASSERT_TRUE(dib.CreateEmpty(1, 9, 5));
    // Every pixel set: rows of 9 bits are 0xFF 0x80 and padding.
    unsigned char* bits = const_cast<unsigned char*>(dib.FindDIBBits());
    for (int row = 0; row < 5; ++row) {
        bits[row * 4] = 0xFF;
        bits[row * 4 + 1] = 0x80;
    }
    ASSERT_TRUE(dib.Rotate(90, false, false));
    EXPECT_EQ(dib.GetSize(), (DIBSize{5, 9}));
    const unsigned char* rotated = dib.FindDIBBits();
    for (int row = 0; row < 9; ++row) {
        EXPECT_EQ(rotated[row * 4], 0xF8) << row; // 5 pixels set, 3 bits beyond the width clear
        EXPECT_EQ(rotated[row * 4 + 1] | rotated[row * 4 + 2] | rotated[row * 4 + 3], 0) << row;
    }
}

// ---- halftone

COXDIB SolidImage(int bits, int width, int height, uint8_t red, uint8_t green, uint8_t blue)
{
    COXDIB dib;
    dib.CreateEmpty(24, width, height);
    nv::DIBBytes block = dib.GetDIB();
    if (bits == 32) {
        nv::BitmapInfoHeader h;
        COXDIB::InitBitmapInfoHeader(h, width, height, 24);
        h.biBitCount = 32;
        h.biSizeImage = uint32_t(width * height * 4);
        block.assign(40 + h.biSizeImage, 0);
        h.Store(block.data());
    }
    const size_t row = nv::DIBRowSize(width, bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char* p = block.data() + 40 + y * row + x * (bits / 8);
            p[0] = blue;
            p[1] = green;
            p[2] = red;
        }
    dib.Assign(block);
    return dib;
}

TEST(DibHalftoneTest, IndexesFollowTheThresholdMatrix)
{
    const COXPalette untranslated({{0, 0, 0, 0}, {44, 0, 0, 0}});
    const COXPalette halftone = COXPalette::Halftone();

    COXDIB white = SolidImage(24, 3, 2, 255, 255, 255);
    ASSERT_TRUE(white.HalfToneDIB(&untranslated));
    EXPECT_EQ(white.GetNumBitsPerPixel(), 8u);
    EXPECT_EQ(white.FindDIBBits()[0], 215);
    white = SolidImage(24, 3, 2, 255, 255, 255);
    ASSERT_TRUE(white.HalfToneDIB(&halftone));
    EXPECT_EQ(white.FindDIBBits()[0], 255);
    ASSERT_NE(white.GetPalette(), nullptr);
    EXPECT_EQ(white.GetPalette()->Entries()[255], (PaletteEntry{255, 255, 255, 0}));

    COXDIB black = SolidImage(32, 2, 2, 0, 0, 0);
    ASSERT_TRUE(black.HalfToneDIB(&halftone));
    EXPECT_EQ(black.FindDIBBits()[0], 0);

    // Gray 127 is level 2 with 25 left over: it goes up a level only where the threshold is
    // below 25. Index = level * (1 + 6 + 36); rows are counted from the bottom.
    COXDIB gray = SolidImage(24, 2, 2, 127, 127, 127);
    ASSERT_TRUE(gray.HalfToneDIB(&untranslated));
    const unsigned char* bits = gray.FindDIBBits();
    EXPECT_EQ(bits[0], 3 * 43); // x 0, y 0: threshold 0
    EXPECT_EQ(bits[1], 2 * 43); // x 1, y 0: threshold 25, not exceeded
    EXPECT_EQ(bits[4], 2 * 43); // x 0, y 1: threshold 38
    EXPECT_EQ(bits[5], 3 * 43); // x 1, y 1: threshold 12
}

TEST(DibHalftoneTest, NeedsAPaletteScreenAndATrueColourImage)
{
    COXDIB dib = SolidImage(24, 4, 4, 10, 20, 30);
    const nv::DIBBytes before = dib.GetDIB();
    COXDIB::SetScreenPaletteSize(0);
    EXPECT_FALSE(dib.HalfToneDIB());
    EXPECT_EQ(dib.GetDIB(), before);
    COXDIB::SetScreenPaletteSize(256);
    EXPECT_TRUE(dib.HalfToneDIB());
    COXDIB::SetScreenPaletteSize(0);

    COXDIB pal8;
    ASSERT_TRUE(LoadBmpFixture("pal8.bmp", pal8));
    const COXPalette halftone = COXPalette::Halftone();
    EXPECT_FALSE(pal8.HalfToneDIB(&halftone));
    COXDIB empty;
    EXPECT_FALSE(empty.HalfToneDIB(&halftone));
}

TEST(DibHalftoneTest, HalftonePaletteHoldsTheColourCubeWhereTheTranslationPoints)
{
    const COXPalette halftone = COXPalette::Halftone();
    const std::vector<PaletteEntry>& e = halftone.Entries();
    ASSERT_EQ(e.size(), 256u);
    EXPECT_EQ(e[1], (PaletteEntry{128, 0, 0, 0}));   // not (44, 0, 0): translation applies
    EXPECT_EQ(e[29], (PaletteEntry{51, 0, 0, 0}));   // cube index 1
    EXPECT_EQ(e[249], (PaletteEntry{255, 0, 0, 0})); // cube index 5
    EXPECT_EQ(e[252], (PaletteEntry{0, 0, 255, 0})); // cube index 180
}

} // namespace

namespace {

TEST(DibResourceTest, LoadsABitmapFromTheResourceSystem)
{
    COXDIB dib;
    ASSERT_TRUE(dib.LoadResource("test/pal8.bmp"));
    COXDIB file;
    ASSERT_TRUE(LoadBmpFixture("pal8.bmp", file));
    EXPECT_EQ(dib.GetDIB(), file.GetDIB());
    EXPECT_TRUE(dib.LoadResource(":/test/pal8.bmp"));
    EXPECT_FALSE(dib.LoadResource("test/missing.bmp"));
    EXPECT_EQ(dib.GetDIB(), file.GetDIB());

    // A bare packed DIB (no file header) with and without colour masks.
    for (const char* name : {"pal8", "bitfields16"}) {
        ASSERT_TRUE(dib.LoadResource(std::string("test/") + name + ".dib")) << name;
        ASSERT_TRUE(LoadBmpFixture(std::string(name) + ".bmp", file));
        EXPECT_EQ(dib.GetDIB(), file.GetDIB()) << name;
    }
}

} // namespace
