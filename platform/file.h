// The program's file layer: a file on disk and a file in memory behind one stream interface.
// Failures throw FileError, which carries a cause and a message; callers catch it at the
// boundary of the routine that used the file and turn it into a result.
#pragma once

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace nv {

class FileError : public std::runtime_error
{
public:
    enum Cause {
        none,
        generic,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };

    FileError(Cause cause, int osError, std::string path, const std::string& message);

    // Builds the error for a failed system call from errno.
    static FileError FromErrno(int err, const std::string& path, const std::string& what);

    Cause m_cause;
    int m_lOsError;
    std::string m_strFileName;
};

// A readable, writable, seekable byte stream.
class Stream
{
public:
    enum SeekOrigin { begin, current, end };

    virtual ~Stream() = default;
    // Reads up to count bytes; returns how many were read (0 at the end).
    virtual size_t Read(void* buffer, size_t count) = 0;
    // Writes all count bytes or throws.
    virtual void Write(const void* buffer, size_t count) = 0;
    // Moves the position; returns the new position. Throws badSeek before the start.
    virtual uint64_t Seek(int64_t offset, SeekOrigin origin) = 0;
    virtual uint64_t GetPosition() const = 0;
    virtual uint64_t GetLength() const = 0;
    virtual void Close() = 0;
    virtual std::string GetFilePath() const { return {}; }

    uint64_t SeekToBegin() { return Seek(0, begin); }
    uint64_t SeekToEnd() { return Seek(0, end); }
};

// A file on disk.
class File : public Stream
{
public:
    enum OpenFlags : unsigned {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareExclusive = 0x0010,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
    };

    File() = default;
    ~File() override;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens path; returns false and fills error (when given) on failure.
    bool Open(const std::string& path, unsigned flags, FileError* error = nullptr);
    // Opens path or throws FileError.
    void OpenOrThrow(const std::string& path, unsigned flags);
    bool IsOpen() const { return m_fd >= 0; }

    size_t Read(void* buffer, size_t count) override;
    void Write(const void* buffer, size_t count) override;
    uint64_t Seek(int64_t offset, SeekOrigin origin) override;
    uint64_t GetPosition() const override;
    uint64_t GetLength() const override;
    // Closes the file; throws when the system reports a failure of the close.
    void Close() override;
    // Closes without throwing.
    void Abort();
    std::string GetFilePath() const override { return m_path; }

private:
    int m_fd = -1;
    std::string m_path;
};

// A file in memory, growing as it is written. The buffer can be handed over without a copy.
class MemoryFile : public Stream
{
public:
    MemoryFile() = default;
    explicit MemoryFile(std::vector<unsigned char> contents);

    size_t Read(void* buffer, size_t count) override;
    void Write(const void* buffer, size_t count) override;
    uint64_t Seek(int64_t offset, SeekOrigin origin) override;
    uint64_t GetPosition() const override { return m_position; }
    uint64_t GetLength() const override { return m_data.size(); }
    void Close() override {}

    // Reserves room for a stream of the given size, so that writing does not reallocate.
    void Reserve(size_t bytes) { m_data.reserve(bytes); }
    // Sets the length; new bytes are zero.
    void SetLength(size_t bytes) { m_data.resize(bytes); }
    const std::vector<unsigned char>& Data() const { return m_data; }
    std::vector<unsigned char>& Data() { return m_data; }
    // Takes the contents out and leaves the file empty.
    std::vector<unsigned char> Detach();

private:
    std::vector<unsigned char> m_data;
    uint64_t m_position = 0;
};

// Reads a whole file; false when it cannot be opened or read, or is longer than maxBytes.
bool ReadTextFile(const std::string& path, std::string& contents, uint64_t maxBytes = 16u << 20);

} // namespace nv
