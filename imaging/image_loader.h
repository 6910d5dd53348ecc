// Loading an image file the way the viewer and the command line both do: as a BMP file first,
// and when that fails as a JPEG file.
#pragma once

#include "imaging/dib.h"

#include <atomic>
#include <cstdint>
#include <string>

struct LoadProgress;

// Loads the image at path into dib. On failure dib is left as it was, and reason (when given)
// says why: the file cannot be opened, what the BMP reader (for a file that starts with "BM")
// or the JPEG decoder (for one that starts like a JPEG file) found wrong with it, or which
// other format the file looks like ("not a BMP or JPEG image" for data of no known format).
// With progress, how far it is can be followed from another thread, and setting its cancel
// flag ends the load (as a failure) within a band of rows.
bool LoadImageFile(const std::string& path, COXDIB& dib, std::string* reason = nullptr,
                   LoadProgress* progress = nullptr);

// A quick first look at a large JPEG file while the whole of it is decoded: the image reduced
// to 1/8 (for a progressive file, from its first scans only), and the size of the full image.
struct FirstView
{
    COXDIB image;
    uint32_t width = 0;
    uint32_t height = 0;
};

// Images smaller than this load quickly enough without a first view.
constexpr uint64_t kFirstViewPixels = uint64_t(4) << 20;

// Reads the first view of the JPEG file at path. False for a file that is not a JPEG file,
// has fewer than minPixels pixels, cannot be decoded, or when cancel is set meanwhile.
bool ReadFirstView(const std::string& path, FirstView& view, uint64_t minPixels = kFirstViewPixels,
                   const std::atomic<bool>* cancel = nullptr);
