// Local versions and their comparison.
#include "update/versions.h"

#include "platform/c_numbers.h"
#include "support/paths.h"
#include "support/version_info.h"

#include <cstdio>
#include <ctime>
#include <sys/stat.h>

std::string FormatFileVersion(const std::string& fileVersion)
{
    return nv::FormatFixed(nv::LeadingDouble(fileVersion), 2);
}

std::string LocalVersion(const std::string& path)
{
    if (!FileExists(path))
        return "0.0";
    COXVersionInfo info;
    if (info.ReadInfo(path) && !info.m_sFileVersion.empty())
        return FormatFileVersion(info.m_sFileVersion);
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) {
        std::tm local{};
        const time_t modified = st.st_mtime;
        if (::localtime_r(&modified, &local)) {
            char text[32];
            std::snprintf(text, sizeof text, "%d%02d%02d", local.tm_year + 1900, local.tm_mon + 1,
                          local.tm_mday);
            return text;
        }
    }
    return "0.0";
}

bool IsNewerVersion(const std::string& localVersion, const std::string& manifestVersion)
{
    // std::string compares its characters as unsigned bytes.
    return localVersion.compare(manifestVersion) < 0;
}
