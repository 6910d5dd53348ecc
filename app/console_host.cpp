// Command-line host of the main window's controller.
#include "app/console_host.h"

#include "imaging/dib.h"
#include "imaging/image_loader.h"

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

bool ConsoleHost::View::LoadImage(const std::string& path, std::string& reason)
{
    COXDIB dib;
    if (!LoadImageFile(path, dib, &reason))
        return false;
    size = {int(dib.GetSize().cx), int(dib.GetSize().cy)};
    return true;
}
