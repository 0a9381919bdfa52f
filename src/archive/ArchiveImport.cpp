#include "archive/ArchiveImport.h"

#include "archive/Archive.h"
#include "archive/FileSync.h"
#include "archive/IndexWriter.h"
#include "archive/VerifiedCopy.h"
#include "drive/RecordingTelemetry.h"
#include "recording/CardFiles.h"
#include "recording/FileHash.h"
#include "recording/RecordingCheck.h"
#include "recording/RecordingName.h"
#include "recover/ReferenceMovie.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSqlQuery>
#include <QSysInfo>

namespace archive {

namespace {

// A temporary copy untouched for this long belongs to an importer that died.
constexpr qint64 kStaleTemporarySeconds = 3600;
// Names tried for a recording whose name another recording of the vehicle holds.
constexpr int kNameTries = 100;

// "drf_20250614_142337.mp4" with n > 1: "drf_20250614_142337-2.mp4".
QString numberedName(const QString& name, int n)
{
    if (n <= 1)
        return name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString suffix = QLatin1Char('-') + QString::number(n);
    return dot > 0 ? name.left(dot) + suffix + name.mid(dot) : name + suffix;
}

// ".NAME.zyn-part-HOST-PID": whose copy it is, so that a dead importer's is known.
QString temporaryName(const QString& name)
{
    return QStringLiteral(".%1.zyn-part-%2-%3")
        .arg(name, QSysInfo::machineHostName())
        .arg(QCoreApplication::applicationPid());
}

// Copies left by importers that died: of this computer as soon as their process is gone, of
// the others sharing the folder once nobody has touched them for an hour.
void removeStaleTemporaries(const QString& folder)
{
    const QDateTime limit = QDateTime::currentDateTimeUtc().addSecs(-kStaleTemporarySeconds);
    const QString host = QSysInfo::machineHostName();
    QDirIterator it(folder, {QStringLiteral(".*.zyn-part-*")}, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        it.next();
        const QString owner = it.fileName().section(QStringLiteral(".zyn-part-"), -1);
        const qsizetype dash = owner.lastIndexOf(QLatin1Char('-'));
        const bool mine = dash >= 0 && owner.left(dash) == host;
        const bool dead = mine && !processRunning(owner.mid(dash + 1).toLongLong());
        if (dead || it.fileInfo().lastModified().toUTC() < limit)
            QFile::remove(it.filePath());
    }
}

RecordingState stateOf(const QString& path)
{
    if (recording::classifyName(QFileInfo(path).fileName()).role == recording::CardRole::Recovered)
        return RecordingState::Recovered;
    switch (recording::checkRecording(path).state) {
    case recording::RecordingState::Intact:
        return RecordingState::Intact;
    case recording::RecordingState::IndexMissing:
    case recording::RecordingState::IndexCut:
        return RecordingState::Unclosed;
    default:
        return RecordingState::Unreadable;
    }
}

QString videoCodec(const QString& path)
{
    recover::ReferenceMovie movie;
    if (recover::readReference(path, movie).error != recover::ReferenceError::None)
        return QString();
    const int track = movie.videoTrack();
    return track < 0 ? QString()
                     : QString::fromLatin1(recover::codecName(movie.tracks[size_t(track)].codec));
}

class Importer
{
public:
    Importer(const Archive& archive, const ImportOptions& options, ImportReport& report)
        : m_archive(archive)
        , m_options(options)
        , m_report(report)
        , m_writer(archive.db())
    { }

    bool begin();
    void importOne(const QString& source, ImportProgress& progress);
    void formDrives();

private:
    bool findStored(const QString& name, const QByteArray& sha256, QString* path);
    void finish(ImportItem& item, ImportOutcome outcome, const QString& message = {});

    const Archive& m_archive;
    const ImportOptions& m_options;
    ImportReport& m_report;
    IndexWriter m_writer;
    qint64 m_vehicle = 0;
};

bool Importer::begin()
{
    QString error;
    m_vehicle = m_writer.vehicleId(m_options.vehicle, &error);
    if (m_vehicle <= 0) {
        m_report.problems << QCoreApplication::translate(
            "archive", "cannot write the archive's index: %1")
                                 .arg(error);
        m_report.writeFailed = true;
        return false;
    }
    return true;
}

// The archive's path of a recording of this vehicle with this name and content, if it is there.
bool Importer::findStored(const QString& name, const QByteArray& sha256, QString* path)
{
    QSqlQuery query(m_archive.db().database());
    if (!m_archive.db().run(query,
            QStringLiteral("SELECT path FROM recording WHERE vehicle_id = ? AND name = ? AND "
                           "sha256 = ?"),
            {m_vehicle, name, QString::fromLatin1(sha256)}))
        return false;
    if (!query.next())
        return false;
    *path = m_archive.absolutePath(query.value(0).toString());
    return true;
}

void Importer::finish(ImportItem& item, ImportOutcome outcome, const QString& message)
{
    item.outcome = outcome;
    item.message = message;
    m_report.items.push_back(item);
}

void Importer::importOne(const QString& source, ImportProgress& progress)
{
    ImportItem item;
    item.source = source;
    const QFileInfo info(source);
    const QString name = info.fileName();
    const qint64 size = info.size();
    const qint64 bytesBefore = progress.bytesDone;
    const std::optional<QDateTime> start = recording::recordingStart(name);
    if (!start) {
        finish(item, ImportOutcome::Failed,
            QCoreApplication::translate("archive", "not a camera recording's name"));
        return;
    }

    // Seen before under this name and size: the hash alone decides, without a copy.
    QSqlQuery sameName(m_archive.db().database());
    bool sizeSeen = false;
    if (m_archive.db().run(sameName,
            QStringLiteral("SELECT size FROM recording WHERE vehicle_id = ? AND name = ?"),
            {m_vehicle, name})) {
        while (sameName.next())
            sizeSeen = sizeSeen || sameName.value(0).toLongLong() == size;
    }
    sameName.finish();
    if (sizeSeen) {
        const QByteArray hash = recording::fileSha256(source, m_options.cancel);
        if (!hash.isEmpty() && findStored(name, hash, &item.path)) {
            progress.bytesDone = bytesBefore + size;
            finish(item, ImportOutcome::Skipped);
            return;
        }
    }

    const QString relativeFolder
        = m_options.vehicle + QLatin1Char('/') + start->toString(QStringLiteral("yyyy/MM/dd"));
    const QString folder = m_archive.absolutePath(relativeFolder);
    if (!QDir().mkpath(folder)) {
        m_report.writeFailed = true;
        finish(item, ImportOutcome::Failed,
            QCoreApplication::translate("archive", "cannot create the folder %1").arg(folder));
        return;
    }
    removeStaleTemporaries(folder);
    const QString temporary = QDir(folder).filePath(temporaryName(name));
    CopyControl control;
    control.cancel = m_options.cancel;
    control.beforeReadBack = m_options.beforeReadBack;
    control.progress = [&](qint64 bytes) {
        progress.bytesDone = bytesBefore + bytes;
        if (m_options.progress)
            m_options.progress(progress);
    };
    QByteArray sha256;
    QString error;
    const int copied = copyVerified(source, temporary, control, &sha256, &error);
    progress.bytesDone = bytesBefore + size;
    if (copied == CopyCancelled) {
        m_report.cancelled = true;
        return;
    }
    if (copied != Copied) {
        m_report.writeFailed = m_report.writeFailed || copied == CannotWrite;
        finish(item, ImportOutcome::Failed, error);
        return;
    }
    if (findStored(name, sha256, &item.path)) {
        QFile::remove(temporary);
        finish(item, ImportOutcome::Skipped);
        return;
    }

    RecordingRow row;
    row.name = name;
    // The kind's prefix is found only after a path's first character.
    row.kind = recording::kindName(QLatin1Char('/') + name);
    row.cameraStart = start->toSecsSinceEpoch();
    row.size = size;
    row.sha256 = sha256;
    row.state = stateOf(source);
    drive::RecordingTelemetry telemetry;
    drive::readRecording(source, telemetry);
    row.lengthSeconds = telemetry.lengthSeconds;
    row.hasTelemetry = telemetry.hasTelemetry;
    if (row.state == RecordingState::Intact || row.state == RecordingState::Recovered)
        row.codec = videoCodec(source);
    item.state = row.state;

    for (int n = 1; n <= kNameTries; ++n) {
        row.path = relativeFolder + QLatin1Char('/') + numberedName(name, n);
        const QString target = m_archive.absolutePath(row.path);
        // A file without a row is a copy whose import was cut off before its row was
        // committed: the same content is taken as it is, other content is never replaced.
        bool adopt = false;
        if (QFileInfo::exists(target)) {
            if (recording::fileSha256(target) != sha256)
                continue;
            adopt = true;
        }
        WriteTransaction transaction(m_archive.db(), &error);
        if (!transaction.isActive())
            break;
        const qint64 id = m_writer.insertRecording(m_vehicle, row, telemetry, &error);
        if (id < 0)
            break;
        if (id == 0) {
            transaction.rollback();
            if (findStored(name, sha256, &item.path)) {
                QFile::remove(temporary);
                finish(item, ImportOutcome::Skipped);
                return;
            }
            continue; // the path is another recording's
        }
        if (adopt) {
            QFile::remove(temporary);
        } else if (!QFile::rename(temporary, target)) {
            if (QFileInfo::exists(target))
                continue;
            error = QCoreApplication::translate("archive", "cannot name %1").arg(target);
            break;
        }
        if (!transaction.commit(&error)) {
            // A copy whose row is surely not there goes again; where the database cannot
            // say (a lost connection), the next import finds the copy and takes it.
            QSqlQuery stored(m_archive.db().database());
            if (!adopt
                && m_archive.db().run(
                    stored, QStringLiteral("SELECT 1 FROM recording WHERE path = ?"), {row.path})
                && !stored.next())
                QFile::remove(target);
            break;
        }
        item.path = target;
        finish(item, n == 1 ? ImportOutcome::Imported : ImportOutcome::KeptBeside,
            n == 1 ? QString()
                   : QCoreApplication::translate("archive",
                       "the archive holds another recording named %1; this one is kept "
                       "beside it as %2")
                         .arg(name, QFileInfo(target).fileName()));
        return;
    }
    QFile::remove(temporary);
    m_report.writeFailed = true;
    finish(item, ImportOutcome::Failed,
        error.isEmpty()
            ? QCoreApplication::translate("archive", "no free name for %1").arg(name)
            : QCoreApplication::translate("archive", "cannot write the archive's index: %1")
                  .arg(error));
}

void Importer::formDrives()
{
    QString error;
    const TelemetryReader read = [this](const RecordingRow& row, drive::RecordingTelemetry& t) {
        drive::readRecording(m_archive.absolutePath(row.path), t);
    };
    if (!m_writer.updateDrives(m_vehicle, read, m_options.thresholds, &m_report.drives, &error)) {
        m_report.writeFailed = true;
        m_report.problems
            << QCoreApplication::translate("archive", "cannot form the drives: %1").arg(error);
    }
}

} // namespace

int ImportReport::count(ImportOutcome outcome) const
{
    int n = 0;
    for (const ImportItem& item : items)
        n += item.outcome == outcome ? 1 : 0;
    return n;
}

bool isValidVehicleName(const QString& name)
{
    if (name.isEmpty() || name.size() > 100 || name.startsWith(QLatin1Char('.')))
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':')
            || c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

QStringList cardRecordings(const QString& folderOrFile)
{
    if (!QFileInfo(folderOrFile).isDir())
        return {folderOrFile};
    return recording::listCard(folderOrFile).paths();
}

ImportReport importCards(
    const Archive& archive, const QStringList& folders, const ImportOptions& options)
{
    ImportReport report;
    if (archive.isReadOnly()) {
        report.writeFailed = true;
        report.problems << QCoreApplication::translate(
            "archive", "the archive in %1 cannot be written")
                               .arg(archive.root());
        return report;
    }
    if (!isValidVehicleName(options.vehicle)) {
        report.problems << QCoreApplication::translate("archive",
            "\"%1\" cannot name a vehicle (a folder name without "
            "separators)")
                               .arg(options.vehicle);
        return report;
    }
    QStringList sources;
    for (const QString& folder : folders)
        sources << cardRecordings(folder);
    ImportProgress progress;
    progress.count = int(sources.size());
    for (const QString& source : sources)
        progress.bytesTotal += QFileInfo(source).size();

    Importer importer(archive, options, report);
    if (!importer.begin())
        return report;
    for (const QString& source : sources) {
        if (options.cancel && options.cancel->load()) {
            report.cancelled = true;
            break;
        }
        ++progress.index;
        progress.source = source;
        if (options.progress)
            options.progress(progress);
        importer.importOne(source, progress);
        if (report.cancelled)
            break;
    }
    // Cut off or not, what was indexed joins its drives: nothing indexed waits for a later run.
    importer.formDrives();
    return report;
}

QStringList missingRecordings(const Archive& archive, const QString& folder)
{
    QStringList missing;
    QSqlQuery query(archive.db().database());
    for (const QString& path : cardRecordings(folder)) {
        const QFileInfo info(path);
        if (!archive.db().run(query,
                QStringLiteral("SELECT 1 FROM recording WHERE name = ? AND size = ?"),
                {info.fileName(), info.size()})
            || !query.next())
            missing << path;
        query.finish();
    }
    return missing;
}

} // namespace archive
