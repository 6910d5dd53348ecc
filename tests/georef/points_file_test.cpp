// Points files and the coordinate-system file beside an image.
#include "georef/crs_file.h"
#include "georef/points_file.h"

#include "tests/testlib/temp_dir.h"

#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <map>
#include <sstream>

namespace {

// A reader written apart from the program's: it takes the columns by the heading's names and
// the numbers with from_chars.
struct IndependentRow
{
    double mapX, mapY, sourceX, sourceY;
    int enable;
};
std::vector<IndependentRow> ReadIndependently(const std::string& text, std::string& crs)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    EXPECT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("#CRS: ", 0), 0u);
    crs = lines[0].substr(6);
    auto split = [](const std::string& line) {
        std::vector<std::string> out;
        std::string field;
        std::istringstream s(line);
        while (std::getline(s, field, ','))
            out.push_back(field);
        return out;
    };
    std::map<std::string, size_t> column;
    const std::vector<std::string> names = split(lines[1]);
    for (size_t i = 0; i < names.size(); ++i)
        column[names[i]] = i;
    auto number = [](const std::string& field) {
        double v = 0.0;
        const auto r = std::from_chars(field.data(), field.data() + field.size(), v);
        EXPECT_TRUE(r.ec == std::errc() && r.ptr == field.data() + field.size()) << field;
        return v;
    };
    std::vector<IndependentRow> rows;
    for (size_t i = 2; i < lines.size(); ++i) {
        const std::vector<std::string> f = split(lines[i]);
        EXPECT_EQ(f.size(), names.size()) << lines[i];
        rows.push_back({number(f.at(column.at("mapX"))), number(f.at(column.at("mapY"))),
                        number(f.at(column.at("sourceX"))), number(f.at(column.at("sourceY"))),
                        int(number(f.at(column.at("enable"))))});
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
    EXPECT_EQ(text.back(), '\n');
    EXPECT_NE(text.find("\nmapX,mapY,sourceX,sourceY,enable,dX,dY,residual\n"), std::string::npos);

    std::string crs;
    const std::vector<IndependentRow> rows = ReadIndependently(text, crs);
    EXPECT_TRUE(IsGeographicCrs(crs));
    EXPECT_NE(crs.find("ID[\"EPSG\",4326]"), std::string::npos);
    ASSERT_EQ(rows.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].mapX, points[i].longitude);
        EXPECT_EQ(rows[i].mapY, points[i].latitude);
        EXPECT_EQ(rows[i].sourceX, double(points[i].x));
        EXPECT_EQ(rows[i].sourceY, -double(points[i].y)); // rows count upwards
        EXPECT_EQ(rows[i].enable, 1);
    }
    EXPECT_NE(text.find(",0,1,0,0,0\n"), std::string::npos); // row 0 is "0", not "-0"

    PointsFileContents back;
    std::string reason;
    ASSERT_TRUE(ParsePointsFile(text, back, reason)) << reason;
    ASSERT_EQ(back.points.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(back.points[i].x, points[i].x);
        EXPECT_EQ(back.points[i].y, points[i].y);
        EXPECT_EQ(back.points[i].latitude, points[i].latitude);
        EXPECT_EQ(back.points[i].longitude, points[i].longitude);
    }
    EXPECT_EQ(FormatPointsFile(back.points), text);
    EXPECT_EQ(MakePointsFilePath("/maps/quad.jpg"), "/maps/quad.jpg.points");
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
         "-105.5,40,100.23451,-49.87612,1,0.0000012,-0.0000034,0.0000036\n"
         "-105.00000000000000000,39.50000000000000000,299.8,-250.1,1,0,0,0\n",
         2, 0},
        {"older heading, no CRS line",
         "mapX,mapY,pixelX,pixelY,enable\n-105.5,40,100,-50,1\n"
         "-105,39.5,300,-250,1\n",
         2, 0},
        {"tab-separated, positive rows",
         "mapX\tmapY\tpixelX\tpixelY\tenable\n"
         "-105.5\t40\t100\t50\t1\n-105\t39.5\t300\t250\t1\n",
         2, 0},
        {"no heading, four fields", "-105.5,40,100,-50\n-105,39.5,300,-250\n", 2, 0},
        {"columns by their names",
         "enable,sourceY,sourceX,mapY,mapX\n1,-50,100,40,-105.5\n"
         "1,-250,300,39.5,-105\n",
         2, 0},
        {"disabled and extra points, CR LF, blanks, comments, BOM",
         "\xEF\xBB\xBFmapX,mapY,sourceX,sourceY,enable\r\n\r\n-1,1,7,-7,0\r\n# note\r\n"
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
        const ControlPoint& p1 = contents.points[0];
        const ControlPoint& p2 = contents.points[1];
        EXPECT_EQ(p1.x, 100u);
        EXPECT_EQ(p1.y, 50u);
        EXPECT_EQ(p1.latitude, 40.0);
        EXPECT_EQ(p1.longitude, -105.5);
        EXPECT_EQ(p2.x, 300u);
        EXPECT_EQ(p2.y, 250u);
        EXPECT_EQ(p2.latitude, 39.5);
        EXPECT_EQ(p2.longitude, -105.0);
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
        {"not a number at all", heading + "-105.5,nan,100,-50,1\n",
         "Malformed content at line 2: \"nan\" is not a number"},
        {"latitude beyond 90", heading + "-105.5,95,100,-50,1\n",
         "Malformed content at line 2: the latitude 95 lies beyond 90 degrees"},
        {"longitude beyond 180", heading + "200,40,100,-50,1\n", "line 2: the longitude 200"},
        {"a column left of the image", heading + "-105.5,40,-3,-50,1\n",
         "line 2: the pixel position lies outside 0 to 4294967295"},
        {"a row beyond 32 bits", heading + "-105.5,40,3,-5e9,1\n", "line 2: the pixel position"},
        {"an enable word", heading + "-105.5,40,3,-5,yes\n", "line 2: the enable field \"yes\""},
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
        EXPECT_TRUE(contents.points.empty());
    }
    // A disabled point may lie anywhere.
    PointsFileContents contents;
    std::string reason;
    EXPECT_TRUE(ParsePointsFile(heading + "-300,95,-3,-50,0\n", contents, reason)) << reason;
    EXPECT_EQ(contents.disabled, 1);
}

TEST(PointsFile, ReadsOnlyRegularFilesOfReasonableSize)
{
    nv::test::TempDir dir;
    PointsFileContents contents;
    std::string reason;
    const std::string good = dir.Write("a.points", FormatPointsFile({{1, 2, 3, 4}, {5, 6, 7, 8}}));
    ASSERT_TRUE(ReadPointsFile(good, contents, reason)) << reason;
    EXPECT_EQ(contents.points.size(), 2u);
    EXPECT_FALSE(ReadPointsFile(dir.File("none.points"), contents, reason));
    EXPECT_EQ(reason, "It does not exist.");
    EXPECT_FALSE(ReadPointsFile(dir.Path(), contents, reason));
    EXPECT_EQ(reason, "It is not a file.");
    EXPECT_FALSE(ReadPointsFile(dir.Write("big.points", std::string((16u << 20) + 1, '\n')),
                                contents, reason));
    EXPECT_EQ(reason, "It is larger than any points file.");
}

TEST(CrsFile, TellsGeographicSystemsFromOthers)
{
    struct Row
    {
        const char* crs;
        bool geographic;
    } rows[] = {
        {"", true},
        {kWgs84Wkt1, true},
        {kWgs84Wkt2, true},
        {"  geogcrs [\"NAD83\"]", true},
        {"GEODCRS[\"ETRS89\",CS[ellipsoidal,2]]", true},
        {"GEODCRS[\"WGS 84\",CS[Cartesian,3]]", false}, // geocentric
        {"PROJCS[\"NAD83 / UTM zone 13N\",GEOGCS[\"NAD83\"]]", false},
        {"EPSG:4326", true},
        {"EPSG:3857", false},
        {"+proj=longlat +datum=WGS84", true},
        {"+proj=utm +zone=13", false},
        {"nonsense", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(IsGeographicCrs(row.crs), row.geographic) << row.crs;
}

TEST(CrsFile, AuxXmlGivesWgs84AndIsWrittenOnlyWhereNothingIs)
{
    // The text is XML that names WGS 84, with the raster's x axis as the system's longitude.
    QXmlStreamReader xml(QByteArray::fromStdString(FormatAuxXml()));
    ASSERT_TRUE(xml.readNextStartElement());
    EXPECT_EQ(xml.name(), QLatin1String("PAMDataset"));
    ASSERT_TRUE(xml.readNextStartElement());
    EXPECT_EQ(xml.name(), QLatin1String("SRS"));
    EXPECT_EQ(xml.attributes().value("dataAxisToSRSAxisMapping"), QLatin1String("2,1"));
    const std::string wkt = xml.readElementText().toStdString();
    EXPECT_LT(wkt.find("AXIS[\"Latitude\""), wkt.find("AXIS[\"Longitude\""));
    EXPECT_EQ(wkt.substr(wkt.size() - 25), "AUTHORITY[\"EPSG\",\"4326\"]]");
    xml.skipCurrentElement();
    while (!xml.atEnd())
        xml.readNext();
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();

    nv::test::TempDir dir;
    const std::string image = dir.File("quad.jpg");
    const std::string aux = dir.File("quad.jpg.aux.xml");
    EXPECT_EQ(MakeAuxXmlPath(image), aux);
    EXPECT_EQ(WriteAuxXml(image), AuxXmlResult::written);
    EXPECT_EQ(nv::test::ReadFile(aux), FormatAuxXml());

    dir.Write("quad.jpg.aux.xml", "<PAMDataset><Metadata/></PAMDataset>");
    EXPECT_EQ(WriteAuxXml(image), AuxXmlResult::existed);
    EXPECT_EQ(nv::test::ReadFile(aux), "<PAMDataset><Metadata/></PAMDataset>");

    // A broken link counts as a file there.
    std::filesystem::create_symlink(dir.File("gone"), dir.File("scan.bmp.aux.xml"));
    EXPECT_EQ(WriteAuxXml(dir.File("scan.bmp")), AuxXmlResult::existed);
    EXPECT_FALSE(std::filesystem::exists(dir.File("gone")));

    EXPECT_EQ(WriteAuxXml(dir.File("missing/scan.bmp")), AuxXmlResult::failed);
}
