#pragma once

#include "clip/ClipExport.h"

#include <QList>
#include <QObject>

#include <atomic>
#include <thread>

// The clip export as the viewer's popup runs it: on a worker thread of its own, reporting to the
// thread the job lives in through queued signals, so the GUI thread never waits and the worker
// never touches a widget.
namespace clip {

class ClipJob : public QObject
{
    Q_OBJECT

public:
    explicit ClipJob(QObject* parent = nullptr);
    // Asks a running export to stop and waits for it: the copy looks at the request between
    // packets and the hashing between megabytes, so the wait is short; what it made is removed.
    ~ClipJob() override;

    // Plans the clips of `span` from `recordings` (see planClips(), which opens and scans the
    // recordings, hence on the worker too) and exports each in turn into options.folder; false
    // while an export runs.
    bool start(const QStringList& recordings, const Span& span, const ExportOptions& options);
    void cancel() { m_cancel = true; }
    bool isRunning() const { return m_running; }

signals:
    // The part done over all clips, 0 to 1, at most a thousand times per clip.
    void progress(double done);
    // Once per start(), after the last clip: a result per clip, in order (a cancelled export
    // ends the list with its Cancelled result, or DrawnFailed when the cancel came while the clip
    // was drawn; none when there was nothing to export), and the
    // plan's messages (why the span was split or shortened, which recording could not be read).
    void finished(const QList<clip::ExportResult>& results, const QStringList& messages);

private:
    std::thread m_worker;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_running{false};
};

} // namespace clip
