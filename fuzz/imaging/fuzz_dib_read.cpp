// Fuzzes the BMP reader, from an ordinary stream and from an in-memory BMP stream (which it
// takes over), and what follows a successful read: writing, reading back, turning. The image
// memory budget is set to 16 MB: images declaring more are refused by the same rule that
// refuses images beyond the memory of the machine, and turning has to fit it too.
#include "imaging/bmp_memory_file.h"
#include "imaging/dib.h"
#include "platform/file.h"
#include "platform/memory_budget.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    nv::SetImageMemoryBudget(16u << 20);
    COXDIB dib;
    nv::MemoryFile file(std::vector<unsigned char>(data, data + size));
    const bool read = dib.Read(file);

    nv::BmpMemoryFile memory;
    memory.Write(data, size);
    memory.SeekToBegin();
    COXDIB adopted;
    if (adopted.Read(memory) != read || adopted.GetDIB() != dib.GetDIB())
        std::abort(); // both ways of reading must agree
    if (!read)
        return 0;

    nv::MemoryFile out;
    if (!dib.Write(out))
        std::abort(); // whatever was read can be written
    out.SeekToBegin();
    COXDIB back;
    if (!back.Read(out))
        std::abort();

    dib.Rotate(90, true, false);
    return 0;
}
