// Block copy of a file that carries the source's times (and optionally its attributes) over
// to the copy, and writes the reason of each failure to the diagnostic log.
#pragma once

#include <string>

namespace nv {
class FileError;
}

// Copies source to target through one 32768-byte buffer. The target is replaced atomically:
// the copy is written beside it and renamed over it only when complete, so a failed copy
// leaves an existing target as it was. With copyAttributes the copy gets the source's
// write permissions (a read-only source gives a read-only copy); without, a writable file.
// Execute permissions are kept: those of the source, and those of a file being replaced.
// openError, when given, receives the reason the source could not be opened.
bool IDFileCopy(const std::string& source, const std::string& target, bool overwrite,
                bool copyAttributes, nv::FileError* openError = nullptr);

// IDFileCopy without copying attributes.
bool CopyFileNoAttributes(const std::string& source, const std::string& target, bool overwrite,
                          nv::FileError* openError = nullptr);
