#include "archive/IndexWriter.h"

#include "archive/ArchiveDatabase.h"
#include "archive/ClockOffset.h"
#include "drive/DriveAnalysis.h"
#include "drive/DriveGrouping.h"
#include "drive/RecordingTelemetry.h"

#include <QDateTime>
#include <QSqlError>

#include <algorithm>

namespace archive {

namespace {

// Seconds of track per box of the spatial index: at town speed a box spans some 150 m, so a
// search of 100 m opens few boxes that hold nothing near.
constexpr int kBoxSeconds = 10;
// Track rows per statement: a one-minute recording goes in one.
constexpr int kTrackRowsPerStatement = 100;

QString valuesList(int rows, int columns)
{
    QString one
        = QStringLiteral("(") + QStringLiteral("?, ").repeated(columns - 1) + QStringLiteral("?)");
    QStringList all;
    for (int i = 0; i < rows; ++i)
        all << one;
    return all.join(QStringLiteral(", "));
}

QVariant nullableUtc(qint64 utc)
{
    return utc != 0 ? QVariant(utc) : QVariant(QMetaType(QMetaType::LongLong));
}

// Text columns are NOT NULL: an empty text is stored as empty, never as NULL.
QString text(const QString& value)
{
    return value.isNull() ? QString("") : value;
}

} // namespace

IndexWriter::IndexWriter(const ArchiveDatabase& db)
    : m_db(db)
{ }

QSqlQuery* IndexWriter::run(const QString& sql, const QVariantList& values, QString* error)
{
    auto found = m_prepared.find(sql);
    if (found == m_prepared.end()) {
        QSqlQuery query(m_db.database());
        if (!query.prepare(sql)) {
            if (error)
                *error = query.lastError().text();
            return nullptr;
        }
        found = m_prepared.insert(sql, query);
    }
    QSqlQuery& query = found.value();
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values[i]);
    if (!query.exec()) {
        if (error)
            *error = query.lastError().text();
        return nullptr;
    }
    return &query;
}

qint64 IndexWriter::vehicleId(const QString& name, QString* error)
{
    // Another importer may make the same vehicle at the same moment: whoever comes second
    // finds it.
    if (!run(QStringLiteral("INSERT INTO vehicle (name) VALUES (?) ON CONFLICT DO NOTHING"), {name},
            error))
        return 0;
    QSqlQuery* query = run(QStringLiteral("SELECT id FROM vehicle WHERE name = ?"), {name}, error);
    if (!query || !query->next())
        return 0;
    const qint64 id = query->value(0).toLongLong();
    query->finish();
    return id;
}

qint64 IndexWriter::insertRecording(qint64 vehicle, const RecordingRow& row,
    const drive::RecordingTelemetry& telemetry, QString* error)
{
    QSqlQuery* query
        = run(QStringLiteral("INSERT INTO recording (vehicle_id, name, path, kind, camera_start, "
                             "length_s, size, codec, sha256, has_telemetry, state, imported_at) "
                             "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT DO NOTHING "
                             "RETURNING id"),
            {vehicle, row.name, row.path, row.kind, row.cameraStart, row.lengthSeconds, row.size,
                text(row.codec), QString::fromLatin1(row.sha256), int(row.hasTelemetry),
                int(row.state), QDateTime::currentSecsSinceEpoch()},
            error);
    if (!query)
        return -1;
    if (!query->next())
        return 0;
    const qint64 id = query->value(0).toLongLong();
    query->finish();
    return insertTrack(id, telemetry, error) ? id : -1;
}

bool IndexWriter::insertTrack(
    qint64 recording, const drive::RecordingTelemetry& telemetry, QString* error)
{
    std::vector<int> fixes;
    for (size_t i = 0; i < telemetry.seconds.size(); ++i) {
        if (telemetry.seconds[i].hasFix)
            fixes.push_back(int(i));
    }
    for (size_t begin = 0; begin < fixes.size(); begin += kTrackRowsPerStatement) {
        const size_t end = std::min(fixes.size(), begin + kTrackRowsPerStatement);
        QVariantList values;
        values.reserve(qsizetype(end - begin) * 7);
        for (size_t k = begin; k < end; ++k) {
            const drive::TelemetrySecond& s = telemetry.seconds[size_t(fixes[k])];
            values << recording << fixes[k] << nullableUtc(s.utc) << s.latitude << s.longitude
                   << double(s.speedKmh) << double(s.course);
        }
        if (!run(QStringLiteral("INSERT INTO track (recording_id, second, utc, latitude, "
                                "longitude, speed_kmh, course) VALUES ")
                    + valuesList(int(end - begin), 7),
                values, error))
            return false;
    }
    // The boxes over runs of seconds, each the rectangle around its fixes, in one statement.
    struct Box
    {
        int first, last;
        double south = 90, north = -90, west = 180, east = -180;
    };
    std::vector<Box> boxes;
    for (size_t k = 0; k < fixes.size();) {
        Box b{fixes[k], fixes[k]};
        const int limit = (b.first / kBoxSeconds + 1) * kBoxSeconds;
        for (; k < fixes.size() && fixes[k] < limit; ++k) {
            const drive::TelemetrySecond& s = telemetry.seconds[size_t(fixes[k])];
            b.south = std::min(b.south, s.latitude);
            b.north = std::max(b.north, s.latitude);
            b.west = std::min(b.west, s.longitude);
            b.east = std::max(b.east, s.longitude);
            b.last = fixes[k];
        }
        boxes.push_back(b);
    }
    if (boxes.empty())
        return true;
    QVariantList values;
    for (const Box& b : boxes)
        values << recording << b.first << b.last << b.south << b.north << b.west << b.east;
    QSqlQuery* inserted = run(QStringLiteral("INSERT INTO track_box (recording_id, first_second, "
                                             "last_second, min_lat, max_lat, min_lon, max_lon) "
                                             "VALUES ")
            + valuesList(int(boxes.size()), 7) + QStringLiteral(" RETURNING id, first_second"),
        values, error);
    if (!inserted)
        return false;
    const QString spatial = m_db.dialect().spatialInsert();
    QVariantList spatialValues;
    while (inserted->next()) {
        const qint64 id = inserted->value(0).toLongLong();
        const int first = inserted->value(1).toInt();
        for (const Box& b : boxes) {
            if (b.first == first)
                spatialValues << id << b.south << b.north << b.west << b.east;
        }
    }
    inserted->finish();
    if (spatialValues.size() != qsizetype(boxes.size()) * 5) {
        if (error)
            *error = QStringLiteral("the track's boxes were not all stored");
        return false;
    }
    if (spatial.isEmpty())
        return true;
    return run(spatial + valuesList(int(boxes.size()), 5), spatialValues, error) != nullptr;
}

bool IndexWriter::updateDrives(qint64 vehicle, const TelemetryReader& read,
    const drive::DetectionThresholds& thresholds, std::vector<qint64>* changed, QString* error)
{
    WriteTransaction transaction(m_db, error);
    if (!transaction.isActive())
        return false;
    // One importer at a time forms a vehicle's drives; the others wait here.
    if (m_db.dialect().backend() == Backend::PostgreSQL
        && !run(QStringLiteral("SELECT id FROM vehicle WHERE id = ? FOR UPDATE"), {vehicle}, error))
        return false;
    QSqlQuery* query = run(
        QStringLiteral("SELECT id, camera_start, length_s, coalesce(drive_id, 0), path, name, "
                       "state, kind FROM recording WHERE vehicle_id = ? "
                       "ORDER BY camera_start, id"),
        {vehicle}, error);
    if (!query)
        return false;
    std::vector<RecordingRow> rows;
    std::vector<drive::RecordingSpan> spans;
    bool anyNew = false;
    while (query->next()) {
        RecordingRow r;
        r.id = query->value(0).toLongLong();
        r.cameraStart = query->value(1).toLongLong();
        r.lengthSeconds = query->value(2).toInt();
        r.drive = query->value(3).toLongLong();
        r.path = query->value(4).toString();
        r.name = query->value(5).toString();
        r.state = RecordingState(query->value(6).toInt());
        r.kind = query->value(7).toString();
        anyNew = anyNew || r.drive == 0;
        spans.push_back({QDateTime::fromSecsSinceEpoch(r.cameraStart, Qt::UTC), r.lengthSeconds});
        rows.push_back(r);
    }
    query->finish();
    if (!anyNew)
        return transaction.commit(error);

    for (const std::vector<int>& group : drive::groupDrives(spans)) {
        std::vector<RecordingRow> members;
        std::vector<qint64> oldDrives;
        bool whole = true;
        for (int i : group) {
            members.push_back(rows[size_t(i)]);
            const qint64 d = rows[size_t(i)].drive;
            whole = whole && d != 0 && d == rows[size_t(group.front())].drive;
            if (d != 0 && std::find(oldDrives.begin(), oldDrives.end(), d) == oldDrives.end())
                oldDrives.push_back(d);
        }
        if (whole)
            continue;
        // A drive that grew is measured anew as a whole: its events may cross the join.
        for (qint64 d : oldDrives) {
            if (!run(QStringLiteral("DELETE FROM drive WHERE id = ?"), {d}, error))
                return false;
        }
        std::vector<drive::RecordingTelemetry> telemetry(members.size());
        for (size_t k = 0; k < members.size(); ++k) {
            read(members[k], telemetry[k]);
            // The index's own times decide, whatever the file's name says.
            telemetry[k].start = QDateTime::fromSecsSinceEpoch(members[k].cameraStart, Qt::UTC);
            telemetry[k].lengthSeconds = members[k].lengthSeconds;
        }
        const qint64 id = insertDrive(vehicle, members, telemetry, thresholds, error);
        if (id <= 0)
            return false;
        if (changed)
            changed->push_back(id);
    }
    return transaction.commit(error);
}

qint64 IndexWriter::insertDrive(qint64 vehicle, const std::vector<RecordingRow>& rows,
    const std::vector<drive::RecordingTelemetry>& telemetry,
    const drive::DetectionThresholds& thresholds, QString* error)
{
    const drive::DriveSummary summary = drive::summariseDrive(telemetry, thresholds);
    const ClockOffset clock = measureClock(telemetry);
    qint64 utcStart = 0;
    for (size_t k = 0; k < telemetry.size() && utcStart == 0; ++k) {
        for (const drive::TelemetrySecond& s : telemetry[k].seconds) {
            if (s.hasFix && s.utc != 0) {
                utcStart = s.utc;
                break;
            }
        }
    }
    QSqlQuery* query
        = run(QStringLiteral("INSERT INTO drive (vehicle_id, camera_start, camera_end, utc_start, "
                             "recordings, distance_km, max_speed_kmh, mean_moving_kmh, moving_s, "
                             "stopped_s, clock_known, clock_zone_h, clock_drift_s, clock_jump_s) "
                             "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING id"),
            {vehicle, summary.start.toSecsSinceEpoch(), summary.end.toSecsSinceEpoch(),
                nullableUtc(utcStart), int(rows.size()), summary.distanceKm, summary.maxSpeedKmh,
                summary.meanMovingSpeedKmh, summary.movingSeconds, summary.stoppedSeconds,
                int(clock.known), clock.zoneHours, clock.driftSeconds, clock.jumpSeconds},
            error);
    if (!query || !query->next())
        return -1;
    const qint64 id = query->value(0).toLongLong();
    query->finish();
    for (const RecordingRow& r : rows) {
        if (!run(QStringLiteral("UPDATE recording SET drive_id = ? WHERE id = ?"), {id, r.id},
                error))
            return -1;
    }
    for (const drive::DriveEvent& e : summary.events) {
        if (e.recording < 0 || size_t(e.recording) >= rows.size())
            continue;
        const drive::RecordingTelemetry& t = telemetry[size_t(e.recording)];
        const qint64 cameraTime = e.time.isValid()
            ? e.time.toSecsSinceEpoch()
            : rows[size_t(e.recording)].cameraStart + e.second;
        const drive::TelemetrySecond* fix = e.second >= 0 && size_t(e.second) < t.seconds.size()
                && t.seconds[size_t(e.second)].hasFix
            ? &t.seconds[size_t(e.second)]
            : nullptr;
        qint64 utc = fix ? fix->utc : 0;
        if (utc == 0 && clock.known)
            utc = cameraTime - clock.offsetSeconds();
        const QVariant none(QMetaType(QMetaType::Double));
        if (!run(QStringLiteral("INSERT INTO event (drive_id, recording_id, second, seconds, "
                                "kind, camera_time, utc, strength, text, latitude, longitude, "
                                "speed_kmh) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                {id, rows[size_t(e.recording)].id, e.second, e.seconds,
                    drive::eventKindName(e.kind), cameraTime, nullableUtc(utc), e.strength,
                    text(e.text), fix ? QVariant(fix->latitude) : none,
                    fix ? QVariant(fix->longitude) : none,
                    fix ? QVariant(double(fix->speedKmh)) : none},
                error))
            return -1;
    }
    return id;
}

} // namespace archive
