// Versions of installed files and their comparison with the versions the server offers.
#pragma once

#include <string>

// The version text of a file's "FileVersion" string: its leading decimal number (0 when
// there is none) with two decimals, so "1.05" stays 1.05, "1" gives 1.00 and "1, 0, 0, 1"
// gives 1.00. Always with '.' as the decimal point.
std::string FormatFileVersion(const std::string& fileVersion);

// The version of the file at path: "0.0" when it does not exist; else its "FileVersion"
// formatted as above; else its last-modification date in local time as YYYYMMDD; else "0.0".
std::string LocalVersion(const std::string& path);

// True when the server's version is newer: localVersion sorts before manifestVersion byte by
// byte (so "1.05" < "1.06" and "0.0" < "1.00", but "10.00" < "9.00"). Equal texts are not newer.
bool IsNewerVersion(const std::string& localVersion, const std::string& manifestVersion);
