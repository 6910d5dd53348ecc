// Path helpers.
#include "support/paths.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace {

#ifdef _WIN32
constexpr bool kWindowsPaths = true;
#else
constexpr bool kWindowsPaths = false;
#endif

bool IsSeparator(char c)
{
    return c == '/' || (kWindowsPaths && c == '\\');
}

struct PathParts
{
    std::string drive, dir, title, ext;
};

// Splits the way the C runtime's path splitter does: the drive is a leading "X:", the folder
// runs to the last separator, and the extension starts at the last dot of what remains.
PathParts Split(const std::string& path)
{
    PathParts p;
    size_t pos = 0;
    if (kWindowsPaths && path.size() >= 2 && path[1] == ':') {
        p.drive = path.substr(0, 2);
        pos = 2;
    }
    size_t lastSep = std::string::npos;
    for (size_t i = pos; i < path.size(); ++i)
        if (IsSeparator(path[i]))
            lastSep = i;
    size_t nameStart = pos;
    if (lastSep != std::string::npos) {
        p.dir = path.substr(pos, lastSep + 1 - pos);
        nameStart = lastSep + 1;
    }
    const std::string name = path.substr(nameStart);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) {
        p.title = name;
    } else {
        p.title = name.substr(0, dot);
        p.ext = name.substr(dot);
    }
    return p;
}

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

} // namespace

bool GetPathDrive(const std::string& path, std::string& drive)
{
    drive = Split(path).drive;
    return true;
}

bool GetPathDir(const std::string& path, std::string& dir)
{
    dir = Split(path).dir;
    return true;
}

bool GetPathTitle(const std::string& path, std::string& title)
{
    title = Split(path).title;
    return true;
}

bool GetPathExtension(const std::string& path, std::string& extension)
{
    extension = Split(path).ext;
    return true;
}

bool GetPathFolder(const std::string& path, std::string& folder)
{
    const PathParts p = Split(path);
    folder = p.drive + p.dir;
    return true;
}

bool ReplaceExtension(const std::string& path, const std::string& extension, std::string& result)
{
    const PathParts p = Split(path);
    result = p.drive + p.dir + p.title;
    if (!extension.empty()) {
        if (extension[0] != '.')
            result += '.';
        result += extension;
    }
    return true;
}

bool FileExists(const std::string& path, uint32_t* size)
{
    if (size)
        *size = 0;
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return false;
    if (size)
        *size = uint32_t(uint64_t(st.st_size) & 0xFFFFFFFFu);
    return true;
}

std::string FindFileIgnoringExtensionCase(const std::string& path)
{
    if (FileExists(path))
        return path;
    const PathParts p = Split(path);
    const std::string folder = p.drive + p.dir;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return {};
    std::vector<std::string> matches;
    while (dirent* entry = ::readdir(dir)) {
        const PathParts q = Split(entry->d_name);
        if (q.title == p.title && !q.ext.empty() && EqualNoCase(q.ext, p.ext))
            matches.push_back(folder + entry->d_name);
    }
    ::closedir(dir);
    // Several spellings may exist side by side; the choice must not depend on the
    // directory's order.
    std::sort(matches.begin(), matches.end());
    std::string found = matches.empty() ? std::string() : matches.front();
    return found;
}

bool SplitFields(std::vector<std::string>& fields, const char* text, const char* delimiters)
{
    fields.clear();
    if (!text)
        return false;
    const char* start = text;
    for (;;) {
        const size_t len = std::strcspn(start, delimiters ? delimiters : "");
        fields.emplace_back(start, len);
        if (start[len] == '\0')
            break;
        start += len + 1;
    }
    return true;
}
