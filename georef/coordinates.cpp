// Coordinate notations.
#include "georef/coordinates.h"

#include "platform/c_numbers.h"

#include <climits>
#include <cmath>

namespace {

using nv::FixedFormat;
using nv::FormatFixed;
using nv::FormatInt;

// A small formatted-input reader over the upper-cased text, with the conversions the
// notations need: "%c" takes the very first character, a blank in the pattern skips any run
// of white space, "%d" and "%lf" read numbers and stop at the first character that does not
// fit.
class Scanner
{
public:
    explicit Scanner(const std::string& text) : m_text(text) {}

    bool Char(char& c)
    {
        if (m_pos >= m_text.size())
            return false;
        c = m_text[m_pos++];
        return true;
    }
    void Blanks()
    {
        while (m_pos < m_text.size() &&
               (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' || m_text[m_pos] == '\n' ||
                m_text[m_pos] == '\r' || m_text[m_pos] == '\v' || m_text[m_pos] == '\f'))
            ++m_pos;
    }
    bool Int(int& value)
    {
        long long v = 0;
        if (!nv::ScanInt(m_text, m_pos, v))
            return false;
        value = v > INT_MAX ? INT_MAX : (v < INT_MIN ? INT_MIN : int(v));
        return true;
    }
    bool Double(double& value) { return nv::ScanDouble(m_text, m_pos, value); }

private:
    const std::string& m_text;
    size_t m_pos = 0;
};

// The value of c as a hemisphere letter: +1 for N or E, -1 for S or W, 0 when it is not a
// letter of the right axis.
int HemisphereSign(char c, bool longitude)
{
    if (longitude)
        return c == 'E' ? 1 : (c == 'W' ? -1 : 0);
    return c == 'N' ? 1 : (c == 'S' ? -1 : 0);
}

constexpr double kOneSixtieth = 1.0 / 60.0;
constexpr double kOne3600th = 1.0 / 3600.0;

bool ParseFields(const std::string& text, bool longitude, double& value)
{
    int fields = 1;
    for (size_t i = 1; i < text.size(); ++i)
        if (text[i] == ' ')
            ++fields;

    char letter = 0;
    int deg = 0, min = 0, sec = 0;
    double number = 0.0;
    const bool leadingMinus = !text.empty() && text[0] == '-';

    switch (fields) {
    case 4: {
        Scanner s(text);
        if (!(s.Char(letter) && (s.Blanks(), s.Int(deg)) && (s.Blanks(), s.Int(min)) &&
              (s.Blanks(), s.Int(sec))))
            return false;
        const int sign = HemisphereSign(letter, longitude);
        if (sign == 0)
            return false;
        value = sign * (double(deg) + double(min) * kOneSixtieth + double(sec) * kOne3600th);
        return true;
    }
    case 3: {
        Scanner s(text);
        if (s.Char(letter) && (s.Blanks(), s.Int(deg)) && (s.Blanks(), s.Double(number))) {
            const int sign = HemisphereSign(letter, longitude);
            if (sign != 0) {
                value = sign * (double(deg) + number * kOneSixtieth);
                return true;
            }
        }
        Scanner n(text);
        if (!(n.Int(deg) && (n.Blanks(), n.Int(min)) && (n.Blanks(), n.Int(sec))))
            return false;
        double v = std::fabs(double(deg)) + double(sec) * kOne3600th + double(min) * kOneSixtieth;
        value = (deg < 0 || leadingMinus) ? -v : v;
        return true;
    }
    case 2: {
        Scanner s(text);
        if (s.Char(letter) && (s.Blanks(), s.Double(number))) {
            const int sign = HemisphereSign(letter, longitude);
            if (sign != 0) {
                value = sign * number;
                return true;
            }
        }
        Scanner n(text);
        if (!(n.Int(deg) && (n.Blanks(), n.Double(number))))
            return false;
        double v = std::fabs(double(deg)) + number * kOneSixtieth;
        value = (deg < 0 || leadingMinus) ? -v : v;
        return true;
    }
    case 1: {
        Scanner s(text);
        return s.Double(value);
    }
    default:
        return false;
    }
}

} // namespace

std::string CoordNotationName(int notation)
{
    switch (notation) {
    case kDirDegMinSec:
        return "Dir Deg Min Sec";
    case kDegMinSec:
        return "-Deg Min Sec";
    case kDirDegDddd:
        return "Dir Deg.dddd";
    case kDegMinMm:
        return "-Deg Min.mm";
    case kDegDddd:
        return "-Deg.dddd";
    default:
        // Notation 6 and unknown numbers (which format as notation 1) write degrees and
        // decimal minutes after the hemisphere letter.
        return "Dir Deg Min.mm";
    }
}

std::string FormatCoordinate(int notation, double value, bool longitude)
{
    int n = (notation >= 0 && notation <= 6) ? notation : 1;
    const bool signedNotation = n == kDegMinSec || n == kDegMinMm;
    const int width = (signedNotation ? 3 : 2) + (longitude ? 1 : 0);

    // Not-a-number shows as 0, and -0 as 0 (zero is north or east).
    double x = (std::isnan(value) || value == 0.0) ? 0.0 : value;
    const double limit = longitude ? 180.0 : 90.0;
    if (x > limit)
        x = limit;
    if (x < -limit)
        x = -limit;

    const double d = std::fabs(x);
    const int deg = int(d);
    const double m = (d - deg) * 60.0;
    const int mi = int(m);
    const int s = int((m - mi) * 60.0);
    const char letter = longitude ? (x >= 0 ? 'E' : 'W') : (x >= 0 ? 'N' : 'S');
    const std::string dir(1, letter);
    const int signedDeg = x < 0 ? -deg : deg;

    std::string text;
    switch (n) {
    case 0:
        text = dir + " " + FormatInt(deg, width, true) + " " + FormatInt(mi, 2, true) + " " +
               FormatInt(s, 2, true);
        break;
    case 1:
        text = dir + " " + FormatInt(deg, width, true) + " " +
               FormatFixed(m, FixedFormat{6, 3, true, 0});
        break;
    case 2:
        text = dir + " " + FormatFixed(d, FixedFormat{width, 6, true, 0});
        break;
    case 3:
        text = FormatInt(signedDeg, width, true, ' ') + " " + FormatInt(mi, 2, true) + " " +
               FormatInt(s, 2, true);
        break;
    case 4:
        text = FormatInt(signedDeg, width, true, ' ') + " " +
               FormatFixed(m, FixedFormat{6, 3, true, 0});
        break;
    case 5:
        text = FormatFixed(x, FixedFormat{width, 6, true, ' '});
        break;
    case 6:
        text = dir + " " + FormatInt(deg, width, true) + " " +
               FormatFixed(m, FixedFormat{longitude ? 3 : 2, 2, true, 0});
        break;
    }
    // The blank in front of non-negative values becomes the sign, also when the whole
    // degrees are 0 (as in -0.5).
    if ((n == 3 || n == 4 || n == 5) && x < 0 && !text.empty())
        text[0] = '-';
    return text;
}

bool ParseCoordinate(int notation, const std::string& text, bool longitude, double& value,
                     std::string& message)
{
    std::string upper = text;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');

    double parsed = 0.0;
    if (ParseFields(upper, longitude, parsed) && std::isfinite(parsed)) {
        value = parsed;
        return true;
    }
    message = "The coordinate \"" + upper +
              "\" is not in the proper format.  It should be formatted as follows:\n\n" +
              CoordNotationName(notation) + " (ie " + FormatCoordinate(notation, -1.234, false) +
              " )";
    return false;
}
