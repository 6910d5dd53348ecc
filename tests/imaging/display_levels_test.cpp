// Reduced levels, fast pixel conversion and nearest-pixel enlargement.
#include "imaging/display_levels.h"

#include "imaging/dib_display.h"
#include "imaging/dib_format.h"
#include "imaging/view_mapping.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

using namespace nv;

namespace {

// A packed DIB with a 40-byte header; colour(x, y) gives 0xRRGGBB for 24 bits or the index
// for 8 bits. Rows are stored bottom-up, or top-down with a negative height.
DIBBytes MakeDIB(int width, int height, int bits, const std::function<uint32_t(int, int)>& colour,
                 bool topDown = false, const std::vector<uint32_t>& table = {})
{
    const size_t rowSize = size_t(DIBRowSize(uint64_t(width), unsigned(bits)));
    const size_t tableBytes = table.size() * 4;
    DIBBytes block(kInfoHeaderSize + tableBytes + rowSize * size_t(height), 0);
    BitmapInfoHeader h;
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = topDown ? -height : height;
    h.biPlanes = 1;
    h.biBitCount = uint16_t(bits);
    h.biSizeImage = uint32_t(rowSize * size_t(height));
    h.biClrUsed = uint32_t(table.size());
    h.Store(block.data());
    for (size_t i = 0; i < table.size(); ++i)
        PutLE32(block.data() + kInfoHeaderSize + i * 4, table[i]);
    unsigned char* bits0 = block.data() + kInfoHeaderSize + tableBytes;
    for (int y = 0; y < height; ++y) {
        unsigned char* row = bits0 + size_t(topDown ? y : height - 1 - y) * rowSize;
        for (int x = 0; x < width; ++x) {
            const uint32_t c = colour(x, y);
            if (bits == 24) {
                row[3 * x] = uint8_t(c);
                row[3 * x + 1] = uint8_t(c >> 8);
                row[3 * x + 2] = uint8_t(c >> 16);
            } else {
                row[x] = uint8_t(c);
            }
        }
    }
    return block;
}

uint32_t Noise(int x, int y)
{
    uint32_t v = uint32_t(x) * 2654435761u ^ uint32_t(y) * 40503u;
    v ^= v >> 13;
    return (v * 2246822519u) & 0xFFFFFF;
}

// The rounded average of one channel over a block of the picture.
int BlockAverage(int width, int height, int x0, int y0, int size, int shift)
{
    int sum = 0, n = 0;
    for (int y = y0; y < std::min(height, y0 + size); ++y)
        for (int x = x0; x < std::min(width, x0 + size); ++x, ++n)
            sum += int((Noise(x, y) >> shift) & 0xFF);
    return (sum + n / 2) / n;
}

int LevelChannel(const DisplayLevel& level, int x, int y, int channel)
{
    return level.pixels[size_t(y) * level.stride + size_t(x) * 3 + size_t(channel)];
}

} // namespace

TEST(DisplayLevels, EachLevelAveragesTheBlocksItCovers)
{
    for (bool topDown : {false, true}) {
        // Odd sizes: the last row and column of blocks are partial.
        const int w = 37, h = 29;
        const DIBBytes dib = MakeDIB(w, h, 24, Noise, topDown);
        DisplayLevels levels;
        ASSERT_TRUE(levels.Build(dib.data(), dib.size(), dib.size()));
        ASSERT_EQ(levels.Levels().size(), 3u);
        const DisplayLevel& half = levels.Levels()[0];
        EXPECT_EQ(half.factor, 2);
        EXPECT_EQ(half.width, 19);
        EXPECT_EQ(half.height, 15);
        EXPECT_EQ(half.format, LevelFormat::Rgb24);
        EXPECT_EQ(levels.Levels()[2].width, 5);
        for (int y = 0; y < half.height; ++y) {
            for (int x = 0; x < half.width; ++x) {
                // Stored blue, green, red.
                ASSERT_EQ(LevelChannel(half, x, y, 0), BlockAverage(w, h, 2 * x, 2 * y, 2, 0));
                ASSERT_EQ(LevelChannel(half, x, y, 2), BlockAverage(w, h, 2 * x, 2 * y, 2, 16));
            }
        }
    }
    // Coarser levels, where blocks are whole, are within one of the exact average.
    const DIBBytes dib = MakeDIB(64, 48, 24, Noise);
    DisplayLevels levels;
    ASSERT_TRUE(levels.Build(dib.data(), dib.size(), dib.size()));
    const DisplayLevel& eighth = levels.Levels()[2];
    EXPECT_EQ(eighth.factor, 8);
    for (int y = 0; y < eighth.height; ++y)
        for (int x = 0; x < eighth.width; ++x)
            EXPECT_NEAR(LevelChannel(eighth, x, y, 1), BlockAverage(64, 48, 8 * x, 8 * y, 8, 8), 1);
}

TEST(DisplayLevels, FineLevelsAreLeftOutToStayWithinTheBudget)
{
    // 24 bits: all three levels fit into a third of the image.
    const DIBBytes colour = MakeDIB(800, 600, 24, Noise);
    DisplayLevels levels;
    ASSERT_TRUE(levels.Build(colour.data(), colour.size(), colour.size() / 3));
    EXPECT_EQ(levels.Levels().size(), 3u);
    EXPECT_LE(levels.BytesUsed(), colour.size() / 3);
    EXPECT_EQ(levels.LevelFor(80, 60)->factor, 8);
    EXPECT_EQ(levels.LevelFor(96, 72)->factor, 8);
    EXPECT_EQ(levels.LevelFor(104, 78)->factor, 4);
    EXPECT_EQ(levels.LevelFor(200, 150)->factor, 4);
    EXPECT_EQ(levels.LevelFor(400, 300)->factor, 2);
    EXPECT_EQ(levels.LevelFor(408, 306), nullptr);
    EXPECT_EQ(levels.LevelFor(800, 600), nullptr);

    // 8-bit colours: a 1/2 level in colour would take three quarters of the image.
    std::vector<uint32_t> palette(256);
    for (uint32_t i = 0; i < 256; ++i)
        palette[i] = (i * 0x10305u) & 0xFFFFFF;
    const DIBBytes indexed = MakeDIB(800, 600, 8, Noise, false, palette);
    ASSERT_TRUE(levels.Build(indexed.data(), indexed.size(), indexed.size() / 3));
    ASSERT_EQ(levels.Levels().size(), 2u);
    EXPECT_EQ(levels.Levels()[0].factor, 4);
    EXPECT_LE(levels.BytesUsed(), indexed.size() / 3);
    EXPECT_EQ(levels.LevelFor(400, 300), nullptr);

    // 8-bit greys keep one byte per pixel, so all levels fit.
    for (uint32_t i = 0; i < 256; ++i)
        palette[i] = i * 0x010101u;
    const DIBBytes grey = MakeDIB(
        800, 600, 8, [](int x, int) { return uint32_t(x % 256); }, false, palette);
    ASSERT_TRUE(levels.Build(grey.data(), grey.size(), grey.size() / 3));
    ASSERT_EQ(levels.Levels().size(), 3u);
    EXPECT_EQ(levels.Levels()[0].format, LevelFormat::Gray8);
    EXPECT_EQ(levels.Levels()[0].pixels[1], 3); // average of 2 and 3, rounded up
    uint32_t out = 0;
    ScaleNearest(LevelRows(levels.Levels()[0]), {1}, {0}, &out, 1);
    EXPECT_EQ(out, 0xFF030303u);

    // No room at all: no levels, and the image itself is drawn.
    ASSERT_TRUE(levels.Build(colour.data(), colour.size(), 100));
    EXPECT_TRUE(levels.Levels().empty());
    EXPECT_EQ(levels.LevelFor(80, 60), nullptr);
    // Not an image.
    EXPECT_FALSE(levels.Build(colour.data(), 20, colour.size()));
}

TEST(DisplayLevels, FastConversionMatchesTheGeneralOne)
{
    std::mt19937 random(3);
    for (bool topDown : {false, true}) {
        // Width 4: rows have no padding, so the last pixel ends the block.
        for (int w : {4, 5, 33}) {
            const int h = 7;
            const DIBBytes dib = MakeDIB(w, h, 24, Noise, topDown);
            DIBLayout l;
            ASSERT_TRUE(DescribeDIB(dib.data(), dib.size(), l));
            for (int i = 0; i < 20; ++i) {
                const int left = int(random() % unsigned(w));
                const int top = int(random() % unsigned(h));
                const int width = 1 + int(random() % unsigned(w - left));
                const int height = 1 + int(random() % unsigned(h - top));
                std::vector<uint32_t> fast(size_t(width * height)), general(fast.size());
                ASSERT_TRUE(
                    ConvertViewPixels(dib.data(), l, left, top, width, height, fast.data(), width));
                ASSERT_TRUE(ConvertDIBToRGB32(dib.data(), l, left, top, width, height,
                                              general.data(), width));
                EXPECT_EQ(fast, general);
            }
            uint32_t out;
            EXPECT_FALSE(ConvertViewPixels(dib.data(), l, w - 1, 0, 2, 1, &out, 2));
        }
    }
}

TEST(DisplayLevels, EnlargingRepeatsThePixelTheViewerReports)
{
    // 7 pixels shown 150 % wide as 10: each window column shows the pixel reported for it.
    std::vector<int> xs, ys;
    NearestIndices(0, 10, 7, 10, xs);
    EXPECT_EQ(xs, (std::vector<int>{0, 0, 1, 2, 2, 3, 4, 4, 5, 6}));
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(ImagePixelAt({x, 0}, {0, 0}, {7, 1}, {10, 1})->x, xs[size_t(x)]);

    // A 3 x 2 grey source at 200 %, drawn from window (1, 1).
    const unsigned char src[] = {1, 2, 3, 4, 5, 6};
    NearestIndices(1, 4, 3, 6, xs);
    NearestIndices(1, 3, 2, 4, ys);
    std::vector<uint32_t> out(12);
    ScaleNearest({src, 3, 3, 2, 1}, xs, ys, out.data(), 4);
    std::vector<uint32_t> expected;
    for (uint32_t v : {1, 2, 2, 3, 4, 5, 5, 6, 4, 5, 5, 6})
        expected.push_back(0xFF000000u | v * 0x010101u);
    EXPECT_EQ(out, expected);
}

TEST(DisplayLevels, FilteringSamplesBetweenTheFourNearestPixels)
{
    // Sources of every kind of row, scaled by every kind of factor, against the bilinear
    // sample computed plainly (positions beyond the edges take the edge pixels).
    struct Row
    {
        const char* name;
        int bytes, width, height;
        bool bottomUp;
        double left, top, kx, ky;
        int outW, outH;
    } rows[] = {
        {"colour level at 0.6", 3, 37, 29, false, 0, 0, 37.0 / 22, 29.0 / 17, 22, 17},
        {"colour image stored bottom-up, at 0.99", 3, 40, 30, true, 0, 0, 1.0101, 1.0101, 39, 29},
        {"a part from between pixels", 3, 40, 30, false, 5.3, 2.7, 1.7, 1.3, 15, 11},
        {"grey at 0.51", 1, 41, 31, false, 0, 0, 41.0 / 21, 31.0 / 16, 21, 16},
        {"32-bit at 0.75", 4, 24, 20, false, 0, 0, 4.0 / 3, 4.0 / 3, 18, 15},
        {"a first view enlarged three times", 3, 13, 9, false, 0, 0, 1.0 / 3, 1.0 / 3, 39, 27},
        {"one pixel", 3, 1, 1, false, 0, 0, 0.25, 0.25, 4, 4},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const size_t stride = size_t(r.width * r.bytes) + 2; // rows need no padding rule
        std::vector<unsigned char> pixels(stride * size_t(r.height));
        auto at = [&](int x, int y) {
            return pixels.data() + size_t(y) * stride + size_t(x * r.bytes);
        };
        for (int y = 0; y < r.height; ++y)
            for (int x = 0; x < r.width; ++x)
                for (int c = 0; c < r.bytes; ++c)
                    at(x, y)[c] = uint8_t(Noise(x, y) >> (8 * c));
        PixelRows src{pixels.data(), ptrdiff_t(stride), r.width, r.height, r.bytes};
        if (r.bottomUp) // the same picture, described from its last row
            src = {at(0, r.height - 1), -ptrdiff_t(stride), r.width, r.height, r.bytes};
        auto sourceAt = [&](int x, int y) {
            return r.bottomUp ? at(x, r.height - 1 - y) : at(x, y);
        };

        std::vector<uint32_t> out(size_t(r.outW * r.outH));
        ScaleScratch scratch;
        ASSERT_TRUE(ScaleBilinear(src, r.left, r.top, r.kx, r.ky, r.outW, r.outH, out.data(),
                                  size_t(r.outW), scratch));
        for (int j = 0; j < r.outH; ++j) {
            for (int i = 0; i < r.outW; ++i) {
                const double u = std::clamp(r.left + (i + 0.5) * r.kx - 0.5, 0.0, r.width - 1.0);
                const double v = std::clamp(r.top + (j + 0.5) * r.ky - 0.5, 0.0, r.height - 1.0);
                const int x0 = int(u), y0 = int(v);
                const int x1 = std::min(x0 + 1, r.width - 1), y1 = std::min(y0 + 1, r.height - 1);
                const double fx = u - x0, fy = v - y0;
                const uint32_t shown = out[size_t(j * r.outW + i)];
                ASSERT_EQ(shown >> 24, 0xFFu);
                for (int c = 0; c < 3; ++c) {
                    const int channel = r.bytes == 1 ? 0 : c;
                    auto value = [&](int x, int y) { return double(sourceAt(x, y)[channel]); };
                    const double expected =
                        (value(x0, y0) * (1 - fx) + value(x1, y0) * fx) * (1 - fy) +
                        (value(x0, y1) * (1 - fx) + value(x1, y1) * fx) * fy;
                    ASSERT_NEAR(double((shown >> (8 * c)) & 0xFF), expected, 2.0)
                        << "at " << i << "," << j << " channel " << c;
                }
            }
        }
    }
}
