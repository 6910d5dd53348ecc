// The memory data source: growth in both directions, cursors, rows and columns, search and
// the stable sort.
#include "grid/memory_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

CTableCell Text(const std::string& text)
{
    CTableCell c;
    c.SetText(text);
    return c;
}

std::string Read(CTableMemoryData& data, int column, int row)
{
    CTableCell c;
    c.SetFlags(0);
    if (data.ReadCell(column, row, c) != 0)
        return "<none>";
    return c.GetText();
}

// A host with fixed counts that records column shifts.
class Host : public TableDataSourceHost
{
public:
    int columns = 0;
    int rows = 0;
    std::vector<int> sourceColumns; // display column -> source column
    int compares = 0;

    int CompareForSort(const CTableCell* a, const CTableCell* b, int flags) override
    {
        ++compares;
        return CompareCellsForSort(a, b, flags);
    }
    int DisplayColumnOf(const CTableDataSource*, int sourceColumn) const override
    {
        for (size_t i = 0; i < sourceColumns.size(); ++i)
            if (sourceColumns[i] == sourceColumn)
                return int(i);
        return -1;
    }
    void ShiftSourceColumns(const CTableDataSource*, int from, int delta) override
    {
        for (int& c : sourceColumns)
            if (c >= from)
                c += delta;
    }
    int SourceColumnCount() const override { return columns; }
    int SourceRowCount() const override { return rows; }
};

} // namespace

TEST(MemoryData, GrowsTowardsHeadingIndexes)
{
    CTableMemoryData data;
    data.WriteCell(-1, -1, Text("corner"));
    data.WriteCell(0, 0, Text("a"));
    EXPECT_EQ(Read(data, -1, -1), "corner");
    EXPECT_EQ(Read(data, 0, 0), "a");
    // Row 0 has a node for column 0 only, and row -1 an empty one for column 0.
    EXPECT_EQ(Read(data, -1, 0), "<none>");
    EXPECT_EQ(Read(data, 0, -1), "<none>");
    EXPECT_EQ(data.GetLastRow(), 0);
}

TEST(MemoryData, MissingCellsLeaveTheCallersCellAlone)
{
    CTableMemoryData data;
    data.WriteCell(3, 2, Text("x"));
    CTableCell c;
    c.SetText("before");
    EXPECT_EQ(data.ReadCell(1, 2, c), 1); // node exists, no cell
    EXPECT_EQ(data.ReadCell(9, 2, c), 1); // past the row's nodes
    EXPECT_EQ(data.ReadCell(0, 7, c), 1); // past the last row
    EXPECT_EQ(data.ReadCell(0, -4, c), 1);
    EXPECT_EQ(c.GetText(), "before");
}

TEST(MemoryData, WritingReplacesWhatWasStored)
{
    CTableMemoryData data;
    CTableCell first;
    first.SetText("a");
    first.SetParam(4);
    data.WriteCell(0, 0, first);
    CTableCell second;
    second.SetFlags(0);
    second.SetBackColor(0xFF);
    data.WriteCell(0, 0, second);
    CTableCell out;
    out.SetFlags(0);
    ASSERT_EQ(data.ReadCell(0, 0, out), 0);
    EXPECT_EQ(out.GetFlags(), TableCellFlag::backColor);
}

TEST(MemoryData, SequentialAccessCostsOneStepPerCell)
{
    CTableMemoryData data;
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 10; ++c)
            data.WriteCell(c, r, Text("v"));
    CTableCell cell;
    data.ReadCell(0, 0, cell);
    const uint64_t before = data.StepCount();
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 10; ++c)
            data.ReadCell(c, r, cell);
    // One step per cell along a row, one per row change (which restarts at column 0).
    EXPECT_LE(data.StepCount() - before, uint64_t(50 * 10));
    // Random access costs at most the distance from the cursor.
    const uint64_t at = data.StepCount();
    data.ReadCell(5, 10, cell);
    EXPECT_LE(data.StepCount() - at, uint64_t(49 - 10 + 5));
    // Going back and forth between two places (locked rows and the rows shown) costs the
    // steps within each place, not the way between them.
    data.ReadCell(0, 49, cell);
    data.ReadCell(0, 0, cell);
    const uint64_t back = data.StepCount();
    for (int i = 0; i < 5; ++i) {
        data.ReadCell(0, 1, cell);
        data.ReadCell(0, 48, cell);
    }
    EXPECT_LE(data.StepCount() - back, uint64_t(10));
}

TEST(MemoryData, InsertAndDeleteRowsAndCells)
{
    CTableMemoryData data;
    for (int r = 0; r < 3; ++r)
        data.WriteCell(0, r, Text("r" + std::to_string(r)));
    EXPECT_EQ(data.InsertRow(1), 0);
    EXPECT_EQ(Read(data, 0, 1), "<none>");
    EXPECT_EQ(Read(data, 0, 2), "r1");
    EXPECT_EQ(data.InsertRow(9), 1);
    EXPECT_EQ(data.DeleteRow(0), 0);
    EXPECT_EQ(Read(data, 0, 1), "r1");
    EXPECT_EQ(data.DeleteRow(2), 0); // the last row: the cursor goes back one
    EXPECT_EQ(Read(data, 0, 1), "r1");
    EXPECT_EQ(data.GetLastRow(), 1);
    EXPECT_EQ(data.DeleteCell(0, 1), 0);
    EXPECT_EQ(Read(data, 0, 1), "<none>");
    EXPECT_EQ(data.DeleteCell(0, 1), 1);
    data.Empty();
    EXPECT_EQ(data.GetLastRow(), -1);
    data.WriteCell(0, 5, Text("again"));
    EXPECT_EQ(Read(data, 0, 5), "again");
}

TEST(MemoryData, ColumnsInsertedAndDeletedKeepTheGridsMapping)
{
    CTableMemoryData data;
    Host host;
    host.sourceColumns = {0, 1, 2};
    data.SetHost(&host);
    for (int c = -1; c < 3; ++c)
        data.WriteCell(c, 0, Text("c" + std::to_string(c)));
    data.InsertColumn(0);
    EXPECT_EQ(Read(data, -1, 0), "c-1");
    EXPECT_EQ(Read(data, 0, 0), "<none>");
    EXPECT_EQ(Read(data, 1, 0), "c0");
    EXPECT_EQ(host.sourceColumns, (std::vector<int>{1, 2, 3}));
    data.DeleteColumn(0);
    EXPECT_EQ(Read(data, 0, 0), "c0");
    EXPECT_EQ(Read(data, -1, 0), "c-1");
    EXPECT_EQ(host.sourceColumns, (std::vector<int>{0, 1, 2}));
    // Deleting the only data column keeps the heading cell reachable.
    CTableMemoryData single;
    single.WriteCell(-1, 0, Text("h"));
    single.WriteCell(0, 0, Text("d"));
    single.DeleteColumn(0);
    EXPECT_EQ(Read(single, -1, 0), "h");
    single.WriteCell(0, 0, Text("new"));
    EXPECT_EQ(Read(single, 0, 0), "new");
    EXPECT_EQ(Read(single, -1, 0), "h");
}

TEST(MemoryData, NearestTextToTheLeft)
{
    CTableMemoryData data;
    data.WriteCell(0, 0, Text("a"));
    data.WriteCell(3, 0, Text("b"));
    EXPECT_EQ(data.NearestTextLeft(3, 0), 0);
    EXPECT_EQ(data.NearestTextLeft(5, 0), 3);
    EXPECT_EQ(data.NearestTextLeft(0, 0), -1);
}

TEST(MemoryData, FindMatchesWholeTextAnywhereAndIgnoringCase)
{
    CTableMemoryData data;
    Host host;
    host.columns = 2;
    host.rows = 3;
    data.SetHost(&host);
    data.WriteCell(1, 0, Text("abc"));
    data.WriteCell(0, 2, Text("ab"));
    data.WriteCell(1, 2, Text("xAB"));

    int c = 0, r = 0;
    // Down the columns: (0,0) -> (0,1) -> (0,2) "ab".
    ASSERT_EQ(data.FindNext("ab", c, r, 0), 0);
    EXPECT_EQ(c, 0);
    EXPECT_EQ(r, 2);
    // Whole text: "abc" never matches "ab"; from (0,2) it wraps round to (0,2) itself.
    ASSERT_EQ(data.FindNext("ab", c, r, 0), 0);
    EXPECT_EQ(std::make_pair(c, r), std::make_pair(0, 2));
    // Anywhere, along rows, from (0,2): wraps to row 0 and finds "abc" at (1,0).
    ASSERT_EQ(data.FindNext("ab", c, r, TableFindFlag::anywhere | TableFindFlag::byRows), 0);
    EXPECT_EQ(std::make_pair(c, r), std::make_pair(1, 0));
    // Ignoring case, anywhere, backwards along rows from (1,0): wraps to (1,2) "xAB".
    ASSERT_EQ(data.FindNext("ab", c, r,
                            TableFindFlag::anywhere | TableFindFlag::ignoreCase |
                                TableFindFlag::byRows | TableFindFlag::backwards),
              0);
    EXPECT_EQ(std::make_pair(c, r), std::make_pair(1, 2));
    // Case matters without the flag.
    c = r = 0;
    EXPECT_EQ(data.FindNext("AB", c, r, TableFindFlag::anywhere), 0);
    EXPECT_EQ(std::make_pair(c, r), std::make_pair(1, 2));
    EXPECT_EQ(data.FindNext("zz", c, r, TableFindFlag::anywhere), 1);
    EXPECT_EQ(data.FindNext("", c, r, TableFindFlag::anywhere), 1);
}

TEST(MemoryData, FindWrapsFromTheLastCellAndFindFirstStartsBeforeTheFirst)
{
    CTableMemoryData data;
    Host host;
    host.columns = 3;
    host.rows = 3;
    data.SetHost(&host);
    data.WriteCell(0, 0, Text("hit"));
    data.WriteCell(2, 2, Text("hit"));
    int c = 2, r = 2;
    ASSERT_EQ(data.FindNext("hit", c, r, TableFindFlag::byRows), 0);
    EXPECT_EQ(std::make_pair(c, r), std::make_pair(0, 0));
    ASSERT_EQ(data.FindFirst("hit", c, r, TableFindFlag::byRows), 0);
    EXPECT_EQ(std::make_pair(c, r), std::make_pair(0, 0));
    ASSERT_EQ(data.FindFirst("hit", c, r, TableFindFlag::backwards), 0);
    EXPECT_EQ(std::make_pair(c, r), std::make_pair(2, 2));
    // Down the columns the search covers every column, not just the first.
    data.WriteCell(0, 0, Text("-"));
    c = 0;
    r = 0;
    ASSERT_EQ(data.FindNext("hit", c, r, 0), 0);
    EXPECT_EQ(std::make_pair(c, r), std::make_pair(2, 2));
}

namespace {

void Fill(CTableMemoryData& data, const std::vector<int>& keys)
{
    for (size_t i = 0; i < keys.size(); ++i) {
        CTableCell k;
        k.SetNumber(keys[i]);
        data.WriteCell(0, int(i), k);
        data.WriteCell(1, int(i), Text(std::to_string(i)));
    }
}

std::vector<std::string> Order(CTableMemoryData& data, int rows)
{
    std::vector<std::string> out;
    for (int r = 0; r < rows; ++r)
        out.push_back(Read(data, 1, r));
    return out;
}

std::vector<std::string> Expected(const std::vector<int>& keys, bool descending)
{
    std::vector<size_t> index(keys.size());
    for (size_t i = 0; i < index.size(); ++i)
        index[i] = i;
    std::stable_sort(index.begin(), index.end(), [&](size_t a, size_t b) {
        return descending ? keys[a] > keys[b] : keys[a] < keys[b];
    });
    std::vector<std::string> out;
    for (size_t i : index)
        out.push_back(std::to_string(i));
    return out;
}

} // namespace

TEST(MemoryData, SortIsStableAcrossJumps)
{
    std::mt19937 random(7);
    for (int n : {2, 3, 99, 101, 250, 1000}) {
        std::vector<int> keys(static_cast<size_t>(n), 0);
        for (int& k : keys)
            k = int(random() % 23);
        for (bool descending : {false, true}) {
            CTableMemoryData data;
            Fill(data, keys);
            ASSERT_EQ(data.SortAll({0}, descending ? TableSortFlag::descending : 0), 0);
            EXPECT_EQ(data.CursorRow(), 0);
            EXPECT_EQ(Order(data, n), Expected(keys, descending)) << n << " " << descending;
        }
    }
}

TEST(MemoryData, SortOfAPartKeepsTheRestAndHeadings)
{
    CTableMemoryData data;
    Fill(data, {5, 4, 3, 2, 1});
    data.WriteCell(1, -1, Text("heading"));
    ASSERT_EQ(data.Sort(1, 3, {0}, 0), 0);
    EXPECT_EQ(Order(data, 5), (std::vector<std::string>{"0", "3", "2", "1", "4"}));
    EXPECT_EQ(Read(data, 1, -1), "heading");
    EXPECT_EQ(data.Sort(3, 3, {0}, 0), 1);
    EXPECT_EQ(data.Sort(4, 2, {0}, 0), 1);
    CTableMemoryData empty;
    EXPECT_EQ(empty.SortAll({0}, 0), 1);
}

TEST(MemoryData, SortWithSeveralKeysAndMissingCells)
{
    CTableMemoryData data;
    Host host;
    data.SetHost(&host);
    // Key 0 text, key 1 number; row 3 has no key cell and sorts last.
    const char* texts[] = {"b", "a", "b", nullptr, "a"};
    const int numbers[] = {2, 9, 1, 0, 3};
    for (int r = 0; r < 5; ++r) {
        if (texts[r])
            data.WriteCell(0, r, Text(texts[r]));
        CTableCell n;
        n.SetNumber(numbers[r]);
        data.WriteCell(1, r, n);
        data.WriteCell(2, r, Text(std::to_string(r)));
    }
    ASSERT_EQ(data.SortAll({0, 1}, 0), 0);
    std::vector<std::string> order;
    for (int r = 0; r < 5; ++r)
        order.push_back(Read(data, 2, r));
    EXPECT_EQ(order, (std::vector<std::string>{"4", "1", "2", "0", "3"}));
    EXPECT_GT(host.compares, 0);
}

TEST(MemoryData, CompareCellsForSort)
{
    CTableCell a = Text("abc");
    CTableCell b = Text("abd");
    CTableCell none;
    none.SetFlags(0);
    EXPECT_LT(CompareCellsForSort(&a, &b, 0), 0);
    EXPECT_GT(CompareCellsForSort(&a, &b, TableSortFlag::descending), 0);
    EXPECT_EQ(CompareCellsForSort(nullptr, &a, 0), 1);
    EXPECT_EQ(CompareCellsForSort(nullptr, nullptr, 0), 0);
    EXPECT_EQ(CompareCellsForSort(&a, nullptr, 0), -1);
    EXPECT_LT(CompareCellsForSort(&none, &a, 0), 0); // no text sorts first
    CTableCell n1, n2;
    n1.SetNumber(10);
    n2.SetNumber(9);
    EXPECT_GT(CompareCellsForSort(&n1, &n2, 0), 0); // numbers, not texts
    CTableCell high = Text("\xC3\xA9");             // bytes above 0x7F sort after ASCII
    EXPECT_GT(CompareCellsForSort(&high, &a, 0), 0);
}

TEST(MemoryData, ReadsStayRightAfterRowsMove)
{
    CTableMemoryData data;
    for (int r = 0; r < 100; ++r)
        data.WriteCell(0, r, Text(std::to_string(r)));
    auto textAt = [&](int row) {
        CTableCell cell;
        cell.SetFlags(0);
        return data.ReadCell(0, row, cell) == 0 ? cell.GetStoredText() : std::string("-");
    };
    // Two places far apart, so that both are remembered; then rows move under them.
    EXPECT_EQ(textAt(90), "90");
    EXPECT_EQ(textAt(5), "5");
    ASSERT_EQ(data.InsertRow(50), 0);
    EXPECT_EQ(textAt(91), "90");
    EXPECT_EQ(textAt(5), "5");
    ASSERT_EQ(data.DeleteRow(0), 0);
    EXPECT_EQ(textAt(90), "90");
    EXPECT_EQ(textAt(0), "1");
    EXPECT_EQ(textAt(-1), "-");
    data.WriteCell(0, -1, Text("heading")); // a new first row
    EXPECT_EQ(textAt(89), "89");
    EXPECT_EQ(textAt(-1), "heading");
    EXPECT_EQ(textAt(0), "1");
}
