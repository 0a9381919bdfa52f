// An archive of HOURS hours of driving (default 10,000: 600,000 one-minute recordings) made by
// the demo card writer's drive simulator for a fleet of vans around Moscow, indexed without
// any video, then asked what the archive is for. Goals: a 100 m search near a place under
// 50 ms, a month's hard braking under 20 ms, indexing under 20 ms per one-minute recording,
// the index under 1 % of the video's size (20 MB a minute, as the camera writes it).
//
//   zyn_archive_bench [--hours N] [--archive DIR] [--db postgresql://...]
//
// The archive in DIR (or the database) is made once and used again by later runs with the
// same hours, so the questions can be asked again without building it anew. They are asked on
// a connection of their own, as the viewer's archive window asks them beside an importer:
// SQLite answered the searches a hundred times slower on the very connection that had just
// written the whole fleet and analysed it.

#include "DriveSimulator.h"
#include "archive/Archive.h"
#include "archive/ArchiveQueries.h"
#include "archive/IndexWriter.h"
#include "drive/RecordingTelemetry.h"
#include "recording/PositionSentence.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QSqlQuery>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <random>
#include <time.h>

namespace {

constexpr int kVehicles = 25;
constexpr int kRecordingSeconds = 60;
constexpr qint64 kVideoBytesPerMinute = 20LL * 1024 * 1024;
constexpr qint64 kMoscowOffset = 3 * 3600;

struct Options
{
    int hours = 10000;
    QString root;
    QString database;
};

// The telemetry the reader would give of the simulated seconds.
drive::RecordingTelemetry telemetryOf(
    const QList<DriveSecond>& drive, int from, const QDateTime& cameraStart, const QString& path)
{
    drive::RecordingTelemetry t;
    t.path = path;
    t.type = recording::Continuous;
    t.start = cameraStart;
    t.lengthSeconds = kRecordingSeconds;
    t.hasTelemetry = true;
    for (int s = from; s < from + kRecordingSeconds; ++s) {
        const RmcFix& f = drive[s].fix;
        drive::TelemetrySecond second;
        second.hasFix = f.valid;
        second.hasSample = true;
        if (f.valid) {
            second.latitude = f.latitude;
            second.longitude = f.longitude;
            second.speedKmh = float(f.speedKnots * 1.852);
            second.course = float(f.course);
            second.utc = f.utc.toSecsSinceEpoch();
        }
        second.x = drive[s].x;
        second.y = drive[s].y;
        second.z = drive[s].z;
        t.seconds.push_back(second);
    }
    return t;
}

double secondsSince(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

bool alreadyBuilt(const archive::Archive& a, int hours)
{
    QSqlQuery q(a.db().database());
    return q.exec(QStringLiteral("SELECT count(*) FROM recording")) && q.next()
        && q.value(0).toLongLong() >= qint64(hours) * 60;
}

// Drives of one to three hours, one vehicle after another from the new year, each from its own
// corner of a 30 km square; a few hard brakes an hour.
bool build(const archive::Archive& a, int hours, QTextStream& out)
{
    archive::IndexWriter writer(a.db());
    std::mt19937 random(2025);
    QElapsedTimer timer;
    timer.start();
    qint64 recordingsDone = 0;
    const qint64 total = qint64(hours) * 60;
    std::vector<QDateTime> vehicleClock(
        kVehicles, QDateTime(QDate(2025, 1, 1), QTime(6, 0), Qt::UTC));
    QString error;
    for (int n = 0; recordingsDone < total; ++n) {
        const int v = n % kVehicles;
        const qint64 vehicle = writer.vehicleId(
            QStringLiteral("van-%1").arg(v + 1, 2, 10, QLatin1Char('0')), &error);
        const int minutes = int(std::min<qint64>(60 + random() % 121, total - recordingsDone));
        DriveSimulator::Plan plan;
        plan.startUtc = vehicleClock[size_t(v)];
        plan.seconds = minutes * kRecordingSeconds;
        plan.seed = quint32(n + 1);
        plan.latitude = 55.62 + double(random() % 2700) / 10000;
        plan.longitude = 37.40 + double(random() % 4700) / 10000;
        plan.course = double(random() % 360);
        for (int b = 0; b < minutes / 20; ++b)
            plan.hardBrakes.insert(int(random() % uint32_t(plan.seconds - 20)) + 10);
        const QList<DriveSecond> drive = DriveSimulator::simulate(plan);
        QHash<QString, drive::RecordingTelemetry> telemetry;
        archive::WriteTransaction transaction(a.db(), &error);
        for (int m = 0; m < minutes; ++m) {
            const QDateTime camera = QDateTime::fromSecsSinceEpoch(
                plan.startUtc.toSecsSinceEpoch() + kMoscowOffset + m * 60, Qt::UTC);
            archive::RecordingRow row;
            row.name = QStringLiteral("drf_") + camera.toString(QStringLiteral("yyyyMMdd_HHmmss"))
                + QStringLiteral(".mp4");
            row.path = QStringLiteral("van-%1/").arg(v + 1)
                + camera.toString(QStringLiteral("yyyy/MM/dd/")) + row.name;
            row.kind = QStringLiteral("drf");
            row.cameraStart = camera.toSecsSinceEpoch();
            row.lengthSeconds = kRecordingSeconds;
            row.size = kVideoBytesPerMinute;
            row.codec = QStringLiteral("H.264");
            row.sha256 = QByteArray::number(n) + '-' + QByteArray::number(m);
            row.hasTelemetry = true;
            const drive::RecordingTelemetry t = telemetryOf(drive, m * 60, camera, row.path);
            if (writer.insertRecording(vehicle, row, t, &error) < 0) {
                out << "bench: " << error << Qt::endl;
                return false;
            }
            telemetry.insert(row.path, t);
        }
        if (!transaction.commit(&error)) {
            out << "bench: " << error << Qt::endl;
            return false;
        }
        const archive::TelemetryReader read
            = [&](const archive::RecordingRow& row, drive::RecordingTelemetry& t) {
                  t = telemetry.value(row.path);
              };
        if (!writer.updateDrives(vehicle, read, {}, nullptr, &error)) {
            out << "bench: " << error << Qt::endl;
            return false;
        }
        recordingsDone += minutes;
        vehicleClock[size_t(v)] = plan.startUtc.addSecs(plan.seconds + 3600 * (2 + random() % 20));
        if (n % 200 == 0)
            out << "bench: " << recordingsDone << " of " << total << " recordings, "
                << QString::number(secondsSince(timer), 'f', 0) << " s" << Qt::endl;
    }
    out << "bench: built in " << QString::number(secondsSince(timer), 'f', 1) << " s" << Qt::endl;
    return true;
}

// Wall time and this process's processor time, each the median over the runs: on a shared
// machine the wall time also counts the waits for a core (and, for PostgreSQL, the server's
// work, which the processor time leaves out).
struct Timing
{
    double wallMs = 0;
    double cpuMs = 0;
    QString text() const
    {
        return QString::number(wallMs, 'f', 2) + QStringLiteral(" ms (processor ")
            + QString::number(cpuMs, 'f', 2) + QStringLiteral(" ms)");
    }
};

double cpuNow()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

template <typename F> Timing medianMs(int runs, F&& f)
{
    std::vector<double> walls, cpus;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        const double cpu = cpuNow();
        t.start();
        f(i);
        walls.push_back(double(t.nsecsElapsed()) / 1e6);
        cpus.push_back(cpuNow() - cpu);
    }
    std::sort(walls.begin(), walls.end());
    std::sort(cpus.begin(), cpus.end());
    return {walls[walls.size() / 2], cpus[cpus.size() / 2]};
}

qint64 indexBytes(const archive::Archive& a, const Options& o)
{
    if (o.database.isEmpty())
        return QFileInfo(archive::Archive::sqliteFile(o.root)).size()
            + QFileInfo(archive::Archive::sqliteFile(o.root) + QStringLiteral("-wal")).size();
    QSqlQuery q(a.db().database());
    if (q.exec(QStringLiteral("SELECT pg_database_size(current_database())")) && q.next())
        return q.value(0).toLongLong();
    return -1;
}

// The cost of indexing one recording as the importer does it: its own transaction with the
// track, and its share of forming the drive.
double indexingMs(const Options& o, QTextStream& out)
{
    const QString root = o.root + QStringLiteral("-indexing");
    QDir(root).removeRecursively();
    archive::Archive a;
    QString error;
    if (a.open(root, o.database.isEmpty() ? QString() : o.database, &error) != archive::Opened) {
        out << "bench: " << error << Qt::endl;
        return -1;
    }
    archive::IndexWriter writer(a.db());
    const qint64 vehicle = writer.vehicleId(
        QStringLiteral("indexing-%1").arg(QCoreApplication::applicationPid()), &error);
    DriveSimulator::Plan plan;
    plan.startUtc = QDateTime(QDate(2030, 1, 1), QTime(8, 0), Qt::UTC)
                        .addSecs(QCoreApplication::applicationPid() * 86400LL % (86400LL * 3000));
    constexpr int kMinutes = 60;
    plan.seconds = kMinutes * 60;
    plan.hardBrakes = {400, 1600, 2900};
    const QList<DriveSecond> drive = DriveSimulator::simulate(plan);
    QHash<QString, drive::RecordingTelemetry> telemetry;
    QElapsedTimer timer;
    timer.start();
    for (int m = 0; m < kMinutes; ++m) {
        const QDateTime camera = plan.startUtc.addSecs(kMoscowOffset + m * 60);
        archive::RecordingRow row;
        row.name = QStringLiteral("drf_") + camera.toString(QStringLiteral("yyyyMMdd_HHmmss"))
            + QStringLiteral(".mp4");
        row.path = QStringLiteral("indexing/%1/").arg(vehicle) + row.name;
        row.kind = QStringLiteral("drf");
        row.cameraStart = camera.toSecsSinceEpoch();
        row.lengthSeconds = kRecordingSeconds;
        row.sha256 = row.path.toLatin1();
        const drive::RecordingTelemetry t = telemetryOf(drive, m * 60, camera, row.path);
        archive::WriteTransaction transaction(a.db(), &error);
        writer.insertRecording(vehicle, row, t, &error);
        transaction.commit(&error);
        telemetry.insert(row.path, t);
    }
    const archive::TelemetryReader read
        = [&](const archive::RecordingRow& row, drive::RecordingTelemetry& t) {
              t = telemetry.value(row.path);
          };
    writer.updateDrives(vehicle, read, {}, nullptr, &error);
    return double(timer.nsecsElapsed()) / 1e6 / kMinutes;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    Options o;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--hours"))
            o.hours = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--archive"))
            o.root = args[i + 1];
        else if (args[i] == QLatin1String("--db"))
            o.database = args[i + 1];
    }
    if (o.root.isEmpty())
        o.root = QDir::temp().filePath(QStringLiteral("zyn-archive-bench-%1").arg(o.hours));
    QString error;
    {
        archive::Archive builder;
        if (builder.open(o.root, o.database, &error) != archive::Opened) {
            out << "bench: " << error << Qt::endl;
            return 1;
        }
        if (!alreadyBuilt(builder, o.hours)) {
            if (!build(builder, o.hours, out))
                return 1;
            builder.db().run(QStringLiteral("ANALYZE"));
        }
    }
    // Asked as a user asks it: on an archive opened afresh.
    archive::Archive a;
    if (a.open(o.root, o.database, &error) != archive::Opened) {
        out << "bench: " << error << Qt::endl;
        return 1;
    }
    const QString backend
        = o.database.isEmpty() ? QStringLiteral("SQLite") : QStringLiteral("PostgreSQL");

    // Places on the fleet's tracks, and months of the year.
    std::vector<std::pair<double, double>> places;
    {
        QSqlQuery q(a.db().database());
        q.exec(QStringLiteral(
            "SELECT latitude, longitude FROM track WHERE second = 30 AND recording_id % 997 = 0"));
        while (q.next() && places.size() < 200)
            places.emplace_back(q.value(0).toDouble(), q.value(1).toDouble());
    }
    if (places.empty()) {
        out << "bench: no track to search" << Qt::endl;
        return 1;
    }
    size_t passes = 0, brakes = 0;
    const int runs = int(std::min<size_t>(101, places.size()));
    const Timing nearMs = medianMs(runs, [&](int i) {
        archive::Query q;
        q.latitude = places[size_t(i)].first;
        q.longitude = places[size_t(i)].second;
        q.radiusMetres = 100;
        std::vector<archive::Moment> found;
        archive::find(a, q, &found, &error);
        passes += found.size();
    });
    // The months the fleet drove in (its vans start on the first of January).
    std::vector<QDate> months;
    {
        QSqlQuery q(a.db().database());
        q.exec(QStringLiteral("SELECT min(camera_start), max(camera_end) FROM drive"));
        if (q.next()) {
            const QDate last
                = QDateTime::fromSecsSinceEpoch(q.value(1).toLongLong(), Qt::UTC).date();
            for (QDate m = QDateTime::fromSecsSinceEpoch(q.value(0).toLongLong(), Qt::UTC)
                               .date()
                               .addDays(1
                                   - QDateTime::fromSecsSinceEpoch(q.value(0).toLongLong(), Qt::UTC)
                                         .date()
                                         .day());
                 m <= last && months.size() < 12; m = m.addMonths(1))
                months.push_back(m);
        }
    }
    const int monthRuns = int(months.size());
    // Each month twice: the first time its pages may still lie on the disk, the second from
    // the system's cache, as a search asked again or a window browsing the months finds them.
    Timing coldBrakingMs;
    const auto braking = [&](int i) {
        archive::Query q;
        q.kinds = {QStringLiteral("braking")};
        q.from = QDateTime(months[size_t(i)], QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
        q.to = QDateTime(months[size_t(i)].addMonths(1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
        std::vector<archive::Moment> found;
        archive::find(a, q, &found, &error);
        brakes += found.size();
    };
    coldBrakingMs = medianMs(monthRuns, braking);
    brakes = 0;
    const Timing brakingMs = medianMs(monthRuns, braking);
    qint64 recordings = 0;
    {
        QSqlQuery q(a.db().database());
        if (q.exec(QStringLiteral("SELECT count(*) FROM recording")) && q.next())
            recordings = q.value(0).toLongLong();
    }
    const qint64 bytes = indexBytes(a, o);
    const double video = double(recordings) * double(kVideoBytesPerMinute);
    const double perRecording = indexingMs(o, out);
    out << backend << ": " << recordings << " recordings (" << recordings / 60 << " h)\n"
        << "  near, 100 m:          " << nearMs.text() << " median of " << runs << " places ("
        << QString::number(double(passes) / runs, 'f', 1) << " passes each)\n"
        << "  a month's braking:    " << brakingMs.text() << " (first time " << coldBrakingMs.text()
        << "), median of the " << monthRuns << " months driven ("
        << brakes / size_t(std::max(1, monthRuns)) << " events each)\n"
        << "  indexing a recording: " << QString::number(perRecording, 'f', 2) << " ms\n"
        << "  index size:           " << QString::number(double(bytes) / 1e9, 'f', 2) << " GB, "
        << QString::number(100.0 * double(bytes) / video, 'f', 3) << " % of the video ("
        << QString::number(video / 1e12, 'f', 1) << " TB)" << Qt::endl;
    return 0;
}
