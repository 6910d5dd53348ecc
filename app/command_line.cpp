// Command-line dispatch and the world-file command.
#include "app/command_line.h"

#include "app/command_line_help.h"
#include "app/console_host.h"
#include "app/georeference_dlg.h"
#include "app/product.h"
#include "georef/points_file.h"
#include "georef/world_file.h"
#include "imaging/dib.h"
#include "imaging/image_commands.h"
#include "imaging/image_loader.h"
#include "platform/c_numbers.h"
#include "platform/profile.h"
#include "support/paths.h"
#include "update/update_command.h"

#include <ostream>
#include <sys/stat.h>

namespace {

int UsageError(std::ostream& err, const std::string& problem)
{
    err << "Nulo_Vandrel: " << problem << "\n" << UsageText();
    return 2;
}

bool IsRegularFile(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The image must be a file the viewer would load; otherwise says why.
bool CheckImage(const std::string& image, std::ostream& err)
{
    if (!IsRegularFile(image)) {
        err << "ERROR:  The image \"" << image << "\" does not exist.\n";
        return false;
    }
    COXDIB dib;
    std::string reason;
    if (!LoadImageFile(image, dib, &reason)) {
        err << CGeoreferenceDlg::LoadFailureText(image, reason) << "\n";
        return false;
    }
    return true;
}

// The words of --world-file (saving false) and --save-points (saving true).
bool ParsePointArgs(const std::vector<std::string>& args, bool saving, WorldFileArgs& parsed,
                    std::string& problem)
{
    const std::string command = saving ? "--save-points" : "--world-file";
    parsed = WorldFileArgs();
    size_t points = 0;
    bool pointsFileGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--point") {
            if (i + 1 >= args.size()) {
                problem = "--point needs X,Y,LAT,LON";
                return false;
            }
            std::vector<std::string> fields;
            SplitFields(fields, args[++i].c_str(), ",");
            if (fields.size() != 4) {
                problem = "--point needs four fields X,Y,LAT,LON: \"" + args[i] + "\"";
                return false;
            }
            if (points == 2) {
                problem = command + " needs exactly two --point arguments";
                return false;
            }
            for (size_t f = 0; f < 4; ++f)
                parsed.points[points][f] = fields[f];
            ++points;
        } else if (a == "--points" && !saving) {
            if (i + 1 >= args.size() || args[i + 1].empty() || pointsFileGiven) {
                problem = "--points needs one points file";
                return false;
            }
            parsed.pointsFile = args[++i];
            pointsFileGiven = true;
        } else if (a == "--overwrite") {
            parsed.overwrite = true;
        } else if (a.rfind("--", 0) != 0 && parsed.image.empty()) {
            parsed.image = a;
        } else if (a.rfind("--", 0) != 0 && saving && !pointsFileGiven) {
            parsed.pointsFile = a;
            pointsFileGiven = true;
        } else {
            problem = "unexpected argument \"" + a + "\"";
            return false;
        }
    }
    if (parsed.image.empty()) {
        problem = command + " needs an image";
        return false;
    }
    if (!saving && pointsFileGiven) {
        if (points == 0)
            return true;
        problem = "--world-file takes two --point arguments or --points, not both";
        return false;
    }
    if (points != 2) {
        problem = command + " needs exactly two --point arguments";
        return false;
    }
    return true;
}

// The controller behind a console host, with the image and the points of the arguments.
void SetUpController(ConsoleHost& host, CGeoreferenceDlg& dlg, const WorldFileArgs& parsed)
{
    host.Table().SetDisplay([&dlg](const std::string& text, bool longitude) {
        return dlg.DisplayCoordinate(text, longitude);
    });
    dlg.OnInitDialog();
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 4; ++column)
            host.Table().SetCellText(column, row, parsed.points[row][column]);
    dlg.m_strImagePath = parsed.image;
}

// The exit code of writing a file: the path written on out, or why nothing was.
int ExitCode(CGeoreferenceDlg::FileResult result, const std::string& path, const char* what,
             std::ostream& out, std::ostream& err)
{
    switch (result) {
    case CGeoreferenceDlg::FileResult::written:
        out << path << "\n";
        return 0;
    case CGeoreferenceDlg::FileResult::cancelled:
        err << "The " << what << " was left as it was; --overwrite replaces it.\n";
        return 1;
    default:
        return 1;
    }
}

} // namespace

bool ParseWorldFileArgs(const std::vector<std::string>& args, WorldFileArgs& parsed,
                        std::string& problem)
{
    return ParsePointArgs(args, false, parsed, problem);
}

bool ParseSavePointsArgs(const std::vector<std::string>& args, WorldFileArgs& parsed,
                         std::string& problem)
{
    return ParsePointArgs(args, true, parsed, problem);
}

int RunWorldFileCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    WorldFileArgs parsed;
    std::string problem;
    if (!ParseWorldFileArgs(args, parsed, problem))
        return UsageError(err, problem);
    const std::string& image = parsed.image;
    if (!CheckImage(image, err))
        return 1;

    ConsoleHost host(nv::Profile(nv::Profile::DefaultPath()), err, parsed.overwrite);
    CGeoreferenceDlg dlg(host);
    SetUpController(host, dlg, parsed);
    if (!parsed.pointsFile.empty() && !dlg.LoadPoints(parsed.pointsFile))
        return 1;

    return ExitCode(dlg.OnCreateWorldFile(), MakeWorldFilePath(image), "world file", out, err);
}

int RunSavePointsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    WorldFileArgs parsed;
    std::string problem;
    if (!ParseSavePointsArgs(args, parsed, problem))
        return UsageError(err, problem);
    if (!CheckImage(parsed.image, err))
        return 1;

    ConsoleHost host(nv::Profile(nv::Profile::DefaultPath()), err, parsed.overwrite);
    host.SetChosenFile(parsed.pointsFile);
    CGeoreferenceDlg dlg(host);
    SetUpController(host, dlg, parsed);
    const std::string path =
        parsed.pointsFile.empty() ? MakePointsFilePath(parsed.image) : parsed.pointsFile;
    return ExitCode(dlg.OnSavePoints(), path, "points file", out, err);
}

int RunReadWorldFileCommand(const std::vector<std::string>& args, std::ostream& out,
                            std::ostream& err)
{
    std::string image;
    int coordType = -1;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--coord-type") {
            size_t pos = 0;
            long long n = 0;
            if (i + 1 >= args.size() || !nv::ScanInt(args[i + 1], pos, n) ||
                pos != args[i + 1].size() || n < 0 || n > 6)
                return UsageError(err, "--coord-type needs a notation from 0 to 6");
            coordType = int(n);
            ++i;
        } else if (args[i].rfind("--", 0) == 0 || !image.empty()) {
            return UsageError(err, "unexpected argument \"" + args[i] + "\"");
        } else {
            image = args[i];
        }
    }
    if (image.empty())
        return UsageError(err, "--read-world-file needs an image");
    if (!IsRegularFile(image)) {
        err << "ERROR:  The image \"" << image << "\" does not exist.\n";
        return 1;
    }

    ConsoleHost host(nv::Profile(nv::Profile::DefaultPath()), err, true);
    CGeoreferenceDlg dlg(host);
    dlg.OnInitDialog();
    if (coordType >= 0)
        dlg.m_nCoordType = coordType;
    // Empty cells show whether the world file filled the table.
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 4; ++column)
            host.Table().SetCellText(column, row, "");
    std::string reason;
    if (!dlg.LoadImage(image, &reason)) {
        err << CGeoreferenceDlg::LoadFailureText(image, reason) << "\n";
        return 1;
    }
    if (host.Table().RawText(0, 0).empty()) {
        const std::string world = FindExistingWorldFile(image);
        if (world.empty())
            err << "ERROR:  There is no world file for \"" << image << "\" ("
                << MakeWorldFilePath(image) << ").\n";
        else
            err << "ERROR:  The world file \"" << world << "\" could not be read.\n";
        return 1;
    }
    for (int row = 0; row < 2; ++row) {
        out << "#" << row + 1;
        for (int column = 0; column < 4; ++column)
            out << "\t" << host.Table().RawText(column, row);
        out << "\n";
    }
    return 0;
}

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.empty())
        return -1;
    const std::string& command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "--help" || command == "-h") {
        out << HelpText();
        return 0;
    }
    if (command == "--version") {
        out << kProductName << " " << ReadProductVersion() << "\n";
        return 0;
    }
    if (command == "--world-file")
        return RunWorldFileCommand(rest, out, err);
    if (command == "--save-points")
        return RunSavePointsCommand(rest, out, err);
    if (command == "--check-updates")
        return RunCheckUpdatesCommand(rest, out, err);
    if (command == "--read-world-file")
        return RunReadWorldFileCommand(rest, out, err);
    if (command == "--image-info")
        return RunImageInfoCommand(rest, out, err);
    if (command == "--save-bmp")
        return RunSaveBmpCommand(rest, out, err);
    if (command.rfind("--", 0) == 0)
        return UsageError(err, "unknown option \"" + command + "\"");
    // Anything else (Qt's own options such as -platform) goes to the window.
    return -1;
}
