#include "clip/ClipJob.h"

namespace clip {

ClipJob::ClipJob(QObject* parent)
    : QObject(parent)
{ }

ClipJob::~ClipJob()
{
    m_cancel = true;
    if (m_worker.joinable())
        m_worker.join();
}

bool ClipJob::start(const QStringList& recordings, const Span& span, const ExportOptions& options)
{
    if (m_running)
        return false;
    if (m_worker.joinable())
        m_worker.join();
    m_cancel = false;
    m_running = true;
    m_worker = std::thread([this, recordings, span, options] {
        const PlanResult plan = planClips(recordings, span);
        const QList<ClipPlan>& clips = plan.clips;
        QList<ExportResult> results;
        const qsizetype count = std::max<qsizetype>(1, clips.size());
        for (qsizetype i = 0; i < clips.size(); ++i) {
            const Control control{[this, i, count](double done) {
                                      emit progress((double(i) + done) / double(count));
                                  },
                &m_cancel};
            results.append(exportClip(clips[i], options, control));
            // A cancel while drawing keeps the clip and ends as DrawnFailed: stop all the same.
            if (results.last().code == Cancelled || m_cancel)
                break;
        }
        m_running = false;
        // Emitted from the worker: receivers on the job's thread get it queued.
        emit finished(results, plan.messages);
    });
    return true;
}

} // namespace clip
