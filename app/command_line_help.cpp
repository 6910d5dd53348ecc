// The command-line forms and their descriptions.
#include "app/command_line_help.h"

#include "support/product_name.h"

namespace {

constexpr CommandForm kForms[] = {
    {"[IMAGE]",
     "Starts the window. IMAGE, a JPEG or BMP file, is loaded at once, as if chosen with Load "
     "Image."},
    {"--help | --version", "Prints this text, or the program's name and version."},
    {"--world-file IMAGE --point X,Y,LAT,LON --point X,Y,LAT,LON [--overwrite]",
     "Creates the world file of IMAGE from two control points: pixel X and Y, latitude and "
     "longitude in any notation the window accepts. The checks and messages are the window's; "
     "IMAGE.aux.xml is written beside it when none exists, and an existing world file is "
     "replaced only with --overwrite. Exit code 0 when the file was written, 1 when a check "
     "refused the points or writing failed."},
    {"--world-file IMAGE --points FILE [--overwrite]",
     "The same from the first two enabled points of a points file."},
    {"--save-points IMAGE --point X,Y,LAT,LON --point X,Y,LAT,LON [FILE] [--overwrite]",
     "Writes the two points to the points file FILE (IMAGE.points by default); an existing one "
     "is replaced only with --overwrite. Exit code 0 when written, 1 when a check refused the "
     "points or writing failed."},
    {"--read-world-file IMAGE [--coord-type N]",
     "Prints the two points that reading the image's world file puts into the point table "
     "(top-left and bottom-right pixel), one line each: #1 or #2, pixel X, pixel Y, latitude and "
     "longitude, separated by tabs, in notation N (0 to 6) or else the profile's."},
    {"--image-info IMAGE",
     "Prints the width, height, bits per pixel and colour count of a BMP or JPEG image, or the "
     "reason it cannot be loaded (exit code 1)."},
    {"--save-bmp IN OUT [--rotate 90|180|270|-90] [--flip-rows] [--flip-columns]",
     "Loads IN (BMP or JPEG), turns it clockwise by the angle, upside down (--flip-rows) or "
     "mirrored (--flip-columns), and writes OUT as a BMP file, replacing it atomically: how a "
     "sideways scan is turned north-up before it is geo-referenced."},
    {"--check-updates [--yes]",
     "Runs the update check without windows, printing each step. Every question is answered No "
     "unless --yes is given, which downloads and installs the updates. Exit code 0 when updates "
     "were installed, 1 otherwise."},
};

constexpr const char* kProgram = "Nulo_Vandrel";
constexpr size_t kWidth = 79;

// text broken into lines of at most kWidth columns (a longer word stands alone), each
// starting with indent.
std::string Wrap(const std::string& text, const std::string& indent)
{
    std::string out, line;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(' ', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string word = text.substr(start, end - start);
        if (!line.empty() && indent.size() + line.size() + 1 + word.size() > kWidth) {
            out += indent + line + "\n";
            line.clear();
        }
        if (!word.empty())
            line += (line.empty() ? "" : " ") + word;
        start = end + 1;
    }
    if (!line.empty())
        out += indent + line + "\n";
    return out;
}

} // namespace

std::span<const CommandForm> CommandForms()
{
    return kForms;
}

std::string UsageText()
{
    std::string text;
    for (const CommandForm& form : kForms)
        text += std::string(text.empty() ? "Usage: " : "       ") + kProgram + " " + form.synopsis +
                "\n";
    return text;
}

std::string HelpText()
{
    std::string text =
        std::string(kProductName) + " geo-references raster maps.\n\n" + UsageText() + "\n";
    for (const CommandForm& form : kForms)
        text += std::string("  ") + form.synopsis + "\n" + Wrap(form.description, "      ");
    text += "\nUsage errors end with exit code 2.\n";
    return text;
}
