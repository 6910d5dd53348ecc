// Decoding a JPEG at a fraction of its size. libjpeg's DCT scaling produces 1/2, 1/4 or 1/8 of
// the width and height straight from the coefficients, so a reduced image costs a fraction of
// the memory of the full one and skips most of the decoding work (the entropy decoding of the
// whole file remains). For thumbnails, and for a first view while a large image loads.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

class COXDIB;

namespace nv {
class Stream;
}

struct JPEGReduction
{
    // The largest reduction allowed: 1, 2, 4 or 8.
    int maxDenominator = 8;
    // When not 0, the image will be shown fitted into a box of this size (never enlarged):
    // the reduction is the largest allowed one that still gives at least the size needed
    // there. Without a box, maxDenominator is used.
    int boxWidth = 0;
    int boxHeight = 0;
    // Refuses images whose reduced size would have more pixels than this (0: no limit), and
    // keeps libjpeg's own memory (coefficient buffers of progressive files) within this many
    // kilobytes (0: no limit).
    uint64_t maxPixels = 0;
    long maxMemoryKB = 0;
    // Decoding stops with a failure once this flag is set; it may be set from another thread.
    const std::atomic<bool>* cancel = nullptr;
    // For a progressive file reduced to 1/8, decodes only its first scans, up to the DC
    // coefficients of every component: at 1/8 they give the same picture (but for the last bit of
    // each value) from a small part of the file.
    bool firstScans = false;
};

struct JPEGReducedInfo
{
    uint32_t width = 0; // of the full image
    uint32_t height = 0;
    int denominator = 1; // the reduction used
};

// The reduction for an image of width x height under how: a power of two from 1 to
// how.maxDenominator.
int ReducedDenominator(uint32_t width, uint32_t height, const JPEGReduction& how);

// Decodes the JPEG stream (from its start) at a reduced size into dib: 24-bit colour or 8-bit
// grey, as the full decoding gives; the reduced width is ceil(width / denominator), the height
// likewise. On failure (the same cases as COXDIB::ReadJPEG, the limits above, cancellation)
// dib is unchanged and reason (when given) says why.
bool ReadJPEGReduced(nv::Stream& file, const JPEGReduction& how, COXDIB& dib,
                     JPEGReducedInfo* info = nullptr, std::string* reason = nullptr);
