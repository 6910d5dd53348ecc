// Numbers as text in the C notation ('.' as the decimal point), whatever the process locale.
// Every file format and every coordinate text of the program goes through these helpers,
// never through the locale-dependent printf/strtod family.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace nv {

// printf("%.*f", decimals, value), without grouping and always with '.'.
std::string FormatFixed(double value, int decimals);

// printf("%*.*f") with the flags of a conversion: a minimum field width, zero padding,
// and a blank or '+' in front of non-negative values.
struct FixedFormat
{
    int width = 0;
    int decimals = 6;
    bool zeroPad = false;
    char signFlag = 0; // 0, ' ' or '+'
};
std::string FormatFixed(double value, const FixedFormat& format);

// The shortest text that reads back as the same double: "0.1", "40.125", "-105", "1e-07".
std::string FormatShortest(double value);

// printf("%*d") with the same flags, for integers.
std::string FormatInt(long long value, int width = 0, bool zeroPad = false, char signFlag = 0);

// Reads a floating-point number the way scanf's "%lf" does: leading white space is skipped,
// then an optional sign, then the longest prefix that forms a decimal (or 0x hexadecimal)
// number, "inf" or "nan". On success advances pos past the number and returns true.
bool ScanDouble(std::string_view text, size_t& pos, double& value);

// Reads a decimal integer the way scanf's "%d" does (leading white space, optional sign,
// digits). Values beyond the range of long long saturate.
bool ScanInt(std::string_view text, size_t& pos, long long& value);

// atof: the number at the start of text after leading blanks, 0.0 when there is none.
double LeadingDouble(std::string_view text);

} // namespace nv
