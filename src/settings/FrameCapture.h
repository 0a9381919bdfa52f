#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>

class PVEXAdap;
class QTimer;

// One capture run: the frame on show, or up to thirty frames in a row, saved as JPEG files.
//
// The GUI thread does everything that touches the player: it steps the player a frame, reads
// the position and copies the frame buffer, at least 50 ms after the previous frame was taken
// (the step itself counts towards the gap, so thirty frames take no longer than they must). The
// worker thread only converts, encodes and writes; it reports each frame back as a queued call,
// so the counters live on the GUI thread and the window repaints from there. A frame step from
// the worker could deadlock: the player's states wait for the GUI thread, which may itself be
// waiting (with a bound) for the worker to end.
class FrameCapture : public QObject
{
    Q_OBJECT

public:
    static constexpr int kMaxFrames = 30;
    static constexpr std::chrono::milliseconds kFrameGap{50};
    static constexpr std::chrono::milliseconds kStopLimit{2000};

    // How a run went, for the completion message.
    struct Summary
    {
        int saved = 0;
        int failed = 0; // could not be encoded or written
        int missing = 0; // the player had no whole frame to copy
        QString folder;
    };

    explicit FrameCapture(QObject* parent = nullptr);
    ~FrameCapture() override;

    // Starts a run into `folder` (which ends in a separator) for the recording at
    // `recordingPath`; both are copied now. 0 started, 1 a run is going on, 2 no worker thread.
    int start(
        PVEXAdap* adapter, const QString& folder, const QString& recordingPath, bool thirtyFrames);
    // Ends a run: no further frame is taken, the worker is asked to end and is joined within
    // `limit`. True when it ended in time (it is let go otherwise, holding only its own data).
    bool stop(std::chrono::milliseconds limit = kStopLimit);

    bool isRunning() const { return capturing != 0; }
    Summary summary() const { return m_summary; }
    // The counters a reset of the settings popup clears.
    void clearCounters();

    // Frames done in this run (written, failed or missing) and frames to do; `captured` is set
    // by every frame taken and reported when the settings popup closes.
    int captureCount = 0;
    int captureTotal = 0;
    int capturing = 0;
    int captured = 0;

signals:
    // After every frame done, and once the run has ended.
    void progressed();
    void finished();

private:
    struct Shared;
    struct Job;
    struct Result;

    void takeFrame();
    void scheduleNext();
    void onFrameDone(const Result& result);
    void finish();
    int framesLeft() const;
    static void workerMain(std::shared_ptr<Shared> shared, FrameCapture* receiver);

    PVEXAdap* m_adapter = nullptr;
    QString m_folder;
    QString m_baseName;
    bool m_thirtyFrames = false;
    int m_taken = 0;
    bool m_taking = false;
    bool m_waitingForWorker = false;
    bool m_stepped = false; // the player is on the next frame, which waits for the gap to pass
    QElapsedTimer m_sinceCopy;
    std::uint64_t m_run = 0;
    Summary m_summary;
    QTimer* m_nextFrame = nullptr;
    std::shared_ptr<Shared> m_shared;
    std::thread m_worker;
};
