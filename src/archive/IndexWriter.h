#pragma once

#include "archive/ArchiveTypes.h"
#include "drive/DriveTypes.h"

#include <QHash>
#include <QSqlQuery>

#include <functional>
#include <vector>

namespace drive {
struct RecordingTelemetry;
}

// Writes the index: vehicles, recordings with their track, and the drives they form with their
// events. The caller holds the transaction around a recording (see ArchiveDatabase's
// WriteTransaction); updateDrives() holds its own.
namespace archive {

class ArchiveDatabase;

// The telemetry of a recording already in the index, read again to form its drive: from the
// archive's copy in the importer, from memory in the benchmark.
using TelemetryReader = std::function<void(const RecordingRow& row, drive::RecordingTelemetry&)>;

class IndexWriter
{
public:
    explicit IndexWriter(const ArchiveDatabase& db);

    // The vehicle of this name, made when new; 0 on failure.
    qint64 vehicleId(const QString& name, QString* error);

    // Inserts the recording and its track (every second with a fix). Returns the new row's id,
    // 0 when the index holds its path or the same name with the same content already (nothing
    // inserted), -1 on failure.
    qint64 insertRecording(qint64 vehicle, const RecordingRow& row,
        const drive::RecordingTelemetry& telemetry, QString* error);

    // Forms the drives that recordings without one belong to: joined to the drive they
    // continue or precede (which is then measured anew) or a drive of their own. The ids of the
    // drives made go to `changed`. False, with nothing changed, on failure.
    bool updateDrives(qint64 vehicle, const TelemetryReader& read,
        const drive::DetectionThresholds& thresholds, std::vector<qint64>* changed, QString* error);

private:
    QSqlQuery* run(const QString& sql, const QVariantList& values, QString* error);
    bool insertTrack(qint64 recording, const drive::RecordingTelemetry& telemetry, QString* error);
    qint64 insertDrive(qint64 vehicle, const std::vector<RecordingRow>& rows,
        const std::vector<drive::RecordingTelemetry>& telemetry,
        const drive::DetectionThresholds& thresholds, QString* error);

    const ArchiveDatabase& m_db;
    QHash<QString, QSqlQuery> m_prepared; // statements run once per recording, kept prepared
};

} // namespace archive
