// Writes a version block in the layout that Windows resource compilers produce: the root
// with the fixed version record, a string table under "StringFileInfo" and the translation
// list under "VarFileInfo". The build uses it to give our own executable its version block.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace nv {

struct VersionBlockContents
{
    // The fixed record's words after the signature and structure version, which the writer
    // fills in itself.
    uint32_t fileVersionMS = 0;
    uint32_t fileVersionLS = 0;
    uint32_t productVersionMS = 0;
    uint32_t productVersionLS = 0;
    uint32_t fileFlagsMask = 0x3F;
    uint32_t fileFlags = 0;
    uint32_t fileOS = 0;
    uint32_t fileType = 1; // an application
    uint32_t fileSubtype = 0;
    uint32_t fileDateMS = 0;
    uint32_t fileDateLS = 0;

    // Language in the high 16 bits, code page in the low 16 bits. None leaves out the
    // "VarFileInfo" node.
    std::vector<uint32_t> translations;
    // The string table's key; empty takes the first translation as eight hex digits
    // (040904E4 when there is none).
    std::string stringTableKey;
    // Names and values in UTF-8, in the order they are written. None leaves out the
    // "StringFileInfo" node.
    std::vector<std::pair<std::string, std::string>> strings;
};

// The block, or an empty vector when it would be longer than a block can be.
std::vector<uint8_t> BuildVersionBlock(const VersionBlockContents& contents);

// Converts UTF-8 to UTF-16 code units; a malformed sequence becomes U+FFFD.
std::u16string Utf8ToUtf16(const std::string& text);

} // namespace nv
