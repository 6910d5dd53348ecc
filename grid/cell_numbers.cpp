// Locale-aware number, date and currency text of cells.
#include "grid/cell_numbers.h"

#include "platform/c_numbers.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>

#include <cmath>
#include <vector>

namespace {

constexpr size_t kMaxFormattedLength = 256;

std::string Utf8(const QString& s)
{
    return s.toStdString();
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

void ReplaceAll(std::string& text, std::string_view from, std::string_view to)
{
    if (from.empty())
        return;
    size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
}

// True when the separator is one of the blanks that locales group digits with.
bool IsBlankSeparator(std::string_view sep)
{
    return sep == " " || sep == "\xC2\xA0" || sep == "\xE2\x80\xAF";
}

// Removes the locale's group separators, its currency symbol and (where digits are grouped
// with a blank) every blank, and turns the decimal separator into '.'.
std::string ToCNotation(std::string_view text, const QLocale& locale)
{
    std::string s(text);
    const std::string group = Utf8(locale.groupSeparator());
    const std::string decimal = Utf8(locale.decimalPoint());
    const std::string currency = Utf8(locale.currencySymbol());
    if (!currency.empty())
        ReplaceAll(s, currency, "");
    if (decimal != group)
        ReplaceAll(s, group, "");
    if (IsBlankSeparator(group)) {
        ReplaceAll(s, " ", "");
        ReplaceAll(s, "\xC2\xA0", "");
        ReplaceAll(s, "\xE2\x80\xAF", "");
    }
    const std::string minus = Utf8(locale.negativeSign());
    if (minus != "-")
        ReplaceAll(s, minus, "-");
    if (decimal != ".") {
        // A '.' left over is not ours to read; the decimal separator becomes the point.
        ReplaceAll(s, decimal, "\x01");
        ReplaceAll(s, ".", "\x02");
        ReplaceAll(s, "\x01", ".");
    }
    return s;
}

// Length of the decimal number at pos (sign, digits, point, exponent); 0 when none.
size_t DecimalSpan(std::string_view s, size_t pos)
{
    size_t i = pos;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < s.size() && IsDigit(s[i])) {
        ++i;
        ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        if (j < s.size() && IsDigit(s[j])) {
            while (j < s.size() && IsDigit(s[j]))
                ++j;
            i = j;
        }
    }
    return i - pos;
}

// Reads the decimal number filling s[pos, pos + len).
double ScanSpan(std::string_view s, size_t pos, size_t len)
{
    size_t at = 0;
    double value = 0;
    if (!nv::ScanDouble(s.substr(pos, len), at, value) || !std::isfinite(value))
        return 0;
    return value;
}

// The digits of a C-notation number with the locale's grouping, separators and sign.
std::string LocaliseNumber(const std::string& c, int decimals, const QLocale& locale)
{
    bool negative = false;
    size_t i = 0;
    if (i < c.size() && c[i] == '-') {
        negative = true;
        ++i;
    }
    std::string whole, fraction;
    while (i < c.size() && IsDigit(c[i]))
        whole += c[i++];
    if (i < c.size() && c[i] == '.') {
        ++i;
        while (i < c.size() && IsDigit(c[i]))
            fraction += c[i++];
    }
    if (fraction.size() < size_t(decimals))
        fraction.append(size_t(decimals) - fraction.size(), '0');
    else
        fraction.resize(size_t(decimals));
    if (whole.empty())
        whole = "0";
    if (whole.find_first_not_of('0') == std::string::npos &&
        fraction.find_first_not_of('0') == std::string::npos)
        negative = false;

    const std::string group = Utf8(locale.groupSeparator());
    std::string out;
    if (negative)
        out = Utf8(locale.negativeSign());
    for (size_t k = 0; k < whole.size(); ++k) {
        if (k > 0 && (whole.size() - k) % 3 == 0)
            out += group;
        out += whole[k];
    }
    if (!fraction.empty()) {
        out += Utf8(locale.decimalPoint());
        out += fraction;
    }
    return out;
}

} // namespace

std::string FormatCellNumber(double value, int decimals, bool plain)
{
    if (!std::isfinite(value))
        return nv::FormatFixed(value, 0);
    if (decimals > 60)
        decimals = 60;
    std::string c;
    if (decimals >= 0) {
        c = nv::FormatFixed(value, decimals);
    } else {
        c = nv::FormatFixed(value, 6);
        while (!c.empty() && c.back() == '0')
            c.pop_back();
    }
    const size_t point = c.find('.');
    const int places =
        decimals >= 0 ? decimals : (point == std::string::npos ? 0 : int(c.size() - point - 1));
    const QLocale locale;
    std::string out;
    if (!plain) {
        out = LocaliseNumber(c, places, locale);
    }
    if (plain || out.size() > kMaxFormattedLength) {
        if (c.size() > 1 && c[0] == '-' && c.find_first_not_of("0.", 1) == std::string::npos)
            c.erase(0, 1);
        out = c;
        const std::string decimal = Utf8(locale.decimalPoint());
        if (point != std::string::npos)
            out.replace(out.find('.'), 1, decimal);
        if (out.size() >= decimal.size() &&
            out.compare(out.size() - decimal.size(), decimal.size(), decimal) == 0)
            out.resize(out.size() - decimal.size());
    }
    if (out.empty() || out == "-")
        out = "0";
    return out;
}

double ReadCellNumber(std::string_view text)
{
    const std::string s = ToCNotation(text, QLocale());
    size_t pos = 0;
    while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t' || s[pos] == '\r' || s[pos] == '\n'))
        ++pos;
    const size_t len = DecimalSpan(s, pos);
    return len ? ScanSpan(s, pos, len) : 0.0;
}

namespace {

// Day count since 30 December 1899 with the time of day as fraction, counted away from zero
// before that day.
double SerialDate(const QDate& date, const QTime& time)
{
    const double days = double(QDate(1899, 12, 30).daysTo(date));
    const double fraction = time.isValid() ? time.msecsSinceStartOfDay() / 86400000.0 : 0.0;
    return days >= 0 ? days + fraction : days - fraction;
}

// A short format with its two-digit year widened to four digits, or empty when it has none.
QString WithLongYear(const QString& format)
{
    if (!format.contains(QLatin1String("yy")) || format.contains(QLatin1String("yyyy")))
        return {};
    QString f = format;
    f.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return f;
}

bool HasShortYear(const QString& format)
{
    return format.contains(QLatin1String("yy")) && !format.contains(QLatin1String("yyyy"));
}

QDate WindowYear(QDate date, const QString& format)
{
    if (HasShortYear(format) && date.year() < 1930)
        date = date.addYears(100);
    return date;
}

} // namespace

CellDateResult ParseCellDate(std::string_view text, double& value)
{
    value = 0;
    const QString s = QString::fromUtf8(text.data(), qsizetype(text.size())).trimmed();
    if (s.isEmpty())
        return CellDateResult::notADate;
    const QLocale locale;

    QDate date;
    QTime time;
    bool found = false;

    std::vector<QString> dateTimeFormats;
    for (auto kind : {QLocale::ShortFormat, QLocale::LongFormat}) {
        const QString f = locale.dateTimeFormat(kind);
        dateTimeFormats.push_back(f);
        const QString wide = WithLongYear(f);
        if (!wide.isEmpty())
            dateTimeFormats.push_back(wide);
    }
    const QString shortDate = locale.dateFormat(QLocale::ShortFormat);
    for (const QString& timeFormat : {QString("H:mm"), QString("H:mm:ss")}) {
        dateTimeFormats.push_back(shortDate + ' ' + timeFormat);
        const QString wide = WithLongYear(shortDate);
        if (!wide.isEmpty())
            dateTimeFormats.push_back(wide + ' ' + timeFormat);
    }
    dateTimeFormats.push_back("yyyy-MM-dd HH:mm:ss");
    dateTimeFormats.push_back("yyyy-MM-ddTHH:mm:ss");
    dateTimeFormats.push_back("yyyy-MM-dd HH:mm");
    for (const QString& f : dateTimeFormats) {
        const QDateTime dt = locale.toDateTime(s, f);
        if (dt.isValid()) {
            date = WindowYear(dt.date(), f);
            time = dt.time();
            found = true;
            break;
        }
    }
    if (!found) {
        std::vector<QString> dateFormats;
        for (auto kind : {QLocale::ShortFormat, QLocale::LongFormat}) {
            const QString f = locale.dateFormat(kind);
            const QString wide = WithLongYear(f);
            if (!wide.isEmpty())
                dateFormats.push_back(wide);
            dateFormats.push_back(f);
        }
        dateFormats.push_back("yyyy-MM-dd");
        for (const QString& f : dateFormats) {
            const QDate d = locale.toDate(s, f);
            if (d.isValid()) {
                date = WindowYear(d, f);
                found = true;
                break;
            }
        }
    }
    if (!found) {
        for (const QString& f :
             {locale.timeFormat(QLocale::ShortFormat), locale.timeFormat(QLocale::LongFormat),
              QString("H:mm:ss"), QString("H:mm")}) {
            const QTime t = locale.toTime(s, f);
            if (t.isValid()) {
                date = QDate(1899, 12, 30);
                time = t;
                found = true;
                break;
            }
        }
    }
    if (!found)
        return CellDateResult::notADate;
    if (date.year() < 100 || date.year() > 9999) {
        value = -1.0;
        return CellDateResult::outOfRange;
    }
    value = SerialDate(date, time);
    return CellDateResult::ok;
}

bool ParseCellCurrency(std::string_view text, double& value)
{
    value = 0;
    const QLocale locale;
    std::string s = ToCNotation(text, locale);
    // Trim blanks.
    const size_t first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return false;
    s = s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
    bool negative = false;
    if (s.size() >= 2 && s.front() == '(' && s.back() == ')') {
        negative = true;
        s = s.substr(1, s.size() - 2);
    }
    const std::string minus = Utf8(locale.negativeSign());
    if (minus != "-" && s.compare(0, minus.size(), minus) == 0)
        s.replace(0, minus.size(), "-");
    if (!s.empty() && s.back() == '-' && s.find('-') == s.size() - 1) {
        s.pop_back();
        s.insert(s.begin(), '-');
    }
    // The whole text must be one decimal number.
    if (s.empty() || DecimalSpan(s, 0) != s.size())
        return false;
    double v = ScanSpan(s, 0, s.size());
    if (negative)
        v = -v;
    // Amounts are 64-bit integers of ten-thousandths.
    if (!(std::fabs(v) < 922337203685477.0))
        return false;
    value = double(std::llround(v * 10000.0)) / 10000.0;
    return true;
}
