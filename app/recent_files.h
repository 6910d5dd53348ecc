// The recent images of the File menu: the last images loaded, the most recent first, kept in
// the profile's section "Recent Files" as "File1" (the most recent) to "File8".
#pragma once

#include <string>
#include <vector>

class DialogHost;

class CRecentFiles
{
public:
    static constexpr size_t kMaxFiles = 8;

    // Reads the list from the profile; empty and repeated entries are skipped.
    static CRecentFiles Read(DialogHost& host);
    // Stores the list, writing only the keys whose value changed. False when one could not be
    // written (a path that does not fit on one profile line, or a profile that cannot be
    // replaced).
    bool Write(DialogHost& host) const;

    // Puts path (made absolute) at the front; an entry for the same file moves there, and the
    // oldest entry goes when the list is full.
    void Add(const std::string& path);
    void Remove(const std::string& path);
    const std::vector<std::string>& Paths() const { return m_paths; }

    // The text of entry index (0 the most recent) in the menu: "&1 ~/maps/quad.jpg", the home
    // folder shortened to "~", ampersands doubled, and a path longer than maxLength characters
    // shortened in the middle with "...", keeping the file name.
    static std::string MenuText(size_t index, const std::string& path, const std::string& home,
                                size_t maxLength = 60);

private:
    std::vector<std::string> m_paths;
};
