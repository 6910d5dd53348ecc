// Zip unpacking over libarchive's reader. Entries are checked before anything is written for
// them and are written here, relative to an open handle of the destination folder: folders
// are made one component at a time and never entered through a symbolic link, file data goes
// to new temporary names, and only a fully read archive is renamed into place. The files it
// replaces are moved aside until every rename has succeeded, so a failure at any point can
// put the folder back as it was.
#include "update/archive_extract.h"

#include <archive.h>
#include <archive_entry.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct StagedFile
{
    std::string staged; // where the data was written
    std::string final;
    std::string aside;   // where the file it replaces was moved, empty when none
    bool placed = false; // renamed to final
};

// Splits a relative entry path into its components; false when it is absolute, empty or has a
// ".." component. "." components and repeated separators are dropped.
bool EntryComponents(const char* path, std::vector<std::string>& parts)
{
    parts.clear();
    if (!path || !*path || path[0] == '/')
        return false;
    const std::string text(path);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('/', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string part = text.substr(start, end - start);
        if (part == "..")
            return false;
        if (!part.empty() && part != ".")
            parts.push_back(part);
        start = end + 1;
    }
    return !parts.empty();
}

std::string Join(const std::vector<std::string>& parts, size_t count)
{
    std::string path;
    for (size_t i = 0; i < count; ++i) {
        if (i)
            path += '/';
        path += parts[i];
    }
    return path;
}

// The folder part of a relative path, with its final '/', or empty.
std::string FolderPrefix(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool WriteAll(int fd, const void* data, size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= size_t(n);
    }
    return true;
}

class Extraction
{
public:
    explicit Extraction(const ArchiveLimits& limits) : m_limits(limits) {}
    ~Extraction()
    {
        if (m_reader)
            archive_read_free(m_reader);
        if (m_dir >= 0)
            ::close(m_dir);
    }

    bool Run(const std::string& archivePath, const std::string& folder);
    bool Commit(std::vector<std::string>* written);
    void Rollback();
    const std::string& Error() const { return m_error; }

private:
    bool Fail(const std::string& why)
    {
        if (m_error.empty())
            m_error = why;
        return false;
    }
    bool FailErrno(const std::string& what, const std::string& path)
    {
        return Fail(what + " \"" + path + "\": " + std::strerror(errno));
    }
    // Notes a step of the rollback that failed; the folder is then not quite as it was.
    void NoteUndone(const std::string& path)
    {
        m_error += "; \"" + path + "\" could not be put back: " + std::strerror(errno);
    }
    bool MakeFolders(const std::vector<std::string>& parts, size_t count);
    bool ExtractFile(archive_entry* entry, const std::vector<std::string>& parts);
    bool WriteData(int fd, const std::string& final);
    // A name in the folder of prefix that neither exists nor is one of the archive's files.
    std::string UnusedName(const std::string& prefix, const char* tag);

    ArchiveLimits m_limits;
    int m_dir = -1; // the destination folder
    archive* m_reader = nullptr;
    uint64_t m_total = 0;
    unsigned m_names = 0;
    std::vector<StagedFile> m_staged;
    std::set<std::string> m_files;             // final paths of the staged files
    std::vector<std::string> m_createdFolders; // in the order they were made
    std::string m_error;
};

std::string Extraction::UnusedName(const std::string& prefix, const char* tag)
{
    for (;;) {
        std::string name = prefix + ".nv-" + tag + "-" + std::to_string(::getpid()) + "-" +
                           std::to_string(m_names++) + ".tmp";
        struct stat st;
        if (!m_files.count(name) && ::fstatat(m_dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return name;
    }
}

// Makes sure the first count components of parts exist as real folders (not links), making
// the missing ones.
bool Extraction::MakeFolders(const std::vector<std::string>& parts, size_t count)
{
    for (size_t i = 1; i <= count; ++i) {
        const std::string folder = Join(parts, i);
        struct stat st;
        if (::fstatat(m_dir, folder.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            if (!S_ISDIR(st.st_mode))
                return Fail("\"" + folder + "\" is not a folder");
            continue;
        }
        if (errno != ENOENT)
            return FailErrno("cannot examine", folder);
        if (m_files.count(folder))
            return Fail("\"" + folder + "\" is both a file and a folder");
        if (::mkdirat(m_dir, folder.c_str(), 0777) != 0)
            return FailErrno("cannot make the folder", folder);
        m_createdFolders.push_back(folder);
    }
    return true;
}

bool Extraction::ExtractFile(archive_entry* entry, const std::vector<std::string>& parts)
{
    const std::string final = Join(parts, parts.size());
    if (!MakeFolders(parts, parts.size() - 1))
        return false;
    unsigned execBits = 0;
    struct stat st;
    if (::fstatat(m_dir, final.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
        execBits = unsigned(st.st_mode) & 0111;
    if (archive_entry_size_is_set(entry) &&
        uint64_t(archive_entry_size(entry)) > m_limits.maxTotalBytes - m_total)
        return Fail("the archive unpacks to more than the allowed size");

    const std::string staged = UnusedName(FolderPrefix(final), "unpack");
    const mode_t mode = (archive_entry_perm(entry) & 0777) | execBits;
    const int fd =
        ::openat(m_dir, staged.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0)
        return FailErrno("cannot write", final);
    m_staged.push_back({staged, final, {}, false});
    m_files.insert(final);
    bool ok = WriteData(fd, final);
    if (ok && archive_entry_mtime_is_set(entry)) {
        const struct timespec times[2] = {
            {0, UTIME_NOW}, {archive_entry_mtime(entry), archive_entry_mtime_nsec(entry)}};
        ok = ::futimens(fd, times) == 0 || FailErrno("cannot date", final);
    }
    // On disk before it is renamed into place.
    ok = ok && (::fsync(fd) == 0 || FailErrno("cannot write", final));
    ok = (::close(fd) == 0 || FailErrno("cannot write", final)) && ok;
    return ok;
}

bool Extraction::WriteData(int fd, const std::string& final)
{
    int64_t position = 0;
    for (;;) {
        const void* data = nullptr;
        size_t size = 0;
        la_int64_t offset = 0;
        const int r = archive_read_data_block(m_reader, &data, &size, &offset);
        if (r == ARCHIVE_EOF)
            return true;
        if (r < ARCHIVE_WARN) {
            const char* why = archive_error_string(m_reader);
            return Fail("cannot read \"" + final + "\": " + (why ? why : "damaged archive"));
        }
        if (offset != position)
            return Fail("\"" + final + "\" is not stored in sequence");
        if (size > m_limits.maxTotalBytes - m_total)
            return Fail("the archive unpacks to more than the allowed size");
        m_total += size;
        position += int64_t(size);
        if (!WriteAll(fd, data, size))
            return FailErrno("cannot write", final);
    }
}

bool Extraction::Run(const std::string& archivePath, const std::string& folder)
{
    m_dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_dir < 0)
        return FailErrno("cannot open the folder", folder);
    m_reader = archive_read_new();
    if (!m_reader)
        return Fail("out of memory");
    archive_read_support_format_zip(m_reader);
    if (archive_read_open_filename(m_reader, archivePath.c_str(), 65536) != ARCHIVE_OK) {
        const char* why = archive_error_string(m_reader);
        return Fail(std::string("cannot open the archive: ") + (why ? why : "unknown format"));
    }
    size_t count = 0;
    std::vector<std::string> parts;
    for (;;) {
        archive_entry* entry = nullptr;
        const int r = archive_read_next_header(m_reader, &entry);
        if (r == ARCHIVE_EOF)
            break;
        if (r < ARCHIVE_WARN) {
            const char* why = archive_error_string(m_reader);
            return Fail(std::string("cannot read the archive: ") + (why ? why : "damaged"));
        }
        if (++count > m_limits.maxEntries)
            return Fail("the archive has too many entries");
        const char* name = archive_entry_pathname_utf8(entry);
        if (!name)
            name = archive_entry_pathname(entry);
        if (!EntryComponents(name, parts))
            return Fail(std::string("unsafe entry name \"") + (name ? name : "") + "\"");
        const mode_t type = archive_entry_filetype(entry);
        if (archive_entry_hardlink(entry) || archive_entry_symlink(entry))
            return Fail("\"" + Join(parts, parts.size()) + "\" is a link");
        if (type == AE_IFDIR) {
            if (m_files.count(Join(parts, parts.size())))
                return Fail("\"" + Join(parts, parts.size()) + "\" is both a file and a folder");
            if (!MakeFolders(parts, parts.size()))
                return false;
        } else if (type == AE_IFREG) {
            if (!ExtractFile(entry, parts))
                return false;
        } else {
            return Fail("\"" + Join(parts, parts.size()) + "\" is not a file or a folder");
        }
    }
    return true;
}

bool Extraction::Commit(std::vector<std::string>* written)
{
    for (StagedFile& file : m_staged) {
        struct stat st;
        if (::fstatat(m_dir, file.final.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            if (S_ISDIR(st.st_mode))
                return Fail("\"" + file.final + "\" would replace a folder");
            const std::string aside = UnusedName(FolderPrefix(file.final), "old");
            if (::renameat(m_dir, file.final.c_str(), m_dir, aside.c_str()) != 0)
                return FailErrno("cannot move aside", file.final);
            file.aside = aside;
        } else if (errno != ENOENT) {
            return FailErrno("cannot examine", file.final);
        }
        if (::renameat(m_dir, file.staged.c_str(), m_dir, file.final.c_str()) != 0)
            return FailErrno("cannot put in place", file.final);
        file.placed = true;
    }
    for (const StagedFile& file : m_staged) {
        if (!file.aside.empty())
            ::unlinkat(m_dir, file.aside.c_str(), 0);
        if (written)
            written->push_back(file.final);
    }
    m_staged.clear();
    m_createdFolders.clear();
    return true;
}

// Undoes the work in reverse order, so that an archive naming a file twice restores the
// original last.
void Extraction::Rollback()
{
    for (auto it = m_staged.rbegin(); it != m_staged.rend(); ++it) {
        const std::string& fresh = it->placed ? it->final : it->staged;
        if (!it->aside.empty()) {
            if (::renameat(m_dir, it->aside.c_str(), m_dir, it->final.c_str()) != 0)
                NoteUndone(it->final);
            if (!it->placed && ::unlinkat(m_dir, fresh.c_str(), 0) != 0)
                NoteUndone(fresh);
        } else if (::unlinkat(m_dir, fresh.c_str(), 0) != 0 && errno != ENOENT) {
            NoteUndone(fresh);
        }
    }
    m_staged.clear();
    for (auto it = m_createdFolders.rbegin(); it != m_createdFolders.rend(); ++it)
        if (::unlinkat(m_dir, it->c_str(), AT_REMOVEDIR) != 0)
            NoteUndone(*it);
    m_createdFolders.clear();
}

} // namespace

bool ExtractArchive(const std::string& archivePath, const std::string& folder,
                    const ArchiveLimits& limits, std::vector<std::string>* written,
                    std::string* error)
{
    Extraction extraction(limits);
    const bool ok = extraction.Run(archivePath, folder) && extraction.Commit(written);
    if (!ok) {
        extraction.Rollback();
        if (error)
            *error = extraction.Error();
    }
    return ok;
}
