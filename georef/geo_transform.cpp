// The fit between pixels and latitude and longitude.
#include "georef/geo_transform.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

// WGS 84.
constexpr double kSemiMajorAxis = 6378137.0;
constexpr double kFlattening = 1.0 / 298.257223563;
constexpr double kEccentricity2 = kFlattening * (2.0 - kFlattening);

constexpr double kSuspiciousPercent = 5.0;

} // namespace

bool GeoTransform::DistinctPixels(const ControlPoint& p1, const ControlPoint& p2)
{
    return p1.x != p2.x && p1.y != p2.y;
}

std::optional<GeoTransform> GeoTransform::FromControlPoints(const ControlPoint& p1,
                                                            const ControlPoint& p2)
{
    if (!DistinctPixels(p1, p2))
        return std::nullopt;
    const double x1 = p1.x, x2 = p2.x, y1 = p1.y, y2 = p2.y;
    WorldFileParams w;
    w.A = std::fabs((p2.longitude - p1.longitude) / std::fabs(x2 - x1));
    w.C = std::min(p1.longitude, p2.longitude) - std::fabs(double(std::min(p1.x, p2.x)) * w.A);
    w.E = -std::fabs((p2.latitude - p1.latitude) / std::fabs(y2 - y1));
    w.F = std::max(p1.latitude, p2.latitude) + std::fabs(double(std::min(p1.y, p2.y)) * w.E);
    return GeoTransform(w);
}

bool GeoTransform::IsFinite() const
{
    const WorldFileParams& w = m_params;
    return std::isfinite(w.A) && std::isfinite(w.C) && std::isfinite(w.E) && std::isfinite(w.F);
}

GeoPoint GeoTransform::PixelToGeo(PixelPosition pixel) const
{
    return {m_params.F + pixel.y * m_params.E, m_params.C + pixel.x * m_params.A};
}

std::optional<double> GeoTransform::LongitudeToX(double longitude) const
{
    if (m_params.A == 0.0)
        return std::nullopt;
    return (longitude - m_params.C) / m_params.A;
}

std::optional<double> GeoTransform::LatitudeToY(double latitude) const
{
    if (m_params.E == 0.0)
        return std::nullopt;
    return (latitude - m_params.F) / m_params.E;
}

GroundScale GroundScaleAt(const GeoTransform& fit, double latitude)
{
    const double phi = std::clamp(latitude, -90.0, 90.0) * std::numbers::pi / 180.0;
    const double s = std::sin(phi);
    const double w = 1.0 - kEccentricity2 * s * s;
    // Radii of curvature along the parallel and along the meridian.
    const double n = kSemiMajorAxis / std::sqrt(w);
    const double m = kSemiMajorAxis * (1.0 - kEccentricity2) / (w * std::sqrt(w));
    const double perDegree = std::numbers::pi / 180.0;
    return {std::fabs(fit.Params().A) * n * std::cos(phi) * perDegree,
            std::fabs(fit.Params().E) * m * perDegree};
}

double ScaleDifferencePercent(double a, double b)
{
    a = std::fabs(a);
    b = std::fabs(b);
    const double lo = std::min(a, b), hi = std::max(a, b);
    if (hi == 0.0)
        return 0.0;
    if (lo == 0.0)
        return std::numeric_limits<double>::infinity();
    return (hi / lo - 1.0) * 100.0;
}

std::optional<double> SuspiciousScaleDifference(const GeoTransform& fit, const GroundScale& scale)
{
    if (scale.metresPerPixelX == 0.0 || scale.metresPerPixelY == 0.0)
        return std::numeric_limits<double>::infinity(); // the points do not span both axes
    const double ground = ScaleDifferencePercent(scale.metresPerPixelX, scale.metresPerPixelY);
    if (!(ground > kSuspiciousPercent))
        return std::nullopt;
    if (ScaleDifferencePercent(fit.Params().A, fit.Params().E) <= kSuspiciousPercent)
        return std::nullopt;
    return ground;
}
