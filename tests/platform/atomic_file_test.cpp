// Atomic replacement: a failed write leaves the previous file as it was.
#include "platform/atomic_file.h"

#include "tests/testlib/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

using namespace nv;

namespace {

unsigned Mode(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? unsigned(st.st_mode) & 07777 : 0;
}

size_t FilesIn(const std::string& folder)
{
    size_t n = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(folder))
        ++n;
    return n;
}

} // namespace

TEST(AtomicFile, ReplacesKeepingThePermissions)
{
    test::TempDir dir;
    const std::string path = dir.Write("w.txt", "old");
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(WriteFileAtomically(path, "new contents"));
    EXPECT_EQ(test::ReadFile(path), "new contents");
    EXPECT_EQ(Mode(path), 0640u);
    EXPECT_EQ(FilesIn(dir.Path()), 1u); // no temporary left behind
}

TEST(AtomicFile, FailureLeavesTheOldFile)
{
    test::TempDir dir;
    // The target is a non-empty folder: the final rename cannot replace it.
    const std::string target = dir.File("busy");
    std::filesystem::create_directory(target);
    std::string inside = target + "/keep";
    {
        std::ofstream(inside) << "kept";
    }
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(target, "new", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(test::ReadFile(inside), "kept");
    EXPECT_EQ(FilesIn(dir.Path()), 1u);

    // A folder that does not exist: nothing can be created.
    EXPECT_FALSE(WriteFileAtomically(dir.File("no/such/file"), "x"));
}

TEST(AtomicFile, DiscardedWriterLeavesNothing)
{
    test::TempDir dir;
    const std::string path = dir.Write("a", "before");
    {
        AtomicFileWriter writer;
        ASSERT_TRUE(writer.Open(path));
        EXPECT_TRUE(writer.Write("half"));
    } // destroyed without Commit
    EXPECT_EQ(test::ReadFile(path), "before");
    EXPECT_EQ(FilesIn(dir.Path()), 1u);

    AtomicFileWriter writer;
    ASSERT_TRUE(writer.Open(dir.File("b")));
    writer.SetMode(0755);
    ASSERT_TRUE(writer.Write("#!/bin/sh\n") && writer.Commit());
    EXPECT_EQ(Mode(dir.File("b")), 0755u);
}
