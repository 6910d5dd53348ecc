// Feeds arbitrary bytes to the version reader, both as a whole file (PE or ELF) and as a
// bare version block, and checks that a failed read leaves the object empty.
#include "support/version_info.h"

#include <cstdlib>

namespace {

void CheckEmptyAfterFailure(const COXVersionInfo& info, bool read)
{
    if (read)
        return;
    if (info.m_bValid || info.m_dwSignature != 0 || info.m_dwLanguageCountryID != 0 ||
        !info.m_sFileVersion.empty() || !info.m_sLanguageCountry.empty() ||
        !info.m_sProductName.empty())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    COXVersionInfo info;
    CheckEmptyAfterFailure(info, info.ReadInfoFromBytes(data, size));
    CheckEmptyAfterFailure(info, info.ReadInfoFromBlock(data, size));
    return 0;
}
