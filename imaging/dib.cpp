// COXDIB: the packed DIB, its palette, BMP reading and writing, rotation and halftoning.
#include "imaging/dib.h"

#include "imaging/bmp_memory_file.h"
#include "imaging/dib_display.h"
#include "platform/file.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <cstring>

using nv::BitmapInfoHeader;
using nv::DIBBytes;
using nv::DIBLayout;
using nv::GetLE16;
using nv::GetLE32;
using nv::PutLE32;

namespace {

// The 20 static colours of a screen's default palette.
const PaletteEntry kStaticColors[20] = {
    {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},
    {0, 0, 128, 0},     {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0},
    {192, 220, 192, 0}, {166, 202, 240, 0}, {255, 251, 240, 0}, {160, 160, 164, 0},
    {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},     {255, 255, 0, 0},
    {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0},
};

// The 16 colours (red, green, blue) of a new image's colour table.
const unsigned char kNewImageColors[16][3] = {
    {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128}, {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
};

// Dither thresholds, indexed by (x mod 8) * 8 + (y mod 8).
const unsigned char kHalftoneThresholds[64] = {
    0,  38, 9,  47, 2,  40, 11, 50, 25, 12, 35, 22, 27, 15, 37, 24, 6,  44, 3,  41, 8,  47,
    5,  43, 31, 19, 28, 15, 34, 21, 31, 18, 1,  39, 11, 49, 0,  39, 10, 48, 27, 14, 36, 23,
    26, 13, 35, 23, 7,  46, 4,  43, 7,  45, 3,  42, 33, 20, 30, 17, 32, 19, 29, 16,
};

// Position in the screen's halftone palette of each colour of the 6 x 6 x 6 cube
// (index = red level + 6 * green level + 36 * blue level).
const unsigned char kHalftoneTranslation[216] = {
    0,   29,  30,  31,  32,  249, 33,  34,  35,  36,  37,  38,  39,  40,  41,  42,  43,  44,
    45,  46,  47,  48,  49,  50,  51,  52,  53,  54,  55,  56,  250, 250, 57,  58,  59,  251,
    60,  61,  62,  63,  64,  65,  66,  67,  68,  69,  70,  71,  72,  73,  74,  75,  76,  77,
    78,  79,  80,  81,  82,  83,  84,  85,  86,  87,  88,  89,  250, 90,  91,  92,  93,  94,
    95,  96,  97,  98,  99,  100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 227,
    112, 113, 114, 115, 116, 117, 118, 119, 151, 120, 121, 122, 123, 124, 228, 125, 126, 229,
    133, 162, 135, 131, 132, 137, 166, 134, 140, 130, 136, 143, 138, 139, 174, 141, 142, 177,
    129, 144, 145, 146, 147, 148, 149, 150, 157, 152, 153, 154, 155, 156, 192, 158, 159, 160,
    161, 196, 163, 164, 165, 127, 199, 167, 168, 169, 170, 171, 172, 173, 207, 175, 176, 210,
    178, 179, 180, 181, 182, 183, 184, 185, 186, 187, 188, 189, 190, 191, 224, 193, 194, 195,
    252, 252, 197, 198, 128, 253, 252, 200, 201, 202, 203, 204, 205, 206, 230, 208, 209, 231,
    211, 212, 213, 214, 215, 216, 217, 218, 219, 220, 221, 222, 254, 223, 232, 225, 226, 255,
};

std::atomic<int> g_screenPaletteSize{0};

bool Fail(std::string* reason, const std::string& text)
{
    if (reason)
        *reason = text;
    return false;
}

// Offset of the colour table: behind the header, and behind the colour masks that follow a
// 40-byte header with bitfields compression. 0 when the header is too short to tell.
size_t ColorTableOffset(const unsigned char* h, size_t size)
{
    if (!h || size < 4)
        return 0;
    const uint32_t headerSize = GetLE32(h);
    if (headerSize == nv::kInfoHeaderSize && size >= 20 && GetLE32(h + 16) == nv::kBiBitfields)
        return headerSize + nv::kMaskBytes;
    return headerSize;
}

// How a BMP stream will be read: worked out from its headers before anything is allocated.
struct ReadPlan
{
    bool core = false;             // 12-byte header, 3-byte colour entries
    uint32_t streamHeaderSize = 0; // bytes of the information header in the stream
    uint32_t blockHeaderSize = 0;  // 40 for the core form, the header size otherwise
    uint32_t colors = 0;
    bool maskBlock = false;     // 12 mask bytes follow the 40-byte header in the block
    bool masksInStream = false; // and in the stream
    uint64_t gap = 0;           // bytes between the colour table and the pixel offset
    uint64_t pixelBytes = 0;
    BitmapInfoHeader header; // the block's first 40 bytes, fields completed

    size_t TableOffset() const { return blockHeaderSize + (maskBlock ? nv::kMaskBytes : 0); }
    size_t BlockSize() const { return TableOffset() + size_t(colors) * 4 + size_t(pixelBytes); }
};

// Works out the plan from the 14-byte file header, the information header as stored (12
// bytes, or the size its first word gives) and the number of bytes the stream still holds
// behind that header.
bool PlanRead(const unsigned char* fileHeader, const unsigned char* info, uint64_t remaining,
              ReadPlan& plan, std::string* reason)
{
    plan = ReadPlan();
    const uint32_t headerSize = GetLE32(info);
    BitmapInfoHeader& h = plan.header;
    if (headerSize == nv::kCoreHeaderSize) {
        plan.core = true;
        plan.streamHeaderSize = nv::kCoreHeaderSize;
        plan.blockHeaderSize = nv::kInfoHeaderSize;
        h.biSize = nv::kInfoHeaderSize;
        h.biWidth = GetLE16(info + 4);
        h.biHeight = GetLE16(info + 6);
        h.biPlanes = GetLE16(info + 8);
        h.biBitCount = GetLE16(info + 10);
    } else {
        plan.streamHeaderSize = plan.blockHeaderSize = headerSize;
        h = BitmapInfoHeader::Load(info);
    }
    const unsigned bits = h.biBitCount;
    const uint32_t colors = h.biClrUsed ? h.biClrUsed : bits <= 8 ? 1u << bits : 0;
    if (!nv::CheckInfoHeader(h, colors, reason))
        return false;
    plan.colors = colors;
    const uint64_t entryBytes = uint64_t(colors) * (plan.core ? 3 : 4);
    const uint32_t pixelOffset = GetLE32(fileHeader + 10);

    if (h.biCompression == nv::kBiBitfields) {
        if (headerSize == nv::kInfoHeaderSize) {
            plan.maskBlock = true;
            // A pixel offset right behind the colour table means the writer left the masks
            // out; the fixed layout of the bit count applies then.
            plan.masksInStream =
                pixelOffset != nv::kBmpFileHeaderSize + nv::kInfoHeaderSize + entryBytes;
        } else if (headerSize < nv::kInfoHeaderSize + nv::kMaskBytes) {
            return Fail(reason, "the header cuts the colour masks short");
        }
    }

    const uint64_t masksAndTable = (plan.masksInStream ? nv::kMaskBytes : 0) + entryBytes;
    const uint64_t consumed = nv::kBmpFileHeaderSize + plan.streamHeaderSize + masksAndTable;
    if (pixelOffset < consumed)
        return Fail(reason, "the pixel offset points inside the headers or the colour table");
    plan.gap = pixelOffset - consumed;
    if (masksAndTable > remaining)
        return Fail(reason, "the file ends inside the colour table");
    if (masksAndTable + plan.gap > remaining)
        return Fail(reason, "the pixel offset lies beyond the end of the file");
    const uint64_t available = remaining - masksAndTable - plan.gap;

    const uint64_t rows = h.biHeight < 0 ? uint64_t(-int64_t(h.biHeight)) : uint64_t(h.biHeight);
    if (h.biCompression == nv::kBiRLE8 || h.biCompression == nv::kBiRLE4)
        plan.pixelBytes = h.biSizeImage ? h.biSizeImage : available;
    else
        plan.pixelBytes = nv::DIBRowSize(uint64_t(h.biWidth), bits) * rows;
    if (plan.pixelBytes > available)
        return Fail(reason, "the file ends inside the pixel data");
    if (plan.BlockSize() > nv::kMaxStreamSize - nv::kBmpFileHeaderSize)
        return Fail(reason, "the image is too large for the format's 32-bit size fields");
    // Run-length pixels are expanded to be shown or turned: their full size has to fit.
    const uint64_t pixels = nv::DIBRowSize(uint64_t(h.biWidth), bits) * rows;
    if (!nv::CheckImageMemory(uint64_t(h.biWidth), rows, plan.TableOffset() + colors * 4 + pixels,
                              reason))
        return false;

    h.biSizeImage = uint32_t(plan.pixelBytes);
    if (h.biClrUsed == 0 && bits <= 8)
        h.biClrUsed = colors;
    return true;
}

// Stores the plan's header (and the default colour masks) at the start of a block.
void StoreHeader(const ReadPlan& plan, unsigned char* block)
{
    plan.header.Store(block);
    if (plan.maskBlock && !plan.masksInStream) {
        const bool wide = plan.header.biBitCount == 32;
        PutLE32(block + 40, wide ? 0xFF0000 : 0x7C00);
        PutLE32(block + 44, wide ? 0x00FF00 : 0x03E0);
        PutLE32(block + 48, wide ? 0x0000FF : 0x001F);
    }
}

// Reads exactly count bytes or throws.
void ReadExactly(nv::Stream& file, void* buffer, size_t count, const char* what)
{
    if (file.Read(buffer, count) != count)
        throw nv::FileError(nv::FileError::endOfFile, 0, file.GetFilePath(),
                            std::string("the file ends inside ") + what);
}

// Reads the rest of a BMP stream after its headers, following the plan.
DIBBytes ReadBlock(nv::Stream& file, const ReadPlan& plan, const unsigned char* info)
{
    DIBBytes block(plan.BlockSize());
    StoreHeader(plan, block.data());
    if (plan.blockHeaderSize > nv::kInfoHeaderSize)
        std::memcpy(block.data() + nv::kInfoHeaderSize, info + nv::kInfoHeaderSize,
                    plan.blockHeaderSize - nv::kInfoHeaderSize);
    if (plan.masksInStream)
        ReadExactly(file, block.data() + nv::kInfoHeaderSize, nv::kMaskBytes, "the colour masks");
    unsigned char* table = block.data() + plan.TableOffset();
    if (plan.core) {
        ReadExactly(file, table, size_t(plan.colors) * 3, "the colour table");
        // Widen the blue, green, red triples to 4-byte entries, last first.
        for (size_t i = plan.colors; i-- > 0;) {
            const unsigned char b = table[i * 3], g = table[i * 3 + 1], r = table[i * 3 + 2];
            table[i * 4] = b;
            table[i * 4 + 1] = g;
            table[i * 4 + 2] = r;
            table[i * 4 + 3] = 0;
        }
    } else {
        ReadExactly(file, table, size_t(plan.colors) * 4, "the colour table");
    }
    if (plan.gap)
        file.Seek(int64_t(plan.gap), nv::Stream::current);
    ReadExactly(file, table + size_t(plan.colors) * 4, size_t(plan.pixelBytes), "the pixel data");
    return block;
}

// Takes the packed DIB of an in-memory BMP stream over when it is laid out the way the block
// will be (a header of 40 bytes or more, no gap before the pixels, colour masks in place).
// False when the general reader has to do the work.
bool TryAdoptMemoryFile(nv::BmpMemoryFile& memory, DIBBytes& block, bool& failed,
                        std::string* reason)
{
    failed = false;
    const DIBBytes& dib = memory.DIB();
    if (memory.GetLength() < nv::kBmpFileHeaderSize + nv::kInfoHeaderSize ||
        GetLE16(memory.FileHeader()) != 0x4D42)
        return false;
    const uint32_t headerSize = GetLE32(dib.data());
    if (headerSize < nv::kInfoHeaderSize || headerSize > nv::kLargestInfoHeaderSize ||
        dib.size() < headerSize)
        return false;
    ReadPlan plan;
    if (!PlanRead(memory.FileHeader(), dib.data(), dib.size() - headerSize, plan, reason)) {
        failed = true;
        return true;
    }
    if (plan.gap || (plan.maskBlock && !plan.masksInStream))
        return false;
    block = memory.DetachDIB();
    block.resize(plan.BlockSize());
    plan.header.Store(block.data());
    return true;
}

} // namespace

// ---- palettes

COXPalette COXPalette::StockDefault()
{
    return COXPalette(
        std::vector<PaletteEntry>(std::begin(kStaticColors), std::end(kStaticColors)));
}

COXPalette COXPalette::Halftone()
{
    std::vector<PaletteEntry> entries(256);
    std::vector<bool> set(256, false);
    for (int i = 0; i < 10; ++i) {
        entries[i] = kStaticColors[i];
        entries[246 + i] = kStaticColors[10 + i];
        set[i] = set[246 + i] = true;
    }
    for (int i = 0; i < 216; ++i) {
        const int at = kHalftoneTranslation[i];
        if (set[at])
            continue;
        entries[at] = {uint8_t(i % 6 * 51), uint8_t(i / 6 % 6 * 51), uint8_t(i / 36 * 51), 0};
        set[at] = true;
    }
    // The places the cube leaves free hold grays.
    int free = 0;
    for (int i = 0; i < 256; ++i)
        free += set[i] ? 0 : 1;
    for (int i = 0, k = 1; i < 256; ++i) {
        if (set[i])
            continue;
        const uint8_t v = uint8_t(k++ * 255 / (free + 1));
        entries[i] = {v, v, v, 0};
    }
    return COXPalette(std::move(entries));
}

// ---- life cycle

COXDIB::COXDIB(const COXDIB& other) : m_hDIB(other.m_hDIB)
{
    InitPalette();
}

COXDIB& COXDIB::operator=(const COXDIB& other)
{
    if (this != &other)
        Assign(other.m_hDIB);
    return *this;
}

void COXDIB::Empty()
{
    DIBBytes().swap(m_hDIB);
    m_pPalette.reset();
}

bool COXDIB::Assign(const unsigned char* block, size_t size)
{
    if (!block || size < 4 || GetLE32(block) != nv::kInfoHeaderSize)
        return false;
    DIBBytes copy;
    try {
        copy.assign(block, block + size);
    } catch (const std::bad_alloc&) {
        return false;
    }
    // The copy is made first, so a block of this very image can be assigned.
    return Adopt(std::move(copy));
}

// Run-length data that stops before the image is complete was cut short: such a block is
// refused rather than shown with made-up pixels.
bool COXDIB::AdoptRead(DIBBytes&& block, std::string* reason)
{
    const uint32_t compression = GetLE32(block.data() + 16);
    if (compression == nv::kBiRLE8 || compression == nv::kBiRLE4) {
        DIBLayout l;
        if (!nv::DescribeDIB(block.data(), block.size(), l, reason))
            return false;
        if (!nv::RLEReachesTheEnd(block.data(), l))
            return Fail(reason, "the run-length data ends before the image does");
    }
    return Adopt(std::move(block)) || Fail(reason, "malformed colour table");
}

bool COXDIB::Adopt(DIBBytes&& block)
{
    Empty();
    m_hDIB = std::move(block);
    return InitPalette();
}

void COXDIB::InitBitmapInfoHeader(BitmapInfoHeader& header, int width, int height, int bits)
{
    header = BitmapInfoHeader();
    header.biSize = nv::kInfoHeaderSize;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    if (bits <= 1) {
        header.biBitCount = 1;
    } else if (bits <= 4) {
        header.biBitCount = 4;
        header.biClrUsed = 16;
    } else if (bits <= 8) {
        header.biBitCount = 8;
        header.biClrUsed = 256;
    } else {
        header.biBitCount = 24;
    }
    const int64_t rows = height < 0 ? -int64_t(height) : height;
    header.biSizeImage =
        uint32_t(nv::DIBRowSize(uint64_t(std::max(width, 0)), header.biBitCount) * uint64_t(rows));
}

bool COXDIB::MakeBlock(const BitmapInfoHeader& header, uint32_t colors, DIBBytes& block)
{
    const uint64_t rows = header.biHeight < 0 ? -int64_t(header.biHeight) : header.biHeight;
    const uint64_t image =
        nv::DIBRowSize(uint64_t(std::max(header.biWidth, 0)), header.biBitCount) * rows;
    const uint64_t size = nv::kInfoHeaderSize + uint64_t(colors) * 4 + image;
    if (image > nv::kMaxStreamSize || size > nv::kMaxStreamSize - nv::kBmpFileHeaderSize)
        return false;
    try {
        block.assign(size_t(size), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    header.Store(block.data());
    return true;
}

bool COXDIB::CreateEmpty(int bits, int width, int height)
{
    if (width <= 0 || height <= 0)
        return false;
    BitmapInfoHeader header;
    InitBitmapInfoHeader(header, width, height, bits);
    DIBBytes block;
    if (!MakeBlock(header,
                   header.biClrUsed         ? header.biClrUsed
                   : header.biBitCount == 1 ? 2
                                            : 0,
                   block))
        return false;
    unsigned char* table = block.data() + nv::kInfoHeaderSize;
    for (uint32_t i = 0; i < header.biClrUsed; ++i) {
        const unsigned char* c = kNewImageColors[i % 16];
        table[i * 4] = c[2];
        table[i * 4 + 1] = c[1];
        table[i * 4 + 2] = c[0];
    }
    Empty();
    m_hDIB = std::move(block);
    return true;
}

// ---- colour table and palette

bool COXDIB::InitPalette()
{
    m_pPalette.reset();
    const uint32_t colors = GetNumColors();
    if (colors == 0)
        return true;
    const size_t offset = ColorTableOffset(m_hDIB.data(), m_hDIB.size());
    const unsigned entrySize = GetLE32(m_hDIB.data()) == nv::kCoreHeaderSize ? 3 : 4;
    if (offset == 0 || offset + uint64_t(colors) * entrySize > m_hDIB.size()) {
        Empty();
        return false;
    }
    std::vector<PaletteEntry> entries(colors);
    const unsigned char* table = m_hDIB.data() + offset;
    for (uint32_t i = 0; i < colors; ++i, table += entrySize)
        entries[i] = {table[2], table[1], table[0], 0};
    m_pPalette = std::make_unique<COXPalette>(std::move(entries));
    return true;
}

bool COXDIB::PaletteToColorTable(const COXPalette* palette)
{
    const uint32_t colors = GetNumColors();
    if (IsEmpty() || colors == 0 || GetLE32(m_hDIB.data()) == nv::kCoreHeaderSize)
        return false;
    const COXPalette stock = palette ? COXPalette() : COXPalette::StockDefault();
    const std::vector<PaletteEntry>& entries = (palette ? *palette : stock).Entries();
    const size_t offset = ColorTableOffset(m_hDIB.data(), m_hDIB.size());
    size_t n = std::min<size_t>({colors, 256, entries.size()});
    n = std::min<size_t>(n, (m_hDIB.size() - std::min(m_hDIB.size(), offset)) / 4);
    unsigned char* table = m_hDIB.data() + offset;
    for (size_t i = 0; i < n; ++i) {
        table[i * 4] = entries[i].peBlue;
        table[i * 4 + 1] = entries[i].peGreen;
        table[i * 4 + 2] = entries[i].peRed;
        table[i * 4 + 3] = 0;
    }
    return true;
}

// ---- derived quantities

uint32_t COXDIB::GetNumColors(const unsigned char* h, size_t size)
{
    unsigned bits;
    if (!h || size < 4)
        return 0;
    if (GetLE32(h) == nv::kCoreHeaderSize) {
        if (size < nv::kCoreHeaderSize)
            return 0;
        bits = GetLE16(h + 10);
    } else {
        if (size < nv::kInfoHeaderSize)
            return 0;
        if (const uint32_t used = GetLE32(h + 32))
            return used;
        bits = GetLE16(h + 14);
    }
    return bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0;
}

uint32_t COXDIB::GetPaletteSize(const unsigned char* h, size_t size)
{
    const uint64_t colors = GetNumColors(h, size);
    if (colors == 0)
        return 0;
    const unsigned entrySize = GetLE32(h) == nv::kCoreHeaderSize ? 3 : 4;
    return uint32_t(std::min<uint64_t>(colors * entrySize, UINT32_MAX));
}

size_t COXDIB::FindDIBBitsOffset(const unsigned char* h, size_t size)
{
    if (!h || size < 4)
        return 0;
    return ColorTableOffset(h, size) + GetPaletteSize(h, size);
}

const unsigned char* COXDIB::FindDIBBits() const
{
    if (IsEmpty())
        return nullptr;
    const size_t offset = FindDIBBitsOffset(m_hDIB.data(), m_hDIB.size());
    return offset <= m_hDIB.size() ? m_hDIB.data() + offset : nullptr;
}

DIBSize COXDIB::GetSize(const unsigned char* h, size_t size)
{
    if (!h || size < 4)
        return {};
    if (GetLE32(h) == nv::kCoreHeaderSize)
        return size < nv::kCoreHeaderSize ? DIBSize{} : DIBSize{GetLE16(h + 4), GetLE16(h + 6)};
    if (size < 12)
        return {};
    const int32_t height = int32_t(GetLE32(h + 8));
    return {int32_t(GetLE32(h + 4)), height < 0 && height != INT32_MIN ? -height : height};
}

unsigned COXDIB::GetNumBitsPerPixel(const unsigned char* h, size_t size)
{
    if (!h || size < 4)
        return 0;
    const size_t at = GetLE32(h) == nv::kCoreHeaderSize ? 10 : 14;
    return size < at + 2 ? 0 : GetLE16(h + at);
}

// ---- BMP streams

bool COXDIB::Read(nv::Stream& file, std::string* reason)
{
    Empty();
    try {
        if (auto* memory = dynamic_cast<nv::BmpMemoryFile*>(&file);
            memory && memory->GetPosition() == 0) {
            DIBBytes block;
            bool failed = false;
            if (TryAdoptMemoryFile(*memory, block, failed, reason))
                return !failed && AdoptRead(std::move(block), reason);
        }

        unsigned char fileHeader[nv::kBmpFileHeaderSize];
        if (file.Read(fileHeader, sizeof fileHeader) != sizeof fileHeader ||
            GetLE16(fileHeader) != 0x4D42)
            return Fail(reason, "not a BMP file");
        unsigned char info[nv::kLargestInfoHeaderSize];
        if (file.Read(info, 4) != 4)
            return Fail(reason, "the file ends inside the image header");
        const uint32_t headerSize = GetLE32(info);
        if (headerSize != nv::kCoreHeaderSize &&
            (headerSize < nv::kInfoHeaderSize || headerSize > nv::kLargestInfoHeaderSize))
            return Fail(reason, "unsupported image header size " + std::to_string(headerSize));
        if (file.Read(info + 4, headerSize - 4) != headerSize - 4)
            return Fail(reason, "the file ends inside the image header");

        const uint64_t length = file.GetLength(), position = file.GetPosition();
        ReadPlan plan;
        if (!PlanRead(fileHeader, info, length > position ? length - position : 0, plan, reason))
            return false;
        return AdoptRead(ReadBlock(file, plan, info), reason);
    } catch (const nv::FileError& e) {
        Empty();
        return Fail(reason, e.what());
    } catch (const std::bad_alloc&) {
        Empty();
        return Fail(reason, "not enough memory for the image");
    }
}

bool COXDIB::Write(nv::Stream& file)
{
    DIBLayout l;
    if (IsEmpty() || !nv::DescribeDIB(m_hDIB.data(), m_hDIB.size(), l) ||
        l.headerSize < nv::kInfoHeaderSize)
        return false;
    unsigned char* block = m_hDIB.data();
    if (l.compression != nv::kBiRLE8 && l.compression != nv::kBiRLE4)
        PutLE32(block + 20, uint32_t(l.imageSize));

    // A longer header is written as its first 40 bytes; colour masks follow them either way.
    const size_t masks = l.compression == nv::kBiBitfields ? nv::kMaskBytes : 0;
    const size_t table = size_t(l.colorCount) * 4;
    const uint32_t pixelOffset =
        uint32_t(nv::kBmpFileHeaderSize + nv::kInfoHeaderSize + masks + table);
    unsigned char head[nv::kBmpFileHeaderSize + nv::kInfoHeaderSize + nv::kMaskBytes] = {'B', 'M'};
    PutLE32(head + 2, uint32_t(pixelOffset + l.imageSize));
    PutLE32(head + 10, pixelOffset);
    std::memcpy(head + nv::kBmpFileHeaderSize, block, nv::kInfoHeaderSize + masks);
    PutLE32(head + nv::kBmpFileHeaderSize, nv::kInfoHeaderSize);
    nv::PutLE16(head + nv::kBmpFileHeaderSize + 12, 1); // planes: always 1
    file.Write(head, nv::kBmpFileHeaderSize + nv::kInfoHeaderSize + masks);
    file.Write(block + l.colorTableOffset, table);
    file.Write(block + l.bitsOffset, l.imageSize);
    return true;
}

bool COXDIB::Serialize(nv::Stream& file, bool storing)
{
    return storing ? Write(file) : Read(file);
}

bool COXDIB::LoadResource(const std::string& name)
{
    QFile resource(QString::fromStdString(name.starts_with(':') ? name : ":/" + name));
    if (!resource.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = resource.readAll();
    std::vector<unsigned char> stream;
    if (bytes.size() < 2 ||
        GetLE16(reinterpret_cast<const unsigned char*>(bytes.constData())) != 0x4D42) {
        // A bare packed DIB: give it a file header whose pixel offset lies behind the table.
        const auto* dib = reinterpret_cast<const unsigned char*>(bytes.constData());
        stream.assign(nv::kBmpFileHeaderSize, 0);
        stream[0] = 'B';
        stream[1] = 'M';
        PutLE32(stream.data() + 2, uint32_t(nv::kBmpFileHeaderSize + size_t(bytes.size())));
        PutLE32(stream.data() + 10,
                uint32_t(nv::kBmpFileHeaderSize + FindDIBBitsOffset(dib, size_t(bytes.size()))));
    }
    stream.insert(stream.end(), bytes.begin(), bytes.end());
    nv::MemoryFile file(std::move(stream));
    COXDIB loaded;
    if (!loaded.Read(file))
        return false;
    *this = std::move(loaded);
    return true;
}

// ---- rotation

namespace {

// Where the pixel of destination column x' (top-down row y' fixed) comes from: the source
// column and row are linear in x' and y'.
struct PixelMap
{
    int64_t x0, xStep, xRow; // x = x0 + xStep * x' + xRow * y'
    int64_t y0, yStep, yRow; // y = y0 + yStep * x' + yRow * y'
};

PixelMap MapFor(int angle, bool flipRows, bool flipColumns, int64_t w, int64_t h)
{
    const bool swap = angle == 90 || angle == 270;
    const int64_t w2 = swap ? h : w, h2 = swap ? w : h;
    auto source = [&](int64_t xd, int64_t yd, int64_t& x, int64_t& y) {
        const int64_t xr = flipColumns ? w2 - 1 - xd : xd;
        const int64_t yr = flipRows ? h2 - 1 - yd : yd;
        switch (angle) {
        case 90:
            x = yr;
            y = h - 1 - xr;
            break;
        case 180:
            x = w - 1 - xr;
            y = h - 1 - yr;
            break;
        case 270:
            x = w - 1 - yr;
            y = xr;
            break;
        default:
            x = xr;
            y = yr;
        }
    };
    PixelMap m;
    int64_t x1, y1, x2, y2;
    source(0, 0, m.x0, m.y0);
    source(1, 0, x1, y1);
    source(0, 1, x2, y2);
    m.xStep = x1 - m.x0;
    m.yStep = y1 - m.y0;
    m.xRow = x2 - m.x0;
    m.yRow = y2 - m.y0;
    return m;
}

template <int Bytes>
void CopyPixels(unsigned char* dst, const unsigned char* src, ptrdiff_t step, int64_t count)
{
    for (int64_t i = 0; i < count; ++i, dst += Bytes, src += step)
        std::memcpy(dst, src, Bytes);
}

// Three-byte pixels moved as overlapping 4-byte words: each store's fourth byte is overwritten
// by the next pixel, the last pixel is moved as 3 bytes. Every read must leave a byte to spare
// in the source.
void CopyPixels3Wide(unsigned char* dst, const unsigned char* src, ptrdiff_t step, int64_t count)
{
    int64_t i = 0;
    for (; i + 1 < count; ++i, dst += 3, src += step) {
        uint32_t word;
        std::memcpy(&word, src, 4);
        std::memcpy(dst, &word, 4);
    }
    if (i < count)
        std::memcpy(dst, src, 3);
}

bool Cancelled(const std::atomic<bool>* cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

// Moves whole-byte pixels. A destination row whose source is a row read forwards is one
// memcpy; otherwise rows are filled in tiles, so that the source lines a tile reads stay in
// the cache while its rows take their pixels from them. False when cancelled (polled per band
// of rows).
bool MovePixels(const unsigned char* src, size_t srcBytes, const DIBLayout& s, unsigned char* dst,
                const DIBLayout& d, const PixelMap& m, const std::atomic<bool>* cancel)
{
    const int bytes = int(s.bitCount / 8);
    const ptrdiff_t storedStep = s.topDown ? 1 : -1; // stored row per top-down row
    auto sourceAt = [&](int64_t x, int64_t y) {
        const int64_t stored = s.topDown ? y : s.height - 1 - y;
        return src + stored * int64_t(s.rowSize) + x * bytes;
    };
    const unsigned char* wideLimit = src + srcBytes - 4; // last start of a 4-byte read
    const ptrdiff_t step = ptrdiff_t(m.yStep * storedStep * int64_t(s.rowSize) + m.xStep * bytes);
    const size_t used = size_t(d.width) * size_t(bytes);
    auto destRow = [&](int64_t yd) { return dst + (d.height - 1 - yd) * int64_t(d.rowSize); };

    const int64_t kTileRows = 64, kTileColumns = 64;
    const bool forwardRows = m.yStep == 0 && m.xStep == 1;
    const int64_t chunk = m.yStep == 0 ? d.width : kTileColumns;
    for (int64_t band = 0; band < d.height; band += kTileRows) {
        if (Cancelled(cancel))
            return false;
        const int64_t bandEnd = std::min<int64_t>(band + kTileRows, d.height);
        for (int64_t yd = band; yd < bandEnd; ++yd)
            std::memset(destRow(yd) + used, 0, size_t(d.rowSize) - used);
        for (int64_t xs = 0; xs < d.width; xs += chunk) {
            const int64_t count = std::min<int64_t>(chunk, d.width - xs);
            for (int64_t yd = band; yd < bandEnd; ++yd) {
                const unsigned char* from =
                    sourceAt(m.x0 + m.xStep * xs + m.xRow * yd, m.y0 + m.yStep * xs + m.yRow * yd);
                unsigned char* to = destRow(yd) + xs * bytes;
                if (forwardRows) {
                    std::memcpy(to, from, size_t(count) * size_t(bytes));
                    continue;
                }
                switch (bytes) {
                case 1:
                    CopyPixels<1>(to, from, step, count);
                    break;
                case 2:
                    CopyPixels<2>(to, from, step, count);
                    break;
                case 3:
                    if (std::max(from, from + (count - 1) * step) <= wideLimit)
                        CopyPixels3Wide(to, from, step, count);
                    else
                        CopyPixels<3>(to, from, step, count);
                    break;
                default:
                    CopyPixels<4>(to, from, step, count);
                }
            }
        }
    }
    return true;
}

// Moves 1- and 4-bit pixels one at a time into a zeroed destination. False when cancelled.
bool MoveSmallPixels(const unsigned char* src, const DIBLayout& s, unsigned char* dst,
                     const DIBLayout& d, const PixelMap& m, const std::atomic<bool>* cancel)
{
    const unsigned bits = s.bitCount;
    const unsigned perByte = 8 / bits, mask = (1u << bits) - 1;
    for (int64_t yd = 0; yd < d.height; ++yd) {
        if (yd % 64 == 0 && Cancelled(cancel))
            return false;
        unsigned char* to = dst + (d.height - 1 - yd) * int64_t(d.rowSize);
        for (int64_t xd = 0; xd < d.width; ++xd) {
            const int64_t x = m.x0 + m.xStep * xd + m.xRow * yd;
            const int64_t y = m.y0 + m.yStep * xd + m.yRow * yd;
            const unsigned char* row =
                src + (s.topDown ? y : s.height - 1 - y) * int64_t(s.rowSize);
            const unsigned shiftIn = (perByte - 1 - unsigned(x % perByte)) * bits;
            const unsigned value = (row[x / perByte] >> shiftIn) & mask;
            const unsigned shiftOut = (perByte - 1 - unsigned(xd % perByte)) * bits;
            to[xd / perByte] |= uint8_t(value << shiftOut);
        }
    }
    return true;
}

} // namespace

bool COXDIB::Rotate(int angle, bool flipRows, bool flipColumns)
{
    if (angle % 90 == 0 && !IsEmpty() && angle % 360 == 0 && !flipRows && !flipColumns)
        return true;
    COXDIB turned;
    if (!RotateInto(angle, flipRows, flipColumns, turned))
        return false;
    *this = std::move(turned);
    return true;
}

bool COXDIB::RotateInto(int angle, bool flipRows, bool flipColumns, COXDIB& out,
                        const std::atomic<bool>* cancel) const
{
    if (angle % 90 != 0)
        return false;
    angle %= 360;
    if (angle < 0)
        angle += 360;
    if (IsEmpty())
        return false;

    DIBLayout s;
    if (!nv::DescribeDIB(m_hDIB.data(), m_hDIB.size(), s) || s.headerSize < nv::kInfoHeaderSize)
        return false;
    // The turned copy, and the expanded pixels of a run-length image, have to fit in memory.
    const bool runLength = s.compression == nv::kBiRLE8 || s.compression == nv::kBiRLE4;
    const uint64_t pixels = s.rowSize * uint64_t(s.height);
    const uint64_t headers = s.colorTableOffset + uint64_t(s.colorCount) * 4;
    const uint64_t turned =
        headers + (angle == 90 || angle == 270
                       ? nv::DIBRowSize(uint64_t(s.height), s.bitCount) * uint64_t(s.width)
                       : pixels);
    if (!nv::CheckImageMemory(uint64_t(s.width), uint64_t(s.height),
                              turned + (runLength ? headers + pixels : 0), nullptr))
        return false;
    try {
        const unsigned char* source = m_hDIB.data();
        DIBBytes expanded;
        if (runLength) {
            if (!nv::ExpandRLE(m_hDIB.data(), m_hDIB.size(), expanded) ||
                !nv::DescribeDIB(expanded.data(), expanded.size(), s))
                return false;
            source = expanded.data();
        }

        const bool swap = angle == 90 || angle == 270;
        const int32_t width = swap ? s.height : s.width;
        const int32_t height = swap ? s.width : s.height;
        const BitmapInfoHeader old = BitmapInfoHeader::Load(source);

        // The new header: as a new image of this bit count gets it; 16- and 32-bit images keep
        // their compression, colour masks and colour table.
        BitmapInfoHeader h;
        uint32_t colors;
        if (s.bitCount <= 8 || s.bitCount == 24) {
            InitBitmapInfoHeader(h, width, height, int(s.bitCount));
            colors = h.biClrUsed ? h.biClrUsed : s.bitCount == 1 ? 2 : 0;
        } else {
            h = old;
            h.biSize = nv::kInfoHeaderSize;
            h.biWidth = width;
            h.biHeight = height;
            colors = s.colorCount;
            h.biClrUsed = colors;
        }
        h.biXPelsPerMeter = swap ? old.biYPelsPerMeter : old.biXPelsPerMeter;
        h.biYPelsPerMeter = swap ? old.biXPelsPerMeter : old.biYPelsPerMeter;
        h.biClrImportant = 0;
        const uint64_t rowSize = nv::DIBRowSize(uint64_t(width), s.bitCount);
        h.biSizeImage = uint32_t(rowSize * uint64_t(height));
        const size_t masks = h.biCompression == nv::kBiBitfields ? nv::kMaskBytes : 0;
        const size_t tableOffset = nv::kInfoHeaderSize + masks;
        const size_t bitsOffset = tableOffset + size_t(colors) * 4;

        DIBBytes block(bitsOffset + h.biSizeImage);
        h.Store(block.data());
        if (masks)
            std::memcpy(block.data() + nv::kInfoHeaderSize, source + nv::kInfoHeaderSize, masks);
        unsigned char* table = block.data() + tableOffset;
        for (uint32_t i = 0; i < colors; ++i) {
            const unsigned char* c = kNewImageColors[i % 16];
            const unsigned char entry[4] = {c[2], c[1], c[0], 0};
            std::memcpy(table + i * 4,
                        i < s.colorCount ? source + s.colorTableOffset + i * 4 : entry, 4);
        }

        DIBLayout d;
        d.width = width;
        d.height = height;
        d.bitCount = s.bitCount;
        d.rowSize = rowSize;
        const PixelMap map = MapFor(angle, flipRows, flipColumns, s.width, s.height);
        unsigned char* pixels = block.data() + bitsOffset;
        if (s.bitCount < 8) {
            std::memset(pixels, 0, h.biSizeImage);
            if (!MoveSmallPixels(source + s.bitsOffset, s, pixels, d, map, cancel))
                return false;
        } else if (!MovePixels(source + s.bitsOffset, s.imageSize, s, pixels, d, map, cancel)) {
            return false;
        }
        COXDIB turned;
        if (!turned.Adopt(std::move(block)))
            return false;
        out = std::move(turned);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// ---- halftone

void COXDIB::SetScreenPaletteSize(int entries)
{
    g_screenPaletteSize = std::max(entries, 0);
}

int COXDIB::GetScreenPaletteSize()
{
    return g_screenPaletteSize;
}

bool COXDIB::CreateScreenHalftonePalette(COXPalette& palette)
{
    if (g_screenPaletteSize < 256)
        return false;
    palette = COXPalette::Halftone();
    return true;
}

bool COXDIB::HalfToneDIB(const COXPalette* halftonePalette)
{
    DIBLayout s;
    if (IsEmpty() || GetNumBitsPerPixel() < 24 || !nv::DescribeDIB(m_hDIB.data(), m_hDIB.size(), s))
        return false;
    COXPalette palette;
    if (halftonePalette)
        palette = *halftonePalette;
    else if (!CreateScreenHalftonePalette(palette))
        return false;
    const std::vector<PaletteEntry>& entries = palette.Entries();
    const bool translate = entries.size() < 2 || !(entries[1] == PaletteEntry{44, 0, 0, 0});

    try {
        COXDIB result;
        if (!result.CreateEmpty(8, s.width, s.height))
            return false;
        result.PaletteToColorTable(&palette);
        unsigned char* out = const_cast<unsigned char*>(result.FindDIBBits());
        const size_t outRowSize = size_t(nv::DIBRowSize(uint64_t(s.width), 8));
        std::vector<uint32_t> row(size_t(s.width));
        for (int32_t y = 0; y < s.height; ++y) { // y counts stored rows from the bottom
            nv::ConvertDIBToRGB32(m_hDIB.data(), s, 0, s.height - 1 - y, s.width, 1, row.data(),
                                  row.size());
            unsigned char* to = out + size_t(y) * outRowSize;
            for (int32_t x = 0; x < s.width; ++x) {
                const unsigned h = kHalftoneThresholds[(x & 7) * 8 + (y & 7)];
                auto level = [h](unsigned v) { return v / 51 + (v % 51 > h ? 1 : 0); };
                const uint32_t px = row[size_t(x)];
                const unsigned index =
                    level((px >> 16) & 255) + 6 * level((px >> 8) & 255) + 36 * level(px & 255);
                to[x] = translate ? kHalftoneTranslation[index] : uint8_t(index);
            }
        }
        m_hDIB = std::move(result.m_hDIB);
        m_pPalette = std::make_unique<COXPalette>(std::move(palette));
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}
