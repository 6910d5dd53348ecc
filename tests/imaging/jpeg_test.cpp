// JPEG decoding: the adapter over libjpeg on files written by cjpeg, PIL and ImageMagick, its
// errors and warnings, damaged and hostile files, and COXDIB::ReadJPEG on top of it.
#include "imaging/bmp_memory_file.h"
#include "imaging/dib.h"
#include "imaging/jpeg_endpoints.h"
#include "imaging/jpeg_exception.h"
#include "imaging/image_loader.h"
#include "imaging/jpeg_reader.h"
#include "imaging/jpeg_reduced.h"
#include "imaging/load_progress.h"
#include "platform/file.h"
#include "support/log.h"
#include "tests/imaging/test_images.h"
#include "tests/testlib/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

using nv::GetLE32;
using nv::test::FixturePath;
using nv::test::PixelsOf;
using nv::test::ReadBytes;
using nv::test::RecordedPixels;

namespace {

// Decodes a fixture into an in-memory BMP stream; returns Decompress's result.
uint16_t Decode(const char* name, nv::Stream& out, COXJPEGReader& reader)
{
    COXJPEGSource source(FixturePath(name));
    COXBMPWriter writer(&out);
    return reader.Decompress(source, writer);
}

COXJPEGException DecodeFailure(const char* name, COXJPEGReader&& reader = COXJPEGReader())
{
    nv::BmpMemoryFile out;
    try {
        Decode(name, out, reader);
    } catch (const COXJPEGException& e) {
        return e;
    }
    ADD_FAILURE() << name << " decoded";
    return COXJPEGException(0, "");
}

// A fixture's bytes, changed by edit.
std::vector<unsigned char> Edited(const char* name,
                                  const std::function<void(std::vector<unsigned char>&)>& edit)
{
    std::vector<unsigned char> bytes = ReadBytes(FixturePath(name));
    edit(bytes);
    return bytes;
}

// Where the count-th marker of this kind starts (counting from 1).
size_t FindMarker(const std::vector<unsigned char>& file, unsigned char marker, int count = 1)
{
    for (size_t i = 2; i + 1 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == marker && --count == 0)
            return i;
    ADD_FAILURE() << "no marker " << int(marker);
    return 0;
}

void Insert(std::vector<unsigned char>& file, size_t at, std::vector<unsigned char> bytes)
{
    file.insert(file.begin() + ptrdiff_t(at), bytes.begin(), bytes.end());
}

// The frame header (baseline or progressive) declares width x height instead.
void Resize(std::vector<unsigned char>& file, uint16_t width, uint16_t height)
{
    size_t sof = 2;
    while (sof + 9 < file.size() && !(file[sof] == 0xFF && (file[sof + 1] & 0xFD) == 0xC0))
        ++sof;
    ASSERT_LT(sof + 9, file.size());
    file[sof + 5] = uint8_t(height >> 8);
    file[sof + 6] = uint8_t(height);
    file[sof + 7] = uint8_t(width >> 8);
    file[sof + 8] = uint8_t(width);
}

// Counts the rows it stores.
class CountingWriter : public COXBMPWriter
{
public:
    using COXBMPWriter::COXBMPWriter;
    void StoreRows(jpeg_decompress_struct* cinfo, unsigned count) override
    {
        m_rows += count;
        COXBMPWriter::StoreRows(cinfo, count);
    }
    unsigned m_rows = 0;
};

TEST(JpegTest, DecodedPixelsMatchAnIndependentDecoder)
{
    struct Case
    {
        const char* name;
        unsigned bits;
        uint32_t colors;
    };
    for (const Case& c :
         {Case{"baseline.jpg", 24, 0}, Case{"progressive.jpg", 24, 0}, Case{"gray.jpg", 8, 256}}) {
        COXDIB dib;
        std::string reason;
        ASSERT_TRUE(dib.ReadJPEG(FixturePath(c.name), &reason)) << c.name << ": " << reason;
        EXPECT_EQ(dib.GetSize(), (DIBSize{37, 23}));
        EXPECT_EQ(dib.GetNumBitsPerPixel(), c.bits) << c.name;
        EXPECT_EQ(dib.GetNumColors(), c.colors) << c.name;
        EXPECT_TRUE(PixelsOf(dib) == RecordedPixels(c.name, 37, 23)) << c.name;
    }
}

TEST(JpegTest, BmpStreamHasTheWriterHeaderFields)
{
    COXJPEGReader reader;
    nv::BmpMemoryFile gray;
    ASSERT_EQ(Decode("gray.jpg", gray, reader), 0);
    const unsigned char* dib = gray.DIB().data();
    EXPECT_EQ(GetLE32(gray.FileHeader() + 2), 14u + 40 + 1024 + 40 * 23);
    EXPECT_EQ(GetLE32(gray.FileHeader() + 10), 14u + 40 + 1024);
    EXPECT_EQ(GetLE32(dib + 20), 0u);   // image size left 0
    EXPECT_EQ(GetLE32(dib + 32), 256u); // gray ramp
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(GetLE32(dib + 40 + i * 4), uint32_t(i * 0x010101)) << i;

    nv::BmpMemoryFile colour;
    ASSERT_EQ(Decode("baseline.jpg", colour, reader), 0);
    EXPECT_EQ(nv::GetLE16(colour.DIB().data() + 14), 24);
    EXPECT_EQ(colour.GetLength(), 14u + 40 + 112 * 23); // 111 bytes a row, padded

    // Density in dots per centimetre becomes pixels per metre.
    nv::BmpMemoryFile dense;
    ASSERT_EQ(Decode("density.jpg", dense, reader), 0);
    EXPECT_EQ(GetLE32(dense.DIB().data() + 24), 3800u);
    EXPECT_EQ(GetLE32(dense.DIB().data() + 28), 3800u);
}

TEST(JpegTest, AnyOutputStreamGetsTheSameBmpStream)
{
    COXJPEGReader reader;
    nv::BmpMemoryFile direct;
    nv::MemoryFile plain;
    ASSERT_EQ(Decode("progressive.jpg", direct, reader), 0);
    ASSERT_EQ(Decode("progressive.jpg", plain, reader), 0);
    std::vector<unsigned char> stream(direct.GetLength());
    direct.SeekToBegin();
    ASSERT_EQ(direct.Read(stream.data(), stream.size()), stream.size());
    EXPECT_EQ(stream, plain.Data());
}

TEST(JpegTest, FatalErrorsCarryLibjpegsMessage)
{
    // Two components: a colour space the writer has no row store for.
    const unsigned char twoComponents[] = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x0E, 0x08, 0x00,
                                           0x10, 0x00, 0x10, 0x02, 0x01, 0x11, 0x00, 0x02,
                                           0x11, 0x00, 0xFF, 0xDA, 0x00, 0x0A, 0x02, 0x01,
                                           0x00, 0x02, 0x00, 0x00, 0x3F, 0x00, 0xFF, 0xD9};
    nv::MemoryFile twoFile(
        std::vector<unsigned char>(std::begin(twoComponents), std::end(twoComponents)));
    COXJPEGSource twoSource(&twoFile);
    nv::BmpMemoryFile twoOut;
    COXBMPWriter twoWriter(&twoOut);
    try {
        COXJPEGReader().Decompress(twoSource, twoWriter);
        ADD_FAILURE() << "two components decoded";
    } catch (const COXJPEGException& e) {
        EXPECT_EQ(e.m_nCause, 1005);
        EXPECT_EQ(e.m_strMessage, "Bogus message code 1005");
    }

    const COXJPEGException empty = DecodeFailure("empty.jpg");
    EXPECT_EQ(empty.m_strMessage, "Empty input file");

    const COXJPEGException missing = DecodeFailure("no-such-file.jpg");
    EXPECT_EQ(missing.m_nCause, int(nv::FileError::fileNotFound));
    EXPECT_NE(missing.m_strMessage.find("no-such-file.jpg"), std::string::npos);

    const COXJPEGException notJpeg = DecodeFailure("rgb24.bmp");
    EXPECT_NE(notJpeg.m_strMessage.find("Not a JPEG file"), std::string::npos);

    char buffer[6];
    EXPECT_TRUE(empty.GetErrorMessage(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "Empty");
}

TEST(JpegTest, TruncatedFileStopsAtTheEndOfItsData)
{
    // Without the stop every row is decoded from nothing and the warning returned.
    COXJPEGReader tolerant;
    tolerant.m_bStopAtCorruptData = false;
    nv::BmpMemoryFile out;
    EXPECT_EQ(Decode("truncated.jpg", out, tolerant), 2);
    EXPECT_EQ(tolerant.GetWarnings(), "Premature end of JPEG file\n");
    EXPECT_EQ(out.GetLength(), 14u + 40 + 112 * 23);

    const COXJPEGException e = DecodeFailure("truncated.jpg");
    EXPECT_EQ(e.m_strMessage, "Premature end of JPEG file");

    // A failed load keeps the image there was.
    COXDIB dib;
    ASSERT_TRUE(dib.ReadJPEG(FixturePath("gray.jpg")));
    const nv::DIBBytes before = dib.GetDIB();
    std::string reason;
    EXPECT_FALSE(dib.ReadJPEG(FixturePath("truncated.jpg"), &reason));
    EXPECT_EQ(reason, "Premature end of JPEG file");
    EXPECT_EQ(dib.GetDIB(), before);
}

// Faults other decoders pass over load, with the warning in the log; missing or corrupt image
// data does not.
TEST(JpegTest, HarmlessFaultsLoadAndDamagedImageDataFails)
{
    struct Case
    {
        const char* what;
        std::vector<unsigned char> file;
        const char* pixelsOf; // the image it shows, null when it must fail
        const char* text;     // in the log's warning, or in the reason of the failure
    };
    const Case cases[] = {
        {"end marker missing", Edited("baseline.jpg", [](auto& f) { f.resize(f.size() - 2); }),
         "baseline", "Premature end of JPEG file"},
        {"progressive, end marker missing",
         Edited("progressive.jpg", [](auto& f) { f.resize(f.size() - 2); }), "progressive",
         "Premature end of JPEG file"},
        {"stray bytes before the image data",
         Edited("baseline.jpg",
                [](auto& f) {
                    Insert(f, FindMarker(f, 0xDA), {1, 2, 3});
                }),
         "baseline", "3 extraneous bytes before marker 0xda"},
        {"progressive, stray bytes before the image data",
         Edited("progressive.jpg",
                [](auto& f) {
                    Insert(f, FindMarker(f, 0xC2), {1, 2});
                }),
         "progressive", "2 extraneous bytes before marker 0xc2"},
        {"stray bytes behind the last row",
         Edited("baseline.jpg",
                [](auto& f) {
                    Insert(f, f.size() - 2, {1, 2, 3, 4});
                }),
         "baseline", "extraneous bytes before marker 0xd9"},
        // More stray bytes than the decoder reads ahead.
        {"progressive, stray bytes behind the last scan",
         Edited("progressive.jpg", [](auto& f) { f.insert(f.end() - 2, 64, 'j'); }), "progressive",
         "extraneous bytes before marker 0xd9"},
        {"progressive, stray bytes in place of the end marker",
         Edited("progressive.jpg",
                [](auto& f) {
                    f.resize(f.size() - 2);
                    f.insert(f.end(), 64, 'j');
                }),
         "progressive", "Premature end of JPEG file"},
        {"cut inside the image data",
         Edited("baseline.jpg", [](auto& f) { f.resize(f.size() * 2 / 3); }), nullptr,
         "Premature end of JPEG file"},
        {"progressive, cut between scans",
         Edited("progressive.jpg", [](auto& f) { f.resize(FindMarker(f, 0xDA, 3)); }), nullptr,
         "Premature end of JPEG file"},
        {"progressive, stray bytes between scans",
         Edited("progressive.jpg",
                [](auto& f) {
                    Insert(f, FindMarker(f, 0xDA, 3), {1, 2});
                }),
         nullptr, "2 extraneous bytes before marker 0xda"},
        {"marker inside the image data",
         Edited("baseline.jpg",
                [](auto& f) {
                    Insert(f, FindMarker(f, 0xDA) + 40, {0xFF, 0xD9});
                }),
         nullptr, "Corrupt JPEG data: premature end of data segment"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LogReset();
        nv::MemoryFile stream(c.file);
        COXDIB dib;
        std::string reason;
        const bool loaded = dib.ReadJPEG(stream, &reason);
        EXPECT_EQ(loaded, c.pixelsOf != nullptr) << reason;
        if (loaded) {
            EXPECT_TRUE(PixelsOf(dib) == RecordedPixels(c.pixelsOf, 37, 23));
            EXPECT_NE(nv::test::ReadFile(LogPath()).find("Warning"), std::string::npos);
            EXPECT_NE(nv::test::ReadFile(LogPath()).find(c.text), std::string::npos);
        } else {
            EXPECT_NE(reason.find(c.text), std::string::npos) << reason;
        }
    }
}

// A header that declares far more rows than the data holds: decoding stops at the first row
// whose data is missing instead of making up the others.
TEST(JpegTest, DecodingStopsWhereTheDataEnds)
{
    const std::vector<unsigned char> file =
        Edited("baseline.jpg", [](auto& f) { Resize(f, 37, 60000); });
    for (bool stop : {true, false}) {
        nv::MemoryFile stream(file);
        COXJPEGSource source(&stream);
        nv::BmpMemoryFile out;
        CountingWriter writer(&out);
        COXJPEGReader reader;
        reader.m_bStopAtCorruptData = stop;
        try {
            EXPECT_EQ(reader.Decompress(source, writer), 2);
            EXPECT_FALSE(stop);
        } catch (const COXJPEGException& e) {
            EXPECT_TRUE(stop);
            EXPECT_EQ(e.m_strMessage, "Corrupt JPEG data: premature end of data segment");
        }
        EXPECT_EQ(writer.m_rows < 64, stop) << writer.m_rows;
    }
}

// CMYK and YCCK files as print software, PIL and ImageMagick write them show the colours
// djpeg gives them.
TEST(JpegTest, CmykAndYcckLoadAsRgbWithTheColoursOtherDecodersShow)
{
    nv::test::TempDir dir;
    const std::string command = "/usr/bin/python3 " +
                                nv::test::SourcePath("tests/imaging/hostile_files.py") + " jpegs " +
                                dir.Path();
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (const char* name : {"cmyk_adobe", "cmyk_plain", "cmyk_progressive", "ycck"}) {
        SCOPED_TRACE(name);
        COXDIB dib;
        std::string reason;
        ASSERT_TRUE(dib.ReadJPEG(dir.File(std::string(name) + ".jpg"), &reason)) << reason;
        EXPECT_EQ(dib.GetNumBitsPerPixel(), 24u);
        const nv::test::RGBImage ours = PixelsOf(dib);
        const nv::test::RGBImage djpeg = nv::test::ReadPPM(dir.File(std::string(name) + ".ppm"));
        ASSERT_EQ(ours.width, djpeg.width);
        ASSERT_EQ(ours.height, djpeg.height);
        int worst = 0;
        for (size_t i = 0; i < ours.rgb.size(); ++i)
            worst = std::max(worst, std::abs(int(ours.rgb[i]) - int(djpeg.rgb[i])));
        EXPECT_LE(worst, 2);
    }
}

TEST(JpegTest, ParametersShapeTheOutput)
{
    COXJPEGReader half;
    half.m_nScale = 2;
    nv::BmpMemoryFile out;
    ASSERT_EQ(Decode("baseline.jpg", out, half), 0);
    EXPECT_EQ(GetLE32(out.DIB().data() + 4), 19u); // 37 / 2 rounded up
    EXPECT_EQ(GetLE32(out.DIB().data() + 8), 12u);

    COXJPEGReader gray;
    gray.m_bGrayscale = true;
    nv::BmpMemoryFile grayOut;
    ASSERT_EQ(Decode("baseline.jpg", grayOut, gray), 0);
    EXPECT_EQ(nv::GetLE16(grayOut.DIB().data() + 14), 8);

    COXJPEGReader quantised;
    quantised.m_nColors = 16;
    nv::BmpMemoryFile quantisedOut;
    ASSERT_EQ(Decode("baseline.jpg", quantisedOut, quantised), 0);
    quantisedOut.SeekToBegin();
    COXDIB dib;
    ASSERT_TRUE(dib.Read(quantisedOut));
    EXPECT_EQ(dib.GetNumBitsPerPixel(), 8u);
    // The colour map has at most 16 colours; the other entries are zero.
    const unsigned char* table = dib.GetDIB().data() + 40;
    for (int i = 16; i < 256; ++i)
        ASSERT_EQ(GetLE32(table + i * 4), 0u) << i;
    for (const unsigned char* p = dib.FindDIBBits(); p < dib.FindDIBBits() + 37; ++p)
        ASSERT_LT(*p, 16);
}

TEST(JpegTest, BombsAreRefusedBeforeDecoding)
{
    // A header claiming 60000 x 60000 pixels: its BMP stream would exceed 4 GB.
    nv::MemoryFile stream(Edited("baseline.jpg", [](auto& f) { Resize(f, 60000, 60000); }));
    COXDIB dib;
    std::string reason;
    EXPECT_FALSE(dib.ReadJPEG(stream, &reason));
    EXPECT_NE(reason.find("Image too large: 60000 x 60000"), std::string::npos) << reason;
    const std::string log = nv::test::ReadFile(LogPath());
    EXPECT_NE(log.find("COXDIB::ConvertJPEGtoDIB: Exception Image too large"), std::string::npos)
        << log;

    // Pixels beyond the memory there is: refused before anything is allocated.
    {
        nv::test::ScopedImageMemoryBudget budget(1 << 20);
        nv::MemoryFile big(Edited("baseline.jpg", [](auto& f) { Resize(f, 1000, 1000); }));
        EXPECT_FALSE(dib.ReadJPEG(big, &reason));
        EXPECT_NE(reason.find("1000 x 1000 pixels need 3 MB, and at most 1 MB are available"),
                  std::string::npos)
            << reason;
    }
    // libjpeg's own memory (a progressive file's coefficients) gets what the image leaves.
    {
        nv::test::ScopedImageMemoryBudget budget(14 + 40 + 112 * 60000 + 4096);
        nv::MemoryFile tall(Edited("progressive.jpg", [](auto& f) { Resize(f, 37, 60000); }));
        EXPECT_FALSE(dib.ReadJPEG(tall, &reason));
        EXPECT_NE(reason.find("37 x 60000 pixels need more than the 0 MB left for decoding"),
                  std::string::npos)
            << reason;
    }

    // Too many progressive scans stop the decoding.
    COXJPEGReader reader;
    reader.m_nMaxScans = 2;
    const COXJPEGException scans = DecodeFailure("progressive.jpg", std::move(reader));
    EXPECT_EQ(scans.m_strMessage, "Too many progressive scans");
}

// Writing the stream into a file that fails is an error, not a success.
TEST(JpegTest, FailingOutputIsAnError)
{
    nv::test::FullDiskFile full;
    COXJPEGReader reader;
    try {
        Decode("baseline.jpg", full, reader);
        ADD_FAILURE() << "decoded into a full disk";
    } catch (const COXJPEGException& e) {
        EXPECT_EQ(e.m_strMessage, "Output file write error --- out of disk space?");
    }
}

} // namespace

namespace {

// A file in memory that counts the bytes read from it and sets a flag once it has given
// `after` of them.
class WatchedFile : public nv::MemoryFile
{
public:
    WatchedFile(std::vector<unsigned char> bytes, size_t after, std::atomic<bool>* flag)
        : nv::MemoryFile(std::move(bytes)), m_after(after), m_flag(flag)
    {}
    size_t Read(void* buffer, size_t count) override
    {
        const size_t n = nv::MemoryFile::Read(buffer, count);
        m_read += n;
        if (m_flag && m_read >= m_after)
            m_flag->store(true);
        return n;
    }
    size_t m_read = 0;

private:
    size_t m_after;
    std::atomic<bool>* m_flag;
};

uint32_t Smooth(int x, int y)
{
    return uint32_t(x * 255 / 1199) << 16 | uint32_t(y * 255 / 899) << 8 | uint32_t((x + y) / 9);
}

} // namespace

TEST(JpegTest, AFirstViewOfAProgressiveFileReadsOnlyItsFirstScans)
{
    nv::test::TempDir dir;
    for (bool progressive : {true, false}) {
        SCOPED_TRACE(progressive ? "progressive" : "baseline");
        const std::string path =
            nv::test::WriteJPEG(dir.File("view.jpg"), 1200, 900, Smooth, progressive);
        FirstView view;
        ASSERT_TRUE(ReadFirstView(path, view, 0));
        EXPECT_EQ(view.width, 1200u);
        EXPECT_EQ(view.height, 900u);
        EXPECT_EQ(view.image.GetSize(), (DIBSize{150, 113}));

        // Nearly the picture of the whole file decoded at 1/8: the first scans lack the last
        // bit of each value, and the colour detail that libjpeg draws from later scans at
        // this size (it scales subsampled colours by the transform rather than upsampling).
        nv::MemoryFile file(ReadBytes(path));
        COXDIB full;
        ASSERT_TRUE(ReadJPEGReduced(file, JPEGReduction(), full));
        const nv::test::RGBImage a = PixelsOf(view.image), b = PixelsOf(full);
        ASSERT_EQ(a.rgb.size(), b.rgb.size());
        double difference = 0;
        for (size_t i = 0; i < a.rgb.size(); ++i)
            difference += std::abs(int(a.rgb[i]) - int(b.rgb[i]));
        EXPECT_LE(difference / double(a.rgb.size()), progressive ? 1.0 : 0.0);

        // A progressive file is read no further than its first scans.
        const std::vector<unsigned char> bytes = ReadBytes(path);
        WatchedFile watched(bytes, bytes.size(), nullptr);
        JPEGReduction first;
        first.firstScans = true;
        ASSERT_TRUE(ReadJPEGReduced(watched, first, full));
        if (progressive)
            EXPECT_LT(watched.m_read, bytes.size() / 3);
        else
            EXPECT_EQ(watched.m_read, bytes.size());
    }
    // Small images need none; other files get none.
    FirstView view;
    EXPECT_FALSE(ReadFirstView(dir.File("view.jpg"), view));
    EXPECT_FALSE(ReadFirstView(FixturePath("rgb24.bmp"), view, 0));
    EXPECT_FALSE(ReadFirstView(dir.File("missing.jpg"), view, 0));
}

TEST(JpegTest, ALoadCanBeFollowedAndCancelled)
{
    nv::test::TempDir dir;
    const std::string path = nv::test::WriteJPEG(dir.File("load.jpg"), 640, 480, Smooth);
    LoadProgress progress;
    COXDIB dib;
    ASSERT_TRUE(LoadImageFile(path, dib, nullptr, &progress));
    EXPECT_EQ(progress.rows.load(), 480u);
    EXPECT_EQ(progress.rowsDone.load(), 479u); // told before the last row
    EXPECT_GE(progress.permille.load(), 990u);

    // Cancelled half-way through the file, the decoding ends at the next row.
    std::atomic<bool> cancel{false};
    const std::vector<unsigned char> bytes = ReadBytes(path);
    WatchedFile file(bytes, bytes.size() / 2, &cancel);
    COXJPEGReader reader;
    reader.m_pCancel = &cancel;
    COXDIB cancelled;
    std::string reason;
    EXPECT_FALSE(cancelled.ReadJPEG(file, reader, &reason));
    EXPECT_EQ(reason, "Decoding was cancelled");
    EXPECT_LT(file.m_read, bytes.size());
    EXPECT_TRUE(cancelled.IsEmpty());

    // A load cancelled before it starts reads nothing, BMP or JPEG, and leaves the image.
    for (const std::string& file : {path, FixturePath("rgb24.bmp")}) {
        LoadProgress stopped;
        stopped.cancel = true;
        EXPECT_FALSE(LoadImageFile(file, dib, &reason, &stopped));
        EXPECT_EQ(dib.GetSize(), (DIBSize{640, 480}));
    }
}
