// Fuzzes the JPEG decoding adapter: the first byte picks decoding parameters (or, with 0x02
// and without 0x80, the first view: the first scans of a progressive file at 1/8), the rest is
// the file. The image memory budget is set to 8 MB, so that the rule that refuses images
// beyond the memory there is keeps each input small and quick (libjpeg's own memory included).
#include "imaging/bmp_memory_file.h"
#include "imaging/dib.h"
#include "imaging/jpeg_endpoints.h"
#include "imaging/jpeg_exception.h"
#include "imaging/jpeg_reader.h"
#include "imaging/jpeg_reduced.h"
#include "platform/file.h"
#include "platform/memory_budget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    nv::SetImageMemoryBudget(8u << 20);
    const uint8_t options = data[0];
    nv::MemoryFile file(std::vector<unsigned char>(data + 1, data + size));
    if ((options & 0x82) == 0x02) {
        JPEGReduction how;
        how.firstScans = true;
        COXDIB view;
        ReadJPEGReduced(file, how, view);
        return 0;
    }
    COXJPEGSource source(&file);
    nv::BmpMemoryFile out;
    COXBMPWriter writer(&out);
    COXJPEGReader reader;
    reader.m_nMaxScans = 64;
    if (!(options & 0x80))
        reader.m_bStopAtCorruptData = !(options & 1);
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
