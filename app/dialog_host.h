// What the main window's controller needs from the window system, the point table and the
// image viewer. The Qt main window implements these; tests implement them with scripted
// doubles, so that the controller runs without any window.
#pragma once

#include "georef/geo_transform.h"
#include "platform/geometry.h"
#include "platform/message_box.h"

#include <cstdint>
#include <optional>
#include <string>

// Rectangles (right and bottom exclusive) and sizes in pixels.
using DlgRect = nv::Rect;
using DlgSize = nv::Size;
using DlgPoint = nv::Point;

// The window's placement, as stored in the profile's "Window Pos": flags, show command,
// minimised and maximised positions, and the rectangle of the normal (restored) window.
struct WindowPlacement
{
    uint32_t length = 44;
    uint32_t flags = 0;
    uint32_t showCmd = 1;
    int minX = -1;
    int minY = -1;
    int maxX = -1;
    int maxY = -1;
    DlgRect normal;
    bool operator==(const WindowPlacement&) const = default;
};

constexpr uint32_t kPlacementRestoreToMaximized = 2; // flags
constexpr uint32_t kShowNormal = 1;                  // show commands
constexpr uint32_t kShowMinimized = 2;
constexpr uint32_t kShowMaximized = 3;

// Control and command ids of the main window.
enum MainWindowId {
    IDC_ACCEPT = 1, // "Done - Create World File"
    IDC_VIEWER = 1000,
    IDC_POINT_TABLE = 4066,
    IDC_INSTRUCTIONS = 4215,
    IDC_PICK_POINT1 = 4217,
    IDC_PICK_POINT2 = 4218,
    IDC_LOAD_IMAGE = 4257,
    ID_FILE_LOAD_IMAGE = 32771,
    ID_HELP_CHECK_FOR_UPDATES = 32772,
    ID_FILE_SAVE_POINTS = 32773,
    ID_FILE_LOAD_POINTS = 32774,
    ID_VIEW_SHOW_GRATICULE = 32775,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_HELP_FINDER = 57666,
};

// The point table: two rows of pixel X, pixel Y, latitude, longitude.
class PointTable
{
public:
    virtual ~PointTable() = default;
    virtual void SetCellText(int column, int row, const std::string& text) = 0;
    // The text as shown (coordinates in the current notation when they parse).
    virtual std::string GetCellText(int column, int row) = 0;
    virtual void RedrawAll() = 0;
    // Fits the columns to their contents (headings included), stretches the data columns to
    // the table's width, and redraws.
    virtual void FitColumns() = 0;
};

// The image viewer.
class ImageView
{
public:
    virtual ~ImageView() = default;
    // Loads and shows the image at path, as a BMP file and else as a JPEG file. On failure the
    // image shown before stays and reason says why.
    virtual bool LoadImage(const std::string& path, std::string& reason) = 0;
    // Starts loading path as LoadImage does, off the UI thread, and returns true: the window
    // stays in use meanwhile, and once the load has ended the host calls the controller's
    // OnImageLoaded (never for a load that a later one cancelled). A view that cannot load in
    // the background returns false, and LoadImage is used.
    virtual bool StartLoadImage(const std::string& /*path*/) { return false; }
    // Width and height of the loaded image in pixels.
    virtual DlgSize GetContentSize() = 0;

    // Overlays, for a view that draws them. The marker of point #1 (index 0) or #2 (index 1)
    // on a pixel of the image file, or none.
    virtual void SetMarker(int /*index*/, std::optional<DlgPoint> /*pixel*/) {}
    // The point being picked (index 0 or 1), or -1 when no pick is under way.
    virtual void SetPickIndex(int /*index*/) {}
    // The graticule: whether it is asked for, and the fit to draw it from (none: no lines),
    // labelled in a notation.
    virtual void SetGraticule(bool /*shown*/, const std::optional<GeoTransform>& /*fit*/,
                              int /*notation*/)
    {}
};

// What the status line shows: the pixel under the pointer, its latitude and longitude, the
// scale of the fit and a warning about it. Empty parts are not shown.
struct StatusLine
{
    std::string pixel;
    std::string position;
    std::string scale;
    std::string warning;
    bool operator==(const StatusLine&) const = default;
};

// The window system's side of the main window.
class DialogHost
{
public:
    virtual ~DialogHost() = default;

    virtual std::string GetProfileString(const std::string& section, const std::string& key,
                                         const std::string& defaultValue) = 0;
    virtual bool WriteProfileString(const std::string& section, const std::string& key,
                                    const std::string& value) = 0;
    virtual int GetProfileInt(const std::string& section, const std::string& key,
                              int defaultValue) = 0;

    virtual WindowPlacement GetWindowPlacement() = 0;
    virtual void SetWindowPlacement(const WindowPlacement& placement) = 0;
    virtual bool IsIconic() = 0;
    virtual bool IsZoomed() = 0;

    virtual DlgRect GetClientRect() = 0;
    // A control's rectangle in client coordinates.
    virtual DlgRect GetChildRect(int id) = 0;
    virtual void MoveChild(int id, const DlgRect& rect, bool repaint) = 0;
    // Enables a control, or a menu command with that id.
    virtual void EnableChild(int id, bool enable) = 0;
    virtual void SetChildText(int id, const std::string& text) = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void SetIcons() = 0;
    // Repaints the whole window, erasing the background.
    virtual void RedrawWindow() = 0;
    virtual void SetMinimumClientSize(DlgSize size) = 0;

    // The image viewer, created as child id with an empty rectangle.
    virtual ImageView& CreateViewer(int id) = 0;
    // The point table, put in place of the placeholder control id.
    virtual PointTable& AttachPointTable(int id) = 0;

    virtual int MessageBox(const std::string& text, nv::MessageButtons buttons) = 0;
    // Opens a document with the desktop's "open" action.
    virtual bool ShellOpen(const std::string& path) = 0;
    // The open-file dialog for images, starting in startFolder (the dialog's own choice when
    // empty); true and the chosen path when confirmed.
    virtual bool ChooseImageFile(const std::string& title, const std::string& filter,
                                 const std::string& startFolder, std::string& path) = 0;
    // File choosers for other files, starting at defaultPath (folder and name); true and the
    // chosen path when confirmed. The save chooser does not ask about replacing a file.
    virtual bool ChooseOpenFile(const std::string& title, const std::string& filter,
                                const std::string& defaultPath, std::string& path) = 0;
    virtual bool ChooseSaveFile(const std::string& title, const std::string& filter,
                                const std::string& defaultPath, std::string& path) = 0;
    // Ends the main window with a result (IDOK or IDCANCEL).
    virtual void EndDialog(int result) = 0;

    // Shows the status line under the controls (a window without one ignores it).
    virtual void SetStatusLine(const StatusLine& /*status*/) {}
    // Checks or clears a menu item.
    virtual void CheckMenuItem(int /*id*/, bool /*checked*/) {}
};
