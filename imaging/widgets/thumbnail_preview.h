// CThumbnailPreview: the preview handler that shows a thumbnail of the selected BMP or JPEG file
// with its width, height and bits per pixel under it, and leaves anything it cannot read to the
// pane's default text. Thumbnails are made on a worker thread, one at a time, so the dialog
// never waits for them: a new selection cancels the one in progress, and only the newest
// selection's thumbnail is ever shown.
#pragma once

#include "imaging/thumbnail.h"
#include "imaging/widgets/preview_dialog.h"

#include <QImage>
#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <memory>

class CThumbnailPreview : public QObject, public COXPreviewHandler
{
    Q_OBJECT
public:
    CThumbnailPreview();
    // Cancels the thumbnail in progress and waits for the worker.
    ~CThumbnailPreview() override;

    bool OnFileChanged(const std::string& file, bool handled) override;
    bool OnDraw(QPainter& painter, const QRect& rect) override;
    void OnLayoutChanged() override;
    void OnPaneCreated(QWidget* pane) override { m_pane = pane; }
    void OnPaneDestroying(QWidget*) override { m_pane = nullptr; }

    // The file whose thumbnail is shown; empty while there is none.
    const std::string& ShownFile() const { return m_shown; }
    const QImage& Image() const { return m_image; }

signals:
    // The thumbnail of the newest selection is finished (ok) or could not be made.
    void ThumbnailDone(bool ok);

private:
    // Starts the thumbnail of m_file for the pane's present size.
    void Request();
    void Cancel();
    void Deliver(uint64_t generation, bool ok, const Thumbnail& thumbnail);
    // Where the picture goes in rect, and the caption's height under it.
    QRect PictureBox(const QRect& rect) const;

    QWidget* m_pane = nullptr;
    QThreadPool m_pool;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    uint64_t m_generation = 0; // of the newest request
    std::string m_file;        // the newest selection
    bool m_pending = false;
    QSize m_requestedBox;
    std::string m_shown;
    QImage m_image;
    QString m_caption;
    QTimer m_resized; // a new thumbnail once the pane has stopped changing its size
};
