// How much memory one image may take on this machine, so that an image whose pixels cannot fit
// is refused before anything is allocated for it.
#pragma once

#include <cstdint>

namespace nv {

// The memory this process can give one image: the least of the machine's physical memory,
// the memory limit of its control group, and what its address-space and data-size limits
// leave, each less a margin for everything else. Measured on every call (limits can change).
uint64_t ImageMemoryBudget();

// Uses bytes as the budget instead of measuring it; 0 measures again. For tests and fuzzing.
void SetImageMemoryBudget(uint64_t bytes);

} // namespace nv
