// The coordinate system written beside an image, and recognising geographic systems.
#include "georef/crs_file.h"

#include "platform/atomic_file.h"

#include <filesystem>

const char* const kWgs84Wkt2 =
    "GEOGCRS[\"WGS 84\",DATUM[\"World Geodetic System 1984\",ELLIPSOID[\"WGS 84\",6378137,"
    "298.257223563,LENGTHUNIT[\"metre\",1]]],PRIMEM[\"Greenwich\",0,ANGLEUNIT[\"degree\","
    "0.0174532925199433]],CS[ellipsoidal,2],AXIS[\"geodetic latitude (Lat)\",north,ORDER[1],"
    "ANGLEUNIT[\"degree\",0.0174532925199433]],AXIS[\"geodetic longitude (Lon)\",east,ORDER[2],"
    "ANGLEUNIT[\"degree\",0.0174532925199433]],USAGE[SCOPE[\"Horizontal component of 3D "
    "system.\"],AREA[\"World.\"],BBOX[-90,-180,90,180]],ID[\"EPSG\",4326]]";

const char* const kWgs84Wkt1 =
    "GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,298.257223563,"
    "AUTHORITY[\"EPSG\",\"7030\"]],AUTHORITY[\"EPSG\",\"6326\"]],PRIMEM[\"Greenwich\",0,"
    "AUTHORITY[\"EPSG\",\"8901\"]],UNIT[\"degree\",0.0174532925199433,AUTHORITY[\"EPSG\","
    "\"9122\"]],AXIS[\"Latitude\",NORTH],AXIS[\"Longitude\",EAST],AUTHORITY[\"EPSG\",\"4326\"]]";

namespace {

std::string UpperNoBlanks(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            continue;
        out += (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
    }
    return out;
}

bool StartsWith(const std::string& text, std::string_view prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

std::string MakeAuxXmlPath(const std::string& imagePath)
{
    return imagePath + ".aux.xml";
}

std::string FormatAuxXml()
{
    // The mapping says that the raster's x axis is the system's second axis (longitude).
    return std::string("<PAMDataset>\n  <SRS dataAxisToSRSAxisMapping=\"2,1\">") + kWgs84Wkt1 +
           "</SRS>\n</PAMDataset>\n";
}

AuxXmlResult WriteAuxXml(const std::string& imagePath)
{
    const std::string path = MakeAuxXmlPath(imagePath);
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(path, ec);
    if (std::filesystem::exists(status))
        return AuxXmlResult::existed;
    if (ec && ec != std::errc::no_such_file_or_directory)
        return AuxXmlResult::failed; // cannot tell, so do not risk replacing anything
    return nv::WriteFileAtomically(path, FormatAuxXml()) ? AuxXmlResult::written
                                                         : AuxXmlResult::failed;
}

bool IsGeographicCrs(std::string_view crs)
{
    const std::string u = UpperNoBlanks(crs);
    if (u.empty() || u == "EPSG:4326" || u == "OGC:CRS84" || u == "CRS:84")
        return true;
    if (StartsWith(u, "+PROJ="))
        return StartsWith(u, "+PROJ=LONGLAT") || StartsWith(u, "+PROJ=LATLONG");
    if (StartsWith(u, "GEOGCS[") || StartsWith(u, "GEOGCRS[") || StartsWith(u, "GEOGRAPHICCRS["))
        return true;
    // A geodetic system is geographic when its axes are on the ellipsoid (not geocentric).
    if (StartsWith(u, "GEODCRS[") || StartsWith(u, "GEODETICCRS["))
        return u.find("CS[ELLIPSOIDAL") != std::string::npos;
    return false;
}

std::string CrsName(std::string_view crs)
{
    const size_t open = crs.find('"');
    if (open != std::string_view::npos) {
        const size_t close = crs.find('"', open + 1);
        if (close != std::string_view::npos && close - open - 1 <= 80)
            return std::string(crs.substr(open + 1, close - open - 1));
    }
    return std::string(crs.substr(0, 80));
}
