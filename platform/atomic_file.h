// Replacing a file atomically: the new contents go to a temporary file in the same folder,
// which is flushed to disk and renamed over the target only when every write succeeded.
// A failure at any step leaves the previous file as it was.
//
// The target is the file a path finally names: symbolic links are followed, so a link stays
// a link and the file it points to gets the new contents. Only regular files are replaced:
// a device, FIFO, socket or folder in the target's place is refused, and so is an existing
// file this user may not write by its permission bits (the superuser's override does not
// count). A file with further hard links keeps them: once the temporary file is complete it
// is copied into the file itself instead of being renamed over it.
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

    // Finds the final target of path (following links), checks that it may be replaced and
    // creates the temporary file beside it. The new file takes the permission bits of the
    // file it replaces, or those of a newly created file when there is none.
    bool Open(const std::string& target);
    bool Write(const void* data, size_t count);
    bool Write(std::string_view text) { return Write(text.data(), text.size()); }
    // Flushes, closes and renames over the target. False when any step (or any earlier
    // write) failed; the target is then untouched and the temporary file removed. The one
    // exception is a failure while a hard-linked target is rewritten in place: the temporary
    // file is then kept with the complete new contents, and Error() names it.
    bool Commit();
    // Removes the temporary file without touching the target.
    void Discard();

    // Permission bits to give the new file instead (for example to add execute bits).
    void SetMode(unsigned mode)
    {
        m_mode = mode;
        m_modeSet = true;
    }
    // Lets Open replace an existing file that this user owns but whose write permission is
    // off, as clearing a read-only attribute would. Call before Open.
    void SetReplaceReadOnly(bool replace) { m_replaceReadOnly = replace; }

    // The file that is replaced: the target with its links followed.
    const std::string& FinalPath() const { return m_final; }
    const std::string& TempPath() const { return m_tempPath; }
    // The reason of the first failure, for diagnostics.
    const std::string& Error() const { return m_error; }

private:
    bool Fail(const std::string& what);
    bool Refuse(const std::string& what);
    // Checks the final target as it is now; false (with the reason) when it may not be
    // replaced. nlink receives its number of hard links, 0 when it does not exist.
    bool CheckTarget(unsigned long& nlink);
    bool RewriteInPlace();

    int m_fd = -1;
    bool m_failed = false;
    bool m_modeSet = false;
    bool m_replaceReadOnly = false;
    unsigned m_mode = 0;
    std::string m_final;
    std::string m_tempPath;
    std::string m_error;
};

// The permission bits a newly created file gets (0666 less the process's umask).
unsigned NewFileMode();

// Writes contents to path atomically; false (and the old file intact) on any failure.
bool WriteFileAtomically(const std::string& path, std::string_view contents,
                         std::string* error = nullptr);

} // namespace nv
