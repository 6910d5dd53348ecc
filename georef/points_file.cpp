// Points files: writing and reading the georeferencer's control points.
#include "georef/points_file.h"

#include "georef/crs_file.h"
#include "platform/c_numbers.h"
#include "platform/file.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace {

constexpr uint64_t kMaxPointsFileBytes = 16u << 20;
constexpr double kMaxPixel = 4294967295.0;

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::vector<std::string_view> SplitLine(std::string_view line)
{
    const char separator = line.find(',') != std::string_view::npos ? ',' : '\t';
    std::vector<std::string_view> fields;
    for (size_t start = 0;;) {
        const size_t end = line.find(separator, start);
        fields.push_back(Trim(line.substr(start, end - start)));
        if (end == std::string_view::npos)
            return fields;
        start = end + 1;
    }
}

// A whole field as a finite number.
bool ParseNumber(std::string_view field, double& value)
{
    size_t pos = 0;
    return nv::ScanDouble(field, pos, value) && pos == field.size() && std::isfinite(value);
}

// Where the columns are; the standard order until a heading says otherwise.
struct Columns
{
    size_t mapX = 0, mapY = 1, sourceX = 2, sourceY = 3;
    size_t enable = 4; // npos when there is no such column
    size_t Needed() const { return std::max({mapX, mapY, sourceX, sourceY}) + 1; }
};

bool ParseHeading(const std::vector<std::string_view>& fields, Columns& columns)
{
    constexpr size_t none = std::string_view::npos;
    Columns c{none, none, none, none, none};
    for (size_t i = 0; i < fields.size(); ++i) {
        auto take = [&](size_t& column) {
            if (column == none)
                column = i;
        };
        const std::string_view f = fields[i];
        if (EqualNoCase(f, "mapX"))
            take(c.mapX);
        else if (EqualNoCase(f, "mapY"))
            take(c.mapY);
        else if (EqualNoCase(f, "sourceX") || EqualNoCase(f, "pixelX"))
            take(c.sourceX);
        else if (EqualNoCase(f, "sourceY") || EqualNoCase(f, "pixelY"))
            take(c.sourceY);
        else if (EqualNoCase(f, "enable"))
            take(c.enable);
    }
    if (c.mapX == none || c.mapY == none || c.sourceX == none || c.sourceY == none)
        return false;
    columns = c;
    return true;
}

// A raster position to the pixel that holds it (pixel n spans n to n + 1); false outside
// 0 to 2^32 - 1.
bool ToPixel(double position, uint32_t& pixel)
{
    const double whole = std::floor(position);
    if (!(whole >= 0.0 && whole <= kMaxPixel))
        return false;
    pixel = static_cast<uint32_t>(whole);
    return true;
}

// A field as a message quotes it.
std::string Quoted(std::string_view field)
{
    return "\"" + std::string(field.substr(0, 40)) + (field.size() > 40 ? "...\"" : "\"");
}

std::string Number(double value)
{
    return nv::FormatShortest(value == 0.0 ? 0.0 : value); // no "-0"
}

} // namespace

std::string MakePointsFilePath(const std::string& imagePath)
{
    return imagePath + ".points";
}

std::string FormatPointsFile(const std::vector<ControlPoint>& points)
{
    std::string text = std::string("#CRS: ") + kWgs84Wkt2 + "\n";
    text += "mapX,mapY,sourceX,sourceY,enable,dX,dY,residual\n";
    for (const ControlPoint& p : points) {
        // The centre of the pixel: a raster position n is the left or top edge of pixel n.
        text += Number(p.longitude) + "," + Number(p.latitude) + "," + Number(p.x + 0.5) + ",";
        text += Number(-(p.y + 0.5)) + ",1,0,0,0\n";
    }
    return text;
}

bool ParsePointsFile(std::string_view text, PointsFileContents& contents, std::string& reason)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    PointsFileContents result;
    Columns columns;
    bool headingSeen = false;
    int lineNumber = 0;
    auto malformed = [&](const std::string& why) {
        reason = "Malformed content at line " + std::to_string(lineNumber) + ": " + why;
        return false;
    };
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        ++lineNumber;
        if (line.empty())
            continue;
        if (lineNumber == 1 && line.substr(0, 5) == "#CRS:") {
            const std::string_view crs = Trim(line.substr(5));
            if (!IsGeographicCrs(crs)) {
                reason = "The points are not in latitude and longitude: their coordinate system "
                         "is \"" +
                         CrsName(crs) + "\".";
                return false;
            }
            continue;
        }
        if (line.front() == '#')
            continue;

        const std::vector<std::string_view> fields = SplitLine(line);
        double first = 0.0;
        if (!ParseNumber(fields[0], first)) {
            // Words: the heading, once, before the points.
            if (headingSeen || !result.points.empty() || result.disabled > 0)
                return malformed(Quoted(fields[0]) + " is not a number");
            if (!ParseHeading(fields, columns))
                return malformed("a heading without mapX, mapY, sourceX and sourceY");
            headingSeen = true;
            continue;
        }
        if (fields.size() < columns.Needed())
            return malformed(std::to_string(fields.size()) + " fields where " +
                             std::to_string(columns.Needed()) + " are needed");
        double mapX, mapY, sourceX, sourceY;
        for (auto [column, value] : {std::pair{columns.mapX, &mapX},
                                     {columns.mapY, &mapY},
                                     {columns.sourceX, &sourceX},
                                     {columns.sourceY, &sourceY}})
            if (!ParseNumber(fields[column], *value))
                return malformed(Quoted(fields[column]) + " is not a number");

        bool enabled = true;
        if (columns.enable < fields.size() && !fields[columns.enable].empty()) {
            const std::string_view f = fields[columns.enable];
            double flag = 0.0;
            if (EqualNoCase(f, "false"))
                enabled = false;
            else if (!EqualNoCase(f, "true")) {
                if (!ParseNumber(f, flag))
                    return malformed("the enable field " + Quoted(f) + " is neither 1 nor 0");
                enabled = flag != 0.0;
            }
        }
        if (!enabled) {
            ++result.disabled;
            continue;
        }
        ControlPoint point;
        point.longitude = mapX;
        point.latitude = mapY;
        if (std::fabs(mapY) > 90.0)
            return malformed("the latitude " + nv::FormatShortest(mapY) +
                             " lies beyond 90 degrees");
        if (std::fabs(mapX) > 180.0)
            return malformed("the longitude " + nv::FormatShortest(mapX) +
                             " lies beyond 180 degrees");
        // Rows count upwards from the top edge (negative) in current files; a positive value
        // is the row itself.
        if (!ToPixel(sourceX, point.x) || !ToPixel(std::fabs(sourceY), point.y))
            return malformed("the pixel position lies outside 0 to 4294967295");
        result.points.push_back(point);
    }
    contents = std::move(result);
    return true;
}

bool ReadPointsFile(const std::string& path, PointsFileContents& contents, std::string& reason)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        reason = std::filesystem::exists(path, ec) ? "It is not a file." : "It does not exist.";
        return false;
    }
    std::string text;
    try {
        nv::File file;
        file.OpenOrThrow(path, nv::File::modeRead);
        char buffer[65536];
        for (size_t n; (n = file.Read(buffer, sizeof buffer)) > 0;) {
            if (text.size() + n > kMaxPointsFileBytes) {
                reason = "It is larger than any points file.";
                return false;
            }
            text.append(buffer, n);
        }
    } catch (const nv::FileError& e) {
        reason = e.what();
        return false;
    }
    return ParsePointsFile(text, contents, reason);
}
