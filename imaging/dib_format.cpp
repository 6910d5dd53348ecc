// Packed DIB headers and their checked layout.
#include "imaging/dib_format.h"

#include "platform/memory_budget.h"

namespace nv {

namespace {

bool Fail(std::string* reason, const char* text)
{
    if (reason)
        *reason = text;
    return false;
}

} // namespace

BitmapInfoHeader BitmapInfoHeader::Load(const unsigned char* in)
{
    BitmapInfoHeader h;
    h.biSize = GetLE32(in);
    h.biWidth = int32_t(GetLE32(in + 4));
    h.biHeight = int32_t(GetLE32(in + 8));
    h.biPlanes = GetLE16(in + 12);
    h.biBitCount = GetLE16(in + 14);
    h.biCompression = GetLE32(in + 16);
    h.biSizeImage = GetLE32(in + 20);
    h.biXPelsPerMeter = int32_t(GetLE32(in + 24));
    h.biYPelsPerMeter = int32_t(GetLE32(in + 28));
    h.biClrUsed = GetLE32(in + 32);
    h.biClrImportant = GetLE32(in + 36);
    return h;
}

void BitmapInfoHeader::Store(unsigned char* out) const
{
    PutLE32(out, biSize);
    PutLE32(out + 4, uint32_t(biWidth));
    PutLE32(out + 8, uint32_t(biHeight));
    PutLE16(out + 12, biPlanes);
    PutLE16(out + 14, biBitCount);
    PutLE32(out + 16, biCompression);
    PutLE32(out + 20, biSizeImage);
    PutLE32(out + 24, uint32_t(biXPelsPerMeter));
    PutLE32(out + 28, uint32_t(biYPelsPerMeter));
    PutLE32(out + 32, biClrUsed);
    PutLE32(out + 36, biClrImportant);
}

bool CheckInfoHeader(const BitmapInfoHeader& h, uint32_t colorCount, std::string* reason)
{
    if (h.biWidth <= 0)
        return Fail(reason, "the image width is not positive");
    if (h.biHeight == 0 || h.biHeight == INT32_MIN)
        return Fail(reason, "the image height is invalid");
    const unsigned bits = h.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return Fail(reason, "unsupported number of bits per pixel");
    switch (h.biCompression) {
    case kBiRGB:
        break;
    case kBiRLE8:
    case kBiRLE4:
        if (bits != (h.biCompression == kBiRLE8 ? 8u : 4u))
            return Fail(reason, "run-length compression does not match the bits per pixel");
        if (h.biHeight < 0)
            return Fail(reason, "a run-length compressed image cannot be stored top-down");
        break;
    case kBiBitfields:
        if (bits != 16 && bits != 32)
            return Fail(reason, "colour masks need 16 or 32 bits per pixel");
        break;
    default:
        return Fail(reason, "unsupported compression");
    }
    if (colorCount > (bits <= 8 ? (1u << bits) : 256u))
        return Fail(reason, "more colours than the bits per pixel allow");
    const uint64_t rows = h.biHeight < 0 ? uint64_t(-int64_t(h.biHeight)) : uint64_t(h.biHeight);
    if (DIBRowSize(uint64_t(h.biWidth), bits) * rows > kMaxStreamSize)
        return Fail(reason, "the image is too large for the format's 32-bit size fields");
    return true;
}

bool CheckImageMemory(uint64_t width, uint64_t height, uint64_t bytes, std::string* reason)
{
    const uint64_t budget = ImageMemoryBudget();
    if (bytes <= budget)
        return true;
    if (reason) {
        constexpr uint64_t kMB = uint64_t(1) << 20;
        *reason = "the image is too large for this computer's memory: " + std::to_string(width) +
                  " x " + std::to_string(height) + " pixels need " +
                  std::to_string((bytes + kMB - 1) / kMB) + " MB, and at most " +
                  std::to_string(budget / kMB) + " MB are available";
    }
    return false;
}

bool DescribeDIB(const unsigned char* dib, size_t size, DIBLayout& layout, std::string* reason)
{
    layout = DIBLayout();
    if (!dib || size < 4)
        return Fail(reason, "no image header");
    const uint32_t headerSize = GetLE32(dib);
    BitmapInfoHeader h;
    if (headerSize == kCoreHeaderSize) {
        if (size < kCoreHeaderSize)
            return Fail(reason, "truncated image header");
        h.biWidth = GetLE16(dib + 4);
        h.biHeight = GetLE16(dib + 6);
        h.biPlanes = GetLE16(dib + 8);
        h.biBitCount = GetLE16(dib + 10);
    } else if (headerSize >= kInfoHeaderSize && headerSize <= kLargestInfoHeaderSize) {
        if (size < headerSize)
            return Fail(reason, "truncated image header");
        h = BitmapInfoHeader::Load(dib);
    } else {
        return Fail(reason, "unsupported image header size");
    }

    const unsigned bits = h.biBitCount;
    uint32_t colors = h.biClrUsed;
    if (colors == 0 && bits <= 8)
        colors = 1u << (bits & 15);
    if (!CheckInfoHeader(h, colors, reason))
        return false;
    if (h.biCompression == kBiBitfields && headerSize > kInfoHeaderSize &&
        headerSize < kInfoHeaderSize + kMaskBytes)
        return Fail(reason, "the header cuts the colour masks short");

    layout.headerSize = headerSize;
    layout.width = h.biWidth;
    layout.topDown = h.biHeight < 0;
    layout.height = layout.topDown ? -h.biHeight : h.biHeight;
    layout.bitCount = bits;
    layout.compression = h.biCompression;
    layout.colorCount = colors;
    layout.colorEntrySize = headerSize == kCoreHeaderSize ? 3 : 4;
    layout.rowSize = DIBRowSize(uint64_t(layout.width), bits);

    size_t tableOffset = headerSize;
    if (h.biCompression == kBiBitfields) {
        // The masks follow a 40-byte header and are part of any longer one: offset 40 either way.
        if (headerSize == kInfoHeaderSize)
            tableOffset += kMaskBytes;
        if (size < kInfoHeaderSize + kMaskBytes)
            return Fail(reason, "truncated colour masks");
        layout.redMask = GetLE32(dib + 40);
        layout.greenMask = GetLE32(dib + 44);
        layout.blueMask = GetLE32(dib + 48);
    } else if (bits == 16) {
        layout.redMask = 0x7C00;
        layout.greenMask = 0x03E0;
        layout.blueMask = 0x001F;
    } else if (bits == 32) {
        layout.redMask = 0xFF0000;
        layout.greenMask = 0x00FF00;
        layout.blueMask = 0x0000FF;
    }
    layout.colorTableOffset = tableOffset;
    const uint64_t bitsOffset = uint64_t(tableOffset) + uint64_t(colors) * layout.colorEntrySize;
    if (bitsOffset > size)
        return Fail(reason, "truncated colour table");
    layout.bitsOffset = size_t(bitsOffset);

    const uint64_t available = size - layout.bitsOffset;
    if (h.biCompression == kBiRLE8 || h.biCompression == kBiRLE4) {
        const uint64_t declared = h.biSizeImage ? h.biSizeImage : available;
        if (declared > available)
            return Fail(reason, "truncated pixel data");
        layout.imageSize = size_t(declared);
    } else {
        const uint64_t needed = layout.rowSize * uint64_t(layout.height);
        if (needed > available)
            return Fail(reason, "truncated pixel data");
        layout.imageSize = size_t(needed);
    }
    return true;
}

} // namespace nv
