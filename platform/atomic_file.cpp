// Atomic replacement of files through a temporary sibling and rename.
#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace nv {

unsigned NewFileMode()
{
    // umask can only be read by setting it; put it straight back.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666u & ~unsigned(mask);
}

AtomicFileWriter::~AtomicFileWriter()
{
    Discard();
}

bool AtomicFileWriter::Fail(const std::string& what)
{
    if (!m_failed)
        m_error = what + ": " + std::strerror(errno);
    m_failed = true;
    return false;
}

bool AtomicFileWriter::Open(const std::string& target)
{
    Discard();
    m_failed = false;
    m_error.clear();
    m_target = target;
    // The temporary name keeps the target's folder, so that the final rename stays on one
    // file system.
    std::string pattern = target + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    m_fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (m_fd < 0)
        return Fail("Unable to create a temporary file beside " + target);
    m_tempPath = name.data();
    return true;
}

bool AtomicFileWriter::Write(const void* data, size_t count)
{
    if (m_fd < 0 || m_failed)
        return false;
    auto* p = static_cast<const unsigned char*>(data);
    while (count > 0) {
        ssize_t n = ::write(m_fd, p, count);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Fail("Unable to write " + m_tempPath);
        }
        p += n;
        count -= size_t(n);
    }
    return true;
}

bool AtomicFileWriter::Commit()
{
    if (m_fd < 0)
        return false;
    if (m_failed) {
        Discard();
        return false;
    }
    unsigned mode;
    struct stat st;
    if (m_modeSet)
        mode = m_mode;
    else if (::stat(m_target.c_str(), &st) == 0)
        mode = unsigned(st.st_mode) & 07777;
    else
        mode = NewFileMode();
    if (::fchmod(m_fd, mode_t(mode)) != 0 || ::fsync(m_fd) != 0) {
        Fail("Unable to flush " + m_tempPath);
        Discard();
        return false;
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        Fail("Unable to close " + m_tempPath);
        Discard();
        return false;
    }
    if (::rename(m_tempPath.c_str(), m_target.c_str()) != 0) {
        Fail("Unable to rename " + m_tempPath + " to " + m_target);
        Discard();
        return false;
    }
    m_tempPath.clear();
    return true;
}

void AtomicFileWriter::Discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_tempPath.empty())
        ::unlink(m_tempPath.c_str());
    m_tempPath.clear();
}

bool WriteFileAtomically(const std::string& path, std::string_view contents, std::string* error)
{
    AtomicFileWriter writer;
    const bool ok = writer.Open(path) && writer.Write(contents) && writer.Commit();
    if (!ok && error)
        *error = writer.Error();
    return ok;
}

} // namespace nv
