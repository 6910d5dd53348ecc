// The shared image loader.
#include "imaging/image_loader.h"

#include "imaging/dib.h"
#include "platform/file.h"

#include <cstring>

namespace {

// What a file that is neither a BMP nor a JPEG file looks like, from its first bytes; null
// when it looks like nothing known.
const char* OtherFormat(const unsigned char* head, size_t n)
{
    struct Signature
    {
        size_t offset;
        const char* bytes;
        size_t length;
        const char* format;
    };
    static const Signature kSignatures[] = {
        {0, "\x89PNG\r\n\x1a\n", 8, "a PNG image"},
        {0, "GIF87a", 6, "a GIF image"},
        {0, "GIF89a", 6, "a GIF image"},
        {0, "II*\0", 4, "a TIFF image"},
        {0, "MM\0*", 4, "a TIFF image"},
        {8, "WEBP", 4, "a WebP image"},
        {4, "ftypavif", 8, "an AVIF image"},
        {4, "ftypheic", 8, "a HEIF image"},
        {4, "ftypmif1", 8, "a HEIF image"},
        {0, "\0\0\0\x0cjP  ", 8, "a JPEG 2000 image"},
        {0, "\xff\x4f\xff\x51", 4, "a JPEG 2000 image"},
        {0, "\0\0\0\x0cJXL ", 8, "a JPEG XL image"},
        {0, "\xff\x0a", 2, "a JPEG XL image"},
        {0, "BA", 2, "an OS/2 bitmap array"},
        {0, "CI", 2, "an OS/2 icon"},
        {0, "IC", 2, "an OS/2 icon"},
        {0, "CP", 2, "an OS/2 pointer"},
        {0, "PT", 2, "an OS/2 pointer"},
        {0, "\0\0\1\0", 4, "a Windows icon"},
        {0, "%PDF", 4, "a PDF document"},
    };
    for (const Signature& s : kSignatures)
        if (s.offset + s.length <= n && std::memcmp(head + s.offset, s.bytes, s.length) == 0)
            return s.format;
    return nullptr;
}

} // namespace

bool LoadImageFile(const std::string& path, COXDIB& dib, std::string* reason)
{
    nv::File file;
    nv::FileError error(nv::FileError::none, 0, path, "");
    if (!file.Open(path, nv::File::modeRead, &error)) {
        if (reason)
            *reason = error.what();
        return false;
    }
    unsigned char head[16] = {};
    size_t headSize = 0;
    std::string bmpReason, jpegReason;
    COXDIB loaded;
    try {
        headSize = file.Read(head, sizeof head);
        file.SeekToBegin();
        if (loaded.Read(file, &bmpReason)) {
            dib = std::move(loaded);
            return true;
        }
        file.SeekToBegin();
        if (loaded.ReadJPEG(file, &jpegReason)) {
            dib = std::move(loaded);
            return true;
        }
    } catch (const nv::FileError& e) {
        jpegReason = e.what();
    }
    if (reason) {
        if (headSize < 2)
            *reason = "the file is empty or too short";
        else if (head[0] == 'B' && head[1] == 'M')
            *reason = "unreadable BMP image: " + bmpReason;
        else if (head[0] == 0xFF && head[1] == 0xD8)
            *reason = "unreadable JPEG image: " + jpegReason;
        else if (const char* format = OtherFormat(head, headSize))
            *reason = std::string("the file is ") + format + ", not a BMP or JPEG image";
        else
            *reason = "not a BMP or JPEG image";
    }
    return false;
}
