// Loading and turning images on worker threads. The thread that owns an ImageJobs (the UI
// thread) starts the work and receives every result; a worker builds its result into objects
// nobody else sees and hands them over whole, on the owner's thread, through a queued call:
// a first view of a large JPEG, the image, then the image's reduced levels. (The first view's
// worker runs at the lowest priority and leaves its result for the owner to pick up.) An image
// being turned is shared read-only meanwhile (DisplayImage never changes). Starting new work
// cancels the work under way (its cancel flag is polled per band of rows), and nothing of it
// is handed over afterwards.
#pragma once

#include "imaging/display_image.h"
#include "imaging/load_progress.h"
#include "imaging/scroll_geometry.h"

#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

namespace nv {

// What the work under way is doing, for the window to show.
struct JobProgress
{
    enum class Kind { none, load, turn };
    Kind kind = Kind::none;
    std::string path;      // of a load
    uint32_t rowsDone = 0; // of the image being decoded
    uint32_t rows = 0;     // 0 while not known
    int permille = -1;     // how far, in thousandths; -1 when not known
};

// "Loading map.jpg: 2400 of 6000 rows" (once rows are decoded), "Loading map.bmp: 40 %",
// "Turning the image"; empty when nothing is under way.
std::string ProgressText(const JobProgress& progress);

class ImageJobs
{
public:
    using ImagePtr = std::shared_ptr<const DisplayImage>;
    using LevelsPtr = std::shared_ptr<const DisplayLevels>;
    // The image made, or null and why not.
    using ImageHandler = std::function<void(ImagePtr image, const std::string& reason)>;
    // A reduced first view, and the size of the full image it stands for.
    using FirstViewHandler = std::function<void(ImagePtr view, ScrollSize fullSize)>;
    // The levels of an image handed over before.
    using LevelsHandler = std::function<void(const ImagePtr& image, LevelsPtr levels)>;

    ImageJobs();
    // Cancels the work under way and waits for the workers.
    ~ImageJobs();
    ImageJobs(const ImageJobs&) = delete;
    ImageJobs& operator=(const ImageJobs&) = delete;

    // Loads path as a BMP file, else as a JPEG file. For a large JPEG a first view is decoded
    // beside it and handed to firstView, unless the image is ready first.
    void Load(const std::string& path, FirstViewHandler firstView, ImageHandler done,
              LevelsHandler levels);
    // Turns image clockwise by angle, then upside down and mirrored as asked.
    void Turn(ImagePtr image, int angle, bool flipRows, bool flipColumns, ImageHandler done,
              LevelsHandler levels);
    // Cancels the work under way; none of its results is handed over.
    void Cancel();
    JobProgress Progress() const;

    // Lets a worker drop the last reference to a large object, whose memory the system takes
    // a while to take back.
    void Release(std::shared_ptr<const void> object);

    // Waits until every worker has finished; what they hand over is still to be delivered
    // (but a first view ready by then is shown).
    void WaitForWorkers();

    // Runs on the worker before every full decoding or turn starts (tests hold the work there
    // to look at what is shown meanwhile).
    void SetWorkGate(std::function<void()> gate) { m_gate = std::move(gate); }

private:
    struct Job;
    std::shared_ptr<Job> Start(JobProgress::Kind kind, const std::string& path);
    // Runs deliver on the owner's thread, unless job has been cancelled or replaced by then.
    void Deliver(const std::shared_ptr<Job>& job, std::function<void()> deliver);
    // The levels of image, built on this worker and delivered.
    void DeliverLevels(const std::shared_ptr<Job>& job, const ImagePtr& image,
                       const LevelsHandler& levels);
    // Shows the first view of the load under way once its worker has made it.
    void PollFirstView();

    QThreadPool m_pool;
    QThreadPool m_viewPool; // first views, at the lowest priority
    QObject m_receiver;     // lives on the owner's thread: queued calls run there
    QTimer m_viewPoll;
    std::shared_ptr<Job> m_job;
    JobProgress::Kind m_kind = JobProgress::Kind::none;
    std::function<void()> m_gate;
};

} // namespace nv
