// The fit through two control points, its ground scale and the graticule it implies, on the
// sample map (equirectangular, 106 W to 104 W and 39 N to 40.5 N, 600 pixels per degree).
#include "georef/geo_transform.h"
#include "georef/graticule.h"

#include "georef/coordinates.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The sample map's control points.
const ControlPoint kPoint1{300, 150, 40.25, -105.5};
const ControlPoint kPoint2{900, 750, 39.25, -104.5};

GeoTransform SampleFit()
{
    return *GeoTransform::FromControlPoints(kPoint1, kPoint2);
}

} // namespace

TEST(GeoTransform, MapsPixelsBothWaysAndRefusesPointsSharingARowOrColumn)
{
    const GeoTransform fit = SampleFit();
    EXPECT_DOUBLE_EQ(fit.Params().C, -106.0);
    EXPECT_DOUBLE_EQ(fit.Params().F, 40.5);
    const GeoPoint corner = fit.PixelToGeo({1199, 899});
    EXPECT_NEAR(corner.longitude, -104.0 - 1.0 / 600, 1e-12);
    EXPECT_NEAR(corner.latitude, 39.0 + 1.0 / 600, 1e-12);
    EXPECT_NEAR(*fit.LongitudeToX(-105.75), 150.0, 1e-9);
    EXPECT_NEAR(*fit.LatitudeToY(40.0), 300.0, 1e-9);
    // Swapped points give the same fit.
    EXPECT_EQ(GeoTransform::FromControlPoints(kPoint2, kPoint1)->Params().A, fit.Params().A);

    EXPECT_FALSE(GeoTransform::FromControlPoints(kPoint1, {300, 750, 39.25, -104.5}));
    EXPECT_FALSE(GeoTransform::FromControlPoints(kPoint1, {900, 150, 39.25, -104.5}));
    // Both points on one parallel: the fit exists, but no row has a latitude of its own.
    const GeoTransform flat = *GeoTransform::FromControlPoints(kPoint1, {900, 750, 40.25, -104.5});
    EXPECT_FALSE(flat.LatitudeToY(40.0));
    EXPECT_TRUE(flat.LongitudeToX(-105.0));
}

TEST(GeoTransform, GroundScaleAndTheWarningAboutIt)
{
    // One second of arc per pixel at the equator: 30.92 m along the equator, 30.72 m along
    // the meridian on WGS 84.
    const GeoTransform second(WorldFileParams{1.0 / 3600, 0, 0, -1.0 / 3600, 0, 0});
    const GroundScale equator = GroundScaleAt(second, 0.0);
    EXPECT_NEAR(equator.metresPerPixelX, 30.922, 0.001);
    EXPECT_NEAR(equator.metresPerPixelY, 30.715, 0.001);

    const struct
    {
        const char* name;
        ControlPoint p2;
        bool warns;
    } rows[] = {
        // Equal degree steps: stretched along the parallels by design, not a mistake.
        {"sample map as printed", kPoint2, false},
        {"latitude 39.25 typed as 39.52", {900, 750, 39.52, -104.5}, true},
        {"longitude -104.5 typed as -104.05", {900, 750, 39.25, -104.05}, true},
        // Equal ground scales (a conformal map): the degree steps differ by cos(39.75).
        {"equal ground scales", {900, 750, 40.25 - std::cos(39.75 * M_PI / 180), -104.5}, false},
        {"both points on one parallel", {900, 750, 40.25, -104.5}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const GeoTransform fit = *GeoTransform::FromControlPoints(kPoint1, row.p2);
        const double middle = fit.PixelToGeo({599.5, 449.5}).latitude;
        EXPECT_EQ(SuspiciousScaleDifference(fit, GroundScaleAt(fit, middle)).has_value(),
                  row.warns);
    }
}

TEST(Graticule, StepKeepsFourToTwelveLinesInView)
{
    const struct
    {
        double extentSeconds;
        double step;
    } rows[] = {
        {0.5, 1},                // less than a second: one-second lines, if any
        {30, 5},                 // 7 lines
        {3 * 60, 20},            // 10 lines
        {56 * 60, 5 * 60},       // 12 lines
        {2 * 3600, 10 * 60},     // 13 lines: 12 steps with both ends on lines
        {3 * 3600, 20 * 60},     // 10 lines
        {360 * 3600, 50 * 3600}, // the whole world
        {10000 * 3600, 0},       // a fit that is not a map: no lines
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.extentSeconds);
        const double step = GraticuleStepSeconds(row.extentSeconds);
        EXPECT_EQ(step, row.step);
        if (step > 0 && row.extentSeconds / step >= 4) {
            EXPECT_LE(row.extentSeconds / step, 12);
        }
    }
}

TEST(Graticule, LinesOverTheSampleMapSitOnItsPrintedGraticule)
{
    // The middle of the map, about 560 x 460 pixels (56' x 46'): 5' steps on both axes.
    const PixelArea area{299.5, 199.5, 859.5, 659.5};
    const std::vector<GraticuleLine> lines = ComputeGraticule(SampleFit(), area, kDirDegMinSec);
    int meridians = 0, parallels = 0;
    for (const GraticuleLine& line : lines) {
        SCOPED_TRACE(line.label);
        // Every line lies 600 pixels per degree from the map's edges, on a whole 5'.
        const double expected =
            line.meridian ? (line.degrees + 106.0) * 600 : (40.5 - line.degrees) * 600;
        EXPECT_NEAR(line.position, expected, 1e-6);
        EXPECT_NEAR(std::remainder(line.degrees * 12, 1.0), 0.0, 1e-9);
        EXPECT_GE(line.position, line.meridian ? area.left : area.top);
        EXPECT_LE(line.position, line.meridian ? area.right : area.bottom);
        ++(line.meridian ? meridians : parallels);
    }
    EXPECT_EQ(meridians, 12); // 105 30' W to 104 35' W
    EXPECT_EQ(parallels, 10); // 40 10' N to 39 25' N
    // Labels carry whole minutes, however the decimal value of 40 10' falls.
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front().label, "W 105 30 00");
    bool found = false;
    for (const GraticuleLine& line : lines)
        found = found || line.label == "N 40 10 00";
    EXPECT_TRUE(found);

    // A fit that is not finite draws nothing.
    const GeoTransform broken(WorldFileParams{INFINITY, 0, 0, -1, 0, 0});
    EXPECT_TRUE(ComputeGraticule(broken, area, kDirDegMinSec).empty());
}
