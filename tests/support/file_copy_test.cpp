// The block copy with its log texts.
#include "support/file_copy.h"

#include "platform/app_paths.h"
#include "platform/file.h"
#include "tests/testlib/temp_dir.h"
#include "support/log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

unsigned Mode(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? unsigned(st.st_mode) & 0777 : 0;
}

class FileCopyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        nv::SetApplicationPath(dir.File("Nulo_Vandrel"));
        LogReset();
    }
    void TearDown() override { nv::SetApplicationPath(""); }
    std::string Log() { return nv::test::ReadFile(dir.File("Nulo_Vandrel.LOG")); }

    nv::test::TempDir dir;
};

} // namespace

TEST_F(FileCopyTest, CopiesContentsAndTimes)
{
    std::string big(65536, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = char(i * 7);
    const std::string src = dir.Write("big.bin", big);
    const std::string empty = dir.Write("empty.bin", "");
    struct timespec times[2] = {{1000000000, 0}, {1200000000, 500}};
    ::utimensat(AT_FDCWD, empty.c_str(), times, 0);

    ASSERT_TRUE(IDFileCopy(src, dir.File("big.copy"), false, false));
    EXPECT_EQ(nv::test::ReadFile(dir.File("big.copy")), big);
    ASSERT_TRUE(CopyFileNoAttributes(empty, dir.File("empty.copy"), false));
    struct stat st;
    ASSERT_EQ(::stat(dir.File("empty.copy").c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1200000000);
    EXPECT_EQ(st.st_atim.tv_sec, 1000000000);
    EXPECT_EQ(Log(), "");
}

TEST_F(FileCopyTest, OverwriteFlagDecidesAboutAnExistingTarget)
{
    const std::string src = dir.Write("new.txt", "new");
    const std::string target = dir.Write("old.txt", "old");
    ::chmod(target.c_str(), 0444);

    EXPECT_FALSE(IDFileCopy(src, target, false, false));
    EXPECT_EQ(nv::test::ReadFile(target), "old");
    EXPECT_NE(Log().find("ERROR: IDFileCopy failed.  Target file exists and overwrite flag was "
                         "not specified: \"" +
                         target + "\""),
              std::string::npos);

    EXPECT_TRUE(IDFileCopy(src, target, true, false)); // read-only target is replaced
    EXPECT_EQ(nv::test::ReadFile(target), "new");
    EXPECT_TRUE(Mode(target) & 0200);
}

TEST_F(FileCopyTest, AttributesMeanWritePermissionAndExecuteBitsStay)
{
    const std::string ro = dir.Write("ro.txt", "r");
    ::chmod(ro.c_str(), 0444);
    ASSERT_TRUE(IDFileCopy(ro, dir.File("with"), false, true));
    EXPECT_EQ(Mode(dir.File("with")) & 0222, 0u);
    ASSERT_TRUE(IDFileCopy(ro, dir.File("without"), false, false));
    EXPECT_TRUE(Mode(dir.File("without")) & 0200);

    // An executable replaced by a plain file stays executable.
    const std::string tool = dir.Write("tool", "v1");
    ::chmod(tool.c_str(), 0755);
    const std::string update = dir.Write("tool.new", "v2");
    ::chmod(update.c_str(), 0644);
    ASSERT_TRUE(CopyFileNoAttributes(update, tool, true));
    EXPECT_EQ(nv::test::ReadFile(tool), "v2");
    EXPECT_EQ(Mode(tool) & 0100, 0100u);
}

TEST_F(FileCopyTest, FailuresAreLoggedAndLeaveTheTarget)
{
    EXPECT_FALSE(IDFileCopy(dir.File("none"), dir.File("t"), true, false));
    EXPECT_NE(Log().find("ERROR: IDFileCopy failed.  Source file does not exist: \"" +
                         dir.File("none") + "\""),
              std::string::npos);

    // A folder exists but cannot be opened as a file.
    std::filesystem::create_directory(dir.File("folder"));
    nv::FileError error(nv::FileError::none, 0, "", "");
    EXPECT_FALSE(IDFileCopy(dir.File("folder"), dir.File("t"), true, false, &error));
    EXPECT_NE(error.m_cause, nv::FileError::none);
    EXPECT_NE(Log().find("Unable to open source file \"" + dir.File("folder") + "\""),
              std::string::npos);

    const std::string src = dir.Write("s", "s");
    EXPECT_FALSE(IDFileCopy(src, dir.File("missing/t"), true, false));
    EXPECT_NE(Log().find("Unable to open/create target file \"" + dir.File("missing/t") + "\""),
              std::string::npos);

    // The target is a folder with contents: the copy cannot take its place and it survives.
    std::filesystem::create_directory(dir.File("keep"));
    dir.Write("keep/inside", "x");
    EXPECT_FALSE(IDFileCopy(src, dir.File("keep"), true, false));
    EXPECT_EQ(nv::test::ReadFile(dir.File("keep/inside")), "x");
}
