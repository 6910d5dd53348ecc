// Reads the version block of an executable: its fixed version record, its first translation
// with the language's display name, and twelve standard version strings. Windows executables
// and libraries carry the block in their resource section; our own executable carries the same
// block in a section of its ELF file, written by the build from the project's version.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class COXVersionInfo
{
public:
    COXVersionInfo();
    virtual ~COXVersionInfo();

    // Empties every member; m_bValid false.
    void Reset();
    // Fills the object from the file at path: a PE file (Windows executable or library) or
    // an ELF file carrying our version section. False, and the object reset, when the file
    // cannot be read, has no version block, or its block is malformed. Reads only the headers
    // it needs and the block itself (at most 64 KiB), whatever the file's size.
    bool ReadInfo(const std::string& path);
    // The same for a file's contents in memory.
    bool ReadInfoFromBytes(const void* data, size_t size);
    // Fills the object from a bare version block (the tree rooted at "VS_VERSION_INFO").
    // The fixed record is taken when the root's value holds all of it; the translation is the
    // first entry of "\VarFileInfo\Translation"; the strings come from the string table
    // keyed by the translation as eight upper-case hex digits (040904E4 without a
    // translation), and a string missing from it leaves its member empty.
    bool ReadInfoFromBlock(const void* data, size_t size);

    // The fixed version record: signature, structure version, file version high and low,
    // product version high and low, flags mask, flags, operating system, file type and
    // subtype, file date high and low.
    uint32_t m_dwSignature = 0;
    uint32_t m_dwStrucVersion = 0;
    uint32_t m_dwFileVersionMS = 0;
    uint32_t m_dwFileVersionLS = 0;
    uint32_t m_dwProductVersionMS = 0;
    uint32_t m_dwProductVersionLS = 0;
    uint32_t m_dwFileFlagsMask = 0;
    uint32_t m_dwFileFlags = 0;
    uint32_t m_dwFileOS = 0;
    uint32_t m_dwFileType = 0;
    uint32_t m_dwFileSubtype = 0;
    uint32_t m_dwFileDateMS = 0;
    uint32_t m_dwFileDateLS = 0;

    // Language identifier in the high 16 bits, code page in the low 16 bits; 0 without a
    // translation list.
    uint32_t m_dwLanguageCountryID = 0;
    std::string m_sLanguageCountry;

    std::string m_sComments;
    std::string m_sCompanyName;
    std::string m_sFileDescription;
    std::string m_sFileVersion;
    std::string m_sInternalName;
    std::string m_sLegalCopyright;
    std::string m_sLegalTrademarks;
    std::string m_sOriginalFileName;
    std::string m_sPrivateBuild;
    std::string m_sProductName;
    std::string m_sProductVersion;
    std::string m_sSpecialBuild;

    bool m_bValid = false;
};

// The English display name of a Windows language identifier: "English (United States)",
// "German (Germany)", "Language Neutral" for 0. The language's name alone ("German") when only
// its country is unknown; empty for an unknown language.
std::string VersionLanguageName(uint16_t languageId);
