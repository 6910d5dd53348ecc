// The image viewer loading and turning a 48-megapixel JPEG (8000 x 6000, quality 90, made at run
// time, baseline and progressive) on its worker threads, against a direct ReadJPEG of the same
// file in the same run. Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise
// (run it under Xvfb with QT_QPA_PLATFORM=xcb for a real X server). Prints:
//   stall max <ms>: the longest wait of a 5 ms timer on the UI thread while the viewer (fitted
//     to its 1600 x 1000 window) loads the file, turns it by 90 degrees and flips it, each up
//     to the reduced levels it builds afterwards; with the longest wait of each step and the
//     longest handling of one event (what the program did; the rest of a wait is the system
//     giving the processor to others);
//   ratio first_view_vs_full_decode: from the start of the load to the first view shown,
//     against the direct ReadJPEG (best of five each, the two taking turns);
//   ratio load_through_worker_vs_readjpeg: from the start of the load to the image shown;
//   ratio first_view_alone_vs_full_decode: ReadFirstView by itself, with nothing beside it.
#include "bench/imaging/bench_images.h"
#include "imaging/dib.h"
#include "imaging/image_loader.h"
#include "imaging/widgets/image_viewer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 5;

double Ms(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Runs the event loop until done() holds, looked at after every call of a handler that
// wake() connects to the loop (and every 10 ms); false after a minute.
bool RunUntil(const std::function<bool()>& done,
              const std::function<QMetaObject::Connection(QEventLoop&)>& wake = {})
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(10);
    QMetaObject::Connection woken;
    if (wake)
        woken = wake(loop);
    QTimer::singleShot(60000, &loop, [&] { loop.exit(1); });
    const bool ok = loop.exec() == 0;
    QObject::disconnect(woken);
    return ok;
}

bool HasLevels(const COXImageViewer& viewer)
{
    return !viewer.Renderer().Levels().Levels().empty();
}

// The application, timing the handling of every event: the longest tells the UI thread's own
// work from the waits the system's scheduler adds on a busy machine.
class TimedApplication : public QApplication
{
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        const int type = int(event->type());
        const char* name = receiver->metaObject()->className();
        const auto start = Clock::now();
        const double cpuStart = ThreadCpuMs();
        ++m_depth;
        const bool result = QApplication::notify(receiver, event);
        const double ms = Ms(start, Clock::now());
        if (--m_depth == 0 && ms > m_longest) {
            m_longest = ms;
            m_cpu = ThreadCpuMs() - cpuStart;
            m_what = std::string(name) + " event " + std::to_string(type);
        }
        return result;
    }
    // The longest handling of an event since the last call, and what it was.
    std::string TakeLongest()
    {
        char text[160];
        std::snprintf(text, sizeof text, "%.1f ms, %.1f ms of it on the processor (%s)", m_longest,
                      m_cpu, m_what.c_str());
        m_longest = 0;
        return text;
    }

private:
    static double ThreadCpuMs()
    {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
    }

    double m_longest = 0;
    double m_cpu = 0;
    std::string m_what;
    int m_depth = 0;
};

// Ticks every 5 ms and keeps the longest wait between two ticks.
class StallMeter
{
public:
    StallMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const auto now = Clock::now();
            m_longest = std::max(m_longest, Ms(m_last, now));
            m_last = now;
        });
    }
    void Start()
    {
        m_longest = 0;
        m_last = Clock::now();
        m_timer.start();
    }
    double Stop()
    {
        m_timer.stop();
        return std::max(m_longest, Ms(m_last, Clock::now()));
    }

private:
    QTimer m_timer;
    Clock::time_point m_last;
    double m_longest = 0;
};

struct Times
{
    double firstView = -1; // none shown
    double image = 0;
};

// One load through the viewer: when the first view and the image were shown.
Times LoadThroughViewer(COXImageViewer& viewer, const std::string& path)
{
    Times t;
    bool finished = false;
    const auto start = Clock::now();
    auto first = QObject::connect(&viewer, &COXImageViewer::FirstViewShown,
                                  [&] { t.firstView = Ms(start, Clock::now()); });
    auto done = QObject::connect(&viewer, &COXImageViewer::LoadFinished, [&](auto, bool ok, auto) {
        t.image = Ms(start, Clock::now());
        finished = ok;
        if (!ok)
            std::exit(1);
    });
    viewer.StartLoad(path);
    // Woken by the signal itself, so that waiting takes no processor time from the load.
    RunUntil([&] { return finished; },
             [&](QEventLoop& loop) {
                 return QObject::connect(&viewer, &COXImageViewer::LoadFinished, &loop,
                                         [&] { loop.quit(); });
             });
    QObject::disconnect(first);
    QObject::disconnect(done);
    // The levels follow; they are not part of the load.
    RunUntil([&] { return HasLevels(viewer); });
    viewer.Jobs().WaitForWorkers();
    return t;
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    TimedApplication app(argc, argv);

    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("nv-background-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string baseline = (dir / "map.jpg").string();
    const std::string progressive = (dir / "map-progressive.jpg").string();
    MakeMapJPEG(baseline, false);
    MakeMapJPEG(progressive, true);
    std::printf("platform %s; %d x %d map JPEGs, baseline %.1f MB, progressive %.1f MB\n",
                qPrintable(QGuiApplication::platformName()), kMapWidth, kMapHeight,
                std::filesystem::file_size(baseline) / 1e6,
                std::filesystem::file_size(progressive) / 1e6);

    COXImageViewer viewer;
    viewer.setFrameShape(QFrame::NoFrame);
    viewer.SetSmoothScrolling(false);
    viewer.resize(1600, 1000);
    viewer.SetAlwaysFitWindow(true);
    viewer.show();
    while (!viewer.windowHandle() || !viewer.windowHandle()->isExposed())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);

    // The UI thread's longest stall while a file loads, turns and flips.
    app.TakeLongest();
    double stallMax = 0;
    for (const std::string& path : {baseline, progressive}) {
        StallMeter meter;
        meter.Start();
        bool loaded = false;
        auto done = QObject::connect(&viewer, &COXImageViewer::LoadFinished,
                                     [&](auto, bool ok, auto) { loaded = ok; });
        viewer.StartLoad(path);
        RunUntil([&] { return loaded && HasLevels(viewer); });
        QObject::disconnect(done);
        const double load = meter.Stop();
        double steps[2] = {};
        const int commands[2] = {ID_ROTATE_90, ID_FLIP_VERTICALLY};
        for (int i = 0; i < 2; ++i) {
            bool turned = false;
            auto finished = QObject::connect(&viewer, &COXImageViewer::TurnFinished,
                                             [&](bool ok) { turned = ok; });
            meter.Start();
            viewer.OnCommand(commands[i]);
            RunUntil([&] { return turned && HasLevels(viewer); });
            steps[i] = meter.Stop();
            QObject::disconnect(finished);
        }
        viewer.Jobs().WaitForWorkers();
        std::printf("%s: longest wait of a 5 ms timer: load %.1f ms, turn 90 %.1f ms, flip %.1f "
                    "ms; longest event handled %s\n",
                    path == baseline ? "baseline" : "progressive", load, steps[0], steps[1],
                    app.TakeLongest().c_str());
        stallMax = std::max({stallMax, load, steps[0], steps[1]});
    }
    std::printf("stall max %.1f ms\n", stallMax);

    // Time to the first view and to the image, against ReadJPEG, the two taking turns.
    for (const std::string& path : {baseline, progressive}) {
        const char* kind = path == baseline ? "" : "_progressive";
        double direct = 1e30, firstView = 1e30, image = 1e30, alone = 1e30;
        for (int i = 0; i < kRuns; ++i) {
            {
                const auto start = Clock::now();
                COXDIB dib;
                if (!dib.ReadJPEG(path))
                    return 1;
                direct = std::min(direct, Ms(start, Clock::now()));
            }
            {
                const auto start = Clock::now();
                FirstView view;
                if (ReadFirstView(path, view))
                    alone = std::min(alone, Ms(start, Clock::now()));
            }
            const Times t = LoadThroughViewer(viewer, path);
            if (t.firstView >= 0)
                firstView = std::min(firstView, t.firstView);
            image = std::min(image, t.image);
        }
        const char* name = path == baseline ? "baseline" : "progressive";
        std::printf("%s: ReadJPEG %.1f ms; through the viewer: image %.1f ms; first view alone "
                    "%.1f ms\n",
                    name, direct, image, alone);
        // The first view's worker only takes processor time nothing else wants: on a busy
        // machine the image may come first every time.
        if (firstView < 1e30)
            std::printf("ratio first_view_vs_full_decode%s %.3f\n", kind, firstView / direct);
        else
            std::printf("%s: no first view came before the image in %d runs\n", name, kRuns);
        std::printf("ratio load_through_worker_vs_readjpeg%s %.3f\n", kind, image / direct);
        std::printf("ratio first_view_alone_vs_full_decode%s %.3f\n", kind, alone / direct);
    }
    std::filesystem::remove_all(dir);
    return 0;
}
