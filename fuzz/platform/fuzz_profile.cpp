// Profile texts: reading keys, and writing one keeps every other value readable.
#include "platform/profile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string before = nv::Profile::Lookup(text, "Other", "Key", "<none>");
    (void)nv::Profile::Lookup(text, "Defaults", "Coord Type", "5");
    const std::string updated =
        nv::Profile::Update(text, "Defaults", "Window Pos", "0,1,-1,-1,-1,-1,1,2,3,4");
    if (nv::Profile::Lookup(updated, "Defaults", "Window Pos", "") != "0,1,-1,-1,-1,-1,1,2,3,4")
        std::abort();
    if (nv::Profile::Lookup(updated, "Other", "Key", "<none>") != before)
        std::abort();
    return 0;
}
