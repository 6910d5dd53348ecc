// Drawing a COXDIB with QPainter, and making one from a QImage.
#include "imaging/dib.h"
#include "tests/imaging/test_images.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using nv::test::LoadBmpFixture;
using nv::test::RecordedPixels;
using nv::test::RGBImage;

namespace {

constexpr QRgb kBackground = 0xFF123456;

QImage Canvas(int width, int height)
{
    QImage canvas(width, height, QImage::Format_RGB32);
    canvas.fill(kBackground);
    return canvas;
}

QRgb At(const RGBImage& image, int x, int y)
{
    const uint8_t* p = image.rgb.data() + (size_t(y) * image.width + x) * 3;
    return qRgb(p[0], p[1], p[2]);
}

TEST(DibPaintTest, OneToOneCopiesTheSourceRectangle)
{
    COXDIB dib;
    ASSERT_TRUE(LoadBmpFixture("rgb24.bmp", dib));
    const RGBImage expected = RecordedPixels("rgb24", 37, 23);
    QImage canvas = Canvas(60, 40);
    {
        QPainter painter(&canvas);
        EXPECT_EQ(dib.Paint(painter, QRect(10, 5, 20, 12), QRect(4, 3, 20, 12)), 12);
    }
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) {
            const bool inside = x >= 10 && x < 30 && y >= 5 && y < 17;
            ASSERT_EQ(canvas.pixel(x, y), inside ? At(expected, x - 6, y - 2) : kBackground)
                << x << "," << y;
        }
}

TEST(DibPaintTest, StretchingRepeatsAndShrinkingSamplesPixels)
{
    COXDIB dib;
    ASSERT_TRUE(LoadBmpFixture("topdown24.bmp", dib));
    const RGBImage expected = RecordedPixels("topdown24", 37, 23);

    QImage big = Canvas(74, 46);
    {
        QPainter painter(&big);
        dib.Paint(painter, QRect(0, 0, 74, 46), QRect(0, 0, 37, 23));
    }
    for (int y = 0; y < 46; ++y)
        for (int x = 0; x < 74; ++x)
            ASSERT_EQ(big.pixel(x, y), At(expected, x / 2, y / 2)) << x << "," << y;

    // Shrinking the doubled picture by two gives the original back.
    COXDIB doubled;
    ASSERT_TRUE(doubled.BitmapToDIB(big));
    QImage small = Canvas(37, 23);
    {
        QPainter painter(&small);
        doubled.Paint(painter, QRect(0, 0, 37, 23), QRect(0, 0, 74, 46));
    }
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x)
            ASSERT_EQ(small.pixel(x, y), At(expected, x, y)) << x << "," << y;
}

TEST(DibPaintTest, OnlyTheClipRegionIsDrawn)
{
    COXDIB dib;
    ASSERT_TRUE(LoadBmpFixture("rle8.bmp", dib));
    QImage whole = Canvas(111, 69), clipped = Canvas(111, 69);
    {
        QPainter painter(&whole);
        dib.Paint(painter, QRect(0, 0, 111, 69), QRect(0, 0, 37, 23));
    }
    {
        QPainter painter(&clipped);
        painter.setClipRect(QRect(30, 20, 25, 10));
        EXPECT_GT(dib.Paint(painter, QRect(0, 0, 111, 69), QRect(0, 0, 37, 23)), 0);
    }
    for (int y = 0; y < 69; ++y)
        for (int x = 0; x < 111; ++x) {
            const bool inside = x >= 30 && x < 55 && y >= 20 && y < 30;
            ASSERT_EQ(clipped.pixel(x, y), inside ? whole.pixel(x, y) : kBackground)
                << x << "," << y;
        }
}

TEST(DibPaintTest, NothingToDraw)
{
    QImage canvas = Canvas(10, 10);
    QPainter painter(&canvas);
    COXDIB empty;
    EXPECT_EQ(empty.Paint(painter, QRect(0, 0, 10, 10), QRect(0, 0, 10, 10)), 0);
    COXDIB dib;
    ASSERT_TRUE(LoadBmpFixture("pal4.bmp", dib));
    EXPECT_EQ(dib.Paint(painter, QRect(0, 0, 10, 10), QRect(40, 0, 10, 10)), 0);  // outside
    EXPECT_EQ(dib.Paint(painter, QRect(20, 20, 10, 10), QRect(0, 0, 10, 10)), 0); // off canvas
}

TEST(DibBitmapTest, IndexedMonoAndTrueColourImages)
{
    QImage indexed(5, 3, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(10, 20, 30), qRgb(200, 100, 50), qRgb(0, 255, 0)});
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            indexed.setPixel(x, y, uint((x + y) % 3));
    COXDIB dib;
    ASSERT_TRUE(dib.BitmapToDIB(indexed));
    EXPECT_EQ(dib.GetNumBitsPerPixel(), 8u);
    EXPECT_EQ(dib.GetNumColors(), 256u);
    RGBImage pixels = nv::test::PixelsOf(dib);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            ASSERT_EQ(At(pixels, x, y), indexed.pixel(x, y));

    QImage mono(11, 2, QImage::Format_MonoLSB);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mono.fill(0);
    mono.setPixel(10, 1, 1);
    mono.setPixel(0, 0, 1);
    ASSERT_TRUE(dib.BitmapToDIB(mono));
    EXPECT_EQ(dib.GetNumBitsPerPixel(), 1u);
    pixels = nv::test::PixelsOf(dib);
    EXPECT_EQ(At(pixels, 10, 1), qRgb(255, 255, 255));
    EXPECT_EQ(At(pixels, 0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(At(pixels, 1, 0), qRgb(0, 0, 0));

    QImage argb(3, 2, QImage::Format_ARGB32);
    argb.fill(qRgba(1, 2, 3, 255));
    argb.setPixel(2, 1, qRgba(250, 128, 7, 255));
    ASSERT_TRUE(dib.BitmapToDIB(argb));
    EXPECT_EQ(dib.GetNumBitsPerPixel(), 24u);
    pixels = nv::test::PixelsOf(dib);
    EXPECT_EQ(At(pixels, 2, 1), qRgb(250, 128, 7));
    EXPECT_EQ(At(pixels, 0, 0), qRgb(1, 2, 3));

    // A palette replaces the leading colours; a null image changes nothing.
    const COXPalette palette({{9, 9, 9, 0}});
    ASSERT_TRUE(dib.BitmapToDIB(indexed, &palette));
    EXPECT_EQ(dib.GetPalette()->Entries()[0], (PaletteEntry{9, 9, 9, 0}));
    EXPECT_EQ(dib.GetPalette()->Entries()[1], (PaletteEntry{200, 100, 50, 0}));
    EXPECT_FALSE(dib.BitmapToDIB(QImage()));
    EXPECT_EQ(dib.GetNumBitsPerPixel(), 8u);
}

} // namespace
