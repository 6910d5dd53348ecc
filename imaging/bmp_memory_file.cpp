// The two-piece in-memory BMP stream.
#include "imaging/bmp_memory_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace nv {

size_t BmpMemoryFile::Read(void* buffer, size_t count)
{
    if (m_position >= m_length)
        return 0;
    const size_t n = size_t(std::min<uint64_t>(count, m_length - m_position));
    auto* out = static_cast<unsigned char*>(buffer);
    size_t done = 0;
    if (m_position < kBmpFileHeaderSize) {
        done = std::min(n, size_t(kBmpFileHeaderSize - m_position));
        std::memcpy(out, m_header + m_position, done);
    }
    if (done < n)
        std::memcpy(out + done, m_dib.data() + (m_position + done - kBmpFileHeaderSize), n - done);
    m_position += n;
    return n;
}

void BmpMemoryFile::Write(const void* buffer, size_t count)
{
    if (count == 0)
        return;
    const uint64_t end = m_position + count;
    if (end > m_length) {
        const uint64_t oldLength = m_length;
        if (end > kBmpFileHeaderSize) {
            const size_t needed = size_t(end - kBmpFileHeaderSize);
            if (needed > m_dib.capacity())
                m_dib.reserve(std::max(needed, m_dib.capacity() * 2));
        }
        SetLengthUninitialized(end);
        // Bytes between the old end and the write position read as zeros.
        for (uint64_t gap = oldLength; gap < m_position; ++gap) {
            if (gap < kBmpFileHeaderSize) {
                m_header[gap] = 0;
            } else {
                std::memset(m_dib.data() + (gap - kBmpFileHeaderSize), 0, size_t(m_position - gap));
                break;
            }
        }
    }
    auto* in = static_cast<const unsigned char*>(buffer);
    size_t done = 0;
    if (m_position < kBmpFileHeaderSize) {
        done = std::min(count, size_t(kBmpFileHeaderSize - m_position));
        std::memcpy(m_header + m_position, in, done);
    }
    if (done < count)
        std::memcpy(m_dib.data() + (m_position + done - kBmpFileHeaderSize), in + done,
                    count - done);
    m_position = end;
}

uint64_t BmpMemoryFile::Seek(int64_t offset, SeekOrigin origin)
{
    const int64_t base = origin == begin     ? 0
                         : origin == current ? int64_t(m_position)
                                             : int64_t(m_length);
    const int64_t pos = base + offset;
    if (pos < 0)
        throw FileError(FileError::badSeek, EINVAL, {}, "Seek before the start of a memory file");
    m_position = uint64_t(pos);
    return m_position;
}

void BmpMemoryFile::SetLengthUninitialized(uint64_t length)
{
    m_dib.resize(length > kBmpFileHeaderSize ? size_t(length - kBmpFileHeaderSize) : 0);
    m_length = length;
}

DIBBytes BmpMemoryFile::DetachDIB()
{
    DIBBytes out;
    out.swap(m_dib);
    m_length = std::min<uint64_t>(m_length, kBmpFileHeaderSize);
    m_position = m_length;
    return out;
}

} // namespace nv
