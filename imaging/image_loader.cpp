// The shared image loader.
#include "imaging/image_loader.h"

#include "imaging/dib.h"
#include "platform/file.h"

bool LoadImageFile(const std::string& path, COXDIB& dib, std::string* reason)
{
    nv::File file;
    nv::FileError error(nv::FileError::none, 0, path, "");
    if (!file.Open(path, nv::File::modeRead, &error)) {
        if (reason)
            *reason = error.what();
        return false;
    }
    unsigned char magic[2] = {};
    std::string bmpReason, jpegReason;
    COXDIB loaded;
    try {
        const bool haveMagic = file.Read(magic, 2) == 2;
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
        if (!haveMagic)
            jpegReason = "the file is empty or too short";
    } catch (const nv::FileError& e) {
        jpegReason = e.what();
    }
    if (reason) {
        if (magic[0] == 'B' && magic[1] == 'M')
            *reason = "unreadable BMP image: " + bmpReason;
        else if (magic[0] == 0xFF && magic[1] == 0xD8)
            *reason = "unreadable JPEG image: " + jpegReason;
        else
            *reason = "not a BMP or JPEG image (" + jpegReason + ")";
    }
    return false;
}
