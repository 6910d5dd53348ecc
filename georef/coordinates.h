// Latitude and longitude as text: the seven notations, formatting a value in one of them,
// and reading a text typed in any of them. Independent of the process locale.
#pragma once

#include <string>

// The notations, stored as "Coord Type" in the profile.
enum CoordNotation {
    kDirDegMinSec = 0, // N 45 30 15
    kDirDegMinMm = 1,  // N 45 30.250
    kDirDegDddd = 2,   // N 45.504167
    kDegMinSec = 3,    // -45 30 15
    kDegMinMm = 4,     // -45 30.250
    kDegDddd = 5,      // -45.504167 (the default)
    kDirDegMin2 = 6,   // N 45 30.25
};

constexpr int kDefaultCoordNotation = kDegDddd;

// The name of a notation as the format message shows it.
std::string CoordNotationName(int notation);

// Formats value (decimal degrees, south and west negative) in notation; numbers outside
// 0 to 6 format as notation 1. Latitudes are clamped to [-90, 90], longitudes to
// [-180, 180]; minutes and seconds are truncated, never rounded.
std::string FormatCoordinate(int notation, double value, bool longitude);

// Formats value in notation like FormatCoordinate, but with the last number rounded rather
// than cut short ("N 39 00 06" for 39.0016666, where FormatCoordinate says 05).
std::string FormatCoordinateRounded(int notation, double value, bool longitude);

// The text of value in notation that reads back as value, to within 6e-7 degrees (7 cm on the
// ground, as six decimals of a degree show it): FormatCoordinate's when it does, else the
// notation's form with its last number rounded, with as many more decimals as that takes
// ("N 39 00 06" for 39.00166664, whose truncated text says 05; "N 45 30 15.5"). What the
// point table shows, so that showing a value never moves it.
std::string FormatCoordinateExact(int notation, double value, bool longitude);

// Reads text in any notation, recognised by its number of blank-separated fields; lower-case
// hemisphere letters are accepted. On success sets value and returns true. On failure leaves
// value untouched, sets message to the format message (quoting the upper-cased text and an
// example in notation) and returns false. Texts that read as infinity or not-a-number fail.
bool ParseCoordinate(int notation, const std::string& text, bool longitude, double& value,
                     std::string& message);
