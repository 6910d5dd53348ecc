// Command-line host of the main window's controller.
#include "app/console_host.h"

ConsoleHost::ConsoleHost(nv::Profile profile, std::ostream& messages, bool consent)
    : m_profile(std::move(profile)), m_messages(messages, consent)
{}

std::string ConsoleHost::GetProfileString(const std::string& section, const std::string& key,
                                          const std::string& defaultValue)
{
    return m_profile.GetString(section, key, defaultValue);
}

int ConsoleHost::GetProfileInt(const std::string& section, const std::string& key, int defaultValue)
{
    return m_profile.GetInt(section, key, defaultValue);
}
