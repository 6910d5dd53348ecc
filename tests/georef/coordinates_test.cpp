// Coordinate notations: formatting, reading and the format message.
#include "georef/coordinates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

TEST(FormatCoordinate, WritesEveryNotation)
{
    // Latitude -1.234, latitude 45.5, longitude -105.75, longitude 5.
    const char* expected[7][4] = {
        {"S 01 14 02", "N 45 30 00", "W 105 45 00", "E 005 00 00"},
        {"S 01 14.040", "N 45 30.000", "W 105 45.000", "E 005 00.000"},
        {"S 1.234000", "N 45.500000", "W 105.750000", "E 5.000000"},
        {"-01 14 02", " 45 30 00", "-105 45 00", " 005 00 00"},
        {"-01 14.040", " 45 30.000", "-105 45.000", " 005 00.000"},
        {"-1.234000", " 45.500000", "-105.750000", " 5.000000"},
        {"S 01 14.04", "N 45 30.00", "W 105 45.00", "E 005 0.00"},
    };
    for (int n = 0; n < 7; ++n) {
        EXPECT_EQ(FormatCoordinate(n, -1.234, false), expected[n][0]) << n;
        EXPECT_EQ(FormatCoordinate(n, 45.5, false), expected[n][1]) << n;
        EXPECT_EQ(FormatCoordinate(n, -105.75, true), expected[n][2]) << n;
        EXPECT_EQ(FormatCoordinate(n, 5.0, true), expected[n][3]) << n;
    }
    // Unknown notations write notation 1.
    EXPECT_EQ(FormatCoordinate(42, 45.5, false), "N 45 30.000");
    EXPECT_EQ(FormatCoordinate(-1, -105.75, true), "W 105 45.000");
}

TEST(FormatCoordinate, TruncatesClampsAndKeepsTheSign)
{
    EXPECT_EQ(FormatCoordinate(0, 89.9999999, false), "N 89 59 59");
    EXPECT_EQ(FormatCoordinate(1, 89.9999999, false), "N 89 60.000"); // no carry
    EXPECT_EQ(FormatCoordinate(5, 100.0, false), " 90.000000");
    EXPECT_EQ(FormatCoordinate(5, -200.0, true), "-180.000000");
    EXPECT_EQ(FormatCoordinate(3, -0.5, false), "-00 30 00");
    EXPECT_EQ(FormatCoordinate(0, -0.5, false), "S 00 30 00");
    EXPECT_EQ(FormatCoordinate(4, -0.5, true), "-000 30.000");
    EXPECT_EQ(FormatCoordinate(0, 0.0, false), "N 00 00 00"); // zero is north or east
    EXPECT_EQ(FormatCoordinate(3, 0.0, true), " 000 00 00");
    EXPECT_EQ(FormatCoordinate(5, -0.0, false), " 0.000000");
    EXPECT_EQ(FormatCoordinate(5, std::nan(""), false), " 0.000000");
    EXPECT_EQ(FormatCoordinate(5, INFINITY, true), " 180.000000");
}

namespace {

constexpr double kRefused = 777.0; // the value ParseCoordinate must leave untouched

struct ParseRow
{
    const char* name;
    const char* text;
    bool longitude;
    double value; // kRefused: refused with the format message
};

// Texts as users type them, with what each must read as.
const ParseRow kParseRows[] = {
    // The notations' own forms keep their values.
    {"letter, degrees, minutes, seconds", "n 45 30 15", false, 45.5041666666666667},
    {"south", "s 45 30 15", false, -45.5041666666666667},
    {"three numbers", "45 30 15", false, 45.5041666666666667},
    {"three numbers, negative", "-45 30 15", false, -45.5041666666666667},
    {"negative zero degrees", "-00 30 00", false, -0.5},
    {"leading blank of the signed notations", " 45.500000", false, 45.5},
    {"decimal degrees", "-1.234000", false, -1.234},
    {"letter and decimal degrees", "N 45.5", false, 45.5},
    {"west, three numbers", "W 105 45 00", true, -105.75},
    {"letter, degrees, decimal minutes", "w 105 45.5", true, -105.7583333333333333},
    {"degrees and decimal minutes", "45 30.5", false, 45.5083333333333333},
    {"a letter negates a negative number", "S -45 30 00", false, 44.5},
    {"minus in the minutes", "45 -30 15", false, 44.5041666666666667},
    {"no range checks", "95 75 80", false, 95 + 80.0 / 3600 + 75.0 / 60},
    {"exponent", "1e2", true, 100.0},
    {"hexadecimal", "0x1A", true, 26.0},
    // Forms that read only one way.
    {"trailing blank", "45.5 ", false, 45.5},
    {"leading blanks", "  45.5", false, 45.5},
    {"repeated blanks", "N  45   30", false, 45.5},
    {"tab between the parts", "45\t30", false, 45.5},
    {"letter at the end", "105.5W", true, -105.5},
    {"letter after a blank at the end", "45 30 15 N", false, 45.5041666666666667},
    {"letter glued to the degrees", "W105 30", true, -105.5},
    {"letter glued, three numbers", "S45 30 15", false, -45.5041666666666667},
    {"decimal seconds", "N 45 30 15.5", false, 45 + 30.0 / 60 + 15.5 / 3600},
    {"decimal seconds, letter at the end", "45 30 15.5 N", false, 45 + 30.0 / 60 + 15.5 / 3600},
    {"degree, minute and second marks",
     "45\xC2\xB0"
     "30'15\"N",
     false, 45.5041666666666667},
    {"marks with blanks", "45\xC2\xB0 30' 15\" S", false, -45.5041666666666667},
    {"prime and double prime",
     "105\xC2\xB0"
     "30\xE2\x80\xB2"
     "36\xE2\x80\xB3W",
     true, -105.51},
    {"two apostrophes for seconds",
     "45\xC2\xB0"
     "30'15''",
     false, 45.5041666666666667},
    {"degrees written d", "23d25.8'", false, 23.43},
    {"degrees written deg", "23 deg 25.8", true, 23.43},
    {"sign and marks",
     "-23\xC2\xB0"
     "25.8'",
     false, -23.43},
    {"degree mark alone", "45.25\xC2\xB0", false, 45.25},
    // Refused: left-over characters, doubled or misplaced signs, decimals before the last
    // number, letters of the other axis, nothing to read.
    {"characters after the seconds", "45 30 15x", false, kRefused},
    {"characters after a number", "12abc", false, kRefused},
    {"doubled minus", "--45", false, kRefused},
    {"plus and minus", "+-45", true, kRefused},
    {"minus in the minutes with marks", "3\xC2\xB0 -25' 48\" N", false, kRefused},
    {"sign and letter", "-45.5 N", false, kRefused},
    {"decimal point in the degrees and minutes", "23.4 14.2", false, kRefused},
    {"two decimal points", "45.5.5", false, kRefused},
    {"longitude letter in a latitude", "E 45.5", false, kRefused},
    {"latitude letter in a longitude", "105.5N", true, kRefused},
    {"wrong letter with four fields", "N 45 30 15", true, kRefused},
    {"wrong letter with three fields", "E 10 20", false, kRefused},
    {"two letters", "N 45 30 N", false, kRefused},
    {"letter between the numbers", "45 N 30", false, kRefused},
    {"four numbers", "N 45 30 15 10", false, kRefused},
    {"marks out of order", "45'30\xC2\xB0", false, kRefused},
    {"two marks on one number", "45\xC2\xB0'", false, kRefused},
    {"mark without a number",
     "\xC2\xB0"
     "45",
     false, kRefused},
    {"letter only", "N", false, kRefused},
    {"empty", "", false, kRefused},
    {"blanks only", "   ", true, kRefused},
    {"not a number", "nan", false, kRefused},
    {"infinite", "inf", true, kRefused},
    {"words", "abc", false, kRefused},
};

} // namespace

TEST(ParseCoordinate, ReadsWhatPeopleWriteAndRefusesTheRest)
{
    for (const ParseRow& row : kParseRows) {
        SCOPED_TRACE(std::string(row.name) + ": \"" + row.text + "\"");
        double value = kRefused;
        std::string message;
        const bool ok = ParseCoordinate(5, row.text, row.longitude, value, message);
        if (row.value == kRefused) {
            EXPECT_FALSE(ok);
            EXPECT_EQ(value, kRefused) << "value untouched on failure";
            EXPECT_EQ(message.rfind("The coordinate \"", 0), 0u);
        } else {
            EXPECT_TRUE(ok) << message;
            EXPECT_NEAR(value, row.value, 1e-12);
        }
    }
}

TEST(ParseCoordinate, FailureMessageQuotesTheUpperCasedText)
{
    double value = 0;
    std::string message;
    ASSERT_FALSE(ParseCoordinate(0, "e 45.5", false, value, message));
    EXPECT_EQ(message, "The coordinate \"E 45.5\" is not in the proper format.  It should be "
                       "formatted as follows:\n\nDir Deg Min Sec (ie S 01 14 02 )");
    ASSERT_FALSE(ParseCoordinate(5, "x", true, value, message));
    EXPECT_EQ(message.substr(message.find("\n\n")), "\n\n-Deg.dddd (ie -1.234000 )");
    ASSERT_FALSE(ParseCoordinate(6, "x", true, value, message));
    EXPECT_EQ(message.substr(message.find("\n\n")), "\n\nDir Deg Min.mm (ie S 01 14.04 )");
}

TEST(ParseCoordinate, RoundTripsEveryNotation)
{
    const double values[] = {-89.5, -45.25, -0.5, 0.0, 12.75, 60.125};
    for (int n = 0; n < 7; ++n) {
        for (double v : values) {
            for (bool longitude : {false, true}) {
                double back = 1e9;
                std::string message;
                const std::string text = FormatCoordinate(n, v, longitude);
                ASSERT_TRUE(ParseCoordinate(n, text, longitude, back, message)) << text;
                EXPECT_NEAR(back, v, 1.0 / 3600) << n << " " << text;
            }
        }
    }
}

// What the point table shows: the notation's own text when it reads back as the value,
// otherwise the rounded form with the decimals it takes. Nothing shown moves a point.
TEST(FormatCoordinateExact, ShowsEveryValueSoThatItReadsBackTheSame)
{
    const struct
    {
        const char* name;
        int notation;
        double value;
        bool longitude;
        const char* text;
    } rows[] = {
        {"whole seconds as the notation writes them", 0, 45 + 30 / 60.0 + 15 / 3600.0, false,
         "N 45 30 15"},
        {"just under a whole second (truncated: 05)", 0, 39.00166664, false, "N 39 00 06"},
        {"half a second", 0, -(105 + 30 / 60.0 + 15.5 / 3600.0), true, "W 105 30 15.5"},
        {"signed, carried into the minutes", 3, -(45 + 59.99999999 / 3600.0), false, "-45 01 00"},
        {"minutes with more decimals", 1, 40 + 59.9955 / 60, false, "N 40 59.9955"},
        {"notation 6, minutes with two decimals and more", 6, 104 + 5.125 / 60, true,
         "E 104 5.125"},
        {"signed minutes, under a degree", 4, -(7.5 / 60 + 0.25 / 3600.0), true, "-000 07.5042"},
        {"six decimals of a degree are the precision kept", 5, 39.001666637, false, " 39.001667"},
        {"clamped like the notation", 2, 91.0, false, "N 90.000000"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string text = FormatCoordinateExact(row.notation, row.value, row.longitude);
        EXPECT_EQ(text, row.text);
    }
    // What the status line shows: the notation's precision, rounded and carried.
    EXPECT_EQ(FormatCoordinateRounded(0, 39.00166664, false), "N 39 00 06");
    EXPECT_EQ(FormatCoordinateRounded(1, 89.9999999, false), "N 90 00.000");
    EXPECT_EQ(FormatCoordinateRounded(5, -105.1234565, true), "-105.123457");

    // Every notation, values on no grid of any of them.
    for (int n = 0; n < 7; ++n)
        for (double v : {-89.123456789, -0.000123, 12.3456789, 179.9999999})
            for (bool longitude : {false, true}) {
                const double value = longitude ? v : std::clamp(v, -90.0, 90.0);
                const std::string text = FormatCoordinateExact(n, value, longitude);
                double back = 1e9;
                std::string message;
                ASSERT_TRUE(ParseCoordinate(n, text, longitude, back, message)) << text;
                EXPECT_NEAR(back, value, 6e-7) << n << " " << text;
            }
}
