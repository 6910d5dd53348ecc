// The world file: six lines beside an image that map its pixels to longitude and latitude
// (north up, no rotation). Naming, computing the parameters from two control points,
// writing, and reading back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace nv {
class Stream;
}

// The six parameters in file order.
struct WorldFileParams
{
    double A = 0.0; // longitude change per pixel to the right
    double D = 0.0; // rotation term, always 0 here
    double B = 0.0; // rotation term, always 0 here
    double E = 0.0; // latitude change per pixel downwards (negative or -0)
    double C = 0.0; // longitude of the centre of the pixel in column 0
    double F = 0.0; // latitude of the centre of the pixel in row 0
};

struct ControlPoint
{
    uint32_t x = 0;
    uint32_t y = 0;
    double latitude = 0.0;
    double longitude = 0.0;
    bool operator==(const ControlPoint&) const = default;
};

// The world file's name: the image's extension reduced to its first and last letter,
// upper-cased, followed by W (quad.jpg gives quad.JGW, x.tiff gives x.TFW). An image without
// an extension gets "<name>.wld".
std::string MakeWorldFilePath(const std::string& imagePath);

// The world file that already belongs to the image, if any: the file named by
// MakeWorldFilePath in any letter case, else "<name>.<ext>w" (quad.jpgw), else "<name>.wld",
// each in any letter case. Empty when there is none.
std::string FindExistingWorldFile(const std::string& imagePath);

// Reads a pixel cell: a whole number from 0 to 4294967295, blanks around it allowed. On
// failure leaves value untouched, sets message (naming the text) and returns false.
bool ParsePixelValue(const std::string& text, uint32_t& value, std::string& message);

// The parameters that place the smaller longitude at the smaller pixel X and the larger
// latitude at the smaller pixel Y (GeoTransform::FromControlPoints). The two points must
// differ in X and in Y; all parameters are 0 when they do not.
WorldFileParams ComputeWorldFile(const ControlPoint& p1, const ControlPoint& p2);

// The file's text: each value in fixed point with ten decimals, '.' whatever the locale,
// CR LF between the lines and none after the sixth.
std::string FormatWorldFile(const WorldFileParams& params);

// Reads the first six lines of a world file; each line gives the number at its start after
// blanks (0 when there is none). Nothing when the file cannot be read or has fewer than six
// lines.
std::optional<WorldFileParams> ReadWorldFile(const std::string& path);
// The same from an open stream.
std::optional<WorldFileParams> ReadWorldFile(nv::Stream& stream);
