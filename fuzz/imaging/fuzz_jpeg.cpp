// Fuzzes the JPEG decoding adapter: the first byte picks decoding parameters, the rest is the
// file. Images are limited to a small BMP stream so that each input decodes quickly.
#include "imaging/bmp_memory_file.h"
#include "imaging/dib.h"
#include "imaging/jpeg_endpoints.h"
#include "imaging/jpeg_exception.h"
#include "imaging/jpeg_reader.h"
#include "platform/file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t options = data[0];
    nv::MemoryFile file(std::vector<unsigned char>(data + 1, data + size));
    COXJPEGSource source(&file);
    nv::BmpMemoryFile out;
    COXBMPWriter writer(&out);
    writer.m_nMaxStreamSize = 4u << 20;
    COXJPEGReader reader;
    reader.m_nMaxScans = 64;
    if (options & 0x80) {
        reader.m_nScale = 1 + (options & 3);
        reader.m_bGrayscale = options & 4;
        reader.m_nColors = (options & 8) ? 2 + (options >> 4 & 3) * 60 : 0;
        reader.m_nDCTMethod = (options >> 4) & 3;
        reader.m_bFast = options & 0x40;
    }
    try {
        reader.Decompress(source, writer);
    } catch (const COXJPEGException&) {
        return 0;
    }
    out.SeekToBegin();
    COXDIB dib;
    dib.Read(out);
    return 0;
}
