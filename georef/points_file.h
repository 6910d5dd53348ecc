// Control points in the ".points" text format of QGIS's georeferencer: an optional "#CRS: "
// line with the map's coordinate system, a heading line, and one line per point with the map
// position (longitude, latitude), the raster position and whether the point is enabled. Raster
// positions are continuous: pixel column n spans n to n + 1, and rows count upwards from the
// top edge, so the centre of pixel (x, y) is written as x + 0.5, -(y + 0.5).
#pragma once

#include "georef/world_file.h"

#include <string>
#include <string_view>
#include <vector>

// "<image>.points": the image's full name followed by ".points".
std::string MakePointsFilePath(const std::string& imagePath);

// The file's text: the "#CRS: " line with WGS 84, the heading
// "mapX,mapY,sourceX,sourceY,enable,dX,dY,residual", then one line per point, all enabled,
// at the centre of its pixel, with the shortest digits that read back as the same numbers, '.' as the decimal point and
// LF line ends.
std::string FormatPointsFile(const std::vector<ControlPoint>& points);

struct PointsFileContents
{
    std::vector<ControlPoint> points; // the enabled points, in file order
    int disabled = 0;                 // points skipped because they are disabled
};

// Reads a points file's text, as the versions of the format have written it: with or without
// the "#CRS: " line; the heading recognised by its words ("sourceX" or the older "pixelX"),
// columns taken by their names, or in the standard order when there is no heading; fields
// separated by commas or, in very old files, by tabs; the row as minus or plus the pixel row;
// the enable field missing (enabled), 1 or 0; blank lines, CR LF line ends and lines starting
// with '#' ignored. A raster position is taken to the pixel that holds it.
// False, with a reason naming the line ("Malformed content at line 4: ..."), when a line is
// neither the heading nor a point, or an enabled point lies outside latitude -90 to 90,
// longitude -180 to 180 or pixel 0 to 4294967295; false too when the coordinate system is not
// one of latitude and longitude. contents is set only on success.
bool ParsePointsFile(std::string_view text, PointsFileContents& contents, std::string& reason);

// The same from a file; false with the reason when the file cannot be read, is not a regular
// file, or is larger than any points file (16 MiB).
bool ReadPointsFile(const std::string& path, PointsFileContents& contents, std::string& reason);
