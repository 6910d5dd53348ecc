// Reduced copies of an image for drawing it small, and the pixel work of drawing it large.
// Each level is the image reduced by a power of two, every pixel the average of the block of
// image pixels it covers; drawing at a small zoom starts from the level closest to the size
// wanted, so that the result averages the pixels it hides instead of skipping them, and costs
// no more than the window's size. Levels take at most the memory budget they are given.
#pragma once

#include "imaging/dib_bytes.h"
#include "imaging/dib_format.h"

#include <atomic>
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
    // grey levels. False, with no levels, when the block cannot be described, memory runs
    // out, or the cancel flag (polled per band of rows) is set.
    bool Build(const unsigned char* dib, size_t size, size_t budgetBytes,
               const std::atomic<bool>* cancel = nullptr);
    void Clear() { m_levels.clear(); }

    const std::vector<DisplayLevel>& Levels() const { return m_levels; }
    // The level to draw a picture of width x height pixels from: the most reduced one that
    // is still at least as large as the picture. Null when none is: the image itself is drawn.
    const DisplayLevel* LevelFor(int width, int height) const;
    size_t BytesUsed() const;

private:
    std::vector<DisplayLevel> m_levels;
};

// The bytes the levels from factor `finest` up to kMaxLevelFactor take for an image.
size_t LevelBytes(int width, int height, int finest, int bytesPerPixel);

// The same as ConvertDIBToRGB32 for a block described by DescribeDIB, quicker for
// uncompressed 24-bit images.
bool ConvertViewPixels(const unsigned char* dib, const DIBLayout& layout, int left, int top,
                       int width, int height, uint32_t* out, size_t stride);

// For the window pixels first .. first+count-1 of a picture of `zoomed` pixels showing
// `image` pixels, the image pixel each shows: (first + i) * image / zoomed.
void NearestIndices(int first, int count, int image, int zoomed, std::vector<int>& out);

// Rows of pixels to draw from: bytesPerPixel 1 (grey), 3 (blue, green, red) or 4 (blue,
// green, red, unused). Row y (0 at the top) starts at top + y * stride; the stride is
// negative for rows stored bottom-up.
struct PixelRows
{
    const unsigned char* top = nullptr;
    ptrdiff_t stride = 0;
    int width = 0;
    int height = 0;
    int bytesPerPixel = 3;

    const unsigned char* Row(int y) const { return top + ptrdiff_t(y) * stride; }
};

PixelRows LevelRows(const DisplayLevel& level);
// The rows of an uncompressed 24-bit image, of a 32-bit one with the usual 8-8-8 colour
// layout, or of an 8-bit one whose colour table is the grey ramp; false for any other.
bool ImageRows(const unsigned char* dib, const DIBLayout& layout, PixelRows& rows);

// Memory the scaling below keeps between calls.
struct ScaleScratch
{
    std::vector<int> offsets;
    std::vector<uint16_t> weights;
    std::vector<uint16_t> spread;
    std::vector<unsigned char> row;
};

// Scales part of src with bilinear filtering into width x height pixels 0xFFRRGGBB (stride
// values from row to row): output pixel (i, j) samples the source at (left + (i + 0.5) * kx -
// 0.5, top + (j + 0.5) * ky - 0.5), positions beyond the edges taking the edge pixels. Each
// output pixel reads four source pixels, whatever the scale, so the cost follows the output;
// below a scale of 1/2 it skips pixels (draw from a reduced level there). False when memory
// runs out.
bool ScaleBilinear(const PixelRows& src, double left, double top, double kx, double ky, int width,
                   int height, uint32_t* out, size_t stride, ScaleScratch& scratch);

// Enlarges by repeating pixels: output row j, column i shows source pixel (xs[i], ys[j]).
void ScaleNearest(const PixelRows& src, const std::vector<int>& xs, const std::vector<int>& ys,
                  uint32_t* out, size_t outStride);

} // namespace nv
