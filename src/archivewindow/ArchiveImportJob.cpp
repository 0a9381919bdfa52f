#include "archivewindow/ArchiveImportJob.h"

#include "archivewindow/ArchiveThread.h"
#include "resources/Strings.h"

#include <QDir>
#include <QFileInfo>

namespace archivewin {

namespace {

// A message names at most this many failed recordings.
constexpr int kFailuresShown = 10;

} // namespace

ArchiveImportJob::ArchiveImportJob(const ArchiveLocation& location, const QStringList& folders,
    const QString& vehicle, const drive::DetectionThresholds& thresholds, QObject* parent)
    : QObject(parent)
    , m_folders(folders)
    , m_vehicle(vehicle)
    , m_thresholds(thresholds)
    , m_cancel(std::make_shared<std::atomic<bool>>(false))
    , m_thread(std::make_unique<ArchiveThread>(location))
{ }

ArchiveImportJob::~ArchiveImportJob()
{
    *m_cancel = true;
    m_thread.reset();
}

void ArchiveImportJob::start()
{
    if (m_running)
        return;
    m_running = true;
    auto cancel = m_cancel;
    const QStringList folders = m_folders;
    archive::ImportOptions options;
    options.vehicle = m_vehicle.isEmpty() ? QStringLiteral("default") : m_vehicle;
    options.thresholds = m_thresholds;
    options.cancel = cancel.get();
    m_thread->run([this, folders, options, cancel](
                      const archive::Archive* a, const QString& openError) mutable {
        options.progress = [this](const archive::ImportProgress& p) {
            ArchiveThread::answer(
                this, [this, p] { emit progress(p.index, p.count, p.bytesDone, p.bytesTotal); });
        };
        archive::ImportReport report;
        if (a)
            report = archive::importCards(*a, folders, options);
        ArchiveThread::answer(this, [this, report, openError] {
            m_running = false;
            emit finished(report, openError);
        });
    });
}

void ArchiveImportJob::cancel()
{
    *m_cancel = true;
}

QString ArchiveImportJob::reportText(const archive::ImportReport& report, const QString& openError)
{
    if (!openError.isEmpty())
        return QString(strings::kArchiveCannotOpen).arg(openError);
    const int kept = report.count(archive::ImportOutcome::Imported);
    QString text;
    if (report.cancelled)
        text = QString(strings::kArchiveImportCancelled)
                   .arg(kept + report.count(archive::ImportOutcome::KeptBeside));
    else
        text = QString(strings::kArchiveImported)
                   .arg(kept)
                   .arg(report.count(archive::ImportOutcome::Skipped))
                   .arg(report.count(archive::ImportOutcome::KeptBeside))
                   .arg(report.count(archive::ImportOutcome::Failed));
    QStringList failed;
    for (const archive::ImportItem& item : report.items) {
        if (item.outcome != archive::ImportOutcome::Failed)
            continue;
        if (failed.size() == kFailuresShown) {
            failed << QStringLiteral("…");
            break;
        }
        failed << QFileInfo(item.source).fileName() + QStringLiteral(": ") + item.message;
    }
    failed << report.problems;
    // Kept, but not as recordings that play: the driver should know before the card is wiped.
    QStringList damaged;
    for (const archive::ImportItem& item : report.items) {
        const bool kept = item.outcome == archive::ImportOutcome::Imported
            || item.outcome == archive::ImportOutcome::KeptBeside;
        if (!kept
            || (item.state != archive::RecordingState::Unclosed
                && item.state != archive::RecordingState::Unreadable))
            continue;
        if (damaged.size() == kFailuresShown) {
            damaged << QStringLiteral("…");
            break;
        }
        damaged << QFileInfo(item.source).fileName() + QStringLiteral(": ")
                + (item.state == archive::RecordingState::Unclosed
                        ? QString(strings::kArchiveUnclosed)
                        : QString(strings::kArchiveUnreadable));
    }
    if (!damaged.isEmpty())
        text += QStringLiteral("\n\n")
            + QString(strings::kArchiveImportDamaged).arg(damaged.join(u'\n'));
    if (!failed.isEmpty())
        text += QStringLiteral("\n\n")
            + QString(strings::kArchiveImportProblems).arg(failed.join(u'\n'));
    if (report.writeFailed)
        text += QStringLiteral("\n\n")
            + QString(strings::kArchiveImportWriteFailed).arg(report.problems.value(0));
    return text;
}

} // namespace archivewin
