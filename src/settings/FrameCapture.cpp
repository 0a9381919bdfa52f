#include "settings/FrameCapture.h"

#include "jpeg/CJpegEncoder.h"
#include "player/PVEXAdap.h"
#include "player/PVEXState.h"
#include "settings/CaptureFrames.h"

#include <QTimer>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <vector>

namespace {

// Frames copied but not yet written. More would only hold memory: the next frame waits for
// the worker instead.
constexpr int kBacklog = 2;

} // namespace

struct FrameCapture::Job
{
    std::vector<std::uint8_t> frame; // empty: the player had no whole frame
    QString name;
};

struct FrameCapture::Result
{
    std::uint64_t run = 0;
    enum Outcome { Saved, Failed, Missing } outcome = Missing;
};

struct FrameCapture::Shared
{
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable ended;
    std::deque<Job> jobs;
    std::uint64_t run = 0;
    QString folder;
    bool stop = false;
    bool hasEnded = false;
};

FrameCapture::FrameCapture(QObject* parent)
    : QObject(parent)
    , m_nextFrame(new QTimer(this))
{
    m_nextFrame->setSingleShot(true);
    connect(m_nextFrame, &QTimer::timeout, this, &FrameCapture::scheduleNext);
}

FrameCapture::~FrameCapture()
{
    stop();
}

int FrameCapture::start(
    PVEXAdap* adapter, const QString& folder, const QString& recordingPath, bool thirtyFrames)
{
    if (isRunning())
        return 1;
    stop(); // a finished run's worker has ended already; this only joins it

    auto shared = std::make_shared<Shared>();
    shared->run = ++m_run;
    shared->folder = folder;
    try {
        m_worker = std::thread(&FrameCapture::workerMain, shared, this);
    } catch (const std::system_error&) {
        return 2;
    }
    m_shared = std::move(shared);

    m_adapter = adapter;
    m_folder = folder;
    m_baseName = capture_frames::baseName(recordingPath);
    m_thirtyFrames = thirtyFrames;
    m_summary = Summary{};
    m_summary.folder = folder;
    m_taken = 0;
    m_taking = true;
    m_waitingForWorker = false;
    m_stepped = false;
    captureCount = 0;
    // Known from the start, so that the progress never shows fewer frames to do than done;
    // a single frame reads "01 / 01".
    captureTotal = thirtyFrames ? std::max(1, framesLeft()) : 1;
    capturing = 1;
    takeFrame();
    return 0;
}

int FrameCapture::framesLeft() const
{
    if (!m_adapter)
        return 0;
    const long long left = static_cast<long long>(m_adapter->recordTotal)
        - static_cast<long long>(m_adapter->recordIndex);
    return static_cast<int>(std::clamp<long long>(left, 0, kMaxFrames));
}

void FrameCapture::takeFrame()
{
    captured = 1;
    if (m_taken > 0 && !m_stepped) {
        if (m_adapter)
            if (PVEXState* state = m_adapter->current())
                state->frameStep();
        m_stepped = true;
        const auto left = kFrameGap - std::chrono::milliseconds(m_sinceCopy.elapsed());
        if (left.count() > 0) {
            m_nextFrame->start(left);
            return;
        }
    }
    m_stepped = false;

    Job job;
    const int number = m_taken + 1;
    const std::uint8_t* frame = m_adapter ? m_adapter->frame1.load() : nullptr;
    const std::int32_t bytes = m_adapter ? m_adapter->frameBytes.load() : 0;
    // The name carries the position at the moment the frame is copied.
    job.name = capture_frames::fileName(
        m_baseName, m_adapter ? int(m_adapter->positionSeconds) : 0, number);
    if (frame && bytes >= 0 && std::size_t(bytes) >= capture_frames::kFrameBytes)
        job.frame.assign(frame, frame + capture_frames::kFrameBytes);
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->jobs.push_back(std::move(job));
    }
    m_shared->wake.notify_one();
    m_sinceCopy.start();
    ++m_taken;

    if (m_thirtyFrames)
        captureTotal = std::max(m_taken, framesLeft());
    // The next step waits for the event loop, so that the progress of this frame is painted.
    if (m_taken < captureTotal)
        m_nextFrame->start(std::chrono::milliseconds(0));
    else
        m_taking = false;
}

void FrameCapture::scheduleNext()
{
    if (!m_taking)
        return;
    if (m_taken - captureCount >= kBacklog) {
        m_waitingForWorker = true;
        return;
    }
    takeFrame();
}

void FrameCapture::onFrameDone(const Result& result)
{
    if (result.run != m_run || !capturing)
        return;
    ++captureCount;
    switch (result.outcome) {
    case Result::Saved:
        ++m_summary.saved;
        break;
    case Result::Failed:
        ++m_summary.failed;
        break;
    case Result::Missing:
        ++m_summary.missing;
        break;
    }
    emit progressed();
    if (m_waitingForWorker) {
        m_waitingForWorker = false;
        if (m_taking)
            takeFrame();
    }
    if (!m_taking && captureCount >= m_taken)
        finish();
}

void FrameCapture::finish()
{
    stop();
    emit progressed();
    emit finished();
}

bool FrameCapture::stop(std::chrono::milliseconds limit)
{
    m_nextFrame->stop();
    m_taking = false;
    m_waitingForWorker = false;
    capturing = 0;
    if (!m_shared)
        return true;
    std::shared_ptr<Shared> shared = std::move(m_shared);
    bool ended = false;
    {
        std::unique_lock lock(shared->mutex);
        shared->stop = true;
        shared->jobs.clear();
        shared->wake.notify_all();
        ended = shared->ended.wait_for(lock, limit, [&] { return shared->hasEnded; });
    }
    if (ended)
        m_worker.join();
    else
        m_worker.detach(); // it owns a share of its data and never calls back once stopped
    return ended;
}

void FrameCapture::clearCounters()
{
    captureCount = 0;
    captureTotal = 0;
    captured = 0;
}

void FrameCapture::workerMain(std::shared_ptr<Shared> shared, FrameCapture* receiver)
{
    CJpegEncoder encoder;
    std::vector<std::uint8_t> bitmap;
    const QString folder = shared->folder;
    for (;;) {
        Job job;
        {
            std::unique_lock lock(shared->mutex);
            shared->wake.wait(lock, [&] { return shared->stop || !shared->jobs.empty(); });
            if (shared->stop)
                break;
            job = std::move(shared->jobs.front());
            shared->jobs.pop_front();
        }
        Result result;
        result.run = shared->run;
        if (!job.frame.empty()) {
            const QString path = capture_frames::unusedPath(folder, job.name);
            result.outcome = capture_frames::writeFrame(encoder, job.frame, bitmap, path)
                ? Result::Saved
                : Result::Failed;
        }
        // Posted under the lock: once stop() has set the flag, the receiver may be gone.
        std::lock_guard lock(shared->mutex);
        if (shared->stop)
            break;
        QMetaObject::invokeMethod(
            receiver, [receiver, result] { receiver->onFrameDone(result); }, Qt::QueuedConnection);
    }
    std::lock_guard lock(shared->mutex);
    shared->hasEnded = true;
    shared->ended.notify_all();
}
