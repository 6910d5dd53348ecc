// The command-line forms of the program.
#pragma once

#include <string>
#include <vector>

// Runs the command named by args (the arguments after the program name). Returns the exit
// code, or -1 when args ask for the window.
int RunCommandLine(const std::vector<std::string>& args);
