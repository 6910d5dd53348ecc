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

// The program's installed data folder (help files), "share/Nulo_Vandrel/" beside the folder
// that holds the executable (/usr/share/Nulo_Vandrel/ for /usr/bin/Nulo_Vandrel); ends in a
// separator.
std::string ApplicationDataFolder();

// The user's folders for settings and for state such as logs: $XDG_CONFIG_HOME and
// $XDG_STATE_HOME when they hold an absolute path, else ~/.config and ~/.local/state. Both end
// in a separator.
std::string UserConfigFolder();
std::string UserStateFolder();

// True when this process may create and replace files in folder.
bool IsFolderWritable(const std::string& folder);

// True for a copy that a package manager (or "cmake --install") installed: the executable's
// folder cannot be written, or the installed data folder lies beside it. Such a copy writes
// nothing into its own folder, whoever runs it.
bool IsInstalledCopy();

} // namespace nv
