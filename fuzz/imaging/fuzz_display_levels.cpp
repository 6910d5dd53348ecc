// Fuzzes the reduced levels and the viewer's drawing on arbitrary packed DIB blocks: building
// the levels within a budget and drawing each filtered, converting a corner of the image and
// drawing it enlarged, and drawing the image enlarged and filtered straight from its block.
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
            // Shown at 3/4 of its size.
            const int w = std::max(level.width * 3 / 4, 1), h = std::max(level.height * 3 / 4, 1);
            std::vector<uint32_t> shown(size_t(w) * size_t(h));
            nv::ScaleScratch scratch;
            nv::ScaleBilinear(nv::LevelRows(level), 0, 0, double(level.width) / w,
                              double(level.height) / h, w, h, shown.data(), size_t(w), scratch);
        }
        for (int width : {layout.width / 10, layout.width / 4, layout.width / 2})
            levels.LevelFor(width, width);
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
    for (int& x : xs)
        x -= left;
    for (int& y : ys)
        y -= top;
    std::vector<uint32_t> big(xs.size() * ys.size());
    const nv::PixelRows cornerRows{reinterpret_cast<const unsigned char*>(corner.data()),
                                   ptrdiff_t(w) * 4, w, h, 4};
    nv::ScaleNearest(cornerRows, xs, ys, big.data(), xs.size());

    // Drawn straight from the block where its form allows: enlarged, and at 2/3.
    nv::PixelRows rows;
    if (!nv::ImageRows(data, layout, rows))
        return 0;
    nv::NearestIndices(0, std::min(layout.width * 2, 256), layout.width, layout.width * 2, xs);
    nv::NearestIndices(0, std::min(layout.height * 2, 64), layout.height, layout.height * 2, ys);
    std::vector<uint32_t> enlarged(xs.size() * ys.size());
    nv::ScaleNearest(rows, xs, ys, enlarged.data(), xs.size());
    const int sw = std::max(layout.width * 2 / 3, 1), sh = std::max(layout.height * 2 / 3, 1);
    std::vector<uint32_t> shown(size_t(sw) * size_t(sh));
    nv::ScaleScratch scratch;
    nv::ScaleBilinear(rows, 0, 0, double(layout.width) / sw, double(layout.height) / sh, sw, sh,
                      shown.data(), size_t(sw), scratch);
    return 0;
}
