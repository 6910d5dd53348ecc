// Manifest reading.
#include "update/manifest.h"

#include "support/paths.h"

namespace {

bool IsSeparator(char c)
{
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

} // namespace

bool IsSafeLocalName(const std::string& name)
{
    if (name.empty() || IsSeparator(name.front()) || IsSeparator(name.back()))
        return false;
#ifdef _WIN32
    if (name.size() >= 2 && name[1] == ':')
        return false;
#endif
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = start;
        while (end < name.size() && !IsSeparator(name[end]))
            ++end;
        if (name.compare(start, end - start, "..") == 0)
            return false;
        start = end + 1;
    }
    return true;
}

ManifestStatus ParseManifest(std::string_view text, std::vector<UpdateEntry>& entries)
{
    entries.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        const size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos)
            end = text.size();
        else if (end > start && text[end - 1] == '\r')
            --end;
        const std::string line(text.substr(start, end - start));
        start = next;

        std::vector<std::string> fields;
        if (line.find("<!DOCTYPE HTML PUBLIC") != std::string::npos ||
            !SplitFields(fields, line.c_str(), ",") || fields.size() < 3 ||
            !IsSafeLocalName(fields[0])) {
            entries.clear();
            return ManifestStatus::notManifest;
        }
        UpdateEntry entry;
        entry.localName = std::move(fields[0]);
        entry.serverName = std::move(fields[1]);
        entry.manifestVersion = std::move(fields[2]);
        entries.push_back(std::move(entry));
    }
    return entries.empty() ? ManifestStatus::empty : ManifestStatus::ok;
}
