// Walks the node tree of a version block. Every offset is checked against the end of the
// enclosing node before it is used, and every step moves forward, so a hostile block can
// neither make the walk read outside it nor keep it going round.
#include "support/version_block.h"

#include <algorithm>

namespace nv {

namespace {

constexpr size_t kHeaderBytes = 6;
constexpr uint16_t kTextType = 1;

uint16_t Word(std::span<const uint8_t> block, size_t offset)
{
    return uint16_t(block[offset] | (block[offset + 1] << 8));
}

size_t Align4(size_t offset)
{
    return (offset + 3) & ~size_t(3);
}

struct Node
{
    size_t start = 0;
    size_t end = 0;
    size_t keyStart = 0;
    size_t keyUnits = 0;
    size_t valueStart = 0;
    size_t childrenStart = 0;
    uint16_t valueLength = 0;
    uint16_t type = 0;
};

// Reads the node at offset, which must end by limit.
bool ParseNode(std::span<const uint8_t> block, size_t offset, size_t limit, Node& node)
{
    if (limit > block.size() || offset > limit || limit - offset < kHeaderBytes)
        return false;
    const size_t length = Word(block, offset);
    if (length < kHeaderBytes || length > limit - offset)
        return false;
    node.start = offset;
    node.end = offset + length;
    node.valueLength = Word(block, offset + 2);
    node.type = Word(block, offset + 4);
    node.keyStart = offset + kHeaderBytes;

    size_t pos = node.keyStart;
    for (;;) {
        if (node.end - pos < 2)
            return false; // key not terminated inside the node
        if (Word(block, pos) == 0)
            break;
        pos += 2;
    }
    node.keyUnits = (pos - node.keyStart) / 2;
    node.valueStart = std::min(Align4(pos + 2), node.end);

    const size_t room = node.end - node.valueStart;
    size_t valueBytes = node.valueLength;
    if (node.type == kTextType)
        valueBytes = std::min(room, valueBytes * 2);
    else if (valueBytes > room)
        return false;
    node.childrenStart = std::min(Align4(node.valueStart + valueBytes), node.end);
    return true;
}

bool KeyEquals(std::span<const uint8_t> block, const Node& node, std::string_view name)
{
    if (node.keyUnits != name.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        uint16_t unit = Word(block, node.keyStart + 2 * i);
        char c = name[i];
        if (unit >= 'a' && unit <= 'z')
            unit = uint16_t(unit - 'a' + 'A');
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        if (unit != uint16_t(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

// Finds the first child of parent keyed name.
VersionQueryResult FindChild(std::span<const uint8_t> block, const Node& parent,
                             std::string_view name, Node& child)
{
    size_t offset = parent.childrenStart;
    while (offset < parent.end && parent.end - offset >= kHeaderBytes) {
        // A zero length is padding after the last child.
        if (Word(block, offset) == 0)
            break;
        if (!ParseNode(block, offset, parent.end, child))
            return VersionQueryResult::malformed;
        if (KeyEquals(block, child, name))
            return VersionQueryResult::found;
        offset = Align4(child.end);
    }
    return VersionQueryResult::missing;
}

bool ParseRoot(std::span<const uint8_t> block, Node& root)
{
    const size_t limit = std::min(block.size(), kMaxVersionBlockBytes);
    return ParseNode(block, 0, limit, root) && KeyEquals(block, root, "VS_VERSION_INFO");
}

} // namespace

bool IsVersionBlock(std::span<const uint8_t> block)
{
    Node root;
    return ParseRoot(block, root);
}

VersionQueryResult QueryVersionValue(std::span<const uint8_t> block, std::string_view path,
                                     VersionValue& value)
{
    value = VersionValue();
    Node node;
    if (!ParseRoot(block, node))
        return VersionQueryResult::malformed;

    size_t pos = 0;
    while (pos < path.size()) {
        if (path[pos] == '\\') {
            ++pos;
            continue;
        }
        const size_t next = std::min(path.find('\\', pos), path.size());
        Node child;
        const VersionQueryResult result =
            FindChild(block, node, path.substr(pos, next - pos), child);
        if (result != VersionQueryResult::found)
            return result;
        node = child;
        pos = next;
    }
    value.area = block.subspan(node.valueStart, node.end - node.valueStart);
    value.declaredLength = node.valueLength;
    value.type = node.type;
    return VersionQueryResult::found;
}

std::span<const uint8_t> VersionValueBytes(const VersionValue& value)
{
    size_t bytes = value.declaredLength;
    if (value.type == kTextType)
        bytes *= 2;
    return value.area.first(std::min(bytes, value.area.size()));
}

std::string VersionValueText(const VersionValue& value)
{
    const size_t units = std::min<size_t>(value.declaredLength, value.area.size() / 2);
    size_t length = 0;
    while (length < units && Word(value.area, 2 * length) != 0)
        ++length;
    return Utf16LeToUtf8(value.area.first(2 * length));
}

std::string Utf16LeToUtf8(std::span<const uint8_t> bytes)
{
    const size_t units = bytes.size() / 2;
    std::string out;
    out.reserve(units);
    for (size_t i = 0; i < units; ++i) {
        uint32_t code = Word(bytes, 2 * i);
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < units) {
            const uint32_t low = Word(bytes, 2 * (i + 1));
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (code >= 0xD800 && code <= 0xDFFF)
            code = 0xFFFD;
        if (code < 0x80) {
            out += char(code);
        } else if (code < 0x800) {
            out += char(0xC0 | (code >> 6));
            out += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += char(0xE0 | (code >> 12));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        } else {
            out += char(0xF0 | (code >> 18));
            out += char(0x80 | ((code >> 12) & 0x3F));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        }
    }
    return out;
}

} // namespace nv
