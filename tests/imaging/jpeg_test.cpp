// JPEG decoding: the adapter over libjpeg on files written by cjpeg and ImageMagick, its
// errors and warnings, and COXDIB::ReadJPEG on top of it.
#include "imaging/bmp_memory_file.h"
#include "imaging/dib.h"
#include "imaging/jpeg_endpoints.h"
#include "imaging/jpeg_exception.h"
#include "imaging/jpeg_reader.h"
#include "platform/file.h"
#include "support/log.h"
#include "tests/imaging/test_images.h"
#include "tests/testlib/temp_dir.h"

#include <gtest/gtest.h>

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
    const COXJPEGException cmyk = DecodeFailure("cmyk.jpg");
    EXPECT_EQ(cmyk.m_nCause, 1005);
    EXPECT_EQ(cmyk.m_strMessage, "Bogus message code 1005");

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

TEST(JpegTest, TruncatedFileDecodesToTheEndWithAWarning)
{
    COXJPEGReader reader;
    nv::BmpMemoryFile out;
    EXPECT_EQ(Decode("truncated.jpg", out, reader), 2);
    EXPECT_EQ(reader.GetWarnings(), "Premature end of JPEG file\n");
    EXPECT_EQ(out.GetLength(), 14u + 40 + 112 * 23);

    // A warning fails the load and keeps the image there was.
    COXDIB dib;
    ASSERT_TRUE(dib.ReadJPEG(FixturePath("gray.jpg")));
    const nv::DIBBytes before = dib.GetDIB();
    std::string reason;
    EXPECT_FALSE(dib.ReadJPEG(FixturePath("truncated.jpg"), &reason));
    EXPECT_EQ(reason, "Premature end of JPEG file");
    EXPECT_EQ(dib.GetDIB(), before);
    EXPECT_FALSE(dib.ReadJPEG(FixturePath("cmyk.jpg"), &reason));
    EXPECT_EQ(reason, "Bogus message code 1005");
    EXPECT_EQ(dib.GetDIB(), before);
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
    std::vector<unsigned char> file = ReadBytes(FixturePath("baseline.jpg"));
    size_t sof = 2;
    while (sof + 9 < file.size() && !(file[sof] == 0xFF && file[sof + 1] == 0xC0))
        ++sof;
    ASSERT_LT(sof + 9, file.size());
    file[sof + 5] = file[sof + 7] = 0xEA; // height and width 0xEA60 = 60000
    file[sof + 6] = file[sof + 8] = 0x60;

    nv::MemoryFile stream(std::move(file));
    COXDIB dib;
    std::string reason;
    EXPECT_FALSE(dib.ReadJPEG(stream, &reason));
    EXPECT_NE(reason.find("Image too large: 60000 x 60000"), std::string::npos) << reason;
    const std::string log = nv::test::ReadFile(LogPath());
    EXPECT_NE(log.find("COXDIB::ConvertJPEGtoDIB: Exception Image too large"), std::string::npos)
        << log;

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
