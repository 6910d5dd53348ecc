// Input masks of the masked cell editor. A mask is a string of placeholders, literal
// characters and backslash escapes:
//   0 a digit            9 a digit or a space      # a digit, a space, '+' or '-'
//   L a letter           ? a letter or a space     A a letter or a digit
//   a a letter, a digit or a space                 & and C any printable character
// Any other character is a literal; a backslash makes the next character a literal. Positions
// are characters (code points), and texts are UTF-8.
#pragma once

#include <string>
#include <string_view>

class TableMask
{
public:
    // Marks a literal position in the placeholder string, and a placeholder position in the
    // literal string.
    static constexpr char32_t kLiteralMarker = 0;
    static constexpr char32_t kPlaceholderMarker = 0;

    TableMask() = default;
    explicit TableMask(std::string_view mask) { Set(mask); }

    // Installs a mask; an empty one turns masking off.
    void Set(std::string_view mask);
    bool IsMasked() const { return m_masked; }
    // The number of positions, which is also the longest text the mask allows.
    size_t Length() const { return m_placeholders.size(); }
    const std::u32string& Placeholders() const { return m_placeholders; }
    const std::u32string& Literals() const { return m_literals; }
    bool IsLiteralAt(size_t position) const
    {
        return position < Length() && m_placeholders[position] == kLiteralMarker;
    }

    // Whether ch fits the placeholder character.
    static bool Fits(char32_t placeholder, char32_t ch);
    static bool IsPlaceholder(char32_t ch);

    // Rebuilds text from the mask: literal positions take their literal (consuming it when the
    // text has it there), each placeholder takes the next character of the text that fits it,
    // skipping the ones that do not; stops when the text or the mask runs out. Unmasked: text.
    std::string Filter(std::string_view text) const;

    struct Typing
    {
        bool accepted = false;
        std::string text; // the filtered text after the keystroke
        int caret = 0;    // in characters
    };
    // Types ch at the caret over the selection [selStart, selEnd). Characters that are not
    // printable pass unchanged (accepted, text as it was). Otherwise the selection is deleted;
    // a caret at or past the end of the mask refuses; a caret on literal positions types those
    // literals first; then ch is accepted only if it fits the placeholder at the caret.
    Typing Type(std::string_view text, int selStart, int selEnd, char32_t ch) const;

private:
    bool m_masked = false;
    std::u32string m_placeholders;
    std::u32string m_literals;
};
