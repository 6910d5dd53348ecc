// Where the update check finds the manifest and the update files.
#pragma once

#include <string>

namespace nv {
class Profile;
}

// The folder URL built into the program (ending in '/').
std::string DefaultUpdateBaseUrl();

// The value of "Update URL" in section "Defaults" of profile when it is set (a '/' is added
// when it lacks one), else DefaultUpdateBaseUrl(). The profile is only read.
std::string UpdateBaseUrl(const nv::Profile& profile);

// UpdateBaseUrl of the application's profile.
std::string UpdateBaseUrl();
