// The map's coordinate system: WGS 84 as well-known text (WKT), the "<image>.aux.xml" file
// beside a raster from which GIS programs read its coordinate system, and telling a
// coordinate system in latitude and longitude from a projected one.
#pragma once

#include <string>
#include <string_view>

// WGS 84 (EPSG:4326) as GIS programs write it into points files (WKT2, latitude axis first).
extern const char* const kWgs84Wkt2;
// WGS 84 in the older WKT form that raster metadata files hold.
extern const char* const kWgs84Wkt1;

// "<image>.aux.xml": the image's full name followed by ".aux.xml".
std::string MakeAuxXmlPath(const std::string& imagePath);

// The aux.xml text that gives a raster WGS 84, with longitude along the raster's x axis (the
// order of a world file). LF line ends.
std::string FormatAuxXml();

enum class AuxXmlResult {
    written, // the file was created
    existed, // a file (or anything else) is already there; it was not touched
    failed,  // the file could not be written; nothing was left behind
};
// Writes FormatAuxXml() to MakeAuxXmlPath(imagePath) atomically, unless something already
// exists at that path (a link, even a broken one, counts).
AuxXmlResult WriteAuxXml(const std::string& imagePath);

// True when map positions in the coordinate system crs are longitudes and latitudes in
// degrees: a geographic WKT (GEOGCS, GEOGCRS, or GEODCRS with an ellipsoidal system), the
// codes EPSG:4326 and OGC:CRS84, or a "+proj=longlat" definition. An empty text counts as
// WGS 84. Anything else, projected systems among them, is false.
bool IsGeographicCrs(std::string_view crs);

// The name a WKT gives its coordinate system (its first quoted text), else the text itself,
// cut to 80 characters.
std::string CrsName(std::string_view crs);
