// Replacing a file atomically: the new contents go to a temporary file in the same folder,
// which is flushed to disk and renamed over the target only when every write succeeded.
// A failure at any step leaves the previous file as it was.
#pragma once

#include <string>
#include <string_view>

namespace nv {

class AtomicFileWriter
{
public:
    AtomicFileWriter() = default;
    ~AtomicFileWriter(); // discards an uncommitted temporary file
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Creates the temporary file beside target. The new file takes the permission bits of
    // the file it replaces, or those of a newly created file when there is none.
    bool Open(const std::string& target);
    bool Write(const void* data, size_t count);
    bool Write(std::string_view text) { return Write(text.data(), text.size()); }
    // Flushes, closes and renames over the target. False when any step (or any earlier
    // write) failed; the target is then untouched and the temporary file removed.
    bool Commit();
    // Removes the temporary file without touching the target.
    void Discard();

    // Permission bits to give the new file instead (for example to add execute bits).
    void SetMode(unsigned mode)
    {
        m_mode = mode;
        m_modeSet = true;
    }
    const std::string& TempPath() const { return m_tempPath; }
    // The reason of the first failure, for diagnostics.
    const std::string& Error() const { return m_error; }

private:
    bool Fail(const std::string& what);

    int m_fd = -1;
    bool m_failed = false;
    bool m_modeSet = false;
    unsigned m_mode = 0;
    std::string m_target;
    std::string m_tempPath;
    std::string m_error;
};

// The permission bits a newly created file gets (0666 less the process's umask).
unsigned NewFileMode();

// Writes contents to path atomically; false (and the old file intact) on any failure.
bool WriteFileAtomically(const std::string& path, std::string_view contents,
                         std::string* error = nullptr);

} // namespace nv
