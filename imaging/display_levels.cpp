// Reduced levels of an image, and nearest-pixel enlargement.
#include "imaging/display_levels.h"

#include "imaging/dib_display.h"
#include "imaging/dib_format.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace nv {

namespace {

int LevelSide(int side, int factor)
{
    return int((int64_t(side) + factor - 1) / factor);
}

// True when every colour of the image's table is a grey.
bool IsGrey(const unsigned char* dib, const DIBLayout& l)
{
    if (l.bitCount > 8 || l.colorCount == 0)
        return false;
    const uint32_t n = std::min<uint32_t>(l.colorCount, 256);
    for (uint32_t i = 0; i < n; ++i) {
        const unsigned char* e = dib + l.colorTableOffset + size_t(i) * l.colorEntrySize;
        if (e[0] != e[1] || e[1] != e[2])
            return false;
    }
    return true;
}

bool Allocate(DisplayLevel& level, int factor, int width, int height, LevelFormat format)
{
    level.factor = factor;
    level.width = LevelSide(width, factor);
    level.height = LevelSide(height, factor);
    level.format = format;
    level.stride = size_t(level.width) * size_t(level.BytesPerPixel());
    try {
        level.pixels.resize(level.stride * size_t(level.height));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// The bytes of image row y (0 = top) of an uncompressed block.
const unsigned char* ImageRow(const unsigned char* dib, const DIBLayout& l, int y)
{
    const int stored = l.topDown ? y : l.height - 1 - y;
    return dib + l.bitsOffset + size_t(stored) * size_t(l.rowSize);
}

bool IsPlain24(const DIBLayout& l)
{
    return l.bitCount == 24 && l.compression == kBiRGB;
}

// The first level: each pixel the average of a factor x factor block of the image. Sums run
// over pixels as blue, green, red bytes: the 24-bit rows themselves, or rows converted to
// 32-bit values (stored little-endian: blue, green, red, alpha).
bool ReduceImage(const unsigned char* dib, const DIBLayout& l, DisplayLevel& level)
{
    const int f = level.factor;
    const bool grey = level.format == LevelFormat::Gray8;
    const bool plain = IsPlain24(l);
    std::vector<uint32_t> row;
    std::vector<uint32_t> sums;
    try {
        if (!plain)
            row.resize(size_t(l.width));
        sums.resize(size_t(l.width) * 3);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int ly = 0; ly < level.height; ++ly) {
        const int y0 = ly * f;
        const int count = std::min(f, l.height - y0);
        std::fill(sums.begin(), sums.end(), 0);
        for (int r = 0; r < count; ++r) {
            const unsigned char* bytes;
            int step;
            if (plain) {
                bytes = ImageRow(dib, l, y0 + r);
                step = 3;
            } else {
                if (!ConvertDIBToRGB32(dib, l, 0, y0 + r, l.width, 1, row.data(), row.size()))
                    return false;
                bytes = reinterpret_cast<const unsigned char*>(row.data());
                step = 4;
            }
            uint32_t* s = sums.data();
            if (step == 3) {
                const size_t n = size_t(l.width) * 3;
                for (size_t i = 0; i < n; ++i)
                    s[i] += bytes[i];
            } else {
                for (int x = 0; x < l.width; ++x, s += 3, bytes += 4) {
                    s[0] += bytes[0];
                    s[1] += bytes[1];
                    s[2] += bytes[2];
                }
            }
        }
        unsigned char* out = level.pixels.data() + size_t(ly) * level.stride;
        for (int lx = 0; lx < level.width; ++lx) {
            const int x0 = lx * f;
            const int columns = std::min(f, l.width - x0);
            uint32_t b = 0, g = 0, r = 0;
            for (int c = 0; c < columns; ++c) {
                const uint32_t* s = sums.data() + size_t(x0 + c) * 3;
                b += s[0];
                g += s[1];
                r += s[2];
            }
            const uint32_t n = uint32_t(columns * count);
            *out++ = uint8_t((b + n / 2) / n);
            if (!grey) {
                *out++ = uint8_t((g + n / 2) / n);
                *out++ = uint8_t((r + n / 2) / n);
            }
        }
    }
    return true;
}

// 32-bit display values from blue, green, red bytes: one unaligned load per pixel, its
// fourth byte replaced by an opaque alpha. The last pixel is read byte by byte, so that
// nothing past the row is touched.
void BgrToRGB32(const unsigned char* in, int width, uint32_t* out)
{
    for (int x = 0; x + 1 < width; ++x, in += 3) {
        uint32_t v;
        std::memcpy(&v, in, 4);
        out[x] = v | 0xFF000000u;
    }
    if (width > 0)
        out[width - 1] =
            0xFF000000u | (uint32_t(in[2]) << 16) | (uint32_t(in[1]) << 8) | uint32_t(in[0]);
}

// A level from the one before: each pixel the average of a 2 x 2 block.
void ReduceLevel(const DisplayLevel& in, DisplayLevel& out)
{
    const int bpp = in.BytesPerPixel();
    for (int y = 0; y < out.height; ++y) {
        const unsigned char* r0 = in.pixels.data() + size_t(2 * y) * in.stride;
        const bool twoRows = 2 * y + 1 < in.height;
        const unsigned char* r1 = twoRows ? r0 + in.stride : r0;
        unsigned char* o = out.pixels.data() + size_t(y) * out.stride;
        for (int x = 0; x < out.width; ++x) {
            const int x0 = 2 * x;
            const int x1 = x0 + 1 < in.width ? x0 + 1 : x0;
            for (int c = 0; c < bpp; ++c) {
                const unsigned sum =
                    r0[x0 * bpp + c] + r0[x1 * bpp + c] + r1[x0 * bpp + c] + r1[x1 * bpp + c];
                *o++ = uint8_t((sum + 2) / 4);
            }
        }
    }
}

} // namespace

size_t LevelBytes(int width, int height, int finest, int bytesPerPixel)
{
    size_t total = 0;
    for (int f = finest; f <= kMaxLevelFactor; f *= 2)
        total += size_t(LevelSide(width, f)) * size_t(LevelSide(height, f)) * size_t(bytesPerPixel);
    return total;
}

bool DisplayLevels::Build(const unsigned char* dib, size_t size, size_t budgetBytes)
{
    m_levels.clear();
    DIBLayout l;
    if (!DescribeDIB(dib, size, l))
        return false;
    DIBBytes expanded;
    if (l.compression == kBiRLE8 || l.compression == kBiRLE4) {
        if (!ExpandRLE(dib, size, expanded) || !DescribeDIB(expanded.data(), expanded.size(), l))
            return false;
        dib = expanded.data();
    }
    const LevelFormat format = IsGrey(dib, l) ? LevelFormat::Gray8 : LevelFormat::Rgb24;
    const int bpp = format == LevelFormat::Rgb24 ? 3 : 1;
    int finest = 2;
    while (finest <= kMaxLevelFactor && LevelBytes(l.width, l.height, finest, bpp) > budgetBytes)
        finest *= 2;
    if (finest > kMaxLevelFactor)
        return true;

    std::vector<DisplayLevel> levels;
    for (int f = finest; f <= kMaxLevelFactor; f *= 2) {
        DisplayLevel level;
        if (!Allocate(level, f, l.width, l.height, format))
            return false;
        if (levels.empty()) {
            if (!ReduceImage(dib, l, level))
                return false;
        } else {
            ReduceLevel(levels.back(), level);
        }
        levels.push_back(std::move(level));
    }
    m_levels = std::move(levels);
    return true;
}

const DisplayLevel* DisplayLevels::LevelFor(int zoom) const
{
    const DisplayLevel* best = nullptr;
    for (const DisplayLevel& level : m_levels)
        if (int64_t(level.factor) * zoom <= 100)
            best = &level;
    return best;
}

size_t DisplayLevels::BytesUsed() const
{
    size_t total = 0;
    for (const DisplayLevel& level : m_levels)
        total += level.pixels.size();
    return total;
}

bool LevelToRGB32(const DisplayLevel& level, int left, int top, int width, int height,
                  uint32_t* out, size_t stride)
{
    if (left < 0 || top < 0 || width < 0 || height < 0 || int64_t(left) + width > level.width ||
        int64_t(top) + height > level.height)
        return false;
    for (int y = 0; y < height; ++y) {
        const unsigned char* in = level.pixels.data() + size_t(top + y) * level.stride;
        uint32_t* o = out + size_t(y) * stride;
        if (level.format == LevelFormat::Rgb24) {
            BgrToRGB32(in + size_t(left) * 3, width, o);
        } else {
            in += left;
            for (int x = 0; x < width; ++x)
                o[x] = 0xFF000000u | (uint32_t(in[x]) * 0x010101u);
        }
    }
    return true;
}

bool ConvertViewPixels(const unsigned char* dib, const DIBLayout& l, int left, int top, int width,
                       int height, uint32_t* out, size_t stride)
{
    if (!IsPlain24(l))
        return ConvertDIBToRGB32(dib, l, left, top, width, height, out, stride);
    if (left < 0 || top < 0 || width < 0 || height < 0 || int64_t(left) + width > l.width ||
        int64_t(top) + height > l.height || (height > 1 && stride < size_t(width)))
        return false;
    for (int y = 0; y < height; ++y)
        BgrToRGB32(ImageRow(dib, l, top + y) + size_t(left) * 3, width, out + size_t(y) * stride);
    return true;
}

void NearestIndices(int first, int count, int image, int zoomed, std::vector<int>& out)
{
    out.resize(size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i)
        out[size_t(i)] = zoomed > 0 ? int(int64_t(first + i) * image / zoomed) : 0;
}

void ScaleNearest(const uint32_t* src, size_t srcStride, int srcLeft, int srcTop,
                  const std::vector<int>& xs, const std::vector<int>& ys, uint32_t* out,
                  size_t outStride)
{
    for (size_t j = 0; j < ys.size(); ++j) {
        const uint32_t* in = src + size_t(ys[j] - srcTop) * srcStride;
        uint32_t* o = out + j * outStride;
        // Consecutive rows showing the same image row are copies of the first.
        if (j > 0 && ys[j] == ys[j - 1]) {
            std::copy_n(o - outStride, xs.size(), o);
            continue;
        }
        for (size_t i = 0; i < xs.size(); ++i)
            o[i] = in[xs[i] - srcLeft];
    }
}

} // namespace nv
