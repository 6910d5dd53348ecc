// The thumbnail preview handler.
#include "imaging/widgets/thumbnail_preview.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QWidget>

namespace {

constexpr int kMargin = 8;
constexpr int kSmallest = 16; // the smallest picture box asked for

} // namespace

CThumbnailPreview::CThumbnailPreview()
{
    m_pool.setMaxThreadCount(1);
    m_resized.setSingleShot(true);
    m_resized.setInterval(150);
    connect(&m_resized, &QTimer::timeout, this, [this] {
        if (!m_file.empty() && m_pane &&
            PictureBox(m_pane->contentsRect()).size() != m_requestedBox)
            Request();
    });
}

CThumbnailPreview::~CThumbnailPreview()
{
    Cancel();
    m_pool.waitForDone();
}

bool CThumbnailPreview::OnFileChanged(const std::string& file, bool handled)
{
    Cancel();
    m_file = handled ? std::string() : file;
    m_shown.clear();
    m_image = QImage();
    if (m_file.empty())
        return false;
    Request();
    return true;
}

void CThumbnailPreview::Cancel()
{
    if (m_cancel)
        m_cancel->store(true);
    m_pool.clear();
    ++m_generation; // whatever is still under way is not wanted
    m_pending = false;
}

void CThumbnailPreview::Request()
{
    Cancel();
    const QSize box = m_pane ? PictureBox(m_pane->contentsRect()).size() : QSize(200, 200);
    m_requestedBox = box;
    m_pending = true;
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    const uint64_t generation = m_generation;
    m_pool.start([this, generation, file = m_file, box, cancel = m_cancel] {
        Thumbnail thumbnail;
        const bool ok =
            MakeThumbnail(file, box.width(), box.height(), thumbnail, nullptr, cancel.get());
        // Handed over whole to the UI thread; the destructor waits for this worker, and an
        // event still queued goes with the object.
        QMetaObject::invokeMethod(
            this, [this, generation, ok, thumbnail] { Deliver(generation, ok, thumbnail); },
            Qt::QueuedConnection);
    });
}

void CThumbnailPreview::Deliver(uint64_t generation, bool ok, const Thumbnail& thumbnail)
{
    if (generation != m_generation)
        return; // an older selection's
    m_pending = false;
    if (ok) {
        m_image = QImage(reinterpret_cast<const uchar*>(thumbnail.pixels.data()), thumbnail.width,
                         thumbnail.height, thumbnail.width * 4, QImage::Format_RGB32)
                      .copy();
        m_caption = QString::fromStdString(ThumbnailCaption(thumbnail));
        m_shown = m_file;
    } else {
        m_image = QImage();
        m_shown.clear();
    }
    if (m_pane)
        m_pane->update();
    emit ThumbnailDone(ok);
}

QRect CThumbnailPreview::PictureBox(const QRect& rect) const
{
    const int caption = 2 * QFontMetrics(QApplication::font()).height() + kMargin;
    const QRect box = rect.adjusted(kMargin, kMargin, -kMargin, -kMargin - caption);
    return QRect(box.topLeft(), box.size().expandedTo(QSize(kSmallest, kSmallest)));
}

bool CThumbnailPreview::OnDraw(QPainter& painter, const QRect& rect)
{
    if (m_file.empty() || (!m_pending && m_shown != m_file))
        return false; // nothing selected, or nothing this handler can read
    painter.fillRect(rect, QApplication::palette().button());
    if (m_shown != m_file || m_image.isNull())
        return true; // still working: an empty pane meanwhile

    // The picture fitted into its box (never enlarged), the caption centred under it.
    const QRect box = PictureBox(rect);
    const QSize size =
        m_image.size().scaled(box.size(), Qt::KeepAspectRatio).boundedTo(m_image.size());
    const QRect picture(box.left() + (box.width() - size.width()) / 2, box.top(), size.width(),
                        size.height());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(picture, m_image);
    painter.setPen(QApplication::palette().buttonText().color());
    painter.setFont(QApplication::font());
    const QRect caption(rect.left(), picture.bottom() + 1 + kMargin / 2, rect.width(),
                        rect.bottom() - picture.bottom());
    painter.drawText(caption, Qt::AlignHCenter | Qt::AlignTop, m_caption);
    return true;
}

void CThumbnailPreview::OnLayoutChanged()
{
    if (!m_file.empty())
        m_resized.start();
}
