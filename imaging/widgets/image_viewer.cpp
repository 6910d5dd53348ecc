// The image viewer.
#include "imaging/widgets/image_viewer.h"

#include "imaging/image_loader.h"
#include "platform/file.h"

#include <QActionGroup>
#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace {

// Screen depth, read once; 0 until then.
int g_screenBits = 0;

// Shows the busy cursor while a long operation runs.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

constexpr nv::ScrollSize kLoadPage{100, 100};
constexpr nv::ScrollSize kLoadLine{10, 10};

} // namespace

COXImageViewer::COXImageViewer(QWidget* parent) : COXScrollWnd(parent)
{
    m_clrBackground = palette().color(QPalette::Base);
    m_bUseTrackZoom = true;
    m_bSmoothScrolling = true;
    viewport()->setMouseTracking(true);
}

COXImageViewer::~COXImageViewer() = default;

int COXImageViewer::GetScreenBitsPerPixel()
{
    if (g_screenBits == 0) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        g_screenBits = screen ? screen->depth() : 32;
    }
    return g_screenBits;
}

void COXImageViewer::SetScreenBitsPerPixel(int bits)
{
    g_screenBits = bits;
}

bool COXImageViewer::NeedsHalftone() const
{
    return GetScreenBitsPerPixel() == 8 && m_dib.GetNumColors() == 0;
}

const COXDIB& COXImageViewer::GetShownImage() const
{
    return NeedsHalftone() ? m_dibDisplay : m_dib;
}

void COXImageViewer::SetBackgroundColor(const QColor& color)
{
    m_clrBackground = color;
    viewport()->update();
}

bool COXImageViewer::ShowLoaded(COXDIB&& loaded)
{
    m_renderer.Clear();
    m_dib = std::move(loaded);
    const DIBSize size = m_dib.GetSize();
    m_orientation.Reset({size.cx, size.cy});
    return InitializeImage(kLoadPage, kLoadLine);
}

bool COXImageViewer::Load(const std::function<bool(COXDIB&)>& read)
{
    WaitCursor wait;
    COXDIB loaded;
    try {
        if (!read(loaded))
            return false;
    } catch (const nv::FileError&) {
        return false;
    }
    return ShowLoaded(std::move(loaded));
}

bool COXImageViewer::LoadFile(nv::Stream& file)
{
    return Load([&file](COXDIB& dib) {
        file.SeekToBegin();
        return dib.Read(file);
    });
}

bool COXImageViewer::LoadFile(const std::string& path)
{
    nv::File file;
    return file.Open(path, nv::File::modeRead) && LoadFile(file);
}

bool COXImageViewer::LoadResource(const std::string& name)
{
    return Load([&name](COXDIB& dib) { return dib.LoadResource(name); });
}

bool COXImageViewer::LoadJPEGFile(nv::Stream& file)
{
    return Load([&file](COXDIB& dib) {
        file.SeekToBegin();
        return dib.ReadJPEG(file);
    });
}

bool COXImageViewer::LoadJPEGFile(const std::string& path)
{
    return Load([&path](COXDIB& dib) { return dib.ReadJPEG(path); });
}

bool COXImageViewer::LoadImage(const std::string& path, std::string* reason)
{
    return Load([&](COXDIB& dib) { return LoadImageFile(path, dib, reason); });
}

bool COXImageViewer::Empty(bool redraw)
{
    if (m_dib.IsEmpty())
        return true;
    m_renderer.Clear();
    m_dib.Empty();
    m_dibDisplay.Empty();
    if (redraw)
        RedrawNow();
    return true;
}

bool COXImageViewer::InitializeImage(nv::ScrollSize page, nv::ScrollSize line)
{
    if (NeedsHalftone()) {
        m_dibDisplay = m_dib;
        m_dibDisplay.HalfToneDIB();
    } else {
        m_dibDisplay.Empty();
    }
    const COXDIB& shown = GetShownImage();
    m_renderer.SetImage(&shown);
    const DIBSize size = shown.GetSize();
    SetContentSize(kMapModePixels, {size.cx, size.cy}, page, line);
    SetZoomAnchor(nv::kZoomAnchorCenter);
    if (m_bAlwaysFitWindow)
        FitToWindow();
    else
        RedrawNow();
    return true;
}

bool COXImageViewer::RefreshImage(bool redraw)
{
    if (!InitializeImage(m_sizePage, m_sizeLine))
        return false;
    if (redraw) {
        if (RealizeImagePalette(true, true) == 0)
            RedrawNow();
    }
    return true;
}

int COXImageViewer::RealizeImagePalette(bool, bool)
{
    return 0;
}

int COXImageViewer::DrawDIB(QPainter& painter, const QRect& dest, const QRect& source)
{
    const COXDIB& shown = GetShownImage();
    const DIBSize size = shown.GetSize();
    if (source != QRect(0, 0, size.cx, size.cy) || dest.topLeft() != QPoint(0, 0))
        return shown.Paint(painter, dest, source);
    return m_renderer.Draw(painter, m_paintArea, {dest.width(), dest.height()}, m_nZoomPercent);
}

void COXImageViewer::OnEraseBackground(QPainter& painter)
{
    if (m_dib.IsEmpty())
        painter.fillRect(viewport()->rect(), m_clrBackground);
    else
        FillBackground(painter, QBrush(m_clrBackground));
}

void COXImageViewer::OnDraw(QPainter& painter, const QRect& area)
{
    if (m_dib.IsEmpty())
        return;
    const DIBSize size = GetShownImage().GetSize();
    QRect dest(0, 0, size.cx, size.cy);
    if (m_nZoomPercent != 100)
        dest = QRect(0, 0, nv::LogicalToDevice(size.cx, m_nZoomPercent),
                     nv::LogicalToDevice(size.cy, m_nZoomPercent));
    m_paintArea = area;
    DrawDIB(painter, dest, QRect(0, 0, size.cx, size.cy));
}

std::optional<nv::ScrollPoint> COXImageViewer::FilePixelAt(QPoint point) const
{
    if (m_dib.IsEmpty() || m_sizeContent.cx <= 0)
        return std::nullopt;
    const std::optional<nv::ScrollPoint> shown =
        nv::ImagePixelAt({point.x(), point.y()}, GetViewportOrigin(), m_sizeContent, m_sizeZoomed);
    if (!shown)
        return std::nullopt;
    return m_orientation.ToStored(*shown);
}

void COXImageViewer::mouseMoveEvent(QMouseEvent* event)
{
    if (const auto pixel = FilePixelAt(event->position().toPoint()))
        emit PickTrack(pixel->x, pixel->y);
    COXScrollWnd::mouseMoveEvent(event);
}

void COXImageViewer::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (const auto pixel = FilePixelAt(event->position().toPoint()))
            emit PickEnd(pixel->x, pixel->y);
    }
    COXScrollWnd::mousePressEvent(event);
}

void COXImageViewer::changeEvent(QEvent* event)
{
    // The system's colours or screen changed: read the screen depth again.
    if (event->type() == QEvent::ApplicationPaletteChange)
        g_screenBits = 0;
    COXScrollWnd::changeEvent(event);
}

void COXImageViewer::Transform(int angle, bool flipRows, bool flipColumns)
{
    if (m_dib.IsEmpty())
        return;
    WaitCursor wait;
    if (m_dib.Rotate(angle, flipRows, flipColumns))
        m_orientation.Apply(angle, flipRows, flipColumns);
    // Shown again either way: a turn that failed may still have moved the pixels in memory.
    RefreshImage(true);
}

bool COXImageViewer::AddContextMenuItems(QMenu& menu, QPoint)
{
    auto* align = new QMenu(tr("Align"), &menu);
    const struct
    {
        const char* text;
        int id;
        int alignment;
    } aligns[] = {{"Top/Left", ID_ALIGN_TOP_LEFT, nv::kAlignTopLeft},
                  {"Center", ID_ALIGN_CENTER, nv::kAlignCenter},
                  {"Bottom/Right", ID_ALIGN_BOTTOM_RIGHT, nv::kAlignBottomRight}};
    auto* group = new QActionGroup(align);
    for (const auto& a : aligns) {
        QAction* item = CreateCommand(tr(a.text), a.id, align);
        item->setCheckable(true);
        item->setChecked(m_nAlignment == a.alignment);
        group->addAction(item);
        align->addAction(item);
    }
    QAction* first = menu.actions().value(0);
    menu.insertMenu(first, align);
    if (first)
        menu.insertSeparator(first);
    else
        menu.addSeparator();

    if (!menu.isEmpty())
        menu.addSeparator();
    QMenu* rotate = menu.addMenu(tr("Rotate"));
    rotate->addAction(CreateCommand(QString::fromUtf8("Clockwise 90°"), ID_ROTATE_90, rotate));
    rotate->addAction(CreateCommand(QString::fromUtf8("180°"), ID_ROTATE_180, rotate));
    rotate->addAction(
        CreateCommand(QString::fromUtf8("Counterclockwise 90°"), ID_ROTATE_270, rotate));
    QMenu* flip = menu.addMenu(tr("Flip"));
    flip->addAction(CreateCommand(tr("Vertically"), ID_FLIP_VERTICALLY, flip));
    flip->addAction(CreateCommand(tr("Horizontally"), ID_FLIP_HORIZONTALLY, flip));
    return true;
}

bool COXImageViewer::OnCommand(int id)
{
    switch (id) {
    case ID_ROTATE_90:
        Transform(90, false, false);
        return true;
    case ID_ROTATE_180:
        Transform(180, false, false);
        return true;
    case ID_ROTATE_270:
        Transform(270, false, false);
        return true;
    case ID_FLIP_VERTICALLY:
        Transform(0, false, true);
        return true;
    case ID_FLIP_HORIZONTALLY:
        Transform(0, true, false);
        return true;
    case ID_ALIGN_TOP_LEFT:
    case ID_ALIGN_CENTER:
    case ID_ALIGN_BOTTOM_RIGHT:
        SetAlignment(id == ID_ALIGN_TOP_LEFT ? nv::kAlignTopLeft
                     : id == ID_ALIGN_CENTER ? nv::kAlignCenter
                                             : nv::kAlignBottomRight);
        RedrawNow();
        return true;
    default:
        return COXScrollWnd::OnCommand(id);
    }
}
