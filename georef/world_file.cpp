// World files.
#include "georef/world_file.h"

#include "georef/geo_transform.h"
#include "platform/c_numbers.h"
#include "platform/file.h"
#include "support/paths.h"

#include <vector>

namespace {

// A world file is a few hundred bytes; a "world file" that has not shown six lines within
// this many bytes is not one.
constexpr size_t kMaxWorldFileBytes = 1u << 20;

std::string Upper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return s;
}

} // namespace

std::string MakeWorldFilePath(const std::string& imagePath)
{
    std::string ext;
    GetPathExtension(imagePath, ext);
    if (!ext.empty() && ext[0] == '.')
        ext.erase(0, 1);
    ext = Upper(ext);
    std::string worldExt;
    if (ext.empty())
        worldExt = "wld";
    else
        worldExt = std::string{ext.front(), ext.back(), 'W'};
    std::string result;
    ReplaceExtension(imagePath, worldExt, result);
    return result;
}

std::string FindExistingWorldFile(const std::string& imagePath)
{
    std::string found = FindFileIgnoringExtensionCase(MakeWorldFilePath(imagePath));
    if (!found.empty())
        return found;
    std::string ext, candidate;
    GetPathExtension(imagePath, ext);
    if (ext.size() > 1) {
        ReplaceExtension(imagePath, ext + "w", candidate);
        found = FindFileIgnoringExtensionCase(candidate);
        if (!found.empty())
            return found;
    }
    ReplaceExtension(imagePath, "wld", candidate);
    return FindFileIgnoringExtensionCase(candidate);
}

bool ParsePixelValue(const std::string& text, uint32_t& value, std::string& message)
{
    size_t first = text.find_first_not_of(" \t");
    size_t last = text.find_last_not_of(" \t");
    const std::string digits =
        first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    uint64_t v = 0;
    bool ok = !digits.empty() && digits.size() <= 10;
    for (char c : digits) {
        ok = ok && c >= '0' && c <= '9';
        v = v * 10 + uint64_t(c - '0');
    }
    if (ok && v <= UINT32_MAX) {
        value = uint32_t(v);
        return true;
    }
    message = "The pixel value \"" + text +
              "\" is not in the proper format.  It should be a whole number of 0 or more "
              "(ie 120 ).";
    return false;
}

WorldFileParams ComputeWorldFile(const ControlPoint& p1, const ControlPoint& p2)
{
    const std::optional<GeoTransform> fit = GeoTransform::FromControlPoints(p1, p2);
    return fit ? fit->Params() : WorldFileParams{};
}

std::string FormatWorldFile(const WorldFileParams& params)
{
    const double values[6] = {params.A, params.D, params.B, params.E, params.C, params.F};
    std::string text;
    for (int i = 0; i < 6; ++i) {
        if (i > 0)
            text += "\r\n";
        text += nv::FormatFixed(values[i], 10);
    }
    return text;
}

std::optional<WorldFileParams> ReadWorldFile(const std::string& path)
{
    nv::File file;
    if (!file.Open(path, nv::File::modeRead))
        return std::nullopt;
    return ReadWorldFile(file);
}

std::optional<WorldFileParams> ReadWorldFile(nv::Stream& file)
{
    std::vector<std::string> lines;
    std::string current;
    size_t total = 0;
    bool atEnd = false;
    try {
        char buffer[4096];
        while (lines.size() < 6 && !atEnd) {
            const size_t n = file.Read(buffer, sizeof buffer);
            if (n == 0) {
                atEnd = true;
                break;
            }
            total += n;
            for (size_t i = 0; i < n && lines.size() < 6; ++i) {
                if (buffer[i] == '\n') {
                    lines.push_back(current);
                    current.clear();
                } else {
                    current += buffer[i];
                }
            }
            if (total > kMaxWorldFileBytes)
                return std::nullopt;
        }
    } catch (const nv::FileError&) {
        return std::nullopt;
    }
    // A last line without a line end still counts.
    if (atEnd && lines.size() < 6 && !current.empty())
        lines.push_back(current);
    if (lines.size() < 6)
        return std::nullopt;
    WorldFileParams w;
    w.A = nv::LeadingDouble(lines[0]);
    w.D = nv::LeadingDouble(lines[1]);
    w.B = nv::LeadingDouble(lines[2]);
    w.E = nv::LeadingDouble(lines[3]);
    w.C = nv::LeadingDouble(lines[4]);
    w.F = nv::LeadingDouble(lines[5]);
    return w;
}
