// Fuzzes the BMP reader, from an ordinary stream and from an in-memory BMP stream (which it
// takes over), and what follows a successful read: writing, reading back, turning.
#include "imaging/bmp_memory_file.h"
#include "imaging/dib.h"
#include "platform/file.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
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

    const DIBSize s = dib.GetSize();
    if (uint64_t(s.cx) * uint64_t(s.cy) <= (1u << 20))
        dib.Rotate(90, true, false);
    return 0;
}
