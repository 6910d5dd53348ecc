// Coordinate notations.
#include "georef/coordinates.h"

#include "platform/c_numbers.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace {

using nv::FixedFormat;
using nv::FormatFixed;
using nv::FormatInt;

// A small formatted-input reader over the upper-cased text, with the conversions the
// notations need: "%c" takes the very first character, a blank in the pattern skips any run
// of white space, "%d" and "%lf" read numbers and stop at the first character that does not
// fit. AtEnd tells whether the conversions read the whole text.
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
        while (m_pos < m_text.size() && IsBlank(m_text[m_pos]))
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
    bool AtEnd() const { return m_pos == m_text.size(); }

    static bool IsBlank(char c)
    {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    }

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

// The upper-cased text with every run of white space made one blank, and none at either end.
std::string Normalised(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (Scanner::IsBlank(c)) {
            if (!out.empty() && out.back() != ' ')
                out += ' ';
        } else {
            out += (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
        }
    }
    if (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

// The notations' own reading: the number of blank-separated fields selects the form. Only a
// reading that takes in the whole text counts.
bool ReadNotation(const std::string& text, bool longitude, double& value)
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
              (s.Blanks(), s.Int(sec)) && s.AtEnd()))
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
                if (!s.AtEnd())
                    return false;
                value = sign * (double(deg) + number * kOneSixtieth);
                return true;
            }
        }
        Scanner n(text);
        if (!(n.Int(deg) && (n.Blanks(), n.Int(min)) && (n.Blanks(), n.Int(sec)) && n.AtEnd()))
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
                if (!s.AtEnd())
                    return false;
                value = sign * number;
                return true;
            }
        }
        Scanner n(text);
        if (!(n.Int(deg) && (n.Blanks(), n.Double(number)) && n.AtEnd()))
            return false;
        double v = std::fabs(double(deg)) + number * kOneSixtieth;
        value = (deg < 0 || leadingMinus) ? -v : v;
        return true;
    }
    case 1: {
        Scanner s(text);
        return s.Double(value) && s.AtEnd();
    }
    default:
        return false;
    }
}

// The pieces of a coordinate written the way people write them.
enum class Mark { none, degrees, minutes, seconds };

// Reads a text that the notations do not take but that a person reads only one way: a
// hemisphere letter before or after the numbers (glued to them or not), the marks for
// degrees (a degree sign, "D" or "DEG"), minutes (' or a prime) and seconds (" , a double
// prime or two '), blanks between the parts, decimals in the last number only, and a sign
// only at the very start and never together with a letter.
bool ReadWrittenForm(const std::string& text, bool longitude, double& value)
{
    static const char* const kDegreeSign = "\xC2\xB0"; // U+00B0
    static const char* const kPrime = "\xE2\x80\xB2";  // U+2032
    static const char* const kDoublePrime = "\xE2\x80\xB3";

    double numbers[3] = {};
    int count = 0;
    int sign = 1;
    bool signGiven = false;
    char letter = 0;
    bool decimals = false;      // the last number read had a decimal point
    bool separated = true;      // a blank or a mark follows the last number
    Mark lastMark = Mark::none; // the mark of the last number

    size_t i = 0;
    auto at = [&](const char* s) { return text.compare(i, std::strlen(s), s) == 0; };
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        sign = text[i] == '-' ? -1 : 1;
        signGiven = true;
        ++i;
    }
    while (i < text.size()) {
        const char c = text[i];
        if ((c >= '0' && c <= '9') || c == '.') {
            if (count == 3 || !separated || decimals)
                return false;
            size_t end = i;
            while (end < text.size() && text[end] >= '0' && text[end] <= '9')
                ++end;
            if (end < text.size() && text[end] == '.') {
                ++end;
                while (end < text.size() && text[end] >= '0' && text[end] <= '9')
                    ++end;
            }
            const std::string digits = text.substr(i, end - i);
            if (digits == ".")
                return false;
            size_t pos = 0;
            if (!nv::ScanDouble(digits, pos, numbers[count]) || pos != digits.size())
                return false;
            decimals = digits.find('.') != std::string::npos;
            ++count;
            separated = false;
            lastMark = Mark::none;
            i = end;
            continue;
        }
        Mark mark = Mark::none;
        size_t length = 1;
        if (at(kDegreeSign))
            mark = Mark::degrees, length = 2;
        else if (at("DEG"))
            mark = Mark::degrees, length = 3;
        else if (c == 'D')
            mark = Mark::degrees;
        else if (at(kPrime))
            mark = Mark::minutes, length = 3;
        else if (at("''"))
            mark = Mark::seconds, length = 2;
        else if (c == '\'')
            mark = Mark::minutes;
        else if (at(kDoublePrime))
            mark = Mark::seconds, length = 3;
        else if (c == '"')
            mark = Mark::seconds;
        if (mark != Mark::none) {
            // Each number takes at most one mark, the one of its place.
            if (count == 0 || lastMark != Mark::none || int(mark) != count)
                return false;
            lastMark = mark;
            separated = true;
            i += length;
            continue;
        }
        if (c == ' ') {
            separated = true;
            ++i;
            continue;
        }
        // One hemisphere letter, before the numbers or as the very last character.
        if (HemisphereSign(c, longitude) != 0 && letter == 0 && !signGiven &&
            (count == 0 || i + 1 == text.size())) {
            letter = c;
            separated = true;
            ++i;
            continue;
        }
        return false;
    }
    if (count == 0)
        return false;
    value = numbers[0];
    if (count > 1)
        value += numbers[1] * kOneSixtieth;
    if (count > 2)
        value += numbers[2] * kOne3600th;
    if (letter)
        sign = HemisphereSign(letter, longitude);
    value *= sign;
    return true;
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

namespace {

int KnownNotation(int notation)
{
    return (notation >= 0 && notation <= 6) ? notation : 1;
}

// The value a notation can show: not-a-number as 0, -0 as 0 (zero is north or east), and
// latitudes within [-90, 90], longitudes within [-180, 180].
double Showable(double value, bool longitude)
{
    const double x = (std::isnan(value) || value == 0.0) ? 0.0 : value;
    const double limit = longitude ? 180.0 : 90.0;
    return std::clamp(x, -limit, limit);
}

// Lays out x in notation n from its parts: the whole degrees and minutes, and the text of its
// last number (the seconds, the minutes or, in notations 2 and 5, the degrees).
std::string Compose(int n, double x, bool longitude, int deg, int mi, const std::string& last)
{
    const bool signedNotation = n == kDegMinSec || n == kDegMinMm;
    const int width = (signedNotation ? 3 : 2) + (longitude ? 1 : 0);
    const char letter = longitude ? (x >= 0 ? 'E' : 'W') : (x >= 0 ? 'N' : 'S');
    const std::string dir(1, letter);
    const int signedDeg = x < 0 ? -deg : deg;

    std::string text;
    switch (n) {
    case 0:
        text = dir + " " + FormatInt(deg, width, true) + " " + FormatInt(mi, 2, true) + " " + last;
        break;
    case 1:
    case 6:
        text = dir + " " + FormatInt(deg, width, true) + " " + last;
        break;
    case 2:
        text = dir + " " + last;
        break;
    case 3:
        text = FormatInt(signedDeg, width, true, ' ') + " " + FormatInt(mi, 2, true) + " " + last;
        break;
    case 4:
        text = FormatInt(signedDeg, width, true, ' ') + " " + last;
        break;
    case 5:
        text = last;
        break;
    }
    // The blank in front of non-negative values becomes the sign, also when the whole
    // degrees are 0 (as in -0.5).
    if ((n == 3 || n == 4 || n == 5) && x < 0 && !text.empty())
        text[0] = '-';
    return text;
}

// The decimals of the last number that notation n shows.
int ShownDecimals(int n)
{
    switch (n) {
    case 0:
    case 3:
        return 0;
    case 2:
    case 5:
        return 6;
    case 6:
        return 2;
    default:
        return 3;
    }
}

// x in notation n with its last number rounded to decimals places (at most 12), carrying into
// the minutes and degrees.
std::string FormatRounded(int n, double x, bool longitude, int decimals)
{
    const long long perDegreeUnits = (n == 0 || n == 3) ? 3600 : (n == 2 || n == 5) ? 1 : 60;
    long long scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    const long long total = std::llround(std::fabs(x) * double(perDegreeUnits) * double(scale));
    const long long perDegree = perDegreeUnits * scale;
    const int deg = int(total / perDegree);
    long long rest = total % perDegree;
    int mi = 0;
    if (perDegreeUnits == 3600) {
        mi = int(rest / (60 * scale));
        rest %= 60 * scale;
    }
    if (perDegreeUnits == 1)
        rest = total; // the degrees are the last number
    // Seconds and the minutes of notations 1 and 4 show two digits before the point.
    const int intWidth = (n == 2 || n == 5 || n == 6) ? 0 : 2;
    std::string last = FormatInt(rest / scale, intWidth, true);
    if (decimals > 0) {
        const std::string fraction = FormatInt(rest % scale, decimals, true);
        last += "." + fraction;
    }
    if (n == 5)
        last = (x < 0 ? "-" : " ") + last;
    return Compose(n, x, longitude, deg, mi, last);
}

} // namespace

std::string FormatCoordinate(int notation, double value, bool longitude)
{
    const int n = KnownNotation(notation);
    const bool signedNotation = n == kDegMinSec || n == kDegMinMm;
    const int width = (signedNotation ? 3 : 2) + (longitude ? 1 : 0);
    const double x = Showable(value, longitude);

    const double d = std::fabs(x);
    const int deg = int(d);
    const double m = (d - deg) * 60.0;
    const int mi = int(m);
    const int s = int((m - mi) * 60.0);

    std::string last;
    switch (n) {
    case 0:
    case 3:
        last = FormatInt(s, 2, true);
        break;
    case 1:
    case 4:
        last = FormatFixed(m, FixedFormat{6, 3, true, 0});
        break;
    case 2:
        last = FormatFixed(d, FixedFormat{width, 6, true, 0});
        break;
    case 5:
        last = FormatFixed(x, FixedFormat{width, 6, true, ' '});
        break;
    case 6:
        last = FormatFixed(m, FixedFormat{longitude ? 3 : 2, 2, true, 0});
        break;
    }
    return Compose(n, x, longitude, deg, mi, last);
}

std::string FormatCoordinateRounded(int notation, double value, bool longitude)
{
    const int n = KnownNotation(notation);
    return FormatRounded(n, Showable(value, longitude), longitude, ShownDecimals(n));
}

std::string FormatCoordinateExact(int notation, double value, bool longitude)
{
    const std::string text = FormatCoordinate(notation, value, longitude);
    if (!std::isfinite(value))
        return text;
    const int n = KnownNotation(notation);
    const double x = Showable(value, longitude);
    // Within 7 cm on the ground: what the default notation's six decimals of a degree show.
    constexpr double kSame = 6e-7;
    auto readsBack = [&](const std::string& t) {
        double back = 0.0;
        std::string message;
        return ParseCoordinate(n, t, longitude, back, message) && std::fabs(back - x) <= kSame;
    };
    if (readsBack(text))
        return text;
    std::string rounded;
    for (int decimals = ShownDecimals(n); decimals <= ShownDecimals(n) + 6; ++decimals) {
        rounded = FormatRounded(n, x, longitude, decimals);
        if (readsBack(rounded))
            break;
    }
    return rounded;
}

bool ParseCoordinate(int notation, const std::string& text, bool longitude, double& value,
                     std::string& message)
{
    std::string upper = text;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');

    // The notations' own forms keep the value they have always had; what they do not take
    // whole may still be a form that reads only one way.
    const std::string normal = Normalised(text);
    double parsed = 0.0;
    if ((ReadNotation(normal, longitude, parsed) || ReadWrittenForm(normal, longitude, parsed)) &&
        std::isfinite(parsed)) {
        value = parsed;
        return true;
    }
    message = "The coordinate \"" + upper +
              "\" is not in the proper format.  It should be formatted as follows:\n\n" +
              CoordNotationName(notation) + " (ie " + FormatCoordinate(notation, -1.234, false) +
              " )";
    return false;
}
