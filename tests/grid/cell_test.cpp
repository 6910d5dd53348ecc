// Cells: defaults and clearing, the copy forms, number text under fixed locales, and changes
// of data type.
#include "grid/cell_numbers.h"
#include "grid/table_cell.h"
#include "grid_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

using nv::test::English;
using nv::test::German;
using nv::test::ScopedLocale;
namespace F = TableCellFlag;

TEST(TableCell, ClearedCellHasItsDefaults)
{
    CTableCell cell;
    cell.SetText("x");
    cell.SetParam(7);
    cell.SetExtraData("ab", 2);
    cell.SetAlignment(4);
    cell.Clear();
    EXPECT_EQ(cell.GetFlags(), 0x8788u);
    EXPECT_FALSE(cell.HasText());
    EXPECT_EQ(cell.GetText(), "");
    EXPECT_EQ(cell.GetDataType(), kDataText);
    EXPECT_EQ(cell.GetParam(), -1);
    EXPECT_EQ(cell.GetCellType(), -1);
    EXPECT_EQ(cell.GetExtendedStyle(), -1);
    EXPECT_EQ(cell.GetAlignment(), 1u);
    EXPECT_EQ(cell.GetBorderStyle(), 0u);
    EXPECT_EQ(cell.GetExtraData(), nullptr);
    EXPECT_EQ(cell.GetBackColor(), GetTableSystemColor(TableSystemColor::window));
    EXPECT_EQ(cell.GetTextColor(), GetTableSystemColor(TableSystemColor::windowText));
}

TEST(TableCell, AlignmentAndBorderReadBackWithTheUpperFlagBits)
{
    CTableCell cell;
    cell.SetFlags(0);
    cell.SetReadOnly(1); // 0x1000000
    EXPECT_EQ(cell.GetAlignment(), 0x1000000u);
    cell.SetAlignment(36);
    EXPECT_EQ(cell.GetAlignment(), 0x1000000u | 36u);
    cell.SetBorderStyle(8192);
    EXPECT_EQ(cell.GetBorderStyle(), 0x1000000u | 8192u);
}

TEST(TableCell, SettingAnEmptyTextClearsTheTextBit)
{
    CTableCell cell;
    cell.SetText("abc");
    EXPECT_TRUE(cell.TestFlags(F::text | F::dataType));
    cell.SetText("");
    EXPECT_FALSE(cell.HasText());
    EXPECT_EQ(cell.GetText(), "");
}

TEST(TableCell, CopyFormsMergeOrReplaceTheFlagWord)
{
    CTableCell back;
    back.SetFlags(0);
    back.SetBackColor(0x123456);

    CTableCell stored;
    stored.SetText("kept?");
    stored.SetParam(5);

    CTableCell merged = stored;
    merged.CopyFrom(back);
    EXPECT_EQ(merged.GetBackColor(), 0x123456u);
    EXPECT_EQ(merged.GetText(), "kept?");
    EXPECT_EQ(merged.GetParam(), 5);

    CTableCell into = stored;
    back.CopyInto(into);
    EXPECT_EQ(into.GetFlags(), merged.GetFlags());

    // Assigning leaves only what the source has set.
    back.AssignTo(stored);
    EXPECT_EQ(stored.GetFlags(), F::backColor);
    EXPECT_EQ(stored.GetBackColor(), 0x123456u);
    EXPECT_FALSE(stored.HasText());
    EXPECT_EQ(stored.GetParam(), -1);

    CTableCell other;
    other.SetText("t");
    other.AssignFrom(back);
    EXPECT_EQ(other.GetFlags(), F::backColor);
}

TEST(TableCell, CopiesCarryExtraDataJoinsAndTheNumberByValue)
{
    CTableCell a;
    const char bytes[] = {1, 2, 3};
    a.SetExtraData(bytes, 3);
    a.SetJoin({true, 2, 1});
    a.SetNumber(4.25);
    CTableCell b;
    b.CopyFrom(a);
    a.SetExtraData("zz", 2);
    ASSERT_NE(b.GetExtraData(), nullptr);
    EXPECT_EQ(*b.GetExtraData(), (std::vector<uint8_t>{1, 2, 3}));
    TableJoin j;
    ASSERT_TRUE(b.GetJoin(j));
    EXPECT_EQ(j, (TableJoin{true, 2, 1}));
    EXPECT_DOUBLE_EQ(b.GetNumber(), 4.25);
    EXPECT_EQ(b.GetDataType(), kDataNumber);
}

TEST(TableCell, CopyFromACellWithoutValuesResetsThoseProperties)
{
    CTableCell target;
    target.SetParam(9);
    CTableCell source; // param bit set through the flag word only
    source.SetFlags(F::param);
    target.CopyFrom(source);
    EXPECT_EQ(target.GetParam(), -1);
}

TEST(CellNumbers, EnglishLocaleGroupsAndTrims)
{
    ScopedLocale locale(English());
    CTableCell cell;
    cell.SetNumber(1234.5);
    EXPECT_EQ(cell.GetText(), "1,234.5");
    cell.SetFlags(cell.GetFlags() | F::plainNumber);
    EXPECT_EQ(cell.GetText(), "1234.5");

    cell.Clear();
    cell.SetNumber(0);
    EXPECT_EQ(cell.GetText(), "0");

    cell.Clear();
    cell.SetNumber(2.5);
    cell.SetDecimalPlaces(3);
    EXPECT_EQ(cell.GetText(), "2.500");

    struct Row
    {
        double value;
        int decimals;
        bool plain;
        const char* text;
    } rows[] = {
        {-1234567.25, -1, false, "-1,234,567.25"},
        {0.5, -1, false, "0.5"},
        {0.5, -1, true, "0.5"},
        {-0.0000001, -1, false, "0"},
        {1e-7, -1, true, "0"},
        {100, -1, false, "100"},
        {1000, 0, false, "1,000"},
        {2.0 / 3.0, -1, false, "0.666667"},
        {2.675, 2, false, "2.67"}, // the double is a little below 2.675
    };
    for (const Row& r : rows)
        EXPECT_EQ(FormatCellNumber(r.value, r.decimals, r.plain), r.text) << r.text;
}

TEST(CellNumbers, GermanLocaleUsesItsSeparators)
{
    ScopedLocale locale(German());
    EXPECT_EQ(FormatCellNumber(1234.5, -1, false), "1.234,5");
    EXPECT_EQ(FormatCellNumber(-1234.5, 2, false), "-1.234,50");
    EXPECT_EQ(FormatCellNumber(1234.5, -1, true), "1234,5");
    EXPECT_DOUBLE_EQ(ReadCellNumber("1.234,5"), 1234.5);
    EXPECT_DOUBLE_EQ(ReadCellNumber("1234,5 \xE2\x82\xAC"), 1234.5);
}

TEST(CellNumbers, ShownNumbersReadBackUnderEveryLocale)
{
    for (const QLocale& l : {English(), German(), QLocale(QLocale::Swedish, QLocale::Sweden),
                             QLocale(QLocale::French, QLocale::France)}) {
        ScopedLocale locale(l);
        for (double v : {-1234567.5, -0.25, 0.0, 98765.4321}) {
            EXPECT_DOUBLE_EQ(ReadCellNumber(FormatCellNumber(v, -1, false)), v)
                << l.name().toStdString() << " " << v;
            EXPECT_DOUBLE_EQ(ReadCellNumber(FormatCellNumber(v, -1, true)), v);
        }
    }
}

TEST(CellNumbers, HugeNumbersFallBackToThePointReplacement)
{
    ScopedLocale locale(German());
    const std::string text = FormatCellNumber(1e300, 2, false);
    EXPECT_EQ(text.find('.'), std::string::npos); // no grouping
    EXPECT_EQ(text.substr(text.size() - 3), ",00");
    EXPECT_EQ(text.size(), 304u);
}

TEST(CellNumbers, ReadingTextAsANumber)
{
    ScopedLocale locale(English());
    struct Row
    {
        const char* text;
        double value;
    } rows[] = {
        {"1,234.5", 1234.5}, {"  -3.25xyz", -3.25}, {"$12", 12}, {"abc", 0}, {"", 0},
        {"1e3", 1000},       {"1e999", 0},          {".5", 0.5}, {"-", 0},
    };
    for (const Row& r : rows)
        EXPECT_DOUBLE_EQ(ReadCellNumber(r.text), r.value) << r.text;
}

TEST(TableCell, DataTypeChanges)
{
    ScopedLocale locale(English());
    CTableCell cell;
    cell.SetText("1,234.5");
    cell.SetDataType(kDataNumber);
    EXPECT_DOUBLE_EQ(cell.GetNumber(), 1234.5);
    EXPECT_EQ(cell.GetStoredText(), "");
    EXPECT_EQ(cell.GetDataType(), kDataNumber);

    cell.Clear();
    cell.SetNumber(3.14159);
    cell.SetDataType(kDataCurrency);
    EXPECT_EQ(cell.GetText(), "3.14");
    EXPECT_DOUBLE_EQ(cell.GetNumber(), 3.1416);

    cell.Clear();
    cell.SetText("($1,234.56789)");
    cell.SetDataType(kDataCurrency);
    EXPECT_DOUBLE_EQ(cell.GetNumber(), -1234.5679);

    cell.Clear();
    cell.SetText("12 apples");
    cell.SetDataType(kDataCurrency);
    EXPECT_DOUBLE_EQ(cell.GetNumber(), 0);

    // Setting the same type again changes nothing.
    cell.Clear();
    cell.SetNumber(7);
    cell.GetText();
    cell.SetDataType(kDataNumber);
    EXPECT_DOUBLE_EQ(cell.GetNumber(), 7);

    EXPECT_EQ(cell.SetDataType(9), 1);
}

TEST(TableCell, NumbersKeepTheirValueThroughTypeChanges)
{
    ScopedLocale locale(English());
    CTableCell cell;
    cell.SetNumber(1234.5);
    cell.GetText(); // caches "1,234.5" as the text
    cell.SetDataType(kDataDateTime);
    EXPECT_DOUBLE_EQ(cell.GetNumber(), 1234.5);
    cell.SetDataType(kDataNumber);
    EXPECT_DOUBLE_EQ(cell.GetNumber(), 1234.5);
    cell.SetDataType(kDataText);
    EXPECT_EQ(cell.GetText(), "1,234.5");
}

TEST(TableCell, EmptyCellStaysEmptyAsANumber)
{
    CTableCell cell;
    cell.SetDataType(kDataNumber);
    EXPECT_FALSE(cell.HasText());
    EXPECT_EQ(cell.GetText(), "");
}

TEST(CellNumbers, DatesInTheLocaleFormats)
{
    ScopedLocale locale(English());
    double v = 0;
    EXPECT_EQ(ParseCellDate("1/2/2024", v), CellDateResult::ok);
    EXPECT_DOUBLE_EQ(v, 45293.0);
    EXPECT_EQ(ParseCellDate("12/30/1899", v), CellDateResult::ok);
    EXPECT_DOUBLE_EQ(v, 0.0);
    EXPECT_EQ(ParseCellDate("2024-01-02 06:00:00", v), CellDateResult::ok);
    EXPECT_DOUBLE_EQ(v, 45293.25);
    EXPECT_EQ(ParseCellDate("1/2/24", v), CellDateResult::ok); // two-digit year: 2024
    EXPECT_DOUBLE_EQ(v, 45293.0);
    EXPECT_EQ(ParseCellDate("12/29/1899 6:00", v), CellDateResult::ok);
    EXPECT_DOUBLE_EQ(v, -1.25); // before the epoch the fraction counts away from zero
    EXPECT_EQ(ParseCellDate("no date", v), CellDateResult::notADate);
    EXPECT_DOUBLE_EQ(v, 0.0);
    EXPECT_EQ(ParseCellDate("1/2/0050", v), CellDateResult::outOfRange);
    EXPECT_DOUBLE_EQ(v, -1.0);

    CTableCell cell;
    cell.SetText("1/2/2024");
    cell.SetDataType(kDataDateTime);
    EXPECT_DOUBLE_EQ(cell.GetNumber(), 45293.0);
    EXPECT_EQ(cell.GetText(), "1/2/2024");
}

TEST(CellNumbers, GermanDates)
{
    ScopedLocale locale(German());
    double v = 0;
    EXPECT_EQ(ParseCellDate("02.01.2024", v), CellDateResult::ok);
    EXPECT_DOUBLE_EQ(v, 45293.0);
}
