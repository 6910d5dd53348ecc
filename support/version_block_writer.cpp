// Version block writer.
#include "support/version_block_writer.h"

#include "support/version_block.h"

#include <cstdio>

namespace nv {

namespace {

constexpr uint16_t kBinary = 0;
constexpr uint16_t kText = 1;
constexpr uint32_t kStructureVersion = 0x00010000;

class NodeWriter
{
public:
    // Starts a node on a 4-byte boundary; returns its offset for End.
    size_t Begin(const std::u16string& key, uint16_t valueLength, uint16_t type)
    {
        Pad();
        const size_t start = m_out.size();
        Word(0); // length, set by End
        Word(valueLength);
        Word(type);
        for (char16_t unit : key)
            Word(unit);
        Word(0);
        Pad();
        return start;
    }

    // A node's length runs to the end of its last child, without the padding after it.
    void End(size_t start)
    {
        const size_t length = m_out.size() - start;
        if (length > kMaxVersionBlockBytes) {
            m_tooLong = true;
            return;
        }
        m_out[start] = uint8_t(length);
        m_out[start + 1] = uint8_t(length >> 8);
    }

    void Word(uint16_t w)
    {
        m_out.push_back(uint8_t(w));
        m_out.push_back(uint8_t(w >> 8));
    }

    void DWord(uint32_t d)
    {
        Word(uint16_t(d));
        Word(uint16_t(d >> 16));
    }

    void Pad()
    {
        while (m_out.size() % 4 != 0)
            m_out.push_back(0);
    }

    bool TooLong() const { return m_tooLong || m_out.size() > kMaxVersionBlockBytes; }
    std::vector<uint8_t> Take() { return std::move(m_out); }

private:
    std::vector<uint8_t> m_out;
    bool m_tooLong = false;
};

} // namespace

std::vector<uint8_t> BuildVersionBlock(const VersionBlockContents& c)
{
    NodeWriter w;
    const size_t root = w.Begin(u"VS_VERSION_INFO", uint16_t(kFixedFileInfoBytes), kBinary);
    for (uint32_t word :
         {kFixedFileInfoSignature, kStructureVersion, c.fileVersionMS, c.fileVersionLS,
          c.productVersionMS, c.productVersionLS, c.fileFlagsMask, c.fileFlags, c.fileOS,
          c.fileType, c.fileSubtype, c.fileDateMS, c.fileDateLS})
        w.DWord(word);

    if (!c.strings.empty()) {
        std::string key = c.stringTableKey;
        if (key.empty()) {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "%08X",
                          unsigned(c.translations.empty() ? 0x040904E4u : c.translations[0]));
            key = buffer;
        }
        const size_t fileInfo = w.Begin(u"StringFileInfo", 0, kText);
        const size_t table = w.Begin(Utf8ToUtf16(key), 0, kText);
        for (const auto& [name, text] : c.strings) {
            const std::u16string value = Utf8ToUtf16(text);
            if (value.size() >= kMaxVersionBlockBytes / 2)
                return {};
            // Text lengths count the terminating NUL.
            const size_t node = w.Begin(Utf8ToUtf16(name), uint16_t(value.size() + 1), kText);
            for (char16_t unit : value)
                w.Word(unit);
            w.Word(0);
            w.End(node);
        }
        w.End(table);
        w.End(fileInfo);
    }

    if (!c.translations.empty()) {
        if (c.translations.size() > kMaxVersionBlockBytes / 4)
            return {};
        const size_t varInfo = w.Begin(u"VarFileInfo", 0, kText);
        const size_t var = w.Begin(u"Translation", uint16_t(4 * c.translations.size()), kBinary);
        for (uint32_t translation : c.translations) {
            w.Word(uint16_t(translation >> 16)); // language
            w.Word(uint16_t(translation));       // code page
        }
        w.End(var);
        w.End(varInfo);
    }
    w.End(root);
    if (w.TooLong())
        return {};
    return w.Take();
}

std::u16string Utf8ToUtf16(const std::string& text)
{
    std::u16string out;
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        uint32_t code = 0xFFFD;
        size_t extra = 0;
        uint32_t min = 0;
        if (lead < 0x80) {
            code = lead;
        } else if (lead >= 0xC2 && lead < 0xE0) {
            code = lead & 0x1F;
            extra = 1;
            min = 0x80;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            code = lead & 0x0F;
            extra = 2;
            min = 0x800;
        } else if (lead >= 0xF0 && lead < 0xF5) {
            code = lead & 0x07;
            extra = 3;
            min = 0x10000;
        }
        ++i;
        bool good = lead < 0x80 || extra > 0;
        for (size_t k = 0; good && k < extra; ++k, ++i) {
            const unsigned char next = i < n ? static_cast<unsigned char>(text[i]) : 0;
            if ((next & 0xC0) != 0x80) {
                good = false;
                break;
            }
            code = (code << 6) | (next & 0x3F);
        }
        if (!good || code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            code = 0xFFFD;
        if (code >= 0x10000) {
            code -= 0x10000;
            out += char16_t(0xD800 + (code >> 10));
            out += char16_t(0xDC00 + (code & 0x3FF));
        } else {
            out += char16_t(code);
        }
    }
    return out;
}

} // namespace nv
