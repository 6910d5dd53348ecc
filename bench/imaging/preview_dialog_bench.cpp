// The image dialog with its preview pane on a folder of 2,000 images (1,999 small BMP and JPEG
// files and one 48-megapixel map JPEG), against the same dialog on an empty folder, measured in
// the same run:
//   how long until the file list holds every file, and how many thumbnails were made meanwhile
//   (none: only the selected file gets one);
//   the longest time the event loop was kept from running while the list filled, and while
//   the thumbnail of the 48-megapixel JPEG was made after selecting it.
#include "bench/imaging/bench_images.h"
#include "imaging/widgets/preview_dialog.h"
#include "imaging/widgets/thumbnail_preview.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QImage>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <unistd.h>

namespace {

constexpr int kImages = 2000;
constexpr int kRuns = 3;

// The longest gap between two turns of the event loop while it runs.
class StallWatch
{
public:
    StallWatch()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout,
                         [this] { m_longest = std::max(m_longest, m_since.restart()); });
    }
    void Start()
    {
        m_longest = 0;
        m_since.start();
        m_timer.start();
    }
    qint64 Stop()
    {
        m_timer.stop();
        return m_longest;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_since;
    qint64 m_longest = 0;
};

// Runs the event loop until done() holds (false after 60 s).
bool RunUntil(const std::function<bool()>& done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 60000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

struct Figures
{
    double listMs = 1e9;
    qint64 listStallMs = 1 << 30;
    int thumbnailsWhileListing = 0;
    double thumbnailMs = 1e9;
    qint64 thumbnailStallMs = 1 << 30;
};

// Opens the dialog on folder and waits until it has read the folder and its list holds files
// entries; then, when select is given, types its name and waits for its thumbnail.
bool Measure(const QString& folder, int files, const QString& select, Figures& best)
{
    COXPreviewDialog dlg("Bitmap Images|*.jpg;*.bmp|All Files|*.*||", nullptr);
    auto* thumbnails = new CThumbnailPreview;
    dlg.AddPreviewHandler(std::unique_ptr<COXPreviewHandler>(thumbnails));
    int made = 0;
    QObject::connect(thumbnails, &CThumbnailPreview::ThumbnailDone, [&made] { ++made; });
    auto* model = dlg.findChild<QFileSystemModel*>();
    if (!model)
        return false;

    bool loaded = false;
    QObject::connect(model, &QFileSystemModel::directoryLoaded,
                     [&](const QString& path) { loaded = loaded || path == folder; });

    StallWatch watch;
    QElapsedTimer clock;
    watch.Start();
    clock.start();
    dlg.setDirectory(folder);
    dlg.resize(800, 500);
    dlg.show();
    const bool listed =
        RunUntil([&] { return loaded && model->rowCount(model->index(folder)) >= files; });
    best.listMs = std::min(best.listMs, clock.nsecsElapsed() / 1e6);
    best.listStallMs = std::min(best.listStallMs, watch.Stop());
    best.thumbnailsWhileListing = std::max(best.thumbnailsWhileListing, made);
    if (!listed)
        return false;
    if (select.isEmpty())
        return true;

    watch.Start();
    clock.restart();
    dlg.findChild<QLineEdit*>("fileNameEdit")->setText(select);
    const bool shown = RunUntil([&] { return !thumbnails->Image().isNull(); });
    best.thumbnailMs = std::min(best.thumbnailMs, clock.nsecsElapsed() / 1e6);
    best.thumbnailStallMs = std::min(best.thumbnailStallMs, watch.Stop());
    return shown;
}

void Ratio(const char* name, double value)
{
    std::printf("ratio %s %.3f\n", name, value);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("nv-preview-bench-" + std::to_string(getpid()));
    const QString images = QString::fromStdString((dir / "images").string());
    const QString empty = QString::fromStdString((dir / "empty").string());
    QDir().mkpath(images);
    QDir().mkpath(empty);
    std::printf("making %d images in %s\n", kImages, qPrintable(images));
    QImage small(160, 120, QImage::Format_RGB32);
    for (int i = 0; i + 1 < kImages; ++i) {
        small.fill(QColor::fromHsv(i % 360, 160, 200));
        small.save(QString("%1/scan%2.%3")
                       .arg(images)
                       .arg(i, 4, 10, QChar('0'))
                       .arg(i % 2 ? "jpg" : "bmp"));
    }
    MakeMapJPEG((dir / "images" / "map.jpg").string(), false);

    Figures baseline, full;
    for (int i = 0; i < kRuns; ++i) {
        if (!Measure(empty, 0, QString(), baseline) || !Measure(images, kImages, "map.jpg", full)) {
            std::fprintf(stderr, "the dialog did not list the folder or show the thumbnail\n");
            return 1;
        }
    }
    std::printf("empty folder: listed in %.1f ms, longest stall %lld ms\n", baseline.listMs,
                (long long)baseline.listStallMs);
    std::printf("%d images: listed in %.1f ms, longest stall %lld ms, %d thumbnails made while "
                "listing; 48-megapixel JPEG selected: thumbnail after %.0f ms, longest stall "
                "meanwhile %lld ms\n",
                kImages, full.listMs, (long long)full.listStallMs, full.thumbnailsWhileListing,
                full.thumbnailMs, (long long)full.thumbnailStallMs);
    const double floor = std::max<qint64>(baseline.listStallMs, 1);
    Ratio("preview_dialog_listing_2000_images_vs_empty_folder", full.listMs / baseline.listMs);
    Ratio("preview_dialog_longest_stall_2000_images_vs_empty_folder", full.listStallMs / floor);
    Ratio("preview_dialog_longest_stall_during_48mp_thumbnail_vs_empty_folder",
          full.thumbnailStallMs / floor);
    std::printf("count thumbnails_made_while_listing %d\n", full.thumbnailsWhileListing);
    std::filesystem::remove_all(dir);
    return 0;
}
