// Turning the pixels of a packed DIB into rows a true-colour screen shows: 32-bit values
// 0xFFRRGGBB, top row first. Every stored form is handled: 1, 4, 8, 16, 24 and 32 bits per
// pixel, uncompressed, with colour masks or run-length compressed (RLE8, RLE4), stored
// bottom-up or top-down. Nothing here reads outside the block it is given.
#pragma once

#include "imaging/dib_bytes.h"
#include "imaging/dib_format.h"

#include <cstddef>
#include <cstdint>

namespace nv {

// Writes the pixels of the rectangle (left, top, width, height; image pixels, y downwards)
// into out: height rows of width values, stride values from one row to the next. Colour
// indices beyond the colour table show black; pixels a run-length image skips show colour 0.
// False, with out untouched, when the block cannot be described or the rectangle does not
// lie inside the image.
bool ConvertDIBToRGB32(const unsigned char* dib, size_t size, int left, int top, int width,
                       int height, uint32_t* out, size_t stride);

// The same for a block already described by DescribeDIB.
bool ConvertDIBToRGB32(const unsigned char* dib, const DIBLayout& layout, int left, int top,
                       int width, int height, uint32_t* out, size_t stride);

// Whether the run-length data of a described block covers the image: it reaches the
// end-of-bitmap code or the end of the last row. Data that stops before both was cut short.
bool RLEReachesTheEnd(const unsigned char* dib, const DIBLayout& layout);

// Decodes a run-length compressed block into an uncompressed packed DIB with the same header
// (compression 0, image size recomputed), colour table and bit count. False for a block that
// is not a valid RLE image.
bool ExpandRLE(const unsigned char* dib, size_t size, DIBBytes& out);

} // namespace nv
