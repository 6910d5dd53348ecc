// Thumbnails of BMP and JPEG files.
#include "imaging/thumbnail.h"

#include "imaging/dib.h"
#include "imaging/dib_display.h"
#include "imaging/dib_format.h"
#include "imaging/jpeg_reduced.h"
#include "platform/file.h"

#include <algorithm>
#include <new>

namespace {

using nv::GetLE16;
using nv::GetLE32;
using nv::PutLE16;
using nv::PutLE32;

// Run-length images have to be decoded from their start; larger ones are not previewed.
constexpr uint64_t kMaxRunLengthPixels = uint64_t(64) << 20;
constexpr int64_t kMaxRunLengthWidth = 65536;
// Pixels converted at a time: a piece of a row, or a band of rows of a run-length image.
constexpr int64_t kPiecePixels = 4096;
constexpr int64_t kBandPixels = int64_t(4) << 20;
// Limits of a reduced JPEG decoding: its pixels (an image of up to a gigapixel), and libjpeg's own memory (the coefficient
// buffers of a progressive file cover the whole image whatever the reduction).
constexpr uint64_t kMaxReducedPixels = uint64_t(16) << 20;
constexpr long kMaxJPEGMemoryKB = 512 * 1024;

bool Fail(std::string* reason, const std::string& text)
{
    if (reason)
        *reason = text;
    return false;
}

bool Cancelled(const std::atomic<bool>* cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

// Feeds every step-th row of an image, from the top, into the scaler as source rows 0, 1, 2...
bool FeedRows(const COXDIB& dib, int64_t step, AreaScaler& scaler,
              const std::atomic<bool>* cancel)
{
    const nv::DIBBytes& block = dib.GetDIB();
    nv::DIBLayout l;
    if (!nv::DescribeDIB(block.data(), block.size(), l))
        return false;
    // Each conversion of a run-length image walks its data from the start: take whole bands.
    const bool runLength = l.compression == nv::kBiRLE8 || l.compression == nv::kBiRLE4;
    const int64_t width = l.width;
    const int64_t band = runLength ? std::max<int64_t>(1, kBandPixels / width) : 1;
    const int64_t piece = runLength ? width : std::min(width, kPiecePixels);
    std::vector<uint32_t> buffer(size_t(piece * band));
    for (int64_t top = 0; top < l.height; top += band) {
        if (Cancelled(cancel))
            return false;
        const int64_t rows = std::min<int64_t>(band, l.height - top);
        const int64_t first = (top + step - 1) / step * step;
        if (first >= top + rows)
            continue;
        for (int64_t x = 0; x < width; x += piece) {
            const int64_t n = std::min(piece, width - x);
            if (!nv::ConvertDIBToRGB32(block.data(), l, int(x), int(top), int(n), int(rows),
                                       buffer.data(), size_t(n)))
                return false;
            for (int64_t y = first; y < top + rows; y += step)
                scaler.AddRow(uint64_t(y / step), uint64_t(x), buffer.data() + (y - top) * n,
                              size_t(n));
        }
    }
    return true;
}

// Reads exactly count bytes at offset.
bool ReadAt(nv::Stream& file, uint64_t offset, void* buffer, size_t count)
{
    file.Seek(int64_t(offset), nv::Stream::begin);
    return file.Read(buffer, count) == count;
}

// A BMP file whose rows can be read one by one is read every step-th row into a smaller BMP
// stream, which COXDIB::Read then checks like any other. Run-length images, and headers that
// this reader does not take apart, are read whole (the reader refuses a bad header before it
// reads any pixels).
bool BmpThumbnail(nv::Stream& file, int boxWidth, int boxHeight, Thumbnail& thumbnail,
                  std::string* reason, const std::atomic<bool>* cancel)
{
    const uint64_t length = file.GetLength();
    unsigned char head[nv::kBmpFileHeaderSize + nv::kLargestInfoHeaderSize];
    unsigned char* info = head + nv::kBmpFileHeaderSize;
    if (!ReadAt(file, 0, head, nv::kBmpFileHeaderSize + 4))
        return Fail(reason, "the file ends inside the image header");
    const uint32_t headerSize = GetLE32(info);
    const bool core = headerSize == nv::kCoreHeaderSize;
    if (!core && (headerSize < nv::kInfoHeaderSize || headerSize > nv::kLargestInfoHeaderSize))
        return Fail(reason, "unsupported image header size " + std::to_string(headerSize));
    if (file.Read(info + 4, headerSize - 4) != headerSize - 4)
        return Fail(reason, "the file ends inside the image header");

    const int64_t width = core ? GetLE16(info + 4) : int32_t(GetLE32(info + 4));
    const int64_t height = core ? GetLE16(info + 6) : int32_t(GetLE32(info + 8));
    const unsigned bits = core ? GetLE16(info + 10) : GetLE16(info + 14);
    const uint32_t compression = core ? uint32_t(nv::kBiRGB) : GetLE32(info + 16);
    const uint32_t colorsUsed = core ? 0 : GetLE32(info + 32);
    const uint64_t rows = height < 0 ? uint64_t(-height) : uint64_t(height);
    const uint32_t colors = colorsUsed ? colorsUsed : bits <= 8 ? 1u << bits : 0;
    const bool byRows = width > 0 && rows > 0 && colors <= 256 &&
                        (bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 ||
                         bits == 32) &&
                        (compression == nv::kBiRGB || compression == nv::kBiBitfields);
    int fitWidth = 1, fitHeight = 1;
    if (width > 0)
        FitInto(uint64_t(width), rows, boxWidth, boxHeight, fitWidth, fitHeight);
    const int64_t step = std::max<int64_t>(1, int64_t(rows) / fitHeight);

    COXDIB dib;
    int64_t sampleStep = 1;    // of the rows of dib
    uint64_t sourceRows = rows; // rows that reach the scaler
    if (byRows) {
        // Where the pixels start: at the pixel offset, or right behind the colour table (and
        // the colour masks) when the offset points into them.
        const bool masks = compression == nv::kBiBitfields && headerSize == nv::kInfoHeaderSize &&
                           GetLE32(head + 10) != nv::kBmpFileHeaderSize + nv::kInfoHeaderSize +
                                                     uint64_t(colors) * 4;
        const uint64_t tableEnd = nv::kBmpFileHeaderSize + headerSize + (masks ? nv::kMaskBytes : 0) +
                                  uint64_t(colors) * (core ? 3 : 4);
        const uint64_t start = std::max<uint64_t>(GetLE32(head + 10), tableEnd);
        const uint64_t rowSize = nv::DIBRowSize(uint64_t(width), bits);
        if (start > length || rows > (length - start) / rowSize)
            return Fail(reason, "the file ends inside the pixel data");

        const uint64_t sampled = (rows + step - 1) / step;
        std::vector<unsigned char> stream(size_t(tableEnd + rowSize * sampled));
        std::copy(head, head + nv::kBmpFileHeaderSize + headerSize, stream.begin());
        unsigned char* h = stream.data() + nv::kBmpFileHeaderSize;
        PutLE32(stream.data() + 2, uint32_t(stream.size()));
        // An offset into the headers or the colour table stays, for the reader to judge.
        PutLE32(stream.data() + 10, uint32_t(std::min<uint64_t>(GetLE32(head + 10), tableEnd)));
        if (core) {
            PutLE16(h + 6, uint16_t(sampled));
        } else {
            PutLE32(h + 8, uint32_t(height < 0 ? -int64_t(sampled) : int64_t(sampled)));
            PutLE32(h + 20, 0);
        }
        const size_t tableStart = nv::kBmpFileHeaderSize + headerSize;
        if (!ReadAt(file, tableStart, stream.data() + tableStart, size_t(tableEnd - tableStart)))
            return Fail(reason, "the file ends inside the colour table");
        // Stored rows run bottom-up unless the height is negative; the rows kept are image
        // rows 0, step, 2 step... from the top.
        for (uint64_t j = 0; j < sampled; ++j) {
            if (Cancelled(cancel))
                return Fail(reason, "cancelled");
            const uint64_t k = height < 0 ? j : sampled - 1 - j;
            const uint64_t stored = height < 0 ? k * step : rows - 1 - k * step;
            if (!ReadAt(file, start + stored * rowSize, stream.data() + tableEnd + j * rowSize,
                        size_t(rowSize)))
                return Fail(reason, "the file ends inside the pixel data");
        }
        nv::MemoryFile rowsRead(std::move(stream));
        if (!dib.Read(rowsRead, reason))
            return false;
        sourceRows = sampled;
    } else {
        if ((compression == nv::kBiRLE8 || compression == nv::kBiRLE4) &&
            (uint64_t(std::max<int64_t>(width, 0)) * rows > kMaxRunLengthPixels ||
             width > kMaxRunLengthWidth))
            return Fail(reason, "the run-length image is too large to preview");
        file.SeekToBegin();
        if (!dib.Read(file, reason))
            return false;
        sampleStep = step;
        sourceRows = (rows + step - 1) / step;
    }
    AreaScaler scaler(uint64_t(width), sourceRows, fitWidth, fitHeight);
    if (!FeedRows(dib, sampleStep, scaler, cancel))
        return Fail(reason, Cancelled(cancel) ? "cancelled" : "malformed image");
    thumbnail.width = fitWidth;
    thumbnail.height = fitHeight;
    thumbnail.pixels = scaler.Result();
    thumbnail.imageWidth = uint32_t(width);
    thumbnail.imageHeight = uint32_t(rows);
    thumbnail.bitsPerPixel = dib.GetNumBitsPerPixel();
    return true;
}

bool JpegThumbnail(nv::Stream& file, int boxWidth, int boxHeight, Thumbnail& thumbnail,
                   std::string* reason, const std::atomic<bool>* cancel)
{
    JPEGReduction how;
    how.boxWidth = boxWidth;
    how.boxHeight = boxHeight;
    how.maxPixels = kMaxReducedPixels;
    how.maxMemoryKB = kMaxJPEGMemoryKB;
    how.cancel = cancel;
    how.firstScans = true; // a progressive file's first scans hold all a thumbnail shows
    COXDIB dib;
    JPEGReducedInfo info;
    if (!ReadJPEGReduced(file, how, dib, &info, reason))
        return false;
    const DIBSize size = dib.GetSize();
    int fitWidth = 1, fitHeight = 1;
    FitInto(info.width, info.height, boxWidth, boxHeight, fitWidth, fitHeight);
    AreaScaler scaler(uint64_t(size.cx), uint64_t(size.cy), fitWidth, fitHeight);
    if (!FeedRows(dib, 1, scaler, cancel))
        return Fail(reason, "cancelled");
    thumbnail.width = fitWidth;
    thumbnail.height = fitHeight;
    thumbnail.pixels = scaler.Result();
    thumbnail.imageWidth = info.width;
    thumbnail.imageHeight = info.height;
    thumbnail.bitsPerPixel = dib.GetNumBitsPerPixel();
    return true;
}

} // namespace

void FitInto(uint64_t width, uint64_t height, int boxWidth, int boxHeight, int& fitWidth,
             int& fitHeight)
{
    const uint64_t bw = uint64_t(std::max(boxWidth, 1)), bh = uint64_t(std::max(boxHeight, 1));
    width = std::max<uint64_t>(width, 1);
    height = std::max<uint64_t>(height, 1);
    if (width <= bw && height <= bh) {
        fitWidth = int(width);
        fitHeight = int(height);
    } else if (width * bh >= height * bw) { // the width decides
        fitWidth = int(bw);
        fitHeight = int(std::max<uint64_t>(1, (height * bw + width / 2) / width));
    } else {
        fitHeight = int(bh);
        fitWidth = int(std::max<uint64_t>(1, (width * bh + height / 2) / height));
    }
}

bool MakeThumbnail(const std::string& path, int boxWidth, int boxHeight, Thumbnail& thumbnail,
                   std::string* reason, const std::atomic<bool>* cancel)
{
    nv::File file;
    nv::FileError error(nv::FileError::none, 0, path, "");
    if (!file.Open(path, nv::File::modeRead, &error))
        return Fail(reason, error.what());
    return MakeThumbnail(file, boxWidth, boxHeight, thumbnail, reason, cancel);
}

bool MakeThumbnail(nv::Stream& file, int boxWidth, int boxHeight, Thumbnail& thumbnail,
                   std::string* reason, const std::atomic<bool>* cancel)
{
    Thumbnail made;
    try {
        unsigned char magic[2] = {};
        file.SeekToBegin();
        const bool bmp = file.Read(magic, 2) == 2 && magic[0] == 'B' && magic[1] == 'M';
        if (!(bmp ? BmpThumbnail(file, boxWidth, boxHeight, made, reason, cancel)
                  : JpegThumbnail(file, boxWidth, boxHeight, made, reason, cancel)))
            return false;
    } catch (const nv::FileError& e) {
        return Fail(reason, e.what());
    } catch (const std::bad_alloc&) {
        return Fail(reason, "not enough memory for the preview");
    }
    thumbnail = std::move(made);
    return true;
}

std::string ThumbnailCaption(const Thumbnail& thumbnail)
{
    return std::to_string(thumbnail.imageWidth) + " x " + std::to_string(thumbnail.imageHeight) +
           " pixels\n" + std::to_string(thumbnail.bitsPerPixel) + " bits per pixel";
}

// ---- area scaler

AreaScaler::AreaScaler(uint64_t sourceWidth, uint64_t sourceHeight, int width, int height)
    : m_sourceWidth(std::max<uint64_t>(sourceWidth, 1)),
      m_sourceHeight(std::max<uint64_t>(sourceHeight, 1)), m_width(std::max(width, 1)),
      m_height(std::max(height, 1)), m_sums(size_t(m_width) * size_t(m_height) * 4)
{}

void AreaScaler::AddRow(uint64_t y, uint64_t x, const uint32_t* pixels, size_t count)
{
    if (y >= m_sourceHeight)
        return;
    uint64_t* row = m_sums.data() + size_t(y * uint64_t(m_height) / m_sourceHeight) * m_width * 4;
    for (size_t i = 0; i < count && x + i < m_sourceWidth; ++i) {
        uint64_t* sum = row + size_t((x + i) * uint64_t(m_width) / m_sourceWidth) * 4;
        const uint32_t p = pixels[i];
        sum[0] += (p >> 16) & 0xFF;
        sum[1] += (p >> 8) & 0xFF;
        sum[2] += p & 0xFF;
        sum[3] += 1;
    }
}

std::vector<uint32_t> AreaScaler::Result() const
{
    std::vector<uint32_t> out(size_t(m_width) * size_t(m_height));
    for (size_t i = 0; i < out.size(); ++i) {
        const uint64_t* s = m_sums.data() + i * 4;
        const uint64_t n = s[3];
        auto mean = [n](uint64_t sum) { return uint32_t(n ? (sum + n / 2) / n : 0); };
        out[i] = 0xFF000000u | (mean(s[0]) << 16) | (mean(s[1]) << 8) | mean(s[2]);
    }
    return out;
}
