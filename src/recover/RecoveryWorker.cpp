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
    const Report report
        = recoverRecording(m_request, &m_cancel, [this](int permille) { emit progress(permille); });
    emit finished(report);
}

} // namespace recover
