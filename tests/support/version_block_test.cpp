// The version block on its own: the writer that the build uses for our executable, the
// reader on blocks that resource compilers write in unusual ways or that are damaged, and
// the language names.
#include "support/version_block.h"
#include "support/version_block_writer.h"
#include "support/version_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

nv::VersionBlockContents Sample()
{
    nv::VersionBlockContents c;
    c.fileVersionMS = 0x00010006;
    c.fileVersionLS = 0x00020003;
    c.productVersionMS = 0x00010006;
    c.fileFlags = 1;
    c.fileOS = 0x40004;
    c.fileDateLS = 42;
    c.translations = {0x040904E4};
    c.strings = {{"CompanyName", "Halvorn Software LLC"},
                 {"FileVersion", "1.06"},
                 {"ProductName", "Nulo Vandrel"}};
    return c;
}

bool Read(const std::vector<uint8_t>& block, COXVersionInfo& info)
{
    return info.ReadInfoFromBlock(block.data(), block.size());
}

// Offset of the node keyed key (its header, six bytes before the key).
size_t NodeAt(const std::vector<uint8_t>& block, const std::u16string& key)
{
    std::vector<uint8_t> pattern;
    for (char16_t unit : key + u'\0') {
        pattern.push_back(uint8_t(unit));
        pattern.push_back(uint8_t(unit >> 8));
    }
    auto at = std::search(block.begin(), block.end(), pattern.begin(), pattern.end());
    EXPECT_NE(at, block.end());
    return size_t(at - block.begin()) - 6;
}

uint16_t Word(const std::vector<uint8_t>& b, size_t at)
{
    return uint16_t(b[at] | (b[at + 1] << 8));
}
void SetWord(std::vector<uint8_t>& b, size_t at, uint16_t v)
{
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

TEST(VersionBlock, WrittenBlocksReadBack)
{
    nv::VersionBlockContents c = Sample();
    c.strings.push_back({"Comments", "Größe 🗺 \xFF bad"});
    const std::vector<uint8_t> block = nv::BuildVersionBlock(c);
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(block.size() % 4, 0u);
    EXPECT_EQ(Word(block, 0), block.size());

    COXVersionInfo info;
    ASSERT_TRUE(Read(block, info));
    EXPECT_EQ(info.m_dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(info.m_dwStrucVersion, 0x00010000u);
    EXPECT_EQ(info.m_dwFileVersionMS, 0x00010006u);
    EXPECT_EQ(info.m_dwFileVersionLS, 0x00020003u);
    EXPECT_EQ(info.m_dwFileFlags, 1u);
    EXPECT_EQ(info.m_dwFileOS, 0x40004u);
    EXPECT_EQ(info.m_dwFileType, 1u);
    EXPECT_EQ(info.m_dwFileDateLS, 42u);
    EXPECT_EQ(info.m_dwLanguageCountryID, 0x040904E4u);
    EXPECT_EQ(info.m_sCompanyName, "Halvorn Software LLC");
    EXPECT_EQ(info.m_sFileVersion, "1.06");
    EXPECT_EQ(info.m_sProductName, "Nulo Vandrel");
    // A byte that is no UTF-8 is kept as a replacement character.
    EXPECT_EQ(info.m_sComments, "Größe 🗺 \uFFFD bad");
}

TEST(VersionBlock, OversizedContentsAreRefused)
{
    nv::VersionBlockContents c = Sample();
    c.strings.push_back({"Comments", std::string(40000, 'x')});
    EXPECT_TRUE(nv::BuildVersionBlock(c).empty());
}

TEST(VersionBlock, UnusualButReadableLayouts)
{
    const std::vector<uint8_t> good = nv::BuildVersionBlock(Sample());
    {
        SCOPED_TRACE("text length counted in bytes, not characters");
        std::vector<uint8_t> b = good;
        const size_t node = NodeAt(b, u"CompanyName");
        SetWord(b, node + 2, uint16_t(2 * Word(b, node + 2)));
        COXVersionInfo info;
        ASSERT_TRUE(Read(b, info));
        EXPECT_EQ(info.m_sCompanyName, "Halvorn Software LLC");
        EXPECT_EQ(info.m_sFileVersion, "1.06");
    }
    {
        SCOPED_TRACE("text written without its terminating NUL");
        std::vector<uint8_t> b = good;
        const size_t node = NodeAt(b, u"FileVersion");
        SetWord(b, node + 2, 4);
        COXVersionInfo info;
        ASSERT_TRUE(Read(b, info));
        EXPECT_EQ(info.m_sFileVersion, "1.06");
    }
    {
        SCOPED_TRACE("a fixed record shorter than thirteen words is left out");
        // The record starts at 40, after the header and the padded key; drop its last word.
        std::vector<uint8_t> b = good;
        b.erase(b.begin() + 40 + 48, b.begin() + 40 + 52);
        SetWord(b, 0, uint16_t(b.size()));
        SetWord(b, 2, 48);
        COXVersionInfo info;
        ASSERT_TRUE(Read(b, info));
        EXPECT_EQ(info.m_dwSignature, 0u);
        EXPECT_EQ(info.m_dwFileVersionMS, 0u);
        EXPECT_EQ(info.m_sFileVersion, "1.06");
    }
    {
        SCOPED_TRACE("an empty translation list names no translation");
        std::vector<uint8_t> b = good;
        SetWord(b, NodeAt(b, u"Translation") + 2, 0);
        COXVersionInfo info;
        ASSERT_TRUE(Read(b, info));
        EXPECT_EQ(info.m_dwLanguageCountryID, 0u);
        EXPECT_EQ(info.m_sFileVersion, "1.06");
    }
    {
        SCOPED_TRACE("a zero length after the last child is padding");
        std::vector<uint8_t> b = good;
        const size_t root = Word(b, 0);
        b.resize(root + 8, 0);
        SetWord(b, 0, uint16_t(root + 8));
        COXVersionInfo info;
        ASSERT_TRUE(Read(b, info));
        EXPECT_EQ(info.m_sFileVersion, "1.06");
    }
    {
        SCOPED_TRACE("a translation without its string table");
        nv::VersionBlockContents c = Sample();
        c.translations = {0x040704E4};
        c.stringTableKey = "040904E4";
        COXVersionInfo info;
        ASSERT_TRUE(Read(nv::BuildVersionBlock(c), info));
        EXPECT_TRUE(info.m_bValid);
        EXPECT_EQ(info.m_sLanguageCountry, "German (Germany)");
        EXPECT_EQ(info.m_sFileVersion, "");
    }
}

TEST(VersionBlock, DamagedBlocksGiveFalse)
{
    const std::vector<uint8_t> good = nv::BuildVersionBlock(Sample());
    struct Damage
    {
        const char* what;
        void (*apply)(std::vector<uint8_t>&);
    };
    const Damage damages[] = {
        {"cut short", [](std::vector<uint8_t>& b) { b.resize(b.size() - 1); }},
        {"root longer than the data", [](std::vector<uint8_t>& b) { SetWord(b, 0, 0xFFFF); }},
        {"root shorter than a header", [](std::vector<uint8_t>& b) { SetWord(b, 0, 5); }},
        {"root keyed otherwise", [](std::vector<uint8_t>& b) { b[6] = 'W'; }},
        {"fixed record beyond the root",
         [](std::vector<uint8_t>& b) { SetWord(b, 2, uint16_t(Word(b, 0))); }},
        {"child overruns its parent",
         [](std::vector<uint8_t>& b) {
             const size_t n = NodeAt(b, u"StringFileInfo");
             SetWord(b, n, uint16_t(Word(b, n) + 0x1000));
         }},
        {"child shorter than a header",
         [](std::vector<uint8_t>& b) { SetWord(b, NodeAt(b, u"CompanyName"), 3); }},
        {"key without its terminator",
         [](std::vector<uint8_t>& b) {
             const size_t n = NodeAt(b, u"ProductName");
             for (size_t i = n + 6; i < n + Word(b, n); i += 2)
                 SetWord(b, i, 'x');
         }},
        {"binary value longer than its node",
         [](std::vector<uint8_t>& b) { SetWord(b, NodeAt(b, u"Translation") + 2, 400); }},
        {"odd length cutting a key",
         [](std::vector<uint8_t>& b) {
             const size_t n = NodeAt(b, u"VarFileInfo");
             SetWord(b, n, 9);
         }},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        std::vector<uint8_t> b = good;
        d.apply(b);
        COXVersionInfo info;
        EXPECT_FALSE(Read(b, info));
        EXPECT_FALSE(info.m_bValid);
        EXPECT_EQ(info.m_sFileVersion, "");
        EXPECT_EQ(info.m_dwFileVersionMS, 0u);
    }
    COXVersionInfo info;
    EXPECT_FALSE(info.ReadInfoFromBlock(nullptr, 100));
    EXPECT_FALSE(info.ReadInfoFromBytes(nullptr, 100));
}

TEST(VersionBlock, Utf16Conversion)
{
    const uint8_t text[] = {'A',  0,    0xE9, 0,   0xAC, 0x20, 0x3D, 0xD8, 0xFA,
                            0xDD, 0x3D, 0xD8, 'B', 0,    0xFA, 0xDD, 'C'};
    // A, é, €, U+1F5FA, a lone high surrogate, B, a lone low surrogate; the odd byte is dropped.
    EXPECT_EQ(nv::Utf16LeToUtf8(text), "A\u00e9\u20ac\U0001F5FA\uFFFDB\uFFFD");
}

TEST(VersionLanguageNames, CommonIdsAndFallbacks)
{
    const std::pair<uint16_t, const char*> rows[] = {
        {0x0409, "English (United States)"},
        {0x0809, "English (United Kingdom)"},
        {0x0407, "German (Germany)"},
        {0x0804, "Chinese (Simplified, China)"},
        {0x0416, "Portuguese (Brazil)"},
        {0x0000, "Language Neutral"},
        {0x7C07, "German"}, // a country the table does not know
        {0x03FF, ""},       // a language it does not know
        {0x0C00, ""},
    };
    for (const auto& [id, name] : rows)
        EXPECT_EQ(VersionLanguageName(id), name) << std::hex << id;
}

} // namespace
