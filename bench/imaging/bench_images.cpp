// Test pictures of the benchmarks.
#include "bench/imaging/bench_images.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

void MakeMapJPEG(const std::string& path, bool progressive, bool noise)
{
    std::vector<double> sx(kMapWidth), cy(kMapHeight);
    for (int x = 0; x < kMapWidth; ++x)
        sx[x] = std::sin(x * 0.003) + std::sin(x * 0.0011 + 1.0);
    for (int y = 0; y < kMapHeight; ++y)
        cy[y] = std::cos(y * 0.004) + std::sin(y * 0.0017 + 2.0);

    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        std::perror(path.c_str());
        std::exit(1);
    }
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = kMapWidth;
    cinfo.image_height = kMapHeight;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    if (progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(size_t(kMapWidth) * 3);
    uint32_t state = 12345;
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = int(cinfo.next_scanline);
        for (int x = 0; x < kMapWidth; ++x) {
            const double v = sx[x] + cy[y];
            const int zone = int(std::floor(v * 3));
            int r = 200 + (zone * 13) % 50, g = 210 + (zone * 29) % 40, b = 180 + (zone * 7) % 60;
            if (x % 500 < 3 || y % 500 < 3)
                r = g = b = 60; // roads
            else if (std::fmod(v * 10 + 100, 1.0) < 0.05)
                r = 150, g = 90, b = 40; // contour lines
            state = state * 1103515245 + 12345;
            const int n = noise ? int((state >> 16) & 15) - 8 : 0;
            JSAMPLE* p = &row[size_t(x) * 3];
            p[0] = JSAMPLE(std::clamp(r + n, 0, 255));
            p[1] = JSAMPLE(std::clamp(g + n, 0, 255));
            p[2] = JSAMPLE(std::clamp(b + n, 0, 255));
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(out);
}
