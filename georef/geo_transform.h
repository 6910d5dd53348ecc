// The fit: the north-up mapping between the pixels of an image file and latitude and
// longitude that two control points give, exactly as the world file stores it, with its
// inverse and the ground scale it implies. Pixel positions are in pixels of the stored file,
// whole numbers at pixel centres, x to the right and y downwards.
#pragma once

#include "georef/world_file.h"

#include <optional>

struct GeoPoint
{
    double latitude = 0.0;  // degrees, south negative
    double longitude = 0.0; // degrees, west negative
};

struct PixelPosition
{
    double x = 0.0;
    double y = 0.0;
};

class GeoTransform
{
public:
    // The fit through two control points: the smaller longitude at the smaller pixel X and
    // the larger latitude at the smaller pixel Y. Nothing when the points share a pixel
    // column or a pixel row, since no fit passes through them.
    static std::optional<GeoTransform> FromControlPoints(const ControlPoint& p1,
                                                         const ControlPoint& p2);
    // True when two points differ in pixel X and in pixel Y, which a fit needs.
    static bool DistinctPixels(const ControlPoint& p1, const ControlPoint& p2);

    // The fit a world file describes; its rotation terms are not used.
    explicit GeoTransform(const WorldFileParams& params) : m_params(params) {}

    const WorldFileParams& Params() const { return m_params; }
    // True when every parameter is a finite number.
    bool IsFinite() const;

    GeoPoint PixelToGeo(PixelPosition pixel) const;
    // The pixel column of a longitude and the pixel row of a latitude; nothing on an axis
    // along which the fit does not change (both points at one longitude or one latitude).
    std::optional<double> LongitudeToX(double longitude) const;
    std::optional<double> LatitudeToY(double latitude) const;

private:
    WorldFileParams m_params;
};

// Ground distance covered by one pixel along each axis, in metres, on the WGS 84 ellipsoid
// at a latitude.
struct GroundScale
{
    double metresPerPixelX = 0.0;
    double metresPerPixelY = 0.0;
};
GroundScale GroundScaleAt(const GeoTransform& fit, double latitude);

// How much larger the larger of two scales is than the smaller, in percent; infinite when
// only one of them is zero, zero when both are.
double ScaleDifferencePercent(double a, double b);

// The difference between the ground scales of the two axes when it suggests a mistyped
// coordinate: more than 5 %, on a map that is not drawn in equal degree steps either (such a
// map is stretched along the parallels by design); infinite when an axis has no extent.
// Nothing when the fit looks right.
std::optional<double> SuspiciousScaleDifference(const GeoTransform& fit, const GroundScale& scale);
