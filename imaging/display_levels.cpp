// Reduced levels of an image, and nearest-pixel enlargement.
#include "imaging/display_levels.h"

#include "imaging/dib_display.h"
#include "imaging/dib_format.h"

#include <algorithm>
#include <bit>
#include <cmath>
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
bool ReduceImage(const unsigned char* dib, const DIBLayout& l, DisplayLevel& level,
                 const std::atomic<bool>* cancel)
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
        if (ly % 16 == 0 && cancel && cancel->load(std::memory_order_relaxed))
            return false;
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

// Halves a row pair of 3-byte pixels: each output pixel the rounded average of a 2 x 2 block,
// the last column and row repeated where the size is odd. Pixels are summed four bytes at a
// time, two channels to a word.
void HalveRows24(const unsigned char* r0, const unsigned char* r1, int width, unsigned char* out,
                 int outWidth)
{
    // Whole-word reads need a byte after the pixel: every pixel but a row's last has one.
    const int wordColumns = std::min(outWidth, (width - 1) / 2);
    int x = 0;
    for (; x < wordColumns; ++x) {
        const size_t at = size_t(x) * 6;
        uint32_t p[4];
        std::memcpy(&p[0], r0 + at, 4);
        std::memcpy(&p[1], r0 + at + 3, 4);
        std::memcpy(&p[2], r1 + at, 4);
        std::memcpy(&p[3], r1 + at + 3, 4);
        uint32_t rb = 0x00020002u, g = 2;
        for (uint32_t v : p) {
            rb += v & 0xFF00FF;
            g += (v >> 8) & 0xFF;
        }
        rb = (rb >> 2) & 0xFF00FF;
        g >>= 2;
        unsigned char* o = out + size_t(x) * 3;
        o[0] = uint8_t(rb);
        o[1] = uint8_t(g);
        o[2] = uint8_t(rb >> 16);
    }
    for (; x < outWidth; ++x) {
        const int x0 = 2 * x, x1 = std::min(x0 + 1, width - 1);
        for (int c = 0; c < 3; ++c) {
            const unsigned sum = r0[x0 * 3 + c] + r0[x1 * 3 + c] + r1[x0 * 3 + c] + r1[x1 * 3 + c];
            out[size_t(x) * 3 + size_t(c)] = uint8_t((sum + 2) / 4);
        }
    }
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
        if (bpp == 3) {
            HalveRows24(r0, r1, in.width, o, out.width);
            continue;
        }
        for (int x = 0; x < out.width; ++x) {
            const int x0 = 2 * x;
            const int x1 = x0 + 1 < in.width ? x0 + 1 : x0;
            const unsigned sum = r0[x0] + r0[x1] + r1[x0] + r1[x1];
            *o++ = uint8_t((sum + 2) / 4);
        }
    }
}

// The first level at 1/2 of a plain 24-bit image: the same averages as ReduceImage gives.
bool HalveImage(const unsigned char* dib, const DIBLayout& l, DisplayLevel& level,
                const std::atomic<bool>* cancel)
{
    for (int y = 0; y < level.height; ++y) {
        if (y % 64 == 0 && cancel && cancel->load(std::memory_order_relaxed))
            return false;
        const unsigned char* r0 = ImageRow(dib, l, 2 * y);
        const unsigned char* r1 = 2 * y + 1 < l.height ? ImageRow(dib, l, 2 * y + 1) : r0;
        HalveRows24(r0, r1, l.width, level.pixels.data() + size_t(y) * level.stride, level.width);
    }
    return true;
}

} // namespace

size_t LevelBytes(int width, int height, int finest, int bytesPerPixel)
{
    size_t total = 0;
    for (int f = finest; f <= kMaxLevelFactor; f *= 2)
        total += size_t(LevelSide(width, f)) * size_t(LevelSide(height, f)) * size_t(bytesPerPixel);
    return total;
}

bool DisplayLevels::Build(const unsigned char* dib, size_t size, size_t budgetBytes,
                          const std::atomic<bool>* cancel)
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
            const bool halved = f == 2 && format == LevelFormat::Rgb24 && IsPlain24(l)
                                    ? HalveImage(dib, l, level, cancel)
                                    : ReduceImage(dib, l, level, cancel);
            if (!halved)
                return false;
        } else {
            ReduceLevel(levels.back(), level);
        }
        levels.push_back(std::move(level));
    }
    m_levels = std::move(levels);
    return true;
}

const DisplayLevel* DisplayLevels::LevelFor(int width, int height) const
{
    const DisplayLevel* best = nullptr;
    for (const DisplayLevel& level : m_levels)
        if (level.width >= width && level.height >= height)
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

PixelRows LevelRows(const DisplayLevel& level)
{
    return {level.pixels.data(), ptrdiff_t(level.stride), level.width, level.height,
            level.BytesPerPixel()};
}

bool ImageRows(const unsigned char* dib, const DIBLayout& l, PixelRows& rows)
{
    int bytes = 0;
    if (l.bitCount == 24 && l.compression == kBiRGB) {
        bytes = 3;
    } else if (l.bitCount == 32 && l.redMask == 0xFF0000 && l.greenMask == 0xFF00 &&
               l.blueMask == 0xFF && (l.compression == kBiRGB || l.compression == kBiBitfields)) {
        bytes = 4;
    } else if (l.bitCount == 8 && l.compression == kBiRGB && l.colorCount >= 256 &&
               l.colorEntrySize == 4) {
        for (uint32_t i = 0; i < 256; ++i) {
            const unsigned char* e = dib + l.colorTableOffset + size_t(i) * 4;
            if (e[0] != i || e[1] != i || e[2] != i)
                return false;
        }
        bytes = 1;
    } else {
        return false;
    }
    const ptrdiff_t rowSize = ptrdiff_t(l.rowSize);
    rows.top = dib + l.bitsOffset + (l.topDown ? 0 : ptrdiff_t(l.height - 1) * rowSize);
    rows.stride = l.topDown ? rowSize : -rowSize;
    rows.width = l.width;
    rows.height = l.height;
    rows.bytesPerPixel = bytes;
    return true;
}

namespace {

// A pixel as 0x??RRGGBB (the fourth byte unused). Whole reads take four bytes, which a 3-byte
// pixel has only when another one follows it in its row.
template <int Bytes> uint32_t Fetch(const unsigned char* p)
{
    if constexpr (Bytes == 1) {
        return uint32_t(*p) * 0x010101u;
    } else {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
}

template <int Bytes> uint32_t FetchLast(const unsigned char* p)
{
    if constexpr (Bytes == 3)
        return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
    else
        return Fetch<Bytes>(p);
}

// a * (256 - w) + b * w, over 256, for the four bytes of two pixels at once.
uint32_t Mix(uint32_t a, uint32_t b, uint32_t w)
{
    const uint32_t v = 256 - w;
    const uint32_t rb = (((a & 0xFF00FF) * v + (b & 0xFF00FF) * w) >> 8) & 0xFF00FF;
    const uint32_t ga = (((a >> 8) & 0xFF00FF) * v + ((b >> 8) & 0xFF00FF) * w) & 0xFF00FF00;
    return rb | ga;
}

template <int Bytes>
void NearestRows(const PixelRows& src, const std::vector<int>& xs, const std::vector<int>& ys,
                 uint32_t* out, size_t outStride)
{
    const int last = src.width - 1;
    for (size_t j = 0; j < ys.size(); ++j) {
        uint32_t* o = out + j * outStride;
        // Consecutive rows showing the same source row are copies of the first.
        if (j > 0 && ys[j] == ys[j - 1]) {
            std::copy_n(o - outStride, xs.size(), o);
            continue;
        }
        const unsigned char* row = src.Row(ys[j]);
        for (size_t i = 0; i < xs.size(); ++i) {
            const unsigned char* p = row + ptrdiff_t(xs[i]) * Bytes;
            o[i] = 0xFF000000u | (xs[i] < last ? Fetch<Bytes>(p) : FetchLast<Bytes>(p));
        }
    }
}

// Where a sample at source position p falls: the pixel before it and the weight (0 to 255)
// of the one after it; positions beyond the edges take the edge pixel.
void SamplePoint(double p, int size, int& pixel, int& weight)
{
    const double f = std::floor(p);
    pixel = int(std::clamp(f, -1.0, double(size)));
    weight = int(std::lround((p - f) * 256));
    if (weight == 256) {
        ++pixel;
        weight = 0;
    }
    if (pixel < 0) {
        pixel = 0;
        weight = 0;
    } else if (pixel >= size - 1) {
        pixel = size - 1;
        weight = 0;
    }
}

// Vectors of the blending loops: GCC and Clang turn them into SSE2, AVX2 or NEON operations.
using U8x16 = uint8_t __attribute__((vector_size(16)));
using U16x16 = uint16_t __attribute__((vector_size(32)));
using U32x4 = uint32_t __attribute__((vector_size(16)));

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
// Compiled twice: for processors with AVX2 (twice as many bytes per operation) and for all.
#define NV_PIXEL_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define NV_PIXEL_LOOP
#endif

// out = (a * (256 - w) + b * w) / 256, rounded, over n bytes.
NV_PIXEL_LOOP void BlendBytes(const unsigned char* a, const unsigned char* b, unsigned w, size_t n,
                              unsigned char* out)
{
    const uint16_t wb = uint16_t(w), wa = uint16_t(256 - w);
    size_t k = 0;
    for (; k + 16 <= n; k += 16) {
        U8x16 va, vb;
        std::memcpy(&va, a + k, 16);
        std::memcpy(&vb, b + k, 16);
        const U16x16 mixed = (__builtin_convertvector(va, U16x16) * wa +
                              __builtin_convertvector(vb, U16x16) * wb + 128) >>
                             8;
        const U8x16 r = __builtin_convertvector(mixed, U8x16);
        std::memcpy(out + k, &r, 16);
    }
    for (; k < n; ++k)
        out[k] = uint8_t(uint16_t(a[k] * wa + b[k] * wb + 128) >> 8);
}

// Output pixel i = the pixel at row + offsets[i] mixed with the one bytes further by
// weights[i] / 256, as 0xFFRRGGBB; spread holds each weight four times. Four pixels at a
// time; every read takes four bytes.
NV_PIXEL_LOOP void MixColumns(const unsigned char* row, const int* offsets, const uint16_t* weights,
                              const uint16_t* spread, size_t n, int bytes, uint32_t* out)
{
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const unsigned char* p0 = row + offsets[i];
        const unsigned char* p1 = row + offsets[i + 1];
        const unsigned char* p2 = row + offsets[i + 2];
        const unsigned char* p3 = row + offsets[i + 3];
        const U32x4 p = {Fetch<4>(p0), Fetch<4>(p1), Fetch<4>(p2), Fetch<4>(p3)};
        const U32x4 q = {Fetch<4>(p0 + bytes), Fetch<4>(p1 + bytes), Fetch<4>(p2 + bytes),
                         Fetch<4>(p3 + bytes)};
        U16x16 w;
        std::memcpy(&w, spread + i * 4, sizeof w);
        const U16x16 mixed = (__builtin_convertvector(std::bit_cast<U8x16>(p), U16x16) * (256 - w) +
                              __builtin_convertvector(std::bit_cast<U8x16>(q), U16x16) * w) >>
                             8;
        const U8x16 r = __builtin_convertvector(mixed, U8x16);
        const U32x4 opaque = std::bit_cast<U32x4>(r) | 0xFF000000u;
        std::memcpy(out + i, &opaque, 16);
    }
    for (; i < n; ++i)
        out[i] = 0xFF000000u |
                 Mix(Fetch<4>(row + offsets[i]), Fetch<4>(row + offsets[i] + bytes), weights[i]);
}

void MixGreyColumns(const unsigned char* row, const int* offsets, const uint16_t* weights, size_t n,
                    uint32_t* out)
{
    for (size_t i = 0; i < n; ++i) {
        const unsigned char* p = row + offsets[i];
        const uint32_t g = (p[0] * (256u - weights[i]) + p[1] * weights[i] + 128) >> 8;
        out[i] = 0xFF000000u | g * 0x010101u;
    }
}

// A source row shown pixel for pixel.
void CopyColumns(const unsigned char* row, int bytes, size_t n, uint32_t* out)
{
    if (bytes == 3) {
        BgrToRGB32(row, int(n), out);
    } else if (bytes == 4) {
        for (size_t i = 0; i < n; ++i)
            out[i] = Fetch<4>(row + i * 4) | 0xFF000000u;
    } else {
        for (size_t i = 0; i < n; ++i)
            out[i] = 0xFF000000u | uint32_t(row[i]) * 0x010101u;
    }
}

void BilinearRows(const PixelRows& src, double top, double ky, int first, int count, int height,
                  uint32_t* out, size_t stride, ScaleScratch& s)
{
    const int bytes = src.bytesPerPixel;
    const size_t width = s.offsets.size();
    const size_t span = size_t(count) * size_t(bytes);
    // Columns one to one with the source's (a level of exactly the size shown).
    bool oneToOne = size_t(count) == width;
    for (size_t i = 0; i < width && oneToOne; ++i)
        oneToOne = s.weights[i] == 0 && s.offsets[i] == int(i) * bytes;
    unsigned char* row = s.row.data();
    for (int j = 0; j < height; ++j) {
        int y, wy;
        SamplePoint(top + (j + 0.5) * ky - 0.5, src.height, y, wy);
        const unsigned char* a = src.Row(y) + ptrdiff_t(first) * bytes;
        uint32_t* o = out + size_t(j) * stride;
        if (wy == 0 && oneToOne) {
            CopyColumns(a, bytes, width, o);
            continue;
        }
        if (wy == 0)
            std::memcpy(row, a, span);
        else
            BlendBytes(a, src.Row(y + 1) + ptrdiff_t(first) * bytes, unsigned(wy), span, row);
        if (oneToOne)
            CopyColumns(row, bytes, width, o);
        else if (bytes == 1)
            MixGreyColumns(row, s.offsets.data(), s.weights.data(), width, o);
        else
            MixColumns(row, s.offsets.data(), s.weights.data(), s.spread.data(), width, bytes, o);
    }
}

} // namespace

bool ScaleBilinear(const PixelRows& src, double left, double top, double kx, double ky, int width,
                   int height, uint32_t* out, size_t stride, ScaleScratch& s)
{
    if (width <= 0 || height <= 0 || src.width <= 0 || src.height <= 0)
        return true;
    const int bytes = src.bytesPerPixel;
    try {
        s.offsets.resize(size_t(width));
        s.weights.resize(size_t(width));
        int first = src.width, last = 0;
        for (int i = 0; i < width; ++i) {
            int x, w;
            SamplePoint(left + (i + 0.5) * kx - 0.5, src.width, x, w);
            s.offsets[size_t(i)] = x;
            s.weights[size_t(i)] = uint16_t(w);
            first = std::min(first, x);
            last = std::max(last, w ? x + 1 : x);
        }
        for (int& x : s.offsets)
            x = (x - first) * bytes;
        s.spread.resize(size_t(width) * 4);
        for (size_t i = 0; i < size_t(width); ++i)
            std::fill_n(s.spread.begin() + ptrdiff_t(i * 4), 4, s.weights[i]);
        const int count = last - first + 1;
        // Room behind the span for the neighbour (weighted 0) of its last pixel, read whole.
        s.row.resize(size_t(count) * size_t(bytes) + 8);
        std::fill(s.row.end() - 8, s.row.end(), 0);
        BilinearRows(src, top, ky, first, count, height, out, stride, s);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void ScaleNearest(const PixelRows& src, const std::vector<int>& xs, const std::vector<int>& ys,
                  uint32_t* out, size_t outStride)
{
    switch (src.bytesPerPixel) {
    case 1:
        NearestRows<1>(src, xs, ys, out, outStride);
        break;
    case 3:
        NearestRows<3>(src, xs, ys, out, outStride);
        break;
    default:
        NearestRows<4>(src, xs, ys, out, outStride);
    }
}

} // namespace nv
