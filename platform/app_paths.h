// Where the running program lives.
#pragma once

#include <string>

namespace nv {

// Full path of the running executable (the files kept beside it, such as the log and the
// help file, are named after it).
std::string ApplicationPath();
// The executable's folder, ending in a separator.
std::string ApplicationFolder();
// Lets tests and the command line place the "executable" elsewhere; empty restores the real one.
void SetApplicationPath(const std::string& path);

} // namespace nv
