// Reduced copies of an image for drawing it small, and the pixel work of drawing it large.
// Each level is the image reduced by a power of two, every pixel the average of the block of
// image pixels it covers; drawing at a small zoom starts from the level closest to the size
// wanted, so that the result averages the pixels it hides instead of skipping them, and costs
// no more than the window's size. Levels take at most the memory budget they are given.
#pragma once

#include "imaging/dib_bytes.h"
#include "imaging/dib_format.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace nv {

// How a level holds its pixels: blue, green, red bytes (the order of 24-bit images), or one
// grey byte.
enum class LevelFormat { Rgb24, Gray8 };

struct DisplayLevel
{
    int factor = 1; // image pixels per level pixel on each axis
    int width = 0;  // image width / factor, rounded up
    int height = 0;
    LevelFormat format = LevelFormat::Rgb24;
    size_t stride = 0; // bytes from one row to the next; rows run top to bottom
    DIBBytes pixels;

    int BytesPerPixel() const { return format == LevelFormat::Rgb24 ? 3 : 1; }
};

// The largest reduction kept: at the smallest zoom (10 %) a level of 1/8 is the closest one
// still larger than the picture drawn.
constexpr int kMaxLevelFactor = 8;

class DisplayLevels
{
public:
    // Builds the levels of a packed DIB: 1/2, 1/4 and 1/8, leaving out the finest ones when
    // all of them would take more than budgetBytes. Images whose colours are all grey get
    // grey levels. False, with no levels, when the block cannot be described or memory runs
    // out.
    bool Build(const unsigned char* dib, size_t size, size_t budgetBytes);
    void Clear() { m_levels.clear(); }

    const std::vector<DisplayLevel>& Levels() const { return m_levels; }
    // The level to draw from at a zoom in percent: the most reduced one whose factor times
    // the zoom is at most 100, so that it is still at least as large as the picture. Null
    // when none is: the image itself is drawn.
    const DisplayLevel* LevelFor(int zoom) const;
    size_t BytesUsed() const;

private:
    std::vector<DisplayLevel> m_levels;
};

// The bytes the levels from factor `finest` up to kMaxLevelFactor take for an image.
size_t LevelBytes(int width, int height, int finest, int bytesPerPixel);

// Writes the rectangle (left, top, width, height) of a level as 32-bit pixels 0xFFRRGGBB into
// out, stride pixels from row to row. False, with out untouched, when the rectangle does not
// lie inside the level.
bool LevelToRGB32(const DisplayLevel& level, int left, int top, int width, int height,
                  uint32_t* out, size_t stride);

// The same as ConvertDIBToRGB32 for a block described by DescribeDIB, quicker for
// uncompressed 24-bit images.
bool ConvertViewPixels(const unsigned char* dib, const DIBLayout& layout, int left, int top,
                       int width, int height, uint32_t* out, size_t stride);

// For the window pixels first .. first+count-1 of a picture of `zoomed` pixels showing
// `image` pixels, the image pixel each shows: (first + i) * image / zoomed.
void NearestIndices(int first, int count, int image, int zoomed, std::vector<int>& out);

// Enlarges by repeating pixels: output row j, column i takes src[(ys[j] - srcTop) * srcStride
// + xs[i] - srcLeft].
void ScaleNearest(const uint32_t* src, size_t srcStride, int srcLeft, int srcTop,
                  const std::vector<int>& xs, const std::vector<int>& ys, uint32_t* out,
                  size_t outStride);

} // namespace nv
