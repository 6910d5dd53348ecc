// The graticule over the part of an image in view.
#include "georef/graticule.h"

#include "georef/coordinates.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMostLines = 12;

constexpr double kSteps[] = {1,   2,    5,    10,   20,    60,    120,   300,
                             600, 1200, 3600, 7200, 18000, 36000, 72000, 180000};

// The values of the lines within [lo, hi] (seconds), as multiples of step.
std::vector<double> LineValues(double lo, double hi)
{
    const double step = GraticuleStepSeconds(hi - lo);
    std::vector<double> values;
    if (step <= 0.0)
        return values;
    for (double k = std::ceil(lo / step); k * step <= hi; ++k)
        values.push_back(k * step / 3600.0);
    return values;
}

std::string Label(double degrees, bool longitude, int notation)
{
    // A line's value is a whole number of seconds, which its decimal form may miss by a
    // hair; the notations truncate minutes and seconds, so nudge it away from zero first.
    const double nudged = degrees + std::copysign(1e-9, degrees);
    std::string text = FormatCoordinate(notation, degrees == 0.0 ? 0.0 : nudged, longitude);
    const size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? text : text.substr(first);
}

} // namespace

double GraticuleStepSeconds(double extent)
{
    if (!std::isfinite(extent) || extent < 0.0)
        return 0.0;
    for (double step : kSteps)
        if (extent / step <= kMostLines)
            return step;
    return 0.0;
}

std::vector<GraticuleLine> ComputeGraticule(const GeoTransform& fit, const PixelArea& area,
                                            int notation)
{
    std::vector<GraticuleLine> lines;
    if (!fit.IsFinite())
        return lines;
    const GeoPoint a = fit.PixelToGeo({area.left, area.top});
    const GeoPoint b = fit.PixelToGeo({area.right, area.bottom});

    auto axis = [&](bool meridian, double from, double to, double limit) {
        const double lo = std::max(std::min(from, to), -limit) * 3600.0;
        const double hi = std::min(std::max(from, to), limit) * 3600.0;
        if (!(lo <= hi))
            return;
        for (double degrees : LineValues(lo, hi)) {
            const std::optional<double> at =
                meridian ? fit.LongitudeToX(degrees) : fit.LatitudeToY(degrees);
            if (at)
                lines.push_back({meridian, *at, degrees, Label(degrees, meridian, notation)});
        }
    };
    if (fit.Params().A != 0.0)
        axis(true, a.longitude, b.longitude, 180.0);
    if (fit.Params().E != 0.0)
        axis(false, a.latitude, b.latitude, 90.0);
    return lines;
}
