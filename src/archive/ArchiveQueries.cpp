#include "archive/ArchiveQueries.h"

#include "archive/Archive.h"
#include "archive/ClockOffset.h"
#include "archive/VerifiedCopy.h"
#include "drive/DriveTypes.h"
#include "drive/GreatCircle.h"
#include "recording/FileHash.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QSqlQuery>

#include <algorithm>
#include <cmath>

namespace archive {

namespace {

// The parts of a WHERE clause and their values, in order.
struct Conditions
{
    QStringList parts;
    QVariantList values;

    void add(const QString& part, const QVariantList& partValues = {})
    {
        parts << part;
        values << partValues;
    }
    QString where() const
    {
        return parts.isEmpty() ? QString() : QStringLiteral(" WHERE ") + parts.join(" AND ");
    }
};

void addTimeRange(Conditions& c, const QString& column, const std::optional<qint64>& from,
    const std::optional<qint64>& to)
{
    if (from)
        c.add(column + QStringLiteral(" >= ?"), {*from});
    if (to)
        c.add(column + QStringLiteral(" < ?"), {*to});
}

// A rectangle around the circle, a little larger, for the index to narrow the search.
struct Bounds
{
    double south, north, west, east;
};

Bounds boundsAround(double latitude, double longitude, double metres)
{
    const double degrees = metres / drive::kEarthRadiusMetres * 180 / M_PI * 1.01 + 1e-6;
    const double cosine = std::max(1e-6, std::cos(latitude * M_PI / 180));
    const double across = std::min(180.0, degrees / cosine);
    return {latitude - degrees, latitude + degrees, longitude - across, longitude + across};
}

// A candidate second of the track with what a moment needs.
struct Second
{
    Moment moment;
    qint64 at = 0; // in the query's time base, for telling passes apart
};

Moment momentFrom(const Archive& archive, const QSqlQuery& q)
{
    // Columns: path, vehicle, drive, second, camera time, utc, lat, lon, speed, has position.
    Moment m;
    m.relativePath = q.value(0).toString();
    m.recording = archive.absolutePath(m.relativePath);
    m.vehicle = q.value(1).toString();
    m.drive = q.value(2).toLongLong();
    m.second = q.value(3).toInt();
    m.cameraTime = q.value(4).toLongLong();
    m.utc = q.value(5).toLongLong();
    m.hasPosition = !q.value(6).isNull();
    m.latitude = q.value(6).toDouble();
    m.longitude = q.value(7).toDouble();
    m.speedKmh = q.value(8).toDouble();
    return m;
}

const char kTrackColumns[]
    = "r.path, v.name, coalesce(r.drive_id, 0), t.second, r.camera_start + t.second, "
      "coalesce(t.utc, 0), t.latitude, t.longitude, t.speed_kmh";

void addCommonFilters(Conditions& c, const Query& query, const QString& timeColumn,
    const QString& speedColumn = QStringLiteral("t.speed_kmh"))
{
    addTimeRange(c, timeColumn, query.from, query.to);
    if (!query.vehicle.isEmpty())
        c.add(QStringLiteral("v.name = ?"), {query.vehicle});
    if (query.minSpeedKmh)
        c.add(speedColumn + QStringLiteral(" >= ?"), {*query.minSpeedKmh});
}

bool findEvents(
    const Archive& archive, const Query& query, std::vector<Moment>* out, QString* error)
{
    Conditions c;
    QStringList marks;
    QVariantList kinds;
    for (const QString& kind : query.kinds) {
        marks << QStringLiteral("?");
        kinds << kind;
    }
    c.add(QStringLiteral("e.kind IN (") + marks.join(", ") + QLatin1Char(')'), kinds);
    addCommonFilters(c, query,
        query.timeBase == TimeBase::Utc ? QStringLiteral("e.utc") : QStringLiteral("e.camera_time"),
        QStringLiteral("e.speed_kmh"));
    const QString sql = QStringLiteral("SELECT r.path, v.name, e.drive_id, e.second, "
                                       "e.camera_time, coalesce(e.utc, 0), e.latitude, "
                                       "e.longitude, e.speed_kmh, e.kind, e.strength, e.text "
                                       "FROM event e JOIN recording r ON r.id = e.recording_id "
                                       "JOIN vehicle v ON v.id = r.vehicle_id")
        + c.where() + QStringLiteral(" ORDER BY e.camera_time, e.id");
    QSqlQuery q(archive.db().database());
    q.setForwardOnly(true);
    if (!archive.db().run(q, sql, c.values, error))
        return false;
    QHash<QString, QString> units;
    for (drive::EventKind k : {drive::EventKind::Camera, drive::EventKind::Braking,
             drive::EventKind::Acceleration, drive::EventKind::Impact, drive::EventKind::Turn})
        units.insert(drive::eventKindName(k), drive::strengthUnit(k));
    const bool near = query.latitude && query.longitude;
    while (q.next() && int(out->size()) < query.limit) {
        Moment m = momentFrom(archive, q);
        if (near) {
            if (!m.hasPosition)
                continue;
            m.distanceMetres = drive::greatCircleMetres(
                *query.latitude, *query.longitude, m.latitude, m.longitude);
            if (m.distanceMetres > query.radiusMetres)
                continue;
        }
        m.match = q.value(9).toString();
        m.strength = q.value(10).toDouble();
        m.unit = units.value(m.match);
        out->push_back(m);
    }
    return true;
}

// Runs of seconds of one vehicle's drive, a gap of kPassGapSeconds apart at most, made one
// moment each: the one that `better` prefers.
void keepOnePerRun(std::vector<Second>& seconds, const Query& query,
    const std::function<bool(const Moment&, const Moment&)>& better, std::vector<Moment>* out)
{
    std::sort(seconds.begin(), seconds.end(), [](const Second& a, const Second& b) {
        if (a.moment.vehicle != b.moment.vehicle)
            return a.moment.vehicle < b.moment.vehicle;
        return a.at < b.at;
    });
    std::vector<Moment> found;
    for (size_t i = 0; i < seconds.size(); ++i) {
        const bool joins = i > 0 && seconds[i].moment.vehicle == seconds[i - 1].moment.vehicle
            && seconds[i].at - seconds[i - 1].at <= kPassGapSeconds;
        if (!joins)
            found.push_back(seconds[i].moment);
        else if (better(seconds[i].moment, found.back()))
            found.back() = seconds[i].moment;
    }
    std::sort(found.begin(), found.end(),
        [](const Moment& a, const Moment& b) { return a.cameraTime < b.cameraTime; });
    for (const Moment& m : found) {
        if (int(out->size()) >= query.limit)
            break;
        out->push_back(m);
    }
}

// Seconds near a place, in two steps: the spatial index names the recordings whose boxes touch
// the place, then their track is read by its key. One statement joining all would leave the
// join's order to a planner that cannot tell how few boxes the spatial index will find (the
// server guessed thousands and read every recording to join them).
bool findPasses(
    const Archive& archive, const Query& query, std::vector<Moment>* out, QString* error)
{
    const Dialect& dialect = archive.db().dialect();
    const Bounds b = boundsAround(*query.latitude, *query.longitude, query.radiusMetres);
    QSqlQuery q(archive.db().database());
    q.setForwardOnly(true);
    if (!archive.db().run(q,
            QStringLiteral("SELECT DISTINCT b.recording_id FROM track_box b")
                + dialect.spatialJoin() + QStringLiteral(" WHERE ") + dialect.spatialCondition(),
            dialect.spatialValues(b.south, b.north, b.west, b.east), error))
        return false;
    QVariantList recordings;
    while (q.next())
        recordings << q.value(0);
    q.finish();
    const bool utc = query.timeBase == TimeBase::Utc;
    std::vector<Second> seconds;
    constexpr qsizetype kPerStatement = 500;
    for (qsizetype from = 0; from < recordings.size(); from += kPerStatement) {
        const QVariantList part = recordings.mid(from, kPerStatement);
        Conditions c;
        c.add(QStringLiteral("t.recording_id IN (")
                + QStringLiteral("?, ").repeated(part.size() - 1) + QStringLiteral("?)"),
            part);
        c.add(QStringLiteral("t.latitude BETWEEN ? AND ? AND t.longitude BETWEEN ? AND ?"),
            {b.south, b.north, b.west, b.east});
        addCommonFilters(
            c, query, utc ? QStringLiteral("t.utc") : QStringLiteral("r.camera_start + t.second"));
        if (!archive.db().run(q,
                QStringLiteral("SELECT ") + QLatin1String(kTrackColumns)
                    + QStringLiteral(" FROM track t JOIN recording r ON r.id = t.recording_id "
                                     "JOIN vehicle v ON v.id = r.vehicle_id")
                    + c.where(),
                c.values, error))
            return false;
        while (q.next()) {
            Second s{momentFrom(archive, q), 0};
            s.moment.distanceMetres = drive::greatCircleMetres(
                *query.latitude, *query.longitude, s.moment.latitude, s.moment.longitude);
            if (s.moment.distanceMetres > query.radiusMetres)
                continue;
            s.moment.match = QStringLiteral("pass");
            s.at = utc ? s.moment.utc : s.moment.cameraTime;
            seconds.push_back(std::move(s));
        }
    }
    keepOnePerRun(
        seconds, query,
        [](const Moment& a, const Moment& b) { return a.distanceMetres < b.distanceMetres; }, out);
    return true;
}

bool findSeconds(
    const Archive& archive, const Query& query, std::vector<Moment>* out, QString* error)
{
    Conditions c;
    const bool utc = query.timeBase == TimeBase::Utc;
    // The recording's start narrows the search by its index; a day either side covers any
    // zone the camera's clock may be set to.
    constexpr qint64 day = 24 * 3600 + 3600;
    addTimeRange(c, QStringLiteral("r.camera_start"),
        query.from ? std::optional<qint64>(*query.from - day) : std::nullopt,
        query.to ? std::optional<qint64>(*query.to + (utc ? day : 0)) : std::nullopt);
    addCommonFilters(
        c, query, utc ? QStringLiteral("t.utc") : QStringLiteral("r.camera_start + t.second"));
    const QString sql = QStringLiteral("SELECT ") + QLatin1String(kTrackColumns)
        + QStringLiteral(" FROM recording r JOIN vehicle v ON v.id = r.vehicle_id "
                         "JOIN track t ON t.recording_id = r.id")
        + c.where();
    QSqlQuery q(archive.db().database());
    q.setForwardOnly(true);
    if (!archive.db().run(q, sql, c.values, error))
        return false;
    std::vector<Second> seconds;
    while (q.next()) {
        Second s{momentFrom(archive, q), 0};
        s.moment.match = query.minSpeedKmh ? QStringLiteral("speed") : QStringLiteral("time");
        s.at = utc ? s.moment.utc : s.moment.cameraTime;
        seconds.push_back(s);
    }
    const bool fastest = bool(query.minSpeedKmh);
    keepOnePerRun(
        seconds, query,
        [fastest](const Moment& a, const Moment& b) {
            return fastest ? a.speedKmh > b.speedKmh : a.cameraTime < b.cameraTime;
        },
        out);
    return true;
}

} // namespace

bool find(const Archive& archive, const Query& query, std::vector<Moment>* out, QString* error)
{
    out->clear();
    const bool near = query.latitude && query.longitude;
    if (near
        && (std::fabs(*query.latitude) > 90 || std::fabs(*query.longitude) > 180
            || !(query.radiusMetres > 0))) {
        *error = QCoreApplication::translate("archive", "the place or radius is out of range");
        return false;
    }
    if (!query.kinds.isEmpty())
        return findEvents(archive, query, out, error);
    if (near)
        return findPasses(archive, query, out, error);
    if (!query.from && !query.to && !query.minSpeedKmh && query.vehicle.isEmpty()) {
        *error = QCoreApplication::translate(
            "archive", "nothing to look for: give a place, a time, an event kind or a speed");
        return false;
    }
    return findSeconds(archive, query, out, error);
}

bool drives(
    const Archive& archive, const DriveFilter& filter, std::vector<DriveRow>* out, QString* error)
{
    out->clear();
    Conditions c;
    addTimeRange(c,
        filter.timeBase == TimeBase::Utc ? QStringLiteral("x.utc_start")
                                         : QStringLiteral("x.camera_start"),
        filter.from, filter.to);
    if (!filter.vehicle.isEmpty())
        c.add(QStringLiteral("x.vehicle = ?"), {filter.vehicle});
    if (!filter.ids.empty()) {
        QStringList marks;
        QVariantList ids;
        for (qint64 id : filter.ids) {
            marks << QStringLiteral("?");
            ids << id;
        }
        c.add(QStringLiteral("x.id IN (") + marks.join(", ") + QLatin1Char(')'), ids);
    }
    // The drive before of the same vehicle, for a jump of the clock between the two.
    const QString sql
        = QStringLiteral(
              "SELECT x.*, (SELECT count(*) FROM event e WHERE e.drive_id = x.id) FROM ("
              "SELECT d.id, v.name AS vehicle, d.camera_start, d.camera_end, d.utc_start, "
              "d.recordings, d.distance_km, d.max_speed_kmh, d.mean_moving_kmh, d.moving_s, "
              "d.stopped_s, d.clock_known, d.clock_zone_h, d.clock_drift_s, d.clock_jump_s, "
              "lag(d.clock_known) OVER w, lag(d.clock_zone_h) OVER w, "
              "lag(d.clock_drift_s) OVER w "
              "FROM drive d JOIN vehicle v ON v.id = d.vehicle_id "
              "WINDOW w AS (PARTITION BY d.vehicle_id ORDER BY d.camera_start)) x")
        + c.where() + QStringLiteral(" ORDER BY x.camera_start, x.id");
    QSqlQuery q(archive.db().database());
    q.setForwardOnly(true);
    if (!archive.db().run(q, sql, c.values, error))
        return false;
    while (q.next()) {
        DriveRow d;
        d.id = q.value(0).toLongLong();
        d.vehicle = q.value(1).toString();
        d.cameraStart = q.value(2).toLongLong();
        d.cameraEnd = q.value(3).toLongLong();
        d.utcStart = q.value(4).toLongLong();
        d.recordings = q.value(5).toInt();
        d.distanceKm = q.value(6).toDouble();
        d.maxSpeedKmh = q.value(7).toDouble();
        d.meanMovingSpeedKmh = q.value(8).toDouble();
        d.movingSeconds = q.value(9).toLongLong();
        d.stoppedSeconds = q.value(10).toLongLong();
        d.clock.known = q.value(11).toInt() != 0;
        d.clock.zoneHours = q.value(12).toInt();
        d.clock.driftSeconds = q.value(13).toInt();
        d.clock.jumpSeconds = q.value(14).toInt();
        if (d.clock.jumpSeconds == 0 && !q.value(15).isNull()) {
            ClockOffset before;
            before.known = q.value(15).toInt() != 0;
            before.zoneHours = q.value(16).toInt();
            before.driftSeconds = q.value(17).toInt();
            d.clock.jumpSeconds = clockJump(before, d.clock);
        }
        d.events = q.value(18).toInt();
        out->push_back(d);
    }
    return true;
}

bool driveDays(const Archive& archive, int year, int month, const QString& vehicle,
    std::vector<QDate>* out, QString* error)
{
    out->clear();
    const QDate first(year, month, 1);
    if (!first.isValid()) {
        *error = QCoreApplication::translate("archive", "no such month");
        return false;
    }
    Conditions c;
    const auto seconds
        = [](const QDate& d) { return QDateTime(d, QTime(0, 0), Qt::UTC).toSecsSinceEpoch(); };
    addTimeRange(c, QStringLiteral("d.camera_start"), seconds(first), seconds(first.addMonths(1)));
    if (!vehicle.isEmpty())
        c.add(QStringLiteral("v.name = ?"), {vehicle});
    QSqlQuery q(archive.db().database());
    if (!archive.db().run(q,
            QStringLiteral("SELECT DISTINCT d.camera_start / 86400 FROM drive d JOIN vehicle v ON "
                           "v.id = d.vehicle_id")
                + c.where() + QStringLiteral(" ORDER BY 1"),
            c.values, error))
        return false;
    while (q.next())
        out->push_back(
            QDateTime::fromSecsSinceEpoch(q.value(0).toLongLong() * 86400, Qt::UTC).date());
    return true;
}

bool driveTrack(const Archive& archive, qint64 drive, std::vector<TrackPoint>* out, QString* error)
{
    out->clear();
    QSqlQuery q(archive.db().database());
    q.setForwardOnly(true);
    if (!archive.db().run(q,
            QStringLiteral("SELECT r.camera_start - d.camera_start + t.second, r.path, t.second, "
                           "coalesce(t.utc, 0), t.latitude, t.longitude, t.speed_kmh, t.course "
                           "FROM recording r JOIN drive d ON d.id = r.drive_id "
                           "JOIN track t ON t.recording_id = r.id WHERE r.drive_id = ? "
                           "ORDER BY r.camera_start, r.id, t.second"),
            {drive}, error))
        return false;
    while (q.next()) {
        TrackPoint p;
        p.offset = q.value(0).toLongLong();
        p.recording = archive.absolutePath(q.value(1).toString());
        p.second = q.value(2).toInt();
        p.utc = q.value(3).toLongLong();
        p.latitude = q.value(4).toDouble();
        p.longitude = q.value(5).toDouble();
        p.speedKmh = q.value(6).toDouble();
        p.course = q.value(7).toDouble();
        out->push_back(p);
    }
    return true;
}

bool driveEvents(const Archive& archive, qint64 drive, std::vector<EventRow>* out, QString* error)
{
    out->clear();
    QSqlQuery q(archive.db().database());
    if (!archive.db().run(q,
            QStringLiteral("SELECT e.kind, r.path, e.second, e.seconds, e.camera_time, "
                           "e.strength, e.text FROM event e JOIN recording r ON "
                           "r.id = e.recording_id WHERE e.drive_id = ? ORDER BY e.camera_time, "
                           "e.id"),
            {drive}, error))
        return false;
    while (q.next()) {
        EventRow e;
        e.drive = drive;
        e.kind = q.value(0).toString();
        e.recording = archive.absolutePath(q.value(1).toString());
        e.second = q.value(2).toInt();
        e.seconds = q.value(3).toInt();
        e.cameraTime = q.value(4).toLongLong();
        e.strength = q.value(5).toDouble();
        e.text = q.value(6).toString();
        out->push_back(e);
    }
    return true;
}

QStringList driveRecordings(const Archive& archive, qint64 drive, QString* error)
{
    QStringList paths;
    QSqlQuery q(archive.db().database());
    if (archive.db().run(q,
            QStringLiteral(
                "SELECT path FROM recording WHERE drive_id = ? ORDER BY camera_start, id"),
            {drive}, error)) {
        while (q.next())
            paths << archive.absolutePath(q.value(0).toString());
    }
    return paths;
}

QStringList vehicles(const Archive& archive, QString* error)
{
    QStringList names;
    QSqlQuery q(archive.db().database());
    if (archive.db().run(q, QStringLiteral("SELECT name FROM vehicle ORDER BY name"), {}, error)) {
        while (q.next())
            names << q.value(0).toString();
    }
    return names;
}

std::optional<qint64> latestDriveStart(
    const Archive& archive, const QString& vehicle, QString* error)
{
    Conditions c;
    if (!vehicle.isEmpty())
        c.add(QStringLiteral("v.name = ?"), {vehicle});
    QSqlQuery q(archive.db().database());
    if (!archive.db().run(q,
            QStringLiteral(
                "SELECT max(d.camera_start) FROM drive d JOIN vehicle v ON v.id = d.vehicle_id")
                + c.where(),
            c.values, error)
        || !q.next() || q.value(0).isNull())
        return std::nullopt;
    return q.value(0).toLongLong();
}

bool checkFiles(const Archive& archive, const std::atomic<bool>* cancel,
    const std::function<void(int, int)>& progress, CheckReport* out, QString* error)
{
    *out = CheckReport();
    QSqlQuery q(archive.db().database());
    if (!archive.db().run(
            q, QStringLiteral("SELECT path, size, sha256 FROM recording ORDER BY path"), {}, error))
        return false;
    struct Stored
    {
        QString path;
        qint64 size;
        QByteArray sha256;
    };
    std::vector<Stored> stored;
    while (q.next())
        stored.push_back({archive.absolutePath(q.value(0).toString()), q.value(1).toLongLong(),
            q.value(2).toString().toLatin1()});
    for (const Stored& s : stored) {
        if (cancel && cancel->load()) {
            out->cancelled = true;
            break;
        }
        const QFileInfo info(s.path);
        if (!info.exists())
            out->problems.push_back({s.path, true});
        else if (info.size() != s.size || recording::fileSha256(s.path, cancel) != s.sha256) {
            if (cancel && cancel->load()) {
                out->cancelled = true;
                break;
            }
            out->problems.push_back({s.path, false});
        }
        ++out->checked;
        if (progress)
            progress(out->checked, int(stored.size()));
    }
    return true;
}

} // namespace archive
