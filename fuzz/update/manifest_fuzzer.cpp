// Feeds arbitrary bytes to the manifest reader and the version helpers, and checks what the
// reader promises about the entries it accepts.
#include "update/manifest.h"
#include "update/versions.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<UpdateEntry> entries;
    const ManifestStatus status = ParseManifest(text, entries);
    if (status != ManifestStatus::ok && !entries.empty())
        std::abort();
    if (status == ManifestStatus::empty && !text.empty())
        std::abort();
    for (const UpdateEntry& entry : entries) {
        if (!IsSafeLocalName(entry.localName))
            std::abort();
        for (const std::string* field :
             {&entry.localName, &entry.serverName, &entry.manifestVersion})
            if (field->find('\n') != std::string::npos || field->find(',') != std::string::npos)
                std::abort();
        // A version is never newer than itself, and the order is strict.
        const std::string local = FormatFileVersion(entry.manifestVersion);
        if (IsNewerVersion(entry.manifestVersion, entry.manifestVersion))
            std::abort();
        if (IsNewerVersion(local, entry.manifestVersion) &&
            IsNewerVersion(entry.manifestVersion, local))
            std::abort();
    }
    return 0;
}
