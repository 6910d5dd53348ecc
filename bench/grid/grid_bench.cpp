// Benchmarks of the grid's memory data source, each against a baseline measured in the same
// run: reading a 100000 x 10 table row by row against a vector of vectors of the same cells,
// random access against the distance from the cursor, and sorting 10000 rows on one key
// against std::stable_sort of the same keys.
#include "grid/memory_data.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The best of several runs, in seconds.
double Best(int runs, const std::function<void()>& work)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

// Keeps the optimiser from dropping a result.
volatile size_t g_sink = 0;

void ReadTable()
{
    constexpr int kRows = 100000;
    constexpr int kColumns = 10;
    CTableMemoryData data;
    std::vector<std::vector<CTableCell>> plain(kRows, std::vector<CTableCell>(kColumns));
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            CTableCell cell;
            cell.SetText("r" + std::to_string(r) + "c" + std::to_string(c));
            data.WriteCell(c, r, cell);
            plain[size_t(r)][size_t(c)] = cell;
        }
    }
    CTableCell scratch;
    const double baseline = Best(5, [&] {
        size_t n = 0;
        for (int r = 0; r < kRows; ++r) {
            for (int c = 0; c < kColumns; ++c) {
                scratch.SetFlags(0);
                scratch.CopyFrom(plain[size_t(r)][size_t(c)]);
                n += scratch.GetStoredText().size();
            }
        }
        g_sink = g_sink + n;
    });
    const double linked = Best(5, [&] {
        size_t n = 0;
        for (int r = 0; r < kRows; ++r) {
            for (int c = 0; c < kColumns; ++c) {
                scratch.SetFlags(0);
                data.ReadCell(c, r, scratch);
                n += scratch.GetStoredText().size();
            }
        }
        g_sink = g_sink + n;
    });
    std::printf("read 100000 x 10 row by row: memory data %.1f ms, vector of vectors %.1f ms, "
                "ratio %.2f (target <= 10)\n",
                linked * 1e3, baseline * 1e3, linked / baseline);

    // Random access: the nodes walked against the distance from the cursor.
    std::mt19937 random(11);
    int row = data.CursorRow();
    int column = data.CursorColumn();
    uint64_t distance = 0;
    const uint64_t before = data.StepCount();
    const int accesses = 2000;
    for (int i = 0; i < accesses; ++i) {
        const int r = int(random() % kRows);
        const int c = int(random() % kColumns);
        distance +=
            r != row ? uint64_t(std::abs(r - row)) + uint64_t(c) : uint64_t(std::abs(c - column));
        data.ReadCell(c, r, scratch);
        row = r;
        column = c;
    }
    const uint64_t walked = data.StepCount() - before;
    std::printf("random access, %d reads: %llu nodes walked, distance from the cursor %llu, "
                "ratio %.3f (never above 1)\n",
                accesses, static_cast<unsigned long long>(walked),
                static_cast<unsigned long long>(distance), double(walked) / double(distance));
}

// Counts the comparisons of the sort through the host.
class CountingHost : public TableDataSourceHost
{
public:
    uint64_t compares = 0;
    int CompareForSort(const CTableCell* a, const CTableCell* b, int flags) override
    {
        ++compares;
        return CompareCellsForSort(a, b, flags);
    }
    int DisplayColumnOf(const CTableDataSource*, int column) const override { return column; }
    void ShiftSourceColumns(const CTableDataSource*, int, int) override {}
    int SourceColumnCount() const override { return 2; }
    int SourceRowCount() const override { return 10000; }
};

void SortRows()
{
    constexpr int kRows = 10000;
    std::mt19937 random(5);
    std::vector<CTableCell> keys(kRows);
    for (CTableCell& k : keys)
        k.SetNumber(double(random() % 100000) / 7.0);

    // The sort alone, without filling the source.
    uint64_t compares = 0;
    double sortOnly = 1e300;
    for (int i = 0; i < 3; ++i) {
        CTableMemoryData data;
        CountingHost host;
        data.SetHost(&host);
        for (int r = 0; r < kRows; ++r)
            data.WriteCell(0, r, keys[size_t(r)]);
        const auto start = Clock::now();
        data.SortAll({0}, 0);
        sortOnly = std::min(sortOnly, std::chrono::duration<double>(Clock::now() - start).count());
        compares = host.compares;
    }
    uint64_t stdCompares = 0;
    const double baseline = Best(3, [&] {
        std::vector<const CTableCell*> order;
        order.reserve(keys.size());
        for (const CTableCell& k : keys)
            order.push_back(&k);
        stdCompares = 0;
        std::stable_sort(order.begin(), order.end(), [&](const CTableCell* a, const CTableCell* b) {
            ++stdCompares;
            return CompareCellsForSort(a, b, 0) < 0;
        });
        g_sink = g_sink + size_t(order.front() - keys.data());
    });
    std::printf("sort 10000 rows on one key: %.1f ms (%llu comparisons), std::stable_sort "
                "%.2f ms (%llu comparisons), ratio %.1f\n",
                sortOnly * 1e3, static_cast<unsigned long long>(compares), baseline * 1e3,
                static_cast<unsigned long long>(stdCompares), sortOnly / baseline);
}

} // namespace

int main()
{
    ReadTable();
    SortRows();
    return 0;
}
