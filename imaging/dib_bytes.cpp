// Memory for image blocks.
#include "imaging/dib_bytes.h"

#include <cstdlib>
#include <sys/mman.h>

namespace nv {

namespace {

constexpr size_t kHugePage = size_t(2) << 20;
// Blocks from this size on are aligned for huge pages.
constexpr size_t kLargeBlock = size_t(4) << 20;

} // namespace

void* AllocateImageMemory(size_t bytes)
{
    if (bytes < kLargeBlock)
        return ::operator new(bytes);
    if (bytes > size_t(-1) - kHugePage)
        throw std::bad_alloc();
    const size_t rounded = (bytes + kHugePage - 1) & ~(kHugePage - 1);
    void* block = std::aligned_alloc(kHugePage, rounded);
    if (!block)
        throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    // Only advice: where huge pages are not available the block works the same.
    ::madvise(block, rounded, MADV_HUGEPAGE);
#endif
    return block;
}

void FreeImageMemory(void* block, size_t bytes) noexcept
{
    if (bytes < kLargeBlock)
        ::operator delete(block);
    else
        std::free(block);
}

} // namespace nv
