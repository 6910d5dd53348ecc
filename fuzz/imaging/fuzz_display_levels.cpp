// Fuzzes the reduced levels and the viewer's pixel conversion on arbitrary packed DIB blocks:
// building the levels within a budget, reading rectangles of the image and of each level, and
// enlarging a corner.
#include "imaging/display_levels.h"

#include <algorithm>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    nv::DIBLayout layout;
    if (!nv::DescribeDIB(data, size, layout) ||
        uint64_t(layout.width) * uint64_t(layout.height) > (1u << 20))
        return 0;

    nv::DisplayLevels levels;
    for (size_t budget : {size, size / 3}) {
        if (!levels.Build(data, size, budget))
            continue;
        for (const nv::DisplayLevel& level : levels.Levels()) {
            std::vector<uint32_t> out(size_t(level.width) * size_t(level.height));
            nv::LevelToRGB32(level, 0, 0, level.width, level.height, out.data(),
                             size_t(level.width));
        }
        for (int zoom : {10, 25, 50, 99})
            levels.LevelFor(zoom);
    }

    // The bottom-right corner, then that corner enlarged three times.
    const int w = std::min(layout.width, 9), h = std::min(layout.height, 7);
    const int left = layout.width - w, top = layout.height - h;
    std::vector<uint32_t> corner(size_t(w) * size_t(h));
    if (!nv::ConvertViewPixels(data, layout, left, top, w, h, corner.data(), size_t(w)))
        return 0;
    std::vector<int> xs, ys;
    nv::NearestIndices(left * 3, w * 3, layout.width, layout.width * 3, xs);
    nv::NearestIndices(top * 3, h * 3, layout.height, layout.height * 3, ys);
    std::vector<uint32_t> big(xs.size() * ys.size());
    nv::ScaleNearest(corner.data(), size_t(w), left, top, xs, ys, big.data(), xs.size());
    return 0;
}
