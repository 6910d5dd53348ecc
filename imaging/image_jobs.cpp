// Loading and turning images on worker threads.
#include "imaging/image_jobs.h"

#include "imaging/image_loader.h"

#include <QThread>

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace nv {

namespace {

// Lets the calling worker run only on processors nothing else wants (its pool runs nothing
// else, so it stays that way).
void RunAtLowestPriority()
{
#ifdef __linux__
    // Linux gives each thread its own nice value.
    setpriority(PRIO_PROCESS, id_t(gettid()), 19);
#else
    QThread::currentThread()->setPriority(QThread::IdlePriority);
#endif
}

} // namespace

struct ImageJobs::Job
{
    LoadProgress progress;
    std::string path;
    bool imageHandedOver = false; // owner's thread only
    // The first view: written by its worker before it sets viewReady, then left alone.
    FirstViewHandler onFirstView;
    ImagePtr view;
    ScrollSize viewSize;
    std::atomic<bool> viewReady{false};
};

std::string ProgressText(const JobProgress& p)
{
    switch (p.kind) {
    case JobProgress::Kind::none:
        return {};
    case JobProgress::Kind::turn:
        return "Turning the image";
    case JobProgress::Kind::load:
        break;
    }
    const size_t slash = p.path.find_last_of('/');
    std::string text =
        "Loading " + (slash == std::string::npos ? p.path : p.path.substr(slash + 1));
    // A progressive file is read whole before its first row is decoded.
    if (p.rowsDone > 0 && p.rows > 0)
        return text + ": " + std::to_string(p.rowsDone) + " of " + std::to_string(p.rows) + " rows";
    if (p.permille > 0)
        return text + ": " + std::to_string(p.permille / 10) + " %";
    return text;
}

ImageJobs::ImageJobs()
{
    // Cancelled work may still be finishing its band of rows when the next starts.
    m_pool.setMaxThreadCount(3);
    m_viewPool.setMaxThreadCount(2);
    m_viewPoll.setInterval(20);
    QObject::connect(&m_viewPoll, &QTimer::timeout, &m_receiver, [this] { PollFirstView(); });
}

ImageJobs::~ImageJobs()
{
    Cancel();
    m_viewPool.waitForDone();
    m_pool.waitForDone();
}

void ImageJobs::WaitForWorkers()
{
    m_viewPool.waitForDone();
    m_pool.waitForDone();
    PollFirstView();
}

void ImageJobs::PollFirstView()
{
    if (!m_job || !m_job->viewReady.load(std::memory_order_acquire))
        return;
    m_viewPoll.stop();
    std::shared_ptr<Job> job = m_job;
    ImagePtr view = std::move(job->view);
    if (!job->imageHandedOver && job->onFirstView && view)
        job->onFirstView(std::move(view), job->viewSize);
}

std::shared_ptr<ImageJobs::Job> ImageJobs::Start(JobProgress::Kind kind, const std::string& path)
{
    Cancel();
    m_job = std::make_shared<Job>();
    m_job->path = path;
    m_kind = kind;
    return m_job;
}

void ImageJobs::Cancel()
{
    if (m_job) {
        m_job->progress.cancel.store(true);
        // A first view its worker may still write is released with the job, by that worker.
        m_job.reset();
    }
    m_viewPoll.stop();
    m_kind = JobProgress::Kind::none;
}

JobProgress ImageJobs::Progress() const
{
    JobProgress p;
    p.kind = m_kind;
    if (!m_job || m_kind == JobProgress::Kind::none)
        return p;
    p.path = m_job->path;
    p.rows = m_job->progress.rows.load(std::memory_order_relaxed);
    p.rowsDone = m_job->progress.rowsDone.load(std::memory_order_relaxed);
    p.permille = m_kind == JobProgress::Kind::load
                     ? int(m_job->progress.permille.load(std::memory_order_relaxed))
                     : -1;
    return p;
}

void ImageJobs::Deliver(const std::shared_ptr<Job>& job, std::function<void()> deliver)
{
    QMetaObject::invokeMethod(
        &m_receiver,
        [this, job, deliver = std::move(deliver)]() mutable {
            if (job == m_job && !job->progress.Cancelled())
                deliver();
            // Whatever the call holds goes with it, on a worker.
            Release(std::make_shared<std::function<void()>>(std::move(deliver)));
        },
        Qt::QueuedConnection);
}

void ImageJobs::Release(std::shared_ptr<const void> object)
{
    if (object)
        m_pool.start([object = std::move(object)]() mutable { object.reset(); });
}

void ImageJobs::DeliverLevels(const std::shared_ptr<Job>& job, const ImagePtr& image,
                              const LevelsHandler& levels)
{
    if (!image || !levels || job->progress.Cancelled())
        return;
    LevelsPtr built = image->BuildLevels(&job->progress.cancel);
    if (built)
        Deliver(job, [levels, image, built] { levels(image, built); });
}

void ImageJobs::Load(const std::string& path, FirstViewHandler firstView, ImageHandler done,
                     LevelsHandler levels)
{
    std::shared_ptr<Job> job = Start(JobProgress::Kind::load, path);
    m_pool.start([this, job, path, done, levels, gate = m_gate] {
        if (gate)
            gate();
        COXDIB dib;
        std::string reason;
        const bool loaded = LoadImageFile(path, dib, &reason, &job->progress);
        ImagePtr image = loaded ? DisplayImage::Make(std::move(dib)) : nullptr;
        Deliver(job, [this, job, done, image, reason] {
            job->imageHandedOver = true;
            m_kind = JobProgress::Kind::none;
            m_viewPoll.stop();
            done(image, reason);
        });
        DeliverLevels(job, image, levels);
    });
    if (!firstView)
        return;
    // The first view only takes processor time the image does not need: the load itself
    // must not slow down for it. Its worker never waits for the owner's thread (nor takes a
    // lock the owner's thread takes): the owner looks for the result.
    job->onFirstView = std::move(firstView);
    m_viewPool.start([job, path] {
        RunAtLowestPriority();
        FirstView view;
        if (!ReadFirstView(path, view, kFirstViewPixels, &job->progress.cancel))
            return;
        job->view = DisplayImage::Make(std::move(view.image));
        job->viewSize = {int(view.width), int(view.height)};
        job->viewReady.store(true, std::memory_order_release);
    });
    m_viewPoll.start();
}

void ImageJobs::Turn(ImagePtr image, int angle, bool flipRows, bool flipColumns, ImageHandler done,
                     LevelsHandler levels)
{
    std::shared_ptr<Job> job = Start(JobProgress::Kind::turn, {});
    m_pool.start([this, job, image, angle, flipRows, flipColumns, done, levels, gate = m_gate] {
        if (gate)
            gate();
        COXDIB turned;
        ImagePtr result;
        if (image->Image().RotateInto(angle, flipRows, flipColumns, turned, &job->progress.cancel))
            result = DisplayImage::Make(std::move(turned));
        Deliver(job, [this, done, result] {
            m_kind = JobProgress::Kind::none;
            done(result, result ? std::string() : "the image could not be turned");
        });
        DeliverLevels(job, result, levels);
    });
}

} // namespace nv
