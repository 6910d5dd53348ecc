// Helpers of the imaging tests.
#include "tests/imaging/test_images.h"

#include "imaging/dib.h"
#include "imaging/dib_display.h"
#include "platform/file.h"
#include "tests/testlib/temp_dir.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include <jpeglib.h>

namespace nv::test {

std::string FixturePath(std::string_view name)
{
    return SourcePath("tests/imaging/fixtures/" + std::string(name));
}

std::vector<unsigned char> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool LoadBmpFixture(std::string_view name, COXDIB& dib, std::string* reason)
{
    nv::File file;
    if (!file.Open(FixturePath(name), nv::File::modeRead))
        return false;
    return dib.Read(file, reason);
}

RGBImage RecordedPixels(std::string_view name, int width, int height)
{
    std::string base(name.substr(0, name.rfind('.')));
    const std::vector<unsigned char> bytes = ReadBytes(FixturePath(base + ".rgb"));
    return {width, height, std::vector<uint8_t>(bytes.begin(), bytes.end())};
}

RGBImage ReadPPM(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maxValue = 0;
    if (!(in >> magic >> width >> height >> maxValue) || magic != "P6" || maxValue != 255)
        return {};
    in.get(); // the one white-space character before the pixels
    RGBImage image{width, height, std::vector<uint8_t>(size_t(width) * size_t(height) * 3)};
    if (!in.read(reinterpret_cast<char*>(image.rgb.data()), std::streamsize(image.rgb.size())))
        return {};
    return image;
}

RGBImage PixelsOf(const COXDIB& dib)
{
    const DIBSize size = dib.GetSize();
    std::vector<uint32_t> argb(size_t(size.cx) * size_t(size.cy));
    if (!nv::ConvertDIBToRGB32(dib.GetDIB().data(), dib.GetDIB().size(), 0, 0, size.cx, size.cy,
                               argb.data(), size_t(size.cx)))
        return {};
    RGBImage out{size.cx, size.cy, {}};
    for (uint32_t px : argb) {
        out.rgb.push_back(uint8_t(px >> 16));
        out.rgb.push_back(uint8_t(px >> 8));
        out.rgb.push_back(uint8_t(px));
    }
    return out;
}

RGBImage Turned(const RGBImage& in, int angle, bool flipRows, bool flipColumns)
{
    angle = ((angle % 360) + 360) % 360;
    RGBImage out = in;
    if (angle == 90 || angle == 270)
        std::swap(out.width, out.height);
    for (int y = 0; y < in.height; ++y) {
        for (int x = 0; x < in.width; ++x) {
            int tx = x, ty = y;
            if (angle == 90) {
                tx = in.height - 1 - y;
                ty = x;
            } else if (angle == 180) {
                tx = in.width - 1 - x;
                ty = in.height - 1 - y;
            } else if (angle == 270) {
                tx = y;
                ty = in.width - 1 - x;
            }
            if (flipRows)
                ty = out.height - 1 - ty;
            if (flipColumns)
                tx = out.width - 1 - tx;
            for (int c = 0; c < 3; ++c)
                out.rgb[(size_t(ty) * out.width + tx) * 3 + c] =
                    in.rgb[(size_t(y) * in.width + x) * 3 + c];
        }
    }
    return out;
}

std::string WriteJPEG(const std::string& path, int width, int height,
                      const std::function<uint32_t(int, int)>& pixel, bool progressive)
{
    FILE* out = std::fopen(path.c_str(), "wb");
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    if (progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(size_t(width) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixel(x, y);
            row[size_t(x) * 3] = JSAMPLE(p >> 16);
            row[size_t(x) * 3 + 1] = JSAMPLE(p >> 8);
            row[size_t(x) * 3 + 2] = JSAMPLE(p);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(out);
    return path;
}

} // namespace nv::test
