// An input mask and characters typed under it: the text never outgrows the mask, every
// placeholder position holds a character that fits, and filtering is idempotent.
#include "grid/input_mask.h"

#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

size_t Characters(const std::string& s)
{
    return size_t(QString::fromUtf8(s.data(), qsizetype(s.size())).toUcs4().size());
}

void Check(const TableMask& mask, const std::string& text)
{
    if (Characters(text) > mask.Length())
        __builtin_trap();
    if (mask.Filter(text) != text)
        __builtin_trap();
    const QList<uint> chars = QString::fromUtf8(text.data(), qsizetype(text.size())).toUcs4();
    for (qsizetype i = 0; i < chars.size(); ++i) {
        if (mask.IsLiteralAt(size_t(i))) {
            if (char32_t(chars[i]) != mask.Literals()[size_t(i)])
                __builtin_trap();
        } else if (!TableMask::Fits(mask.Placeholders()[size_t(i)], char32_t(chars[i]))) {
            __builtin_trap();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t split = 1 + data[0] % (size - 1);
    const std::string maskText(reinterpret_cast<const char*>(data + 1), split - 1);
    const std::string typed(reinterpret_cast<const char*>(data + split), size - split);
    TableMask mask(maskText);
    if (!mask.IsMasked())
        return 0;
    std::string text = mask.Filter(typed);
    Check(mask, text);
    const QList<uint> chars = QString::fromUtf8(typed.data(), qsizetype(typed.size())).toUcs4();
    int caret = 0;
    for (qsizetype i = 0; i < chars.size() && i < 256; ++i) {
        const char32_t ch = char32_t(chars[i]);
        const int length = int(Characters(text));
        const int start = ch % 3 == 0 ? 0 : std::min(caret, length);
        const int end = ch % 5 == 0 ? length : start;
        const TableMask::Typing t = mask.Type(text, start, end, ch);
        if (t.caret < 0 || size_t(t.caret) > Characters(t.text))
            __builtin_trap();
        if (t.accepted && ch >= 0x20) {
            text = t.text;
            caret = t.caret;
        }
        Check(mask, text);
    }
    return 0;
}
