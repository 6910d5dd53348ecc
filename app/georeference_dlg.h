// The main window's controller: start-up of the window, its layout, the saved placement, the
// coordinate notation, and the geo-referencing workflow (load an image, pick two points,
// create the world file with its coordinate-system file, offer an existing one, save and
// load the points), and what the view shows of the points: their markers, the graticule of
// their fit, and the status line under the pointer. Everything it shows or asks goes through
// a DialogHost, so it runs the same behind the Qt window, on the command line and in tests.
#pragma once

#include "app/dialog_host.h"
#include "georef/geo_transform.h"
#include "georef/point_table.h"
#include "georef/world_file.h"

#include <optional>
#include <string>
#include <vector>

class CGeoreferenceDlg : public PointTableOwner
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
    // recent image; the image controls follow. Where the view loads in the background, this
    // only starts the load (and returns true); OnImageLoaded does the rest.
    bool OpenImage(const std::string& path);
    // The end of an OpenImage: the image, the offer of its world file and the recent images
    // when it loaded, the failure message when it did not; then the enabling rule.
    void OnImageLoaded(const std::string& path, bool loaded, const std::string& reason);
    // Loads path as BMP, else as JPEG, and waits for it; on success makes it the image and
    // offers its world file. On failure nothing changes and reason (when given) says why.
    bool LoadImage(const std::string& path, std::string* reason = nullptr);

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

    void OnPickPoint1() { SetPickMode(1); }
    void OnPickPoint2() { SetPickMode(2); }
    // The pixel under the pointer (image file pixels); in a pick mode it becomes the point's.
    void OnPickTrack(int x, int y);
    void OnPickEnd(int x, int y);
    // Escape while picking: the mode ends and the point's pixel cells are put back as they
    // were when it began.
    void OnPickCancel();
    // The pointer left the image.
    void OnPointerLeft();
    // The point table calls this when an edit has changed the text of a cell.
    void OnPointCellChanged(int column, int row) override;
    // "Show Graticule": kept in the profile.
    void OnShowGraticule(bool show);
    WorldFileResult OnCreateWorldFile();
    void OfferExistingWorldFile();
    // Writes the two points to a points file the user chooses (the image's by default).
    FileResult OnSavePoints();
    // Reads the points from a points file the user chooses into the table.
    void OnLoadPoints();
    // Reads the first two enabled points of the points file at path into the table; on any
    // problem says so and leaves the table as it was.
    bool LoadPoints(const std::string& path);

    // Coordinates in the current notation, as the point table shows them: reading back as value.
    std::string FormatCoordinate(double value, bool longitude) const;
    bool ParseCoordinate(const std::string& text, bool longitude, double& value,
                         std::string& message) const;
    // True for an empty text or one that parses; otherwise shows the format message when
    // asked to and returns false.
    bool ValidateCoordinate(const std::string& text, bool longitude, double& value,
                            bool showMessage) const;
    // The check of a point-table cell whose edit ends: a whole number of 0 or more in the
    // pixel columns (0 and 1), a coordinate in any notation in the others. An empty text
    // passes. Otherwise shows the message when asked to and returns false.
    bool ValidateCell(int column, const std::string& text, bool showMessage) const override;
    // A coordinate cell's text as the table shows it: in the current notation when it
    // parses, else unchanged (and unchanged before initialisation has finished).
    std::string DisplayCoordinate(const std::string& text, bool longitude) const override;
    // A coordinate cell's text in the current notation when it parses, else unchanged.
    std::string NormaliseCoordinate(const std::string& text, bool longitude) const override;

    // The pixel of point #1 (row 0) or #2 (row 1) when both its pixel cells hold whole
    // numbers of at least 0.
    std::optional<DlgPoint> PointPixel(int row) const;
    // The fit of the two points when they would give a world file (the checks of
    // OnCreateWorldFile, without messages) and every parameter is a number.
    std::optional<GeoTransform> CurrentFit() const;
    // The status line for the pointer over an image pixel (or nowhere over the image).
    StatusLine PointerStatus(std::optional<DlgPoint> pixel) const;

    static std::string InstructionsText();
    static std::string CaptionText(const std::string& fileVersion);
    // "ERROR:  The image "<path>" could not be loaded: <reason>"
    static std::string LoadFailureText(const std::string& path, const std::string& reason);
    // "Window Pos": the ten fields of a placement, and back (false unless exactly ten
    // numbers convert).
    static std::string FormatWindowPos(const WindowPlacement& placement);
    static bool ParseWindowPos(const std::string& text, WindowPlacement& placement);

    std::string m_strImagePath;
    std::string m_strInstructions;
    int m_nCoordType = 5;
    int m_nPickMode = 0;
    bool m_bLayoutReady = false;
    bool m_bShowGraticule = false;
    DlgSize m_sizeMinTrack;

private:
    // A loaded image becomes the one the world file is for.
    void ImageLoaded(const std::string& path);
    void SetPickMode(int mode);
    // Shows the points' current state: the table, the markers, the graticule, the status.
    void PointsChanged();
    // Reads the four pixel cells into the points; false at the first that is not a whole
    // number of 0 or more, after showing its message when asked to.
    bool ReadPixels(ControlPoint& p1, ControlPoint& p2, bool showMessage) const;
    // Parses the four coordinate cells into the points; false at the first that does not
    // parse, after showing its message when asked to.
    bool ReadCoordinates(ControlPoint& p1, ControlPoint& p2, bool showMessage) const;
    // Writes the image's coordinate-system file beside the world file, unless the profile
    // turns that off or one exists.
    void WriteCrsFile(const std::string& imagePath);

    DialogHost& m_host;
    PointTable* m_wndPointGrid = nullptr;
    ImageView* m_wndViewer = nullptr;

    // Measured at the first layout and kept.
    bool m_bMeasured = false;
    int m_mX = 0, m_mY = 0, m_bw = 0, m_bh = 0;

    std::string m_pickSaved[2]; // the picked point's pixel cells when the pick began
    std::optional<GeoTransform> m_fit;
    std::optional<DlgPoint> m_pointer; // the pixel under the pointer
};
