// The application's profile: an initialisation file of [sections] and key=value lines.
// Keys and sections are matched without regard to letter case; values are kept as written.
// A missing, unreadable or garbled file reads as empty, so every value takes its default.
#pragma once

#include <string>

namespace nv {

class Profile
{
public:
    explicit Profile(std::string path);

    // "Nulo_Vandrel.ini" in $XDG_CONFIG_HOME, or in ~/.config when that is not set.
    static std::string DefaultPath();

    const std::string& Path() const { return m_path; }

    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& defaultValue = {}) const;
    // The leading decimal number of the value (blanks and a sign allowed before the digits);
    // the default when the key is missing or its value does not start with a number.
    int GetInt(const std::string& section, const std::string& key, int defaultValue) const;

    // Sets key in section, keeping every other line of the file, and replaces the file
    // atomically. False when the file could not be written (it is then unchanged), or when
    // section, key or value could not be stored as one line.
    bool WriteString(const std::string& section, const std::string& key, const std::string& value);

    // The value of key in section of a profile's text, or defaultValue.
    static std::string Lookup(const std::string& text, const std::string& section,
                              const std::string& key, const std::string& defaultValue);
    // The profile's text with key in section set to value, every other line kept.
    static std::string Update(const std::string& text, const std::string& section,
                              const std::string& key, const std::string& value);

private:
    std::string m_path;
};

} // namespace nv
