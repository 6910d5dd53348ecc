// Conversion of packed DIB pixels to 32-bit display rows, and run-length decoding.
#include "imaging/dib_display.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace nv {

namespace {

constexpr uint32_t kOpaque = 0xFF000000u;

// One channel of a 16- or 32-bit pixel, scaled to 0..255.
struct Channel
{
    unsigned shift = 0;
    uint32_t mask = 0; // after the shift
    uint32_t max = 0;

    explicit Channel(uint32_t fieldMask)
    {
        if (fieldMask == 0)
            return;
        shift = unsigned(std::countr_zero(fieldMask));
        mask = fieldMask >> shift;
        // Only the lowest contiguous run of bits counts.
        mask &= ~uint32_t(0) >> (32 - std::countr_one(mask));
        max = mask;
    }
    uint32_t Get(uint32_t pixel) const
    {
        if (max == 0)
            return 0;
        const uint32_t v = (pixel >> shift) & mask;
        if (max == 255)
            return v;
        return uint32_t(uint64_t(v) * 255 / max);
    }
};

// The colour table as display values; entries beyond it are black.
struct Palette
{
    uint32_t colors[256];

    Palette(const unsigned char* dib, const DIBLayout& l)
    {
        std::fill(std::begin(colors), std::end(colors), kOpaque);
        const unsigned char* table = dib + l.colorTableOffset;
        const uint32_t n = std::min<uint32_t>(l.colorCount, 256);
        for (uint32_t i = 0; i < n; ++i) {
            const unsigned char* e = table + size_t(i) * l.colorEntrySize;
            colors[i] = kOpaque | (uint32_t(e[2]) << 16) | (uint32_t(e[1]) << 8) | e[0];
        }
    }
};

void ConvertRow(const unsigned char* row, const DIBLayout& l, const Palette& palette,
                const Channel& r, const Channel& g, const Channel& b, int left, int width,
                uint32_t* out)
{
    switch (l.bitCount) {
    case 1:
        for (int i = 0; i < width; ++i) {
            const unsigned x = unsigned(left + i);
            out[i] = palette.colors[(row[x >> 3] >> (7 - (x & 7))) & 1];
        }
        break;
    case 4:
        for (int i = 0; i < width; ++i) {
            const unsigned x = unsigned(left + i);
            const unsigned byte = row[x >> 1];
            out[i] = palette.colors[(x & 1) ? (byte & 15) : (byte >> 4)];
        }
        break;
    case 8:
        row += left;
        for (int i = 0; i < width; ++i)
            out[i] = palette.colors[row[i]];
        break;
    case 16:
        row += size_t(left) * 2;
        for (int i = 0; i < width; ++i) {
            const uint32_t px = GetLE16(row + size_t(i) * 2);
            out[i] = kOpaque | (r.Get(px) << 16) | (g.Get(px) << 8) | b.Get(px);
        }
        break;
    case 24:
        row += size_t(left) * 3;
        for (int i = 0; i < width; ++i) {
            const unsigned char* p = row + size_t(i) * 3;
            out[i] = kOpaque | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
        }
        break;
    case 32:
        row += size_t(left) * 4;
        if (l.redMask == 0xFF0000 && l.greenMask == 0xFF00 && l.blueMask == 0xFF) {
            for (int i = 0; i < width; ++i)
                out[i] = kOpaque | (GetLE32(row + size_t(i) * 4) & 0xFFFFFF);
        } else {
            for (int i = 0; i < width; ++i) {
                const uint32_t px = GetLE32(row + size_t(i) * 4);
                out[i] = kOpaque | (r.Get(px) << 16) | (g.Get(px) << 8) | b.Get(px);
            }
        }
        break;
    }
}

// Walks run-length data. put(x, row, index) receives every pixel that lies inside the image
// (row counted from the bottom); runs and absolute pieces reaching past the row end are cut.
// Stops at the end-of-bitmap code, at the end of the data, or when the rows are used up.
// Returns false when the data ended before the end-of-bitmap code and before the last row
// was complete.
template <class Put>
bool DecodeRLE(const unsigned char* data, size_t size, const DIBLayout& l, Put&& put)
{
    const bool rle4 = l.compression == kBiRLE4;
    const int64_t width = l.width;
    const int64_t height = l.height;
    int64_t x = 0, y = 0;
    size_t p = 0;
    while (p + 2 <= size && y < height) {
        const unsigned count = data[p];
        const unsigned value = data[p + 1];
        p += 2;
        if (count > 0) {
            const int64_t end = std::min<int64_t>(x + count, width);
            for (int64_t i = x; i < end; ++i) {
                const unsigned index = rle4 ? (((i - x) & 1) ? (value & 15) : (value >> 4)) : value;
                put(int(i), int(y), index);
            }
            x += count;
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of bitmap
            return true;
        } else if (value == 2) { // move right and up
            if (p + 2 > size)
                return false;
            x += data[p];
            y += data[p + 1];
            p += 2;
        } else { // absolute run of value pixels, padded to a 16-bit boundary
            const size_t bytes = rle4 ? (value + 1) / 2 : value;
            if (p + bytes > size)
                return false;
            const int64_t end = std::min<int64_t>(x + value, width);
            for (int64_t i = x; i < end; ++i) {
                const size_t k = size_t(i - x);
                const unsigned index =
                    rle4 ? ((k & 1) ? (data[p + k / 2] & 15) : (data[p + k / 2] >> 4))
                         : data[p + k];
                put(int(i), int(y), index);
            }
            x += value;
            p += (bytes + 1) & ~size_t(1);
        }
    }
    return y >= height || (y == height - 1 && x >= width);
}

} // namespace

bool ConvertDIBToRGB32(const unsigned char* dib, size_t size, int left, int top, int width,
                       int height, uint32_t* out, size_t stride)
{
    DIBLayout layout;
    if (!DescribeDIB(dib, size, layout))
        return false;
    return ConvertDIBToRGB32(dib, layout, left, top, width, height, out, stride);
}

bool ConvertDIBToRGB32(const unsigned char* dib, const DIBLayout& l, int left, int top, int width,
                       int height, uint32_t* out, size_t stride)
{
    if (left < 0 || top < 0 || width < 0 || height < 0 || int64_t(left) + width > l.width ||
        int64_t(top) + height > l.height || (height > 1 && stride < size_t(width)))
        return false;
    if (width == 0 || height == 0)
        return true;
    const Palette palette(dib, l);
    const unsigned char* bits = dib + l.bitsOffset;

    if (l.compression == kBiRLE8 || l.compression == kBiRLE4) {
        for (int y = 0; y < height; ++y)
            std::fill_n(out + size_t(y) * stride, width, palette.colors[0]);
        // Stored row s is image row height-1-s (run-length images are bottom-up).
        const int firstStored = l.height - top - height;
        const int lastStored = l.height - 1 - top;
        DecodeRLE(bits, l.imageSize, l, [&](int x, int s, unsigned index) {
            if (s < firstStored || s > lastStored || x < left || x >= left + width)
                return;
            out[size_t(lastStored - s) * stride + size_t(x - left)] = palette.colors[index];
        });
        return true;
    }

    const Channel r(l.redMask), g(l.greenMask), b(l.blueMask);
    for (int y = 0; y < height; ++y) {
        const int64_t imageRow = int64_t(top) + y;
        const int64_t stored = l.topDown ? imageRow : l.height - 1 - imageRow;
        ConvertRow(bits + size_t(stored) * l.rowSize, l, palette, r, g, b, left, width,
                   out + size_t(y) * stride);
    }
    return true;
}

bool RLEReachesTheEnd(const unsigned char* dib, const DIBLayout& l)
{
    return DecodeRLE(dib + l.bitsOffset, l.imageSize, l, [](int, int, unsigned) {});
}

bool ExpandRLE(const unsigned char* dib, size_t size, DIBBytes& out)
{
    DIBLayout l;
    if (!DescribeDIB(dib, size, l) || (l.compression != kBiRLE8 && l.compression != kBiRLE4) ||
        l.headerSize < kInfoHeaderSize)
        return false;
    const size_t imageBytes = size_t(l.rowSize * uint64_t(l.height));
    DIBBytes expanded(l.bitsOffset + imageBytes);
    std::memcpy(expanded.data(), dib, l.bitsOffset);
    unsigned char* pixels = expanded.data() + l.bitsOffset;
    std::memset(pixels, 0, imageBytes);
    const bool rle4 = l.compression == kBiRLE4;
    DecodeRLE(dib + l.bitsOffset, l.imageSize, l, [&](int x, int s, unsigned index) {
        unsigned char* row = pixels + size_t(s) * l.rowSize;
        if (rle4)
            row[x >> 1] |= uint8_t((x & 1) ? index : index << 4);
        else
            row[x] = uint8_t(index);
    });
    PutLE32(expanded.data() + 16, kBiRGB);
    PutLE32(expanded.data() + 20, uint32_t(imageBytes));
    out.swap(expanded);
    return true;
}

} // namespace nv
