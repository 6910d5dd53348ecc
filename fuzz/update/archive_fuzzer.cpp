// Unpacks arbitrary bytes as an update archive into a scratch folder and checks that the
// unpacker keeps its promises: nothing appears beside the folder, a refused archive leaves the
// folder empty, every file it reports is a regular file inside the folder, and the working
// folder is never touched.
#include "update/archive_extract.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path g_scratch;

void RemoveScratch()
{
    std::error_code ec;
    fs::remove_all(g_scratch, ec);
}

// A folder of this run's own, removed when the fuzzer exits.
const fs::path& Scratch()
{
    if (g_scratch.empty()) {
        std::string pattern = (fs::temp_directory_path() / "nv-fuzz-archive-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        g_scratch = pattern;
        std::atexit(RemoveScratch);
    }
    return g_scratch;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const fs::path start = fs::current_path();
    const fs::path base = Scratch();
    const fs::path archive = base / "in.zip";
    const fs::path work = base / "work";
    std::FILE* f = std::fopen(archive.c_str(), "wb");
    if (!f)
        std::abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    fs::remove_all(work);
    fs::create_directory(work);

    ArchiveLimits limits;
    limits.maxTotalBytes = 1u << 20;
    limits.maxEntries = 64;
    std::vector<std::string> written;
    const bool ok = ExtractArchive(archive.string(), work.string(), limits, &written);
    if (fs::current_path() != start)
        std::abort();

    for (const auto& entry : fs::directory_iterator(base))
        if (entry.path() != archive && entry.path() != work)
            std::abort();
    if (!ok && !fs::is_empty(work))
        std::abort();
    for (const std::string& file : written) {
        const fs::path path = work / file;
        if (fs::is_symlink(path) || !fs::is_regular_file(path))
            std::abort();
        if (fs::weakly_canonical(path).string().rfind(fs::canonical(work).string() + "/", 0) != 0)
            std::abort();
    }
    fs::remove_all(work);
    return 0;
}
