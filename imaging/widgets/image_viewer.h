// COXImageViewer: the scrolling and zooming window that shows the image being geo-referenced.
// It loads BMP and JPEG files, paints the image at the window's zoom and placement, turns and
// mirrors it from its context menu, and reports the pixel of the image file under the mouse:
// PickTrack on every move over the image, PickEnd on a left-button press on it. Reported
// pixels are those of the file as stored, whatever turns the view has applied since.
// StartLoad decodes on worker threads while the window goes on working with the image it
// shows: a large JPEG shows a reduced first view at once (without picking or overlays), then
// the full image in its place at the same zoom and scroll position. Turns and flips of large
// images run on a worker too; the image shown meanwhile is shared with it read-only.
// Over the image it draws the overlays it is given: two point markers, a graticule, and,
// while a point is being picked, a magnifier beside the pointer; picking also takes the
// arrow keys (one pixel), Enter (ends the pick) and Escape (cancels it).
#pragma once

#include "imaging/dib.h"
#include "imaging/overlay_geometry.h"
#include "imaging/view_mapping.h"
#include "imaging/widgets/dib_view_renderer.h"
#include "imaging/widgets/scroll_window.h"

#include "imaging/image_jobs.h"

#include <QColor>
#include <QTimer>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace nv {
class Stream;
}

// Commands the viewer adds to the context menu.
enum ImageViewerCommand {
    ID_ROTATE_90 = 26700,
    ID_ROTATE_180 = 26771,
    ID_ROTATE_270 = 26772,        // "Counterclockwise 90°"
    ID_FLIP_VERTICALLY = 26773,   // mirrors left-right
    ID_FLIP_HORIZONTALLY = 26774, // turns upside down
    ID_ALIGN_TOP_LEFT = 26775,
    ID_ALIGN_CENTER = 26776,
    ID_ALIGN_BOTTOM_RIGHT = 26777,
    ID_SHOW_GRATICULE = 26778,
};

class COXImageViewer : public COXScrollWnd
{
    Q_OBJECT
public:
    explicit COXImageViewer(QWidget* parent = nullptr);
    ~COXImageViewer() override;

    // Loaders: each reads a whole image and shows it; on failure the image shown before stays.
    // A BMP file, read from its start.
    virtual bool LoadFile(nv::Stream& file);
    virtual bool LoadFile(const std::string& path);
    // A BMP from the program's resources.
    virtual bool LoadResource(const std::string& name);
    virtual bool LoadJPEGFile(nv::Stream& file);
    virtual bool LoadJPEGFile(const std::string& path);
    // A BMP file, else a JPEG file, through the shared loader; reason (when given) says why
    // neither worked.
    bool LoadImage(const std::string& path, std::string* reason = nullptr);
    // Loads path as LoadImage does, on worker threads; LoadFinished tells how it ended. The
    // image shown meanwhile stays in use (a first view only stands in front of it), and comes
    // back when the load fails. Cancels the load or turns under way, which then report
    // nothing, as does every other load.
    void StartLoad(const std::string& path);
    // Whether a load is under way, and whether it shows its first view now.
    bool IsLoading() const { return m_loading; }
    bool ShowsFirstView() const { return m_firstView != nullptr; }
    // Whether the image itself is shown: there is one, and no first view stands in front.
    bool ShowsImage() const { return !IsEmpty() && !m_firstView; }
    // Whether a turn is under way or waiting.
    bool IsTurning() const { return m_turning; }
    // Drops the image; with redraw, repaints at once. The content size stays.
    virtual bool Empty(bool redraw = true);
    virtual bool IsEmpty() const { return !m_image || m_image->IsEmpty(); }
    // Shows the image held: content size, centre zoom anchor, fitted or repainted.
    virtual bool InitializeImage(nv::ScrollSize page, nv::ScrollSize line);
    // Draws the source rectangle of the shown image into the destination rectangle (window
    // pixels); returns the rows drawn.
    virtual int DrawDIB(QPainter& painter, const QRect& dest, const QRect& source);
    // Shows the image again after it changed, keeping the page and line sizes.
    bool RefreshImage(bool redraw);
    // Palette realisation: a true-colour screen has none to realise. Returns the entries changed.
    int RealizeImagePalette(bool redraw, bool foreground);

    const COXDIB& GetDIB() const;
    // The image as drawn: its halftone copy on a 256-colour screen, else the image itself.
    const COXDIB& GetShownImage() const;
    // Width and height of the image file, whatever turns have been applied since loading.
    nv::ScrollSize GetImageFileSize() const { return m_orientation.StoredSize(); }
    // The work on worker threads (tests hold its decodings with a gate).
    nv::ImageJobs& Jobs() { return m_jobs; }
    const nv::ImageOrientation& GetOrientation() const { return m_orientation; }
    QColor GetBackgroundColor() const { return m_clrBackground; }
    void SetBackgroundColor(const QColor& color);
    const DIBViewRenderer& Renderer() const { return m_renderer; }

    // The pixel of the image file shown at a client point; nothing outside the image.
    std::optional<nv::ScrollPoint> FilePixelAt(QPoint point) const;

    // True on a 256-colour palette screen for an image without a colour table.
    bool NeedsHalftone() const;
    // The screen's bits per pixel, read once; SetScreenBitsPerPixel(0) reads it again.
    static int GetScreenBitsPerPixel();
    static void SetScreenBitsPerPixel(int bits);

    bool AddContextMenuItems(QMenu& menu, QPoint point) override;
    bool OnCommand(int id) override;

    // Overlays. Marker index 0 is point #1, 1 is point #2; a marker sits on a pixel of the
    // stored file, or is not drawn.
    void SetMarker(int index, std::optional<nv::ScrollPoint> filePixel);
    std::optional<nv::ScrollPoint> GetMarker(int index) const;
    // The point being picked (0 or 1), or -1: crosshair cursor, magnifier and pick keys.
    void SetPickIndex(int index);
    // The graticule: whether it is asked for (the context menu's check mark) and the lines
    // over a part of the stored file (nothing to draw without them).
    using GridLineSource = std::function<std::vector<nv::GridLine>(const nv::AreaF& visible)>;
    void SetGraticule(bool shown, GridLineSource lines);
    // Where the stored file appears in the window now.
    nv::ViewPlacement Placement() const;
    // The magnifier as it is drawn now, if it is.
    std::optional<nv::Magnifier> CurrentMagnifier() const;

signals:
    // A load begun with StartLoad ended: the image is shown, or the one before stays and
    // reason says why not. A cancelled load does not report.
    void LoadFinished(const QString& path, bool ok, const QString& reason);
    // A load shows its reduced first view.
    void FirstViewShown();
    // A turn or flip ended; the image is unchanged when it failed.
    void TurnFinished(bool ok);
    // How far the load or turn under way is: a text (empty when nothing is under way) and
    // thousandths (-1 when not known).
    void WorkProgress(const QString& text, int permille);
    void PickTrack(int x, int y);
    void PickEnd(int x, int y);
    // Escape while picking.
    void PickCancel();
    // The pointer left the image.
    void PointerLeft();
    // "Show Graticule" was chosen in the context menu.
    void GraticuleToggled();

protected:
    void OnEraseBackground(QPainter& painter) override;
    void OnDraw(QPainter& painter, const QRect& area) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool viewportEvent(QEvent* event) override;

    // The image, and its halftone copy on a 256-colour screen; neither changes once made.
    std::shared_ptr<const nv::DisplayImage> m_image;
    std::shared_ptr<const nv::DisplayImage> m_dibDisplay;
    QColor m_clrBackground;

private:
    using ImagePtr = nv::ImageJobs::ImagePtr;
    using LevelsPtr = nv::ImageJobs::LevelsPtr;
    struct Turn
    {
        int angle;
        bool flipRows, flipColumns;
    };

    // Reads an image with read (the busy cursor shown meanwhile) and shows it when it worked.
    bool Load(const std::function<bool(COXDIB&)>& read);
    bool ShowLoaded(COXDIB&& loaded);
    // Makes image (with levels, when ready) the one shown, as loaded from its file.
    bool ShowImage(ImagePtr image, LevelsPtr levels);
    // Replaces the image by image and lets a worker free the one before.
    void ReplaceImage(ImagePtr image, LevelsPtr levels);
    void OnFirstView(ImagePtr view, nv::ScrollSize fullSize);
    void OnLoaded(ImagePtr image, const std::string& reason);
    void OnLevels(const ImagePtr& image, LevelsPtr levels);
    void OnTurned(Turn turn, ImagePtr image);
    // Puts the image and view back as they were before a first view stood in front of them.
    void DropFirstView();
    // Gives the renderer the shown image (the halftone copy on a 256-colour screen).
    void DrawShownImage();
    // Cancels the load or turns under way.
    void CancelWork();
    void ReportProgress();
    void Transform(int angle, bool flipRows, bool flipColumns);
    // Handles a key while picking; false for keys picking leaves alone.
    bool PickKey(int key);
    void DrawOverlays(QPainter& painter);
    void DrawGraticule(QPainter& painter, const nv::ViewPlacement& view);
    void DrawMarker(QPainter& painter, int index, const nv::ViewPlacement& view);
    void DrawMagnifier(QPainter& painter, const nv::Magnifier& magnifier);
    QRect MarkerRect(int index) const;
    const QImage& MarkerLabel(int index) const;
    const QImage& GraticuleLabel(const std::string& text) const;
    // Repaints where the magnifier was and where it is now.
    void RefreshMagnifier();

    DIBViewRenderer m_renderer;
    LevelsPtr m_levels; // of m_image, once built
    nv::ImageOrientation m_orientation;
    QRect m_paintArea;

    nv::ImageJobs m_jobs;
    bool m_loading = false;
    std::string m_loadPath;
    ImagePtr m_firstView;
    // The content size and scroll position a first view replaced.
    nv::ScrollSize m_contentBefore;
    nv::ScrollPoint m_scrollBefore;
    bool m_turning = false;
    std::deque<Turn> m_turns; // asked for while another ran
    QTimer m_progressTimer;

    std::optional<nv::ScrollPoint> m_markers[2];
    mutable QImage m_markerLabels[2]; // drawn on first use
    int m_pickIndex = -1;
    std::optional<QPoint> m_pointer; // over the viewport
    QRect m_magnifierBox;            // as last drawn
    bool m_graticuleShown = false;
    GridLineSource m_graticule;
    mutable std::map<std::string, QImage> m_graticuleLabels; // drawn on first use
};
