// File copy with log messages.
#include "support/file_copy.h"

#include "platform/atomic_file.h"
#include "platform/file.h"
#include "support/log.h"
#include "support/paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr size_t kCopyBuffer = 32768;

} // namespace

bool IDFileCopy(const std::string& source, const std::string& target, bool overwrite,
                bool copyAttributes, nv::FileError* openError)
{
    if (!FileExists(source)) {
        LogWriteText("ERROR: IDFileCopy failed.  Source file does not exist: \"%s\"",
                     source.c_str());
        return false;
    }
    unsigned replacedExecBits = 0;
    if (FileExists(target)) {
        if (!overwrite) {
            LogWriteText("ERROR: IDFileCopy failed.  Target file exists and overwrite flag was "
                         "not specified: \"%s\"",
                         target.c_str());
            return false;
        }
        // The old target stays in place until the copy is complete; only its execute
        // permissions are carried over to the file that replaces it.
        struct stat st;
        if (::stat(target.c_str(), &st) == 0)
            replacedExecBits = unsigned(st.st_mode) & 0111;
    }

    std::vector<unsigned char> buffer(kCopyBuffer);

    nv::File in;
    if (!in.Open(source, nv::File::modeRead | nv::File::shareExclusive, openError)) {
        LogWriteText("ERROR: IDFileCopy failed.  Unable to open source file \"%s\"",
                     source.c_str());
        return false;
    }
    nv::AtomicFileWriter out;
    // With the overwrite flag a read-only target of this user goes, as if its read-only
    // attribute were cleared first.
    out.SetReplaceReadOnly(true);
    if (!out.Open(target)) {
        LogWriteText("ERROR: IDFileCopy failed.  Unable to open/create target file \"%s\"",
                     target.c_str());
        return false;
    }

    // Permissions: write bits from the source when attributes are copied, else a writable
    // file; execute bits from the source and from the file being replaced.
    struct stat srcStat
    {
    };
    const bool haveSrcStat = ::stat(source.c_str(), &srcStat) == 0;
    const unsigned srcMode = haveSrcStat ? unsigned(srcStat.st_mode) & 0777 : 0644;
    const unsigned execBits = (srcMode & 0111) | replacedExecBits;
    unsigned mode;
    if (copyAttributes)
        mode = (srcMode & 0666) | execBits;
    else
        mode = nv::NewFileMode() | 0200 | execBits;
    out.SetMode(mode);

    try {
        in.SeekToBegin();
        for (;;) {
            const size_t n = in.Read(buffer.data(), buffer.size());
            if (n > 0 && !out.Write(buffer.data(), n))
                break;
            if (n < buffer.size())
                break;
        }
        in.Close();
    } catch (const nv::FileError&) {
        LogWriteText("ERROR: IDFileCopy failed.  Unable to read source file \"%s\"",
                     source.c_str());
        return false;
    }
    if (!out.Commit()) {
        LogWriteText("ERROR: IDFileCopy failed.  Unable to write target file \"%s\"",
                     target.c_str());
        return false;
    }

    // Times: last access and last modification of the source (there is no creation time to
    // set here). A failure is ignored.
    if (haveSrcStat) {
        struct timespec times[2] = {srcStat.st_atim, srcStat.st_mtim};
        ::utimensat(AT_FDCWD, target.c_str(), times, 0);
    }
    return true;
}

bool CopyFileNoAttributes(const std::string& source, const std::string& target, bool overwrite,
                          nv::FileError* openError)
{
    return IDFileCopy(source, target, overwrite, false, openError);
}
