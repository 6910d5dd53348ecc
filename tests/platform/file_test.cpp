// The file layer: files on disk and in memory.
#include "platform/file.h"

#include "tests/testlib/temp_dir.h"

#include <gtest/gtest.h>

using namespace nv;

TEST(File, WritesReadsAndSeeks)
{
    test::TempDir dir;
    const std::string path = dir.File("a.bin");
    File f;
    ASSERT_TRUE(f.Open(path, File::modeCreate | File::modeReadWrite));
    f.Write("hello world", 11);
    EXPECT_EQ(f.GetLength(), 11u);
    EXPECT_EQ(f.Seek(6, Stream::begin), 6u);
    char buffer[16] = {};
    EXPECT_EQ(f.Read(buffer, sizeof buffer), 5u);
    EXPECT_STREQ(buffer, "world");
    EXPECT_EQ(f.Read(buffer, 4), 0u);
    f.Close();
    EXPECT_FALSE(f.IsOpen());
    EXPECT_THROW(f.Read(buffer, 1), FileError);
}

TEST(File, ReportsWhyItCannotOpen)
{
    test::TempDir dir;
    File f;
    FileError error(FileError::none, 0, "", "");
    EXPECT_FALSE(f.Open(dir.File("missing"), File::modeRead, &error));
    EXPECT_EQ(error.m_cause, FileError::fileNotFound);
    EXPECT_EQ(error.m_strFileName, dir.File("missing"));
    EXPECT_FALSE(f.Open(dir.Path(), File::modeRead, &error)); // a folder is not a file
    EXPECT_EQ(error.m_cause, FileError::accessDenied);
    EXPECT_THROW(f.OpenOrThrow(dir.File("no/such/x"), File::modeCreate | File::modeWrite),
                 FileError);
}

TEST(MemoryFile, GrowsAndHandsOverItsBuffer)
{
    MemoryFile m;
    m.Write("abc", 3);
    m.Seek(10, Stream::begin);
    m.Write("z", 1);
    EXPECT_EQ(m.GetLength(), 11u);
    EXPECT_EQ(m.Data()[5], 0); // the gap reads as zeros
    m.SeekToBegin();
    char b[3];
    EXPECT_EQ(m.Read(b, 3), 3u);
    EXPECT_EQ(std::string(b, 3), "abc");
    EXPECT_THROW(m.Seek(-20, Stream::current), FileError);
    const auto data = m.Detach();
    EXPECT_EQ(data.size(), 11u);
    EXPECT_EQ(m.GetLength(), 0u);
    EXPECT_EQ(m.GetPosition(), 0u);
}

TEST(ReadTextFile, RefusesFilesAboveTheLimit)
{
    test::TempDir dir;
    const std::string path = dir.Write("t.txt", std::string(100, 'x'));
    std::string text;
    EXPECT_TRUE(ReadTextFile(path, text, 100));
    EXPECT_EQ(text.size(), 100u);
    EXPECT_FALSE(ReadTextFile(path, text, 99));
    EXPECT_FALSE(ReadTextFile(dir.File("none"), text));
}
