// The display conversion: parts of images, run-length data that runs past the image or ends
// early, unusual colour masks, and blocks that declare more than they hold.
#include "imaging/dib.h"
#include "imaging/dib_display.h"
#include "tests/imaging/test_images.h"

#include <gtest/gtest.h>

using nv::test::LoadBmpFixture;

namespace {

// A packed DIB: 40-byte header, extra bytes (masks), colour table, pixel data.
nv::DIBBytes Block(int width, int height, int bits, uint32_t compression,
                   std::vector<uint32_t> colors, std::vector<unsigned char> pixels,
                   std::vector<uint32_t> masks = {})
{
    nv::BitmapInfoHeader h;
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = uint16_t(bits);
    h.biCompression = compression;
    h.biSizeImage = uint32_t(pixels.size());
    h.biClrUsed = uint32_t(colors.size());
    nv::DIBBytes block(40 + masks.size() * 4 + colors.size() * 4);
    h.Store(block.data());
    size_t at = 40;
    for (uint32_t v : masks)
        nv::PutLE32(block.data() + at, v), at += 4;
    for (uint32_t v : colors) // 0x00RRGGBB
        nv::PutLE32(block.data() + at, v), at += 4;
    block.insert(block.end(), pixels.begin(), pixels.end());
    return block;
}

std::vector<uint32_t> Convert(const nv::DIBBytes& block, int left, int top, int width, int height)
{
    std::vector<uint32_t> out(size_t(width) * size_t(height), 0x12345678);
    if (!nv::ConvertDIBToRGB32(block.data(), block.size(), left, top, width, height, out.data(),
                               size_t(width)))
        return {};
    for (uint32_t& v : out)
        v &= 0xFFFFFF;
    return out;
}

const uint32_t K = 0x000000, R = 0xFF0000, G = 0x00FF00, B = 0x0000FF;

TEST(DisplayTest, PartsOfAnImageMatchTheWholeImage)
{
    for (const char* name : {"mono1.bmp", "pal4.bmp", "rle8.bmp", "rle4.bmp", "topdown24.bmp",
                             "bitfields16.bmp", "rgb32.bmp"}) {
        COXDIB dib;
        ASSERT_TRUE(LoadBmpFixture(name, dib));
        const nv::DIBBytes& block = dib.GetDIB();
        const std::vector<uint32_t> whole = Convert(block, 0, 0, 37, 23);
        ASSERT_EQ(whole.size(), 37u * 23);
        for (auto [l, t, w, h] : {std::array{0, 0, 1, 1}, std::array{5, 3, 17, 9},
                                  std::array{36, 22, 1, 1}, std::array{9, 0, 28, 23}}) {
            const std::vector<uint32_t> part = Convert(block, l, t, w, h);
            ASSERT_EQ(part.size(), size_t(w * h)) << name;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    ASSERT_EQ(part[y * w + x], whole[(t + y) * 37 + l + x])
                        << name << " at " << l + x << "," << t + y;
        }
        EXPECT_TRUE(Convert(block, 30, 0, 8, 1).empty()) << name; // reaches past the right edge
        EXPECT_TRUE(Convert(block, 0, -1, 1, 1).empty()) << name;
    }
}

TEST(DisplayTest, RunLengthDataIsClippedToTheImage)
{
    const std::vector<uint32_t> colors = {K, R, G, B};
    // 4 x 2 RLE8, bottom row first: a run of 6 (2 beyond the row), end of line, a delta right
    // by 1 and up by 5 (beyond the top), then pixels that must not appear.
    const nv::DIBBytes runs =
        Block(4, 2, 8, nv::kBiRLE8, colors, {6, 1, 0, 0, 1, 2, 0, 2, 1, 5, 4, 3, 0, 1});
    EXPECT_EQ(Convert(runs, 0, 0, 4, 2), (std::vector<uint32_t>{G, K, K, K, R, R, R, R}));

    // An absolute piece longer than the data stops; what was decoded stays.
    const nv::DIBBytes cut = Block(4, 1, 8, nv::kBiRLE8, colors, {2, 3, 0, 5, 1, 2});
    EXPECT_EQ(Convert(cut, 0, 0, 4, 1), (std::vector<uint32_t>{B, B, K, K}));

    // RLE4: runs alternate the two nibbles, absolute pieces are nibble-packed and padded.
    const nv::DIBBytes rle4 =
        Block(6, 1, 4, nv::kBiRLE4, colors, {3, 0x12, 0, 3, 0x31, 0x20, 0, 1});
    EXPECT_EQ(Convert(rle4, 0, 0, 6, 1), (std::vector<uint32_t>{R, G, R, B, R, G}));

    // Colour indices beyond the table show black.
    const nv::DIBBytes beyond = Block(2, 1, 8, nv::kBiRGB, {R, G}, {1, 200, 0, 0});
    EXPECT_EQ(Convert(beyond, 0, 0, 2, 1), (std::vector<uint32_t>{G, K}));
}

TEST(DisplayTest, ColourMasksOfAnyWidth)
{
    // 16 bits: 4-bit red in the top nibble, 12-bit green below, no blue mask.
    const nv::DIBBytes odd =
        Block(2, 1, 16, nv::kBiBitfields, {}, {0x00, 0xF0, 0xFF, 0x0F}, {0xF000, 0x0FFF, 0});
    EXPECT_EQ(Convert(odd, 0, 0, 2, 1), (std::vector<uint32_t>{0xFF0000, 0x00FF00}));

    // 32 bits with the channels in the high bytes.
    const nv::DIBBytes high = Block(1, 1, 32, nv::kBiBitfields, {}, {0x00, 0x30, 0x20, 0x10},
                                    {0xFF000000, 0x00FF0000, 0x0000FF00});
    EXPECT_EQ(Convert(high, 0, 0, 1, 1), (std::vector<uint32_t>{0x102030}));
}

TEST(DisplayTest, BlocksThatDeclareMoreThanTheyHoldAreRefused)
{
    nv::DIBBytes short24 = Block(4, 4, 24, nv::kBiRGB, {}, std::vector<unsigned char>(47));
    EXPECT_TRUE(Convert(short24, 0, 0, 1, 1).empty());
    short24.resize(40 + 48);
    EXPECT_FALSE(Convert(short24, 0, 0, 4, 4).empty());

    nv::DIBBytes table = Block(1, 1, 8, nv::kBiRGB, {R, G, B}, {0, 0, 0, 0});
    nv::PutLE32(table.data() + 32, 256); // more colours than the block holds
    EXPECT_TRUE(Convert(table, 0, 0, 1, 1).empty());

    nv::DIBBytes rle = Block(2, 2, 8, nv::kBiRLE8, {R}, {2, 0, 0, 1});
    nv::PutLE32(rle.data() + 20, 1000); // compressed size beyond the block
    EXPECT_TRUE(Convert(rle, 0, 0, 2, 2).empty());

    const nv::DIBBytes masks = Block(1, 1, 16, nv::kBiBitfields, {}, {});
    EXPECT_TRUE(Convert(masks, 0, 0, 1, 1).empty());
    EXPECT_FALSE(nv::ConvertDIBToRGB32(nullptr, 0, 0, 0, 1, 1, nullptr, 1));
}

TEST(DisplayTest, ExpandedRunLengthImageShowsTheSame)
{
    for (const char* name : {"rle8.bmp", "rle4.bmp"}) {
        COXDIB dib;
        ASSERT_TRUE(LoadBmpFixture(name, dib));
        nv::DIBBytes expanded;
        ASSERT_TRUE(nv::ExpandRLE(dib.GetDIB().data(), dib.GetDIB().size(), expanded));
        EXPECT_EQ(nv::GetLE32(expanded.data() + 16), uint32_t(nv::kBiRGB));
        EXPECT_EQ(Convert(expanded, 0, 0, 37, 23), Convert(dib.GetDIB(), 0, 0, 37, 23)) << name;
    }
    COXDIB plain;
    ASSERT_TRUE(LoadBmpFixture("pal8.bmp", plain));
    nv::DIBBytes out;
    EXPECT_FALSE(nv::ExpandRLE(plain.GetDIB().data(), plain.GetDIB().size(), out));
}

} // namespace
