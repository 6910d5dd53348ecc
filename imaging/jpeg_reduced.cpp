// Reduced-size JPEG decoding: a decoder that picks its scale once the header tells the
// image's size.
#include "imaging/jpeg_reduced.h"

#include "imaging/dib.h"
#include "imaging/jpeg_reader.h"
#include "platform/file.h"

#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

namespace {

// The decoder's scale code for a reduction: 1, 2, 3 or 4 for 1/1, 1/2, 1/4 and 1/8.
int ScaleCode(int denominator)
{
    return denominator >= 8 ? 4 : denominator >= 4 ? 3 : denominator >= 2 ? 2 : 1;
}

class ReducingReader : public COXJPEGReader
{
public:
    explicit ReducingReader(const JPEGReduction& how) : m_how(how)
    {
        m_pCancel = how.cancel;
        m_nMaxMemoryKB = how.maxMemoryKB;
    }

    JPEGReducedInfo m_info;

protected:
    // Called before and after the header is read; the second call knows the image's size.
    void SetDecompressParameters(jpeg_decompress_struct* cinfo, bool flag) override
    {
        if (cinfo->image_width != 0) {
            m_info.width = cinfo->image_width;
            m_info.height = cinfo->image_height;
            m_info.denominator = ReducedDenominator(m_info.width, m_info.height, m_how);
            m_nScale = ScaleCode(m_info.denominator);
            const uint64_t d = uint64_t(m_info.denominator);
            const uint64_t pixels = ((m_info.width + d - 1) / d) * ((m_info.height + d - 1) / d);
            if (m_how.maxPixels != 0 && pixels > m_how.maxPixels) {
                std::snprintf(m_szMessage, sizeof m_szMessage, "Image too large: %u x %u pixels",
                              m_info.width, m_info.height);
                RaiseJPEGError(reinterpret_cast<j_common_ptr>(cinfo), JERR_IMAGE_TOO_BIG,
                               m_szMessage);
            }
        }
        COXJPEGReader::SetDecompressParameters(cinfo, flag);
        if (m_how.firstScans && cinfo->progressive_mode && m_info.denominator == 8) {
            // The source then stops after the first scans. Smoothing would only estimate
            // coefficients that a reduction to 1/8 does not use.
            cinfo->buffered_image = TRUE;
            cinfo->do_block_smoothing = FALSE;
        }
    }

private:
    const JPEGReduction& m_how;
    char m_szMessage[100] = {};
};

} // namespace

int ReducedDenominator(uint32_t width, uint32_t height, const JPEGReduction& how)
{
    int best = 1;
    for (int d = 2; d <= 8 && d <= how.maxDenominator; d *= 2) {
        // The fitted picture is max(width / box width, height / box height) times smaller than
        // the image: the reduction may go that far.
        if (how.boxWidth > 0 && how.boxHeight > 0 && uint64_t(d) * uint64_t(how.boxWidth) > width &&
            uint64_t(d) * uint64_t(how.boxHeight) > height)
            break;
        best = d;
    }
    return best;
}

bool ReadJPEGReduced(nv::Stream& file, const JPEGReduction& how, COXDIB& dib, JPEGReducedInfo* info,
                     std::string* reason)
{
    ReducingReader reader(how);
    COXDIB reduced;
    file.SeekToBegin();
    if (!reduced.ReadJPEG(file, reader, reason))
        return false;
    dib = std::move(reduced);
    if (info)
        *info = reader.m_info;
    return true;
}
