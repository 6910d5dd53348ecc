// Test pictures of the benchmarks, made at run time.
#pragma once

#include <string>

// A map-like 48-megapixel picture (8000 x 6000): coloured land-use zones, a grid of roads,
// contour lines and, with noise, fine texture, so that it compresses like a scanned map (about
// 18 MB at quality 90; much less without the noise). Written as a JPEG with libjpeg.
constexpr int kMapWidth = 8000, kMapHeight = 6000;
void MakeMapJPEG(const std::string& path, bool progressive, bool noise = true);
