// The packed DIB format: little-endian field access, the 40-byte information header, and a
// checked description of where the colour table, the colour masks and the pixel rows of a
// block lie. Every routine that looks at pixels goes through DescribeDIB first, so a block
// that declares more than it holds is refused instead of read past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace nv {

// Compression codes of the information header.
enum DIBCompression : uint32_t {
    kBiRGB = 0,
    kBiRLE8 = 1,
    kBiRLE4 = 2,
    kBiBitfields = 3,
};

constexpr size_t kBmpFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kCoreHeaderSize = 12;
// The largest information header in use (the fifth version of the format).
constexpr size_t kLargestInfoHeaderSize = 124;
// Three 32-bit colour masks (red, green, blue) follow a 40-byte header with kBiBitfields.
constexpr size_t kMaskBytes = 12;
// The size fields of the format are 32-bit: no stream may be longer.
constexpr uint64_t kMaxStreamSize = 0xFFFFFFFFu;

inline uint16_t GetLE16(const unsigned char* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}
inline uint32_t GetLE32(const unsigned char* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void PutLE16(unsigned char* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void PutLE32(unsigned char* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

// Bytes in one pixel row: the bits rounded up to a multiple of 32.
inline uint64_t DIBRowSize(uint64_t width, unsigned bits)
{
    return ((width * bits + 31) >> 5) * 4;
}

// The 40-byte information header as fields.
struct BitmapInfoHeader
{
    uint32_t biSize = 0;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 0;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;

    // Reads 40 bytes.
    static BitmapInfoHeader Load(const unsigned char* in);
    // Writes 40 bytes.
    void Store(unsigned char* out) const;
};

// Checks the fields of an information header that every reader of pixels relies on: width
// and height non-zero, a bit count of 1, 4, 8, 16, 24 or 32, a compression that suits it
// (RLE8 with 8 bits, RLE4 with 4, bitfields with 16 or 32, RLE only bottom-up), at most as
// many colours as the bit count allows (256 for the colour table of a true-colour image) and
// pixel rows whose size fits the 32-bit fields. colorCount is the number of table entries.
bool CheckInfoHeader(const BitmapInfoHeader& header, uint32_t colorCount, std::string* reason);

// Checks that width x height pixels taking bytes of memory fit the memory budget of an image
// (nv::ImageMemoryBudget). False, with a reason that names the size, when they do not.
bool CheckImageMemory(uint64_t width, uint64_t height, uint64_t bytes, std::string* reason);

// Where the parts of a packed DIB lie.
struct DIBLayout
{
    uint32_t headerSize = 0; // 12 for the core form, otherwise 40 or more
    int32_t width = 0;
    int32_t height = 0; // number of rows, positive
    bool topDown = false;
    unsigned bitCount = 0;
    uint32_t compression = kBiRGB;
    uint32_t colorCount = 0;     // colour-table entries
    unsigned colorEntrySize = 4; // 3 in the core form
    size_t colorTableOffset = 0;
    // Channel masks of 16- and 32-bit pixels: from the block for bitfields, otherwise the
    // fixed 5-5-5 and 8-8-8 layouts.
    uint32_t redMask = 0, greenMask = 0, blueMask = 0;
    size_t bitsOffset = 0; // first byte of the pixel data
    uint64_t rowSize = 0;
    // Bytes of pixel data: rows times row size, or the compressed size for RLE.
    size_t imageSize = 0;
};

// Describes the packed DIB of size bytes at dib. False (with a reason when asked) when the
// header is malformed or not one this program draws, or when the block is shorter than the
// colour table and pixel data it declares.
bool DescribeDIB(const unsigned char* dib, size_t size, DIBLayout& layout,
                 std::string* reason = nullptr);

} // namespace nv
