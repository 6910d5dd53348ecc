// Version information reader: finds a file's version block and reads the fixed record, the
// first translation and the twelve standard strings out of it.
#include "support/version_info.h"

#include "support/executable_file.h"
#include "support/version_block.h"

#include <cstdio>
#include <span>
#include <vector>

namespace {

constexpr uint32_t kDefaultTranslation = 0x040904E4; // US English, code page 1252

uint32_t Le32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

bool ReadFrom(COXVersionInfo& info, nv::ByteSource& file)
{
    std::vector<uint8_t> block;
    if (!nv::FindVersionBlock(file, block))
        return false;
    return info.ReadInfoFromBlock(block.data(), block.size());
}

} // namespace

COXVersionInfo::COXVersionInfo() = default;
COXVersionInfo::~COXVersionInfo() = default;

void COXVersionInfo::Reset()
{
    for (uint32_t* word :
         {&m_dwSignature, &m_dwStrucVersion, &m_dwFileVersionMS, &m_dwFileVersionLS,
          &m_dwProductVersionMS, &m_dwProductVersionLS, &m_dwFileFlagsMask, &m_dwFileFlags,
          &m_dwFileOS, &m_dwFileType, &m_dwFileSubtype, &m_dwFileDateMS, &m_dwFileDateLS})
        *word = 0;
    m_dwLanguageCountryID = 0;
    m_sLanguageCountry.clear();
    for (std::string* text :
         {&m_sComments, &m_sCompanyName, &m_sFileDescription, &m_sFileVersion, &m_sInternalName,
          &m_sLegalCopyright, &m_sLegalTrademarks, &m_sOriginalFileName, &m_sPrivateBuild,
          &m_sProductName, &m_sProductVersion, &m_sSpecialBuild})
        text->clear();
    m_bValid = false;
}

bool COXVersionInfo::ReadInfo(const std::string& path)
{
    Reset();
    nv::FileByteSource file;
    return file.Open(path) && ReadFrom(*this, file);
}

bool COXVersionInfo::ReadInfoFromBytes(const void* data, size_t size)
{
    Reset();
    nv::MemoryByteSource bytes(data, size);
    return ReadFrom(*this, bytes);
}

bool COXVersionInfo::ReadInfoFromBlock(const void* data, size_t size)
{
    Reset();
    if (!data)
        return false;
    const std::span<const uint8_t> block(static_cast<const uint8_t*>(data), size);
    if (!nv::IsVersionBlock(block))
        return false;
    // A node that overruns its parent spoils the whole block, not only the value behind it.
    bool malformed = false;
    auto query = [&](const std::string& path, nv::VersionValue& value) {
        const nv::VersionQueryResult result = nv::QueryVersionValue(block, path, value);
        malformed = malformed || result == nv::VersionQueryResult::malformed;
        return result == nv::VersionQueryResult::found;
    };

    nv::VersionValue value;
    if (query("\\", value)) {
        const std::span<const uint8_t> fixed = nv::VersionValueBytes(value);
        // A record shorter than the thirteen words is not taken at all.
        if (fixed.size() >= nv::kFixedFileInfoBytes) {
            uint32_t* words[] = {&m_dwSignature,     &m_dwStrucVersion,     &m_dwFileVersionMS,
                                 &m_dwFileVersionLS, &m_dwProductVersionMS, &m_dwProductVersionLS,
                                 &m_dwFileFlagsMask, &m_dwFileFlags,        &m_dwFileOS,
                                 &m_dwFileType,      &m_dwFileSubtype,      &m_dwFileDateMS,
                                 &m_dwFileDateLS};
            for (size_t i = 0; i < std::size(words); ++i)
                *words[i] = Le32(fixed.data() + 4 * i);
        }
    }

    if (query("\\VarFileInfo\\Translation", value)) {
        const std::span<const uint8_t> list = nv::VersionValueBytes(value);
        // An empty list names no translation.
        if (list.size() >= 4) {
            const uint16_t language = uint16_t(list[0] | (list[1] << 8));
            const uint16_t codePage = uint16_t(list[2] | (list[3] << 8));
            m_dwLanguageCountryID = (uint32_t(language) << 16) | codePage;
            m_sLanguageCountry = VersionLanguageName(language);
        }
    }

    char key[16];
    std::snprintf(key, sizeof key, "%08X",
                  unsigned(m_dwLanguageCountryID ? m_dwLanguageCountryID : kDefaultTranslation));
    const std::string prefix = std::string("\\StringFileInfo\\") + key + "\\";
    const std::pair<const char*, std::string*> strings[] = {
        {"Comments", &m_sComments},
        {"CompanyName", &m_sCompanyName},
        {"FileDescription", &m_sFileDescription},
        {"FileVersion", &m_sFileVersion},
        {"InternalName", &m_sInternalName},
        {"LegalCopyright", &m_sLegalCopyright},
        {"LegalTrademarks", &m_sLegalTrademarks},
        {"OriginalFilename", &m_sOriginalFileName},
        {"PrivateBuild", &m_sPrivateBuild},
        {"ProductName", &m_sProductName},
        {"ProductVersion", &m_sProductVersion},
        {"SpecialBuild", &m_sSpecialBuild},
    };
    for (const auto& [name, member] : strings)
        if (query(prefix + name, value))
            *member = nv::VersionValueText(value);

    if (malformed) {
        Reset();
        return false;
    }
    m_bValid = true;
    return true;
}
