// Atomic replacement: a failed write leaves the previous file as it was.
#include "platform/atomic_file.h"

#include "tests/testlib/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

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

namespace fs = std::filesystem;

// The kind of file at path, without following a link.
fs::file_type TypeOf(const std::string& path)
{
    return fs::symlink_status(path).type();
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

// Devices, FIFOs and folders in the target's place are refused and left as they were,
// also behind a link.
TEST(AtomicFile, SpecialFilesAreNeverReplaced)
{
    test::TempDir dir;
    const std::string folder = dir.File("folder");
    fs::create_directory(folder);
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    fs::create_symlink(fifo, dir.File("link_to_fifo"));
    std::vector<std::string> targets = {folder, fifo, dir.File("link_to_fifo")};
    // A device node like /dev/null, where the system lets this user make one.
    const std::string device = dir.File("null");
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        targets.push_back(device);

    for (const std::string& target : targets) {
        SCOPED_TRACE(target);
        const fs::file_type before = TypeOf(target);
        std::string error;
        EXPECT_FALSE(WriteFileAtomically(target, "new", &error));
        EXPECT_NE(error.find("is not a regular file"), std::string::npos) << error;
        EXPECT_EQ(TypeOf(target), before);
    }
    EXPECT_EQ(TypeOf(dir.File("link_to_fifo")), fs::file_type::symlink);
    EXPECT_EQ(FilesIn(dir.Path()), targets.size()); // no temporary file left
}

// A link is followed to its final target, which is replaced; the links stay links. A hard
// link keeps sharing its file.
TEST(AtomicFile, LinksAreFollowedAndKept)
{
    test::TempDir dir;
    fs::create_directories(dir.File("a"));
    fs::create_directories(dir.File("b"));
    const std::string target = dir.Write("b/target.txt", "old");
    ::chmod(target.c_str(), 0640);
    fs::create_symlink("../b/link2", dir.File("a/link1")); // relative, through a second link
    fs::create_symlink("target.txt", dir.File("b/link2"));
    ASSERT_TRUE(WriteFileAtomically(dir.File("a/link1"), "through two links"));
    EXPECT_EQ(test::ReadFile(target), "through two links");
    EXPECT_EQ(TypeOf(dir.File("a/link1")), fs::file_type::symlink);
    EXPECT_EQ(TypeOf(dir.File("b/link2")), fs::file_type::symlink);
    EXPECT_EQ(Mode(target), 0640u);
    EXPECT_EQ(FilesIn(dir.File("a")), 1u);
    EXPECT_EQ(FilesIn(dir.File("b")), 2u);

    // A link to a file that does not exist yet creates it.
    fs::create_symlink(dir.File("b/new.txt"), dir.File("a/dangling"));
    ASSERT_TRUE(WriteFileAtomically(dir.File("a/dangling"), "created"));
    EXPECT_EQ(test::ReadFile(dir.File("b/new.txt")), "created");
    EXPECT_EQ(TypeOf(dir.File("a/dangling")), fs::file_type::symlink);

    // A loop of links is refused.
    fs::create_symlink("loop2", dir.File("a/loop1"));
    fs::create_symlink("loop1", dir.File("a/loop2"));
    EXPECT_FALSE(WriteFileAtomically(dir.File("a/loop1"), "x"));
    EXPECT_EQ(TypeOf(dir.File("a/loop1")), fs::file_type::symlink);

    // Hard links: every name shows the new contents, longer and shorter ones.
    fs::create_hard_link(target, dir.File("a/hard"));
    const auto inode = fs::hard_link_count(target);
    for (const std::string& contents : {std::string(100000, 'x'), std::string("short")}) {
        ASSERT_TRUE(WriteFileAtomically(dir.File("a/hard"), contents));
        EXPECT_EQ(test::ReadFile(target), contents);
        EXPECT_EQ(fs::hard_link_count(target), inode);
        EXPECT_TRUE(fs::equivalent(target, dir.File("a/hard")));
    }
    EXPECT_EQ(FilesIn(dir.File("a")), 5u);
}

// An existing file this user may not write is refused, whatever the folder allows and even
// for the superuser. Replacing an own read-only file must be asked for.
TEST(AtomicFile, FilesTheUserMayNotWriteAreRefused)
{
    test::TempDir dir;
    const std::string own = dir.Write("own.txt", "old");
    ::chmod(own.c_str(), 0444);
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(own, "new", &error));
    EXPECT_EQ(error, "No permission to write " + own);
    EXPECT_EQ(test::ReadFile(own), "old");
    EXPECT_EQ(FilesIn(dir.Path()), 1u);

    AtomicFileWriter writer;
    writer.SetReplaceReadOnly(true);
    ASSERT_TRUE(writer.Open(own) && writer.Write("new") && writer.Commit()) << writer.Error();
    EXPECT_EQ(test::ReadFile(own), "new");

    if (::geteuid() != 0)
        return; // only the superuser can give a file to another user
    const std::string theirs = dir.Write("theirs.txt", "theirs");
    ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
    for (unsigned mode : {0644u, 0666u}) {
        ::chmod(theirs.c_str(), mode);
        AtomicFileWriter other;
        other.SetReplaceReadOnly(true); // does not reach other users' files
        const bool written = other.Open(theirs) && other.Write("mine") && other.Commit();
        EXPECT_EQ(written, mode == 0666u) << std::oct << mode;
        EXPECT_EQ(test::ReadFile(theirs), written ? "mine" : "theirs");
        struct stat st;
        ASSERT_EQ(::stat(theirs.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 65534u); // the owner stays
    }
}
