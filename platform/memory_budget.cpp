// The memory budget of an image: physical memory, control-group limits and resource limits.
#include "platform/memory_budget.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace nv {

namespace {

constexpr uint64_t kMB = uint64_t(1) << 20;
constexpr uint64_t kNoLimit = UINT64_MAX;

std::atomic<uint64_t> g_budget{0};

// The number at the start of a file; kNoLimit when the file is missing or says "max".
uint64_t ReadLimit(const std::string& path)
{
    std::ifstream in(path);
    uint64_t value = 0;
    return in >> value ? value : kNoLimit;
}

// The memory limit of the process's control group (version 2, or version 1's memory
// controller), looked up under the group's own path and at the root of the mount (where a
// container sees its own group).
uint64_t ControlGroupLimit()
{
    std::ifstream groups("/proc/self/cgroup");
    uint64_t limit = kNoLimit;
    std::string line;
    while (std::getline(groups, line)) {
        const size_t first = line.find(':'), second = line.find(':', first + 1);
        if (first == std::string::npos || second == std::string::npos)
            continue;
        const std::string controllers = line.substr(first + 1, second - first - 1);
        const std::string path = line.substr(second + 1);
        std::string mount, file;
        if (controllers.empty()) {
            mount = "/sys/fs/cgroup";
            file = "/memory.max";
        } else if (("," + controllers + ",").find(",memory,") != std::string::npos) {
            mount = "/sys/fs/cgroup/memory";
            file = "/memory.limit_in_bytes";
        } else {
            continue;
        }
        limit = std::min(
            {limit, ReadLimit(mount + (path == "/" ? "" : path) + file), ReadLimit(mount + file)});
    }
    return limit;
}

// Pages of the process's address space (field 0) or data (field 5) in /proc/self/statm.
uint64_t StatmBytes(int field)
{
    std::ifstream in("/proc/self/statm");
    uint64_t value = 0;
    for (int i = 0; i <= field; ++i)
        if (!(in >> value))
            return 0;
    return value * uint64_t(::sysconf(_SC_PAGESIZE));
}

// What a resource limit leaves beyond what is in use, less a small margin.
uint64_t LeftUnder(int resource, int statmField)
{
    struct rlimit limit;
    if (::getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return kNoLimit;
    const uint64_t used = StatmBytes(statmField) + 64 * kMB;
    return uint64_t(limit.rlim_cur) > used ? uint64_t(limit.rlim_cur) - used : 0;
}

} // namespace

uint64_t ImageMemoryBudget()
{
    if (const uint64_t set = g_budget.load())
        return set;
    const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
    uint64_t memory = pages > 0 && pageSize > 0 ? uint64_t(pages) * uint64_t(pageSize) : kNoLimit;
    memory = std::min(memory, ControlGroupLimit());
    // A quarter of the memory (at least 256 MB) stays for the system and other programs.
    const uint64_t margin = std::max(memory / 4, 256 * kMB);
    uint64_t budget = memory == kNoLimit ? kNoLimit : memory > margin ? memory - margin : 0;
    budget = std::min({budget, LeftUnder(RLIMIT_AS, 0), LeftUnder(RLIMIT_DATA, 5)});
    return budget;
}

void SetImageMemoryBudget(uint64_t bytes)
{
    g_budget = bytes;
}

} // namespace nv
