// An in-memory BMP stream kept in two pieces: the 14-byte file header, and behind it the
// packed DIB in a buffer of its own. A BMP reader can take that buffer over instead of copying
// it, and a writer that knows the final size can place pixel rows straight where they belong.
#pragma once

#include "imaging/dib_bytes.h"
#include "imaging/dib_format.h"
#include "platform/file.h"

namespace nv {

class BmpMemoryFile : public Stream
{
public:
    size_t Read(void* buffer, size_t count) override;
    // Writes at the position, growing the stream geometrically; a gap left by a seek past the
    // end reads as zeros.
    void Write(const void* buffer, size_t count) override;
    uint64_t Seek(int64_t offset, SeekOrigin origin) override;
    uint64_t GetPosition() const override { return m_position; }
    uint64_t GetLength() const override { return m_length; }
    void Close() override {}

    // Makes the stream length bytes long without filling the new bytes: whoever calls this
    // writes every new byte before anything reads it.
    void SetLengthUninitialized(uint64_t length);

    // The file header (its first min(14, length) bytes are meaningful).
    const unsigned char* FileHeader() const { return m_header; }
    // The bytes after the file header.
    DIBBytes& DIB() { return m_dib; }
    const DIBBytes& DIB() const { return m_dib; }
    // Takes the bytes after the file header out; the stream keeps only the file header and
    // its position moves to the end.
    DIBBytes DetachDIB();

private:
    unsigned char m_header[kBmpFileHeaderSize] = {};
    DIBBytes m_dib;
    uint64_t m_length = 0;
    uint64_t m_position = 0;
};

} // namespace nv
