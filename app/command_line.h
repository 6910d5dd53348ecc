// The command-line forms of the program.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// Runs the command named by args (the arguments after the program name), writing results to
// out and messages to err. Returns the exit code, or -1 when args ask for the window.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The words after --world-file: IMAGE --point X,Y,LAT,LON --point X,Y,LAT,LON [--overwrite].
struct WorldFileArgs
{
    std::string image;
    std::string points[2][4]; // the two table rows: pixel X, pixel Y, latitude, longitude
    bool overwrite = false;
};
// False with the problem for a usage error.
bool ParseWorldFileArgs(const std::vector<std::string>& args, WorldFileArgs& parsed,
                        std::string& problem);

// --world-file IMAGE --point X,Y,LAT,LON --point X,Y,LAT,LON [--overwrite]
// args are the words after --world-file. 0 written, 1 refused or failed, 2 usage error.
int RunWorldFileCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
