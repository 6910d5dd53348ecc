// Reading BMP streams: every stored form written by real tools, and malformed or truncated
// streams, which must fail with the image empty.
#include "imaging/bmp_memory_file.h"
#include "imaging/dib.h"
#include "platform/file.h"
#include "tests/imaging/test_images.h"

#include <gtest/gtest.h>

#include <cstring>

using nv::GetLE32;
using nv::test::FixturePath;
using nv::test::LoadBmpFixture;
using nv::test::PixelsOf;
using nv::test::ReadBytes;
using nv::test::RecordedPixels;

namespace {

struct BmpCase
{
    const char* name;
    unsigned bits;
    uint32_t colors;
    uint32_t compression;
    uint32_t headerSize; // of the block
};

void PrintTo(const BmpCase& c, std::ostream* os)
{
    *os << c.name;
}

class BmpFixtureTest : public testing::TestWithParam<BmpCase>
{
};

TEST_P(BmpFixtureTest, ReadsWhatAnIndependentDecoderReads)
{
    const BmpCase& c = GetParam();
    COXDIB dib;
    std::string reason;
    ASSERT_TRUE(LoadBmpFixture(c.name, dib, &reason)) << reason;
    EXPECT_EQ(dib.GetSize(), (DIBSize{37, 23}));
    EXPECT_EQ(dib.GetNumBitsPerPixel(), c.bits);
    EXPECT_EQ(dib.GetNumColors(), c.colors);
    EXPECT_EQ(GetLE32(dib.GetDIB().data()), c.headerSize);
    EXPECT_EQ(GetLE32(dib.GetDIB().data() + 16), c.compression);
    EXPECT_EQ(dib.GetPalette() != nullptr, c.colors != 0);
    EXPECT_TRUE(PixelsOf(dib) == RecordedPixels(c.name, 37, 23));
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, BmpFixtureTest,
    testing::Values(BmpCase{"mono1.bmp", 1, 2, 0, 40}, BmpCase{"pal4.bmp", 4, 16, 0, 40},
                    BmpCase{"pal8.bmp", 8, 256, 0, 40}, BmpCase{"gray8.bmp", 8, 256, 0, 40},
                    BmpCase{"rle8.bmp", 8, 256, 1, 40}, BmpCase{"rle4.bmp", 4, 16, 2, 40},
                    BmpCase{"os2_8.bmp", 8, 256, 0, 40}, BmpCase{"os2_24.bmp", 24, 0, 0, 40},
                    BmpCase{"rgb16.bmp", 16, 0, 0, 40}, BmpCase{"bitfields16.bmp", 16, 0, 3, 40},
                    BmpCase{"rgb555_nomasks.bmp", 16, 0, 3, 40},
                    BmpCase{"rgb565_v5.bmp", 16, 0, 3, 124}, BmpCase{"rgb24.bmp", 24, 0, 0, 40},
                    BmpCase{"rgb24_v5.bmp", 24, 0, 0, 124}, BmpCase{"topdown24.bmp", 24, 0, 0, 40},
                    BmpCase{"gap24.bmp", 24, 0, 0, 40}, BmpCase{"sizeimage0.bmp", 8, 256, 0, 40},
                    BmpCase{"rgb32.bmp", 32, 0, 0, 40}, BmpCase{"argb32_v5.bmp", 32, 0, 3, 124}),
    [](const testing::TestParamInfo<BmpCase>& info) {
        std::string name = info.param.name;
        return name.substr(0, name.find('.'));
    });

TEST(DibReadTest, CoreHeaderBecomesInfoHeaderWithFourByteEntriesOfTheSameColours)
{
    const std::vector<unsigned char> file = ReadBytes(FixturePath("os2_8.bmp"));
    COXDIB dib;
    ASSERT_TRUE(LoadBmpFixture("os2_8.bmp", dib));
    const unsigned char* block = dib.GetDIB().data();
    EXPECT_EQ(GetLE32(block + 32), 256u); // biClrUsed filled in
    for (int i = 0; i < 256; ++i) {
        const unsigned char* triple = file.data() + 14 + 12 + i * 3;
        const unsigned char* entry = block + 40 + i * 4;
        ASSERT_EQ(0, std::memcmp(triple, entry, 3)) << "entry " << i;
        ASSERT_EQ(entry[3], 0);
    }
    EXPECT_EQ(dib.FindDIBBits(), block + 40 + 1024);
}

TEST(DibReadTest, ImageSizeZeroIsComputedAndMasksAreKeptBeforeThePixels)
{
    COXDIB dib;
    ASSERT_TRUE(LoadBmpFixture("sizeimage0.bmp", dib));
    EXPECT_EQ(GetLE32(dib.GetDIB().data() + 20), 40u * 23); // 37 bytes padded to 40

    ASSERT_TRUE(LoadBmpFixture("bitfields16.bmp", dib));
    const unsigned char* block = dib.GetDIB().data();
    EXPECT_EQ(GetLE32(block + 40), 0xF800u);
    EXPECT_EQ(GetLE32(block + 44), 0x07E0u);
    EXPECT_EQ(GetLE32(block + 48), 0x001Fu);
    EXPECT_EQ(dib.FindDIBBits(), block + 52);
    EXPECT_EQ(dib.GetDIB().size(), 52u + 76 * 23);

    // A writer that left the masks out gets the 5-5-5 layout the bit count implies.
    ASSERT_TRUE(LoadBmpFixture("rgb555_nomasks.bmp", dib));
    EXPECT_EQ(GetLE32(dib.GetDIB().data() + 40), 0x7C00u);
}

// A stream cut anywhere before its end fails and leaves the image empty.
TEST(DibReadTest, EveryTruncationFailsAndLeavesTheImageEmpty)
{
    for (const char* name : {"rgb24.bmp", "pal8.bmp", "os2_8.bmp", "rle8.bmp", "rle4.bmp",
                             "bitfields16.bmp", "gap24.bmp", "rgb24_v5.bmp"}) {
        const std::vector<unsigned char> file = ReadBytes(FixturePath(name));
        for (size_t length = 0; length < file.size(); ++length) {
            COXDIB dib;
            ASSERT_TRUE(LoadBmpFixture("mono1.bmp", dib));
            nv::MemoryFile stream(std::vector<unsigned char>(file.begin(), file.begin() + length));
            std::string reason;
            ASSERT_FALSE(dib.Read(stream, &reason)) << name << " cut to " << length;
            ASSERT_TRUE(dib.IsEmpty());
            ASSERT_FALSE(reason.empty());
        }
    }
}

struct Patch
{
    const char* what;
    size_t offset; // in the file
    int size;      // 2 or 4 bytes
    uint32_t value;
};

void PrintTo(const Patch& p, std::ostream* os)
{
    *os << p.what;
}

class MalformedHeaderTest : public testing::TestWithParam<Patch>
{
};

TEST_P(MalformedHeaderTest, IsRefusedBeforeAnythingIsRead)
{
    const Patch& p = GetParam();
    std::vector<unsigned char> file = ReadBytes(FixturePath("pal8.bmp"));
    for (int i = 0; i < p.size; ++i)
        file[p.offset + i] = uint8_t(p.value >> (8 * i));
    nv::MemoryFile stream(std::move(file));
    COXDIB dib;
    std::string reason;
    EXPECT_FALSE(dib.Read(stream, &reason));
    EXPECT_TRUE(dib.IsEmpty());
    EXPECT_FALSE(reason.empty());
}

// Offsets: file header 0..13, then biSize 14, biWidth 18, biHeight 22, biPlanes 26,
// biBitCount 28, biCompression 30, biSizeImage 34, biClrUsed 46.
INSTANTIATE_TEST_SUITE_P(
    Headers, MalformedHeaderTest,
    testing::Values(Patch{"signature", 0, 2, 0x5842}, Patch{"header_size_0", 14, 4, 0},
                    Patch{"header_size_20", 14, 4, 20}, Patch{"header_size_4000", 14, 4, 4000},
                    Patch{"width_0", 18, 4, 0}, Patch{"width_negative", 18, 4, 0xFFFFFFF0},
                    Patch{"height_0", 22, 4, 0}, Patch{"height_min", 22, 4, 0x80000000},
                    Patch{"bits_0", 28, 2, 0}, Patch{"bits_2", 28, 2, 2},
                    Patch{"bits_64", 28, 2, 64}, Patch{"rle4_with_8_bits", 30, 4, 2},
                    Patch{"bitfields_with_8_bits", 30, 4, 3}, Patch{"jpeg_compression", 30, 4, 4},
                    Patch{"colors_257", 46, 4, 257},
                    Patch{"width_beyond_32_bit_size", 18, 4, 0x7FFFFFFF},
                    Patch{"rows_beyond_stream", 22, 4, 30000},
                    Patch{"pixel_offset_beyond_end", 10, 4, 0x00FFFFFF},
                    Patch{"pixel_offset_0", 10, 4, 0},
                    Patch{"pixel_offset_inside_the_header", 10, 4, 14 + 20},
                    Patch{"pixel_offset_inside_the_colour_table", 10, 4, 14 + 40 + 512}),
    [](const testing::TestParamInfo<Patch>& info) { return std::string(info.param.what); });

// An 8-bit run-length BMP of width x height pixels with the given data and two colours.
std::vector<unsigned char> RunLengthBmp(int32_t width, int32_t height,
                                        const std::vector<unsigned char>& data)
{
    std::vector<unsigned char> file(14 + 40 + 8);
    file[0] = 'B';
    file[1] = 'M';
    nv::PutLE32(file.data() + 2, uint32_t(file.size() + data.size()));
    nv::PutLE32(file.data() + 10, uint32_t(file.size()));
    nv::BitmapInfoHeader h;
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = 8;
    h.biCompression = nv::kBiRLE8;
    h.biSizeImage = uint32_t(data.size());
    h.biClrUsed = 2;
    h.Store(file.data() + 14);
    file[14 + 40 + 4] = file[14 + 40 + 5] = file[14 + 40 + 6] = 255; // colour 1: white
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

// Run-length data must describe the image to its end (or end it with the end-of-bitmap
// code); data that stops before was cut short, whatever the header declares.
TEST(DibReadTest, RunLengthDataThatStopsShortIsRefused)
{
    const std::vector<unsigned char> row = {4, 1, 0, 0}; // four white pixels, end of line
    auto rows = [&](int n, std::vector<unsigned char> tail) {
        std::vector<unsigned char> data;
        for (int i = 0; i < n; ++i)
            data.insert(data.end(), row.begin(), row.end());
        data.insert(data.end(), tail.begin(), tail.end());
        return data;
    };
    struct Case
    {
        const char* what;
        std::vector<unsigned char> data;
        bool loads;
    };
    for (const Case& c : {
             Case{"every row, end of bitmap", rows(3, {0, 1}), true},
             Case{"every row, no end code", rows(3, {}), true},
             Case{"last row without its end of line", rows(2, {4, 1}), true},
             Case{"end of bitmap after one row", rows(1, {0, 1}), true},
             Case{"moved past the last row", rows(1, {0, 2, 0, 5}), true},
             Case{"rows missing", rows(2, {}), false},
             Case{"cut inside an absolute run", rows(2, {0, 4, 1, 1}), false},
             Case{"cut inside a move", rows(1, {0, 2}), false},
         }) {
        nv::MemoryFile stream(RunLengthBmp(4, 3, c.data));
        COXDIB dib;
        std::string reason;
        EXPECT_EQ(dib.Read(stream, &reason), c.loads) << c.what << ": " << reason;
        if (!c.loads) {
            EXPECT_EQ(reason, "the run-length data ends before the image does") << c.what;
        }
    }
}

// Images whose pixels cannot fit in the memory there is are refused before anything is
// allocated, naming their size; run-length images count with their expanded pixels.
TEST(DibReadTest, ImagesBeyondTheMemoryBudgetAreRefused)
{
    nv::test::ScopedImageMemoryBudget budget(2000);
    COXDIB dib;
    std::string reason;
    EXPECT_FALSE(LoadBmpFixture("rgb24.bmp", dib, &reason));
    EXPECT_EQ(reason, "the image is too large for this computer's memory: 37 x 23 pixels need "
                      "1 MB, and at most 0 MB are available");
    EXPECT_TRUE(LoadBmpFixture("mono1.bmp", dib, &reason)) << reason;

    // 64 bytes that end the bitmap at once, but a megabyte once expanded.
    nv::MemoryFile blank(RunLengthBmp(1000, 1000, {0, 1}));
    EXPECT_FALSE(dib.Read(blank, &reason));
    EXPECT_NE(reason.find("1000 x 1000 pixels need 1 MB"), std::string::npos) << reason;
}

TEST(DibReadTest, RunLengthImagesCannotBeTopDown)
{
    std::vector<unsigned char> file = ReadBytes(FixturePath("rle8.bmp"));
    nv::PutLE32(file.data() + 22, uint32_t(-23));
    nv::MemoryFile stream(std::move(file));
    COXDIB dib;
    EXPECT_FALSE(dib.Read(stream));
}

// An in-memory BMP stream laid out as the block is handed over, not copied.
TEST(DibReadTest, MemoryStreamIsTakenOverWithoutACopy)
{
    COXDIB source;
    ASSERT_TRUE(LoadBmpFixture("pal8.bmp", source));
    nv::BmpMemoryFile memory;
    ASSERT_TRUE(source.Write(memory));
    const unsigned char* buffer = memory.DIB().data();
    memory.SeekToBegin();

    COXDIB dib;
    ASSERT_TRUE(dib.Read(memory));
    EXPECT_EQ(dib.GetDIB().data(), buffer);
    EXPECT_TRUE(PixelsOf(dib) == PixelsOf(source));

    // With a gap before the pixels the stream is read the ordinary way.
    nv::BmpMemoryFile gapped;
    const std::vector<unsigned char> file = ReadBytes(FixturePath("gap24.bmp"));
    gapped.Write(file.data(), file.size());
    gapped.SeekToBegin();
    ASSERT_TRUE(dib.Read(gapped));
    EXPECT_TRUE(PixelsOf(dib) == RecordedPixels("gap24", 37, 23));
}

} // namespace
