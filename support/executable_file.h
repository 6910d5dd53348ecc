// Finds the version block inside an executable file: in the resource section of a PE file
// (Windows executables and libraries), or in the section of an ELF file into which our build
// writes it. Files are read piece by piece at the offsets their headers give, each piece
// checked against the file's size first, so neither a huge file nor a hostile header makes
// the search read more than the block and a few headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nv {

// Random access to the bytes of a file or of a buffer.
class ByteSource
{
public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Reads exactly count bytes at offset; false when they are not all there.
    virtual bool ReadAt(uint64_t offset, void* buffer, size_t count) = 0;
};

// Bytes in memory, not copied: they must outlive the object.
class MemoryByteSource : public ByteSource
{
public:
    MemoryByteSource(const void* data, size_t size)
        : m_data(static_cast<const uint8_t*>(data)), m_size(data ? size : 0)
    {}
    uint64_t Size() const override { return m_size; }
    bool ReadAt(uint64_t offset, void* buffer, size_t count) override;

private:
    const uint8_t* m_data;
    size_t m_size;
};

// A regular file on disk, opened for reading. Anything else (a folder, a pipe, a device) is
// refused by Open, so that reading can neither block nor run on without end.
class FileByteSource : public ByteSource
{
public:
    FileByteSource() = default;
    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    bool Open(const std::string& path);
    uint64_t Size() const override { return m_size; }
    bool ReadAt(uint64_t offset, void* buffer, size_t count) override;

private:
    int m_fd = -1;
    uint64_t m_size = 0;
};

// The version resource of a PE file: the first resource of type 16 (the one with id 1 when
// there is one), in its first language. At most a block's maximum length is read.
bool FindPeVersionResource(ByteSource& file, std::vector<uint8_t>& block);

// The contents of the first section of an ELF file (32 or 64 bit, either byte order) with
// the given name, at most maxBytes of them; false when there is none or it has no contents
// in the file.
bool FindElfSection(ByteSource& file, const std::string& name, size_t maxBytes,
                    std::vector<uint8_t>& contents);

// The version block of a PE file, or of an ELF file from its version section; false for any
// other file.
bool FindVersionBlock(ByteSource& file, std::vector<uint8_t>& block);

} // namespace nv
