// Placeholder until the reader lands.
#include "support/version_info.h"

COXVersionInfo::COXVersionInfo() = default;
COXVersionInfo::~COXVersionInfo() = default;
void COXVersionInfo::Reset() { *this = COXVersionInfo(); }
bool COXVersionInfo::ReadInfo(const std::string&)
{
    Reset();
    return false;
}
std::string VersionLanguageName(uint16_t) { return {}; }
