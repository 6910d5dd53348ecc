// The main window's controller.
#include "app/georeference_dlg.h"

#include "app/product.h"
#include "app/recent_files.h"
#include "georef/coordinates.h"
#include "georef/crs_file.h"
#include "georef/points_file.h"
#include "georef/world_file.h"
#include "platform/atomic_file.h"
#include "platform/c_numbers.h"
#include "support/log.h"
#include "support/paths.h"

#include <cstdlib>
#include <unistd.h>

#include <cmath>

namespace {

const char* const kSection = "Defaults";
const char* const kWindowPos = "Window Pos";
const char* const kCoordType = "Coord Type";
const char* const kShowGraticule = "Show Graticule";

// A pixel cell's number when it holds a pixel value small enough for a window position.
std::optional<int> WholePixel(const std::string& text)
{
    uint32_t value = 0;
    std::string message;
    if (!ParsePixelValue(text, value, message) || value > 0x7fffffffu)
        return std::nullopt;
    return int(value);
}

bool SameFit(const std::optional<GeoTransform>& a, const std::optional<GeoTransform>& b)
{
    if (!a || !b)
        return !a && !b;
    const WorldFileParams &p = a->Params(), &q = b->Params();
    return p.A == q.A && p.C == q.C && p.E == q.E && p.F == q.F;
}

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

// Metres with three or four significant digits.
std::string Metres(double metres)
{
    const int decimals = metres < 10 ? 2 : metres < 100 ? 1 : 0;
    return nv::FormatFixed(metres, decimals);
}

const char* const kWriteCrsFile = "Write CRS File";
const char* const kPointsFilter = "Points Files|*.points|All Files|*.*||";

// "1 point", "3 points".
std::string Count(size_t n, const char* noun)
{
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

} // namespace

CGeoreferenceDlg::CGeoreferenceDlg(DialogHost& host) : m_host(host) {}

std::string CGeoreferenceDlg::InstructionsText()
{
    return "INSTRUCTIONS:"
           "\r\n\r\n"
           "In order to use a bitmap image as a map it must first be "
           "\"geo-referenced\".  This is done using the following steps "
           "to create a \"world\" file that will allow the image to be "
           "loaded as a map."
           "\r\n\r\n"
           "1.  Load the desired image."
           "\r\n\r\n"
           "2.  Select a point on the image where you know the exact "
           "latitude and longitude coordinates.  You can either enter "
           "pixel coordinates or press the \"Pick Point #1\" button then "
           "simply click on the image at the location "
           "of the first point."
           "\r\n\r\n"
           "3.  Enter the latidue and longitude coordinates for that point."
           "\r\n\r\n"
           "4.  Select a second point on the image where you know the "
           "exact latidue and longitude coordinates just like you did "
           "for the first point.  For increased accuracy it is best to "
           "to have the two points as close to opposite corners as possible "
           "although this is not a requirement."
           "\r\n\r\n"
           "5.  Enter the latidue and longitude coordinates for this point."
           "\r\n\r\n"
           "Press the \"Done - Create World File\" button to create a "
           "\"world\" file for the image.  "
           "This new \"world\" file will automatically be loaded anytime you use the "
           "image as a map.  The \"world\" file should be placed in the same "
           "directory as the image file.";
}

std::string CGeoreferenceDlg::LoadFailureText(const std::string& path, const std::string& reason)
{
    return "ERROR:  The image \"" + path + "\" could not be loaded: " + reason;
}

std::string CGeoreferenceDlg::CaptionText(const std::string& fileVersion)
{
    return "Nulo Vandrel by Halvorn Software LLC - Version " + fileVersion;
}

std::string CGeoreferenceDlg::FormatWindowPos(const WindowPlacement& p)
{
    std::string text = std::to_string(p.flags) + "," + std::to_string(p.showCmd);
    for (int v : {p.minX, p.minY, p.maxX, p.maxY, p.normal.left, p.normal.top, p.normal.right,
                  p.normal.bottom})
        text += "," + std::to_string(v);
    return text;
}

bool CGeoreferenceDlg::ParseWindowPos(const std::string& text, WindowPlacement& placement)
{
    // "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d": each number may follow blanks, the commas must be
    // there; what follows the tenth number is ignored.
    long long v[10];
    size_t pos = 0;
    for (int i = 0; i < 10; ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != ',')
                return false;
            ++pos;
        }
        if (!nv::ScanInt(text, pos, v[i]))
            return false;
    }
    auto i32 = [](long long x) { return int(static_cast<uint32_t>(x)); };
    WindowPlacement p;
    p.length = 44;
    p.flags = static_cast<uint32_t>(v[0]);
    p.showCmd = static_cast<uint32_t>(v[1]);
    p.minX = i32(v[2]);
    p.minY = i32(v[3]);
    p.maxX = i32(v[4]);
    p.maxY = i32(v[5]);
    p.normal = {i32(v[6]), i32(v[7]), i32(v[8]), i32(v[9])};
    placement = p;
    return true;
}

void CGeoreferenceDlg::OnInitDialog()
{
    m_host.SetIcons();
    const DlgRect client = m_host.GetClientRect();
    m_sizeMinTrack = {client.Width(), client.Height()};
    m_host.SetMinimumClientSize(m_sizeMinTrack);
    RestoreWindowPlacement();
    m_nCoordType = m_host.GetProfileInt(kSection, kCoordType, kDefaultCoordNotation);
    m_bShowGraticule = m_host.GetProfileInt(kSection, kShowGraticule, 0) != 0;
    m_host.CheckMenuItem(ID_VIEW_SHOW_GRATICULE, m_bShowGraticule);

    m_wndViewer = &m_host.CreateViewer(IDC_VIEWER);
    m_wndPointGrid = &m_host.AttachPointTable(IDC_POINT_TABLE);
    for (int row = 0; row < 2; ++row) {
        m_wndPointGrid->SetCellText(2, row, "0");
        m_wndPointGrid->SetCellText(3, row, "0");
    }
    LayoutControls();

    m_strInstructions = InstructionsText();
    m_host.SetChildText(IDC_INSTRUCTIONS, m_strInstructions);
    m_host.SetCaption(CaptionText(ReadProductVersion()));

    m_bLayoutReady = true;
    EnableImageControls();
    PointsChanged();
    m_wndViewer->SetGraticule(m_bShowGraticule, m_fit, m_nCoordType);
}

void CGeoreferenceDlg::OnSize()
{
    if (m_bLayoutReady)
        LayoutControls();
}

void CGeoreferenceDlg::OnClose()
{
    if (!m_host.IsIconic())
        SaveWindowPlacement();
}

void CGeoreferenceDlg::RestoreWindowPlacement()
{
    const std::string text = m_host.GetProfileString(kSection, kWindowPos, "");
    WindowPlacement placement;
    if (!text.empty() && ParseWindowPos(text, placement))
        m_host.SetWindowPlacement(placement);
}

void CGeoreferenceDlg::SaveWindowPlacement()
{
    WindowPlacement placement = m_host.GetWindowPlacement();
    placement.length = 44;
    placement.flags = m_host.IsZoomed() ? kPlacementRestoreToMaximized : 0;
    m_host.WriteProfileString(kSection, kWindowPos, FormatWindowPos(placement));
}

void CGeoreferenceDlg::EnableImageControls()
{
    const bool enable = !m_strImagePath.empty();
    m_host.EnableChild(IDC_POINT_TABLE, enable);
    m_host.EnableChild(IDC_PICK_POINT1, enable);
    m_host.EnableChild(IDC_PICK_POINT2, enable);
    m_host.EnableChild(IDC_ACCEPT, enable);
    m_host.EnableChild(ID_FILE_SAVE_POINTS, enable);
    m_host.EnableChild(ID_FILE_LOAD_POINTS, enable);
}

void CGeoreferenceDlg::LayoutControls()
{
    const DlgRect client = m_host.GetClientRect();
    const int W = client.Width(), H = client.Height();
    if (!m_bMeasured) {
        const DlgRect instructions = m_host.GetChildRect(IDC_INSTRUCTIONS);
        const DlgRect accept = m_host.GetChildRect(IDC_ACCEPT);
        m_mX = instructions.left;
        m_mY = instructions.top;
        m_bw = accept.Width();
        m_bh = accept.Height();
        m_bMeasured = true;
    }

    DlgRect r = m_host.GetChildRect(IDC_INSTRUCTIONS);
    r.right = r.left + ((W - m_mX) - r.left);
    m_host.MoveChild(IDC_INSTRUCTIONS, r, true);

    const DlgRect accept{W - m_mX - m_bw, H - m_mY - m_bh, W - m_mX, H - m_mY};
    m_host.MoveChild(IDC_ACCEPT, accept, true);

    DlgRect load = m_host.GetChildRect(IDC_LOAD_IMAGE);
    load.top = accept.top;
    load.bottom = accept.bottom;
    m_host.MoveChild(IDC_LOAD_IMAGE, load, true);

    const DlgRect table = m_host.GetChildRect(IDC_POINT_TABLE);
    const int viewerTop = table.bottom + m_mY;
    const int viewerHeight = (H - 2 * m_mY - m_bh) - viewerTop;
    m_host.MoveChild(IDC_VIEWER, {m_mX, viewerTop, m_mX + (W - 2 * m_mX), viewerTop + viewerHeight},
                     true);

    if (m_wndPointGrid)
        m_wndPointGrid->FitColumns();
}

std::string CGeoreferenceDlg::FormatCoordinate(double value, bool longitude) const
{
    return ::FormatCoordinateExact(m_nCoordType, value, longitude);
}

bool CGeoreferenceDlg::ParseCoordinate(const std::string& text, bool longitude, double& value,
                                       std::string& message) const
{
    return ::ParseCoordinate(m_nCoordType, text, longitude, value, message);
}

bool CGeoreferenceDlg::ValidateCoordinate(const std::string& text, bool longitude, double& value,
                                          bool showMessage) const
{
    if (text.empty())
        return true;
    std::string message;
    if (ParseCoordinate(text, longitude, value, message))
        return true;
    if (showMessage)
        m_host.MessageBox(message, nv::MessageButtons::ok);
    return false;
}

bool CGeoreferenceDlg::ValidateCell(int column, const std::string& text, bool showMessage) const
{
    double coordinate = 0.0;
    if (column >= 2)
        return ValidateCoordinate(text, column == 3, coordinate, showMessage);
    uint32_t pixel = 0;
    std::string message;
    if (text.empty() || ParsePixelValue(text, pixel, message))
        return true;
    if (showMessage)
        m_host.MessageBox(message, nv::MessageButtons::ok);
    return false;
}

std::string CGeoreferenceDlg::DisplayCoordinate(const std::string& text, bool longitude) const
{
    return m_bLayoutReady ? NormaliseCoordinate(text, longitude) : text;
}

std::string CGeoreferenceDlg::NormaliseCoordinate(const std::string& text, bool longitude) const
{
    double value = 0.0;
    std::string message;
    if (text.empty() || !ParseCoordinate(text, longitude, value, message))
        return text;
    return FormatCoordinate(value, longitude);
}

void CGeoreferenceDlg::OnLoadImage()
{
    std::string path;
    if (m_host.ChooseImageFile("Select Bitmap Image To GeoReference",
                               "Bitmap Images|*.jpg;*.bmp|All Files|*.*||", ImageStartFolder(),
                               path))
        OpenImage(path);
    else
        EnableImageControls();
}

bool CGeoreferenceDlg::OpenImage(const std::string& path)
{
    if (m_wndViewer && m_wndViewer->StartLoadImage(path))
        return true;
    std::string reason;
    const bool loaded = m_wndViewer && m_wndViewer->LoadImage(path, reason);
    OnImageLoaded(path, loaded, reason);
    return loaded;
}

void CGeoreferenceDlg::OnImageLoaded(const std::string& path, bool loaded,
                                     const std::string& reason)
{
    // A file that loads neither way leaves the image and its path as they were.
    if (loaded) {
        ImageLoaded(path);
        // Read afresh, so that the images another window loaded meanwhile are kept.
        CRecentFiles recent = CRecentFiles::Read(m_host);
        recent.Add(path);
        recent.Write(m_host);
    } else {
        m_host.RedrawWindow();
        m_host.MessageBox(LoadFailureText(path, reason), nv::MessageButtons::ok);
    }
    EnableImageControls();
}

std::vector<CGeoreferenceDlg::RecentImage> CGeoreferenceDlg::RecentImages()
{
    const char* home = std::getenv("HOME");
    std::vector<RecentImage> images;
    const CRecentFiles recent = CRecentFiles::Read(m_host);
    for (size_t i = 0; i < recent.Paths().size(); ++i) {
        const std::string& path = recent.Paths()[i];
        images.push_back(
            {path, CRecentFiles::MenuText(i, path, home ? home : ""), !FileExists(path)});
    }
    return images;
}

void CGeoreferenceDlg::OnOpenRecentImage(const std::string& path)
{
    if (FileExists(path)) {
        OpenImage(path);
        return;
    }
    CRecentFiles recent = CRecentFiles::Read(m_host);
    recent.Remove(path);
    recent.Write(m_host);
    m_host.MessageBox("The image \"" + path +
                          "\" was not found.  It has been removed from the recent images.",
                      nv::MessageButtons::ok);
}

std::string CGeoreferenceDlg::ImageStartFolder()
{
    const CRecentFiles recent = CRecentFiles::Read(m_host);
    std::string folder;
    if (!recent.Paths().empty())
        GetPathFolder(recent.Paths().front(), folder);
    return folder;
}

bool CGeoreferenceDlg::LoadImage(const std::string& path, std::string* reason)
{
    if (!m_wndViewer)
        return false;
    std::string why;
    if (!m_wndViewer->LoadImage(path, why)) {
        if (reason)
            *reason = why;
        return false;
    }
    ImageLoaded(path);
    return true;
}

void CGeoreferenceDlg::ImageLoaded(const std::string& path)
{
    m_strImagePath = path;
    OfferExistingWorldFile();
    m_host.RedrawWindow();
}

void CGeoreferenceDlg::SetPickMode(int mode)
{
    if (mode == m_nPickMode)
        return;
    m_nPickMode = mode;
    const int row = mode - 1;
    if (m_wndPointGrid && row >= 0) {
        m_pickSaved[0] = m_wndPointGrid->GetCellText(0, row);
        m_pickSaved[1] = m_wndPointGrid->GetCellText(1, row);
    }
    if (m_wndViewer)
        m_wndViewer->SetPickIndex(row);
}

void CGeoreferenceDlg::OnPickTrack(int x, int y)
{
    m_pointer = DlgPoint{x, y};
    if (m_nPickMode != 1 && m_nPickMode != 2) {
        m_host.SetStatusLine(PointerStatus(m_pointer));
        return;
    }
    const int row = m_nPickMode - 1;
    m_wndPointGrid->SetCellText(0, row, std::to_string(x));
    m_wndPointGrid->SetCellText(1, row, std::to_string(y));
    PointsChanged();
}

void CGeoreferenceDlg::OnPickEnd(int, int)
{
    SetPickMode(0);
}

void CGeoreferenceDlg::OnPickCancel()
{
    if (m_nPickMode != 1 && m_nPickMode != 2)
        return;
    const int row = m_nPickMode - 1;
    SetPickMode(0);
    m_wndPointGrid->SetCellText(0, row, m_pickSaved[0]);
    m_wndPointGrid->SetCellText(1, row, m_pickSaved[1]);
    PointsChanged();
}

void CGeoreferenceDlg::OnPointerLeft()
{
    m_pointer.reset();
    m_host.SetStatusLine(PointerStatus(m_pointer));
}

void CGeoreferenceDlg::OnPointCellChanged(int, int)
{
    if (m_wndViewer)
        PointsChanged();
}

void CGeoreferenceDlg::OnShowGraticule(bool show)
{
    m_bShowGraticule = show;
    m_host.WriteProfileString(kSection, kShowGraticule, show ? "1" : "0");
    m_host.CheckMenuItem(ID_VIEW_SHOW_GRATICULE, show);
    if (m_wndViewer)
        m_wndViewer->SetGraticule(show, m_fit, m_nCoordType);
}

void CGeoreferenceDlg::PointsChanged()
{
    if (!m_wndPointGrid || !m_wndViewer)
        return;
    m_wndPointGrid->RedrawAll();
    for (int row = 0; row < 2; ++row)
        m_wndViewer->SetMarker(row, PointPixel(row));
    std::optional<GeoTransform> fit = CurrentFit();
    if (!SameFit(fit, m_fit)) {
        m_fit = std::move(fit);
        m_wndViewer->SetGraticule(m_bShowGraticule, m_fit, m_nCoordType);
    }
    m_host.SetStatusLine(PointerStatus(m_pointer));
}

std::optional<DlgPoint> CGeoreferenceDlg::PointPixel(int row) const
{
    if (!m_wndPointGrid)
        return std::nullopt;
    const std::optional<int> x = WholePixel(m_wndPointGrid->GetCellText(0, row));
    const std::optional<int> y = WholePixel(m_wndPointGrid->GetCellText(1, row));
    if (!x || !y)
        return std::nullopt;
    return DlgPoint{*x, *y};
}

std::optional<GeoTransform> CGeoreferenceDlg::CurrentFit() const
{
    ControlPoint p1, p2;
    if (!m_wndPointGrid || !ReadPixels(p1, p2, false) || !ReadCoordinates(p1, p2, false))
        return std::nullopt;
    std::optional<GeoTransform> fit = GeoTransform::FromControlPoints(p1, p2);
    if (!fit || !fit->IsFinite())
        return std::nullopt;
    return fit;
}

StatusLine CGeoreferenceDlg::PointerStatus(std::optional<DlgPoint> pixel) const
{
    StatusLine status;
    if (pixel)
        status.pixel = "Pixel " + std::to_string(pixel->x) + ", " + std::to_string(pixel->y);
    if (!m_fit)
        return status;
    if (pixel) {
        const GeoPoint at = m_fit->PixelToGeo({double(pixel->x), double(pixel->y)});
        status.position = Trimmed(FormatCoordinateRounded(m_nCoordType, at.latitude, false)) +
                          ", " + Trimmed(FormatCoordinateRounded(m_nCoordType, at.longitude, true));
    }
    // The scale at the middle of the image.
    const DlgSize size = m_wndViewer ? m_wndViewer->GetContentSize() : DlgSize{};
    const double middle = m_fit->PixelToGeo({(size.cx - 1) / 2.0, (size.cy - 1) / 2.0}).latitude;
    const GroundScale scale = GroundScaleAt(*m_fit, middle);
    status.scale = Metres(scale.metresPerPixelX) + " m/px across, " +
                   Metres(scale.metresPerPixelY) + " m/px down";
    if (const std::optional<double> differ = SuspiciousScaleDifference(*m_fit, scale)) {
        status.warning =
            std::isinf(*differ)
                ? "Warning: the two points lie on one parallel or one meridian; check their "
                  "coordinates."
                : "Warning: the ground scales across and down differ by " +
                      std::to_string(int(std::lround(*differ))) +
                      " %; a coordinate may be mistyped or the points swapped.";
    }
    return status;
}

bool CGeoreferenceDlg::ReadPixels(ControlPoint& p1, ControlPoint& p2, bool showMessage) const
{
    uint32_t* pixels[4] = {&p1.x, &p1.y, &p2.x, &p2.y};
    for (int i = 0; i < 4; ++i) {
        std::string message;
        if (!ParsePixelValue(m_wndPointGrid->GetCellText(i % 2, i / 2), *pixels[i], message)) {
            if (showMessage)
                m_host.MessageBox(message, nv::MessageButtons::ok);
            return false;
        }
    }
    return true;
}

bool CGeoreferenceDlg::ReadCoordinates(ControlPoint& p1, ControlPoint& p2, bool showMessage) const
{
    struct Cell
    {
        int column, row;
        bool longitude;
        double* value;
    } cells[] = {{2, 0, false, &p1.latitude},
                 {3, 0, true, &p1.longitude},
                 {2, 1, false, &p2.latitude},
                 {3, 1, true, &p2.longitude}};
    for (const Cell& cell : cells) {
        std::string message;
        if (!ParseCoordinate(m_wndPointGrid->GetCellText(cell.column, cell.row), cell.longitude,
                             *cell.value, message)) {
            if (showMessage)
                m_host.MessageBox(message, nv::MessageButtons::ok);
            return false;
        }
    }
    return true;
}

CGeoreferenceDlg::WorldFileResult CGeoreferenceDlg::OnCreateWorldFile()
{
    ControlPoint p1, p2;
    if (!ReadPixels(p1, p2, true))
        return WorldFileResult::refused;
    if (!GeoTransform::DistinctPixels(p1, p2)) {
        m_host.MessageBox("The X and Y pixel values for point #1 and point #2 may not be the "
                          "same.  Please select two points that have different X and Y values.",
                          nv::MessageButtons::ok);
        return WorldFileResult::refused;
    }
    if (!ReadCoordinates(p1, p2, true))
        return WorldFileResult::refused;

    const WorldFileParams params = GeoTransform::FromControlPoints(p1, p2)->Params();
    // The image these points belong to, even if a load that was under way ends while the
    // questions below are open.
    const std::string imagePath = m_strImagePath;
    const std::string worldPath = MakeWorldFilePath(imagePath);

    // An existing world file counts whatever the letter case of its extension; the new file
    // replaces it, so that no two spellings are left side by side.
    const std::string existing = FindFileIgnoringExtensionCase(worldPath);
    if (!existing.empty() && m_host.MessageBox("Overwrite the existing world file for this image?",
                                               nv::MessageButtons::okCancel) != nv::IDOK)
        return WorldFileResult::cancelled;

    if (!nv::WriteFileAtomically(worldPath, FormatWorldFile(params))) {
        m_host.MessageBox("ERROR:  Unable to create " + worldPath, nv::MessageButtons::ok);
        return WorldFileResult::failed;
    }
    if (!existing.empty() && existing != worldPath)
        ::unlink(existing.c_str());
    WriteCrsFile(imagePath);

    const std::string text = "The world file \"" + worldPath +
                             "\" was created to geo-reference the loaded image \"" + imagePath +
                             "\"." +
                             "These two files may be moved together to any desired folder but must "
                             "stay in the same folder.  To load your new map into your mapping "
                             "application, select the \"" +
                             imagePath +
                             "\" file and the world file will automatically "
                             "be loaded so that your image will be displayed as a map.\n\n"
                             "Do you wish to exit Nulo Vandrel now?";
    if (m_host.MessageBox(text, nv::MessageButtons::yesNo) == nv::IDYES)
        m_host.EndDialog(nv::IDOK);
    return WorldFileResult::written;
}

void CGeoreferenceDlg::OfferExistingWorldFile()
{
    const std::string worldPath = FindExistingWorldFile(m_strImagePath);
    if (worldPath.empty())
        return;
    if (m_host.MessageBox("There appears to be an existing world file.  Would you like to load it?",
                          nv::MessageButtons::yesNo) != nv::IDYES)
        return;
    const std::optional<WorldFileParams> params = ReadWorldFile(worldPath);
    if (!params)
        return;
    const DlgSize size = m_wndViewer ? m_wndViewer->GetContentSize() : DlgSize{};
    const long long W = size.cx, H = size.cy;
    m_wndPointGrid->SetCellText(0, 0, "0");
    m_wndPointGrid->SetCellText(1, 0, "0");
    m_wndPointGrid->SetCellText(0, 1, std::to_string(W - 1));
    m_wndPointGrid->SetCellText(1, 1, std::to_string(H - 1));
    // The top-left and bottom-right pixels, where the file puts them.
    const GeoTransform fit(*params);
    const GeoPoint corners[2] = {fit.PixelToGeo({0.0, 0.0}),
                                 fit.PixelToGeo({double(W - 1), double(H - 1)})};
    for (int row = 0; row < 2; ++row) {
        m_wndPointGrid->SetCellText(2, row, FormatCoordinate(corners[row].latitude, false));
        m_wndPointGrid->SetCellText(3, row, FormatCoordinate(corners[row].longitude, true));
    }
    PointsChanged();
}

void CGeoreferenceDlg::WriteCrsFile(const std::string& imagePath)
{
    if (m_host.GetProfileInt(kSection, kWriteCrsFile, 1) == 0)
        return;
    const std::string path = MakeAuxXmlPath(imagePath);
    switch (WriteAuxXml(imagePath)) {
    case AuxXmlResult::written:
        LogWriteText("Wrote the coordinate system file \"%s\"", path.c_str());
        break;
    case AuxXmlResult::existed:
        LogWriteText("The coordinate system file \"%s\" exists and was left as it is",
                     path.c_str());
        break;
    case AuxXmlResult::failed:
        LogWriteText("ERROR: Unable to create \"%s\"", path.c_str());
        m_host.MessageBox("ERROR:  Unable to create " + path, nv::MessageButtons::ok);
        break;
    }
}

CGeoreferenceDlg::FileResult CGeoreferenceDlg::OnSavePoints()
{
    if (m_strImagePath.empty() || !m_wndPointGrid)
        return FileResult::refused;
    ControlPoint p1, p2;
    if (!ReadPixels(p1, p2, true) || !ReadCoordinates(p1, p2, true))
        return FileResult::refused;

    std::string path;
    if (!m_host.ChooseSaveFile("Save Control Points", kPointsFilter,
                               MakePointsFilePath(m_strImagePath), path))
        return FileResult::cancelled;
    if (FileExists(path) &&
        m_host.MessageBox("Overwrite the existing points file \"" + path + "\"?",
                          nv::MessageButtons::okCancel) != nv::IDOK)
        return FileResult::cancelled;
    std::string error;
    if (!nv::WriteFileAtomically(path, FormatPointsFile({p1, p2}), &error)) {
        LogWriteText("ERROR: Unable to create \"%s\": %s", path.c_str(), error.c_str());
        m_host.MessageBox("ERROR:  Unable to create " + path, nv::MessageButtons::ok);
        return FileResult::failed;
    }
    LogWriteText("Saved the control points to \"%s\"", path.c_str());
    return FileResult::written;
}

void CGeoreferenceDlg::OnLoadPoints()
{
    std::string path;
    if (!m_strImagePath.empty() && m_host.ChooseOpenFile("Load Control Points", kPointsFilter,
                                                         MakePointsFilePath(m_strImagePath), path))
        LoadPoints(path);
}

bool CGeoreferenceDlg::LoadPoints(const std::string& path)
{
    if (!m_wndPointGrid)
        return false;
    PointsFileContents contents;
    std::string reason;
    const std::string failure = "ERROR:  Unable to load the points file \"" + path + "\".  ";
    if (!ReadPointsFile(path, contents, reason)) {
        m_host.MessageBox(failure + reason, nv::MessageButtons::ok);
        return false;
    }
    const size_t found = contents.points.size();
    if (found < 2) {
        m_host.MessageBox(failure + "It holds " + Count(found, "enabled point") +
                              "; two are needed.",
                          nv::MessageButtons::ok);
        return false;
    }
    for (int row = 0; row < 2; ++row) {
        const ControlPoint& p = contents.points[row];
        m_wndPointGrid->SetCellText(0, row, std::to_string(p.x));
        m_wndPointGrid->SetCellText(1, row, std::to_string(p.y));
        m_wndPointGrid->SetCellText(2, row, FormatCoordinate(p.latitude, false));
        m_wndPointGrid->SetCellText(3, row, FormatCoordinate(p.longitude, true));
    }
    PointsChanged();
    LogWriteText("Loaded the control points from \"%s\"", path.c_str());
    if (found > 2)
        m_host.MessageBox("The points file holds " + Count(found, "enabled point") +
                              ".  The first two were loaded; " + Count(found - 2, "point") +
                              (found == 3 ? " was" : " were") + " ignored.",
                          nv::MessageButtons::ok);
    return true;
}
