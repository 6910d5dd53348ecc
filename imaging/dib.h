// COXDIB: one raster image held as a packed device-independent bitmap (the layout of a BMP
// file without its 14-byte file header) with the palette built from its colour table.
// It reads and writes BMP streams, decodes JPEG files, rotates and flips in steps of 90
// degrees and reduces true-colour images to 8-bit halftone images. All of this is plain memory
// work; drawing (Paint) and the conversion from a QImage (BitmapToDIB) are defined in the
// imaging_widgets library.
//
// Block layout (little-endian): the information header (biSize bytes, 40 for every block
// created here), for a 40-byte header with bitfields compression the three 32-bit colour
// masks, the colour table (4-byte entries blue, green, red, 0), then the pixel rows, each
// padded to a multiple of 4 bytes, bottom row first (top row first when biHeight < 0).
#pragma once

#include "imaging/dib_bytes.h"
#include "imaging/dib_format.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class COXJPEGReader;
class QImage;
class QPainter;
class QRect;

namespace nv {
class Stream;
}

struct PaletteEntry
{
    uint8_t peRed = 0;
    uint8_t peGreen = 0;
    uint8_t peBlue = 0;
    uint8_t peFlags = 0;

    bool operator==(const PaletteEntry&) const = default;
};

// A logical palette: a list of colours. On a true-colour screen it is never realised; it
// only carries colours between colour tables.
class COXPalette
{
public:
    COXPalette() = default;
    explicit COXPalette(std::vector<PaletteEntry> entries) : m_entries(std::move(entries)) {}

    size_t GetEntryCount() const { return m_entries.size(); }
    const std::vector<PaletteEntry>& Entries() const { return m_entries; }

    // The default palette of a screen: its 20 static colours.
    static COXPalette StockDefault();
    // The 256-colour halftone palette of an 8-bit screen: the 6 x 6 x 6 colour cube at the
    // places the halftone translation table gives, and the static colours.
    static COXPalette Halftone();

private:
    std::vector<PaletteEntry> m_entries;
};

// Width and height of an image in pixels.
struct DIBSize
{
    int32_t cx = 0;
    int32_t cy = 0;

    bool operator==(const DIBSize&) const = default;
};

class COXDIB
{
public:
    COXDIB() = default;
    ~COXDIB() = default;
    // Copies the other image's block and builds a new palette for it.
    COXDIB(const COXDIB& other);
    COXDIB& operator=(const COXDIB& other);
    COXDIB(COXDIB&& other) noexcept = default;
    COXDIB& operator=(COXDIB&& other) noexcept = default;

    bool IsEmpty() const { return m_hDIB.empty(); }
    // Frees the block and the palette.
    void Empty();

    // Replaces the image by a copy of block. Does nothing (false) for an empty block or one
    // whose first 32-bit word is not 40, or when the block cannot be copied.
    bool Assign(const unsigned char* block, size_t size);
    bool Assign(const nv::DIBBytes& block) { return Assign(block.data(), block.size()); }

    // Replaces the image by a blank one: zero pixels, a 40-byte header from
    // InitBitmapInfoHeader, and for 4 and 8 bits the 16-colour table repeated over the
    // biClrUsed entries. False, with the image unchanged, for a size that is not positive or
    // too large for the format, or when memory runs out.
    bool CreateEmpty(int bits, int width, int height);

    // A 40-byte header for a new image: bits 1 or less give 1; 2 to 4 give 4 with 16 colours;
    // 5 to 8 give 8 with 256 colours; more give 24. biSizeImage covers every row.
    static void InitBitmapInfoHeader(nv::BitmapInfoHeader& header, int width, int height, int bits);

    // Builds m_pPalette from the colour table (none for an image without one). True unless
    // the block is malformed, in which case the image is emptied.
    bool InitPalette();
    // Overwrites the colour table's first entries with a palette's colours (the default
    // palette when given none). False for an image without a colour table.
    bool PaletteToColorTable(const COXPalette* palette);

    // Reads a BMP stream from the stream's position: 40-byte and longer headers, the 12-byte
    // core header (widened to a 40-byte header with 4-byte colour entries), colour masks,
    // run-length compressed pixels kept as read, a pixel offset beyond the colour table. Every
    // field is checked before anything is allocated; on any failure the image is empty and
    // reason (when given) says why. An nv::BmpMemoryFile at its start is taken over without
    // copying its pixels.
    bool Read(nv::Stream& file, std::string* reason = nullptr);
    // Writes the image as a BMP stream with a 40-byte header. False for an empty or malformed
    // image; failures of the stream are thrown as nv::FileError.
    bool Write(nv::Stream& file);
    // Read when loading, Write when storing.
    bool Serialize(nv::Stream& file, bool storing);

    // Decodes a JPEG file. On failure (libjpeg error or warning) the image is unchanged, the
    // reason goes to the diagnostic log and, when asked, to reason.
    bool ReadJPEG(const std::string& path, std::string* reason = nullptr);
    bool ReadJPEG(nv::Stream& file, std::string* reason = nullptr);
    // The same with the caller's decoder, whose parameters (scale, limits, cancel flag) apply.
    bool ReadJPEG(nv::Stream& file, COXJPEGReader& reader, std::string* reason = nullptr);

    // Loads a BMP from the Qt resource system (":/name", or the name as given when it starts
    // with ':'); the resource holds a BMP file or a bare packed DIB.
    bool LoadResource(const std::string& name);

    // imaging_widgets: replaces the image by the pixels of bitmap (1-bit and 8-bit indexed
    // images keep their colour table, everything else becomes 24-bit). With a palette, the
    // colour table takes its colours. False for a null bitmap or when memory runs out.
    bool BitmapToDIB(const QImage& bitmap, const COXPalette* palette = nullptr);
    // imaging_widgets: draws the source rectangle of the image (image pixels, y downwards)
    // into the destination rectangle, 1:1 when both have the same size and the painter only
    // translates, stretched (nearest pixel) otherwise. Only the part inside the painter's
    // clip region is converted. Returns the number of image rows drawn, 0 when nothing was.
    int Paint(QPainter& painter, const QRect& dest, const QRect& source) const;

    // Rotates clockwise by angle (a multiple of 90, negative allowed), then turns the image
    // upside down (flipRows) and mirrors it left-right (flipColumns). Handles 1, 4, 8, 16, 24
    // and 32 bits; run-length images are decoded first. False, with the image unchanged, for
    // another angle, an empty or malformed image, or when memory runs out.
    bool Rotate(int angle, bool flipRows, bool flipColumns);
    // The same into out, leaving this image as it is (so that other threads may go on
    // reading it meanwhile). Angle 0 without flips gives a copy. The cancel flag, when given,
    // is polled per band of rows: once it is set, false with out unchanged.
    bool RotateInto(int angle, bool flipRows, bool flipColumns, COXDIB& out,
                    const std::atomic<bool>* cancel = nullptr) const;

    // Reduces a 24- or 32-bit image to an 8-bit image over the halftone palette, with an
    // ordered dither. Without a palette given, the screen's halftone palette is used, which
    // exists only on a screen with a 256-colour palette. False, with the image unchanged, when
    // there is no palette, or for an empty image or one of fewer than 24 bits.
    bool HalfToneDIB(const COXPalette* halftonePalette = nullptr);

    // Colour-table entries: biClrUsed when non-zero (40-byte and longer headers), else 2, 16
    // or 256 for 1, 4 and 8 bits, else 0. 0 for an empty image.
    uint32_t GetNumColors() const { return GetNumColors(m_hDIB.data(), m_hDIB.size()); }
    // Bytes of the colour table: 4 per entry, 3 with a 12-byte header.
    uint32_t GetPaletteSize() const { return GetPaletteSize(m_hDIB.data(), m_hDIB.size()); }
    // The first pixel byte (behind header, colour masks and colour table); null when empty.
    const unsigned char* FindDIBBits() const;
    // Width and height in pixels (the height is positive for top-down images too).
    DIBSize GetSize() const { return GetSize(m_hDIB.data(), m_hDIB.size()); }
    unsigned GetNumBitsPerPixel() const { return GetNumBitsPerPixel(m_hDIB.data(), m_hDIB.size()); }

    // The same quantities for a header supplied by the caller; 0 when it is too short.
    static uint32_t GetNumColors(const unsigned char* header, size_t size);
    static uint32_t GetPaletteSize(const unsigned char* header, size_t size);
    static size_t FindDIBBitsOffset(const unsigned char* header, size_t size);
    static DIBSize GetSize(const unsigned char* header, size_t size);
    static unsigned GetNumBitsPerPixel(const unsigned char* header, size_t size);

    // The packed DIB; empty when the image is.
    const nv::DIBBytes& GetDIB() const { return m_hDIB; }
    // The palette built from the colour table, or null.
    const COXPalette* GetPalette() const { return m_pPalette.get(); }

    // Entries of the screen's palette: 0 (the default) for a true-colour screen.
    static void SetScreenPaletteSize(int entries);
    static int GetScreenPaletteSize();
    // The halftone palette of a screen with at least 256 palette entries; false otherwise.
    static bool CreateScreenHalftonePalette(COXPalette& palette);

private:
    // Takes block over as the image and builds its palette.
    bool Adopt(nv::DIBBytes&& block);
    // Adopt for a block just read from a BMP stream, with a reason for a failure.
    bool AdoptRead(nv::DIBBytes&& block, std::string* reason);
    // A zeroed block for header with room for colors table entries and every row, the header
    // stored. False when it is too large for the format or memory runs out.
    static bool MakeBlock(const nv::BitmapInfoHeader& header, uint32_t colors, nv::DIBBytes& block);

    nv::DIBBytes m_hDIB;
    std::unique_ptr<COXPalette> m_pPalette;
};
