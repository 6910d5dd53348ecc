// The shared image loader.
#include "imaging/image_loader.h"

#include "imaging/dib.h"
#include "imaging/jpeg_reader.h"
#include "imaging/jpeg_reduced.h"
#include "imaging/load_progress.h"
#include "platform/file.h"

#include <algorithm>
#include <cstring>

namespace {

// A file read in pieces, so that a load can be followed and stopped on its way: before every
// piece the cancel flag is looked at (a cancelled read throws), after it the share read so
// far is reported while reportBytes is on.
class ProgressStream : public nv::Stream
{
public:
    ProgressStream(nv::Stream& file, LoadProgress& progress) : m_file(file), m_progress(progress) {}

    bool reportBytes = true;

    size_t Read(void* buffer, size_t count) override
    {
        constexpr size_t kPiece = size_t(1) << 20;
        auto* out = static_cast<unsigned char*>(buffer);
        size_t done = 0;
        while (done < count) {
            if (m_progress.Cancelled())
                throw nv::FileError(nv::FileError::generic, 0, GetFilePath(),
                                    "the load was cancelled");
            const size_t n = m_file.Read(out + done, std::min(kPiece, count - done));
            done += n;
            if (reportBytes)
                m_progress.SetPermille(GetPosition(), GetLength());
            if (n == 0)
                break;
        }
        return done;
    }
    void Write(const void* buffer, size_t count) override { m_file.Write(buffer, count); }
    uint64_t Seek(int64_t offset, SeekOrigin origin) override
    {
        return m_file.Seek(offset, origin);
    }
    uint64_t GetPosition() const override { return m_file.GetPosition(); }
    uint64_t GetLength() const override { return m_file.GetLength(); }
    void Close() override { m_file.Close(); }
    std::string GetFilePath() const override { return m_file.GetFilePath(); }

private:
    nv::Stream& m_file;
    LoadProgress& m_progress;
};

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

bool LoadImageFile(const std::string& path, COXDIB& dib, std::string* reason,
                   LoadProgress* progress)
{
    nv::File disk;
    nv::FileError error(nv::FileError::none, 0, path, "");
    if (!disk.Open(path, nv::File::modeRead, &error)) {
        if (reason)
            *reason = error.what();
        return false;
    }
    LoadProgress unwatched;
    ProgressStream file(disk, progress ? *progress : unwatched);
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
        if (progress && progress->Cancelled()) {
            if (reason)
                *reason = "the load was cancelled";
            return false;
        }
        file.SeekToBegin();
        // The decoder tells how far it is itself, by rows.
        file.reportBytes = false;
        COXJPEGReader reader;
        if (progress) {
            reader.m_pCancel = &progress->cancel;
            reader.m_pProgress = progress;
        }
        if (loaded.ReadJPEG(file, reader, &jpegReason)) {
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

bool ReadFirstView(const std::string& path, FirstView& view, uint64_t minPixels,
                   const std::atomic<bool>* cancel)
{
    nv::File file;
    unsigned char head[2] = {};
    if (!file.Open(path, nv::File::modeRead) || file.Read(head, 2) != 2 || head[0] != 0xFF ||
        head[1] != 0xD8)
        return false;
    JPEGReduction how;
    how.maxDenominator = 8;
    how.cancel = cancel;
    how.firstScans = true;
    FirstView read;
    JPEGReducedInfo info;
    try {
        if (!ReadJPEGReduced(file, how, read.image, &info) ||
            uint64_t(info.width) * info.height < minPixels)
            return false;
    } catch (const nv::FileError&) {
        return false;
    }
    read.width = info.width;
    read.height = info.height;
    view = std::move(read);
    return true;
}
