// Fuzzes the display conversion (and halftoning, which reads pixels through it) on arbitrary
// packed DIB blocks. Large images are converted in part.
#include "imaging/dib.h"
#include "imaging/dib_display.h"

#include <algorithm>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    nv::DIBLayout layout;
    if (!nv::DescribeDIB(data, size, layout))
        return 0;
    const int width = std::min(layout.width, 512), height = std::min(layout.height, 512);
    std::vector<uint32_t> out(size_t(width) * size_t(height));
    nv::ConvertDIBToRGB32(data, size, 0, 0, width, height, out.data(), size_t(width));
    const int left = layout.width - std::min(layout.width, 7);
    const int top = layout.height - std::min(layout.height, 5);
    std::vector<uint32_t> corner(7 * 5);
    nv::ConvertDIBToRGB32(data, size, left, top, layout.width - left, layout.height - top,
                          corner.data(), 7);

    if (uint64_t(layout.width) * uint64_t(layout.height) <= (1u << 16)) {
        nv::DIBBytes expanded;
        nv::ExpandRLE(data, size, expanded);
        COXDIB dib;
        if (dib.Assign(data, size)) {
            const COXPalette halftone = COXPalette::Halftone();
            COXDIB copy(dib);
            copy.HalfToneDIB(&halftone);
            dib.Rotate(270, false, true);
        }
    }
    return 0;
}
