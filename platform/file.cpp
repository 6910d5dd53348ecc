// File layer over POSIX descriptors, and the memory file.
#include "platform/file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nv {

namespace {

FileError::Cause CauseFromErrno(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return FileError::fileNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return FileError::accessDenied;
    case EMFILE:
    case ENFILE:
        return FileError::tooManyOpenFiles;
    case ENAMETOOLONG:
    case ELOOP:
        return FileError::badPath;
    case ENOSPC:
    case EDQUOT:
        return FileError::diskFull;
    case EIO:
        return FileError::hardIO;
    case EBUSY:
    case ETXTBSY:
        return FileError::sharingViolation;
    case EINVAL:
    case ESPIPE:
        return FileError::badSeek;
    default:
        return FileError::generic;
    }
}

} // namespace

FileError::FileError(Cause cause, int osError, std::string path, const std::string& message)
    : std::runtime_error(message), m_cause(cause), m_lOsError(osError),
      m_strFileName(std::move(path))
{}

FileError FileError::FromErrno(int err, const std::string& path, const std::string& what)
{
    return FileError(CauseFromErrno(err), err, path,
                     what + " \"" + path + "\": " + std::strerror(err));
}

File::~File()
{
    Abort();
}

bool File::Open(const std::string& path, unsigned flags, FileError* error)
{
    Abort();
    int oflags = O_CLOEXEC;
    if (flags & modeReadWrite)
        oflags |= O_RDWR;
    else if (flags & modeWrite)
        oflags |= O_WRONLY;
    else
        oflags |= O_RDONLY;
    if (flags & modeCreate) {
        oflags |= O_CREAT;
        if (!(flags & modeNoTruncate))
            oflags |= O_TRUNC;
    }
    int fd;
    do {
        fd = ::open(path.c_str(), oflags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (error)
            *error = FileError::FromErrno(errno, path, "Unable to open");
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        if (error)
            *error = FileError::FromErrno(EISDIR, path, "Unable to open");
        return false;
    }
    m_fd = fd;
    m_path = path;
    return true;
}

void File::OpenOrThrow(const std::string& path, unsigned flags)
{
    FileError error(FileError::none, 0, path, "");
    if (!Open(path, flags, &error))
        throw error;
}

size_t File::Read(void* buffer, size_t count)
{
    if (m_fd < 0)
        throw FileError(FileError::invalidFile, EBADF, m_path, "Read from a closed file");
    size_t done = 0;
    auto* out = static_cast<unsigned char*>(buffer);
    while (done < count) {
        ssize_t n = ::read(m_fd, out + done, count - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw FileError::FromErrno(errno, m_path, "Unable to read");
        }
        if (n == 0)
            break;
        done += size_t(n);
    }
    return done;
}

void File::Write(const void* buffer, size_t count)
{
    if (m_fd < 0)
        throw FileError(FileError::invalidFile, EBADF, m_path, "Write to a closed file");
    size_t done = 0;
    auto* in = static_cast<const unsigned char*>(buffer);
    while (done < count) {
        ssize_t n = ::write(m_fd, in + done, count - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw FileError::FromErrno(errno, m_path, "Unable to write");
        }
        done += size_t(n);
    }
}

uint64_t File::Seek(int64_t offset, SeekOrigin origin)
{
    if (m_fd < 0)
        throw FileError(FileError::invalidFile, EBADF, m_path, "Seek in a closed file");
    const int whence = origin == begin ? SEEK_SET : origin == current ? SEEK_CUR : SEEK_END;
    off_t pos = ::lseek(m_fd, off_t(offset), whence);
    if (pos < 0)
        throw FileError::FromErrno(errno, m_path, "Unable to seek in");
    return uint64_t(pos);
}

uint64_t File::GetPosition() const
{
    if (m_fd < 0)
        return 0;
    off_t pos = ::lseek(m_fd, 0, SEEK_CUR);
    return pos < 0 ? 0 : uint64_t(pos);
}

uint64_t File::GetLength() const
{
    struct stat st;
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
        return 0;
    return uint64_t(st.st_size);
}

void File::Close()
{
    if (m_fd < 0)
        return;
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR)
        throw FileError::FromErrno(errno, m_path, "Unable to close");
}

void File::Abort()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

MemoryFile::MemoryFile(std::vector<unsigned char> contents) : m_data(std::move(contents)) {}

size_t MemoryFile::Read(void* buffer, size_t count)
{
    if (m_position >= m_data.size())
        return 0;
    const size_t available = size_t(m_data.size() - m_position);
    const size_t n = count < available ? count : available;
    if (n)
        std::memcpy(buffer, m_data.data() + m_position, n);
    m_position += n;
    return n;
}

void MemoryFile::Write(const void* buffer, size_t count)
{
    if (count == 0)
        return;
    const uint64_t endPos = m_position + count;
    if (endPos > m_data.size()) {
        if (endPos > m_data.capacity()) {
            // Grow geometrically so that a stream written piece by piece costs linear time.
            size_t want = m_data.capacity() < 4096 ? 4096 : m_data.capacity() * 2;
            if (want < endPos)
                want = size_t(endPos);
            m_data.reserve(want);
        }
        m_data.resize(size_t(endPos));
    }
    std::memcpy(m_data.data() + m_position, buffer, count);
    m_position = endPos;
}

uint64_t MemoryFile::Seek(int64_t offset, SeekOrigin origin)
{
    int64_t base = origin == begin     ? 0
                   : origin == current ? int64_t(m_position)
                                       : int64_t(m_data.size());
    int64_t pos = base + offset;
    if (pos < 0)
        throw FileError(FileError::badSeek, EINVAL, {}, "Seek before the start of a memory file");
    m_position = uint64_t(pos);
    return m_position;
}

std::vector<unsigned char> MemoryFile::Detach()
{
    std::vector<unsigned char> out;
    out.swap(m_data);
    m_position = 0;
    return out;
}

bool ReadTextFile(const std::string& path, std::string& contents, uint64_t maxBytes)
{
    File file;
    if (!file.Open(path, File::modeRead))
        return false;
    try {
        contents.clear();
        if (file.GetLength() > maxBytes)
            return false;
        char buffer[65536];
        size_t n;
        while ((n = file.Read(buffer, sizeof buffer)) > 0) {
            if (contents.size() + n > maxBytes)
                return false;
            contents.append(buffer, n);
        }
        return true;
    } catch (const FileError&) {
        return false;
    }
}

} // namespace nv
