// COXDIB's JPEG input: the file is decoded into an in-memory BMP stream, which is then read
// like any BMP file (taking the decoded pixels over without a copy).
#include "imaging/dib.h"

#include "imaging/bmp_memory_file.h"
#include "imaging/jpeg_endpoints.h"
#include "imaging/jpeg_exception.h"
#include "imaging/jpeg_reader.h"
#include "support/log.h"

namespace {

// The first line of a text.
std::string FirstLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}

// Runs the decoder into memory. The reader stops at every warning about missing or corrupt
// image data; the harmless ones it lets through (stray bytes, a missing end marker) are
// logged and the image is loaded.
bool ConvertJPEGtoDIB(COXJPEGReader& reader, COXJPEGSource& source, nv::BmpMemoryFile& memory,
                      std::string* reason)
{
    COXBMPWriter writer(&memory);
    try {
        if (reader.Decompress(source, writer) != 0)
            LogWriteText("COXDIB::ConvertJPEGtoDIB: Warning %s",
                         FirstLine(reader.GetWarnings()).c_str());
        return true;
    } catch (const COXJPEGException& e) {
        LogWriteText("COXDIB::ConvertJPEGtoDIB: Exception %s",
                     e.m_strMessage.substr(0, 255).c_str());
        if (reason)
            *reason = e.m_strMessage;
    }
    return false;
}

bool DecodeInto(COXDIB& dib, COXJPEGReader& reader, COXJPEGSource& source, std::string* reason)
{
    nv::BmpMemoryFile memory;
    if (!ConvertJPEGtoDIB(reader, source, memory, reason))
        return false;
    memory.SeekToBegin();
    return dib.Read(memory, reason);
}

} // namespace

bool COXDIB::ReadJPEG(const std::string& path, std::string* reason)
{
    COXJPEGReader reader;
    COXJPEGSource source(path);
    return DecodeInto(*this, reader, source, reason);
}

bool COXDIB::ReadJPEG(nv::Stream& file, std::string* reason)
{
    COXJPEGReader reader;
    return ReadJPEG(file, reader, reason);
}

bool COXDIB::ReadJPEG(nv::Stream& file, COXJPEGReader& reader, std::string* reason)
{
    COXJPEGSource source(&file);
    return DecodeInto(*this, reader, source, reason);
}
