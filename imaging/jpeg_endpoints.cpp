// The JPEG input endpoint (source manager) and the BMP output endpoint.
#include "imaging/jpeg_endpoints.h"

#include "imaging/bmp_memory_file.h"
#include "imaging/jpeg_reader.h"
#include "platform/file.h"

#include <cstdio>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

namespace {

constexpr size_t kInputBufferSize = 4096;
// Codes of the writer's own fatal errors; no message table is installed for them, so they
// read "Bogus message code N".
constexpr int kUnsupportedColorSpace = 1005;
constexpr int kTooManyColors = 1039;

[[noreturn]] void Fatal(j_decompress_ptr cinfo, int code)
{
    cinfo->err->msg_code = code;
    cinfo->err->error_exit(reinterpret_cast<j_common_ptr>(cinfo));
    // The error exit does not return; should an override do so, stop here all the same.
    RaiseJPEGError(reinterpret_cast<j_common_ptr>(cinfo), code, "JPEG decoding failed");
}

// ---- source manager

struct SourceManager
{
    jpeg_source_mgr pub;
    nv::Stream* file;
    JOCTET* buffer;
    boolean startOfFile;
};

// Reads the next piece; a file error counts as the end of the file.
size_t ReadPiece(nv::Stream* file, JOCTET* buffer) noexcept
{
    try {
        return file ? file->Read(buffer, kInputBufferSize) : 0;
    } catch (...) {
        return 0;
    }
}

void InitSource(j_decompress_ptr cinfo)
{
    reinterpret_cast<SourceManager*>(cinfo->src)->startOfFile = TRUE;
}

boolean FillInputBuffer(j_decompress_ptr cinfo)
{
    auto* src = reinterpret_cast<SourceManager*>(cinfo->src);
    size_t count = ReadPiece(src->file, src->buffer);
    if (count == 0) {
        if (src->startOfFile)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WARNMS(cinfo, JWRN_JPEG_EOF);
        // A fake end-of-image marker lets decoding finish.
        src->buffer[0] = JOCTET(0xFF);
        src->buffer[1] = JOCTET(JPEG_EOI);
        count = 2;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = count;
    src->startOfFile = FALSE;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr* src = cinfo->src;
    while (size_t(count) > src->bytes_in_buffer) {
        count -= long(src->bytes_in_buffer);
        FillInputBuffer(cinfo);
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= size_t(count);
}

void TermSource(j_decompress_ptr) {}

} // namespace

// ---- files of the endpoints

nv::EndpointFile::EndpointFile(std::string path) : m_strFileName(std::move(path)) {}

nv::EndpointFile::~EndpointFile() = default;

nv::Stream* nv::EndpointFile::Open(unsigned flags)
{
    if (m_pFile)
        return m_pFile;
    if (m_strFileName.empty())
        throw FileError(FileError::badPath, -1, {}, "No file name was given");
    auto file = std::make_unique<File>();
    file->OpenOrThrow(m_strFileName, flags);
    m_owned = std::move(file);
    m_pFile = m_owned.get();
    return m_pFile;
}

void nv::EndpointFile::Close()
{
    if (!m_pFile)
        return;
    if (m_owned) {
        std::unique_ptr<File> file = std::move(m_owned);
        m_pFile = nullptr;
        file->Close();
    } else if (m_bReleaseOnClose) {
        m_pFile = nullptr;
    }
}

void nv::EndpointFile::Abort() noexcept
{
    if (m_owned) {
        m_owned->Abort();
        m_owned.reset();
        m_pFile = nullptr;
    } else if (m_bReleaseOnClose) {
        m_pFile = nullptr;
    }
}

// ---- JPEG input

void COXJPEGSource::ReadHeader(jpeg_decompress_struct* cinfo)
{
    if (!cinfo->src) {
        auto* src = static_cast<SourceManager*>(cinfo->mem->alloc_small(
            reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(SourceManager)));
        src->buffer = static_cast<JOCTET*>(cinfo->mem->alloc_small(
            reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, kInputBufferSize));
        cinfo->src = &src->pub;
    }
    auto* src = reinterpret_cast<SourceManager*>(cinfo->src);
    src->pub.init_source = InitSource;
    src->pub.fill_input_buffer = FillInputBuffer;
    src->pub.skip_input_data = SkipInputData;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = TermSource;
    src->pub.bytes_in_buffer = 0;
    src->pub.next_input_byte = nullptr;
    src->file = m_file.Get();
    jpeg_read_header(cinfo, TRUE);
}

namespace {

// Whether every component's DC coefficients have arrived (in part at least).
bool EveryDCKnown(j_decompress_ptr cinfo)
{
    if (!cinfo->coef_bits)
        return false;
    for (int c = 0; c < cinfo->num_components; ++c)
        if (cinfo->coef_bits[c][0] < 0)
            return false;
    return true;
}

} // namespace

void COXJPEGSource::StartDecompress(jpeg_decompress_struct* cinfo)
{
    jpeg_start_decompress(cinfo);
    if (!cinfo->buffered_image)
        return;
    // Reads scans until each component has its DC coefficients, then shows what they give.
    for (;;) {
        if (cinfo->progress)
            cinfo->progress->progress_monitor(reinterpret_cast<j_common_ptr>(cinfo));
        const int status = jpeg_consume_input(cinfo);
        if (status == JPEG_REACHED_EOI || (status == JPEG_SCAN_COMPLETED && EveryDCKnown(cinfo)))
            break;
        if (status == JPEG_SUSPENDED)
            RaiseJPEGError(reinterpret_cast<j_common_ptr>(cinfo), JERR_CANT_SUSPEND, nullptr);
    }
    jpeg_start_output(cinfo, cinfo->input_scan_number);
}

unsigned COXJPEGSource::ReadScanlines(jpeg_decompress_struct* cinfo, unsigned char** rows,
                                      unsigned maxRows)
{
    return jpeg_read_scanlines(cinfo, rows, maxRows);
}

void COXJPEGSource::FinishDecompress(jpeg_decompress_struct* cinfo)
{
    if (!cinfo->buffered_image) {
        jpeg_finish_decompress(cinfo);
        return;
    }
    // The rest of the file is not wanted.
    jpeg_finish_output(cinfo);
    jpeg_abort_decompress(cinfo);
}

// ---- BMP output

void COXBMPWriter::InitOutput(jpeg_decompress_struct* cinfo, bool)
{
    if (cinfo->out_color_space == JCS_GRAYSCALE) {
        m_store = RowStore::gray;
        m_bEightBit = true;
    } else if (cinfo->out_color_space == JCS_RGB) {
        m_bEightBit = cinfo->quantize_colors != FALSE;
        m_store = m_bEightBit ? RowStore::gray : RowStore::rgbToBgr;
    } else if (cinfo->out_color_space == JCS_CMYK && !cinfo->quantize_colors) {
        m_bEightBit = false;
        m_store = RowStore::cmyk;
    } else {
        Fatal(cinfo, kUnsupportedColorSpace);
    }
#ifdef JCS_EXTENSIONS
    // libjpeg can deliver blue, green, red itself.
    if (m_store == RowStore::rgbToBgr) {
        cinfo->out_color_space = JCS_EXT_BGR;
        m_store = RowStore::bgr;
    }
#endif
    jpeg_calc_output_dimensions(cinfo);

    m_nWidth = cinfo->output_width;
    m_nHeight = cinfo->output_height;
    const uint64_t unpadded = uint64_t(m_nWidth) * (m_bEightBit ? 1 : 3);
    const uint64_t rowWidth = (unpadded + 3) & ~uint64_t(3);
    const uint64_t entries = m_bEightBit ? 256 : 0;
    const uint64_t total =
        nv::kBmpFileHeaderSize + nv::kInfoHeaderSize + entries * 4 + rowWidth * uint64_t(m_nHeight);
    if (total > m_nMaxStreamSize || m_nHeight == 0) {
        std::snprintf(m_szMessage, sizeof m_szMessage,
                      "Image too large: %u x %u pixels need a BMP stream of %llu bytes", m_nWidth,
                      m_nHeight, static_cast<unsigned long long>(total));
        RaiseJPEGError(reinterpret_cast<j_common_ptr>(cinfo), JERR_IMAGE_TOO_BIG, m_szMessage);
    }
    m_szMessage[0] = '\0';
    {
        std::string reason;
        if (!nv::CheckImageMemory(m_nWidth, m_nHeight, total, &reason))
            std::snprintf(m_szMessage, sizeof m_szMessage, "%s", reason.c_str());
    } // no object with a destructor is left when the error exit jumps
    if (m_szMessage[0])
        RaiseJPEGError(reinterpret_cast<j_common_ptr>(cinfo), JERR_OUT_OF_MEMORY, m_szMessage);
    m_nOutputBytes = total;
    m_nUnpaddedWidth = uint32_t(unpadded);
    m_nRowWidth = uint32_t(rowWidth);
    m_nPad = m_nRowWidth - m_nUnpaddedWidth;
    m_nCurrentRow = 0;
    if (m_store == RowStore::cmyk)
        m_pCMYKRow = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                                 m_nWidth * 4, 1)[0];

    // The image's memory is only reserved here: each page is first touched when a decoded
    // row is written to it, so data that ends early costs no more than the rows it held.
    nv::Stream* file = m_file.Get();
    m_pDirect = dynamic_cast<nv::BmpMemoryFile*>(file);
    if (m_pDirect && m_pDirect->GetLength() != 0)
        m_pDirect = nullptr;
    if (m_pDirect) {
        m_pDirect->SetLengthUninitialized(total);
        m_pRows = m_pDirect->DIB().data() + nv::kInfoHeaderSize + entries * 4;
    } else {
        m_nStart = file->GetPosition();
        m_image.resize(size_t(rowWidth * m_nHeight));
        m_pRows = m_image.data();
    }
}

bool COXBMPWriter::StartOutput(jpeg_decompress_struct*)
{
    return true;
}

unsigned char** COXBMPWriter::RowBuffer(unsigned& height)
{
    const uint32_t row = m_nCurrentRow < m_nHeight ? m_nHeight - 1 - m_nCurrentRow : 0;
    m_pTargetRow = m_pRows + size_t(row) * m_nRowWidth;
    m_rowPointers[0] = m_store == RowStore::cmyk ? m_pCMYKRow : m_pTargetRow;
    height = 1;
    return m_rowPointers;
}

void COXBMPWriter::StoreRows(jpeg_decompress_struct*, unsigned count)
{
    for (unsigned i = 0; i < count && m_nCurrentRow < m_nHeight; ++i, ++m_nCurrentRow) {
        unsigned char* row = m_pTargetRow;
        if (m_store == RowStore::rgbToBgr) {
            for (uint32_t x = 0; x < m_nUnpaddedWidth; x += 3)
                std::swap(row[x], row[x + 2]);
        } else if (m_store == RowStore::cmyk) {
            // Inverted inks: each colour is its ink value scaled by the black value, rounded.
            const unsigned char* in = m_pCMYKRow;
            for (uint32_t x = 0; x < m_nWidth; ++x, in += 4, row += 3) {
                const unsigned k = in[3];
                row[0] = uint8_t((in[2] * k + 127) / 255);
                row[1] = uint8_t((in[1] * k + 127) / 255);
                row[2] = uint8_t((in[0] * k + 127) / 255);
            }
            row = m_pTargetRow;
        }
        std::memset(row + m_nUnpaddedWidth, 0, m_nPad);
    }
}

bool COXBMPWriter::FinishOutput(jpeg_decompress_struct* cinfo)
{
    const uint32_t entries = m_bEightBit ? 256 : 0;
    const uint32_t headerSize =
        uint32_t(nv::kBmpFileHeaderSize + nv::kInfoHeaderSize + entries * 4);
    unsigned char head[nv::kBmpFileHeaderSize + nv::kInfoHeaderSize + 256 * 4] = {'B', 'M'};
    nv::PutLE32(head + 2, headerSize + m_nRowWidth * m_nHeight);
    nv::PutLE32(head + 10, headerSize);

    nv::BitmapInfoHeader info;
    info.biSize = nv::kInfoHeaderSize;
    info.biWidth = int32_t(m_nWidth);
    info.biHeight = int32_t(m_nHeight);
    info.biPlanes = 1;
    info.biBitCount = m_bEightBit ? 8 : 24;
    if (cinfo->density_unit == 2) { // dots per centimetre
        info.biXPelsPerMeter = int32_t(cinfo->X_density) * 100;
        info.biYPelsPerMeter = int32_t(cinfo->Y_density) * 100;
    }
    info.biClrUsed = entries;
    info.Store(head + nv::kBmpFileHeaderSize);

    unsigned char* map = head + nv::kBmpFileHeaderSize + nv::kInfoHeaderSize;
    if (m_bEightBit && cinfo->quantize_colors && cinfo->colormap) {
        if (cinfo->actual_number_of_colors > 256)
            Fatal(cinfo, kTooManyColors);
        for (int i = 0; i < cinfo->actual_number_of_colors; ++i) {
            unsigned char* e = map + i * 4;
            if (cinfo->out_color_components == 3) {
                e[0] = cinfo->colormap[2][i];
                e[1] = cinfo->colormap[1][i];
                e[2] = cinfo->colormap[0][i];
            } else {
                e[0] = e[1] = e[2] = cinfo->colormap[0][i];
            }
        }
    } else if (m_bEightBit) {
        for (unsigned i = 0; i < 256; ++i)
            map[i * 4] = map[i * 4 + 1] = map[i * 4 + 2] = uint8_t(i);
    }

    nv::Stream* file = m_file.Get();
    bool failed = false;
    try {
        file->Seek(m_pDirect ? 0 : int64_t(m_nStart), nv::Stream::begin);
        file->Write(head, headerSize);
        // Rows already decoded into the stream are in place; others follow the header, last
        // decoded row first, as they lie in the buffer.
        if (m_pDirect)
            file->Seek(0, nv::Stream::end);
        else
            file->Write(m_image.data(), m_image.size());
    } catch (const nv::FileError&) {
        failed = true;
    }
    if (failed)
        Fatal(cinfo, JERR_FILE_WRITE);
    return true;
}
