// The command-line forms of the program.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// Runs the command named by args (the arguments after the program name), writing results to
// out and messages to err. Returns the exit code, or -1 when args ask for the window.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The words after --world-file: IMAGE (--point X,Y,LAT,LON --point X,Y,LAT,LON | --points FILE)
// [--overwrite]; or after --save-points: IMAGE --point X,Y,LAT,LON --point X,Y,LAT,LON [FILE]
// [--overwrite].
struct WorldFileArgs
{
    std::string image;
    std::string points[2][4]; // the two table rows: pixel X, pixel Y, latitude, longitude
    std::string pointsFile;   // read by --world-file --points, written by --save-points
    bool overwrite = false;
};
// False with the problem for a usage error.
bool ParseWorldFileArgs(const std::vector<std::string>& args, WorldFileArgs& parsed,
                        std::string& problem);
bool ParseSavePointsArgs(const std::vector<std::string>& args, WorldFileArgs& parsed,
                         std::string& problem);

// Writes the world file of an image from two points or a points file. args are the words
// after --world-file. 0 written, 1 refused or failed, 2 usage error.
int RunWorldFileCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// Writes two points to a points file (the image's by default), with the same checks and
// exit codes.
int RunSavePointsCommand(const std::vector<std::string>& args, std::ostream& out,
                         std::ostream& err);
