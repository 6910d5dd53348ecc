// The recent images.
#include "app/recent_files.h"

#include "app/dialog_host.h"

#include <algorithm>
#include <filesystem>

namespace {

const char* const kSection = "Recent Files";

std::string Key(size_t index)
{
    return "File" + std::to_string(index + 1);
}

} // namespace

CRecentFiles CRecentFiles::Read(DialogHost& host)
{
    CRecentFiles list;
    for (size_t i = 0; i < kMaxFiles; ++i) {
        const std::string path = host.GetProfileString(kSection, Key(i), "");
        if (!path.empty() &&
            std::find(list.m_paths.begin(), list.m_paths.end(), path) == list.m_paths.end())
            list.m_paths.push_back(path);
    }
    return list;
}

bool CRecentFiles::Write(DialogHost& host) const
{
    bool written = true;
    for (size_t i = 0; i < kMaxFiles; ++i) {
        const std::string value = i < m_paths.size() ? m_paths[i] : std::string();
        if (host.GetProfileString(kSection, Key(i), "") != value)
            written = host.WriteProfileString(kSection, Key(i), value) && written;
    }
    return written;
}

void CRecentFiles::Add(const std::string& path)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    const std::string full = error ? path : absolute.lexically_normal().string();
    Remove(full);
    m_paths.insert(m_paths.begin(), full);
    if (m_paths.size() > kMaxFiles)
        m_paths.resize(kMaxFiles);
}

void CRecentFiles::Remove(const std::string& path)
{
    m_paths.erase(std::remove(m_paths.begin(), m_paths.end(), path), m_paths.end());
}

std::string CRecentFiles::MenuText(size_t index, const std::string& path, const std::string& home,
                                   size_t maxLength)
{
    std::string shown = path;
    if (!home.empty() && home != "/" && shown.size() > home.size() &&
        shown.compare(0, home.size(), home) == 0 && shown[home.size()] == '/')
        shown = "~" + shown.substr(home.size());
    if (shown.size() > maxLength) {
        // Keep the first whole folders that fit and the whole file name.
        const size_t slash = shown.rfind('/');
        const std::string name = slash == std::string::npos ? shown : shown.substr(slash);
        const size_t room = maxLength > name.size() + 3 ? maxLength - name.size() - 3 : 0;
        std::string start = shown.substr(0, room);
        start.resize(start.rfind('/') == std::string::npos ? 0 : start.rfind('/') + 1);
        shown = start + "..." + name;
    }
    std::string text;
    for (char c : shown) {
        if (c == '&')
            text += '&';
        text += c;
    }
    return "&" + std::to_string(index + 1) + " " + text;
}
