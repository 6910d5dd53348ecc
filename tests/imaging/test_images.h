// Helpers of the imaging tests: fixture files, the pixels of an image as RGB bytes, and a
// plain reference for turning such pixels.
#pragma once

#include "platform/file.h"
#include "platform/memory_budget.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class COXDIB;

namespace nv::test {

// Pixels as red, green, blue bytes, top row first.
struct RGBImage
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    bool operator==(const RGBImage&) const = default;
};

// A stream whose every write fails as on a full disk.
class FullDiskFile : public nv::MemoryFile
{
public:
    void Write(const void*, size_t) override
    {
        throw nv::FileError(nv::FileError::diskFull, 28, "out.bmp", "disk full");
    }
};

// Sets the image memory budget for the life of the object.
class ScopedImageMemoryBudget
{
public:
    explicit ScopedImageMemoryBudget(uint64_t bytes) { nv::SetImageMemoryBudget(bytes); }
    ~ScopedImageMemoryBudget() { nv::SetImageMemoryBudget(0); }
    ScopedImageMemoryBudget(const ScopedImageMemoryBudget&) = delete;
    ScopedImageMemoryBudget& operator=(const ScopedImageMemoryBudget&) = delete;
};

std::string FixturePath(std::string_view name);
std::vector<unsigned char> ReadBytes(const std::string& path);
// Reads a BMP fixture with COXDIB::Read; false when it fails.
bool LoadBmpFixture(std::string_view name, COXDIB& dib, std::string* reason = nullptr);
// The pixels an independent decoder recorded for a fixture (<name>.rgb).
RGBImage RecordedPixels(std::string_view name, int width, int height);
// The pixels of a binary PPM file (as djpeg writes them); empty when it cannot be read.
RGBImage ReadPPM(const std::string& path);
// The pixels of an image through the display conversion.
RGBImage PixelsOf(const COXDIB& dib);
// Rotates clockwise by a multiple of 90, then turns upside down and mirrors as asked.
RGBImage Turned(const RGBImage& image, int angle, bool flipRows, bool flipColumns);
// Writes a colour JPEG of width x height at quality 95 with libjpeg, baseline or progressive;
// pixel(x, y) gives 0xRRGGBB. Returns path.
std::string WriteJPEG(const std::string& path, int width, int height,
                      const std::function<uint32_t(int, int)>& pixel, bool progressive = false);

} // namespace nv::test
