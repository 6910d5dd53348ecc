// The image viewer.
#include "imaging/widgets/image_viewer.h"

#include "imaging/image_loader.h"
#include "platform/file.h"

#include <QActionGroup>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include <cmath>

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
// Images up to this size turn on the UI thread, within a few milliseconds.
constexpr int64_t kTurnAtOncePixels = int64_t(2) << 20;

// Overlay colours: strong enough to read on any map, each drawn over a light outline.
const QColor kMarkerColours[2] = {QColor(230, 20, 20), QColor(20, 80, 240)};
const QColor kOutline(255, 255, 255);
const QColor kGraticuleColour(200, 0, 150);
const QColor kLabelBackground(255, 255, 255, 200);

QRect ToQRect(const nv::ScrollRect& r)
{
    return QRect(r.left, r.top, r.Width(), r.Height());
}

QPoint ToQPoint(nv::ScrollPoint p)
{
    return QPoint(p.x, p.y);
}

} // namespace

COXImageViewer::COXImageViewer(QWidget* parent) : COXScrollWnd(parent)
{
    m_clrBackground = palette().color(QPalette::Base);
    m_bUseTrackZoom = true;
    m_bSmoothScrolling = true;
    viewport()->setMouseTracking(true);
    m_progressTimer.setInterval(100);
    connect(&m_progressTimer, &QTimer::timeout, this, &COXImageViewer::ReportProgress);
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
    return GetScreenBitsPerPixel() == 8 && GetDIB().GetNumColors() == 0;
}

const COXDIB& COXImageViewer::GetDIB() const
{
    static const COXDIB kEmpty;
    return m_image ? m_image->Image() : kEmpty;
}

const COXDIB& COXImageViewer::GetShownImage() const
{
    return NeedsHalftone() && m_dibDisplay ? m_dibDisplay->Image() : GetDIB();
}

void COXImageViewer::SetBackgroundColor(const QColor& color)
{
    m_clrBackground = color;
    viewport()->update();
}

void COXImageViewer::ReplaceImage(ImagePtr image, LevelsPtr levels)
{
    m_jobs.Release(std::move(m_image));
    m_jobs.Release(std::move(m_levels));
    m_jobs.Release(std::move(m_dibDisplay));
    m_image = std::move(image);
    m_levels = std::move(levels);
}

bool COXImageViewer::ShowImage(ImagePtr image, LevelsPtr levels)
{
    ReplaceImage(std::move(image), std::move(levels));
    const DIBSize size = GetDIB().GetSize();
    m_orientation.Reset({size.cx, size.cy});
    return InitializeImage(kLoadPage, kLoadLine);
}

bool COXImageViewer::ShowLoaded(COXDIB&& loaded)
{
    ImagePtr image = nv::DisplayImage::Make(std::move(loaded));
    LevelsPtr levels = image->BuildLevels();
    return ShowImage(std::move(image), std::move(levels));
}

bool COXImageViewer::Load(const std::function<bool(COXDIB&)>& read)
{
    if (m_loading || m_turning) {
        CancelWork();
        ReportProgress();
    }
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

void COXImageViewer::StartLoad(const std::string& path)
{
    CancelWork();
    m_loading = true;
    m_loadPath = path;
    m_jobs.Load(
        path, [this](ImagePtr view, nv::ScrollSize size) { OnFirstView(std::move(view), size); },
        [this](ImagePtr image, const std::string& reason) { OnLoaded(std::move(image), reason); },
        [this](const ImagePtr& image, LevelsPtr levels) { OnLevels(image, std::move(levels)); });
    ReportProgress();
    m_progressTimer.start();
}

void COXImageViewer::CancelWork()
{
    m_jobs.Cancel();
    DropFirstView();
    m_loading = false;
    m_turning = false;
    m_turns.clear();
    m_progressTimer.stop();
}

void COXImageViewer::ReportProgress()
{
    const nv::JobProgress progress = m_jobs.Progress();
    emit WorkProgress(QString::fromStdString(nv::ProgressText(progress)), progress.permille);
}

void COXImageViewer::OnFirstView(ImagePtr view, nv::ScrollSize fullSize)
{
    if (!m_loading || !view->Drawable())
        return;
    if (!m_firstView) {
        m_contentBefore = m_sizeContent;
        m_scrollBefore = GetScrollPosition();
    }
    m_firstView = std::move(view);
    m_renderer.SetImage(m_firstView);
    m_renderer.SetSmoothEnlarging(true);
    // The content takes the full image's size and zoom now, so that the image takes the first
    // view's place without a jump.
    if (m_pointer) {
        m_pointer.reset();
        emit PointerLeft();
    }
    SetContentSize(kMapModePixels, fullSize, kLoadPage, kLoadLine);
    SetZoomAnchor(nv::kZoomAnchorCenter);
    if (m_bAlwaysFitWindow)
        FitToWindow();
    RefreshMagnifier();
    RedrawNow();
    emit FirstViewShown();
}

void COXImageViewer::DropFirstView()
{
    if (!m_firstView)
        return;
    m_jobs.Release(std::move(m_firstView));
    m_firstView.reset();
    DrawShownImage();
    SetContentSize(kMapModePixels, m_contentBefore, m_sizePage, m_sizeLine);
    if (m_bAlwaysFitWindow && m_contentBefore.cx > 0)
        FitToWindow();
    const nv::ScrollPoint now = GetScrollPosition();
    ScrollByOffset(m_scrollBefore.x - now.x, m_scrollBefore.y - now.y, true);
    RedrawNow();
}

void COXImageViewer::OnLoaded(ImagePtr image, const std::string& reason)
{
    m_loading = false;
    m_progressTimer.stop();
    const QString path = QString::fromStdString(m_loadPath);
    if (!image) {
        DropFirstView();
        ReportProgress();
        emit LoadFinished(path, false, QString::fromStdString(reason));
        return;
    }
    // The first view goes; the content size and zoom it set stay the image's.
    m_jobs.Release(std::move(m_firstView));
    m_firstView.reset();
    ShowImage(std::move(image), nullptr);
    ReportProgress();
    emit LoadFinished(path, true, {});
}

void COXImageViewer::OnLevels(const ImagePtr& image, LevelsPtr levels)
{
    if (image != m_image)
        return;
    m_levels = std::move(levels);
    if (m_renderer.Image() == m_image) {
        m_renderer.SetLevels(m_levels);
        viewport()->update();
    }
}

void COXImageViewer::DrawShownImage()
{
    if (m_dibDisplay)
        m_renderer.SetImage(m_dibDisplay, m_dibDisplay->BuildLevels());
    else
        m_renderer.SetImage(m_image, m_levels);
    m_renderer.SetSmoothEnlarging(false);
}

bool COXImageViewer::Empty(bool redraw)
{
    if (m_loading || m_turning) {
        CancelWork();
        ReportProgress();
    }
    if (IsEmpty())
        return true;
    m_renderer.Clear();
    ReplaceImage(nullptr, nullptr);
    if (redraw)
        RedrawNow();
    return true;
}

bool COXImageViewer::InitializeImage(nv::ScrollSize page, nv::ScrollSize line)
{
    m_jobs.Release(std::move(m_dibDisplay));
    m_dibDisplay.reset();
    if (NeedsHalftone()) {
        COXDIB halftone = GetDIB();
        halftone.HalfToneDIB();
        m_dibDisplay = nv::DisplayImage::Make(std::move(halftone));
    }
    DrawShownImage();
    const DIBSize size = GetShownImage().GetSize();
    SetContentSize(kMapModePixels, {size.cx, size.cy}, page, line);
    SetZoomAnchor(nv::kZoomAnchorCenter);
    if (m_bAlwaysFitWindow) {
        FitToWindow();
        // Shown even when it fits at the zoom of the image before.
        viewport()->update();
    } else {
        RedrawNow();
    }
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
    const nv::DIBLayout* drawn = m_renderer.HasImage() ? &m_renderer.Image()->Layout() : nullptr;
    if (drawn && source == QRect(0, 0, drawn->width, drawn->height) &&
        dest.topLeft() == QPoint(0, 0))
        return m_renderer.Draw(painter, m_paintArea, {dest.width(), dest.height()});
    return GetShownImage().Paint(painter, dest, source);
}

void COXImageViewer::OnEraseBackground(QPainter& painter)
{
    if (!m_renderer.HasImage())
        painter.fillRect(viewport()->rect(), m_clrBackground);
    else
        FillBackground(painter, QBrush(m_clrBackground));
}

void COXImageViewer::OnDraw(QPainter& painter, const QRect& area)
{
    if (!m_renderer.HasImage())
        return;
    // The whole image (or the first view standing in for it) stretched over the content.
    const nv::DIBLayout& drawn = m_renderer.Image()->Layout();
    m_paintArea = area;
    DrawDIB(painter, QRect(0, 0, m_sizeZoomed.cx, m_sizeZoomed.cy),
            QRect(0, 0, drawn.width, drawn.height));
}

std::optional<nv::ScrollPoint> COXImageViewer::FilePixelAt(QPoint point) const
{
    // Picks are on the pixels of the file: never on a first view.
    if (!ShowsImage() || m_sizeContent.cx <= 0)
        return std::nullopt;
    const std::optional<nv::ScrollPoint> shown =
        nv::ImagePixelAt({point.x(), point.y()}, GetViewportOrigin(), m_sizeContent, m_sizeZoomed);
    if (!shown)
        return std::nullopt;
    return m_orientation.ToStored(*shown);
}

void COXImageViewer::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const auto pixel = FilePixelAt(at);
    m_pointer = pixel ? std::optional<QPoint>(at) : std::nullopt;
    if (pixel)
        emit PickTrack(pixel->x, pixel->y);
    else
        emit PointerLeft();
    RefreshMagnifier();
    COXScrollWnd::mouseMoveEvent(event);
}

bool COXImageViewer::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Leave && m_pointer) {
        m_pointer.reset();
        RefreshMagnifier();
        emit PointerLeft();
    }
    return COXScrollWnd::viewportEvent(event);
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
    if (IsEmpty() || m_loading)
        return;
    if (m_turning) {
        m_turns.push_back({angle, flipRows, flipColumns});
        return;
    }
    const DIBSize size = GetDIB().GetSize();
    if (int64_t(size.cx) * size.cy <= kTurnAtOncePixels) {
        COXDIB turned;
        ImagePtr image;
        if (GetDIB().RotateInto(angle, flipRows, flipColumns, turned))
            image = nv::DisplayImage::Make(std::move(turned));
        OnTurned({angle, flipRows, flipColumns}, std::move(image));
        return;
    }
    m_turning = true;
    const Turn turn{angle, flipRows, flipColumns};
    m_jobs.Turn(
        m_image, angle, flipRows, flipColumns,
        [this, turn](ImagePtr image, const std::string&) { OnTurned(turn, std::move(image)); },
        [this](const ImagePtr& image, LevelsPtr levels) { OnLevels(image, std::move(levels)); });
    ReportProgress();
    m_progressTimer.start();
}

void COXImageViewer::OnTurned(Turn turn, ImagePtr image)
{
    m_turning = false;
    m_progressTimer.stop();
    const bool turned = image != nullptr;
    if (turned) {
        // Small images get their levels at once; large ones when the worker has built them.
        const bool small =
            int64_t(image->Layout().width) * image->Layout().height <= kTurnAtOncePixels;
        LevelsPtr levels = small ? image->BuildLevels() : nullptr;
        ReplaceImage(std::move(image), std::move(levels));
        m_orientation.Apply(turn.angle, turn.flipRows, turn.flipColumns);
        RefreshImage(true);
    }
    ReportProgress();
    emit TurnFinished(turned);
    if (!m_turns.empty()) {
        const Turn next = m_turns.front();
        m_turns.pop_front();
        Transform(next.angle, next.flipRows, next.flipColumns);
    }
}

bool COXImageViewer::AddContextMenuItems(QMenu& menu, QPoint)
{
    QAction* graticule = CreateCommand(tr("Show Graticule"), ID_SHOW_GRATICULE, &menu);
    graticule->setCheckable(true);
    graticule->setChecked(m_graticuleShown);

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
    // A load under way will replace the image: turning it now would turn the wrong one. The
    // items come alive when it ends, in a menu that is open too.
    for (QMenu* turns : {rotate, flip}) {
        turns->setEnabled(!m_loading);
        if (m_loading)
            connect(this, &COXImageViewer::LoadFinished, turns,
                    [turns] { turns->setEnabled(true); });
    }
    menu.addSeparator();
    menu.addAction(graticule);
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
    case ID_SHOW_GRATICULE:
        emit GraticuleToggled();
        return true;
    default:
        return COXScrollWnd::OnCommand(id);
    }
}

// ---- Overlays ----------------------------------------------------------------------------

nv::ViewPlacement COXImageViewer::Placement() const
{
    return nv::ViewPlacement(m_orientation, GetViewportOrigin(), m_sizeZoomed);
}

void COXImageViewer::SetMarker(int index, std::optional<nv::ScrollPoint> filePixel)
{
    if (index < 0 || index > 1 || m_markers[index] == filePixel)
        return;
    viewport()->update(MarkerRect(index));
    m_markers[index] = filePixel;
    viewport()->update(MarkerRect(index));
    if (index == m_pickIndex)
        RefreshMagnifier();
}

std::optional<nv::ScrollPoint> COXImageViewer::GetMarker(int index) const
{
    return index >= 0 && index <= 1 ? m_markers[index] : std::nullopt;
}

void COXImageViewer::SetPickIndex(int index)
{
    index = index == 0 || index == 1 ? index : -1;
    if (index == m_pickIndex)
        return;
    m_pickIndex = index;
    if (index >= 0)
        viewport()->setCursor(Qt::CrossCursor);
    else
        viewport()->unsetCursor();
    RefreshMagnifier();
}

void COXImageViewer::SetGraticule(bool shown, GridLineSource lines)
{
    m_graticuleShown = shown;
    m_graticule = std::move(lines);
    viewport()->update();
}

QRect COXImageViewer::MarkerRect(int index) const
{
    const std::optional<nv::ScrollPoint> pixel = m_markers[index];
    const nv::ScrollSize stored = m_orientation.StoredSize();
    if (!pixel || !ShowsImage() || pixel->x >= stored.cx || pixel->y >= stored.cy || pixel->x < 0 ||
        pixel->y < 0)
        return {};
    const nv::ScrollPoint centre =
        nv::ViewPlacement::WindowPixel(Placement().ToWindow({double(pixel->x), double(pixel->y)}));
    const QSize label =
        m_markerLabels[index].isNull()
            ? QSize(fontMetrics().horizontalAdvance("#2") + 8, fontMetrics().height() + 8)
            : m_markerLabels[index].size();
    return ToQRect(nv::MarkerBounds(centre, {label.width(), label.height()}));
}

const QImage& COXImageViewer::MarkerLabel(int index) const
{
    QImage& label = m_markerLabels[index];
    if (label.isNull()) {
        // Drawn once: the text with a light outline, so that it reads on any map.
        QFont font = this->font();
        font.setBold(true);
        font.setPointSizeF(font.pointSizeF() * 1.25);
        const QString text = QString("#%1").arg(index + 1);
        const QFontMetrics metrics(font);
        const int o = nv::kMarkerOutline;
        label = QImage(metrics.horizontalAdvance(text) + 2 * o + 2, metrics.height() + 2 * o,
                       QImage::Format_ARGB32_Premultiplied);
        label.fill(Qt::transparent);
        QPainter p(&label);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addText(o + 1, o + metrics.ascent(), font, text);
        p.strokePath(path, QPen(kOutline, 2 * o, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.fillPath(path, kMarkerColours[index]);
    }
    return label;
}

std::optional<nv::Magnifier> COXImageViewer::CurrentMagnifier() const
{
    if (m_pickIndex < 0 || !m_pointer || !ShowsImage())
        return std::nullopt;
    // It shows the point being picked: the pixel under the pointer, or where the arrow keys
    // have moved the point since.
    std::optional<nv::ScrollPoint> shown;
    if (const std::optional<nv::ScrollPoint> marker = m_markers[m_pickIndex]) {
        const nv::ScrollSize stored = m_orientation.StoredSize();
        if (marker->x >= 0 && marker->y >= 0 && marker->x < stored.cx && marker->y < stored.cy)
            shown = m_orientation.ToShown(*marker);
    }
    if (!shown) {
        const std::optional<nv::ScrollPoint> pixel = nv::ImagePixelAt(
            {m_pointer->x(), m_pointer->y()}, GetViewportOrigin(), m_sizeContent, m_sizeZoomed);
        if (!pixel)
            return std::nullopt;
        shown = pixel;
    }
    return nv::PlaceMagnifier({m_pointer->x(), m_pointer->y()}, *shown,
                              {viewport()->width(), viewport()->height()}, m_nZoomPercent);
}

void COXImageViewer::RefreshMagnifier()
{
    const std::optional<nv::Magnifier> magnifier = CurrentMagnifier();
    const QRect box = magnifier ? ToQRect(magnifier->box) : QRect();
    viewport()->update(m_magnifierBox);
    viewport()->update(box);
    m_magnifierBox = box;
}

bool COXImageViewer::PickKey(int key)
{
    switch (key) {
    case Qt::Key_Escape:
        emit PickCancel();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        // Ends the pick where the point is now.
        const nv::ScrollPoint point = m_markers[m_pickIndex].value_or(nv::ScrollPoint{});
        emit PickEnd(point.x, point.y);
        return true;
    }
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        break;
    default:
        return false;
    }
    if (!ShowsImage())
        return true;
    // One pixel in the direction of the arrow as the image is shown.
    std::optional<nv::ScrollPoint> from = m_markers[m_pickIndex];
    if (!from && m_pointer)
        from = FilePixelAt(*m_pointer);
    if (!from)
        return true;
    const nv::ScrollSize shownSize = m_orientation.ShownSize();
    nv::ScrollPoint shown = m_orientation.ToShown(*from);
    shown.x += key == Qt::Key_Left ? -1 : key == Qt::Key_Right ? 1 : 0;
    shown.y += key == Qt::Key_Up ? -1 : key == Qt::Key_Down ? 1 : 0;
    shown.x = std::clamp(shown.x, 0, std::max(shownSize.cx - 1, 0));
    shown.y = std::clamp(shown.y, 0, std::max(shownSize.cy - 1, 0));
    const nv::ScrollPoint to = m_orientation.ToStored(shown);
    emit PickTrack(to.x, to.y);
    return true;
}

bool COXImageViewer::event(QEvent* event)
{
    if (m_pickIndex >= 0 &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (event->type() == QEvent::ShortcutOverride) {
            switch (key->key()) {
            case Qt::Key_Escape:
            case Qt::Key_Return:
            case Qt::Key_Enter:
                event->accept();
                return true;
            default:
                break;
            }
        } else if (PickKey(key->key())) {
            event->accept();
            return true;
        }
    }
    return COXScrollWnd::event(event);
}

void COXImageViewer::paintEvent(QPaintEvent* event)
{
    COXScrollWnd::paintEvent(event);
    // The overlays belong to the image; a first view shows none.
    if (!ShowsImage())
        return;
    QPainter painter(viewport());
    painter.setClipRegion(event->region());
    DrawOverlays(painter);
}

void COXImageViewer::DrawOverlays(QPainter& painter)
{
    const nv::ViewPlacement view = Placement();
    if (m_graticuleShown && m_graticule)
        DrawGraticule(painter, view);
    for (int i = 0; i < 2; ++i)
        DrawMarker(painter, i, view);
    if (const std::optional<nv::Magnifier> magnifier = CurrentMagnifier())
        DrawMagnifier(painter, *magnifier);
}

void COXImageViewer::DrawGraticule(QPainter& painter, const nv::ViewPlacement& view)
{
    const std::optional<nv::AreaF> area =
        view.VisibleArea({viewport()->width(), viewport()->height()});
    if (!area)
        return;
    painter.setPen(QPen(kGraticuleColour, 0));
    for (const nv::GridLine& line : m_graticule(*area)) {
        const nv::PointF a = line.constantX ? nv::PointF{line.position, area->top}
                                            : nv::PointF{area->left, line.position};
        const nv::PointF b = line.constantX ? nv::PointF{line.position, area->bottom}
                                            : nv::PointF{area->right, line.position};
        const QPoint p = ToQPoint(nv::ViewPlacement::WindowPixel(view.ToWindow(a)));
        const QPoint q = ToQPoint(nv::ViewPlacement::WindowPixel(view.ToWindow(b)));
        const bool vertical = std::abs(p.x() - q.x()) < std::abs(p.y() - q.y());
        // From edge to edge of the image in view.
        const QPoint from = vertical ? QPoint(p.x(), std::min(p.y(), q.y()))
                                     : QPoint(std::min(p.x(), q.x()), p.y());
        const QPoint to = vertical ? QPoint(p.x(), std::max(p.y(), q.y()))
                                   : QPoint(std::max(p.x(), q.x()), p.y());
        painter.drawLine(from, to);
        // The label where the line enters the view: at the top of a vertical line, at the
        // left end of a horizontal one.
        const QImage& label = GraticuleLabel(line.label);
        painter.drawImage(vertical ? QPoint(from.x() + 3, from.y() + 2)
                                   : QPoint(from.x() + 2, from.y() - label.height() - 1),
                          label);
    }
}

const QImage& COXImageViewer::GraticuleLabel(const std::string& text) const
{
    // Labels are drawn once and kept: a view shows a few dozen at most, and scrolling or
    // zooming mostly shows the same ones again.
    auto found = m_graticuleLabels.find(text);
    if (found != m_graticuleLabels.end())
        return found->second;
    if (m_graticuleLabels.size() >= 256)
        m_graticuleLabels.clear();
    const QString label = QString::fromStdString(text);
    const QFontMetrics metrics = fontMetrics();
    QImage image(metrics.horizontalAdvance(label) + 4, metrics.height(),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(kLabelBackground);
    QPainter p(&image);
    p.setPen(kGraticuleColour);
    p.setFont(font());
    p.drawText(image.rect(), Qt::AlignCenter, label);
    p.end();
    return m_graticuleLabels.emplace(text, std::move(image)).first->second;
}

void COXImageViewer::DrawMarker(QPainter& painter, int index, const nv::ViewPlacement& view)
{
    const QRect bounds = MarkerRect(index);
    if (bounds.isEmpty())
        return;
    const nv::ScrollPoint c = nv::ViewPlacement::WindowPixel(
        view.ToWindow({double(m_markers[index]->x), double(m_markers[index]->y)}));
    const int a = nv::kMarkerArm, g = nv::kMarkerGap, o = nv::kMarkerOutline;
    // The four arms, first as light bars, then as thin coloured lines on them.
    const QRect arms[4] = {QRect(c.x - a, c.y, a - g, 1), QRect(c.x + g + 1, c.y, a - g, 1),
                           QRect(c.x, c.y - a, 1, a - g), QRect(c.x, c.y + g + 1, 1, a - g)};
    for (const QRect& arm : arms)
        painter.fillRect(arm.adjusted(-o + 1, -o + 1, o - 1, o - 1), kOutline);
    for (const QRect& arm : arms)
        painter.fillRect(arm, kMarkerColours[index]);
    const QImage& label = MarkerLabel(index);
    painter.drawImage(ToQRect(nv::MarkerLabelRect(c, {label.width(), label.height()})), label);
}

void COXImageViewer::DrawMagnifier(QPainter& painter, const nv::Magnifier& magnifier)
{
    const QRect box = ToQRect(magnifier.box);
    const QRect pixels = ToQRect(magnifier.pixels);
    const QImage image = m_renderer.Pixels(pixels, m_clrBackground.rgb());
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.fillRect(box, Qt::black);
    painter.drawImage(QRectF(box.left() + 1, box.top() + 1, pixels.width() * magnifier.cell,
                             pixels.height() * magnifier.cell),
                      image);
    // The centre pixel, outlined in black and white so that it shows on any colour.
    const QRect centre = ToQRect(nv::MagnifierCentreCell(magnifier));
    painter.setPen(QPen(Qt::white, 0));
    painter.drawRect(centre.adjusted(-1, -1, 0, 0));
    painter.setPen(QPen(Qt::black, 0));
    painter.drawRect(centre.adjusted(-2, -2, 1, 1));
    painter.restore();
}
