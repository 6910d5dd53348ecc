// Small pictures of image files for previews. A BMP file is read every n-th row, a JPEG file is
// decoded at a reduced size, so that even a very large image gives its thumbnail quickly and in
// little memory. Which files are read, and how, follows the image loader: BMP first, then JPEG.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace nv {
class Stream;
}

struct Thumbnail
{
    int width = 0; // of the thumbnail
    int height = 0;
    std::vector<uint32_t> pixels; // 0xFFRRGGBB, top row first, width values a row
    // The image as the program loads it.
    uint32_t imageWidth = 0;
    uint32_t imageHeight = 0;
    unsigned bitsPerPixel = 0;
};

// The size of a width x height picture fitted into a box of boxWidth x boxHeight, keeping its
// proportions, never enlarged, at least 1 x 1.
void FitInto(uint64_t width, uint64_t height, int boxWidth, int boxHeight, int& fitWidth,
             int& fitHeight);

// Makes the thumbnail of the image file at path, fitted into boxWidth x boxHeight. False, with
// reason when given, for a file that is neither a BMP nor a JPEG this program reads, one too
// large to preview, or when cancel was set (it is looked at between rows).
bool MakeThumbnail(const std::string& path, int boxWidth, int boxHeight, Thumbnail& thumbnail,
                   std::string* reason = nullptr, const std::atomic<bool>* cancel = nullptr);
// The same for an open stream, read from its start.
bool MakeThumbnail(nv::Stream& file, int boxWidth, int boxHeight, Thumbnail& thumbnail,
                   std::string* reason = nullptr, const std::atomic<bool>* cancel = nullptr);

// The two lines shown under a thumbnail: "8000 x 6000 pixels" and "24 bits per pixel".
std::string ThumbnailCaption(const Thumbnail& thumbnail);

// Averages a picture down to a smaller size: every target pixel is the mean of the source
// pixels that fall in it. Rows may come in any order and in pieces.
class AreaScaler
{
public:
    AreaScaler(uint64_t sourceWidth, uint64_t sourceHeight, int width, int height);
    // Adds count pixels (0xAARRGGBB) of source row y, starting at source column x.
    void AddRow(uint64_t y, uint64_t x, const uint32_t* pixels, size_t count);
    // The target pixels, 0xFFRRGGBB, top row first; a target pixel no source pixel reached is
    // black.
    std::vector<uint32_t> Result() const;

private:
    uint64_t m_sourceWidth, m_sourceHeight;
    int m_width, m_height;
    std::vector<uint64_t> m_sums; // red, green, blue and count of each target pixel
};
