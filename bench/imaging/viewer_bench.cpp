// Repaint times of the image viewer on a large scan, at every zoom.
//
// Makes an 8000 x 6000 24-bit image (48 MP) in memory, shows it in a viewer whose client area
// is 1600 x 1000 on the offscreen platform, and repaints the whole client area many times at
// each zoom of its context menu, first the image alone, then with its overlays (two point
// markers, the graticule and the magnifier of a pick under way). Prints, two lines per zoom:
//     repaint <zoom>% median <ms> p90 <ms>
//     repaint-overlays <zoom>% median <ms> p90 <ms>
// then every integer zoom from 10 % to 1000 % (as track zoom and fitting give them), with
// the three zooms of the worst median and the three of the worst 90th percentile:
//     every-zoom worst-median <zoom>% <ms> ...
//     every-zoom worst-p90 <zoom>% <ms> ...
// then the ratio of each median to a baseline measured in the same run (a plain copy of a
// 1600 x 1000 picture to the window), the time and memory taken by the reduced levels, and
// the quality of the small zooms against an exact area average of the image (PSNR in dB,
// higher is better), next to that of smoothing the whole image in one step and of drawing
// every n-th pixel.
#include "georef/graticule.h"
#include "imaging/dib.h"
#include "imaging/display_image.h"
#include "imaging/widgets/image_viewer.h"
#include "platform/file.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kImageW = 8000;
constexpr int kImageH = 6000;
constexpr int kClientW = 1600;
constexpr int kClientH = 1000;
constexpr int kRepaints = 60;

struct Stats
{
    double median = 0;
    double p90 = 0;
};

Stats Measure(const std::function<void()>& work, int runs)
{
    std::vector<double> ms;
    work(); // warm up
    for (int i = 0; i < runs; ++i) {
        const auto t = Clock::now();
        work();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t).count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 9 / 10)]};
}

// Times work without and with a setting, alternately; returns both.
std::pair<Stats, Stats> MeasurePair(const std::function<void()>& work,
                                    const std::function<void(bool)>& set, int runs)
{
    std::vector<double> ms[2];
    for (int i = -1; i < runs; ++i) {
        for (int on = 0; on < 2; ++on) {
            set(on != 0);
            const auto t = Clock::now();
            work();
            if (i >= 0) // the first round warms up
                ms[on].push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - t).count());
        }
    }
    set(false);
    Stats stats[2];
    for (int on = 0; on < 2; ++on) {
        std::sort(ms[on].begin(), ms[on].end());
        stats[on] = {ms[on][ms[on].size() / 2],
                     ms[on][std::min(ms[on].size() - 1, ms[on].size() * 9 / 10)]};
    }
    return {stats[0], stats[1]};
}

// A map-like picture: smooth colour areas, fine grid lines, thin diagonal strokes and grain.
QImage MakeScan()
{
    QImage image(kImageW, kImageH, QImage::Format_RGB888);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> grain(-12, 12);
    for (int y = 0; y < kImageH; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < kImageW; ++x) {
            int r = 200 + int(40 * std::sin(x / 300.0)), g = 190 + int(50 * std::cos(y / 250.0)),
                b = 160 + (x + y) % 64;
            if (x % 37 == 0 || y % 41 == 0)
                r = g = b = 40; // grid
            if ((x + 2 * y) % 113 < 2)
                r = 30, g = 60, b = 150; // strokes
            const int n = grain(random);
            row[3 * x] = uchar(std::clamp(r + n, 0, 255));
            row[3 * x + 1] = uchar(std::clamp(g + n, 0, 255));
            row[3 * x + 2] = uchar(std::clamp(b + n, 0, 255));
        }
    }
    return image;
}

double Psnr(const QImage& a, const QImage& b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    const int w = std::min(x.width(), y.width()), h = std::min(x.height(), y.height());
    double sum = 0;
    for (int j = 0; j < h; ++j) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(j));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(j));
        for (int i = 0; i < w; ++i) {
            const double dr = qRed(p[i]) - qRed(q[i]), dg = qGreen(p[i]) - qGreen(q[i]),
                         db = qBlue(p[i]) - qBlue(q[i]);
            sum += dr * dr + dg * dg + db * db;
        }
    }
    const double mse = sum / (3.0 * w * h);
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

// Sizes the viewer so that its client area beside the scroll bars shown is 1600 x 1000.
void FitClientArea(COXImageViewer& viewer)
{
    for (int i = 0; i < 3; ++i) {
        const nv::ScrollSize c = viewer.GetClientSize();
        if (c.cx == kClientW && c.cy == kClientH)
            return;
        viewer.resize(viewer.width() + kClientW - c.cx, viewer.height() + kClientH - c.cy);
        QApplication::processEvents();
    }
}

// Turns the overlays on or off: markers either side of the middle of the view, a pick of
// point #2 under way with the pointer in the middle (so the magnifier shows), and the
// graticule of a fit of one second of arc per pixel.
void ShowOverlays(COXImageViewer& viewer, bool on)
{
    if (!on) {
        viewer.SetMarker(0, std::nullopt);
        viewer.SetMarker(1, std::nullopt);
        viewer.SetPickIndex(-1);
        viewer.SetGraticule(false, {});
        return;
    }
    const QPoint middle(kClientW / 2, kClientH / 2);
    const std::optional<nv::ScrollPoint> pixel = viewer.FilePixelAt(middle);
    if (!pixel)
        return;
    viewer.SetMarker(0, nv::ScrollPoint{std::max(pixel->x - 40, 0), std::max(pixel->y - 30, 0)});
    viewer.SetMarker(1, pixel);
    viewer.SetPickIndex(1);
    QMouseEvent move(QEvent::MouseMove, middle, viewer.viewport()->mapToGlobal(middle),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewer.viewport(), &move);
    const GeoTransform fit(WorldFileParams{1.0 / 3600, 0, 0, -1.0 / 3600, -106.0, 41.0});
    viewer.SetGraticule(true, [fit](const nv::AreaF& a) {
        std::vector<nv::GridLine> lines;
        for (GraticuleLine& line : ComputeGraticule(fit, {a.left, a.top, a.right, a.bottom}, 0))
            lines.push_back({line.meridian, line.position, std::move(line.label)});
        return lines;
    });
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);

    std::printf("image %d x %d, 24 bits; client area %d x %d; %d repaints per zoom\n", kImageW,
                kImageH, kClientW, kClientH, kRepaints);
    COXDIB dib;
    QImage reference10, reference25;
    QImage smoothed10(kImageW / 10, kImageH / 10, QImage::Format_RGB32);
    {
        const QImage scan = MakeScan();
        // Plain smoothing from the whole image, for comparison.
        {
            QPainter p(&smoothed10);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(smoothed10.rect(), scan);
        }
        // Exact area averages, for the quality figures.
        reference10 = scan.scaled(kImageW / 10, kImageH / 10, Qt::IgnoreAspectRatio,
                                  Qt::SmoothTransformation);
        reference25 =
            scan.copy(0, 0, kClientW * 4, kClientH * 4)
                .scaled(kClientW, kClientH, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (!dib.BitmapToDIB(scan)) {
            std::fprintf(stderr, "cannot make the image\n");
            return 1;
        }
    }

    // The levels are built once per image (on a worker); time that on its own.
    {
        const std::shared_ptr<const nv::DisplayImage> image = nv::DisplayImage::Make(dib);
        std::shared_ptr<const nv::DisplayLevels> levels;
        const Stats build = Measure([&] { levels = image->BuildLevels(); }, 5);
        std::printf("levels: built in median %.1f ms; %zu MB for an image of %zu MB (%.1f %%)\n",
                    build.median, levels->BytesUsed() >> 20, dib.GetDIB().size() >> 20,
                    100.0 * double(levels->BytesUsed()) / double(dib.GetDIB().size()));
    }

    COXImageViewer viewer;
    viewer.setFrameShape(QFrame::NoFrame);
    viewer.SetSmoothScrolling(false);
    viewer.resize(kClientW, kClientH);
    viewer.show();
    while (!viewer.windowHandle() || !viewer.windowHandle()->isExposed())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    {
        nv::MemoryFile bmp;
        dib.Write(bmp);
        dib.Empty();
        if (!viewer.LoadFile(bmp)) {
            std::fprintf(stderr, "the viewer did not load the image\n");
            return 1;
        }
    }

    // Baseline: copying a ready 1600 x 1000 picture to the window.
    QImage plain(kClientW, kClientH, QImage::Format_RGB32);
    plain.fill(Qt::darkCyan);
    QImage target(kClientW, kClientH, QImage::Format_ARGB32_Premultiplied);
    const Stats baseline = Measure(
        [&] {
            QPainter p(&target);
            p.drawImage(QPoint(0, 0), plain);
        },
        kRepaints);

    // "bench_viewer ZOOM [REPAINTS]" measures one zoom only (for profiling).
    std::vector<int> zooms(std::begin(nv::kZoomLevels), std::end(nv::kZoomLevels));
    int repaints = kRepaints;
    if (argc > 1) {
        zooms = {std::atoi(argv[1])};
        if (argc > 2)
            repaints = std::max(1, std::atoi(argv[2]));
    }
    std::vector<std::pair<int, Stats>> results;
    double mostAdded = 0;
    int mostAddedAt = 0;
    for (int zoom : zooms) {
        viewer.SetZoom(zoom, nv::kZoomAnchorTopLeft);
        FitClientArea(viewer);
        // Somewhere in the middle of the image.
        viewer.ScrollToLogical({kImageW / 2, kImageH / 2}, nv::kZoomAnchorCenter);
        // Repaints without and with the overlays take turns, so that both see the same load.
        const auto [s, o] = MeasurePair([&] { viewer.viewport()->repaint(); },
                                        [&](bool on) { ShowOverlays(viewer, on); }, repaints);
        results.emplace_back(zoom, s);
        std::printf("repaint %d%% median %.2f ms p90 %.2f ms\n", zoom, s.median, s.p90);
        std::printf("repaint-overlays %d%% median %.2f ms p90 %.2f ms\n", zoom, o.median, o.p90);
        std::fflush(stdout);
        if (o.median - s.median > mostAdded || mostAddedAt == 0) {
            mostAdded = o.median - s.median;
            mostAddedAt = zoom;
        }
    }
    std::printf("overlays add at most %.2f ms to the median (at %d%%)\n", mostAdded, mostAddedAt);
    std::printf("baseline (1600 x 1000 copy) median %.2f ms\n", baseline.median);
    if (argc > 1)
        return 0;

    // Every integer zoom, in the middle of the image.
    std::vector<std::pair<int, Stats>> every;
    int overMedian = 0, overP90 = 0;
    for (int zoom = nv::kMinZoomPercent; zoom <= nv::kMaxZoomPercent; ++zoom) {
        viewer.SetZoom(zoom, nv::kZoomAnchorTopLeft);
        FitClientArea(viewer);
        viewer.ScrollToLogical({kImageW / 2, kImageH / 2}, nv::kZoomAnchorCenter);
        const Stats s = Measure([&] { viewer.viewport()->repaint(); }, 11);
        every.emplace_back(zoom, s);
        overMedian += s.median > 5.0 ? 1 : 0;
        overP90 += s.p90 > 10.0 ? 1 : 0;
    }
    for (bool p90 : {false, true}) {
        std::sort(every.begin(), every.end(), [p90](const auto& a, const auto& b) {
            return p90 ? a.second.p90 > b.second.p90 : a.second.median > b.second.median;
        });
        std::printf("every-zoom worst-%s", p90 ? "p90" : "median");
        for (size_t i = 0; i < 3; ++i)
            std::printf(" %d%% %.2f ms", every[i].first,
                        p90 ? every[i].second.p90 : every[i].second.median);
        std::printf("\n");
    }
    std::printf("every-zoom %zu zooms: %d with a median over 5 ms, %d with a p90 over 10 ms\n",
                every.size(), overMedian, overP90);
    for (const auto& [zoom, s] : results)
        std::printf("ratio %d%% median / baseline %.1f\n", zoom, s.median / baseline.median);

    // Quality at 10 % (the whole image) and 25 % (the top-left of it).
    viewer.SetZoom(10, nv::kZoomAnchorTopLeft);
    FitClientArea(viewer);
    const QImage shown10 =
        viewer.viewport()->grab().toImage().copy(0, 0, kImageW / 10, kImageH / 10);
    viewer.SetZoom(25, nv::kZoomAnchorTopLeft);
    FitClientArea(viewer);
    viewer.ScrollToLogical({0, 0}, nv::kZoomAnchorTopLeft);
    const QImage shown25 = viewer.viewport()->grab().toImage();

    // Every n-th pixel, for comparison.
    QImage nearest10(kImageW / 10, kImageH / 10, QImage::Format_RGB32);
    {
        QPainter p(&nearest10);
        viewer.GetDIB().Paint(p, QRect(0, 0, kImageW / 10, kImageH / 10),
                              QRect(0, 0, kImageW, kImageH));
    }
    std::printf("quality 10%%: viewer %.1f dB, smoothing the whole image %.1f dB, every 10th "
                "pixel %.1f dB (against area average)\n",
                Psnr(shown10, reference10), Psnr(smoothed10, reference10),
                Psnr(nearest10, reference10));
    std::printf("quality 25%%: viewer %.1f dB (against area average)\n",
                Psnr(shown25, reference25));
    return 0;
}
