// Reading manifests, and working out and comparing versions.
#include "update/manifest.h"
#include "update/versions.h"

#include "tests/testlib/temp_dir.h"
#include "tests/update/test_http_server.h"
#include "tests/update/update_fixtures.h"

#include <gtest/gtest.h>

namespace {

TEST(Manifest, LinesAndTheirEnds)
{
    struct Row
    {
        const char* name;
        std::string text;
        ManifestStatus status;
        size_t entries;
    } rows[] = {
        {"last line ends in LF", "a.chm,a.chm,1.00\n", ManifestStatus::ok, 1},
        {"last line without end", "a.chm,a.chm,1.00", ManifestStatus::ok, 1},
        {"CR LF lines", "a,b,1\r\nc,d,2\r\n", ManifestStatus::ok, 2},
        {"four and more fields", "a,b,1,extra,more\n", ManifestStatus::ok, 1},
        {"empty fields count", "a,,\n", ManifestStatus::ok, 1},
        {"sub-folder", "help/a.chm,a.chm,1\n", ManifestStatus::ok, 1},
        {"no line", "", ManifestStatus::empty, 0},
        {"one empty line", "\n", ManifestStatus::notManifest, 0},
        {"empty line between entries", "a,b,1\n\nc,d,2\n", ManifestStatus::notManifest, 0},
        {"two fields", "a,b,1\nc,d\n", ManifestStatus::notManifest, 0},
        {"HTML error page", nv::test::TestHttpServer::kNotFoundPage, ManifestStatus::notManifest,
         0},
        {"doctype within an entry", "a,<!DOCTYPE HTML PUBLIC,1\n", ManifestStatus::notManifest, 0},
        {"empty local name", ",b,1\n", ManifestStatus::notManifest, 0},
        {"parent folder", "../Nulo_Vandrel,b,1\n", ManifestStatus::notManifest, 0},
        {"parent folder inside", "help/../../x,b,1\n", ManifestStatus::notManifest, 0},
        {"absolute local name", "/usr/bin/x,b,1\n", ManifestStatus::notManifest, 0},
        {"folder as local name", "help/,b,1\n", ManifestStatus::notManifest, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<UpdateEntry> entries(3);
        EXPECT_EQ(ParseManifest(row.text, entries), row.status);
        EXPECT_EQ(entries.size(), row.entries);
    }
}

TEST(Manifest, FieldsAreTakenAsWritten)
{
    std::vector<UpdateEntry> entries;
    ASSERT_EQ(ParseManifest("Nulo_Vandrel.chm,Nulo_Vandrel.chm,20080415\r\n"
                            "Data.zip, Data v2.zip, 1.06,ignored\n",
                            entries),
              ManifestStatus::ok);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].localName, "Nulo_Vandrel.chm");
    EXPECT_EQ(entries[0].serverName, "Nulo_Vandrel.chm");
    EXPECT_EQ(entries[0].manifestVersion, "20080415");
    EXPECT_EQ(entries[1].serverName, " Data v2.zip");
    EXPECT_EQ(entries[1].manifestVersion, " 1.06");
    EXPECT_FALSE(entries[1].selected);
    // The blank sorts first: " 1.06" is not newer than 1.05.
    EXPECT_FALSE(IsNewerVersion("1.05", entries[1].manifestVersion));
}

TEST(Versions, ByteWiseComparison)
{
    struct Row
    {
        const char* local;
        const char* offered;
        bool newer;
    } rows[] = {
        {"1.05", "1.06", true},   {"1.05", "1.05", false}, {"1.05", "1.0", false},
        {"9.00", "10.00", false}, {"10.00", "9.00", true}, {"0.0", "1.00", true},
        {"0.0", "0.0", false},    {"1.0", "1.05", true},   {"20080414", "20080415", true},
        {"\x7f", "\x80", true}, // bytes compare unsigned
    };
    for (const Row& row : rows)
        EXPECT_EQ(IsNewerVersion(row.local, row.offered), row.newer)
            << row.local << " vs " << row.offered;
}

TEST(Versions, FileVersionText)
{
    EXPECT_EQ(FormatFileVersion("1.05"), "1.05");
    EXPECT_EQ(FormatFileVersion("1"), "1.00");
    EXPECT_EQ(FormatFileVersion("1, 0, 0, 1"), "1.00");
    EXPECT_EQ(FormatFileVersion("  2.5 beta"), "2.50");
    EXPECT_EQ(FormatFileVersion("beta"), "0.00");
}

TEST(Versions, LocalVersionOfFilesWithoutVersionBlock)
{
    nv::test::TempDir dir;
    EXPECT_EQ(LocalVersion(dir.File("missing.chm")), "0.0");

    const std::string help = dir.Write("help.chm", "ITSF");
    // Late in the day: the date is the local one.
    nv::test::SetDate(help, 2008, 4, 14, 23);
    EXPECT_EQ(LocalVersion(help), "20080414");
    EXPECT_TRUE(IsNewerVersion(LocalVersion(help), "20080415"));
}

} // namespace
