// Unpacking zip archives that arrive from the network, without trusting them: only files and
// folders at or below a given folder are written, each through a temporary file that is
// renamed into place once the whole archive has been read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ArchiveLimits
{
    uint64_t maxTotalBytes = uint64_t(1) << 30; // unpacked bytes of all entries together
    size_t maxEntries = 10000;
};

// Unpacks the zip archive at archivePath into folder (the process's working folder plays no
// part). The archive is refused when it cannot be read, when an entry has an absolute path or
// a ".." component, is anything but a regular file or a folder (links and devices are
// refused), would be written through a symbolic link or over a folder, or when the archive
// exceeds limits. All or nothing: on any failure, also one while the files are put in place,
// every file replaced is put back and every file and folder made is removed, and false is
// returned with error (when given) saying why. On success written (when given) receives the
// paths, relative to folder, of the files put in place. A file that replaces an executable
// keeps its execute permissions; files get the archive's modification times.
bool ExtractArchive(const std::string& archivePath, const std::string& folder,
                    const ArchiveLimits& limits, std::vector<std::string>* written = nullptr,
                    std::string* error = nullptr);
