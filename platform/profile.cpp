// Initialisation-file profile, read afresh on every query and replaced atomically on writes.
#include "platform/profile.h"

#include "platform/app_paths.h"
#include "platform/atomic_file.h"
#include "platform/c_numbers.h"
#include "platform/file.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <vector>

namespace nv {

namespace {

constexpr uint64_t kMaxProfileBytes = 4u << 20;

std::string Trim(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r'))
        --e;
    return s.substr(b, e - b);
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = (unsigned char)a[i], y = (unsigned char)b[i];
        if (x >= 'A' && x <= 'Z')
            x = (unsigned char)(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = (unsigned char)(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        if (nl == std::string::npos)
            nl = text.size();
        std::string line = text.substr(start, nl - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = nl + 1;
    }
    return lines;
}

// A section header "[name]"; returns false for any other line.
bool SectionName(const std::string& line, std::string& name)
{
    std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[')
        return false;
    size_t close = t.find(']');
    if (close == std::string::npos)
        return false;
    name = Trim(t.substr(1, close - 1));
    return true;
}

// A "key=value" line; returns false for any other line.
bool KeyValue(const std::string& line, std::string& key, std::string& value)
{
    size_t eq = line.find('=');
    if (eq == std::string::npos)
        return false;
    key = Trim(line.substr(0, eq));
    if (key.empty() || key[0] == ';' || key[0] == '#')
        return false;
    value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && ((value.front() == '"' && value.back() == '"') ||
                              (value.front() == '\'' && value.back() == '\'')))
        value = value.substr(1, value.size() - 2);
    return true;
}

bool HasLineBreak(const std::string& s)
{
    return s.find_first_of("\r\n") != std::string::npos || s.find('\0') != std::string::npos;
}

bool MakeFolders(const std::string& folder)
{
    if (folder.empty())
        return true;
    for (size_t i = 1; i <= folder.size(); ++i) {
        if (i == folder.size() || folder[i] == '/') {
            std::string part = folder.substr(0, i);
            if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
                return false;
        }
    }
    return true;
}

} // namespace

Profile::Profile(std::string path) : m_path(std::move(path)) {}

std::string Profile::DefaultPath()
{
    return UserConfigFolder() + "Nulo_Vandrel.ini";
}

std::string Profile::Lookup(const std::string& text, const std::string& section,
                            const std::string& key, const std::string& defaultValue)
{
    bool inSection = false;
    for (const std::string& line : SplitLines(text)) {
        std::string name, k, v;
        if (SectionName(line, name))
            inSection = EqualNoCase(name, section);
        else if (inSection && KeyValue(line, k, v) && EqualNoCase(k, key))
            return v;
    }
    return defaultValue;
}

std::string Profile::GetString(const std::string& section, const std::string& key,
                               const std::string& defaultValue) const
{
    std::string text;
    if (!ReadTextFile(m_path, text, kMaxProfileBytes))
        return defaultValue;
    return Lookup(text, section, key, defaultValue);
}

int Profile::GetInt(const std::string& section, const std::string& key, int defaultValue) const
{
    const std::string value = GetString(section, key, {});
    size_t pos = 0;
    long long number = 0;
    if (!ScanInt(value, pos, number))
        return defaultValue;
    if (number > 2147483647LL || number < -2147483648LL)
        return defaultValue;
    return int(number);
}

bool Profile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value)
{
    if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value) || Trim(key).empty() ||
        key.find('=') != std::string::npos || section.find(']') != std::string::npos)
        return false;
    std::string text;
    struct stat st;
    if (::stat(m_path.c_str(), &st) == 0) {
        // Never replace a profile that exists but cannot be read: its lines would be lost.
        if (!ReadTextFile(m_path, text, kMaxProfileBytes))
            return false;
    } else {
        const size_t slash = m_path.rfind('/');
        if (slash != std::string::npos && !MakeFolders(m_path.substr(0, slash)))
            return false;
    }

    return WriteFileAtomically(m_path, Update(text, section, key, value));
}

std::string Profile::Update(const std::string& text, const std::string& section,
                            const std::string& key, const std::string& value)
{
    std::vector<std::string> lines = SplitLines(text);
    const std::string newLine = key + "=" + value;
    bool inSection = false, done = false;
    long sectionEnd = -1; // index after the last non-blank line of the wanted section
    for (size_t i = 0; i < lines.size() && !done; ++i) {
        std::string name, k, v;
        if (SectionName(lines[i], name)) {
            inSection = EqualNoCase(name, section);
            if (inSection)
                sectionEnd = long(i) + 1;
        } else if (inSection) {
            if (KeyValue(lines[i], k, v) && EqualNoCase(k, key)) {
                lines[i] = newLine;
                done = true;
            } else if (!Trim(lines[i]).empty()) {
                sectionEnd = long(i) + 1;
            }
        }
    }
    if (!done) {
        if (sectionEnd >= 0) {
            lines.insert(lines.begin() + sectionEnd, newLine);
        } else {
            if (!lines.empty() && !Trim(lines.back()).empty())
                lines.push_back("");
            lines.push_back("[" + section + "]");
            lines.push_back(newLine);
        }
    }
    std::string out;
    for (const std::string& line : lines)
        out += line + "\n";
    return out;
}

} // namespace nv
