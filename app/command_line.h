// The command-line forms of the program.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// Runs the command named by args (the arguments after the program name), writing results to
// out and messages to err. Returns the exit code, or -1 when args ask for the window.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// --world-file IMAGE --point X,Y,LAT,LON --point X,Y,LAT,LON [--overwrite]
// args are the words after --world-file. 0 written, 1 refused or failed, 2 usage error.
int RunWorldFileCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
