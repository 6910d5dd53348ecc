// The version block: a tree of nodes as Windows lays out version resources. Each node is a
// header of three 16-bit words (total length, value length, type), a NUL-terminated UTF-16
// key, then its value and its child nodes, each starting on a 4-byte boundary counted from
// the start of the block. The root is keyed "VS_VERSION_INFO" and holds the fixed version
// record; its children "StringFileInfo" and "VarFileInfo" hold the string tables and the
// translation list. All multi-byte values are little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace nv {

// The ELF section in which the build places our own executable's version block.
inline constexpr char kVersionSectionName[] = ".nv_version";
// A block's length is a 16-bit word, so no block is longer than this.
inline constexpr size_t kMaxVersionBlockBytes = 0xFFFF;
// The fixed version record: thirteen 32-bit words, the first of them this signature.
inline constexpr size_t kFixedFileInfoBytes = 52;
inline constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BD;

enum class VersionQueryResult { found, missing, malformed };

// A node's value as it lies in the block.
struct VersionValue
{
    std::span<const uint8_t> area; // from the value's start to the end of its node
    uint16_t declaredLength = 0;   // bytes for binary values, UTF-16 units for text
    uint16_t type = 0;             // 0 binary, 1 text
};

// True when the block starts with a well-formed root node keyed "VS_VERSION_INFO" that lies
// wholly inside it.
bool IsVersionBlock(std::span<const uint8_t> block);

// Looks up a node by its path of keys separated by backslashes, for example
// "\StringFileInfo\040904E4\FileVersion"; "\" alone names the root. Keys compare without regard to
// ASCII letter case, and the first child with a matching key is taken. A node on the way that
// overruns its parent, has no terminated key, or declares a binary value longer than itself makes
// the result malformed; nothing outside the block is ever read.
VersionQueryResult QueryVersionValue(std::span<const uint8_t> block, std::string_view path,
                                     VersionValue& value);

// The value's bytes: the declared length for binary values (which always fits), twice the
// declared length for text, cut at the end of the node.
std::span<const uint8_t> VersionValueBytes(const VersionValue& value);

// The value read as text and converted to UTF-8: at most the declared number of UTF-16
// units, ending at the first NUL and at the end of the node (some writers count text
// values in bytes).
std::string VersionValueText(const VersionValue& value);

// Converts little-endian UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD. An odd
// trailing byte is ignored.
std::string Utf16LeToUtf8(std::span<const uint8_t> bytes);

} // namespace nv
