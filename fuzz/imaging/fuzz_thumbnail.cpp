// Fuzzes the thumbnail maker on BMP and JPEG files: a thumbnail fits its box and holds its
// pixels, and a BMP file is previewed only when the loader reads it too.
#include "imaging/dib.h"
#include "imaging/thumbnail.h"
#include "platform/file.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    nv::MemoryFile file(std::vector<unsigned char>(data, data + size));
    Thumbnail t;
    std::string reason;
    if (!MakeThumbnail(file, 40, 30, t, &reason)) {
        if (reason.empty())
            std::abort();
        return 0;
    }
    if (t.width < 1 || t.width > 40 || t.height < 1 || t.height > 30 ||
        t.pixels.size() != size_t(t.width) * size_t(t.height))
        std::abort();
    if (size >= 2 && data[0] == 'B' && data[1] == 'M') {
        COXDIB dib;
        file.SeekToBegin();
        if (!dib.Read(file) || uint32_t(dib.GetSize().cx) != t.imageWidth ||
            uint32_t(dib.GetSize().cy) != t.imageHeight)
            std::abort();
    }
    return 0;
}
