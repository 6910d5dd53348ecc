// PE resource walker and ELF section finder.
#include "support/executable_file.h"

#include "support/version_block.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nv {

bool MemoryByteSource::ReadAt(uint64_t offset, void* buffer, size_t count)
{
    if (offset > m_size || count > m_size - offset)
        return false;
    if (count > 0)
        std::memcpy(buffer, m_data + offset, count);
    return true;
}

FileByteSource::~FileByteSource()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FileByteSource::Open(const std::string& path)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_size = 0;
    // Non-blocking, so that opening a pipe does not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_size = uint64_t(st.st_size);
    return true;
}

bool FileByteSource::ReadAt(uint64_t offset, void* buffer, size_t count)
{
    if (m_fd < 0 || offset > m_size || count > m_size - offset)
        return false;
    auto* out = static_cast<uint8_t*>(buffer);
    while (count > 0) {
        const ssize_t n = ::pread(m_fd, out, count, off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false; // an error, or the file shrank under us
        out += n;
        offset += uint64_t(n);
        count -= size_t(n);
    }
    return true;
}

namespace {

uint16_t Le16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}
uint32_t Le32(const uint8_t* p)
{
    return uint32_t(Le16(p)) | (uint32_t(Le16(p + 2)) << 16);
}

// ---- PE

constexpr uint32_t kResourceTypeVersion = 16;
constexpr uint32_t kVersionResourceId = 1;
constexpr uint32_t kHighBit = 0x80000000u;
constexpr size_t kSectionHeaderBytes = 40;

struct PeSection
{
    uint32_t virtualAddress;
    uint32_t rawSize;
    uint32_t rawOffset;
};

struct ResourceEntry
{
    uint32_t name;   // an id, or with the high bit an offset to a name
    uint32_t offset; // with the high bit an offset to a directory, else to a data entry
};

class PeFile
{
public:
    explicit PeFile(ByteSource& file) : m_file(file) {}

    bool ReadHeaders();
    bool ReadVersionResource(std::vector<uint8_t>& block);

private:
    // File offset of the count bytes at rva, which must lie within one section's contents.
    bool RvaToOffset(uint32_t rva, uint32_t count, uint64_t& offset) const;
    bool ReadEntries(uint32_t directory, std::vector<ResourceEntry>& entries);

    ByteSource& m_file;
    std::vector<PeSection> m_sections;
    uint64_t m_resourceOffset = 0;
};

bool PeFile::ReadHeaders()
{
    uint8_t dos[64];
    if (!m_file.ReadAt(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z')
        return false;
    const uint64_t pe = Le32(dos + 0x3C);

    uint8_t head[24];
    if (!m_file.ReadAt(pe, head, sizeof head) || std::memcmp(head, "PE\0\0", 4) != 0)
        return false;
    const uint16_t sectionCount = Le16(head + 6);
    const uint16_t optionalSize = Le16(head + 20);
    const uint64_t optional = pe + sizeof head;

    uint8_t opt[256] = {};
    if (!m_file.ReadAt(optional, opt, std::min<size_t>(optionalSize, sizeof opt)))
        return false;
    size_t countAt = 0;
    switch (Le16(opt)) {
    case 0x10B: // 32-bit
        countAt = 92;
        break;
    case 0x20B: // 64-bit
        countAt = 108;
        break;
    default:
        return false;
    }
    // The resource directory is the third entry of the data directory.
    const size_t resourceAt = countAt + 4 + 2 * 8;
    if (optionalSize < resourceAt + 8 || Le32(opt + countAt) < 3)
        return false;
    const uint32_t resourceRva = Le32(opt + resourceAt);
    if (resourceRva == 0 || Le32(opt + resourceAt + 4) == 0)
        return false;

    m_sections.clear();
    uint64_t at = optional + optionalSize;
    for (uint16_t i = 0; i < sectionCount; ++i, at += kSectionHeaderBytes) {
        uint8_t s[kSectionHeaderBytes];
        if (!m_file.ReadAt(at, s, sizeof s))
            return false;
        m_sections.push_back({Le32(s + 12), Le32(s + 16), Le32(s + 20)});
    }
    // The directory header itself must be there; the entries are checked as they are read.
    return RvaToOffset(resourceRva, 16, m_resourceOffset);
}

bool PeFile::RvaToOffset(uint32_t rva, uint32_t count, uint64_t& offset) const
{
    for (const PeSection& s : m_sections) {
        if (rva < s.virtualAddress)
            continue;
        const uint64_t into = uint64_t(rva) - s.virtualAddress;
        if (into + count <= s.rawSize) {
            offset = uint64_t(s.rawOffset) + into;
            return offset + count <= m_file.Size();
        }
    }
    return false;
}

bool PeFile::ReadEntries(uint32_t directory, std::vector<ResourceEntry>& entries)
{
    entries.clear();
    uint8_t head[16];
    const uint64_t at = m_resourceOffset + directory;
    if (!m_file.ReadAt(at, head, sizeof head))
        return false;
    const size_t count = size_t(Le16(head + 12)) + Le16(head + 14);
    // At most 131070 entries of 8 bytes: read them in one go, once they are known to fit.
    if (at + 16 + 8 * uint64_t(count) > m_file.Size())
        return false;
    std::vector<uint8_t> raw(8 * count);
    if (!m_file.ReadAt(at + 16, raw.data(), raw.size()))
        return false;
    for (size_t i = 0; i < count; ++i)
        entries.push_back({Le32(&raw[8 * i]), Le32(&raw[8 * i + 4])});
    return true;
}

bool PeFile::ReadVersionResource(std::vector<uint8_t>& block)
{
    // Three levels: type, name, language. Each level is looked at once, so a directory
    // pointing back at itself cannot keep the walk going.
    std::vector<ResourceEntry> entries;
    if (!ReadEntries(0, entries))
        return false;
    auto type = std::find_if(entries.begin(), entries.end(),
                             [](const ResourceEntry& e) { return e.name == kResourceTypeVersion; });
    if (type == entries.end() || !(type->offset & kHighBit))
        return false;

    if (!ReadEntries(type->offset & ~kHighBit, entries) || entries.empty())
        return false;
    auto name = std::find_if(entries.begin(), entries.end(),
                             [](const ResourceEntry& e) { return e.name == kVersionResourceId; });
    if (name == entries.end())
        name = entries.begin();
    if (!(name->offset & kHighBit))
        return false;

    if (!ReadEntries(name->offset & ~kHighBit, entries) || entries.empty())
        return false;
    const ResourceEntry language = entries.front();
    if (language.offset & kHighBit)
        return false;

    uint8_t data[16];
    if (!m_file.ReadAt(m_resourceOffset + language.offset, data, sizeof data))
        return false;
    const uint32_t dataRva = Le32(data);
    const uint32_t size = Le32(data + 4);
    if (size == 0)
        return false;
    const uint32_t count = std::min<uint32_t>(size, kMaxVersionBlockBytes);
    uint64_t offset = 0;
    if (!RvaToOffset(dataRva, count, offset))
        return false;
    block.resize(count);
    return m_file.ReadAt(offset, block.data(), count);
}

// ---- ELF

constexpr uint32_t kSectionNoBits = 8;
constexpr uint16_t kExtendedIndex = 0xFFFF;
// More section headers than this are not looked at.
constexpr uint64_t kMaxSections = 1u << 20;

class ElfFile
{
public:
    explicit ElfFile(ByteSource& file) : m_file(file) {}

    bool Find(const std::string& name, size_t maxBytes, std::vector<uint8_t>& contents);

private:
    struct Section
    {
        uint32_t name;
        uint32_t type;
        uint64_t offset;
        uint64_t size;
        uint32_t link;
    };

    uint64_t Get(const uint8_t* p, size_t bytes) const
    {
        uint64_t v = 0;
        for (size_t i = 0; i < bytes; ++i)
            v |= uint64_t(p[m_bigEndian ? bytes - 1 - i : i]) << (8 * i);
        return v;
    }
    bool ReadSection(uint64_t index, Section& s);

    ByteSource& m_file;
    bool m_is64 = false;
    bool m_bigEndian = false;
    uint64_t m_tableOffset = 0;
    uint64_t m_entrySize = 0;
};

bool ElfFile::ReadSection(uint64_t index, Section& s)
{
    uint8_t h[64];
    const size_t bytes = m_is64 ? 64 : 40;
    if (index > (m_file.Size() - m_tableOffset) / m_entrySize ||
        !m_file.ReadAt(m_tableOffset + index * m_entrySize, h, bytes))
        return false;
    s.name = uint32_t(Get(h, 4));
    s.type = uint32_t(Get(h + 4, 4));
    if (m_is64) {
        s.offset = Get(h + 24, 8);
        s.size = Get(h + 32, 8);
        s.link = uint32_t(Get(h + 40, 4));
    } else {
        s.offset = Get(h + 16, 4);
        s.size = Get(h + 20, 4);
        s.link = uint32_t(Get(h + 24, 4));
    }
    return true;
}

bool ElfFile::Find(const std::string& name, size_t maxBytes, std::vector<uint8_t>& contents)
{
    uint8_t h[64];
    static const uint8_t kMagic[4] = {0x7F, 'E', 'L', 'F'};
    if (!m_file.ReadAt(0, h, 52) || std::memcmp(h, kMagic, sizeof kMagic) != 0)
        return false;
    if (h[4] != 1 && h[4] != 2)
        return false;
    if (h[5] != 1 && h[5] != 2)
        return false;
    m_is64 = h[4] == 2;
    m_bigEndian = h[5] == 2;
    if (m_is64 && !m_file.ReadAt(0, h, 64))
        return false;
    uint64_t count;
    uint16_t names;
    if (m_is64) {
        m_tableOffset = Get(h + 0x28, 8);
        m_entrySize = Get(h + 0x3A, 2);
        count = Get(h + 0x3C, 2);
        names = uint16_t(Get(h + 0x3E, 2));
    } else {
        m_tableOffset = Get(h + 0x20, 4);
        m_entrySize = Get(h + 0x2E, 2);
        count = Get(h + 0x30, 2);
        names = uint16_t(Get(h + 0x32, 2));
    }
    if (m_tableOffset == 0 || m_tableOffset >= m_file.Size() || m_entrySize < (m_is64 ? 64u : 40u))
        return false;

    // With very many sections the real count and the index of the names section are kept in
    // the first section header.
    Section first;
    if (!ReadSection(0, first))
        return false;
    if (count == 0)
        count = first.size;
    const uint64_t namesIndex = names == kExtendedIndex ? first.link : names;
    count = std::min(count, kMaxSections);
    Section strings;
    if (namesIndex >= count || !ReadSection(namesIndex, strings) ||
        strings.type == kSectionNoBits || strings.offset > m_file.Size())
        return false;

    std::vector<char> wanted(name.begin(), name.end());
    wanted.push_back('\0');
    std::vector<char> found(wanted.size());
    for (uint64_t i = 0; i < count; ++i) {
        Section s;
        if (!ReadSection(i, s))
            return false;
        if (s.name >= strings.size || strings.size - s.name < wanted.size() ||
            !m_file.ReadAt(strings.offset + s.name, found.data(), found.size()) || found != wanted)
            continue;
        if (s.type == kSectionNoBits || s.size == 0)
            return false;
        const size_t bytes = size_t(std::min<uint64_t>(s.size, maxBytes));
        contents.resize(bytes);
        return m_file.ReadAt(s.offset, contents.data(), bytes);
    }
    return false;
}

} // namespace

bool FindPeVersionResource(ByteSource& file, std::vector<uint8_t>& block)
{
    block.clear();
    PeFile pe(file);
    if (pe.ReadHeaders() && pe.ReadVersionResource(block))
        return true;
    block.clear();
    return false;
}

bool FindElfSection(ByteSource& file, const std::string& name, size_t maxBytes,
                    std::vector<uint8_t>& contents)
{
    contents.clear();
    ElfFile elf(file);
    if (elf.Find(name, maxBytes, contents))
        return true;
    contents.clear();
    return false;
}

bool FindVersionBlock(ByteSource& file, std::vector<uint8_t>& block)
{
    uint8_t magic[4];
    if (!file.ReadAt(0, magic, sizeof magic)) {
        block.clear();
        return false;
    }
    if (magic[0] == 'M' && magic[1] == 'Z')
        return FindPeVersionResource(file, block);
    return FindElfSection(file, kVersionSectionName, kMaxVersionBlockBytes, block);
}

} // namespace nv
