// Where the update check finds the manifest and the update files, and the key their
// signatures are checked with.
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

// The public key built into the program (the base64 text of a minisign public key), empty
// when the build has none. Update files must be signed with its secret half. Never read from
// the profile.
std::string DefaultUpdatePublicKey();
