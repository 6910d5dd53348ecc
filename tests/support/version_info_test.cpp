// The version reader on real files: Windows DLLs and an EXE made by a resource compiler and
// linker, ELF objects, our own executable, files without a version block, and damaged
// copies of the fixtures.
#include "support/version_info.h"

#include "platform/app_paths.h"
#include "tests/testlib/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

std::string Fixture(const std::string& name)
{
    return nv::test::SourcePath("tests/support/fixtures/" + name);
}

std::vector<uint8_t> Bytes(const std::string& path)
{
    const std::string text = nv::test::ReadFile(path);
    return std::vector<uint8_t>(text.begin(), text.end());
}

void ExpectEmpty(const COXVersionInfo& info)
{
    EXPECT_FALSE(info.m_bValid);
    for (uint32_t word :
         {info.m_dwSignature, info.m_dwStrucVersion, info.m_dwFileVersionMS, info.m_dwFileVersionLS,
          info.m_dwProductVersionMS, info.m_dwProductVersionLS, info.m_dwFileFlagsMask,
          info.m_dwFileFlags, info.m_dwFileOS, info.m_dwFileType, info.m_dwFileSubtype,
          info.m_dwFileDateMS, info.m_dwFileDateLS, info.m_dwLanguageCountryID})
        EXPECT_EQ(word, 0u);
    for (const std::string* text :
         {&info.m_sLanguageCountry, &info.m_sComments, &info.m_sCompanyName,
          &info.m_sFileDescription, &info.m_sFileVersion, &info.m_sInternalName,
          &info.m_sLegalCopyright, &info.m_sLegalTrademarks, &info.m_sOriginalFileName,
          &info.m_sPrivateBuild, &info.m_sProductName, &info.m_sProductVersion,
          &info.m_sSpecialBuild})
        EXPECT_EQ(*text, "");
}

// What us_english.rc declares; pe32.dll and the ELF objects carry the same block.
void ExpectUsEnglish(const COXVersionInfo& info)
{
    EXPECT_TRUE(info.m_bValid);
    EXPECT_EQ(info.m_dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(info.m_dwStrucVersion, 0x00010000u);
    EXPECT_EQ(info.m_dwFileVersionMS, 0x00010005u);
    EXPECT_EQ(info.m_dwFileVersionLS, 0x00000007u);
    EXPECT_EQ(info.m_dwProductVersionMS, 0x00010005u);
    EXPECT_EQ(info.m_dwProductVersionLS, 0u);
    EXPECT_EQ(info.m_dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(info.m_dwFileFlags, 0x2u);
    EXPECT_EQ(info.m_dwFileOS, 0x40004u);
    EXPECT_EQ(info.m_dwFileType, 0x2u);
    EXPECT_EQ(info.m_dwFileSubtype, 0u);
    EXPECT_EQ(info.m_dwLanguageCountryID, 0x040904E4u);
    EXPECT_EQ(info.m_sLanguageCountry, "English (United States)");
    EXPECT_EQ(info.m_sComments, "Test library for the version reader");
    EXPECT_EQ(info.m_sCompanyName, "Halvorn Software LLC");
    EXPECT_EQ(info.m_sFileDescription, "Größe — map ©");
    EXPECT_EQ(info.m_sFileVersion, "1.05");
    EXPECT_EQ(info.m_sInternalName, "us_english");
    EXPECT_EQ(info.m_sLegalCopyright, "Copyright (C) 2026 Halvorn Software LLC");
    EXPECT_EQ(info.m_sLegalTrademarks, "Nulo Vandrel™");
    EXPECT_EQ(info.m_sOriginalFileName, "us_english.dll");
    EXPECT_EQ(info.m_sPrivateBuild, "private 7");
    EXPECT_EQ(info.m_sProductName, "Nulo Vandrel 🗺");
    EXPECT_EQ(info.m_sProductVersion, "1.05");
    EXPECT_EQ(info.m_sSpecialBuild, "special 7");
}

TEST(VersionInfoFiles, ReadsEveryFieldOfWindowsAndElfFiles)
{
    for (const char* name : {"us_english.dll", "pe32.dll", "elf64_le.o", "elf32_be.o"}) {
        SCOPED_TRACE(name);
        COXVersionInfo info;
        EXPECT_TRUE(info.ReadInfo(Fixture(name)));
        ExpectUsEnglish(info);
    }
}

TEST(VersionInfoFiles, StringsComeFromTheFirstTranslationsTable)
{
    // German is listed first; its table has a lower-case key and follows a US English one.
    COXVersionInfo info;
    ASSERT_TRUE(info.ReadInfo(Fixture("german.exe")));
    EXPECT_EQ(info.m_dwLanguageCountryID, 0x040704E4u);
    EXPECT_EQ(info.m_sLanguageCountry, "German (Germany)");
    EXPECT_EQ(info.m_dwFileVersionMS, 0x00020001u);
    EXPECT_EQ(info.m_dwFileType, 1u);
    EXPECT_EQ(info.m_sFileDescription, "Kartenwerkzeug für Übersichten");
    EXPECT_EQ(info.m_sFileVersion, "2.10");
    EXPECT_EQ(info.m_sProductName, "Nulo Vandrel");
    EXPECT_EQ(info.m_sCompanyName, "");
}

TEST(VersionInfoFiles, WithoutATranslationListTheUsEnglishTableIsRead)
{
    COXVersionInfo info;
    ASSERT_TRUE(info.ReadInfo(Fixture("no_translation.dll")));
    EXPECT_EQ(info.m_dwLanguageCountryID, 0u);
    EXPECT_EQ(info.m_sLanguageCountry, "");
    EXPECT_EQ(info.m_sFileVersion, "3.00");
    EXPECT_EQ(info.m_sProductName, "No translation");
    EXPECT_EQ(info.m_dwFileVersionMS, 0x00030000u);
}

TEST(VersionInfoFiles, AMissingStringLeavesOnlyItsMemberEmpty)
{
    COXVersionInfo info;
    ASSERT_TRUE(info.ReadInfo(Fixture("missing_string.dll")));
    EXPECT_TRUE(info.m_bValid);
    EXPECT_EQ(info.m_sCompanyName, "");
    EXPECT_EQ(info.m_sComments, "");
    EXPECT_EQ(info.m_sFileDescription, "Without a company");
    EXPECT_EQ(info.m_sFileVersion, "1.02");
    EXPECT_EQ(info.m_sProductName, "Missing string");
    EXPECT_EQ(info.m_dwLanguageCountryID, 0x040904E4u);
}

TEST(VersionInfoFiles, FilesWithoutAVersionBlockGiveFalseAndAnEmptyObject)
{
    nv::test::TempDir dir;
    const std::string text = dir.Write("notes.txt", "MZ is how this text starts, nothing more\n");
    const std::string empty = dir.Write("empty.exe", "");
    const std::string pipe = dir.File("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);

    const std::string files[] = {Fixture("no_version.dll"),
                                 Fixture("no_resources.dll"),
                                 Fixture("elf64_nobits.o"),
                                 text,
                                 empty,
                                 dir.File("missing.dll"),
                                 dir.Path(),
                                 pipe,
                                 ""};
    for (const std::string& path : files) {
        SCOPED_TRACE(path);
        COXVersionInfo info;
        // A failed read also clears what an earlier one left.
        ASSERT_TRUE(info.ReadInfo(Fixture("us_english.dll")));
        EXPECT_FALSE(info.ReadInfo(path));
        ExpectEmpty(info);
    }
}

TEST(VersionInfoFiles, AnElfFileIsReadOnlyFromTheVersionSection)
{
    std::vector<uint8_t> bytes = Bytes(Fixture("elf64_le.o"));
    const char name[] = ".nv_version";
    auto at = std::search(bytes.begin(), bytes.end(), name, name + sizeof name);
    ASSERT_NE(at, bytes.end());
    COXVersionInfo info;
    EXPECT_TRUE(info.ReadInfoFromBytes(bytes.data(), bytes.size()));
    at[sizeof name - 2] = 'X';
    EXPECT_FALSE(info.ReadInfoFromBytes(bytes.data(), bytes.size()));
    ExpectEmpty(info);
}

TEST(VersionInfoFiles, OurOwnExecutableCarriesTheProjectVersion)
{
    char expected[32];
    std::snprintf(expected, sizeof expected, "%d.%02d", NV_PROJECT_VERSION_MAJOR,
                  NV_PROJECT_VERSION_MINOR);
    COXVersionInfo info;
    ASSERT_TRUE(info.ReadInfo(nv::ApplicationPath()));
    EXPECT_EQ(info.m_sFileVersion, expected);
    EXPECT_EQ(info.m_sProductVersion, expected);
    EXPECT_EQ(info.m_dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(info.m_dwFileVersionMS,
              uint32_t(NV_PROJECT_VERSION_MAJOR << 16 | NV_PROJECT_VERSION_MINOR));
    EXPECT_EQ(info.m_dwLanguageCountryID, 0x040904E4u);
    EXPECT_EQ(info.m_sLanguageCountry, "English (United States)");
    EXPECT_EQ(info.m_sCompanyName, "Halvorn Software LLC");
    EXPECT_EQ(info.m_sFileDescription, "Nulo Vandrel");
    EXPECT_EQ(info.m_sInternalName, "Nulo_Vandrel");
    EXPECT_EQ(info.m_sLegalCopyright, "Copyright (C) 2026 Halvorn Software LLC");
    EXPECT_EQ(info.m_sOriginalFileName, "Nulo_Vandrel");
    EXPECT_EQ(info.m_sProductName, "Nulo Vandrel");
    EXPECT_EQ(info.m_sComments, "");
}

// Where the version block lies in a file: from its root node's start to its end.
void LocateBlock(const std::vector<uint8_t>& bytes, size_t& start, size_t& end)
{
    const char16_t key[] = u"VS_VERSION_INFO";
    std::vector<uint8_t> pattern;
    for (char16_t unit : key) {
        pattern.push_back(uint8_t(unit));
        pattern.push_back(uint8_t(unit >> 8));
    }
    auto at = std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end());
    ASSERT_NE(at, bytes.end());
    start = size_t(at - bytes.begin()) - 6;
    end = start + (bytes[start] | (bytes[start + 1] << 8));
}

TEST(VersionInfoDamage, TruncatedCopiesGiveFalse)
{
    for (const char* name : {"us_english.dll", "german.exe", "pe32.dll", "elf64_le.o"}) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> bytes = Bytes(Fixture(name));
        size_t start = 0;
        size_t end = 0;
        LocateBlock(bytes, start, end);
        COXVersionInfo whole;
        ASSERT_TRUE(whole.ReadInfoFromBytes(bytes.data(), bytes.size()));
        for (size_t length = 0; length < bytes.size(); ++length) {
            COXVersionInfo info;
            const bool read = info.ReadInfoFromBytes(bytes.data(), length);
            if (length < end) {
                ASSERT_FALSE(read) << "length " << length;
                ExpectEmpty(info);
            } else if (read) {
                // Cut only after the block: everything is still there.
                ASSERT_EQ(info.m_sFileVersion, whole.m_sFileVersion) << "length " << length;
            }
        }
    }
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
}
void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v)
{
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
uint32_t Get32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

TEST(VersionInfoDamage, HostileHeadersAndResourceDirectoriesGiveFalse)
{
    const std::vector<uint8_t> good = Bytes(Fixture("us_english.dll"));
    // Offsets in the fixture, found from its headers as a reader would.
    const size_t pe = Get32(good, 0x3C);
    const size_t optional = pe + 24;
    const size_t directories = optional + 112; // a 64-bit file
    const uint32_t resourceRva = Get32(good, directories + 16);
    const size_t sections = optional + (good[pe + 20] | (good[pe + 21] << 8));
    size_t resource = 0;
    for (size_t s = sections; s < sections + 40 * good[pe + 6]; s += 40)
        if (std::memcmp(&good[s], ".rsrc", 5) == 0)
            resource = Get32(good, s + 20) + (resourceRva - Get32(good, s + 12));
    ASSERT_NE(resource, 0u);
    // The type directory has one entry (type 16), pointing at the name directory, which
    // points at the language directory, which points at the data entry.
    const size_t nameDir = resource + (Get32(good, resource + 20) & 0x7FFFFFFF);
    const size_t languageDir = resource + (Get32(good, nameDir + 20) & 0x7FFFFFFF);
    const size_t dataEntry = resource + Get32(good, languageDir + 20);

    struct Damage
    {
        const char* what;
        size_t at;
        uint32_t value;
        int bytes;
    };
    const Damage damages[] = {
        {"PE header beyond the end", 0x3C, 0x7FFFFFF0, 4},
        {"PE header offset wraps", 0x3C, 0xFFFFFFFF, 4},
        {"PE signature broken", pe + 1, 'X', 1},
        {"unknown optional header", optional, 0x1234, 2},
        {"no resource directory entry", optional + 108, 2, 4},
        {"optional header too short", pe + 20, 100, 2},
        {"resource directory outside every section", directories + 16, 0x7FFF0000, 4},
        {"resource directory at the last byte of its section", directories + 16,
         resourceRva + 0x5FF, 4},
        {"65535 sections", pe + 6, 0xFFFF, 2},
        {"no sections", pe + 6, 0, 2},
        {"65535 named and 65535 id entries", resource + 12, 0xFFFFFFFF, 4},
        {"type entry is not a directory", resource + 20, 0x18, 4},
        {"name directory points at itself", nameDir + 20,
         0x80000000u | uint32_t(nameDir - resource), 4},
        {"language entry loops to the root", languageDir + 20, 0x80000000u, 4},
        {"directory offset outside the file", resource + 20, 0xFFFFFFFF, 4},
        {"data outside the file", dataEntry, 0x7FFFFF00, 4},
        {"data beyond its section", dataEntry + 4, 0x10000, 4},
        {"huge data size", dataEntry + 4, 0xFFFFFFFF, 4},
        {"empty data", dataEntry + 4, 0, 4},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        std::vector<uint8_t> bytes = good;
        if (d.bytes == 4)
            Put32(bytes, d.at, d.value);
        else if (d.bytes == 2)
            Put16(bytes, d.at, uint16_t(d.value));
        else
            bytes[d.at] = uint8_t(d.value);
        COXVersionInfo info;
        EXPECT_FALSE(info.ReadInfoFromBytes(bytes.data(), bytes.size()));
        ExpectEmpty(info);
    }
}

TEST(VersionInfoDamage, EveryCorruptedByteGivesAResultOrFalse)
{
    for (const char* name : {"us_english.dll", "elf32_be.o"}) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> good = Bytes(Fixture(name));
        for (uint8_t value : {uint8_t(0x00), uint8_t(0xFF), uint8_t(0x80)}) {
            for (size_t at = 0; at < good.size(); ++at) {
                std::vector<uint8_t> bytes = good;
                bytes[at] = value;
                COXVersionInfo info;
                if (!info.ReadInfoFromBytes(bytes.data(), bytes.size()))
                    ExpectEmpty(info);
                else
                    ASSERT_TRUE(info.m_bValid);
            }
        }
    }
}

} // namespace
