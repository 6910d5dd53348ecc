// Atomic replacement of files through a temporary sibling and rename.
#include "platform/atomic_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace nv {

namespace {

// Symbolic links followed before a path counts as a loop (the system's own limit).
constexpr int kMaxLinks = 40;

// The folder part of path, with its trailing separator; empty for a bare name.
std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Follows the symbolic links from path to the file they finally name, which need not exist.
// False with errno ELOOP for a loop.
bool FollowLinks(const std::string& path, std::string& final)
{
    std::string current = path;
    for (int links = 0; links <= kMaxLinks; ++links) {
        struct stat st;
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            final = current;
            return true;
        }
        std::vector<char> buffer(PATH_MAX + 1);
        const ssize_t n = ::readlink(current.c_str(), buffer.data(), buffer.size());
        if (n <= 0 || size_t(n) >= buffer.size()) {
            if (n >= 0)
                errno = ENAMETOOLONG;
            return false;
        }
        std::string target(buffer.data(), size_t(n));
        current = target[0] == '/' ? target : FolderOf(current) + target;
    }
    errno = ELOOP;
    return false;
}

bool InGroup(gid_t gid)
{
    if (gid == ::getegid())
        return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<size_t>(count));
    const int n = ::getgroups(count, groups.data());
    for (int i = 0; i < n; ++i)
        if (groups[size_t(i)] == gid)
            return true;
    return false;
}

} // namespace

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

bool AtomicFileWriter::Refuse(const std::string& what)
{
    if (!m_failed)
        m_error = what;
    m_failed = true;
    return false;
}

bool AtomicFileWriter::CheckTarget(unsigned long& nlink)
{
    nlink = 0;
    struct stat st;
    if (::lstat(m_final.c_str(), &st) != 0)
        return errno == ENOENT || Fail("Unable to examine " + m_final);
    if (!S_ISREG(st.st_mode))
        return Refuse(m_final + " is not a regular file");
    // Permission by the mode bits alone, as the class of this user sees them.
    bool writable;
    if (st.st_uid == ::geteuid())
        writable = (st.st_mode & S_IWUSR) || m_replaceReadOnly;
    else if (InGroup(st.st_gid))
        writable = st.st_mode & S_IWGRP;
    else
        writable = st.st_mode & S_IWOTH;
    if (!writable)
        return Refuse("No permission to write " + m_final);
    nlink = (unsigned long)st.st_nlink;
    return true;
}

bool AtomicFileWriter::Open(const std::string& target)
{
    Discard();
    m_failed = false;
    m_error.clear();
    if (!FollowLinks(target, m_final))
        return Fail("Unable to follow the links of " + target);
    unsigned long nlink;
    if (!CheckTarget(nlink))
        return false;
    // The temporary name keeps the target's folder, so that the final rename stays on one
    // file system.
    std::string pattern = m_final + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    m_fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (m_fd < 0)
        return Fail("Unable to create a temporary file beside " + m_final);
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
    // The target is checked again: it may have changed while the contents were written.
    unsigned long nlink = 0;
    if (m_failed || !CheckTarget(nlink)) {
        Discard();
        return false;
    }
    if (::fsync(m_fd) != 0) {
        Fail("Unable to flush " + m_tempPath);
        Discard();
        return false;
    }
    if (nlink > 1)
        return RewriteInPlace();

    unsigned mode = m_modeSet ? m_mode : NewFileMode();
    struct stat st;
    if (::stat(m_final.c_str(), &st) == 0) {
        // The replacement keeps the owner and group where the system allows it.
        if (::fchown(m_fd, st.st_uid, st.st_gid) != 0) {
            // Not allowed: the new file belongs to this user.
        }
        if (!m_modeSet)
            mode = unsigned(st.st_mode) & 07777;
    }
    if (::fchmod(m_fd, mode_t(mode)) != 0) {
        Fail("Unable to set the permissions of " + m_tempPath);
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
    if (::rename(m_tempPath.c_str(), m_final.c_str()) != 0) {
        Fail("Unable to rename " + m_tempPath + " to " + m_final);
        Discard();
        return false;
    }
    m_tempPath.clear();
    return true;
}

// A target with other hard links is rewritten in place from the complete, flushed temporary
// file, so that every link sees the new contents. Space for a longer file is reserved first:
// a full disk is found before the first byte of the target changes.
bool AtomicFileWriter::RewriteInPlace()
{
    const off_t size = ::lseek(m_fd, 0, SEEK_END);
    const int out = ::open(m_final.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    struct stat st;
    if (size < 0 || out < 0 || ::fstat(out, &st) != 0) {
        Fail("Unable to open " + m_final);
        if (out >= 0)
            ::close(out);
        Discard();
        return false;
    }
    if (size > st.st_size) {
        const int result = ::posix_fallocate(out, 0, size);
        if (result != 0 && result != EOPNOTSUPP && result != EINVAL) {
            // An emulated reservation may have grown the file before it failed.
            if (::ftruncate(out, st.st_size) != 0) {
                // Nothing more can be done; the old contents are still in place.
            }
            ::close(out);
            errno = result;
            Fail("Unable to make room for the new contents of " + m_final);
            Discard();
            return false;
        }
    }

    std::vector<unsigned char> buffer(size_t(1) << 18);
    off_t done = 0;
    bool ok = true;
    while (ok && done < size) {
        const ssize_t n = ::pread(m_fd, buffer.data(), buffer.size(), done);
        if (n <= 0) {
            if (n < 0 && errno == EINTR)
                continue;
            if (n == 0)
                errno = EIO;
            ok = Fail("Unable to read " + m_tempPath);
            break;
        }
        for (ssize_t put = 0; ok && put < n;) {
            const ssize_t w = ::pwrite(out, buffer.data() + put, size_t(n - put), done + put);
            if (w < 0 && errno == EINTR)
                continue;
            if (w < 0)
                ok = Fail("Unable to write " + m_final);
            else
                put += w;
        }
        done += n;
    }
    if (ok && ::ftruncate(out, size) != 0)
        ok = Fail("Unable to set the length of " + m_final);
    if (ok && m_modeSet && ::fchmod(out, mode_t(m_mode)) != 0)
        ok = Fail("Unable to set the permissions of " + m_final);
    if (ok && ::fsync(out) != 0)
        ok = Fail("Unable to flush " + m_final);
    if (::close(out) != 0 && ok)
        ok = Fail("Unable to close " + m_final);
    if (!ok) {
        // The target may be damaged now: keep the complete new contents where they are.
        m_error += "; the new contents are in " + m_tempPath;
        ::close(m_fd);
        m_fd = -1;
        m_tempPath.clear();
        return false;
    }
    Discard();
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
