// The mask language of the masked editor.
#include "grid/input_mask.h"

#include <QChar>
#include <QList>
#include <QString>

#include <algorithm>

namespace {

std::u32string ToUtf32(std::string_view s)
{
    const QList<uint> ucs4 = QString::fromUtf8(s.data(), qsizetype(s.size())).toUcs4();
    return std::u32string(ucs4.begin(), ucs4.end());
}

std::string ToUtf8(const std::u32string& s)
{
    return QString::fromUcs4(s.data(), qsizetype(s.size())).toStdString();
}

bool IsPrintable(char32_t ch)
{
    return ch >= 0x20 && ch != 0x7F && QChar::isPrint(ch);
}

} // namespace

bool TableMask::IsPlaceholder(char32_t ch)
{
    return std::u32string_view(U"09#L?Aa&C").find(ch) != std::u32string_view::npos;
}

bool TableMask::Fits(char32_t placeholder, char32_t ch)
{
    const bool digit = ch >= '0' && ch <= '9';
    const bool letter = QChar::isLetter(ch);
    const bool space = ch == ' ';
    switch (placeholder) {
    case '0':
        return digit;
    case '9':
        return digit || space;
    case '#':
        return digit || space || ch == '+' || ch == '-';
    case 'L':
        return letter;
    case '?':
        return letter || space;
    case 'A':
        return letter || digit;
    case 'a':
        return letter || digit || space;
    case '&':
    case 'C':
        return IsPrintable(ch);
    default:
        return false;
    }
}

void TableMask::Set(std::string_view mask)
{
    m_placeholders.clear();
    m_literals.clear();
    const std::u32string m = ToUtf32(mask);
    for (size_t i = 0; i < m.size(); ++i) {
        char32_t ch = m[i];
        bool escaped = false;
        if (ch == '\\' && i + 1 < m.size()) {
            ch = m[++i];
            escaped = true;
        }
        if (!escaped && IsPlaceholder(ch)) {
            m_placeholders += ch;
            m_literals += kPlaceholderMarker;
        } else {
            m_placeholders += kLiteralMarker;
            m_literals += ch;
        }
    }
    m_masked = !m_placeholders.empty();
}

std::string TableMask::Filter(std::string_view text) const
{
    if (!m_masked)
        return std::string(text);
    const std::u32string t = ToUtf32(text);
    std::u32string out;
    size_t ti = 0;
    for (size_t pos = 0; pos < Length() && ti < t.size(); ++pos) {
        if (IsLiteralAt(pos)) {
            out += m_literals[pos];
            if (t[ti] == m_literals[pos])
                ++ti;
            continue;
        }
        while (ti < t.size() && !Fits(m_placeholders[pos], t[ti]))
            ++ti;
        if (ti >= t.size())
            break;
        out += t[ti++];
    }
    return ToUtf8(out);
}

TableMask::Typing TableMask::Type(std::string_view text, int selStart, int selEnd,
                                  char32_t ch) const
{
    Typing result;
    std::u32string t = ToUtf32(text);
    const int size = int(t.size());
    selStart = std::clamp(selStart, 0, size);
    selEnd = std::clamp(selEnd, selStart, size);
    if (!IsPrintable(ch) || !m_masked) {
        result.accepted = true;
        result.text = std::string(text);
        result.caret = selStart;
        return result;
    }
    t.erase(size_t(selStart), size_t(selEnd - selStart));
    size_t caret = size_t(selStart);
    auto finish = [&](bool accepted) {
        result.accepted = accepted;
        result.text = Filter(ToUtf8(t));
        result.caret = int(std::min(caret, ToUtf32(result.text).size()));
        return result;
    };
    if (caret >= Length())
        return finish(false);
    // Every literal at the caret is typed first (one after the other, so that a character
    // typed before two literals lands after both instead of between them).
    while (IsLiteralAt(caret)) {
        if (caret >= t.size() || t[caret] != m_literals[caret])
            t.insert(caret, 1, m_literals[caret]);
        ++caret;
        if (caret >= Length())
            return finish(false);
    }
    if (!Fits(m_placeholders[caret], ch))
        return finish(false);
    t.insert(caret, 1, ch);
    ++caret;
    return finish(true);
}
