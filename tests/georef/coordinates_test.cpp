// Coordinate notations: formatting, reading and the format message.
#include "georef/coordinates.h"

#include <gtest/gtest.h>

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

TEST(ParseCoordinate, ReadsEveryNotationByItsFields)
{
    struct Row
    {
        const char* text;
        bool longitude;
        bool ok;
        double value;
    } rows[] = {
        {"n 45 30 15", false, true, 45.5041666666666667},
        {"s 45 30 15", false, true, -45.5041666666666667},
        {"45 30 15", false, true, 45.5041666666666667},
        {"-45 30 15", false, true, -45.5041666666666667},
        {"-00 30 00", false, true, -0.5},
        {" 45.500000", false, true, 45.5},
        {"-1.234000", false, true, -1.234},
        {"45.5 ", false, true, 45.0083333333333333},
        {"N 45.5", false, true, 45.5},
        {"E 45.5", false, false, 0},
        {"W 105 45 00", true, true, -105.75},
        {"w 105 45.5", true, true, -105.7583333333333333},
        {"N 45 30 15 10", false, false, 0},
        {"", false, false, 0},
        {"N 45 30 15", true, false, 0},     // wrong hemisphere with four fields
        {"E 10 20", false, false, 0},       // wrong letter sends three fields to the numbers
        {"45  30", false, false, 0},        // two blanks make three fields
        {"S -45 30 00", false, true, 44.5}, // the letter negates whatever the numbers give
        {"95 75 80", false, true, 95 + 80.0 / 3600 + 75.0 / 60}, // no range checks
        {"12abc", false, true, 12.0},
        {"nan", false, false, 0},
        {"inf", true, false, 0},
        {"abc", false, false, 0},
    };
    for (const Row& r : rows) {
        double value = 777.0;
        std::string message;
        const bool ok = ParseCoordinate(5, r.text, r.longitude, value, message);
        EXPECT_EQ(ok, r.ok) << '"' << r.text << '"';
        if (r.ok) {
            EXPECT_NEAR(value, r.value, 1e-12) << '"' << r.text << '"';
            EXPECT_TRUE(message.empty());
        } else {
            EXPECT_EQ(value, 777.0) << "value untouched on failure";
            EXPECT_FALSE(message.empty());
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
