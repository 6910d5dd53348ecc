// Zip unpacking over libarchive. Entries are checked before anything is written for them; the
// data goes through libarchive's disk writer with its secure flags (no absolute paths, no "..",
// no writing through symbolic links, never over an existing file) into temporary names, and
// only a fully read archive is renamed into place.
#include "update/archive_extract.h"

#include <archive.h>
#include <archive_entry.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct StagedFile
{
    std::string staged;
    std::string final;
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

class Extraction
{
public:
    Extraction(const ArchiveLimits& limits) : m_limits(limits) {}
    ~Extraction()
    {
        if (m_disk)
            archive_write_free(m_disk);
        if (m_reader)
            archive_read_free(m_reader);
    }

    bool Run(const std::string& archivePath);
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
    bool MakeFolders(const std::vector<std::string>& parts, size_t count);
    bool ExtractFile(archive_entry* entry, const std::vector<std::string>& parts);

    ArchiveLimits m_limits;
    archive* m_reader = nullptr;
    archive* m_disk = nullptr;
    uint64_t m_total = 0;
    std::vector<StagedFile> m_staged;
    std::set<std::string> m_files;             // final paths of the staged files
    std::vector<std::string> m_createdFolders; // in the order they were made
    std::string m_error;
};

// Makes sure the first count components of parts exist as real folders (not links), making
// the missing ones.
bool Extraction::MakeFolders(const std::vector<std::string>& parts, size_t count)
{
    for (size_t i = 1; i <= count; ++i) {
        const std::string folder = Join(parts, i);
        struct stat st;
        if (::lstat(folder.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode))
                return Fail("\"" + folder + "\" is not a folder");
            continue;
        }
        if (errno != ENOENT)
            return Fail("cannot examine \"" + folder + "\": " + std::strerror(errno));
        if (m_files.count(folder))
            return Fail("\"" + folder + "\" is both a file and a folder");
        if (::mkdir(folder.c_str(), 0777) != 0)
            return Fail("cannot make the folder \"" + folder + "\": " + std::strerror(errno));
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
    if (::lstat(final.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return Fail("\"" + final + "\" would replace a folder");
        if (S_ISREG(st.st_mode))
            execBits = unsigned(st.st_mode) & 0111;
    }
    if (archive_entry_size_is_set(entry) &&
        uint64_t(archive_entry_size(entry)) > m_limits.maxTotalBytes - m_total)
        return Fail("the archive unpacks to more than the allowed size");

    const std::string prefix = parts.size() > 1 ? Join(parts, parts.size() - 1) + "/" : "";
    StagedFile file{prefix + ".nv-unpack-" + std::to_string(::getpid()) + "-" +
                        std::to_string(m_staged.size()) + ".tmp",
                    final};

    archive_entry* out = archive_entry_new();
    archive_entry_copy_pathname(out, file.staged.c_str());
    archive_entry_set_filetype(out, AE_IFREG);
    archive_entry_set_perm(out, (archive_entry_perm(entry) & 0777) | execBits);
    if (archive_entry_size_is_set(entry))
        archive_entry_set_size(out, archive_entry_size(entry));
    if (archive_entry_mtime_is_set(entry))
        archive_entry_set_mtime(out, archive_entry_mtime(entry), archive_entry_mtime_nsec(entry));
    const int header = archive_write_header(m_disk, out);
    archive_entry_free(out);
    if (header < ARCHIVE_WARN)
        return Fail("cannot write \"" + final + "\": " + archive_error_string(m_disk));
    m_staged.push_back(file);
    m_files.insert(final);

    int64_t position = 0;
    for (;;) {
        const void* data = nullptr;
        size_t size = 0;
        la_int64_t offset = 0;
        const int r = archive_read_data_block(m_reader, &data, &size, &offset);
        if (r == ARCHIVE_EOF)
            break;
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
        if (archive_write_data_block(m_disk, data, size, offset) < ARCHIVE_WARN)
            return Fail("cannot write \"" + final + "\": " + archive_error_string(m_disk));
    }
    if (archive_write_finish_entry(m_disk) < ARCHIVE_WARN)
        return Fail("cannot finish \"" + final + "\": " + archive_error_string(m_disk));
    return true;
}

bool Extraction::Run(const std::string& archivePath)
{
    m_reader = archive_read_new();
    m_disk = archive_write_disk_new();
    if (!m_reader || !m_disk)
        return Fail("out of memory");
    archive_read_support_format_zip(m_reader);
    archive_write_disk_set_options(m_disk, ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_NO_OVERWRITE |
                                               ARCHIVE_EXTRACT_SECURE_SYMLINKS |
                                               ARCHIVE_EXTRACT_SECURE_NODOTDOT |
                                               ARCHIVE_EXTRACT_SECURE_NOABSOLUTEPATHS);
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
    for (size_t i = 0; i < m_staged.size(); ++i) {
        if (::rename(m_staged[i].staged.c_str(), m_staged[i].final.c_str()) != 0) {
            Fail("cannot put \"" + m_staged[i].final + "\" in place: " + std::strerror(errno));
            for (size_t j = i; j < m_staged.size(); ++j)
                ::unlink(m_staged[j].staged.c_str());
            return false;
        }
        if (written)
            written->push_back(m_staged[i].final);
    }
    m_staged.clear();
    return true;
}

void Extraction::Rollback()
{
    for (const StagedFile& file : m_staged)
        ::unlink(file.staged.c_str());
    m_staged.clear();
    for (auto it = m_createdFolders.rbegin(); it != m_createdFolders.rend(); ++it)
        ::rmdir(it->c_str());
    m_createdFolders.clear();
}

} // namespace

bool ExtractArchiveHere(const std::string& archivePath, const ArchiveLimits& limits,
                        std::vector<std::string>* written, std::string* error)
{
    Extraction extraction(limits);
    bool ok = extraction.Run(archivePath);
    if (!ok)
        extraction.Rollback();
    else
        ok = extraction.Commit(written);
    if (!ok && error)
        *error = extraction.Error();
    return ok;
}
