// Locale-independent number formatting and scanning.
#include "platform/c_numbers.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace nv {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c)
{
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool StartsWithNoCase(std::string_view text, size_t pos, std::string_view word)
{
    if (text.size() - pos < word.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i) {
        char c = text[pos + i];
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        if (c != word[i])
            return false;
    }
    return true;
}

// Skips white space and an optional sign; true when the sign is '-'.
bool SkipBlanksAndSign(std::string_view text, size_t& p)
{
    while (p < text.size() && IsBlank(text[p]))
        ++p;
    if (p < text.size() && (text[p] == '+' || text[p] == '-'))
        return text[p++] == '-';
    return false;
}

// Pads a formatted number to the requested width the way printf does: zeros go between the
// sign and the digits, blanks in front of everything.
std::string Pad(std::string body, bool negative, char signFlag, int width, bool zeroPad,
                bool finite)
{
    std::string sign;
    if (negative)
        sign = "-";
    else if (signFlag == '+' || signFlag == ' ')
        sign = std::string(1, signFlag);
    const int len = int(sign.size() + body.size());
    if (width > len) {
        if (zeroPad && finite)
            body.insert(0, size_t(width - len), '0');
        else
            sign.insert(0, size_t(width - len), ' ');
    }
    return sign + body;
}

} // namespace

std::string FormatFixed(double value, int decimals)
{
    FixedFormat f;
    f.decimals = decimals;
    return FormatFixed(value, f);
}

std::string FormatFixed(double value, const FixedFormat& format)
{
    const bool negative = std::signbit(value);
    const double magnitude = std::fabs(value);
    std::string body;
    const bool finite = std::isfinite(magnitude);
    if (std::isnan(magnitude)) {
        body = "nan";
    } else if (std::isinf(magnitude)) {
        body = "inf";
    } else {
        // 309 integer digits plus the decimals always fit.
        char buffer[400 + 64];
        int decimals = format.decimals < 0 ? 6 : (format.decimals > 60 ? 60 : format.decimals);
        auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                    std::chars_format::fixed, decimals);
        body.assign(buffer, result.ptr);
    }
    return Pad(std::move(body), negative, format.signFlag, format.width, format.zeroPad, finite);
}

std::string FormatShortest(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string FormatInt(long long value, int width, bool zeroPad, char signFlag)
{
    const bool negative = value < 0;
    // The magnitude of LLONG_MIN does not fit a long long; go through unsigned.
    unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(value)
                                            : static_cast<unsigned long long>(value);
    return Pad(std::to_string(magnitude), negative, signFlag, width, zeroPad, true);
}

bool ScanDouble(std::string_view text, size_t& pos, double& value)
{
    size_t p = pos;
    const bool negative = SkipBlanksAndSign(text, p);
    // One sign only: "--45" is no number (the conversion below would take a sign of its own).
    if (p < text.size() && (text[p] == '-' || text[p] == '+'))
        return false;
    const char* first = text.data() + p;
    const char* last = text.data() + text.size();
    double magnitude = 0.0;
    const char* end = nullptr;
    if (StartsWithNoCase(text, p, "0x") && p + 2 < text.size() &&
        (IsHexDigit(text[p + 2]) ||
         (text[p + 2] == '.' && p + 3 < text.size() && IsHexDigit(text[p + 3])))) {
        auto r = std::from_chars(first + 2, last, magnitude, std::chars_format::hex);
        if (r.ec == std::errc::result_out_of_range)
            magnitude = std::numeric_limits<double>::infinity();
        else if (r.ec != std::errc())
            return false;
        end = r.ptr;
    } else {
        auto r = std::from_chars(first, last, magnitude, std::chars_format::general);
        if (r.ec == std::errc::result_out_of_range) {
            // from_chars leaves the value alone on overflow and underflow; strtod gives
            // HUGE_VAL or 0. Decide by the exponent's sign.
            magnitude = std::numeric_limits<double>::infinity();
            for (const char* c = first; c < r.ptr; ++c)
                if ((*c == 'e' || *c == 'E') && c + 1 < r.ptr && c[1] == '-')
                    magnitude = 0.0;
        } else if (r.ec != std::errc()) {
            return false;
        }
        end = r.ptr;
    }
    value = negative ? -magnitude : magnitude;
    pos = size_t(end - text.data());
    return true;
}

bool ScanInt(std::string_view text, size_t& pos, long long& value)
{
    size_t p = pos;
    const bool negative = SkipBlanksAndSign(text, p);
    if (p >= text.size() || !IsDigit(text[p]))
        return false;
    unsigned long long magnitude = 0;
    bool overflow = false;
    const unsigned long long limit =
        negative ? 0ULL - static_cast<unsigned long long>(std::numeric_limits<long long>::min())
                 : static_cast<unsigned long long>(std::numeric_limits<long long>::max());
    while (p < text.size() && IsDigit(text[p])) {
        const unsigned digit = unsigned(text[p] - '0');
        if (magnitude > (limit - digit) / 10)
            overflow = true;
        else
            magnitude = magnitude * 10 + digit;
        ++p;
    }
    if (overflow)
        magnitude = limit;
    value = negative ? static_cast<long long>(0ULL - magnitude) : static_cast<long long>(magnitude);
    pos = p;
    return true;
}

double LeadingDouble(std::string_view text)
{
    size_t pos = 0;
    double value = 0.0;
    return ScanDouble(text, pos, value) ? value : 0.0;
}

} // namespace nv
