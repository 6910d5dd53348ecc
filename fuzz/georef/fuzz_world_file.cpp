// World files read from any bytes.
#include "georef/world_file.h"
#include "platform/file.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    nv::MemoryFile file(std::vector<unsigned char>(data, data + size));
    if (auto params = ReadWorldFile(file))
        (void)FormatWorldFile(*params);
    return 0;
}
