// Points files read from any bytes: what reads must write back to a text that reads the same.
#include "georef/points_file.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PointsFileContents contents;
    std::string reason;
    if (!ParsePointsFile(std::string_view(reinterpret_cast<const char*>(data), size), contents,
                         reason)) {
        if (reason.empty())
            std::abort();
        return 0;
    }
    PointsFileContents again;
    if (!ParsePointsFile(FormatPointsFile(contents.points), again, reason) ||
        again.points != contents.points || again.disabled != 0)
        std::abort();
    return 0;
}
