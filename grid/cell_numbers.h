// Numbers, dates and currency amounts as cell text, in the notation of the application's
// locale (QLocale(), the user's unless the program sets another default).
#pragma once

#include <string>
#include <string_view>

// The text a number cell shows. With decimals >= 0 the value is written with that many
// places; otherwise with up to six, trailing zeros dropped. Unless plain, the integer digits
// are grouped by three with the locale's group separator, and the locale's decimal separator
// and negative sign are used; plain text keeps the locale's decimal separator but no grouping
// (so that it reads back as the same number). A text that would exceed 256 characters only has
// its decimal point replaced. Never empty: a value that shows no digits gives "0", and a
// negative value that rounds to zero shows no sign. Infinite and NaN values give "inf", "-inf"
// and "nan".
std::string FormatCellNumber(double value, int decimals, bool plain);

// Reads text as a number: the locale's group separators (and blanks, where grouping uses a
// blank) and currency symbol are removed and its decimal separator read as the point; then the
// leading decimal number (sign, digits, point, exponent) is taken. 0 when there is none, or
// when it is out of range.
double ReadCellNumber(std::string_view text);

enum class CellDateResult { ok, notADate, outOfRange };

// Parses a date, a time, or both, in the locale's short or long formats (or ISO 8601) into a
// day count since 30 December 1899 whose fraction is the time of day. Two-digit years fall in
// 1930..2029. On failure value is 0 for text that is not a date and -1 for a date outside the
// years 100..9999.
CellDateResult ParseCellDate(std::string_view text, double& value);

// Parses a currency amount (locale currency symbol, group separators, decimal separator, a
// sign or parentheses for negative amounts) rounded to four decimals. False, with value 0,
// when the text is not an amount or is out of range.
bool ParseCellCurrency(std::string_view text, double& value);
