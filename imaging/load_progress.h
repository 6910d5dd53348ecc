// How far a load running on a worker thread has got, and the flag that stops it. The worker
// writes these, any thread may read them or set the flag; nothing else is shared with it.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

struct LoadProgress
{
    // Once set, the work stops at the next band of rows and fails.
    std::atomic<bool> cancel{false};
    // Rows of the image decoded so far, of rows (0 while not known).
    std::atomic<uint32_t> rowsDone{0};
    std::atomic<uint32_t> rows{0};
    // How far the whole work is, in thousandths.
    std::atomic<uint32_t> permille{0};

    bool Cancelled() const { return cancel.load(std::memory_order_relaxed); }
    void SetRows(uint32_t done, uint32_t total)
    {
        rows.store(total, std::memory_order_relaxed);
        rowsDone.store(done, std::memory_order_relaxed);
    }
    void SetPermille(uint64_t done, uint64_t total)
    {
        permille.store(total ? uint32_t(std::min<uint64_t>(done, total) * 1000 / total) : 0,
                       std::memory_order_relaxed);
    }
};
