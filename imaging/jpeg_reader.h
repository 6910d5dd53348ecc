// The JPEG decompression driver over libjpeg (release 6 interface). COXJPEGCoderBase is the
// error layer: libjpeg's fatal errors end the decoding with a COXJPEGException, its warnings
// are collected as text. COXJPEGReader runs a decompression from a COXJPEGSource into an
// output endpoint such as COXBMPWriter.
//
// Warnings: libjpeg goes on after corrupt data, decoding every remaining row from nothing. The
// reader stops instead at the first warning that means the image data is missing or corrupt,
// as a fatal error with that warning's text; it lets through, collected as warnings, only what
// leaves every pixel intact: stray bytes between markers before the image data or behind its
// last row, an unknown JFIF version, and a file that ends where only its end marker is missing.
// libjpeg's own memory is bounded by what the image budget (platform/memory_budget.h) leaves
// beside the decoded image.
//
// libjpeg's error exit never unwinds through libjpeg's own frames: it jumps back (longjmp)
// to the driver, and the exception is thrown from there. So every step the driver calls while
// decoding, and every handler libjpeg calls, holds no object with a destructor at the moment
// it calls into libjpeg, and lets no C++ exception out of a handler libjpeg called.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

struct jpeg_common_struct;
struct jpeg_decompress_struct;

class COXJPEGSource;
class COXImageFileBase;
struct LoadProgress;

// Ends the decoding of cinfo with a fatal error carrying code and text, through the error
// exit of the coder that runs it. For endpoints whose failures libjpeg has no message for.
[[noreturn]] void RaiseJPEGError(jpeg_common_struct* cinfo, int code, const char* text);

class COXJPEGCoderBase
{
public:
    COXJPEGCoderBase() = default;
    virtual ~COXJPEGCoderBase() = default;
    COXJPEGCoderBase(const COXJPEGCoderBase&) = delete;
    COXJPEGCoderBase& operator=(const COXJPEGCoderBase&) = delete;

    // Handlers of libjpeg's error manager.
    // Fatal error: collects the message, destroys the decompression state and jumps back to
    // the driver, which throws COXJPEGException (message code, formatted text). Never returns.
    virtual void ErrorExit(jpeg_common_struct* cinfo);
    // Appends the current message and "\n" to the warnings.
    virtual void OutputMessage(jpeg_common_struct* cinfo);
    // A warning (level < 0) is output when it is the first one or the trace level is 3 or
    // more, and counted; a trace message when the trace level reaches its level.
    virtual void EmitMessage(jpeg_common_struct* cinfo, int level);
    // Formats the current message from libjpeg's message table; an unknown code gives
    // "Bogus message code N".
    virtual void FormatMessage(jpeg_common_struct* cinfo, char* buffer);
    // Forgets the warnings counted so far and empties the collected text.
    virtual void ResetErrorMgr(jpeg_common_struct* cinfo);

    // The warnings collected, one per line.
    std::string GetWarnings() const { return m_strWarnings; }

protected:
    std::string m_strWarnings;
};

class COXJPEGReader : public COXJPEGCoderBase
{
public:
    // Decoding parameters; the defaults leave libjpeg's own defaults in place (24-bit colour
    // for colour files, 8-bit gray for one-component files).
    int m_nColors = 0;    // quantise to this many colours
    int m_nDCTMethod = 0; // 1 integer, 2 fast integer, 3 floating point
    int m_nDither = 0;    // 1 Floyd-Steinberg, 2 ordered, 3 none
    bool m_bFast = false; // one-pass ordered dither, fast DCT, no fancy upsampling
    bool m_bGrayscale = false;
    long m_nMaxMemoryKB = 0; // libjpeg's memory limit
    bool m_bNoSmoothing = false;
    bool m_bOnePass = false;
    int m_nScale = 1; // 1, 2, 3 or 4: output at 1/1, 1/2, 1/4 or 1/8
    // Decoding stops with an error after this many progressive scans.
    int m_nMaxScans = 500;
    // Decoding stops with an error once this flag is set (looked at before every row and
    // every scan); it may be set from another thread.
    const std::atomic<bool>* m_pCancel = nullptr;
    // Kept up to date while decoding, when given: rows decoded and how far the work is.
    LoadProgress* m_pProgress = nullptr;

    // Warnings that mean missing or corrupt image data end the decoding at once (see above).
    // Off, every warning is collected and decoding goes on to the end.
    bool m_bStopAtCorruptData = true;

    // Decodes source into destination. Returns 0 when decoding finished without warnings and
    // 2 when it finished with warnings (GetWarnings); throws COXJPEGException on every
    // failure, files that cannot be opened or closed included.
    virtual uint16_t Decompress(COXJPEGSource& source, COXImageFileBase& destination);

    // Ends harmful warnings as fatal errors (m_bStopAtCorruptData), then as the base class.
    void EmitMessage(jpeg_common_struct* cinfo, int level) override;

protected:
    // Applies the parameters above to cinfo (only those that differ from the defaults; the
    // scale always). flag is not used.
    virtual void SetDecompressParameters(jpeg_decompress_struct* cinfo, bool flag);

private:
    static void RunSteps(void* run);
};
