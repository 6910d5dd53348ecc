// Unpacking zip archives made in the test, friendly and hostile.
#include "update/archive_extract.h"

#include "tests/testlib/temp_dir.h"
#include "tests/update/update_fixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

using nv::test::ListTree;
using nv::test::ModeOf;
using nv::test::ReadFile;
using nv::test::TempDir;
using nv::test::WriteZip;
using nv::test::ZipItem;

// Unpacks into <root>/app, with <root>/outside beside it as the place nothing may reach.
class ExtractTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(app());
        std::filesystem::create_directory(outside());
    }
    // The working folder plays no part.
    void TearDown() override { EXPECT_EQ(std::filesystem::current_path(), m_previous); }

    std::string app() const { return root.Path() + "/app"; }
    std::string outside() const { return root.Path() + "/outside"; }

    bool Extract(const std::vector<ZipItem>& items, std::vector<std::string>* written = nullptr)
    {
        WriteZip(root.File("update.zip"), items);
        std::string why;
        const bool ok = ExtractArchive(root.File("update.zip"), app(), limits, written, &why);
        if (!ok)
            reason = why;
        return ok;
    }

    TempDir root;
    ArchiveLimits limits;
    std::string reason;

private:
    const std::filesystem::path m_previous = std::filesystem::current_path();
};

TEST_F(ExtractTest, UnpacksFilesAndFoldersWithModesAndTimes)
{
    std::vector<std::string> written;
    ASSERT_TRUE(Extract({{"Nulo_Vandrel.chm", "ITSF help"},
                         {"maps/", "", ZipItem::folder},
                         {"maps/north/sheet.txt", "north"},
                         {"tool", "#!/bin/sh\n", ZipItem::file, "", 0755}},
                        &written))
        << reason;
    EXPECT_EQ(ListTree(app()), (std::vector<std::string>{"Nulo_Vandrel.chm", "maps/", "maps/north/",
                                                         "maps/north/sheet.txt", "tool"}));
    EXPECT_EQ(written,
              (std::vector<std::string>{"Nulo_Vandrel.chm", "maps/north/sheet.txt", "tool"}));
    EXPECT_EQ(ReadFile(app() + "/maps/north/sheet.txt"), "north");
    EXPECT_EQ(ModeOf(app() + "/tool") & 0100, 0100u);
    EXPECT_EQ(ModeOf(app() + "/Nulo_Vandrel.chm") & 0111, 0u);
    struct stat st;
    ASSERT_EQ(::stat((app() + "/Nulo_Vandrel.chm").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1208217600); // the archive's time
}

TEST_F(ExtractTest, ReplacedExecutablesStayExecutable)
{
    nv::test::WriteFileWithMode(app() + "/Nulo_Vandrel", "old", 0755);
    ASSERT_TRUE(Extract({{"Nulo_Vandrel", "new", ZipItem::file, "", 0644}})) << reason;
    EXPECT_EQ(ReadFile(app() + "/Nulo_Vandrel"), "new");
    EXPECT_EQ(ModeOf(app() + "/Nulo_Vandrel") & 0111, 0111u);
}

TEST_F(ExtractTest, HostileArchivesLeaveEverythingAsItWas)
{
    const std::string secret = outside() + "/secret";
    root.Write("outside/secret", "secret");
    root.Write("app/keep.txt", "keep");
    std::filesystem::create_directory(app() + "/maps");
    root.Write("app/maps/sheet.txt", "sheet");
    std::filesystem::create_symlink(outside(), app() + "/linked");

    const ZipItem good{"good.txt", "good"};
    struct Row
    {
        const char* name;
        std::vector<ZipItem> items;
        ArchiveLimits limits;
    } rows[] = {
        {"parent folder", {good, {"../x", "escaped"}}, {}},
        {"parent folder inside a path", {good, {"maps/../../x", "escaped"}}, {}},
        {"absolute path", {good, {outside() + "/x", "escaped"}}, {}},
        {"symlink, then a file through it",
         {{"link", "", ZipItem::symlink, outside()}, {"link/x", "escaped"}},
         {}},
        {"relative symlink out", {good, {"up", "", ZipItem::symlink, "../outside"}}, {}},
        {"file through a symlink already there", {good, {"linked/x", "escaped"}}, {}},
        {"size bomb", {good, {"bomb", "", ZipItem::file, "", 0644, 8u << 20}}, {1u << 20, 100}},
        {"too many entries", {good, {"a", "a"}, {"b", "b"}, {"c", "c"}}, {1u << 20, 3}},
        {"rename fails half-way: a file over a non-empty folder",
         {{"keep.txt", "replaced"}, {"new/deep/a.txt", "a"}, good, {"maps", "not a folder"}},
         {}},
        {"folder below a file of the archive", {good, {"f", "f"}, {"f/g", "g"}}, {}},
        {"new folders, then a bad entry",
         {{"new/deep/a.txt", "a"}, {"new2/", "", ZipItem::folder}, {"../x", "escaped"}},
         {}},
    };
    const auto appBefore = ListTree(app());
    const auto outsideBefore = ListTree(outside());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        limits = row.limits;
        reason.clear();
        EXPECT_FALSE(Extract(row.items));
        EXPECT_FALSE(reason.empty());
        EXPECT_EQ(ListTree(app()), appBefore);
        EXPECT_EQ(ListTree(outside()), outsideBefore);
        EXPECT_FALSE(std::filesystem::exists(root.Path() + "/x"));
        EXPECT_EQ(ReadFile(app() + "/keep.txt"), "keep");
    }
    EXPECT_EQ(ReadFile(secret), "secret");
}

TEST_F(ExtractTest, HardlinksCannotReachOutside)
{
    root.Write("outside/secret", "secret");
    // The zip format has no hard links: the writer stores the entry as an empty file, which is
    // unpacked as such, never as a link to the file outside.
    Extract({{"hard", "", ZipItem::hardlink, outside() + "/secret"}});
    struct stat st;
    ASSERT_EQ(::stat((outside() + "/secret").c_str(), &st), 0);
    EXPECT_EQ(st.st_nlink, 1u);
    EXPECT_EQ(ReadFile(outside() + "/secret"), "secret");
    EXPECT_EQ(ListTree(outside()), std::vector<std::string>{"secret"});
}

TEST_F(ExtractTest, DamagedArchivesAreRefused)
{
    for (const char* bytes : {"", "PK", "PK\x03\x04garbage that is not an archive", "ITSF"}) {
        root.Write("damaged.zip", bytes);
        std::string why;
        EXPECT_FALSE(ExtractArchive(root.File("damaged.zip"), app(), limits, nullptr, &why))
            << bytes;
        EXPECT_FALSE(why.empty());
    }
    // A truncated archive, cut inside the data of its first entry.
    std::string noise(100000, '\0');
    unsigned state = 12345;
    for (char& c : noise)
        c = char((state = state * 1103515245u + 12345u) >> 24);
    WriteZip(root.File("whole.zip"), {{"a.txt", noise}, {"b.txt", "b"}});
    const std::string whole = ReadFile(root.File("whole.zip"));
    root.Write("cut.zip", whole.substr(0, whole.size() / 2));
    EXPECT_FALSE(ExtractArchive(root.File("cut.zip"), app(), limits));
    EXPECT_TRUE(ListTree(app()).empty());
}

} // namespace
