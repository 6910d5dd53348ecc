// Points files and the coordinate-system file beside an image.
#include "georef/crs_file.h"
#include "georef/points_file.h"

#include "tests/testlib/temp_dir.h"

#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <filesystem>
#include <map>
#include <sstream>

namespace {

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string piece; std::getline(in, piece, separator);)
        out.push_back(piece);
    return out;
}

// A reader written apart from the program's: the "#CRS: " text, then per point mapX, mapY,
// sourceX, sourceY and enable, taken by the heading's names and read with from_chars.
std::vector<std::array<double, 5>> ReadIndependently(const std::string& text, std::string& crs)
{
    const std::vector<std::string> lines = Split(text, '\n');
    EXPECT_EQ(lines.at(0).rfind("#CRS: ", 0), 0u);
    crs = lines[0].substr(6);
    std::map<std::string, size_t> column;
    for (const std::string& name : Split(lines.at(1), ','))
        column.emplace(name, column.size());
    std::vector<std::array<double, 5>> rows;
    for (size_t i = 2; i < lines.size(); ++i) {
        const std::vector<std::string> fields = Split(lines[i], ',');
        EXPECT_EQ(fields.size(), column.size()) << lines[i];
        std::array<double, 5> row{};
        for (size_t k = 0; k < 5; ++k) {
            const char* name[] = {"mapX", "mapY", "sourceX", "sourceY", "enable"};
            const std::string& f = fields.at(column.at(name[k]));
            const auto r = std::from_chars(f.data(), f.data() + f.size(), row[k]);
            EXPECT_TRUE(r.ec == std::errc() && r.ptr == f.data() + f.size()) << f;
        }
        rows.push_back(row);
    }
    return rows;
}

} // namespace

TEST(PointsFile, WrittenFileIsReadByAnIndependentReaderAndBackExactly)
{
    const std::vector<ControlPoint> points = {{100, 50, 40.0 + 1.0 / 3.0, -105.5},
                                              {4294967295u, 0, -89.999999999, 179.123456789012}};
    const std::string text = FormatPointsFile(points);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(Split(text, '\n').at(1), "mapX,mapY,sourceX,sourceY,enable,dX,dY,residual");

    std::string crs;
    const std::vector<std::array<double, 5>> rows = ReadIndependently(text, crs);
    EXPECT_NE(crs.find("ID[\"EPSG\",4326]"), std::string::npos);
    ASSERT_EQ(rows.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const ControlPoint& p = points[i];
        // Each point at its pixel's centre; rows count upwards from the top edge.
        EXPECT_EQ(rows[i],
                  (std::array<double, 5>{p.longitude, p.latitude, p.x + 0.5, -(p.y + 0.5), 1.0}));
    }

    PointsFileContents back;
    std::string reason;
    ASSERT_TRUE(ParsePointsFile(text, back, reason)) << reason;
    EXPECT_EQ(back.points, points);
}

TEST(PointsFile, ReadsTheFormsThatHaveBeenWritten)
{
    // Point #1 is at pixel (100, 50), 40 N 105.5 W; point #2 at (300, 250), 39.5 N 105 W.
    struct Row
    {
        const char* name;
        const char* text;
        size_t enabled;
        int disabled;
    } rows[] = {
        {"laid out as QGIS writes it",
         "#CRS: GEOGCRS[\"WGS 84\",ENSEMBLE[\"World Geodetic System 1984 ensemble\","
         "MEMBER[\"World Geodetic System 1984 (Transit)\"],MEMBER[\"World Geodetic System 1984 "
         "(G730)\"],ELLIPSOID[\"WGS 84\",6378137,298.257223563,LENGTHUNIT[\"metre\",1]],"
         "ENSEMBLEACCURACY[2.0]],PRIMEM[\"Greenwich\",0,ANGLEUNIT[\"degree\",0.0174532925199433]],"
         "CS[ellipsoidal,2],AXIS[\"geodetic latitude (Lat)\",north,ORDER[1],ANGLEUNIT[\"degree\","
         "0.0174532925199433]],AXIS[\"geodetic longitude (Lon)\",east,ORDER[2],ANGLEUNIT["
         "\"degree\",0.0174532925199433]],USAGE[SCOPE[\"Horizontal component of 3D system.\"],"
         "AREA[\"World.\"],BBOX[-90,-180,90,180]],ID[\"EPSG\",4326]]\n"
         "mapX,mapY,sourceX,sourceY,enable,dX,dY,residual\n"
         "-105.5,40,100.23451,-50.87612,1,0.0000012,-0.0000034,0.0000036\n"
         "-105.00000000000000000,39.50000000000000000,300.8,-250.1,1,0,0,0\n",
         2, 0},
        {"older heading, no CRS line",
         "mapX,mapY,pixelX,pixelY,enable\n-105.5,40,100,-50,1\n-105,39.5,300,-250,1\n", 2, 0},
        {"tab-separated, positive rows",
         "mapX\tmapY\tpixelX\tpixelY\tenable\n-105.5\t40\t100\t50\t1\n-105\t39.5\t300\t250\t1\n", 2,
         0},
        {"no heading, four fields", "-105.5,40,100,-50\n-105,39.5,300,-250\n", 2, 0},
        {"columns by their names",
         "enable,sourceY,sourceX,mapY,mapX\n1,-50,100,40,-105.5\n1,-250,300,39.5,-105\n", 2, 0},
        {"disabled and extra points, CR LF, blanks, comments, BOM",
         "\xEF\xBB\xBFmapX,mapY,sourceX,sourceY,enable\r\n\r\n-300,95,-7,-7,0\r\n# note\r\n"
         " -105.5 , 40 , 100 , -50 , 1 \r\n-105,39.5,300,-250,1\r\n-104,39,500,-450,1\r\n",
         3, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PointsFileContents contents;
        std::string reason;
        ASSERT_TRUE(ParsePointsFile(row.text, contents, reason)) << reason;
        EXPECT_EQ(contents.disabled, row.disabled);
        ASSERT_EQ(contents.points.size(), row.enabled);
        EXPECT_EQ(contents.points[0], (ControlPoint{100, 50, 40.0, -105.5}));
        EXPECT_EQ(contents.points[1], (ControlPoint{300, 250, 39.5, -105.0}));
    }
}

TEST(PointsFile, RefusesMalformedLinesNamingThem)
{
    const std::string heading = "mapX,mapY,sourceX,sourceY,enable,dX,dY,residual\n";
    struct Row
    {
        const char* name;
        std::string text;
        const char* reason;
    } rows[] = {
        {"three fields", heading + "-105.5,40,100,-50,1\n-105,39.5,300\n",
         "Malformed content at line 3: 3 fields where 4 are needed"},
        {"a word for a number", "#CRS: \n" + heading + "-105.5,40,1OO,-50,1\n",
         "Malformed content at line 3: \"1OO\" is not a number"},
        {"a second heading", heading + "-105.5,40,100,-50,1\n" + heading,
         "Malformed content at line 3: \"mapX\" is not a number"},
        {"a heading without sourceY", "mapX,mapY,sourceX,residual\n-105.5,40,100,-50\n",
         "Malformed content at line 1: a heading without"},
        {"not a number at all", heading + "-105.5,nan,100,-50,1\n", "line 2: \"nan\" is not"},
        {"latitude beyond 90", heading + "-105.5,95,100,-50,1\n",
         "line 2: the latitude 95 lies beyond 90 degrees"},
        {"a column left of the image", heading + "-105.5,40,-3,-50,1\n",
         "line 2: the pixel position lies outside 0 to 4294967295"},
        {"projected points",
         "#CRS: PROJCRS[\"WGS 84 / UTM zone 13N\",BASEGEOGCRS[\"WGS 84\"]]\n" + heading +
             "500000,4400000,100,-50,1\n",
         "The points are not in latitude and longitude: their coordinate system is \"WGS 84 / "
         "UTM zone 13N\"."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PointsFileContents contents;
        contents.disabled = 7; // untouched on failure
        std::string reason;
        EXPECT_FALSE(ParsePointsFile(row.text, contents, reason));
        EXPECT_NE(reason.find(row.reason), std::string::npos) << reason;
        EXPECT_EQ(contents.disabled, 7);
    }

    // Only regular files of a points file's size are read.
    nv::test::TempDir dir;
    std::string reason;
    PointsFileContents contents;
    EXPECT_FALSE(ReadPointsFile(dir.Path(), contents, reason));
    EXPECT_EQ(reason, "It is not a file.");
    EXPECT_FALSE(ReadPointsFile(dir.Write("big.points", std::string((16u << 20) + 1, '\n')),
                                contents, reason));
    EXPECT_EQ(reason, "It is larger than any points file.");
}

TEST(CrsFile, TellsGeographicSystemsFromOthers)
{
    for (const char* crs :
         {"", kWgs84Wkt1, kWgs84Wkt2, "  geogcrs [\"NAD83\"]",
          "GEODCRS[\"ETRS89\",CS[ellipsoidal,2]]", "EPSG:4326", "+proj=longlat +datum=WGS84"})
        EXPECT_TRUE(IsGeographicCrs(crs)) << crs;
    for (const char* crs : {"GEODCRS[\"WGS 84\",CS[Cartesian,3]]", "PROJCS[\"NAD83 / UTM\"]",
                            "EPSG:3857", "+proj=utm +zone=13", "nonsense"})
        EXPECT_FALSE(IsGeographicCrs(crs)) << crs;
}

TEST(CrsFile, AuxXmlGivesWgs84AndNeverReplacesAnything)
{
    // XML that names WGS 84, with the raster's x axis as the system's second (longitude) axis.
    QXmlStreamReader xml(QByteArray::fromStdString(FormatAuxXml()));
    ASSERT_TRUE(xml.readNextStartElement());
    EXPECT_EQ(xml.name(), QLatin1String("PAMDataset"));
    ASSERT_TRUE(xml.readNextStartElement());
    EXPECT_EQ(xml.name(), QLatin1String("SRS"));
    EXPECT_EQ(xml.attributes().value("dataAxisToSRSAxisMapping"), QLatin1String("2,1"));
    const std::string wkt = xml.readElementText().toStdString();
    EXPECT_LT(wkt.find("AXIS[\"Latitude\""), wkt.find("AXIS[\"Longitude\""));
    EXPECT_EQ(wkt.substr(wkt.size() - 25), "AUTHORITY[\"EPSG\",\"4326\"]]");
    while (!xml.atEnd())
        xml.readNext();
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();

    // A broken link counts as a file there; a missing folder is a failure.
    nv::test::TempDir dir;
    std::filesystem::create_symlink(dir.File("gone"), dir.File("scan.bmp.aux.xml"));
    EXPECT_EQ(WriteAuxXml(dir.File("scan.bmp")), AuxXmlResult::existed);
    EXPECT_FALSE(std::filesystem::exists(dir.File("gone")));
    EXPECT_EQ(WriteAuxXml(dir.File("missing/scan.bmp")), AuxXmlResult::failed);
}
