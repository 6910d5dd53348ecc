// Where the update check finds the manifest and the update files, the name a file has there,
// and the key their signatures are checked with.
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

// The name of the file that a URL, or a server name of the manifest, ends in: its last path
// segment before any query or fragment, with %XX escapes decoded ("maps/Help%20v2.chm" gives
// "Help v2.chm"). It is the name the file had where it was signed.
std::string UrlFileName(const std::string& url);

// The public key built into the program (the base64 text of a minisign public key), empty
// when the build has none. Update files must be signed with its secret half. Never read from
// the profile.
std::string DefaultUpdatePublicKey();
