// The graticule a fit implies: the meridians and parallels to draw over the part of an image
// in view, at a round spacing chosen from what is in view, labelled in a coordinate notation.
#pragma once

#include "georef/geo_transform.h"

#include <string>
#include <vector>

struct GraticuleLine
{
    bool meridian = false; // a line of longitude: constant pixel x; else constant pixel y
    double position = 0.0; // its pixel x or y in the stored file (whole numbers at centres)
    double degrees = 0.0;  // its longitude or latitude
    std::string label;     // the value in the notation asked for
};

// An area of the stored file in pixel positions (whole numbers at pixel centres).
struct PixelArea
{
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;
};

// The spacing, in seconds of arc, for an axis that spans `extent` seconds: the smallest step
// of the series 1, 2, 5, 10, 20 seconds, 1, 2, 5, 10, 20 minutes, 1, 2, 5, 10, 20, 50
// degrees that puts at most 12 lines into the extent (so that the next smaller one would put
// more than 12, and this one at least 4). Zero when even 50 degrees gives more than 12.
double GraticuleStepSeconds(double extent);

// The lines over area, each axis with its own spacing. Latitudes outside -90..90 and
// longitudes outside -180..180 get no line; an axis along which the fit does not change, or
// a fit that is not finite, gets none.
std::vector<GraticuleLine> ComputeGraticule(const GeoTransform& fit, const PixelArea& area,
                                            int notation);
