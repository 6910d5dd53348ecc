// The update manifest: one line per file offered by the update server, "local name,server
// name,version[,ignored...]", and the entries the update check keeps for each line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// One file offered by the update server, in manifest order.
struct UpdateEntry
{
    std::string localName;       // relative to the application folder
    std::string serverName;      // relative to the update base URL
    std::string manifestVersion; // offered by the server
    std::string localVersion;    // of the installed file
    bool selected = false;       // the server's version is newer
    std::string tempFile;        // the retrieved copy, empty when not retrieved
    std::string signatureFile;   // its retrieved signature, empty when not retrieved
};

enum class ManifestStatus {
    ok,          // at least one entry
    empty,       // no line at all
    notManifest, // an HTML page, a line with fewer than three fields or an unsafe local name
};

// The longest manifest read; a longer body is not a manifest.
constexpr size_t kMaxManifestBytes = size_t(1) << 20;

// Reads manifest text. Lines end in LF or CR LF (a last line may lack its end); each line
// splits at every comma, fields kept exactly as written. A line containing
// "<!DOCTYPE HTML PUBLIC", a line with fewer than three fields (an empty line has one) or a
// local name that could leave the application folder makes the whole text unusable.
// entries receives one entry per line (versions and selection not yet worked out) when the
// result is ok, and is emptied otherwise.
ManifestStatus ParseManifest(std::string_view text, std::vector<UpdateEntry>& entries);

// A local name is safe when it names a file at or below the application folder: not empty,
// not absolute, not ending in a separator, and without a ".." component.
bool IsSafeLocalName(const std::string& name);
