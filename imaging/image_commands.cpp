// The imaging commands of the command line.
#include "imaging/image_commands.h"

#include "imaging/dib.h"
#include "imaging/image_loader.h"
#include "platform/atomic_file.h"
#include "platform/c_numbers.h"
#include "platform/file.h"

#include <cerrno>

namespace {

constexpr const char* kInfoUsage = "usage: Nulo_Vandrel --image-info IMAGE";
constexpr const char* kSaveUsage = "usage: Nulo_Vandrel --save-bmp IN OUT "
                                   "[--rotate 90|180|270|-90] [--flip-rows] [--flip-columns]";

int Usage(std::ostream& err, const std::string& problem, const char* usage)
{
    err << problem << "\n" << usage << "\n";
    return 2;
}

// A write-only stream over an atomic file writer, for COXDIB::Write.
class AtomicStream : public nv::Stream
{
public:
    explicit AtomicStream(nv::AtomicFileWriter& writer, std::string path)
        : m_writer(writer), m_path(std::move(path))
    {}
    size_t Read(void*, size_t) override { throw Unsupported(); }
    void Write(const void* buffer, size_t count) override
    {
        if (!m_writer.Write(buffer, count))
            throw nv::FileError(nv::FileError::generic, 0, m_path, m_writer.Error());
        m_written += count;
    }
    uint64_t Seek(int64_t, SeekOrigin) override { throw Unsupported(); }
    uint64_t GetPosition() const override { return m_written; }
    uint64_t GetLength() const override { return m_written; }
    void Close() override {}
    std::string GetFilePath() const override { return m_path; }

private:
    nv::FileError Unsupported() const
    {
        return nv::FileError(nv::FileError::generic, EINVAL, m_path, "Unsupported file access");
    }

    nv::AtomicFileWriter& m_writer;
    std::string m_path;
    uint64_t m_written = 0;
};

bool LoadOrReport(const std::string& path, COXDIB& dib, std::ostream& err)
{
    std::string reason;
    if (LoadImageFile(path, dib, &reason))
        return true;
    err << "ERROR:  Unable to load \"" << path << "\": " << reason << "\n";
    return false;
}

} // namespace

int RunImageInfoCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 1)
        return Usage(err, args.empty() ? "--image-info needs an image file" : "too many arguments",
                     kInfoUsage);
    if (args[0].starts_with("--"))
        return Usage(err, "unknown option " + args[0], kInfoUsage);
    COXDIB dib;
    if (!LoadOrReport(args[0], dib, err))
        return 1;
    const DIBSize size = dib.GetSize();
    out << "width: " << size.cx << "\n"
        << "height: " << size.cy << "\n"
        << "bits per pixel: " << dib.GetNumBitsPerPixel() << "\n"
        << "colors: " << dib.GetNumColors() << "\n";
    return 0;
}

int RunSaveBmpCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::vector<std::string> files;
    bool rotateGiven = false, flipRows = false, flipColumns = false;
    int angle = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--rotate") {
            if (rotateGiven)
                return Usage(err, "--rotate given twice", kSaveUsage);
            if (i + 1 >= args.size())
                return Usage(err, "--rotate needs an angle", kSaveUsage);
            const std::string& text = args[++i];
            size_t pos = 0;
            long long value = 0;
            if (!nv::ScanInt(text, pos, value) || pos != text.size() || value % 90 != 0 ||
                value < -360 || value > 360)
                return Usage(err, "--rotate takes 90, 180, 270 or -90, not \"" + text + "\"",
                             kSaveUsage);
            angle = int(value);
            rotateGiven = true;
        } else if (a == "--flip-rows" || a == "--flip-columns") {
            bool& flag = a == "--flip-rows" ? flipRows : flipColumns;
            if (flag)
                return Usage(err, a + " given twice", kSaveUsage);
            flag = true;
        } else if (a.starts_with("--")) {
            return Usage(err, "unknown option " + a, kSaveUsage);
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2)
        return Usage(err,
                     files.size() < 2 ? "--save-bmp needs an input and an output file"
                                      : "too many file names",
                     kSaveUsage);
    const std::string& in = files[0];
    const std::string& outPath = files[1];

    COXDIB dib;
    if (!LoadOrReport(in, dib, err))
        return 1;
    if ((angle != 0 || flipRows || flipColumns) && !dib.Rotate(angle, flipRows, flipColumns)) {
        err << "ERROR:  Unable to turn \"" << in << "\": not enough memory\n";
        return 1;
    }

    nv::AtomicFileWriter writer;
    if (!writer.Open(outPath)) {
        err << "ERROR:  Unable to create " << outPath << ": " << writer.Error() << "\n";
        return 1;
    }
    try {
        AtomicStream stream(writer, outPath);
        if (!dib.Write(stream)) {
            err << "ERROR:  Unable to write \"" << in << "\" as a BMP file\n";
            return 1;
        }
    } catch (const nv::FileError& e) {
        err << "ERROR:  Unable to create " << outPath << ": " << e.what() << "\n";
        return 1;
    }
    if (!writer.Commit()) {
        err << "ERROR:  Unable to create " << outPath << ": " << writer.Error() << "\n";
        return 1;
    }
    const DIBSize size = dib.GetSize();
    out << "Saved " << outPath << ": " << size.cx << " x " << size.cy << ", "
        << dib.GetNumBitsPerPixel() << " bits per pixel\n";
    return 0;
}
