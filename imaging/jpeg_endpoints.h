// The endpoints of a JPEG decompression: COXJPEGSource feeds libjpeg from a file, COXBMPWriter
// (an output endpoint, COXImageFileBase) turns the decoded rows into a BMP stream.
// Each works on a borrowed stream or on a file it opens by name and owns.
#pragma once

#include "imaging/dib_bytes.h"
#include "imaging/dib_format.h"

#include <cstdint>
#include <memory>
#include <string>

struct jpeg_decompress_struct;

namespace nv {

class Stream;
class File;
class BmpMemoryFile;

// The file of an endpoint: a borrowed stream, or a file opened by name and owned.
class EndpointFile
{
public:
    explicit EndpointFile(Stream* borrowed) : m_pFile(borrowed) {}
    explicit EndpointFile(std::string path);
    ~EndpointFile();
    EndpointFile(const EndpointFile&) = delete;
    EndpointFile& operator=(const EndpointFile&) = delete;

    // The stream: the borrowed one, or the named file opened with flags (File::OpenFlags).
    // Throws FileError when the file cannot be opened, or with cause badPath when there is
    // neither a stream nor a name.
    Stream* Open(unsigned flags);
    // Closes and deletes a file opened by name (a failure of the close is thrown); forgets a
    // borrowed stream when release is set, without closing it.
    void Close();
    // As Close, without throwing.
    void Abort() noexcept;
    Stream* Get() const { return m_pFile; }

    bool m_bReleaseOnClose = true;

private:
    Stream* m_pFile = nullptr;
    std::unique_ptr<File> m_owned;
    std::string m_strFileName;
};

} // namespace nv

// Base of output endpoints. The driver calls the steps in this order: InitOutput (after the
// header is read, before decoding starts), StartOutput, then RowBuffer and StoreRows for
// every group of rows, then FinishOutput.
class COXImageFileBase
{
public:
    explicit COXImageFileBase(nv::Stream* file) : m_file(file) {}
    explicit COXImageFileBase(std::string path) : m_file(std::move(path)) {}
    virtual ~COXImageFileBase() = default;

    virtual void InitOutput(jpeg_decompress_struct* cinfo, bool flag) = 0;
    virtual bool StartOutput(jpeg_decompress_struct* cinfo) = 0;
    // Where libjpeg writes the next rows, and how many (height).
    virtual unsigned char** RowBuffer(unsigned& height) = 0;
    // Takes count rows that libjpeg wrote into the row buffer.
    virtual void StoreRows(jpeg_decompress_struct* cinfo, unsigned count) = 0;
    virtual bool FinishOutput(jpeg_decompress_struct* cinfo) = 0;
    // Bytes the endpoint holds for the decoded image once InitOutput has run; the decoder's
    // own memory is bounded by what the image budget leaves beside them.
    virtual uint64_t OutputMemory() const { return 0; }

    virtual nv::Stream* OpenFile(unsigned flags) { return m_file.Open(flags); }
    // Closes on an error path (never throws).
    virtual void AbortFile() { m_file.Abort(); }
    virtual void CloseFile() { m_file.Close(); }

protected:
    nv::EndpointFile m_file;
};

// Writes the decoded image as a BMP stream: 8-bit with a 256-entry colour table for gray or
// quantised output, 24-bit blue-green-red otherwise, rows bottom-up and padded to 4 bytes.
// CMYK and YCCK files (which libjpeg delivers as CMYK) become 24-bit RGB the way other
// decoders convert them: the stored values are taken as inverted inks (as print software
// writes them), so red = C x K / 255 and so on.
// Into an nv::BmpMemoryFile that is still empty the rows are decoded straight to their final
// place, so the image is held once; any other stream gets the whole stream at the end.
class COXBMPWriter : public COXImageFileBase
{
public:
    explicit COXBMPWriter(nv::Stream* file) : COXImageFileBase(file) {}

    // Fails with an error, before anything is decoded, for an image whose BMP stream would be
    // longer than this (the 32-bit size fields of the format by default) or would not fit the
    // image memory budget.
    uint64_t m_nMaxStreamSize = nv::kMaxStreamSize;

    void InitOutput(jpeg_decompress_struct* cinfo, bool flag) override;
    bool StartOutput(jpeg_decompress_struct* cinfo) override;
    unsigned char** RowBuffer(unsigned& height) override;
    void StoreRows(jpeg_decompress_struct* cinfo, unsigned count) override;
    bool FinishOutput(jpeg_decompress_struct* cinfo) override;
    uint64_t OutputMemory() const override { return m_nOutputBytes; }

private:
    enum class RowStore { gray, bgr, rgbToBgr, cmyk };

    RowStore m_store = RowStore::gray;
    bool m_bEightBit = false;
    uint32_t m_nRowWidth = 0; // padded
    uint32_t m_nUnpaddedWidth = 0;
    uint32_t m_nPad = 0;
    uint32_t m_nWidth = 0;
    uint32_t m_nHeight = 0;
    uint32_t m_nCurrentRow = 0;
    unsigned char* m_pRows = nullptr; // the bottom row of the image
    unsigned char* m_rowPointers[1] = {};
    unsigned char* m_pTargetRow = nullptr; // where the row being decoded goes
    unsigned char* m_pCMYKRow = nullptr;   // libjpeg's CMYK row, before conversion
    uint64_t m_nOutputBytes = 0;
    nv::BmpMemoryFile* m_pDirect = nullptr;
    nv::DIBBytes m_image;  // the rows when they cannot go straight into the stream
    uint64_t m_nStart = 0; // where the stream starts in the file
    char m_szMessage[256] = {};
};

// Feeds libjpeg from a file in 4096-byte pieces. An empty file is the fatal error "Empty input
// file"; a file that ends early gives the warning "Premature end of JPEG file" and a fake
// end-of-image marker, so that decoding finishes.
// In libjpeg's buffered-image mode (which a reader asks for to get a first look at a
// progressive file) it decodes only the first scans: once every component has its DC
// coefficients, the image they give is output and the rest of the file is left unread.
class COXJPEGSource
{
public:
    explicit COXJPEGSource(const std::string& path) : m_file(path) {}
    explicit COXJPEGSource(nv::Stream* file) : m_file(file) {}
    virtual ~COXJPEGSource() = default;

    // Installs the source manager and reads the header.
    virtual void ReadHeader(jpeg_decompress_struct* cinfo);
    virtual void StartDecompress(jpeg_decompress_struct* cinfo);
    virtual unsigned ReadScanlines(jpeg_decompress_struct* cinfo, unsigned char** rows,
                                   unsigned maxRows);
    virtual void FinishDecompress(jpeg_decompress_struct* cinfo);

    virtual nv::Stream* OpenFile(unsigned flags) { return m_file.Open(flags); }
    virtual void AbortFile() { m_file.Abort(); }
    virtual void CloseFile() { m_file.Close(); }

protected:
    nv::EndpointFile m_file;
};
