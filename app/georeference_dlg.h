// The main window's controller: start-up of the window, its layout, the saved placement, the
// coordinate notation, and the geo-referencing workflow (load an image, pick two points,
// create the world file with its coordinate-system file, offer an existing one, save and
// load the points). Everything it shows or asks goes through a DialogHost, so it runs the
// same behind the Qt window, on the command line and in tests.
#pragma once

#include "app/dialog_host.h"
#include "georef/world_file.h"

#include <string>
#include <vector>

class CGeoreferenceDlg
{
public:
    // How writing a world file or a points file ended.
    enum class FileResult {
        written,   // the file was written (whatever the user answered afterwards)
        refused,   // a check refused the points; the message was shown
        cancelled, // the user kept the existing file or chose none
        failed,    // the file could not be written; the message was shown
    };
    using WorldFileResult = FileResult;

    explicit CGeoreferenceDlg(DialogHost& host);

    // The window's initialisation, in order: icons, minimum size, placement, notation,
    // viewer, point table, layout, instructions, caption, enabling.
    void OnInitDialog();
    // Lays out the controls for the current client size (only once initialised).
    void OnSize();
    // Saves the placement (unless minimised) before the window closes.
    void OnClose();

    void LayoutControls();
    void EnableImageControls();
    void RestoreWindowPlacement();
    void SaveWindowPlacement();

    // The workflow.
    // Load Image: the file dialog, starting in the folder of the most recent image, then
    // OpenImage.
    void OnLoadImage();
    // Loads path as Load Image does for a chosen file (an image dropped on the window, chosen
    // among the recent images, or named on the command line): on success it becomes the most
    // recent image; the image controls follow.
    bool OpenImage(const std::string& path);
    // Loads path as BMP, else as JPEG; on success makes it the image and offers its world file.
    bool LoadImage(const std::string& path);

    // An entry of File > Recent Images.
    struct RecentImage
    {
        std::string path;
        std::string text; // as the menu shows it
        bool missing;     // the file is gone: shown greyed
    };
    std::vector<RecentImage> RecentImages();
    // Opens a recent image; one whose file is gone is taken off the list instead, saying so.
    void OnOpenRecentImage(const std::string& path);
    // Where the file dialog of Load Image starts: the folder of the most recent image (empty
    // when there is none).
    std::string ImageStartFolder();
    void OnPickPoint1() { m_nPickMode = 1; }
    void OnPickPoint2() { m_nPickMode = 2; }
    void OnPickTrack(int x, int y);
    void OnPickEnd(int x, int y);
    WorldFileResult OnCreateWorldFile();
    void OfferExistingWorldFile();
    // Writes the two points to a points file the user chooses (the image's by default).
    FileResult OnSavePoints();
    // Reads the points from a points file the user chooses into the table.
    void OnLoadPoints();
    // Reads the first two enabled points of the points file at path into the table; on any
    // problem says so and leaves the table as it was.
    bool LoadPoints(const std::string& path);

    // Coordinates in the current notation.
    std::string FormatCoordinate(double value, bool longitude) const;
    bool ParseCoordinate(const std::string& text, bool longitude, double& value,
                         std::string& message) const;
    // True for an empty text or one that parses; otherwise shows the format message when
    // asked to and returns false.
    bool ValidateCoordinate(const std::string& text, bool longitude, double& value,
                            bool showMessage) const;
    // A coordinate cell's text as the table shows it: in the current notation when it
    // parses, else unchanged (and unchanged before initialisation has finished).
    std::string DisplayCoordinate(const std::string& text, bool longitude) const;

    static std::string InstructionsText();
    static std::string CaptionText(const std::string& fileVersion);
    // "Window Pos": the ten fields of a placement, and back (false unless exactly ten
    // numbers convert).
    static std::string FormatWindowPos(const WindowPlacement& placement);
    static bool ParseWindowPos(const std::string& text, WindowPlacement& placement);

    std::string m_strImagePath;
    std::string m_strInstructions;
    int m_nCoordType = 5;
    int m_nPickMode = 0;
    bool m_bLayoutReady = false;
    DlgSize m_sizeMinTrack;

private:
    // The pixel cells of a table row.
    ControlPoint PixelsOfRow(int row);
    // Parses the four coordinate cells into the points; shows the message of the first that
    // does not parse and returns false.
    bool ReadCoordinates(ControlPoint& p1, ControlPoint& p2);
    // Writes the image's coordinate-system file beside the world file, unless the profile
    // turns that off or one exists.
    void WriteCrsFile();

    DialogHost& m_host;
    PointTable* m_wndPointGrid = nullptr;
    ImageView* m_wndViewer = nullptr;

    // Measured at the first layout and kept.
    bool m_bMeasured = false;
    int m_mX = 0, m_mY = 0, m_bw = 0, m_bh = 0;
};
