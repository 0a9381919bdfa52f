#include "ArchiveCommands.h"

#include "ArchiveOutput.h"
#include "archive/Archive.h"
#include "archive/ArchiveImport.h"
#include "archive/ArchiveQueries.h"
#include "clip/ClipExport.h"
#include "clip/ClipSpan.h"

#include <QFileInfo>
#include <QTextStream>

#include <map>

namespace archivetool {

namespace {

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / 1e6, 'f', 1);
}

bool openArchive(const Options& options, archive::Archive& a, QTextStream& errors)
{
    QString error;
    if (a.open(options.root, options.database, &error) != archive::Opened) {
        errors << "zyn-archive: " << error << '\n';
        return false;
    }
    return true;
}

// Opens the archive and finds the moments the options ask for: 0, or the exit status.
int findMoments(const Options& options, archive::Archive& a, std::vector<archive::Moment>* moments,
    QTextStream& errors)
{
    if (!openArchive(options, a, errors))
        return 2;
    QString error;
    if (!archive::find(a, options.query, moments, &error)) {
        errors << "zyn-archive: " << error << '\n';
        return 1;
    }
    return 0;
}

QString outcomeText(const archive::ImportItem& item)
{
    switch (item.outcome) {
    case archive::ImportOutcome::Imported:
        return QStringLiteral("imported");
    case archive::ImportOutcome::Skipped:
        return QStringLiteral("already in the archive");
    case archive::ImportOutcome::KeptBeside:
        return QStringLiteral("kept beside another of its name");
    case archive::ImportOutcome::Failed:
        break;
    }
    return QStringLiteral("failed");
}

void reportDrives(
    const archive::Archive& a, const archive::ImportReport& report, QTextStream& errors)
{
    if (report.drives.empty())
        return;
    archive::DriveFilter filter;
    filter.ids = report.drives;
    std::vector<archive::DriveRow> rows;
    QString error;
    if (!archive::drives(a, filter, &rows, &error)) {
        errors << "zyn-archive: " << error << '\n';
        return;
    }
    for (const archive::DriveRow& d : rows) {
        errors << "zyn-archive: drive " << d.vehicle << ' ' << archive::timeText(d.cameraStart)
               << " to " << archive::timeText(d.cameraEnd) << ", " << d.recordings
               << " recordings, " << QString::number(d.distanceKm, 'f', 2) << " km, clock "
               << archive::clockText(d.clock);
        if (d.clock.jumpSeconds != 0)
            errors << "; " << jumpNote(d.clock.jumpSeconds);
        errors << '\n';
    }
}

} // namespace

int runImport(const Options& options, const std::atomic<bool>& interrupted, QTextStream& out,
    QTextStream& errors)
{
    archive::Archive a;
    if (!openArchive(options, a, errors))
        return 2;
    archive::ImportOptions importOptions;
    if (!options.vehicle.isEmpty())
        importOptions.vehicle = options.vehicle;
    importOptions.thresholds = options.thresholds;
    importOptions.cancel = &interrupted;
    int lastIndex = 0;
    importOptions.progress = [&](const archive::ImportProgress& p) {
        if (p.index != lastIndex) {
            lastIndex = p.index;
            errors << "zyn-archive: [" << p.index << '/' << p.count << "] "
                   << QFileInfo(p.source).fileName() << '\n';
        }
        errors << "zyn-archive: " << megabytes(p.bytesDone) << " of " << megabytes(p.bytesTotal)
               << " MB\n";
        errors.flush();
    };
    const archive::ImportReport report = archive::importCards(a, options.inputs, importOptions);
    for (const archive::ImportItem& item : report.items) {
        if (item.outcome == archive::ImportOutcome::Failed) {
            errors << "zyn-archive: " << item.source << ": " << item.message << '\n';
            continue;
        }
        out << outcomeText(item) << '\t' << item.path;
        if (item.state != archive::RecordingState::Intact)
            out << '\t' << archive::recordingStateName(item.state);
        out << '\n';
        if (!item.message.isEmpty())
            errors << "zyn-archive: " << item.source << ": " << item.message << '\n';
    }
    for (const QString& problem : report.problems)
        errors << "zyn-archive: " << problem << '\n';
    reportDrives(a, report, errors);
    errors << "zyn-archive: " << report.count(archive::ImportOutcome::Imported) << " imported, "
           << report.count(archive::ImportOutcome::Skipped) << " already there, "
           << report.count(archive::ImportOutcome::KeptBeside)
           << " kept beside another of the same name, "
           << report.count(archive::ImportOutcome::Failed) << " failed"
           << (report.cancelled ? QStringLiteral("; interrupted") : QString()) << '\n';
    if (report.cancelled || report.writeFailed)
        return 2;
    return report.count(archive::ImportOutcome::Failed) > 0 || !report.problems.isEmpty() ? 1 : 0;
}

int runFind(const Options& options, QTextStream& out, QTextStream& errors)
{
    archive::Archive a;
    std::vector<archive::Moment> moments;
    if (const int status = findMoments(options, a, &moments, errors); status != 0)
        return status;
    writeMoments(moments, options.json, out);
    return 0;
}

int runDrives(const Options& options, QTextStream& out, QTextStream& errors)
{
    archive::Archive a;
    if (!openArchive(options, a, errors))
        return 2;
    archive::DriveFilter filter;
    filter.from = options.query.from;
    filter.to = options.query.to;
    filter.timeBase = options.query.timeBase;
    filter.vehicle = options.query.vehicle;
    std::vector<archive::DriveRow> rows;
    QString error;
    if (!archive::drives(a, filter, &rows, &error)) {
        errors << "zyn-archive: " << error << '\n';
        return 1;
    }
    writeDrives(rows, options.json, out);
    return 0;
}

int runCheck(const Options& options, const std::atomic<bool>& interrupted, QTextStream& out,
    QTextStream& errors)
{
    archive::Archive a;
    if (!openArchive(options, a, errors))
        return 2;
    archive::CheckReport report;
    QString error;
    const auto progress = [&](int done, int total) {
        if (done % 100 == 0 || done == total) {
            errors << "zyn-archive: checked " << done << " of " << total << '\n';
            errors.flush();
        }
    };
    if (!archive::checkFiles(a, &interrupted, progress, &report, &error)) {
        errors << "zyn-archive: " << error << '\n';
        return 1;
    }
    for (const archive::CheckProblem& p : report.problems)
        out << (p.missing ? "missing\t" : "changed\t") << p.path << '\n';
    errors << "zyn-archive: " << report.checked << " checked, " << report.problems.size()
           << " missing or changed" << (report.cancelled ? "; interrupted" : "") << '\n';
    if (report.cancelled)
        return 2;
    return report.problems.empty() ? 0 : 1;
}

int runClip(const Options& options, const std::atomic<bool>& interrupted, QTextStream& out,
    QTextStream& errors)
{
    archive::Archive a;
    std::vector<archive::Moment> moments;
    if (const int status = findMoments(options, a, &moments, errors); status != 0)
        return status;
    QString error;
    // Moments of one drive close together make one clip.
    std::map<qint64, QList<clip::Span>> spans;
    for (const archive::Moment& m : moments) {
        const QDateTime at = QDateTime::fromSecsSinceEpoch(m.cameraTime, Qt::UTC);
        spans[m.drive] << clip::Span{
            at.addSecs(-clip::kEventMargin), at.addSecs(clip::kEventMargin)};
    }
    clip::quietLibraryLog();
    clip::ExportOptions exportOptions;
    exportOptions.folder = options.output;
    exportOptions.gpx = exportOptions.csv = false;
    exportOptions.program = QStringLiteral("zyn-archive");
    int written = 0;
    bool writeFailed = false;
    for (const auto& [drive, driveSpans] : spans) {
        const QStringList recordings = archive::driveRecordings(a, drive, &error);
        for (const clip::Span& span : clip::mergeSpans(driveSpans)) {
            const clip::PlanResult plan = clip::planClips(recordings, span);
            for (const QString& message : plan.messages)
                errors << "zyn-archive: " << message << '\n';
            for (const clip::ClipPlan& clipPlan : plan.clips) {
                clip::Control control{{}, &interrupted};
                const clip::ExportResult result
                    = clip::exportClip(clipPlan, exportOptions, control);
                errors << "zyn-archive: " << result.message << '\n';
                errors.flush();
                if (result.code == clip::Exported) {
                    ++written;
                    out << result.written.value(0) << '\n';
                } else if (result.code == clip::WriteFailed || result.code == clip::Cancelled) {
                    writeFailed = true;
                }
                if (interrupted)
                    return 2;
            }
        }
    }
    if (writeFailed)
        return 2;
    if (written == 0) {
        errors << "zyn-archive: nothing to export\n";
        return 1;
    }
    return 0;
}

} // namespace archivetool
