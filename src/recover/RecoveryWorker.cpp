#include "recover/RecoveryWorker.h"

namespace recover {

RecoveryWorker::RecoveryWorker(const Request& request, QObject* parent)
    : QObject(parent)
    , m_request(request)
{
    qRegisterMetaType<recover::Report>();
}

void RecoveryWorker::run()
{
    // One queued signal per step of a thousandth, not per chunk walked.
    int shown = -1;
    const Report report = recoverRecording(m_request, &m_cancel, [this, &shown](int permille) {
        if (permille != shown)
            emit progress(shown = permille);
    });
    emit finished(report);
}

} // namespace recover
