// Number texts in the C notation, whatever the process locale.
#include "platform/c_numbers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

using namespace nv;

TEST(CNumbers, FormatsLikePrintf)
{
    EXPECT_EQ(FormatFixed(0.0025, 10), "0.0025000000");
    EXPECT_EQ(FormatFixed(-105.75, 6), "-105.750000");
    EXPECT_EQ(FormatFixed(-0.0, 10), "-0.0000000000");
    EXPECT_EQ(FormatFixed(2.5, 0), "2"); // round half to even, as printf does
    EXPECT_EQ(FormatFixed(14.04, FixedFormat{6, 3, true, 0}), "14.040");
    EXPECT_EQ(FormatFixed(0.0, FixedFormat{6, 3, true, 0}), "00.000");
    EXPECT_EQ(FormatFixed(45.5, FixedFormat{2, 6, true, ' '}), " 45.500000");
    EXPECT_EQ(FormatFixed(-1.234, FixedFormat{2, 6, true, ' '}), "-1.234000");
    EXPECT_EQ(FormatFixed(5.0, FixedFormat{8, 2, false, 0}), "    5.00");
    EXPECT_EQ(FormatFixed(1e300, 2).size(), 304u);
    EXPECT_EQ(FormatFixed(std::numeric_limits<double>::infinity(), 2), "inf");
    for (double v : {0.1, 40.125, -105.0, 1e-7, 1.0 / 3.0, 5e-324, -1.7976931348623157e308}) {
        const std::string text = FormatShortest(v);
        EXPECT_EQ(LeadingDouble(text), v) << text;
        EXPECT_LE(text.size(), 24u) << text;
    }
    EXPECT_EQ(FormatShortest(-105.0), "-105");
    EXPECT_EQ(FormatInt(5, 3, true), "005");
    EXPECT_EQ(FormatInt(-1, 3, true, ' '), "-01");
    EXPECT_EQ(FormatInt(45, 3, true, ' '), " 45");
    EXPECT_EQ(FormatInt(std::numeric_limits<long long>::min()), "-9223372036854775808");
}

TEST(CNumbers, ScansLikeScanf)
{
    struct Row
    {
        const char* text;
        bool ok;
        double value;
        size_t end;
    } rows[] = {
        {"  45.5 rest", true, 45.5, 6}, {"-.5", true, -0.5, 3},   {"+1e3x", true, 1000.0, 4},
        {"1e", true, 1.0, 1},           {"abc", false, 0.0, 0},   {"", false, 0.0, 0},
        {"-", false, 0.0, 0},           {".", false, 0.0, 0},     {"0x10", true, 16.0, 4},
        {"1e999", true, HUGE_VAL, 5},   {"1e-999", true, 0.0, 6}, {"7,5", true, 7.0, 1},
        {"--45", false, 0.0, 0},        {"+-45", false, 0.0, 0},
    };
    for (const Row& row : rows) {
        size_t pos = 0;
        double value = -123.0;
        EXPECT_EQ(ScanDouble(row.text, pos, value), row.ok) << row.text;
        if (row.ok) {
            EXPECT_EQ(value, row.value) << row.text;
            EXPECT_EQ(pos, row.end) << row.text;
        } else {
            EXPECT_EQ(pos, 0u) << row.text;
        }
    }
    long long n = 0;
    size_t pos = 0;
    EXPECT_TRUE(ScanInt(" -42x", pos, n));
    EXPECT_EQ(n, -42);
    EXPECT_EQ(pos, 4u);
    pos = 0;
    EXPECT_TRUE(ScanInt("99999999999999999999999", pos, n));
    EXPECT_EQ(n, std::numeric_limits<long long>::max());
    pos = 0;
    EXPECT_FALSE(ScanInt("- 1", pos, n));
    EXPECT_EQ(LeadingDouble("  -0.0025000000\r"), -0.0025);
    EXPECT_EQ(LeadingDouble("junk"), 0.0);
}

TEST(CNumbers, IgnoresTheProcessLocale)
{
    const char* names[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE"};
    const char* chosen = nullptr;
    for (const char* name : names)
        if (std::setlocale(LC_ALL, name)) {
            chosen = name;
            break;
        }
    if (!chosen)
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    EXPECT_EQ(FormatFixed(0.0025, 4), "0.0025");
    EXPECT_EQ(FormatShortest(0.0025), "0.0025");
    EXPECT_EQ(LeadingDouble("0.0025"), 0.0025);
    std::setlocale(LC_ALL, "C");
}
