// Temporary files with a name prefix, in the system's temporary folder.
#pragma once

#include <string>

namespace nv {

class TempFiles
{
public:
    virtual ~TempFiles() = default;
    // The system's temporary folder, ending in a separator.
    virtual std::string TempFolder() = 0;
    // Creates a new empty file "<prefix>XXXXXX.tmp" in the temporary folder and returns its
    // path; empty when it cannot be created.
    virtual std::string CreateTempFile(const std::string& prefix) = 0;
};

// The temporary folder Qt reports ($TMPDIR, else /tmp).
class SystemTempFiles : public TempFiles
{
public:
    std::string TempFolder() override;
    std::string CreateTempFile(const std::string& prefix) override;
};

// Creates "<prefix>XXXXXX.tmp" in folder; empty on failure.
std::string CreateTempFileIn(const std::string& folder, const std::string& prefix);

} // namespace nv
